// Which control of the main window shows which setting, in the order the
// window's data exchange visits them. The first over-long limit text stops
// the exchange, so this order decides which fields keep their earlier values.
// Platform-free data (ids from resource.h), so that it can be checked without
// a window.
#pragma once

#include <array>
#include <cstddef>

#include "resource.h"
#include "settings/Catalogue.h"
#include "settings/Presets.h"

namespace kmx {

// FileName is shown in two edits: the directory and the file prefix.
enum class BoundText { None, LogDirectory, LogFilePrefix };

struct ControlBinding {
    int controlId;
    SettingId setting;
    BoundText text = BoundText::None;
};

// clang-format off
inline constexpr std::array<ControlBinding, kSettingCount + 1> kControlBindings = {{
    {IDC_ENABLE_LOGGING,           kEnabled},
    {IDC_LOG_DIRECTORY,            kFileName, BoundText::LogDirectory},
    {IDC_LOG_PREFIX,               kFileName, BoundText::LogFilePrefix},
    {IDC_MAX_FILE_SIZE,            kMaxFileSizeMB},
    {IDC_ENABLE_ROLL,              kEnableRoll},
    {IDC_KEEP_LOGGING,             kKeepLogging},
    {IDC_ENABLE_MAX_DIR_SIZE,      kEnableMaxDirSize},
    {IDC_MAX_DIR_SIZE,             kMaxDirSizeMB},
    {IDC_ENABLE_MAX_AGE,           kEnableMaxAge},
    {IDC_MAX_AGE_DAYS,             kMaxAgeDays},
    {IDC_MAX_CALL_DEPTH,           kMaxCallDepth},
    {IDC_ENABLE_CALENDAR_TRACKING, kEnableAppDump},
    // threads
    {IDC_THREAD_ALL_THREADS,       kThreadAllThreads},
    {IDC_THREAD_MAIN,              kThreadMain},
    {IDC_THREAD_MAIN_SYNC,         kThreadMainSync},
    {IDC_THREAD_DSDI_SYNC,         kThreadDSDISync},
    {IDC_THREAD_ON_NOTIFY,         kThreadOnNotify},
    {IDC_THREAD_GAL_SYNC,          kThreadGALSync},
    {IDC_THREAD_OTHERS,            kThreadOthers},
    {IDC_THREAD_HTTP_CALLBACK,     kThreadHTTPCallback},
    {IDC_THREAD_KEYWORD_UPDATER,   kThreadKeywordUpdater},
    {IDC_THREAD_CONN_STATE,        kThreadConnState},
    {IDC_THREAD_SPOOLER,           kThreadSpooler},
    {IDC_THREAD_REAPER,            kThreadReaper},
    {IDC_THREAD_SYNC_1MSG,         kThreadSync1Msg},
    {IDC_THREAD_TRACKED_MAIL,      kThreadTrackedMail},
    {IDC_THREAD_WAIT_RQST,         kThreadWaitRqst},
    {IDC_THREAD_IP_SRCH,           kThreadIPSrch},
    // areas
    {IDC_AREA_CHANGES,             kAreaChanges},
    {IDC_AREA_ADDINS,              kAreaAddins},
    {IDC_AREA_MAPI,                kAreaMAPI},
    {IDC_AREA_SYNC,                kAreaSync},
    {IDC_AREA_SAX,                 kAreaSAX},
    {IDC_AREA_STREAM,              kAreaStream},
    {IDC_AREA_CONN,                kAreaConn},
    {IDC_AREA_PROG,                kAreaProg},
    {IDC_AREA_GEN,                 kAreaGen},
    {IDC_AREA_MSG_MPR,             kAreaMsgMpr},
    // detail levels
    {IDC_DETAIL_FN_API,            kDetailFnAPI},
    {IDC_DETAIL_FN_INTERNAL,       kDetailFnInternal},
    {IDC_DETAIL_FN_DETAILED,       kDetailFnDetailed},
    {IDC_DETAIL_FN_IUNKNOWN,       kDetailFnIUnknown},
    {IDC_DETAIL_FN_CTOR_DTOR,      kDetailFnCtorDtor},
    {IDC_DETAIL_CMNT_GEN,          kDetailCmntGen},
    {IDC_DETAIL_CMNT_PROPS,        kDetailCmntProps},
    {IDC_DETAIL_CMNT_HTTP,         kDetailCmntHTTP},
    {IDC_DETAIL_CMNT_ROWS,         kDetailCmntRows},
    {IDC_DETAIL_CMNT_IUNKNOWN,     kDetailCmntIUnknown},
    {IDC_DETAIL_CMNT_SAX,          kDetailCmntSAX},
    {IDC_DETAIL_CMNT_STORE_INFO,   kDetailCmntStoreInfo},
    {IDC_DETAIL_CMNT_FOLDER_INFO,  kDetailCmntFolderInfo},
    {IDC_DETAIL_CMNT_MSG_INFO,     kDetailCmntMsgInfo},
    {IDC_DETAIL_CMNT_RESTRICTIONS, kDetailCmntRestrictions},
    {IDC_DETAIL_CMNT_PARAM,        kDetailCmntParam},
    // output options
    {IDC_LOG_TO_DBGWIN,            kLogToDbgWin},
    {IDC_THREAD_LANES,             kThreadLanes},
    {IDC_INDENT_CALL_DEPTH,        kIndentCallDepth},
    {IDC_PRETTY_PRINT,             kPrettyPrint},
}};
// clang-format on

// The control that shows a setting (FileName: the directory edit).
constexpr int ControlOf(SettingId setting) {
    for (const ControlBinding& binding : kControlBindings)
        if (binding.setting == setting) return binding.controlId;
    return 0;
}

// The controls of a check box group, in the preset table's order.
template <BoxGroup Group>
constexpr std::array<int, CountBoxes(Group)> ControlsOfGroup() {
    std::array<int, CountBoxes(Group)> ids{};
    std::size_t next = 0;
    for (const SettingId setting : BoxesOfGroup<Group>()) ids[next++] = ControlOf(setting);
    return ids;
}

// Whether clicking a switch's box does more than copy the controls into the
// model: the three switches the enabling rules read have handlers of their
// own, and calendar tracking (EnableAppDump) has none.
constexpr bool HasOwnClickHandling(SettingId setting) {
    return setting == kEnabled || setting == kThreadAllThreads || setting == kEnableRoll ||
           setting == kEnableAppDump;
}

constexpr bool IsPlainCheckBox(const ControlBinding& binding) {
    return Info(binding.setting).kind == SettingKind::Switch && !HasOwnClickHandling(binding.setting);
}

constexpr std::size_t CountPlainCheckBoxes() {
    std::size_t count = 0;
    for (const ControlBinding& binding : kControlBindings) count += IsPlainCheckBox(binding) ? 1 : 0;
    return count;
}

// The check boxes whose click only copies the controls into the model.
constexpr std::array<int, CountPlainCheckBoxes()> ListPlainCheckBoxes() {
    std::array<int, CountPlainCheckBoxes()> ids{};
    std::size_t next = 0;
    for (const ControlBinding& binding : kControlBindings)
        if (IsPlainCheckBox(binding)) ids[next++] = binding.controlId;
    return ids;
}
inline constexpr std::array<int, CountPlainCheckBoxes()> kPlainCheckBoxIds = ListPlainCheckBoxes();

// The preset buttons and the preset each applies.
struct PresetButton {
    int buttonId;
    PresetId preset;
};
inline constexpr std::array<PresetButton, kPresetCount> kPresetButtons = {{
    {IDC_PRESET_FULL, PresetId::Full},
    {IDC_PRESET_DEFAULT, PresetId::Default},
    {IDC_PRESET_CHANGES, PresetId::Changes},
    {IDC_PRESET_SPOOLER, PresetId::Spooler},
    {IDC_PRESET_UI_THREAD, PresetId::UiThread},
    {IDC_PRESET_HTTP_ONLY, PresetId::HttpOnly},
    {IDC_PRESET_MAIN_SYNC, PresetId::MainSync},
    {IDC_PRESET_GAL_SYNC, PresetId::GalSync},
}};

// The All/None buttons of the "Threads", "Areas" and "Detail Level" groups:
// the boxes each sets and the mark. The "Detail Level" buttons set the
// Comment boxes only.
struct GroupButton {
    int buttonId;
    BoxGroup boxes;
    int mark;
};
inline constexpr std::array<GroupButton, 6> kGroupButtons = {{
    {IDC_THREADS_ALL, BoxGroup::SingleThread, 1},
    {IDC_THREADS_NONE, BoxGroup::SingleThread, 0},
    {IDC_AREAS_ALL, BoxGroup::Area, 1},
    {IDC_AREAS_NONE, BoxGroup::Area, 0},
    {IDC_DETAIL_ALL, BoxGroup::Comment, 1},
    {IDC_DETAIL_NONE, BoxGroup::Comment, 0},
}};

// The ids of a table of buttons, for a message map entry that covers them.
template <class Button, std::size_t N>
constexpr std::array<int, N> ButtonIds(const std::array<Button, N>& buttons) {
    std::array<int, N> ids{};
    for (std::size_t i = 0; i < N; ++i) ids[i] = buttons[i].buttonId;
    return ids;
}
inline constexpr std::array<int, kPresetCount> kPresetButtonIds = ButtonIds(kPresetButtons);
inline constexpr std::array<int, kGroupButtons.size()> kGroupButtonIds = ButtonIds(kGroupButtons);

}  // namespace kmx

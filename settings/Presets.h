// The eight presets and the check box groups: which check marks each preset
// sets, and in what order.
//
// The presets are kept as one table, a row per check box and a column per
// preset, rows grouped as the window groups its boxes; the ordered mark lists
// a preset applies are derived from it.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "settings/Catalogue.h"
#include "settings/SettingsModel.h"

namespace kmx {

// The check box groups presets and group buttons act on.
enum class BoxGroup {
    AllThreads,    // ThreadAllThreads, the thread rule's switch
    SingleThread,  // the 15 single-thread boxes
    Area,          // the 10 area boxes
    Function,      // the 5 "Function" detail boxes
    Comment,       // the 11 "Comment" detail boxes
    Output,        // the 4 output options of the "Threads" group
};

// One row of the preset table. marks holds one character per preset column
// (in PresetId order), separated by blanks:
//   '1' the preset checks the box, '0' it unchecks it, '-' it leaves it alone,
//   'v' it depends on the connector variant (checked unless IsBESKMX says BES).
struct PresetRow {
    BoxGroup group;
    SettingId setting;
    const char* marks;
};

// The presets, in column order.
enum class PresetId { Full, Default, Changes, Spooler, UiThread, HttpOnly, MainSync, GalSync };
inline constexpr std::size_t kPresetCount = 8;

// Their names as their buttons show them, in column order.
inline constexpr std::array<const wchar_t*, kPresetCount> kPresetNames = {
    L"Full", L"Default", L"Changes", L"Spooler", L"UI Thread", L"HTTP Only", L"Main Sync", L"GAL Sync"};

// Columns: F Full, D Default, C Changes, S Spooler, U UI Thread, H HTTP Only,
// M Main Sync, G GAL Sync.
// clang-format off
inline constexpr std::array<PresetRow, 46> kPresetTable = {{
    //                                                     F D C S U H M G
    {BoxGroup::AllThreads,   kThreadAllThreads,          "1 1 1 0 0 1 0 0"},
    {BoxGroup::SingleThread, kThreadMain,                "1 1 - 0 1 - 0 0"},
    {BoxGroup::SingleThread, kThreadMainSync,            "1 1 - 0 0 - 1 0"},
    {BoxGroup::SingleThread, kThreadDSDISync,            "1 1 - 0 0 - 0 0"},
    {BoxGroup::SingleThread, kThreadOnNotify,            "1 1 - 0 0 - 0 0"},
    {BoxGroup::SingleThread, kThreadGALSync,             "1 1 - 0 0 - 0 1"},
    {BoxGroup::SingleThread, kThreadOthers,              "1 1 - 0 0 - 0 0"},
    {BoxGroup::SingleThread, kThreadHTTPCallback,        "1 0 - 0 0 - 0 1"},
    {BoxGroup::SingleThread, kThreadKeywordUpdater,      "1 1 - 0 0 - 0 0"},
    {BoxGroup::SingleThread, kThreadConnState,           "1 1 - 0 0 - 0 0"},
    {BoxGroup::SingleThread, kThreadSpooler,             "1 1 - 1 0 - 0 0"},
    {BoxGroup::SingleThread, kThreadReaper,              "1 1 - 0 0 - 0 0"},
    {BoxGroup::SingleThread, kThreadSync1Msg,            "1 1 - 0 0 - 0 0"},
    {BoxGroup::SingleThread, kThreadTrackedMail,         "1 1 - 0 0 - 0 0"},
    {BoxGroup::SingleThread, kThreadWaitRqst,            "1 1 - 0 0 - 0 0"},
    {BoxGroup::SingleThread, kThreadIPSrch,              "1 1 - 0 0 - 0 0"},
    {BoxGroup::Area,         kAreaChanges,               "1 1 1 1 1 1 1 1"},
    {BoxGroup::Area,         kAreaAddins,                "1 1 0 1 1 1 0 0"},
    {BoxGroup::Area,         kAreaMAPI,                  "1 1 0 1 1 1 1 1"},
    {BoxGroup::Area,         kAreaSync,                  "1 1 0 1 1 1 1 1"},
    {BoxGroup::Area,         kAreaSAX,                   "1 0 0 0 0 0 0 0"},
    {BoxGroup::Area,         kAreaStream,                "1 0 0 1 1 0 0 0"},
    {BoxGroup::Area,         kAreaConn,                  "1 1 0 1 1 1 0 0"},
    {BoxGroup::Area,         kAreaProg,                  "1 0 0 1 1 1 0 0"},
    {BoxGroup::Area,         kAreaGen,                   "1 1 0 1 1 1 1 1"},
    {BoxGroup::Area,         kAreaMsgMpr,                "1 0 0 1 1 0 1 1"},
    {BoxGroup::Function,     kDetailFnAPI,               "1 1 0 1 1 0 1 1"},
    {BoxGroup::Function,     kDetailFnInternal,          "1 1 0 1 1 0 1 1"},
    {BoxGroup::Function,     kDetailFnDetailed,          "1 0 0 0 0 0 0 0"},
    {BoxGroup::Function,     kDetailFnIUnknown,          "1 0 0 0 0 0 0 0"},
    {BoxGroup::Function,     kDetailFnCtorDtor,          "1 0 0 0 0 0 0 0"},
    {BoxGroup::Comment,      kDetailCmntGen,             "1 1 1 1 1 0 1 1"},
    {BoxGroup::Comment,      kDetailCmntProps,           "1 1 1 1 1 0 1 1"},
    {BoxGroup::Comment,      kDetailCmntRows,            "1 0 0 0 0 0 0 0"},
    {BoxGroup::Comment,      kDetailCmntHTTP,            "1 1 1 1 1 1 1 1"},
    {BoxGroup::Comment,      kDetailCmntIUnknown,        "1 0 0 0 0 0 0 0"},
    {BoxGroup::Comment,      kDetailCmntSAX,             "1 0 0 0 0 0 0 0"},
    {BoxGroup::Comment,      kDetailCmntStoreInfo,       "1 0 0 0 0 0 0 0"},
    {BoxGroup::Comment,      kDetailCmntFolderInfo,      "1 0 0 0 0 0 0 0"},
    {BoxGroup::Comment,      kDetailCmntMsgInfo,         "1 0 0 0 0 0 0 0"},
    {BoxGroup::Comment,      kDetailCmntRestrictions,    "1 0 0 0 0 0 0 0"},
    {BoxGroup::Comment,      kDetailCmntParam,           "1 1 1 1 1 0 1 1"},
    {BoxGroup::Output,       kLogToDbgWin,               "- 0 - - - - - -"},
    {BoxGroup::Output,       kThreadLanes,               "- v - - - - - -"},
    {BoxGroup::Output,       kIndentCallDepth,           "- 1 - - - - - -"},
    {BoxGroup::Output,       kPrettyPrint,               "- 0 - - - - - -"},
}};
// clang-format on

// The order in which a preset sets the output options (its last step), which
// is not the table's.
inline constexpr std::array<SettingId, 4> kOutputOptionOrder = {kThreadLanes, kIndentCallDepth, kPrettyPrint,
                                                                kLogToDbgWin};

struct PresetMark {
    SettingId setting;
    int mark;  // 1 checked, 0 unchecked
};

// What one preset does, in the order it is applied:
//   1. set ThreadAllThreads to allThreadsMark;
//   2. run the thread rule (the window enables or disables the single threads);
//   3-5. set boxMarks in order: single threads, areas, Function, Comment;
//   6. if setsOutputOptions, set OutputOptionMarks(IsBESKMX()) in order.
struct Preset {
    PresetId id;
    int allThreadsMark;
    std::vector<PresetMark> boxMarks;
    bool setsOutputOptions;
};

// All eight, in column order.
const std::vector<Preset>& Presets();

const Preset& PresetOf(PresetId id);

// By name, ignoring ASCII case, blanks and '-' ("ui-thread", "UIThread" and
// "UI Thread" are the same preset); nullopt for no preset.
std::optional<PresetId> FindPresetByName(std::wstring_view name);

// The output option marks of a preset that sets them ("Default"), in
// kOutputOptionOrder; isBESKMX is Korvex::Util::IsBESKMX()'s result, asked
// each time the preset runs. Empty for a preset that sets none.
std::vector<PresetMark> OutputOptionMarks(const Preset& preset, int isBESKMX);

// What pressing a preset's button and then copying the controls into the
// model comes to: the marks it sets, in the model; the rest stays.
void ApplyPresetMarks(const Preset& preset, int isBESKMX, SettingsModel& model);

// The settings of a group in table order.
std::vector<SettingId> BoxesOf(BoxGroup group);

// The same at compile time, for tables derived from the groups.
constexpr std::size_t CountBoxes(BoxGroup group) {
    std::size_t count = 0;
    for (const PresetRow& row : kPresetTable) count += row.group == group ? 1 : 0;
    return count;
}
template <BoxGroup Group>
constexpr std::array<SettingId, CountBoxes(Group)> BoxesOfGroup() {
    std::array<SettingId, CountBoxes(Group)> boxes{};
    std::size_t next = 0;
    for (const PresetRow& row : kPresetTable)
        if (row.group == Group) boxes[next++] = row.setting;
    return boxes;
}

// A row's mark string must hold exactly one of "10-v" per column, blank
// separated; checked at compile time so a slip in the table cannot build.
constexpr bool IsWellFormedMarks(const char* marks) {
    for (std::size_t column = 0; column < kPresetCount; ++column) {
        const char c = marks[2 * column];
        if (c != '1' && c != '0' && c != '-' && c != 'v') return false;
        const char after = marks[2 * column + 1];
        const bool last = column + 1 == kPresetCount;
        if (last ? after != '\0' : after != ' ') return false;
    }
    return true;
}

constexpr bool IsWellFormedTable() {
    for (const PresetRow& row : kPresetTable) {
        if (!IsWellFormedMarks(row.marks)) return false;
    }
    return true;
}
static_assert(IsWellFormedTable(), "every preset row needs one mark per preset");

}  // namespace kmx

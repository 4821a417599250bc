// The preset table and the group buttons, checked against the catalogue and
// against what whole columns must do.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <cwchar>
#include <iterator>
#include <ostream>
#include <string>

#include "settings/Presets.h"
#include "settings/SettingsModel.h"
#include "ui/ControlBindings.h"

namespace kmx {

std::ostream& operator<<(std::ostream& out, PresetId id) {
    const std::wstring name = kPresetNames[static_cast<std::size_t>(id)];
    return out << std::string(name.begin(), name.end());
}

namespace {

constexpr PresetId kFull = PresetId::Full, kDefault = PresetId::Default, kChanges = PresetId::Changes,
                   kSpooler = PresetId::Spooler, kUiThread = PresetId::UiThread,
                   kHttpOnly = PresetId::HttpOnly, kMainSync = PresetId::MainSync,
                   kGalSync = PresetId::GalSync;

bool InRange(SettingId id, SettingId first, SettingId last) { return id >= first && id <= last; }

bool BelongsTo(BoxGroup group, SettingId id) {
    switch (group) {
        case BoxGroup::AllThreads: return id == kThreadAllThreads;
        case BoxGroup::SingleThread: return InRange(id, kThreadMain, kThreadIPSrch);
        case BoxGroup::Area: return InRange(id, kAreaChanges, kAreaMsgMpr);
        case BoxGroup::Function: return InRange(id, kDetailFnAPI, kDetailFnCtorDtor);
        case BoxGroup::Comment: return InRange(id, kDetailCmntGen, kDetailCmntParam);
        case BoxGroup::Output: return InRange(id, kLogToDbgWin, kPrettyPrint);
    }
    return false;
}

std::optional<int> BoxMark(PresetId preset, SettingId setting) {
    for (const PresetMark& m : PresetOf(preset).boxMarks) {
        if (m.setting == setting) return m.mark;
    }
    return std::nullopt;
}

std::string Name(SettingId id) {
    std::wstring name = Info(id).name;
    return std::string(name.begin(), name.end());
}

TEST(PresetsTest, TableRowsAreTheFortySixBoxesOfTheirGroups) {
    const std::set<SettingId> untouched = {kEnabled,     kFileName,         kEnableRoll,   kMaxFileSizeMB,
                                           kKeepLogging, kEnableMaxDirSize, kMaxDirSizeMB, kEnableMaxAge,
                                           kMaxAgeDays,  kMaxCallDepth,     kEnableAppDump};
    std::set<SettingId> rows;
    for (const PresetRow& row : kPresetTable) {
        EXPECT_TRUE(rows.insert(row.setting).second) << "twice: " << Name(row.setting);
        EXPECT_TRUE(BelongsTo(row.group, row.setting)) << "wrong group: " << Name(row.setting);
        EXPECT_EQ(SettingKind::Switch, Info(row.setting).kind) << Name(row.setting);
        EXPECT_EQ(0u, untouched.count(row.setting)) << Name(row.setting);
        if (row.group != BoxGroup::Output) {
            EXPECT_EQ(std::string::npos, std::string(row.marks).find('v'))
                << Name(row.setting) << ": only output options depend on the variant";
        }
    }
    EXPECT_EQ(kSettingCount - untouched.size(), rows.size());
    EXPECT_EQ(15u, BoxesOf(BoxGroup::SingleThread).size());
    EXPECT_EQ(10u, BoxesOf(BoxGroup::Area).size());
    EXPECT_EQ(5u, BoxesOf(BoxGroup::Function).size());
    EXPECT_EQ(11u, BoxesOf(BoxGroup::Comment).size());
    EXPECT_EQ(4u, BoxesOf(BoxGroup::Output).size());
}

// Within each group the table's row order is the catalogue's, and the steps
// run threads, areas, Function, Comment: so every step list ascends through
// the catalogue with the groups in that order.
TEST(PresetsTest, StepListsFollowTheRowOrder) {
    for (const Preset& preset : Presets()) {
        SCOPED_TRACE(static_cast<int>(preset.id));
        for (std::size_t i = 0; i < preset.boxMarks.size(); ++i) {
            const SettingId id = preset.boxMarks[i].setting;
            EXPECT_FALSE(BelongsTo(BoxGroup::AllThreads, id) || BelongsTo(BoxGroup::Output, id)) << Name(id);
            if (i > 0) {
                const SettingId before = preset.boxMarks[i - 1].setting;
                EXPECT_LT(before, id) << Name(before) << " before " << Name(id);
            }
        }
        const std::vector<PresetMark> output = OutputOptionMarks(preset, 0);
        for (std::size_t i = 0; i < output.size(); ++i) {
            EXPECT_EQ(kOutputOptionOrder[i], output[i].setting);
        }
    }
    EXPECT_EQ(kThreadLanes, kOutputOptionOrder[0]);
    EXPECT_EQ(kLogToDbgWin, kOutputOptionOrder[3]);
}

TEST(PresetsTest, WholeColumnsDoWhatTheirNamesSay) {
    const Preset& full = PresetOf(kFull);
    EXPECT_EQ(1, full.allThreadsMark);
    EXPECT_EQ(41u, full.boxMarks.size()) << "with All, the 42 boxes of the three groups";
    for (const PresetMark& m : full.boxMarks) EXPECT_EQ(1, m.mark) << Name(m.setting);
    EXPECT_FALSE(full.setsOutputOptions);
    EXPECT_TRUE(OutputOptionMarks(full, 0).empty());

    for (PresetId id : {kChanges, kHttpOnly}) {
        const Preset& preset = PresetOf(id);
        EXPECT_EQ(1, preset.allThreadsMark) << id;
        EXPECT_EQ(26u, preset.boxMarks.size()) << id << ": no single-thread box, all areas and details";
        for (SettingId thread : BoxesOf(BoxGroup::SingleThread)) {
            EXPECT_EQ(std::nullopt, BoxMark(id, thread)) << id << " " << Name(thread);
        }
    }

    const Preset& spooler = PresetOf(kSpooler);
    EXPECT_EQ(0, spooler.allThreadsMark);
    for (SettingId thread : BoxesOf(BoxGroup::SingleThread)) {
        EXPECT_EQ(thread == kThreadSpooler ? 1 : 0, BoxMark(kSpooler, thread)) << Name(thread);
    }

    for (const Preset& preset : Presets()) {
        EXPECT_EQ(preset.id == kDefault, preset.setsOutputOptions) << preset.id;
        if (preset.id != kChanges && preset.id != kHttpOnly) {
            EXPECT_EQ(41u, preset.boxMarks.size()) << preset.id;
        }
    }
}

TEST(PresetsTest, DefaultMarksAreTheFactoryDefaults) {
    for (int isBes : {0, 1, 7}) {
        SCOPED_TRACE(isBes);
        SettingsModel model;
        ApplyFactoryDefaults(model, L"C:\\Temp\\", isBes);
        const Preset& preset = PresetOf(kDefault);
        EXPECT_EQ(model.value[kThreadAllThreads], preset.allThreadsMark);
        std::size_t marks = 1;
        for (const PresetMark& m : preset.boxMarks) {
            EXPECT_EQ(model.value[m.setting], m.mark) << Name(m.setting);
            ++marks;
        }
        for (const PresetMark& m : OutputOptionMarks(preset, isBes)) {
            EXPECT_EQ(model.value[m.setting], m.mark) << Name(m.setting);
            ++marks;
        }
        EXPECT_EQ(46u, marks);
        EXPECT_EQ(isBes ? 0 : 1, OutputOptionMarks(preset, isBes)[0].mark) << "Thread Lanes";
    }
}

TEST(PresetsTest, SpotChecksOfEachColumn) {
    struct Cell {
        PresetId button;
        SettingId setting;
        int mark;
    };
    const Cell cells[] = {{kDefault, kThreadHTTPCallback, 0}, {kDefault, kAreaSAX, 0},
                          {kDefault, kAreaStream, 0},         {kChanges, kAreaChanges, 1},
                          {kChanges, kAreaAddins, 0},         {kChanges, kDetailCmntProps, 1},
                          {kSpooler, kAreaStream, 1},         {kSpooler, kAreaSAX, 0},
                          {kUiThread, kThreadMain, 1},        {kUiThread, kThreadMainSync, 0},
                          {kUiThread, kAreaStream, 1},        {kHttpOnly, kDetailFnAPI, 0},
                          {kHttpOnly, kDetailCmntHTTP, 1},    {kHttpOnly, kAreaProg, 1},
                          {kMainSync, kAreaAddins, 0},        {kMainSync, kAreaMAPI, 1},
                          {kMainSync, kThreadMainSync, 1},    {kGalSync, kThreadHTTPCallback, 1},
                          {kGalSync, kThreadMain, 0}};
    for (const Cell& cell : cells) {
        EXPECT_EQ(cell.mark, BoxMark(cell.button, cell.setting)) << cell.button << " " << Name(cell.setting);
    }
    EXPECT_EQ(0, PresetOf(kUiThread).allThreadsMark);
    EXPECT_EQ(0, PresetOf(kGalSync).allThreadsMark);
}

TEST(PresetsTest, LookUpByNameAndByButton) {
    const std::pair<const wchar_t*, std::optional<PresetId>> names[] = {
        {L"Default", kDefault},      {L"full", kFull},         {L"UI Thread", kUiThread},
        {L"ui-thread", kUiThread},   {L"UITHREAD", kUiThread}, {L"http only", kHttpOnly},
        {L"Main-Sync", kMainSync},   {L"galsync", kGalSync},   {L"Spooler", kSpooler},
        {L"Changes", kChanges},      {L"", std::nullopt},      {L"Fulll", std::nullopt},
        {L"UI_Thread", std::nullopt}};
    for (const auto& [name, preset] : names)
        EXPECT_EQ(preset, FindPresetByName(name)) << std::string(name, name + wcslen(name));

    std::set<PresetId> bound;
    for (const PresetButton& button : kPresetButtons)
        EXPECT_TRUE(bound.insert(button.preset).second) << button.preset;
    EXPECT_EQ(kPresetCount, bound.size());
}

TEST(PresetsTest, GroupButtonsSetTheirGroupOnly) {
    const std::pair<int, std::size_t> expected[] = {{IDC_THREADS_ALL, 15}, {IDC_THREADS_NONE, 15},
                                                    {IDC_AREAS_ALL, 10},   {IDC_AREAS_NONE, 10},
                                                    {IDC_DETAIL_ALL, 11},  {IDC_DETAIL_NONE, 11}};
    ASSERT_EQ(std::size(expected), kGroupButtons.size());
    for (std::size_t i = 0; i < kGroupButtons.size(); ++i) {
        const GroupButton& button = kGroupButtons[i];
        EXPECT_EQ(expected[i].first, button.buttonId);
        EXPECT_EQ(expected[i].second, BoxesOf(button.boxes).size()) << button.buttonId;
        EXPECT_EQ(i % 2 == 0 ? 1 : 0, button.mark) << button.buttonId;
    }
    const std::vector<SettingId> detail = BoxesOf(kGroupButtons[4].boxes);
    for (SettingId id : detail) {
        EXPECT_TRUE(BelongsTo(BoxGroup::Comment, id)) << Name(id) << ": Function boxes stay as they are";
    }
    EXPECT_EQ(kDetailCmntRows, detail[2]);
    EXPECT_EQ(kDetailCmntStoreInfo, detail[6]);
}

}  // namespace
}  // namespace kmx

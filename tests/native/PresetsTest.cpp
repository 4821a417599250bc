// The preset table and the group buttons, checked against the catalogue and
// against what the design says about whole columns.
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "settings/Presets.h"
#include "settings/SettingsModel.h"

namespace kmx {
namespace {

constexpr int kFull = 1072, kDefault = 1073, kChanges = 1078, kSpooler = 1079, kUiThread = 1093,
              kHttpOnly = 1076, kMainSync = 1074, kGalSync = 1075;

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

const Preset& PresetOf(int buttonId) {
    const Preset* preset = FindPreset(buttonId);
    EXPECT_NE(nullptr, preset) << buttonId;
    return preset ? *preset : Presets().front();
}

std::optional<int> BoxMark(int buttonId, SettingId setting) {
    for (const PresetMark& m : PresetOf(buttonId).boxMarks) {
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

// Within each group the design's row order is the catalogue's, and the steps
// run threads, areas, Function, Comment: so every step list ascends through
// the catalogue with the groups in that order.
TEST(PresetsTest, StepListsFollowTheRowOrder) {
    for (const Preset& preset : Presets()) {
        SCOPED_TRACE(preset.buttonId);
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

TEST(PresetsTest, WholeColumnsSayWhatTheDesignSays) {
    const Preset& full = PresetOf(kFull);
    EXPECT_EQ(1, full.allThreadsMark);
    EXPECT_EQ(41u, full.boxMarks.size()) << "with All, the 42 boxes of the three groups";
    for (const PresetMark& m : full.boxMarks) EXPECT_EQ(1, m.mark) << Name(m.setting);
    EXPECT_FALSE(full.setsOutputOptions);
    EXPECT_TRUE(OutputOptionMarks(full, 0).empty());

    for (int id : {kChanges, kHttpOnly}) {
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
        EXPECT_EQ(preset.buttonId == kDefault, preset.setsOutputOptions) << preset.buttonId;
        if (preset.buttonId != kChanges && preset.buttonId != kHttpOnly) {
            EXPECT_EQ(41u, preset.boxMarks.size()) << preset.buttonId;
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
        int button;
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

TEST(PresetsTest, LookUpByButton) {
    for (int id : kPresetButtonIds) EXPECT_EQ(id, PresetOf(id).buttonId);
    for (int id : {0, 1033, 1077, 1080, 1094}) EXPECT_EQ(nullptr, FindPreset(id)) << id;
    for (const GroupButton& button : kGroupButtons) {
        ASSERT_TRUE(FindGroupButton(button.buttonId).has_value());
        EXPECT_EQ(button.boxes, FindGroupButton(button.buttonId)->boxes);
    }
    EXPECT_EQ(std::nullopt, FindGroupButton(1072));
}

TEST(PresetsTest, GroupButtonsSetTheirGroupOnly) {
    const std::pair<int, std::size_t> expected[] = {{1033, 15}, {1034, 15}, {1065, 10},
                                                    {1070, 10}, {1035, 11}, {1036, 11}};
    for (const auto& [id, size] : expected) {
        const std::optional<GroupButton> button = FindGroupButton(id);
        ASSERT_TRUE(button.has_value()) << id;
        EXPECT_EQ(size, BoxesOf(button->boxes).size()) << id;
        EXPECT_EQ(id == 1033 || id == 1065 || id == 1035 ? 1 : 0, button->mark) << id;
    }
    const std::vector<SettingId> detail = BoxesOf(FindGroupButton(1035)->boxes);
    for (SettingId id : detail) {
        EXPECT_TRUE(BelongsTo(BoxGroup::Comment, id)) << Name(id) << ": Function boxes stay as they are";
    }
    EXPECT_EQ(kDetailCmntRows, detail[2]);
    EXPECT_EQ(kDetailCmntStoreInfo, detail[6]);
}

}  // namespace
}  // namespace kmx

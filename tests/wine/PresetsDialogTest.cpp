// The preset buttons, the All/None buttons of the three groups and Factory
// Reset on the real main window: which check marks they set, what they leave
// alone (marks, model, enabled states, registry), and what Save and Cancel
// make of them afterwards. Settings live in a private registry key.
#include "MainDialogDriver.h"

#include <ostream>

#include "settings/Presets.h"
#include "ui/EnablingRules.h"

namespace {

using kmx::maindialog::GroupBoxIds;
using kmx::maindialog::kAreaIds;
using kmx::maindialog::kCommentIds;
using kmx::maindialog::KeyContents;
using kmx::maindialog::kOtherSwitchIds;
using kmx::maindialog::kSingleThreadIds;
using kmx::maindialog::NameOf;

// The 46 boxes presets act on: "All" (IDC_THREAD_ALL_THREADS) and the groups.
std::vector<int> PresetBoxIds() {
    std::vector<int> ids = {IDC_THREAD_ALL_THREADS};
    const std::vector<int> groups = GroupBoxIds();
    ids.insert(ids.end(), groups.begin(), groups.end());
    return ids;
}

class PresetsFixture : public kmx::maindialog::MainWindowDriver {
protected:
    // Logging on or off, every one of the 46 preset boxes set to `boxes`, and
    // a directory that exists so that Save passes its checks.
    void Arrange(bool enabled, int boxes) {
        ASSERT_TRUE(m_real.Ready());
        ASSERT_TRUE(PutDword(L"Enabled", enabled));
        for (int id : PresetBoxIds()) ASSERT_TRUE(PutDword(NameOf(id), boxes));
        ASSERT_TRUE(PutString(L"FileName", L"C:\\windows\\kmx"));
    }

    std::map<int, std::wstring> Texts() const {
        std::map<int, std::wstring> texts;
        for (int id : {IDC_LOG_DIRECTORY, IDC_LOG_PREFIX, IDC_MAX_FILE_SIZE, IDC_MAX_DIR_SIZE,
                       IDC_MAX_AGE_DAYS, IDC_MAX_CALL_DEPTH, IDC_ADVANCED})
            texts[id] = ItemText(id);
        return texts;
    }

    void ExpectThreadBoxesEnabled(bool enabled) const {
        for (int id : kSingleThreadIds) EXPECT_EQ(enabled, Enabled(id)) << "thread box " << id;
    }
};

// What a preset button does to a box according to the preset table: 1, 0,
// or -1 for "left as it is". isBes decides the variant-dependent cell.
int PresetMark(int buttonId, int controlId, int isBes) {
    std::size_t column = 0;
    for (const kmx::PresetButton& button : kmx::kPresetButtons)
        if (button.buttonId == buttonId) column = static_cast<std::size_t>(button.preset);
    for (const kmx::PresetRow& row : kmx::kPresetTable) {
        if (kmx::ControlOf(row.setting) != controlId) continue;
        switch (row.marks[2 * column]) {
            case '1': return 1;
            case '0': return 0;
            case 'v': return isBes ? 0 : 1;
            default: return -1;
        }
    }
    return -1;
}

// ---- Every cell of every preset column ----

struct ColumnCase {
    int button;
    int start;  // every preset box checked (1) or unchecked (0) beforehand
};

std::string PresetName(int button) {
    switch (button) {
        case IDC_PRESET_FULL: return "Full";
        case IDC_PRESET_DEFAULT: return "Default";
        case IDC_PRESET_CHANGES: return "Changes";
        case IDC_PRESET_SPOOLER: return "Spooler";
        case IDC_PRESET_UI_THREAD: return "UiThread";
        case IDC_PRESET_HTTP_ONLY: return "HttpOnly";
        case IDC_PRESET_MAIN_SYNC: return "MainSync";
        case IDC_PRESET_GAL_SYNC: return "GalSync";
    }
    return std::to_string(button);
}

std::string CaseName(const ColumnCase& c) {
    return PresetName(c.button) + (c.start ? "_FromAllOn" : "_FromAllOff");
}

void PrintTo(const ColumnCase& c, std::ostream* out) { *out << CaseName(c); }

std::vector<ColumnCase> AllColumnCases() {
    std::vector<ColumnCase> cases;
    for (int button : kmx::kPresetButtonIds) {
        cases.push_back({button, 1});
        cases.push_back({button, 0});
    }
    return cases;
}

class PresetColumnTest : public PresetsFixture, public ::testing::TestWithParam<ColumnCase> {};

// From both extremes, so that a "left as it is" cell shows as either mark.
// The model takes over only what the enabling handler copies: "All" as the
// preset sets it and every other control as it was just before the preset
// (the calendar box and the size edit are changed silently to prove it).
TEST_P(PresetColumnTest, SetsEachBoxOfItsColumnAndCopiesOnlyTheStateBefore) {
    const ColumnCase& c = GetParam();
    Arrange(true, c.start);
    Open();
    SetMark(IDC_ENABLE_CALENDAR_TRACKING, BST_CHECKED);
    Type(IDC_MAX_FILE_SIZE, L"20");
    const kmx::SettingsModel before = m_dlg->Model();
    const std::map<int, int> marks = Marks();
    std::map<HWND, bool> enabled = EnabledStates();

    Click(c.button);

    const int allMark = PresetMark(c.button, IDC_THREAD_ALL_THREADS, 0);
    ASSERT_NE(-1, allMark);
    for (int id : PresetBoxIds()) {
        const int cell = PresetMark(c.button, id, 0);
        EXPECT_EQ(cell == -1 ? c.start : cell, Mark(id)) << "box " << id;
    }
    for (int id : kOtherSwitchIds) EXPECT_EQ(marks.at(id), Mark(id)) << "box " << id;

    for (std::size_t i = 0; i < kmx::kSettingCount; ++i) {
        const auto id = static_cast<kmx::SettingId>(i);
        int expected = before.value[id];
        if (id == kmx::kThreadAllThreads) expected = allMark;
        if (id == kmx::kEnableAppDump) expected = 1;
        EXPECT_EQ(expected, m_dlg->Model().value[id]) << kmx::Info(id).name;
    }
    EXPECT_EQ(L"20", m_dlg->Model().text[kmx::kMaxFileSizeMB]);

    // Only the single-thread boxes may change, following the new "All".
    for (int id : kSingleThreadIds) enabled[Item(id)] = allMark == 0;
    EXPECT_EQ(enabled, EnabledStates());
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(AllPresets, PresetColumnTest, ::testing::ValuesIn(AllColumnCases()),
                         [](const ::testing::TestParamInfo<ColumnCase>& info) {
                             return CaseName(info.param);
                         });

// ---- Single presets ----

class PresetsDialogTest : public PresetsFixture, public ::testing::Test {};

// From "All" checked, "Spooler" leaves only its own thread box checked. With
// logging on the thread boxes become usable; with logging off the marks of
// the disabled boxes change all the same and nothing becomes usable.
TEST_F(PresetsDialogTest, SpoolerUnchecksAllAndLeavesOnlySpooler) {
    for (bool logging : {true, false}) {
        SCOPED_TRACE(logging ? "logging on" : "logging off");
        Arrange(logging, 1);
        Open();
        ExpectThreadBoxesEnabled(false);
        std::map<HWND, bool> enabled = EnabledStates();

        Click(IDC_PRESET_SPOOLER);

        EXPECT_EQ(BST_UNCHECKED, Mark(IDC_THREAD_ALL_THREADS));
        EXPECT_EQ(0, m_dlg->Model().value[kmx::kThreadAllThreads]);
        for (int id : kSingleThreadIds)
            EXPECT_EQ(id == IDC_THREAD_SPOOLER ? BST_CHECKED : BST_UNCHECKED, Mark(id)) << id;
        for (int id : kSingleThreadIds) enabled[Item(id)] = logging;
        EXPECT_EQ(enabled, EnabledStates());
        EXPECT_EQ(logging ? BST_CHECKED : BST_UNCHECKED, Mark(IDC_ENABLE_LOGGING));
        Close();
    }
}

// "Changes" and "HTTP Only" check "All" and keep whatever the single-thread
// boxes held, now disabled.
TEST_F(PresetsDialogTest, ChangesAndHttpOnlyCheckAllAndKeepTheThreadMarks) {
    for (int button : {IDC_PRESET_CHANGES, IDC_PRESET_HTTP_ONLY}) {
        SCOPED_TRACE(button);
        Arrange(true, 1);
        ASSERT_TRUE(PutDword(L"ThreadAllThreads", 0));
        for (std::size_t i = 0; i < 15; ++i) ASSERT_TRUE(PutDword(NameOf(kSingleThreadIds[i]), i % 3 == 0));
        Open();
        ExpectThreadBoxesEnabled(true);

        Click(button);

        EXPECT_EQ(BST_CHECKED, Mark(IDC_THREAD_ALL_THREADS));
        EXPECT_EQ(1, m_dlg->Model().value[kmx::kThreadAllThreads]);
        ExpectThreadBoxesEnabled(false);
        for (std::size_t i = 0; i < 15; ++i)
            EXPECT_EQ(i % 3 == 0, Mark(kSingleThreadIds[i]) == BST_CHECKED) << i;
        Close();
    }
}

// "Default" asks for the variant each time it runs, not when the window
// opened: Thread Lanes follows the flag at the click.
TEST_F(PresetsDialogTest, DefaultSetsTheOutputOptionsByTheVariantAtTheClick) {
    const std::pair<DWORD, DWORD> variants[] = {{0, 0}, {1, 1}, {0, 1}, {1, 0}};
    for (const auto& [atOpen, atClick] : variants) {
        SCOPED_TRACE(testing::Message() << "isBES " << atOpen << " then " << atClick);
        Arrange(true, 0);
        ASSERT_TRUE(PutDword(L"LogToDbgWin", 1));
        ASSERT_TRUE(PutDword(L"ThreadLanes", atClick));
        ASSERT_TRUE(PutDword(L"IndentCallDepth", 0));
        ASSERT_TRUE(PutDword(L"PrettyPrint", 1));
        ASSERT_TRUE(PutVariant(atOpen));
        Open();
        ASSERT_TRUE(PutVariant(atClick));

        Click(IDC_PRESET_DEFAULT);

        EXPECT_EQ(atClick ? BST_UNCHECKED : BST_CHECKED, Mark(IDC_THREAD_LANES)) << "Thread Lanes";
        EXPECT_EQ(BST_CHECKED, Mark(IDC_INDENT_CALL_DEPTH)) << "Indent Call Depth";
        EXPECT_EQ(BST_UNCHECKED, Mark(IDC_PRETTY_PRINT)) << "Pretty Print HTTP";
        EXPECT_EQ(BST_UNCHECKED, Mark(IDC_LOG_TO_DBGWIN)) << "Log to DbgWin";
        // The model keeps the loaded options until the next copy.
        EXPECT_EQ(static_cast<int>(atClick), m_dlg->Model().value[kmx::kThreadLanes]);
        EXPECT_EQ(1, m_dlg->Model().value[kmx::kPrettyPrint]);
        Close();
    }
}

// ---- Save and Cancel after a preset ----

TEST_F(PresetsDialogTest, SaveAfterAPresetStoresItsMarks) {
    const std::pair<int, int> cases[] = {
        {IDC_PRESET_FULL, 0}, {IDC_PRESET_GAL_SYNC, 1}, {IDC_PRESET_DEFAULT, 0}};
    for (const auto& [button, start] : cases) {
        SCOPED_TRACE(button);
        Arrange(true, start);
        Open();
        Click(button);
        Click(IDOK);
        ASSERT_TRUE(m_dlg->HasEnded());
        EXPECT_EQ(IDOK, m_dlg->GetEndResult());
        EXPECT_TRUE(m_boxes.Boxes().empty());
        for (int id : PresetBoxIds()) {
            const int cell = PresetMark(button, id, 0);
            EXPECT_EQ(cell == -1 ? start : cell, StoredDword(NameOf(id))) << NameOf(id);
        }
        EXPECT_EQ(1, StoredDword(L"Enabled"));
        EXPECT_EQ(L"C:\\windows\\kmx", StoredString(L"FileName"));
        Close();
    }
}

TEST_F(PresetsDialogTest, CancelAfterPresetsWritesNothing) {
    Arrange(true, 0);
    Open();
    const KeyContents opened = StoredValues();
    for (int button : kmx::kPresetButtonIds) Click(button);
    Click(IDC_THREADS_ALL);
    EXPECT_EQ(opened, StoredValues()) << "presets and group buttons write nothing themselves";
    Click(IDCANCEL);
    ASSERT_TRUE(m_dlg->HasEnded());
    EXPECT_EQ(IDCANCEL, m_dlg->GetEndResult());
    m_dlg.reset();
    EXPECT_EQ(opened, StoredValues());
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

// ---- All / None of the three groups ----

struct GroupCase {
    const char* name;
    int button;
    int mark;
    std::vector<int> boxes;
};

void PrintTo(const GroupCase& c, std::ostream* out) { *out << c.name; }

std::vector<GroupCase> AllGroupCases() {
    return {{"ThreadsAll", IDC_THREADS_ALL, 1, kSingleThreadIds},
            {"ThreadsNone", IDC_THREADS_NONE, 0, kSingleThreadIds},
            {"AreasAll", IDC_AREAS_ALL, 1, kAreaIds},
            {"AreasNone", IDC_AREAS_NONE, 0, kAreaIds},
            {"DetailAll", IDC_DETAIL_ALL, 1, kCommentIds},
            {"DetailNone", IDC_DETAIL_NONE, 0, kCommentIds}};
}

class GroupButtonTest : public PresetsFixture, public ::testing::TestWithParam<GroupCase> {};

// Starting from the opposite mark everywhere ("All" of the threads and the
// Function boxes included), with logging on and off: exactly the group's boxes
// move; the model, the enabled states and the other marks stay.
TEST_P(GroupButtonTest, SetsExactlyItsBoxes) {
    const GroupCase& c = GetParam();
    for (bool logging : {true, false}) {
        SCOPED_TRACE(logging ? "logging on" : "logging off");
        Arrange(logging, c.mark ? 0 : 1);
        Open();
        std::map<int, int> expected = Marks();
        const kmx::SettingsModel before = m_dlg->Model();
        const std::map<HWND, bool> enabled = EnabledStates();

        Click(c.button);

        for (int id : c.boxes) expected[id] = c.mark;
        EXPECT_EQ(expected, Marks());
        EXPECT_EQ(before.value, m_dlg->Model().value);
        EXPECT_EQ(enabled, EnabledStates());
        Close();
    }
}

INSTANTIATE_TEST_SUITE_P(AllButtons, GroupButtonTest, ::testing::ValuesIn(AllGroupCases()),
                         [](const ::testing::TestParamInfo<GroupCase>& info) { return info.param.name; });

// ---- Factory Reset ----

class FactoryResetTest : public PresetsFixture, public ::testing::Test {
protected:
    // Everything away from its factory value, logging on and expanded.
    void OpenChanged() {
        Arrange(true, 1);
        for (int id : PresetBoxIds()) {
            ASSERT_TRUE(PutDword(NameOf(id), !kmx::Info(kmx::maindialog::SettingOf(id)).factoryDefault));
        }
        ASSERT_TRUE(PutDword(L"EnableRoll", 1));
        ASSERT_TRUE(PutDword(L"KeepLogging", 0));
        ASSERT_TRUE(PutDword(L"EnableMaxDirSize", 1));
        ASSERT_TRUE(PutDword(L"EnableMaxAge", 0));
        ASSERT_TRUE(PutDword(L"MaxFileSizeMB", 25));
        ASSERT_TRUE(PutDword(L"MaxDirSizeMB", 900));
        ASSERT_TRUE(PutDword(L"MaxAgeDays", 9));
        ASSERT_TRUE(PutDword(L"MaxCallDepth", 50));
        ASSERT_TRUE(PutDword(L"ShowAppDump", 1));
        ASSERT_TRUE(PutDword(L"EnableAppDump", 1));
        ASSERT_TRUE(PutString(L"FileName", L"C:\\windows\\abc"));
        Open();
        Click(IDC_ADVANCED);
        ASSERT_EQ(0, m_dlg->IsCollapsed());
        Type(IDC_MAX_FILE_SIZE, L"50");
    }

    void ResetThenSave(DWORD isBes);

    void ExpectOneQuestion() {
        ASSERT_EQ(1u, m_boxes.Boxes().size());
        const kmx::ScopedMessageBoxRecorder::Box& box = m_boxes.Boxes()[0];
        EXPECT_EQ(
            L"This will reset all logging settings to their factory defaults and change the log file "
            L"directory to the temp files directory. \n\n (Existing log files will remain in their "
            L"current directory.)\n\nContinue?",
            box.text);
        EXPECT_EQ(L"Confirm", box.caption);
        EXPECT_EQ(1u, box.type) << "MB_OKCANCEL, no icon, OK the default";
        EXPECT_EQ(m_dlg->m_hWnd, box.owner);
    }
};

TEST_F(FactoryResetTest, CancelChangesNothing) {
    OpenChanged();
    const std::map<int, int> marks = Marks();
    const std::map<int, std::wstring> texts = Texts();
    const std::map<HWND, bool> enabled = EnabledStates();
    const kmx::SettingsModel before = m_dlg->Model();
    const KeyContents stored = StoredValues();
    m_boxes.SetAnswer(IDCANCEL);

    Click(IDC_FACTORY_RESET);

    ExpectOneQuestion();
    EXPECT_EQ(marks, Marks());
    EXPECT_EQ(texts, Texts());
    EXPECT_EQ(L"50", ItemText(IDC_MAX_FILE_SIZE));
    EXPECT_EQ(enabled, EnabledStates());
    EXPECT_EQ(before.value, m_dlg->Model().value);
    EXPECT_EQ(before.text, m_dlg->Model().text);
    EXPECT_EQ(before.logDirectory, m_dlg->Model().logDirectory);
    EXPECT_EQ(stored, StoredValues());
    EXPECT_FALSE(m_dlg->HasEnded());
}

// OK: every control shows its factory value, logging is off and so nothing
// governed stays usable; the single-file size shows the factory 10, neither
// the 25 loaded nor the 50 typed. The view and the registry stay until Save.
void FactoryResetTest::ResetThenSave(DWORD isBes) {
    ASSERT_TRUE(PutVariant(isBes));
    OpenChanged();
    const KeyContents stored = StoredValues();
    RECT opened = {};
    GetWindowRect(m_dlg->m_hWnd, &opened);
    wchar_t temp[MAX_PATH + 1] = L"";
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));

    Click(IDC_FACTORY_RESET);

    ExpectOneQuestion();
    EXPECT_EQ(BST_UNCHECKED, Mark(IDC_ENABLE_LOGGING));
    EXPECT_EQ(std::wstring(temp), ItemText(IDC_LOG_DIRECTORY));
    EXPECT_EQ(L"kmx", ItemText(IDC_LOG_PREFIX));
    EXPECT_EQ(L"10", ItemText(IDC_MAX_FILE_SIZE));
    EXPECT_EQ(L"100", ItemText(IDC_MAX_DIR_SIZE));
    EXPECT_EQ(L"7", ItemText(IDC_MAX_AGE_DAYS));
    EXPECT_EQ(L"100", ItemText(IDC_MAX_CALL_DEPTH));
    for (const kmx::SettingInfo& info : kmx::kCatalogue) {
        if (info.kind != kmx::SettingKind::Switch) continue;
        const int expected =
            kmx::maindialog::ControlOf(info) == IDC_THREAD_LANES && isBes ? 0 : info.factoryDefault;
        EXPECT_EQ(expected, Mark(kmx::maindialog::ControlOf(info))) << info.name;
        EXPECT_EQ(expected, m_dlg->Model().value[static_cast<kmx::SettingId>(&info - kmx::kCatalogue.data())])
            << info.name;
    }
    for (const kmx::EnablingStep& step : kmx::kEnablingSteps) {
        for (int id : step) EXPECT_FALSE(Enabled(id)) << "control " << id;
    }
    for (int id : {IDC_ENABLE_LOGGING, IDOK, IDCANCEL, IDC_ENABLE_CALENDAR_TRACKING, IDC_FORCE_GAL_UPDATE,
                   IDC_FORCE_GAL_RESET, IDC_FACTORY_RESET, IDC_ADVANCED}) {
        EXPECT_TRUE(Enabled(id)) << "control " << id;
    }
    for (int id : kmx::kPresetButtonIds) EXPECT_TRUE(Enabled(id)) << "preset button " << id;
    for (int id : kmx::kGroupButtonIds) EXPECT_TRUE(Enabled(id)) << "group button " << id;
    EXPECT_EQ(0, m_dlg->IsCollapsed());
    EXPECT_EQ(L"<< Advanced", ItemText(IDC_ADVANCED));
    RECT window = {};
    GetWindowRect(m_dlg->m_hWnd, &window);
    EXPECT_EQ(opened.bottom, window.bottom);
    EXPECT_EQ(stored, StoredValues()) << "nothing is written before Save";

    Click(IDOK);
    ASSERT_TRUE(m_dlg->HasEnded());
    EXPECT_EQ(IDOK, m_dlg->GetEndResult());
    EXPECT_EQ(1u, m_boxes.Boxes().size()) << "no message from Save";
    EXPECT_EQ(0, StoredDword(L"Enabled"));
    EXPECT_EQ(10, StoredDword(L"MaxFileSizeMB"));
    EXPECT_EQ(100, StoredDword(L"MaxDirSizeMB"));
    EXPECT_EQ(7, StoredDword(L"MaxAgeDays"));
    EXPECT_EQ(0, StoredDword(L"EnableAppDump"));
    EXPECT_EQ(isBes ? 0 : 1, StoredDword(L"ThreadLanes"));
    std::wstring directory = temp;
    while (!directory.empty() && directory.back() == L'\\') directory.pop_back();
    EXPECT_EQ(directory + L"\\kmx", StoredString(L"FileName"));
}

TEST_F(FactoryResetTest, OkOnTheOutlookVariant) { ResetThenSave(0); }
TEST_F(FactoryResetTest, OkOnTheBlackBerryServerVariant) { ResetThenSave(1); }

// Switching logging on after a reset frees the controls by the reset's own
// switches ("All" threads on, rolling on) and keeps the factory size.
TEST_F(FactoryResetTest, EnablingLoggingAfterwardsFollowsTheResetSwitches) {
    OpenChanged();
    Click(IDC_FACTORY_RESET);
    Click(IDC_ENABLE_LOGGING);
    EXPECT_EQ(BST_CHECKED, Mark(IDC_ENABLE_LOGGING));
    EXPECT_EQ(L"10", ItemText(IDC_MAX_FILE_SIZE));
    for (int id :
         {IDC_THREAD_ALL_THREADS, IDC_LOG_TO_DBGWIN, IDC_DETAIL_FN_API, IDC_DETAIL_CMNT_GEN, IDC_AREA_CHANGES,
          IDC_ENABLE_MAX_AGE, IDC_MAX_AGE_DAYS, IDC_ENABLE_ROLL, IDC_KEEP_LOGGING, IDC_ENABLE_MAX_DIR_SIZE,
          IDC_MAX_DIR_SIZE, IDC_LOG_DIRECTORY, IDC_MAX_FILE_SIZE, IDC_MAX_CALL_DEPTH}) {
        EXPECT_TRUE(Enabled(id)) << id;
    }
    ExpectThreadBoxesEnabled(false);
}

}  // namespace

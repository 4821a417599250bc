// Which controls of the main window are usable for which switches, what a
// click on a plain check box does, how switching logging off throws away an
// unsaved single-file size, and the collapsed and expanded views: driven on
// the real window, with the settings in a private registry key.
#include "MainDialogDriver.h"

#include <ostream>

#include "ui/EnablingRules.h"

namespace {

using kmx::maindialog::GroupBoxIds;
using kmx::maindialog::kSingleThreadIds;
using kmx::maindialog::NameOf;

// Controls no rule governs, besides the preset and All/None buttons: they
// stay usable whatever the switches say.
const int kAlwaysEnabledIds[] = {IDC_ENABLE_LOGGING,
                                 IDOK,
                                 IDCANCEL,
                                 IDC_CONFIGURE_PROXY,
                                 IDC_ENABLE_CALENDAR_TRACKING,
                                 IDC_FORCE_GAL_UPDATE,
                                 IDC_FORCE_GAL_RESET,
                                 IDC_FACTORY_RESET,
                                 IDC_ADVANCED};

struct Switches {
    bool enabled;
    bool allThreads;
    bool enableRoll;
};

std::ostream& operator<<(std::ostream& out, const Switches& s) {
    return out << "Enabled=" << s.enabled << " ThreadAllThreads=" << s.allThreads
               << " EnableRoll=" << s.enableRoll;
}

void PrintTo(const Switches& s, std::ostream* out) { *out << s; }

bool Allows(kmx::Rule rule, const Switches& s) {
    switch (rule) {
        case kmx::Rule::Logging: return s.enabled;
        case kmx::Rule::Thread: return s.enabled && !s.allThreads;
        case kmx::Rule::Rolling: return s.enabled && s.enableRoll;
    }
    return false;
}

class EnablingFixture : public kmx::maindialog::MainWindowDriver {
protected:
    // A loadable directory, so that Save passes its checks.
    void ArrangeLogging(const Switches& s) {
        ASSERT_TRUE(m_real.Ready());
        ASSERT_TRUE(PutDword(L"Enabled", s.enabled));
        ASSERT_TRUE(PutDword(L"ThreadAllThreads", s.allThreads));
        ASSERT_TRUE(PutDword(L"EnableRoll", s.enableRoll));
        ASSERT_TRUE(PutString(L"FileName", L"C:\\windows\\kmx"));
    }

    // Every governed control against its rule, and the ungoverned ones usable.
    void ExpectEnabledFor(const Switches& s) const {
        for (std::size_t step = 0; step < kmx::kEnablingSteps.size(); ++step) {
            for (int id : kmx::kEnablingSteps[step]) {
                ASSERT_NE(nullptr, Item(id)) << id;
                EXPECT_EQ(Allows(kmx::kEnablingSteps[step].rule, s), Enabled(id))
                    << "control " << id << " (step " << step + 1 << ") with " << s;
            }
        }
        for (int id : kAlwaysEnabledIds) EXPECT_TRUE(Enabled(id)) << "control " << id << " with " << s;
        for (int id : kmx::kPresetButtonIds)
            EXPECT_TRUE(Enabled(id)) << "preset button " << id << " with " << s;
        for (int id : kmx::kGroupButtonIds)
            EXPECT_TRUE(Enabled(id)) << "group button " << id << " with " << s;
    }
};

// ---- Enabled states as loaded ----

class EnablingStatesTest : public EnablingFixture, public ::testing::TestWithParam<Switches> {};

TEST_P(EnablingStatesTest, LoadedSwitchesDecideEveryGovernedControl) {
    ArrangeLogging(GetParam());
    Open();
    ExpectEnabledFor(GetParam());
    EXPECT_EQ(GetParam().enabled, Mark(IDC_ENABLE_LOGGING) == BST_CHECKED);
    EXPECT_EQ(GetParam().allThreads, Mark(IDC_THREAD_ALL_THREADS) == BST_CHECKED);
    EXPECT_EQ(GetParam().enableRoll, Mark(IDC_ENABLE_ROLL) == BST_CHECKED);
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

INSTANTIATE_TEST_SUITE_P(AllCombinations, EnablingStatesTest,
                         ::testing::Values(Switches{false, false, false}, Switches{false, false, true},
                                           Switches{false, true, false}, Switches{false, true, true},
                                           Switches{true, false, false}, Switches{true, false, true},
                                           Switches{true, true, false}, Switches{true, true, true}),
                         [](const ::testing::TestParamInfo<Switches>& info) {
                             const Switches& s = info.param;
                             return std::string(s.enabled ? "LoggingOn" : "LoggingOff") +
                                    (s.allThreads ? "_AllOn" : "_AllOff") +
                                    (s.enableRoll ? "_RollOn" : "_RollOff");
                         });

// ---- Enabled states by clicks ----

class EnablingTest : public EnablingFixture, public ::testing::Test {};

// Every combination of the three switches is reached by clicks, each box
// clicked only while it is usable; after each click the whole window matches
// the rules and no other check mark has moved. The marks of the disabled
// single-thread boxes then reach the registry with Save.
TEST_F(EnablingTest, ClicksOnTheThreeSwitchesWalkThroughEveryCombination) {
    ArrangeLogging({false, true, true});
    // Alternating marks in the single-thread boxes, so that a lost or
    // rewritten mark shows.
    const std::vector<int>& threads = kSingleThreadIds;
    for (std::size_t i = 0; i < 15; ++i) ASSERT_TRUE(PutDword(NameOf(threads[i]), i % 2));
    Open();
    ExpectEnabledFor({false, true, true});

    struct Step {
        int box;
        Switches after;
    };
    const Step walk[] = {
        {IDC_ENABLE_LOGGING, {true, true, true}},   {IDC_THREAD_ALL_THREADS, {true, false, true}},
        {IDC_ENABLE_LOGGING, {false, false, true}}, {IDC_ENABLE_LOGGING, {true, false, true}},
        {IDC_ENABLE_ROLL, {true, false, false}},    {IDC_ENABLE_LOGGING, {false, false, false}},
        {IDC_ENABLE_LOGGING, {true, false, false}}, {IDC_THREAD_ALL_THREADS, {true, true, false}},
        {IDC_ENABLE_LOGGING, {false, true, false}}};
    for (const Step& step : walk) {
        SCOPED_TRACE(testing::Message() << "click on " << step.box << " giving " << step.after);
        std::map<int, int> expected = Marks();
        expected[step.box] = expected[step.box] == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        Click(step.box);
        EXPECT_EQ(expected, Marks());
        ExpectEnabledFor(step.after);
        EXPECT_EQ(step.after.enabled, m_dlg->Model().value[kmx::kEnabled] != 0);
        EXPECT_EQ(step.after.allThreads, m_dlg->Model().value[kmx::kThreadAllThreads] != 0);
        EXPECT_EQ(step.after.enableRoll, m_dlg->Model().value[kmx::kEnableRoll] != 0);
    }
    for (std::size_t i = 0; i < 15; ++i) EXPECT_EQ(static_cast<int>(i % 2), Mark(threads[i])) << threads[i];

    // Logging is off again but the thread choice changed: Save writes.
    Click(IDOK);
    ASSERT_TRUE(m_dlg->HasEnded());
    EXPECT_EQ(IDOK, m_dlg->GetEndResult());
    EXPECT_TRUE(m_boxes.Boxes().empty());
    EXPECT_EQ(0, StoredDword(L"Enabled"));
    EXPECT_EQ(1, StoredDword(L"ThreadAllThreads"));
    EXPECT_EQ(0, StoredDword(L"EnableRoll"));
    for (std::size_t i = 0; i < 15; ++i)
        EXPECT_EQ(static_cast<long long>(i % 2), StoredDword(NameOf(threads[i])));
}

// Switching logging off puts back the single-file size as loaded, whatever
// was typed since; the other texts keep what the user entered, and switching
// logging on again does not bring the typed size back.
TEST_F(EnablingTest, SwitchingLoggingOffRevertsOnlyTheSingleFileSize) {
    for (DWORD loaded : {10u, 25u}) {
        SCOPED_TRACE(loaded);
        ArrangeLogging({true, false, true});
        ASSERT_TRUE(PutDword(L"MaxFileSizeMB", loaded));
        ASSERT_TRUE(PutDword(L"MaxDirSizeMB", 400));
        Open();
        const std::wstring loadedText = std::to_wstring(loaded);
        ASSERT_EQ(loadedText, ItemText(IDC_MAX_FILE_SIZE));

        Type(IDC_MAX_FILE_SIZE, L"50");
        Type(IDC_MAX_DIR_SIZE, L"800");
        Type(IDC_MAX_AGE_DAYS, L"12");
        Type(IDC_MAX_CALL_DEPTH, L"33");
        Type(IDC_LOG_PREFIX, L"abc");
        Click(IDC_ENABLE_LOGGING);

        EXPECT_EQ(BST_UNCHECKED, Mark(IDC_ENABLE_LOGGING));
        EXPECT_EQ(loadedText, ItemText(IDC_MAX_FILE_SIZE));
        EXPECT_EQ(loadedText, m_dlg->Model().text[kmx::kMaxFileSizeMB]);
        EXPECT_EQ(L"800", ItemText(IDC_MAX_DIR_SIZE));
        EXPECT_EQ(L"800", m_dlg->Model().text[kmx::kMaxDirSizeMB]);
        EXPECT_EQ(L"12", ItemText(IDC_MAX_AGE_DAYS));
        EXPECT_EQ(L"33", ItemText(IDC_MAX_CALL_DEPTH));
        EXPECT_EQ(L"abc", ItemText(IDC_LOG_PREFIX));
        EXPECT_EQ(L"C:\\windows", ItemText(IDC_LOG_DIRECTORY));

        Click(IDC_ENABLE_LOGGING);
        EXPECT_EQ(BST_CHECKED, Mark(IDC_ENABLE_LOGGING));
        EXPECT_EQ(loadedText, ItemText(IDC_MAX_FILE_SIZE));
        EXPECT_EQ(L"800", ItemText(IDC_MAX_DIR_SIZE));
        Close();
    }
}

// Each of the 48 plain check boxes copies the whole window into the model and
// leaves every enabled state alone. The calendar tracking box, which has no
// handler, is set silently before each click: the copy must pick it up.
TEST_F(EnablingTest, PlainCheckBoxClickCopiesTheWindowAndEnablesNothing) {
    ArrangeLogging({true, false, true});
    Open();
    ASSERT_EQ(48u, kmx::kPlainCheckBoxIds.size());
    int calendar = BST_UNCHECKED;
    for (int id : kmx::kPlainCheckBoxIds) {
        SCOPED_TRACE(id);
        const kmx::SettingId setting = kmx::maindialog::SettingOf(id);
        ASSERT_TRUE(Enabled(id));
        calendar = calendar == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
        SendMessageW(Item(IDC_ENABLE_CALENDAR_TRACKING), BM_SETCHECK, calendar, 0);
        const int before = Mark(id);
        const std::map<HWND, bool> enabled = EnabledStates();

        Click(id);

        EXPECT_NE(before, Mark(id));
        EXPECT_EQ(Mark(id), m_dlg->Model().value[setting]);
        EXPECT_EQ(calendar, m_dlg->Model().value[kmx::kEnableAppDump]);
        EXPECT_EQ(enabled, EnabledStates());
    }
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

// No rule runs on a plain click, even when the model it copies says
// otherwise: the three switches are changed silently first, so a rule (or the
// size revert of switching logging off) would show.
TEST_F(EnablingTest, PlainCheckBoxClickAppliesNoRule) {
    ArrangeLogging({true, false, true});
    Open();
    SendMessageW(Item(IDC_ENABLE_LOGGING), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(Item(IDC_THREAD_ALL_THREADS), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(Item(IDC_ENABLE_ROLL), BM_SETCHECK, BST_UNCHECKED, 0);
    Type(IDC_MAX_FILE_SIZE, L"50");
    const std::map<HWND, bool> enabled = EnabledStates();
    for (int id :
         {IDC_THREAD_MAIN, IDC_LOG_TO_DBGWIN, IDC_THREAD_LANES, IDC_KEEP_LOGGING, IDC_ENABLE_MAX_DIR_SIZE,
          IDC_ENABLE_MAX_AGE, IDC_DETAIL_FN_API, IDC_DETAIL_CMNT_GEN, IDC_AREA_CHANGES}) {
        SCOPED_TRACE(id);
        Click(id);
        EXPECT_EQ(Mark(id), m_dlg->Model().value[kmx::maindialog::SettingOf(id)]);
        EXPECT_EQ(0, m_dlg->Model().value[kmx::kEnabled]);
        EXPECT_EQ(1, m_dlg->Model().value[kmx::kThreadAllThreads]);
        EXPECT_EQ(0, m_dlg->Model().value[kmx::kEnableRoll]);
        EXPECT_EQ(enabled, EnabledStates());
        EXPECT_EQ(L"50", ItemText(IDC_MAX_FILE_SIZE));
    }
    ExpectEnabledFor({true, false, true});
}

// " Enable Calendar Tracking" has no handler: a click changes its mark only.
TEST_F(EnablingTest, CalendarTrackingClickReachesTheModelOnlyWithTheNextCopy) {
    ArrangeLogging({true, false, true});
    ASSERT_TRUE(PutDword(L"ShowAppDump", 1));
    Open();
    ASSERT_TRUE(IsWindowVisible(Item(IDC_ENABLE_CALENDAR_TRACKING)));
    ASSERT_EQ(BST_UNCHECKED, Mark(IDC_ENABLE_CALENDAR_TRACKING));
    const std::map<HWND, bool> enabled = EnabledStates();

    Click(IDC_ENABLE_CALENDAR_TRACKING);
    EXPECT_EQ(BST_CHECKED, Mark(IDC_ENABLE_CALENDAR_TRACKING));
    EXPECT_EQ(0, m_dlg->Model().value[kmx::kEnableAppDump]);
    EXPECT_EQ(enabled, EnabledStates());

    Click(IDC_KEEP_LOGGING);
    EXPECT_EQ(1, m_dlg->Model().value[kmx::kEnableAppDump]);
}

// ---- Collapsed and expanded views ----

class AdvancedViewTest : public EnablingFixture, public ::testing::Test {
protected:
    RECT Rect(HWND window) const {
        RECT rect = {-1, -1, -1, -1};
        GetWindowRect(window, &rect);
        return rect;
    }
    LONG Height(const RECT& r) const { return r.bottom - r.top; }
    LONG Width(const RECT& r) const { return r.right - r.left; }

    void ExpectCollapsed(const RECT& opened) {
        const RECT window = Rect(m_dlg->m_hWnd);
        const RECT marker = Rect(Item(IDC_MARKER_COLLAPSED));
        EXPECT_EQ(marker.top - window.top + 4, Height(window));
        EXPECT_EQ(opened.left, window.left);
        EXPECT_EQ(opened.top, window.top);
        EXPECT_EQ(Width(opened), Width(window));
        EXPECT_EQ(L"Advanced >>", ItemText(IDC_ADVANCED));
        EXPECT_EQ(1, m_dlg->IsCollapsed());
    }

    void ExpectExpanded(const RECT& opened) {
        const RECT window = Rect(m_dlg->m_hWnd);
        const RECT marker = Rect(Item(IDC_MARKER_EXPANDED));
        EXPECT_EQ(2 * marker.bottom - marker.top - window.top, Height(window));
        EXPECT_EQ(opened.left, window.left);
        EXPECT_EQ(opened.top, window.top);
        EXPECT_EQ(Width(opened), Width(window));
        EXPECT_EQ(L"<< Advanced", ItemText(IDC_ADVANCED));
        EXPECT_EQ(0, m_dlg->IsCollapsed());
    }
};

TEST_F(AdvancedViewTest, OpensCollapsedAndEachClickSwitchesTheView) {
    ArrangeLogging({true, false, true});
    Open();
    const RECT opened = Rect(m_dlg->m_hWnd);
    ExpectCollapsed(opened);
    // The collapsed window ends above the thread boxes, the expanded one below.
    EXPECT_LT(opened.bottom, Rect(Item(IDC_THREAD_MAIN)).top);

    const std::map<HWND, bool> enabled = EnabledStates();
    const std::map<int, int> marks = Marks();
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Click(IDC_ADVANCED);
        ExpectExpanded(opened);
        EXPECT_GT(Rect(m_dlg->m_hWnd).bottom, Rect(Item(IDC_PRETTY_PRINT)).bottom);
        EXPECT_GT(Height(Rect(m_dlg->m_hWnd)), Height(opened));
        Click(IDC_ADVANCED);
        ExpectCollapsed(opened);
        EXPECT_EQ(Height(opened), Height(Rect(m_dlg->m_hWnd)));
    }
    // The view only cuts controls off: none is hidden, disabled or changed.
    EXPECT_EQ(enabled, EnabledStates());
    EXPECT_EQ(marks, Marks());
    for (int id : GroupBoxIds()) EXPECT_TRUE(IsWindowVisible(Item(id))) << id;
}

}  // namespace

// The real program, started as a process of its own on the real registry of
// the Wine prefix and worked only through window messages, as a user would:
// what it shows, which boxes it asks, and what it leaves in the registry.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ProgramDriver.h"
#include "RegistryState.h"
#include "resource.h"

namespace kmx {
namespace e2e {
namespace {

const wchar_t kSizeRuleText[] =
    L"'Max Size of KMXLogs Directory' must be at least ten times 'Max Size of Single Log File'.";
const wchar_t kGalSuccessText[] = L"GAL sync was initiated. It will start within next 10 seconds..";
const wchar_t kFactoryResetQuestion[] =
    L"This will reset all logging settings to their factory defaults and change the log file directory "
    L"to the temp files directory. \n\n (Existing log files will remain in their current directory.)"
    L"\n\nContinue?";

struct NamedDword {
    const wchar_t* name;
    DWORD value;
};

// Every 32-bit setting with its factory value, on the Outlook variant.
const NamedDword kFactoryDwords[] = {{L"Enabled", 0},
                                     {L"EnableRoll", 1},
                                     {L"MaxFileSizeMB", 10},
                                     {L"KeepLogging", 1},
                                     {L"EnableMaxDirSize", 0},
                                     {L"MaxDirSizeMB", 100},
                                     {L"EnableMaxAge", 1},
                                     {L"MaxAgeDays", 7},
                                     {L"EnableAppDump", 0},
                                     {L"ThreadAllThreads", 1},
                                     {L"ThreadMain", 1},
                                     {L"ThreadMainSync", 1},
                                     {L"ThreadDSDISync", 1},
                                     {L"ThreadOnNotify", 1},
                                     {L"ThreadGALSync", 1},
                                     {L"ThreadOthers", 1},
                                     {L"ThreadHTTPCallback", 0},
                                     {L"ThreadKeywordUpdater", 1},
                                     {L"ThreadConnState", 1},
                                     {L"ThreadSpooler", 1},
                                     {L"ThreadReaper", 1},
                                     {L"ThreadSync1Msg", 1},
                                     {L"ThreadTrackedMail", 1},
                                     {L"ThreadWaitRqst", 1},
                                     {L"ThreadIPSrch", 1},
                                     {L"LogToDbgWin", 0},
                                     {L"ThreadLanes", 1},
                                     {L"IndentCallDepth", 1},
                                     {L"PrettyPrint", 0},
                                     {L"MaxCallDepth", 100},
                                     {L"AreaChanges", 1},
                                     {L"AreaAddins", 1},
                                     {L"AreaMAPI", 1},
                                     {L"AreaSync", 1},
                                     {L"AreaSAX", 0},
                                     {L"AreaStream", 0},
                                     {L"AreaConn", 1},
                                     {L"AreaProg", 0},
                                     {L"AreaGen", 1},
                                     {L"AreaMsgMpr", 0},
                                     {L"DetailFnAPI", 1},
                                     {L"DetailFnInternal", 1},
                                     {L"DetailFnDetailed", 0},
                                     {L"DetailFnIUnknown", 0},
                                     {L"DetailFnCtorDtor", 0},
                                     {L"DetailCmntGen", 1},
                                     {L"DetailCmntProps", 1},
                                     {L"DetailCmntRows", 0},
                                     {L"DetailCmntHTTP", 1},
                                     {L"DetailCmntIUnknown", 0},
                                     {L"DetailCmntSAX", 0},
                                     {L"DetailCmntStoreInfo", 0},
                                     {L"DetailCmntFolderInfo", 0},
                                     {L"DetailCmntMsgInfo", 0},
                                     {L"DetailCmntRestrictions", 0},
                                     {L"DetailCmntParam", 1}};

struct Box {
    const wchar_t* name;
    int id;
};

// The 42 check boxes of the "Threads", "Areas" and "Detail Level" groups.
const Box kGroupBoxes[] = {{L"ThreadAllThreads", IDC_THREAD_ALL_THREADS},
                           {L"ThreadMain", IDC_THREAD_MAIN},
                           {L"ThreadMainSync", IDC_THREAD_MAIN_SYNC},
                           {L"ThreadDSDISync", IDC_THREAD_DSDI_SYNC},
                           {L"ThreadOnNotify", IDC_THREAD_ON_NOTIFY},
                           {L"ThreadGALSync", IDC_THREAD_GAL_SYNC},
                           {L"ThreadOthers", IDC_THREAD_OTHERS},
                           {L"ThreadHTTPCallback", IDC_THREAD_HTTP_CALLBACK},
                           {L"ThreadKeywordUpdater", IDC_THREAD_KEYWORD_UPDATER},
                           {L"ThreadConnState", IDC_THREAD_CONN_STATE},
                           {L"ThreadSpooler", IDC_THREAD_SPOOLER},
                           {L"ThreadReaper", IDC_THREAD_REAPER},
                           {L"ThreadSync1Msg", IDC_THREAD_SYNC_1MSG},
                           {L"ThreadTrackedMail", IDC_THREAD_TRACKED_MAIL},
                           {L"ThreadWaitRqst", IDC_THREAD_WAIT_RQST},
                           {L"ThreadIPSrch", IDC_THREAD_IP_SRCH},
                           {L"AreaChanges", IDC_AREA_CHANGES},
                           {L"AreaAddins", IDC_AREA_ADDINS},
                           {L"AreaMAPI", IDC_AREA_MAPI},
                           {L"AreaSync", IDC_AREA_SYNC},
                           {L"AreaSAX", IDC_AREA_SAX},
                           {L"AreaStream", IDC_AREA_STREAM},
                           {L"AreaConn", IDC_AREA_CONN},
                           {L"AreaProg", IDC_AREA_PROG},
                           {L"AreaGen", IDC_AREA_GEN},
                           {L"AreaMsgMpr", IDC_AREA_MSG_MPR},
                           {L"DetailFnAPI", IDC_DETAIL_FN_API},
                           {L"DetailFnInternal", IDC_DETAIL_FN_INTERNAL},
                           {L"DetailFnDetailed", IDC_DETAIL_FN_DETAILED},
                           {L"DetailFnIUnknown", IDC_DETAIL_FN_IUNKNOWN},
                           {L"DetailFnCtorDtor", IDC_DETAIL_FN_CTOR_DTOR},
                           {L"DetailCmntGen", IDC_DETAIL_CMNT_GEN},
                           {L"DetailCmntProps", IDC_DETAIL_CMNT_PROPS},
                           {L"DetailCmntRows", IDC_DETAIL_CMNT_ROWS},
                           {L"DetailCmntHTTP", IDC_DETAIL_CMNT_HTTP},
                           {L"DetailCmntIUnknown", IDC_DETAIL_CMNT_IUNKNOWN},
                           {L"DetailCmntSAX", IDC_DETAIL_CMNT_SAX},
                           {L"DetailCmntStoreInfo", IDC_DETAIL_CMNT_STORE_INFO},
                           {L"DetailCmntFolderInfo", IDC_DETAIL_CMNT_FOLDER_INFO},
                           {L"DetailCmntMsgInfo", IDC_DETAIL_CMNT_MSG_INFO},
                           {L"DetailCmntRestrictions", IDC_DETAIL_CMNT_RESTRICTIONS},
                           {L"DetailCmntParam", IDC_DETAIL_CMNT_PARAM}};

std::wstring TempPath() {
    wchar_t buffer[MAX_PATH] = L"";
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    return std::wstring(buffer, length);
}

// The logging key as the program's first start leaves it.
KeyContents FactoryKey() {
    KeyContents key;
    for (const NamedDword& setting : kFactoryDwords) key[setting.name] = Dword(setting.value);
    key[L"FileName"] = String(TempPath() + L"kmx");
    return key;
}

KeyContents LoggingKey() { return ReadKey(HKEY_CURRENT_USER, kLoggingPath); }

// Wine starts its desktop process with the first window of a session, which
// can take seconds; pay for it once here rather than inside a test's waits.
class DesktopEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        const DWORD begin = GetTickCount();
        GetDesktopWindow();
        const DWORD took = GetTickCount() - begin;
        if (took > 1000) printf("(the desktop took %lu ms to start)\n", static_cast<unsigned long>(took));
    }
};
::testing::Environment* const kDesktop = ::testing::AddGlobalTestEnvironment(new DesktopEnvironment);

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override { ForgetProgramState(); }

    void TearDown() override {
        if (m_program && m_program->Kill())
            ADD_FAILURE() << "the program was still running at the end of the test; it was killed";
        m_program.reset();
        ForgetProgramState();
    }

    ::testing::AssertionResult Launch() {
        if (m_program && m_program->Kill())
            return ::testing::AssertionFailure() << "the previous run was still going; it was killed";
        m_program = std::make_unique<ProgramDriver>();
        std::wstring problem;
        if (!m_program->Start(&problem)) return ::testing::AssertionFailure() << WideToUtf8(problem);
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult Ends() {
        std::wstring problem;
        if (!m_program->WaitForEnd(&problem)) return ::testing::AssertionFailure() << WideToUtf8(problem);
        return ::testing::AssertionSuccess();
    }

    // Waits for the next box, checks its caption and text, and presses `button`.
    ::testing::AssertionResult Answer(const std::wstring& caption, const std::wstring& text, int button) {
        const auto box = m_program->WaitForBox();
        if (!box) return ::testing::AssertionFailure() << "no message box appeared";
        if (box->caption != caption || box->text != text) {
            m_program->Answer(*box, button);
            return ::testing::AssertionFailure()
                   << "box \"" << WideToUtf8(box->caption) << "\": \"" << WideToUtf8(box->text) << "\"";
        }
        if (!m_program->Answer(*box, button)) return ::testing::AssertionFailure() << "the box did not close";
        return ::testing::AssertionSuccess();
    }

    ::testing::AssertionResult NoFurtherBox() {
        if (const auto box = m_program->WaitForBox(kQuietPeriod)) {
            m_program->Answer(*box, IDOK);
            return ::testing::AssertionFailure() << "a further box: \"" << WideToUtf8(box->caption)
                                                 << "\": \"" << WideToUtf8(box->text) << "\"";
        }
        return ::testing::AssertionSuccess();
    }

    ProgramDriver& P() { return *m_program; }

    std::unique_ptr<ProgramDriver> m_program;
};

TEST_F(ProgramTest, FirstStartThenFullPresetSavedAndShownAgainOnRestart) {
    ASSERT_TRUE(Launch());
    EXPECT_EQ(kOutlookTitle, P().Title());
    EXPECT_EQ("", Difference(FactoryKey(), LoggingKey())) << "the first start writes every default";
    EXPECT_FALSE(P().IsChecked(IDC_ENABLE_LOGGING));
    EXPECT_FALSE(P().IsEnabled(IDC_THREAD_ALL_THREADS));
    EXPECT_FALSE(P().IsEnabled(IDC_LOG_DIRECTORY));
    EXPECT_FALSE(P().IsVisible(IDC_ENABLE_CALENDAR_TRACKING)) << "no ShowAppDump";
    EXPECT_FALSE(P().IsVisible(IDC_CONFIGURE_PROXY));
    std::wstring directory = TempPath();
    directory.pop_back();
    EXPECT_EQ(directory, P().Text(IDC_LOG_DIRECTORY));
    EXPECT_EQ(L"kmx", P().Text(IDC_LOG_PREFIX));

    P().Click(IDC_ENABLE_LOGGING);
    EXPECT_TRUE(P().IsEnabled(IDC_THREAD_ALL_THREADS));
    EXPECT_TRUE(P().IsEnabled(IDC_LOG_DIRECTORY));
    EXPECT_FALSE(P().IsEnabled(IDC_THREAD_MAIN)) << "\"All\" threads is checked";
    P().Click(IDC_PRESET_FULL);
    for (const Box& box : kGroupBoxes) EXPECT_TRUE(P().IsChecked(box.id)) << WideToUtf8(box.name);
    EXPECT_EQ("", Difference(FactoryKey(), LoggingKey())) << "nothing is written before Save";

    P().PostClick(IDOK);
    ASSERT_TRUE(Ends());

    KeyContents saved = FactoryKey();
    saved[L"Enabled"] = Dword(1);
    for (const Box& box : kGroupBoxes) saved[box.name] = Dword(1);
    EXPECT_EQ("", Difference(saved, LoggingKey()));

    ASSERT_TRUE(Launch());
    EXPECT_TRUE(P().IsChecked(IDC_ENABLE_LOGGING));
    for (const Box& box : kGroupBoxes) EXPECT_TRUE(P().IsChecked(box.id)) << WideToUtf8(box.name);
    EXPECT_FALSE(P().IsChecked(IDC_LOG_TO_DBGWIN)) << "\"Full\" leaves the output options alone";
    EXPECT_TRUE(P().IsChecked(IDC_THREAD_LANES));
    EXPECT_TRUE(P().IsEnabled(IDC_THREAD_ALL_THREADS));
    EXPECT_EQ(directory, P().Text(IDC_LOG_DIRECTORY));
    EXPECT_EQ(L"10", P().Text(IDC_MAX_FILE_SIZE));
    P().PostClick(IDCANCEL);
    ASSERT_TRUE(Ends());
    EXPECT_EQ("", Difference(saved, LoggingKey()));
}

TEST_F(ProgramTest, RefusedSavesKeepTheWindowOpenAndWriteNothingUntilCorrected) {
    ASSERT_TRUE(Launch());
    const KeyContents loaded = LoggingKey();
    // Logging on, so that the edits that get the focus are enabled (a
    // disabled window cannot take the focus).
    P().Click(IDC_ENABLE_LOGGING);
    ASSERT_TRUE(P().IsEnabled(IDC_MAX_DIR_SIZE));

    P().Type(IDC_LOG_DIRECTORY, L"C:\\kmx-e2e-no-such-directory");
    P().PostClick(IDOK);
    ASSERT_TRUE(Answer(L"Error", L"The specified Log File directory does not exist", IDOK));
    EXPECT_TRUE(WaitUntil([&] { return P().FocusedWindow() == P().Item(IDC_LOG_DIRECTORY); }, Millis(2000)))
        << "the focus goes to the directory; " << WideToUtf8(P().DescribeFocus());
    EXPECT_TRUE(P().IsOpen());
    EXPECT_EQ("", Difference(loaded, LoggingKey()));

    // Both faults at once: the directory is reported first, so correct it and
    // break the size rule only.
    P().Type(IDC_LOG_DIRECTORY, L"C:\\windows\\");
    P().Type(IDC_MAX_FILE_SIZE, L"11");
    P().PostClick(IDOK);
    ASSERT_TRUE(Answer(L"Error", kSizeRuleText, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return P().FocusedWindow() == P().Item(IDC_MAX_DIR_SIZE); }, Millis(2000)))
        << "the focus goes to the directory size; " << WideToUtf8(P().DescribeFocus());
    EXPECT_TRUE(P().IsOpen());
    EXPECT_EQ("", Difference(loaded, LoggingKey()));

    P().Type(IDC_MAX_DIR_SIZE, L"110");
    P().Type(IDC_LOG_PREFIX, L"e2e");
    P().PostClick(IDOK);
    ASSERT_TRUE(Ends());

    KeyContents saved = FactoryKey();
    saved[L"Enabled"] = Dword(1);
    saved[L"FileName"] = String(L"C:\\windows\\e2e");
    saved[L"MaxFileSizeMB"] = Dword(11);
    saved[L"MaxDirSizeMB"] = Dword(110);
    EXPECT_EQ("", Difference(saved, LoggingKey()));
}

TEST_F(ProgramTest, FactoryResetAskedTwiceThenSavedGivesTheFactoryKey) {
    // Every setting away from its factory value.
    KeyContents custom;
    for (const NamedDword& setting : kFactoryDwords)
        custom[setting.name] = Dword(setting.value == 0 ? 1 : setting.value == 1 ? 0 : setting.value * 2);
    custom[L"FileName"] = String(L"C:\\windows\\custom");
    for (const auto& [name, value] : custom)
        ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, kLoggingPath, name.c_str(), value.type, value.bytes.data(),
                               static_cast<DWORD>(value.bytes.size())));

    ASSERT_TRUE(Launch());
    const KeyContents loaded = LoggingKey();
    EXPECT_TRUE(P().IsChecked(IDC_ENABLE_LOGGING));
    EXPECT_EQ(L"C:\\windows", P().Text(IDC_LOG_DIRECTORY));
    EXPECT_EQ(L"custom", P().Text(IDC_LOG_PREFIX));
    EXPECT_EQ(L"20", P().Text(IDC_MAX_FILE_SIZE));

    P().PostClick(IDC_FACTORY_RESET);
    ASSERT_TRUE(Answer(L"Confirm", kFactoryResetQuestion, IDCANCEL));
    EXPECT_TRUE(P().IsChecked(IDC_ENABLE_LOGGING)) << "declined: nothing changes";
    EXPECT_EQ(L"custom", P().Text(IDC_LOG_PREFIX));

    P().PostClick(IDC_FACTORY_RESET);
    ASSERT_TRUE(Answer(L"Confirm", kFactoryResetQuestion, IDOK));
    EXPECT_FALSE(P().IsChecked(IDC_ENABLE_LOGGING));
    EXPECT_EQ(TempPath(), P().Text(IDC_LOG_DIRECTORY));
    EXPECT_EQ(L"kmx", P().Text(IDC_LOG_PREFIX));
    EXPECT_EQ(L"10", P().Text(IDC_MAX_FILE_SIZE));
    EXPECT_EQ(L"100", P().Text(IDC_MAX_DIR_SIZE));
    EXPECT_EQ(L"7", P().Text(IDC_MAX_AGE_DAYS));
    EXPECT_EQ(L"100", P().Text(IDC_MAX_CALL_DEPTH));
    EXPECT_TRUE(P().IsChecked(IDC_THREAD_MAIN));
    EXPECT_FALSE(P().IsChecked(IDC_THREAD_HTTP_CALLBACK));
    // The enabling rules follow the reset model: logging is off now.
    EXPECT_FALSE(P().IsEnabled(IDC_LOG_DIRECTORY));
    EXPECT_FALSE(P().IsEnabled(IDC_THREAD_ALL_THREADS));
    EXPECT_FALSE(P().IsEnabled(IDC_AREA_GEN));
    EXPECT_EQ("", Difference(loaded, LoggingKey())) << "nothing is written before Save";

    P().PostClick(IDOK);
    ASSERT_TRUE(Ends());
    EXPECT_EQ("", Difference(FactoryKey(), LoggingKey()));
}

TEST_F(ProgramTest, AdvancedButtonGrowsAndShrinksTheWindow) {
    ASSERT_TRUE(Launch());
    const KeyContents loaded = LoggingKey();
    const RECT collapsed = P().WindowRect(P().Main());
    const RECT marker = P().WindowRect(P().Item(IDC_MARKER_COLLAPSED));
    EXPECT_EQ(L"Advanced >>", P().Text(IDC_ADVANCED));
    EXPECT_EQ(marker.top - collapsed.top + 4, collapsed.bottom - collapsed.top);

    P().Click(IDC_ADVANCED);
    const RECT expanded = P().WindowRect(P().Main());
    const RECT lowMarker = P().WindowRect(P().Item(IDC_MARKER_EXPANDED));
    EXPECT_EQ(L"<< Advanced", P().Text(IDC_ADVANCED));
    EXPECT_EQ(2 * lowMarker.bottom - lowMarker.top - expanded.top, expanded.bottom - expanded.top);
    EXPECT_GT(expanded.bottom, collapsed.bottom);
    EXPECT_EQ(collapsed.left, expanded.left);
    EXPECT_EQ(collapsed.top, expanded.top);
    EXPECT_EQ(collapsed.right, expanded.right);

    P().Click(IDC_ADVANCED);
    const RECT again = P().WindowRect(P().Main());
    EXPECT_EQ(L"Advanced >>", P().Text(IDC_ADVANCED));
    EXPECT_EQ(collapsed.bottom, again.bottom);
    EXPECT_EQ(collapsed.right, again.right);

    P().Close();  // the close box: the same as "Cancel"
    ASSERT_TRUE(Ends());
    EXPECT_EQ("", Difference(loaded, LoggingKey()));
}

TEST_F(ProgramTest, GalButtonsWriteTheOutlookTriggers) {
    ASSERT_TRUE(Launch());
    const KeyContents loaded = LoggingKey();

    P().PostClick(IDC_FORCE_GAL_RESET);
    ASSERT_TRUE(Answer(L"KMX Logging Control", kGalSuccessText, IDOK));
    EXPECT_TRUE(NoFurtherBox());
    EXPECT_EQ("",
              Difference({{L"ForceGalSync_Outlook.exe", Dword(1)}}, ReadKey(HKEY_CURRENT_USER, kKorvexPath)));

    P().PostClick(IDC_FORCE_GAL_UPDATE);
    ASSERT_TRUE(Answer(L"KMX Logging Control", kGalSuccessText, IDOK));
    EXPECT_TRUE(NoFurtherBox());
    EXPECT_EQ("", Difference(
                      {{L"ForceGalSync_Outlook.exe", Dword(1)}, {L"ForceGalSyncDelta_Outlook.exe", Dword(1)}},
                      ReadKey(HKEY_CURRENT_USER, kKorvexPath)));
    EXPECT_TRUE(P().IsOpen()) << "the GAL buttons do not close the window";

    P().PostClick(IDCANCEL);
    ASSERT_TRUE(Ends());
    EXPECT_EQ("", Difference(loaded, LoggingKey())) << "no logging setting is written";
}

TEST_F(ProgramTest, GalButtonsWriteTheBlackBerryTriggersWhenIsBesIsSet) {
    ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kKorvexPath, L"isBES", 1));
    ASSERT_TRUE(Launch());
    EXPECT_EQ(kBlackBerryTitle, P().Title());

    P().PostClick(IDC_FORCE_GAL_RESET);
    ASSERT_TRUE(Answer(L"KMX Logging Control", kGalSuccessText, IDOK));
    EXPECT_TRUE(NoFurtherBox());
    P().PostClick(IDC_FORCE_GAL_UPDATE);
    ASSERT_TRUE(Answer(L"KMX Logging Control", kGalSuccessText, IDOK));
    EXPECT_TRUE(NoFurtherBox());

    EXPECT_EQ("", Difference({{L"ForceGalSync_BlackBerryMailStoreSrvr.exe", Dword(1)},
                              {L"ForceGalSync_BlackBerryAgent.exe", Dword(1)},
                              {L"ForceGalSyncDelta_BlackBerryMailStoreSrvr.exe", Dword(1)},
                              {L"ForceGalSyncDelta_BlackBerryAgent.exe", Dword(1)}},
                             ReadKey(HKEY_CURRENT_USER, kKorvexPath)));
    P().PostClick(IDCANCEL);
    ASSERT_TRUE(Ends());
}

TEST_F(ProgramTest, CancelAfterChangesLeavesTheRegistryAsItWas) {
    ASSERT_TRUE(Launch());
    P().PostClick(IDCANCEL);
    ASSERT_TRUE(Ends());
    const KeyContents before = LoggingKey();
    ASSERT_EQ(57u, before.size());

    ASSERT_TRUE(Launch());
    P().Click(IDC_ENABLE_LOGGING);
    P().Click(IDC_PRESET_FULL);
    P().Click(IDC_THREAD_ALL_THREADS);
    P().Click(IDC_THREAD_MAIN);
    P().Click(IDC_ENABLE_ROLL);
    P().Type(IDC_LOG_DIRECTORY, L"C:\\windows");
    P().Type(IDC_LOG_PREFIX, L"changed");
    P().Type(IDC_MAX_CALL_DEPTH, L"5");
    P().PostClick(IDC_FACTORY_RESET);
    ASSERT_TRUE(Answer(L"Confirm", kFactoryResetQuestion, IDOK));
    P().Click(IDC_AREAS_NONE);
    P().PostClick(IDCANCEL);
    ASSERT_TRUE(Ends());

    EXPECT_EQ("", Difference(before, LoggingKey()));
    EXPECT_TRUE(ReadKey(HKEY_CURRENT_USER, kKorvexPath).empty());
}

// A logging key the user may read but not write: every write of Save fails,
// the user is told which value failed and the window stays open.
class UnwritableKey {
public:
    UnwritableKey() {
        HKEY key = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, kLoggingPath, 0, nullptr, REG_OPTION_NON_VOLATILE, WRITE_DAC,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        m_ok = SetAccess(key, KEY_READ | WRITE_DAC | DELETE);
        RegCloseKey(key);
    }
    ~UnwritableKey() {
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kLoggingPath, 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
            SetAccess(key, KEY_ALL_ACCESS);
            RegCloseKey(key);
        }
    }
    bool Ok() const { return m_ok; }

private:
    // Everyone gets exactly `rights`; nothing is inherited.
    static bool SetAccess(HKEY key, DWORD rights) {
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
            return false;
        BYTE aclBuffer[256];
        ACL* acl = reinterpret_cast<ACL*>(aclBuffer);
        SECURITY_DESCRIPTOR descriptor;
        const bool ok = InitializeAcl(acl, sizeof(aclBuffer), ACL_REVISION) &&
                        AddAccessAllowedAce(acl, ACL_REVISION, rights, everyone) &&
                        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                        SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) &&
                        RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
        FreeSid(everyone);
        return ok;
    }

    bool m_ok = false;
};

TEST_F(ProgramTest, SaveThatCannotWriteSaysSoAndKeepsTheWindowOpen) {
    UnwritableKey unwritable;
    ASSERT_TRUE(unwritable.Ok());
    ASSERT_FALSE(WriteDword(HKEY_CURRENT_USER, kLoggingPath, L"Probe", 1)) << "the key is still writable";

    ASSERT_TRUE(Launch());
    EXPECT_FALSE(P().IsChecked(IDC_ENABLE_LOGGING)) << "nothing could be loaded: the factory values show";
    P().Click(IDC_ENABLE_LOGGING);
    P().PostClick(IDOK);
    ASSERT_TRUE(Answer(L"Error", L"Failed to set registry value Enabled", IDOK));
    EXPECT_TRUE(NoFurtherBox());
    EXPECT_TRUE(P().IsOpen());

    P().PostClick(IDCANCEL);
    ASSERT_TRUE(Ends());
    EXPECT_TRUE(LoggingKey().empty());
}

}  // namespace
}  // namespace e2e
}  // namespace kmx

// Save and Cancel through the real window: what reaches the registry, what the
// user is told, where the focus goes, and whether the window stays open.
#include "MainDialogDriver.h"

#include <functional>

#include "settings/Catalogue.h"
#include "settings/SettingOrders.h"

namespace kmx {
namespace maindialog {
namespace {

class MainDialogSaveTest : public MainDialogFixture {};

const wchar_t kDirectoryMissing[] = L"The specified Log File directory does not exist";
const wchar_t kSizeRule[] =
    L"'Max Size of KMXLogs Directory' must be at least ten times 'Max Size of Single Log File'.";

// Replaces the message-box recorder for a while, calling `onBox` first.
class BoxSpy {
public:
    explicit BoxSpy(std::function<void()> onBox) {
        m_previous = SetMessageBoxFunction(
            [this, onBox](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
                onBox();
                return m_previous(owner, text, caption, type);
            });
    }
    ~BoxSpy() { SetMessageBoxFunction(std::move(m_previous)); }
    BoxSpy(const BoxSpy&) = delete;
    BoxSpy& operator=(const BoxSpy&) = delete;

private:
    MessageBoxFunction m_previous;
};

void ExpectOneErrorBox(const ScopedMessageBoxRecorder& boxes, HWND owner, const std::wstring& text) {
    ASSERT_EQ(1u, boxes.Boxes().size());
    const ScopedMessageBoxRecorder::Box& box = boxes.Boxes()[0];
    EXPECT_EQ(owner, box.owner);
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(L"Error", box.caption);
    EXPECT_EQ(0x10u, box.type);
}

std::vector<std::wstring> WrittenNames(const MemoryRegistry& registry) {
    std::vector<std::wstring> names;
    for (const MemoryRegistry::SetCall& call : registry.SetLog()) names.push_back(call.name);
    return names;
}

std::vector<std::wstring> SaveOrderNames() {
    std::vector<std::wstring> names;
    for (const SettingId id : kSaveOrder) names.push_back(Info(id).name);
    return names;
}

// ---- The real registry ----

TEST_F(MainDialogSaveTest, UnchangedSaveWritesNothingAndCloses) {
    ASSERT_TRUE(Open(m_real.Registry()));
    const KeyContents before = StoredValues();
    ASSERT_EQ(57u, before.size());

    Click(IDOK);
    EXPECT_TRUE(EndedWith(IDOK));
    EXPECT_EQ(before, StoredValues());
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

TEST_F(MainDialogSaveTest, ChangedSaveWritesEveryValueWithTheComposedFileName) {
    ASSERT_TRUE(Open(m_real.Registry()));
    // Sentinels behind the window's back: every value must be written anew.
    for (const SettingInfo& info : kCatalogue)
        ASSERT_TRUE(m_real.Put(kHkeyCurrentUser, kLoggingPath, info.name, REG_BINARY, {0xEE}));

    Click(IDC_ENABLE_LOGGING);
    Click(IDC_AREA_SAX);  // "SAX" in Areas, off by default
    Type(IDC_LOG_DIRECTORY, L"C:\\windows\\\\\\");
    Click(IDOK);
    EXPECT_TRUE(EndedWith(IDOK));
    EXPECT_TRUE(m_boxes.Boxes().empty());

    const KeyContents stored = StoredValues();
    EXPECT_EQ(57u, stored.size());
    for (const SettingInfo& info : kCatalogue) {
        SCOPED_TRACE("control " + std::to_string(ControlOf(info)));
        ASSERT_EQ(1u, stored.count(info.name));
        const auto& [type, bytes] = stored.at(info.name);
        if (info.kind == SettingKind::FileName) {
            EXPECT_EQ(DWORD(REG_SZ), type);
            EXPECT_EQ(StringBytes(L"C:\\windows\\kmx"), bytes);
            continue;
        }
        std::uint32_t expected = static_cast<std::uint32_t>(info.factoryDefault);
        if (ControlOf(info) == IDC_ENABLE_LOGGING || ControlOf(info) == IDC_AREA_SAX) expected = 1;
        EXPECT_EQ(DWORD(REG_DWORD), type);
        EXPECT_EQ(DwordBytes(expected), bytes);
    }
}

// The directory is checked whatever the switches say, logging off included.
// The focus can only go to the edit while logging is on: the platform gives
// none to a disabled window.
TEST_F(MainDialogSaveTest, MissingDirectoryIsRefusedWithFocusOnItsEdit) {
    ASSERT_TRUE(Open(m_real.Registry()));
    const KeyContents before = StoredValues();
    ASSERT_FALSE(IsChecked(IDC_ENABLE_LOGGING));
    Type(IDC_LOG_DIRECTORY, L"C:\\no such directory\\");
    Type(IDC_LOG_PREFIX, L"other");

    Click(IDOK);
    EXPECT_TRUE(IsOpen());
    ExpectOneErrorBox(m_boxes, Dlg().m_hWnd, kDirectoryMissing);
    EXPECT_EQ(before, StoredValues());

    Click(IDC_ENABLE_LOGGING);
    Click(IDOK);
    EXPECT_TRUE(IsOpen());
    ASSERT_EQ(2u, m_boxes.Boxes().size());
    EXPECT_EQ(kDirectoryMissing, m_boxes.Boxes()[1].text);
    EXPECT_EQ(Item(IDC_LOG_DIRECTORY), GetFocus());
    EXPECT_EQ(before, StoredValues());
}

TEST_F(MainDialogSaveTest, BrokenSizeRuleIsRefusedAndASecondSaveCanPass) {
    ASSERT_TRUE(Open(m_real.Registry()));
    const KeyContents before = StoredValues();
    Click(IDC_ENABLE_LOGGING);
    Type(IDC_MAX_FILE_SIZE, L"11");
    Type(IDC_MAX_DIR_SIZE, L"100");

    Click(IDOK);
    EXPECT_TRUE(IsOpen());
    ExpectOneErrorBox(m_boxes, Dlg().m_hWnd, kSizeRule);
    EXPECT_EQ(Item(IDC_MAX_DIR_SIZE), GetFocus());
    EXPECT_EQ(before, StoredValues());

    Type(IDC_MAX_DIR_SIZE, L"110");
    Click(IDOK);
    EXPECT_TRUE(EndedWith(IDOK));
    EXPECT_EQ(1u, m_boxes.Boxes().size());
    EXPECT_EQ(DwordBytes(11), StoredValues().at(L"MaxFileSizeMB").second);
    EXPECT_EQ(DwordBytes(110), StoredValues().at(L"MaxDirSizeMB").second);
}

TEST_F(MainDialogSaveTest, CancelAfterChangesWritesNothing) {
    ASSERT_TRUE(Open(m_real.Registry()));
    const KeyContents before = StoredValues();
    Click(IDC_ENABLE_LOGGING);
    Click(IDC_AREA_SAX);
    Type(IDC_LOG_PREFIX, L"other");
    Type(IDC_MAX_CALL_DEPTH, L"5");

    Click(IDCANCEL);
    EXPECT_TRUE(EndedWith(IDCANCEL));
    EXPECT_EQ(before, StoredValues());
    EXPECT_TRUE(m_boxes.Boxes().empty());
}

// ---- The in-memory registry: refusals, failures and handle counts ----

TEST_F(MainDialogSaveTest, OldSwitchMessageComesOnceBetweenTheLastTwoWrites) {
    ASSERT_TRUE(m_memory.PutDword(kMemoryKorvex, L"verboseLogging", 1));
    m_memory.DenyRights(kMemoryKorvex, kKeySetValue);
    ASSERT_TRUE(Open(m_memory));
    ASSERT_TRUE(Dlg().Loaded().oldSwitchRefused);
    m_memory.ClearSetLog();

    std::vector<std::wstring> writtenBeforeBox;
    BoxSpy spy([&] { writtenBeforeBox = WrittenNames(m_memory); });
    Click(IDC_ENABLE_LOGGING);
    Click(IDOK);
    EXPECT_TRUE(EndedWith(IDOK));

    ASSERT_EQ(1u, m_boxes.Boxes().size());
    const ScopedMessageBoxRecorder::Box& box = m_boxes.Boxes()[0];
    EXPECT_EQ(L"Unable to delete the old verboseLogging registry value.  Please delete it.", box.text);
    EXPECT_EQ(L"Access Denied", box.caption);
    EXPECT_EQ(0x10u, box.type);
    const std::vector<std::wstring> all = SaveOrderNames();
    EXPECT_EQ(std::vector<std::wstring>(all.begin(), all.end() - 1), writtenBeforeBox);
    EXPECT_EQ(all, WrittenNames(m_memory));
}

TEST_F(MainDialogSaveTest, FailedWriteIsReportedAndKeepsTheWindowOpen) {
    ASSERT_TRUE(Open(m_memory));
    m_memory.ClearSetLog();
    m_memory.InjectFault(MemoryRegistry::Op::Set, kErrorAccessDenied, L"", L"DetailCmntRows");
    Click(IDC_ENABLE_LOGGING);

    Click(IDOK);
    EXPECT_EQ(SaveOrderNames(), WrittenNames(m_memory)) << "every value is attempted";
    ExpectOneErrorBox(m_boxes, Dlg().m_hWnd, L"Failed to set registry value DetailCmntRows");
    EXPECT_TRUE(IsOpen());

    m_memory.ClearFaults();
    Click(IDOK);
    EXPECT_TRUE(EndedWith(IDOK)) << "a retry that succeeds closes the window";
    EXPECT_EQ(1u, m_boxes.Boxes().size());
    EXPECT_EQ(std::optional<std::uint32_t>(1), m_memory.GetDword(kMemoryLogging, L"Enabled"));
}

TEST_F(MainDialogSaveTest, WithoutTheLoggingKeyTheWindowOpensAndSaveReportsTheFirstWrite) {
    m_memory.InjectFault(MemoryRegistry::Op::Create, kErrorAccessDenied, kMemoryLogging);
    ASSERT_TRUE(Open(m_memory));
    EXPECT_EQ(0u, Dlg().Loaded().key.Get());
    EXPECT_FALSE(IsChecked(IDC_ENABLE_LOGGING));
    EXPECT_EQ(TempPath(), ItemText(IDC_LOG_DIRECTORY));
    EXPECT_EQ(L"kmx", ItemText(IDC_LOG_PREFIX));
    EXPECT_EQ(L"10", ItemText(IDC_MAX_FILE_SIZE));
    EXPECT_TRUE(IsWindowVisible(Item(IDC_ENABLE_CALENDAR_TRACKING))) << "ShowAppDump was never read";
    EXPECT_TRUE(m_boxes.Boxes().empty());

    Click(IDC_ENABLE_LOGGING);
    Click(IDOK);
    ExpectOneErrorBox(m_boxes, Dlg().m_hWnd, L"Failed to set registry value Enabled");
    EXPECT_TRUE(IsOpen());
    EXPECT_FALSE(m_memory.KeyExists(kMemoryLogging));
}

TEST_F(MainDialogSaveTest, EveryKeyOpenedIsClosedOnceTheDialogIsGone) {
    ASSERT_TRUE(m_memory.PutDword(kMemoryKorvex, L"verboseLogging", 1));
    ASSERT_TRUE(m_memory.PutDword(kMemoryKorvex, L"isBES", 1));
    ASSERT_TRUE(Open(m_memory));
    Click(IDC_ENABLE_LOGGING);
    Click(IDOK);
    ASSERT_TRUE(EndedWith(IDOK));
    EXPECT_TRUE(m_memory.ValueExists(kMemoryLogging, L"Enabled"));
    EXPECT_EQ(1, m_memory.OpenHandleCount()) << "the logging key lives as long as the dialog object";

    Close();
    EXPECT_EQ(0, m_memory.OpenHandleCount());
    EXPECT_EQ(m_memory.OpenCount(), m_memory.CloseCount());
    EXPECT_GE(m_memory.OpenCount(), 4) << "the variant flags, the old switch and the logging key";
}

}  // namespace
}  // namespace maindialog
}  // namespace kmx

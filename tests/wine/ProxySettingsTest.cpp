// Internet Explorer's proxy as the tool reads it, and the proxy dialog driven
// in-process by messages: the split into server and port, the three choices
// and the text each hands back, cancelling, and a modal run.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "PrivateRegistry.h"
#include "resources/resource.h"
#include "settings/ReadIEProxyServer.h"
#include "settings/Utf16.h"
#include "support/MemoryRegistry.h"
#include "ui/ProxySettings.h"

namespace kmx {
namespace {

const wchar_t kSettingsPath[] = L"HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

using Bytes = std::vector<std::uint8_t>;

Bytes Utf16(const std::wstring& text, bool terminated) { return ToUtf16LeBytes(text, terminated); }

// ---- Reading the value ----

class ReadIEProxyServerTest : public ::testing::Test {
protected:
    void ExpectEveryKeyClosed() const {
        EXPECT_EQ(0, m_registry.OpenHandleCount());
        EXPECT_EQ(m_registry.OpenCount(), m_registry.CloseCount());
    }

    MemoryRegistry m_registry;
};

struct StoredCase {
    const char* name;
    bool keyExists;
    std::optional<std::uint32_t> type;  // no value when empty
    Bytes bytes;
    std::wstring expected;
};

void PrintTo(const StoredCase& stored, std::ostream* out) { *out << stored.name; }

class ReadIEProxyServerStoredTest : public ReadIEProxyServerTest,
                                    public ::testing::WithParamInterface<StoredCase> {};

TEST_P(ReadIEProxyServerStoredTest, TakesTheDataUpToItsFirstNul) {
    const StoredCase& stored = GetParam();
    if (stored.keyExists) ASSERT_TRUE(m_registry.PutDword(kSettingsPath, L"ProxyEnable", 1));
    if (stored.type) ASSERT_TRUE(m_registry.Put(kSettingsPath, L"ProxyServer", *stored.type, stored.bytes));

    EXPECT_EQ(stored.expected, ReadIEProxyServer(m_registry));
    ExpectEveryKeyClosed();
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadIEProxyServerStoredTest,
    ::testing::Values(StoredCase{"MissingKey", false, std::nullopt, {}, L""},
                      StoredCase{"MissingValue", true, std::nullopt, {}, L""},
                      StoredCase{"EmptyData", true, kRegSz, {}, L""},
                      StoredCase{"Terminated", true, kRegSz, Utf16(L"proxy:80", true), L"proxy:80"},
                      StoredCase{"Unterminated", true, kRegSz, Utf16(L"proxy:80", false), L"proxy:80"},
                      StoredCase{"TextAfterTheNul", true, kRegSz, Utf16(std::wstring(L"a:1\0b:2", 7), true),
                                 L"a:1"},
                      StoredCase{"Binary", true, kRegBinary, Utf16(L"bin:81", false), L"bin:81"},
                      StoredCase{"Dword", true, kRegDword, {'A', 0, 'B', 0}, L"AB"}),
    [](const ::testing::TestParamInfo<StoredCase>& info) { return std::string(info.param.name); });

TEST_F(ReadIEProxyServerTest, ReadsSixtyFourKilobytesWhole) {
    std::wstring text;
    for (int i = 0; text.size() < 32767; ++i) text += std::to_wstring(i) + L';';
    text.resize(32767);
    ASSERT_TRUE(m_registry.Put(kSettingsPath, L"ProxyServer", kRegSz, Utf16(text, true)));
    ASSERT_EQ(65536u, m_registry.Get(kSettingsPath, L"ProxyServer")->bytes.size());

    const std::wstring read = ReadIEProxyServer(m_registry);
    EXPECT_EQ(text.size(), read.size());
    EXPECT_TRUE(read == text) << "the text differs from what was stored";
    ExpectEveryKeyClosed();
}

TEST_F(ReadIEProxyServerTest, FailuresGiveEmptyTextAndCloseTheKey) {
    ASSERT_TRUE(m_registry.PutString(kSettingsPath, L"ProxyServer", L"proxy:80"));

    m_registry.DenyRights(kSettingsPath, kKeySetValue);
    EXPECT_EQ(L"proxy:80", ReadIEProxyServer(m_registry)) << "asks for more than reading";

    m_registry.InjectFault(MemoryRegistry::Op::Query, kErrorAccessDenied, kSettingsPath, L"ProxyServer", 1);
    EXPECT_EQ(L"", ReadIEProxyServer(m_registry)) << "size query failed";
    m_registry.ClearFaults();

    // The value grew between the size query and the read.
    m_registry.InjectFault(MemoryRegistry::Op::Query, kErrorMoreData, kSettingsPath, L"ProxyServer", 2);
    EXPECT_EQ(L"", ReadIEProxyServer(m_registry)) << "second read failed";
    m_registry.ClearFaults();

    m_registry.DenyRights(kSettingsPath, kKeyQueryValue);
    EXPECT_EQ(L"", ReadIEProxyServer(m_registry)) << "open refused";
    ExpectEveryKeyClosed();
}

TEST(ReadIEProxyServerRealTest, ReadsTheValueThroughAdvapi) {
    PrivateRegistry reg;
    ASSERT_TRUE(reg.Ready());
    const std::wstring path = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    EXPECT_EQ(L"", ReadIEProxyServer(reg.Registry())) << "missing key";

    ASSERT_TRUE(reg.Put(kHkeyCurrentUser, path, L"ProxyServer", REG_SZ, Utf16(L"real.example:3128", true)));
    EXPECT_EQ(L"real.example:3128", ReadIEProxyServer(reg.Registry()));

    ASSERT_TRUE(reg.Put(kHkeyCurrentUser, path, L"ProxyServer", REG_BINARY, Utf16(L"raw:81", false)));
    EXPECT_EQ(L"raw:81", ReadIEProxyServer(reg.Registry()));
}

// ---- The dialog ----

HWND Item(const CDialog& dialog, int id) { return ::GetDlgItem(dialog.m_hWnd, id); }

std::wstring Text(const CDialog& dialog, int id) {
    std::wstring text;
    CWnd(Item(dialog, id)).GetWindowTextW(text);
    return text;
}

// What the dialog shows, for comparing in one go.
struct View {
    std::wstring server;
    std::wstring port;
    int checkedRadio;  // resource id, 0 for none
    bool serverEnabled;
    bool portEnabled;

    bool operator==(const View& other) const {
        return server == other.server && port == other.port && checkedRadio == other.checkedRadio &&
               serverEnabled == other.serverEnabled && portEnabled == other.portEnabled;
    }
};

void PrintTo(const View& view, std::ostream* out) {
    *out << "server " << ::testing::PrintToString(view.server) << " port "
         << ::testing::PrintToString(view.port) << " radio " << view.checkedRadio << " enabled "
         << view.serverEnabled << "/" << view.portEnabled;
}

View Look(const CDialog& dialog) {
    int checked = 0;
    for (int id : {IDC_PROXY_DIRECT, IDC_PROXY_IE, IDC_PROXY_MANUAL}) {
        if (::SendMessageW(Item(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED) checked = id;
    }
    return View{Text(dialog, IDC_PROXY_SERVER), Text(dialog, IDC_PROXY_PORT), checked,
                ::IsWindowEnabled(Item(dialog, IDC_PROXY_SERVER)) != FALSE,
                ::IsWindowEnabled(Item(dialog, IDC_PROXY_PORT)) != FALSE};
}

class ProxyDialogTest : public ::testing::Test {
protected:
    void SetIEProxy(const std::wstring& text) {
        ASSERT_TRUE(m_registry.PutString(kSettingsPath, L"ProxyServer", text));
    }
    void Open() { ASSERT_TRUE(m_dialog.Create()) << "error " << ::GetLastError(); }
    void Click(int id) { ::SendMessageW(Item(m_dialog, id), BM_CLICK, 0, 0); }
    void Type(int id, const wchar_t* text) {
        ::SendMessageW(Item(m_dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }
    void ExpectEndedWith(INT_PTR result, HWND window) {
        EXPECT_EQ(result, m_dialog.GetEndResult());
        EXPECT_FALSE(::IsWindow(window));
    }

    MemoryRegistry m_registry;
    CProxySettings m_dialog{m_registry};
};

struct SplitCase {
    const char* name;
    const wchar_t* ieProxy;  // nullptr: no value
    std::wstring server;
    std::wstring port;
};

void PrintTo(const SplitCase& split, std::ostream* out) { *out << split.name; }

class ProxyDialogSplitTest : public ProxyDialogTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(ProxyDialogSplitTest, ShowsServerAndPortAndOkHandsBackTheValueUnchanged) {
    const SplitCase& split = GetParam();
    if (split.ieProxy) SetIEProxy(split.ieProxy);
    Open();
    const std::wstring ieProxy = split.ieProxy ? split.ieProxy : L"";

    EXPECT_EQ((View{split.server, split.port, IDC_PROXY_IE, false, false}), Look(m_dialog));
    EXPECT_EQ(ieProxy, m_dialog.ProxyText);

    HWND window = m_dialog.m_hWnd;
    Click(IDOK);
    ExpectEndedWith(IDOK, window);
    EXPECT_EQ(1, m_dialog.ConnectionChoice);
    EXPECT_EQ(ieProxy, m_dialog.ProxyText);
    EXPECT_EQ(m_registry.OpenCount(), m_registry.CloseCount());
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProxyDialogSplitTest,
    ::testing::Values(SplitCase{"NoValue", nullptr, L"", L""},
                      SplitCase{"ServerAndPort", L"proxy.example:8080", L"proxy.example", L"8080"},
                      SplitCase{"PerProtocol", L"http=a:80;https=b:443", L"http=a:80;https=b", L"443"},
                      SplitCase{"NoColon", L"proxy.example", L"proxy.example", L""},
                      SplitCase{"TrailingColon", L"proxy.example:", L"proxy.example:", L""},
                      SplitCase{"PortZero", L"proxy.example:0", L"proxy.example:0", L""},
                      SplitCase{"TailWithSlash", L"proxy.example:8080/", L"proxy.example", L"8080/"},
                      SplitCase{"TailShownAsTyped", L"h: +0042", L"h", L" +0042"},
                      SplitCase{"NumberWithoutColon", L"8080", L"", L"8080"}),
    [](const ::testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

struct ChoiceCase {
    const char* name;
    std::vector<int> clicksBefore;
    const wchar_t* server;  // nullptr: left as shown
    const wchar_t* port;
    std::vector<int> clicksAfter;
    int choice;
    std::wstring proxyText;
};

void PrintTo(const ChoiceCase& choice, std::ostream* out) { *out << choice.name; }

class ProxyDialogChoiceTest : public ProxyDialogTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ProxyDialogChoiceTest, OkHandsBackTheChosenProxy) {
    const ChoiceCase& choice = GetParam();
    SetIEProxy(L"http=a:80;https=b:443");
    Open();
    for (int id : choice.clicksBefore) Click(id);
    if (choice.server) Type(IDC_PROXY_SERVER, choice.server);
    if (choice.port) Type(IDC_PROXY_PORT, choice.port);
    for (int id : choice.clicksAfter) Click(id);

    HWND window = m_dialog.m_hWnd;
    Click(IDOK);
    ExpectEndedWith(IDOK, window);
    EXPECT_EQ(choice.choice, m_dialog.ConnectionChoice);
    EXPECT_EQ(choice.proxyText, m_dialog.ProxyText);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProxyDialogChoiceTest,
    ::testing::Values(
        ChoiceCase{
            "ManualServerAndPort", {IDC_PROXY_MANUAL}, L"proxy.corp", L"3128", {}, 2, L"proxy.corp:3128"},
        ChoiceCase{"ManualServerOnly", {IDC_PROXY_MANUAL}, L"proxy.corp", L"", {}, 2, L"proxy.corp"},
        ChoiceCase{"ManualPortOnly", {IDC_PROXY_MANUAL}, L"", L"3128", {}, 2, L""},
        ChoiceCase{"ManualAsShown", {IDC_PROXY_MANUAL}, nullptr, nullptr, {}, 2, L"http=a:80;https=b:443"},
        ChoiceCase{"ManualVerbatim", {IDC_PROXY_MANUAL}, L" a b:c ", L"01", {}, 2, L" a b:c :01"},
        ChoiceCase{"Direct", {IDC_PROXY_DIRECT}, nullptr, nullptr, {}, 0, L""},
        ChoiceCase{"DirectAfterTyping", {IDC_PROXY_MANUAL}, L"x", L"1", {IDC_PROXY_DIRECT}, 0, L""},
        ChoiceCase{"IEAfterTyping",
                   {IDC_PROXY_MANUAL},
                   L"proxy.corp",
                   L"3128",
                   {IDC_PROXY_IE},
                   1,
                   L"http=a:80;https=b:443"}),
    [](const ::testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

TEST_F(ProxyDialogTest, RadioButtonsOnlyEnableOrDisableTheEdits) {
    SetIEProxy(L"proxy.example:8080");
    Open();
    struct Step {
        int click;
        bool enabled;
    };
    for (const Step& step :
         {Step{IDC_PROXY_MANUAL, true}, Step{IDC_PROXY_MANUAL, true}, Step{IDC_PROXY_DIRECT, false},
          Step{IDC_PROXY_MANUAL, true}, Step{IDC_PROXY_IE, false}, Step{IDC_PROXY_DIRECT, false}}) {
        Click(step.click);
        EXPECT_EQ((View{L"proxy.example", L"8080", step.click, step.enabled, step.enabled}), Look(m_dialog))
            << "after clicking " << step.click;
    }
    Click(IDC_PROXY_MANUAL);
    Type(IDC_PROXY_SERVER, L"typed");
    Click(IDC_PROXY_DIRECT);
    Click(IDC_PROXY_MANUAL);
    EXPECT_EQ(L"typed", Text(m_dialog, IDC_PROXY_SERVER)) << "typed text lost on switching";
    EXPECT_EQ(1, m_dialog.ConnectionChoice) << "only OK takes the choice";
    EXPECT_EQ(L"proxy.example:8080", m_dialog.ProxyText);
}

TEST_F(ProxyDialogTest, CloseBoxAndEscapeKeepInternetExplorersText) {
    SetIEProxy(L"proxy.example:8080");
    // Esc as a modeless dialog's message loop passes it on, then the close box.
    const std::function<void(HWND)> closers[] = {
        [](HWND window) {
            MSG key{window, WM_KEYDOWN, VK_ESCAPE, 0x00010001};
            EXPECT_TRUE(::IsDialogMessageW(window, &key));
        },
        [](HWND window) {
            ::SendMessageW(window, WM_CLOSE, 0, 0);
            MSG message;
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
        },
    };
    for (const auto& close : closers) {
        Open();
        Click(IDC_PROXY_MANUAL);
        Type(IDC_PROXY_SERVER, L"typed");
        Type(IDC_PROXY_PORT, L"1");
        HWND window = m_dialog.m_hWnd;
        close(window);
        ExpectEndedWith(IDCANCEL, window);
        EXPECT_EQ(1, m_dialog.ConnectionChoice);
        EXPECT_EQ(L"proxy.example:8080", m_dialog.ProxyText);
    }
}

// ---- Modal runs ----

// Acts on the dialog from inside its modal loop: the script runs once the
// dialog is initialised and posts what the user would do.
class CScriptedProxySettings : public CProxySettings {
public:
    static constexpr INT_PTR kTimedOut = 4242;

    CScriptedProxySettings(kmx::IRegistry& registry, std::function<void(CScriptedProxySettings&)> script)
        : CProxySettings(registry), m_script(std::move(script)) {}

    BOOL OnInitDialog() override {
        const BOOL result = CProxySettings::OnInitDialog();
        opened = Look(*this);
        // A script that fails to end the dialog must not hang the run.
        ::SetTimer(m_hWnd, 1, 10000,
                   [](HWND window, UINT, UINT_PTR, DWORD) { ::EndDialog(window, kTimedOut); });
        m_script(*this);
        return result;
    }

    void Post(int id, UINT message, WPARAM wParam = 0) {
        ::PostMessageW(id != 0 ? Item(*this, id) : m_hWnd, message, wParam, 0);
    }

    View opened{};

private:
    std::function<void(CScriptedProxySettings&)> m_script;
};

TEST(ProxyDialogModalTest, EachRunStartsFromInternetExplorersValue) {
    MemoryRegistry registry;
    ASSERT_TRUE(registry.PutString(kSettingsPath, L"ProxyServer", L"first.example:8080"));

    CScriptedProxySettings typed(registry, [](CScriptedProxySettings& dialog) {
        ::SetWindowTextW(Item(dialog, IDC_PROXY_SERVER), L"typed.example");
        dialog.Post(IDC_PROXY_MANUAL, BM_CLICK);
        dialog.Post(IDOK, BM_CLICK);
    });
    EXPECT_EQ(IDOK, typed.DoModal());
    EXPECT_EQ((View{L"first.example", L"8080", IDC_PROXY_IE, false, false}), typed.opened);
    EXPECT_EQ(2, typed.ConnectionChoice);
    EXPECT_EQ(L"typed.example:8080", typed.ProxyText);

    ASSERT_TRUE(registry.PutString(kSettingsPath, L"ProxyServer", L"second.example:3128"));
    CScriptedProxySettings escaped(registry, [](CScriptedProxySettings& dialog) {
        dialog.Post(IDC_PROXY_DIRECT, BM_CLICK);
        dialog.Post(0, WM_KEYDOWN, VK_ESCAPE);
    });
    EXPECT_EQ(IDCANCEL, escaped.DoModal());
    EXPECT_EQ((View{L"second.example", L"3128", IDC_PROXY_IE, false, false}), escaped.opened);
    EXPECT_EQ(1, escaped.ConnectionChoice);
    EXPECT_EQ(L"second.example:3128", escaped.ProxyText);
    EXPECT_EQ(registry.OpenCount(), registry.CloseCount());
}

}  // namespace
}  // namespace kmx

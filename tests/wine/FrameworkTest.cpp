// The dialog layer driven in-process by messages: data exchange both ways,
// the too-long-text failure, command dispatch, ending a dialog and modal
// runs.
#include <windows.h>

#include <functional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "framework/DataExchange.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "support/win32/MessageBoxRecorder.h"
#include "tests/wine/FrameworkTestResource.h"

namespace {

class CTestDialog : public CDialog {
public:
    CTestDialog() : CDialog(IDD_FWTEST) {}

    int m_check = 0;
    std::wstring m_limited;
    std::wstring m_plain;
    int m_radio = 0;
    CWnd m_plainEdit;

    int m_clicks = 0;
    int m_paints = 0;
    std::function<void(CTestDialog&)> m_onInit;
    std::function<void(CTestDialog&)> m_onClick;

    BOOL OnInitDialog() override {
        BOOL result = CDialog::OnInitDialog();
        if (m_onInit) m_onInit(*this);
        return result;
    }

    void OnPaint() override {
        ++m_paints;
        Default();
    }

    const MessageMap* GetMessageMap() const override {
        static const MessageMapEntry entries[] = {{IDC_FWTEST_BUTTON, BN_CLICKED, &CTestDialog::OnButton},
                                                  {IDC_FWTEST_THROW, BN_CLICKED, &CTestDialog::OnThrow}};
        static const MessageMap map(CDialog::GetMessageMap(), entries);
        return &map;
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Check(pDX, IDC_FWTEST_CHECK, m_check);
        DDX_Text(pDX, IDC_FWTEST_LIMITED, m_limited);
        DDV_MaxChars(pDX, m_limited, 3);
        DDX_Control(pDX, IDC_FWTEST_PLAIN, m_plainEdit);
        DDX_Text(pDX, IDC_FWTEST_PLAIN, m_plain);
        DDX_Radio(pDX, IDC_FWTEST_RADIO0, m_radio);
    }

private:
    void OnButton() {
        ++m_clicks;
        if (m_onClick) m_onClick(*this);
    }
    void OnThrow() { throw std::runtime_error("handler failed"); }
};

// Binds IDOK itself, as a dialog with its own OK handling does.
class COwnOkDialog : public CTestDialog {
public:
    int m_ownOk = 0;

    const MessageMap* GetMessageMap() const override {
        static const MessageMapEntry entries[] = {{IDOK, BN_CLICKED, &COwnOkDialog::OnOwnOk}};
        static const MessageMap map(CTestDialog::GetMessageMap(), entries);
        return &map;
    }

private:
    void OnOwnOk() { ++m_ownOk; }
};

void Click(const CDialog& dialog, int id) { ::SendMessageW(::GetDlgItem(dialog.m_hWnd, id), BM_CLICK, 0, 0); }

class ModelessDialogTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dialog.Create()) << "error " << ::GetLastError(); }

    HWND Item(int id) const { return ::GetDlgItem(dialog.m_hWnd, id); }
    LRESULT CheckState(int id) const { return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0); }
    void SetCheck(int id, WPARAM state) { ::SendMessageW(Item(id), BM_SETCHECK, state, 0); }
    void SetText(int id, const wchar_t* text) { ::SetWindowTextW(Item(id), text); }
    std::wstring Text(int id) const {
        std::wstring text;
        CWnd(Item(id)).GetWindowTextW(text);
        return text;
    }

    CTestDialog dialog;
};

TEST_F(ModelessDialogTest, LoadingShowsFieldsAndLimitsTheEdit) {
    dialog.m_check = 2;
    dialog.m_limited = L"12";
    dialog.m_plain = L"plain text";
    dialog.m_radio = 2;
    ASSERT_TRUE(dialog.UpdateData(FALSE));

    EXPECT_EQ(BST_CHECKED, CheckState(IDC_FWTEST_CHECK));
    EXPECT_EQ(L"12", Text(IDC_FWTEST_LIMITED));
    EXPECT_EQ(3, ::SendMessageW(Item(IDC_FWTEST_LIMITED), EM_GETLIMITTEXT, 0, 0));
    EXPECT_EQ(L"plain text", Text(IDC_FWTEST_PLAIN));
    EXPECT_EQ(Item(IDC_FWTEST_PLAIN), dialog.m_plainEdit.m_hWnd);
    EXPECT_EQ(BST_UNCHECKED, CheckState(IDC_FWTEST_RADIO0));
    EXPECT_EQ(BST_UNCHECKED, CheckState(IDC_FWTEST_RADIO1));
    EXPECT_EQ(BST_CHECKED, CheckState(IDC_FWTEST_RADIO2));
}

TEST_F(ModelessDialogTest, SavingReadsSwitchesAsZeroOrOneAndTheCheckedRadio) {
    dialog.m_check = 2;
    ASSERT_TRUE(dialog.UpdateData(FALSE));
    SetText(IDC_FWTEST_LIMITED, L"abc");
    SetText(IDC_FWTEST_PLAIN, L"typed");
    Click(dialog, IDC_FWTEST_RADIO1);

    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(1, dialog.m_check);
    EXPECT_EQ(L"abc", dialog.m_limited);
    EXPECT_EQ(L"typed", dialog.m_plain);
    EXPECT_EQ(1, dialog.m_radio);

    SetCheck(IDC_FWTEST_CHECK, BST_UNCHECKED);
    SetCheck(IDC_FWTEST_RADIO1, BST_UNCHECKED);
    SetCheck(IDC_FWTEST_NEXT_RADIO, BST_CHECKED);
    ASSERT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(0, dialog.m_check);
    EXPECT_EQ(-1, dialog.m_radio) << "only a radio button of the next group is checked";
}

TEST_F(ModelessDialogTest, TooLongTextFailsTheExchangeAtThatEdit) {
    dialog.m_plain = L"old";
    ASSERT_TRUE(dialog.UpdateData(FALSE));
    SetCheck(IDC_FWTEST_CHECK, BST_CHECKED);
    SetText(IDC_FWTEST_LIMITED, L"1234");  // WM_SETTEXT ignores the typing limit
    SetText(IDC_FWTEST_PLAIN, L"new");
    Click(dialog, IDC_FWTEST_RADIO2);

    kmx::ScopedMessageBoxRecorder boxes;
    EXPECT_FALSE(dialog.UpdateData(TRUE));

    EXPECT_EQ(1, dialog.m_check) << "fields before the failing one are taken";
    EXPECT_EQ(L"1234", dialog.m_limited) << "the failing text itself is taken";
    EXPECT_EQ(L"old", dialog.m_plain) << "fields after the failing one keep their values";
    EXPECT_EQ(0, dialog.m_radio);
    ASSERT_EQ(1u, boxes.Boxes().size());
    const auto& box = boxes.Boxes()[0];
    EXPECT_EQ(dialog.m_hWnd, box.owner);
    EXPECT_NE(std::wstring::npos, box.text.find(L'3')) << box.text.c_str();
    EXPECT_EQ(L"Framework Test", box.caption);
    EXPECT_EQ(UINT(MB_ICONEXCLAMATION | MB_OK), box.type);
    EXPECT_EQ(Item(IDC_FWTEST_LIMITED), ::GetFocus());

    SetText(IDC_FWTEST_LIMITED, L"123");
    EXPECT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(2, dialog.m_radio);
    EXPECT_EQ(1u, boxes.Boxes().size());
}

TEST_F(ModelessDialogTest, CommandsReachTheirHandlersOnlyAndSurviveExceptions) {
    Click(dialog, IDC_FWTEST_BUTTON);
    ::SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_FWTEST_BUTTON, BN_CLICKED), 0);
    EXPECT_EQ(2, dialog.m_clicks);
    ::SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_FWTEST_BUTTON, BN_SETFOCUS), 0);
    ::SendMessageW(dialog.m_hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_SETFOCUS), 0);
    Click(dialog, IDC_FWTEST_UNBOUND);
    EXPECT_EQ(2, dialog.m_clicks);
    EXPECT_FALSE(dialog.HasEnded());

    Click(dialog, IDC_FWTEST_THROW);
    ASSERT_TRUE(::IsWindow(dialog.m_hWnd));
    Click(dialog, IDC_FWTEST_BUTTON);
    EXPECT_EQ(3, dialog.m_clicks);

    COwnOkDialog own;
    ASSERT_TRUE(own.Create());
    Click(own, IDOK);
    Click(own, IDC_FWTEST_BUTTON);
    EXPECT_EQ(1, own.m_ownOk);
    EXPECT_EQ(1, own.m_clicks) << "entries of the base map still apply";
    EXPECT_FALSE(own.HasEnded());
}

TEST_F(ModelessDialogTest, CloseBoxEndsWithCancel) {
    HWND window = dialog.m_hWnd;
    ::SendMessageW(window, WM_CLOSE, 0, 0);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
    EXPECT_EQ(IDCANCEL, dialog.GetEndResult());
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(nullptr, dialog.m_hWnd);
}

TEST_F(ModelessDialogTest, OkWithAFailingExchangeStaysOpen) {
    SetText(IDC_FWTEST_LIMITED, L"1234");
    kmx::ScopedMessageBoxRecorder boxes;
    Click(dialog, IDOK);
    EXPECT_FALSE(dialog.HasEnded()) << "result " << dialog.GetEndResult();
    EXPECT_TRUE(::IsWindow(dialog.m_hWnd));
    EXPECT_EQ(1u, boxes.Boxes().size());

    SetText(IDC_FWTEST_LIMITED, L"12");
    Click(dialog, IDOK);
    EXPECT_EQ(IDOK, dialog.GetEndResult());
    EXPECT_EQ(L"12", dialog.m_limited);
}

TEST_F(ModelessDialogTest, HandlerThatEndsTheDialogCanStillReadItsControls) {
    HWND window = dialog.m_hWnd;
    SetText(IDC_FWTEST_PLAIN, L"still here");
    std::wstring readAfterEnd;
    dialog.m_onClick = [&](CTestDialog& self) {
        self.EndDialog(42);
        self.m_plainEdit.GetWindowTextW(readAfterEnd);
    };
    Click(dialog, IDC_FWTEST_BUTTON);
    EXPECT_EQ(L"still here", readAfterEnd);
    EXPECT_EQ(42, dialog.GetEndResult());
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(ModelessDialogTest, DefaultPaintingAndControlLookup) {
    ::InvalidateRect(dialog.m_hWnd, nullptr, TRUE);
    ::UpdateWindow(dialog.m_hWnd);
    EXPECT_EQ(1, dialog.m_paints);
    EXPECT_FALSE(::GetUpdateRect(dialog.m_hWnd, nullptr, FALSE)) << "default painting did not run";

    CWnd* edit = dialog.GetDlgItem(IDC_FWTEST_PLAIN);
    ASSERT_NE(nullptr, edit);
    EXPECT_EQ(Item(IDC_FWTEST_PLAIN), edit->GetSafeHwnd());
    EXPECT_EQ(nullptr, dialog.GetDlgItem(4242));
}

// A control found once is answered again without asking the system, so the
// answer must follow the children: an id that changed, a control destroyed,
// and a new control with the old id, for the lookup and for the exchange.
TEST_F(ModelessDialogTest, ControlLookupFollowsTheChildWindows) {
    CWnd* edit = dialog.GetDlgItem(IDC_FWTEST_PLAIN);
    ASSERT_NE(nullptr, edit);
    HWND original = edit->m_hWnd;
    ::SetWindowLongPtrW(original, GWLP_ID, 4243);
    EXPECT_EQ(nullptr, dialog.GetDlgItem(IDC_FWTEST_PLAIN));
    ASSERT_NE(nullptr, dialog.GetDlgItem(4243));
    EXPECT_EQ(original, dialog.GetDlgItem(4243)->m_hWnd);
    ::SetWindowLongPtrW(original, GWLP_ID, IDC_FWTEST_PLAIN);
    EXPECT_EQ(edit, dialog.GetDlgItem(IDC_FWTEST_PLAIN));

    ::DestroyWindow(original);
    EXPECT_EQ(nullptr, dialog.GetDlgItem(IDC_FWTEST_PLAIN));
    EXPECT_FALSE(dialog.UpdateData(TRUE)) << "the exchange misses the destroyed edit";

    HWND replacement = ::CreateWindowExW(0, L"Edit", L"new", WS_CHILD, 0, 0, 40, 12, dialog.m_hWnd,
                                         reinterpret_cast<HMENU>(IDC_FWTEST_PLAIN), nullptr, nullptr);
    ASSERT_NE(nullptr, replacement);
    ASSERT_NE(nullptr, dialog.GetDlgItem(IDC_FWTEST_PLAIN));
    EXPECT_EQ(replacement, dialog.GetDlgItem(IDC_FWTEST_PLAIN)->m_hWnd);
    EXPECT_TRUE(dialog.UpdateData(TRUE));
    EXPECT_EQ(L"new", dialog.m_plain);
    EXPECT_EQ(replacement, dialog.m_plainEdit.m_hWnd);
}

TEST(ModalDialogTest, ReturnsTheEndResultOrMinusOneWithoutTemplate) {
    CTestDialog clicked;
    clicked.m_onInit = [](CTestDialog& self) {
        ::PostMessageW(self.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_FWTEST_BUTTON, BN_CLICKED), 0);
    };
    clicked.m_onClick = [](CTestDialog& self) { self.EndDialog(42); };
    EXPECT_EQ(42, clicked.DoModal());
    EXPECT_EQ(nullptr, clicked.m_hWnd);

    CDialog missing(IDD_FWTEST_MISSING);
    EXPECT_EQ(-1, missing.DoModal());
}

// An application that could not start its window ends with the status it set.
TEST(WinAppTest, EndsWithTheExitCodeSetBeforeInitInstanceReturnsFalse) {
    struct CFailingApp : CWinApp {
        BOOL InitInstance() override {
            m_nExitCode = 1;
            return FALSE;
        }
    } app;
    EXPECT_EQ(&app, AfxGetApp());
    EXPECT_EQ(1, AfxWinMain(::GetModuleHandleW(nullptr), nullptr, nullptr, SW_SHOWNORMAL));
}

}  // namespace

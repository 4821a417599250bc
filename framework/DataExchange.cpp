#include "framework/DataExchange.h"

#include <cwchar>

#include "framework/Wnd.h"

namespace {

bool IsRadioButton(HWND window) {
    return (::SendMessageW(window, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON) != 0;
}

}  // namespace

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

HWND CDataExchange::PrepareCtrl(int id) {
    const CWnd* control = m_pDlgWnd->GetDlgItem(id);
    m_hWndLastControl = control != nullptr ? control->m_hWnd : nullptr;
    if (m_hWndLastControl == nullptr) Fail();
    return m_hWndLastControl;
}

void CDataExchange::Fail() { m_bFailed = true; }

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    if (pDX->m_bFailed) return;
    HWND control = pDX->PrepareCtrl(id);
    if (control == nullptr) return;
    if (pDX->m_bSaveAndValidate)
        value = ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    else
        ::SendMessageW(control, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DDX_Text(CDataExchange* pDX, int id, std::wstring& value) {
    if (pDX->m_bFailed) return;
    HWND control = pDX->PrepareCtrl(id);
    if (control == nullptr) return;
    CWnd window(control);
    if (pDX->m_bSaveAndValidate)
        window.GetWindowTextW(value);
    else
        window.SetWindowTextW(value);
}

void DDV_MaxChars(CDataExchange* pDX, const std::wstring& value, int nChars) {
    if (pDX->m_bFailed) return;
    HWND edit = pDX->m_hWndLastControl;
    if (!pDX->m_bSaveAndValidate) {
        ::SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(nChars), 0);
        return;
    }
    if (value.size() <= static_cast<size_t>(nChars)) return;

    wchar_t text[64];
    std::swprintf(text, sizeof text / sizeof text[0], L"Enter no more than %d characters.", nChars);
    std::wstring caption;
    pDX->m_pDlgWnd->GetWindowTextW(caption);
    pDX->m_pDlgWnd->MessageBoxW(text, caption, MB_ICONEXCLAMATION | MB_OK);
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    pDX->Fail();
}

void DDX_Radio(CDataExchange* pDX, int firstId, int& value) {
    if (pDX->m_bFailed) return;
    HWND first = pDX->PrepareCtrl(firstId);
    if (first == nullptr) return;

    if (pDX->m_bSaveAndValidate) value = -1;
    int index = 0;
    for (HWND button = first; button != nullptr; button = ::GetWindow(button, GW_HWNDNEXT)) {
        if (button != first && (::GetWindowLongW(button, GWL_STYLE) & WS_GROUP) != 0) break;
        if (!IsRadioButton(button)) continue;
        if (pDX->m_bSaveAndValidate) {
            if (value == -1 && ::SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessageW(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
    }
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    if (pDX->m_bFailed) return;
    HWND window = pDX->PrepareCtrl(id);
    if (window != nullptr) control.m_hWnd = window;
}

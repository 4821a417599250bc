#include "framework/Dialog.h"

#include "framework/WinApp.h"

CDialog::CDialog(UINT templateId, CWnd* parent) : m_pParentWnd(parent), m_nIDTemplate(templateId) {}

CDialog::~CDialog() {
    // A modeless window that is still there must not reach this half-
    // destroyed object any more.
    if (m_hWnd != nullptr) {
        HWND window = m_hWnd;
        Detach();
        ::DestroyWindow(window);
    }
}

INT_PTR CDialog::DoModal() {
    m_bModal = true;
    m_bEnded = false;
    m_nEndResult = -1;
    INT_PTR result = ::DialogBoxParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_nIDTemplate),
                                       m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr,
                                       &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    m_bModal = false;
    m_hWnd = nullptr;
    return result;
}

BOOL CDialog::Create(CWnd* parent) {
    if (parent != nullptr) m_pParentWnd = parent;
    m_bModal = false;
    m_bEnded = false;
    m_nEndResult = -1;
    m_bDestroyPending = false;
    HWND window = ::CreateDialogParamW(AfxGetInstanceHandle(), MAKEINTRESOURCEW(m_nIDTemplate),
                                       m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr,
                                       &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    return window != nullptr && ::IsWindow(window) ? TRUE : FALSE;
}

void CDialog::EndDialog(int result) {
    m_bEnded = true;
    m_nEndResult = result;
    if (m_hWnd == nullptr) return;
    if (m_bModal)
        ::EndDialog(m_hWnd, result);
    else if (m_nDispatchDepth > 0)
        m_bDestroyPending = true;
    else
        ::DestroyWindow(m_hWnd);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnPaint() { Default(); }

HCURSOR CDialog::OnQueryDragIcon() { return nullptr; }

LRESULT CDialog::Default() {
    m_bUseDefault = true;
    return 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialog* dialog;
    if (message == WM_INITDIALOG) {
        dialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        dialog->m_hWnd = hWnd;
    } else {
        dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
    }
    // Messages before WM_INITDIALOG, and after the object let go of the
    // window, get the dialog manager's default processing.
    if (dialog == nullptr) return FALSE;
    return dialog->Dispatch(message, wParam, lParam);
}

INT_PTR CDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    ++m_nDispatchDepth;
    INT_PTR result = FALSE;
    try {
        result = HandleMessage(message, wParam, lParam);
    } catch (...) {
        // A dialog whose initialisation broke off is not shown half made.
        if (message == WM_INITDIALOG) EndDialog(-1);
        result = TRUE;
    }
    --m_nDispatchDepth;
    if (m_nDispatchDepth == 0 && m_bDestroyPending && m_hWnd != nullptr) {
        m_bDestroyPending = false;
        ::DestroyWindow(m_hWnd);
    }
    return result;
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: return OnInitDialog();
        case WM_COMMAND: return OnCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_PAINT: {
            bool outerUseDefault = m_bUseDefault;
            m_bUseDefault = false;
            OnPaint();
            bool useDefault = m_bUseDefault;
            m_bUseDefault = outerUseDefault;
            return useDefault ? FALSE : TRUE;
        }
        case WM_QUERYDRAGICON:
            // One of the messages whose dialog-procedure result is the answer.
            return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
        case WM_NCDESTROY: Detach(); return FALSE;
        default: return FALSE;
    }
}

BOOL CDialog::OnCommand(UINT id, UINT code) {
    if (const MessageMapEntry* entry = GetMessageMap()->Find(id, code)) {
        entry->Invoke(*this, id);
        return TRUE;
    }
    if (code == BN_CLICKED && id == IDOK) {
        OnOK();
        return TRUE;
    }
    if (code == BN_CLICKED && id == IDCANCEL) {
        OnCancel();
        return TRUE;
    }
    return FALSE;
}

void CDialog::Detach() {
    if (m_hWnd != nullptr) ::SetWindowLongPtrW(m_hWnd, DWLP_USER, 0);
    m_hWnd = nullptr;
    m_bDestroyPending = false;
}

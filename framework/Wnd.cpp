#include "framework/Wnd.h"

#include "framework/DataExchange.h"
#include "framework/MessageBoxSeam.h"

CWnd::~CWnd() = default;

HWND CWnd::GetSafeHwnd() const { return m_hWnd; }

CWnd* CWnd::GetDlgItem(int id) const {
    const auto known = m_children.find(id);
    if (known != m_children.end() && IsChildWithId(known->second->m_hWnd, id)) return known->second.get();
    HWND child = ::GetDlgItem(m_hWnd, id);
    if (child == nullptr) return nullptr;
    std::unique_ptr<CWnd>& wrapper = m_children[id];
    if (!wrapper) wrapper = std::make_unique<CWnd>();
    wrapper->m_hWnd = child;
    return wrapper.get();
}

HWND CWnd::FindTopLevelWindow(const wchar_t* className) { return ::FindWindowW(className, nullptr); }

bool CWnd::IsChildWithId(HWND window, int id) const {
    // Each of these reads the window's own record: no trip to the server.
    return window != nullptr && ::IsWindow(window) && ::GetAncestor(window, GA_PARENT) == m_hWnd &&
           ::GetDlgCtrlID(window) == id;
}

BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }

BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }

BOOL CWnd::ShowWindow(int showCommand) { return ::ShowWindow(m_hWnd, showCommand); }

BOOL CWnd::SetWindowTextW(const std::wstring& text) { return ::SetWindowTextW(m_hWnd, text.c_str()); }

int CWnd::GetWindowTextW(std::wstring& text) const {
    // The length may be larger than the text (it can count a DBCS form), so
    // the buffer is cut to what was actually copied.
    int length = ::GetWindowTextLengthW(m_hWnd);
    std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(m_hWnd, &buffer[0], length + 1);
    buffer.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    text = std::move(buffer);
    return copied;
}

BOOL CWnd::GetWindowRect(RECT* rect) const { return ::GetWindowRect(m_hWnd, rect); }

BOOL CWnd::GetClientRect(RECT* rect) const { return ::GetClientRect(m_hWnd, rect); }

BOOL CWnd::SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags) {
    return ::SetWindowPos(m_hWnd, insertAfter != nullptr ? insertAfter->m_hWnd : nullptr, x, y, cx, cy,
                          flags);
}

LRESULT CWnd::SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

int CWnd::MessageBoxW(const std::wstring& text, const std::wstring& caption, UINT type) {
    return kmx::ShowMessageBox(m_hWnd, text, caption, type);
}

HWND CWnd::SetFocus() { return ::SetFocus(m_hWnd); }

BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return dx.m_bFailed ? FALSE : TRUE;
}

const MessageMap* CWnd::GetMessageMap() const {
    static const MessageMap map(nullptr, nullptr, 0);
    return &map;
}

void CWnd::DoDataExchange(CDataExchange*) {}

void MessageMapEntry::Invoke(CWnd& window, UINT id) const {
    if (pfnId != nullptr)
        (window.*pfnId)(id);
    else
        (window.*pfn)();
}

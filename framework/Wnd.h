// CWnd: a window handle with thin wrappers, one per Win32 call, each
// returning that call's result. The object does not own the window.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>

#include "framework/MessageMap.h"

class CDataExchange;

class CWnd {
public:
    CWnd() = default;
    explicit CWnd(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The handle, or nullptr when no window is attached. Unlike the classic
    // framework it must not be called through a null pointer.
    HWND GetSafeHwnd() const;

    // Another program's top-level window of this class, any title (FindWindowW).
    static HWND FindTopLevelWindow(const wchar_t* className);

    // The child window with this id, or nullptr when there is none. The
    // object belongs to this window and stays the same for the same id. A
    // child found once is answered again while it is still this window's
    // child with that id, without asking the system: each ::GetDlgItem lists
    // every child through the window server (under Wine a round trip of
    // some 40 us), and a dialog's data exchange asks for every control.
    // Of two children with the same id, that is the one found first.
    CWnd* GetDlgItem(int id) const;

    BOOL EnableWindow(BOOL enable);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int showCommand);
    BOOL SetWindowTextW(const std::wstring& text);
    // Replaces `text` with the window text; returns the length copied.
    int GetWindowTextW(std::wstring& text) const;
    BOOL GetWindowRect(RECT* rect) const;
    BOOL GetClientRect(RECT* rect) const;
    // `insertAfter` nullptr stands for no insert-after window.
    BOOL SetWindowPos(const CWnd* insertAfter, int x, int y, int cx, int cy, UINT flags);
    LRESULT SendMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Through the message-box seam, owned by this window.
    int MessageBoxW(const std::wstring& text, const std::wstring& caption, UINT type);
    // Returns the window that had the focus before.
    HWND SetFocus();
    BOOL IsIconic() const;

    // Runs DoDataExchange: TRUE copies the controls into the fields, FALSE
    // the fields into the controls. Returns FALSE when the exchange failed.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    virtual const MessageMap* GetMessageMap() const;

    HWND m_hWnd = nullptr;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);

private:
    bool IsChildWithId(HWND window, int id) const;

    mutable std::map<int, std::unique_ptr<CWnd>> m_children;
};

// CDialog: a dialog built from a template of the application's module, run
// modally (DoModal) or modelessly (Create), with its commands dispatched
// through the message map.
#pragma once

#include <windows.h>

#include "framework/Wnd.h"

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally and returns the result given to EndDialog, or
    // -1 when the dialog cannot be created.
    virtual INT_PTR DoModal();

    // Creates the dialog modelessly, for driving it by messages. EndDialog
    // then records the result and destroys the window once the message
    // being handled is done (at once when called outside a message), so the
    // handler that ends the dialog can still read its controls.
    BOOL Create(CWnd* parent = nullptr);

    // Modal: makes DoModal return `result`. Modeless: see Create.
    void EndDialog(int result);
    // Whether EndDialog ran since the dialog was last created, and the
    // result it was given (-1 before).
    bool HasEnded() const { return m_bEnded; }
    INT_PTR GetEndResult() const { return m_nEndResult; }

    // Base: copies the fields into the controls; TRUE lets the dialog
    // manager set the focus.
    virtual BOOL OnInitDialog();
    // Base: copies the controls into the fields and ends with IDOK when that
    // succeeds; a failed exchange leaves the dialog open.
    virtual void OnOK();
    // Base: ends with IDCANCEL.
    virtual void OnCancel();

    // WM_PAINT. Base: the dialog manager's default painting (Default()).
    virtual void OnPaint();
    // WM_QUERYDRAGICON: the cursor shown while the minimised window is
    // dragged. Base: nullptr, the dialog manager's default.
    virtual HCURSOR OnQueryDragIcon();

    CWnd* m_pParentWnd;

protected:
    // Called from OnPaint: leaves WM_PAINT to the dialog manager's default
    // painting once OnPaint returns.
    LRESULT Default();

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Never lets an exception out: the caller is user32.
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnCommand(UINT id, UINT code);
    void Detach();

    UINT m_nIDTemplate;
    bool m_bModal = false;
    bool m_bEnded = false;
    INT_PTR m_nEndResult = -1;
    int m_nDispatchDepth = 0;
    bool m_bDestroyPending = false;
    bool m_bUseDefault = false;
};

// Data exchange between a dialog's controls and its fields. A failed step
// does not throw: it marks the exchange failed, and every later DDX_/DDV_
// call of the same exchange does nothing, so the fields after the failing
// one keep their values.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    // The control `id` of the dialog, remembered as the last prepared
    // control; nullptr (and the exchange failed) when there is no such
    // control.
    HWND PrepareCtrl(int id);
    // Marks the exchange failed.
    void Fail();

    // TRUE: controls to fields; FALSE: fields to controls.
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND m_hWndLastControl = nullptr;
    bool m_bFailed = false;
};

// A check box and a switch: a value other than 0 shows checked; a checked
// box reads as 1, any other state as 0.
void DDX_Check(CDataExchange* pDX, int id, int& value);
// An edit (or any window) and its whole text.
void DDX_Text(CDataExchange* pDX, int id, std::wstring& value);
// Follows the DDX_Text of an edit. To the control: limits the edit to
// nChars characters. From the control: a longer text (already taken into
// `value`) is reported in a message box owned by the dialog, the edit gets
// the focus and the exchange fails.
void DDV_MaxChars(CDataExchange* pDX, const std::wstring& value, int nChars);
// A group of radio buttons that starts at firstId and runs up to the next
// control with WS_GROUP: value is the index of the checked button among the
// radio buttons of the group, -1 for none.
void DDX_Radio(CDataExchange* pDX, int firstId, int& value);
// Attaches the control's window to `control` (in both directions).
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

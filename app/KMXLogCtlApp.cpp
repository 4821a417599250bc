#include "app/KMXLogCtlApp.h"

#include <commctrl.h>

#include "kvxshared/KvxShared.h"
#include "system/Win32Registry.h"
#include "ui/KMXLogCtlDlg.h"

CKMXLogCtlApp::CKMXLogCtlApp() = default;

BOOL CKMXLogCtlApp::InitInstance() {
    ::InitCommonControls();
    CWinApp::InitInstance();

    kmx::Win32Registry registry;
    Korvex::Util::ScopedRegistry library(registry);
    {
        CKMXLogCtlDlg dlg(registry);
        m_pMainWnd = &dlg;
        if (dlg.DoModal() == -1) {
            // A GUI program has no console to complain on: leave the reason
            // for a debugger and end with a failure status.
            ::OutputDebugStringW(L"KMXLogCtl: the main window could not be created\n");
            m_nExitCode = 1;
        }
        m_pMainWnd = nullptr;
    }
    // FALSE: no message loop of our own, the program ends here.
    return FALSE;
}

CKMXLogCtlApp theApp;

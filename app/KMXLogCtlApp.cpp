#include "app/KMXLogCtlApp.h"

#include <commctrl.h>

#include "framework/Win32Registry.h"
#include "settings/SystemRegistry.h"
#include "ui/KMXLogCtlDlg.h"

CKMXLogCtlApp::CKMXLogCtlApp() : CWinApp(nullptr) {}

BOOL CKMXLogCtlApp::InitInstance() {
    ::InitCommonControls();
    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(L"Local AppWizard-Generated Applications");

    kmx::ScopedSystemRegistry registry(kmx::Win32Registry::Instance());
    {
        CKMXLogCtlDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    // FALSE: no message loop of our own, the program ends here.
    return FALSE;
}

CKMXLogCtlApp theApp;

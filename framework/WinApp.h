// CWinApp: the one application object, constructed during static
// initialisation, and the entry routine that runs it.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CWinApp {
public:
    // Registers this object as the application (AfxGetApp).
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Base: TRUE. Returning FALSE ends the program without a message loop.
    virtual BOOL InitInstance();
    // The message loop run after a successful InitInstance; returns the
    // exit code carried by WM_QUIT.
    virtual int Run();

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    // The process exit status when InitInstance returns FALSE.
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();
// The module that holds the resources: the one given to AfxWinMain, or the
// executable when AfxWinMain has not run (as in tests).
HINSTANCE AfxGetInstanceHandle();
// Called by wWinMain: runs the application object and returns the process
// exit code (m_nExitCode when InitInstance returns FALSE, -1 when there is
// no application object).
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);

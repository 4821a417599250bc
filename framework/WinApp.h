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

    // Runs the program (its modal window); the program ends when it returns.
    // There is no message loop of the application's own, so the result is
    // not used. Base: TRUE.
    virtual BOOL InitInstance();

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    // The process exit status.
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();
// The module that holds the resources: the one given to AfxWinMain, or the
// executable when AfxWinMain has not run (as in tests).
HINSTANCE AfxGetInstanceHandle();
// Called by wWinMain: runs the application object and returns the process
// exit code (m_nExitCode, -1 when there is no application object).
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);

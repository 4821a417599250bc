// CWinApp: the one application object, constructed during static
// initialisation, and the entry routine that runs it.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

class CWinApp {
public:
    // Registers this object as the application (AfxGetApp).
    explicit CWinApp(const wchar_t* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Base: TRUE. Returning FALSE ends the program without a message loop.
    virtual BOOL InitInstance();
    // The message loop run after a successful InitInstance; returns the
    // exit code carried by WM_QUIT.
    virtual int Run();

    // Only records the name; nothing is written to the registry.
    void SetRegistryKey(const wchar_t* company);
    const std::wstring& GetRegistryKey() const { return m_registryKey; }

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
    std::wstring m_appName;

private:
    std::wstring m_registryKey;
};

CWinApp* AfxGetApp();
// The module that holds the resources: the one given to AfxWinMain, or the
// executable when AfxWinMain has not run (as in tests).
HINSTANCE AfxGetInstanceHandle();
// There are no ActiveX controls to host: nothing to prepare.
void AfxEnableControlContainer();

// Called by wWinMain: runs the application object and returns the process
// exit code (0 when InitInstance returns FALSE, -1 when there is no
// application object).
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow);

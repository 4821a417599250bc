#include "framework/WinApp.h"

namespace {

CWinApp* g_application = nullptr;

}  // namespace

CWinApp::CWinApp() { g_application = this; }

CWinApp::~CWinApp() {
    if (g_application == this) g_application = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

CWinApp* AfxGetApp() { return g_application; }

HINSTANCE AfxGetInstanceHandle() {
    if (g_application != nullptr && g_application->m_hInstance != nullptr) return g_application->m_hInstance;
    return ::GetModuleHandleW(nullptr);
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) {
    CWinApp* application = AfxGetApp();
    if (application == nullptr) return -1;
    application->m_hInstance = hInstance;
    application->InitInstance();
    return application->m_nExitCode;
}

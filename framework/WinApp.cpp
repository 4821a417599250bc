#include "framework/WinApp.h"

namespace {

CWinApp* g_application = nullptr;

}  // namespace

CWinApp::CWinApp(const wchar_t* appName) {
    if (appName != nullptr) m_appName = appName;
    g_application = this;
}

CWinApp::~CWinApp() {
    if (g_application == this) g_application = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run() {
    MSG message{};
    BOOL status;
    while ((status = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return status == 0 ? static_cast<int>(message.wParam) : -1;
}

void CWinApp::SetRegistryKey(const wchar_t* company) { m_registryKey = company != nullptr ? company : L""; }

CWinApp* AfxGetApp() { return g_application; }

HINSTANCE AfxGetInstanceHandle() {
    if (g_application != nullptr && g_application->m_hInstance != nullptr) return g_application->m_hInstance;
    return ::GetModuleHandleW(nullptr);
}

void AfxEnableControlContainer() {}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR, int) {
    CWinApp* application = AfxGetApp();
    if (application == nullptr) return -1;
    application->m_hInstance = hInstance;
    if (!application->InitInstance()) return 0;
    return application->Run();
}

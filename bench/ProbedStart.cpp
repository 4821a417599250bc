// The program as KMXLogCtl.exe starts it, with time stamps (Probe.h) at the
// steps of opening its window, for the benchmark's breakdown: the dialog and
// the registry are wrapped, nothing of the product is changed.
#include <windows.h>
#include <commctrl.h>

#include "Probe.h"
#include "framework/DataExchange.h"
#include "framework/WinApp.h"
#include "kvxshared/KvxShared.h"
#include "system/Win32Registry.h"
#include "ui/KMXLogCtlDlg.h"

namespace {

using kmx::bench::Mark;

// Stamps a run of registry calls as one step.
class ProbedRegistry : public kmx::IRegistry {
public:
    kmx::RegStatus OpenKey(kmx::RegKey parent, const std::wstring& path, std::uint32_t rights,
                           kmx::RegKey* result) override {
        return Stamped([&] { return m_registry.OpenKey(parent, path, rights, result); });
    }
    kmx::RegStatus CreateKey(kmx::RegKey parent, const std::wstring& path, std::uint32_t rights,
                             kmx::RegKey* result, std::uint32_t* disposition) override {
        return Stamped([&] { return m_registry.CreateKey(parent, path, rights, result, disposition); });
    }
    kmx::RegStatus QueryValue(kmx::RegKey key, const std::wstring& name, std::uint8_t* data,
                              std::uint32_t* size) override {
        return Stamped([&] { return m_registry.QueryValue(key, name, data, size); });
    }
    kmx::RegStatus QueryTypedValue(kmx::RegKey key, const std::wstring& name, std::uint32_t* type,
                                   std::uint8_t* data, std::uint32_t* size) override {
        return Stamped([&] { return m_registry.QueryTypedValue(key, name, type, data, size); });
    }
    kmx::RegStatus SetValue(kmx::RegKey key, const std::wstring& name, std::uint32_t type,
                            const std::uint8_t* data, std::uint32_t size) override {
        return Stamped([&] { return m_registry.SetValue(key, name, type, data, size); });
    }
    kmx::RegStatus DeleteValue(kmx::RegKey key, const std::wstring& name) override {
        return Stamped([&] { return m_registry.DeleteValue(key, name); });
    }
    kmx::RegStatus CloseKey(kmx::RegKey key) override {
        return Stamped([&] { return m_registry.CloseKey(key); });
    }

private:
    template <class Call>
    kmx::RegStatus Stamped(Call call) {
        kmx::bench::RegistryCallBegins();
        const kmx::RegStatus status = call();
        kmx::bench::RegistryCallEnds();
        return status;
    }

    kmx::Win32Registry m_registry;
};

WNDPROC g_dialogClassProc = nullptr;

// Stamps what the window is told while it opens: its icons, its resizing
// and activation, and the moment it has been made visible (and Wine has
// mapped it).
LRESULT CALLBACK WatchWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_SETICON: Mark(wParam == ICON_BIG ? "WM_SETICON big" : "WM_SETICON small"); break;
        case WM_WINDOWPOSCHANGING: Mark("WM_WINDOWPOSCHANGING"); break;
        case WM_ACTIVATE:
            Mark(LOWORD(wParam) != WA_INACTIVE ? "WM_ACTIVATE" : "WM_ACTIVATE (inactive)");
            break;
        case WM_WINDOWPOSCHANGED:
            Mark((reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) != 0 ? "window shown"
                                                                                     : "WM_WINDOWPOSCHANGED");
            break;
    }
    return CallWindowProcW(g_dialogClassProc, window, message, wParam, lParam);
}

class ProbedDialog : public CKMXLogCtlDlg {
public:
    using CKMXLogCtlDlg::CKMXLogCtlDlg;

    BOOL OnInitDialog() override {
        Mark("WM_INITDIALOG");
        g_dialogClassProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchWindow)));
        const BOOL result = CKMXLogCtlDlg::OnInitDialog();
        Mark("OnInitDialog returns");
        return result;
    }

    void OnPaint() override {
        if (!m_painted) Mark("first WM_PAINT");
        m_painted = true;
        CKMXLogCtlDlg::OnPaint();
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        Mark(pDX->m_bSaveAndValidate ? "exchange from the controls begins"
                                     : "exchange to the controls begins");
        CKMXLogCtlDlg::DoDataExchange(pDX);
        Mark("exchange ends");
    }

private:
    bool m_painted = false;
};

class ProbedApp : public CWinApp {
public:
    BOOL InitInstance() override {
        Mark("InitInstance");
        ::InitCommonControls();
        CWinApp::InitInstance();
        ProbedRegistry registry;
        Korvex::Util::ScopedRegistry library(registry);
        {
            Mark("constructor begins");
            ProbedDialog dlg(registry);
            Mark("DoModal");
            m_pMainWnd = &dlg;
            dlg.DoModal();
            m_pMainWnd = nullptr;
        }
        kmx::bench::WriteStamps();
        return FALSE;
    }
};

ProbedApp theApp;

}  // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR lpCmdLine, int nCmdShow) {
    Mark("wWinMain");
    return AfxWinMain(hInstance, hPrevInstance, lpCmdLine, nCmdShow);
}

// The yardsticks of the start-up benchmark: a program that shows the main
// dialog template (IDD_KMXLOGCTL_DIALOG) modally, with a dialog procedure that
// only closes it, after applying the shown state its command line lists
// (ShownState.h) with one plain Win32 call per difference from the template.
// Without words it is the template at full height; with the window's size
// alone, the collapsed template; with everything the benchmark read off the
// running program and its registry reads, the least work that puts the same
// window on screen.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <string>

#include "ShownState.h"
#ifdef KMX_BENCH_PROBES
// The probed build, for the benchmark's breakdown.
#include "Probe.h"
#define KMX_MARK(label) kmx::bench::Mark(label)
#else
#define KMX_MARK(label)
#endif
#include "resource.h"
#include "settings/Catalogue.h"
#include "settings/ReadIEProxyServer.h"
#include "settings/RegistryLayout.h"
#include "settings/SettingOrders.h"

namespace {

using kmx::bench::UnescapeText;

const wchar_t* g_words = L"";
HKEY g_loggingKey = nullptr;
// Whether the window is to be the foreground window, and whether a size
// change has already made it so.
bool g_foreground = false;
bool g_activated = false;

void ReadDword(HKEY key, const wchar_t* name) {
    BYTE data[4] = {};
    DWORD size = sizeof data;
    RegQueryValueExW(key, name, nullptr, nullptr, data, &size);
}

void ReadVariantFlag() {
    HKEY korvex = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kmx::kKorvexKeyPath, 0, KEY_QUERY_VALUE, &korvex) != ERROR_SUCCESS)
        return;
    ReadDword(korvex, kmx::kIsBESName);
    RegCloseKey(korvex);
}

// What the program reads while it builds its window object: the variant flag
// (for the factory values) and Internet Explorer's proxy.
void ReadBeforeTheWindow() {
    ReadVariantFlag();
    HKEY internet = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kmx::kInternetSettingsKey, 0, KEY_QUERY_VALUE, &internet) !=
        ERROR_SUCCESS)
        return;
    DWORD size = 0;
    if (RegQueryValueExW(internet, kmx::kProxyServerValue, nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        RegQueryValueExW(internet, kmx::kProxyServerValue, nullptr, nullptr,
                         reinterpret_cast<BYTE*>(&text[0]), &size);
    }
    RegCloseKey(internet);
}

// What it reads while the window initialises: the variant flag (for the
// title), the old switch, then the logging key's values in loading order.
// The key stays open while the window is, as the program's does.
void ReadInTheWindow() {
    ReadVariantFlag();
    HKEY korvex = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kmx::kKorvexKeyPath, 0, KEY_QUERY_VALUE, &korvex) ==
        ERROR_SUCCESS) {
        ReadDword(korvex, kmx::kOldSwitchName);
        RegCloseKey(korvex);
    }
    DWORD disposition = 0;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kmx::kLoggingKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &g_loggingKey,
                        &disposition) != ERROR_SUCCESS)
        return;
    ReadDword(g_loggingKey, kmx::kShowAppDumpName);
    for (const kmx::SettingId id : kmx::kLoadOrder) {
        if (kmx::Info(id).kind != kmx::SettingKind::FileName) {
            ReadDword(g_loggingKey, kmx::Info(id).name);
            continue;
        }
        BYTE text[kmx::kFileNameCapacityBytes] = {};
        DWORD size = sizeof text;
        RegQueryValueExW(g_loggingKey, kmx::Info(id).name, nullptr, nullptr, text, &size);
    }
}

bool HasWord(const wchar_t* words, const wchar_t* wanted) {
    const std::size_t length = std::wcslen(wanted);
    for (const wchar_t* at = std::wcsstr(words, wanted); at != nullptr; at = std::wcsstr(at + 1, wanted)) {
        const bool starts = at == words || at[-1] == L' ';
        if (starts && (at[length] == L'\0' || at[length] == L' ')) return true;
    }
    return false;
}

bool Is(const wchar_t* begin, const wchar_t* end, const wchar_t* name) {
    const std::size_t length = std::wcslen(name);
    return static_cast<std::size_t>(end - begin) == length && std::wcsncmp(begin, name, length) == 0;
}

// Applies one word; `control` and `controlId` carry the last control looked
// up, so that each control is looked up once.
void ApplyWord(HWND dialog, const wchar_t* begin, const wchar_t* end, HWND& control, int& controlId) {
    const wchar_t* equals = std::find(begin, end, L'=');
    const wchar_t* colon = std::find(begin, equals, L':');
    const wchar_t* value = equals < end ? equals + 1 : end;
    const long number = std::wcstol(value, nullptr, 10);
    if (Is(begin, equals, L"reads")) {
        KMX_MARK("registry begins");
        ReadInTheWindow();
        KMX_MARK("registry ends");
    } else if (Is(begin, equals, L"foreground")) {
        g_foreground = true;
    } else if (Is(begin, equals, L"size")) {
        const long height = std::wcstol(std::find(value, end, L',') + 1, nullptr, 10);
        // One call both resizes and activates when the window is to be in front.
        g_activated = g_foreground;
        KMX_MARK("SetWindowPos");
        SetWindowPos(dialog, nullptr, 0, 0, number, height,
                     SWP_NOMOVE | SWP_NOZORDER | (g_foreground ? 0 : SWP_NOACTIVATE));
        KMX_MARK("SetWindowPos returns");
    } else if (Is(begin, equals, L"title")) {
        SetWindowTextW(dialog, UnescapeText(value, end).c_str());
    } else if (Is(begin, equals, L"icons")) {
        HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
        SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageW(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    } else if (colon < equals) {
        const int id = static_cast<int>(std::wcstol(colon + 1, nullptr, 10));
        if (id != controlId) {
            control = GetDlgItem(dialog, id);
            controlId = id;
        }
        if (Is(begin, colon, L"enabled")) {
            EnableWindow(control, number != 0);
        } else if (Is(begin, colon, L"visible")) {
            ShowWindow(control, number != 0 ? SW_SHOW : SW_HIDE);
        } else if (Is(begin, colon, L"check")) {
            SendMessageW(control, BM_SETCHECK, number, 0);
        } else if (Is(begin, colon, L"text")) {
            SetWindowTextW(control, UnescapeText(value, end).c_str());
        } else if (Is(begin, colon, L"limit")) {
            SendMessageW(control, EM_LIMITTEXT, number, 0);
        } else if (Is(begin, colon, L"range")) {
            const long high = std::wcstol(std::find(value, end, L',') + 1, nullptr, 10);
            SendMessageW(control, UDM_SETRANGE, 0, MAKELPARAM(high, number));
        }
    }
}

INT_PTR CALLBACK MinimalDialogProc(HWND dialog, UINT message, WPARAM wParam, [[maybe_unused]] LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        KMX_MARK("WM_INITDIALOG");
        HWND control = nullptr;
        int controlId = 0;
        for (const wchar_t* at = g_words; *at != L'\0';) {
            const wchar_t* end = at;
            while (*end != L'\0' && *end != L' ') ++end;
            if (end > at) ApplyWord(dialog, at, end, control, controlId);
            at = *end == L' ' ? end + 1 : end;
        }
        if (g_foreground && !g_activated) SetForegroundWindow(dialog);
        KMX_MARK("words applied");
        return TRUE;
    }
#ifdef KMX_BENCH_PROBES
    static bool painted = false;
    if (message == WM_WINDOWPOSCHANGED && (reinterpret_cast<WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) != 0)
        KMX_MARK("window shown");
    if (message == WM_PAINT && !painted) {
        painted = true;
        KMX_MARK("first WM_PAINT");
    }
#endif
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR words, int) {
    KMX_MARK("wWinMain");
    g_words = words;
    // The template's spin controls are common controls.
    InitCommonControls();
    if (HasWord(words, L"reads")) {
        KMX_MARK("registry begins");
        ReadBeforeTheWindow();
        KMX_MARK("registry ends");
    }
    KMX_MARK("DoModal");
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_KMXLOGCTL_DIALOG), nullptr, MinimalDialogProc, 0);
    if (g_loggingKey != nullptr) RegCloseKey(g_loggingKey);
#ifdef KMX_BENCH_PROBES
    kmx::bench::WriteStamps();
#endif
    return 0;
}

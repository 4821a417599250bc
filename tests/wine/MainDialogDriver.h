// Drives the main window in-process: the dialog is opened modelessly over a
// registry of the test's choosing (a private key of the real registry or the
// in-memory one), every message box is recorded and answered, and the
// controls are read and set by message.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/MessageBoxSeam.h"
#include "settings/MemoryRegistry.h"
#include "settings/SystemRegistry.h"
#include "ui/KMXLogCtlDlg.h"
#include "PrivateRegistry.h"

namespace kmx {
namespace maindialog {

// Relative to the private hives of PrivateRegistry.
inline const wchar_t kLoggingPath[] = L"Software\\Korvex\\Logging";
inline const wchar_t kKorvexPath[] = L"Software\\Korvex";
// The same keys in MemoryRegistry's notation.
inline const wchar_t kMemoryLogging[] = L"HKCU\\Software\\Korvex\\Logging";
inline const wchar_t kMemoryKorvex[] = L"HKLM\\Software\\Korvex";

// What a key of the real registry holds: value name -> (type, bytes).
using KeyContents = std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>>;

inline KeyContents ReadKey(PrivateRegistry& registry, RegKey hive, const std::wstring& path)
{
    KeyContents contents;
    for (const std::wstring& name : registry.ValueNames(hive, path)) {
        if (const auto value = registry.Get(hive, path, name))
            contents[name] = {value->type, value->bytes};
    }
    return contents;
}

inline std::vector<BYTE> DwordBytes(std::uint32_t value)
{
    return {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
}

// A REG_SZ as the registry stores it: UTF-16LE with the terminating NUL.
inline std::vector<BYTE> StringBytes(const std::wstring& text)
{
    std::vector<BYTE> bytes;
    for (const wchar_t unit : text) {
        bytes.push_back(BYTE(unit));
        bytes.push_back(BYTE(unit >> 8));
    }
    bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

// GetTempPathW as the factory directory takes it (with its trailing backslash).
inline std::wstring TempPath()
{
    wchar_t buffer[MAX_PATH] = L"sentinel";
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    return std::wstring(buffer, length);
}

inline std::wstring WindowText(HWND window)
{
    wchar_t text[512] = L"sentinel";
    GetWindowTextW(window, text, 512);
    return text;
}

inline std::wstring ClassName(HWND window)
{
    wchar_t name[64] = L"";
    GetClassNameW(window, name, 64);
    return name;
}

class MainDialogFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControls();
        ASSERT_TRUE(real_.Ready());
    }

    // Installs `registry` and opens the dialog over it, as the program does:
    // the constructor already reads from the registry.
    bool Open(IRegistry& registry)
    {
        Close();
        scope_ = std::make_unique<ScopedSystemRegistry>(registry);
        dlg_ = std::make_unique<CKMXLogCtlDlg>();
        return dlg_->Create() != FALSE;
    }

    // Destroys the dialog object (which closes its logging key), then puts
    // the previous registry back.
    void Close()
    {
        dlg_.reset();
        scope_.reset();
    }

    CKMXLogCtlDlg& Dlg() { return *dlg_; }
    HWND Item(int id) const { return GetDlgItem(dlg_->m_hWnd, id); }
    std::wstring ItemText(int id) const { return WindowText(Item(id)); }
    bool IsChecked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    void Type(int id, const std::wstring& text)
    {
        SendMessageW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    bool IsOpen() const
    {
        return !dlg_->HasEnded() && dlg_->m_hWnd != nullptr && IsWindow(dlg_->m_hWnd);
    }
    bool EndedWith(INT_PTR result) const
    {
        return dlg_->HasEnded() && dlg_->GetEndResult() == result && dlg_->m_hWnd == nullptr;
    }
    KeyContents StoredValues() { return ReadKey(real_, kHkeyCurrentUser, kLoggingPath); }

    PrivateRegistry real_;
    MemoryRegistry memory_;
    ScopedMessageBoxRecorder boxes_{IDOK};
    // Destroyed first: the dialog, then the registry it was opened over.
    std::unique_ptr<ScopedSystemRegistry> scope_;
    std::unique_ptr<CKMXLogCtlDlg> dlg_;
};

}  // namespace maindialog
}  // namespace kmx

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

#include "PrivateRegistry.h"
#include "WindowQueries.h"
#include "kvxshared/KvxShared.h"
#include "settings/Catalogue.h"
#include "support/MemoryRegistry.h"
#include "support/win32/MessageBoxRecorder.h"
#include "ui/ControlBindings.h"
#include "ui/EnablingRules.h"
#include "ui/KMXLogCtlDlg.h"

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

inline KeyContents ReadKey(PrivateRegistry& registry, RegKey hive, const std::wstring& path) {
    KeyContents contents;
    for (const std::wstring& name : registry.ValueNames(hive, path)) {
        if (const auto value = registry.Get(hive, path, name)) contents[name] = {value->type, value->bytes};
    }
    return contents;
}

inline std::vector<BYTE> DwordBytes(std::uint32_t value) {
    return {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)};
}

// A REG_SZ as the registry stores it: UTF-16LE with the terminating NUL.
inline std::vector<BYTE> StringBytes(const std::wstring& text) {
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
inline std::wstring TempPath() {
    wchar_t buffer[MAX_PATH] = L"sentinel";
    const DWORD length = GetTempPathW(MAX_PATH, buffer);
    return std::wstring(buffer, length);
}

// The check boxes in groups: the 15 single threads, the 10 areas and the 16
// details (5 functions, 11 comments), and the 4 output options.
inline const std::vector<int> kSingleThreadIds(kSingleThreadBoxIds.begin(), kSingleThreadBoxIds.end());
inline const std::vector<int> kAreaIds(kAreaBoxIds.begin(), kAreaBoxIds.end());
inline const std::vector<int> kFunctionIds(kFunctionBoxIds.begin(), kFunctionBoxIds.end());
inline const std::vector<int> kCommentIds(kCommentBoxIds.begin(), kCommentBoxIds.end());
inline const std::vector<int> kOutputIds(kOutputOptionBoxIds.begin(), kOutputOptionBoxIds.end());
// The switches outside the groups, "All" threads aside.
inline const std::vector<int> kOtherSwitchIds = {IDC_ENABLE_LOGGING, IDC_ENABLE_ROLL,
                                                 IDC_KEEP_LOGGING,   IDC_ENABLE_MAX_DIR_SIZE,
                                                 IDC_ENABLE_MAX_AGE, IDC_ENABLE_CALENDAR_TRACKING};

// The 45 boxes of the groups above.
inline std::vector<int> GroupBoxIds() {
    std::vector<int> ids;
    for (const std::vector<int>* group :
         {&kSingleThreadIds, &kAreaIds, &kFunctionIds, &kCommentIds, &kOutputIds})
        ids.insert(ids.end(), group->begin(), group->end());
    return ids;
}

// The setting a control shows.
inline SettingId SettingOf(int controlId) {
    for (const ControlBinding& binding : kControlBindings)
        if (binding.controlId == controlId) return binding.setting;
    ADD_FAILURE() << "control " << controlId << " shows no setting";
    return kEnabled;
}
inline const wchar_t* NameOf(int controlId) { return Info(SettingOf(controlId)).name; }

// The control that shows a catalogue entry.
inline int ControlOf(const SettingInfo& info) {
    return kmx::ControlOf(static_cast<SettingId>(&info - kCatalogue.data()));
}

// Opens the dialog over a registry, reads and sets its controls by message,
// and arranges and inspects the logging key in the private registry. Not a
// test itself, so that plain and parameterised fixtures can both build on it.
class MainWindowDriver {
protected:
    // Opens the dialog over `registry`, as the program does (the connector's
    // library reads the variant from it too): the constructor already reads
    // from the registry.
    bool Open(IRegistry& registry) {
        Close();
        m_scope = std::make_unique<Korvex::Util::ScopedRegistry>(registry);
        m_dlg = std::make_unique<CKMXLogCtlDlg>(registry);
        return m_dlg->Create() != FALSE;
    }

    // Opens the dialog over the private registry.
    void Open() { ASSERT_TRUE(Open(m_real.Registry())); }

    // Destroys the dialog object (which closes its logging key), then puts
    // the previous registry back.
    void Close() {
        m_dlg.reset();
        m_scope.reset();
    }

    CKMXLogCtlDlg& Dlg() { return *m_dlg; }
    HWND Item(int id) const { return GetDlgItem(m_dlg->m_hWnd, id); }
    std::wstring ItemText(int id) const { return WindowText(Item(id)); }
    int Mark(int id) const { return static_cast<int>(SendMessageW(Item(id), BM_GETCHECK, 0, 0)); }
    bool IsChecked(int id) const { return Mark(id) == BST_CHECKED; }
    // Sets a mark silently: no click, no handler.
    void SetMark(int id, int mark) { SendMessageW(Item(id), BM_SETCHECK, mark, 0); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    void Click(int id) { SendMessageW(Item(id), BM_CLICK, 0, 0); }
    void Type(int id, const std::wstring& text) {
        SendMessageW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    bool IsOpen() const { return !m_dlg->HasEnded() && m_dlg->m_hWnd != nullptr && IsWindow(m_dlg->m_hWnd); }
    bool EndedWith(INT_PTR result) const {
        return m_dlg->HasEnded() && m_dlg->GetEndResult() == result && m_dlg->m_hWnd == nullptr;
    }

    // The mark of every setting's check box.
    std::map<int, int> Marks() const {
        std::map<int, int> marks;
        for (const int id : GroupBoxIds()) marks[id] = Mark(id);
        marks[IDC_THREAD_ALL_THREADS] = Mark(IDC_THREAD_ALL_THREADS);
        for (const int id : kOtherSwitchIds) marks[id] = Mark(id);
        return marks;
    }

    // Every child window's enabled state, the unnamed ones included.
    std::map<HWND, bool> EnabledStates() const {
        std::map<HWND, bool> states;
        EnumChildWindows(
            m_dlg->m_hWnd,
            [](HWND child, LPARAM out) {
                (*reinterpret_cast<std::map<HWND, bool>*>(out))[child] = IsWindowEnabled(child) != FALSE;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&states));
        return states;
    }

    // The logging key and the variant flag in the private registry.
    bool PutDword(const wchar_t* name, DWORD value) {
        return m_real.PutDword(kHkeyCurrentUser, kLoggingPath, name, value);
    }
    bool PutString(const wchar_t* name, const std::wstring& text) {
        return m_real.Put(kHkeyCurrentUser, kLoggingPath, name, REG_SZ, StringBytes(text));
    }
    bool PutVariant(DWORD isBes) { return m_real.PutDword(kHkeyLocalMachine, kKorvexPath, L"isBES", isBes); }

    // -1 when the value is missing or not a REG_DWORD.
    long long StoredDword(const wchar_t* name) {
        const auto value = m_real.Get(kHkeyCurrentUser, kLoggingPath, name);
        if (!value || value->type != REG_DWORD || value->bytes.size() != 4) return -1;
        return value->bytes[0] | value->bytes[1] << 8 | value->bytes[2] << 16 |
               static_cast<long long>(value->bytes[3]) << 24;
    }
    std::wstring StoredString(const wchar_t* name) {
        const auto value = m_real.Get(kHkeyCurrentUser, kLoggingPath, name);
        if (!value || value->type != REG_SZ || value->bytes.size() < 2) return L"<missing>";
        return std::wstring(reinterpret_cast<const wchar_t*>(value->bytes.data()),
                            value->bytes.size() / 2 - 1);
    }
    KeyContents StoredValues() { return ReadKey(m_real, kHkeyCurrentUser, kLoggingPath); }

    PrivateRegistry m_real;
    MemoryRegistry m_memory;
    ScopedMessageBoxRecorder m_boxes{IDOK};
    // Destroyed first: the dialog, then the registry it was opened over.
    std::unique_ptr<Korvex::Util::ScopedRegistry> m_scope;
    std::unique_ptr<CKMXLogCtlDlg> m_dlg;
};

class MainDialogFixture : public ::testing::Test, public MainWindowDriver {
protected:
    void SetUp() override {
        InitCommonControls();
        ASSERT_TRUE(m_real.Ready());
    }
};

}  // namespace maindialog
}  // namespace kmx

// A private corner of the real registry for one test:
// HKEY_CURRENT_USER\Software\KmxTests\<unique>, holding stand-ins for
// HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, and a Win32Registry redirected
// into them. Everything is removed when the object goes.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "system/Win32Registry.h"

namespace kmx {

class PrivateRegistry {
public:
    struct Value {
        DWORD type;
        std::vector<BYTE> bytes;
    };

    PrivateRegistry() : m_path(UniquePath()) {
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());  // left over by a crashed run
        HKEY top = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &top, nullptr) != ERROR_SUCCESS) {
            return;
        }
        RegCreateKeyExW(top, L"HKCU", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &m_currentUser, nullptr);
        RegCreateKeyExW(top, L"HKLM", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &m_localMachine, nullptr);
        RegCloseKey(top);
        m_registry = Win32Registry(m_currentUser, m_localMachine);
    }

    ~PrivateRegistry() {
        if (m_currentUser) RegCloseKey(m_currentUser);
        if (m_localMachine) RegCloseKey(m_localMachine);
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, m_path.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\KmxTests");  // fails while others use it
    }

    PrivateRegistry(const PrivateRegistry&) = delete;
    PrivateRegistry& operator=(const PrivateRegistry&) = delete;

    bool Ready() const { return m_currentUser != nullptr && m_localMachine != nullptr; }
    Win32Registry& Registry() { return m_registry; }
    // Where the private key lives, under the real HKEY_CURRENT_USER.
    const std::wstring& Path() const { return m_path; }

    // Direct access around the code under test. hive is kHkeyCurrentUser or
    // kHkeyLocalMachine; path is relative to it.
    bool Put(RegKey hive, const std::wstring& path, const std::wstring& name, DWORD type,
             const std::vector<BYTE>& bytes) {
        HKEY key = nullptr;
        if (RegCreateKeyExW(Hive(hive), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != ERROR_SUCCESS) {
            return false;
        }
        const LONG status =
            RegSetValueExW(key, name.c_str(), 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
        RegCloseKey(key);
        return status == ERROR_SUCCESS;
    }

    bool PutDword(RegKey hive, const std::wstring& path, const std::wstring& name, DWORD value) {
        return Put(hive, path, name, REG_DWORD,
                   {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)});
    }

    std::optional<Value> Get(RegKey hive, const std::wstring& path, const std::wstring& name) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(Hive(hive), path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        Value value{};
        DWORD size = 0;
        LONG status = RegQueryValueExW(key, name.c_str(), nullptr, &value.type, nullptr, &size);
        if (status == ERROR_SUCCESS) {
            value.bytes.resize(size);
            status = RegQueryValueExW(key, name.c_str(), nullptr, &value.type, value.bytes.data(), &size);
        }
        RegCloseKey(key);
        if (status != ERROR_SUCCESS) return std::nullopt;
        return value;
    }

    bool KeyExists(RegKey hive, const std::wstring& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(Hive(hive), path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }

    // Names of all values of a key, in no particular order.
    std::vector<std::wstring> ValueNames(RegKey hive, const std::wstring& path) {
        std::vector<std::wstring> names;
        HKEY key = nullptr;
        if (RegOpenKeyExW(Hive(hive), path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return names;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256];
            DWORD length = 256;
            if (RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            names.emplace_back(name, length);
        }
        RegCloseKey(key);
        return names;
    }

private:
    static std::wstring UniquePath() {
        static unsigned counter = 0;
        return L"Software\\KmxTests\\" + std::to_wstring(GetCurrentProcessId()) + L"_" +
               std::to_wstring(++counter);
    }

    HKEY Hive(RegKey hive) const { return hive == kHkeyLocalMachine ? m_localMachine : m_currentUser; }

    std::wstring m_path;
    HKEY m_currentUser = nullptr;
    HKEY m_localMachine = nullptr;
    Win32Registry m_registry{nullptr, nullptr};
};

}  // namespace kmx

// The program's registry state, read and arranged directly through the
// registry API (never through the program's own code): the logging key, the
// GAL trigger values and the two flags under HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace kmx {
namespace e2e {

inline constexpr wchar_t kKorvexPath[] = L"Software\\Korvex";
inline constexpr wchar_t kLoggingPath[] = L"Software\\Korvex\\Logging";

inline const wchar_t* const kGalTriggerNames[] = {
    L"ForceGalSync_Outlook.exe",
    L"ForceGalSyncDelta_Outlook.exe",
    L"ForceGalSync_BlackBerryMailStoreSrvr.exe",
    L"ForceGalSync_BlackBerryAgent.exe",
    L"ForceGalSyncDelta_BlackBerryMailStoreSrvr.exe",
    L"ForceGalSyncDelta_BlackBerryAgent.exe",
};

struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> bytes;
    bool operator==(const StoredValue& other) const { return type == other.type && bytes == other.bytes; }
};

// Name -> value; empty when the key does not exist.
using KeyContents = std::map<std::wstring, StoredValue>;

inline KeyContents ReadKey(HKEY hive, const wchar_t* path) {
    KeyContents contents;
    HKEY key = nullptr;
    if (RegOpenKeyExW(hive, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return contents;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256;
        DWORD type = 0;
        BYTE data[4096];
        DWORD size = sizeof(data);
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        contents[std::wstring(name, nameLength)] = StoredValue{type, std::vector<BYTE>(data, data + size)};
    }
    RegCloseKey(key);
    return contents;
}

inline std::optional<DWORD> ReadDword(HKEY hive, const wchar_t* path, const wchar_t* name) {
    DWORD value = 0xDEADBEEF;
    DWORD size = sizeof(value);
    if (RegGetValueW(hive, path, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

inline std::optional<std::wstring> ReadString(HKEY hive, const wchar_t* path, const wchar_t* name) {
    wchar_t text[1024] = L"sentinel";
    DWORD size = sizeof(text);
    if (RegGetValueW(hive, path, name, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

inline bool WriteValue(HKEY hive, const wchar_t* path, const wchar_t* name, DWORD type, const void* data,
                       DWORD size) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(hive, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const LONG status = RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

inline bool WriteDword(HKEY hive, const wchar_t* path, const wchar_t* name, DWORD value) {
    return WriteValue(hive, path, name, REG_DWORD, &value, sizeof(value));
}

inline bool WriteString(HKEY hive, const wchar_t* path, const wchar_t* name, const std::wstring& text) {
    return WriteValue(hive, path, name, REG_SZ, text.c_str(),
                      static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

inline void DeleteValue(HKEY hive, const wchar_t* path, const wchar_t* name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(hive, path, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, name);
    RegCloseKey(key);
}

// Removes everything the program reads or writes, so that each test starts
// from a machine on which it never ran.
inline void ForgetProgramState() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kLoggingPath);
    RegDeleteKeyW(HKEY_CURRENT_USER, kLoggingPath);
    for (const wchar_t* name : kGalTriggerNames) DeleteValue(HKEY_CURRENT_USER, kKorvexPath, name);
    DeleteValue(HKEY_LOCAL_MACHINE, kKorvexPath, L"isBES");
    DeleteValue(HKEY_LOCAL_MACHINE, kKorvexPath, L"verboseLogging");
}

inline std::string Narrow(const std::wstring& text) {
    std::string out;
    for (const wchar_t unit : text) out += unit < 0x80 ? static_cast<char>(unit) : '?';
    return out;
}

inline std::string Describe(const StoredValue& value) {
    std::ostringstream out;
    out << "type " << value.type << ":";
    if (value.type == REG_DWORD && value.bytes.size() == 4) {
        DWORD number = 0;
        memcpy(&number, value.bytes.data(), 4);
        out << ' ' << number;
        return out.str();
    }
    for (const BYTE byte : value.bytes) out << ' ' << std::hex << int(byte) << std::dec;
    return out.str();
}

// Empty when both are equal; otherwise one line per value that differs.
inline std::string Difference(const KeyContents& expected, const KeyContents& actual) {
    std::string lines;
    for (const auto& [name, value] : expected) {
        const auto found = actual.find(name);
        if (found == actual.end())
            lines += Narrow(name) + ": missing (expected " + Describe(value) + ")\n";
        else if (!(found->second == value))
            lines += Narrow(name) + ": " + Describe(found->second) + " (expected " + Describe(value) + ")\n";
    }
    for (const auto& [name, value] : actual) {
        if (expected.count(name) == 0) lines += Narrow(name) + ": unexpected " + Describe(value) + "\n";
    }
    return lines;
}

inline StoredValue Dword(std::uint32_t value) {
    return StoredValue{REG_DWORD, {BYTE(value), BYTE(value >> 8), BYTE(value >> 16), BYTE(value >> 24)}};
}

inline StoredValue String(const std::wstring& text) {
    StoredValue value{REG_SZ, {}};
    for (const wchar_t unit : text) {
        value.bytes.push_back(BYTE(unit));
        value.bytes.push_back(BYTE(unit >> 8));
    }
    value.bytes.push_back(0);
    value.bytes.push_back(0);
    return value;
}

}  // namespace e2e
}  // namespace kmx

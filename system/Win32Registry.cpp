#include "system/Win32Registry.h"

namespace kmx {

namespace {

// The predefined hives are 0x80000000 and up as 32-bit numbers. On 64-bit
// Windows the HKEY_* constants are those numbers sign-extended, while RegKey
// holds them zero-extended; real handles are small and never in this range.
bool IsPredefined(std::uintptr_t value) {
    return static_cast<std::uint64_t>(value) >> 32 == 0 && (value & 0xF0000000u) == 0x80000000u;
}

}  // namespace

Win32Registry::Win32Registry() : Win32Registry(HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE) {}

Win32Registry::Win32Registry(HKEY currentUser, HKEY localMachine)
    : m_currentUser(currentUser), m_localMachine(localMachine) {}

HKEY Win32Registry::ToHkey(RegKey key) {
    if (IsPredefined(key)) {
        return reinterpret_cast<HKEY>(
            static_cast<ULONG_PTR>(static_cast<LONG>(static_cast<std::uint32_t>(key))));
    }
    return reinterpret_cast<HKEY>(key);
}

RegKey Win32Registry::FromHkey(HKEY key) {
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    const auto low = static_cast<std::uint32_t>(value);
    if (IsPredefined(low) && ToHkey(low) == key) {
        return low;
    }
    return value;
}

HKEY Win32Registry::Target(RegKey key) const {
    if (key == kHkeyCurrentUser) {
        return m_currentUser;
    }
    if (key == kHkeyLocalMachine) {
        return m_localMachine;
    }
    return ToHkey(key);
}

RegStatus Win32Registry::OpenKey(RegKey parent, const std::wstring& path, std::uint32_t rights,
                                 RegKey* result) {
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExW(Target(parent), path.c_str(), 0, rights, result ? &opened : nullptr);
    if (result) {
        *result = FromHkey(opened);
    }
    return status;
}

RegStatus Win32Registry::CreateKey(RegKey parent, const std::wstring& path, std::uint32_t rights,
                                   RegKey* result, std::uint32_t* disposition) {
    HKEY created = nullptr;
    DWORD how = 0;
    const LONG status =
        RegCreateKeyExW(Target(parent), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, rights, nullptr,
                        result ? &created : nullptr, disposition ? &how : nullptr);
    if (result) {
        *result = FromHkey(created);
    }
    if (disposition) {
        *disposition = how;
    }
    return status;
}

RegStatus Win32Registry::QueryValue(RegKey key, const std::wstring& name, std::uint8_t* data,
                                    std::uint32_t* size) {
    DWORD count = size ? *size : 0;
    const LONG status =
        RegQueryValueExW(Target(key), name.c_str(), nullptr, nullptr, data, size ? &count : nullptr);
    if (size) {
        *size = count;
    }
    return status;
}

RegStatus Win32Registry::QueryTypedValue(RegKey key, const std::wstring& name, std::uint32_t* type,
                                         std::uint8_t* data, std::uint32_t* size) {
    DWORD kind = 0;
    DWORD count = size ? *size : 0;
    const LONG status =
        RegQueryValueExW(Target(key), name.c_str(), nullptr, &kind, data, size ? &count : nullptr);
    if (size) *size = count;
    *type = kind;
    return status;
}

RegStatus Win32Registry::SetValue(RegKey key, const std::wstring& name, std::uint32_t type,
                                  const std::uint8_t* data, std::uint32_t size) {
    return RegSetValueExW(Target(key), name.c_str(), 0, type, data, size);
}

RegStatus Win32Registry::DeleteValue(RegKey key, const std::wstring& name) {
    return RegDeleteValueW(Target(key), name.c_str());
}

RegStatus Win32Registry::CloseKey(RegKey key) {
    // Not redirected: closing a hive is a no-op, and the replacement keys
    // belong to whoever gave them.
    return RegCloseKey(ToHkey(key));
}

}  // namespace kmx

// The one door through which the tool reaches the registry.
//
// Everything speaks Windows terms: handles are pointer-sized numbers (the
// predefined hives keep their Windows values), statuses are Win32 error codes,
// types are the REG_* numbers. The program uses advapi32 (on Windows/Wine);
// tests and the fuzzer use an in-memory store with the same byte-level
// behaviour.
#pragma once

#include <cstdint>
#include <string>

namespace kmx {

using RegKey = std::uintptr_t;  // 0 is "no key"
using RegStatus = long;         // Win32 error code, 0 = success

constexpr RegKey kHkeyCurrentUser = 0x80000001u;
constexpr RegKey kHkeyLocalMachine = 0x80000002u;

constexpr RegStatus kErrorSuccess = 0;
constexpr RegStatus kErrorFileNotFound = 2;
constexpr RegStatus kErrorAccessDenied = 5;
constexpr RegStatus kErrorInvalidHandle = 6;
constexpr RegStatus kErrorInvalidParameter = 87;
constexpr RegStatus kErrorMoreData = 234;

constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeySetValue = 0x0002;

constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegDwordBigEndian = 5;
constexpr std::uint32_t kRegMultiSz = 7;
constexpr std::uint32_t kRegQword = 11;

constexpr std::uint32_t kRegCreatedNewKey = 1;
constexpr std::uint32_t kRegOpenedExistingKey = 2;

class IRegistry {
public:
    virtual ~IRegistry() = default;

    // RegOpenKeyExW(parent, path, 0, rights, result)
    virtual RegStatus OpenKey(RegKey parent, const std::wstring& path, std::uint32_t rights,
                              RegKey* result) = 0;
    // RegCreateKeyExW(parent, path, 0, no class, REG_OPTION_NON_VOLATILE, rights,
    // default security, result, disposition)
    virtual RegStatus CreateKey(RegKey parent, const std::wstring& path, std::uint32_t rights, RegKey* result,
                                std::uint32_t* disposition) = 0;
    // RegQueryValueExW(key, name, reserved, no type, data, size); data may be null.
    virtual RegStatus QueryValue(RegKey key, const std::wstring& name, std::uint8_t* data,
                                 std::uint32_t* size) = 0;
    // RegSetValueExW(key, name, 0, type, data, size)
    virtual RegStatus SetValue(RegKey key, const std::wstring& name, std::uint32_t type,
                               const std::uint8_t* data, std::uint32_t size) = 0;
    // RegDeleteValueW(key, name)
    virtual RegStatus DeleteValue(RegKey key, const std::wstring& name) = 0;
    // RegCloseKey(key)
    virtual RegStatus CloseKey(RegKey key) = 0;

    // RegQueryValueExW(key, name, reserved, type, data, size): QueryValue that
    // also gives the type (on success and on ERROR_MORE_DATA).
    virtual RegStatus QueryTypedValue(RegKey key, const std::wstring& name, std::uint32_t* type,
                                      std::uint8_t* data, std::uint32_t* size) = 0;
};

}  // namespace kmx

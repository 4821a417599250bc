// The registry operations the tool uses, one-to-one with the Win32 calls, each
// returning the registry's status (0 = success). Every value crosses as
// little-endian bytes, as the registry stores it.
#pragma once

#include <cstdint>
#include <string>

#include "settings/Registry.h"

namespace kmx {

// RegOpenKeyExW(parent, path, 0, KEY_QUERY_VALUE, key).
RegStatus OpenForReading(IRegistry& registry, RegKey parent, const std::wstring& path, RegKey* key);

// RegOpenKeyExW with KEY_QUERY_VALUE | KEY_SET_VALUE: reading, writing and
// deleting values of an existing key.
RegStatus OpenForReadWrite(IRegistry& registry, RegKey parent, const std::wstring& path, RegKey* key);

// RegCreateKeyExW(parent, path, 0, no class, REG_OPTION_NON_VOLATILE, 0x0003,
// default security, key, disposition): 1 = new key, 2 = existing key.
RegStatus CreateForReadWrite(IRegistry& registry, RegKey parent, const std::wstring& path, RegKey* key,
                             std::uint32_t* disposition);

// A 4-byte read, type not asked for. *value is in and out: data shorter than 4
// bytes replaces only its first (lowest) bytes; a failed read (missing value,
// data longer than 4 bytes) leaves it untouched.
RegStatus ReadDword(IRegistry& registry, RegKey key, const std::wstring& name, std::int32_t* value);
RegStatus ReadDword(IRegistry& registry, RegKey key, const std::wstring& name, std::uint32_t* value);

// A string read into a zero-filled buffer of capacityBytes bytes, declared with
// that size. On success *text is the data up to its first NUL unit, or all of
// it when there is none; on failure *text is untouched.
RegStatus ReadStringFixed(IRegistry& registry, RegKey key, const std::wstring& name,
                          std::uint32_t capacityBytes, std::wstring* text);

// A string read of any length: the size is asked first, then a buffer of that
// size is read. *text is the data up to its first NUL unit, or empty when
// either read fails (the failing read's status is returned).
RegStatus ReadStringAny(IRegistry& registry, RegKey key, const std::wstring& name, std::wstring* text);

// REG_DWORD, 4 bytes.
RegStatus WriteDword(IRegistry& registry, RegKey key, const std::wstring& name, std::uint32_t value);

// REG_SZ, the UTF-16 units and the terminating NUL: (length + 1) * 2 bytes.
RegStatus WriteString(IRegistry& registry, RegKey key, const std::wstring& name, const std::wstring& text);

}  // namespace kmx

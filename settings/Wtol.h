// The C runtime's _wtol/_wtoi on a 32-bit long, independent of the platform.
#pragma once

#include <cstdint>
#include <string>

namespace kmx {

// Skips leading white space (space, tab, line feed, vertical tab, form feed,
// carriage return), takes an optional sign, then decimal digits up to the
// first other character. No digit gives 0; a number beyond the 32-bit range
// gives INT32_MAX or INT32_MIN, as strtol clamps.
std::int32_t Wtol(const std::wstring& text);

// _wtoi: the same conversion (int and long are both 32 bits on Windows).
std::int32_t Wtoi(const std::wstring& text);

}  // namespace kmx

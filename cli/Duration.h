// How long a time box lasts, as the command line gives it: a whole number
// followed by s, m, h or d (seconds, minutes, hours, days), from 1 s to 30 d.
#pragma once

#include <cstdint>
#include <string>

namespace kmx {

inline constexpr std::uint64_t kLongestDurationSeconds = 30ull * 24 * 60 * 60;

// What every refusal ends with, so that the user sees what is accepted.
inline constexpr wchar_t kDurationForm[] =
    L"a DURATION is a whole number with s, m, h or d, from 1s to 30d (for example 90m or 4h)";

// True with *seconds set for "90m", "4h", "1d" (the unit in either case).
// False with *problem (a sentence without the program's name) for an empty
// text, anything but digits and one unit, 0, and more than 30 days.
bool ParseDuration(const std::wstring& text, std::uint64_t* seconds, std::wstring* problem);

}  // namespace kmx

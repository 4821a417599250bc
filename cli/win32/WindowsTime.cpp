#include "cli/win32/WindowsTime.h"

#include <cstdint>

namespace kmx {

UtcTicks TicksOf(const FILETIME& time) {
    return static_cast<UtcTicks>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

bool LocalTimeOf(UtcTicks ticks, SYSTEMTIME* local, int* utcOffsetMinutes) {
    const FILETIME utcTime = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utc;
    if (!::FileTimeToSystemTime(&utcTime, &utc) || !::SystemTimeToTzSpecificLocalTime(nullptr, &utc, local))
        return false;
    if (utcOffsetMinutes == nullptr) return true;
    // The local fields read as if they were UTC, to the second as they are.
    SYSTEMTIME seconds = *local;
    seconds.wMilliseconds = 0;
    FILETIME localTime;
    if (!::SystemTimeToFileTime(&seconds, &localTime)) return false;
    const auto localSeconds = static_cast<std::int64_t>(TicksOf(localTime) / kTicksPerSecond);
    const auto utcSeconds = static_cast<std::int64_t>(ticks / kTicksPerSecond);
    *utcOffsetMinutes = static_cast<int>((localSeconds - utcSeconds) / 60);
    return true;
}

}  // namespace kmx

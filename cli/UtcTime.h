// Points in time as Windows keeps them: 100-ns ticks since 1601-01-01 00:00
// UTC (a FILETIME as one number).
#pragma once

#include <cstdint>
#include <string>

namespace kmx {

using UtcTicks = std::uint64_t;

inline constexpr UtcTicks kTicksPerSecond = 10000000;

inline constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;

// From and to seconds since 1970-01-01 00:00 UTC.
inline constexpr UtcTicks TicksFromUnixSeconds(std::int64_t seconds) {
    return static_cast<UtcTicks>(seconds + kSecondsFrom1601To1970) * kTicksPerSecond;
}
inline constexpr std::int64_t UnixSecondsOf(UtcTicks ticks) {
    return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970;
}

// ISO 8601 in UTC to the second: "2026-12-08T18:09:49Z".
std::wstring IsoUtc(UtcTicks ticks);

}  // namespace kmx

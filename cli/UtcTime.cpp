#include "cli/UtcTime.h"

#include <cstdio>

namespace kmx {

std::wstring IsoUtc(UtcTicks ticks) {
    const std::uint64_t seconds = ticks / kTicksPerSecond;
    const std::uint64_t secondOfDay = seconds % 86400;
    // Days since 0000-03-01 in the proleptic Gregorian calendar; 1601-01-01
    // is day 584694 of that count.
    const std::int64_t days = static_cast<std::int64_t>(seconds / 86400) + 584694;
    const std::int64_t era = days / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    const long long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    wchar_t text[32];
    std::swprintf(text, sizeof text / sizeof text[0], L"%04lld-%02d-%02dT%02d:%02d:%02dZ", year, month, day,
                  static_cast<int>(secondOfDay / 3600), static_cast<int>(secondOfDay / 60 % 60),
                  static_cast<int>(secondOfDay % 60));
    return text;
}

}  // namespace kmx

// Windows' FILETIME and SYSTEMTIME against the companion's UtcTicks: the one
// place they are converted, to the tick count and to the local calendar time.
#pragma once

#include <windows.h>

#include "cli/UtcTime.h"

namespace kmx {

UtcTicks TicksOf(const FILETIME& time);

// The local calendar time at `ticks`, by the time zone's rules for that date,
// and optionally how far it is from UTC (local minus UTC, in minutes). False
// when the system cannot convert it.
bool LocalTimeOf(UtcTicks ticks, SYSTEMTIME* local, int* utcOffsetMinutes = nullptr);

}  // namespace kmx

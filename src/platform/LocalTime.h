#pragma once
// Local time in the two forms the catalog stores: MS-DOS packed date-times for files and
// folders, and day counts since 30 December 1899 for a disk's LastUpdate. Both are local
// time of this machine, as the catalog's Windows origin kept them.

#include <cstdint>

namespace tf {

// Date in the high 16 bits (years since 1980, month, day), time in the low 16 bits (hour,
// minute, seconds / 2). 0 ("unknown") for a time outside 1980-01-01 .. 2107-12-31 local time
// or one the system cannot convert.
uint32_t UnixToDosTime(int64_t unixSeconds);
// Days since 1899-12-30 00:00 local time, the time of day as the fraction.
double UnixToDays(int64_t unixSeconds, int32_t nanoseconds = 0);
// Now, as UnixToDays.
double NowDays();

}  // namespace tf

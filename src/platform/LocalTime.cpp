#include "platform/LocalTime.h"

#include <time.h>

#include <chrono>

namespace tf {

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = unsigned(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + int64_t(doe) - 719468;
}

bool Local(int64_t unixSeconds, struct tm& out) {
  auto t = time_t(unixSeconds);
  if (int64_t(t) != unixSeconds) return false;
  return localtime_r(&t, &out) != nullptr;
}

}  // namespace

uint32_t UnixToDosTime(int64_t unixSeconds) {
  struct tm tm {};
  if (!Local(unixSeconds, tm)) return 0;
  int64_t year = int64_t(tm.tm_year) + 1900;
  if (year < 1980 || year > 2107) return 0;
  uint32_t date = uint32_t(((year - 1980) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
  // A leap second (tm_sec 60) is kept inside the two-second grid of the format.
  int sec = tm.tm_sec > 59 ? 59 : tm.tm_sec;
  uint32_t time = uint32_t((tm.tm_hour << 11) | (tm.tm_min << 5) | (sec / 2));
  return (date << 16) | time;
}

double UnixToDays(int64_t unixSeconds, int32_t nanoseconds) {
  struct tm tm {};
  if (!Local(unixSeconds, tm)) return 0;
  int64_t days = DaysFromCivil(int64_t(tm.tm_year) + 1900, unsigned(tm.tm_mon + 1),
                               unsigned(tm.tm_mday)) -
                 DaysFromCivil(1899, 12, 30);
  double seconds = tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + tm.tm_sec + nanoseconds / 1e9;
  return double(days) + seconds / 86400.0;
}

double NowDays() {
  auto now = std::chrono::system_clock::now().time_since_epoch();
  auto secs = std::chrono::duration_cast<std::chrono::seconds>(now);
  auto nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(now - secs);
  return UnixToDays(secs.count(), int32_t(nanos.count()));
}

}  // namespace tf

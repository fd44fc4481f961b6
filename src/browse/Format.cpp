#include "browse/Format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "text/Description.h"
#include "text/Text.h"

namespace tf {

namespace {

const TDisplayFormats* currentFormats = nullptr;

std::string TwoDigits(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

}  // namespace

// ---- formats ----

std::string TDisplayFormats::ShortDate(const TDateTimeParts& t) const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", t.Year, t.Month, t.Day);
  return buf;
}

std::string TDisplayFormats::LongDate(const TDateTimeParts& t) const {
  static constexpr const char* months[] = {"January", "February", "March",     "April",
                                           "May",     "June",     "July",      "August",
                                           "September", "October", "November", "December"};
  int m = t.Month >= 1 && t.Month <= 12 ? t.Month - 1 : 0;
  return std::to_string(t.Day) + " " + months[m] + " " + std::to_string(t.Year);
}

std::string TDisplayFormats::LongTime(const TDateTimeParts& t) const {
  return TwoDigits(t.Hour) + ":" + TwoDigits(t.Minute) + ":" + TwoDigits(t.Second);
}

std::string TDisplayFormats::ShortTime(const TDateTimeParts& t) const {
  return TwoDigits(t.Hour) + ":" + TwoDigits(t.Minute);
}

const TDisplayFormats& DisplayFormats() {
  static const TDisplayFormats builtIn;
  return currentFormats ? *currentFormats : builtIn;
}

void SetDisplayFormats(const TDisplayFormats* formats) { currentFormats = formats; }

// ---- sizes ----

std::string FormatSize(double x) {
  static constexpr const char* units[] = {"B", "kB", "MB", "GB", "TB"};
  if (!(x >= 0)) x = 0;  // negative or NaN: nothing sensible to show
  double rest = x;
  int unit = 0;
  while (x >= 1024 && unit < 4) {
    double q = x / 1024;
    rest = (q - std::floor(q)) * 1024;
    x = std::floor(q);
    ++unit;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.0f", std::floor(x));
  std::string s = buf;
  if (s.size() <= 2 && x != 0 && unit > 0 && rest > 0) {
    // The decimals of rest / 1024, in fixed notation (a tiny rest must not turn into an
    // exponent), cut to as many digits as make three significant ones.
    auto r = std::to_chars(buf, buf + sizeof buf, rest / 1024, std::chars_format::fixed);
    std::string t(buf, r.ptr);
    std::size_t dot = t.find('.');
    if (dot != t.npos) {
      std::string digits = t.substr(dot + 1, 3 - s.size());
      if (!digits.empty()) s += DisplayFormats().DecimalSeparator() + digits;
    }
  }
  return s + " " + units[unit];
}

std::string FormatFixedSize(int64_t fixedBytes) {
  return FormatSize(double(fixedBytes) / 10000.0);
}

// ---- dates ----

namespace {

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
  static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Civil date of a day number counted from 1970-01-01 (proleptic Gregorian).
void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t yy = yoe + era * 400;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yy + (m <= 2 ? 1 : 0));
}

}  // namespace

bool DecodeDosDateTime(uint32_t packed, TDateTimeParts& out) {
  uint32_t date = packed >> 16, time = packed & 0xFFFF;
  TDateTimeParts t;
  t.Year = int(date >> 9) + 1980;
  t.Month = int((date >> 5) & 15);
  t.Day = int(date & 31);
  t.Hour = int(time >> 11);
  t.Minute = int((time >> 5) & 63);
  t.Second = int(time & 31) * 2;
  if (t.Month < 1 || t.Month > 12 || t.Day < 1 || t.Day > DaysInMonth(t.Year, t.Month))
    return false;
  if (t.Hour > 23 || t.Minute > 59 || t.Second > 59) return false;
  out = t;
  return true;
}

uint32_t EncodeDosDateTime(const TDateTimeParts& t) {
  if (t.Year < 1980 || t.Year > 2107) return 0;
  uint32_t date = uint32_t((t.Year - 1980) << 9 | t.Month << 5 | t.Day);
  uint32_t time = uint32_t(t.Hour << 11 | t.Minute << 5 | t.Second / 2);
  return date << 16 | time;
}

bool DecodeDayCount(double days, TDateTimeParts& out) {
  if (!std::isfinite(days) || days < 0 || days > 1e7) return false;
  double whole = std::floor(days);
  auto ms = int64_t(std::llround((days - whole) * 86400000.0));
  auto day = int64_t(whole);
  if (ms >= 86400000) {  // rounding reached midnight: the next day
    ms -= 86400000;
    ++day;
  }
  TDateTimeParts t;
  // Day 0 is 1899-12-30, which is 25569 days before 1970-01-01.
  CivilFromDays(day - 25569, t.Year, t.Month, t.Day);
  int64_t secs = ms / 1000;
  t.Hour = int(secs / 3600);
  t.Minute = int(secs / 60 % 60);
  t.Second = int(secs % 60);
  // Through the DOS form and back: two-second resolution, years 1980 to 2107 only.
  uint32_t packed = EncodeDosDateTime(t);
  return packed != 0 && DecodeDosDateTime(packed, out);
}

std::string FormatFileDate(TDateFormat format, uint32_t packed) {
  TDateTimeParts t;
  if (!DecodeDosDateTime(packed, t)) return "(unknown)";
  const TDisplayFormats& f = DisplayFormats();
  switch (format) {
    case TDateFormat::ShortDate: return f.ShortDate(t);
    case TDateFormat::LongDate: return f.LongDate(t);
    case TDateFormat::LongTime: return f.LongTime(t);
    case TDateFormat::ShortTime: return f.ShortTime(t);
  }
  return {};
}

std::string FileDateText(uint32_t packed) {
  TDateTimeParts t;
  return DecodeDosDateTime(packed, t) ? DisplayFormats().ShortDate(t) : std::string();
}

std::string FileTimeText(uint32_t packed) {
  TDateTimeParts t;
  return DecodeDosDateTime(packed, t) ? DisplayFormats().LongTime(t) : std::string();
}

std::string LastUpdateText(double days) {
  TDateTimeParts t;
  if (days == 0 || !DecodeDayCount(days, t)) return {};
  const TDisplayFormats& f = DisplayFormats();
  if (t.Hour == 0 && t.Minute == 0 && t.Second == 0) return f.ShortDate(t);
  return f.ShortDate(t) + ", " + f.ShortTime(t);
}

// ---- attributes, names, media ----

std::string AttributeLetters(uint8_t a) {
  std::string s;
  if (a & 0x10) s += 'd';
  if (a & 0x01) s += 'r';
  if (a & 0x02) s += 'h';
  if (a & 0x04) s += 's';
  if (a & 0x20) s += 'a';
  return s;
}

std::string_view ExtensionOf(std::string_view name) {
  // One pass from the end: a "." met before any "\\" or ":" starts the extension. (Sorting
  // by extension calls this twice per comparison.)
  for (std::size_t i = name.size(); i-- > 0;) {
    char c = name[i];
    if (c == '.') return name.substr(i + 1);
    if (c == '\\' || c == ':') return {};
  }
  return {};
}

// ---- descriptions ----

std::string ShortenDescription(std::string_view stored) {
  bool utf8 = IsValidUtf8(stored);
  std::u32string d = DecodeText(stored);
  std::size_t lead = 0;
  while (lead < d.size() && (d[lead] == U'\r' || d[lead] == U'\n')) ++lead;
  d.erase(0, lead);
  // p: the 1-based position of the first line break, or the length; at most 70.
  std::size_t p = d.find_first_of(U"\r\n");
  p = p == d.npos ? d.size() : p + 1;
  if (p > 70) p = 70;
  if (p >= d.size()) return ToDisplay(EncodeText(d, utf8));
  d.resize(p - 1);
  return ToDisplay(TrimDescriptionLines(EncodeText(d, utf8))) + " (more...)";
}

std::string DescriptionHintText(std::string_view stored) {
  constexpr int width = 80;
  constexpr std::size_t maxLines = 15;
  std::string text(stored);
  WrapDescription(text, width, 0);
  text = TrimDescriptionLines(text);
  // Every line counts, the short ones at the end too (the wrapping's own limit would let
  // lines through once the rest of the text fits in one line's width).
  bool cut = false;
  std::size_t pos = 0;
  for (std::size_t line = 1;; ++line) {
    std::size_t end = text.find("\r\n", pos);
    if (end == text.npos) break;
    if (line == maxLines) {
      text = TrimDescriptionEnd(text.substr(0, end));
      cut = true;
      break;
    }
    pos = end + 2;
  }
  std::string shown = ToDisplay(text);
  std::string out;
  out.reserve(shown.size() + 10);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] == '\r' && i + 1 < shown.size() && shown[i + 1] == '\n') continue;
    out += shown[i];
  }
  if (cut) out += "\n(more...)";
  return out;
}

}  // namespace tf

#pragma once
// How values are written for the user: sizes, DOS dates and times, attribute letters,
// extensions and shortened descriptions. Plain C++: the system's date and number formats come
// in through TDisplayFormats, which the program fills from the desktop's locale (QtFormats.h)
// and tests fill with fixed formats.
//
// Every function here returns display text (UTF-8). Stored texts are bytes; they go through
// ToDisplay (text/Text.h) before they are shown.

#include <cstdint>
#include <string>
#include <string_view>

namespace tf {

// A calendar date and a time of day, as the system's formats take them.
struct TDateTimeParts {
  int Year = 0;
  int Month = 0;  // 1..12
  int Day = 0;    // 1..31
  int Hour = 0;
  int Minute = 0;
  int Second = 0;
  bool operator==(const TDateTimeParts&) const = default;
};

// The system's formats. The built-in ones (used where no desktop is: tests, the command-line
// tool) are ISO dates, 24-hour times and "." as the decimal separator.
class TDisplayFormats {
 public:
  virtual ~TDisplayFormats() = default;
  virtual std::string ShortDate(const TDateTimeParts& t) const;
  virtual std::string LongDate(const TDateTimeParts& t) const;  // "3 February 2001"
  virtual std::string LongTime(const TDateTimeParts& t) const;  // with seconds
  virtual std::string ShortTime(const TDateTimeParts& t) const;
  virtual std::string DecimalSeparator() const { return "."; }
};

// The formats every text function uses. Set once at start-up (and by tests); null brings
// back the built-in formats. The object must outlive its use.
const TDisplayFormats& DisplayFormats();
void SetDisplayFormats(const TDisplayFormats* formats);

// Sizes: "0 B", "1023 B", "1.5 kB", "1.00 kB" (1025 bytes), "117 MB"; at most three
// significant digits, the decimals cut, not rounded.
std::string FormatSize(double bytes);
// A 64-bit fixed-point size (bytes x 10000).
std::string FormatFixedSize(int64_t fixedBytes);

// MS-DOS packed local date-time: date in the high 16 bits, time in the low 16 bits. False
// for 0 and for any value that is not a real date and time (month 13, 30 February, 24:00).
bool DecodeDosDateTime(uint32_t packed, TDateTimeParts& out);
uint32_t EncodeDosDateTime(const TDateTimeParts& t);  // 0 outside 1980..2107
// A day count since 30 December 1899 with the time of day as the fraction (a disk's
// LastUpdate), taken to the DOS two-second resolution. False outside 1980..2107.
bool DecodeDayCount(double days, TDateTimeParts& out);

enum class TDateFormat { ShortDate, LongDate, LongTime, ShortTime };
// A packed date-time in one of the system's formats; "(unknown)" when it is not valid.
std::string FormatFileDate(TDateFormat format, uint32_t packed);
// The list columns: empty for 0 and for invalid values.
std::string FileDateText(uint32_t packed);
std::string FileTimeText(uint32_t packed);
// A disk's "Last Updated": empty for 0 or outside the DOS range; the short date alone at
// midnight, else short date + ", " + short time.
std::string LastUpdateText(double days);

// "d", "r", "h", "s", "a" for 0x10, 0x01, 0x02, 0x04, 0x20, in that order.
std::string AttributeLetters(uint8_t attributes);

// The text after the last "." when that "." follows the last "\" or ":"; empty when none.
std::string_view ExtensionOf(std::string_view name);

// The first line of a description, at most 70 characters, for a list cell. A longer text is
// cut to its first line (or 69 characters), its lines trimmed of blanks, and " (more...)"
// appended; a single line of up to 70 characters is shown whole. Takes the stored bytes.
std::string ShortenDescription(std::string_view stored);

// The text of a description hint: wrapped at 80 columns, at most 15 lines, with a line
// "(more...)" when it was cut. Lines are separated by "\n". Takes the stored bytes.
std::string DescriptionHintText(std::string_view stored);

}  // namespace tf

// Sizes, dates, attributes, extensions and descriptions as the lists and status bars show them.

#include "browse/Format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tf {
namespace {

class TCommaFormats final : public TDisplayFormats {
 public:
  std::string ShortDate(const TDateTimeParts& t) const override {
    return std::to_string(t.Day) + "." + std::to_string(t.Month) + "." + std::to_string(t.Year);
  }
  std::string DecimalSeparator() const override { return ","; }
};

// Restores the built-in formats whatever a test set.
struct TFormatsScope {
  explicit TFormatsScope(const TDisplayFormats* f) { SetDisplayFormats(f); }
  ~TFormatsScope() { SetDisplayFormats(nullptr); }
};

TEST(FormatSize, WholeUnitsAndTheExamples) {
  EXPECT_EQ(FormatSize(0), "0 B");
  EXPECT_EQ(FormatSize(1), "1 B");
  EXPECT_EQ(FormatSize(1023), "1023 B");
  EXPECT_EQ(FormatSize(1024), "1 kB");
  EXPECT_EQ(FormatSize(1536), "1.5 kB");
  EXPECT_EQ(FormatSize(10.0 * 1024 * 1024), "10 MB");
  EXPECT_EQ(FormatSize(123456789), "117 MB");
  EXPECT_EQ(FormatSize(std::floor(1.2 * 1024 * 1024 * 1024)), "1.19 GB");
  EXPECT_EQ(FormatSize(1023.0 * 1024 * 1024), "1023 MB");
  EXPECT_EQ(FormatSize(3.0 * 1024 * 1024 * 1024 * 1024), "3 TB");
}

TEST(FormatSize, DecimalsAreCutNotRounded) {
  // 1025 bytes: the rest 1 gives 0.0009765625, cut to its separator and two digits.
  EXPECT_EQ(FormatSize(1025), "1.00 kB");
  EXPECT_EQ(FormatSize(2047), "1.99 kB");  // 1.999..., not 2.00
  EXPECT_EQ(FormatSize(10752), "10.5 kB");  // two digits before: one decimal
  EXPECT_EQ(FormatSize(20479), "19.9 kB");
  EXPECT_EQ(FormatSize(102912), "100 kB");  // three digits: none
}

TEST(FormatSize, FractionalBytesNeverShowAnExponent) {
  // A rest this small would be written 4.8828125E-5 in the shortest general form; its
  // digits after the first one must not become the decimals.
  EXPECT_EQ(FormatSize(1024.05), "1.00 kB");
  EXPECT_EQ(FormatFixedSize(1536 * 10000LL), "1.5 kB");
  EXPECT_EQ(FormatFixedSize(0), "0 B");
}

TEST(FormatSize, BeyondTerabytesStaysInTerabytes) {
  EXPECT_EQ(FormatSize(2048.0 * 1024 * 1024 * 1024 * 1024), "2048 TB");
  EXPECT_EQ(FormatSize(-5), "0 B");
}

TEST(FormatSize, UsesTheSystemDecimalSeparator) {
  TCommaFormats comma;
  TFormatsScope scope(&comma);
  EXPECT_EQ(FormatSize(1536), "1,5 kB");
  EXPECT_EQ(FormatSize(1025), "1,00 kB");
}

uint32_t Dos(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return EncodeDosDateTime({y, mo, d, h, mi, s});
}

TEST(DosDates, DecodeValidAndInvalidValues) {
  TDateTimeParts t;
  ASSERT_TRUE(DecodeDosDateTime(Dos(1995, 8, 24, 13, 5, 58), t));
  EXPECT_EQ(t, (TDateTimeParts{1995, 8, 24, 13, 5, 58}));
  struct {
    uint32_t Packed;
    bool Valid;
    const char* What;
  } cases[] = {
      {0, false, "no date"},
      {Dos(1984, 2, 29), true, "leap year"},
      {Dos(2000, 2, 29), true, "leap year of a 400th year"},
      {Dos(2104, 2, 29), true, "leap year"},
      {Dos(2100, 2, 29), false, "a 100th year is no leap year"},
      {Dos(1981, 2, 29), false, "no leap year"},
      {Dos(2100, 2, 28), true, "last day of February"},
      {Dos(1990, 13, 1), false, "month 13"},
      {Dos(1990, 4, 31), false, "31 April"},
      {Dos(1990, 12, 31, 23, 59, 58), true, "last moment of a year"},
      {Dos(1990, 1, 1) | (24u << 11), false, "24:00"},
      {Dos(1990, 1, 1) | (60u << 5), false, "60 minutes"},
      {Dos(1990, 1, 1) | 30u, false, "60 seconds"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(DecodeDosDateTime(c.Packed, t), c.Valid) << c.What << " " << std::hex << c.Packed;
  EXPECT_EQ(EncodeDosDateTime({1979, 12, 31, 0, 0, 0}), 0u);
  EXPECT_EQ(EncodeDosDateTime({2108, 1, 1, 0, 0, 0}), 0u);
}

TEST(DosDates, ListColumnsAreEmptyForUnknownDates) {
  uint32_t d = Dos(2001, 2, 3, 4, 5, 6);
  EXPECT_EQ(FileDateText(d), "2001-02-03");
  EXPECT_EQ(FileTimeText(d), "04:05:06");
  EXPECT_EQ(FileDateText(0), "");
  EXPECT_EQ(FileTimeText(0), "");
  EXPECT_EQ(FileDateText(Dos(1990, 13, 1)), "");
}

TEST(DosDates, FormatFileDateSaysUnknownForInvalidValues) {
  EXPECT_EQ(FormatFileDate(TDateFormat::ShortDate, Dos(2001, 2, 3)), "2001-02-03");
  EXPECT_EQ(FormatFileDate(TDateFormat::ShortTime, Dos(2001, 2, 3, 14, 30)), "14:30");
  EXPECT_EQ(FormatFileDate(TDateFormat::LongDate, Dos(2001, 2, 3)), "3 February 2001");
  EXPECT_EQ(FormatFileDate(TDateFormat::LongDate, Dos(2001, 12, 31)), "31 December 2001");
  EXPECT_EQ(FormatFileDate(TDateFormat::ShortDate, 0), "(unknown)");
  EXPECT_EQ(FormatFileDate(TDateFormat::LongTime, Dos(1981, 2, 29)), "(unknown)");
}

TEST(DosDates, UsesTheSystemDateFormat) {
  TCommaFormats comma;
  TFormatsScope scope(&comma);
  EXPECT_EQ(FileDateText(Dos(2001, 2, 3)), "3.2.2001");
}

TEST(LastUpdate, DateAloneAtMidnightElseDateAndShortTime) {
  EXPECT_EQ(LastUpdateText(0), "");
  EXPECT_EQ(LastUpdateText(40000.0), "2009-07-06");
  EXPECT_EQ(LastUpdateText(40000.5), "2009-07-06, 12:00");
  EXPECT_EQ(LastUpdateText(45000.0 + 13.5 / 24), "2023-03-15, 13:30");
}

TEST(LastUpdate, TakesTheTwoSecondResolution) {
  // One second past midnight is midnight in the DOS form: the date alone.
  EXPECT_EQ(LastUpdateText(40000.0 + 1.0 / 86400), "2009-07-06");
  // A fraction that rounds up to the next midnight is the next day.
  EXPECT_EQ(LastUpdateText(40000.0 + 0.9999999999), "2009-07-07");
}

TEST(LastUpdate, OutsideTheDosRangeIsEmpty) {
  EXPECT_EQ(LastUpdateText(10000.0), "");   // 1927
  EXPECT_EQ(LastUpdateText(100000.0), "");  // 2173
  EXPECT_EQ(LastUpdateText(-3.0), "");
  EXPECT_EQ(LastUpdateText(std::nan("")), "");
}

TEST(Attributes, LettersInFixedOrder) {
  EXPECT_EQ(AttributeLetters(0), "");
  EXPECT_EQ(AttributeLetters(0x20), "a");
  EXPECT_EQ(AttributeLetters(0x37), "drhsa");
  EXPECT_EQ(AttributeLetters(0x05), "rs");
  EXPECT_EQ(AttributeLetters(0xC8), "");  // volume label and unknown bits have no letter
}

TEST(Extension, AfterTheLastDotOfTheLastComponent) {
  EXPECT_EQ(ExtensionOf("readme.txt"), "txt");
  EXPECT_EQ(ExtensionOf("backup.tar.gz"), "gz");
  EXPECT_EQ(ExtensionOf("README"), "");
  EXPECT_EQ(ExtensionOf("name."), "");
  EXPECT_EQ(ExtensionOf(".profile"), "profile");
  EXPECT_EQ(ExtensionOf("dir.d\\file"), "");
  EXPECT_EQ(ExtensionOf("c.d:file"), "");
  EXPECT_EQ(ExtensionOf("c:\\dir\\file.doc"), "doc");
}

TEST(ShortenDescription, FirstLineOfSeveral) {
  EXPECT_EQ(ShortenDescription("First line\r\nsecond line"), "First line (more...)");
  EXPECT_EQ(ShortenDescription("\r\n\r\nAfter empty lines\r\nmore"),
            "After empty lines (more...)");
  EXPECT_EQ(ShortenDescription("Only LF\nnext"), "Only LF (more...)");
}

TEST(ShortenDescription, SeventyCharactersAreShownWhole) {
  std::string seventy(70, 'x');
  EXPECT_EQ(ShortenDescription(seventy), seventy);
  std::string seventyOne(71, 'y');
  EXPECT_EQ(ShortenDescription(seventyOne), std::string(69, 'y') + " (more...)");
  EXPECT_EQ(ShortenDescription("short"), "short");
}

TEST(ShortenDescription, BlanksBeforeTheCutAreTrimmed) {
  EXPECT_EQ(ShortenDescription("Title      \r\nbody"), "Title (more...)");
  EXPECT_EQ(ShortenDescription("   Indented\r\nbody"), "Indented (more...)");
  EXPECT_EQ(ShortenDescription("Words" + std::string(80, ' ')), "Words (more...)");
  EXPECT_EQ(ShortenDescription("     \r\nbody"), " (more...)");
}

TEST(ShortenDescription, CountsCharactersNotBytes) {
  std::string e = "\xC3\xA9";  // é
  std::string seventy;
  for (int i = 0; i < 70; ++i) seventy += e;
  EXPECT_EQ(ShortenDescription(seventy), seventy);
  std::string sixtyNine;
  for (int i = 0; i < 69; ++i) sixtyNine += e;
  EXPECT_EQ(ShortenDescription(seventy + e), sixtyNine + " (more...)");
}

TEST(ShortenDescription, WindowsTextIsShownAsUtf8) {
  EXPECT_EQ(ShortenDescription("caf\xE9\r\nx"), "caf\xC3\xA9 (more...)");
}

std::string Lines(int n) {
  std::string s;
  for (int i = 1; i <= n; ++i) s += "line " + std::to_string(i) + (i < n ? "\r\n" : "");
  return s;
}

TEST(DescriptionHint, AtMostFifteenLinesThenMore) {
  std::string hint = DescriptionHintText(Lines(20));
  std::string expect;
  for (int i = 1; i <= 15; ++i) expect += "line " + std::to_string(i) + "\n";
  EXPECT_EQ(hint, expect + "(more...)");
  EXPECT_EQ(DescriptionHintText(Lines(15)), expect.substr(0, expect.size() - 1));
}

TEST(DescriptionHint, LongLinesWrapAtEightyColumns) {
  std::string word = "abcdefghi ";  // ten characters
  std::string text;
  for (int i = 0; i < 12; ++i) text += word;
  std::string hint = DescriptionHintText(text);
  // Broken before the blank at column 81; that blank is trimmed from the next line.
  std::string first;
  for (int i = 0; i < 8; ++i) first += word;
  first.pop_back();
  EXPECT_EQ(hint, first + "\nabcdefghi abcdefghi abcdefghi abcdefghi");
}

TEST(DescriptionHint, AWordLongerThanTheLineIsCutHard) {
  std::string hint = DescriptionHintText(std::string(100, 'z'));
  EXPECT_EQ(hint, std::string(80, 'z') + "\n" + std::string(20, 'z'));
}

}  // namespace
}  // namespace tf

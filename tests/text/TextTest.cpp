#include <gtest/gtest.h>

#include "text/Text.h"

namespace tf {
namespace {

TEST(Text, CutNeverSplitsUtf8) {
  std::string s = std::string(4095, 'a') + "\xC3\xA9";  // é across the 4096 limit
  EXPECT_EQ(CutLength(s, 4096), 4095u);
  std::string euro = std::string(4094, 'a') + "\xE2\x82\xAC";  // three-byte sequence
  EXPECT_EQ(CutLength(euro, 4096), 4094u);
  EXPECT_EQ(CutLength(std::string(5000, 'x'), 4096), 4096u);
  // Windows-1252 text is cut at the byte limit exactly.
  std::string cp = std::string(4095, 'a') + "\xE9\xE9";
  EXPECT_EQ(CutLength(cp, 4096), 4096u);
}

TEST(Text, Utf8Validation) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"));
  EXPECT_FALSE(IsValidUtf8("caf\xE9"));          // Windows-1252 é
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));         // truncated
}

TEST(Text, DisplayReadsOtherBytesAsWindows1252) {
  EXPECT_EQ(ToDisplay("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(ToDisplay("\x80"), "\xE2\x82\xAC");
  EXPECT_EQ(ToDisplay("caf\xC3\xA9"), "caf\xC3\xA9");
}

TEST(Text, EmptyTextIsNone) {
  TText t("");
  EXPECT_TRUE(t.Empty());
  EXPECT_EQ(t.CStr(), nullptr);
  t.Assign("x");
  EXPECT_STREQ(t.CStr(), "x");
  TText moved = std::move(t);
  EXPECT_TRUE(t.Empty());
  EXPECT_EQ(moved.View(), "x");
}

}  // namespace
}  // namespace tf

namespace tf {
namespace {

TEST(TextCase, MapsLettersBeyondAscii) {
  EXPECT_EQ(UpperCase("readme.txt"), "README.TXT");
  EXPECT_EQ(LowerCase("\xC3\x89T\xC3\x89"), "\xC3\xA9t\xC3\xA9");                  // ÉTÉ
  EXPECT_EQ(UpperCase("za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87"), "ZA\xC5\xBB\xC3\x93\xC5\x81\xC4\x86");  // zażółć
  EXPECT_EQ(UpperCase("\xD0\xBC\xD0\xB8\xD1\x80"), "\xD0\x9C\xD0\x98\xD0\xA0");  // мир
  EXPECT_EQ(UpperCase("caf\xE9"), "CAF\xC9");  // Windows-1252 stays Windows-1252
  EXPECT_EQ(UpperCase("\xCE\xB1\xCF\x82"), "\xCE\x91\xCE\xA3");  // final sigma
}

TEST(TextCase, ComparesWithoutRegardToCase) {
  EXPECT_TRUE(EqualsNoCase("FILE_ID.DIZ", "file_id.diz"));
  EXPECT_TRUE(EqualsNoCase("\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"));
  EXPECT_TRUE(EqualsNoCase("caf\xE9", "CAF\xC3\x89"));  // across encodings
  EXPECT_LT(CompareNoCase("apple", "Banana"), 0);
  EXPECT_LT(CompareNoCase("abc", "ABCD"), 0);
  EXPECT_GT(CompareNoCase("b", "A"), 0);
}

}  // namespace
}  // namespace tf

namespace tf {
namespace {

TEST(TextCodePages, DosBoxDrawingBecomesUnicode) {
  EXPECT_EQ(Cp437ToUtf8("\xC9\xCD\xBB"), "\xE2\x95\x94\xE2\x95\x90\xE2\x95\x97");  // ╔═╗
  EXPECT_EQ(Cp437ToUtf8("caf\x82"), "caf\xC3\xA9");                               // é
  EXPECT_EQ(Cp437ToUtf8("\xFF"), "\xC2\xA0");
}

TEST(Text, WildcardsStopAtTheNextMaskCharacter) {
  EXPECT_TRUE(WildcardMatch("product.nfo", "*.NFO"));
  EXPECT_FALSE(WildcardMatch("READ.ME.TXT", "*.TXT"));
  EXPECT_TRUE(WildcardMatch("file_id.diz", "FILE_ID.DIZ"));
  EXPECT_TRUE(WildcardMatch("ABC", "A?C"));
  EXPECT_FALSE(WildcardMatch("ABCD", "A?C"));
  EXPECT_TRUE(WildcardMatch("anything", "*"));
  EXPECT_FALSE(WildcardMatch("README", "*.TXT"));
  EXPECT_TRUE(WildcardMatch("A.B", "*.*"));
}

}  // namespace
}  // namespace tf

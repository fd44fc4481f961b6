#include <gtest/gtest.h>

#include "store/Text.h"

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

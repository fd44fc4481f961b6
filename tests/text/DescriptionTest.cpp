// The text rules descriptions go through: trimming, wrapping, box characters.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/Description.h"
#include "text/Text.h"

namespace tf {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
    out.push_back(text.substr(start, at - start));
  out.push_back(text.substr(start));
  return out;
}

TEST(DescText, TrimKeepsInnerEmptyLinesAndOneCharacterOfBlankLines) {
  EXPECT_EQ(TrimDescriptionLines("  first  \r\n\r\n   \r\n\xFF" "second\xFF \r\n  \r\n"),
            "first\r\n\r\n \r\nsecond");
  EXPECT_EQ(TrimDescriptionLines("a\rb \n c"), "a\rb \n c");  // lone CR or LF split nothing
  EXPECT_EQ(TrimDescriptionEnd("text \r\n \r\n\xFF"), "text");
  EXPECT_EQ(TrimDescriptionEnd(" \r\n"), "");
}

TEST(DescText, WrapBreaksBeforeBlanksWithinFiftyOneCharacters) {
  std::string words;
  while (words.size() < 120) words += "word" + std::to_string(words.size() % 10) + " ";
  words.resize(120);
  std::string text = words;
  EXPECT_FALSE(WrapDescription(text, 50, 0));
  std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(lines.size(), 3u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_LE(lines[i].size(), 51u) << i;
    if (i > 0) {
      EXPECT_EQ(lines[i][0], ' ') << "broken before the blank";
    }
  }
  std::string two = words;
  EXPECT_TRUE(WrapDescription(two, 50, 2));
  EXPECT_EQ(Lines(two).size(), 2u);
  EXPECT_EQ(two, lines[0] + "\r\n" + lines[1]);
}

TEST(DescText, WrapHonoursLineBreaksAndForcesLongWords) {
  std::string text = "short\r\n" + std::string(70, 'x');
  WrapDescription(text, 50, 0);
  EXPECT_EQ(Lines(text), (std::vector<std::string>{"short", std::string(50, 'x'), std::string(20, 'x')}));
  // A wrap counts characters, not bytes, and never splits one.
  std::string accents;
  for (int i = 0; i < 60; ++i) accents += "\xC3\xA9";
  WrapDescription(accents, 50, 0);
  EXPECT_TRUE(IsValidUtf8(accents));
  EXPECT_EQ(Lines(accents)[0].size(), 100u);
}

TEST(DescText, BoxCharactersBecomePlain) {
  // Code page 437 bytes: a framed title.
  EXPECT_EQ(ReplaceBoxCharacters("\xC9\xCD\xCD\xBB\r\n\xBA" "Hi\xBA\r\n\xC8\xCD\xCD\xBC \xDB\xB0"),
            "+--+\r\n|Hi|\r\n+--+ ##");
  EXPECT_EQ(ReplaceBoxCharacters("\xFA\xF9"), "\xB7\x95");  // middle dot, bullet (Windows-1252)
  // UTF-8 keeps its characters; only box drawing and blocks are replaced.
  EXPECT_EQ(ReplaceBoxCharacters("\xE2\x95\x94\xE2\x95\x90\xE2\x95\x97 30\xC2\xB0" "C \xE2\x96\x88"),
            "+-+ 30\xC2\xB0" "C #");
  EXPECT_EQ(ReplaceBoxCharacters("\xE2\x94\x82 caf\xC3\xA9 \xE2\x94\x82"), "| caf\xC3\xA9 |");
}

}  // namespace
}  // namespace tf

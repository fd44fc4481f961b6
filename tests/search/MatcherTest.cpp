// The fast tests give MatchItem's answers, and never rule out a list holding a passing name.

#include <gtest/gtest.h>

#include "SearchFixtures.h"
#include "search/Matcher.h"

namespace tf::test {
namespace {

std::string RandomBytesName(std::mt19937& rng) {
  const auto& words = NameWords();
  std::string name = words[rng() % words.size()];
  if (rng() % 2) name += words[rng() % words.size()];
  static const char* tails[] = {"", ".TXT", ".jpg", ".", ".Doc", "?", "\xC4\xB1s"};
  name += tails[rng() % 7];
  for (char& c : name)
    if (rng() % 5 == 0 && static_cast<unsigned char>(c) < 0x80) c = char(std::toupper(c));
  return name;
}

TEST(Matcher, AnswersAsMatchItemDoes) {
  std::mt19937 rng(7);
  TCatalogRec cat;
  cat.Categories = {{"Games", 1}, {"Tools", 2}, {"Music", 3}};
  cat.FlagNames[2].Assign("Broken");
  int matches = 0;
  for (int i = 0; i < 400; ++i) {
    TSearchControls k = RandomControls(rng, cat);
    TSearchCriteria c = BuildCriteria(k);
    TMatcher m(c);
    m.SetCatalog(cat);
    TCategoryFilter filter = MakeCategoryFilter(c, cat);
    for (int j = 0; j < 60; ++j) {
      std::string name = RandomBytesName(rng);
      TItemView v;
      v.Folder = rng() % 3 == 0;
      v.InArchive = rng() % 4 == 0;
      v.Name = name;
      v.Attributes = uint8_t(rng() & 0x27);
      v.CreatedTime = rng() % 5 ? Dos(1990 + int(rng() % 30), 1 + int(rng() % 12), 1, 12) : 0;
      v.ModifiedTime = Dos(1990 + int(rng() % 30), 1 + int(rng() % 12), 1 + int(rng() % 28),
                           int(rng() % 24), int(rng() % 60));
      v.AccessedTime = rng();
      v.Size = rng() % 5000;
      v.Description = rng() % 3 ? "" : "An old game, v1.0";
      v.CategoryFlags = uint8_t(rng());
      bool expected = MatchItem(c, filter, v);
      ASSERT_EQ(m.Matches(v), expected) << "name " << name << " pattern " << c.NamePattern
                                        << " mode " << int(c.NameMode);
      if (c.ByName) {
        bool passes = NameTest(c, name);
        ASSERT_EQ(m.Names().Test(name), passes) << name << " / " << c.NamePattern;
        // A list holding the name among other bytes is never ruled out.
        std::string list = "\x01\x7F noise " + name + " \xFF\xC3";
        if (passes) {
          ASSERT_TRUE(m.Names().MayPassIn(reinterpret_cast<const uint8_t*>(list.data()),
                                          list.size()))
              << name << " / " << c.NamePattern;
        }
        // When the name decides alone, an item whose name fails never matches.
        if (m.NameDecides() && !passes) {
          ASSERT_FALSE(expected);
        }
      }
      matches += expected;
    }
  }
  EXPECT_GT(matches, 1000);
}

TEST(Matcher, RulesOutListsWithoutTheTextANameNeeds) {
  struct Case {
    TNameMode mode;
    std::string text;
    bool caseSensitive;
    std::string bytes;
    bool mayPass;
  } cases[] = {
      {TNameMode::Part, "track", false, "xxTRACKING", true},
      {TNameMode::Part, "track", false, "xxTRAKING", false},
      {TNameMode::Part, "track", true, "xxTRACKING", false},
      {TNameMode::Part, "Trac", true, "Tracking", true},
      {TNameMode::Exact, "readme.txt", false, "README.TXT", true},
      {TNameMode::Mask, "*.jp?", false, "a.JPG", true},
      {TNameMode::Mask, "*.jp?", false, "a.GIF", false},
      {TNameMode::Mask, "*", false, "", true},  // nothing to look for: cannot rule out
      // "ı" (dotless i) upper-cases to "I": a list holding it may pass "IS".
      {TNameMode::Part, "is", false, "\xC4\xB1s", true},
      {TNameMode::Part, "as", false, "\xC4\xB1s", false},
      // Non-ASCII letters in the pattern: only its ASCII run is looked for.
      {TNameMode::Part, "\xC3\xA4rger", false, "\xC3\x84RGER", true},
      {TNameMode::Part, "\xC3\xA4rger", false, "\xC3\x84RGEN", false},
      {TNameMode::Extension, "txt", false, "nothing", true},
  };
  for (const auto& cs : cases) {
    TSearchControls k;
    k.ByNameCheck = true;
    k.NameCombo = cs.mode;
    k.NameEdit = cs.text;
    k.FileCaseCheck = cs.caseSensitive;
    TNameMatcher m(BuildCriteria(k));
    EXPECT_EQ(m.MayPassIn(reinterpret_cast<const uint8_t*>(cs.bytes.data()), cs.bytes.size()),
              cs.mayPass)
        << cs.text << " in " << cs.bytes;
  }
}

}  // namespace
}  // namespace tf::test

// Building the criteria from the window's controls, and the tests of one item.

#include <gtest/gtest.h>

#include <functional>

#include "search/Criteria.h"

namespace tf {
namespace {

uint32_t Dos(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return uint32_t(((y - 1980) << 25) | (mo << 21) | (d << 16) | (h << 11) | (mi << 5) | (s / 2));
}

TEST(SizeToBytes, ReadsAndRewritesTheFieldAsTheWindowDoes) {
  struct Case {
    std::string text;
    int unit;
    uint32_t bytes;
    std::string textAfter;
    int unitAfter;
  } cases[] = {
      {"0", 0, 0, "0", 0},
      {"1023", 0, 1023, "1023", 0},
      {"2", 1, 2048, "2", 1},
      {"1.5", 2, 1572864, "1536", 1},      // a fraction moves one unit down
      {"1,5", 2, 1572864, "1536", 1},      // either decimal separator
      {"0.3", 1, 307, "307", 0},           // 307.2 bytes, truncated
      {"1.5", 0, 1, "1", 0},               // no unit below bytes
      {"1.0", 2, 1048576, "1", 2},         // zero decimals are no fraction
      {"2.5", 4, 4294967295u, "2560", 3},  // TB: 2560 GB, capped
      {"5000", 3, 4294967295u, "5000", 3},
      {"4", 3, 4294967295u, "4", 3},       // 4 GiB is one byte too many
      {"3.999", 3, 4292870144u, "4094", 2},
      {"abc", 2, 0, "0", 2},
      {"", 1, 0, "0", 1},
      {"-5", 0, 0, "0", 0},
      {" 12 ", 0, 12, "12", 0},
  };
  for (const auto& c : cases) {
    TSizeField f{c.text, c.unit};
    EXPECT_EQ(SizeToBytes(f), c.bytes) << c.text << " unit " << c.unit;
    EXPECT_EQ(f.Text, c.textAfter) << c.text;
    EXPECT_EQ(f.Unit, c.unitAfter) << c.text;
  }
}

TEST(PatternTexts, MasksExtensionsAndDescriptionsAreCleanedAsTheWindowCleansThem) {
  struct Case {
    std::function<std::string(std::string_view)> fn;
    std::string in, out;
  } cases[] = {
      {NormalizeMask, "**?.*", "*.*"},
      {NormalizeMask, "*?*x", "*x"},
      {NormalizeMask, "?*", "?*"},
      {NormalizeMask, "A**B", "A*B"},
      {NormalizeMask, "*.t/x\\t,", "*.txt"},
      {NormalizeMask, ",/\\", ""},
      {NormalizeExtensionList, "*.txt, .Doc", "txt,Doc"},
      {NormalizeExtensionList, "a.b.c", "c"},
      {NormalizeExtensionList, " t x t ", "txt"},
      {NormalizeExtensionList, "txt,,doc", "txt,,doc"},
      {ExtensionPattern, "TXT,DOC", ".TXT\x01.DOC\x01"},
      {ExtensionPattern, "", ".\x01"},
      {[](std::string_view s) { return NormalizeDescription(s, false); }, " a,b. c\r\nd", "ABCD"},
      {[](std::string_view s) { return NormalizeDescription(s, true); }, "Hello, World.", "HelloWorld"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.fn(c.in), c.out) << c.in;
}

TEST(DayNumbers, CountFromTheEndOf1899AndDecodeDosStamps) {
  EXPECT_EQ(DayNumber(1899, 12, 30), 0);
  EXPECT_EQ(DayNumber(1900, 3, 1), 61);
  EXPECT_EQ(DayNumber(2000, 1, 1), 36526);
  int y, m, d;
  DayToDate(DayNumber(2024, 2, 29), y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
  int32_t day = 0, sec = 0;
  ASSERT_TRUE(DosDay(Dos(2024, 2, 29, 23, 59, 58), day));
  EXPECT_EQ(day, DayNumber(2024, 2, 29));
  ASSERT_TRUE(DosSecondOfDay(Dos(2024, 2, 29, 23, 59, 58), sec));
  EXPECT_EQ(sec, 86398);
  EXPECT_FALSE(DosDay(0, day));                  // unknown
  EXPECT_FALSE(DosDay(Dos(2023, 2, 29), day));   // no such day
  EXPECT_FALSE(DosSecondOfDay(Dos(2023, 1, 1, 24), sec));
}

TEST(BuildCriteria, DecidesWhetherThereIsSomethingToSearchFor) {
  struct Case {
    const char* what;
    std::function<void(TSearchControls&)> set;
    bool something;
    bool descriptionOnly;
  } cases[] = {
      {"nothing", [](TSearchControls&) {}, false, false},
      {"a name", [](TSearchControls& k) { k.ByNameCheck = true, k.NameEdit = "a"; }, true, false},
      {"an empty name", [](TSearchControls& k) { k.ByNameCheck = true; }, false, false},
      {"no file type", [](TSearchControls& k) { k.ByNameCheck = true, k.NameCombo = TNameMode::FileType; },
       false, false},
      {"attributes without the name page",
       [](TSearchControls& k) { k.Attributes[0] = TAttrState::Set; }, false, false},
      {"any description", [](TSearchControls& k) { k.ByDescCheck = true, k.DescMode = TDescMode::Any; },
       true, true},
      {"a description text", [](TSearchControls& k) { k.ByDescCheck = true, k.DescEdit = "x"; }, true, true},
      {"no description", [](TSearchControls& k) { k.ByDescCheck = true, k.DescMode = TDescMode::None; },
       true, false},
      {"a description and a size",
       [](TSearchControls& k) {
         k.ByDescCheck = true, k.BySizeCheck = true, k.SizeCombo = TSizeCompare::LargerThan;
       },
       true, false},
      {"an empty name and a description",
       [](TSearchControls& k) { k.ByNameCheck = true, k.ByDescCheck = true; }, true, true},
      {"size without a comparison", [](TSearchControls& k) { k.BySizeCheck = true; }, false, false},
      {"a time field alone",
       [](TSearchControls& k) { k.ByDateCheck = true, k.TimeCombo1 = TTimeField::Modified; }, true,
       false},
      {"a date field with the page off",
       [](TSearchControls& k) { k.DateCombo1 = TDateField::Modified; }, false, false},
      {"categories", [](TSearchControls& k) { k.ByCategoryCheck = true; }, true, false},
  };
  for (const auto& c : cases) {
    TSearchControls k;
    c.set(k);
    TSearchCriteria cr = BuildCriteria(k);
    EXPECT_EQ(cr.SomethingToSearch, c.something) << c.what;
    EXPECT_EQ(cr.DescriptionOnly, c.descriptionOnly) << c.what;
  }
}

TEST(BuildCriteria, BuildsPatternsAndBounds) {
  TSearchControls k;
  k.ByNameCheck = true;
  k.NameCombo = TNameMode::Exact;
  k.NameEdit = "ReadMe";
  k.FileCaseCheck = true;
  EXPECT_EQ(BuildCriteria(k).NamePattern, "ReadMe");
  k.NameCombo = TNameMode::Mask;  // case applies to exact and part only
  EXPECT_EQ(BuildCriteria(k).NamePattern, "README");
  EXPECT_FALSE(BuildCriteria(k).NameCase);
  k.NameCombo = TNameMode::Extension;
  k.NameEdit = "txt,doc";
  EXPECT_EQ(BuildCriteria(k).NamePattern, ".TXT\x01.DOC\x01");
  k.NameCombo = TNameMode::FileType;
  k.FileTypeExtensions = ".jpg\x01.jpeg\x01";
  EXPECT_EQ(BuildCriteria(k).NamePattern, ".JPG\x01.JPEG\x01");
  k.ByDescCheck = true;
  k.DescEdit = "old game";
  EXPECT_EQ(BuildCriteria(k).DescText, "OLDGAME");

  struct SizeCase {
    TSizeCompare cmp;
    TSizeField v1, v2;
    bool tolerance;
    TSizeField tol;
    uint32_t low, high;
  } sizes[] = {
      {TSizeCompare::EqualTo, {"1", 1}, {}, false, {}, 1024, 1024},
      {TSizeCompare::EqualTo, {"1", 1}, {"9", 1}, true, {"2", 1}, 0, 3072},  // no wrap below 0
      {TSizeCompare::Between, {"1", 1}, {"2", 1}, true, {"100", 0}, 924, 2148},
      {TSizeCompare::NotBetween, {"1", 0}, {"5", 0}, false, {"7", 0}, 1, 5},
      {TSizeCompare::SmallerThan, {"1", 2}, {"7", 0}, false, {}, 1048576, 1048576},
      {TSizeCompare::LargerThan, {"5000", 3}, {}, true, {"1", 1}, 4294966271u, 4294967295u},
  };
  for (const auto& s : sizes) {
    TSearchControls z;
    z.BySizeCheck = true;
    z.SizeCombo = s.cmp;
    z.SizeValue1 = s.v1;
    z.SizeValue2 = s.v2;
    z.SizeAllowTollerance = s.tolerance;
    z.SizeValue3 = s.tol;
    TSearchCriteria c = BuildCriteria(z);
    EXPECT_EQ(c.SizeLow, s.low) << int(s.cmp) << " " << s.v1.Text;
    EXPECT_EQ(c.SizeHigh, s.high) << int(s.cmp) << " " << s.v1.Text;
  }

  TSearchControls d;
  d.ByDateCheck = true;
  d.DateCombo1 = TDateField::Modified;
  d.DatePicker1 = DayNumber(2024, 3, 1);
  d.DatePicker2 = DayNumber(2024, 5, 1);  // not shown for "On"
  d.DateAllowTollerance = true;
  d.DateTollerance = 2;
  d.TimeCombo1 = TTimeField::Created;
  d.TimeCombo2 = TTimeCompare::Between;
  d.TimePicker1 = 10 * 3600;
  d.TimePicker2 = 11 * 3600;
  d.TimeAllowTollerance = true;
  d.TimeTollerance = 5;
  TSearchCriteria c = BuildCriteria(d);
  EXPECT_EQ(c.DateLow, DayNumber(2024, 2, 28));
  EXPECT_EQ(c.DateHigh, DayNumber(2024, 3, 3));
  EXPECT_EQ(c.TimeLow, 10 * 3600 - 300);
  EXPECT_EQ(c.TimeHigh, 11 * 3600 + 300);
  d.DateAllowTollerance = false;  // the tolerance counts only while its box is checked
  d.DateCombo2 = TDateCompare::NotBetween;
  c = BuildCriteria(d);
  EXPECT_EQ(c.DateLow, DayNumber(2024, 3, 1));
  EXPECT_EQ(c.DateHigh, DayNumber(2024, 5, 1));
}

TItemView File(std::string_view name, uint64_t size = 0) {
  TItemView v;
  v.Name = name;
  v.Size = size;
  v.Attributes = AttrArchive;
  v.ModifiedTime = v.CreatedTime = v.AccessedTime = Dos(2020, 6, 15, 12, 0, 0);
  return v;
}

struct MatchCase {
  const char* what;
  std::function<void(TSearchControls&)> set;
  TItemView item;
  bool all;  // the answer in the mode "all"
  bool any;  // the answer in the mode "at least one"
};

void CheckMatches(const std::vector<MatchCase>& cases, const TCategoryFilter& filter = {}) {
  for (const auto& c : cases) {
    TSearchControls k;
    c.set(k);
    k.SearchTypeCombo = TMatchMode::All;
    EXPECT_EQ(MatchItem(BuildCriteria(k), filter, c.item), c.all) << c.what << " (all)";
    k.SearchTypeCombo = TMatchMode::AtLeastOne;
    EXPECT_EQ(MatchItem(BuildCriteria(k), filter, c.item), c.any) << c.what << " (at least one)";
  }
}

auto Name(TNameMode mode, std::string text, bool caseSensitive = false) {
  return [=](TSearchControls& k) {
    k.ByNameCheck = true;
    k.NameCombo = mode;
    k.NameEdit = text;
    k.FileCaseCheck = caseSensitive;
  };
}

TEST(MatchItem, NameTests) {
  std::vector<MatchCase> cases = {
      {"mask *.TXT", Name(TNameMode::Mask, "*.TXT"), File("README.TXT"), true, true},
      {"mask ignores case", Name(TNameMode::Mask, "*.txt"), File("readme.Txt"), true, true},
      {"mask without backtracking", Name(TNameMode::Mask, "*.TXT"), File("A.B.TXT"), false, false},
      {"mask ABC* needs more", Name(TNameMode::Mask, "ABC*"), File("ABC"), false, false},
      {"mask ABC*", Name(TNameMode::Mask, "ABC*"), File("abcd"), true, true},
      {"mask * on any name", Name(TNameMode::Mask, "*"), File("x"), true, true},
      {"mask ? is one character", Name(TNameMode::Mask, "A?C"), File("AC"), false, false},
      {"extension", Name(TNameMode::Extension, "txt,doc"), File("a.TXT"), true, true},
      {"extension, second", Name(TNameMode::Extension, "txt,doc"), File("b.doc"), true, true},
      {"extension is whole", Name(TNameMode::Extension, "txt,doc"), File("c.text"), false, false},
      {"extension part", Name(TNameMode::Extension, "txt,doc"), File("c.xt"), false, false},
      {"no extension", Name(TNameMode::Extension, "txt,doc"), File("txt"), false, false},
      {"extension after a path", Name(TNameMode::Extension, "zip"), File("a.zip\\b"), false, false},
      {"exact", Name(TNameMode::Exact, "README.TXT"), File("readme.txt"), true, true},
      {"exact, case-sensitive", Name(TNameMode::Exact, "README.TXT", true), File("readme.txt"),
       false, false},
      {"exact is whole", Name(TNameMode::Exact, "README"), File("readme.txt"), false, false},
      {"part", Name(TNameMode::Part, "ADM"), File("readme.txt"), true, true},
      {"part, case-sensitive", Name(TNameMode::Part, "adm", true), File("reADMe"), false, false},
      {"part, accented", Name(TNameMode::Part, "är"), File("Ärger.txt"), true, true},
  };
  CheckMatches(cases);
}

TEST(MatchItem, ModesAttributesDescriptionsSizesDatesAndCategories) {
  TItemView bigExe = File("B.EXE", 2 * 1048576);
  TItemView hidden = File("h.sys");
  hidden.Attributes = AttrArchive | AttrHidden;
  TItemView described = File("d.txt");
  described.Description = "The old\r\nGame, v1.0";
  TItemView entry = File("e.txt");
  entry.InArchive = true;
  TItemView monthEnd = File("m.txt");
  monthEnd.ModifiedTime = Dos(2020, 5, 31, 23, 59, 58);
  TItemView unknown = File("u.txt");
  unknown.ModifiedTime = 0;
  TItemView folder = File("Games");
  folder.Folder = true;
  folder.Size = 5000;
  auto maskAndSize = [](TSearchControls& k) {
    Name(TNameMode::Mask, "A*")(k);
    k.BySizeCheck = true;
    k.SizeCombo = TSizeCompare::LargerThan;
    k.SizeValue1 = {"1", 2};
  };
  auto attributes = [](TSearchControls& k) {
    Name(TNameMode::Mask, "*")(k);
    k.Attributes = {TAttrState::Set, TAttrState::Clear, TAttrState::Any, TAttrState::Any};
  };
  auto dateOn = [](int day, int tolerance) {
    return [=](TSearchControls& k) {
      k.ByDateCheck = true;
      k.DateCombo1 = TDateField::Modified;
      k.DatePicker1 = DayNumber(2020, 6, day);
      k.DateAllowTollerance = tolerance > 0;
      k.DateTollerance = tolerance;
    };
  };
  auto created = [](TSearchControls& k) {
    k.ByDateCheck = true;
    k.DateCombo1 = TDateField::Created;
    k.DateCombo2 = TDateCompare::After;
    k.DatePicker1 = DayNumber(2030, 1, 1);
  };
  auto desc = [](TDescMode mode, std::string text) {
    return [=](TSearchControls& k) {
      k.ByDescCheck = true;
      k.DescMode = mode;
      k.DescEdit = text;
    };
  };
  auto size = [](TSizeCompare cmp, std::string v1, std::string v2) {
    return [=](TSearchControls& k) {
      k.BySizeCheck = true;
      k.SizeCombo = cmp;
      k.SizeValue1 = {v1, 0};
      k.SizeValue2 = {v2, 0};
    };
  };
  auto time = [](TTimeCompare cmp, int h1, int h2) {
    return [=](TSearchControls& k) {
      k.ByDateCheck = true;
      k.TimeCombo1 = TTimeField::Modified;
      k.TimeCombo2 = cmp;
      k.TimePicker1 = h1 * 3600;
      k.TimePicker2 = h2 * 3600;
    };
  };
  std::vector<MatchCase> cases = {
      {"one of two conditions", maskAndSize, bigExe, false, true},
      {"archive set, hidden clear: one of two fails", attributes, hidden, false, true},
      {"attributes hold", attributes, File("a.txt"), true, true},
      {"on the day", dateOn(15, 0), File("x"), true, true},
      {"not the day before", dateOn(16, 0), File("x"), false, false},
      {"within the tolerance", dateOn(17, 2), File("x"), true, true},
      {"beyond the tolerance", dateOn(18, 2), File("x"), false, false},
      {"tolerance across the month's end", dateOn(2, 2), monthEnd, true, true},
      {"beyond it across the month's end", dateOn(3, 2), monthEnd, false, false},
      {"an unknown date", dateOn(15, 99), unknown, false, false},
      {"created date of an archive entry: no test", created, entry, true, false},
      {"created date of a file", created, File("x"), false, false},
      {"any description", desc(TDescMode::Any, ""), described, true, true},
      {"any description, none", desc(TDescMode::Any, ""), File("x"), false, false},
      {"no description", desc(TDescMode::None, ""), File("x"), true, true},
      {"description text across signs and lines", desc(TDescMode::Text, "old game"), described,
       true, true},
      {"description text, case", desc(TDescMode::Text, "v10"), described, true, true},
      {"description text missing", desc(TDescMode::Text, "new"), described, false, false},
      {"between, inclusive", size(TSizeCompare::Between, "5000", "6000"), folder, true, true},
      {"not between", size(TSizeCompare::NotBetween, "5000", "6000"), folder, false, false},
      {"smaller than", size(TSizeCompare::SmallerThan, "5001", ""), folder, true, true},
      {"smaller than, equal", size(TSizeCompare::SmallerThan, "5000", ""), folder, false, false},
      {"time between", time(TTimeCompare::Between, 11, 13), File("x"), true, true},
      {"time before", time(TTimeCompare::Before, 12, 0), File("x"), false, false},
      {"time after", time(TTimeCompare::After, 11, 0), File("x"), true, true},
      {"time not between", time(TTimeCompare::NotBetween, 11, 13), File("x"), false, false},
  };
  CheckMatches(cases);

  TSearchControls k;
  attributes(k);
  TMatchTally t = MatchTally(BuildCriteria(k), {}, hidden);
  EXPECT_EQ(t.Passed, 2);  // archive, name
  EXPECT_EQ(t.Failed, 1);  // hidden
}

TEST(MatchItem, CategoriesAndFlagsByTheirNamesInTheItemsCatalog) {
  TCatalogRec cat;
  cat.Categories = {{"Games", 1}, {"Tools", 2}, {"Games again", 1}};
  cat.FlagNames[0].Assign("Backed up");
  cat.FlagNames[2].Assign("Broken");
  TSearchControls k;
  k.ByCategoryCheck = true;
  k.CheckedCategories = {"Games again", "Tools"};
  k.CheckedFlags = {"Broken", ""};
  TSearchCriteria c = BuildCriteria(k);
  TCategoryFilter filter = MakeCategoryFilter(c, cat);
  struct Case {
    uint8_t categoryFlags;
    bool match;
  } cases[] = {
      {0, false},
      {2, true},                  // Tools
      {1, false},                 // the first category with ID 1 is Games, unchecked
      {1 | UserFlag3, true},      // Broken
      {UserFlag1, false},         // Backed up is not checked
      {UserFlag2, false},         // a flag without a name
      {7 | UserFlag3, true},      // an unknown category, a checked flag
  };
  for (const auto& cs : cases) {
    TItemView v = File("x");
    v.CategoryFlags = cs.categoryFlags;
    EXPECT_EQ(MatchItem(c, filter, v), cs.match) << int(cs.categoryFlags);
  }
}

}  // namespace
}  // namespace tf

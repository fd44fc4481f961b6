// The order of records: kinds, keys, directions, archives as files or as folders, the ".."
// entry, stability, and that the comparison is a real order for every key.

#include "browse/Sort.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "browse/Format.h"
#include "browse/ItemList.h"
#include "support/TestSupport.h"

namespace tf {
namespace {

using test::AddCatalog;
using test::AddDisk;
using test::AddFile;
using test::AddFolder;

int Sign(int v) { return (v > 0) - (v < 0); }

TEST(AnsiCompareText, IgnoresCase) {
  EXPECT_EQ(AnsiCompareText("Readme.TXT", "README.txt"), 0);
  EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
  EXPECT_GT(AnsiCompareText("Zebra", "apple"), 0);
  EXPECT_LT(AnsiCompareText("abc", "ABCD"), 0);
  EXPECT_EQ(AnsiCompareText("", ""), 0);
  EXPECT_LT(AnsiCompareText("", "a"), 0);
}

TEST(AnsiCompareText, PunctuationBeforeDigitsBeforeLetters) {
  EXPECT_LT(AnsiCompareText("_x", "1"), 0);
  EXPECT_LT(AnsiCompareText("~x", "0"), 0);  // "~" is above the letters in ASCII
  EXPECT_LT(AnsiCompareText("9", "a"), 0);
  EXPECT_LT(AnsiCompareText("a b", "ab"), 0);
  EXPECT_LT(AnsiCompareText("file10", "file9"), 0);  // digit by digit
}

TEST(AnsiCompareText, AccentsSortWithTheirLetterAndDecideOnlyTies) {
  const std::string e = "\xC3\xA9", E = "\xC3\x89";  // é É
  struct {
    std::string A, B;
    int Expected;
  } cases[] = {
      {"ea", e + "b", -1},  // the letter decides before the accent
      {e + "b", "f", -1},
      {"e", e, -1},  // only the accent differs: the plain letter first
      {e, E, 0},     // case is no accent
      {"resum" + e, "r" + e + "sume", -1},  // the first accent that differs decides
      {e, "ea", -1},                        // a shorter text first, whatever its accents
      {"cafe", "caf\xE9", -1},              // Windows-1252 é
      {"Zoo", "\xC3\x85land", 1},           // Å sorts with A
      {"\xC5\xA0kola", "Tabor", -1},        // Š with S
      {"\xC5\xA0kola", "Rad", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.A + " / " + c.B);
    EXPECT_EQ(Sign(AnsiCompareText(c.A, c.B)), c.Expected);
    EXPECT_EQ(Sign(AnsiCompareText(c.B, c.A)), -c.Expected);
  }
}

TEST(AnsiCompareText, WindowsBytesCompareAsTheirCharacters) {
  EXPECT_EQ(AnsiCompareText("caf\xE9", "CAF\xC3\x89"), 0);
  EXPECT_LT(AnsiCompareText("caf\xE9", "cafz"), 0);
  EXPECT_EQ(AnsiCompareText("\x8A" "a", "\xC5\xA0" "A"), 0);  // Š in Windows-1252 and UTF-8
}

TEST(AnsiCompareText, OtherScriptsIgnoreCase) {
  EXPECT_EQ(AnsiCompareText("\xD0\x90\xD0\x91", "\xD0\xB0\xD0\xB1"), 0);  // АБ аб
  EXPECT_EQ(AnsiCompareText("\xCE\xA9", "\xCF\x89"), 0);                  // Ω ω
  EXPECT_GT(AnsiCompareText("\xD0\xB0", "z"), 0);  // Cyrillic after Latin
}

TEST(StrIComp, FoldsOnlyAsciiLetters) {
  EXPECT_EQ(StrIComp("Hello", "hELLO"), 0);
  EXPECT_LT(StrIComp("abc", "abd"), 0);
  EXPECT_GT(StrIComp("_", "a"), 0);  // 0x5F against 'A' (0x41)
  EXPECT_NE(StrIComp("\xC3\xA9", "\xC3\x89"), 0);
  EXPECT_LT(StrIComp("", "x"), 0);
}

// A catalog with one disk whose root holds folders, archives and files as the tests need.
struct TListFixture : ::testing::Test {
  TCatalogTree tree;
  TNode* cat = AddCatalog(tree, "Cat");
  TNode* disk = AddDisk(cat, "Disk");

  TFileRec* File(const std::string& name, uint32_t size = 0, uint32_t modified = 0,
                 TNode* where = nullptr) {
    TFileRec* f = AddFile(where ? where : disk, name, size);
    f->ModifiedTime = modified;
    return f;
  }
  TFolderRec* Folder(const std::string& name, bool archive = false, int64_t bytes = 0,
                     TNode* where = nullptr) {
    TNode* n = AddFolder(where ? where : disk, name, bytes);
    if (archive) SetFlag(n->Record, InArchive, true);
    return static_cast<TFolderRec*>(n->Record);
  }
  static std::vector<std::string> NamesOf(const std::vector<TItemRec*>& items) {
    std::vector<std::string> out;
    for (TItemRec* r : items) {
      if (KindOf(r) == ikFile)
        out.emplace_back(static_cast<TFileRec*>(r)->Name());
      else
        out.push_back(r->Node->Caption);
    }
    return out;
  }
  static std::vector<std::string> Sorted(std::vector<TItemRec*> items, int key, bool reverse,
                                         bool archivesAsFiles = true) {
    SortRecords(items, key, reverse, archivesAsFiles);
    return NamesOf(items);
  }
};

using Names = std::vector<std::string>;

TEST_F(TListFixture, KindsKeepTheirOrderInEitherDirection) {
  TItemRec* file = File("a.txt");
  TItemRec* folder = Folder("zzz");
  TItemRec* d2 = AddDisk(cat, "Other")->Record;
  for (bool reverse : {false, true}) {
    for (int key = 0; key < FileSortKeyCount; ++key) {
      EXPECT_LT(CompareItems(folder, file, key, reverse, true), 0);
      EXPECT_GT(CompareItems(file, folder, key, reverse, true), 0);
      EXPECT_LT(CompareItems(d2, folder, key, reverse, true), 0);
      EXPECT_LT(CompareItems(cat->Record, d2, key, reverse, true), 0);
    }
  }
}

TEST_F(TListFixture, BackEntryComesBeforeEveryFolderInEitherDirection) {
  TItemList list;
  TItemRec* back = list.BackEntry();
  TItemRec* plain = Folder("aaa");
  TItemRec* archive = Folder("000.zip", true);
  ASSERT_TRUE(IsBackEntry(back));
  EXPECT_FALSE(IsBackEntry(plain));
  for (bool reverse : {false, true}) {
    for (bool asFiles : {false, true}) {
      EXPECT_LT(CompareItems(back, plain, 0, reverse, asFiles), 0);
      EXPECT_GT(CompareItems(plain, back, 0, reverse, asFiles), 0);
      EXPECT_LT(CompareItems(back, archive, 0, reverse, asFiles), 0);
      EXPECT_EQ(CompareItems(back, back, 0, reverse, asFiles), 0);
    }
  }
}

TEST_F(TListFixture, FilesByEachKey) {
  uint32_t early = EncodeDosDateTime({1990, 5, 1, 18, 0, 0});
  uint32_t late = EncodeDosDateTime({2005, 1, 1, 9, 30, 0});
  TFileRec* a = File("b.doc", 300, late);
  TFileRec* b = File("A.txt", 100, early);
  a->Attributes = 0x21;
  b->Attributes = 0x20;
  a->Description.Assign("zeta");
  b->Description.Assign("Alpha");
  EXPECT_GT(CompareItems(a, b, SortByName, false, true), 0);
  EXPECT_LT(CompareItems(a, b, SortByExtension, false, true), 0);  // doc < txt
  EXPECT_GT(CompareItems(a, b, SortBySize, false, true), 0);
  EXPECT_GT(CompareItems(a, b, SortByDate, false, true), 0);
  EXPECT_LT(CompareItems(a, b, SortByTime, false, true), 0);  // 9:30 before 18:00
  EXPECT_GT(CompareItems(a, b, SortByAttributes, false, true), 0);
  EXPECT_GT(CompareItems(a, b, SortByDescription, false, true), 0);
  EXPECT_EQ(CompareItems(a, b, 42, false, true), 0);
  // The direction negates every key.
  for (int key = 0; key <= SortByDescription; ++key)
    EXPECT_EQ(CompareItems(a, b, key, true, true), -CompareItems(a, b, key, false, true));
}

TEST_F(TListFixture, ExtensionTiesAreBrokenByName) {
  TFileRec* b = File("b.txt");
  TFileRec* a = File("a.TXT");
  TFileRec* none = File("Makefile");
  EXPECT_GT(CompareItems(b, a, SortByExtension, false, true), 0);
  EXPECT_LT(CompareItems(none, a, SortByExtension, false, true), 0);  // no extension first
}

TEST_F(TListFixture, DescriptionsCompareByteWiseWithoutCase) {
  TFileRec* a = File("a");
  TFileRec* b = File("b");
  TFileRec* none = File("c");
  a->Description.Assign("abc");
  b->Description.Assign("ABD");
  EXPECT_LT(CompareItems(a, b, SortByDescription, false, true), 0);
  EXPECT_LT(CompareItems(none, a, SortByDescription, false, true), 0);  // none = empty
}

TEST_F(TListFixture, SearchKeysCompareDiskNameMediaAndPath) {
  TNode* otherCat = AddCatalog(tree, "Cat2");
  TNode* cd = AddDisk(otherCat, "Alpha CD");
  static_cast<TDiskRec*>(cd->Record)->MediaType = 10;
  TNode* sub = AddFolder(cd, "Sub");
  TFileRec* here = File("x.txt");
  TFileRec* there = File("x.txt", 0, 0, sub);
  EXPECT_GT(CompareItems(here, there, SortByDiskName, false, true), 0);   // Disk > Alpha CD
  EXPECT_GT(CompareItems(here, there, SortByMediaType, false, true), 0);  // Hard disk > CD-ROM
  EXPECT_LT(CompareItems(here, there, SortByFolderPath, false, true), 0);  // \ < \Sub
}

TEST_F(TListFixture, FoldersBySizeOnlyArchivesHaveOne) {
  TItemRec* p1 = Folder("p1", false, 500);
  TItemRec* p2 = Folder("p2", false, 100);
  TItemRec* big = Folder("big.zip", true, 900);
  TItemRec* small = Folder("small.zip", true, 50);
  EXPECT_EQ(CompareItems(p1, p2, SortBySize, false, false), 0);
  EXPECT_LT(CompareItems(p1, small, SortBySize, false, false), 0);
  EXPECT_GT(CompareItems(big, small, SortBySize, false, false), 0);
  EXPECT_EQ(Sorted({big, p1, small, p2}, SortBySize, false, false),
            (Names{"p1", "p2", "small.zip", "big.zip"}));
}

TEST_F(TListFixture, DisksByEachKey) {
  auto* d1 = static_cast<TDiskRec*>(disk->Record);
  auto* d2 = static_cast<TDiskRec*>(AddDisk(cat, "Backup")->Record);
  d1->MediaType = 10;
  d2->MediaType = 5;
  d2->TotalClusters = 2000;
  d2->FreeClusters = 50;
  d1->LastUpdate = 40000;
  d2->LastUpdate = 39000;
  d1->Description.Assign("b");
  EXPECT_GT(CompareItems(d1, d2, SortDisksByName, false, true), 0);
  EXPECT_GT(CompareItems(d1, d2, SortDisksByMediaType, false, true), 0);
  EXPECT_LT(CompareItems(d1, d2, SortDisksByCapacity, false, true), 0);
  EXPECT_GT(CompareItems(d1, d2, SortDisksByFreeSpace, false, true), 0);
  EXPECT_GT(CompareItems(d1, d2, SortDisksByUpdate, false, true), 0);
  EXPECT_GT(CompareItems(d1, d2, SortDisksByDescription, false, true), 0);
  EXPECT_EQ(CompareItems(d1, d2, 6, false, true), 0);
  EXPECT_EQ(CompareItems(d1, d2, 9, false, true), 0);
}

TEST_F(TListFixture, ArchivesSortedAsFilesStandAmongTheFiles) {
  std::vector<TItemRec*> items = {File("c.txt"), Folder("b.zip", true), File("a.txt"),
                                  Folder("Zeta"), Folder("Alpha")};
  EXPECT_EQ(Sorted(items, SortByName, false, true),
            (Names{"Alpha", "Zeta", "a.txt", "b.zip", "c.txt"}));
  EXPECT_EQ(Sorted(items, SortByName, false, false),
            (Names{"Alpha", "b.zip", "Zeta", "a.txt", "c.txt"}));
}

TEST_F(TListFixture, ArchivesAsFilesKeepPlainFoldersFirstWhenReversed) {
  // Reversed, files and archives run backwards but plain folders still lead: the direction
  // never turns a grouping round, so that the order stays one order.
  std::vector<TItemRec*> items = {File("c.txt"), Folder("b.zip", true), File("a.txt"),
                                  Folder("Zeta"), Folder("Alpha"), Folder("d.zip", true)};
  EXPECT_EQ(Sorted(items, SortByName, true, true),
            (Names{"Zeta", "Alpha", "d.zip", "c.txt", "b.zip", "a.txt"}));
  EXPECT_EQ(Sorted(items, SortByName, true, false),
            (Names{"Zeta", "d.zip", "b.zip", "Alpha", "c.txt", "a.txt"}));
}

TEST_F(TListFixture, ArchiveAgainstFileUsesTheFileKeys) {
  TItemRec* zip = Folder("pack.zip", true, 5000);
  TItemRec* small = File("zz.txt", 100);
  TItemRec* large = File("aa.txt", 9000);
  EXPECT_EQ(Sorted({large, zip, small}, SortBySize, false),
            (Names{"zz.txt", "pack.zip", "aa.txt"}));
  EXPECT_EQ(Sorted({large, zip, small}, SortByExtension, false),
            (Names{"aa.txt", "zz.txt", "pack.zip"}));
}

TEST_F(TListFixture, InvalidDatesComeFirstAndStayAnOrder) {
  uint32_t d1 = EncodeDosDateTime({1990, 1, 1, 10, 0, 0});
  uint32_t d2 = EncodeDosDateTime({2000, 1, 1, 8, 0, 0});
  uint32_t bad = EncodeDosDateTime({1990, 1, 1, 0, 0, 0}) & 0xFE1FFFFF;  // month 0
  std::vector<TItemRec*> items = {File("late", 0, d2), File("bad", 0, bad), File("early", 0, d1),
                                  File("zero", 0, 0)};
  EXPECT_EQ(Sorted(items, SortByDate, false), (Names{"bad", "zero", "early", "late"}));
  EXPECT_EQ(Sorted(items, SortByTime, false), (Names{"bad", "zero", "late", "early"}));
}

TEST_F(TListFixture, EqualItemsKeepChainOrderAndReverseTogether) {
  std::vector<TItemRec*> items = {File("one", 10), File("two", 5), File("three", 10),
                                  File("four", 5)};
  EXPECT_EQ(Sorted(items, SortBySize, false), (Names{"two", "four", "one", "three"}));
  EXPECT_EQ(Sorted(items, SortBySize, true), (Names{"one", "three", "two", "four"}));
  std::vector<TItemRec*> turned = items;
  SortRecords(turned, SortBySize, false, true);
  std::reverse(turned.begin(), turned.end());
  EXPECT_EQ(NamesOf(turned), (Names{"three", "one", "four", "two"}));
}

TEST_F(TListFixture, TreeChildrenFollowTheKeyOfTheirList) {
  Folder("b");
  Folder("a.zip", true);
  Folder("C");
  SortTreeChildren(disk, SortByName, SortDisksByMediaType, false, true);
  EXPECT_EQ(disk->Child(0)->Caption, "b");
  EXPECT_EQ(disk->Child(1)->Caption, "C");
  EXPECT_EQ(disk->Child(2)->Caption, "a.zip");
  SortTreeChildren(disk, SortByName, SortDisksByMediaType, true, false);
  EXPECT_EQ(disk->Child(0)->Caption, "C");
  EXPECT_EQ(disk->Child(2)->Caption, "a.zip");

  TNode* second = AddDisk(cat, "A disk");
  static_cast<TDiskRec*>(second->Record)->MediaType = 2;
  SortTreeChildren(cat, SortByName, SortDisksByMediaType, false, true);
  EXPECT_EQ(cat->Child(0), second);  // media type 2 before 5, although named later
  SortTreeChildren(cat, SortByName, SortDisksByName, true, true);
  EXPECT_EQ(cat->Child(0), disk);
  EXPECT_EQ(test::CheckTree(tree), "");
}

// Every key, direction and archive mode must give a strict weak order, or a sort leaves
// items out of order. Random folders, archives and files with many equal fields.
TEST_F(TListFixture, EveryKeyIsAnOrder) {
  std::mt19937 rng(7);
  std::vector<TItemRec*> items;
  TItemList list;
  items.push_back(list.BackEntry());
  const char* names[] = {"a", "B", "a.zip", "c.TXT", "b.txt", "\xC3\xA9t\xC3\xA9", "e", "_"};
  for (int i = 0; i < 30; ++i) {
    std::string name = names[rng() % std::size(names)];
    uint32_t date = uint32_t(rng());  // mostly not a valid date
    if (rng() % 3 != 0)
      date = EncodeDosDateTime({1990 + int(rng() % 3), 1, 1, int(rng() % 3), 0, 0});
    if (rng() % 3 == 0) {
      TFolderRec* f = Folder(name, rng() % 2 == 0, int64_t(rng() % 3));
      f->ModifiedTime = date;
      f->Attributes = uint8_t(0x10 | (rng() % 2));
      items.push_back(f);
    } else {
      TFileRec* f = File(name, rng() % 3, date);
      f->Attributes = uint8_t(rng() % 2);
      if (rng() % 2) f->Description.Assign(names[rng() % std::size(names)]);
      items.push_back(f);
    }
  }
  for (int key = 0; key < FileSortKeyCount; ++key) {
    for (bool reverse : {false, true}) {
      for (bool asFiles : {false, true}) {
        auto cmp = [&](TItemRec* x, TItemRec* y) {
          return Sign(CompareItems(x, y, key, reverse, asFiles));
        };
        for (TItemRec* a : items) {
          for (TItemRec* b : items) {
            ASSERT_EQ(cmp(a, b), -cmp(b, a)) << "key " << key;
            for (TItemRec* c : items) {
              if (cmp(a, b) <= 0 && cmp(b, c) <= 0) {
                ASSERT_LE(cmp(a, c), 0) << "key " << key << " reverse " << reverse
                                        << " archives as files " << asFiles;
              }
            }
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace tf

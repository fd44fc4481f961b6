// Damaged catalog files: every failure is a clear error, never a crash or a wrong read.

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "StoreFixtures.h"

namespace tf::test {
namespace {

class Damage : public SavedSample {
 protected:
  // Opens and reads everything; returns the error message or "" when it all read.
  std::string OpenAll(const std::string& file) {
    TCatalogTree opened;
    try {
      TNode* cat = OpenCatalog(opened, file);
      DescribeTree(cat);
      EXPECT_EQ(CheckTree(opened), "");
      return "";
    } catch (const EInvalidCatalog& e) {
      return e.what();
    } catch (const EStreamError& e) {
      return e.what();
    }
  }
  std::string bytes = ReadBytes(path);
};

TEST_F(Damage, TruncatedAtEveryByte) {
  // The format has no disk count: a cut right behind the header or a disk block leaves a
  // shorter, valid catalog. Every other cut is noticed.
  TNode* cat = OpenCatalog(tree, path);
  std::set<std::size_t> boundaries{std::size_t(static_cast<TDiskRec*>(cat->Child(0)->Record)->BlockOffset)};
  for (int i = 0; i < cat->ChildCount(); ++i) {
    auto* d = static_cast<TDiskRec*>(cat->Child(i)->Record);
    boundaries.insert(std::size_t(d->BlockOffset + d->BlockLength));
  }
  std::string cut = dir.File("cut.ctf");
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    WriteBytes(cut, bytes.substr(0, n));
    std::string error = OpenAll(cut);
    if (n < 13)
      EXPECT_EQ(error, "This is not a valid catalog file!") << n;
    else if (boundaries.count(n))
      EXPECT_EQ(error, "") << n;
    else
      EXPECT_EQ(error, "Internal catalog structure error detected.") << n;
  }
}

TEST_F(Damage, RandomCorruptionNeverCrashes) {
  std::mt19937 rng(20261206);
  std::string bad = dir.File("bad.ctf");
  int errors = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string b = bytes;
    int flips = 1 + int(rng() % 4);
    for (int i = 0; i < flips; ++i) {
      std::size_t at = 13 + rng() % (b.size() - 13);
      b[at] = char(rng());
    }
    WriteBytes(bad, b);
    std::string error = OpenAll(bad);
    if (!error.empty()) {
      ++errors;
      EXPECT_EQ(error, "Internal catalog structure error detected.");
    }
  }
  EXPECT_GT(errors, 0);
}

TEST_F(Damage, FileListOverrunningItsLengthIsRefused) {
  // Make the first root file's description length claim more bytes than the list has.
  TNode* cat = OpenCatalog(tree, path);
  auto* d1 = static_cast<TDiskRec*>(cat->Child(0)->Record);
  std::size_t list = std::size_t(d1->BlockOffset + d1->FilesOffset);
  std::size_t descLen = list + 1 + 10 + 18;  // "Readme.txt" entry
  ASSERT_EQ(U16At(bytes, descLen), 15);
  std::string b = bytes;
  b[descLen] = char(0xFF);
  std::string bad = dir.File("overrun.ctf");
  WriteBytes(bad, b);
  TCatalogTree t2;
  TNode* c2 = OpenCatalog(t2, bad);
  TNode* disk = c2->Child(0);
  EXPECT_THROW(LoadFiles(disk), EInvalidCatalog);
  EXPECT_EQ(static_cast<TDiskRec*>(disk->Record)->FilesLoaded, 0);
  EXPECT_EQ(disk->Record->Next, nullptr);
  // The rest of the catalog still reads.
  LoadFiles(disk->Child(0));
  EXPECT_EQ(Files(disk->Child(0)).size(), 2u);
}

TEST_F(Damage, ListLengthBeyondTheBlockIsRefused) {
  TNode* cat = OpenCatalog(tree, path);
  auto* d1 = static_cast<TDiskRec*>(cat->Child(0)->Record);
  d1->FilesLength = d1->BlockLength;  // as if the header said so
  EXPECT_THROW(LoadFiles(cat->Child(0)), EInvalidCatalog);
  d1->FilesLength = -5;
  d1->FilesOffset = 2000000000;
  EXPECT_NO_THROW(LoadFiles(cat->Child(0)));  // a negative length: nothing stored
}

TEST_F(Damage, WrongKindByteOfADiskBlock) {
  std::string b = bytes;
  TNode* cat = OpenCatalog(tree, path);
  std::size_t second = std::size_t(static_cast<TDiskRec*>(cat->Child(1)->Record)->BlockOffset);
  b[second] = char(ikFolder);
  std::string bad = dir.File("kind.ctf");
  WriteBytes(bad, b);
  EXPECT_EQ(OpenAll(bad), "Internal catalog structure error detected.");
}

// Offsets of the level bytes of a disk's folder records, in file order.
std::vector<std::size_t> LevelBytes(const std::string& bytes, const TDiskRec* d) {
  std::vector<std::size_t> at;
  std::size_t p = std::size_t(d->BlockOffset + d->FoldersOffset);
  std::size_t end = std::size_t(d->BlockOffset + d->BlockLength);
  while (p < end) {
    at.push_back(p + 1);
    p += 2;
    p += 2 + U16At(bytes, p);  // name
    p += 39;
    p += 2 + U16At(bytes, p);  // description
  }
  return at;
}

TEST_F(Damage, FolderLevelsThatCannotFollowTheirPredecessorAreDamage) {
  // Disk 1's folders in file order: Games 1, Doom 2, Deep 3, Deeper 4, Tools 1.
  auto* d1 = static_cast<TDiskRec*>(OpenCatalog(tree, path)->Child(0)->Record);
  std::vector<std::size_t> levels = LevelBytes(bytes, d1);
  ASSERT_EQ(levels.size(), 5u);
  std::string expected;
  for (std::size_t at : levels) expected += char('0' + bytes[at]);
  ASSERT_EQ(expected, "12341");
  struct {
    std::size_t record;
    uint8_t level;
  } cases[] = {
      {0, 0},  // the first folder at level 0 would hide the whole disk
      {4, 0},  // a later one at level 0
      {0, 2},  // the first folder deeper than the disk's root level
      {2, 4},  // a jump of two below Doom would hide Deep and Deeper
      {3, 6},
      {4, 6},  // Tools two below Deeper
      {2, 255},
  };
  std::string bad = dir.File("levels.ctf");
  for (const auto& c : cases) {
    std::string b = bytes;
    b[levels[c.record]] = char(c.level);
    WriteBytes(bad, b);
    EXPECT_EQ(OpenAll(bad), "Internal catalog structure error detected.")
        << "record " << c.record << " at level " << int(c.level);
  }
  // Levels that may follow: a sibling of any ancestor, or one deeper.
  std::string b = bytes;
  b[levels[3]] = 2;  // Deeper beside Deep
  WriteBytes(bad, b);
  EXPECT_EQ(OpenAll(bad), "");
}

TEST_F(Damage, SaveOfADamagedListFailsWithoutHarm) {
  // A changed disk is written anew; its unread lists are copied raw and cannot be checked,
  // but a list that lies beyond the file makes the save fail, not write a broken file.
  TNode* cat = OpenCatalog(tree, path);
  auto* d1 = static_cast<TDiskRec*>(cat->Child(0)->Record);
  SetDiskChanged(cat->Child(0), true);
  d1->BlockOffset = int64_t(bytes.size()) - 10;  // as if the file had shrunk under us
  std::string target = dir.File("out.ctf");
  EXPECT_THROW(WriteCatalogFile(cat, target, NoProgress()), EInvalidCatalog);
  EXPECT_FALSE(std::filesystem::exists(target));
}

}  // namespace
}  // namespace tf::test

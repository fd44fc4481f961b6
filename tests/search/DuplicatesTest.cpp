// The duplicates scan: against the straightforward scan on random catalogs, and its edge cases.

#include <gtest/gtest.h>

#include "SearchFixtures.h"
#include "store/LoadSave.h"

namespace tf::test {
namespace {

struct TScan {
  TCatalogTree tree;
  TResultList results{TListKind::Search};
  TResultList dups{TListKind::Duplicates};
  TRecordingHost host;
  TDirectMainThread main;
  TSearchEngine engine{results, dups, host, main};
  TScan() {
    tree.SetList(TListKind::Search, &results);
    tree.SetList(TListKind::Duplicates, &dups);
  }
  explicit TScan(const std::string& path) : TScan() {
    tree.AppendChild(tree.Root(), ReadCatalogFile(path));
  }
  ~TScan() {
    tree.SetList(TListKind::Search, nullptr);
    tree.SetList(TListKind::Duplicates, nullptr);
  }
  void Run(TDuplicatesCriteria d = {}, TSearchFor searchFor = TSearchFor::FilesAndFolders,
           TSearchOptions options = {}) {
    engine.RunDuplicates(d, searchFor, CollectScope(tree, searchFor), options);
  }
  // The groups, one line each, members joined by " + ".
  std::vector<std::string> Groups() const {
    std::vector<std::string> out;
    for (int i = 0; i < dups.Count(); ++i) {
      std::string k = Key(dups.At(i));
      if (i > 0 && dups.Group(i) == dups.Group(i - 1))
        out.back() += " + " + k;
      else
        out.push_back(k);
    }
    return out;
  }
  std::vector<int> GroupSizes() const {
    std::vector<int> sizes;
    for (int i = 0; i < dups.Count(); ++i) {
      if (i > 0 && dups.Group(i) == dups.Group(i - 1))
        ++sizes.back();
      else
        sizes.push_back(1);
    }
    return sizes;
  }
};

TEST(Duplicates, TheScanFindsWhatTheStraightforwardScanFinds) {
  TTempDir dir;
  int groups = 0;
  for (uint32_t seed = 1; seed <= 30; ++seed) {
    std::mt19937 rng(seed * 7919);
    std::string path = dir.File("d" + std::to_string(seed) + ".ctf");
    {
      TCatalogTree build;
      WriteCatalogFile(BuildRandomCatalog(build, rng, {3, 14, 10}), path, NoProgress());
    }
    for (int round = 0; round < 4; ++round) {
      TDuplicatesCriteria d{rng() % 2 == 0, rng() % 2 == 0, rng() % 4 == 0, rng() % 4 == 0,
                            rng() % 2 == 0};
      if (!d.Any()) d.Size = true;
      auto searchFor = TSearchFor(rng() % 3);
      bool archivesAsFiles = rng() % 2;
      TScan fast(path), plain(path), ref(path);
      if (round == 3) {
        // Some lists loaded before the scan, the same on every side.
        for (TScan* s : {&fast, &plain, &ref}) LoadAll(s->tree.Catalog(0)->Child(1));
      }
      TReferenceSearch reference(ref.dups);
      // The second scan of each side adds only groups of items not listed yet.
      for (int run = 0; run < 2; ++run) {
        reference.RunDuplicates(ref.tree, d, searchFor, archivesAsFiles);
        fast.Run(d, searchFor, {archivesAsFiles, true});
        plain.Run(d, searchFor, {archivesAsFiles, false});
      }
      SCOPED_TRACE("seed " + std::to_string(seed) + " round " + std::to_string(round));
      ASSERT_EQ(Keys(fast.dups), Keys(ref.dups));
      ASSERT_EQ(Keys(plain.dups), Keys(ref.dups));
      EXPECT_EQ(fast.GroupSizes(), reference.GroupSizes);
      EXPECT_EQ(fast.host.Shown, reference.Shown);
      EXPECT_EQ(CheckTree(fast.tree), "");
      groups += int(reference.GroupSizes.size());
    }
  }
  EXPECT_GT(groups, 200);
}

class DuplicatesOnDisk : public ::testing::Test {
 protected:
  TNode* Disk(const std::string& name) {
    if (!cat) cat = AddCatalog(build, "C");
    return AddDisk(cat, name);
  }
  TScan& Open() {
    std::string path = dir.File("c.ctf");
    WriteCatalogFile(cat, path, NoProgress());
    scan = std::make_unique<TScan>(path);
    return *scan;
  }
  TTempDir dir;
  TCatalogTree build;
  TNode* cat = nullptr;
  std::unique_ptr<TScan> scan;
};

TEST_F(DuplicatesOnDisk, EqualFilesOnTwoDisksAreAGroupAlsoAtTheirBucketsEnd) {
  TNode* d1 = Disk("D1");
  AddFile(d1, "AAA.TXT", 5);
  AddFile(d1, "README.TXT", 100);
  AddFile(d1, "readme.txt", 100);  // another name, and another bucket
  TNode* d2 = Disk("D2");
  AddFile(d2, "README.TXT", 100);
  AddFile(d2, "ZZZ", 100);
  AddFile(d2, "RZ", 7);
  TScan& s = Open();
  s.Run();
  // R's bucket sorted by size: RZ (7), then the two README.TXT (100) at its end.
  EXPECT_EQ(s.Groups(), (std::vector<std::string>{
                            "F|D1|\\|README.TXT + F|D2|\\|README.TXT"}));
  // Only size chosen: README.TXT and ZZZ are of one size but lie in different buckets.
  s.dups.Clear();
  s.Run({false, true, false, false, true});
  EXPECT_EQ(s.Groups(), (std::vector<std::string>{
                            "F|D1|\\|README.TXT + F|D2|\\|README.TXT"}));
  // Only lists with a group member were turned into records.
  EXPECT_TRUE(FilesLoaded(s.tree.Catalog(0)->Child(0)->Record));
  s.dups.Clear();
  UnloadFiles(s.tree.Catalog(0)->Child(0));
  UnloadFiles(s.tree.Catalog(0)->Child(1));
  // Date and attributes only: every file is alike, but only within its bucket.
  s.Run({false, false, true, true, true});
  EXPECT_EQ(s.GroupSizes(), (std::vector<int>{3}));  // RZ, README.TXT, README.TXT
}

TEST_F(DuplicatesOnDisk, FoldersOfOneNameArePairedWhenNothingLiesBetweenThem) {
  TNode* d1 = Disk("D1");
  AddFolder(d1, "Temp", 10);
  AddFolder(d1, "Tools", 10);
  TNode* d2 = Disk("D2");
  AddFolder(d2, "Temp", 99);
  TNode* d3 = Disk("D3");
  AddFolder(d3, "Temp", 99);
  TScan& s = Open();
  s.Run({true, false, false, false, true});
  // Plain folders are equal by size, so the T bucket keeps the walk's order: Temp, Tools,
  // Temp, Temp. Tools closes the first run.
  EXPECT_EQ(s.Groups(), (std::vector<std::string>{"D|D2|\\|Temp + D|D3|\\|Temp"}));
}

TEST_F(DuplicatesOnDisk, ArchiveContentsAreLeftOutButCounted) {
  TNode* d1 = Disk("D1");
  TNode* zip = AddFolder(d1, "PACK.ZIP", 50);
  SetFlag(zip->Record, InArchive, true);
  AddFile(zip, "INNER.TXT", 5);
  AddFile(zip, "OTHER.TXT", 6);
  AddFile(d1, "INNER.TXT", 5);
  static_cast<TDiskRec*>(d1->Record)->TotalFiles = 1;
  static_cast<TDiskRec*>(d1->Record)->ArchiveFiles = 2;
  static_cast<TDiskRec*>(d1->Record)->TotalFolders = 1;
  TScan& s = Open();
  s.Run();
  EXPECT_TRUE(s.dups.Items().empty());
  EXPECT_FALSE(FilesLoaded(s.tree.Catalog(0)->Child(0)->Child(0)->Record));
  // The archive's entries count as examined at once: the disk's file, the archive, its two.
  s.host.Shown.clear();
  s.Run({true, true, false, false, true});
  ASSERT_FALSE(s.host.Shown.empty());
  EXPECT_EQ(s.host.Shown.front().Checked, 4);
  EXPECT_TRUE(s.host.Shown.front().Collecting);
  s.Run({true, true, false, false, false});
  EXPECT_EQ(s.Groups(),
            (std::vector<std::string>{"F|D1|\\|INNER.TXT + F|D1|\\PACK.ZIP|INNER.TXT"}));
}

}  // namespace
}  // namespace tf::test

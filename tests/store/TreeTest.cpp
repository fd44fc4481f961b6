// Records and the tree: flags, paths, change marks, deleting nodes and the windows' lists.

#include <gtest/gtest.h>

#include "StoreFixtures.h"

namespace tf::test {
namespace {

TEST(Records, HasFlagComparesKindBelowEightAndBitsAbove) {
  TFolderRec folder;
  SetFlag(&folder, InArchive, true);
  EXPECT_TRUE(HasFlag(&folder, ikFolder));
  EXPECT_FALSE(HasFlag(&folder, ikFile));
  EXPECT_FALSE(HasFlag(&folder, ikDisk));  // 3 shares a bit with 2 but is another kind
  EXPECT_TRUE(HasFlag(&folder, InArchive | FileBlock));
  EXPECT_FALSE(HasFlag(&folder, FileBlock));
  SetFlag(&folder, ikDisk, true);  // replaces the kind, keeps the flags
  EXPECT_EQ(folder.KindFlags, ikDisk | InArchive);
  SetFlag(&folder, ikFolder, true);
  SetFlag(&folder, InArchive, false);
  EXPECT_EQ(folder.KindFlags, ikFolder);
}

TEST(Records, DiskBytesAreExactUnsignedByteCounts) {
  constexpr uint64_t Max = UINT64_MAX;
  struct {
    int32_t sector, perCluster, total, free;
    uint64_t capacity, freeBytes, used;
  } cases[] = {
      // 3.2768 GB: past 32 bits.
      {512, 64, 100000, 25000, 3276800000u, 819200000u, 2457600000u},
      // An 8 PiB volume in 4 MiB clusters: far past the fixed point's 0.8 PiB.
      {512, 8192, 2147483647, 1073741824,
       uint64_t(2147483647) * 4194304, uint64_t(1073741824) * 4194304,
       uint64_t(2147483647 - 1073741824) * 4194304},
      // Past 2^63 bytes: unsigned, no overflow.
      {65536, 131072, 2147483647, 0, uint64_t(2147483647) << 33, 0, uint64_t(2147483647) << 33},
      // Larger than 64 bits: the count stays at its largest value.
      {2147483647, 2147483647, 2147483647, 2147483647, Max, Max, 0},
      // A damaged catalog: negative counts are none; more free than total is no use.
      {-512, 8, 1000, 10, 0, 0, 0},
      {512, 8, -1000, 10, 0, 40960, 0},
      {512, 8, 1000, 2000, 4096000, 8192000, 0},
  };
  for (const auto& c : cases) {
    TDiskRec disk;
    disk.BytesPerSector = c.sector;
    disk.SectorsPerCluster = c.perCluster;
    disk.TotalClusters = c.total;
    disk.FreeClusters = c.free;
    EXPECT_EQ(DiskBytes(&disk, 0), c.capacity) << c.total;
    EXPECT_EQ(DiskBytes(&disk, 1), c.freeBytes) << c.total;
    EXPECT_EQ(DiskBytes(&disk, 2), c.used) << c.total;
    EXPECT_EQ(DiskBytes(&disk, 7), c.capacity) << c.total;
  }
}

class Tree : public ::testing::Test {
 protected:
  TCatalogTree tree;
  TNode* cat = BuildSampleCatalog(tree);
};

TEST_F(Tree, FolderPathsAreCachedPerFolder) {
  TNode* d1 = cat->Child(0);
  TNode* doom = d1->Child(0)->Child(0);
  EXPECT_EQ(GetFolderPath(d1), "\\");
  EXPECT_EQ(GetFolderPath(cat), "");
  EXPECT_EQ(GetFolderPath(doom), "\\Games\\Doom");
  doom->Parent->Caption = "Renamed";
  EXPECT_EQ(GetFolderPath(doom), "\\Games\\Doom");  // the cache answers
  ClearPathCaches(d1);
  EXPECT_EQ(GetFolderPath(doom), "\\Renamed\\Doom");
}

TEST_F(Tree, WhileASearchRunsChildrenAreReorderedOnlyWhenItHasEnded) {
  // The search thread walks the children lists without a lock.
  TNode* d1 = cat->Child(0);
  TNode* d3 = AddDisk(cat, "Shareware 3");
  AddFolder(d3, "A");
  AddFolder(d3, "B");
  auto names = [](TNode* n) {
    std::vector<std::string> v;
    for (int i = 0; i < n->ChildCount(); ++i) {
      EXPECT_EQ(n->Child(i)->Row, i);
      v.push_back(n->Child(i)->Caption);
    }
    return v;
  };
  auto byName = [](bool descending) {
    return [descending](const TNode* a, const TNode* b) {
      return descending ? a->Caption > b->Caption : a->Caption < b->Caption;
    };
  };
  tree.SearchRunning = true;
  EXPECT_FALSE(tree.SortChildren(d1, byName(false)));
  EXPECT_FALSE(tree.SortChildren(d1, byName(true)));  // the last order asked for wins
  EXPECT_FALSE(tree.SortChildren(d3, byName(true)));
  EXPECT_FALSE(tree.SortChildren(cat, byName(true)));
  tree.RunDeferredSorts();  // the run goes on: nothing yet
  EXPECT_EQ(names(d1), (std::vector<std::string>{"Games", "Tools"}));
  EXPECT_EQ(names(cat), (std::vector<std::string>{"Shareware 1", "Shareware 2", "Shareware 3"}));
  DeleteItemNode(d3);  // its order goes with it
  tree.SearchRunning = false;
  tree.RunDeferredSorts();
  EXPECT_EQ(names(d1), (std::vector<std::string>{"Tools", "Games"}));
  EXPECT_EQ(names(cat), (std::vector<std::string>{"Shareware 2", "Shareware 1"}));
  EXPECT_TRUE(tree.SortChildren(cat, byName(false)));
  EXPECT_EQ(names(cat), (std::vector<std::string>{"Shareware 1", "Shareware 2"}));
}

struct TModifiedObserver : TTreeObserver {
  int Calls = 0;
  void CatalogModifiedChanged(TNode*) override { ++Calls; }
};

TEST_F(Tree, ChangingAnItemMarksDiskAndCatalog) {
  TModifiedObserver obs;
  tree.AddObserver(&obs);
  auto* d1 = static_cast<TDiskRec*>(cat->Child(0)->Record);
  auto* d2 = static_cast<TDiskRec*>(cat->Child(1)->Record);
  d1->Changed = d2->Changed = 0;
  SetDiskChanged(cat->Child(0)->Child(0)->Child(0), true);
  EXPECT_EQ(d1->Changed, 1);
  EXPECT_EQ(d2->Changed, 0);
  EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->Modified, 1);
  EXPECT_EQ(obs.Calls, 1);
  SetCatalogModified(cat, false);
  EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->Modified, 0);
  EXPECT_EQ(obs.Calls, 2);
  tree.RemoveObserver(&obs);
}

struct TListObserver : TTreeObserver {
  int Clears = 0;
  void ItemListMustClear() override { ++Clears; }
};

TEST_F(Tree, DeletingAFolderEmptiesItsEntriesInEveryList) {
  TRecordVector results(TListKind::Search), user(TListKind::UserList),
      dups(TListKind::Duplicates);
  tree.SetList(TListKind::Search, &results);
  tree.SetList(TListKind::UserList, &user);
  tree.SetList(TListKind::Duplicates, &dups);
  TNode* games = cat->Child(0)->Child(0);
  TNode* tools = cat->Child(0)->Child(1);
  TFileRec* doomExe = FirstFile(games->Record);
  TFileRec* save1 = FirstFile(games->Child(0)->Record);
  TFileRec* pkzip = FirstFile(tools->Record);
  results.Add(doomExe);
  results.Add(pkzip);
  results.Add(save1);
  user.Add(cat->Child(0)->Record);
  user.Add(games->Record);
  user.Add(pkzip);
  dups.Add(save1);
  dups.Add(pkzip);

  tree.Select(games->Child(0));
  TListObserver obs;
  tree.AddObserver(&obs);
  DeleteItemNode(games);
  tree.RemoveObserver(&obs);

  EXPECT_EQ(obs.Clears, 1);
  EXPECT_EQ(tree.Selected(), tools);  // the next sibling
  EXPECT_EQ(results.Items(), (std::vector<TItemRec*>{pkzip}));
  EXPECT_EQ(user.Items(), (std::vector<TItemRec*>{cat->Child(0)->Record, pkzip}));
  EXPECT_EQ(dups.Items(), (std::vector<TItemRec*>{pkzip}));
  EXPECT_EQ(pkzip->SearchIndex, 0);
  EXPECT_EQ(pkzip->UserListIndex, 1);
  EXPECT_EQ(pkzip->DuplicatesIndex, 0);
  EXPECT_EQ(CheckTree(tree), "");
  ASSERT_EQ(cat->Child(0)->ChildCount(), 1);
  tree.SetList(TListKind::Search, nullptr);
  tree.SetList(TListKind::UserList, nullptr);
  tree.SetList(TListKind::Duplicates, nullptr);
}

TEST_F(Tree, SelectionFallsBackToTheParent) {
  TNode* d1 = cat->Child(0);
  TNode* tools = d1->Child(1);
  tree.Select(tools);
  DeleteItemNode(tools);
  EXPECT_EQ(tree.Selected(), d1);
  // A selection elsewhere stays where it is.
  TNode* d2 = cat->Child(1);
  tree.Select(d2);
  DeleteItemNode(d1->Child(0));
  EXPECT_EQ(tree.Selected(), d2);
  DeleteItemNode(cat);
  EXPECT_EQ(tree.Selected(), nullptr);
  EXPECT_EQ(tree.CatalogCount(), 0);
}

// A list long enough that positions wrap: 40000 is stored as 7232 and found after one probe.
class TProbeCountingList : public TRecordVector {
 public:
  using TRecordVector::TRecordVector;
  mutable std::vector<int> Probes;
  TItemRec* At(int i) const override {
    Probes.push_back(i);
    return TRecordVector::At(i);
  }
};

TEST_F(Tree, ListPositionsWrapAt32768) {
  TProbeCountingList results(TListKind::Search);
  tree.SetList(TListKind::Search, &results);
  TNode* games = cat->Child(0)->Child(0);
  TFileRec* target = FirstFile(games->Record);
  std::vector<TFileRec*> others;
  for (int i = 0; i < 40000; ++i) {
    others.push_back(TFileRec::Create("other"));
    results.Add(others.back());
  }
  results.Add(target);
  EXPECT_EQ(target->SearchIndex, 7232);
  results.Probes.clear();
  DeleteItemNode(games);
  EXPECT_EQ(results.Probes, (std::vector<int>{7232, 40000}));
  EXPECT_EQ(results.Count(), 40000);
  EXPECT_EQ(CheckTree(tree), "");
  tree.SetList(TListKind::Search, nullptr);
  for (TFileRec* f : others) TFileRec::Destroy(f);
}

TEST_F(Tree, DeletingACatalogClosesItsFile) {
  TTempDir dir;
  std::string path = dir.File("a.ctf");
  WriteCatalogFile(cat, path, NoProgress());
  TNode* opened = OpenCatalog(tree, path);
  EXPECT_TRUE(static_cast<TCatalogRec*>(opened->Record)->Stream);
  DeleteItemNode(opened);
  EXPECT_EQ(tree.CatalogCount(), 1);
}

}  // namespace
}  // namespace tf::test

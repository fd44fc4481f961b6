// Filling the browser list for a tree node, the ".." entry, sorting and reversing, navigation,
// and the small rules of the window that need no window: command states, status panels,
// hint timing.

#include "browse/ItemList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browse/Format.h"
#include "browse/Sort.h"
#include "store/LoadSave.h"
#include "support/TestSupport.h"

namespace tf {
namespace {

using test::AddCatalog;
using test::AddDisk;
using test::AddFile;
using test::AddFolder;

struct TItemListFixture : ::testing::Test {
  TCatalogTree tree;
  TNode* cat = AddCatalog(tree, "Cat");
  TNode* disk = AddDisk(cat, "Disk One");
  TNode* games = AddFolder(disk, "Games");
  TNode* doom = AddFolder(games, "Doom");
  TNode* empty = AddFolder(disk, "Empty");
  TItemList list;

  void SetUp() override {
    AddFile(disk, "root.txt", 10);
    AddFile(games, "b.exe", 300);
    AddFile(games, "a.txt", 100);
    AddFolder(games, "Arcade");
    static_cast<TFolderRec*>(games->Record)->ModifiedTime =
        EncodeDosDateTime({2000, 1, 2, 3, 4, 6});
  }

  std::vector<std::string> Rows() const {
    std::vector<std::string> out;
    for (TItemRec* r : list.Items()) {
      if (KindOf(r) == ikFile)
        out.emplace_back(static_cast<TFileRec*>(r)->Name());
      else
        out.push_back(r->Node->Caption);
    }
    return out;
  }
  void Show(TNode* node, bool showBack = true) {
    tree.Select(node);
    list.Load(node, showBack);
    list.Sort(true, node);
  }
};

using RowNames = std::vector<std::string>;

TEST_F(TItemListFixture, CatalogListsItsDisksWithDiskColumns) {
  AddDisk(cat, "Another");
  list.DiskSortKey = SortDisksByName;
  Show(cat);
  EXPECT_EQ(list.Columns(), TColumnSet::Disks);
  EXPECT_EQ(Rows(), (RowNames{"Another", "Disk One"}));
  EXPECT_EQ(ColumnsOf(TColumnSet::Disks).size(), 6u);
  EXPECT_STREQ(ColumnsOf(TColumnSet::Disks)[4].Title, "Last Updated");
}

TEST_F(TItemListFixture, DiskRootShowsNoBackEntry) {
  list.FileSortKey = SortByName;
  Show(disk);
  EXPECT_EQ(list.Columns(), TColumnSet::Files);
  EXPECT_EQ(Rows(), (RowNames{"Empty", "Games", "root.txt"}));
  EXPECT_EQ(ColumnsOf(TColumnSet::Files).size(), 7u);
}

TEST_F(TItemListFixture, FolderShowsBackEntryFirstWithItsDescription) {
  list.FileSortKey = SortByName;
  Show(games);
  EXPECT_EQ(Rows(), (RowNames{"..", "Arcade", "Doom", "a.txt", "b.exe"}));
  auto* back = static_cast<TFolderRec*>(list.BackEntry());
  EXPECT_EQ(back->Description.Str(), "Back to root of Disk One");
  EXPECT_EQ(back->ModifiedTime, EncodeDosDateTime({2000, 1, 2, 3, 4, 6}));
  Show(doom);
  EXPECT_EQ(Rows(), (RowNames{".."}));
  EXPECT_EQ(back->Description.Str(), "Back to Games (folder)");
  EXPECT_EQ(back->ModifiedTime, 0u);
}

TEST_F(TItemListFixture, EmptyFolderShowsOnlyBackEntryOrNothing) {
  Show(empty, true);
  EXPECT_EQ(Rows(), (RowNames{".."}));
  EXPECT_TRUE(BrowseCommandState(list, empty).HasItems);
  Show(empty, false);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(BrowseCommandState(list, empty).HasItems);
}

TEST_F(TItemListFixture, ReversingTurnsEverythingRoundUntilTheNextFullSort) {
  list.FileSortKey = SortByName;
  Show(games);
  list.ReverseOrder = true;
  list.Sort(false, games);
  EXPECT_EQ(Rows(), (RowNames{"b.exe", "a.txt", "Doom", "Arcade", ".."}));
  // Another folder is sorted in full: ".." first, descending inside folders and files.
  AddFolder(doom, "Zeta");
  AddFolder(doom, "Alpha");
  AddFile(doom, "x.txt");
  AddFile(doom, "y.txt");
  Show(doom);
  EXPECT_EQ(Rows(), (RowNames{"..", "Zeta", "Alpha", "y.txt", "x.txt"}));
}

TEST_F(TItemListFixture, ReversingTwiceGivesBackTheOrder) {
  list.FileSortKey = SortBySize;
  Show(games);
  RowNames before = Rows();
  list.ReverseOrder = !list.ReverseOrder;
  list.Sort(false, games);
  list.ReverseOrder = !list.ReverseOrder;
  list.Sort(false, games);
  EXPECT_EQ(Rows(), before);
}

TEST_F(TItemListFixture, EqualSizesKeepChainOrderThenReverse) {
  TNode* f = AddFolder(disk, "Same");
  AddFile(f, "first", 7);
  AddFile(f, "second", 7);
  AddFile(f, "third", 7);
  list.FileSortKey = SortBySize;
  Show(f, false);
  EXPECT_EQ(Rows(), (RowNames{"first", "second", "third"}));
  list.ReverseOrder = true;
  list.Sort(false, f);
  EXPECT_EQ(Rows(), (RowNames{"third", "second", "first"}));
}

TEST_F(TItemListFixture, SortingAlsoOrdersTheTreeChildren) {
  list.FileSortKey = SortByName;
  Show(games);
  EXPECT_EQ(games->Child(0)->Caption, "Arcade");
  list.ReverseOrder = true;
  list.Sort(false, games);
  EXPECT_EQ(games->Child(0)->Caption, "Doom");
  EXPECT_EQ(test::CheckTree(tree), "");
}

TEST_F(TItemListFixture, ShowBackSettingAddsAndRemovesTheEntry) {
  list.FileSortKey = SortByName;
  Show(games, false);
  EXPECT_EQ(Rows(), (RowNames{"Arcade", "Doom", "a.txt", "b.exe"}));
  EXPECT_TRUE(list.SetShowBackEntry(true, games));
  EXPECT_EQ(Rows(), (RowNames{"..", "Arcade", "Doom", "a.txt", "b.exe"}));
  EXPECT_EQ(static_cast<TFolderRec*>(list.BackEntry())->Description.Str(),
            "Back to root of Disk One");
  EXPECT_FALSE(list.SetShowBackEntry(true, games));
  EXPECT_TRUE(list.SetShowBackEntry(false, games));
  EXPECT_EQ(Rows(), (RowNames{"Arcade", "Doom", "a.txt", "b.exe"}));
  // Outside a folder only the setting follows.
  Show(disk, false);
  EXPECT_FALSE(list.SetShowBackEntry(true, disk));
  EXPECT_TRUE(list.ShowBackEntry());
  EXPECT_EQ(list.RowOf(list.BackEntry()), -1);
}

TEST_F(TItemListFixture, NavigationLeadsToTheRowsOwnNode) {
  list.FileSortKey = SortByName;
  Show(games);
  EXPECT_EQ(list.NavigateTarget(0), disk);   // ".."
  EXPECT_EQ(list.NavigateTarget(2), doom);   // a folder
  EXPECT_EQ(list.NavigateTarget(3), nullptr);  // a file
  EXPECT_EQ(list.NavigateTarget(99), nullptr);
  EXPECT_EQ(list.NavigateTarget(-1), nullptr);
  Show(cat);
  EXPECT_EQ(list.NavigateTarget(0), disk);
}

TEST_F(TItemListFixture, SameNamedFoldersLeadToTheirOwnNodes) {
  // Archives may hold two entries of one name; each row leads to its own folder.
  TNode* first = AddFolder(empty, "Twin");
  TNode* second = AddFolder(empty, "Twin");
  AddFile(second, "inside.txt");
  Show(empty, false);
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list.NavigateTarget(0), first);
  EXPECT_EQ(list.NavigateTarget(1), second);
}

TEST_F(TItemListFixture, NothingSelectedIsAnEmptyList) {
  Show(cat);
  list.Load(nullptr, true);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Shown(), nullptr);
  EXPECT_EQ(list.Columns(), TColumnSet::Disks);  // the columns stay
}

TEST_F(TItemListFixture, FilesAreReadFromTheCatalogFileWhenFirstListed) {
  test::TTempDir dir;
  std::string path = dir.File("c.ctf");
  WriteCatalogFile(cat, path, NoProgress());
  TCatalogTree other;
  TNode* read = other.AppendChild(other.Root(), ReadCatalogFile(path));
  TNode* g = read->Child(0)->Child(0);
  ASSERT_EQ(g->Caption, "Games");
  EXPECT_FALSE(FilesLoaded(g->Record));
  list.FileSortKey = SortByName;
  other.Select(g);
  LoadSubfolders(g);
  list.Load(g, true);
  list.Sort(true, g);
  EXPECT_TRUE(FilesLoaded(g->Record));
  EXPECT_EQ(Rows(), (RowNames{"..", "Arcade", "Doom", "a.txt", "b.exe"}));
}

TEST_F(TItemListFixture, DamagedFileListLeavesTheFoldersListed) {
  test::TTempDir dir;
  std::string path = dir.File("c.ctf");
  WriteCatalogFile(cat, path, NoProgress());
  TCatalogTree other;
  TNode* read = other.AppendChild(other.Root(), ReadCatalogFile(path));
  TNode* g = read->Child(0)->Child(0);
  LoadSubfolders(g);
  // A file list that claims to run past its disk's block.
  static_cast<TFolderRec*>(g->Record)->FilesLength = 1 << 30;
  EXPECT_THROW(list.Load(g, true), EInvalidCatalog);
  EXPECT_EQ(list.Count(), 3);  // "..", Doom, Arcade
}

TEST_F(TItemListFixture, SortKeyFollowsTheSelectedKind) {
  list.FileSortKey = 3;
  list.DiskSortKey = 2;
  EXPECT_EQ(list.CurrentKey(nullptr), 0);
  EXPECT_EQ(list.CurrentKey(cat), 2);
  EXPECT_EQ(list.CurrentKey(games), 3);
  list.SetCurrentKey(cat, 4);
  list.SetCurrentKey(disk, 5);
  list.SetCurrentKey(nullptr, 1);
  EXPECT_EQ(list.DiskSortKey, 4);
  EXPECT_EQ(list.FileSortKey, 5);
  list.SetCurrentKey(cat, 99);
  EXPECT_EQ(list.DiskSortKey, DiskSortKeyCount - 1);
}

TEST_F(TItemListFixture, CommandStates) {
  TBrowseCommandState s = BrowseCommandState(list, nullptr);
  EXPECT_FALSE(s.HasItems);
  EXPECT_FALSE(s.BackEnabled);
  EXPECT_TRUE(s.DiskButtonHints);
  Show(cat);
  s = BrowseCommandState(list, cat);
  EXPECT_TRUE(s.HasItems);
  EXPECT_FALSE(s.BackEnabled);  // a catalog has no parent in the tree
  EXPECT_TRUE(s.DiskSortGroup);
  EXPECT_EQ(s.Key, 1);
  EXPECT_EQ(s.DownButton, 1);
  list.FileSortKey = SortByTime;
  list.ReverseOrder = true;
  Show(games);
  s = BrowseCommandState(list, games);
  EXPECT_TRUE(s.BackEnabled);
  EXPECT_FALSE(s.DiskSortGroup);
  EXPECT_FALSE(s.DiskButtonHints);
  EXPECT_EQ(s.Key, SortByTime);
  EXPECT_EQ(s.DownButton, -1);  // keys 4 and above have no button
  EXPECT_TRUE(s.Reverse);
}

TEST(StatusBar, PanelWidthsShareWhatIsLeft) {
  TStatusWidths w = StatusPanelWidths(1000);  // 1000 - 75 - 33 - 6 = 886
  EXPECT_EQ(w.Panel1, 620);
  EXPECT_EQ(w.Panel2, 266);
  w = StatusPanelWidths(50);
  EXPECT_EQ(w.Panel1, 0);
  EXPECT_EQ(w.Panel2, 0);
}

TEST(StatusBar, CatalogState) {
  TCatalogTree tree;
  TNode* cat = AddCatalog(tree, "C");
  TNode* disk = AddDisk(cat, "D");
  EXPECT_EQ(CatalogStateText(nullptr), "Empty");
  EXPECT_EQ(CatalogStateText(disk), "Loaded");
  SetDiskChanged(disk, true);
  EXPECT_EQ(CatalogStateText(cat), "Modified");
}

TEST(Hints, TimingOverDescriptionControlsAndElsewhere) {
  EXPECT_EQ(HintTimingFor(true, 12, 5), (THintTiming{1200, 804, 5000}));
  EXPECT_EQ(HintTimingFor(true, 0, 0), (THintTiming{0, 0, 0}));
  EXPECT_EQ(HintTimingFor(true, 3, 15), (THintTiming{300, 201, 15000}));
  EXPECT_EQ(HintTimingFor(true, 1, 1), (THintTiming{100, 67, 1000}));
  EXPECT_EQ(HintTimingFor(false, 12, 5), (THintTiming{800, 50, 2500}));
}

TEST(Hints, OnlyRecordsWithDescriptions) {
  TCatalogTree tree;
  TNode* disk = AddDisk(AddCatalog(tree, "C"), "D");
  TFileRec* plain = AddFile(disk, "plain");
  EXPECT_EQ(DescriptionHintFor(plain), "");
  EXPECT_EQ(DescriptionHintFor(nullptr), "");
  std::string twenty;
  for (int i = 1; i <= 20; ++i) twenty += "Line " + std::to_string(i) + "\r\n";
  TFileRec* described = AddFile(disk, "described", 0, twenty);
  std::string hint = DescriptionHintFor(described);
  EXPECT_EQ(std::count(hint.begin(), hint.end(), '\n'), 15);
  EXPECT_TRUE(hint.ends_with("Line 15\n(more...)"));
  static_cast<TDiskRec*>(disk->Record)->Description.Assign("Disk text");
  EXPECT_EQ(DescriptionHintFor(disk->Record), "Disk text");
}

}  // namespace
}  // namespace tf

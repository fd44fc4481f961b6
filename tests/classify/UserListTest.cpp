// The user list: adding once, removing and renumbering, records leaving with their catalog or
// disk, sorting by column, the actions' states, and the rule that keeps a container's files in
// memory while a search walks it.

#include <gtest/gtest.h>

#include "classify/UserList.h"
#include "support/TestSupport.h"

namespace tf::test {
namespace {

class UserList : public ::testing::Test {
 protected:
  void SetUp() override {
    cat = AddCatalog(tree, "Cat");
    disk = AddDisk(cat, "Disk");
    folder = AddFolder(disk, "Folder", 70000);
    for (int i = 0; i < 5; ++i) files.push_back(AddFile(folder, "f" + std::to_string(i), uint32_t(10 * (5 - i))));
  }
  void TearDown() override { EXPECT_EQ(CheckTree(tree), ""); }
  std::vector<std::string> Names() {
    std::vector<std::string> out;
    for (TItemRec* r : list.Items()) {
      if (!r) {
        out.push_back("-");
        continue;
      }
      out.push_back(KindOf(r) == ikFile ? std::string(static_cast<TFileRec*>(r)->Name())
                                         : r->Node->Caption);
    }
    return out;
  }

  TCatalogTree tree;
  TUserList list{tree};
  TNode* cat;
  TNode* disk;
  TNode* folder;
  std::vector<TFileRec*> files;
};

TEST_F(UserList, AnItemIsListedOnce) {
  EXPECT_EQ(tree.List(TListKind::UserList), &list);
  EXPECT_TRUE(list.Add(files[2]));
  EXPECT_FALSE(list.Add(files[2]));
  EXPECT_TRUE(list.Add(folder->Record));
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(files[2]->UserListIndex, 0);
  EXPECT_EQ(folder->Record->UserListIndex, 1);
  EXPECT_EQ(files[0]->UserListIndex, -1);
}

TEST_F(UserList, RemovingRenumbersTheRest) {
  for (TFileRec* f : files) list.Add(f);
  std::vector<int> rows = {3, 1};  // items 2 and 4 of five
  list.Remove(rows);
  EXPECT_EQ(Names(), (std::vector<std::string>{"f0", "f2", "f4"}));
  EXPECT_EQ(files[0]->UserListIndex, 0);
  EXPECT_EQ(files[2]->UserListIndex, 1);
  EXPECT_EQ(files[4]->UserListIndex, 2);
  EXPECT_EQ(files[1]->UserListIndex, -1);
  EXPECT_EQ(files[3]->UserListIndex, -1);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(files[4]->UserListIndex, -1);
}

TEST_F(UserList, ItemsLeaveWithTheirCatalogOrDisk) {
  TNode* other = AddCatalog(tree, "Other");
  TNode* otherDisk = AddDisk(other, "D2");
  TFileRec* keep1 = AddFile(otherDisk, "keep1");
  TFileRec* keep2 = AddFile(otherDisk, "keep2");
  TNode* gone = AddDisk(cat, "Gone");
  TFileRec* goneFile = AddFile(gone, "g");
  list.Add(keep1);
  list.Add(files[0]);
  list.Add(goneFile);
  list.Add(gone->Record);
  list.Add(keep2);
  list.Add(other->Record);
  list.Add(folder->Record);
  int packed = 0;
  list.OnPacked = [&] { ++packed; };

  DeleteItemNode(gone);  // a disk deleted
  EXPECT_EQ(Names(), (std::vector<std::string>{"keep1", "f0", "keep2", "Other", "Folder"}));
  EXPECT_EQ(packed, 1);
  EXPECT_EQ(CheckTree(tree), "");

  DeleteItemNode(cat);  // a catalog closed
  EXPECT_EQ(Names(), (std::vector<std::string>{"keep1", "keep2", "Other"}));
  EXPECT_EQ(keep2->UserListIndex, 1);
  EXPECT_EQ(packed, 2);
}

TEST_F(UserList, SortingByColumn) {
  TNode* cd = AddDisk(cat, "CD");
  static_cast<TDiskRec*>(cd->Record)->TotalClusters = 5000;  // larger than Disk's 1000
  for (TFileRec* f : files) list.Add(f);
  list.Add(cd->Record);
  list.Add(disk->Record);
  list.ColumnClick(2, true);  // "Item Size": files by size, disks by capacity
  EXPECT_EQ(Names(), (std::vector<std::string>{"Disk", "CD", "f4", "f3", "f2", "f1", "f0"}));
  EXPECT_EQ(list.SortColumn(), 2);
  EXPECT_FALSE(list.Descending());
  list.ColumnClick(2, true);  // again: reversed in place
  EXPECT_EQ(Names(), (std::vector<std::string>{"f0", "f1", "f2", "f3", "f4", "CD", "Disk"}));
  EXPECT_TRUE(list.Descending());
  EXPECT_EQ(files[0]->UserListIndex, 0);
  list.ColumnClick(0, true);  // a new column: ascending
  EXPECT_EQ(Names(), (std::vector<std::string>{"CD", "Disk", "f0", "f1", "f2", "f3", "f4"}));
  // Additions are sorted in by the current column and direction.
  list.Add(AddFile(folder, "a"));
  list.Resort(true);
  EXPECT_EQ(Names()[2], "a");
}

TEST_F(UserList, EqualItemsKeepTheOrderTheyCameIn) {
  TFileRec* same1 = AddFile(folder, "x", 7);
  TFileRec* same2 = AddFile(folder, "y", 7);
  TFileRec* same3 = AddFile(folder, "w", 7);
  for (TFileRec* f : {same1, same2, same3}) list.Add(f);
  list.ColumnClick(2, true);
  EXPECT_EQ(Names(), (std::vector<std::string>{"x", "y", "w"}));
}

TEST_F(UserList, ColumnKeysDependOnTheFirstItemsKind) {
  std::vector<int> forFile, forDisk;
  for (int c = 0; c < UserListColumnCount; ++c) {
    forFile.push_back(TUserList::KeyFor(c, files[0]));
    forDisk.push_back(TUserList::KeyFor(c, disk->Record));
  }
  EXPECT_EQ(forFile, (std::vector<int>{0, 1, 2, 3, 7, 8, 9}));
  EXPECT_EQ(forDisk, (std::vector<int>{0, 255, 2, 4, 10, 1, 255}));
}

TEST_F(UserList, ActionStates) {
  TNode* arc = AddFolder(disk, "Pack.zip");
  SetFlag(arc->Record, InArchive, true);
  TFileRec* entry = AddFile(arc, "inside.txt");
  SetFlag(entry, InArchive, true);
  for (TItemRec* r : std::vector<TItemRec*>{files[0], folder->Record, arc->Record, entry,
                                            disk->Record, cat->Record})
    list.Add(r);
  struct TCase {
    int Focused;
    std::vector<TItemRec*> Selected;
    bool Explorer, Launch, SetCategory, Items;
  } cases[] = {
      {0, {files[0]}, true, true, true, true},
      {1, {folder->Record}, true, false, true, true},
      {2, {arc->Record}, true, true, true, true},
      {3, {entry}, false, false, false, true},
      {4, {disk->Record}, true, false, false, true},
      {4, {disk->Record, files[0]}, true, false, true, true},
      {5, {cat->Record, files[0]}, false, false, false, true},
      {-1, {}, false, false, false, false},
  };
  for (const TCase& c : cases) {
    TUserListActions a = UserListActionState(list, c.Focused, c.Selected);
    EXPECT_EQ(a.OpenInExplorer, c.Explorer) << c.Focused;
    EXPECT_EQ(a.Launch, c.Launch) << c.Focused;
    EXPECT_EQ(a.SetCategory, c.SetCategory) << c.Focused;
    EXPECT_EQ(a.ItemCommands, c.Items) << c.Focused;
    EXPECT_TRUE(a.ClearAndReport);
  }
  list.Clear();
  EXPECT_FALSE(UserListActionState(list, 0, {}).ClearAndReport);
  EXPECT_EQ(UserListTotalText(list), "Total items: 0");
}

TEST_F(UserList, DoubleClickAndDefaultEntryFollowTheSetting) {
  TNode* arc = AddFolder(disk, "Pack.zip");
  SetFlag(arc->Record, InArchive, true);
  using C = TUserListCommand;
  struct TCase {
    int Setting;
    TItemRec* Item;
    C DoubleClick, Default;
  } cases[] = {
      {0, files[0], C::None, C::None},
      {1, disk->Record, C::Properties, C::Properties},
      {2, files[0], C::Explorer, C::Explorer},
      {3, files[0], C::Launch, C::Launch},
      {3, arc->Record, C::Explorer, C::Launch},
      {3, folder->Record, C::Explorer, C::Explorer},
      {-1, files[0], C::Launch, C::Launch},  // never chosen: launch
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(UserListDoubleClick(c.Setting, c.Item), c.DoubleClick) << c.Setting;
    EXPECT_EQ(UserListDefaultEntry(c.Setting, c.Item), c.Default) << c.Setting;
  }
}

TEST_F(UserList, ADeepIndexIsFoundAfterWrapping) {
  // Positions are kept modulo 32768: the item at 40000 is found again when it is freed.
  TNode* big = AddFolder(disk, "Big");
  std::vector<TFileRec*> many;
  for (int i = 0; i < 40001; ++i) many.push_back(AddFile(big, "m"));
  TFileRec* keep = AddFile(folder, "keep");
  for (TFileRec* f : many) list.Add(f);
  list.Add(keep);
  EXPECT_EQ(many[40000]->UserListIndex, 7232);
  DeleteItemNode(big);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(keep->UserListIndex, 0);
}

}  // namespace
}  // namespace tf::test

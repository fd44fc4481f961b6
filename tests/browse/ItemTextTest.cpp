// Cell texts by column code, the lists' column maps, icons, the status bar's item texts and
// selection summaries.

#include "browse/ItemText.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "browse/Format.h"
#include "browse/ItemList.h"
#include "store/LoadSave.h"
#include "support/TestSupport.h"

namespace tf {
namespace {

using test::AddCatalog;
using test::AddDisk;
using test::AddFile;
using test::AddFolder;

class TCountingIcons final : public TIconSource {
 public:
  int FileIcon(std::string_view name) override {
    ++fileLookups[std::string(name)];
    return 100 + int(fileLookups.size());
  }
  int FolderIcon(bool archive) override { return archive ? 3 : 2; }
  int BackIcon() override { return 4; }
  int DriveIcon(uint8_t mediaType) override { return 50 + mediaType; }
  int CatalogIcon() override { return 5; }
  std::map<std::string, int> fileLookups;
};

struct TTextFixture : ::testing::Test {
  TCatalogTree tree;
  TNode* cat = AddCatalog(tree, "My Catalog");
  TNode* disk = AddDisk(cat, "Games CD");
  TNode* folder = AddFolder(disk, "DOOM", 3000);
  TNode* archive = AddFolder(folder, "wads.zip", 2500);
  TFileRec* file = AddFile(folder, "doom.exe", 1536, "The game\r\nby id");
  TFileRec* packed = AddFile(archive, "e1m1.wad", 2048);
  uint32_t when = EncodeDosDateTime({1994, 12, 10, 13, 45, 30});

  void SetUp() override {
    file->ModifiedTime = when;
    file->Attributes = 0x21;
    auto* f = static_cast<TFolderRec*>(folder->Record);
    f->ModifiedTime = when;
    f->Attributes = 0x10;
    f->Description.Assign("Folder note");
    SetFlag(archive->Record, InArchive, true);
    SetFlag(packed, InArchive, true);
    auto* d = static_cast<TDiskRec*>(disk->Record);
    d->LastUpdate = 40000.5;
    d->Description.Assign("Disk note");
  }
  std::string Text(const TItemRec* rec, int code) { return ItemColumnText(rec, code); }
};

TEST_F(TTextFixture, FileTextsByCode) {
  EXPECT_EQ(Text(file, ColName), "doom.exe");
  EXPECT_EQ(Text(file, ColExtension), "exe");
  EXPECT_EQ(Text(file, ColSize), "1536");
  EXPECT_EQ(Text(file, ColDate), "1994-12-10");
  EXPECT_EQ(Text(file, ColTime), "13:45:30");
  EXPECT_EQ(Text(file, ColAttributes), "ra");
  EXPECT_EQ(Text(file, ColDescription), "The game (more...)");
  EXPECT_EQ(ItemColumnText(file, ColDescription, true), "The game\r\nby id");
  EXPECT_EQ(Text(file, ColDiskName), "Games CD");
  EXPECT_EQ(Text(file, ColDiskMediaType), "Hard disk");
  EXPECT_EQ(Text(file, ColFolderPath), "\\DOOM");
  EXPECT_EQ(Text(packed, ColFolderPath), "\\DOOM\\wads.zip");
  for (int code : {10, 11, 12, 13, 100}) EXPECT_EQ(Text(file, code), "") << code;
}

TEST_F(TTextFixture, FolderTextsByCode) {
  TItemRec* f = folder->Record;
  EXPECT_EQ(Text(f, ColName), "DOOM");
  EXPECT_EQ(Text(f, ColExtension), "");
  EXPECT_EQ(Text(archive->Record, ColExtension), "zip");
  EXPECT_EQ(Text(f, ColSize), "");  // a plain folder shows no size
  EXPECT_EQ(Text(archive->Record, ColSize), "2500");
  EXPECT_EQ(Text(f, ColDate), "1994-12-10");
  EXPECT_EQ(Text(f, ColAttributes), "d");
  EXPECT_EQ(Text(f, ColDescription), "Folder note");
  EXPECT_EQ(Text(f, ColDiskName), "Games CD");
  EXPECT_EQ(Text(f, ColFolderPath), "\\DOOM");
  EXPECT_EQ(Text(f, ColTotalOrCatalog), "2.92 kB");
  for (int code : {11, 12, 13}) EXPECT_EQ(Text(f, code), "") << code;
}

TEST_F(TTextFixture, DiskTextsByCode) {
  TItemRec* d = disk->Record;
  EXPECT_EQ(Text(d, ColName), "Games CD");
  EXPECT_EQ(Text(d, ColExtension), "Hard disk");
  EXPECT_EQ(Text(d, ColSize), "3.90 MB");  // 1000 clusters of 4096 bytes
  EXPECT_EQ(Text(d, ColDate), "400 kB");
  EXPECT_EQ(Text(d, ColTime), "2009-07-06, 12:00");
  EXPECT_EQ(Text(d, ColAttributes), "Disk note");
  EXPECT_EQ(Text(d, ColDescription), "");
  EXPECT_EQ(Text(d, ColDiskName), "");
  EXPECT_EQ(Text(d, ColTotalOrCatalog), "My Catalog");
  EXPECT_EQ(Text(d, ColCapacity), "3.90 MB");
  EXPECT_EQ(Text(d, ColFreeSpace), "400 kB");
  EXPECT_EQ(Text(d, 13), "");
}

TEST_F(TTextFixture, CatalogTextsByCode) {
  AddDisk(cat, "Second");
  TItemRec* c = cat->Record;
  EXPECT_EQ(Text(c, ColName), "My Catalog");
  EXPECT_EQ(Text(c, ColExtension), "");
  EXPECT_EQ(Text(c, ColSize), "7.81 MB");
  EXPECT_EQ(Text(c, ColTotalOrCatalog), "2");
  EXPECT_EQ(Text(c, ColDescription), "");
}

TEST_F(TTextFixture, PetabyteDisksShowTheirSize) {
  // Two 8 PiB disks (2^31 - 1 clusters of 4 MiB), half free: past what bytes x 10000 hold.
  for (TNode* n : {disk, AddDisk(cat, "Second")}) {
    auto* d = static_cast<TDiskRec*>(n->Record);
    d->BytesPerSector = 512;
    d->SectorsPerCluster = 8192;
    d->TotalClusters = INT32_MAX;
    d->FreeClusters = 1 << 30;
  }
  EXPECT_EQ(Text(disk->Record, ColCapacity), "8191 TB");
  EXPECT_EQ(Text(disk->Record, ColFreeSpace), "4096 TB");
  EXPECT_EQ(ItemInfoText("Games CD", disk->Record), "Games CD (Hard disk), 8191 TB, free 4096 TB");
  EXPECT_EQ(Text(cat->Record, ColSize), "16383 TB");
  std::vector<TItemRec*> both = {disk->Record, cat->Child(1)->Record, file};
  EXPECT_EQ(SelectionSummary(both), "Selected: 3 items, 16383 TB");
}

TEST_F(TTextFixture, StoredWindowsTextIsShownAsUtf8) {
  TFileRec* f = AddFile(disk, "r\xE9sum\xE9.doc", 1);
  EXPECT_EQ(Text(f, ColName), "r\xC3\xA9sum\xC3\xA9.doc");
}

TEST(ColumnMaps, EachListMapsItsColumns) {
  TCatalogTree tree;
  TNode* disk = AddDisk(AddCatalog(tree, "C"), "D");
  TFileRec* file = AddFile(disk, "f");
  for (int c = 0; c < 13; ++c) EXPECT_EQ(ColumnCodeFor(TListSender::MainList, c, file), c);
  std::vector<int> search;
  for (int c = 0; c < 9; ++c) search.push_back(ColumnCodeFor(TListSender::SearchResults, c, file));
  EXPECT_EQ(search, (std::vector<int>{0, 1, 2, 3, 4, 7, 8, 9, NoColumn}));
  std::vector<int> userItem, userDisk;
  for (int c = 0; c < 8; ++c) {
    userItem.push_back(ColumnCodeFor(TListSender::UserList, c, file));
    userDisk.push_back(ColumnCodeFor(TListSender::UserList, c, disk->Record));
  }
  EXPECT_EQ(userItem, (std::vector<int>{0, 1, 2, 3, 7, 8, 9, NoColumn}));
  EXPECT_EQ(userDisk, (std::vector<int>{0, NoColumn, 2, 4, 10, 1, NoColumn, NoColumn}));
  EXPECT_EQ(ColumnCodeFor(TListSender::MainList, -1, file), NoColumn);
}

TEST_F(TTextFixture, ItemInfoServesRowsAndRecords) {
  TCountingIcons icons;
  std::vector<TItemRec*> rows = {archive->Record, file};
  unsigned both = InfoText | InfoIcon;
  TItemInfo info = ListViewVMGetItemInfo(TListSender::MainList, rows, 1, both, 0, nullptr, &icons);
  EXPECT_EQ(info.Text, "doom.exe");
  EXPECT_EQ(info.Icon, 101);
  info = ListViewVMGetItemInfo(TListSender::MainList, rows, 0, both, 2, nullptr, &icons);
  EXPECT_EQ(info.Text, "2500");
  EXPECT_EQ(info.Icon, 3);
  // A row that no longer exists.
  info = ListViewVMGetItemInfo(TListSender::MainList, rows, 2, both, 0, nullptr, &icons);
  EXPECT_EQ(info.Text, "");
  EXPECT_EQ(info.Icon, -1);
  // The search results' column 5 is the disk name.
  info = ListViewVMGetItemInfo(TListSender::SearchResults, rows, 1, InfoText, 5, nullptr, &icons);
  EXPECT_EQ(info.Text, "Games CD");
  // By record: the column is the code; only reports get whole descriptions.
  info = ListViewVMGetItemInfo(TListSender::Report, {}, -1, InfoText, ColDescription, file, &icons);
  EXPECT_EQ(info.Text, "The game\r\nby id");
  info = ListViewVMGetItemInfo(TListSender::UserList, {}, -1, InfoText, ColDescription, file,
                               &icons);
  EXPECT_EQ(info.Text, "The game (more...)");
  // Text only: no icon asked, none looked up.
  info = ListViewVMGetItemInfo(TListSender::MainList, rows, 1, InfoText, 0, nullptr, &icons);
  EXPECT_EQ(info.Icon, 0);
  EXPECT_EQ(info.Indent, 0);
  EXPECT_EQ(info.Param, 0);
}

TEST_F(TTextFixture, FileIconsAreLookedUpOnceAndKept) {
  TCountingIcons icons;
  EXPECT_EQ(file->IconIndex, -1);
  int first = ItemIcon(file, icons);
  EXPECT_EQ(ItemIcon(file, icons), first);
  EXPECT_EQ(file->IconIndex, first);
  EXPECT_EQ(icons.fileLookups["doom.exe"], 1);
  EXPECT_EQ(ItemIcon(folder->Record, icons), 2);
  EXPECT_EQ(ItemIcon(archive->Record, icons), 3);
  EXPECT_EQ(ItemIcon(disk->Record, icons), 55);
  EXPECT_EQ(ItemIcon(cat->Record, icons), 5);
  TItemList list;
  EXPECT_EQ(ItemIcon(list.BackEntry(), icons), 4);
}

TEST_F(TTextFixture, StatusTextOfFiles) {
  EXPECT_EQ(ItemInfoText("doom.exe", file), "doom.exe, 1.5 kB, 1994-12-10");
  packed->ModifiedTime = 0;
  EXPECT_EQ(ItemInfoText("e1m1.wad", packed), "e1m1.wad (compressed file), 2 kB, (unknown)");
}

TEST_F(TTextFixture, StatusTextOfFolders) {
  EXPECT_EQ(ItemInfoText("DOOM", folder->Record),
            "DOOM (folder), 2.92 kB in 1 subfolder, 1 file");
  AddFolder(folder, "SAVES");
  AddFile(folder, "readme.txt", 5);
  EXPECT_EQ(ItemInfoText("DOOM", folder->Record),
            "DOOM (folder), 2.92 kB in 2 subfolders, 2 files");
  EXPECT_EQ(ItemInfoText("wads.zip", archive->Record),
            "wads.zip (compressed archive file), 2.44 kB includes 0 subfolders, 1 file");
  TNode* empty = AddFolder(disk, "EMPTY", 0);
  AddFile(empty, "zero.txt", 0);
  EXPECT_EQ(ItemInfoText("EMPTY", empty->Record), "EMPTY (folder), 0 B");
  EXPECT_EQ(ItemInfoText("..", folder->Record), "Previous folder...");
}

TEST_F(TTextFixture, StatusTextOfDisksAndCatalogs) {
  EXPECT_EQ(ItemInfoText("Games CD", disk->Record),
            "Games CD (Hard disk), 3.90 MB, free 400 kB");
  EXPECT_EQ(ItemInfoText("My Catalog", cat->Record),
            "My Catalog (no filename), total disks: 1");
  static_cast<TCatalogRec*>(cat->Record)->FileName = "/home/me/games.ctf";
  EXPECT_EQ(ItemInfoText("My Catalog", cat->Record),
            "My Catalog (/home/me/games.ctf), total disks: 1");
  EXPECT_EQ(ItemInfoText("x", nullptr), "");
}

TEST_F(TTextFixture, StatusTextReadsSubfoldersFromTheFile) {
  test::TTempDir dir;
  std::string path = dir.File("c.ctf");
  WriteCatalogFile(cat, path, NoProgress());
  TCatalogTree other;
  TNode* read = other.AppendChild(other.Root(), ReadCatalogFile(path));
  TNode* doom = read->Child(0)->Child(0);
  ASSERT_EQ(doom->ChildCount(), 0);  // not read yet
  EXPECT_EQ(ItemInfoText("DOOM", doom->Record), "DOOM (folder), 2.92 kB in 1 subfolder, 1 file");
  EXPECT_EQ(doom->ChildCount(), 1);
}

TEST_F(TTextFixture, SelectionSummaries) {
  EXPECT_EQ(SelectionSummary({}), "");
  std::vector<TItemRec*> one = {file};
  EXPECT_EQ(SelectionSummary(one), "Selected: 1 item, 1.5 kB");
  std::vector<TItemRec*> mixed = {file, folder->Record, disk->Record, cat->Record};
  // 1536 + 3000 + 4096000 bytes; the catalog adds nothing but counts.
  EXPECT_EQ(SelectionSummary(mixed), "Selected: 4 items, 3.91 MB");
  int slowCalls = 0;
  SelectionSummary(mixed, [&] { ++slowCalls; });
  EXPECT_LE(slowCalls, 1);
}

}  // namespace
}  // namespace tf

// The Properties window's pages as texts: which pages an item has, what each field reads, the
// disk figures and pie chart, the catalog statistics, and what OK writes back.

#include <gtest/gtest.h>

#include "browse/Format.h"
#include "classify/Properties.h"
#include "support/TestSupport.h"

namespace tf::test {
namespace {

uint32_t Dos(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return EncodeDosDateTime({y, mo, d, h, mi, s});
}

// A page's texts in the window's order, for one comparison per page.
using Texts = std::vector<std::string>;
Texts Fields(const TFilePageInfo& f) {
  return {f.Name,    f.TypeName,        f.Size,     f.Modified, f.CreatedCaption,
          f.Created, f.AccessedCaption, f.Accessed, f.DiskName, f.Location};
}
Texts Fields(const TFolderPageInfo& f) {
  return {f.Caption, f.TypeName, f.SizeCaption, f.Size, f.Created, f.Modified, f.Location,
          f.DescriptionCaption};
}
Texts Fields(const TDiskPageInfo& d) {
  return {d.Name,      d.VolumeLabel, d.MediaTypeName, d.Serial,
          d.Capacity,  d.FreeSpace,   d.CatalogName,   d.Updated};
}

class Properties : public ::testing::Test {
 protected:
  void SetUp() override {
    cat = AddCatalog(tree, "Archive");
    Rec().Categories = {{"Games", 4}, {"Tools", 9}};
    Rec().FlagNames[0].Assign("Backup");
    Rec().FlagNames[2].Assign("Lent");
    disk = AddDisk(cat, "Games CD");  // 1000 clusters of 4096 bytes, 100 free
    Disk()->LastUpdate = 36925.5;    // 2001-02-03 12:00
    Disk()->SerialNumber = 0x1A2B00FF;
    Disk()->VolumeLabel = "GAMES";
    root = AddFile(disk, "Install.bat", 1536);
    games = AddFolder(disk, "Games", 2000);
    doom = AddFolder(games, "Doom", 1000);
    wad = AddFile(doom, "doom.wad", 1000);
    wad->ModifiedTime = Dos(1994, 12, 10, 13, 5, 6);
    wad->CreatedTime = Dos(1994, 12, 9, 8, 0, 0);
    wad->AccessedTime = Dos(1995, 1, 2, 3, 4, 6);
    wad->Attributes = 0x21;  // archive, read-only
    wad->CategoryFlags = 9 | UserFlag3;
  }
  TCatalogRec& Rec() { return *static_cast<TCatalogRec*>(cat->Record); }
  TDiskRec* Disk() { return static_cast<TDiskRec*>(disk->Record); }
  std::array<bool, PageCount> Pages(const TPropertiesInfo& i) { return i.Visible; }

  TCatalogTree tree;
  TNode* cat;
  TNode* disk;
  TNode* games;
  TNode* doom;
  TFileRec* root;
  TFileRec* wad;
};

TEST_F(Properties, PagesByKindOfItem) {
  using P = std::array<bool, PageCount>;
  struct TCase {
    const char* What;
    TPropertiesSubject Subject;
    P Visible;
    int First;
  } cases[] = {
      {"file in the root", {disk, root}, {true, false, true, false}, FileSheet},
      {"file in a folder", {doom, wad}, {true, true, true, false}, FileSheet},
      {"folder", {doom, doom->Record}, {false, true, true, false}, DirectorySheet},
      {"disk", {disk, disk->Record}, {false, false, true, false}, DiskSheet},
      {"catalog", {cat, cat->Record}, {false, false, false, true}, CatalogSheet},
  };
  for (const TCase& c : cases) {
    TPropertiesInfo i = FillProperties(c.Subject);
    EXPECT_EQ(Pages(i), c.Visible) << c.What;
    EXPECT_EQ(i.FirstPage, c.First) << c.What;
  }
  EXPECT_EQ(FillProperties({disk, root}).File.Location, "\\");
}

TEST_F(Properties, FilePage) {
  auto names = [](std::string_view ext) { return ext == "wad" ? std::string("Game data") : std::string(); };
  TPropertiesInfo i = FillProperties({doom, wad}, names);
  const TFilePageInfo& f = i.File;
  EXPECT_EQ(Fields(f), (Texts{"doom.wad", "Game data", "1000 B  (1000 Bytes)",
                              "1994-12-10, 13:05:06", "Created on:", "1994-12-09, 08:00:00",
                              "Last Accessed on:", "1995-01-02", "Games CD (Hard disk)",
                              "\\Games\\Doom"}));
  EXPECT_TRUE(f.Attributes.Archive && f.Attributes.ReadOnly);
  EXPECT_FALSE(f.Attributes.Hidden || f.Attributes.System);
  EXPECT_EQ(i.Categories.size(), 3u);
  EXPECT_EQ(i.Categories[CategoryChoiceIndex(i.Categories, f.CategoryFlags)].Text, "Tools");
  EXPECT_TRUE(i.CategoriesEnabled);
  EXPECT_EQ(i.Flags, (std::vector<std::pair<std::string, int>>{{"Backup", 1}, {"Lent", 3}}));

  EXPECT_EQ(FillProperties({disk, root}, names).File.Size, "1.5 kB  (1536 Bytes)");
  root->CreatedTime = 0;
  EXPECT_EQ(FillProperties({disk, root}).File.Created, "(unknown)");
}

TEST_F(Properties, FileTypeNames) {
  auto names = [](std::string_view ext) { return ext == "txt" ? std::string("Plain text") : std::string(); };
  struct TCase {
    const char* Name;
    bool InArchive;
    const char* Type;
  } cases[] = {
      {"a.txt", false, "Plain text"},
      {"a.xyz", false, "XYZ file"},
      {"Makefile", false, "unknown file type"},
      {"a.txt", true, "Compressed Plain text"},
      {"docs\\a.xyz", true, "Compressed XYZ file"},
  };
  for (const TCase& c : cases) {
    TFileRec* f = AddFile(doom, c.Name);
    SetFlag(f, InArchive, c.InArchive);
    EXPECT_EQ(FillProperties({doom, f}, names).File.TypeName, c.Type) << c.Name;
  }
}

TEST_F(Properties, ArchiveEntriesShowCompressedSizeAndCrc) {
  TNode* zip = AddFolder(games, "Pack.zip", 999);
  SetFlag(zip->Record, InArchive, true);
  struct TCase {
    uint32_t Size, Compressed;
    const char* Text;
  } cases[] = {
      {1000, 250, "250 B  (ratio: 75 %)"},
      {3, 2, "2 B  (ratio: 33 %)"},
      {1000, 0, "(unknown)"},
      {0, 20, "20 B"},
  };
  for (const TCase& c : cases) {
    TFileRec* e = AddFile(zip, "e.txt", c.Size);
    SetFlag(e, InArchive, true);
    e->AccessedTime = c.Compressed;
    e->CreatedTime = 0xDEADBEEF;
    TFilePageInfo f = FillProperties({zip, e}).File;
    EXPECT_EQ(f.CreatedCaption, "Compressed Size:");
    EXPECT_EQ(f.Created, c.Text);
    EXPECT_EQ(f.AccessedCaption, "File CRC:");
    EXPECT_EQ(f.Accessed, "000000000000000000000000DEADBEEF");
  }
  EXPECT_EQ(Fields(FillProperties({zip, zip->Record}).Folder),
            (Texts{"Archive file", "Compressed file (ZIP)", "File Size:", "999 B  (999 Bytes)",
                   "(unknown)", "(unknown)", "\\Games\\Pack.zip", "Archive File Description:"}));
}

TEST_F(Properties, FolderPage) {
  auto* d = static_cast<TFolderRec*>(doom->Record);
  d->ModifiedTime = Dos(2000, 1, 2, 3, 4, 6);
  d->CategoryFlags = 4;
  TFolderPageInfo f = FillProperties({doom, d}).Folder;
  EXPECT_EQ(Fields(f), (Texts{"Folder info", "Folder", "Folder Size:", "1000 B  (1000 Bytes)",
                              "(unknown)", "2000-01-02, 03:04:06", "\\Games\\Doom",
                              "Folder Description:"}));
  EXPECT_EQ(f.CategoryFlags, 4);
}

TEST_F(Properties, ACatalogWithoutCategories) {
  Rec().Categories.clear();
  Rec().FlagNames[0].Reset();
  Rec().FlagNames[2].Reset();
  TPropertiesInfo i = FillProperties({doom, wad});
  ASSERT_EQ(i.Categories.size(), 1u);
  EXPECT_EQ(i.Categories[0].Text, "(no categories defined)");
  EXPECT_FALSE(i.CategoriesEnabled);
  EXPECT_TRUE(i.Flags.empty());
}

TEST_F(Properties, DiskPageAndAdvancedFigures) {
  TDiskPageInfo d = FillProperties({disk, disk->Record}).Disk;
  EXPECT_EQ(Fields(d), (Texts{"Games CD", "GAMES", "Hard disk", "1A2B-00FF", "3.90 MB", "400 kB",
                              "Archive", "3 February 2001, 12:00:00"}));
  EXPECT_TRUE(d.Catalogued);
  const TAdvancedDiskInfo& a = d.Advanced;
  EXPECT_EQ(a.FileSystem, "FAT");
  EXPECT_EQ(a.TotalFiles, "0");
  EXPECT_EQ(a.ClusterSize, "4096 B");
  // Used 900 clusters of 4096 bytes, minus the root file and the first-level folder.
  EXPECT_EQ(a.LostSpace, FormatSize(900.0 * 4096 - 1536 - 2000));
  ASSERT_EQ(a.Slices.size(), 2u);
  EXPECT_EQ(a.Slices[0].Percent, 10);
  EXPECT_EQ(a.Slices[0].Label, "Free: 400 kB");
  EXPECT_EQ(a.Slices[0].Color, 0x00D200u);
  EXPECT_EQ(a.Slices[1].Percent, 90);
  EXPECT_EQ(a.Slices[1].Label, "Used: 3.51 MB");
  EXPECT_EQ(a.Slices[1].Color, 0xFF0000u);
  EXPECT_EQ(a.Footer, "Total capacity: 3.90 MB");

  Disk()->LastUpdate = 36925.0;  // midnight: the date alone
  EXPECT_EQ(FillProperties({disk, disk->Record}).Disk.Updated, "3 February 2001");
  Disk()->ScanFlags = ScanSkippedItems;
  EXPECT_EQ(FillProperties({disk, disk->Record}).Disk.Advanced.LostSpace, "(unknown)");
}

TEST_F(Properties, PieSlicesByUsedShare) {
  struct TCase {
    int Total, Free;
    std::vector<int> Percents;
  } cases[] = {
      {1000, 100, {10, 90}},
      {1000, 4, {100}},   // 99.6 % rounds to 100: one used slice
      {1000, 1000, {100, 0}},
      {1000, 5, {100}},    // 99.5 % rounds up
      {1000, 6, {1, 99}},
      {0, 0, {}},          // no capacity: no chart
  };
  for (const TCase& c : cases) {
    Disk()->TotalClusters = c.Total;
    Disk()->FreeClusters = c.Free;
    std::vector<int> got;
    for (const TPieSlice& s : FillProperties({disk, disk->Record}).Disk.Advanced.Slices)
      got.push_back(s.Percent);
    EXPECT_EQ(got, c.Percents) << c.Total << "/" << c.Free;
  }
}

TEST_F(Properties, AVolumeNotYetCatalogued) {
  TDiskRec volume;
  volume.MediaType = 10;
  volume.BytesPerSector = 2048;
  volume.SectorsPerCluster = 1;
  volume.TotalClusters = 100;
  volume.LastUpdate = 36925.25;
  TPropertiesInfo i = FillProperties({nullptr, &volume, 'E', nullptr});
  EXPECT_EQ(Pages(i), (std::array<bool, PageCount>{false, false, true, false}));
  EXPECT_EQ(Fields(i.Disk), (Texts{"Drive E:", "", "CD-ROM", "0000-0000", "200 kB", "0 B",
                                   "(not in catalog yet)", "(not in catalog yet)"}));
  EXPECT_FALSE(i.Disk.Catalogued);
  EXPECT_EQ(i.Disk.Advanced.TotalFiles, "?");
  EXPECT_EQ(i.Disk.Advanced.TotalFolders, "?");
  EXPECT_EQ(i.Disk.Advanced.LostSpace, "(unknown)");
  TDiskPageInfo chosen = FillProperties({nullptr, &volume, 'E', cat}).Disk;
  EXPECT_EQ(chosen.CatalogName, "Archive");
  EXPECT_EQ(chosen.Updated, "3 February 2001, 06:00:00");
  // Nothing to write to.
  TPropertiesEdits e;
  e.DiskDescription = "x";
  EXPECT_FALSE(ApplyProperties({nullptr, &volume, 'E', cat}, i, e).Any());
}

TEST_F(Properties, CatalogStatisticsByKindOfMedium) {
  struct TDiskDef {
    uint8_t Media;
    int Clusters;
  } defs[] = {{10, 100}, {7, 10}, {2, 10}, {9, 10}, {1, 10}, {3, 10}, {13, 50}, {11, 1}, {12, 1}, {6, 1}};
  for (const TDiskDef& d : defs) {
    auto* rec = static_cast<TDiskRec*>(AddDisk(cat, "d")->Record);
    rec->MediaType = d.Media;
    rec->TotalClusters = d.Clusters;
    rec->FreeClusters = 0;
    rec->BytesPerSector = 1024;
    rec->SectorsPerCluster = 1;
  }
  Rec().Description.Assign("Everything");
  TCatalogPageInfo c = FillProperties({cat, cat->Record}).Catalog;
  EXPECT_EQ(c.GroupCaptions,
            (std::array<std::string, 6>{"CD-ROM:", "Floppy 3.5\" :", "Floppy 5.25\" :",
                                        "Hard Disks:", "Removable:", "Other:"}));
  EXPECT_EQ(c.Groups, (std::array<std::string, 6>{"1 (total 100 kB)", "3 (total 30 kB)",
                                                  "2 (total 20 kB)", "1 (total 3.90 MB)",
                                                  "1 (total 50 kB)", "3 (total 3 kB)"}));
  EXPECT_EQ(c.DiskCount, "11");
  EXPECT_EQ(c.TotalStorage, "4.10 MB  (4303872 Bytes)");
  EXPECT_EQ(c.TotalUsed, "3.71 MB  (3894272 Bytes)");
  EXPECT_EQ(c.Description, "Everything");

  TCatalogTree other;
  TCatalogPageInfo empty = FillProperties({AddCatalog(other, "E"), nullptr}).Catalog;
  EXPECT_EQ(empty.Groups[0], "0");
  EXPECT_EQ(empty.TotalStorage, "0 B  (0 Bytes)");
}

TEST_F(Properties, OkWritesTheEditorsOfEveryPage) {
  TPropertiesSubject s{doom, wad};
  TPropertiesInfo shown = FillProperties(s);
  Rec().Modified = 0;
  Disk()->Changed = 0;
  TPropertiesEdits e;
  e.FileDescription = "  The data  \nsecond line";
  e.FolderDescription = "Doom folder";
  e.DiskDescription = "The CD";
  e.FileByte = CategoryByte(4, {true, false, false});
  e.FolderByte = CategoryByte(0, {false, false, false});
  TPropertiesChanges c = ApplyProperties(s, shown, e);
  EXPECT_TRUE(c.File && c.Folder && c.Disk);
  EXPECT_FALSE(c.Catalog);
  EXPECT_EQ(wad->Description.Str(), "The data\r\nsecond line");
  EXPECT_EQ(wad->CategoryFlags, 4 | UserFlag1);
  EXPECT_TRUE(HasFlag(doom->Record, HasFileDescriptions));
  EXPECT_EQ(static_cast<TFolderRec*>(doom->Record)->Description.Str(), "Doom folder");
  EXPECT_EQ(Disk()->Description.Str(), "The CD");
  EXPECT_EQ(Disk()->Changed, 1);
  EXPECT_EQ(Rec().Modified, 1);

  // "(none)" and no flags store the byte 0; an emptied description goes.
  TPropertiesEdits clear;
  clear.FileByte = CategoryByte(shown.Categories[0].Id, {false, false, false});
  clear.FileDescription = "";
  ApplyProperties(s, FillProperties(s), clear);
  EXPECT_EQ(wad->CategoryFlags, 0);
  EXPECT_TRUE(wad->Description.Empty());
  EXPECT_FALSE(HasFlag(doom->Record, HasFileDescriptions));
}

TEST_F(Properties, OkWithNothingChangedMarksNothing) {
  TPropertiesSubject s{doom, wad};
  TPropertiesInfo shown = FillProperties(s);
  Rec().Modified = 0;
  Disk()->Changed = 0;
  TPropertiesEdits e;
  e.FileByte = wad->CategoryFlags;
  e.FolderByte = 0;
  EXPECT_FALSE(ApplyProperties(s, shown, e).Any());
  EXPECT_EQ(Disk()->Changed, 0);
  EXPECT_EQ(Rec().Modified, 0);
  // The catalog's description marks only the catalog.
  TPropertiesEdits desc;
  desc.CatalogDescription = "All of it";
  TPropertiesSubject c{cat, cat->Record};
  EXPECT_TRUE(ApplyProperties(c, FillProperties(c), desc).Catalog);
  EXPECT_EQ(Rec().Modified, 1);
  EXPECT_EQ(Disk()->Changed, 0);
}

TEST(PropertiesText, DescriptionsBetweenStoreAndEditor) {
  EXPECT_EQ(DescriptionForEditor("a\r\nb\r\n"), "a\nb\n");
  EXPECT_EQ(DescriptionFromEditor("a\nb"), "a\r\nb");
  EXPECT_EQ(DescriptionFromEditor("a\r\nb"), "a\r\nb");
  EXPECT_EQ(DescriptionForEditor("caf\xE9"), "caf\xC3\xA9");
}

}  // namespace
}  // namespace tf::test

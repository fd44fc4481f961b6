// The byte format of catalog files: what the writer produces, what the reader accepts.

#include <gtest/gtest.h>

#include "StoreFixtures.h"

namespace tf::test {
namespace {

class Format : public ::testing::Test {
 protected:
  TTempDir dir;
  TCatalogTree tree;
  std::string Save(TNode* cat, const std::string& name = "c.ctf") {
    std::string path = dir.File(name);
    WriteCatalogFile(cat, path, NoProgress());
    return path;
  }
};

TEST_F(Format, SmallestCatalogWithOneDiskIs101Bytes) {
  TNode* cat = AddCatalog(tree, "A");
  TNode* disk = AddDisk(cat, "D");
  static_cast<TDiskRec*>(disk->Record)->FileSystem = "FAT";
  std::string bytes = ReadBytes(Save(cat));
  ASSERT_EQ(bytes.size(), 101u);
  EXPECT_EQ(bytes.substr(0, 13), std::string("Catalog 1.00\0", 13));
  EXPECT_EQ(bytes[18], 0);  // no categories, no flag names
  EXPECT_EQ(bytes[19], ikDisk | SearchScope);
  EXPECT_EQ(I32At(bytes, 20), 82);  // BlockLength
  EXPECT_EQ(I32At(bytes, 24), 82);  // FoldersOffset
  EXPECT_EQ(I32At(bytes, 28), -1);  // FilesOffset
  EXPECT_EQ(I32At(bytes, 32), -1);  // FilesLength
  EXPECT_EQ(I32At(bytes, 36), 0);   // FileCount
  EXPECT_EQ(I32At(bytes, 40), 0);   // DescBytes
}

TEST_F(Format, CatalogWithoutDisksIsTheHeaderAlone) {
  TNode* cat = AddCatalog(tree, "Empty");
  std::string path = Save(cat);
  EXPECT_EQ(ReadBytes(path).size(), 13u + 7 + 2 + 1);
  TNode* back = OpenCatalog(tree, path);
  EXPECT_EQ(back->Caption, "Empty");
  EXPECT_EQ(back->ChildCount(), 0);
}

TEST_F(Format, CategoryCountByteAndFlagNames) {
  // No categories, a flag name: 255 and three Text16.
  TNode* cat = AddCatalog(tree, "A");
  static_cast<TCatalogRec*>(cat->Record)->FlagNames[1].Assign("Two");
  std::string bytes = ReadBytes(Save(cat, "flags.ctf"));
  ASSERT_EQ(bytes.size(), 19u + 2 + 5 + 2);
  EXPECT_EQ(uint8_t(bytes[18]), 255);
  EXPECT_EQ(U16At(bytes, 19), 0);
  EXPECT_EQ(bytes.substr(23, 3), "Two");

  TNode* back = OpenCatalog(tree, dir.File("flags.ctf"));
  auto* rec = static_cast<TCatalogRec*>(back->Record);
  EXPECT_TRUE(rec->Categories.empty());
  EXPECT_EQ(rec->FlagNames[0].CStr(), nullptr);
  EXPECT_STREQ(rec->FlagNames[1].CStr(), "Two");
  EXPECT_EQ(rec->FlagNames[2].CStr(), nullptr);

  // Categories: count, entries with IDs, then the flag names even when all are empty.
  TNode* cat2 = AddCatalog(tree, "B");
  static_cast<TCatalogRec*>(cat2->Record)->Categories = {{"Games", 3}, {"Music", 17}};
  std::string b2 = ReadBytes(Save(cat2, "cats.ctf"));
  EXPECT_EQ(b2[18], 2);
  EXPECT_EQ(b2.size(), 19u + (2 + 5 + 1) + (2 + 5 + 1) + 6);
  TNode* back2 = OpenCatalog(tree, dir.File("cats.ctf"));
  auto* rec2 = static_cast<TCatalogRec*>(back2->Record);
  ASSERT_EQ(rec2->Categories.size(), 2u);
  EXPECT_EQ(rec2->Categories[1].Name, "Music");
  EXPECT_EQ(rec2->Categories[1].Id, 17);
}

TEST_F(Format, FileListOfThreeFilesIs98Bytes) {
  TNode* cat = AddCatalog(tree, "A");
  TNode* disk = AddDisk(cat, "D");
  AddFile(disk, "abcde", 1);
  AddFile(disk, "abcdefgh", 2, "0123456789");
  AddFile(disk, "abcdefghijkl", 3);
  std::string path = Save(cat);
  std::string bytes = ReadBytes(path);
  EXPECT_EQ(I32At(bytes, 32), 98);  // FilesLength
  EXPECT_EQ(I32At(bytes, 36), 3);   // FileCount
  EXPECT_EQ(I32At(bytes, 40), 16);  // DescBytes
  auto* d = static_cast<TDiskRec*>(disk->Record);
  EXPECT_EQ(d->FilesLength, 98);
  EXPECT_EQ(d->DescBytes, 16);
}

TEST_F(Format, LongTextsAreCutAt4096BytesWithoutSplittingCharacters) {
  TNode* cat = AddCatalog(tree, "A");
  static_cast<TCatalogRec*>(cat->Record)->Description.Assign(std::string(5000, 'x'));
  TNode* disk = AddDisk(cat, "D");
  // A two-byte character straddles the limit: the cut falls before it.
  AddFile(disk, "f", 1, std::string(4095, 'y') + "\xC3\xA9" + "z");
  TNode* back = OpenCatalog(tree, Save(cat));
  EXPECT_EQ(static_cast<TCatalogRec*>(back->Record)->Description.Size(), 4096u);
  LoadFiles(back->Child(0));
  TFileRec* f = FirstFile(back->Child(0)->Record);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->Description.Size(), 4095u);
}

TEST_F(Format, ReaderKeeps4096BytesOfAnOverlongText) {
  // A damaged file may carry a Text16 longer than 4096: the rest is skipped, and what
  // follows is still read in the right place.
  std::string bytes("Catalog 1.00\0", 13);
  bytes += std::string("\x03\x00" "Cat", 5);
  bytes += std::string("\x88\x13", 2) + std::string(5000, 'd');  // 5000-byte description
  bytes += std::string(1, '\0');
  std::string path = dir.File("long.ctf");
  WriteBytes(path, bytes);
  TNode* back = OpenCatalog(tree, path);
  EXPECT_EQ(back->Caption, "Cat");
  EXPECT_EQ(static_cast<TCatalogRec*>(back->Record)->Description.Size(), 4096u);
  EXPECT_EQ(back->ChildCount(), 0);
}

TEST_F(Format, EmptyDescriptionReadsAsNoneAndEmptyNameAsEmptyCaption) {
  TNode* cat = AddCatalog(tree, "");
  TNode* disk = AddDisk(cat, "D");
  AddFile(disk, "", 5);
  AddFolder(disk, "", 0);
  TNode* back = OpenCatalog(tree, Save(cat));
  EXPECT_EQ(back->Caption, "");
  EXPECT_TRUE(static_cast<TCatalogRec*>(back->Record)->Description.Empty());
  TNode* d = back->Child(0);
  EXPECT_TRUE(static_cast<TDiskRec*>(d->Record)->Description.Empty());
  ASSERT_EQ(d->ChildCount(), 1);
  EXPECT_EQ(d->Child(0)->Caption, "");
  LoadFiles(d);
  ASSERT_NE(FirstFile(d->Record), nullptr);
  EXPECT_EQ(FirstFile(d->Record)->Name(), "");
  EXPECT_EQ(FirstFile(d->Record)->Description.CStr(), nullptr);
}

TEST_F(Format, SignatureMustMatchExactly) {
  std::string path = dir.File("x.ctf");
  for (std::string bad : {std::string("Catalog 1.0"), std::string("Catalog 1.0\0xyz", 15),
                          std::string("Catalog 1.000", 13), std::string("catalog 1.00\0", 13),
                          std::string()}) {
    WriteBytes(path, bad + std::string(40, '\0'));
    if (bad.empty()) WriteBytes(path, "");
    try {
      ReadCatalogFile(path);
      ADD_FAILURE() << "accepted a bad signature";
    } catch (const EInvalidCatalog& e) {
      EXPECT_STREQ(e.what(), "This is not a valid catalog file!");
    }
  }
}

TEST_F(Format, MissingFileIsAFileOpenError) {
  try {
    ReadCatalogFile(dir.File("none.ctf"));
    ADD_FAILURE();
  } catch (const EReadBufferError& e) {
    EXPECT_STREQ(e.what(), "File open error");
  }
  EXPECT_THROW(ReadCatalogFile(dir.Path().string()), EReadBufferError);  // a folder
}

TEST_F(Format, EveryStoredFieldSurvivesARoundTrip) {
  TNode* cat = BuildSampleCatalog(tree);
  auto* d1 = static_cast<TDiskRec*>(cat->Child(0)->Record);
  d1->MediaType = 10;
  d1->ScanFlags = 1;
  d1->MaxComponentLength = 255;
  d1->TotalFiles = 123456;
  d1->ArchiveFiles = 7;
  d1->TotalFolders = 65535;
  d1->TotalClusters = 2000000000;
  d1->FreeClusters = 3;
  d1->UserByte = 9;
  // On the disk without root files: those would read back as archive entries, whose flag
  // shares the bit.
  SetFlag(cat->Child(1)->Record, CompressedVolume, true);
  TNode* games = cat->Child(0)->Child(0);
  auto* g = static_cast<TFolderRec*>(games->Record);
  g->Attributes = 0x13;
  g->CreatedTime = 0x11111111;
  g->ModifiedTime = 0x22222222;
  g->AccessedTime = 0x33333333;
  g->Reserved = 5;
  g->CategoryFlags = 0xA0;
  TFileRec* doom = FirstFile(g);
  doom->Attributes = 0x21;
  doom->ModifiedTime = 0x44444444;
  doom->Size = 4294967295u;

  // Every stored field of every record, the archive entries' flag inherited from their
  // folder included.
  const std::string written = DescribeTree(cat);
  TNode* back = OpenCatalog(tree, Save(cat));
  EXPECT_EQ(DescribeTree(back), written);
  EXPECT_EQ(FirstFile(back->Child(0)->Child(0)->Record)->IconIndex, -1);
  EXPECT_EQ(CheckTree(tree), "");
}

TEST_F(Format, FileRecordsAreSmall) {
  // The head, the fields and the name: 57 bytes plus the name, at most 64 plus the name once
  // aligned in a block. A 255-byte name fits.
  EXPECT_LE(TFileRec::AllocSize(0), 64u);
  EXPECT_LE(((TFileRec::AllocSize(255) + 7) & ~std::size_t(7)), 64u + 255);
  TFileRec* f = TFileRec::Create(std::string(300, 'n'));
  EXPECT_EQ(f->Name().size(), 255u);
  TFileRec::Destroy(f);
}

}  // namespace
}  // namespace tf::test

// Import of Kestrevane databases that the tests write byte by byte: the window's check, the
// rules for media types, dates and names, the tree the file list builds, and damaged
// databases, which give a clear error and leave nothing behind.

#include "store/ImportFM.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/ScriptedPrompts.h"
#include "store/KestrevaneDatabase.h"
#include "store/LoadSave.h"
#include "support/TestSupport.h"

namespace tf {
namespace {

using test::TDatabase;

using test::Folder;
using test::Archive;
constexpr uint8_t ArchiveFile = 0x20;

class TRecordingProgress final : public TProgress {
 public:
  void SetStatus(const std::string& text) override { log.push_back("status:" + text); }
  void Begin(const std::string& caption, int64_t total) override {
    log.push_back("begin:" + caption + ":" + std::to_string(total));
  }
  void Advance(int64_t amount) override { advanced += amount; }
  void End() override { log.push_back("end"); }
  std::vector<std::string> log;
  int64_t advanced = 0;
};

// Geometry as the media engine would estimate it; the test only needs to see it was asked.
void FakeGeometry(TDiskRec& disk, int64_t total, int64_t free) {
  disk.BytesPerSector = 512;
  disk.SectorsPerCluster = 1;
  disk.TotalClusters = int32_t(total / SizeScale / 512);
  disk.FreeClusters = int32_t(free / SizeScale / 512);
}

struct TImportRun {
  TScriptedPrompts prompts;
  TRecordingProgress progress;
  std::unique_ptr<TNode> catalog;
  std::string error;
  explicit TImportRun(const std::string& dsk) {
    try {
      catalog = ImportDatabase(dsk, prompts, progress, FakeGeometry);
    } catch (const EImportError& e) {
      error = e.what();
    }
  }
  ~TImportRun() { FreeDetachedNode(std::move(catalog)); }
};

TNode* ChildNamed(TNode* node, const std::string& caption) {
  for (int i = 0; i < node->ChildCount(); ++i)
    if (node->Child(i)->Caption == caption) return node->Child(i);
  return nullptr;
}
std::vector<std::string> FileNames(const TNode* container) {
  std::vector<std::string> names;
  for (TFileRec* f : test::Files(container)) names.emplace_back(f->Name());
  return names;
}
using Names = std::vector<std::string>;

TEST(ImportCheckTest, WhatTheWindowShowsForADatabase) {
  struct TCheckCase {
    const char* What;
    std::function<void(TDatabase&)> Change;
    bool Valid;
    const char* Name;
    const char* Count;
  };
  const TCheckCase cases[] = {
      {"two disks", [](TDatabase&) {}, true, "Old Archive", "Disks in database: 2"},
      {"a record and two bytes", [](TDatabase& d) { d.Dsk += "xy"; }, false,
       "(not Kestrevane database)", ""},
      {"no comment file", [](TDatabase& d) { d.WithCmt = false; }, false,
       "(invalid Kestrevane database)", ""},
      {"no name line", [](TDatabase& d) { d.Cmt = "0001  first disk\r\n"; }, false,
       "(not Kestrevane database)", ""},
      {"comment lines with numbers", [](TDatabase& d) { d.Comment("   7  seventh").Comment("12"); },
       true, "Old Archive", "Disks in database: 2"},
      {"a comment line without number", [](TDatabase& d) { d.Comment("disk 1 comment"); }, false,
       "(not Kestrevane database)", ""},
      {"an empty line", [](TDatabase& d) { d.Comment(""); }, false, "(not Kestrevane database)", ""},
      {"a line of 256 characters", [](TDatabase& d) { d.Comment("0001  " + std::string(250, 'x')); },
       false, "(not Kestrevane database)", ""},
      {"a line of 255 characters", [](TDatabase& d) { d.Comment("0001  " + std::string(249, 'x')); },
       true, "Old Archive", "Disks in database: 2"},
      // Only lines that start in the first 1024 bytes are looked at.
      {"a bad line beyond 1024 bytes",
       [](TDatabase& d) {
         for (int i = 0; i < 9; ++i) d.Comment("0001  " + std::string(120, 'c'));
         d.Comment("bad line");
       },
       true, "Old Archive", "Disks in database: 2"},
      {"the name in code page 437, blanks trimmed",
       [](TDatabase& d) { d.Cmt = "\xEB\x20  M\x81ller \x84nderungen  \r\n"; }, true,
       "M\u00fcller \u00e4nderungen", "Disks in database: 2"},
      {"the name line last, without line end", [](TDatabase& d) { d.Cmt = "0002  x\r\n\xEB\x20Tail"; },
       true, "Tail", "Disks in database: 2"},
  };
  for (const TCheckCase& c : cases) {
    SCOPED_TRACE(c.What);
    test::TTempDir dir;
    TDatabase db;
    db.Disk(1, 1474560, 0, 2, "ONE").Disk(2, 1474560, 0, 2, "TWO");
    c.Change(db);
    TDatabaseCheck check = CheckDatabase(db.Write(dir));
    EXPECT_EQ(c.Valid, check.Valid);
    EXPECT_EQ(c.Name, check.NameLabel);
    EXPECT_EQ(c.Count, check.CountLabel);
  }
  TDatabaseCheck none = CheckDatabase("");
  EXPECT_FALSE(none.Valid);
  EXPECT_EQ("(no database selected)", none.NameLabel);
  EXPECT_EQ("", none.CountLabel);
}

TEST(ImportCheckTest, FilesAreFoundWhateverTheirLetterCase) {
  test::TTempDir dir;
  TDatabase db;
  db.Disk(1, 1000, 0, 5, "ONE").Entry(1, "FILE.TXT", 5, 0x20);
  std::string dsk = db.Write(dir, "mixed", true);
  EXPECT_EQ(dir.File("mixed.cmt"), DatabaseFile(dsk, "CMT"));
  // The other files under names in another case than the DSK file's.
  std::filesystem::rename(dir.File("mixed.fil"), dir.File("MIXED.Fil"));
  EXPECT_EQ(dir.File("MIXED.Fil"), DatabaseFile(dsk, "FIL"));
  EXPECT_EQ(dir.File("mixed.xyz"), DatabaseFile(dsk, "XYZ"));
  TImportRun run(dsk);
  ASSERT_EQ("", run.error);
  EXPECT_EQ((Names{"File.txt"}), FileNames(run.catalog->Child(0)));
}

TEST(ImportRulesTest, MediaTypesOfDatabaseDisks) {
  struct TMediaCase {
    uint8_t FirstByte, Drive;
    int32_t Capacity;
    uint8_t Media;
  };
  const TMediaCase cases[] = {
      {0, 2, 1474560, 5},  // the first byte 0: a hard disk, whatever the drive
      {1, 0, 614399, 0},    {1, 1, 614400, 1},     {1, 0x21, 362496, 0},
      {1, 2, 921599, 2},    {1, 2, 921600, 7},     {1, 2, 2047999, 7},
      {1, 2, 2048000, 9},   {1, 0x25, 650000000, 10},
      {1, 5, 100000, ImportedUnknownMedia},  // matches none of the rules
      {1, 0x45, 100000, ImportedUnknownMedia},
  };
  for (const TMediaCase& c : cases)
    EXPECT_EQ(c.Media, ImportedMediaType(c.FirstByte, c.Drive, c.Capacity))
        << int(c.Drive) << " " << c.Capacity;
}

TEST(ImportRulesTest, DatesAndNames) {
  EXPECT_EQ(45000.0, ImportedDate(15, 3, 123));
  EXPECT_EQ(29221.0, ImportedDate(1, 1, 80));
  EXPECT_EQ(36585.0, ImportedDate(29, 2, 100));
  EXPECT_EQ(0.0, ImportedDate(29, 2, 99));
  EXPECT_EQ(0.0, ImportedDate(0, 5, 90));
  EXPECT_EQ(0.0, ImportedDate(1, 13, 90));
  const std::pair<const char*, const char*> names[] = {
      {"AUTOEXEC.BAT", "Autoexec.bat"}, {"readme.TXT", "Readme.TXT"}, {"123.TXT", "123.txt"},
      {"\u00c9T\u00c9.DOC", "\u00c9t\u00e9.doc"}, {"..", ".."}, {"", ""}};
  for (auto [stored, shown] : names) EXPECT_EQ(shown, ImportedName(stored)) << stored;
}

TEST(ImportTest, DisksFoldersFilesArchivesAndDescriptions) {
  test::TTempDir dir;
  TDatabase db;
  db.Disk(1, 1474560, 512000, 2, "SYSTEM DISK", 15, 3, 123)
      .Disk(7, 650000000, 0, 0x25, "")
      .Disk(256, 0, 0, 5, "D\x84ten", 1, 1, 80);
  // Disk 1: folder A with X, then Y in the root; two archives in a row in the root.
  db.Entry(1, "A", 0, Folder | 0x01)                // entry 1
      .Entry(1, "X.TXT", 300, ArchiveFile)         // 2
      .Entry(1, "..", 0, Folder)                   // 3
      .Entry(1, "Y.TXT", 40, ArchiveFile | 0x02)   // 4
      .Entry(1, "ONE.ZIP", 5000, Archive | 0x20)   // 5
      .Entry(1, "IN1.DOC", 9000, 0x20)             // 6
      .Entry(1, "TWO.ZIP", 7000, Archive | 0x20)   // 7
      .Entry(1, "IN2.DOC", 8000, 0x20)             // 8
      .Entry(1, "IN3.DOC", 1000, 0x20)             // 9
      .Entry(1, "..", 0, Folder)                   // 10
      .Entry(1, "..", 0, Folder)                   // 11: nothing left to close
      .Entry(1, "Z.TXT", 1, 0x20);                 // 12
  // A number no disk has: its records are passed over.
  db.Entry(9, "GHOST.TXT", 1, 0x20);
  db.Entry(7, "CDROM", 0, Folder).Entry(7, "Sub", 0, Folder).Entry(7, "DEEP.DAT", 70, 0x21);
  db.Description(1, 2, std::string("About X\0second line", 19))
      .Description(1, 4, "Y's note")
      .Description(1, 7, "Archive \xC4\xC4 two")
      .Description(1, 8, "In the second archive")
      .Description(1, 3, "the closing record has none")
      .Description(7, 1, "The CD folder");
  // A line without a number beyond the part the window checks is passed over; the lines
  // after it still count.
  db.Comment("0001  System comment");
  for (int i = 0; i < 9; ++i) db.Comment("0099  " + std::string(120, '.'));
  db.Comment("x01   a line that is no number").Comment("   7  Seven");
  db.Comment("0099  no such disk").Comment("0256  ").Comment("\xEB\x20  Renamed  ");

  TImportRun run(db.Write(dir));
  ASSERT_EQ("", run.error);
  TNode* cat = run.catalog.get();
  auto* catRec = static_cast<TCatalogRec*>(cat->Record);
  EXPECT_EQ("Renamed", cat->Caption);
  EXPECT_EQ(ikCatalog, catRec->KindFlags);
  EXPECT_EQ(1, catRec->Modified);
  EXPECT_TRUE(catRec->FileName.empty());
  EXPECT_EQ(nullptr, catRec->Stream);
  EXPECT_TRUE(run.prompts.Log.empty());
  EXPECT_EQ((std::vector<std::string>{"status:Importing Kestrevane database, please wait...",
                                      "begin:Importing Kestrevane database...:3", "end", "status:"}),
            run.progress.log);
  EXPECT_EQ(2, run.progress.advanced);  // disks 1 and 7; number 9 is none

  ASSERT_EQ(3, cat->ChildCount());
  TNode* one = cat->Child(0);
  auto* d1 = static_cast<TDiskRec*>(one->Record);
  EXPECT_EQ("SYSTEM DISK", one->Caption);
  EXPECT_EQ(0x23 | HasFileDescriptions, d1->KindFlags);
  EXPECT_EQ(1, d1->Changed);
  EXPECT_EQ(1, d1->FilesLoaded);
  EXPECT_EQ(-1, d1->BlockOffset);
  EXPECT_EQ(7, d1->MediaType);
  EXPECT_EQ("FAT", d1->FileSystem);
  EXPECT_EQ("", d1->VolumeLabel);
  EXPECT_EQ(0u, d1->SerialNumber);
  EXPECT_EQ(255, d1->MaxComponentLength);
  EXPECT_EQ(2880, d1->TotalClusters);  // the estimate was asked with the record's sizes
  EXPECT_EQ(1000, d1->FreeClusters);
  EXPECT_EQ(45000.0, d1->LastUpdate);
  EXPECT_EQ("System comment", d1->Description.Str());
  EXPECT_EQ(3, d1->TotalFolders);
  EXPECT_EQ(6, d1->TotalFiles);
  EXPECT_EQ(0, d1->ArchiveFiles);

  EXPECT_EQ((Names{"Y.txt", "Z.txt"}), FileNames(one));
  ASSERT_EQ(3, one->ChildCount());
  TNode* a = one->Child(0);
  auto* aRec = static_cast<TFolderRec*>(a->Record);
  EXPECT_EQ("A", a->Caption);
  EXPECT_EQ(0x11, aRec->Attributes);
  EXPECT_EQ(300 * SizeScale, aRec->TotalSize);
  EXPECT_FALSE(HasFlag(aRec, InArchive));
  EXPECT_EQ((Names{"X.txt"}), FileNames(a));
  TFileRec* x = test::Files(a)[0];
  EXPECT_EQ("About X\r\nsecond line", x->Description.Str());
  EXPECT_EQ(300u, x->Size);
  EXPECT_EQ(0x20, x->Attributes);
  EXPECT_EQ(0u, x->ModifiedTime);
  EXPECT_TRUE(HasFlag(aRec, HasFileDescriptions));
  EXPECT_TRUE(HasFlag(d1, HasFileDescriptions));
  EXPECT_EQ("Y's note", test::Files(one)[0]->Description.Str());
  EXPECT_EQ(0x22, test::Files(one)[0]->Attributes);

  // The archives are siblings; the entries after the second are its own.
  TNode* zip1 = one->Child(1);
  TNode* zip2 = one->Child(2);
  EXPECT_EQ("One.zip", zip1->Caption);
  EXPECT_EQ("Two.zip", zip2->Caption);
  for (TNode* zip : {zip1, zip2}) {
    EXPECT_TRUE(HasFlag(zip->Record, InArchive));
    EXPECT_EQ(0x20, static_cast<TFolderRec*>(zip->Record)->Attributes);
    for (TFileRec* f : test::Files(zip)) EXPECT_TRUE(HasFlag(f, InArchive)) << f->Name();
  }
  EXPECT_EQ(5000 * SizeScale, static_cast<TFolderRec*>(zip1->Record)->TotalSize);
  EXPECT_EQ(7000 * SizeScale, static_cast<TFolderRec*>(zip2->Record)->TotalSize);
  EXPECT_EQ((Names{"In1.doc"}), FileNames(zip1));
  EXPECT_EQ((Names{"In2.doc", "In3.doc"}), FileNames(zip2));
  EXPECT_EQ("Archive -- two", static_cast<TFolderRec*>(zip2->Record)->Description.Str());
  EXPECT_EQ("In the second archive", test::Files(zip2)[0]->Description.Str());

  TNode* cd = cat->Child(1);
  auto* d7 = static_cast<TDiskRec*>(cd->Record);
  EXPECT_EQ("(unknown)", cd->Caption);
  EXPECT_EQ(10, d7->MediaType);
  EXPECT_EQ("CDFS", d7->FileSystem);
  EXPECT_EQ("Seven", d7->Description.Str());
  TNode* cdFolder = ChildNamed(cd, "Cdrom");
  ASSERT_NE(nullptr, cdFolder);
  EXPECT_EQ("The CD folder", static_cast<TFolderRec*>(cdFolder->Record)->Description.Str());
  TNode* sub = ChildNamed(cdFolder, "Sub");
  ASSERT_NE(nullptr, sub);
  EXPECT_EQ((Names{"Deep.dat"}), FileNames(sub));
  // Sizes reach the folder that holds a file only once it is closed.
  EXPECT_EQ(70 * SizeScale, static_cast<TFolderRec*>(sub->Record)->TotalSize);

  TNode* third = cat->Child(2);
  EXPECT_EQ("D\u00e4ten", third->Caption);
  EXPECT_EQ(5, static_cast<TDiskRec*>(third->Record)->MediaType);  // number 256: first byte 0
  EXPECT_EQ(29221.0, static_cast<TDiskRec*>(third->Record)->LastUpdate);
  EXPECT_EQ(0x23, third->Record->KindFlags);
  EXPECT_TRUE(static_cast<TDiskRec*>(third->Record)->Description.Empty());  // "0256  " is short

  // The imported catalog is an ordinary one: it saves and reads back the same.
  TCatalogTree tree;
  TNode* inTree = tree.AppendChild(tree.Root(), std::move(run.catalog));
  WriteCatalogFile(inTree, dir.File("imported.ctf"), NoProgress());
  TCatalogTree again;
  TNode* reread = again.AppendChild(again.Root(), ReadCatalogFile(dir.File("imported.ctf")));
  EXPECT_EQ(test::DescribeTree(inTree), test::DescribeTree(reread));
  EXPECT_EQ("", test::CheckTree(tree));
}

TEST(ImportTest, MissingFileListIsSaidAndTheDisksStay) {
  test::TTempDir dir;
  TDatabase db;
  db.Disk(1, 1000, 0, 5, "ONE").Disk(2, 1000, 0, 5, "TWO");
  db.WithFil = false;
  db.WithFds = false;
  TImportRun run(db.Write(dir));
  ASSERT_EQ("", run.error);
  ASSERT_EQ(1u, run.prompts.Log.size());
  EXPECT_EQ("Problem", run.prompts.Log[0].Title);
  EXPECT_EQ("Can't open Kestrevane catalog file!", run.prompts.Log[0].Text);
  EXPECT_EQ(TIcon::Error, run.prompts.Log[0].Icon);
  ASSERT_EQ(2, run.catalog->ChildCount());
  EXPECT_EQ(0, run.catalog->Child(0)->ChildCount());
  EXPECT_TRUE(test::Files(run.catalog->Child(1)).empty());
}

TEST(ImportTest, DamagedDatabasesGiveAClearErrorAndNoCatalog) {
  struct TDamageCase {
    const char* What;
    std::function<void(TDatabase&)> Damage;
    std::string Error;
  };
  const TDamageCase cases[] = {
      {"disk file cut", [](TDatabase& d) { d.Dsk.resize(d.Dsk.size() - 1); },
       "(not Kestrevane database)"},
      {"disk name longer than its field", [](TDatabase& d) { d.Dsk[15 + 39] = 21; },
       "The Kestrevane database is damaged: ARCHIVE.DSK holds a disk name longer than 20 "
       "characters."},
      {"file list cut inside a record", [](TDatabase& d) { d.Fil.resize(d.Fil.size() - 3); },
       "The Kestrevane database is damaged: ARCHIVE.FIL ends inside a record."},
      {"file name longer than its field", [](TDatabase& d) { d.Fil[20 + 2] = 13; },
       "The Kestrevane database is damaged: ARCHIVE.FIL holds a name longer than 12 "
       "characters."},
      {"descriptions cut inside a head", [](TDatabase& d) { d.Fds += "\x01\x00\x02"; },
       "The Kestrevane database is damaged: ARCHIVE.FDS ends inside an entry's head."},
      {"description without its end", [](TDatabase& d) { d.Fds.resize(d.Fds.size() - 2); },
       "The Kestrevane database is damaged: ARCHIVE.FDS ends inside a description."},
      {"description longer than 255", [](TDatabase& d) { d.Description(1, 3, std::string(256, 'd')); },
       "The Kestrevane database is damaged: ARCHIVE.FDS holds a description longer than 255 "
       "characters."},
      {"folders nested 256 deep",
       [](TDatabase& d) {
         for (int i = 0; i < 256; ++i) d.Entry(2, "F", 0, Folder);
       },
       "The Kestrevane database is damaged: ARCHIVE.FIL nests folders deeper than 255 levels."},
  };
  for (const TDamageCase& c : cases) {
    SCOPED_TRACE(c.What);
    test::TTempDir dir;
    TDatabase db;
    db.Disk(1, 1000, 0, 5, "ONE").Disk(2, 1000, 0, 5, "TWO");
    db.Entry(1, "DIR", 0, Folder).Entry(1, "FILE.TXT", 5, 0x20).Entry(2, "OTHER.TXT", 5, 0x20);
    db.Description(1, 2, "A file");
    c.Damage(db);
    TImportRun run(db.Write(dir));  // leak checks catch a half-built catalog left behind
    EXPECT_EQ(c.Error, run.error);
    EXPECT_EQ(nullptr, run.catalog);
    if (!run.progress.log.empty()) {
      EXPECT_EQ("status:", run.progress.log.back());
    }
  }
}

TEST(ImportTest, FoldersDeep255LevelsAreKept) {
  test::TTempDir dir;
  TDatabase db;
  db.Disk(1, 1000, 0, 5, "ONE");
  for (int i = 0; i < 255; ++i) db.Entry(1, "F", 0, Folder);
  db.Entry(1, "LAST.TXT", 1, 0x20);
  TImportRun run(db.Write(dir));
  ASSERT_EQ("", run.error);
  TNode* node = run.catalog->Child(0);
  int depth = 0;
  while (node->ChildCount() == 1) {
    node = node->Child(0);
    ++depth;
  }
  EXPECT_EQ(255, depth);
  EXPECT_EQ((Names{"Last.txt"}), FileNames(node));
}

}  // namespace
}  // namespace tf

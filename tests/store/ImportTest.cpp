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

using test::FileNames;
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

  // Disk 1: the record's sizes went to the geometry estimate; names in the shown case, the
  // description's NUL a line break. The archives are siblings; the entries after the second
  // are its own. Sizes reach the folder that holds a file only once it is closed. Disk 256:
  // first byte 0, a hard disk, and "0256  " is too short to be a comment.
  EXPECT_EQ(test::DescribeTree(cat),
            "catalog Renamed - flag:- flag:- flag:-\n"
            "  disk SYSTEM DISK k43 m7 s0 512/1/255 files6 arc0 folders3 clusters2880/1000 t45000 "
            "serial0 u0 [] [FAT] [System comment]\n"
            "    file Y.txt k1 a34 0/0/0 40 c0 [Y's note]\n"
            "    file Z.txt k1 a32 0/0/0 1 c0 -\n"
            "    folder A k10 3000000 a17 0/0/0 r0 c0 n1 -\n"
            "      file X.txt k1 a32 0/0/0 300 c0 [About X\r\nsecond line]\n"
            "    folder One.zip k18 50000000 a32 0/0/0 r0 c0 n1 -\n"
            "      file In1.doc k17 a32 0/0/0 9000 c0 -\n"
            "    folder Two.zip k26 70000000 a32 0/0/0 r0 c0 n2 [Archive -- two]\n"
            "      file In2.doc k17 a32 0/0/0 8000 c0 [In the second archive]\n"
            "      file In3.doc k17 a32 0/0/0 1000 c0 -\n"
            "  disk (unknown) k35 m10 s0 512/1/255 files1 arc0 folders2 clusters1269531/0 t34773 "
            "serial0 u0 [] [CDFS] [Seven]\n"
            "    folder Cdrom k2 0 a16 0/0/0 r0 c0 n0 [The CD folder]\n"
            "      folder Sub k2 700000 a16 0/0/0 r0 c0 n1 -\n"
            "        file Deep.dat k1 a33 0/0/0 70 c0 -\n"
            "  disk D\u00e4ten k35 m5 s0 512/1/255 files0 arc0 folders0 clusters0/0 t29221 serial0 "
            "u0 [] [FAT] -\n");
  auto* d1 = static_cast<TDiskRec*>(cat->Child(0)->Record);
  EXPECT_EQ(1, d1->Changed);
  EXPECT_EQ(1, d1->FilesLoaded);
  EXPECT_EQ(-1, d1->BlockOffset);

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
  EXPECT_EQ(test::Shown(run.prompts),
            std::vector<std::string>{"Problem | Can't open Kestrevane catalog file! | Ok | Error"});
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

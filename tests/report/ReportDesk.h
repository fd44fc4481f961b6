#pragma once
// The catalogs the report tests write reports of, and the files those reports must match
// (tests/data/report, written by hand).

#include <string>

#include "browse/Format.h"
#include "support/TestSupport.h"

namespace tf::test {

// Two catalogs. "Work" holds the disk Docs (folders Letters with Old inside, and Photos; a
// file in the root) and the CD Games; "Backup" holds an empty disk.
struct TDesk {
  TCatalogTree tree;
  TNode* work = AddCatalog(tree, "Work");
  TNode* docs = AddDisk(work, "Docs");
  TNode* letters = AddFolder(docs, "Letters", 1500);
  TNode* old = AddFolder(letters, "Old", 0);
  TNode* photos = AddFolder(docs, "Photos", 2048);
  TFileRec* a = AddFile(letters, "a.txt", 1000, "First line\r\nSecond line\r\nThird");
  TFileRec* b = AddFile(letters, "b.doc", 500);
  TFileRec* c = AddFile(old, "c.txt", 0);
  TFileRec* photo = AddFile(photos, "Holiday_photos_from_the_bea.jpg", 2048);
  TFileRec* readme = AddFile(docs, "readme.txt", 10);
  TNode* games = AddDisk(work, "Games");
  TNode* doom = AddFolder(games, "Doom", 4000);
  TFileRec* exe = AddFile(doom, "doom.exe", 4000);
  TNode* backup = AddCatalog(tree, "Backup");
  TNode* tape = AddDisk(backup, "Tape");

  TDesk() {
    auto* d = static_cast<TDiskRec*>(docs->Record);
    d->LastUpdate = 45000.0;  // 2023-03-15
    d->Description.Assign("Office papers");
    auto* g = static_cast<TDiskRec*>(games->Record);
    g->MediaType = 10;
    g->BytesPerSector = 2048;
    g->SectorsPerCluster = 1;
    g->TotalClusters = 300000;
    g->FreeClusters = 0;
    a->ModifiedTime = EncodeDosDateTime({2001, 2, 3, 12, 30, 40});
    a->Attributes = 0x21;
    b->ModifiedTime = EncodeDosDateTime({1999, 12, 31, 23, 59, 58});
    b->Attributes = 0x20;
  }
};

// The date at the head of the expected reports: 2024-05-06 07:08:09 (SOURCE_DATE_EPOCH
// 1714979289).
inline const TDateTimeParts ReportDate{2024, 5, 6, 7, 8, 9};
inline constexpr char ReportEpoch[] = "1714979289";

inline std::string ExpectedReport(const std::string& name) {
  return ReadBytes(std::string(TF_TEST_DATA_DIR) + "/report/" + name);
}

}  // namespace tf::test

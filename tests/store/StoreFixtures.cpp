#include "StoreFixtures.h"

namespace tf::test {

TNode* BuildSampleCatalog(TCatalogTree& tree, const std::string& name) {
  TNode* cat = AddCatalog(tree, name);
  auto* catRec = static_cast<TCatalogRec*>(cat->Record);
  catRec->Description.Assign("Old shareware CDs");
  catRec->Categories = {{"Games", 1}, {"Tools", 2}};
  catRec->FlagNames[0].Assign("Backed up");
  catRec->FlagNames[2].Assign("Broken");

  TNode* d1 = AddDisk(cat, "Shareware 1");
  auto* disk1 = static_cast<TDiskRec*>(d1->Record);
  disk1->VolumeLabel = "Sw1";
  disk1->SerialNumber = 0x1A2B3C4D;
  disk1->LastUpdate = 36526.5;
  disk1->Description.Assign("First disk");
  AddFile(d1, "Readme.txt", 1200, "Read this first");
  AddFile(d1, "Autoexec.bat", 77);
  TNode* games = AddFolder(d1, "Games", 5000);
  AddFile(games, "Doom.exe", 4000)->CategoryFlags = 1 | UserFlag1;
  AddFile(games, "Doom.wad", 1000);
  TNode* doom = AddFolder(games, "Doom", 300);
  AddFile(doom, "Save1.dsg", 100, "Level 3\r\nwith the key");
  AddFile(doom, "Save2.dsg", 200);
  TNode* deep = AddFolder(doom, "Deep", 0);
  AddFolder(deep, "Deeper", 0);
  TNode* tools = AddFolder(d1, "Tools", 10);
  static_cast<TFolderRec*>(tools->Record)->Description.Assign("Utilities");
  static_cast<TFolderRec*>(tools->Record)->CategoryFlags = 2;
  AddFile(tools, "Pkzip.exe", 10);

  TNode* d2 = AddDisk(cat, "Shareware 2");
  static_cast<TDiskRec*>(d2->Record)->VolumeLabel = "Sw2";
  TNode* arc = AddFolder(d2, "Pack.zip", 999);
  SetFlag(arc->Record, InArchive, true);
  TFileRec* entry = AddFile(arc, "docs\\readme.txt", 500);
  SetFlag(entry, InArchive, true);
  entry->CreatedTime = 0xDEADBEEF;  // the entry's CRC-32
  AddFolder(d2, "Empty", 0);
  return cat;
}

SavedSample::SavedSample() {
  TCatalogTree builder;
  original = DescribeTree(BuildSampleCatalog(builder));
  WriteCatalogFile(builder.Catalog(0), path, NoProgress());
}

TNode* OpenCatalog(TCatalogTree& tree, const std::string& path) {
  return tree.AppendChild(tree.Root(), ReadCatalogFile(path));
}

int32_t I32At(const std::string& b, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | uint8_t(b.at(at + std::size_t(i)));
  return int32_t(v);
}

uint16_t U16At(const std::string& b, std::size_t at) {
  return uint16_t(uint8_t(b.at(at)) | (uint8_t(b.at(at + 1)) << 8));
}

}  // namespace tf::test

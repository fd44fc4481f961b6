#include "CatalogGen.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>

#include "store/LoadSave.h"

namespace tf::bench {

std::string BenchDir() {
  const char* dir = std::getenv("TF_BENCH_DIR");
  std::string d = dir ? dir : "/tmp/tallowfen-bench";
  std::filesystem::create_directories(d);
  return d;
}

namespace {

class TGen {
 public:
  explicit TGen(uint32_t seed) : rng_(seed) {}
  uint32_t Next(uint32_t n) { return n ? rng_() % n : 0; }

  std::string Name(bool folder) {
    static const char* words[] = {"Games", "Setup", "Readme", "Music", "Tracking", "Data",
                                  "Tools", "Docs", "Archive", "Backup", "Images", "Level"};
    static const char* exts[] = {"TXT", "EXE", "ZIP", "DOC", "BAT", "DAT", "WAV", "BMP"};
    std::string name;
    if (Next(2) == 0) {  // a DOS name
      int len = 3 + int(Next(6));
      for (int i = 0; i < len; ++i) name += char('A' + Next(26));
    } else {
      name = words[Next(12)];
      name += ' ';
      name += words[Next(12)];
      name += std::to_string(Next(1000));
    }
    if (!folder) {
      name += '.';
      name += exts[Next(8)];
    }
    return name;
  }

  uint32_t DosTime() {
    uint32_t year = 5 + Next(40), month = 1 + Next(12), day = 1 + Next(28);
    uint32_t hour = Next(24), minute = Next(60), sec = Next(30);
    return (((year << 9) | (month << 5) | day) << 16) | (hour << 11) | (minute << 5) | sec;
  }

 private:
  std::mt19937 rng_;
};

TNode* AppendNode(TNode* parent, std::string name, TItemRec* rec) {
  return TreeOf(parent)->AppendChild(parent, MakeNode(std::move(name), rec));
}

// Fills one container with files and returns the bytes they hold.
int64_t AddFiles(TGen& g, TNode* container, int count, TDiskRec* disk) {
  TFileRec* last = nullptr;
  int64_t bytes = 0;
  for (int i = 0; i < count; ++i) {
    TFileRec* f = TFileRec::Create(g.Name(false));
    f->Node = container;
    f->Attributes = 0x20;
    f->ModifiedTime = g.DosTime();
    f->Size = g.Next(2000000);
    if (g.Next(20) == 0) {
      f->Description.Assign("A description of this file, taken from FILES.BBS\r\nsecond line");
      SetFlag(container->Record, HasFileDescriptions, true);
    }
    bytes += f->Size;
    LinkFile(container->Record, last, f);
    ++*ContainerInfo(container->Record).FileCount;
  }
  disk->TotalFiles += count;
  return bytes;
}

int64_t AddFolderTree(TGen& g, TNode* parent, int depth, int& filesLeft, TDiskRec* disk) {
  auto* folder = new TFolderRec;
  folder->ModifiedTime = g.DosTime();
  if (g.Next(10) == 0) folder->Description.Assign("Folder description");
  TNode* node = AppendNode(parent, g.Name(true), folder);
  ++disk->TotalFolders;
  int files = std::min(filesLeft, 5 + int(g.Next(11)));
  filesLeft -= files;
  int64_t bytes = AddFiles(g, node, files, disk);
  if (depth < 5) {
    int subfolders = int(g.Next(depth < 2 ? 4 : 3));
    for (int i = 0; i < subfolders && filesLeft > 0; ++i)
      bytes += AddFolderTree(g, node, depth + 1, filesLeft, disk);
  }
  folder->TotalSize = bytes * SizeScale;
  return bytes;
}

}  // namespace

TNode* BuildSyntheticCatalog(TCatalogTree& tree, const std::string& name, const TGenOptions& opt) {
  TGen g(opt.Seed);
  auto* cat = new TCatalogRec;
  cat->KindFlags = ikCatalog | SearchScope;
  TNode* catNode = tree.AppendChild(tree.Root(), MakeNode(name, cat));
  catNode->Bold = true;
  for (int d = 0; d < opt.Disks; ++d) {
    auto* disk = new TDiskRec;
    disk->MediaType = 10;
    disk->FileSystem = "CDFS";
    disk->VolumeLabel = "Disk" + std::to_string(d + 1);
    disk->BytesPerSector = 2048;
    disk->SectorsPerCluster = 1;
    disk->TotalClusters = 330000;
    disk->SerialNumber = g.Next(0xFFFFFFFF);
    disk->LastUpdate = 40000 + d;
    TNode* diskNode = AppendNode(catNode, "Disk " + std::to_string(d + 1), disk);
    int filesLeft = opt.FilesPerDisk;
    int rootFiles = std::min(filesLeft, 10);
    filesLeft -= rootFiles;
    AddFiles(g, diskNode, rootFiles, disk);
    while (filesLeft > 0) AddFolderTree(g, diskNode, 1, filesLeft, disk);
  }
  return catNode;
}

std::string SyntheticCatalogFile(int disks, int filesPerDisk) {
  std::string p = BenchDir() + "/catalog-" + std::to_string(disks) + "x" +
                  std::to_string(filesPerDisk) + ".ctf";
  if (!std::filesystem::exists(p)) {
    TCatalogTree tree;
    TNode* cat = BuildSyntheticCatalog(tree, "Benchmark", {disks, filesPerDisk, 1});
    WriteCatalogFile(cat, p, NoProgress());
  }
  return p;
}

std::string BigFolderCatalogFile(int files) {
  std::string p = BenchDir() + "/browse-" + std::to_string(files) + ".ctf";
  if (std::filesystem::exists(p)) return p;
  TCatalogTree tree;
  auto* catRec = new TCatalogRec;
  TNode* cat = tree.AppendChild(tree.Root(), MakeNode("Browse", catRec));
  auto* disk = new TDiskRec;
  disk->FileSystem = "EXT4";
  TNode* diskNode = tree.AppendChild(cat, MakeNode("Archive disk", disk));
  std::mt19937 rng(42);
  static const char* stems[] = {"IMG_", "DSC", "track ", "Report ", "invoice-", "setup",
                                "README", "Notes ", "backup_", "Game Level "};
  static const char* exts[] = {".jpg", ".JPG", ".mp3", ".pdf", ".docx", ".txt", ".exe",
                               ".zip", "", ".tar.gz", ".png", ".wav"};
  for (const char* name : {"Alpha", "Big", "Zulu"}) {
    auto* folder = new TFolderRec;
    TNode* node = tree.AppendChild(diskNode, MakeNode(name, folder));
    if (std::string(name) != "Big") continue;
    TFileRec* last = nullptr;
    int64_t total = 0;
    for (int i = 0; i < files; ++i) {
      std::string file = std::string(stems[rng() % std::size(stems)]) +
                         std::to_string(rng() % 1000000) + exts[rng() % std::size(exts)];
      TFileRec* f = TFileRec::Create(file);
      f->Size = rng() % 50000000;
      f->ModifiedTime = (uint32_t(10 + rng() % 40) << 25) | (uint32_t(1 + rng() % 12) << 21) |
                        (uint32_t(1 + rng() % 28) << 16) | (uint32_t(rng() % 24) << 11) |
                        (uint32_t(rng() % 60) << 5);
      f->Attributes = 0x20;
      f->Node = node;
      if (rng() % 20 == 0) f->Description.Assign("Description of " + file);
      LinkFile(folder, last, f);
      total += f->Size;
    }
    folder->FileCount = files;
    folder->TotalSize = total * SizeScale;
  }
  WriteCatalogFile(cat, p, NoProgress());
  return p;
}

namespace {

void ListFiles(std::FILE* out, TNode* node, const std::string& path) {
  for (TFileRec* f = FirstFile(node->Record); f; f = f->NextFile()) {
    std::fwrite(f->Name().data(), 1, f->Name().size(), out);
    std::fprintf(out, "\t%u\t%s\n", f->Size, path.c_str());
  }
  for (auto& c : node->Children) ListFiles(out, c.get(), path + c->Caption + "/");
}

}  // namespace

void WriteListing(TNode* catalog, const std::string& path) {
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (!out) throw std::runtime_error("cannot write " + path);
  for (auto& disk : catalog->Children) ListFiles(out, disk.get(), "/" + disk->Caption + "/");
  if (std::fclose(out) != 0) throw std::runtime_error("cannot write " + path);
}

}  // namespace tf::bench

// tallowfen-cli dump: the whole catalog as JSON, and clear failures.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>

#include <nlohmann/json.hpp>

#include "../store/StoreFixtures.h"

namespace tf::test {
namespace {

using nlohmann::json;

class Dump : public SavedSample {};

TEST_F(Dump, PrintsEveryLevelAndList) {
  TCliResult r = RunCli({"dump", path});
  ASSERT_EQ(r.Status, 0) << r.Err;
  json doc = json::parse(r.Out);
  EXPECT_EQ(doc["name"], "Sample");
  EXPECT_EQ(doc["description"], "Old shareware CDs");
  EXPECT_EQ(doc["categories"], json::parse(R"([{"name":"Games","id":1},{"name":"Tools","id":2}])"));
  EXPECT_EQ(doc["flags"], json::parse(R"(["Backed up",null,"Broken"])"));
  ASSERT_EQ(doc["disks"].size(), 2u);
  const json& d1 = doc["disks"][0];
  EXPECT_EQ(d1["name"], "Shareware 1");
  EXPECT_EQ(d1["kindFlags"], ikDisk | SearchScope | HasFileDescriptions);
  EXPECT_EQ(d1["serialNumber"], 0x1A2B3C4D);
  EXPECT_EQ(d1["lastUpdate"], 36526.5);
  EXPECT_EQ(d1["volumeLabel"], "Sw1");
  EXPECT_EQ(d1["fileSystem"], "FAT");
  EXPECT_EQ(d1["files"][0]["name"], "Readme.txt");
  EXPECT_EQ(d1["files"][0]["description"], "Read this first");
  EXPECT_EQ(d1["files"][1]["description"], nullptr);
  const json& games = d1["folders"][0];
  EXPECT_EQ(games["name"], "Games");
  EXPECT_EQ(games["totalSize"], 5000 * 10000);
  EXPECT_EQ(games["files"][0]["categoryFlags"], 0x21);
  const json& doom = games["folders"][0];
  EXPECT_EQ(doom["files"][0]["description"], "Level 3\r\nwith the key");
  EXPECT_EQ(doom["folders"][0]["folders"][0]["name"], "Deeper");
  const json& archive = doc["disks"][1]["folders"][0];
  EXPECT_EQ(archive["kindFlags"], ikFolder | InArchive);
  EXPECT_EQ(archive["files"][0]["name"], "docs\\readme.txt");
  EXPECT_EQ(archive["files"][0]["createdTime"], 0xDEADBEEFu);
  // The order of keys is the documented one.
  std::vector<std::string> keys;
  for (auto it = doom["files"][0].begin(); it != doom["files"][0].end(); ++it)
    keys.push_back(it.key());
  EXPECT_EQ(keys.size(), 8u);
  EXPECT_EQ(r.Out.find("\"name\":\"Save1.dsg\",\"attributes\""),
            r.Out.find("\"name\":\"Save1.dsg\""));
}

TEST_F(Dump, Windows1252NamesArePrintedAsUtf8) {
  TNode* cat = AddCatalog(tree, "Caf\xE9");
  AddFile(AddDisk(cat, "D"), "na\xEFve.txt", 1);
  std::string p = dir.File("cp.ctf");
  WriteCatalogFile(cat, p, NoProgress());
  TCliResult r = RunCli({"dump", p});
  ASSERT_EQ(r.Status, 0) << r.Err;
  json doc = json::parse(r.Out);
  EXPECT_EQ(doc["name"], "Caf\xC3\xA9");
  EXPECT_EQ(doc["disks"][0]["files"][0]["name"], "na\xC3\xAFve.txt");
}

TEST_F(Dump, FailuresExitWithStatusTwoAndTheMessage) {
  std::string notCatalog = dir.File("readme.txt");
  WriteBytes(notCatalog, "hello, world\n");
  TCliResult r = RunCli({"dump", notCatalog});
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("This is not a valid catalog file!"), std::string::npos);
  EXPECT_EQ(r.Out, "");

  // Files that cannot be opened are named, with the reason.
  const std::pair<std::string, std::string> unopenable[] = {
      {dir.File("missing.ctf"), "No such file or directory"},
      {dir.Path().string(), "Is a directory"},
  };
  for (const auto& [file, reason] : unopenable) {
    r = RunCli({"dump", file});
    EXPECT_EQ(r.Status, 2);
    EXPECT_EQ(r.Err, file + ": File open error: " + reason + "\n");
    EXPECT_EQ(r.Out, "");
  }

  // Damage deep in a file list is found half-way through: still no half document.
  std::string bytes = ReadBytes(path);
  TNode* cat = OpenCatalog(tree, path);
  auto* d2 = static_cast<TDiskRec*>(cat->Child(1)->Record);
  TNode* arc = cat->Child(1)->Child(0);
  std::size_t list = std::size_t(d2->BlockOffset + static_cast<TFolderRec*>(arc->Record)->FilesOffset);
  bytes[list] = char(250);  // a name length running past the list
  std::string damaged = dir.File("damaged.ctf");
  WriteBytes(damaged, bytes);
  r = RunCli({"dump", damaged});
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("Internal catalog structure error detected."), std::string::npos);
  EXPECT_EQ(r.Out, "");
}

TEST_F(Dump, FolderLevelsThatHideASubtreeAreDamage) {
  // The level byte of disk 1's first folder (Games, level 1) as 0 or 2: before, the dump
  // printed the disk without its folders and said all was well.
  auto* d1 = static_cast<TDiskRec*>(OpenCatalog(tree, path)->Child(0)->Record);
  std::size_t level = std::size_t(d1->BlockOffset + d1->FoldersOffset + 1);
  std::string bytes = ReadBytes(path);
  ASSERT_EQ(bytes[level], 1);
  for (char bad : {0, 2}) {
    std::string b = bytes;
    b[level] = bad;
    std::string damaged = dir.File("levels.ctf");
    WriteBytes(damaged, b);
    TCliResult r = RunCli({"dump", damaged});
    EXPECT_EQ(r.Status, 2) << int(bad);
    EXPECT_NE(r.Err.find("Internal catalog structure error detected."), std::string::npos) << r.Err;
    EXPECT_EQ(r.Out, "");
  }
}

void PutI32(std::string& b, std::size_t at, int32_t v) {
  for (int i = 0; i < 4; ++i) b[at + std::size_t(i)] = char(uint32_t(v) >> (8 * i));
}

TEST_F(Dump, AFileListLargerThanMemoryIsAnErrorNotAnAbort) {
  // One disk whose root file list is 256 MiB (a sparse file: zeros after the first entry,
  // each a valid empty entry), in a process that may not allocate that much.
  TNode* cat = AddCatalog(tree, "Big");
  AddFile(AddDisk(cat, "D"), "a", 1);
  std::string big = dir.File("big.ctf");
  WriteCatalogFile(cat, big, NoProgress());
  auto* disk = static_cast<TDiskRec*>(OpenCatalog(tree, big)->Child(0)->Record);
  constexpr int32_t List = 256 << 20;
  int32_t blockLength = disk->FilesOffset + List;
  std::string b = ReadBytes(big);
  std::size_t block = std::size_t(disk->BlockOffset);
  PutI32(b, block + 1, blockLength);   // BlockLength
  PutI32(b, block + 5, blockLength);   // FoldersOffset: no folders
  PutI32(b, block + 13, List);         // FilesLength
  WriteBytes(big, b);
  std::filesystem::resize_file(big, block + std::size_t(blockLength));

  TCliSetup limited;
#if defined(__SANITIZE_ADDRESS__)
  // The sanitizers' allocator refuses large blocks, as a full memory would.
  const char* asan = std::getenv("ASAN_OPTIONS");
  limited.Env = {{"ASAN_OPTIONS", std::string(asan ? asan : "") +
                                      ":allocator_may_return_null=1:max_allocation_size_mb=64"}};
#else
  limited.BeforeExec = [] {
    struct rlimit mem = {size_t(192) << 20, size_t(192) << 20};
    return ::setrlimit(RLIMIT_AS, &mem) == 0;
  };
#endif
  TCliResult r = RunCli({"dump", big}, limited);
  EXPECT_EQ(r.Status, 2) << r.Err;
  EXPECT_NE(r.Err.find("Out of memory."), std::string::npos) << r.Err;
  EXPECT_EQ(r.Out, "");
}

TEST_F(Dump, UsageErrorsExitWithStatusOne) {
  EXPECT_EQ(RunCli({}).Status, 1);
  EXPECT_EQ(RunCli({"dump"}).Status, 1);
  EXPECT_EQ(RunCli({"frobnicate"}).Status, 1);
  TCliResult v = RunCli({"--version"});
  EXPECT_EQ(v.Status, 0);
  EXPECT_NE(v.Out.find("tallowfen-cli"), std::string::npos);
  EXPECT_EQ(RunCli({"--help"}).Status, 0);
}

}  // namespace
}  // namespace tf::test

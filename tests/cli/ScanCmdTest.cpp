// tallowfen-cli scan and update, end to end: a tree on disk, the commands, and the catalog as
// dump prints it, compared with what the file system says.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <nlohmann/json.hpp>

#include "platform/LocalTime.h"
#include "support/TestSupport.h"
#include "support/TreeBuilder.h"

namespace tf::test {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

class ScanCommand : public ::testing::Test {
 protected:
  json Dump() {
    TCliResult r = RunCli({"dump", catalogPath});
    EXPECT_EQ(r.Status, 0) << r.Err;
    return json::parse(r.Out);
  }
  TTempDir dir;
  TTreeBuilder tree{dir.Path() / "medium"};
  std::string root = tree.Root().string();
  std::string catalogPath = dir.File("disks.ctf");
};

// Every folder's files and subfolders as the file system lists them, and as dump prints them:
// "path" -> "size modified-time".
void FromDisk(const fs::path& folder, const std::string& prefix, std::map<std::string, std::string>& out) {
  for (const auto& e : fs::directory_iterator(folder)) {
    struct stat st {};
    ASSERT_EQ(::lstat(e.path().c_str(), &st), 0);
    std::string path = prefix + e.path().filename().string();
    bool isDir = S_ISDIR(st.st_mode);
    out[path] = std::to_string(isDir ? 0 : st.st_size) + " " + std::to_string(UnixToDosTime(st.st_mtime));
    if (isDir) FromDisk(e.path(), path + "\\", out);
  }
}

void FromDump(const json& node, const std::string& prefix, std::map<std::string, std::string>& out) {
  for (const json& f : node["files"])
    out[prefix + f["name"].get<std::string>()] =
        std::to_string(f["size"].get<uint64_t>()) + " " + std::to_string(f["modifiedTime"].get<uint32_t>());
  for (const json& d : node["folders"]) {
    std::string path = prefix + d["name"].get<std::string>();
    out[path] = "0 " + std::to_string(d["modifiedTime"].get<uint32_t>());
    FromDump(d, path + "\\", out);
  }
}

TEST_F(ScanCommand, ScanThenDumpShowsWhatTheFileSystemHolds) {
  tree.File("readme.txt", "hello").Sized("games/doom/doom.wad", 123456).File("games/setup.exe", "MZ")
      .Folder("empty").File("caf\xC3\xA9 au lait.txt", "x").Time("games", 800000000);
  TCliResult r = RunCli({"scan", root, "--catalog", catalogPath, "--name", "Small"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(json::parse(r.Out),
            json::parse(R"({"name":"Small","files":4,"folders":3,"archiveEntries":0})"));
  EXPECT_EQ(r.Err, "");  // no progress bar without a terminal

  json doc = Dump();
  EXPECT_EQ(doc["name"], "Catalog1");
  ASSERT_EQ(doc["disks"].size(), 1u);
  const json& disk = doc["disks"][0];
  EXPECT_EQ(disk["name"], "Small");
  EXPECT_EQ(disk["totalFiles"], 4);
  EXPECT_EQ(disk["totalFolders"], 3);
  std::map<std::string, std::string> expected, got;
  FromDisk(tree.Root(), "", expected);
  FromDump(disk, "", got);
  EXPECT_EQ(got, expected);
}

TEST_F(ScanCommand, VolumeDataSwitchesAndTheUpdate) {
  tree.File(".hidden", "h").Archive("DATA.ZIP", "basic.zip").File("notes.txt", "n");
  TCliResult r = RunCli({"scan", root, "--catalog", catalogPath, "--label", "WORK DISK",
                         "--serial", "1234-ABCD", "--media", "7", "--fs", "FAT", "--no-archives",
                         "--no-comments", "--no-ignore-hidden-files", "--keep-current"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  json doc = Dump();
  const json& disk = doc["disks"][0];
  EXPECT_EQ(disk["volumeLabel"], "WORK DISK");  // the folder's file system tells case apart
  EXPECT_EQ(disk["name"], "WORK DISK");
  EXPECT_EQ(disk["serialNumber"], 0x1234ABCD);
  EXPECT_EQ(disk["mediaType"], 7);
  EXPECT_EQ(disk["fileSystem"], "FAT");
  EXPECT_EQ(disk["files"].size(), 3u);  // the hidden file and the archive as a plain file
  EXPECT_TRUE(disk["folders"].empty());

  // A second scan of the same medium gets a name of its own.
  r = RunCli({"scan", root, "--catalog", catalogPath, "--label", "WORK DISK"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(json::parse(r.Out)["name"], "WORK DISK (2)");
  EXPECT_EQ(json::parse(r.Out)["archiveEntries"], 2);

  // The update replaces the disk, keeps its name, and says what differs.
  tree.File("added.txt", "new");
  r = RunCli({"update", catalogPath, "WORK DISK", root, "--serial", "1111-2222", "--label",
              "WORK DISK", "--media", "7", "--fs", "FAT"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Err.find("serial number: 1234-ABCD in the catalog, 1111-2222 on the medium"),
            std::string::npos) << r.Err;
  EXPECT_EQ(r.Err.find("label"), std::string::npos) << r.Err;
  EXPECT_EQ(json::parse(r.Out)["name"], "WORK DISK");
  doc = Dump();
  ASSERT_EQ(doc["disks"].size(), 2u);
  EXPECT_EQ(doc["disks"][1]["name"], "WORK DISK");
  EXPECT_EQ(doc["disks"][1]["serialNumber"], 0x11112222);
  EXPECT_EQ(doc["disks"][1]["totalFiles"], 2);  // hidden files left out, the archive a folder
}

TEST_F(ScanCommand, FailuresExitNonZeroAndLeaveTheCatalogAlone) {
  tree.File("a.txt", "a");
  ASSERT_EQ(RunCli({"scan", root, "--catalog", catalogPath}).Status, 0);
  std::string before = ReadBytes(catalogPath);

  TCliResult r = RunCli({"scan", dir.File("missing"), "--catalog", catalogPath});
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("No such file or directory"), std::string::npos) << r.Err;
  r = RunCli({"scan", tree.Path("a.txt"), "--catalog", catalogPath});
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("Not a directory"), std::string::npos) << r.Err;
  r = RunCli({"update", catalogPath, "No such disk", root});
  EXPECT_EQ(r.Status, 2);
  EXPECT_NE(r.Err.find("There is no disk \"No such disk\""), std::string::npos) << r.Err;
  r = RunCli({"scan", root, "--catalog", catalogPath, "--serial", "nonsense"});
  EXPECT_EQ(r.Status, 2);
  r = RunCli({"update", dir.File("none.ctf"), "Disk", root});
  EXPECT_EQ(r.Status, 2);
  EXPECT_FALSE(fs::exists(dir.File("none.ctf")));
  EXPECT_EQ(ReadBytes(catalogPath), before);
}

}  // namespace
}  // namespace tf::test

// tallowfen-cli scan and update, end to end: a tree on disk, the commands, and the catalog as
// dump prints it, compared with what the file system says.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
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
  fs::create_directories(dir.Path() / "folder.ctf");
  struct TCase {
    std::vector<std::string> Args;
    int Status;
    std::string Message;  // the first line of stderr
  } cases[] = {
      {{"scan", dir.File("missing"), "--catalog", catalogPath}, 2,
       dir.File("missing") + ": No such file or directory"},
      {{"scan", tree.Path("a.txt"), "--catalog", catalogPath}, 2,
       tree.Path("a.txt") + ": Not a directory"},
      {{"update", catalogPath, "No such disk", root}, 2,
       "There is no disk \"No such disk\" in " + catalogPath},
      {{"update", dir.File("none.ctf"), "Disk", root}, 2,
       dir.File("none.ctf") + ": no such catalog file"},
      // Refused before the scan, not by the save after it.
      {{"scan", root, "--catalog", dir.File("no/such/folder/c.ctf")}, 2,
       dir.File("no/such/folder/c.ctf") + ": the folder " + dir.File("no/such/folder") +
           " does not exist"},
      {{"scan", root, "--catalog", catalogPath + "/c.ctf"}, 2,
       catalogPath + "/c.ctf: " + catalogPath + " is not a folder"},
      {{"scan", root, "--catalog", dir.File("folder.ctf")}, 2,
       dir.File("folder.ctf") + ": File open error: Is a directory"},
      {{"scan", root, "--catalog", catalogPath, "--serial", "nonsense"}, 1,
       "--serial: not a serial number: nonsense"},
      {{"scan", root, "--catalog", catalogPath, "--serial", "1234-56789"}, 1,
       "--serial: not a serial number: 1234-56789"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Args[0] + " " + c.Args[1] + " " + c.Args[2]);
    TCliResult r = RunCli(c.Args);
    EXPECT_EQ(r.Status, c.Status);
    EXPECT_EQ(r.Err.substr(0, r.Err.find('\n')), c.Message);
  }
  EXPECT_FALSE(fs::exists(dir.File("none.ctf")));
  EXPECT_EQ(ReadBytes(catalogPath), before);
}

TEST_F(ScanCommand, MessagesOfSeveralLinesAreLinesOnATerminal) {
  for (int i = 0; i < 100; ++i) tree.File("file " + std::to_string(i) + ".txt", "x");
  // The save fails for want of room: a file size limit stands for a full disk (the catalog
  // needs more, the message on stderr less).
  TCliSetup limited;
  limited.BeforeExec = [] {
    ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl {1024, 1024};
    return ::setrlimit(RLIMIT_FSIZE, &rl) == 0;
  };
  TCliResult r = RunCli({"scan", root, "--catalog", catalogPath}, limited);
  EXPECT_EQ(r.Status, 2);
  EXPECT_EQ(r.Err, "An error occured while saving the catalog " + catalogPath +
                       ".\nFile too large\n");
  EXPECT_FALSE(fs::exists(catalogPath));
}

}  // namespace
}  // namespace tf::test

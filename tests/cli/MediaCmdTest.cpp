// Which medium tallowfen-cli scan and update read: a folder is a medium of its own, with the
// identity the windows give it as a folder drive; a mount point is the volume mounted there,
// however many other mounts the machine has.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/Drives.h"
#include "platform/QtSettingsStore.h"
#include "support/TestSupport.h"
#include "support/TreeBuilder.h"

namespace tf::test {
namespace {

using nlohmann::json;
namespace fs = std::filesystem;

class MediaCommand : public ::testing::Test {
 protected:
  // The user's settings live here, not in the home folder.
  TCliSetup Setup() const {
    TCliSetup s;
    s.Env = {{"XDG_CONFIG_HOME", config}};
    return s;
  }
  TCliResult Run(const std::vector<std::string>& args) const { return RunCli(args, Setup()); }
  json Disks() const {
    TCliResult r = Run({"dump", catalog});
    EXPECT_EQ(r.Status, 0) << r.Err;
    return r.Status == 0 ? json::parse(r.Out)["disks"] : json::array();
  }
  // The identity a disk got from its medium.
  static std::string Identity(const json& disk) {
    return disk["volumeLabel"].get<std::string>() + " " +
           std::to_string(disk["serialNumber"].get<uint32_t>()) + " " +
           std::to_string(disk["mediaType"].get<int>()) + " " +
           disk["fileSystem"].get<std::string>();
  }

  TTempDir dir;
  std::string config = dir.File("config");
  std::string catalog = dir.File("media.ctf");
};

TEST_F(MediaCommand, AFolderIsAMediumOfItsOwn) {
  TTreeBuilder photos(dir.Path() / "Holiday Photos 2003");
  TTreeBuilder music(dir.Path() / "music");
  photos.File("beach.jpg", "b");
  music.File("song.ogg", "s");
  for (const TTreeBuilder* t : {&photos, &music})
    ASSERT_EQ(Run({"scan", t->Root().string(), "--catalog", catalog}).Status, 0);
  json disks = Disks();
  ASSERT_EQ(disks.size(), 2u);
  // Named after the folder (the label keeps 11 bytes), each with a serial of its own; both
  // on the same file system, of the same kind of medium.
  EXPECT_EQ(disks[0]["name"], "Holiday Pho");
  EXPECT_EQ(disks[0]["volumeLabel"], "Holiday Pho");
  EXPECT_EQ(disks[1]["name"], "music");
  EXPECT_EQ(disks[1]["volumeLabel"], "music");
  EXPECT_NE(disks[0]["serialNumber"], 0);
  EXPECT_NE(disks[0]["serialNumber"], disks[1]["serialNumber"]);
  EXPECT_EQ(disks[0]["mediaType"], disks[1]["mediaType"]);
  EXPECT_EQ(disks[0]["fileSystem"], disks[1]["fileSystem"]);
  std::string photosIdentity = Identity(disks[0]);

  // An update from the same folder, reached by another path, is that medium: no warning, and
  // the disk keeps its identity.
  photos.File("hill.jpg", "h");
  fs::create_directory_symlink(photos.Root(), dir.Path() / "link");
  TCliResult r = Run({"update", catalog, "Holiday Pho", dir.File("link")});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Err, "");
  disks = Disks();
  ASSERT_EQ(disks.size(), 2u);
  EXPECT_EQ(disks[1]["name"], "Holiday Pho");
  EXPECT_EQ(disks[1]["totalFiles"], 2);
  EXPECT_EQ(Identity(disks[1]), photosIdentity);

  // Another folder is another medium.
  r = Run({"update", catalog, "music", photos.Root().string()});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_NE(r.Err.find("The medium does not match the disk \"music\":\n  serial number: "),
            std::string::npos)
      << r.Err;
  EXPECT_NE(r.Err.find("  label: \"music\" in the catalog, \"Holiday Pho\" on the medium\n"),
            std::string::npos)
      << r.Err;
}

TEST_F(MediaCommand, TheFolderDriveOfTheWindowsGivesItsIdentity) {
  TTreeBuilder docs(dir.Path() / "docs");
  docs.File("a.txt", "a");
  // The windows kept it by another path to the same folder.
  std::string kept = dir.File("docs-link");
  fs::create_directory_symlink(docs.Root(), kept);
  {
    fs::create_directories(config + "/Brenthorpe");
    TQtSettingsStore settings(config + "/Brenthorpe/Tallowfen.conf");
    SaveFolderDrive(settings, {'Q', kept, "Kept", 0x12345678, 13, "VFAT"});
    settings.Flush();
  }
  ASSERT_EQ(Run({"scan", docs.Root().string(), "--catalog", catalog}).Status, 0);
  ASSERT_EQ(Run({"scan", docs.Root().string(), "--catalog", catalog, "--label", "Other",
                 "--media", "5"})
                .Status,
            0);
  json disks = Disks();
  ASSERT_EQ(disks.size(), 2u);
  EXPECT_EQ(disks[0]["name"], "Kept");
  EXPECT_EQ(Identity(disks[0]), "Kept " + std::to_string(0x12345678) + " 13 VFAT");
  EXPECT_EQ(Identity(disks[1]), "Other " + std::to_string(0x12345678) + " 5 VFAT");

  // drives lists it among the others.
  TCliResult r = Run({"drives"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  std::istringstream lines(r.Out);
  std::string line;
  json q;
  while (std::getline(lines, line))
    if (json d = json::parse(line); d["letter"] == "Q") q = d;
  ASSERT_FALSE(q.is_null()) << r.Out;
  EXPECT_EQ(q["root"], kept);
  EXPECT_EQ(q["mediaType"], 13);
  EXPECT_EQ(q["label"], "Kept");
  EXPECT_EQ(q["serial"], "1234-5678");
  EXPECT_EQ(q["fileSystem"], "VFAT");
}

// More mounts than drive letters, in a mount namespace of the command's own (needs root or
// CAP_SYS_ADMIN; skipped otherwise).
TEST_F(MediaCommand, EveryMountIsReadWhateverTheNumberOfMounts) {
  constexpr int Mounts = 26;
  std::string last = dir.File("m" + std::to_string(Mounts - 1));
  for (int i = 0; i < Mounts; ++i) fs::create_directories(dir.File("m" + std::to_string(i)));
  TCliSetup s = Setup();
  s.BeforeExec = [this, last] {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      return false;
    for (int i = 0; i < Mounts; ++i)
      if (::mount("none", dir.File("m" + std::to_string(i)).c_str(), "tmpfs", 0, "size=1m") != 0)
        return false;
    fs::create_directories(last + "/sub");
    WriteBytes(last + "/sub/file.txt", "x");
    return true;
  };
  TTreeBuilder plain(dir.Path() / "plain");
  plain.File("p.txt", "p");
  const struct {
    std::string Root, Name, Label;
    int MediaType;
    std::string FileSystem;
  } cases[] = {
      {last, "Disk D:", "", 12, "TMPFS"},  // the mount point: the RAM disk, which has no label
      {last + "/sub", "sub", "sub", 12, "TMPFS"},
      {plain.Root().string(), "plain", "plain", -1, ""},
  };
  for (const auto& c : cases) {
    TCliResult r = RunCli({"scan", c.Root, "--catalog", catalog}, s);
    if (r.Status == CliSetupFailed) GTEST_SKIP() << "mounting is not allowed here";
    ASSERT_EQ(r.Status, 0) << c.Root << ": " << r.Err;
    EXPECT_EQ(json::parse(r.Out)["files"], 1);
  }
  json disks = Disks();
  ASSERT_EQ(disks.size(), std::size(cases));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(disks[i]["name"], cases[i].Name);
    EXPECT_EQ(disks[i]["volumeLabel"], cases[i].Label);
    if (cases[i].MediaType < 0) continue;
    EXPECT_EQ(disks[i]["mediaType"], cases[i].MediaType);
    EXPECT_EQ(disks[i]["fileSystem"], cases[i].FileSystem);
  }
}

}  // namespace
}  // namespace tf::test

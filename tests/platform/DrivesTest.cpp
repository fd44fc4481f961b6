#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/Drives.h"
#include "platform/LinuxDrives.h"
#include "platform/TestDrives.h"
#include "platform/MemorySettings.h"
#include "support/TestSupport.h"

namespace tf {
namespace {

namespace fs = std::filesystem;

const std::string Standin = "\xEF\x81\x9C";  // U+F05C, a host "\" in catalog text

void Touch(const fs::path& p) {
  fs::create_directories(p.parent_path());
  std::ofstream(p) << "x";
}

class PathMapping : public ::testing::Test {
 protected:
  test::TTempDir dir;
  TTestDrives drives;
  std::string root;
  void SetUp() override {
    root = (dir.Path() / "d").string();
    fs::create_directories(root);
    drives.Add('D').Root = root;
    drives.Add('E').Root = (dir.Path() / "d" / "nested").string();  // a drive inside D
    drives.Add('C').Root = "/";
  }
};

TEST_F(PathMapping, CatalogPathsBecomeHostPathsBelowTheRoot) {
  EXPECT_EQ(HostPathOf(drives, "D:\\GAMES\\DOOM"), root + "/GAMES/DOOM");
  EXPECT_EQ(HostPathOf(drives, "d:\\games"), root + "/games");
  EXPECT_EQ(HostPathOf(drives, "D:"), root);
  EXPECT_EQ(HostPathOf(drives, "D:\\"), root);
  EXPECT_EQ(HostPathOf(drives, "D:GAMES"), root + "/GAMES");
  EXPECT_EQ(HostPathOf(drives, "D:\\A\\\\B\\"), root + "/A/B");
  EXPECT_EQ(HostPathOf(drives, "C:\\etc"), "/etc");
}

TEST_F(PathMapping, PathsThatCouldLeaveTheDriveAreRefused) {
  EXPECT_EQ(HostPathOf(drives, "D:\\..\\..\\etc\\passwd"), "");
  EXPECT_EQ(HostPathOf(drives, "D:\\GAMES\\..\\.."), "");
  EXPECT_EQ(HostPathOf(drives, "D:\\a/../../etc"), "");  // "/" separates too
  EXPECT_EQ(HostPathOf(drives, "D:\\.\\x"), "");
  EXPECT_EQ(HostPathOf(drives, std::string("D:\\a\0b", 7)), "");
  EXPECT_EQ(HostPathOf(drives, "Q:\\x"), "");  // no such drive
  EXPECT_EQ(HostPathOf(drives, "\\GAMES"), "");
  EXPECT_EQ(HostPathOf(drives, "1:\\x"), "");
  EXPECT_EQ(HostPathOf(drives, ""), "");
}

TEST_F(PathMapping, OddNamesMakeTheRoundTrip) {
  const std::vector<std::string> names = {
      "with space", " leading and trailing ", "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 g\xC4\x99\xC5\x9Bl\xC4\x85",
      "back\\slash", "\\", "tab\there", "semi;colon,comma", "caf\xE9"};
  for (const std::string& name : names) {
    fs::path host = fs::path(root) / "sub dir" / name;
    Touch(host);
    std::string catalog = CatalogPathOf(drives, host.string());
    std::string expectedName = name;
    for (std::size_t at; (at = expectedName.find('\\')) != std::string::npos;)
      expectedName.replace(at, 1, Standin);
    EXPECT_EQ(catalog, "D:\\sub dir\\" + expectedName) << name;
    EXPECT_EQ(HostPathOf(drives, catalog), host.string()) << name;
    EXPECT_TRUE(fs::exists(FindHostPath(drives, catalog))) << name;
  }
}

TEST_F(PathMapping, HostNamesWithBackslashUseTheStandIn) {
  EXPECT_EQ(CatalogName("a\\b\\c"), "a" + Standin + "b" + Standin + "c");
  EXPECT_EQ(HostName("a" + Standin + "b"), "a\\b");
  EXPECT_EQ(CatalogName("plain"), "plain");
  // A stand-in in a catalog path is part of a name, never a separator.
  EXPECT_EQ(HostPathOf(drives, "D:\\x" + Standin + "..\\y"), root + "/x\\../y");
}

TEST_F(PathMapping, HostPathsFindTheirDrive) {
  EXPECT_EQ(CatalogPathOf(drives, root), "D:\\");
  EXPECT_EQ(CatalogPathOf(drives, root + "/"), "D:\\");
  EXPECT_EQ(CatalogPathOf(drives, root + "/GAMES/DOOM"), "D:\\GAMES\\DOOM");
  // The longest root wins: E lies inside D.
  EXPECT_EQ(CatalogPathOf(drives, root + "/nested/x"), "E:\\x");
  // A sibling whose name starts like the root is not inside it.
  EXPECT_EQ(CatalogPathOf(drives, root + "x/y").substr(0, 3), "C:\\");
  EXPECT_EQ(CatalogPathOf(drives, "/usr/bin"), "C:\\usr\\bin");
  drives.Remove('C');
  EXPECT_EQ(CatalogPathOf(drives, "/usr/bin"), "");
}

TEST_F(PathMapping, LookupTriesTheExactPathFirstThenIgnoresCase) {
  Touch(fs::path(root) / "GAMES" / "Doom" / "readme.txt");
  EXPECT_EQ(FindHostPath(drives, "D:\\GAMES\\Doom\\readme.txt"),
            root + "/GAMES/Doom/readme.txt");
  EXPECT_EQ(FindHostPath(drives, "D:\\games\\DOOM\\README.TXT"),
            root + "/GAMES/Doom/readme.txt");
  EXPECT_EQ(FindHostPath(drives, "D:\\games\\doom\\missing.txt"), "");
  EXPECT_EQ(FindHostPath(drives, "D:\\..\\d\\GAMES"), "");

  // Two names that differ only in case: the exact one, else the first in byte order.
  Touch(fs::path(root) / "Readme");
  Touch(fs::path(root) / "README");
  EXPECT_EQ(FindHostPath(drives, "D:\\Readme"), root + "/Readme");
  EXPECT_EQ(FindHostPath(drives, "D:\\readme"), root + "/README");
}

// ---- serials and folder drives

TEST(Serials, FormatAndParse) {
  EXPECT_EQ(FormatSerial(0x1A2B3C4D), "1A2B-3C4D");
  EXPECT_EQ(FormatSerial(0), "0000-0000");
  EXPECT_EQ(ParseSerial("1A2B-3C4D"), 0x1A2B3C4Du);
  EXPECT_EQ(ParseSerial("deadbeef"), 0xDEADBEEFu);
  EXPECT_FALSE(ParseSerial("1A2B3C4"));
  EXPECT_FALSE(ParseSerial("1A2B-3C4G"));
  EXPECT_FALSE(ParseSerial("1A2B3-C4D"));
  EXPECT_FALSE(ParseSerial(""));
}

TEST(FolderDrives, StoredPerLetterAndReadBack) {
  TMemorySettings settings;
  TFolderDrive d;
  d.Letter = 'm';
  d.Folder = "/home/me/Old Floppies/disk 1";
  d.Label = "Disk 1";
  d.Serial = 0x0BAD1DEA;
  d.MediaType = 2;
  d.FileSystem = "FAT";
  SaveFolderDrive(settings, d);
  auto key = settings.Subkey("FolderDrives")->Subkey("M");
  EXPECT_EQ(key->ReadString("Serial"), "0BAD-1DEA");
  EXPECT_EQ(key->ReadString("MediaType"), "2");

  auto loaded = LoadFolderDrives(settings);
  ASSERT_EQ(loaded.size(), 1u);
  EXPECT_EQ(loaded[0].Letter, 'M');
  EXPECT_EQ(loaded[0].Folder, d.Folder);
  EXPECT_EQ(loaded[0].Label, "Disk 1");
  EXPECT_EQ(loaded[0].Serial, 0x0BAD1DEAu);
  EXPECT_EQ(loaded[0].MediaType, 2);
  EXPECT_EQ(loaded[0].FileSystem, "FAT");

  RemoveFolderDrive(settings, 'm');
  EXPECT_TRUE(LoadFolderDrives(settings).empty());
  RemoveFolderDrive(settings, 'Q');  // nothing there: nothing happens
}

TEST(FolderDrives, DamagedValuesReadAsDefaults) {
  TMemorySettings settings;
  auto drives = settings.Subkey("FolderDrives");
  auto p = drives->Subkey("P");
  p->WriteString("Folder", "/srv/p");
  p->WriteString("Label", "A label far too long");
  p->WriteString("Serial", "not hex");
  p->WriteString("MediaType", "999");
  p->WriteString("FileSystem", "verylongfs");
  drives->Subkey("Q")->WriteString("Label", "no folder");
  drives->Subkey("R")->WriteString("Folder", "/srv/r");
  drives->Subkey("R")->WriteString("MediaType", "-1");

  auto loaded = LoadFolderDrives(settings);
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded[0].Letter, 'P');
  EXPECT_EQ(loaded[0].Label, "A label far");
  EXPECT_EQ(loaded[0].Serial, 0u);
  EXPECT_EQ(loaded[0].MediaType, 5);
  EXPECT_EQ(loaded[0].FileSystem, "VERYLONG");
  EXPECT_EQ(loaded[1].Letter, 'R');
  EXPECT_EQ(loaded[1].MediaType, 5);
}

TEST(FolderDrives, ShowAsDrivesWithTheGivenVolumeData) {
  test::TTempDir dir;
  fs::create_directories(dir.Path() / "floppy");
  Touch(dir.Path() / "floppy" / "README.TXT");
  test::WriteBytes(dir.File("mountinfo"), "");  // no mounts at all: C is still "/"
  TMemorySettings settings;
  SaveFolderDrive(settings, {'F', (dir.Path() / "floppy").string(), "DOS622", 0x12345678, 7, "FAT"});
  SaveFolderDrive(settings, {'T', (dir.Path() / "tape").string(), "Backup", 1, 6, "FAT"});
  SaveFolderDrive(settings, {'C', "/tmp", "Taken", 1, 5, "FAT"});  // C is the system's

  TLinuxDrivesOptions options;
  options.MountInfo = dir.File("mountinfo");
  options.SysRoot = dir.File("nosys");
  TLinuxDrives drives(&settings, options);
  uint32_t mask = drives.LogicalDrives();
  EXPECT_EQ(mask, (1u << 2) | (1u << 5) | (1u << 19));
  EXPECT_EQ(drives.RootPath('C'), "/");
  EXPECT_EQ(drives.RootPath('F'), (dir.Path() / "floppy").string());
  EXPECT_EQ(drives.DriveType('F'), TDriveType::Removable);
  EXPECT_EQ(drives.DeviceType(6), 7);
  EXPECT_EQ(drives.DriveType('T'), TDriveType::Unknown);
  EXPECT_EQ(drives.DeviceType(20), 6);
  EXPECT_TRUE(drives.IsReady('F'));
  EXPECT_FALSE(drives.IsReady('T'));  // its folder does not exist
  EXPECT_EQ(drives.RootPath('T'), "");

  TVolumeData v;
  ASSERT_TRUE(drives.VolumeInformation('F', v));
  EXPECT_EQ(v.Label, "DOS622");
  EXPECT_EQ(v.Serial, 0x12345678u);
  EXPECT_EQ(v.FileSystem, "FAT");
  EXPECT_GT(v.MaxComponentLength, 0u);
  EXPECT_FALSE(drives.VolumeInformation('T', v));
  TDiskGeometry g;
  EXPECT_TRUE(drives.DiskFreeSpace('F', g));
  EXPECT_GT(g.TotalClusters, 0u);

  // Settings changed while running: the next drive list shows it.
  RemoveFolderDrive(settings, 'F');
  EXPECT_EQ(drives.LogicalDrives(), (1u << 2) | (1u << 19));
  EXPECT_EQ(drives.RootPath('F'), "");
}

}  // namespace
}  // namespace tf

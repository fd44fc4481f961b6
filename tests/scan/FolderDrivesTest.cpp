// Folder drives as the user makes them: free letters, the volume data proposed for a folder,
// and what is checked before one is kept.

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/TestDrives.h"
#include "scan/FolderDrives.h"
#include "scan/Utils.h"
#include "support/TestSupport.h"

namespace tf {
namespace {

TEST(FolderDrives, FreeLettersStartAtDAndSkipDrivesInUse) {
  TTestDrives drives;
  drives.Add('C');
  drives.Add('E');
  std::vector<char> free = FreeFolderDriveLetters(drives);
  ASSERT_EQ(free.size(), 22u);
  EXPECT_EQ(free[0], 'D');
  EXPECT_EQ(free[1], 'F');
  EXPECT_EQ(free.back(), 'Z');
  for (char l = 'D'; l <= 'Z'; ++l) drives.Add(l);
  EXPECT_TRUE(FreeFolderDriveLetters(drives).empty());
}

TEST(FolderDrives, ProposalTakesTheFolderNameAndTheHoldingDrive) {
  test::TTempDir dir;
  std::filesystem::create_directories(dir.Path() / "Holiday Photos 2003");
  TTestDrives drives;
  TTestDrive& e = drives.Add('E', TDriveType::Removable);
  e.Root = dir.Path().string();
  e.DeviceType = MediaRemovable;
  e.Volume.FileSystem = "vfat";
  std::string folder = dir.File("Holiday Photos 2003") + "/";

  TFolderDrive d = ProposeFolderDrive(drives, folder);
  EXPECT_EQ(d.Folder, dir.File("Holiday Photos 2003"));  // without the trailing "/"
  EXPECT_EQ(d.Letter, 'D');
  EXPECT_EQ(d.Label, "Holiday Pho");  // 11 bytes
  EXPECT_EQ(d.MediaType, MediaRemovable);
  EXPECT_EQ(d.FileSystem, "VFAT");
  EXPECT_NE(d.Serial, 0u);
  // The same folder proposes the same serial, so that its disk is found again.
  EXPECT_EQ(ProposeFolderDrive(drives, folder).Serial, d.Serial);
  std::filesystem::create_directories(dir.Path() / "Other");
  EXPECT_NE(ProposeFolderDrive(drives, dir.File("Other")).Serial, d.Serial);

  // No drive holds the folder: a hard disk of an unknown file system.
  TTestDrives none;
  TFolderDrive lone = ProposeFolderDrive(none, folder);
  EXPECT_EQ(lone.MediaType, MediaHardDisk);
  EXPECT_EQ(lone.FileSystem, "unknown");
}

TEST(FolderDrives, CheckedBeforeTheyAreKept) {
  test::TTempDir dir;
  TTestDrives drives;
  drives.Add('C');
  drives.Add('D');
  TFolderDrive d;
  d.Folder = dir.Path().string() + "//";
  d.Letter = 'e';
  d.Label = "A label longer than eleven";
  d.FileSystem = "ext4-with-journal";
  EXPECT_EQ(CheckFolderDrive(drives, d), "");
  EXPECT_EQ(d.Folder, dir.Path().string());
  EXPECT_EQ(d.Letter, 'E');
  EXPECT_EQ(d.Label, "A label lon");
  EXPECT_EQ(d.FileSystem, "EXT4-WIT");

  d.Letter = 'D';  // taken
  EXPECT_EQ(CheckFolderDrive(drives, d), FolderLetterText);
  d.Letter = 'C';
  EXPECT_EQ(CheckFolderDrive(drives, d), FolderLetterText);
  d.Letter = 'E';
  d.Folder = dir.File("missing");
  EXPECT_EQ(CheckFolderDrive(drives, d), FolderMissingText);
  d.Folder = "relative/path";
  EXPECT_EQ(CheckFolderDrive(drives, d), FolderMissingText);
  test::WriteBytes(dir.File("file"), "x");
  d.Folder = dir.File("file");
  EXPECT_EQ(CheckFolderDrive(drives, d), FolderMissingText);
}

}  // namespace
}  // namespace tf

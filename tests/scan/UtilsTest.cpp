#include <gtest/gtest.h>

#include <climits>

#include "platform/ScriptedPrompts.h"
#include "platform/TestDrives.h"
#include "scan/ScriptedMediaPrompt.h"
#include "scan/Utils.h"
#include "store/Records.h"
#include "store/Tree.h"
#include "support/TestSupport.h"

namespace tf {
namespace {

constexpr int64_t GiB = int64_t(1) << 30;

class MediaTest : public ::testing::Test {
 protected:
  TTestDrives drives;
  TScriptedPrompts prompts;
  TScriptedMediaPrompt media;
  TMediaDetector detector{drives, prompts, media, [] { return 45000.25; }};

  // A drive holding a volume: label, serial, file system and classic geometry.
  TTestDrive& Volume(char letter, TDriveType type, uint8_t device, const std::string& label,
                     uint32_t serial, uint32_t totalClusters = 2847) {
    TTestDrive& d = drives.Add(letter, type);
    d.DeviceType = device;
    d.Volume.Label = label;
    d.Volume.Serial = serial;
    d.Volume.FileSystem = "FAT";
    d.Volume.MaxComponentLength = 255;
    d.Geometry = {1, 512, 100, totalClusters};
    return d;
  }

  // A catalogued disk as ReadVolumeInfo recorded it.
  TNode* Disk(TCatalogTree& tree, const std::string& name, uint8_t mediaType,
              const std::string& label, uint32_t serial, int32_t totalClusters = 2847) {
    TNode* cat = test::AddCatalog(tree, "Cat");
    TNode* node = test::AddDisk(cat, name);
    auto* d = static_cast<TDiskRec*>(node->Record);
    d->MediaType = mediaType;
    d->VolumeLabel = label;
    d->SerialNumber = serial;
    d->TotalClusters = totalClusters;
    return node;
  }
};

// ---- the media type table

TEST(MediaTypes, NamesAreTheTableTexts) {
  EXPECT_EQ(MediaTypeName(0), "Floppy 5.25\" DD");
  EXPECT_EQ(MediaTypeName(2), "Floppy 3.5\" DD");
  EXPECT_EQ(MediaTypeName(3), "Floppy 8\" SD");
  EXPECT_EQ(MediaTypeName(7), "Floppy 3.5\" HD");
  EXPECT_EQ(MediaTypeName(9), "Floppy 3.5\" EHD");
  EXPECT_EQ(MediaTypeName(5), "Hard disk");
  EXPECT_EQ(MediaTypeName(10), "CD-ROM");
  EXPECT_EQ(MediaTypeName(13), "Removable drive");
  EXPECT_EQ(MediaTypeName(14), "Unknown");
  EXPECT_EQ(MediaTypeName(255), "Unknown");
  EXPECT_EQ(InsertMediaTypeLine(12), "(Media type: RAM disk)");
}

TEST(MediaTypes, FloppyFamiliesAreCompatible) {
  EXPECT_TRUE(MediaTypesCompatible(2, 7));   // 720 KB disk, 1.44 MB drive
  EXPECT_TRUE(MediaTypesCompatible(9, 2));
  EXPECT_TRUE(MediaTypesCompatible(0, 3));   // 5.25-inch and 8-inch accept each other
  EXPECT_TRUE(MediaTypesCompatible(4, 1));
  EXPECT_FALSE(MediaTypesCompatible(1, 7));  // 5.25-inch disk, 3.5-inch drive
  EXPECT_FALSE(MediaTypesCompatible(5, 13));
  EXPECT_FALSE(MediaTypesCompatible(6, 8));  // no family: only equal codes
  EXPECT_TRUE(MediaTypesCompatible(255, 255));
  EXPECT_FALSE(MediaTypesCompatible(200, 255));
}

TEST(MediaTypes, DriveIconsAndRemovability) {
  EXPECT_EQ(DriveIconIndex(4), iiFloppy525);  // 8-inch disks look like 5.25-inch
  EXPECT_EQ(DriveIconIndex(9), iiFloppy35);
  EXPECT_EQ(DriveIconIndex(8), iiCdDrive);
  EXPECT_EQ(DriveIconIndex(255), iiHardDrive);
  EXPECT_FALSE(IsRemovableMedia(12));
  EXPECT_TRUE(IsRemovableMedia(255));  // unknown media may be asked for
}

// ---- GetMediaType

TEST_F(MediaTest, SystemDriveTypesNeedNoDeviceQuery) {
  drives.Add('C', TDriveType::Fixed).DeviceType = 7;
  drives.Add('D', TDriveType::CdRom);
  drives.Add('E', TDriveType::Remote);
  drives.Add('F', TDriveType::RamDisk);
  EXPECT_EQ(detector.GetMediaType('C'), 5);
  EXPECT_EQ(detector.GetMediaType('d'), 10);
  EXPECT_EQ(detector.GetMediaType('E'), 11);
  EXPECT_EQ(detector.GetMediaType('F'), 12);
  for (int n = 1; n <= 26; ++n) EXPECT_EQ(drives.DeviceQueries[std::size_t(n)], 0);
}

TEST_F(MediaTest, RemovableDriveReportingNonFloppyIsRemovableDrive) {
  const std::pair<uint8_t, uint8_t> cases[] = {
      {5, 13}, {6, 13}, {8, 13}, {10, 13}, {255, 13},  // hard disk, tape, optical, ..., failed
      {7, 7},  {9, 9},  {2, 2},  {0, 0},   {4, 4},      // floppies keep their code
  };
  for (auto [device, expected] : cases) {
    TMediaDetector fresh(drives, prompts, media, [] { return 0.0; });
    drives.Add('A', TDriveType::Removable).DeviceType = device;
    EXPECT_EQ(fresh.GetMediaType('A'), expected) << int(device);
  }
}

TEST_F(MediaTest, UnrecognisedDriveTypeTakesTheDeviceType) {
  drives.Add('G', TDriveType::Unknown).DeviceType = 6;
  EXPECT_EQ(detector.GetMediaType('G'), 6);
  EXPECT_EQ(detector.GetMediaType('Q'), 255);  // no such drive: the query fails
}

TEST_F(MediaTest, CacheKeepsAFoundTypeAndRequeriesUnknown) {
  drives.Add('A', TDriveType::Removable).DeviceType = 7;
  drives.Add('B', TDriveType::Unknown).DeviceType = 255;
  EXPECT_EQ(detector.GetMediaType('A'), 7);
  drives.Find('A')->DeviceType = 2;  // another disk: the drive's type stays
  EXPECT_EQ(detector.GetMediaType('A'), 7);
  EXPECT_EQ(drives.DeviceQueries[1], 1);
  EXPECT_EQ(detector.MediaTypeCache()[0], 7);

  EXPECT_EQ(detector.GetMediaType('B'), 255);
  EXPECT_EQ(detector.GetMediaType('B'), 255);
  EXPECT_EQ(drives.DeviceQueries[2], 2);
  drives.Find('B')->DeviceType = 9;
  EXPECT_EQ(detector.GetMediaType('B'), 9);
}

// ---- labels

TEST(Labels, CapitalsOnlyBecomeLowerWithFirstUpperCutToElevenBytes) {
  const struct {
    const char* Label;
    bool CaseInsensitive;
    const char* Expected;
  } cases[] = {
      {"WORK DISK", true, "Work disk"},   {"BACKUP", true, "Backup"},
      {"Work DISK", true, "Work DISK"},   {"data", true, "Data"},
      {"MyDisk", true, "MyDisk"},         {"DISK 2000", true, "Disk 2000"},
      {"2000", true, "2000"},             {"", true, ""},
      {"BACKUP", false, "BACKUP"},        {"data", false, "data"},  // case-sensitive volumes
      {"ABCDEFGHIJKLMN", true, "Abcdefghijk"}, {"abcdefghijklmn", false, "abcdefghijk"},
      // Ten ASCII bytes, then a two-byte letter that would end at byte 12.
      {"ABCDEFGHIJ\xC3\x89", false, "ABCDEFGHIJ"},
      {"\xC3\x89T\xC3\x89", true, "\xC3\x89t\xC3\xA9"},  // ÉTÉ -> Été
      {"\xC3\xA9t\xC3\xA9", true, "\xC3\x89t\xC3\xA9"},  // été -> Été
      {"CAF\xC9", true, "Caf\xE9"},  // Windows-1252 from a foreign medium stays so
  };
  for (const auto& c : cases)
    EXPECT_EQ(NormaliseLabel(c.Label, c.CaseInsensitive), c.Expected) << c.Label;
}

// ---- ReadVolumeInfo

TEST_F(MediaTest, ReadVolumeInfoFillsTheDisk) {
  TTestDrive& d = Volume('A', TDriveType::Removable, 7, "WORK DISK", 0x1A2B3C4D);
  d.Volume.FileSystem = "fat12-long-name";
  d.Volume.Flags = FsVolIsCompressed | FsCasePreserved;
  d.Volume.MaxComponentLength = 12;
  TDiskRec disk;
  detector.ReadVolumeInfo('a', disk);
  // Compressed and in the search scope; the system's own geometry (not FAT32 or CDFS) taken
  // as it is.
  EXPECT_EQ(test::DescribeDisk(disk), "k51 m7 s0 512/1/12 files0 arc0 folders0 clusters2847/100 "
                                      "t45000.25 serial439041101 u0 [Work disk] [FAT12-LO] -");
}

TEST_F(MediaTest, ReadVolumeInfoStartsFromAnEmptyDisk) {
  Volume('C', TDriveType::Fixed, 5, "Sys", 7);
  TDiskRec disk;
  disk.TotalFiles = 99;
  disk.TotalFolders = 12;
  disk.ArchiveFiles = 3;
  disk.UserByte = 4;
  disk.ScanFlags = ScanSkippedItems;
  disk.BlockOffset = 1234;
  disk.Changed = 0;
  disk.Description.Assign("old");
  SetFlag(&disk, CompressedVolume, true);
  detector.ReadVolumeInfo('C', disk);
  EXPECT_EQ(test::DescribeDisk(disk), "k35 m5 s0 512/1/255 files0 arc0 folders0 clusters2847/100 "
                                      "t45000.25 serial7 u0 [Sys] [FAT] -");
  EXPECT_EQ(disk.BlockOffset, -1);
  EXPECT_EQ(disk.Changed, 1);
}

TEST_F(MediaTest, UnreadableVolumeIsUnknown) {
  TTestDrive& d = Volume('D', TDriveType::Fixed, 5, "X", 99);
  d.HasVolume = false;
  TDiskRec disk;
  SetFlag(&disk, CompressedVolume, true);
  detector.ReadVolumeInfo('D', disk);
  EXPECT_EQ(test::DescribeDisk(disk), "k35 m5 s0 512/1/0 files0 arc0 folders0 clusters2847/100 "
                                      "t45000.25 serial0 u0 [(unknown)] [unknown] -");
}

TEST_F(MediaTest, CapacityAboveTwoGigabytesSurvivesTheRecord) {
  // 3 GiB in 4 KiB clusters.
  Volume('C', TDriveType::Fixed, 5, "Big", 1).Geometry = {8, 512, 1000, 786432};
  TDiskRec disk;
  detector.ReadVolumeInfo('C', disk);
  EXPECT_EQ(DiskBytes(&disk, 0), uint64_t(3 * GiB));
  EXPECT_EQ(DiskBytes(&disk, 1), uint64_t(1000 * 4096));
  EXPECT_EQ(DiskBytes(&disk, 2), uint64_t(786432 - 1000) * 4096);
}

// ---- ComputeVolumeSizes

VolumeInfo Sized(const std::string& fs, int64_t totalBytes, int64_t freeBytes = 0) {
  VolumeInfo v;
  v.FileSystem = fs;
  v.TotalBytes = totalBytes * SizeScale;
  v.FreeBytes = freeBytes * SizeScale;
  return v;
}

TEST_F(MediaTest, Fat32DoublesFromEightGigabytes) {
  struct {
    int64_t bytes;
    int32_t perCluster;
  } cases[] = {
      {256 * (int64_t(1) << 20) - 1, 1}, {256 * (int64_t(1) << 20), 8}, {8 * GiB, 8},
      {8 * GiB + 1, 16},                 {16 * GiB, 16},                {16 * GiB + 1, 32},
      {2048 * GiB, 2048},
  };
  for (auto c : cases) {
    VolumeInfo v = Sized("FAT32", c.bytes);
    EXPECT_FALSE(detector.ComputeVolumeSizes(v, true));
    EXPECT_EQ(v.BytesPerSector, 512) << c.bytes;
    EXPECT_EQ(v.SectorsPerCluster, c.perCluster) << c.bytes;
  }
  VolumeInfo v = Sized("FAT32", 8 * GiB, 4 * GiB);
  detector.ComputeVolumeSizes(v, true);
  EXPECT_EQ(v.TotalClusters, 2097152);
  EXPECT_EQ(v.FreeClusters, 1048576);
}

TEST_F(MediaTest, OtherFileSystemsDoubleFromTwoToTheTwentyFifthMinusOne) {
  const int64_t base = (int64_t(1) << 25) - 1;
  struct {
    int64_t bytes;
    int32_t perCluster;
  } cases[] = {
      {0, 1},
      {1457664, 1},  // a 1.44 MB floppy
      {base, 1},
      {base + 1, 2},
      {64 * base, 64},
      {64 * base + 1, 128},  // past 64: the same doubling goes on
      {4096 * GiB, 262144},
  };
  for (auto c : cases) {
    VolumeInfo v = Sized("NTFS", c.bytes);
    detector.ComputeVolumeSizes(v, true);
    EXPECT_EQ(v.BytesPerSector, 512) << c.bytes;
    EXPECT_EQ(v.SectorsPerCluster, c.perCluster) << c.bytes;
    EXPECT_LE(v.TotalClusters, 65536) << c.bytes;
  }
}

TEST_F(MediaTest, EstimateEndsAtTheEndOfTheFixedPointRange) {
  for (const char* fs : {"NTFS", "FAT32", "CDFS"}) {
    VolumeInfo v;
    v.FileSystem = fs;
    v.TotalBytes = INT64_MAX;
    v.FreeBytes = INT64_MAX;
    detector.ComputeVolumeSizes(v, true);
    EXPECT_GT(v.SectorsPerCluster, 0) << fs;
    EXPECT_LE(v.SectorsPerCluster, MaxEstimatedSectorsPerCluster) << fs;
    EXPECT_GT(v.TotalClusters, 0) << fs;
    EXPECT_LE(v.TotalClusters, INT32_MAX) << fs;
  }
  // Damaged byte counts of an imported disk give no negative clusters.
  VolumeInfo v = Sized("FAT", -5, -1);
  detector.ComputeVolumeSizes(v, true);
  EXPECT_EQ(v.TotalClusters, 0);
  EXPECT_EQ(v.FreeClusters, 0);
}

TEST(Geometry, ImportedDisksGetTheEstimateOfTheirFileSystem) {
  struct {
    const char* fs;
    int64_t total, free;
    int32_t sector, perCluster, clusters, freeClusters;
  } cases[] = {
      {"FAT", 1457664, 512, 512, 1, 2847, 1},
      {"FAT", 650000000, 0, 512, 32, 39673, 0},  // 2^25 - 1 bytes doubled five times
      {"CDFS", 650000000, 2048, 2048, 1, 317383, 1},
  };
  for (auto c : cases) {
    TDiskRec disk;
    disk.FileSystem = c.fs;
    EstimateDiskGeometry(disk, c.total * SizeScale, c.free * SizeScale);
    EXPECT_EQ(c.sector, disk.BytesPerSector) << c.fs << c.total;
    EXPECT_EQ(c.perCluster, disk.SectorsPerCluster) << c.fs << c.total;
    EXPECT_EQ(c.clusters, disk.TotalClusters) << c.fs << c.total;
    EXPECT_EQ(c.freeClusters, disk.FreeClusters) << c.fs << c.total;
  }
}

TEST_F(MediaTest, ClusterCountsRoundHalfToEven) {
  // One sector per cluster of 512 bytes: 1280 bytes are 2.5 clusters, 1792 are 3.5.
  VolumeInfo v = Sized("FAT", 1792, 1280);
  detector.ComputeVolumeSizes(v, true);
  EXPECT_EQ(v.TotalClusters, 4);
  EXPECT_EQ(v.FreeClusters, 2);
  v = Sized("FAT", 1000, 1100);  // 1.95 and 2.15
  detector.ComputeVolumeSizes(v, true);
  EXPECT_EQ(v.TotalClusters, 2);
  EXPECT_EQ(v.FreeClusters, 2);
  v.TotalBytes = 1280 * SizeScale + 1;  // a hair above the tie
  detector.ComputeVolumeSizes(v, true);
  EXPECT_EQ(v.TotalClusters, 3);
}

TEST_F(MediaTest, CdromGeometryIsAlwaysEstimated) {
  // The classic query answers, in its own terms; a CD-ROM still gets 2048 x 1.
  TTestDrive& d = Volume('D', TDriveType::CdRom, 10, "CD", 5);
  d.Geometry = {4, 512, 0, 327680};  // 640 MiB in 2 KiB "clusters" of four sectors
  VolumeInfo v;
  v.Drive = 'D';
  v.FileSystem = "CDFS";
  EXPECT_TRUE(detector.ComputeVolumeSizes(v, false));
  EXPECT_EQ(v.BytesPerSector, 2048);
  EXPECT_EQ(v.SectorsPerCluster, 1);
  EXPECT_EQ(v.TotalBytes, 640 * (int64_t(1) << 20) * SizeScale);
  EXPECT_EQ(v.TotalClusters, 327680);
  EXPECT_EQ(v.FreeClusters, 0);
}

TEST_F(MediaTest, ByteCountsAreUsedWhereTheSystemPrefersThem) {
  drives.ByteCounts = true;
  TTestDrive& d = Volume('E', TDriveType::Fixed, 5, "E", 5);
  d.Bytes = {uint64_t(100) * GiB, uint64_t(40) * GiB, uint64_t(10) * GiB};
  VolumeInfo v;
  v.Drive = 'E';
  v.FileSystem = "NTFS";
  EXPECT_TRUE(detector.ComputeVolumeSizes(v, false));
  EXPECT_EQ(v.TotalBytes, 100 * GiB * SizeScale);
  EXPECT_EQ(v.FreeBytes, 40 * GiB * SizeScale);  // free on the volume, not to the caller
  EXPECT_EQ(v.SectorsPerCluster, 4096);          // estimated: the query's geometry is unused
  EXPECT_EQ(v.BytesPerSector, 512);

  // "FAT" always goes the classic way.
  v = VolumeInfo{};
  v.Drive = 'E';
  v.FileSystem = "FAT";
  EXPECT_TRUE(detector.ComputeVolumeSizes(v, false));
  EXPECT_EQ(v.SectorsPerCluster, 1);
  EXPECT_EQ(v.TotalClusters, 2847);

  // When the byte query fails the classic one answers.
  d.HasBytes = false;
  v = VolumeInfo{};
  v.Drive = 'E';
  v.FileSystem = "NTFS";
  EXPECT_TRUE(detector.ComputeVolumeSizes(v, false));
  EXPECT_EQ(v.TotalClusters, 2847);
}

TEST_F(MediaTest, FailedQueriesEstimateFromWhatTheRecordHolds) {
  TTestDrive& d = Volume('F', TDriveType::Fixed, 5, "F", 5);
  d.HasGeometry = false;
  VolumeInfo v = Sized("FAT32", 8 * GiB + 1);
  v.Drive = 'F';
  EXPECT_FALSE(detector.ComputeVolumeSizes(v, false));
  EXPECT_EQ(v.SectorsPerCluster, 16);
}

TEST_F(MediaTest, HugeByteCountsSaturateTheFixedPoint) {
  drives.ByteCounts = true;
  Volume('G', TDriveType::Remote, 11, "G", 0).Bytes = {UINT64_MAX, UINT64_MAX, 0};
  VolumeInfo v;
  v.Drive = 'G';
  v.FileSystem = "NFS";
  detector.ComputeVolumeSizes(v, false);
  EXPECT_EQ(v.TotalBytes, (INT64_MAX / SizeScale) * SizeScale);
  EXPECT_GT(v.TotalClusters, 0);
}

// ---- IsDriveReady

TEST_F(MediaTest, NotReadyDriveOffersRetry) {
  Volume('A', TDriveType::Removable, 7, "A", 1);
  EXPECT_TRUE(detector.IsDriveReady('A', true));
  drives.SetReady('A', false);
  EXPECT_FALSE(detector.IsDriveReady('A', false));
  EXPECT_TRUE(prompts.Log.empty());
  EXPECT_FALSE(detector.IsDriveReady('a', true));  // unscripted: Cancel
  EXPECT_EQ(test::Shown(prompts),
            std::vector<std::string>{"Drive Not Ready | Drive A: is not ready ! | RetryCancel | Error"});
  // Retry finds the medium put in meanwhile.
  drives.SetReady('A', true);
  drives.Find('A')->NotReadyFor = 2;
  prompts.Answers = {TAnswer::Retry, TAnswer::Retry};
  EXPECT_TRUE(detector.IsDriveReady('A', true));
  EXPECT_EQ(prompts.Log.size(), 3u);
}

// ---- LocateDiskMedia

TEST_F(MediaTest, NodeOutsideADiskIsNotLocated) {
  TCatalogTree tree;
  TNode* cat = test::AddCatalog(tree, "Cat");
  Volume('C', TDriveType::Fixed, 5, "C", 1);
  EXPECT_EQ(detector.LocateDiskMedia(cat, true, true), LocateNotFound);
  EXPECT_EQ(detector.LocateDiskMedia(nullptr, true, true), LocateNotFound);
  EXPECT_TRUE(prompts.Log.empty());
  EXPECT_TRUE(media.Asked.empty());
}

TEST_F(MediaTest, SmallerFloppyIsFoundInALargerDriveOfItsSize) {
  TCatalogTree tree;
  TNode* disk = Disk(tree, "Letters", 2, "Letters", 0x11112222, 713);
  TNode* folder = test::AddFolder(disk, "DOCS");
  Volume('A', TDriveType::Removable, 7, "LETTERS", 0x11112222, 713);
  EXPECT_EQ(detector.LocateDiskMedia(folder, true, false), 'A');
  EXPECT_TRUE(prompts.Log.empty());
}

TEST_F(MediaTest, FiveInchDiskIsNotLookedForInAThreeInchDrive) {
  TCatalogTree tree;
  TNode* disk = Disk(tree, "Old", 1, "Old", 0x1234);
  Volume('A', TDriveType::Removable, 7, "OLD", 0x1234);
  Volume('C', TDriveType::Fixed, 5, "OLD", 0x1234);
  EXPECT_EQ(detector.LocateDiskMedia(disk, false, true), LocateNotFound);
  EXPECT_TRUE(prompts.Log.empty());
  EXPECT_EQ(drives.DeviceQueries[1], 1);  // A was asked for its type, but never read

  EXPECT_EQ(detector.LocateDiskMedia(disk, true, true), LocateNotFound);
  EXPECT_EQ(test::Shown(prompts), std::vector<std::string>{
                "No such device | Sorry, there is no such device installed that can accept "
                "this media type. | Ok | Information"});
  EXPECT_TRUE(media.Asked.empty());
}

TEST_F(MediaTest, TwoMatchingDrivesGiveTheFirst) {
  TCatalogTree tree;
  TNode* disk = Disk(tree, "Stick", 13, "Photos", 0xABCD0001);
  Volume('F', TDriveType::Removable, 13, "Photos", 0xABCD0001);
  Volume('E', TDriveType::Removable, 13, "Photos", 0xABCD0001);
  Volume('D', TDriveType::Removable, 13, "Photos", 0xABCD0001).Ready = false;
  EXPECT_EQ(detector.LocateDiskMedia(disk, true, true), 'E');
}

TEST_F(MediaTest, EveryVolumeFieldMustMatch) {
  TCatalogTree tree;
  TNode* disk = Disk(tree, "Stick", 13, "Photos", 0xABCD0001, 5000);
  Volume('E', TDriveType::Removable, 13, "PhotoS", 0xABCD0001, 5000);  // label differs
  Volume('F', TDriveType::Removable, 13, "Photos", 0xABCD0002, 5000);  // serial differs
  Volume('G', TDriveType::Removable, 13, "Photos", 0xABCD0001, 5001);  // size differs
  EXPECT_EQ(detector.LocateDiskMedia(disk, false, false), LocateNotFound);
  Volume('H', TDriveType::Removable, 13, "Photos", 0xABCD0001, 5000);
  EXPECT_EQ(detector.LocateDiskMedia(disk, false, false), 'H');
}

TEST_F(MediaTest, MissingFixedDiskIsLeftToTheUser) {
  TCatalogTree tree;
  TNode* disk = Disk(tree, "Work", 5, "Work", 42);
  Volume('C', TDriveType::Fixed, 5, "System", 7);
  const std::string text =
      "The media you requested (Hard disk) was not found\r\nand does not seem to be "
      "removable.";

  EXPECT_EQ(detector.LocateDiskMedia(disk, true, true), LocateManual);
  EXPECT_EQ(detector.LocateDiskMedia(disk, true, false), LocateNotFound);
  EXPECT_EQ(test::Shown(prompts),
            (std::vector<std::string>{
                "Non-Removable Media | " + text +
                    " Please select \rthe appropriate drive yourself if available. | Ok | Information",
                "Non-Removable Media | " + text + " | Ok | Information"}));

  EXPECT_EQ(detector.LocateDiskMedia(disk, false, true), LocateNotFound);
  EXPECT_EQ(prompts.Log.size(), 2u);
  EXPECT_TRUE(media.Asked.empty());
}

TEST_F(MediaTest, InsertMediaQuestion) {
  TCatalogTree tree;
  TNode* disk = Disk(tree, "Holiday 1998", 7, "Holiday", 0x19980808);
  TTestDrive& a = Volume('A', TDriveType::Removable, 7, "OTHER", 1);

  media.Answers = {TMediaAnswer::Cancel};
  EXPECT_EQ(detector.LocateDiskMedia(disk, true, true), LocateNotFound);
  ASSERT_EQ(media.Asked.size(), 1u);
  EXPECT_EQ(media.Asked[0].DiskName, "Holiday 1998");
  EXPECT_EQ(media.Asked[0].MediaType, 7);
  EXPECT_TRUE(media.Asked[0].MayChooseManually);
  EXPECT_FALSE(media.Busy);
  EXPECT_GE(media.BusyCount, 1);

  media.Answers = {TMediaAnswer::Manual};
  EXPECT_EQ(detector.LocateDiskMedia(disk, true, true), LocateManual);
  // Without manual choice the window has no such button; an answer of it is a cancel.
  media.Answers = {TMediaAnswer::Manual};
  EXPECT_EQ(detector.LocateDiskMedia(disk, true, false), LocateNotFound);
  EXPECT_FALSE(media.Asked.back().MayChooseManually);

  // OK after the right disk went in: the search runs again and finds it.
  media.Asked.clear();
  media.Answers = {TMediaAnswer::Ok, TMediaAnswer::Ok};
  media.BeforeAnswer = [&] {
    if (media.Asked.size() == 2) {
      a.Volume.Label = "HOLIDAY";
      a.Volume.Serial = 0x19980808;
    }
  };
  EXPECT_EQ(detector.LocateDiskMedia(disk, true, false), 'A');
  EXPECT_EQ(media.Asked.size(), 2u);
  EXPECT_TRUE(prompts.Log.empty());
}

}  // namespace
}  // namespace tf

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/DirEnum.h"
#include "platform/MemorySettings.h"
#include "platform/LinuxDrives.h"
#include "support/TestSupport.h"

namespace tf {
namespace {

namespace fs = std::filesystem;

// ---- mountinfo

TEST(MountInfo, FieldsAndEscapes) {
  auto m = ParseMountInfo(
      "26 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw,discard\n"
      "44 26 7:0 / /media/me/My\\040Stick\\134x rw master:3 - vfat /dev/sdb1 rw,uid=1000\n"
      "45 26 0:39 /sub /mnt/bind rw - tmpfs none rw\n"
      "garbage line\n"
      "46 26 0:40 / /mnt/nosuper rw - nfs4 srv:/x\n"
      "47 26 x:y / /mnt/bad rw - ext4 /dev/x rw\n"
      "48 26 0:41 / relative rw - ext4 /dev/x rw\n");
  ASSERT_EQ(m.size(), 4u);
  EXPECT_EQ(m[0].Id, 26);
  EXPECT_EQ(m[0].MountPoint, "/");
  EXPECT_EQ(m[0].Major, 254u);
  EXPECT_EQ(m[0].FsType, "ext4");
  EXPECT_EQ(m[0].Source, "/dev/vda");
  EXPECT_EQ(m[0].SuperOptions, "rw,discard");
  EXPECT_EQ(m[1].MountPoint, "/media/me/My Stick\\x");
  EXPECT_EQ(m[1].Major, 7u);
  EXPECT_EQ(m[1].FsType, "vfat");
  EXPECT_EQ(m[2].Root, "/sub");
  EXPECT_EQ(m[3].FsType, "nfs4");
  EXPECT_EQ(m[3].SuperOptions, "");
  EXPECT_EQ(UnescapeMountField("a\\011b\\012c\\0"), "a\tb\nc\\0");
}

TEST(MountInfo, PseudoFileSystemsAreLeftOut) {
  const struct {
    const char* Type;
    const char* Point;
    bool Pseudo;
  } cases[] = {
      {"proc", "/proc", true},          {"sysfs", "/sys", true},
      {"cgroup2", "/sys/fs/cgroup", true}, {"tmpfs", "/sys/fs/cgroup", true},
      {"devpts", "/dev/pts", true},     {"tmpfs", "/dev/shm", true},
      {"tmpfs", "/run", true},          {"tmpfs", "/run/user/1000", true},
      {"fuse.portal", "/home/me/.portal", true},
      {"overlay", "/var/lib/docker/overlay2/abc/merged", true},
      {"squashfs", "/snap/core/123", true},
      {"overlay", "/", false},          {"tmpfs", "/", false},
      {"vfat", "/run/media/me/STICK", false}, {"tmpfs", "/tmp", false},
      {"ext4", "/home", false},         {"nfs4", "/srv/share", false},
      {"squashfs", "/mnt/image", false},
      {"ext4", "/proceedings", false},  // a sibling of /proc, not inside it
  };
  for (const auto& c : cases) {
    TMountEntry m;
    m.FsType = c.Type;
    m.MountPoint = c.Point;
    EXPECT_EQ(IsPseudoMount(m), c.Pseudo) << c.Type << " " << c.Point;
  }
}

// ---- volume facts

TEST(VolumeFacts, FileSystemNames) {
  // Without the device, the cluster count tells the FAT type.
  const struct {
    const char *Type, *Probed, *Version;
    uint32_t Clusters;
    const char* Name;
  } cases[] = {
      {"vfat", "vfat", "FAT12", 0, "FAT"},  {"vfat", "vfat", "FAT16", 0, "FAT"},
      {"vfat", "vfat", "FAT32", 0, "FAT32"}, {"vfat", "", "", 65524, "FAT"},
      {"vfat", "", "", 65525, "FAT32"},     {"iso9660", "", "", 0, "CDFS"},
      {"ntfs3", "", "", 0, "NTFS"},         {"fuseblk", "ntfs", "", 0, "NTFS"},
      {"fuse.sshfs", "", "", 0, "SSHFS"},   {"fuse.glusterfs", "", "", 0, "GLUSTERF"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FileSystemName(c.Type, c.Probed, c.Version, c.Clusters), c.Name) << c.Type;
}

TEST(VolumeFacts, SerialsFromUuids) {
  EXPECT_EQ(SerialFromUuid("vfat", "1A2B-3C4D"), 0x1A2B3C4Du);
  EXPECT_EQ(SerialFromUuid("exfat", "DEAD-BEEF"), 0xDEADBEEFu);
  EXPECT_EQ(SerialFromUuid("ntfs", "0123456789ABCDEF"), 0x89ABCDEFu);
  EXPECT_EQ(SerialFromUuid("ext4", "4e52c284-4767-4d6f-8c60-d2429943e03c"), 0x1C16BD95u);
  EXPECT_EQ(SerialFromUuid("ext4", ""), 0u);
  // ISO 9660 dates and other texts: stable, and different for different texts.
  uint32_t a = SerialFromUuid("iso9660", "2023-01-01-12-00-00-00");
  EXPECT_EQ(a, SerialFromUuid("iso9660", "2023-01-01-12-00-00-00"));
  EXPECT_NE(a, SerialFromUuid("iso9660", "2023-01-01-12-00-00-01"));
  EXPECT_NE(SerialFromUuid("btrfs", "not a uuid"), 0u);
}

bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

TEST(VolumeFacts, ProbesImagesWithoutMounting) {
  test::TTempDir dir;
  std::string fat12 = dir.File("fat12.img"), fat32 = dir.File("fat32.img");
  if (!Shell("mkfs.vfat -C -n 'WORK DISK' -i 1A2B3C4D " + fat12 + " 1440") ||
      !Shell("mkfs.vfat -F 32 -C -n DATA -i DEADBEEF " + fat32 + " 40000"))
    GTEST_SKIP() << "mkfs.vfat is not installed";
  auto p = ProbeVolume(fat12);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->Type, "vfat");
  EXPECT_EQ(p->Label, "WORK DISK");
  EXPECT_EQ(SerialFromUuid(p->Type, p->Uuid), 0x1A2B3C4Du);
  EXPECT_EQ(FileSystemName("vfat", p->Type, p->Version, 0), "FAT");
  p = ProbeVolume(fat32);
  ASSERT_TRUE(p);
  EXPECT_EQ(FileSystemName("vfat", p->Type, p->Version, 0), "FAT32");
  EXPECT_EQ(SerialFromUuid(p->Type, p->Uuid), 0xDEADBEEFu);

  test::WriteBytes(dir.File("zeros.img"), std::string(65536, '\0'));
  EXPECT_FALSE(ProbeVolume(dir.File("zeros.img")));
  EXPECT_FALSE(ProbeVolume(dir.File("missing.img")));
}

// ---- the drive table, on a made-up machine

// A sysfs tree and a mount table of a desktop with a floppy, two optical drives (one with a
// disc), a USB stick, a second hard disk partition, a network share and a RAM disk.
class FakeMachine : public ::testing::Test {
 protected:
  test::TTempDir dir;
  std::string sys, mp;
  std::string dev;  // the real device of the temporary folder, so that its mounts are ready

  void Block(const std::string& devPath, const std::string& removable, const std::string& size) {
    fs::path p = fs::path(sys) / "devices" / devPath;
    fs::create_directories(p);
    test::WriteBytes((p / "removable").string(), removable + "\n");
    test::WriteBytes((p / "size").string(), size + "\n");
    std::string name = p.filename().string();
    fs::create_directories(fs::path(sys) / "block");
    fs::create_directory_symlink(fs::path("../devices") / devPath, fs::path(sys) / "block" / name);
    fs::create_directories(fs::path(sys) / "class" / "block");
    fs::create_directory_symlink(fs::path("../../devices") / devPath,
                                 fs::path(sys) / "class" / "block" / name);
  }
  void Partition(const std::string& diskPath, const std::string& name) {
    fs::path p = fs::path(sys) / "devices" / diskPath / name;
    fs::create_directories(p);
    test::WriteBytes((p / "partition").string(), "1\n");
    fs::create_directory_symlink(fs::path("../../devices") / diskPath / name,
                                 fs::path(sys) / "class" / "block" / name);
  }
  std::string Line(int id, const std::string& point, const std::string& type,
                   const std::string& source, const std::string& devNumber = "") {
    return std::to_string(id) + " 1 " + (devNumber.empty() ? dev : devNumber) + " / " + point +
           " rw - " + type + " " + source + " rw\n";
  }
  std::string MountPoint(const std::string& name) {
    fs::create_directories(fs::path(mp) / name);
    return (fs::path(mp) / name).string();
  }

  void SetUp() override {
    sys = dir.File("sys");
    mp = dir.File("mnt");
    struct stat st {};
    ASSERT_EQ(::stat(dir.Path().c_str(), &st), 0);
    dev = std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    Block("platform/floppy.0/block/fd0", "1", "2880");
    Block("pci0000:00/ata2/block/sr0", "1", "1331200");
    Block("pci0000:00/ata3/block/sr1", "1", "0");
    Block("pci0000:00/usb1/1-1/host6/block/sdb", "1", "30000000");
    Partition("pci0000:00/usb1/1-1/host6/block/sdb", "sdb1");
    Block("pci0000:00/ata1/block/sda", "0", "500000000");
    Partition("pci0000:00/ata1/block/sda", "sda3");
  }

  std::string Table() {
    return Line(20, "/", "ext4", "/dev/sda1", "8:1") +
           Line(21, "/proc", "proc", "proc", "0:20") +
           Line(22, MountPoint("floppy"), "vfat", "/dev/fd0") +
           Line(23, MountPoint("cd"), "iso9660", "/dev/sr0") +
           Line(24, MountPoint("stick"), "vfat", "/dev/sdb1") +
           Line(25, MountPoint("data"), "ext4", "/dev/sda3") +
           Line(26, MountPoint("net"), "nfs4", "server:/export", "0:50") +
           Line(27, MountPoint("ram"), "tmpfs", "tmpfs") +
           Line(28, "/run/user/1000", "tmpfs", "tmpfs", "0:51");
  }

  std::unique_ptr<TLinuxDrives> Drives(const std::string& table, TSettingsKey* settings = nullptr) {
    test::WriteBytes(dir.File("mountinfo"), table);
    TLinuxDrivesOptions o;
    o.MountInfo = dir.File("mountinfo");
    o.SysRoot = sys;
    o.DevRoot = dir.File("dev");
    return std::make_unique<TLinuxDrives>(settings, o);
  }
};

TEST_F(FakeMachine, LettersFollowTheDesign) {
  auto drives = Drives(Table());
  uint32_t mask = drives->LogicalDrives();
  // A floppy, no B, C root, D..H the mounts in mount-point order, I the empty optical drive.
  EXPECT_EQ(mask, 0b111111101u);
  std::vector<std::string> roots;
  for (char l = 'A'; l <= 'I'; ++l) roots.push_back(drives->RootPath(l));
  EXPECT_EQ(roots, (std::vector<std::string>{mp + "/floppy", "", "/", mp + "/cd", mp + "/data",
                                             mp + "/net", mp + "/ram", mp + "/stick", ""}));
}

TEST_F(FakeMachine, DriveAndDeviceTypes) {
  auto drives = Drives(Table());
  drives->LogicalDrives();
  const struct {
    char letter;
    TDriveType type;
    uint8_t device;
  } expected[] = {
      {'A', TDriveType::Removable, 7},  {'B', TDriveType::NoRootDir, 255},
      {'C', TDriveType::Fixed, 5},      {'D', TDriveType::CdRom, 10},
      {'E', TDriveType::Fixed, 5},      {'F', TDriveType::Remote, 11},
      {'G', TDriveType::RamDisk, 12},   {'H', TDriveType::Removable, 13},
      {'I', TDriveType::CdRom, 10},     {'J', TDriveType::NoRootDir, 255},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(drives->DriveType(e.letter), e.type) << e.letter;
    EXPECT_EQ(drives->DeviceType(e.letter - 'A' + 1), e.device) << e.letter;
  }
  EXPECT_EQ(drives->DeviceType(0), 255);
  EXPECT_EQ(drives->DeviceType(27), 255);
}

TEST_F(FakeMachine, ReadinessFollowsTheMount) {
  auto drives = Drives(Table());
  drives->LogicalDrives();
  EXPECT_TRUE(drives->IsReady('A'));
  EXPECT_TRUE(drives->IsReady('H'));
  EXPECT_FALSE(drives->IsReady('I'));  // no disc
  TVolumeData v;
  EXPECT_FALSE(drives->VolumeInformation('I', v));
  TDiskGeometry g;
  EXPECT_FALSE(drives->DiskFreeSpace('I', g));
  EXPECT_FALSE(drives->IsReady('Q'));
  // The optical drive reports 2048-byte sectors.
  ASSERT_TRUE(drives->DiskFreeSpace('D', g));
  EXPECT_EQ(g.BytesPerSector, 2048u);
  // The device of the stick cannot be read here: the volume data come from elsewhere, and
  // the FAT type from the cluster count; nothing fails.
  ASSERT_TRUE(drives->VolumeInformation('H', v));
  EXPECT_TRUE(v.FileSystem == "FAT" || v.FileSystem == "FAT32") << v.FileSystem;
}

TEST_F(FakeMachine, LettersStayWithTheirMountsForTheRun) {
  auto drives = Drives(Table());
  drives->LogicalDrives();
  // data goes away, a new mount sorts before everything, the stick comes back elsewhere.
  std::string changed = Line(20, "/", "ext4", "/dev/sda1", "8:1") +
                        Line(22, mp + "/floppy", "vfat", "/dev/fd0") +
                        Line(23, mp + "/cd", "iso9660", "/dev/sr0") +
                        Line(29, MountPoint("aaa"), "ext4", "/dev/sda3") +
                        Line(30, MountPoint("stick2"), "vfat", "/dev/sdb1") +
                        Line(26, mp + "/net", "nfs4", "server:/export", "0:50") +
                        Line(27, mp + "/ram", "tmpfs", "tmpfs");
  test::WriteBytes(dir.File("mountinfo"), changed);
  EXPECT_EQ(drives->RootPath('D'), mp + "/cd");
  EXPECT_EQ(drives->RootPath('E'), "");           // kept for data, should it come back
  EXPECT_EQ(drives->RootPath('F'), mp + "/net");
  EXPECT_EQ(drives->RootPath('H'), mp + "/stick2");  // the same device, the same letter
  EXPECT_EQ(drives->RootPath('J'), mp + "/aaa");   // a new mount takes a free letter

  test::WriteBytes(dir.File("mountinfo"), changed + Line(31, mp + "/data", "ext4", "/dev/sda3"));
  EXPECT_EQ(drives->RootPath('E'), mp + "/data");
}

TEST_F(FakeMachine, FolderDrivesClaimTheirLettersFirst) {
  TMemorySettings settings;
  fs::create_directories(dir.Path() / "folder");
  SaveFolderDrive(settings, {'D', (dir.Path() / "folder").string(), "F", 1, 5, "FAT"});
  SaveFolderDrive(settings, {'A', (dir.Path() / "folder").string(), "F", 1, 7, "FAT"});
  auto drives = Drives(Table(), &settings);
  drives->LogicalDrives();
  EXPECT_EQ(drives->RootPath('A'), mp + "/floppy");  // a floppy drive is there already
  EXPECT_EQ(drives->RootPath('D'), (dir.Path() / "folder").string());
  EXPECT_EQ(drives->RootPath('E'), mp + "/cd");
  // A folder drive shows a part of its volume, a mount the whole of it.
  EXPECT_TRUE(drives->ShowsPartOfVolume('D'));
  EXPECT_FALSE(drives->ShowsPartOfVolume('E'));
  EXPECT_FALSE(drives->ShowsPartOfVolume('Q'));
}

TEST_F(FakeMachine, NoSysfsAndNoMountTableStillGiveC) {
  test::WriteBytes(dir.File("mountinfo"), "");
  TLinuxDrivesOptions o;
  o.MountInfo = dir.File("no-such-file");
  o.SysRoot = dir.File("no-sys");
  o.DevRoot = dir.File("no-dev");
  TLinuxDrives drives(nullptr, o);
  EXPECT_EQ(drives.LogicalDrives(), 1u << 2);
  EXPECT_TRUE(drives.IsReady('C'));
  TVolumeData v;
  EXPECT_TRUE(drives.VolumeInformation('C', v));
}

TEST_F(FakeMachine, MoreMountsThanLettersAndTheTableOfOneMount) {
  std::string table = Line(20, "/", "ext4", "/dev/sda1", "8:1");
  for (int i = 0; i < 30; ++i) {
    char name[8];
    std::snprintf(name, sizeof name, "m%02d", i);
    table += Line(100 + i, MountPoint(name), i == 29 ? "tmpfs" : "ext4", "none");
  }
  // The whole table: C, D..I for the floppy, the mounts in mount-point order, and the optical
  // drives, until the letters run out.
  auto all = Drives(table);
  EXPECT_EQ(all->LogicalDrives(), 0x3FFFFFDu);
  EXPECT_EQ(all->RootPath('Z'), mp + "/m22");

  // One mount alone: the last of them, the system drive, or one that is not there.
  const struct {
    std::string Only;
    uint32_t Mask;
    char Letter;
    TDriveType Type;
  } cases[] = {
      {mp + "/m29", 1u << 3, 'D', TDriveType::RamDisk},
      {mp + "/m00", 1u << 3, 'D', TDriveType::Fixed},
      {"/", 1u << 2, 'C', TDriveType::Fixed},
      {mp + "/none", 0, 0, TDriveType::NoRootDir},
  };
  for (const auto& c : cases) {
    test::WriteBytes(dir.File("mountinfo"), table);
    TLinuxDrivesOptions o;
    o.MountInfo = dir.File("mountinfo");
    o.SysRoot = sys;
    o.DevRoot = dir.File("dev");
    o.OnlyMountPoint = c.Only;
    TMemorySettings settings;
    SaveFolderDrive(settings, {'E', (fs::path(mp) / "m05").string(), "F", 1, 5, "FAT"});
    TLinuxDrives one(&settings, o);
    EXPECT_EQ(one.LogicalDrives(), c.Mask | 1u << 4) << c.Only;
    if (!c.Letter) continue;
    EXPECT_EQ(one.RootPath(c.Letter), c.Only);
    EXPECT_EQ(one.DriveType(c.Letter), c.Type) << c.Only;
    if (c.Only != "/") {  // "/" is made up here
      EXPECT_TRUE(one.IsReady(c.Letter)) << c.Only;
    }
    EXPECT_EQ(one.RootPath('E'), mp + "/m05");  // the folder drives stay
  }
}

TEST(MountInfo, TheMountThatHoldsAPath) {
  auto mounts = ParseMountInfo(
      "20 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "21 20 8:3 / /home rw - ext4 /dev/sda3 rw\n"
      "22 21 0:40 / /home/me/net rw - nfs4 srv:/x rw\n"
      "23 20 0:41 / /run/user/1000 rw - tmpfs tmpfs rw\n"
      "24 20 0:42 / /media/stick rw - vfat /dev/sdb1 rw\n");
  const std::pair<std::string, std::string> cases[] = {
      {"/", "/"},
      {"/usr/share", "/"},
      {"/home", "/home"},
      {"/home/me/photos", "/home"},
      {"/home/me/net", "/home/me/net"},
      {"/home/me/network", "/home"},  // a sibling of the mount point, not inside it
      {"/run/user/1000/doc", "/"},     // no drive is made of that mount
      {"/media/stick/DCIM", "/media/stick"},
  };
  for (const auto& [path, point] : cases) EXPECT_EQ(DriveMountPointOf(path, mounts), point) << path;
  EXPECT_EQ(DriveMountPointOf("/home", {}), "/");
}

// ---- this machine

TEST(ThisMachine, SystemDriveIsReadable) {
  TLinuxDrives drives;
  uint32_t mask = drives.LogicalDrives();
  ASSERT_TRUE(mask & (1u << 2));
  EXPECT_EQ(drives.RootPath('C'), "/");
  EXPECT_TRUE(drives.IsReady('C'));
  TVolumeData v;
  ASSERT_TRUE(drives.VolumeInformation('C', v));
  EXPECT_FALSE(v.FileSystem.empty());
  EXPECT_LE(v.FileSystem.size(), 8u);
  EXPECT_GT(v.MaxComponentLength, 0u);
  TDiskGeometry g;
  ASSERT_TRUE(drives.DiskFreeSpace('C', g));
  TFreeBytes b;
  ASSERT_TRUE(drives.DiskFreeSpaceEx('C', b));
  uint64_t cluster = uint64_t(g.BytesPerSector) * g.SectorsPerCluster;
  EXPECT_LE(g.TotalClusters, uint32_t(INT32_MAX));
  EXPECT_LE(uint64_t(g.TotalClusters) * cluster, b.Total);
  EXPECT_GT(uint64_t(g.TotalClusters + 1) * cluster, b.Total);
  for (char l = 'A'; l <= 'Z'; ++l) {
    if (mask & (1u << (l - 'A'))) continue;
    EXPECT_EQ(drives.DriveType(l), TDriveType::NoRootDir);
    EXPECT_FALSE(drives.IsReady(l));
    EXPECT_EQ(drives.RootPath(l), "");
  }
}

// Mounts made in a mount namespace of this test's own: nobody else sees them, and they go
// away with the process however it ends. Needs root (or CAP_SYS_ADMIN); skipped otherwise.
class PrivateMounts : public ::testing::Test {
 protected:
  test::TTempDir dir;
  void SetUp() override {
    static int entered = -1;
    if (entered < 0)
      entered = ::unshare(CLONE_NEWNS) == 0 &&
                ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    if (!entered) GTEST_SKIP() << "mounting is not allowed here";
  }
  bool Mount(const std::string& args) { return Shell("mount " + args); }
  static char LetterOf(TLinuxDrives& drives, const std::string& root) {
    uint32_t mask = drives.LogicalDrives();
    for (char l = 'A'; l <= 'Z'; ++l)
      if ((mask & (1u << (l - 'A'))) && drives.RootPath(l) == root) return l;
    return 0;
  }
};

TEST_F(PrivateMounts, LabelledImageWithAnOddMountPoint) {
  std::string img = dir.File("e.img");
  if (!Shell("truncate -s 4M " + img) || !Shell("mkfs.ext2 -q -L 'Mixed Lbl' " + img))
    GTEST_SKIP() << "mkfs.ext2 is not installed";
  std::string point = dir.File("mnt \xC5\xBC\\x");
  fs::create_directories(point);
  if (!Mount("-o loop " + img + " '" + point + "'")) GTEST_SKIP() << "loop mounts are not allowed";

  TLinuxDrives drives;
  char l = LetterOf(drives, point);
  ASSERT_NE(l, 0);
  EXPECT_EQ(drives.DriveType(l), TDriveType::Fixed);
  EXPECT_EQ(drives.DeviceType(l - 'A' + 1), 5);
  EXPECT_TRUE(drives.IsReady(l));
  EXPECT_FALSE(drives.CaseInsensitive(l));
  TVolumeData v;
  ASSERT_TRUE(drives.VolumeInformation(l, v));
  EXPECT_EQ(v.Label, "Mixed Lbl");
  EXPECT_EQ(v.FileSystem, "EXT2");
  EXPECT_NE(v.Serial, 0u);
  EXPECT_TRUE(v.Flags & FsCaseSensitive);
  TFreeBytes b;
  ASSERT_TRUE(drives.DiskFreeSpaceEx(l, b));
  EXPECT_GT(b.Total, 3000000u);
  EXPECT_LE(b.Total, 4194304u);

  // Without access to the device the serial is the same, taken from the file system id.
  TLinuxDrivesOptions o;
  o.DevRoot = dir.File("no-dev");
  TLinuxDrives blind(nullptr, o);
  char bl = LetterOf(blind, point);
  TVolumeData bv;
  ASSERT_TRUE(blind.VolumeInformation(bl, bv));
  EXPECT_EQ(bv.Serial, v.Serial);
  EXPECT_EQ(bv.FileSystem, "EXT2");
}

TEST_F(PrivateMounts, RamDiskComesAndGoes) {
  std::string point = dir.File("ram");
  fs::create_directories(point);
  if (!Mount("-t tmpfs -o size=1m none " + point)) GTEST_SKIP() << "tmpfs mounts are not allowed";
  TLinuxDrives drives;
  char l = LetterOf(drives, point);
  ASSERT_NE(l, 0);
  EXPECT_EQ(drives.DriveType(l), TDriveType::RamDisk);
  EXPECT_EQ(drives.DeviceType(l - 'A' + 1), 12);
  EXPECT_TRUE(drives.IsReady(l));
  TVolumeData v;
  ASSERT_TRUE(drives.VolumeInformation(l, v));
  EXPECT_EQ(v.FileSystem, "TMPFS");
  // A folder drive of the mount point shows the whole RAM disk, one of a folder in it a part.
  fs::create_directories(point + "/sub");
  TMemorySettings settings;
  SaveFolderDrive(settings, {'X', point, "R", 1, 12, "TMPFS"});
  SaveFolderDrive(settings, {'Y', point + "/sub", "S", 2, 12, "TMPFS"});
  TLinuxDrives withFolders(&settings);
  withFolders.LogicalDrives();
  EXPECT_FALSE(withFolders.ShowsPartOfVolume('X'));
  EXPECT_TRUE(withFolders.ShowsPartOfVolume('Y'));

  ASSERT_EQ(::umount(point.c_str()), 0);
  // The folder is still there, but it is not the RAM disk any more.
  EXPECT_FALSE(drives.IsReady(l));
  EXPECT_EQ(drives.RootPath(l), "");
  ASSERT_TRUE(Mount("-t tmpfs -o size=1m none " + point));
  EXPECT_EQ(LetterOf(drives, point), l);
}

TEST_F(PrivateMounts, FatImageWithAttributes) {
  std::string img = dir.File("fat.img");
  if (!Shell("mkfs.vfat -C -n 'WORK DISK' -i 1A2B3C4D " + img + " 1440"))
    GTEST_SKIP() << "mkfs.vfat is not installed";
  test::WriteBytes(dir.File("hidden.txt"), "h");
  if (!Shell("mcopy -i " + img + " " + dir.File("hidden.txt") + " ::HIDDEN.TXT") ||
      !Shell("mattrib -i " + img + " +h +s -a ::HIDDEN.TXT"))
    GTEST_SKIP() << "mtools is not installed";
  std::string point = dir.File("fat");
  fs::create_directories(point);
  if (!Mount("-t vfat -o loop " + img + " " + point))
    GTEST_SKIP() << "this kernel cannot mount FAT images here";

  TLinuxDrives drives;
  char l = LetterOf(drives, point);
  ASSERT_NE(l, 0);
  EXPECT_TRUE(drives.CaseInsensitive(l));
  TVolumeData v;
  ASSERT_TRUE(drives.VolumeInformation(l, v));
  EXPECT_EQ(v.Label, "WORK DISK");
  EXPECT_EQ(v.Serial, 0x1A2B3C4Du);
  EXPECT_EQ(v.FileSystem, "FAT");
  EXPECT_FALSE(v.Flags & FsCaseSensitive);

  TDirEnum e(point);
  TDirEntry entry;
  ASSERT_TRUE(e.Next(entry));
  EXPECT_TRUE(e.FatAttributes());
  EXPECT_EQ(entry.Attributes, faHidden | faSysFile);
}

}  // namespace
}  // namespace tf

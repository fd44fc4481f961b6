#pragma once
// The drives of a Linux machine: mounted file systems and folder drives given letters.
//
// Letters: A and B for floppy devices (fd0, fd1, then USB floppy drives holding a floppy-sized
// medium), C for "/", then the other mounts in mount-point order from D, followed by optical
// drives that hold no disc. Folder drives (Drives.h) take the letters the user gave them,
// except A, B and C. A letter stays with its mount for the whole run: with the device for
// optical, floppy and removable media (the next disc or stick in the same drive gets the same
// letter), with the mount point otherwise; a letter whose mount went away is given to a new
// mount only when no unused letter is left.
//
// Pseudo file systems are left out (proc, sysfs, cgroup, devpts, ...), as is everything
// mounted under /proc, /sys, /dev and /run (except /run/media, where removable media appear),
// overlays other than "/", snap images and mounts of single files.
//
// Volume data: the label, UUID and FAT type from libblkid on the block device when it can be
// read; without access to the device (a container, no permission) the label comes from the
// file system itself (FS_IOC_GETFSLABEL) or /dev/disk/by-label, the FAT serial from
// FAT_IOCTL_GET_VOLUME_ID, the FAT type from the cluster count. Serial: the FAT/exFAT volume ID,
// the low 32 bits of an NTFS serial, otherwise the UUID folded to 32 bits (0 when none).
// Device types: floppies by capacity, 10 optical, 11 network, 12 tmpfs/ramfs, 13 other
// removable devices (sysfs "removable", or on a USB bus), 5 the rest.
//
// Every query reads /proc/self/mountinfo again (and redoes the table only when it changed),
// so that media that come and go are seen at once. Nothing here throws or fails hard: a
// machine without removable media, a container without /dev nodes or without /sys gives
// fewer facts, never an error.
//
// One object serves one thread: the table and the letters it remembers are not locked.

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Drives.h"

namespace tf {

class TSettingsKey;

struct TMountEntry {
  int Id = 0;
  unsigned Major = 0;
  unsigned Minor = 0;
  std::string Root;        // the folder of the file system that is mounted
  std::string MountPoint;  // unescaped
  std::string Options;
  std::string FsType;
  std::string Source;
  std::string SuperOptions;
};

// The lines of /proc/<pid>/mountinfo; malformed lines are passed over.
std::vector<TMountEntry> ParseMountInfo(std::string_view text);
// Undoes the octal escapes of mountinfo ("\040" is a space).
std::string UnescapeMountField(std::string_view field);
// A file system that holds no user data, or one mounted where none is looked for.
bool IsPseudoMount(const TMountEntry& mount);
// The mount table of a mountinfo file (by default this process's); empty when unreadable.
std::vector<TMountEntry> ReadMountTable(const std::string& mountInfo = "/proc/self/mountinfo");
// The mount point of the mount that holds path (absolute, without links), of those that can
// be drives: the longest mount point that is path or lies above it; "/" when none does.
std::string DriveMountPointOf(std::string_view path, const std::vector<TMountEntry>& mounts);

struct TProbedVolume {
  std::string Type;     // "vfat", "ext4", "iso9660", ...
  std::string Version;  // "FAT12", "FAT16", "FAT32" for vfat
  std::string Label;
  std::string Uuid;
};
// libblkid on a device or an image file; nullopt when it cannot be read or holds no known
// file system.
std::optional<TProbedVolume> ProbeVolume(const std::string& path);

// The file system name the catalog stores: "FAT"/"FAT32" for the FAT family (by the probed FAT
// type, else by the cluster count), "CDFS" for iso9660, "NTFS", others upper-cased, at most 8.
std::string FileSystemName(std::string_view fsType, std::string_view probedType,
                           std::string_view probedVersion, uint64_t clusters);
// The volume serial from a probed UUID (see the head of this file).
uint32_t SerialFromUuid(std::string_view fsType, std::string_view uuid);
// A floppy's device type from its size in 512-byte sectors; DeviceTypeUnknown for 0.
uint8_t FloppyTypeFromSectors(uint64_t sectors);

struct TLinuxDrivesOptions {
  std::string MountInfo = "/proc/self/mountinfo";
  std::string SysRoot = "/sys";
  std::string DevRoot = "/dev";
  // For a tool that reads one medium: the table holds only the mount at this mount point
  // (C: for "/", else D:) besides the folder drives, no floppy or optical drives. So a mount
  // is read the same way however many others there are, with or without a letter of its own.
  std::optional<std::string> OnlyMountPoint;
};

class TLinuxDrives final : public TDrives {
 public:
  // settings: the program's settings key, for the folder drives; may be null (none).
  explicit TLinuxDrives(TSettingsKey* settings = nullptr, TLinuxDrivesOptions options = {});
  ~TLinuxDrives() override;
  TLinuxDrives(const TLinuxDrives&) = delete;
  TLinuxDrives& operator=(const TLinuxDrives&) = delete;

  // Reads the folder drives from the settings again (LogicalDrives does it too).
  void ReloadFolderDrives();

  uint32_t LogicalDrives() override;
  TDriveType DriveType(char letter) override;
  bool VolumeInformation(char letter, TVolumeData& volume) override;
  bool DiskFreeSpace(char letter, TDiskGeometry& geometry) override;
  bool DiskFreeSpaceEx(char letter, TFreeBytes& bytes) override;
  uint8_t DeviceType(int driveNumber) override;
  bool IsReady(char letter) override;
  bool CaseInsensitive(char letter) override;
  std::string RootPath(char letter) override;
  bool ShowsPartOfVolume(char letter) override;

 private:
  struct TSlot;
  struct TDevice;
  void Refresh(bool force = false);
  void Rebuild(const std::vector<TMountEntry>& mounts);
  TDevice DescribeDevice(const TMountEntry& mount) const;
  TSlot* SlotOf(char letter);
  bool ReadyNow(const TSlot& slot) const;
  std::optional<bool> CachedCaseProbe(const std::string& key, const std::string& folder);

  TSettingsKey* settings_;
  TLinuxDrivesOptions options_;
  std::vector<TFolderDrive> folderDrives_;
  std::string lastMountInfo_;
  bool built_ = false;
  std::vector<TSlot> slots_;             // 26, one per letter
  std::map<std::string, char> letters_;  // mount key -> letter, for the whole run
  std::map<std::string, std::optional<bool>> caseProbes_;  // per mount (or folder)
};

}  // namespace tf

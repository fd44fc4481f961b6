#pragma once
// The host's drives and volumes as the catalog sees them: drive letters A to Z, each with a
// system drive type, volume data, free space and geometry, a device type and a root folder on
// the host. Engines (media detection, scan, update, launching) ask only this interface; the
// Linux backend (LinuxDrives.h) gives mounted file systems letters, the test backend
// (TestDrives.h) holds a fixed drive table.
//
// Catalog paths ("D:\GAMES\DOOM") and host paths ("/media/stick/GAMES/DOOM") are mapped by
// the free functions at the end. A host name that contains "\" (legal on Linux, the path
// separator in a catalog) is written in catalog text with U+F05C in its place, the private-use
// stand-in that Cygwin and WSL use for the same character; mapping back restores the "\".

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tf {

class TSettingsKey;

// The system drive types, numbered as the Win32 call numbers them.
enum class TDriveType : uint8_t {
  Unknown = 0,
  NoRootDir = 1,  // no such drive
  Removable = 2,
  Fixed = 3,
  Remote = 4,
  CdRom = 5,
  RamDisk = 6,
};

// File-system flags of TVolumeData::Flags (Win32 values).
inline constexpr uint32_t FsCaseSensitive = 0x00000001;
inline constexpr uint32_t FsCasePreserved = 0x00000002;
inline constexpr uint32_t FsUnicodeOnDisk = 0x00000004;
inline constexpr uint32_t FsVolIsCompressed = 0x00008000;

// Device types answered for a drive whose device cannot tell.
inline constexpr uint8_t DeviceTypeUnknown = 255;

struct TVolumeData {
  std::string Label;       // as the volume holds it (UTF-8)
  uint32_t Serial = 0;
  uint32_t MaxComponentLength = 0;
  uint32_t Flags = 0;      // Fs... above
  std::string FileSystem;  // "FAT", "FAT32", "CDFS", "NTFS", "EXT4", ...
};

// The classic geometry query. Cluster counts fit in 31 bits: a backend whose volume has more
// clusters reports larger clusters (as many sectors per cluster as needed).
struct TDiskGeometry {
  uint32_t SectorsPerCluster = 0;
  uint32_t BytesPerSector = 0;
  uint32_t FreeClusters = 0;  // free to the caller
  uint32_t TotalClusters = 0;
};

// The byte-count query.
struct TFreeBytes {
  uint64_t Total = 0;
  uint64_t Free = 0;       // free on the volume
  uint64_t Available = 0;  // free to the caller
};

class TDrives {
 public:
  virtual ~TDrives() = default;
  // Bit n set: drive letter 'A' + n exists.
  virtual uint32_t LogicalDrives() = 0;
  virtual TDriveType DriveType(char letter) = 0;
  // False when the drive has no readable volume (not ready, no such drive).
  virtual bool VolumeInformation(char letter, TVolumeData& volume) = 0;
  virtual bool DiskFreeSpace(char letter, TDiskGeometry& geometry) = 0;
  virtual bool DiskFreeSpaceEx(char letter, TFreeBytes& bytes) = 0;
  // True on a system whose classic geometry query cannot describe large volumes, so that
  // byte counts come from DiskFreeSpaceEx and the geometry is estimated from them.
  virtual bool PrefersByteCounts() const { return false; }
  // The device type of drive number n (1 = A): floppy codes 0..9 by size, 10 optical,
  // 11 network, 12 RAM disk, 13 other removable, 5 fixed; DeviceTypeUnknown when the device
  // cannot tell or there is no such drive.
  virtual uint8_t DeviceType(int driveNumber) = 0;
  // The drive holds a readable volume now.
  virtual bool IsReady(char letter) = 0;
  // Names on the volume match regardless of case (FAT family, CDFS without Rock Ridge).
  virtual bool CaseInsensitive(char letter) = 0;
  // The host folder of "X:\"; empty when the drive does not exist or has no volume now.
  virtual std::string RootPath(char letter) = 0;
  // The drive shows a folder inside a larger volume (a folder drive that is no mount point):
  // the volume's used space says nothing about how much the drive holds.
  virtual bool ShowsPartOfVolume(char /*letter*/) { return false; }
};

inline bool IsDriveLetter(char c) { return c >= 'A' && c <= 'Z'; }
// 'a'..'z' and 'A'..'Z' to upper case; anything else to 0.
char NormalDriveLetter(char c);

// Folder drives: a host folder shown as a drive letter, with volume data the user gives.
//
// Stored under the settings key in the subkey "FolderDrives", one subkey per letter ("D",
// "E", ...) holding the string values "Folder" (absolute host path), "Label", "Serial"
// (eight hex digits, "1A2B-3C4D" form accepted), "MediaType" (decimal code) and
// "FileSystem". An entry without a folder is ignored; a bad serial reads as 0, a bad media
// type as 5 (hard disk). Label and file system are cut to 11 and 8 bytes when read.
struct TFolderDrive {
  char Letter = 0;
  std::string Folder;
  std::string Label;
  uint32_t Serial = 0;
  uint8_t MediaType = 5;
  std::string FileSystem = "FAT";
};

std::vector<TFolderDrive> LoadFolderDrives(TSettingsKey& settings);
void SaveFolderDrive(TSettingsKey& settings, const TFolderDrive& drive);
void RemoveFolderDrive(TSettingsKey& settings, char letter);
// The system drive type a folder drive of that media type shows.
TDriveType FolderDriveType(uint8_t mediaType);

// "1A2B-3C4D": the serial as the program shows it.
std::string FormatSerial(uint32_t serial);
// Eight hex digits with or without the dash in the middle.
std::optional<uint32_t> ParseSerial(std::string_view text);

// One name between the "\" of a catalog path and the same name on the host: host "\" and
// U+F05C trade places (see the head of this file).
std::string CatalogName(std::string_view hostName);
std::string HostName(std::string_view catalogName);

// "D:\GAMES\DOOM" (also "d:", "D:\", "D:GAMES") to the host path below drive D's root.
// "/" separates like "\". Empty when the letter has no root or a component could lead out
// of the drive ("." and ".." are refused, not resolved); empty components are passed over.
std::string HostPathOf(TDrives& drives, std::string_view catalogPath);
// A host path to the catalog path of the drive whose root holds it (the longest root wins);
// empty when no drive holds it.
std::string CatalogPathOf(TDrives& drives, std::string_view hostPath);
// HostPathOf, then, when that path does not exist, a case-insensitive match of each component
// in turn (for media catalogued from a case-insensitive file system and read back on a
// case-sensitive one). Empty when nothing matches.
std::string FindHostPath(TDrives& drives, std::string_view catalogPath);

}  // namespace tf

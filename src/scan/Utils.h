#pragma once
// Media and volume detection: what kind of medium sits in a drive, whether the drive is ready,
// what the volume is (label, serial, file system, geometry, capacity), and which drive holds a
// disk that is already in a catalog. Plain C++ over the drive interface (platform/Drives.h);
// the user is asked through TUserPrompts and TMediaPrompt.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace tf {

class TDrives;
class TUserPrompts;
struct TDiskRec;
struct TNode;

// ---- media types

inline constexpr uint8_t MediaHardDisk = 5;
inline constexpr uint8_t MediaCdRom = 10;
inline constexpr uint8_t MediaNetwork = 11;
inline constexpr uint8_t MediaRamDisk = 12;
inline constexpr uint8_t MediaRemovable = 13;
inline constexpr uint8_t MediaUnknown = 255;

// The name shown for a media type code: "Floppy 3.5\" HD", "Hard disk", ..., "Unknown".
std::string MediaTypeName(uint8_t mediaType);

enum class TMediaFamily { None, Floppy525And8, Floppy35 };
TMediaFamily MediaFamily(uint8_t mediaType);
// Equal codes, or two codes of one floppy family (a 1.44 MB drive reads a 720 KB disk).
bool MediaTypesCompatible(uint8_t a, uint8_t b);
// Whether the user can be asked to insert such a medium (hard, network and RAM disks: no).
bool IsRemovableMedia(uint8_t mediaType);

// ---- volume data

// The volume data of one drive. Sizes are bytes x 10000 (SizeScale), as everywhere in the
// catalog.
struct VolumeInfo {
  char Drive = 0;
  std::string Label;       // at most 11 bytes
  std::string FileSystem;  // at most 8 bytes, upper case
  uint32_t SerialNumber = 0;
  uint32_t MaxComponentLength = 0;
  int32_t BytesPerSector = 0;
  int32_t SectorsPerCluster = 0;
  int32_t TotalClusters = 0;
  int32_t FreeClusters = 0;
  int64_t TotalBytes = 0;
  int64_t FreeBytes = 0;
};

// The geometry a volume of that file system and those byte counts would have: for volumes
// whose sizes are known but whose geometry is not (imported disks, CD-ROMs, byte-count-only
// systems).
//
// FAT32: 512-byte sectors; 1 sector per cluster under 256 MiB, else 8 up to 8 GiB, doubling
// with the size beyond. CDFS: 2048-byte sectors, 1 per cluster. Other file systems start at 1 sector per cluster and 2^25 - 1 bytes and double both while
// the volume is larger. The doubling goes on past 64 sectors per cluster in the same way (so
// total clusters stay at most 65536); it ends by 2^25 sectors per cluster at the latest, which
// covers the whole range of the byte counts, and stops there in any case.
void EstimateVolumeGeometry(VolumeInfo& info);
inline constexpr int32_t MaxEstimatedSectorsPerCluster = 1 << 25;
// The same for a disk record of that file system (FileSystem set), from its capacity and free
// space in bytes x 10000: what an imported disk gets.
void EstimateDiskGeometry(TDiskRec& disk, int64_t totalBytes, int64_t freeBytes);

// The name proposed for a label as the catalog keeps it: cut to 11 bytes; on a
// case-insensitive volume a label in capitals only goes to lower case and then the first
// character to upper case ("WORK DISK" -> "Work disk", "data" -> "Data", "MyDisk" stays).
std::string NormaliseLabel(std::string_view label, bool caseInsensitive);

// ---- the insert-media question

enum class TMediaAnswer { Ok, Cancel, Manual };

// The insert-media window (TMediaForm) as the engine sees it.
class TMediaPrompt {
 public:
  virtual ~TMediaPrompt() = default;
  // Caption "Insert Media", "Please insert media labeled:", the disk name in bold, and
  // "(Media type: " + MediaTypeName + ")"; buttons OK, Cancel, and "Manual Select" only when
  // mayChooseManually.
  virtual TMediaAnswer InsertMedia(const std::string& diskName, uint8_t mediaType,
                                   bool mayChooseManually) = 0;
  // The application-busy cursor while drives are read.
  virtual void SetBusy(bool /*busy*/) {}
};

// For callers that cannot show the window: every question is cancelled.
class TNoMediaPrompt final : public TMediaPrompt {
 public:
  TMediaAnswer InsertMedia(const std::string&, uint8_t, bool) override {
    return TMediaAnswer::Cancel;
  }
};

inline constexpr char InsertMediaCaption[] = "Insert Media";
inline constexpr char InsertMediaText[] = "Please insert media labeled:";
std::string InsertMediaTypeLine(uint8_t mediaType);  // "(Media type: Floppy 3.5\" HD)"

// LocateDiskMedia results besides a drive letter.
inline constexpr char LocateNotFound = 0;
inline constexpr char LocateManual = 1;

// ---- detection

// The detection of one program run: owns the media-type cache (one byte per letter, 255 =
// not known yet), which lives as long as this object.
class TMediaDetector {
 public:
  // now: the local time as the catalog stores it (days since 1899-12-30); defaults to the
  // clock. The references must outlive the detector.
  TMediaDetector(TDrives& drives, TUserPrompts& prompts, TMediaPrompt& mediaPrompt,
                 std::function<double()> now = {});

  uint8_t GetMediaType(char letter);
  // The device type of drive number n (1 = A), 255 when the device cannot tell.
  uint8_t QueryDeviceType(int driveNumber);
  // Resets disk to a new, empty disk (its place in the tree and its file chain are not
  // touched) and fills its volume fields for the drive. The label rule of NormaliseLabel
  // applies; a volume that cannot be read gives "(unknown)", "unknown" and serial 0.
  void ReadVolumeInfo(char letter, TDiskRec& disk);
  // Fills the size and geometry fields of info. With skipQuery the system is not asked and
  // the geometry is estimated from the byte counts in info. True when the system gave sizes.
  bool ComputeVolumeSizes(VolumeInfo& info, bool skipQuery);
  // True when the drive can be read; with ask the user may retry ("Drive Not Ready").
  bool IsDriveReady(char letter, bool ask);
  // The drive that holds the disk of node: its letter, LocateManual when the user chose to
  // pick the drive (or the medium is not removable and that is allowed), LocateNotFound when
  // not found or cancelled.
  char LocateDiskMedia(TNode* node, bool mayPrompt, bool mayChooseManually);

  const std::array<uint8_t, 26>& MediaTypeCache() const { return cache_; }

 private:
  TDrives& drives_;
  TUserPrompts& prompts_;
  TMediaPrompt& mediaPrompt_;
  std::function<double()> now_;
  std::array<uint8_t, 26> cache_;
};

// ---- icons

// The images of the browser's two image lists (16 and 32 pixels), in the order they are
// added at start; the windows fill the lists, the engines use the indices.
enum TImageIndex : int {
  iiFile = 0,
  iiClosedFolder,
  iiOpenFolder,
  iiHardDrive,
  iiCdDrive,
  iiFloppy35,
  iiFloppy525,
  iiNetworkDrive,
  iiShell17,  // the shell's icon number 17; no media type uses it
  iiRemovableDrive,
  iiRamDrive,
  iiCatalog,
  iiTape,
  iiBack,
  iiZipFolder,
  iiZipOpenFolder,
  iiFirstFileType,  // file-type icons are added behind the fixed ones
};

// The icon that stands for a media type (the image list itself, TIconList, and its file-type
// part belong to the windows).
TImageIndex DriveIconIndex(uint8_t mediaType);

}  // namespace tf

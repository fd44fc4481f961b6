#include "scan/Utils.h"

#include <climits>
#include <vector>

#include "platform/Drives.h"
#include "platform/LocalTime.h"
#include "platform/Prompts.h"
#include "store/Records.h"
#include "text/Text.h"
#include "store/Tree.h"

namespace tf {

namespace {

struct TMediaRow {
  const char* Name;
  TMediaFamily Family;
  bool Removable;
};

constexpr TMediaRow MediaTable[] = {
    {"Floppy 5.25\" DD", TMediaFamily::Floppy525And8, true},
    {"Floppy 5.25\" HD", TMediaFamily::Floppy525And8, true},
    {"Floppy 3.5\" DD", TMediaFamily::Floppy35, true},
    {"Floppy 8\" SD", TMediaFamily::Floppy525And8, true},
    {"Floppy 8\" DD", TMediaFamily::Floppy525And8, true},
    {"Hard disk", TMediaFamily::None, false},
    {"Tape drive", TMediaFamily::None, true},
    {"Floppy 3.5\" HD", TMediaFamily::Floppy35, true},
    {"Optical drive", TMediaFamily::None, true},
    {"Floppy 3.5\" EHD", TMediaFamily::Floppy35, true},
    {"CD-ROM", TMediaFamily::None, true},
    {"Network drive", TMediaFamily::None, false},
    {"RAM disk", TMediaFamily::None, false},
    {"Removable drive", TMediaFamily::None, true},
};
constexpr TMediaRow UnknownMedia = {"Unknown", TMediaFamily::None, true};

const TMediaRow& RowOf(uint8_t code) {
  return code < std::size(MediaTable) ? MediaTable[code] : UnknownMedia;
}

// Bytes to the catalog's fixed point, saturating where the fixed point ends (about 838 TiB).
int64_t ScaledBytes(uint64_t bytes) {
  constexpr uint64_t Max = uint64_t(INT64_MAX / SizeScale);
  return int64_t(bytes > Max ? Max : bytes) * SizeScale;
}

int32_t ClampToInt32(uint64_t v) { return v > uint64_t(INT32_MAX) ? INT32_MAX : int32_t(v); }

// fixed > limitBytes x SizeScale, without forming the product.
bool ExceedsBytes(int64_t fixed, int64_t limitBytes) {
  int64_t whole = fixed / SizeScale;
  return whole > limitBytes || (whole == limitBytes && fixed % SizeScale > 0);
}

// fixed / (clusterBytes x SizeScale), rounded to the nearest integer, ties to even.
int32_t ClusterCount(int64_t fixed, int64_t clusterBytes) {
  if (fixed <= 0 || clusterBytes <= 0) return 0;
  int64_t d = clusterBytes * SizeScale;
  int64_t q = fixed / d, r = fixed % d;
  if (2 * r > d || (2 * r == d && (q & 1))) ++q;
  return q > INT32_MAX ? INT32_MAX : int32_t(q);
}

// Every field of a new disk, except what ties the record to its tree and its file chain.
void ResetDisk(TDiskRec& d) {
  const TDiskRec fresh;
  d.KindFlags = uint8_t(fresh.KindFlags | (d.KindFlags & FileBlock));
  d.FilesLoaded = fresh.FilesLoaded;
  d.Changed = fresh.Changed;
  d.BlockOffset = fresh.BlockOffset;
  d.BlockLength = fresh.BlockLength;
  d.FoldersOffset = fresh.FoldersOffset;
  d.FilesOffset = fresh.FilesOffset;
  d.FilesLength = fresh.FilesLength;
  d.FileCount = fresh.FileCount;
  d.DescBytes = fresh.DescBytes;
  d.MediaType = fresh.MediaType;
  d.ScanFlags = fresh.ScanFlags;
  d.BytesPerSector = fresh.BytesPerSector;
  d.SectorsPerCluster = fresh.SectorsPerCluster;
  d.MaxComponentLength = fresh.MaxComponentLength;
  d.TotalFiles = fresh.TotalFiles;
  d.ArchiveFiles = fresh.ArchiveFiles;
  d.TotalFolders = fresh.TotalFolders;
  d.TotalClusters = fresh.TotalClusters;
  d.FreeClusters = fresh.FreeClusters;
  d.LastUpdate = fresh.LastUpdate;
  d.SerialNumber = fresh.SerialNumber;
  d.UserByte = fresh.UserByte;
  d.VolumeLabel.clear();
  d.FileSystem.clear();
  d.Description.Reset();
}

// The first character in upper case, in the text's own encoding.
std::string UpperFirst(std::string_view s) {
  if (s.empty()) return {};
  bool utf8 = IsValidUtf8(s);
  std::u32string chars = DecodeText(s);
  chars[0] = UpperChar(chars[0]);
  return EncodeText(chars, utf8);
}

class TBusy {
 public:
  explicit TBusy(TMediaPrompt& p) : p_(p) { p_.SetBusy(true); }
  ~TBusy() { p_.SetBusy(false); }
  TBusy(const TBusy&) = delete;
  TBusy& operator=(const TBusy&) = delete;

 private:
  TMediaPrompt& p_;
};

}  // namespace

std::string MediaTypeName(uint8_t mediaType) { return RowOf(mediaType).Name; }

TMediaFamily MediaFamily(uint8_t mediaType) { return RowOf(mediaType).Family; }

bool MediaTypesCompatible(uint8_t a, uint8_t b) {
  if (a == b) return true;
  TMediaFamily fa = MediaFamily(a);
  return fa != TMediaFamily::None && fa == MediaFamily(b);
}

bool IsRemovableMedia(uint8_t mediaType) { return RowOf(mediaType).Removable; }

std::string InsertMediaTypeLine(uint8_t mediaType) {
  return "(Media type: " + MediaTypeName(mediaType) + ")";
}

std::string NormaliseLabel(std::string_view label, bool caseInsensitive) {
  std::string s(CutText(label, 11));
  if (!caseInsensitive) return s;
  std::string upper = UpperCase(s);
  if (s == upper) s = LowerCase(s);
  s = UpperFirst(s);
  // A case mapping may change a character's length in bytes; the limit still holds.
  return std::string(CutText(s, 11));
}

void EstimateVolumeGeometry(VolumeInfo& info) {
  int64_t total = info.TotalBytes < 0 ? 0 : info.TotalBytes;
  int64_t free = info.FreeBytes < 0 ? 0 : info.FreeBytes;
  int32_t sector = 512;
  int32_t perCluster = 1;
  if (info.FileSystem == "FAT32") {
    if (total >= int64_t(268435456) * SizeScale) {  // 256 MiB or more
      perCluster = 8;
      int64_t limit = 8589934592;  // 8 GiB
      while (ExceedsBytes(total, limit) && perCluster < MaxEstimatedSectorsPerCluster) {
        perCluster *= 2;
        limit *= 2;
      }
    }
  } else if (info.FileSystem == "CDFS") {
    sector = 2048;
  } else {
    int64_t limit = 33554431;  // 2^25 - 1
    while (ExceedsBytes(total, limit) && perCluster < MaxEstimatedSectorsPerCluster) {
      perCluster *= 2;
      limit *= 2;
    }
  }
  info.BytesPerSector = sector;
  info.SectorsPerCluster = perCluster;
  int64_t cluster = int64_t(sector) * perCluster;
  info.FreeClusters = ClusterCount(free, cluster);
  info.TotalClusters = ClusterCount(total, cluster);
}

void EstimateDiskGeometry(TDiskRec& disk, int64_t totalBytes, int64_t freeBytes) {
  VolumeInfo info;
  info.FileSystem = disk.FileSystem;
  info.TotalBytes = totalBytes;
  info.FreeBytes = freeBytes;
  EstimateVolumeGeometry(info);
  disk.BytesPerSector = info.BytesPerSector;
  disk.SectorsPerCluster = info.SectorsPerCluster;
  disk.TotalClusters = info.TotalClusters;
  disk.FreeClusters = info.FreeClusters;
}

TMediaDetector::TMediaDetector(TDrives& drives, TUserPrompts& prompts, TMediaPrompt& mediaPrompt,
                               std::function<double()> now)
    : drives_(drives), prompts_(prompts), mediaPrompt_(mediaPrompt), now_(std::move(now)) {
  if (!now_) now_ = [] { return NowDays(); };
  cache_.fill(MediaUnknown);
}

uint8_t TMediaDetector::QueryDeviceType(int driveNumber) {
  if (driveNumber < 1 || driveNumber > 26) return MediaUnknown;
  return drives_.DeviceType(driveNumber);
}

uint8_t TMediaDetector::GetMediaType(char letter) {
  letter = NormalDriveLetter(letter);
  if (!letter) return MediaUnknown;
  uint8_t& cached = cache_[std::size_t(letter - 'A')];
  uint8_t result;
  TDriveType type = drives_.DriveType(letter);
  switch (type) {
    case TDriveType::Fixed: result = MediaHardDisk; break;
    case TDriveType::Remote: result = MediaNetwork; break;
    case TDriveType::CdRom: result = MediaCdRom; break;
    case TDriveType::RamDisk: result = MediaRamDisk; break;
    default:
      if (cached < 128) {
        result = cached;
      } else {
        uint8_t device = QueryDeviceType(letter - 'A' + 1);
        if (type == TDriveType::Removable && device >= 5 && device != 7 && device != 9)
          result = MediaRemovable;
        else
          result = device;
      }
      break;
  }
  cached = result;
  return result;
}

bool TMediaDetector::ComputeVolumeSizes(VolumeInfo& info, bool skipQuery) {
  bool estimate = true;
  bool fromSystem = false;
  if (!skipQuery) {
    if (info.FileSystem != "FAT" && drives_.PrefersByteCounts()) {
      TFreeBytes bytes;
      if (drives_.DiskFreeSpaceEx(info.Drive, bytes)) {
        info.TotalBytes = ScaledBytes(bytes.Total);
        info.FreeBytes = ScaledBytes(bytes.Free);
        fromSystem = true;
      }
    }
    if (!fromSystem) {
      TDiskGeometry g;
      if (drives_.DiskFreeSpace(info.Drive, g)) {
        info.SectorsPerCluster = ClampToInt32(g.SectorsPerCluster);
        info.BytesPerSector = ClampToInt32(g.BytesPerSector);
        info.TotalClusters = ClampToInt32(g.TotalClusters);
        info.FreeClusters = ClampToInt32(g.FreeClusters);
        uint64_t cluster = uint64_t(info.SectorsPerCluster) * uint64_t(info.BytesPerSector);
        auto bytesOf = [cluster](int32_t clusters) {
          uint64_t n = uint64_t(clusters);
          return cluster != 0 && n > UINT64_MAX / cluster ? UINT64_MAX : n * cluster;
        };
        info.TotalBytes = ScaledBytes(bytesOf(info.TotalClusters));
        info.FreeBytes = ScaledBytes(bytesOf(info.FreeClusters));
        if (info.FileSystem != "CDFS") estimate = false;
        fromSystem = true;
      }
    }
  }
  if (estimate) EstimateVolumeGeometry(info);
  return fromSystem;
}

void TMediaDetector::ReadVolumeInfo(char letter, TDiskRec& disk) {
  letter = NormalDriveLetter(letter);
  ResetDisk(disk);
  disk.MediaType = GetMediaType(letter);
  disk.LastUpdate = now_();

  VolumeInfo info;
  info.Drive = letter;
  TVolumeData volume;
  if (letter && drives_.VolumeInformation(letter, volume)) {
    info.Label = NormaliseLabel(volume.Label, drives_.CaseInsensitive(letter));
    info.FileSystem = std::string(CutText(UpperCase(volume.FileSystem), 8));
    info.SerialNumber = volume.Serial;
    info.MaxComponentLength = volume.MaxComponentLength;
    SetFlag(&disk, CompressedVolume, (volume.Flags & FsVolIsCompressed) != 0);
  } else {
    info.Label = "(unknown)";
    info.FileSystem = "unknown";
    info.SerialNumber = 0;
    SetFlag(&disk, CompressedVolume, false);
  }
  ComputeVolumeSizes(info, false);

  disk.BytesPerSector = info.BytesPerSector;
  disk.SectorsPerCluster = info.SectorsPerCluster;
  disk.TotalClusters = info.TotalClusters;
  disk.FreeClusters = info.FreeClusters;
  disk.SerialNumber = info.SerialNumber;
  disk.MaxComponentLength = ClampToInt32(info.MaxComponentLength);
  disk.VolumeLabel = info.Label;
  disk.FileSystem = info.FileSystem;
}

bool TMediaDetector::IsDriveReady(char letter, bool ask) {
  letter = NormalDriveLetter(letter);
  if (!letter) return false;
  for (;;) {
    if (drives_.IsReady(letter)) return true;
    if (!ask) return false;
    TAnswer a = prompts_.Message("Drive Not Ready",
                                 std::string("Drive ") + letter + ": is not ready !",
                                 TButtons::RetryCancel, TIcon::Error);
    if (a != TAnswer::Retry) return false;
  }
}

char TMediaDetector::LocateDiskMedia(TNode* node, bool mayPrompt, bool mayChooseManually) {
  TNode* diskNode = node ? DiskNodeOf(node) : nullptr;
  if (!diskNode || !diskNode->Record) return LocateNotFound;
  const auto* disk = static_cast<const TDiskRec*>(diskNode->Record);

  std::vector<char> candidates;
  uint32_t mask = drives_.LogicalDrives();
  for (char l = 'A'; l <= 'Z'; ++l)
    if ((mask & (1u << (l - 'A'))) && MediaTypesCompatible(GetMediaType(l), disk->MediaType))
      candidates.push_back(l);
  if (candidates.empty()) {
    if (mayPrompt)
      prompts_.Message("No such device",
                       "Sorry, there is no such device installed that can accept this media "
                       "type.",
                       TButtons::Ok, TIcon::Information);
    return LocateNotFound;
  }

  for (;;) {
    char found = 0;
    {
      TBusy busy(mediaPrompt_);
      for (char l : candidates) {
        if (!IsDriveReady(l, false)) continue;
        TDiskRec scratch;
        ReadVolumeInfo(l, scratch);
        // A drive of the disk's family counts as its media type: a 720 KB disk catalogued in
        // its own drive sits in a 1.44 MB drive now.
        if (scratch.SerialNumber == disk->SerialNumber &&
            scratch.VolumeLabel == disk->VolumeLabel &&
            MediaTypesCompatible(scratch.MediaType, disk->MediaType) &&
            scratch.TotalClusters == disk->TotalClusters) {
          found = l;
          break;
        }
      }
    }
    if (found) return found;

    if (!IsRemovableMedia(disk->MediaType) && mayPrompt) {
      std::string text = "The media you requested (" + MediaTypeName(disk->MediaType) +
                         ") was not found\r\nand does not seem to be removable.";
      if (mayChooseManually) text += " Please select \rthe appropriate drive yourself if available.";
      prompts_.Message("Non-Removable Media", text, TButtons::Ok, TIcon::Information);
      return mayChooseManually ? LocateManual : LocateNotFound;
    }
    if (!mayPrompt) return LocateNotFound;
    switch (mediaPrompt_.InsertMedia(diskNode->Caption, disk->MediaType, mayChooseManually)) {
      case TMediaAnswer::Ok: continue;
      case TMediaAnswer::Manual: return mayChooseManually ? LocateManual : LocateNotFound;
      case TMediaAnswer::Cancel: return LocateNotFound;
    }
    return LocateNotFound;
  }
}

TImageIndex DriveIconIndex(uint8_t mediaType) {
  switch (mediaType) {
    case 0: case 1: case 3: case 4: return iiFloppy525;
    case 2: case 7: case 9: return iiFloppy35;
    case 6: return iiTape;
    case 8: case 10: return iiCdDrive;
    case 11: return iiNetworkDrive;
    case 12: return iiRamDrive;
    case 13: return iiRemovableDrive;
    default: return iiHardDrive;
  }
}

}  // namespace tf

#pragma once
// The catalog records: plain data, tuned for size, never objects with virtual calls.
//
// A catalog holds disks, a disk holds folders and files, a folder holds folders and files.
// Catalog, disk and folder records hang on nodes of the catalog tree (Tree.h), one record per
// node; file records have no node and form a chain that starts at their container's `Next`.
// Records carry the offsets at which their unread parts lie in the catalog file, so that
// folder levels and file lists are read only when somebody needs them (LoadSave.h).

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "text/Text.h"

namespace tf {

struct TNode;
class TCatalogTree;
class TReadAheadStream;

// The kind: low three bits of KindFlags.
inline constexpr uint8_t ikFile = 1;
inline constexpr uint8_t ikFolder = 2;
inline constexpr uint8_t ikDisk = 3;
inline constexpr uint8_t ikCatalog = 4;

// Flags: the five high bits, the same positions on every kind.
// disk or folder: a file of its chain has a description
inline constexpr uint8_t HasFileDescriptions = 0x08;
// folder: stands for an archive; file: an archive entry
inline constexpr uint8_t InArchive = 0x10;
// disk: the volume reported itself compressed
inline constexpr uint8_t CompressedVolume = 0x10;
// catalog or disk: checked in the search scope
inline constexpr uint8_t SearchScope = 0x20;
// disk or folder: its file records share one memory block
inline constexpr uint8_t FileBlock = 0x40;

// CategoryFlags: category ID (0 none, 1..31) in the low five bits, user flags 1..3 above.
inline constexpr uint8_t CategoryMask = 0x1F;
inline constexpr uint8_t UserFlag1 = 0x20;
inline constexpr uint8_t UserFlag2 = 0x40;
inline constexpr uint8_t UserFlag3 = 0x80;

// The common head of every record. The list positions are an item's position in the search
// results, the user list and the duplicates list, modulo 32768; -1 = not in that list.
struct TItemRec {
  TItemRec* Next = nullptr;  // file: next file; disk/folder: first file; catalog: null
  TNode* Node = nullptr;     // own node; for a file the node of its container
  int16_t SearchIndex = -1;
  int16_t UserListIndex = -1;
  int16_t DuplicatesIndex = -1;
  uint8_t KindFlags = 0;

 protected:
  explicit TItemRec(uint8_t kindFlags) : KindFlags(kindFlags) {}
  ~TItemRec() = default;
  TItemRec(const TItemRec&) = delete;
  TItemRec& operator=(const TItemRec&) = delete;
};

// A file. Its name is stored right behind the record (length byte here, the characters and a
// zero after the record), so a loaded file record costs 57 bytes plus its name.
struct TFileRec final : TItemRec {
  uint32_t CreatedTime = 0;   // DOS packed local time; CRC-32 for an archive entry
  uint32_t ModifiedTime = 0;  // DOS packed local time
  uint32_t AccessedTime = 0;  // DOS packed local time; compressed size for an archive entry
  uint32_t Size = 0;          // bytes; saturated at 4294967295
  TText Description;
  uint8_t Attributes = 0;
  uint8_t CategoryFlags = 0;
  int16_t IconIndex = -1;  // the file type's icon, looked up when first shown; never stored
  uint8_t NameLen = 0;

  std::string_view Name() const {
    return {reinterpret_cast<const char*>(this + 1), NameLen};
  }
  const char* NameCStr() const { return reinterpret_cast<const char*>(this + 1); }

  // Bytes one record with a name of that length occupies (name and its zero included).
  static std::size_t AllocSize(std::size_t nameLen) { return sizeof(TFileRec) + nameLen + 1; }
  // A record of its own, freed by Destroy. Names longer than 255 bytes are cut.
  static TFileRec* Create(std::string_view name, uint8_t kindFlags = ikFile);
  // Builds a record in memory that the caller owns (a file block).
  static TFileRec* Construct(void* where, std::string_view name, uint8_t kindFlags);
  static void Destroy(TFileRec* rec);

  TFileRec* NextFile() const { return static_cast<TFileRec*>(Next); }

 private:
  explicit TFileRec(uint8_t kindFlags) : TItemRec(kindFlags) {}
  ~TFileRec() = default;
};

struct TFolderRec final : TItemRec {
  TFolderRec() : TItemRec(ikFolder) {}
  uint8_t FilesLoaded = 1;
  // > 0: subfolders not read yet, offset of the first one from the disk block's start;
  // < 0: read; 0: none stored (or created in memory).
  int32_t SubfoldersOffset = 0;
  int32_t FilesOffset = -1;  // from the disk block's start; -1 none
  int32_t FilesLength = -1;  // -1 none
  int32_t FileCount = 0;
  int32_t DescBytes = 0;
  int64_t TotalSize = 0;  // bytes x 10000; an archive folder: the archive file's size
  uint8_t Attributes = 0x10;
  uint32_t CreatedTime = 0;
  uint32_t ModifiedTime = 0;
  uint32_t AccessedTime = 0;
  uint8_t Reserved = 0;
  uint8_t CategoryFlags = 0;
  TText PathCache;  // path within the disk, built when first asked for; never stored
  TText Description;
};

struct TDiskRec final : TItemRec {
  TDiskRec() : TItemRec(uint8_t(ikDisk | SearchScope)) {}
  uint8_t FilesLoaded = 1;
  uint8_t Changed = 1;
  // In memory only: position of the disk's block in the catalog file, -1 when never saved.
  // Wider than the stored offsets, so that a catalog file may pass 2 GiB.
  int64_t BlockOffset = -1;
  int32_t BlockLength = 0;
  int32_t FoldersOffset = 0;
  int32_t FilesOffset = -1;
  int32_t FilesLength = -1;
  int32_t FileCount = 0;
  int32_t DescBytes = 0;
  uint8_t MediaType = 255;
  uint8_t ScanFlags = 0;  // bit 0: the scan left out items (ignore settings)
  uint8_t Reserved[2] = {0, 0};
  int32_t BytesPerSector = 0;
  int32_t SectorsPerCluster = 0;
  int32_t MaxComponentLength = 0;
  int32_t TotalFiles = 0;
  int32_t ArchiveFiles = 0;
  uint16_t TotalFolders = 0;
  int32_t TotalClusters = 0;
  int32_t FreeClusters = 0;
  double LastUpdate = 0;  // days since 30 December 1899, time of day as the fraction
  uint32_t SerialNumber = 0;
  uint8_t UserByte = 0;
  std::string VolumeLabel;  // at most 11 bytes
  std::string FileSystem;   // at most 8 bytes
  TText Description;
};

inline constexpr uint8_t ScanSkippedItems = 0x01;

struct TCategory {
  std::string Name;
  int Id = 0;  // 1..31
};

struct TCatalogRec final : TItemRec {
  TCatalogRec();
  ~TCatalogRec();
  uint8_t Modified = 0;
  TText Description;
  std::unique_ptr<TReadAheadStream> Stream;  // open on FileName; null when never saved
  std::vector<TCategory> Categories;
  std::array<TText, 3> FlagNames;
  std::string FileName;
  // Lazy reads are a seek and several reads on the one Stream; the main thread and the
  // search thread take this lock for the whole of each read, and a save holds it throughout.
  std::recursive_mutex StreamLock;
};

// Kind and flags.
inline uint8_t KindOf(const TItemRec* rec) { return rec->KindFlags & 7; }
// A mask of 7 or less compares the kind; a larger mask is true when any of its bits is set.
inline bool HasFlag(const TItemRec* rec, uint8_t mask) {
  return mask <= 7 ? KindOf(rec) == mask : (rec->KindFlags & mask) != 0;
}
// A mask above 7 sets or clears those flags; a mask of 7 or less replaces the kind.
inline void SetFlag(TItemRec* rec, uint8_t mask, bool on) {
  if (mask <= 7)
    rec->KindFlags = uint8_t((rec->KindFlags & ~7) | mask);
  else if (on)
    rec->KindFlags |= mask;
  else
    rec->KindFlags &= uint8_t(~mask);
}

inline TFileRec* FirstFile(const TItemRec* container) {
  return static_cast<TFileRec*>(container->Next);
}

// The container fields that disks and folders share.
struct TContainerInfo {
  uint8_t* FilesLoaded;
  int32_t* FilesOffset;
  int32_t* FilesLength;
  int32_t* FileCount;
  int32_t* DescBytes;
};
TContainerInfo ContainerInfo(TItemRec* rec);  // rec must be a disk or a folder
bool FilesLoaded(const TItemRec* container);
const TText* DescriptionOf(const TItemRec* rec);  // null for a catalog without one
TText* DescriptionOf(TItemRec* rec);
uint8_t* CategoryFlagsOf(TItemRec* rec);  // files and folders; null otherwise

// Sizes are 64-bit fixed point with four decimals: bytes x 10000.
constexpr int64_t SizeScale = 10000;
// A volume's bytes from its stored geometry; which: 0 capacity (also any other value), 1 free
// space, 2 used space. Plain bytes, not the fixed point: volumes pass the 0.8 PiB that the
// fixed point holds. Exact up to 2^64 - 1, which larger products stay at; a negative stored
// count (a damaged catalog) counts as 0.
uint64_t DiskBytes(const TDiskRec* disk, int which);

// Frees a record of any kind (not its files or nodes): the owner's last step.
void FreeRecord(TItemRec* rec);

}  // namespace tf

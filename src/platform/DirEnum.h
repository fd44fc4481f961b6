#pragma once
// The entries of one host folder as a scan needs them: DOS attributes, true size, the three
// times as MS-DOS packed local times, whether the entry is a symbolic link and its device.
//
// Attributes: on a FAT-family mount the attribute byte the volume stores; elsewhere 0x10 for a
// folder, 0x20 for anything else, plus 0x01 when the owner may not write it and 0x02 when the
// name begins with ".". A symbolic link is reported as itself (lstat), never followed: it has
// the attributes of a file, its size is the length of its target text, and IsFolder is false.
//
// Errors do not throw: the enumerator stops and tells what went wrong; an entry that vanishes
// between reading the folder and asking for its data is passed over.

#include <cstdint>
#include <optional>
#include <string>

namespace tf {

inline constexpr uint8_t faReadOnly = 0x01;
inline constexpr uint8_t faHidden = 0x02;
inline constexpr uint8_t faSysFile = 0x04;
inline constexpr uint8_t faVolumeId = 0x08;
inline constexpr uint8_t faDirectory = 0x10;
inline constexpr uint8_t faArchive = 0x20;

struct TDirEntry {
  std::string Name;           // the host's bytes; CatalogName (Drives.h) gives the catalog's
  uint64_t Size = 0;          // true size (0 for folders); the scan saturates it to 32 bits
  uint32_t CreatedTime = 0;   // DOS packed local; 0 where the file system keeps no birth time
  uint32_t ModifiedTime = 0;
  uint32_t AccessedTime = 0;
  uint64_t Device = 0;        // the file system it lies on (to stay on one file system)
  uint8_t Attributes = 0;
  bool IsFolder = false;      // a real folder, not a link to one
  bool IsRegular = false;     // a plain file (not a link, device, pipe or socket)
  bool IsSymlink = false;
};

enum class TDirStatus {
  Ok,
  AccessDenied,  // EACCES, EPERM
  NotFound,      // ENOENT
  NotAFolder,    // ENOTDIR, or a symbolic link where none was allowed (ELOOP)
  Failed,        // anything else (I/O error, ...); see Errno()
};

class TDirEnum {
 public:
  // Opens a folder. With noFollow the last component must not be a symbolic link, so that a
  // folder swapped for a link between listing and descending is not followed.
  explicit TDirEnum(const std::string& hostPath, bool noFollow = false);
  // Opens the folder name inside the folder that parent has open: no path is built or looked
  // up again, so a walk costs one open per folder whatever its depth, and paths longer than
  // the system's limit are no obstacle.
  TDirEnum(const TDirEnum& parent, const std::string& name, bool noFollow = true);
  ~TDirEnum();
  TDirEnum(const TDirEnum&) = delete;
  TDirEnum& operator=(const TDirEnum&) = delete;

  // Ok while the folder could be opened and read; otherwise why not.
  TDirStatus Status() const { return status_; }
  int Errno() const { return errno_; }
  // The next entry ("." and ".." are passed over); false at the end or on an error.
  bool Next(TDirEntry& entry);
  // The device of the folder itself (0 when it could not be opened).
  uint64_t Device() const { return device_; }
  // True when the attributes come from the FAT volume itself.
  bool FatAttributes() const { return fat_; }
  // The open folder's descriptor (-1 when it could not be opened), for opening its entries
  // relative to it. Owned by the enumerator.
  int Fd() const { return fd_; }

 private:
  void Open(int atFd, const char* path, bool noFollow);
  void Fail(int err);
  void* dir_ = nullptr;  // DIR*
  int fd_ = -1;
  TDirStatus status_ = TDirStatus::Ok;
  int errno_ = 0;
  uint64_t device_ = 0;
  bool fat_ = false;
};

TDirStatus DirStatusOf(int err);

// Whether names in the folder match regardless of case, found by looking up a name of the
// folder in the other case; nullopt when the folder holds no name with a letter to try.
std::optional<bool> ProbeCaseInsensitive(const std::string& hostFolder);

}  // namespace tf

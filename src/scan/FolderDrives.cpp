#include "scan/FolderDrives.h"

#include <sys/stat.h>

#include <algorithm>

#include "scan/Utils.h"
#include "text/Text.h"

namespace tf {

namespace {

// FNV-1a over the folder's device and inode: stable for the folder, spread over 32 bits.
uint32_t FoldSerial(uint64_t device, uint64_t inode) {
  uint32_t h = 2166136261u;
  for (uint64_t v : {device, inode}) {
    for (int i = 0; i < 8; ++i) {
      h ^= uint32_t((v >> (8 * i)) & 0xFF);
      h *= 16777619u;
    }
  }
  return h ? h : 1;
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string BaseName(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::vector<char> FreeFolderDriveLetters(TDrives& drives) {
  std::vector<char> free;
  uint32_t mask = drives.LogicalDrives();
  for (char l = 'D'; l <= 'Z'; ++l)
    if (!(mask & (1u << (l - 'A')))) free.push_back(l);
  return free;
}

TFolderDrive ProposeFolderDrive(TDrives& drives, const std::string& folder) {
  TFolderDrive d;
  d.Folder = WithoutTrailingSlash(folder);
  std::vector<char> free = FreeFolderDriveLetters(drives);
  d.Letter = free.empty() ? 0 : free.front();
  std::string name = BaseName(d.Folder);
  d.Label = std::string(CutText(name.empty() ? d.Folder : name, 11));
  struct stat st {};
  d.Serial = ::stat(d.Folder.c_str(), &st) == 0 ? FoldSerial(uint64_t(st.st_dev), uint64_t(st.st_ino))
                                                 : 0;
  d.MediaType = MediaHardDisk;
  d.FileSystem = "unknown";
  // The drive whose root holds the folder lends its kind of medium and its file system.
  std::string catalogPath = CatalogPathOf(drives, d.Folder);
  if (catalogPath.size() >= 2) {
    char letter = catalogPath[0];
    uint8_t device = drives.DeviceType(letter - 'A' + 1);
    if (device != DeviceTypeUnknown) d.MediaType = device;
    TVolumeData volume;
    if (drives.VolumeInformation(letter, volume) && !volume.FileSystem.empty())
      d.FileSystem = std::string(CutText(UpperCase(volume.FileSystem), 8));
  }
  return d;
}

std::string CheckFolderDrive(TDrives& drives, TFolderDrive& drive) {
  drive.Folder = WithoutTrailingSlash(drive.Folder);
  if (drive.Folder.empty() || drive.Folder.front() != '/' || !IsFolder(drive.Folder))
    return FolderMissingText;
  std::vector<char> free = FreeFolderDriveLetters(drives);
  drive.Letter = NormalDriveLetter(drive.Letter);
  if (std::find(free.begin(), free.end(), drive.Letter) == free.end())
    return free.empty() ? NoFreeLetterText : FolderLetterText;
  drive.Label = std::string(CutText(drive.Label, 11));
  drive.FileSystem = std::string(CutText(UpperCase(drive.FileSystem), 8));
  return {};
}

}  // namespace tf

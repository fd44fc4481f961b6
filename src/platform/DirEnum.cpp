#include "platform/DirEnum.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <set>
#include <vector>

#include "platform/LocalTime.h"

namespace tf {

namespace {

constexpr long MsdosMagic = 0x4d44;       // vfat, msdos
constexpr long ExfatMagic = 0x2011BAB0;   // exfat (answers the FAT ioctl since Linux 5.x)

uint8_t HostAttributes(const std::string& name, uint32_t mode) {
  uint8_t a = S_ISDIR(mode) ? faDirectory : faArchive;
  if (!(mode & S_IWUSR)) a |= faReadOnly;
  if (!name.empty() && name[0] == '.') a |= faHidden;
  return a;
}

uint32_t DosTimeOf(const struct statx_timestamp& t) { return UnixToDosTime(t.tv_sec); }

}  // namespace

TDirStatus DirStatusOf(int err) {
  switch (err) {
    case 0: return TDirStatus::Ok;
    case EACCES:
    case EPERM: return TDirStatus::AccessDenied;
    case ENOENT: return TDirStatus::NotFound;
    case ENOTDIR:
    case ELOOP: return TDirStatus::NotAFolder;
    default: return TDirStatus::Failed;
  }
}

TDirEnum::TDirEnum(const std::string& hostPath, bool noFollow) {
  Open(AT_FDCWD, hostPath.c_str(), noFollow);
}

TDirEnum::TDirEnum(const TDirEnum& parent, const std::string& name, bool noFollow) {
  if (parent.fd_ < 0) {
    Fail(EBADF);
    return;
  }
  Open(parent.fd_, name.c_str(), noFollow);
}

void TDirEnum::Open(int atFd, const char* path, bool noFollow) {
  int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (noFollow ? O_NOFOLLOW : 0);
  fd_ = ::openat(atFd, path, flags);
  if (fd_ < 0) {
    Fail(errno);
    return;
  }
  struct stat st {};
  if (::fstat(fd_, &st) == 0) device_ = uint64_t(st.st_dev);
  struct statfs sf {};
  if (::fstatfs(fd_, &sf) == 0) fat_ = sf.f_type == MsdosMagic || sf.f_type == ExfatMagic;
  DIR* dir = ::fdopendir(fd_);
  if (!dir) {
    Fail(errno);
    ::close(fd_);
    fd_ = -1;
    return;
  }
  dir_ = dir;
}

TDirEnum::~TDirEnum() {
  if (dir_) ::closedir(static_cast<DIR*>(dir_));  // closes fd_ too
}

void TDirEnum::Fail(int err) {
  errno_ = err;
  status_ = DirStatusOf(err);
  if (status_ == TDirStatus::Ok) status_ = TDirStatus::Failed;
}

bool TDirEnum::Next(TDirEntry& entry) {
  if (!dir_ || status_ != TDirStatus::Ok) return false;
  auto* dir = static_cast<DIR*>(dir_);
  for (;;) {
    errno = 0;
    struct dirent* de = ::readdir(dir);
    if (!de) {
      if (errno != 0) Fail(errno);
      return false;
    }
    std::string name = de->d_name;
    if (name == "." || name == "..") continue;

    entry = TDirEntry{};
    entry.Name = std::move(name);
    struct statx sx {};
    if (::statx(fd_, entry.Name.c_str(), AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) {
      if (errno == ENOENT) continue;  // gone since the folder was read
      // Listed but not searchable (a folder with read but no execute permission): what the
      // folder itself tells is all there is.
      entry.IsSymlink = de->d_type == DT_LNK;
      entry.IsFolder = de->d_type == DT_DIR;
      entry.IsRegular = de->d_type == DT_REG;
      entry.Device = device_;
      entry.Attributes = HostAttributes(entry.Name, entry.IsFolder ? S_IFDIR | S_IWUSR : S_IWUSR);
      return true;
    }
    uint32_t mode = sx.stx_mode;
    entry.IsSymlink = S_ISLNK(mode);
    entry.IsFolder = S_ISDIR(mode);
    entry.IsRegular = S_ISREG(mode);
    entry.Size = entry.IsFolder ? 0 : sx.stx_size;
    entry.Device = uint64_t(makedev(sx.stx_dev_major, sx.stx_dev_minor));
    entry.ModifiedTime = DosTimeOf(sx.stx_mtime);
    entry.AccessedTime = DosTimeOf(sx.stx_atime);
    if (sx.stx_mask & STATX_BTIME) entry.CreatedTime = DosTimeOf(sx.stx_btime);
    entry.Attributes = HostAttributes(entry.Name, mode);
    if (fat_ && !entry.IsSymlink && (S_ISDIR(mode) || S_ISREG(mode))) {
      // One open per entry: the price of the real attribute byte on FAT media.
      int fd = ::openat(fd_, entry.Name.c_str(),
                        O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
      if (fd >= 0) {
        uint32_t attr = 0;
        if (::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attr) == 0)
          entry.Attributes = uint8_t(attr);
        else if (errno == ENOTTY || errno == EINVAL)
          fat_ = false;  // this volume does not answer; stop asking
        ::close(fd);
      }
    }
    return true;
  }
}

std::optional<bool> ProbeCaseInsensitive(const std::string& hostFolder) {
  int fd = ::open(hostFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return std::nullopt;
  }
  // A few hundred names are plenty to find one with a letter.
  std::set<std::string> names;
  while (names.size() < 256) {
    struct dirent* de = ::readdir(dir);
    if (!de) break;
    std::string n = de->d_name;
    if (n != "." && n != "..") names.insert(n);
  }
  std::optional<bool> result;
  for (const std::string& n : names) {
    std::string swapped = n;
    bool letter = false;
    for (char& c : swapped) {
      if (c >= 'a' && c <= 'z') {
        c = char(c - 32);
        letter = true;
      } else if (c >= 'A' && c <= 'Z') {
        c = char(c + 32);
        letter = true;
      }
    }
    if (!letter || names.count(swapped)) continue;
    struct stat a {}, b {};
    if (::fstatat(fd, n.c_str(), &a, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (::fstatat(fd, swapped.c_str(), &b, AT_SYMLINK_NOFOLLOW) != 0) {
      if (errno == ENOENT) {
        result = false;
        break;
      }
      continue;
    }
    result = a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    break;
  }
  ::closedir(dir);
  return result;
}

}  // namespace tf

#include "store/CatalogFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <random>
#include <string_view>
#include <vector>

namespace tf {

namespace {

std::atomic<bool> unnamedNewFiles{true};

// The folder part of a path, "." when it has none.
std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameInode(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Temporaries are named ".ctf-HOST-PID-XXXXXX". The host part keeps a save from judging
// the processes of another machine that shares the folder.
const std::string& TempPrefix() {
  static const std::string prefix = [] {
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    uint32_t h = 2166136261u;  // FNV-1a
    for (const char* c = host; *c; ++c) h = (h ^ uint8_t(*c)) * 16777619u;
    char buf[32];
    std::snprintf(buf, sizeof buf, ".ctf-%08x-", h);
    return std::string(buf);
  }();
  return prefix;
}

std::string RandomSuffix() {
  static constexpr char chars[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::mt19937_64 rng(uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                             (uint64_t(::getpid()) << 32));
  std::string s(6, 'x');
  for (char& c : s) c = chars[rng() % (sizeof chars - 1)];
  return s;
}

// Removes the temporaries that saves of this host left in folder when their process was
// killed. A process that still runs (or that this user may not signal) keeps its file.
void RemoveStaleTemporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const std::string& prefix = TempPrefix();
  std::vector<std::string> stale;
  while (const dirent* e = ::readdir(dir)) {
    std::string_view name = e->d_name;
    if (!name.starts_with(prefix)) continue;
    name.remove_prefix(prefix.size());
    std::size_t dash = name.find('-');
    if (dash == 0 || dash == std::string_view::npos || dash > 9 || name.size() != dash + 7)
      continue;
    long pid = 0;
    bool digits = true;
    for (char c : name.substr(0, dash)) {
      if (c < '0' || c > '9') digits = false;
      pid = pid * 10 + (c - '0');
    }
    if (!digits || pid <= 0 || pid == long(::getpid())) continue;
    if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH) continue;
    stale.push_back(folder + "/" + e->d_name);
  }
  ::closedir(dir);
  for (const auto& path : stale) {
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
  }
}

void SyncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// flock on a descriptor opened for reading; NFS takes an exclusive lock only on one opened
// for writing, so that is tried when the first attempt is refused as a bad descriptor.
int FlockFile(int& fd, const std::string& path, bool wait) {
  int op = LOCK_EX | (wait ? 0 : LOCK_NB);
  if (::flock(fd, op) == 0) return 0;
  if (errno != EBADF) return errno;
  int rw = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (rw < 0) return EBADF;
  ::close(fd);
  fd = rw;
  return ::flock(fd, op) == 0 ? 0 : errno;
}

}  // namespace

void UseUnnamedNewFiles(bool on) { unnamedNewFiles = on; }

std::string SaveTarget(const std::string& path) {
  std::string p = path;
  for (int hops = 0;; ++hops) {
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    if (hops >= 40) throw EStreamError(SystemErrorText(ELOOP));
    std::vector<char> buf(std::size_t(st.st_size > 0 ? st.st_size : 255) + 1);
    ssize_t n;
    while ((n = ::readlink(p.c_str(), buf.data(), buf.size())) == ssize_t(buf.size()))
      buf.resize(buf.size() * 2);
    if (n < 0) return p;  // gone meanwhile: the save reports what it meets
    std::string link(buf.data(), std::size_t(n));
    if (link.empty()) return p;
    if (link[0] == '/' || p.find('/') == std::string::npos)
      p = link;
    else
      p = FolderOf(p) + (FolderOf(p) == "/" ? "" : "/") + link;
  }
}

void CheckReplaceable(const std::string& target) {
  struct stat st;
  if (::stat(target.c_str(), &st) != 0) return;  // nothing there
  if (S_ISDIR(st.st_mode)) return;                // the rename will say so
  if (!S_ISREG(st.st_mode)) throw ESaveRefused(MsgNotRegularFile);
  // access() answers for root too, who may write anything: a file that nobody may write is
  // one the user protected on purpose.
  if ((st.st_mode & 0222) == 0) throw ESaveRefused(MsgCatalogReadOnly);
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 &&
      (errno == EACCES || errno == EPERM || errno == EROFS))
    throw ESaveRefused(MsgCatalogReadOnly);
}

void CheckCanSave(const std::string& path) {
  std::string target = SaveTarget(path);
  CheckReplaceable(target);
  TNewFile probe(target);
}

// ---- the lock ----------------------------------------------------------------------------

bool TCatalogLock::Lock(bool wait) {
  if (fd_ >= 0) return true;
  for (;;) {
    std::string target = SaveTarget(path_);
    std::string locked = target;
    bool onCatalog = true;
    int fd = ::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0) {
      struct stat st;
      if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (S_ISDIR(st.st_mode)) throw EStreamError(SystemErrorText(EISDIR));
        throw ENotRegularFile(MsgNotRegularFile);
      }
    } else if (errno == ENOENT) {
      onCatalog = false;
      locked = FolderOf(target) + "/." + NameOf(target) + ".lock";
      fd = ::open(locked.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0644);
      if (fd < 0) throw EStreamError(SystemErrorText(errno));
    } else {
      throw EStreamError(SystemErrorText(errno));
    }
    if (int err = FlockFile(fd, locked, wait)) {
      ::close(fd);
      if (err == EWOULDBLOCK) return false;
      throw EStreamError(SystemErrorText(err));
    }
    // The lock counts only while the path still names the locked file: a writer that went
    // before may have replaced the catalog or removed the lock file, and a catalog that
    // appeared meanwhile is locked itself.
    struct stat held, now;
    bool current = ::fstat(fd, &held) == 0 && ::stat(locked.c_str(), &now) == 0 &&
                   SameInode(held, now) && SaveTarget(path_) == target;
    if (current && !onCatalog && ::stat(target.c_str(), &now) == 0) {
      ::unlink(locked.c_str());
      current = false;
    }
    if (current) {
      fd_ = fd;
      if (!onCatalog) lockFile_ = locked;
      return true;
    }
    ::close(fd);
  }
}

void TCatalogLock::Unlock() {
  if (fd_ < 0) return;
  // Removed while still held, so that no other writer holds a lock on a file without a name.
  if (!lockFile_.empty()) ::unlink(lockFile_.c_str());
  lockFile_.clear();
  ::close(fd_);
  fd_ = -1;
}

// ---- the new file ------------------------------------------------------------------------

TNewFile::TNewFile(const std::string& target) : target_(target), folder_(FolderOf(target)) {
  RemoveStaleTemporaries(folder_);
  if (unnamedNewFiles && ::access("/proc/self/fd", X_OK) == 0) {
    fd_ = ::open(folder_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ >= 0) return;
    // Not every file system has unnamed files (NFS, FAT): a named one then.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
      throw EStreamError(SystemErrorText(errno));
  }
  std::string name = folder_ + "/" + TempPrefix() + std::to_string(::getpid()) + "-XXXXXX";
  fd_ = ::mkostemp(name.data(), O_CLOEXEC);
  if (fd_ < 0) throw EStreamError(SystemErrorText(errno));
  named_ = name;
}

TNewFile::~TNewFile() {
  if (fd_ >= 0) ::close(fd_);
  if (!named_.empty()) ::unlink(named_.c_str());
}

void TNewFile::TakeOwnerAndMode() {
  struct stat old, mine;
  mode_t mode;
  if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    if (::fstat(fd_, &mine) == 0 && (old.st_uid != mine.st_uid || old.st_gid != mine.st_gid) &&
        ::fchown(fd_, old.st_uid, old.st_gid) != 0) {
      // Root can always hand the file back; a user who may write another's file cannot,
      // and keeps at least its group when a member of it.
      if (::geteuid() == 0) throw EStreamError(SystemErrorText(errno));
      if (::fchown(fd_, uid_t(-1), old.st_gid) != 0) {
        // The new file stays the user's own.
      }
    }
    mode = old.st_mode & 07777;
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  // Set after the owner: a change of owner clears set-id bits.
  if (::fchmod(fd_, mode) != 0) {
    // A file system without modes (FAT) keeps its own.
  }
}

void TNewFile::Replace() {
  if (named_.empty()) {
    std::string proc = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100 && named_.empty(); ++attempt) {
      std::string name =
          folder_ + "/" + TempPrefix() + std::to_string(::getpid()) + "-" + RandomSuffix();
      if (::linkat(AT_FDCWD, proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        named_ = name;
        break;
      }
      if (errno == EEXIST) continue;
      int err = errno;
      if (::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
        named_ = name;
        break;
      }
      throw EStreamError(SystemErrorText(err));
    }
    if (named_.empty()) throw EStreamError(SystemErrorText(EEXIST));
  }
  if (::rename(named_.c_str(), target_.c_str()) != 0) throw EStreamError(SystemErrorText(errno));
  named_.clear();
  SyncFolder(folder_);
}

}  // namespace tf

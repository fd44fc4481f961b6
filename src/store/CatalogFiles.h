#pragma once
// The catalog file as a thing on disk: where a save really goes, whether it may replace what
// is there, the new file it writes, and the lock that makes writers of one catalog take turns.
//
// A catalog file is a user's archive. A save writes through symbolic links to the file they
// name and keeps the links; the new file gets the owner, group and mode of the old one; a
// read-only file is never replaced, nor a file that another program saved after this one read
// it; and a save that is killed half-way leaves nothing behind: the new file has no name until
// it is complete (an unnamed file where the file system allows, else a name carrying the
// process id, which the next save into that folder removes once that process is gone).

#include <string>

#include "store/ReadAhead.h"

namespace tf {

// A save that was refused to keep the file at the path; nothing was written there.
class ESaveRefused : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
inline constexpr char MsgCatalogReplaced[] =
    "Another program has saved this catalog file since it was opened here. It was not "
    "overwritten.";
inline constexpr char MsgCatalogReadOnly[] =
    "The catalog file is read-only. It was not replaced.";
inline constexpr char MsgCatalogBusy[] =
    "Another program is saving this catalog file right now. It was not overwritten.";

// The file a save to path writes: path itself, or the end of the chain of symbolic links that
// path names (which need not exist yet). Raises EStreamError for a loop of links.
std::string SaveTarget(const std::string& path);

// Whether target (links resolved) may be replaced: nothing there, or a regular file that this
// process may write. A file without any write bit counts as read-only for root too. Raises
// ESaveRefused (read-only) or ENotRegularFile.
void CheckReplaceable(const std::string& target);

// Everything a save to path needs, checked without writing anything: the file may be
// replaced and its folder takes a new file. Raises as CheckReplaceable, and EStreamError with
// the system's message.
void CheckCanSave(const std::string& path);

// The write lock of one catalog file, an advisory lock (flock) that every writer of this
// program takes: the command-line tool for its whole read-change-save, a window for the
// moment of its save. It locks the catalog file itself (its link target) and, while the
// catalog does not exist yet, a file ".NAME.lock" beside it that is removed again. A save that
// replaces the catalog leaves the lock on the old file; a writer that waited notices that the
// path names another file now and locks that one.
class TCatalogLock {
 public:
  explicit TCatalogLock(std::string path) : path_(std::move(path)) {}
  ~TCatalogLock() { Unlock(); }
  TCatalogLock(const TCatalogLock&) = delete;
  TCatalogLock& operator=(const TCatalogLock&) = delete;

  // Takes the lock, waiting for another holder when wait is set; false (not waiting) when
  // another holds it. Raises ENotRegularFile for a path that is no file, EStreamError when
  // the lock file cannot be made or a signal ended the wait (EINTR).
  bool Lock(bool wait);
  void Unlock();
  bool Held() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  std::string lockFile_;  // the lock file this holder made; removed on unlock
  int fd_ = -1;
};

// The new file of a save, in the folder of the file it will replace. It has no name until
// Replace (or the name of a temporary file that carries the process id).
class TNewFile {
 public:
  // Creates the file beside target; first removes the temporaries of saves whose process is
  // gone. Raises EStreamError with the system's message.
  explicit TNewFile(const std::string& target);
  ~TNewFile();
  TNewFile(const TNewFile&) = delete;
  TNewFile& operator=(const TNewFile&) = delete;

  int Fd() const { return fd_; }
  // Gives the file the owner, group and mode of the file it replaces, or the usual mode for
  // a new file. Raises EStreamError when root cannot hand the file to its owner.
  void TakeOwnerAndMode();
  // Puts the complete file in place of target in one step. Raises EStreamError.
  void Replace();

 private:
  std::string target_;
  std::string folder_;
  std::string named_;  // the temporary's name, while it has one
  int fd_ = -1;
};

// For tests: whether new files start unnamed where the file system allows (default true);
// false makes every save use a named temporary file.
void UseUnnamedNewFiles(bool on);

}  // namespace tf

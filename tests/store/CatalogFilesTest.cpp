// The catalog file on disk: a save never overwrites what another program saved, writes
// through links, keeps owner and mode, refuses read-only files, takes turns with other
// writers and leaves nothing behind when it is killed.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <future>
#include <thread>

#include "StoreFixtures.h"
#include "store/CatalogFiles.h"

namespace tf::test {
namespace {

namespace fs = std::filesystem;

// The message of the save's failure; "" when it saved.
std::string SaveError(TNode* cat, const std::string& path, TCatalogLock* held = nullptr) {
  try {
    WriteCatalogFile(cat, path, NoProgress(), held);
    return "";
  } catch (const std::exception& e) {
    return e.what();
  }
}

class CatalogFiles : public SavedSample {
 protected:
  void TearDown() override { UseUnnamedNewFiles(true); }
  // The catalog at file opened, its first disk renamed: a change waiting to be saved.
  TNode* OpenChanged(const std::string& file, const std::string& caption = "Changed") {
    TNode* cat = OpenCatalog(tree, file);
    cat->Child(0)->Caption = caption;
    SetDiskChanged(cat->Child(0), true);
    return cat;
  }
  static std::string FirstDisk(const std::string& file) {
    TCatalogTree t;
    return OpenCatalog(t, file)->Child(0)->Caption;
  }
};

TEST_F(CatalogFiles, WhatAnotherProgramSavedIsNeverOverwritten) {
  struct {
    const char* what;
    std::function<void(const std::string&)> change;
  } cases[] = {
      {"replaced by another save",
       [](const std::string& p) {
         TCatalogTree other;
         TNode* cat = OpenCatalog(other, p);
         cat->Child(1)->Caption = "Theirs";
         SetDiskChanged(cat->Child(1), true);
         WriteCatalogFile(cat, p, NoProgress());
       }},
      {"rewritten in place",
       [](const std::string& p) { std::ofstream(p, std::ios::app | std::ios::binary) << "x"; }},
      {"touched",
       [](const std::string& p) {
         struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
         ASSERT_EQ(::utimensat(AT_FDCWD, p.c_str(), times, 0), 0);
       }},
  };
  const std::string original = ReadBytes(path);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(path, original);
    TCatalogTree mine;
    TNode* cat = mine.AppendChild(mine.Root(), ReadCatalogFile(path));
    cat->Child(0)->Caption = "Mine";
    SetDiskChanged(cat->Child(0), true);
    c.change(path);
    std::string theirs = ReadBytes(path);
    EXPECT_EQ(SaveError(cat, path), MsgCatalogReplaced);
    EXPECT_EQ(ReadBytes(path), theirs);
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"sample.ctf"});
    // Nothing changed in memory either: the changes can go to another file.
    auto* rec = static_cast<TCatalogRec*>(cat->Record);
    EXPECT_EQ(rec->Modified, 1);
    EXPECT_EQ(static_cast<TDiskRec*>(cat->Child(0)->Record)->Changed, 1);
    std::string copy = dir.File("mine.ctf");
    EXPECT_EQ(SaveError(cat, copy), "");
    EXPECT_EQ(FirstDisk(copy), "Mine");
    fs::remove(copy);
    // The file we own now saves again and again.
    cat->Child(0)->Caption = "Again";
    SetDiskChanged(cat->Child(0), true);
    EXPECT_EQ(SaveError(cat, copy), "");
    EXPECT_EQ(SaveError(cat, copy), "");
    EXPECT_EQ(FirstDisk(copy), "Again");
    fs::remove(copy);
  }
}

TEST_F(CatalogFiles, ANewCatalogDoesNotOverwriteAFileThatAppeared) {
  // A catalog that belongs at a path where nothing was (the command line's new catalog).
  TNode* cat = AddCatalog(tree, "New");
  AddFile(AddDisk(cat, "D"), "f", 1);
  std::string target = dir.File("new.ctf");
  static_cast<TCatalogRec*>(cat->Record)->FileName = target;
  fs::copy_file(path, target);
  EXPECT_EQ(SaveError(cat, target), MsgCatalogReplaced);
  EXPECT_EQ(ReadBytes(target), ReadBytes(path));
  // A catalog file that its user removed is saved anew: nothing is overwritten.
  TNode* opened = OpenChanged(path);
  fs::remove(path);
  EXPECT_EQ(SaveError(opened, path), "");
  EXPECT_EQ(FirstDisk(path), "Changed");
}

TEST_F(CatalogFiles, WritersTakeTurns) {
  TNode* cat = OpenChanged(path);
  TCatalogLock first(path), second(path);
  ASSERT_TRUE(first.Lock(false));
  EXPECT_FALSE(second.Lock(false));
  std::string before = ReadBytes(path);
  EXPECT_EQ(SaveError(cat, path), MsgCatalogBusy);  // a window's save does not wait
  EXPECT_EQ(ReadBytes(path), before);

  // A writer waiting for the lock gets it on the file the holder saved, not the old one.
  std::promise<void> locked, release;
  std::thread waiter([&] {
    TCatalogLock wait(path);
    wait.Lock(true);
    locked.set_value();
    release.get_future().wait();
  });
  EXPECT_EQ(SaveError(cat, path, &first), "");
  first.Unlock();
  locked.get_future().wait();
  TCatalogLock third(path);
  EXPECT_FALSE(third.Lock(false));
  release.set_value();
  waiter.join();
  EXPECT_TRUE(third.Lock(false));
  EXPECT_EQ(FirstDisk(path), "Changed");
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"sample.ctf"});
}

TEST_F(CatalogFiles, ACatalogNotYetSavedIsLockedBesideItsPath) {
  std::string target = dir.File("new.ctf");
  TCatalogLock creator(target), other(target);
  ASSERT_TRUE(creator.Lock(false));
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{".new.ctf.lock", "sample.ctf"}));
  EXPECT_FALSE(other.Lock(false));
  TNode* cat = AddCatalog(tree, "New");
  AddFile(AddDisk(cat, "D"), "f", 1);
  EXPECT_EQ(SaveError(cat, target, &creator), "");
  creator.Unlock();
  // The lock file is gone; the next writer locks the catalog itself.
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"new.ctf", "sample.ctf"}));
  EXPECT_TRUE(other.Lock(false));
  EXPECT_EQ(FolderEntries(dir.Path()), (std::vector<std::string>{"new.ctf", "sample.ctf"}));
}

TEST_F(CatalogFiles, SavingThroughLinksWritesTheirTargetAndKeepsThem) {
  fs::create_directory(dir.File("real"));
  fs::create_directory(dir.File("links"));
  struct {
    const char* what;
    std::string real;                                     // the file that holds the catalog
    std::vector<std::pair<std::string, std::string>> links;  // link, what it points to
  } cases[] = {
      {"a relative link to another folder", dir.File("real/a.ctf"),
       {{dir.File("links/a.ctf"), "../real/a.ctf"}}},
      {"an absolute link", dir.File("real/b.ctf"), {{dir.File("links/b.ctf"), dir.File("real/b.ctf")}}},
      {"a chain of links", dir.File("real/c.ctf"),
       {{dir.File("links/c.ctf"), "c2.ctf"}, {dir.File("links/c2.ctf"), "../real/c.ctf"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::copy_file(path, c.real);
    for (const auto& [link, to] : c.links) fs::create_symlink(to, link);
    std::string name = c.links.front().first;
    TNode* cat = OpenChanged(name);
    EXPECT_EQ(SaveError(cat, name), "");
    for (const auto& [link, to] : c.links) {
      EXPECT_TRUE(fs::is_symlink(link));
      EXPECT_EQ(fs::read_symlink(link), to);
    }
    EXPECT_EQ(FirstDisk(c.real), "Changed");
    EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->FileName, name);
    // The link still names the catalog's own file: the next save passes the check.
    cat->Child(0)->Caption = "Twice";
    SetDiskChanged(cat->Child(0), true);
    EXPECT_EQ(SaveError(cat, name), "");
    EXPECT_EQ(FirstDisk(c.real), "Twice");
  }
  // Only the catalogs and the links: no temporary file in either folder.
  EXPECT_EQ(FolderEntries(dir.File("real")), (std::vector<std::string>{"a.ctf", "b.ctf", "c.ctf"}));
  EXPECT_EQ(FolderEntries(dir.File("links")),
            (std::vector<std::string>{"a.ctf", "b.ctf", "c.ctf", "c2.ctf"}));

  // A link to a catalog that does not exist yet: the save makes the target.
  fs::create_symlink("../real/d.ctf", dir.File("links/d.ctf"));
  TNode* fresh = AddCatalog(tree, "Fresh");
  AddFile(AddDisk(fresh, "New disk"), "f", 1);
  EXPECT_EQ(SaveError(fresh, dir.File("links/d.ctf")), "");
  EXPECT_TRUE(fs::is_symlink(dir.File("links/d.ctf")));
  EXPECT_EQ(FirstDisk(dir.File("real/d.ctf")), "New disk");

  // A loop of links is refused and left alone.
  fs::create_symlink("loop2.ctf", dir.File("links/loop1.ctf"));
  fs::create_symlink("loop1.ctf", dir.File("links/loop2.ctf"));
  EXPECT_NE(SaveError(fresh, dir.File("links/loop1.ctf")), "");
  EXPECT_TRUE(fs::is_symlink(dir.File("links/loop1.ctf")));
}

TEST_F(CatalogFiles, OwnerGroupAndModeSurviveTheSave) {
  for (mode_t mode : {0600, 0640, 0604, 0666, 0620}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    TCatalogTree t;
    TNode* cat = OpenCatalog(t, path);
    SetDiskChanged(cat->Child(0), true);
    EXPECT_EQ(SaveError(cat, path), "");
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
  }
  if (::geteuid() != 0) GTEST_SKIP() << "giving a file to another owner needs root";
  // Root saving a user's catalog hands the new file back to the user.
  ASSERT_EQ(::chown(path.c_str(), 4242, 4343), 0);
  TNode* cat = OpenChanged(path);
  EXPECT_EQ(SaveError(cat, path), "");
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, 4242u);
  EXPECT_EQ(st.st_gid, 4343u);
  EXPECT_EQ(FirstDisk(path), "Changed");
}

TEST_F(CatalogFiles, ReadOnlyOrOddFilesAreNeverReplaced) {
  // No write bit for anybody holds for root too.
  for (mode_t mode : {0444, 0400, 0000, 0404}) {
    SCOPED_TRACE(mode);
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    TCatalogTree t;
    TNode* cat = OpenCatalog(t, path);
    cat->Child(0)->Caption = "Changed";
    SetDiskChanged(cat->Child(0), true);
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    std::string before = ReadBytes(path);
    EXPECT_EQ(SaveError(cat, path), MsgCatalogReadOnly);
    EXPECT_THROW(CheckCanSave(path), ESaveRefused);
    EXPECT_EQ(ReadBytes(path), before);
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, mode);
    EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->Modified, 1);
  }
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
  // A FIFO is no catalog: neither read (which would wait for a writer) nor replaced.
  std::string fifo = dir.File("pipe.ctf");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  // Held open for writing with bytes in it, so that a reader that does not check would read
  // them instead of waiting forever.
  int holder = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(::write(holder, "not a catalog at all", 20), 20);
  EXPECT_THROW(ReadCatalogFile(fifo), ENotRegularFile);
  TNode* cat = OpenChanged(path);
  EXPECT_EQ(SaveError(cat, fifo), MsgNotRegularFile);
  struct stat st;
  ASSERT_EQ(::lstat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ::close(holder);
}

// Saves in a child process that is killed by SIGKILL while it writes the new file.
pid_t SaveKilledHalfWay(const std::string& path, bool unnamed) {
  pid_t pid = ::fork();
  if (pid == 0) {
    struct TKillingProgress : TProgress {
      void Advance(int64_t) override { ::raise(SIGKILL); }
    } progress;
    UseUnnamedNewFiles(unnamed);
    TCatalogTree t;
    TNode* cat = OpenCatalog(t, path);
    for (int i = 0; i < cat->ChildCount(); ++i) SetDiskChanged(cat->Child(i), true);
    WriteCatalogFile(cat, path, progress);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  return pid;
}

TEST_F(CatalogFiles, AKilledSaveLeavesNothingThatLasts) {
  std::string before = ReadBytes(path);
  // An unnamed new file vanishes with the process.
  SaveKilledHalfWay(path, true);
  EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"sample.ctf"});
  EXPECT_EQ(ReadBytes(path), before);

  // A named one (file systems without unnamed files) carries the process id and is removed
  // by the next save into the folder, once that process is gone.
  pid_t dead = SaveKilledHalfWay(path, false);
  std::vector<std::string> left = FolderEntries(dir.Path());
  ASSERT_EQ(left.size(), 2u);
  std::string temp = left[0];
  ASSERT_EQ(temp.rfind(".ctf-", 0), 0u) << temp;
  std::string pidPart = "-" + std::to_string(dead) + "-";
  ASSERT_NE(temp.find(pidPart), std::string::npos) << temp;
  EXPECT_EQ(ReadBytes(path), before);
  // What is not a temporary of a dead process stays: one of a live process (pid 1), and
  // files of other programs.
  std::string live = temp;
  live.replace(live.find(pidPart), pidPart.size(), "-1-");
  WriteBytes(dir.File(live), "live");
  WriteBytes(dir.File(".ctfABCDEF"), "other");
  WriteBytes(dir.File(".ctf-notes"), "other");

  UseUnnamedNewFiles(false);
  TNode* cat = OpenChanged(path);
  EXPECT_EQ(SaveError(cat, dir.File("other.ctf")), "");
  std::vector<std::string> kept{".ctf-notes", ".ctfABCDEF", live, "other.ctf", "sample.ctf"};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(FolderEntries(dir.Path()), kept);
}

}  // namespace
}  // namespace tf::test

// Saving: unchanged disks copied byte for byte, unread parts written complete, and a failed
// save leaving the file and the catalog as they were.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "StoreFixtures.h"

namespace tf::test {
namespace {

struct TCountingProgress : TProgress {
  std::vector<std::string> Status;
  std::string Caption;
  int64_t Total = 0, Done = 0;
  int Ended = 0;
  void SetStatus(const std::string& t) override { Status.push_back(t); }
  void Begin(const std::string& c, int64_t total) override {
    Caption = c;
    Total = total;
  }
  void Advance(int64_t n) override { Done += n; }
  void End() override { ++Ended; }
};

class Save : public SavedSample {
 protected:
  std::vector<std::string> DirEntries() { return FolderEntries(dir.Path()); }
};

TEST_F(Save, UnchangedCatalogSavesToIdenticalBytes) {
  TNode* cat = OpenCatalog(tree, path);
  std::string copy = dir.File("copy.ctf");
  WriteCatalogFile(cat, copy, NoProgress());
  EXPECT_EQ(ReadBytes(copy), ReadBytes(path));
}

TEST_F(Save, UnchangedDiskIsCopiedByteForByte) {
  TNode* cat = OpenCatalog(tree, path);
  auto* d1 = static_cast<TDiskRec*>(cat->Child(0)->Record);
  std::string oldBytes = ReadBytes(path);
  std::string oldBlock = oldBytes.substr(std::size_t(d1->BlockOffset), std::size_t(d1->BlockLength));
  // Change the catalog header (moves the blocks) and disk 2.
  static_cast<TCatalogRec*>(cat->Record)->Description.Assign("A longer description now");
  SetDiskChanged(cat->Child(1), true);
  std::string copy = dir.File("copy.ctf");
  WriteCatalogFile(cat, copy, NoProgress());
  std::string newBytes = ReadBytes(copy);
  EXPECT_EQ(newBytes.substr(std::size_t(d1->BlockOffset), std::size_t(d1->BlockLength)), oldBlock);
  EXPECT_NE(d1->BlockOffset, int64_t(oldBytes.find(oldBlock)));
  EXPECT_EQ(static_cast<TDiskRec*>(cat->Child(1)->Record)->Changed, 0);
  EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->Modified, 0);
}

TEST_F(Save, ChangedDiskWithUnreadPartsIsWrittenComplete) {
  TNode* cat = OpenCatalog(tree, path);
  // Nothing below the first level was read; the disk must still be written whole.
  SetDiskChanged(cat->Child(0), true);
  std::string copy = dir.File("copy.ctf");
  WriteCatalogFile(cat, copy, NoProgress());
  TCatalogTree other;
  EXPECT_EQ(DescribeTree(OpenCatalog(other, copy)), original);
  // The save read the deeper levels, and they stay in memory.
  EXPECT_EQ(cat->Child(0)->Child(0)->ChildCount(), 1);
  EXPECT_EQ(CheckTree(tree), "");
}

TEST_F(Save, EditedDescriptionIsWrittenAndDescBytesFollow) {
  TNode* cat = OpenCatalog(tree, path);
  TNode* tools = cat->Child(0)->Child(1);
  LoadFiles(tools);
  FirstFile(tools->Record)->Description.Assign("Zip it");
  SetFlag(tools->Record, HasFileDescriptions, true);
  SetDiskChanged(tools, true);
  EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->Modified, 1);
  WriteCatalogFile(cat, path, NoProgress());
  auto* t = static_cast<TFolderRec*>(tools->Record);
  EXPECT_EQ(t->DescBytes, 2 + 6);
  TCatalogTree other;
  TNode* back = OpenCatalog(other, path);
  TNode* btools = back->Child(0)->Child(1);
  LoadFiles(btools);
  EXPECT_STREQ(FirstFile(btools->Record)->Description.CStr(), "Zip it");
  EXPECT_TRUE(HasFlag(btools->Record, HasFileDescriptions));
}

TEST_F(Save, NewCatalogGetsItsFileAndStream) {
  TNode* cat = AddCatalog(tree, "Fresh");
  AddFile(AddDisk(cat, "D"), "x", 1);
  TCountingProgress progress;
  std::string target = dir.File("fresh.ctf");
  WriteCatalogFile(cat, target, progress);
  auto* rec = static_cast<TCatalogRec*>(cat->Record);
  EXPECT_EQ(rec->FileName, target);
  ASSERT_TRUE(rec->Stream);
  EXPECT_EQ(rec->Stream->Path().find(dir.Path().string()), 0u);
  EXPECT_EQ(progress.Caption, "Saving catalog, please wait...");
  EXPECT_EQ(progress.Status.front(), "Saving catalog...");
  EXPECT_EQ(progress.Status.back(), "");
  EXPECT_EQ(progress.Ended, 1);
  EXPECT_EQ(static_cast<TDiskRec*>(cat->Child(0)->Record)->Changed, 0);
  // The new file has normal permissions, not those of a private temporary file.
  EXPECT_NE(std::filesystem::status(target).permissions() & std::filesystem::perms::others_read,
            std::filesystem::perms::none);
  EXPECT_EQ(DirEntries(), (std::vector<std::string>{"fresh.ctf", "sample.ctf"}));
}

// Everything a failed save must leave as it was.
struct TSnapshot {
  std::string Bytes;
  std::string Description;
  uint8_t Modified;
  std::vector<int64_t> Offsets;
  std::vector<uint8_t> Changed;
  std::string StreamPath;
};

TSnapshot Snap(TNode* cat, const std::string& path) {
  TSnapshot s;
  s.Bytes = ReadBytes(path);
  auto* rec = static_cast<TCatalogRec*>(cat->Record);
  s.Modified = rec->Modified;
  s.StreamPath = rec->Stream ? rec->Stream->Path() : "";
  for (int i = 0; i < cat->ChildCount(); ++i) {
    auto* d = static_cast<TDiskRec*>(cat->Child(i)->Record);
    s.Offsets.insert(s.Offsets.end(), {d->BlockOffset, d->BlockLength, d->FoldersOffset,
                                       d->FilesOffset, d->FilesLength});
    s.Changed.push_back(d->Changed);
  }
  return s;
}

void ExpectSame(const TSnapshot& a, const TSnapshot& b) {
  EXPECT_EQ(a.Bytes, b.Bytes);
  EXPECT_EQ(a.Modified, b.Modified);
  EXPECT_EQ(a.Offsets, b.Offsets);
  EXPECT_EQ(a.Changed, b.Changed);
  EXPECT_EQ(a.StreamPath, b.StreamPath);
}

TEST_F(Save, FullDiskLeavesFileAndCatalogUntouched) {
  TNode* cat = OpenCatalog(tree, path);
  SetDiskChanged(cat->Child(0), true);
  TSnapshot before = Snap(cat, path);
  // A file size limit makes writes fail the way a full disk does.
  struct rlimit old;
  getrlimit(RLIMIT_FSIZE, &old);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = 100;
  setrlimit(RLIMIT_FSIZE, &small);
  std::string message;
  try {
    WriteCatalogFile(cat, path, NoProgress());
  } catch (const EStreamError& e) {
    message = e.what();
  }
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(message.empty());
  ExpectSame(before, Snap(cat, path));
  EXPECT_EQ(DirEntries(), std::vector<std::string>{"sample.ctf"});  // no temporary file left
  // Still reading from the old file, and the catalog is whole.
  EXPECT_EQ(DescribeTree(cat), original);
  EXPECT_EQ(SaveErrorText(path, message),
            "An error occured while saving the catalog " + path + ".\r" + message);
}

TEST_F(Save, MissingFolderFailsBeforeAnythingChanges) {
  TNode* cat = OpenCatalog(tree, path);
  SetDiskChanged(cat->Child(1), true);
  TSnapshot before = Snap(cat, path);
  EXPECT_THROW(WriteCatalogFile(cat, dir.File("nowhere/x.ctf"), NoProgress()), EStreamError);
  ExpectSame(before, Snap(cat, path));
  EXPECT_EQ(static_cast<TCatalogRec*>(cat->Record)->FileName, path);
}

// Runs body in a child process in which folder is mounted read-only (a bind mount in a
// private mount namespace, which binds root too). The child's exit status: 0 when body
// returned true, 1 when false, 77 when no such mount can be made here.
int InReadOnlyFolder(const std::string& folder, const std::function<bool()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::unshare(CLONE_NEWNS) != 0 ||
        ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        ::mount(nullptr, folder.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
      ::_exit(77);
    ::_exit(body() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(Save, ReadOnlyFolderFailsCleanly) {
  TNode* cat = OpenCatalog(tree, path);
  SetDiskChanged(cat->Child(0), true);
  TSnapshot before = Snap(cat, path);
  // Saving onto its own file and to a new one, in a folder that takes no file.
  auto saveFails = [&](const std::string& target) {
    try {
      WriteCatalogFile(cat, target, NoProgress());
      return false;
    } catch (const EStreamError&) {
    }
    TSnapshot after = Snap(cat, path);
    return after.Bytes == before.Bytes && after.Modified == before.Modified &&
           after.Offsets == before.Offsets && after.Changed == before.Changed &&
           after.StreamPath == before.StreamPath && DescribeTree(cat) == original &&
           DirEntries() == std::vector<std::string>{"sample.ctf"};
  };
  int status = InReadOnlyFolder(dir.Path().string(), [&] {
    return saveFails(path) && saveFails(dir.File("x.ctf"));
  });
  if (status == 77) {
    if (geteuid() == 0) GTEST_SKIP() << "no private mount namespace, and permissions do not bind root";
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::owner_exec);
    EXPECT_TRUE(saveFails(dir.File("x.ctf")));
    return;
  }
  EXPECT_EQ(status, 0);
}

TEST_F(Save, FailedReplacementKeepsReadingTheOldFile) {
  TNode* cat = OpenCatalog(tree, path);
  SetDiskChanged(cat->Child(0), true);
  TSnapshot before = Snap(cat, path);
  // A folder at the target path: the new file cannot be renamed onto it.
  std::string target = dir.File("folder.ctf");
  std::filesystem::create_directory(target);
  EXPECT_THROW(WriteCatalogFile(cat, target, NoProgress()), EStreamError);
  ExpectSame(before, Snap(cat, path));
  EXPECT_EQ(DirEntries(), (std::vector<std::string>{"folder.ctf", "sample.ctf"}));
  EXPECT_EQ(DescribeTree(cat), original);
}

TEST_F(Save, SavingOntoItsOwnFileReplacesItWhole) {
  TNode* cat = OpenCatalog(tree, path);
  SetDiskChanged(cat->Child(0), true);
  cat->Child(0)->Caption = "Renamed";
  WriteCatalogFile(cat, path, NoProgress());
  TCatalogTree other;
  TNode* back = OpenCatalog(other, path);
  EXPECT_EQ(back->Child(0)->Caption, "Renamed");
  EXPECT_EQ(back->Child(1)->Caption, "Shareware 2");
  std::string expected = original;
  expected.replace(expected.find("disk Shareware 1"), 16, "disk Renamed");
  EXPECT_EQ(DescribeTree(back), expected);
  EXPECT_EQ(DescribeTree(cat), expected);
}

TEST_F(Save, DeletedDiskIsLeftOut) {
  TNode* cat = OpenCatalog(tree, path);
  DeleteItemNode(cat->Child(0));
  WriteCatalogFile(cat, path, NoProgress());
  TCatalogTree other;
  TNode* back = OpenCatalog(other, path);
  ASSERT_EQ(back->ChildCount(), 1);
  EXPECT_EQ(back->Child(0)->Caption, "Shareware 2");
}

TEST_F(Save, ProgressCountsTheFirstLevelFolders) {
  TNode* cat = OpenCatalog(tree, path);
  TCountingProgress progress;
  WriteCatalogFile(cat, dir.File("p.ctf"), progress);
  EXPECT_EQ(progress.Total, 5000 + 10 + 999 + 0);
  EXPECT_EQ(progress.Done, progress.Total);
}

}  // namespace
}  // namespace tf::test

#pragma once
// Shared test helpers: temporary folders, catalogs built in memory, running the CLI, and the
// tree invariant that every test asserts after changing a tree.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ScriptedPrompts.h"
#include "store/LoadSave.h"
#include "store/Tree.h"

namespace tf::test {

// A fresh folder under the system's temporary folder, removed with everything in it.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

std::string ReadBytes(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);
void WriteBytes(const std::string& path, const std::string& bytes);

// Catalogs in memory, as a scan would build them (disks changed, lists loaded).
TNode* AddCatalog(TCatalogTree& tree, const std::string& name);
TNode* AddDisk(TNode* catalog, const std::string& name);
// A disk whose volume data are those of image (a medium as ReadVolumeInfo read it), so that
// the medium is recognised as this disk.
TNode* AddDiskLike(TNode* catalog, const std::string& name, const TDiskRec& image);
TNode* AddFolder(TNode* parent, const std::string& name, int64_t totalBytes = 0);
TFileRec* AddFile(TNode* container, const std::string& name, uint32_t size = 0,
                  const std::string& description = {});
std::vector<TFileRec*> Files(const TNode* container);
std::vector<std::string> FileNames(const TNode* container);

// Every node's record points back at it, rows match positions, file records point at their
// container's node, list back-indices match. Empty when all holds, else what is wrong.
std::string CheckTree(TCatalogTree& tree);

// Loads every level and list below node and describes every stored field, one item a line,
// so that two catalogs can be compared as text.
std::string DescribeTree(TNode* node);
// The same of one disk record's own fields, on one line.
std::string DescribeDisk(const TDiskRec& disk);

// A message as the user saw it, in one line, so that one comparison checks all of it:
// "Title | Text | YesNo | Question"; a file chooser as "save: Title | proposed file".
std::string Shown(const TPromptRecord& r);
// Every message and chooser shown so far, in order.
std::vector<std::string> Shown(const TScriptedPrompts& prompts);

struct TCliResult {
  int Status = -1;  // the exit status; -1 when a signal ended the process
  int Signal = 0;   // the signal that ended it
  std::string Out;
  std::string Err;
};
TCliResult RunCli(const std::vector<std::string>& args);

// How the command runs beyond its arguments.
struct TCliSetup {
  // stdout goes to this file (/dev/full, say) instead of being captured.
  std::string Stdout;
  // Set in the command's environment.
  std::vector<std::pair<std::string, std::string>> Env;
  // Runs in the child just before the command starts (limits, namespaces); false: the
  // command does not start and the result's Status is CliSetupFailed.
  std::function<bool()> BeforeExec;
};
inline constexpr int CliSetupFailed = 77;
TCliResult RunCli(const std::vector<std::string>& args, const TCliSetup& setup);

// A run of the CLI that goes on beside the test.
class TCliProcess {
 public:
  explicit TCliProcess(const std::vector<std::string>& args, const TCliSetup& setup = {});
  ~TCliProcess();  // kills the process if it still runs
  TCliProcess(const TCliProcess&) = delete;
  TCliProcess& operator=(const TCliProcess&) = delete;
  int Pid() const { return pid_; }
  // What it wrote to stderr so far.
  std::string ErrSoFar() const;
  // Waits (polling, up to a minute) until stderr holds text; false when it never came.
  bool WaitForErr(const std::string& text) const;
  TCliResult Wait();

 private:
  TTempDir dir_;
  std::string out_, err_;
  bool captured_;
  int pid_ = -1;
};

}  // namespace tf::test

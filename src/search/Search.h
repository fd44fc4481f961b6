#pragma once
// The search engine: one run of a search or of a duplicates scan over the disks in the search
// scope, on the search thread (SearchThread.h starts it there; the command-line tool and the
// tests may call it on their own thread).
//
// A run walks every disk of the scope folder by folder, in tree order, tests every folder and
// file and appends what matches to the window's result list. File lists that are not loaded
// are tested where their entries lie in the catalog file's bytes; only a list in which
// something is found becomes records, so a search over millions of files keeps in memory
// little more than the folder tree and what it found. Deeper folder levels are read on the
// main thread, which owns the tree, through TMainThread.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "search/Criteria.h"
#include "search/Matcher.h"
#include "search/ResultList.h"
#include "store/Tree.h"

namespace tf {

// How the search thread has the main thread do something. Call runs fn there and returns
// once it has run (the window: a blocking queued call); Post has fn run there later without
// waiting (the end of a run). TDirectMainThread runs fn at once, on the calling thread: for
// the command-line tool and for tests that run the engine on their own thread.
class TMainThread {
 public:
  virtual ~TMainThread() = default;
  virtual void Call(const std::function<void()>& fn) = 0;
  virtual void Post(std::function<void()> fn) = 0;
};

class TDirectMainThread final : public TMainThread {
 public:
  void Call(const std::function<void()>& fn) override { fn(); }
  void Post(std::function<void()> fn) override { fn(); }
};

// What a run shows while it goes on.
struct TSearchStatus {
  int Checked = 0;  // items examined so far (CheckedCount)
  int Total = 0;    // items the run expects to examine (TotalCount)
  int Found = 0;    // items added to the list in this run (FoundCount)
  bool Duplicates = false;
  bool Collecting = false;  // a duplicates scan's first phase
};

// The search window's side of a run. Every call is made on the main thread.
class TSearchHost {
 public:
  virtual ~TSearchHost() = default;
  // The status display: after every 128 items examined and at the end of each disk.
  virtual void ShowStatus(const TSearchStatus& /*status*/) {}
  // The result view (a virtual list) shows this many rows; after each status display the
  // engine sets it to the list's count when the two differ.
  virtual int ViewCount() { return -1; }
  virtual void SetViewCount(int /*count*/) {}
  // True while a window shows this container's files or holds records of its list: the
  // search never releases such a list. Asked when the walk leaves a list it read for itself
  // and found nothing in; the answer is the one rule by which lists go during a run.
  virtual bool ContainerShown(TNode* /*container*/) { return false; }
  // The run has ended and SearchRunning is clear again.
  virtual void SearchEnded() {}
};

// The disks a run walks, with the number of items each is expected to hold (the disk
// header's counts), in tree order: every disk whose record carries SearchScope.
struct TScopeDisk {
  TNode* Disk = nullptr;
  int Count = 0;
};
struct TScopeCatalog {
  TNode* Catalog = nullptr;
  std::vector<TScopeDisk> Disks;
};
using TSearchScope = std::vector<TScopeCatalog>;
// Read on the main thread when a run starts: the tree's top levels may change afterwards.
TSearchScope CollectScope(TCatalogTree& tree, TSearchFor searchFor);

// True when a file of the container's list is in one of the windows' lists (search results,
// duplicates, user list): releasing the list would leave them pointing at freed records.
bool FilesListed(TNode* container);

// What makes two items duplicates.
struct TDuplicatesCriteria {
  bool Name = true;
  bool Size = true;
  bool Date = false;  // date and time
  bool Attributes = false;
  bool SkipArchives = true;  // leave out the contents of archives and compressed volumes
  bool Any() const { return Name || Size || Date || Attributes; }
};
TDuplicatesCriteria DuplicatesCriteriaOf(const TSearchControls& controls);

struct TSearchOptions {
  // The program's setting: archive folders sort among the files (duplicates scan).
  bool ArchivesAsFiles = false;
  // Test unread file lists where they lie in the catalog file. Off: read every list into
  // records, test them, and release the list again when nothing in it was found (the
  // straightforward walk, for comparison).
  bool ReadListsInPlace = true;
  // The least time between two status displays in the middle of a disk; 0: every 128 items.
  // The display at the end of each disk comes always, so the last state is never skipped.
  int StatusIntervalMs = 0;
  // Run on the search thread once the run has begun (a cancel from then on is one of this
  // run): for tests that must know a run is under way.
  std::function<void()> Begun;
};

class TSearchEngine {
 public:
  TSearchEngine(TResultList& results, TResultList& duplicates, TSearchHost& host,
                TMainThread& main);
  TSearchEngine(const TSearchEngine&) = delete;
  TSearchEngine& operator=(const TSearchEngine&) = delete;

  // One run each, on the calling thread.
  void RunSearch(const TSearchCriteria& criteria, const TSearchScope& scope,
                 const TSearchOptions& options = {});
  void RunDuplicates(const TDuplicatesCriteria& criteria, TSearchFor searchFor,
                     const TSearchScope& scope, const TSearchOptions& options = {});

  // Any thread: the run stops at its next test of the request. A cancel that comes before a
  // run has begun stops that run at once.
  void Cancel() {
    cancelled_ = true;
    stop_ = true;
  }
  bool StopRequested() const { return stop_; }
  // Before a run is started on another thread: a cancel of an earlier run no longer holds.
  void Arm() {
    cancelled_ = false;
    stop_ = false;
  }

  // The counters of the current or last run; read them on the search thread or in a call
  // the engine makes.
  TSearchStatus Status() const;
  // Parts of catalogs that could not be read (damaged file lists or folder levels), one
  // line each: where, and what went wrong. The run goes on past them.
  const std::vector<std::string>& ReadErrors() const { return errors_; }

 private:
  struct TRawList;
  struct TDupEntry;
  class TDupCollector;

  // Reads unread file lists in large pieces: a disk's lists lie one after another in the order
  // the walk visits them, so one read of a piece serves dozens of lists.
  class TListReader {
   public:
    // The container's stored list: false when it is loaded. The bytes stay valid until the
    // next call.
    bool Read(TNode* container, TNode* disk, TCatalogRec& catalog, const uint8_t*& data,
              std::size_t& length);

   private:
    std::vector<uint8_t> piece_;
    std::size_t valid_ = 0;
    int64_t start_ = 0;
    TCatalogRec* catalog_ = nullptr;
    uint32_t generation_ = 0;
  };

  void Begin(bool duplicates);
  TResultList& List() { return duplicates_ ? duplicatesList_ : results_; }
  TListKind Kind() const { return duplicates_ ? TListKind::Duplicates : TListKind::Search; }
  bool Listed(TItemRec* rec) { return ListIndexOf(rec, Kind()) != -1; }

  void ReportProgress(int k);
  void AdvanceRejected(long files);
  // The status display on the main thread; unless always, not within the options'
  // StatusIntervalMs of the last one.
  void Refresh(bool always);
  void AddFound(TItemRec* rec, int group = -1);
  void LoadFolderLevels(TNode* folder);
  void LoadDiskLevels(TNode* disk);
  void LoadLevelsBelow(TNode* folder);  // on the main thread
  void ReadError(TNode* node, const std::exception& e);

  void Walk(TNode* node);
  void SearchFiles(TNode* node, int foundBefore);
  bool SearchRawList(TNode* node, int foundBefore);
  bool ReadList(TNode* node, const uint8_t*& data, std::size_t& length) {
    return reader_.Read(node, disk_, *catalog_, data, length);
  }
  void SearchRecords(TFileRec* first);
  void Release(TNode* node);

  void CollectWalk(TNode* node, TDupCollector& collector);
  void CollectFiles(TNode* node, TDupCollector& collector);
  void GroupDuplicates(TDupCollector& collector);

  TResultList& results_;
  TResultList& duplicatesList_;
  TSearchHost& host_;
  TMainThread& main_;

  bool duplicates_ = false;
  std::atomic<bool> stop_{false};
  std::atomic<bool> cancelled_{false};
  int checked_ = 0;
  int total_ = 0;
  int found_ = 0;
  bool collecting_ = false;
  TSearchOptions options_;
  std::chrono::steady_clock::time_point lastRefresh_{};
  std::optional<TMatcher> matcher_;
  TDuplicatesCriteria dupCriteria_;
  TSearchFor searchFor_ = TSearchFor::FilesAndFolders;
  TListReader reader_;
  TNode* disk_ = nullptr;  // the disk being walked
  TCatalogRec* catalog_ = nullptr;  // and its catalog
  std::vector<std::string> errors_;
  std::unordered_set<TNode*> unreadable_;  // folder levels that could not be read in this run
};

}  // namespace tf

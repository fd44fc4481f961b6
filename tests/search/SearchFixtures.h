#pragma once
// Catalogs, hosts and the straightforward walks that the search tests compare the engine with.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "search/Search.h"
#include "support/TestSupport.h"

namespace tf::test {

uint32_t Dos(int y, int mo, int d, int h = 0, int mi = 0, int s = 0);

// The status displays and view counts a run asked for, in order.
class TRecordingHost : public TSearchHost {
 public:
  struct TShown {
    int Checked, Total, Found;
    bool Collecting;
    bool operator==(const TShown&) const = default;
  };
  std::vector<TShown> Shown;
  int View = 0;
  std::vector<TNode*> ShownContainers;  // containers a window shows
  std::function<void(const TSearchStatus&)> OnStatus;

  void ShowStatus(const TSearchStatus& s) override {
    Shown.push_back({s.Checked, s.Total, s.Found, s.Collecting});
    if (OnStatus) OnStatus(s);
  }
  int ViewCount() override { return View; }
  void SetViewCount(int count) override { View = count; }
  bool ContainerShown(TNode* node) override {
    return std::find(ShownContainers.begin(), ShownContainers.end(), node) !=
               ShownContainers.end() ||
           FilesListed(node);
  }
};

// "F|Disk 1|\A\B|name" for a file in folder B, "D|Disk 1|\A|B" for folder B itself.
std::string Key(const TItemRec* rec);
std::vector<std::string> Keys(const TResultList& list);
// Every container below node with its path key, for comparing what two trees hold loaded.
std::vector<std::pair<std::string, bool>> LoadedLists(TNode* node);

// A catalog of random disks, folders, archives and files, with names of many kinds (mixed
// case, accented, dotless i and long s, Windows-1252 bytes), sizes, times (some unknown),
// attributes, descriptions, categories and flags.
struct TRandomCatalog {
  int Disks = 3;
  int MaxFolders = 12;  // per disk
  int MaxFiles = 12;    // per container
};
TNode* BuildRandomCatalog(TCatalogTree& tree, std::mt19937& rng, const TRandomCatalog& shape,
                          const std::string& name = "Random");
// Words the random names are made of, for criteria that find something.
const std::vector<std::string>& NameWords();

// Random controls that give something to search for.
TSearchControls RandomControls(std::mt19937& rng, const TCatalogRec& catalog);

// The search and the duplicates scan as the straightforward walk does them: every list read
// into records, tested, and released again when nothing in it was found; duplicates sorted by
// a binary insertion sort with CompareItems.
class TReferenceSearch {
 public:
  explicit TReferenceSearch(TResultList& list) : list_(list) {}
  void Run(TCatalogTree& tree, const TSearchCriteria& criteria);
  void RunDuplicates(TCatalogTree& tree, const TDuplicatesCriteria& criteria, TSearchFor searchFor,
                     bool archivesAsFiles);
  std::vector<TRecordingHost::TShown> Shown;
  std::vector<int> GroupSizes;

 private:
  void Walk(TNode* node);
  void Collect(TNode* node, std::vector<std::vector<TItemRec*>>& buckets);
  void Report(int k);
  void AddFound(TItemRec* rec, int group);

  TResultList& list_;
  TSearchCriteria c_;
  TCategoryFilter filter_;
  TDuplicatesCriteria d_;
  TSearchFor searchFor_ = TSearchFor::FilesAndFolders;
  bool dup_ = false;
  bool collecting_ = false;
  bool stop_ = false;
  int checked_ = 0, total_ = 0, found_ = 0;
};

}  // namespace tf::test

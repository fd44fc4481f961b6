// The search thread: starting, refusing, cancelling, the result limit across runs, and what
// the rest of the program may do while a run is active.

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "SearchFixtures.h"
#include "platform/ScriptedPrompts.h"
#include "search/SearchThread.h"
#include "store/OpenCatalogs.h"

namespace tf::test {
namespace {

// Call runs at once on the worker (the test's thread waits in RunEnd meanwhile, as the main
// thread waits in a blocking call); Post keeps the end for the test's thread to run.
class TQueuedMainThread final : public TMainThread {
 public:
  void Call(const std::function<void()>& fn) override { fn(); }
  void Post(std::function<void()> fn) override {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(fn));
    ready_.notify_all();
  }
  void RunEnd() {
    std::function<void()> fn;
    {
      std::unique_lock lock(mutex_);
      ready_.wait(lock, [&] { return !posted_.empty(); });
      fn = std::move(posted_.front());
      posted_.erase(posted_.begin());
    }
    fn();
  }

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::vector<std::function<void()>> posted_;
};

class TEndCountingHost final : public TRecordingHost {
 public:
  int Ended = 0;
  void SearchEnded() override { ++Ended; }
};

class SearchThread : public ::testing::Test {
 protected:
  SearchThread() {
    tree.SetList(TListKind::Search, &results);
    tree.SetList(TListKind::Duplicates, &dups);
    TNode* cat = AddCatalog(tree, "C");
    for (int d = 0; d < 2; ++d) {
      TNode* disk = AddDisk(cat, "D" + std::to_string(d));
      for (int i = 0; i < 300; ++i) AddFile(disk, "hit" + std::to_string(i) + ".txt", 10);
      static_cast<TDiskRec*>(disk->Record)->TotalFiles = 300;
    }
    controls.ByNameCheck = true;
    controls.NameEdit = "hit";
  }
  ~SearchThread() override {
    thread.reset();
    tree.SetList(TListKind::Search, nullptr);
    tree.SetList(TListKind::Duplicates, nullptr);
  }
  void Find(bool duplicates = false) {
    ASSERT_TRUE(thread->Find(controls, duplicates));
    main.RunEnd();
  }

  TCatalogTree tree;
  TResultList results{TListKind::Search};
  TResultList dups{TListKind::Duplicates};
  TEndCountingHost host;
  TQueuedMainThread main;
  TScriptedPrompts prompts;
  std::unique_ptr<TSearchThread> thread =
      std::make_unique<TSearchThread>(tree, results, dups, host, main, prompts);
  TSearchControls controls;
};

TEST_F(SearchThread, NothingToSearchForIsToldOnTheMainThreadAndNothingStarts) {
  struct Case {
    bool duplicates;
    std::function<void(TSearchControls&)> set;
    const char* text;
  } cases[] = {
      {false, [](TSearchControls& k) { k.ByNameCheck = false; }, "Nothing to search for!"},
      {true,
       [](TSearchControls& k) {
         k.DuplicateNameCheck = k.DuplicateSizeCheck = false;
         k.DuplicateDateCheck = k.DuplicateAttrCheck = false;
       },
       "Please select at least one criteria for duplicate files."},
  };
  for (const auto& c : cases) {
    TSearchControls k = controls;
    c.set(k);
    EXPECT_FALSE(thread->Find(k, c.duplicates));
    ASSERT_NE(prompts.Last(), nullptr);
    EXPECT_EQ(prompts.Last()->Title, "Error");
    EXPECT_EQ(prompts.Last()->Text, c.text);
    EXPECT_EQ(prompts.Last()->Icon, TIcon::Warning);
    EXPECT_FALSE(thread->Running());
    EXPECT_FALSE(tree.SearchRunning);
  }
  EXPECT_EQ(host.Ended, 0);
  EXPECT_EQ(results.Count(), 0);
}

TEST_F(SearchThread, CatalogsCannotBeClosedOrReorderedWhileARunIsActive) {
  TOpenCatalogs catalogs(tree, prompts, NoProgress());
  std::vector<bool> couldClose;
  bool refusedFind = false;
  bool sortedAtOnce = true;
  TNode* cat = tree.Catalog(0);
  host.OnStatus = [&](const TSearchStatus&) {
    if (!couldClose.empty()) return;
    couldClose.push_back(catalogs.CanCloseCatalogs());
    refusedFind = !thread->Find(controls, false);  // one run at a time
    sortedAtOnce = tree.SortChildren(
        cat, [](const TNode* a, const TNode* b) { return a->Caption > b->Caption; });
  };
  Find();
  EXPECT_EQ(couldClose, std::vector<bool>{false});
  EXPECT_FALSE(sortedAtOnce);
  EXPECT_EQ(cat->Child(0)->Caption, "D1");  // in place once the run had ended
  EXPECT_TRUE(refusedFind);
  EXPECT_EQ(prompts.Last()->Title, "Can't close catalog");
  EXPECT_FALSE(thread->Running());
  EXPECT_FALSE(tree.SearchRunning);
  EXPECT_EQ(host.Ended, 1);
  EXPECT_TRUE(catalogs.CanCloseCatalogs());
  EXPECT_EQ(results.Count(), 600);
  EXPECT_EQ(host.View, 600);
}

TEST_F(SearchThread, CancelStopsTheRunAtItsNextTest) {
  host.OnStatus = [&](const TSearchStatus& s) {
    if (s.Checked == 128) thread->Cancel();
  };
  Find();
  // The 128th file was examined when the status was shown; its test still ran.
  EXPECT_EQ(results.Count(), 128);
  EXPECT_EQ(Key(results.At(127)), "F|D0|\\|hit127.txt");
  EXPECT_EQ(host.Ended, 1);
  EXPECT_FALSE(tree.SearchRunning);
  // The next Find is not stopped by the last cancel, and finds the rest.
  host.OnStatus = nullptr;
  Find();
  EXPECT_EQ(results.Count(), 600);
}

TEST_F(SearchThread, ACancelBeforeTheRunBeginsStopsItAtOnce) {
  // The user may press Cancel before the worker has begun: the run must not start over it.
  TSearchEngine& engine = thread->Engine();
  engine.Cancel();
  TSearchCriteria criteria = BuildCriteria(controls);
  engine.RunSearch(criteria, CollectScope(tree, criteria.SearchFor));
  EXPECT_EQ(results.Count(), 0);
  EXPECT_EQ(engine.Status().Checked, 0);
}

TEST_F(SearchThread, EachRunWithALimitAddsUpToTheLimitOfNewResults) {
  controls.LimitFoundCheck = true;
  controls.MaxFoundNum = 250;
  std::vector<int> counts;
  for (int run = 0; run < 4; ++run) {
    Find();
    counts.push_back(results.Count());
  }
  EXPECT_EQ(counts, (std::vector<int>{250, 500, 600, 600}));
  EXPECT_EQ(Key(results.At(250)), "F|D0|\\|hit250.txt");
  EXPECT_EQ(CheckTree(tree), "");
  // A duplicates scan goes to the other list, without a limit: by size, every file is alike.
  controls.DuplicateNameCheck = false;
  Find(true);
  EXPECT_EQ(dups.Count(), 600);
  EXPECT_EQ(dups.Group(0), dups.Group(599));
  EXPECT_EQ(results.Count(), 600);
}

TEST_F(SearchThread, AThreadThatGoesDuringARunCancelsItAndIgnoresItsEnd) {
  ASSERT_TRUE(thread->Find(controls, false));
  EXPECT_TRUE(tree.SearchRunning);
  thread.reset();
  EXPECT_FALSE(tree.SearchRunning);
  main.RunEnd();  // the end the worker posted: nothing left to handle
  EXPECT_EQ(host.Ended, 0);
}

}  // namespace
}  // namespace tf::test

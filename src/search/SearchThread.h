#pragma once
// TSearchThread runs one search or duplicates scan at a time on a worker thread, for the
// search window. Find and Cancel are called on the main thread; the engine reaches the main
// thread through TMainThread (status, view count, deeper folder levels, list growth), and the
// end of a run is posted there: the worker is joined, SearchRunning cleared and the host told.
//
// While a run is active the tree's SearchRunning is set, and every command that would change,
// close or update catalogs refuses; the tree keeps new orders of children for the run's end. The window reads the result list only below the view
// count the engine gave it, until the run has ended.

#include <memory>
#include <thread>

#include "platform/Prompts.h"
#include "search/Search.h"

namespace tf {

inline constexpr char MsgNothingToSearch[] = "Nothing to search for!";
inline constexpr char MsgNoDuplicatesCriteria[] =
    "Please select at least one criteria for duplicate files.";

class TSearchThread {
 public:
  TSearchThread(TCatalogTree& tree, TResultList& results, TResultList& duplicates,
                TSearchHost& host, TMainThread& main, TUserPrompts& prompts);
  // Cancels a run that is still active and waits for its worker.
  ~TSearchThread();
  TSearchThread(const TSearchThread&) = delete;
  TSearchThread& operator=(const TSearchThread&) = delete;

  // Starts a search (or, with duplicates, a duplicates scan) built from the controls. When the
  // controls give nothing to search for, the message is shown here, on the main thread, and
  // nothing starts: false. Also false while a run is active.
  bool Find(TSearchControls& controls, bool duplicates, const TSearchOptions& options = {});
  // Asks the active run to stop; it ends at its next test of the request.
  void Cancel();
  // SearchRunning: from Find until the end of the run has been handled on the main thread.
  bool Running() const { return running_; }

  TSearchEngine& Engine() { return engine_; }

 private:
  void Ended();

  TCatalogTree& tree_;
  TSearchHost& host_;
  TMainThread& main_;
  TUserPrompts& prompts_;
  TSearchEngine engine_;
  std::thread worker_;
  bool running_ = false;
  // Cleared when this object goes: an end posted by its worker then does nothing.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace tf

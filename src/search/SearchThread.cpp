#include "search/SearchThread.h"

namespace tf {

TSearchThread::TSearchThread(TCatalogTree& tree, TResultList& results, TResultList& duplicates,
                             TSearchHost& host, TMainThread& main, TUserPrompts& prompts)
    : tree_(tree), host_(host), main_(main), prompts_(prompts),
      engine_(results, duplicates, host, main) {}

TSearchThread::~TSearchThread() {
  *alive_ = false;
  if (worker_.joinable()) {
    engine_.Cancel();
    worker_.join();
  }
  if (running_) {
    tree_.SearchRunning = false;
    tree_.RunDeferredSorts();
  }
}

bool TSearchThread::Find(TSearchControls& controls, bool duplicates,
                         const TSearchOptions& options) {
  if (running_) return false;
  // Messages are shown here rather than from the worker: a window may be shown only from the
  // main thread.
  TSearchCriteria criteria;
  TDuplicatesCriteria dupCriteria;
  if (duplicates) {
    dupCriteria = DuplicatesCriteriaOf(controls);
    if (!dupCriteria.Any()) {
      prompts_.Message("Error", MsgNoDuplicatesCriteria, TButtons::Ok, TIcon::Warning);
      return false;
    }
  } else {
    criteria = BuildCriteria(controls);
    if (!criteria.SomethingToSearch) {
      prompts_.Message("Error", MsgNothingToSearch, TButtons::Ok, TIcon::Warning);
      return false;
    }
  }
  TSearchFor searchFor = controls.SearchForCombo;
  TSearchScope scope = CollectScope(tree_, searchFor);
  running_ = true;
  tree_.SearchRunning = true;
  // Armed here, not by the worker: a Cancel right after Find must not be forgotten when the
  // worker begins.
  engine_.Arm();
  std::weak_ptr<bool> alive = alive_;
  worker_ = std::thread([this, alive, duplicates, criteria = std::move(criteria), dupCriteria,
                         searchFor, scope = std::move(scope), options] {
    if (duplicates)
      engine_.RunDuplicates(dupCriteria, searchFor, scope, options);
    else
      engine_.RunSearch(criteria, scope, options);
    main_.Post([this, alive] {
      if (auto a = alive.lock(); a && *a) Ended();
    });
  });
  return true;
}

void TSearchThread::Cancel() {
  if (running_) engine_.Cancel();
}

void TSearchThread::Ended() {
  // Posted to the main thread; a main thread that runs posts at once runs it on the worker.
  if (worker_.joinable()) {
    if (worker_.get_id() == std::this_thread::get_id())
      worker_.detach();
    else
      worker_.join();
  }
  running_ = false;
  tree_.SearchRunning = false;
  tree_.RunDeferredSorts();
  host_.SearchEnded();
}

}  // namespace tf

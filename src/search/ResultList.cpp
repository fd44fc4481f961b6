#include "search/ResultList.h"

#include <algorithm>
#include <numeric>

#include "browse/Sort.h"

namespace tf {

void TResultList::Add(TItemRec* rec, int group) {
  ListIndexOf(rec, kind_) = StoredListIndex(int(items_.size()));
  items_.push_back(rec);
  groups_.push_back(group);
}

void TResultList::Reserve(int capacity) {
  items_.reserve(std::size_t(capacity));
  groups_.reserve(std::size_t(capacity));
}

void TResultList::Empty(int i) { items_[std::size_t(i)] = nullptr; }

void TResultList::Remove(std::span<const int> rows) {
  std::size_t from = items_.size();
  for (int r : rows) {
    if (r < 0 || r >= Count() || !items_[std::size_t(r)]) continue;
    ListIndexOf(items_[std::size_t(r)], kind_) = -1;
    items_[std::size_t(r)] = nullptr;
    from = std::min(from, std::size_t(r));
  }
  if (from == items_.size()) return;
  std::size_t out = from;
  for (std::size_t i = from; i < items_.size(); ++i) {
    if (!items_[i]) continue;
    items_[out] = items_[i];
    groups_[out] = groups_[i];
    ++out;
  }
  items_.resize(out);
  groups_.resize(out);
  Renumber(from);
}

void TResultList::PackAndRenumber() {
  std::size_t out = 0;
  std::size_t firstChanged = items_.size();
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (!items_[i]) {
      firstChanged = std::min(firstChanged, i);
      continue;
    }
    items_[out] = items_[i];
    groups_[out] = groups_[i];
    ++out;
  }
  items_.resize(out);
  groups_.resize(out);
  Renumber(firstChanged);
  if (OnPacked) OnPacked();
}

void TResultList::Clear() {
  for (TItemRec* rec : items_)
    if (rec) ListIndexOf(rec, kind_) = -1;
  items_.clear();
  groups_.clear();
}

void TResultList::Renumber(std::size_t from) {
  for (std::size_t i = from; i < items_.size(); ++i)
    ListIndexOf(items_[i], kind_) = StoredListIndex(int(i));
}

void TResultList::Sort(int key, bool descending, bool archivesAsFiles) {
  // A stable sort gives the one order in which equal items keep their places: the order a
  // binary insertion sort gives, in n log n comparisons instead of n^2 moves.
  std::vector<std::size_t> order(items_.size());
  std::iota(order.begin(), order.end(), std::size_t(0));
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return CompareItems(items_[a], items_[b], key, descending, archivesAsFiles) < 0;
  });
  std::vector<TItemRec*> items(items_.size());
  std::vector<int> groups(items_.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    items[i] = items_[order[i]];
    groups[i] = groups_[order[i]];
  }
  items_.swap(items);
  groups_.swap(groups);
  Renumber(0);
}

TFoundListActions FoundListActionState(bool running, int count, const TItemRec* focused,
                                       std::span<TItemRec* const> selected) {
  TFoundListActions a;
  a.Find = !running;
  a.Cancel = running;
  a.ListCommands = !running && count > 0;
  a.ItemCommands = focused != nullptr;
  bool archived = focused && KindOf(focused) == ikFile && HasFlag(focused, InArchive);
  a.OpenInExplorer = focused && !archived;
  a.Launch = a.OpenInExplorer && (KindOf(focused) == ikFile ||
                                  (KindOf(focused) == ikFolder && HasFlag(focused, InArchive)));
  a.SetCategory = !selected.empty();
  a.AddToUserList = std::any_of(selected.begin(), selected.end(), [](const TItemRec* r) {
    return r && r->UserListIndex == -1;
  });
  return a;
}

void TResultList::Reverse() {
  std::reverse(items_.begin(), items_.end());
  std::reverse(groups_.begin(), groups_.end());
  Renumber(0);
}

}  // namespace tf

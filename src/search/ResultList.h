#pragma once
// The two lists of the search window: the search results and the duplicates. Each holds
// files and folders in display order, and each record keeps its position in the list (its
// SearchIndex or DuplicatesIndex, modulo 32768), so that freeing a record empties its entry
// (DeleteItemNode) and the search skips what is listed already. The duplicates come in
// groups of items that are the same; every entry carries its group's number.
//
// While a run goes on, the search thread appends entries, and only it. The window reads the
// entries below the count it was last given (the view count) and grows the capacity on its
// own thread (Reserve, asked for by the search thread through a blocking call), so that no
// entry the window reads ever moves while it reads it.

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "store/Tree.h"

namespace tf {

class TResultList final : public TRecordList {
 public:
  explicit TResultList(TListKind kind) : kind_(kind) {}
  TResultList(const TResultList&) = delete;
  TResultList& operator=(const TResultList&) = delete;

  TListKind Kind() const { return kind_; }
  int Count() const override { return int(items_.size()); }
  TItemRec* At(int i) const override { return items_[std::size_t(i)]; }
  // The group of entry i: entries of one group of duplicates share it; -1 outside groups.
  int Group(int i) const { return groups_[std::size_t(i)]; }
  const std::vector<TItemRec*>& Items() const { return items_; }

  // Appends a record and sets its back-index.
  void Add(TItemRec* rec, int group = -1);
  // A number for the next group of duplicates.
  int NewGroup() { return nextGroup_++; }
  int Capacity() const { return int(items_.capacity()); }
  void Reserve(int capacity);

  void Empty(int i) override;
  // Drops emptied entries and renumbers the rest; OnPacked follows.
  void PackAndRenumber() override;
  // Removes the rows (indices into the list), resetting their records' back-indices, and
  // packs the rest.
  void Remove(std::span<const int> rows);
  // Forgets every entry and resets the records' back-indices.
  void Clear();
  // The list was packed after records left it from outside (a catalog closed, a disk deleted).
  std::function<void()> OnPacked;

  // Orders the list by CompareItems with a sort key (stable: equal items keep their order),
  // or reverses it in place; both renumber the back-indices.
  void Sort(int key, bool descending, bool archivesAsFiles);
  void Reverse();

 private:
  void Renumber(std::size_t from);

  TListKind kind_;
  std::vector<TItemRec*> items_;
  std::vector<int> groups_;
  int nextGroup_ = 0;
};

// Enabled states of the search window's commands on its list.
struct TFoundListActions {
  bool OpenInExplorer = false;  // an item focused, not a file inside an archive
  bool Launch = false;          // and a file or an archive folder
  bool SetCategory = false;     // something selected
  bool AddToUserList = false;   // something selected that the user list does not hold
  bool ItemCommands = false;    // Locate, Edit Description, Properties: an item focused
  bool Find = false;            // Find and New Search: no run active
  bool Cancel = false;          // a run active
  bool ListCommands = false;    // Delete selected, Remove all, Generate Report: no run, items
};
TFoundListActions FoundListActionState(bool running, int count, const TItemRec* focused,
                                       std::span<TItemRec* const> selected);

}  // namespace tf

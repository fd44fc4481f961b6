#pragma once
// The user list: a working collection of items (files, folders, disks, catalogs) picked in
// the main window or the search window, kept while the program runs and never stored. Each
// item in it knows its position (UserListIndex, modulo 32768; -1 when not in it), so that an
// item freed with its catalog or disk leaves the list at once (DeleteItemNode empties its
// entry and asks the list to pack itself).
//
// TUserList is the list with its sort state, the actions' enabled states and the status
// texts; the window (UserListForm.h) shows it.

#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "store/Tree.h"

namespace tf {

// What the user list needs of a running search. While the search walks a container it may
// release the container's file list when it leaves it; an item of that container taken into
// the user list must keep the list in memory.
class TSearchWalk {
 public:
  virtual ~TSearchWalk() = default;
  // An item whose node is container was taken into the user list: when a search runs and its
  // walk is in that container, the walk must not release the container's files
  // (MayReleaseFiles cleared).
  virtual void ItemTaken(TNode* container) = 0;
};

// A ready-made TSearchWalk for the search to drive: the walk's container and MayReleaseFiles
// under one lock, so that an item taken on the main thread and the release decision on the
// search thread never cross.
class TSearchWalkState final : public TSearchWalk {
 public:
  // Search thread: the walk enters a container (MayReleaseFiles set).
  void EnterContainer(TNode* container);
  // Search thread: the walk leaves its container; release runs, under the lock, only when no
  // item of the container was taken meanwhile. True when it ran.
  bool LeaveContainer(const std::function<void(TNode*)>& release);
  // Main thread: the run ended.
  void Stop();
  bool MayReleaseFiles() const;
  TNode* Container() const;
  void ItemTaken(TNode* container) override;

 private:
  mutable std::mutex lock_;
  TNode* container_ = nullptr;
  bool mayRelease_ = false;
};

// Columns of the user list.
inline constexpr int UserListColumnCount = 7;

class TUserList final : public TRecordList {
 public:
  // The list registers itself with the tree, so that freed records leave it.
  explicit TUserList(TCatalogTree& tree);
  ~TUserList() override;
  TUserList(const TUserList&) = delete;
  TUserList& operator=(const TUserList&) = delete;

  // TRecordList
  int Count() const override { return int(items_.size()); }
  TItemRec* At(int i) const override {
    return i >= 0 && i < Count() ? items_[std::size_t(i)] : nullptr;
  }
  void Empty(int i) override { items_[std::size_t(i)] = nullptr; }
  // Drops emptied entries and gives the rest their new positions; OnPacked follows.
  void PackAndRenumber() override;

  std::span<TItemRec* const> Items() const { return items_; }
  static bool Contains(const TItemRec* rec) { return rec && rec->UserListIndex != -1; }

  // Appends an item that is not in the list yet (false when it is, or for the ".." entry).
  // An item of the container a running search walks keeps that container's files loaded.
  bool Add(TItemRec* rec);
  void SetSearchWalk(TSearchWalk* walk) { walk_ = walk; }

  // After a batch of additions: sorted by the current column and direction.
  void Resort(bool archivesAsFiles);
  // A click on a column header: a new column sorts ascending, the same column again reverses
  // the order in place.
  void ColumnClick(int column, bool archivesAsFiles);
  int SortColumn() const { return sortColumn_; }
  bool Descending() const { return descending_; }
  // The sort key a column stands for, by the kind of the first record compared (disks have
  // keys of their own; 255 compares nothing).
  static int KeyFor(int column, const TItemRec* first);

  // Removes the rows (indices into the list) and packs the rest.
  void Remove(std::span<const int> rows);
  // Empties the list; every item's position is reset.
  void Clear();

  // The list was packed after records left it from outside (a catalog closed, a disk deleted).
  std::function<void()> OnPacked;

 private:
  void Renumber(std::size_t from);
  void Sort(bool resort, bool archivesAsFiles);
  TCatalogTree& tree_;
  std::vector<TItemRec*> items_;
  TSearchWalk* walk_ = nullptr;
  int sortColumn_ = 0;
  bool descending_ = false;
};

// Enabled states of the user list's actions.
struct TUserListActions {
  bool OpenInExplorer = false;
  bool Launch = false;
  bool SetCategory = false;
  bool ClearAndReport = false;  // "Clear User List", "Generate Report"
  bool ItemCommands = false;    // Locate, Edit Description, Properties, Delete selected
};
TUserListActions UserListActionState(const TUserList& list, int focusedRow,
                                     std::span<TItemRec* const> selected);

// What a double click does and which popup entry is the default, by the setting "Double-clicking
// file means" (0 nothing, 1 properties, 2 open in explorer, 3 launch).
enum class TUserListCommand { None, Properties, Explorer, Launch };
TUserListCommand UserListDoubleClick(int fileDoubleClick, const TItemRec* rec);
TUserListCommand UserListDefaultEntry(int fileDoubleClick, const TItemRec* rec);

// The status panels.
std::string UserListTotalText(const TUserList& list);  // "Total items: 3"

inline constexpr char UserListCaption[] = "User List";
inline constexpr char DeleteItemsTitle[] = "Delete items";
inline constexpr char RemoveSelectedText[] = "Remove selected item(s) from the user list?";
inline constexpr char DeleteAllItemsTitle[] = "Delete all items";
inline constexpr char RemoveAllText[] = "Remove all items from the user list?";
inline constexpr char ClearingUserListStatus[] = "Clearing user list...";

}  // namespace tf

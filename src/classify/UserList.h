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
#include <span>
#include <string>
#include <vector>

#include "store/Tree.h"

namespace tf {

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
  // Its position keeps its container's file list in memory while a search runs (the search
  // releases no list that a window's list refers to).
  bool Add(TItemRec* rec);

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

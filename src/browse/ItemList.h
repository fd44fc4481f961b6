#pragma once
// What the browser list shows: the records of the node selected in the tree (the disks of a
// catalog, or the subfolders and files of a disk or folder, behind a ".." entry inside a
// folder), in the order of the current sort key and direction. The list holds references
// only; the records belong to the catalogs, except the ".." entry, which belongs to this list.
//
// The main window keeps one TItemList and shows it through a virtual list model: the list
// never holds text, cells are asked for on demand (ItemText.h).

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "store/Tree.h"

namespace tf {

// Which columns the list has: those of a disk list (the node last loaded was a catalog) or
// those of a folder and file list.
enum class TColumnSet { Files, Disks };

struct TColumnDef {
  const char* Title;
  enum TAlign { Left, Right, Center } Align;
};
std::span<const TColumnDef> ColumnsOf(TColumnSet set);

class TItemList {
 public:
  TItemList();
  ~TItemList();
  TItemList(const TItemList&) = delete;
  TItemList& operator=(const TItemList&) = delete;

  // Fills the list for a tree node (null: empty), the ".." entry first inside a folder when
  // showBack is set. A folder's or disk's files are read from the catalog file first; when
  // that read fails (EInvalidCatalog, EStreamError) the exception leaves the list holding the
  // entries found before it. Does not sort.
  void Load(TNode* node, bool showBack);
  void Clear();

  // Sorts again (resort) or reverses the order in place (so that ".." and the grouping of
  // folders before files turn round too, until the next full sort); then the tree children
  // of the selected node follow the same order.
  void Sort(bool resort, TNode* selected);

  // Adds or removes the ".." entry when the setting changes while a folder is shown; true
  // when the list changed (it is then sorted again).
  bool SetShowBackEntry(bool on, TNode* selected);

  // The sort key of what is selected: the disk key for a catalog, the file key otherwise,
  // 0 without selection. Setting it writes the key by the same rule (nothing without
  // selection).
  int CurrentKey(const TNode* selected) const;
  void SetCurrentKey(const TNode* selected, int key);

  // The tree node that the row leads to: the parent of the shown node for "..", the row's
  // own node for a disk or folder; null for a file or a row out of range.
  TNode* NavigateTarget(int row) const;

  int Count() const { return int(items_.size()); }
  TItemRec* At(int row) const {
    return row >= 0 && row < Count() ? items_[std::size_t(row)] : nullptr;
  }
  std::span<TItemRec* const> Items() const { return items_; }
  int RowOf(const TItemRec* rec) const;  // -1 when not listed
  // Takes a record's row out of the list (a disk about to be deleted); false when it is not
  // listed. The rest keep their order.
  bool Remove(const TItemRec* rec);

  TNode* Shown() const { return shown_; }
  TColumnSet Columns() const { return columns_; }
  TItemRec* BackEntry() const { return back_; }
  bool ShowBackEntry() const { return showBack_; }

  // Sort state; kept between runs by the window state record.
  int FileSortKey = 1;
  int DiskSortKey = 1;
  bool ReverseOrder = false;
  // Archives sort among the files (the setting "Sort archive files as folders" cleared).
  bool SortArchivesAsFiles = true;

 private:
  void SetUpBackEntry(TNode* folderNode);
  std::vector<TItemRec*> items_;
  std::unique_ptr<TNode> backNode_;  // never in a tree; owns back_
  TFolderRec* back_ = nullptr;
  TNode* shown_ = nullptr;
  TColumnSet columns_ = TColumnSet::Files;
  bool showBack_ = true;
};

// Status bar panel widths: panel 0 is 75 pixels, panel 3 (the state light) 33; of what is
// left after them and 6 pixels, panel 1 gets 70 percent and panel 2 the rest.
struct TStatusWidths {
  int Panel1;
  int Panel2;
};
TStatusWidths StatusPanelWidths(int statusBarWidth);
inline constexpr int StatusPanel0Width = 75;
inline constexpr int StatusPanel3Width = 33;

// Status panel 0: the state of the selected node's catalog.
std::string CatalogStateText(TNode* selected);  // "Empty", "Modified" or "Loaded"

// Enabled, checked and visible states of the browser's view and sort commands.
struct TBrowseCommandState {
  bool HasItems = false;      // view, sort and reverse commands enabled
  bool BackEnabled = false;   // "Back One Level": the selected node has a parent
  bool DiskSortGroup = false; // the disk entries of "Sort items" are shown (else the file ones)
  bool DiskButtonHints = true;  // sort buttons 2 and 4 read as disk keys (or nothing selected)
  int Key = 0;                // the current key: its menu entries are checked
  int DownButton = -1;        // the sort button that is down (keys 0 to 3), -1 none
  bool Reverse = false;
};
TBrowseCommandState BrowseCommandState(const TItemList& list, const TNode* selected);

// Hint timing: first-show delay, delay between hints of one control, display time (0 = until
// the pointer moves), in milliseconds.
struct THintTiming {
  int WaitMs;
  int ReshowMs;
  int HideMs;
  bool operator==(const THintTiming&) const = default;
};
// Over the tree and the lists (description hints) the settings decide; elsewhere the fixed
// 800, 50 and 2500 ms. descWait is in tenths of a second, descHide in seconds.
THintTiming HintTimingFor(bool descriptionControl, int descWait, int descHide);

// The text of a description hint for a record; empty when it has no description.
std::string DescriptionHintFor(const TItemRec* rec);

}  // namespace tf

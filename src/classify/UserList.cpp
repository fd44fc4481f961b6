#include "classify/UserList.h"

#include <algorithm>

#include "browse/Sort.h"

namespace tf {

// ---- the list --------------------------------------------------------------------------------

TUserList::TUserList(TCatalogTree& tree) : tree_(tree) { tree_.SetList(TListKind::UserList, this); }

TUserList::~TUserList() {
  Clear();
  if (tree_.List(TListKind::UserList) == this) tree_.SetList(TListKind::UserList, nullptr);
}

void TUserList::Renumber(std::size_t from) {
  for (std::size_t i = from; i < items_.size(); ++i)
    items_[i]->UserListIndex = StoredListIndex(int(i));
}

void TUserList::PackAndRenumber() {
  auto first = std::find(items_.begin(), items_.end(), nullptr);
  std::size_t from = std::size_t(first - items_.begin());
  items_.erase(std::remove(first, items_.end(), nullptr), items_.end());
  Renumber(from);
  if (OnPacked) OnPacked();
}

bool TUserList::Add(TItemRec* rec) {
  if (!rec || Contains(rec) || IsBackEntry(rec)) return false;
  rec->UserListIndex = StoredListIndex(Count());
  items_.push_back(rec);
  return true;
}

int TUserList::KeyFor(int column, const TItemRec* first) {
  static constexpr int items[UserListColumnCount] = {0, 1, 2, 3, 7, 8, 9};
  static constexpr int disks[UserListColumnCount] = {0, 255, 2, 4, 10, 1, 255};
  if (column < 0 || column >= UserListColumnCount) return 255;
  return first && KindOf(first) == ikDisk ? disks[column] : items[column];
}

void TUserList::Sort(bool resort, bool archivesAsFiles) {
  if (!resort) {
    std::reverse(items_.begin(), items_.end());
  } else {
    // A stable binary insertion sort: each item goes behind the last one it does not come
    // before, so equal items keep the order in which they were added.
    for (std::size_t i = 1; i < items_.size(); ++i) {
      TItemRec* x = items_[i];
      int key = KeyFor(sortColumn_, x);
      std::size_t lo = 0, hi = i;
      while (lo < hi) {
        std::size_t mid = (lo + hi) / 2;
        if (CompareItems(x, items_[mid], key, descending_, archivesAsFiles) >= 0)
          lo = mid + 1;
        else
          hi = mid;
      }
      if (lo < i) {
        std::move_backward(items_.begin() + std::ptrdiff_t(lo), items_.begin() + std::ptrdiff_t(i),
                           items_.begin() + std::ptrdiff_t(i + 1));
        items_[lo] = x;
      }
    }
  }
  Renumber(0);
}

void TUserList::Resort(bool archivesAsFiles) { Sort(true, archivesAsFiles); }

void TUserList::ColumnClick(int column, bool archivesAsFiles) {
  if (column == sortColumn_) {
    descending_ = !descending_;
    Sort(false, archivesAsFiles);
  } else {
    sortColumn_ = column;
    descending_ = false;
    Sort(true, archivesAsFiles);
  }
}

void TUserList::Remove(std::span<const int> rows) {
  std::size_t from = items_.size();
  for (int r : rows) {
    if (r < 0 || r >= Count() || !items_[std::size_t(r)]) continue;
    items_[std::size_t(r)]->UserListIndex = -1;
    items_[std::size_t(r)] = nullptr;
    from = std::min(from, std::size_t(r));
  }
  if (from == items_.size()) return;
  items_.erase(std::remove(items_.begin() + std::ptrdiff_t(from), items_.end(), nullptr), items_.end());
  Renumber(from);
}

void TUserList::Clear() {
  for (TItemRec* rec : items_)
    if (rec) rec->UserListIndex = -1;
  items_.clear();
}

// ---- actions and status ----------------------------------------------------------------------

TUserListActions UserListActionState(const TUserList& list, int focusedRow,
                                     std::span<TItemRec* const> selected) {
  TUserListActions a;
  bool any = list.Count() > 0;
  TItemRec* focused = list.At(focusedRow);
  a.ClearAndReport = any;
  a.ItemCommands = any && focused;
  a.OpenInExplorer = a.ItemCommands && KindOf(focused) != ikCatalog &&
                     !(KindOf(focused) == ikFile && HasFlag(focused, InArchive));
  a.Launch = a.OpenInExplorer && (KindOf(focused) == ikFile ||
                                  (KindOf(focused) == ikFolder && HasFlag(focused, InArchive)));
  a.SetCategory = a.OpenInExplorer && std::any_of(selected.begin(), selected.end(), [](TItemRec* r) {
                    return r && (KindOf(r) == ikFile || KindOf(r) == ikFolder);
                  });
  return a;
}

namespace {

// "Double-clicking file means": 0 nothing, 1 properties, 2 explorer, 3 launch; no choice
// made yet counts as launch.
int DoubleClickSetting(int setting) { return setting < 0 ? 3 : setting; }

}  // namespace

TUserListCommand UserListDoubleClick(int fileDoubleClick, const TItemRec* rec) {
  if (!rec) return TUserListCommand::None;
  switch (DoubleClickSetting(fileDoubleClick)) {
    case 1: return TUserListCommand::Properties;
    case 2: return TUserListCommand::Explorer;
    case 3: return KindOf(rec) == ikFile ? TUserListCommand::Launch : TUserListCommand::Explorer;
    default: return TUserListCommand::None;
  }
}

TUserListCommand UserListDefaultEntry(int fileDoubleClick, const TItemRec* rec) {
  if (!rec) return TUserListCommand::None;
  switch (DoubleClickSetting(fileDoubleClick)) {
    case 1: return TUserListCommand::Properties;
    case 2: return TUserListCommand::Explorer;
    case 3: {
      bool launchable =
          KindOf(rec) == ikFile || (KindOf(rec) == ikFolder && HasFlag(rec, InArchive));
      return launchable ? TUserListCommand::Launch : TUserListCommand::Explorer;
    }
    default: return TUserListCommand::None;
  }
}

std::string UserListTotalText(const TUserList& list) {
  return "Total items: " + std::to_string(list.Count());
}

}  // namespace tf

#include "browse/ItemList.h"

#include <algorithm>
#include <cmath>

#include "browse/Format.h"
#include "browse/Sort.h"
#include "store/LoadSave.h"

namespace tf {

namespace {

constexpr TColumnDef DiskColumns[] = {
    {"Disk name", TColumnDef::Left},      {"Media type", TColumnDef::Left},
    {"Capacity", TColumnDef::Right},      {"Free space", TColumnDef::Right},
    {"Last Updated", TColumnDef::Right},  {"Description", TColumnDef::Left},
};
constexpr TColumnDef FileColumns[] = {
    {"Filename", TColumnDef::Left}, {"Ext", TColumnDef::Left},
    {"Size", TColumnDef::Right},    {"Date", TColumnDef::Right},
    {"Time", TColumnDef::Right},    {"Attr", TColumnDef::Center},
    {"Description", TColumnDef::Left},
};

// The parent shown in the tree: catalogs hang on the invisible root, which is not one.
TNode* VisibleParent(const TNode* node) {
  return node && node->Parent && node->Parent->Record ? node->Parent : nullptr;
}

}  // namespace

std::span<const TColumnDef> ColumnsOf(TColumnSet set) {
  if (set == TColumnSet::Disks) return DiskColumns;
  return FileColumns;
}

TItemList::TItemList() {
  back_ = new TFolderRec;
  back_->Attributes = 0x10;
  backNode_ = MakeNode("..", back_);
}

TItemList::~TItemList() {
  items_.clear();
  FreeRecord(back_);
  backNode_->Record = nullptr;
}

void TItemList::Clear() {
  items_.clear();
  shown_ = nullptr;
}

void TItemList::SetUpBackEntry(TNode* folderNode) {
  back_->ModifiedTime = static_cast<TFolderRec*>(folderNode->Record)->ModifiedTime;
  back_->Description.Reset();
  if (TNode* parent = VisibleParent(folderNode)) {
    if (parent->Kind() == ikDisk)
      back_->Description.Assign("Back to root of " + parent->Caption);
    else
      back_->Description.Assign("Back to " + parent->Caption + " (folder)");
  }
}

void TItemList::Load(TNode* node, bool showBack) {
  items_.clear();
  showBack_ = showBack;
  shown_ = node;
  if (!node || !node->Record) return;
  uint8_t kind = node->Kind();
  columns_ = kind == ikCatalog ? TColumnSet::Disks : TColumnSet::Files;
  items_.reserve(64);
  if (kind == ikFolder && showBack) {
    SetUpBackEntry(node);
    items_.push_back(back_);
  }
  if (kind == ikFolder || kind == ikDisk || kind == ikCatalog) {
    items_.reserve(items_.size() + node->Children.size());
    for (auto& child : node->Children)
      if (child->Record) items_.push_back(child->Record);
  }
  if (kind == ikFolder || kind == ikDisk) {
    LoadFiles(node);  // may throw: the list then shows the folders found so far
    std::size_t files = 0;
    for (TItemRec* r = node->Record->Next; r; r = r->Next)
      if (KindOf(r) == ikFile) ++files;
    items_.reserve(items_.size() + files);
    for (TItemRec* r = node->Record->Next; r; r = r->Next)
      if (KindOf(r) == ikFile) items_.push_back(r);
  }
}

void TItemList::Sort(bool resort, TNode* selected) {
  if (resort)
    SortRecords(items_, CurrentKey(selected), ReverseOrder, SortArchivesAsFiles);
  else
    std::reverse(items_.begin(), items_.end());
  SortTreeChildren(selected, FileSortKey, DiskSortKey, ReverseOrder, SortArchivesAsFiles);
}

bool TItemList::SetShowBackEntry(bool on, TNode* selected) {
  if (on == showBack_) return false;
  showBack_ = on;
  if (!shown_ || shown_->Kind() != ikFolder) return false;
  if (on) {
    SetUpBackEntry(shown_);
    items_.insert(items_.begin(), back_);
  } else {
    items_.erase(std::remove(items_.begin(), items_.end(), back_), items_.end());
  }
  Sort(true, selected);
  return true;
}

int TItemList::CurrentKey(const TNode* selected) const {
  if (!selected) return 0;
  return selected->Kind() == ikCatalog ? DiskSortKey : FileSortKey;
}

void TItemList::SetCurrentKey(const TNode* selected, int key) {
  if (!selected) return;
  if (selected->Kind() == ikCatalog)
    DiskSortKey = std::clamp(key, 0, DiskSortKeyCount - 1);
  else
    FileSortKey = std::clamp(key, 0, FileSortKeyCount - 1);
}

TNode* TItemList::NavigateTarget(int row) const {
  TItemRec* rec = At(row);
  if (!rec) return nullptr;
  if (rec == back_) return VisibleParent(shown_);
  uint8_t kind = KindOf(rec);
  if (kind == ikFolder || kind == ikDisk || kind == ikCatalog) return rec->Node;
  return nullptr;
}

int TItemList::RowOf(const TItemRec* rec) const {
  auto it = std::find(items_.begin(), items_.end(), rec);
  return it == items_.end() ? -1 : int(it - items_.begin());
}

bool TItemList::Remove(const TItemRec* rec) {
  auto it = std::find(items_.begin(), items_.end(), rec);
  if (it == items_.end()) return false;
  items_.erase(it);
  return true;
}

TStatusWidths StatusPanelWidths(int width) {
  int rest = std::max(0, width - StatusPanel0Width - StatusPanel3Width - 6);
  int p1 = rest * 70 / 100;
  return {p1, rest - p1};
}

std::string CatalogStateText(TNode* selected) {
  TCatalogRec* cat = CatalogOf(selected);
  if (!cat) return "Empty";
  return cat->Modified ? "Modified" : "Loaded";
}

TBrowseCommandState BrowseCommandState(const TItemList& list, const TNode* selected) {
  TBrowseCommandState s;
  s.HasItems = list.Count() > 0;
  s.BackEnabled = VisibleParent(selected) != nullptr;
  s.DiskSortGroup = list.Columns() == TColumnSet::Disks;
  s.DiskButtonHints = !selected || s.DiskSortGroup;
  s.Key = list.CurrentKey(selected);
  s.DownButton = s.Key <= 3 ? s.Key : -1;
  s.Reverse = list.ReverseOrder;
  return s;
}

THintTiming HintTimingFor(bool descriptionControl, int descWait, int descHide) {
  if (!descriptionControl) return {800, 50, 2500};
  int wait = std::clamp(descWait, 0, 20) * 100;
  return {wait, int(std::lround(wait * 0.67)), std::clamp(descHide, 0, 15) * 1000};
}

std::string DescriptionHintFor(const TItemRec* rec) {
  const TText* d = rec ? DescriptionOf(rec) : nullptr;
  if (!d || d->Empty()) return {};
  return DescriptionHintText(d->View());
}

}  // namespace tf

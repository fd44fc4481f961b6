#include "store/Tree.h"

#include <algorithm>

namespace tf {

// ---- lists -------------------------------------------------------------------------------

int16_t& ListIndexOf(TItemRec* rec, TListKind kind) {
  switch (kind) {
    case TListKind::Search: return rec->SearchIndex;
    case TListKind::UserList: return rec->UserListIndex;
    case TListKind::Duplicates: break;
  }
  return rec->DuplicatesIndex;
}

void TRecordVector::Add(TItemRec* rec) {
  ListIndexOf(rec, kind_) = StoredListIndex(int(items_.size()));
  items_.push_back(rec);
}

void TRecordVector::PackAndRenumber() {
  items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
  for (std::size_t i = 0; i < items_.size(); ++i)
    ListIndexOf(items_[i], kind_) = StoredListIndex(int(i));
}

void TRecordVector::Clear() {
  for (TItemRec* rec : items_)
    if (rec) ListIndexOf(rec, kind_) = -1;
  items_.clear();
}

// Empties the item's entry of one list: the stored index is the position modulo 32768, so
// the entry is at index, index + 32768, ... The list is not packed here, so that the stored
// positions of the other items stay valid until the owner packs it.
static void RemoveFromList(TCatalogTree* tree, TItemRec* rec, TListKind kind,
                           bool changed[ListKindCount]) {
  int16_t& index = ListIndexOf(rec, kind);
  if (index == -1) return;
  TRecordList* list = tree ? tree->List(kind) : nullptr;
  if (list) {
    for (int p = index; p >= 0 && p < list->Count(); p += 32768) {
      if (list->At(p) == rec) {
        list->Empty(p);
        changed[int(kind)] = true;
        break;
      }
    }
  }
  index = -1;
}

static void RemoveFromAllLists(TCatalogTree* tree, TItemRec* rec, bool changed[ListKindCount]) {
  RemoveFromList(tree, rec, TListKind::Search, changed);
  RemoveFromList(tree, rec, TListKind::UserList, changed);
  RemoveFromList(tree, rec, TListKind::Duplicates, changed);
}

// ---- the tree ----------------------------------------------------------------------------

TCatalogTree::TCatalogTree() { root_.Tree = this; }

TCatalogTree::~TCatalogTree() { Clear(); }

void TCatalogTree::Clear() {
  selected_ = nullptr;
  while (root_.ChildCount() > 0) DeleteItemNode(root_.Child(root_.ChildCount() - 1));
}

void TCatalogTree::AddObserver(TTreeObserver* observer) { observers_.push_back(observer); }

void TCatalogTree::RemoveObserver(TTreeObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

static void AppendDetached(TNode* parent, std::vector<std::unique_ptr<TNode>>& nodes) {
  parent->Children.reserve(parent->Children.size() + nodes.size());
  for (auto& n : nodes) {
    n->Parent = parent;
    n->Row = parent->ChildCount();
    parent->Children.push_back(std::move(n));
  }
}

void TCatalogTree::AppendChildren(TNode* parent, std::vector<std::unique_ptr<TNode>> nodes) {
  if (nodes.empty()) return;
  int first = parent->ChildCount();
  int last = first + int(nodes.size()) - 1;
  for (auto* o : observers_) o->NodesAboutToBeInserted(parent, first, last);
  AppendDetached(parent, nodes);
  for (auto* o : observers_) o->NodesInserted(parent, first, last);
}

TNode* TCatalogTree::AppendChild(TNode* parent, std::unique_ptr<TNode> node) {
  TNode* raw = node.get();
  std::vector<std::unique_ptr<TNode>> one;
  one.push_back(std::move(node));
  AppendChildren(parent, std::move(one));
  return raw;
}

static bool IsAtOrBelow(const TNode* node, const TNode* ancestor) {
  for (; node; node = node->Parent)
    if (node == ancestor) return true;
  return false;
}

// Takes a node out of its parent's children; the caller owns it afterwards.
static std::unique_ptr<TNode> Detach(TCatalogTree* tree, TNode* node,
                                     const std::vector<TTreeObserver*>& observers) {
  TNode* parent = node->Parent;
  int row = node->Row;
  for (auto* o : observers) o->NodesAboutToBeRemoved(parent, row, row);
  std::unique_ptr<TNode> owned = std::move(parent->Children[std::size_t(row)]);
  parent->Children.erase(parent->Children.begin() + row);
  for (int i = row; i < parent->ChildCount(); ++i) parent->Child(i)->Row = i;
  owned->Parent = nullptr;
  for (auto* o : observers) o->NodesRemoved(parent, row, row);
  (void)tree;
  return owned;
}

void TCatalogTree::RemoveNode(TNode* node) {
  if (selected_ && IsAtOrBelow(selected_, node)) Select(nullptr);
  ForgetDeferredSorts(node);
  Detach(this, node, observers_);
}

void TCatalogTree::ForgetDeferredSorts(const TNode* node) {
  std::erase_if(deferredSorts_, [node](const auto& d) { return IsAtOrBelow(d.first, node); });
}

bool TCatalogTree::SortChildren(TNode* parent, TNodeOrder less) {
  if (parent->ChildCount() < 2) return true;
  if (SearchRunning) {
    auto it = std::find_if(deferredSorts_.begin(), deferredSorts_.end(),
                           [parent](const auto& d) { return d.first == parent; });
    if (it != deferredSorts_.end())
      it->second = std::move(less);
    else
      deferredSorts_.emplace_back(parent, std::move(less));
    return false;
  }
  for (auto* o : observers_) o->ChildrenAboutToBeReordered(parent);
  std::stable_sort(parent->Children.begin(), parent->Children.end(),
                   [&](const std::unique_ptr<TNode>& a, const std::unique_ptr<TNode>& b) {
                     return less(a.get(), b.get());
                   });
  for (int i = 0; i < parent->ChildCount(); ++i) parent->Child(i)->Row = i;
  for (auto* o : observers_) o->ChildrenReordered(parent);
  return true;
}

void TCatalogTree::RunDeferredSorts() {
  if (SearchRunning) return;
  auto pending = std::move(deferredSorts_);
  deferredSorts_.clear();
  for (auto& [node, less] : pending) SortChildren(node, std::move(less));
}

void TCatalogTree::NotifyChanged(TNode* node) {
  for (auto* o : observers_) o->NodeChanged(node);
}

void TCatalogTree::NotifyCatalogModified(TNode* catalog) {
  for (auto* o : observers_) o->CatalogModifiedChanged(catalog);
}

void TCatalogTree::NotifyItemListMustClear() {
  for (auto* o : observers_) o->ItemListMustClear();
}

void TCatalogTree::Select(TNode* node) {
  if (node == &root_) node = nullptr;
  if (selected_ == node) return;
  selected_ = node;
  for (auto* o : observers_) o->SelectionChanged(node);
}

// ---- node helpers ------------------------------------------------------------------------

std::unique_ptr<TNode> MakeNode(std::string caption, TItemRec* rec) {
  auto node = std::make_unique<TNode>();
  node->Caption = std::move(caption);
  node->Record = rec;
  if (rec) rec->Node = node.get();
  return node;
}

TCatalogTree* TreeOf(const TNode* node) {
  while (node && node->Parent) node = node->Parent;
  return node ? node->Tree : nullptr;
}

TNode* FindAbove(TNode* node, uint8_t kind) {
  for (; node; node = node->Parent)
    if (node->Record && KindOf(node->Record) == kind) return node;
  return nullptr;
}

TCatalogRec* CatalogOf(TNode* node) {
  TNode* c = CatalogNodeOf(node);
  return c ? static_cast<TCatalogRec*>(c->Record) : nullptr;
}

int FolderDepth(const TNode* node) {
  int depth = 0;
  for (; node && node->Record && KindOf(node->Record) == ikFolder; node = node->Parent) ++depth;
  return depth;
}

void SetCatalogModified(TNode* node, bool value) {
  TNode* c = CatalogNodeOf(node);
  if (!c) return;
  static_cast<TCatalogRec*>(c->Record)->Modified = value ? 1 : 0;
  if (TCatalogTree* tree = TreeOf(c)) tree->NotifyCatalogModified(c);
}

void SetDiskChanged(TNode* node, bool value) {
  TNode* d = DiskNodeOf(node);
  if (!d) return;
  static_cast<TDiskRec*>(d->Record)->Changed = value ? 1 : 0;
  SetCatalogModified(d, value);
}

std::string GetFolderPath(TNode* node) {
  if (!node || !node->Record) return {};
  if (KindOf(node->Record) == ikDisk) return "\\";
  if (KindOf(node->Record) != ikFolder) return {};
  auto* folder = static_cast<TFolderRec*>(node->Record);
  if (folder->PathCache) return folder->PathCache.Str();
  std::vector<const TNode*> chain;
  for (const TNode* n = node; n && n->Record && KindOf(n->Record) == ikFolder; n = n->Parent)
    chain.push_back(n);
  std::string path;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    path += '\\';
    path += (*it)->Caption;
  }
  folder->PathCache.Assign(path);
  return path;
}

void ClearPathCaches(TNode* node) {
  if (!node) return;
  if (node->Record && KindOf(node->Record) == ikFolder)
    static_cast<TFolderRec*>(node->Record)->PathCache.Reset();
  for (auto& c : node->Children) ClearPathCaches(c.get());
}

void LinkFile(TItemRec* container, TFileRec*& last, TFileRec* file) {
  file->Next = nullptr;
  if (last)
    last->Next = file;
  else
    container->Next = file;
  last = file;
}

// ---- releasing records -------------------------------------------------------------------

// Releases the file block of a container: descriptions, list entries, then the block itself.
// The block starts at the container's first file.
static void ReleaseFileBlock(TCatalogTree* tree, TItemRec* container, bool keepLists,
                             bool changed[ListKindCount]) {
  TFileRec* first = FirstFile(container);
  for (TFileRec* f = first; f;) {
    TFileRec* next = f->NextFile();
    if (!keepLists) RemoveFromAllLists(tree, f, changed);
    f->Description.Reset();
    f = next;
  }
  ::operator delete(static_cast<void*>(first));
  container->Next = nullptr;
  SetFlag(container, FileBlock, false);
}

static void ReleaseItemsIn(TCatalogTree* tree, TNode* node, bool free, bool keepLists,
                           bool changed[ListKindCount]) {
  TItemRec* rec = node->Record;
  if (!rec) return;
  uint8_t kind = KindOf(rec);
  if (kind == ikDisk || kind == ikFolder) *ContainerInfo(rec).FilesLoaded = 0;

  // Files of a container that are not in a block: each one on its own.
  if ((kind == ikDisk || kind == ikFolder) && !HasFlag(rec, FileBlock)) {
    for (TFileRec* f = FirstFile(rec); f;) {
      TFileRec* next = f->NextFile();
      if (!keepLists) RemoveFromAllLists(tree, f, changed);
      TFileRec::Destroy(f);
      f = next;
    }
    rec->Next = nullptr;
  } else if (kind == ikDisk || kind == ikFolder) {
    ReleaseFileBlock(tree, rec, keepLists, changed);
  }

  switch (kind) {
    case ikFolder:
      if (!keepLists) RemoveFromAllLists(tree, rec, changed);
      break;
    case ikDisk:
    case ikCatalog:
      if (!keepLists) RemoveFromList(tree, rec, TListKind::UserList, changed);
      break;
    default: break;
  }
  if (free) {
    FreeRecord(rec);
    node->Record = nullptr;
  }
}

void ReleaseItems(TNode* node, bool free, bool keepLists, bool changed[ListKindCount]) {
  ReleaseItemsIn(TreeOf(node), node, free, keepLists, changed);
}

static void ReleaseSubtree(TCatalogTree* tree, TNode* node, bool changed[ListKindCount]) {
  ReleaseItemsIn(tree, node, true, false, changed);
  for (auto& c : node->Children) ReleaseSubtree(tree, c.get(), changed);
}

void DeleteItemNode(TNode* node) {
  if (!node || !node->Parent) return;
  TCatalogTree* tree = TreeOf(node);
  if (!tree) {
    // A node of a subtree being built: take it out and free it.
    TNode* parent = node->Parent;
    std::unique_ptr<TNode> owned = std::move(parent->Children[std::size_t(node->Row)]);
    parent->Children.erase(parent->Children.begin() + node->Row);
    for (int i = node->Row; i < parent->ChildCount(); ++i) parent->Child(i)->Row = i;
    FreeDetachedNode(std::move(owned));
    return;
  }
  // The selection moves to the next sibling (or the parent) only once the node is out of the
  // tree, so that a window reloading its list for the new selection never lists the node.
  TNode* nextSelection = nullptr;
  bool moveSelection = tree->Selected() && IsAtOrBelow(tree->Selected(), node);
  if (moveSelection) {
    tree->NotifyItemListMustClear();
    TNode* parent = node->Parent;
    nextSelection =
        node->Row + 1 < parent->ChildCount() ? parent->Child(node->Row + 1) : parent;
    tree->selected_ = nullptr;
  }
  // Out of the tree first, so that no window sees a node whose record is gone.
  tree->ForgetDeferredSorts(node);
  std::unique_ptr<TNode> owned = Detach(tree, node, tree->observers_);
  if (moveSelection) tree->Select(nextSelection);
  bool changed[ListKindCount] = {false, false, false};
  ReleaseSubtree(tree, owned.get(), changed);
  for (int k = 0; k < ListKindCount; ++k)
    if (changed[k])
      if (TRecordList* list = tree->List(TListKind(k))) list->PackAndRenumber();
  owned.reset();
}

void FreeDetachedNode(std::unique_ptr<TNode> node) {
  if (!node) return;
  bool changed[ListKindCount] = {false, false, false};
  ReleaseSubtree(nullptr, node.get(), changed);
}

void UnloadFiles(TNode* container) {
  TItemRec* rec = container->Record;
  if (!rec || (KindOf(rec) != ikDisk && KindOf(rec) != ikFolder)) return;
  TContainerInfo info = ContainerInfo(rec);
  if (!*info.FilesLoaded || *info.FilesOffset < 0) return;
  if (TCatalogRec* cat = CatalogOf(container); !cat || !cat->Stream) return;
  bool changed[ListKindCount] = {false, false, false};
  ReleaseItems(container, false, true, changed);
}

}  // namespace tf

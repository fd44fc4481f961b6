#pragma once
// The catalog tree: one top-level node per open catalog, its disks below it, and below a disk
// its folders (archives shown as folders included). Only folder levels that have been read
// exist as nodes. The tree owns its nodes, and each node owns its record; windows show the
// tree through a model that learns of every change from TTreeObserver.

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/Records.h"

namespace tf {

struct TNode {
  std::string Caption;  // the item's name
  TNode* Parent = nullptr;
  std::vector<std::unique_ptr<TNode>> Children;
  TItemRec* Record = nullptr;
  TCatalogTree* Tree = nullptr;  // set on the invisible root only; see TreeOf
  int Row = 0;                   // position among the parent's children
  bool HasButton = false;  // shows an expand button: subfolders still lie in the file
  bool Bold = false;
  bool Expanded = false;

  int ChildCount() const { return int(Children.size()); }
  TNode* Child(int i) const { return Children[std::size_t(i)].get(); }
  uint8_t Kind() const { return Record ? KindOf(Record) : 0; }
};

// Learns of every change of the tree. The Qt model turns these into begin/end calls.
class TTreeObserver {
 public:
  virtual ~TTreeObserver() = default;
  virtual void NodesAboutToBeInserted(TNode* /*parent*/, int /*first*/, int /*last*/) {}
  virtual void NodesInserted(TNode* /*parent*/, int /*first*/, int /*last*/) {}
  virtual void NodesAboutToBeRemoved(TNode* /*parent*/, int /*first*/, int /*last*/) {}
  virtual void NodesRemoved(TNode* /*parent*/, int /*first*/, int /*last*/) {}
  virtual void ChildrenAboutToBeReordered(TNode* /*parent*/) {}
  virtual void ChildrenReordered(TNode* /*parent*/) {}
  virtual void NodeChanged(TNode* /*node*/) {}
  virtual void SelectionChanged(TNode* /*node*/) {}
  // The selected node is about to be deleted: the item list must drop the rows it shows.
  virtual void ItemListMustClear() {}
  // A catalog's Modified changed: command states (Save) need refreshing.
  virtual void CatalogModifiedChanged(TNode* /*catalog*/) {}
};

// A window's list of records (search results, duplicates, user list). Each record keeps its
// position in the list, modulo 32768, so that freeing a record can empty its entry quickly.
enum class TListKind { Search = 0, UserList = 1, Duplicates = 2 };
constexpr int ListKindCount = 3;

class TRecordList {
 public:
  virtual ~TRecordList() = default;
  virtual int Count() const = 0;
  virtual TItemRec* At(int i) const = 0;  // null for an emptied entry
  virtual void Empty(int i) = 0;
  // Drops emptied entries and renumbers the records' stored positions.
  virtual void PackAndRenumber() = 0;
};

int16_t& ListIndexOf(TItemRec* rec, TListKind kind);
// The stored form of a list position: modulo 32768 (40000 is stored as 7232).
inline int16_t StoredListIndex(int position) { return int16_t(position % 32768); }

// A plain vector-backed list with the back-index rule; windows and tests use it.
class TRecordVector : public TRecordList {
 public:
  explicit TRecordVector(TListKind kind) : kind_(kind) {}
  int Count() const override { return int(items_.size()); }
  TItemRec* At(int i) const override { return items_[std::size_t(i)]; }
  void Empty(int i) override { items_[std::size_t(i)] = nullptr; }
  void PackAndRenumber() override;
  void Add(TItemRec* rec);
  void Clear();  // forgets every entry and resets the records' positions
  TListKind Kind() const { return kind_; }
  const std::vector<TItemRec*>& Items() const { return items_; }

 private:
  TListKind kind_;
  std::vector<TItemRec*> items_;
};

class TCatalogTree {
 public:
  TCatalogTree();
  ~TCatalogTree();
  TCatalogTree(const TCatalogTree&) = delete;
  TCatalogTree& operator=(const TCatalogTree&) = delete;

  // The invisible root; its children are the open catalogs.
  TNode* Root() { return &root_; }
  int CatalogCount() const { return root_.ChildCount(); }
  TNode* Catalog(int i) const { return root_.Child(i); }

  void AddObserver(TTreeObserver* observer);
  void RemoveObserver(TTreeObserver* observer);

  // Appends nodes as the last children of parent, telling observers once for all of them.
  void AppendChildren(TNode* parent, std::vector<std::unique_ptr<TNode>> nodes);
  TNode* AppendChild(TNode* parent, std::unique_ptr<TNode> node);
  // Removes a node with its subtree from the tree and frees the nodes (not their records).
  void RemoveNode(TNode* node);
  // Reorders parent's children by a strict weak order (stable). While SearchRunning the
  // search thread walks children without a lock, so the order is kept for later instead (the
  // last one asked for each node) and false returned; RunDeferredSorts puts them in place.
  using TNodeOrder = std::function<bool(const TNode*, const TNode*)>;
  bool SortChildren(TNode* parent, TNodeOrder less);
  // When a run has ended: the orders asked for meanwhile.
  void RunDeferredSorts();
  void NotifyChanged(TNode* node);
  void NotifyCatalogModified(TNode* catalog);

  TNode* Selected() const { return selected_; }
  void Select(TNode* node);

  // The windows' lists; null while the window that owns one does not exist.
  TRecordList* List(TListKind kind) const { return lists_[std::size_t(kind)]; }
  void SetList(TListKind kind, TRecordList* list) { lists_[std::size_t(kind)] = list; }

  // Set while the search thread runs; catalog-changing commands are refused meanwhile.
  bool SearchRunning = false;

  // Frees every catalog (records, streams, nodes); used at shutdown and by tests.
  void Clear();

 private:
  friend void DeleteItemNode(TNode* node);
  void NotifyItemListMustClear();
  void ForgetDeferredSorts(const TNode* node);  // node and everything below it
  TNode root_;
  TNode* selected_ = nullptr;
  std::vector<TTreeObserver*> observers_;
  std::array<TRecordList*, ListKindCount> lists_{};
  std::vector<std::pair<TNode*, TNodeOrder>> deferredSorts_;
};

// A new node carrying rec (rec->Node is set); not yet in a tree.
std::unique_ptr<TNode> MakeNode(std::string caption, TItemRec* rec);

// The tree a node belongs to; null for a node not (yet) in a tree.
TCatalogTree* TreeOf(const TNode* node);
// The nearest node of that kind at or above node; null when none.
TNode* FindAbove(TNode* node, uint8_t kind);
inline TNode* DiskNodeOf(TNode* node) { return FindAbove(node, ikDisk); }
inline TNode* CatalogNodeOf(TNode* node) { return FindAbove(node, ikCatalog); }
TCatalogRec* CatalogOf(TNode* node);
// Depth of a folder below its disk: 1 for a folder in the disk's root; 0 for the disk.
int FolderDepth(const TNode* node);

// Marks the disk at or above node changed and its catalog modified (or not).
void SetDiskChanged(TNode* node, bool value);
// Marks the catalog at or above node modified (or not) and refreshes command states.
void SetCatalogModified(TNode* node, bool value);
// "\" for a disk, "\GAMES\DOOM" for a folder DOOM in GAMES in the root; cached per folder.
std::string GetFolderPath(TNode* node);
// Drops the cached paths of a folder and of every folder below it.
void ClearPathCaches(TNode* node);

// Releases the records of one node: its file chain, and its own record when free is set.
// Unless keepLists, each freed item is removed from the windows' lists and the matching
// changed flag (indexed by TListKind) is set.
void ReleaseItems(TNode* node, bool free, bool keepLists, bool changed[ListKindCount]);
// Removes a catalog, disk or folder node with everything below it, from the tree and the lists.
void DeleteItemNode(TNode* node);
// Drops a container's file chain so that the next LoadFiles reads it again from the file. Does
// nothing to a chain that is not stored in the file (it could not be read back).
void UnloadFiles(TNode* container);

// Frees a node's subtree that is not (or no longer) in a tree: records, file chains, nodes.
void FreeDetachedNode(std::unique_ptr<TNode> node);

// Appends a file record at the end of a container's chain; last is the current last record
// (null when the chain is empty) and is updated.
void LinkFile(TItemRec* container, TFileRec*& last, TFileRec* file);

}  // namespace tf

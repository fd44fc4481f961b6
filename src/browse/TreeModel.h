#pragma once
// The catalog tree as a Qt item model, over the store's own node tree (store/Tree.h). The
// model holds no copy of anything: an index points at its TNode, and the tree tells the
// model of every change, a folder level read from the catalog file arriving as one
// insertion.

#include <QAbstractItemModel>
#include <functional>

#include "store/Tree.h"

namespace tf {

class TIconList;

class TCatalogTreeModel final : public QAbstractItemModel, public TTreeObserver {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TCatalogTreeModel)

 public:
  TCatalogTreeModel(TCatalogTree& tree, TIconList& icons, QObject* parent = nullptr);
  ~TCatalogTreeModel() override;

  TNode* NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOf(const TNode* node) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& index) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // The end of editing a label in place. While it is set, the labels of disks and catalogs
  // can be edited; the handler renames (or not) and the model shows what the node holds.
  std::function<bool(TNode* node, const QString& text)> OnEdited;

  // TTreeObserver
  void NodesAboutToBeInserted(TNode* parent, int first, int last) override;
  void NodesInserted(TNode* parent, int first, int last) override;
  void NodesAboutToBeRemoved(TNode* parent, int first, int last) override;
  void NodesRemoved(TNode* parent, int first, int last) override;
  void ChildrenAboutToBeReordered(TNode* parent) override;
  void ChildrenReordered(TNode* parent) override;
  void NodeChanged(TNode* node) override;
  void SelectionChanged(TNode* node) override;

 private:
  TCatalogTree& tree_;
  TIconList& icons_;
  TNode* shownSelected_ = nullptr;  // the node drawn with the open-folder icon
  QModelIndexList reordering_;      // persistent indexes held across a reorder
  std::vector<TNode*> reorderingNodes_;
};

}  // namespace tf

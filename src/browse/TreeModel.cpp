#include "browse/TreeModel.h"

#include <QFont>

#include "browse/Icons.h"
#include "text/Text.h"

namespace tf {

TCatalogTreeModel::TCatalogTreeModel(TCatalogTree& tree, TIconList& icons, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree), icons_(icons) {
  tree_.AddObserver(this);
  shownSelected_ = tree_.Selected();
}

TCatalogTreeModel::~TCatalogTreeModel() { tree_.RemoveObserver(this); }

TNode* TCatalogTreeModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<TNode*>(index.internalPointer()) : tree_.Root();
}

QModelIndex TCatalogTreeModel::IndexOf(const TNode* node) const {
  if (!node || node == tree_.Root() || !node->Parent) return {};
  return createIndex(node->Row, 0, const_cast<TNode*>(node));
}

QModelIndex TCatalogTreeModel::index(int row, int column, const QModelIndex& parent) const {
  TNode* p = NodeOf(parent);
  if (column != 0 || row < 0 || row >= p->ChildCount()) return {};
  return createIndex(row, 0, p->Child(row));
}

QModelIndex TCatalogTreeModel::parent(const QModelIndex& index) const {
  if (!index.isValid()) return {};
  return IndexOf(NodeOf(index)->Parent);
}

int TCatalogTreeModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  return NodeOf(parent)->ChildCount();
}

int TCatalogTreeModel::columnCount(const QModelIndex&) const { return 1; }

bool TCatalogTreeModel::hasChildren(const QModelIndex& parent) const {
  TNode* n = NodeOf(parent);
  return n->ChildCount() > 0 || n->HasButton;
}

QVariant TCatalogTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  TNode* n = NodeOf(index);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: return QString::fromStdString(ToDisplay(n->Caption));
    case Qt::DecorationRole: {
      switch (n->Kind()) {
        case ikCatalog: return icons_.Icon(IconCatalog);
        case ikDisk:
          return icons_.Icon(icons_.DriveIcon(static_cast<TDiskRec*>(n->Record)->MediaType));
        case ikFolder: {
          bool open = n == tree_.Selected();
          if (HasFlag(n->Record, InArchive))
            return icons_.Icon(open ? IconZipOpenFolder : IconZipFolder);
          return icons_.Icon(open ? IconFolderOpen : IconFolder);
        }
        default: return {};
      }
    }
    case Qt::FontRole:
      if (n->Bold) {
        QFont f;
        f.setBold(true);
        return f;
      }
      return {};
    default: return {};
  }
}

Qt::ItemFlags TCatalogTreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  uint8_t kind = NodeOf(index)->Kind();
  if (OnEdited && (kind == ikDisk || kind == ikCatalog)) f |= Qt::ItemIsEditable;
  return f;
}

bool TCatalogTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !OnEdited) return false;
  return OnEdited(NodeOf(index), value.toString());
}

void TCatalogTreeModel::NodesAboutToBeInserted(TNode* parent, int first, int last) {
  beginInsertRows(IndexOf(parent), first, last);
}

void TCatalogTreeModel::NodesInserted(TNode*, int, int) { endInsertRows(); }

void TCatalogTreeModel::NodesAboutToBeRemoved(TNode* parent, int first, int last) {
  for (int i = first; i <= last; ++i) {
    // A removed node may be the one shown open; forget it before it is freed.
    for (TNode* n = shownSelected_; n; n = n->Parent)
      if (n == parent->Child(i)) shownSelected_ = nullptr;
  }
  beginRemoveRows(IndexOf(parent), first, last);
}

void TCatalogTreeModel::NodesRemoved(TNode*, int, int) { endRemoveRows(); }

void TCatalogTreeModel::ChildrenAboutToBeReordered(TNode* parent) {
  QModelIndex p = IndexOf(parent);
  Q_EMIT layoutAboutToBeChanged({QPersistentModelIndex(p)}, VerticalSortHint);
  reordering_.clear();
  reorderingNodes_.clear();
  for (const QModelIndex& i : persistentIndexList()) {
    if (i.isValid() && NodeOf(i)->Parent == parent) {
      reordering_.push_back(i);
      reorderingNodes_.push_back(NodeOf(i));
    }
  }
}

void TCatalogTreeModel::ChildrenReordered(TNode* parent) {
  QModelIndexList now;
  for (TNode* n : reorderingNodes_) now.push_back(createIndex(n->Row, 0, n));
  changePersistentIndexList(reordering_, now);
  reordering_.clear();
  reorderingNodes_.clear();
  Q_EMIT layoutChanged({QPersistentModelIndex(IndexOf(parent))}, VerticalSortHint);
}

void TCatalogTreeModel::NodeChanged(TNode* node) {
  QModelIndex i = IndexOf(node);
  if (i.isValid()) Q_EMIT dataChanged(i, i);
}

void TCatalogTreeModel::SelectionChanged(TNode* node) {
  // The folder icon opens on the selected node and closes on the one before.
  TNode* before = shownSelected_;
  shownSelected_ = node;
  if (before) NodeChanged(before);
  if (node) NodeChanged(node);
}

}  // namespace tf

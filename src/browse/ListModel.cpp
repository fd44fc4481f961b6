#include "browse/ListModel.h"

#include "browse/Icons.h"
#include "browse/ItemText.h"

namespace tf {

TItemListModel::TItemListModel(TItemList& list, TIconList& icons, QObject* parent)
    : QAbstractTableModel(parent), list_(list), icons_(icons) {}

TItemRec* TItemListModel::RecordAt(const QModelIndex& index) const {
  return index.isValid() ? list_.At(index.row()) : nullptr;
}

int TItemListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : list_.Count();
}

int TItemListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(ColumnsOf(list_.Columns()).size());
}

QVariant TItemListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
      TItemInfo info = ListViewVMGetItemInfo(TListSender::MainList, list_.Items(), index.row(),
                                             InfoText, index.column(), nullptr, nullptr);
      return QString::fromStdString(info.Text);
    }
    case Qt::DecorationRole: {
      if (index.column() != 0) return {};
      TItemInfo info = ListViewVMGetItemInfo(TListSender::MainList, list_.Items(), index.row(),
                                             InfoIcon, 0, nullptr, &icons_);
      if (info.Icon < 0) return {};
      return icons_.Icon(info.Icon);
    }
    case Qt::TextAlignmentRole: {
      // Left needs no saying, and must not be said: the icon views centre their captions.
      auto columns = ColumnsOf(list_.Columns());
      if (index.column() >= int(columns.size())) return {};
      switch (columns[std::size_t(index.column())].Align) {
        case TColumnDef::Right: return int(Qt::AlignRight | Qt::AlignVCenter);
        case TColumnDef::Center: return int(Qt::AlignHCenter | Qt::AlignVCenter);
        case TColumnDef::Left: break;
      }
      return {};
    }
    default: return {};
  }
}

QVariant TItemListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  auto columns = ColumnsOf(list_.Columns());
  if (section < 0 || section >= int(columns.size())) return {};
  const TColumnDef& c = columns[std::size_t(section)];
  if (role == Qt::DisplayRole) return QString::fromLatin1(c.Title);
  if (role == Qt::TextAlignmentRole) {
    switch (c.Align) {
      case TColumnDef::Right: return int(Qt::AlignRight | Qt::AlignVCenter);
      case TColumnDef::Center: return int(Qt::AlignHCenter | Qt::AlignVCenter);
      case TColumnDef::Left: break;
    }
    return int(Qt::AlignLeft | Qt::AlignVCenter);
  }
  return {};
}

Qt::ItemFlags TItemListModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  TItemRec* rec = list_.At(index.row());
  if (OnEdited && index.column() == 0 && rec && KindOf(rec) == ikDisk) f |= Qt::ItemIsEditable;
  return f;
}

bool TItemListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !OnEdited) return false;
  return OnEdited(index.row(), value.toString());
}

}  // namespace tf

#pragma once
// The browser list as a Qt item model over TItemList: a virtual list that holds no text.
// Views ask for the cells they paint, and the texts come from ListViewVMGetItemInfo.

#include <QAbstractTableModel>
#include <functional>

#include "browse/ItemList.h"

namespace tf {

class TIconList;

class TItemListModel final : public QAbstractTableModel {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TItemListModel)

 public:
  TItemListModel(TItemList& list, TIconList& icons, QObject* parent = nullptr);

  // Wrap every change of the list's rows or columns.
  void BeginChange() { beginResetModel(); }
  void EndChange() { endResetModel(); }

  TItemRec* RecordAt(const QModelIndex& index) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // The end of editing a row's name in place. While it is set, the names of disk rows can be
  // edited; the handler renames (or not).
  std::function<bool(int row, const QString& text)> OnEdited;

 private:
  TItemList& list_;
  TIconList& icons_;
};

}  // namespace tf

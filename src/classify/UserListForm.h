#pragma once
// The User List window: a sortable virtual list of the items the user collected, with a
// dockable tool bar of item actions, a context menu and a three-panel status bar. The list
// itself (TUserList, UserList.h) lives as long as the window; the window is made on first use
// and hidden, never destroyed, when closed.

#include <functional>
#include <vector>

#include <QAbstractTableModel>
#include <QFont>
#include <QMainWindow>

#include "browse/RecordViews.h"
#include "classify/UserList.h"

class QAction;
class QLabel;
class QListView;
class QMenu;
class QStackedWidget;
class QToolBar;
class QTreeView;
class QAbstractItemView;

namespace tf {

class TIconList;
class TMainForm;
class TSettingsKey;
class TUserPrompts;
struct TOptions;

// The user list as a Qt model: the texts come from the program's one text service.
class TUserListModel final : public QAbstractTableModel {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TUserListModel)

 public:
  TUserListModel(TUserList& list, TIconList& icons, QObject* parent = nullptr);
  void BeginChange() { beginResetModel(); }
  void EndChange() { endResetModel(); }
  TItemRec* RecordAt(const QModelIndex& index) const;
  bool Hints = true;  // rows show their description as a tooltip

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  TUserList& list_;
  TIconList& icons_;
};

class TUserListForm final : public QMainWindow {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TUserListForm)

 public:
  // What the window's actions reach beyond the list.
  struct THost {
    TMainForm& Main;
    TUserPrompts& Prompts;
    std::function<TOptions()> Options;
    std::function<void(TNode* node, TItemRec* record)> Properties;
    std::function<bool(const std::vector<TItemRec*>& items)> SetCategories;
    // "Generate Report"; the button is not shown without it.
    std::function<void()> GenerateReport;
    // Items came or went: the main window's and the search window's commands follow.
    std::function<void()> Changed;
    // Where the tool bar's position is kept; null: not kept.
    TSettingsKey* Settings = nullptr;
  };

  TUserListForm(TUserList& list, THost host, QWidget* parent = nullptr);
  ~TUserListForm() override;

  TUserList& List() { return list_; }
  // After a batch of additions: sorted by the current column, the view, buttons and status.
  void RefreshAfterAdding();
  // After records left the list from outside (a catalog closed, a disk deleted).
  void ListPacked();
  // The settings in force: double click, hints, tool bar button size and flatness.
  void ApplySettings(const TOptions& options);

  // The focused row's record, and the selected records in row order.
  TItemRec* FocusedItem() const;
  std::vector<TItemRec*> SelectedItems() const;
  QAbstractItemView* ActiveView() const;
  int ViewStyle() const { return viewStyle_; }
  void SetViewStyle(int style);  // 0 large icons, 1 list, 2 small icons, 3 details

  // Handlers, named after their controls.
  void BtnLocateClick();
  void BtnEditDescClick();
  void BtnPropertiesClick();
  void BtnExplorerClick();
  void BtnLaunchClick();
  void BtnSetCatClick();
  void BtnDeleteClick();
  void BtnClearClick();
  void BtnReportClick();
  void UserListViewColumnClick(int column);
  void UserListViewDblClick();
  // Prepares the context menu for the focused row; false when there is none.
  bool UserListPopupPopup();
  void UpdateButtons();
  void UpdateStatus();

  QTreeView* UserListView = nullptr;  // details
  QListView* IconView = nullptr;      // large icons, list, small icons
  QToolBar* UserListToolbar = nullptr;
  QAction* BtnLargeIcons = nullptr;
  QAction* BtnList = nullptr;
  QAction* BtnSmallIcons = nullptr;
  QAction* BtnDetails = nullptr;
  TViewButtons ViewButtons() { return {BtnLargeIcons, BtnList, BtnSmallIcons, BtnDetails}; }
  QAction* BtnReport = nullptr;
  QAction* BtnLocate = nullptr;
  QAction* BtnEditDesc = nullptr;
  QAction* BtnProperties = nullptr;
  QAction* BtnExplorer = nullptr;
  QAction* BtnLaunch = nullptr;
  QAction* BtnSetCat = nullptr;
  QAction* BtnDelete = nullptr;
  QAction* BtnClear = nullptr;
  QMenu* UserListPopup = nullptr;
  QAction* PopupLocate = nullptr;
  QAction* PopupEditDesc = nullptr;
  QAction* PopupExplorer = nullptr;
  QAction* PopupLaunch = nullptr;
  QAction* PopupSetCat = nullptr;
  QAction* PopupRemove = nullptr;
  QAction* PopupProperties = nullptr;
  QLabel* StatusTotal = nullptr;      // panel 0
  QLabel* StatusItem = nullptr;       // panel 1
  QLabel* StatusSelection = nullptr;  // panel 2
  TUserListModel* Model = nullptr;

  static constexpr int StatusPanel0Width = 140;

 protected:
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateActions();
  void LayoutStatusPanels();
  void Reset(const std::function<void()>& change);
  void RunCommand(TUserListCommand command);
  void RestoreToolbar();
  bool ArchivesAsFiles() const;

  TUserList& list_;
  THost host_;
  QStackedWidget* stack_ = nullptr;
  int viewStyle_ = 3;
  bool toolbarHiddenByUs_ = false;
};

inline constexpr char UserListToolbarValue[] = "UserListToolbar";

}  // namespace tf

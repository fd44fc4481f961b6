#pragma once
// The main window: the catalog tree (DBTree) beside the item list (ListView in details view,
// IconView in the three icon views), with the View and sort commands, navigation, the status
// bar and the description hints.
//
// The commands on items (launching, opening folders, deleting and renaming disks, editing
// descriptions, adding and updating disks, the context menus) live in MainActions.cpp; they
// reach the media, the drives and the shell through the services the application sets.
//
// The window owns no catalog data: the tree of open catalogs is the store's TCatalogTree,
// which the window observes, and the list shows the window's TItemList. Other commands
// (opening, saving and closing catalogs, settings, item commands) add their menu entries and
// toolbar buttons to MenuFile, MenuEdit, MenuView and ToolBar, add catalogs with
// AddCatalogNode and select with SelectNode; every change of the catalogs reaches the window
// through the tree.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <QFont>
#include <QMainWindow>

#include "settings/Options.h"
#include "browse/ItemActions.h"
#include "browse/ItemList.h"
#include "browse/WaitForm.h"
#include "report/Report.h"
#include "store/Tree.h"

class QAction;
class QActionGroup;
class QLabel;
class QListView;
class QMenu;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QTreeView;
class QAbstractItemView;
class QKeyEvent;
class QModelIndex;

namespace tf {

class TCatalogTreeModel;
class TIconList;
class TItemListModel;
class THintStyle;
class TIconCellDelegate;
class TUserPrompts;
class TAddDiskForm;
class TDescAssistForm;
class TImportForm;
class TReportForm;
class TDrives;
class TMediaDetector;
class TSettingsKey;
class TShell;

// View styles of the item list.
enum TViewStyle : int { ViewLargeIcons = 0, ViewSmallIcons = 1, ViewList = 2, ViewDetails = 3 };

class TMainForm final : public QMainWindow, public TTreeObserver, public TStatusDisplay {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TMainForm)

 public:
  // tree and prompts must outlive the window.
  TMainForm(TCatalogTree& tree, TUserPrompts& prompts, QWidget* parent = nullptr);
  ~TMainForm() override;

  TCatalogTree& Tree() { return tree_; }
  TItemList& Items() { return itemList_; }
  TIconList& Icons() { return *icons_; }
  TCatalogTreeModel& TreeModel() { return *treeModel_; }
  TItemListModel& ListModel() { return *listModel_; }

  // Adds a catalog read or created elsewhere as the last top-level node, expanded so that its
  // disks show. Does not select it.
  TNode* AddCatalogNode(std::unique_ptr<TNode> catalog);
  // Selects a node in the tree and shows its content (null: nothing selected).
  void SelectNode(TNode* node);
  // Shows the content of the selected node again (after an update lock, say).
  void ShowSelection() { LoadItemList(tree_.Selected()); }
  // Opens a node in the tree so that its children show.
  void ExpandNode(TNode* node);
  void FocusTree();

  // The browser's share of the settings: the ".." entry, archive sorting, description hints,
  // the status bar and the toolbar. Run when the settings change and at the first showing.
  void ApplyBrowseSettings(const TOptions& options);
  const TOptions& BrowseOptions() const { return options_; }
  // The fonts of the tree, the list and the description hints.
  void SetFonts(const QFont& tree, const QFont& list, const QFont& tips);

  // While the lock is above 0 a change of the tree selection does not reload the list and
  // the command states are not refreshed (closing catalogs, closing the window). Unlocking
  // never goes below 0.
  void LockUpdates() { ++updateLock_; }
  void UnlockUpdates();
  int UpdateLock() const { return updateLock_; }

  // Fills the list for a node, then sorts it; the status says "Loading files...".
  void LoadItemList(TNode* node);
  // Sorts the list again (resort) or reverses it, then the selected node's tree children.
  void SortItems(bool resort);
  void SetViewStyle(int style);
  int ViewStyle() const { return viewStyle_; }
  // The rest of the view state kept between runs: the tree pane's width and the sort state.
  int TreePaneWidth() const;
  void SetTreePaneWidth(int width);
  void SetSortState(int diskKey, int fileKey, bool reverse);
  // Command states: the item commands, and with full also the window-wide, view and sort
  // commands and the status bar.
  void UpdateActions(bool full);
  void RefreshStatus();
  // The tree and both list views painted anew and the status refreshed (after records
  // changed in place).
  void RepaintViews();
  // mode 0 idle (the status bar is refreshed); 2 busy; 3 busy with the hourglass pointer.
  void ShowStatusText(const std::string& text, int mode) override;
  bool Busy() const { return busy_; }
  // The view that shows the list in the current style.
  QAbstractItemView* ActiveListView() const;
  // Records of the selected rows, in row order.
  std::vector<TItemRec*> SelectedRecords() const;

  // Handlers, named after their controls.
  void DBTreeChange(TNode* node);
  void DBTreeExpanding(TNode* node);
  void ListViewDblClick();
  void ListViewColumnClick(int column);
  void TreeOrListEnter(bool alt);
  void ButtonBackClick();
  void MenuSortClick(int key);
  void ButtonReverseSortClick();

  // ---- item commands (MainActions.cpp)

  // What the item and cataloguing commands run on; set once by the application. Until then
  // the commands that need them (launching, folders, descriptions, adding and updating
  // disks) are not shown.
  struct TItemServices {
    TDrives* Drives = nullptr;
    TMediaDetector* Media = nullptr;
    TShell* Shell = nullptr;
    // Where folder drives are kept (the settings key); null: none can be added.
    TSettingsKey* FolderDrives = nullptr;
    // The settings in force, and a change of them made here ("Save as default" in the Add
    // New Disk window). Without them the window's own copy of the settings serves.
    std::function<TOptions()> Options;
    std::function<void(const TOptions&)> SetOptions;
  };
  void SetServices(TItemServices services);
  bool HasServices() const;

  // The controls' state as the item commands see it, and a command's target.
  TCommandContext CommandContext() const;
  TActionTarget Target(TCommandSource source) const { return ActionTarget(source, CommandContext()); }
  // The tree is the active control (it, not the list, had the focus last).
  bool TreeActive() const;

  void MenuLaunchClick(TCommandSource source);
  void MenuOpenExplorerClick(TCommandSource source);
  void EditDescClick(TCommandSource source);
  // Add (update false) or update (the disk that source's target is) a disk.
  void MenuAddDiskClick(bool update, TCommandSource source);
  void TreeMenuDeleteDiskClick();
  void ListMenuDeleteDiskClick();
  void RenameClick();          // the tree menu's "Rename"
  void ListMenuRenameClick();  // the list menu's "Rename"
  void MenuRenameItemClick();
  void ListMenuSwitchClick();
  // End of in-place editing; false when the name stays.
  bool DBTreeEdited(TNode* node, const QString& text);
  bool ListViewEdited(int row, const QString& text);
  // The context menus: entries shown for the node (null: empty space) or the focused row.
  void TreeViewPopupShow(TNode* node);
  bool ListViewPopupPopup();
  // The drive of the last add or update ('C' at the start).
  char LastDrive() const { return lastDrive_; }

  // ---- classification commands (MainActions.cpp)

  // The windows behind the properties, user list and category commands, given once by whoever
  // owns them. Until then those commands are not shown.
  struct TClassifyHooks {
    // The properties of an item: its node (a file's container) and its record.
    std::function<void(TNode* node, TItemRec* record)> Properties;
    // Set Categories and Flags for the records; true when they changed.
    std::function<bool(const std::vector<TItemRec*>& items)> SetCategories;
    // Categories Setup for the selected node; true after OK.
    std::function<bool(TNode* selected)> CategoriesSetup;
    // Adds the records to the user list (its window made on first use) and refreshes it.
    std::function<void(const std::vector<TItemRec*>& items)> AddToUserList;
    std::function<void()> ViewUserList;
    // The properties of a volume that the Add New Disk window read (not in a catalog yet).
    std::function<void(const TDiskRec& volume, char drive, TNode* catalog)> DiskInfo;
  };
  void SetClassifyHooks(TClassifyHooks hooks);
  bool HasClassifyHooks() const { return bool(classify_.Properties); }

  void PropertiesClick(TCommandSource source);
  void MenuCatalogInfoClick();
  void MenuSetCatClick(TCommandSource source);
  void MenuCategoriesClick();
  void ButtonAddListClick(TCommandSource source);
  void ButtonUserListClick();
  // A click on status panel 1: the properties, as the toolbar button.
  void StatusBarClick();

  // The item commands for other windows' items (user list, search results): the record and,
  // for a file, its container come from the record itself.
  // Selects the item in the tree and its row in the list.
  void LocateItem(TItemRec* rec);
  void EditItemDescription(TItemRec* rec);
  void LaunchRecord(TItemRec* rec);
  void OpenRecordFolder(TItemRec* rec);
  // The windows of these commands, created at first use (null before).
  TAddDiskForm* AddDiskWindow() const { return addDiskForm_; }
  TDescAssistForm* DescAssistWindow() const { return descAssistForm_; }

  // ---- the search window's commands (MainActions.cpp)

  // The search window, given once by whoever owns it. Until then its commands are not shown.
  struct TSearchHooks {
    // Shows the search window (made on first use) in normal or duplicates mode.
    std::function<void(bool duplicates)> Open;
    // The mode of the run going on: -1 none, 0 a search, 1 a duplicates scan.
    std::function<int()> RunningMode;
    // Records changed in place (descriptions, names, categories): the results are painted anew.
    std::function<void()> Repaint;
  };
  void SetSearchHooks(TSearchHooks hooks);
  bool HasSearchHooks() const { return bool(search_.Open); }
  // "Search for &Files" (and its button) and "&Scan for Duplicates".
  void MenuSearchClick(bool duplicates);
  QAction* MenuSearch = nullptr;
  QAction* MenuDuplicates = nullptr;

  // ---- the Report Generator and the import (MainReport.cpp)

  // "&Report Generator" and the report buttons of the other windows: the report window
  // (made at first use) for the window that asked; on OK the report is written.
  void ButtonPrintClick(TReportSource from = TReportSource::CatalogItem);
  // "&Import from Kestrevane": the question, the import window, then the database as a new
  // catalog, selected and expanded.
  void MenuImportClick();
  // The lists the Report Generator offers besides the tree's selection, in list order. The
  // search window and the user list set them when they are built (the search window gives
  // its current list, results or duplicates); unset, the lists registered with the tree serve.
  std::function<std::vector<TItemRec*>()> ReportSearchResults;
  std::function<std::vector<TItemRec*>()> ReportUserList;
  // The disk or folder whose file list a report being written reads now; null when none.
  TNode* ReportWalking() const { return reportWalking_; }
  // The windows of these commands, made at first use (null before).
  TReportForm* ReportWindow() const { return reportForm_; }
  TImportForm* ImportWindow() const { return importForm_; }
  QAction* MenuReportGen = nullptr;
  QAction* MenuImport = nullptr;

  // Menus and toolbar, for other commands to add to.
  QMenu* MenuFile = nullptr;
  QMenu* MenuEdit = nullptr;
  QMenu* MenuView = nullptr;
  QToolBar* ToolBar = nullptr;

  // Controls.
  QTreeView* DBTree = nullptr;
  QTreeView* ListView = nullptr;  // details view
  QListView* IconView = nullptr;  // large icons, small icons, list
  QLabel* StatusState = nullptr;      // panel 0
  QLabel* StatusItem = nullptr;       // panel 1
  QLabel* StatusSelection = nullptr;  // panel 2
  QLabel* StatusLight = nullptr;      // panel 3

  // Commands. The catalog file and settings commands are connected by the application.
  QAction* MenuNew = nullptr;
  QAction* MenuOpen = nullptr;
  QAction* MenuSave = nullptr;
  QAction* MenuSaveAs = nullptr;
  QAction* MenuClose = nullptr;
  QAction* MenuCloseAll = nullptr;
  QMenu* MenuReopen = nullptr;  // the recent files, filled by the application
  QMenu* MenuSettings = nullptr;
  // "&General Settings", "Disk &Image Settings", "&Fonts Setup", "&Description Assistant",
  // "Catalog &Auto-loading": the pages of the Settings window.
  QAction* MenuSettingsPage[5] = {};
  QAction* MenuExit = nullptr;
  QAction* MenuBackLevel = nullptr;
  QAction* MenuLargeIcons = nullptr;
  QAction* MenuSmallIcons = nullptr;
  QAction* MenuList = nullptr;
  QAction* MenuDetails = nullptr;
  QMenu* MenuSortItems = nullptr;
  QAction* MenuSortA[6] = {};  // folder and file lists, keys 0 to 5
  QAction* MenuSortB[5] = {};  // disk lists, keys 0 to 4
  QAction* MenuReverseSort = nullptr;
  QAction* ButtonSort[4] = {};  // keys 0 to 3
  // Item commands: the "&Edit" menu's and the toolbar's (ButtonExplorer, ButtonLaunch,
  // ButtonEditDesc), the "&Catalog" menu's (ButtonAddDisk), and the context menus'.
  QMenu* MenuCatalog = nullptr;
  QAction* MenuOpenExplorer = nullptr;
  QAction* MenuLaunchFile = nullptr;
  QAction* MenuEditDesc = nullptr;
  QAction* MenuAddDisk = nullptr;
  QAction* MenuRenameItem = nullptr;
  // Classification commands: "View &User List" (ButtonUserList), "&Add to User List"
  // (ButtonAddList), "Set &Category and Flags" (ButtonSetCat), "&Properties"
  // (ButtonProperties), "&Categories Setup" and "Catalog &Info".
  QAction* MenuUserList = nullptr;
  QAction* MenuAddUser = nullptr;
  QAction* MenuSetCat = nullptr;
  QAction* MenuProperties = nullptr;
  QAction* MenuCategories = nullptr;
  QAction* MenuCatalogInfo = nullptr;
  QMenu* TreeViewPopup = nullptr;
  QAction* TreeMenuRename = nullptr;
  QAction* TreeMenuNewDisk = nullptr;
  QAction* TreeMenuUpdateDisk = nullptr;
  QAction* TreeMenuDeleteDisk = nullptr;
  QAction* TreeMenuDescription = nullptr;
  QAction* TreeMenuEditGroups = nullptr;
  QAction* TreeMenuOpenExplorer = nullptr;
  QAction* TreeMenuAddList = nullptr;
  QAction* TreeMenuSetCat = nullptr;
  QAction* TreeMenuSeparator = nullptr;
  QAction* TreeMenuAddCat = nullptr;
  QAction* TreeMenuOpenCat = nullptr;
  QAction* TreeMenuSaveCat = nullptr;
  QAction* TreeMenuCloseCat = nullptr;
  QAction* TreeMenuSeparator2 = nullptr;
  QAction* TreeMenuProperties = nullptr;
  QMenu* ListViewPopup = nullptr;
  QAction* ListMenuSwitch = nullptr;
  QAction* ListMenuRename = nullptr;
  QAction* ListMenuUpdateDisk = nullptr;
  QAction* ListMenuDeleteDisk = nullptr;
  QAction* ListMenuDescription = nullptr;
  QAction* ListMenuOpenExplorer = nullptr;
  QAction* ListMenuLaunchFile = nullptr;
  QAction* ListMenuAddList = nullptr;
  QAction* ListMenuSetCat = nullptr;
  QAction* ListMenuSeparator = nullptr;
  QAction* ListMenuProperties = nullptr;

 Q_SIGNALS:
  // Status panel 0 was refreshed: the save commands are enabled exactly when it reads
  // "Modified".
  void SaveEnabledChanged(bool enabled);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // TTreeObserver
  void NodesAboutToBeRemoved(TNode* parent, int first, int last) override;
  void NodesRemoved(TNode* parent, int first, int last) override;
  void SelectionChanged(TNode* node) override;
  void ItemListMustClear() override;
  void CatalogModifiedChanged(TNode* catalog) override;

  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void SizeColumns();
  void UpdateStatusLight();
  void LayoutStatusPanels();
  void ShowReadError(TNode* node, const std::exception& e);
  void TreeCurrentChanged(const QModelIndex& current);
  void ListFocusIn(QAbstractItemView* view);
  void ListItemStatesChanged();
  bool ShowDescriptionHint(QWidget* viewport, QEvent* event);
  void RestoreRows(TItemRec* current, const std::vector<TItemRec*>& selected);

  // Item commands (MainActions.cpp).
  void CreateItemActions();
  void CreateClassifyActions();
  void UpdateClassifyActions(bool full, const TItemCommandState& state);
  void CreateSearchActions();
  void UpdateSearchActions();
  // The records a command from source acts on: the tree's node, or the list's selected rows
  // (the ".." row left out).
  std::vector<TItemRec*> CommandRecords(TCommandSource source) const;
  void UpdateItemActions(bool full);
  bool ItemKeyPress(QObject* watched, QKeyEvent* key);
  void FileDoubleClick(TItemRec* file);
  TOptions CurrentOptions() const;
  TShellCommands ShellCommands() const;
  void DeleteDiskNode(TNode* disk);
  TDescAssistForm* DescAssist();  // made at first use
  void EditListRow(int row);

  // The Report Generator and the import (MainReport.cpp).
  void CreateReportActions();
  void UpdateReportActions();

  TCatalogTree& tree_;
  TUserPrompts& prompts_;
  TOptions options_;
  TItemList itemList_;
  std::unique_ptr<TIconList> icons_;
  TCatalogTreeModel* treeModel_ = nullptr;
  TItemListModel* listModel_ = nullptr;
  THintStyle* hintStyle_ = nullptr;
  TIconCellDelegate* iconCells_ = nullptr;
  QStackedWidget* listStack_ = nullptr;
  QSplitter* splitter_ = nullptr;
  QActionGroup* viewGroup_ = nullptr;
  QFont plainTipFont_;  // of every other tooltip
  QFont descFont_;      // of description hints
  bool tipsFontShown_ = false;
  int viewStyle_ = ViewLargeIcons;
  int updateLock_ = 0;
  bool busy_ = false;
  bool hourglass_ = false;
  bool destroying_ = false;
  bool syncingTree_ = false;  // the tree view follows the store's selection
  int removing_ = 0;          // inside a removal of tree nodes
  bool columnsSized_ = false;
  TColumnSet sizedColumns_ = TColumnSet::Files;
  TItemServices services_;
  bool treeActive_ = true;  // the tree had the focus last, not the list
  char lastDrive_ = 'C';
  TAddDiskForm* addDiskForm_ = nullptr;
  TDescAssistForm* descAssistForm_ = nullptr;
  std::unique_ptr<TWaitProgress> descProgress_;
  TClassifyHooks classify_;
  TSearchHooks search_;
  TReportForm* reportForm_ = nullptr;
  TNode* reportWalking_ = nullptr;
  TImportForm* importForm_ = nullptr;
  std::unique_ptr<TWaitProgress> reportProgress_;
};

}  // namespace tf

// The main window's commands on items: launching and "Open in Explorer", deleting and
// renaming disks and catalogs, editing descriptions, adding and updating disks, the tree and
// list context menus and their keys. The logic is in ItemActions.h; here are the controls
// and the wiring.

#include "browse/Main.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QTreeView>

#include "settings/ScanOptions.h"
#include "browse/Icons.h"
#include "browse/ListModel.h"
#include "browse/Sort.h"
#include "browse/TreeModel.h"
#include "platform/Prompts.h"
#include "scan/AddDiskForm.h"
#include "scan/DescAssist.h"
#include "scan/WaitUpdateForm.h"
#include "text/Text.h"

namespace tf {

namespace {

TDescAssistForm::TSearchSettings DescSearchSettings(const TOptions& o) {
  TDescAssistForm::TSearchSettings s;
  s.Masks = o.DescList;
  s.Subfolders = o.DescAlwaysCheck;
  s.MaxLevels = o.DescMaxLevels;
  return s;
}

}  // namespace

void TMainForm::CreateItemActions() {
  auto make = [this](const char* name, const char* text, const char* hint = nullptr) {
    auto* a = new QAction(QString::fromLatin1(text), this);
    a->setObjectName(QLatin1String(name));
    if (hint) a->setToolTip(QString::fromLatin1(hint));
    return a;
  };
  // The "&Edit" menu and the toolbar share these: both find their target by the active
  // control, so one action serves both.
  MenuOpenExplorer = make("MenuOpenExplorer", "&Open in Explorer", "Open in Explorer");
  MenuOpenExplorer->setIcon(ToolIcon(TToolGlyph::Explorer));
  connect(MenuOpenExplorer, &QAction::triggered, this,
          [this] { MenuOpenExplorerClick(TCommandSource::EditMenu); });
  MenuLaunchFile = make("MenuLaunchFile", "&Launch File", "Launch File in Associated Program");
  MenuLaunchFile->setIcon(ToolIcon(TToolGlyph::Launch));
  connect(MenuLaunchFile, &QAction::triggered, this,
          [this] { MenuLaunchClick(TCommandSource::EditMenu); });
  MenuEditDesc = make("MenuEditDesc", "&Edit Description", "Edit Description");
  MenuEditDesc->setIcon(ToolIcon(TToolGlyph::EditDescription));
  MenuEditDesc->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  connect(MenuEditDesc, &QAction::triggered, this,
          [this] { EditDescClick(TCommandSource::EditMenu); });
  MenuAddDisk = make("MenuAddDisk", "&Add/Update Disk Image", "Add or Update Disk Image in Catalog");
  MenuAddDisk->setIcon(ToolIcon(TToolGlyph::AddDisk));
  MenuAddDisk->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
  connect(MenuAddDisk, &QAction::triggered, this,
          [this] { MenuAddDiskClick(false, TCommandSource::EditMenu); });
  MenuRenameItem = make("MenuRenameItem", "&Rename Disk");
  connect(MenuRenameItem, &QAction::triggered, this, [this] { MenuRenameItemClick(); });
  CreateClassifyActions();
  CreateSearchActions();

  MenuEdit->insertAction(MenuBackLevel, MenuSearch);
  MenuEdit->insertAction(MenuBackLevel, MenuDuplicates);
  MenuEdit->insertAction(MenuBackLevel, MenuUserList);
  MenuEdit->addSeparator();
  MenuEdit->addAction(MenuOpenExplorer);
  MenuEdit->addAction(MenuLaunchFile);
  MenuEdit->addAction(MenuAddUser);
  MenuEdit->addAction(MenuSetCat);
  MenuEdit->addAction(MenuEditDesc);
  MenuEdit->addAction(MenuProperties);
  MenuCatalog = new QMenu(QStringLiteral("&Catalog"), this);
  MenuCatalog->setObjectName(QStringLiteral("MenuCatalog"));
  MenuCatalog->addAction(MenuAddDisk);
  MenuCatalog->addAction(MenuCategories);
  MenuCatalog->addAction(MenuRenameItem);
  MenuCatalog->addAction(MenuCatalogInfo);
  if (MenuSettings)
    menuBar()->insertMenu(MenuSettings->menuAction(), MenuCatalog);
  else
    menuBar()->addMenu(MenuCatalog);

  // Toolbar: the add-disk button behind the file buttons, the item commands behind "Back".
  auto named = [this](QAction* a, const char* name) {
    if (QWidget* w = ToolBar->widgetForAction(a)) w->setObjectName(QLatin1String(name));
  };
  QList<QAction*> bar = ToolBar->actions();
  qsizetype back = bar.indexOf(MenuBackLevel);
  QAction* beforeBack = back > 0 ? bar[back - 1] : nullptr;
  QAction* afterBack = back >= 0 && back + 1 < bar.size() ? bar[back + 1] : nullptr;
  ToolBar->insertAction(beforeBack, MenuAddDisk);
  named(MenuAddDisk, "ButtonAddDisk");
  ToolBar->insertAction(MenuBackLevel, MenuSearch);
  named(MenuSearch, "ButtonSearch");
  ToolBar->insertAction(MenuBackLevel, MenuUserList);
  named(MenuUserList, "ButtonUserList");
  ToolBar->insertSeparator(afterBack);
  for (auto [a, name] : {std::pair{MenuOpenExplorer, "ButtonExplorer"},
                         std::pair{MenuLaunchFile, "ButtonLaunch"},
                         std::pair{MenuAddUser, "ButtonAddList"},
                         std::pair{MenuSetCat, "ButtonSetCat"},
                         std::pair{MenuEditDesc, "ButtonEditDesc"},
                         std::pair{MenuProperties, "ButtonProperties"}}) {
    ToolBar->insertAction(afterBack, a);
    named(a, name);
  }

  // The tree's context menu.
  TreeViewPopup = new QMenu(this);
  TreeViewPopup->setObjectName(QStringLiteral("TreeViewPopup"));
  auto tree = [this, &make](const char* name, const char* text, auto handler) {
    QAction* a = make(name, text);
    connect(a, &QAction::triggered, this, handler);
    TreeViewPopup->addAction(a);
    return a;
  };
  TreeMenuRename = tree("TreeMenuRename", "Rename", [this] { RenameClick(); });
  TreeMenuNewDisk = tree("TreeMenuNewDisk", "Add New Disk Image",
                         [this] { MenuAddDiskClick(false, TCommandSource::TreeMenu); });
  TreeMenuUpdateDisk = tree("TreeMenuUpdateDisk", "Update Disk Image",
                            [this] { MenuAddDiskClick(true, TCommandSource::TreeMenu); });
  TreeMenuDeleteDisk = tree("TreeMenuDeleteDisk", "Delete Disk", [this] { TreeMenuDeleteDiskClick(); });
  TreeMenuDescription = tree("TreeMenuDescription", "Edit Description",
                             [this] { EditDescClick(TCommandSource::TreeMenu); });
  TreeMenuEditGroups = tree("TreeMenuEditGroups", "Categories Setup", [this] { MenuCategoriesClick(); });
  TreeMenuOpenExplorer = tree("TreeMenuOpenExplorer", "Open in Explorer",
                              [this] { MenuOpenExplorerClick(TCommandSource::TreeMenu); });
  TreeMenuAddList = tree("TreeMenuAddList", "Add To User List",
                         [this] { ButtonAddListClick(TCommandSource::TreeMenu); });
  TreeMenuSetCat = tree("TreeMenuSetCat", "Set Category and Flags",
                        [this] { MenuSetCatClick(TCommandSource::TreeMenu); });
  TreeMenuSeparator = TreeViewPopup->addSeparator();
  // The catalog file commands are the File menu's; the application connects those.
  TreeMenuAddCat = tree("TreeMenuAddCat", "Add New Catalog", [this] { MenuNew->trigger(); });
  TreeMenuOpenCat = tree("TreeMenuOpenCat", "Open Catalog", [this] { MenuOpen->trigger(); });
  TreeMenuSaveCat = tree("TreeMenuSaveCat", "Save Catalog", [this] { MenuSave->trigger(); });
  TreeMenuCloseCat = tree("TreeMenuCloseCat", "Close Catalog", [this] { MenuClose->trigger(); });
  TreeMenuSeparator2 = TreeViewPopup->addSeparator();
  TreeMenuProperties = tree("TreeMenuProperties", "Properties",
                            [this] { PropertiesClick(TCommandSource::TreeMenu); });

  // The list's context menu.
  ListViewPopup = new QMenu(this);
  ListViewPopup->setObjectName(QStringLiteral("ListViewPopup"));
  auto list = [this, &make](const char* name, const char* text, auto handler) {
    QAction* a = make(name, text);
    connect(a, &QAction::triggered, this, handler);
    ListViewPopup->addAction(a);
    return a;
  };
  ListMenuSwitch = list("ListMenuSwitch", "Move To ...", [this] { ListMenuSwitchClick(); });
  ListMenuRename = list("ListMenuRename", "Rename", [this] { ListMenuRenameClick(); });
  ListMenuUpdateDisk = list("ListMenuUpdateDisk", "Update Disk Image",
                            [this] { MenuAddDiskClick(true, TCommandSource::ListMenu); });
  ListMenuDeleteDisk = list("ListMenuDeleteDisk", "Delete Disk", [this] { ListMenuDeleteDiskClick(); });
  ListMenuDescription = list("ListMenuDescription", "Edit Description",
                             [this] { EditDescClick(TCommandSource::ListMenu); });
  ListMenuOpenExplorer = list("ListMenuOpenExplorer", "Open in Explorer",
                              [this] { MenuOpenExplorerClick(TCommandSource::ListMenu); });
  ListMenuLaunchFile = list("ListMenuLaunchFile", "Launch File",
                            [this] { MenuLaunchClick(TCommandSource::ListMenu); });
  ListMenuAddList = list("ListMenuAddList", "Add To User List",
                         [this] { ButtonAddListClick(TCommandSource::ListMenu); });
  ListMenuSetCat = list("ListMenuSetCat", "Set Category and Flags",
                        [this] { MenuSetCatClick(TCommandSource::ListMenu); });
  ListMenuSeparator = ListViewPopup->addSeparator();
  ListMenuProperties = list("ListMenuProperties", "Properties",
                            [this] { PropertiesClick(TCommandSource::ListMenu); });

  DBTree->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(DBTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    QModelIndex index = DBTree->indexAt(pos);
    TreeViewPopupShow(index.isValid() ? treeModel_->NodeOf(index) : nullptr);
    TreeViewPopup->popup(DBTree->viewport()->mapToGlobal(pos));
  });
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(ListView),
                                  static_cast<QAbstractItemView*>(IconView)}) {
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
      if (ListViewPopupPopup()) ListViewPopup->popup(view->viewport()->mapToGlobal(pos));
    });
  }

  // In-place renaming: F2 and the Rename entries open the editor; the models pass the text on.
  treeModel_->OnEdited = [this](TNode* node, const QString& text) { return DBTreeEdited(node, text); };
  listModel_->OnEdited = [this](int row, const QString& text) { return ListViewEdited(row, text); };

  for (QAction* a : {MenuOpenExplorer, MenuLaunchFile, MenuEditDesc, MenuAddDisk})
    a->setVisible(false);  // until the application gives the services
  for (QAction* a : {MenuUserList, MenuAddUser, MenuSetCat, MenuProperties, MenuCategories,
                     MenuCatalogInfo})
    a->setVisible(false);  // until the windows behind them are given
}

void TMainForm::CreateClassifyActions() {
  auto make = [this](const char* name, const char* text, const char* hint, QKeySequence key,
                     auto handler) {
    auto* a = new QAction(QString::fromLatin1(text), this);
    a->setObjectName(QLatin1String(name));
    if (hint) a->setToolTip(QString::fromLatin1(hint));
    if (!key.isEmpty()) a->setShortcut(key);
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  MenuUserList = make("MenuUserList", "View &User List", "View User List",
                      QKeySequence(Qt::CTRL | Qt::Key_U), [this] { ButtonUserListClick(); });
  MenuUserList->setIcon(ToolIcon(TToolGlyph::UserList));
  MenuAddUser = make("MenuAddUser", "&Add to User List", "Add to User List",
                     QKeySequence(Qt::CTRL | Qt::Key_L),
                     [this] { ButtonAddListClick(TCommandSource::EditMenu); });
  MenuAddUser->setIcon(ToolIcon(TToolGlyph::AddToUserList));
  MenuSetCat = make("MenuSetCat", "Set &Category and Flags", "Set Category and Flags", {},
                    [this] { MenuSetCatClick(TCommandSource::EditMenu); });
  MenuSetCat->setIcon(ToolIcon(TToolGlyph::SetCategory));
  MenuProperties = make("MenuProperties", "&Properties", "Item Properties",
                        QKeySequence(Qt::CTRL | Qt::Key_P),
                        [this] { PropertiesClick(TCommandSource::EditMenu); });
  MenuProperties->setIcon(ToolIcon(TToolGlyph::Properties));
  MenuCategories = make("MenuCategories", "&Categories Setup", nullptr, {},
                        [this] { MenuCategoriesClick(); });
  MenuCatalogInfo = make("MenuCatalogInfo", "Catalog &Info", nullptr, {},
                         [this] { MenuCatalogInfoClick(); });
}

void TMainForm::CreateSearchActions() {
  MenuSearch = new QAction(QStringLiteral("Search for &Files"), this);
  MenuSearch->setObjectName(QStringLiteral("MenuSearch"));
  MenuSearch->setToolTip(QStringLiteral("Search for Files and Folders"));
  MenuSearch->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
  MenuSearch->setIcon(ToolIcon(TToolGlyph::Search));
  connect(MenuSearch, &QAction::triggered, this, [this] { MenuSearchClick(false); });
  MenuDuplicates = new QAction(QStringLiteral("&Scan for Duplicates"), this);
  MenuDuplicates->setObjectName(QStringLiteral("MenuDuplicates"));
  MenuDuplicates->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
  connect(MenuDuplicates, &QAction::triggered, this, [this] { MenuSearchClick(true); });
  for (QAction* a : {MenuSearch, MenuDuplicates}) a->setVisible(false);
}

void TMainForm::SetSearchHooks(TSearchHooks hooks) {
  search_ = std::move(hooks);
  for (QAction* a : {MenuSearch, MenuDuplicates}) a->setVisible(HasSearchHooks());
  UpdateActions(true);
}

void TMainForm::UpdateSearchActions() {
  // While a run goes on, the command of the other mode waits for its end.
  int mode = search_.RunningMode ? search_.RunningMode() : -1;
  MenuSearch->setEnabled(HasSearchHooks() && mode != 1);
  MenuDuplicates->setEnabled(HasSearchHooks() && mode != 0);
}

void TMainForm::MenuSearchClick(bool duplicates) {
  if (!search_.Open) return;
  if (!(duplicates ? MenuDuplicates : MenuSearch)->isEnabled()) return;
  search_.Open(duplicates);
}

void TMainForm::SetClassifyHooks(TClassifyHooks hooks) {
  classify_ = std::move(hooks);
  bool on = HasClassifyHooks();
  for (QAction* a : {MenuUserList, MenuAddUser, MenuSetCat, MenuProperties, MenuCategories,
                     MenuCatalogInfo})
    a->setVisible(on);
  UpdateActions(true);
}

void TMainForm::UpdateClassifyActions(bool full, const TItemCommandState& s) {
  bool on = HasClassifyHooks();
  MenuAddUser->setEnabled(on && s.AddToUserList);
  MenuSetCat->setEnabled(on && s.SetCategory);
  if (!full) return;
  bool anyCatalog = tree_.CatalogCount() > 0;
  for (QAction* a : {MenuUserList, MenuProperties, MenuCategories, MenuCatalogInfo})
    a->setEnabled(on && anyCatalog);
}

std::vector<TItemRec*> TMainForm::CommandRecords(TCommandSource source) const {
  TActionTarget t = Target(source);
  if (!t.Found) return {};
  if (t.FromTree) return {t.Node->Record};
  std::vector<TItemRec*> rows = SelectedRecords();
  std::erase(rows, itemList_.BackEntry());
  return rows;
}

// ---- classification commands

void TMainForm::PropertiesClick(TCommandSource source) {
  if (!classify_.Properties || tree_.CatalogCount() == 0) return;
  TActionTarget t = Target(source);
  if (!t.Found) return;
  classify_.Properties(t.Node, t.Record());
  RepaintViews();
  UpdateActions(true);
}

void TMainForm::MenuCatalogInfoClick() {
  TNode* catalog = CatalogNodeOf(tree_.Selected());
  if (!classify_.Properties || !catalog) return;
  classify_.Properties(catalog, catalog->Record);
  RepaintViews();
  UpdateActions(true);
}

void TMainForm::MenuSetCatClick(TCommandSource source) {
  if (!classify_.SetCategories) return;
  std::vector<TItemRec*> items = CommandRecords(source);
  TActionTarget t = Target(source);
  if (items.empty() || !ItemCommandState(t, items, itemList_.BackEntry()).SetCategory) return;
  if (classify_.SetCategories(items)) RepaintViews();
  UpdateActions(true);
}

void TMainForm::MenuCategoriesClick() {
  if (!classify_.CategoriesSetup || tree_.CatalogCount() == 0) return;
  if (classify_.CategoriesSetup(tree_.Selected())) UpdateActions(true);
}

void TMainForm::ButtonAddListClick(TCommandSource source) {
  if (!classify_.AddToUserList) return;
  std::vector<TItemRec*> items = CommandRecords(source);
  if (items.empty()) return;
  classify_.AddToUserList(items);
  UpdateActions(true);
}

void TMainForm::ButtonUserListClick() {
  if (classify_.ViewUserList && tree_.CatalogCount() > 0) classify_.ViewUserList();
}

void TMainForm::StatusBarClick() { PropertiesClick(TCommandSource::Toolbar); }

// ---- the item commands for other windows

void TMainForm::LocateItem(TItemRec* rec) {
  if (!rec || !rec->Node || !TreeOf(rec->Node)) return;
  // A file is shown in its container's list; a folder or disk in its parent's; a catalog is
  // its own node.
  TNode* node = KindOf(rec) == ikFile || KindOf(rec) == ikCatalog ? rec->Node : rec->Node->Parent;
  SelectNode(node);
  if (KindOf(rec) == ikCatalog) {
    FocusTree();
    return;
  }
  int row = itemList_.RowOf(rec);
  if (row < 0) return;
  QAbstractItemView* view = ActiveListView();
  view->setFocus();
  view->selectionModel()->setCurrentIndex(listModel_->index(row, 0),
                                          QItemSelectionModel::ClearAndSelect |
                                              QItemSelectionModel::Rows);
  view->scrollTo(listModel_->index(row, 0));
  activateWindow();
  raise();
}

void TMainForm::EditItemDescription(TItemRec* rec) {
  if (!HasServices() || !rec || !rec->Node) return;
  TFileRec* file = KindOf(rec) == ikFile ? static_cast<TFileRec*>(rec) : nullptr;
  if (DescAssist()->Edit(rec->Node, file)) {
    RepaintViews();
    UpdateActions(true);
  }
}

void TMainForm::LaunchRecord(TItemRec* rec) {
  if (HasServices() && rec) LaunchItem(rec, ShellCommands());
}

void TMainForm::OpenRecordFolder(TItemRec* rec) {
  if (HasServices() && rec) OpenItemFolder(rec, rec->Node, nullptr, ShellCommands());
}

void TMainForm::SetServices(TItemServices services) {
  services_ = std::move(services);
  bool on = HasServices();
  for (QAction* a : {MenuOpenExplorer, MenuLaunchFile, MenuEditDesc, MenuAddDisk}) a->setVisible(on);
  UpdateActions(true);
}

bool TMainForm::HasServices() const {
  return services_.Drives && services_.Media && services_.Shell;
}

TOptions TMainForm::CurrentOptions() const {
  return services_.Options ? services_.Options() : options_;
}

TShellCommands TMainForm::ShellCommands() const {
  return {*services_.Drives, *services_.Media, *services_.Shell, prompts_};
}

bool TMainForm::TreeActive() const {
  if (DBTree->hasFocus()) return true;
  if (ActiveListView()->hasFocus()) return false;
  return treeActive_;
}

TCommandContext TMainForm::CommandContext() const {
  TCommandContext c;
  c.Selected = tree_.Selected();
  c.List = &itemList_;
  QModelIndex current = ActiveListView()->currentIndex();
  c.FocusedRow = current.isValid() && itemList_.At(current.row()) ? current.row() : -1;
  c.TreeActive = TreeActive();
  return c;
}

void TMainForm::UpdateItemActions(bool full) {
  TCommandContext c = CommandContext();
  bool services = HasServices();
  TActionTarget target = ActionTarget(TCommandSource::EditMenu, c);
  // A list target's user list and category states look at every selected row.
  std::vector<TItemRec*> rows;
  if (!target.FromTree && HasClassifyHooks()) rows = SelectedRecords();
  TItemCommandState s = ItemCommandState(target, rows, itemList_.BackEntry());
  MenuOpenExplorer->setEnabled(services && s.OpenInExplorer);
  MenuLaunchFile->setEnabled(services && s.LaunchFile);
  UpdateClassifyActions(full, s);
  if (!full) return;
  bool anyCatalog = tree_.CatalogCount() > 0;
  MenuAddDisk->setEnabled(services && anyCatalog);
  MenuEditDesc->setEnabled(services && anyCatalog);
  TRenameEntryState rename = RenameEntryState(c, tree_.CatalogCount());
  MenuRenameItem->setText(rename.Catalog ? QStringLiteral("&Rename Catalog")
                                         : QStringLiteral("&Rename Disk"));
  MenuRenameItem->setEnabled(anyCatalog && rename.Enabled);
}

// ---- context menus

void TMainForm::TreeViewPopupShow(TNode* node) {
  // The menu is about the node under the click: it becomes the selected node.
  if (node && node != tree_.Selected()) SelectNode(node);
  uint8_t kind = node ? node->Kind() : 0;
  bool catalog = kind == ikCatalog, disk = kind == ikDisk;
  bool services = HasServices();
  TreeMenuRename->setVisible(catalog || disk);
  TreeMenuNewDisk->setVisible(catalog && services);
  TreeMenuNewDisk->setEnabled(true);
  TreeMenuUpdateDisk->setVisible(disk && services);
  TreeMenuDeleteDisk->setVisible(disk);
  TreeMenuDescription->setVisible(node && services);
  TreeMenuOpenExplorer->setVisible(node && !catalog && services);
  bool hooks = HasClassifyHooks();
  TreeMenuEditGroups->setVisible(catalog && hooks);
  TreeMenuAddList->setVisible(node && !catalog && hooks);
  TreeMenuSetCat->setVisible(kind == ikFolder && hooks);
  TreeMenuSeparator2->setVisible(node && hooks);
  TreeMenuProperties->setVisible(node && hooks);
  if (node) {
    TCommandContext c = CommandContext();
    c.Selected = node;
    TItemCommandState s = ItemCommandState(ActionTarget(TCommandSource::TreeMenu, c), {}, nullptr);
    TreeMenuOpenExplorer->setEnabled(s.OpenInExplorer);
    TreeMenuAddList->setEnabled(s.AddToUserList);
  }
  TreeMenuSeparator->setVisible(catalog);
  TreeMenuAddCat->setVisible(catalog || !node);
  TreeMenuOpenCat->setVisible(catalog || !node);
  TreeMenuSaveCat->setVisible(catalog);
  TreeMenuSaveCat->setEnabled(MenuSave->isEnabled());
  TreeMenuCloseCat->setVisible(catalog);
}

bool TMainForm::ListViewPopupPopup() {
  TCommandContext c = CommandContext();
  c.TreeActive = false;  // the menu is the list's
  TItemRec* row = itemList_.At(c.FocusedRow);
  if (!row) return false;
  bool file = KindOf(row) == ikFile;
  bool disk = KindOf(row) == ikDisk;
  bool back = row == itemList_.BackEntry();
  bool services = HasServices();
  TItemCommandState s = ItemCommandState(ActionTarget(TCommandSource::ListMenu, c),
                                         SelectedRecords(), itemList_.BackEntry());
  ListMenuSwitch->setVisible(!file);
  ListMenuRename->setVisible(disk);
  ListMenuUpdateDisk->setVisible(disk && services);
  ListMenuDeleteDisk->setVisible(disk);
  ListMenuDescription->setVisible(services);
  ListMenuDescription->setEnabled(!back);
  ListMenuOpenExplorer->setVisible(services);
  ListMenuOpenExplorer->setEnabled(s.OpenInExplorer);
  ListMenuLaunchFile->setVisible(services && s.LaunchFile);
  bool hooks = HasClassifyHooks();
  ListMenuAddList->setVisible(hooks);
  ListMenuAddList->setEnabled(s.AddToUserList);
  ListMenuSetCat->setVisible(hooks && s.SetCategory);
  ListMenuSeparator->setVisible(hooks);
  ListMenuProperties->setVisible(hooks);
  ListMenuProperties->setEnabled(!back);

  QAction* standard = nullptr;
  if (!file) {
    standard = ListMenuSwitch;
  } else {
    switch (CurrentOptions().FileDoubleClickCombo) {
      case TFileDoubleClick::Unselected:
      case TFileDoubleClick::Launch: standard = ListMenuLaunchFile; break;
      case TFileDoubleClick::Explorer: standard = ListMenuOpenExplorer; break;
      case TFileDoubleClick::Properties: standard = ListMenuProperties; break;
      case TFileDoubleClick::Nothing: break;
    }
    if (standard && !standard->isVisible()) standard = nullptr;
  }
  ListViewPopup->setDefaultAction(standard);
  return true;
}

void TMainForm::ListMenuSwitchClick() {
  TNode* target = itemList_.NavigateTarget(CommandContext().FocusedRow);
  if (target) SelectNode(target);
}

// ---- keys

bool TMainForm::ItemKeyPress(QObject* watched, QKeyEvent* key) {
  bool tree = watched == DBTree;
  bool list = watched == ListView || watched == IconView;
  if ((!tree && !list) || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
  if (key->key() == Qt::Key_F2) {
    if (tree)
      RenameClick();
    else
      ListMenuRenameClick();
    return true;
  }
  if (key->key() != Qt::Key_Delete) return false;
  if (tree) {
    TNode* node = tree_.Selected();
    if (!node) return true;
    if (node->Kind() == ikDisk) {
      TreeMenuDeleteDiskClick();
    } else if (node->Kind() == ikCatalog && ConfirmCloseCatalog(prompts_)) {
      MenuClose->trigger();  // the File menu's Close: its refusal, its questions
    }
    return true;
  }
  // Del in a list of disks deletes the focused disk; in a list of files it does nothing.
  TItemRec* row = itemList_.At(CommandContext().FocusedRow);
  if (row && KindOf(row) == ikDisk) ListMenuDeleteDiskClick();
  return true;
}

// ---- launching and folders

void TMainForm::MenuLaunchClick(TCommandSource source) {
  if (!HasServices()) return;
  TCommandContext c = CommandContext();
  if (source == TCommandSource::ListMenu) c.TreeActive = false;
  if (source == TCommandSource::TreeMenu) c.TreeActive = true;
  LaunchItem(ShellCommandRecord(c), ShellCommands());
}

void TMainForm::MenuOpenExplorerClick(TCommandSource source) {
  if (!HasServices()) return;
  TCommandContext c = CommandContext();
  if (source == TCommandSource::ListMenu) c.TreeActive = false;
  if (source == TCommandSource::TreeMenu) c.TreeActive = true;
  OpenItemFolder(ShellCommandRecord(c), c.Selected, itemList_.BackEntry(), ShellCommands());
}

void TMainForm::FileDoubleClick(TItemRec* file) {
  if (!HasServices()) return;
  switch (CurrentOptions().FileDoubleClickCombo) {
    case TFileDoubleClick::Unselected:  // kept as Launch
    case TFileDoubleClick::Launch: LaunchItem(file, ShellCommands()); break;
    case TFileDoubleClick::Explorer:
      OpenItemFolder(file, tree_.Selected(), itemList_.BackEntry(), ShellCommands());
      break;
    case TFileDoubleClick::Properties:
      if (classify_.Properties) {
        classify_.Properties(tree_.Selected(), file);
        RepaintViews();
        UpdateActions(true);
      }
      break;
    case TFileDoubleClick::Nothing: break;
  }
}

// ---- descriptions

void TMainForm::EditDescClick(TCommandSource source) {
  if (!HasServices()) return;
  TActionTarget t = Target(source);
  if (!t.Found) return;
  if (DescAssist()->Edit(t.Node, t.File)) {
    RepaintViews();
    UpdateActions(true);
  }
}

TDescAssistForm* TMainForm::DescAssist() {
  if (!descAssistForm_) {
    descProgress_ = std::make_unique<TWaitProgress>(*this, this);
    descAssistForm_ = new TDescAssistForm(*services_.Media, *services_.Drives, prompts_,
                                          *descProgress_,
                                          [this] { return DescSearchSettings(CurrentOptions()); },
                                          this);
  }
  return descAssistForm_;
}

void TMainForm::RepaintViews() {
  DBTree->viewport()->update();
  ListView->viewport()->update();
  IconView->viewport()->update();
  if (search_.Repaint) search_.Repaint();
  RefreshStatus();
}

// ---- adding and updating disks

void TMainForm::MenuAddDiskClick(bool update, TCommandSource source) {
  if (!HasServices() || tree_.CatalogCount() == 0) return;
  if (tree_.SearchRunning) {
    prompts_.Message(CantUpdateTitle, CantUpdateText, TButtons::Ok, TIcon::Information);
    return;
  }
  TNode* disk = nullptr;
  if (update) {
    TActionTarget t = Target(source);
    if (!t.Found || t.File || t.Node->Kind() != ikDisk) return;
    disk = t.Node;
  }
  if (!addDiskForm_) {
    TAddDiskForm::TServices s{*services_.Drives, *services_.Media, prompts_, tree_, {}, {}, {},
                              services_.FolderDrives, {}};
    s.Settings = [this] { return ScanSettingsOf(CurrentOptions()); };
    s.SaveDefaults = [this](const TScanSettings& scan) {
      TOptions o = CurrentOptions();
      StoreScanDefaults(scan, o);
      options_ = o;
      if (services_.SetOptions) services_.SetOptions(o);
    };
    s.DriveIcon = [this](uint8_t mediaType) { return icons_->Icon(icons_->DriveIcon(mediaType)); };
    s.DiskInfo = classify_.DiskInfo;
    addDiskForm_ = new TAddDiskForm(std::move(s), this);
  }
  std::optional<TScanJob> job = addDiskForm_->Execute(disk, lastDrive_);
  if (!job) return;
  lastDrive_ = job->Drive;
  // Scanned folders come in the order the tree shows (the selected node is sorted again when
  // it is shown; the others keep the order they get here).
  job->SortChildren = [fileKey = itemList_.FileSortKey, diskKey = itemList_.DiskSortKey,
                       reverse = itemList_.ReverseOrder,
                       asFiles = itemList_.SortArchivesAsFiles](TNode* folder) {
    SortTreeChildren(folder, fileKey, diskKey, reverse, asFiles);
  };
  // The scan selects the new disk, which shows it; nothing else to show after a failure.
  RunDiskScan(*job, *services_.Drives, *services_.Media, prompts_, this,
              [this](const std::string& text) { ShowStatusText(text, text.empty() ? 0 : 2); });
  RepaintViews();
  UpdateActions(true);
}

// ---- deleting

void TMainForm::DeleteDiskNode(TNode* disk) {
  TItemRec* rec = disk->Record;
  if (itemList_.RowOf(rec) >= 0) {
    listModel_->BeginChange();
    itemList_.Remove(rec);
    listModel_->EndChange();
  }
  // Removing the selected disk selects a neighbour or the catalog, while the disk is still
  // there: the list is shown again only once it has gone.
  TNode* before = tree_.Selected();
  LockUpdates();
  DeleteDisk(disk);
  UnlockUpdates();
  if (tree_.Selected() != before) LoadItemList(tree_.Selected());
  UpdateActions(true);
}

void TMainForm::TreeMenuDeleteDiskClick() {
  TActionTarget t = Target(TCommandSource::TreeMenu);
  if (!t.Found || t.Node->Kind() != ikDisk) return;
  if (!ConfirmDeleteDisk(t.Node, prompts_)) return;
  DeleteDiskNode(t.Node);
}

void TMainForm::ListMenuDeleteDiskClick() {
  TCommandContext c = CommandContext();
  TNode* disk = RowNode(c.Selected, itemList_.At(c.FocusedRow));
  if (!disk || disk->Kind() != ikDisk) return;
  if (!ConfirmDeleteDisk(disk, prompts_)) return;
  int row = c.FocusedRow;
  DeleteDiskNode(disk);
  // The focus stays where the deleted disk was.
  if (itemList_.Count() > 0) {
    QModelIndex next = listModel_->index(std::min(row, itemList_.Count() - 1), 0);
    ActiveListView()->selectionModel()->setCurrentIndex(
        next, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
}

// ---- renaming

void TMainForm::RenameClick() {
  TActionTarget t = Target(TCommandSource::TreeMenu);
  if (!t.Found || !CanRename(t.Node)) return;
  QModelIndex index = treeModel_->IndexOf(t.Node);
  DBTree->setFocus();
  DBTree->edit(index);
}

void TMainForm::EditListRow(int row) {
  TItemRec* rec = itemList_.At(row);
  if (!rec || KindOf(rec) != ikDisk) return;
  QAbstractItemView* view = ActiveListView();
  QModelIndex index = listModel_->index(row, 0);
  view->setFocus();
  view->setCurrentIndex(index);
  view->edit(index);
}

void TMainForm::ListMenuRenameClick() { EditListRow(CommandContext().FocusedRow); }

void TMainForm::MenuRenameItemClick() {
  TRenamePlan plan = MenuRenamePlan(CommandContext());
  switch (plan.Kind) {
    case TRenamePlan::Nothing: return;
    case TRenamePlan::ListRow: ListMenuRenameClick(); return;
    case TRenamePlan::TreeNode: break;
  }
  SelectNode(plan.Node);
  QCoreApplication::processEvents();
  DBTree->setFocus();
  DBTree->edit(treeModel_->IndexOf(plan.Node));
}

bool TMainForm::DBTreeEdited(TNode* node, const QString& text) {
  if (!RenameNode(node, text.toStdString())) return false;
  // A disk takes its place among its catalog's disks; catalogs keep the order they were
  // opened in.
  if (node->Kind() == ikDisk)
    SortTreeChildren(node->Parent, itemList_.FileSortKey, itemList_.DiskSortKey,
                     itemList_.ReverseOrder, itemList_.SortArchivesAsFiles);
  RepaintViews();
  UpdateActions(true);
  return true;
}

bool TMainForm::ListViewEdited(int row, const QString& text) {
  if (text.isEmpty()) return false;
  TNode* disk = RowNode(tree_.Selected(), itemList_.At(row));
  if (!disk || !RenameNode(disk, text.toStdString())) return false;
  RepaintViews();
  UpdateActions(true);
  return true;
}

}  // namespace tf

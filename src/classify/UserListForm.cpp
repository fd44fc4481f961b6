#include "classify/UserListForm.h"

#include <algorithm>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>

#include "browse/Icons.h"
#include "browse/ItemList.h"
#include "browse/ItemText.h"
#include "browse/Main.h"
#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "settings/Options.h"
#include "text/Text.h"

namespace tf {

namespace {

struct TColumn {
  const char* Title;
  bool Right;
  int Width;
};
constexpr TColumn Columns[UserListColumnCount] = {
    {"File, Folder or Disk", false, 220}, {"Ext", false, 50},       {"Item Size", true, 80},
    {"Item Date", true, 90},              {"Location", false, 130}, {"Media Type", false, 110},
    {"Folder", false, 200}};

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

// ---- the model ------------------------------------------------------------------------------

TUserListModel::TUserListModel(TUserList& list, TIconList& icons, QObject* parent)
    : QAbstractTableModel(parent), list_(list), icons_(icons) {}

TItemRec* TUserListModel::RecordAt(const QModelIndex& index) const {
  return index.isValid() ? list_.At(index.row()) : nullptr;
}

int TUserListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : list_.Count();
}

int TUserListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : UserListColumnCount;
}

QVariant TUserListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole: {
      TItemInfo info = ListViewVMGetItemInfo(TListSender::UserList, list_.Items(), index.row(),
                                             InfoText, index.column(), nullptr, nullptr);
      return Q(info.Text);
    }
    case Qt::DecorationRole: {
      if (index.column() != 0) return {};
      TItemInfo info = ListViewVMGetItemInfo(TListSender::UserList, list_.Items(), index.row(),
                                             InfoIcon, 0, nullptr, &icons_);
      return info.Icon < 0 ? QVariant() : QVariant(icons_.Icon(info.Icon));
    }
    case Qt::TextAlignmentRole:
      if (index.column() < UserListColumnCount && Columns[index.column()].Right)
        return int(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    case Qt::ToolTipRole: {
      if (!Hints) return {};
      std::string hint = DescriptionHintFor(list_.At(index.row()));
      return hint.empty() ? QVariant() : QVariant(Q(hint));
    }
    default: return {};
  }
}

QVariant TUserListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= UserListColumnCount) return {};
  if (role == Qt::DisplayRole) return QString::fromLatin1(Columns[section].Title);
  if (role == Qt::TextAlignmentRole)
    return int((Columns[section].Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
  return {};
}

// ---- the window -----------------------------------------------------------------------------

TUserListForm::TUserListForm(TUserList& list, THost host, QWidget* parent)
    : QMainWindow(parent), list_(list), host_(std::move(host)) {
  setObjectName(QStringLiteral("UserListForm"));
  setWindowTitle(QLatin1String(UserListCaption));
  setMinimumSize(300, 150);
  resize(760, 360);
  Model = new TUserListModel(list_, host_.Main.Icons(), this);

  UserListView = new QTreeView;
  UserListView->setObjectName(QStringLiteral("UserListView"));
  UserListView->setModel(Model);
  UserListView->setRootIsDecorated(false);
  UserListView->setItemsExpandable(false);
  UserListView->setUniformRowHeights(true);
  UserListView->setAllColumnsShowFocus(true);
  UserListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
  UserListView->setSelectionBehavior(QAbstractItemView::SelectRows);
  UserListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QHeaderView* header = UserListView->header();
  header->setSectionsMovable(true);
  header->setSectionsClickable(true);
  header->setStretchLastSection(true);
  header->setSortIndicatorShown(true);
  for (int c = 0; c < UserListColumnCount; ++c)
    header->resizeSection(c, std::max(Columns[c].Width, header->sectionSizeHint(c)));

  IconView = new QListView;
  IconView->setObjectName(QStringLiteral("UserListIconView"));
  IconView->setModel(Model);
  IconView->setSelectionModel(UserListView->selectionModel());
  IconView->setSelectionMode(QAbstractItemView::ExtendedSelection);
  IconView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  IconView->setUniformItemSizes(true);
  IconView->setMovement(QListView::Static);
  IconView->setResizeMode(QListView::Adjust);
  IconView->setWrapping(true);

  stack_ = new QStackedWidget;
  stack_->addWidget(IconView);
  stack_->addWidget(UserListView);
  stack_->setCurrentWidget(UserListView);
  setCentralWidget(stack_);

  CreateActions();

  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setSizeGripEnabled(true);
  auto panel = [bar](const char* name) { return AddStatusPanel(bar, name); };
  StatusTotal = panel("StatusTotal");
  StatusTotal->setFixedWidth(StatusPanel0Width);
  StatusItem = panel("StatusItem");
  StatusSelection = panel("StatusSelection");
  StatusItem->installEventFilter(this);
  bar->installEventFilter(this);
  LayoutStatusPanels();

  connect(header, &QHeaderView::sectionClicked, this, [this](int c) { UserListViewColumnClick(c); });
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(UserListView),
                               static_cast<QAbstractItemView*>(IconView)}) {
    connect(v, &QAbstractItemView::doubleClicked, this, [this] { UserListViewDblClick(); });
    v->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(v, &QWidget::customContextMenuRequested, this, [this, v](const QPoint& pos) {
      if (v->indexAt(pos).isValid() && UserListPopupPopup())
        UserListPopup->popup(v->viewport()->mapToGlobal(pos));
    });
  }
  connect(UserListView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
    UpdateButtons();
    UpdateStatus();
  });
  connect(UserListView->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
    UpdateButtons();
    UpdateStatus();
  });

  RestoreToolbar();
  UpdateButtons();
  UpdateStatus();
}

TUserListForm::~TUserListForm() {
  if (host_.Settings) {
    QByteArray state = saveState();
    host_.Settings->WriteBinary(UserListToolbarValue,
                                std::vector<uint8_t>(state.begin(), state.end()));
  }
}

void TUserListForm::RestoreToolbar() {
  if (!host_.Settings) return;
  std::optional<std::vector<uint8_t>> state = host_.Settings->ReadBinary(UserListToolbarValue);
  if (state)
    restoreState(QByteArray(reinterpret_cast<const char*>(state->data()), qsizetype(state->size())));
}

void TUserListForm::CreateActions() {
  UserListToolbar = new QToolBar(QStringLiteral("User List Toolbar"), this);
  UserListToolbar->setObjectName(QStringLiteral("UserListToolbar"));
  UserListToolbar->setAllowedAreas(Qt::AllToolBarAreas);
  addToolBar(Qt::TopToolBarArea, UserListToolbar);

  auto make = [this](QAction*& a, const char* name, const char* text, TToolGlyph glyph,
                     std::function<void()> handler) {
    AddToolAction(UserListToolbar, a, name, text, glyph, std::move(handler));
  };
  AddViewButtons(UserListToolbar, ViewButtons(), [this](int style) { SetViewStyle(style); });
  UserListToolbar->addSeparator();
  make(BtnReport, "BtnReport", "Generate Report", TToolGlyph::Report, [this] { BtnReportClick(); });
  BtnReport->setVisible(bool(host_.GenerateReport));
  UserListToolbar->addSeparator();
  make(BtnLocate, "BtnLocate", "Locate in Catalog", TToolGlyph::Locate, [this] { BtnLocateClick(); });
  make(BtnEditDesc, "BtnEditDesc", "Edit Description", TToolGlyph::EditDescription,
       [this] { BtnEditDescClick(); });
  make(BtnProperties, "BtnProperties", "Item Properties", TToolGlyph::Properties,
       [this] { BtnPropertiesClick(); });
  make(BtnExplorer, "BtnExplorer", "Open in Explorer", TToolGlyph::Explorer,
       [this] { BtnExplorerClick(); });
  make(BtnLaunch, "BtnLaunch", "Launch File in Associated Program", TToolGlyph::Launch,
       [this] { BtnLaunchClick(); });
  make(BtnSetCat, "BtnSetCat", "Set Category and Flags", TToolGlyph::SetCategory,
       [this] { BtnSetCatClick(); });
  UserListToolbar->addSeparator();
  make(BtnDelete, "BtnDelete", "Delete selected item(s)", TToolGlyph::DeleteItems,
       [this] { BtnDeleteClick(); });
  make(BtnClear, "BtnClear", "Clear User List", TToolGlyph::ClearList, [this] { BtnClearClick(); });

  UserListPopup = new QMenu(this);
  UserListPopup->setObjectName(QStringLiteral("UserListPopup"));
  auto entry = [this](const char* name, const char* text, auto handler) {
    QAction* a = UserListPopup->addAction(QLatin1String(text));
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  PopupLocate = entry("PopupLocate", "Locate in Catalog", [this] { BtnLocateClick(); });
  PopupEditDesc = entry("PopupEditDesc", "Edit Description", [this] { BtnEditDescClick(); });
  PopupExplorer = entry("PopupExplorer", "Open in Explorer", [this] { BtnExplorerClick(); });
  PopupLaunch = entry("PopupLaunch", "Launch File", [this] { BtnLaunchClick(); });
  PopupSetCat = entry("PopupSetCat", "Set Category and Flags", [this] { BtnSetCatClick(); });
  PopupRemove = entry("PopupRemove", "Remove from List", [this] { BtnDeleteClick(); });
  UserListPopup->addSeparator();
  PopupProperties = entry("PopupProperties", "Properties", [this] { BtnPropertiesClick(); });
}

void TUserListForm::ApplySettings(const TOptions& o) {
  int size = 16 + 4 * std::clamp(o.ButtonSizeBar, 0, kButtonSizeMax);
  UserListToolbar->setIconSize(QSize(size, size));
  for (QToolButton* b : UserListToolbar->findChildren<QToolButton*>())
    b->setAutoRaise(!o.OldButtonsCheck);
  Model->Hints = o.DescAsTipsCheck;
}

bool TUserListForm::ArchivesAsFiles() const { return host_.Main.Items().SortArchivesAsFiles; }

QAbstractItemView* TUserListForm::ActiveView() const {
  return viewStyle_ == ViewDetails ? static_cast<QAbstractItemView*>(UserListView)
                                   : static_cast<QAbstractItemView*>(IconView);
}

void TUserListForm::SetViewStyle(int style) {
  viewStyle_ = std::clamp(style, 0, 3);
  ShowViewStyle(viewStyle_, stack_, UserListView, IconView, ViewButtons());
}

TItemRec* TUserListForm::FocusedItem() const {
  return Model->RecordAt(UserListView->selectionModel()->currentIndex());
}

std::vector<TItemRec*> TUserListForm::SelectedItems() const {
  QModelIndexList rows = UserListView->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<TItemRec*> out;
  for (const QModelIndex& i : rows)
    if (TItemRec* r = Model->RecordAt(i)) out.push_back(r);
  return out;
}

// Changes the list's rows; the selected and focused records stay so where they still are.
void TUserListForm::Reset(const std::function<void()>& change) {
  std::vector<TItemRec*> selected = SelectedItems();
  TItemRec* focused = FocusedItem();
  Model->BeginChange();
  change();
  Model->EndChange();
  QItemSelectionModel* sel = UserListView->selectionModel();
  QItemSelection rows;
  for (TItemRec* rec : selected) {
    int r = rec->UserListIndex;
    // The stored position is the row modulo 32768.
    for (; r >= 0 && r < list_.Count(); r += 32768)
      if (list_.At(r) == rec) {
        rows.select(Model->index(r, 0), Model->index(r, 0));
        break;
      }
  }
  if (!rows.isEmpty()) sel->select(rows, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  if (focused && TUserList::Contains(focused))
    for (int r = focused->UserListIndex; r >= 0 && r < list_.Count(); r += 32768)
      if (list_.At(r) == focused) {
        sel->setCurrentIndex(Model->index(r, 0), QItemSelectionModel::NoUpdate);
        break;
      }
  UpdateButtons();
  UpdateStatus();
}

void TUserListForm::RefreshAfterAdding() {
  Reset([this] { list_.Resort(ArchivesAsFiles()); });
}

void TUserListForm::ListPacked() {
  // The records that left are gone: only the view's count and the status follow.
  Model->BeginChange();
  Model->EndChange();
  UpdateButtons();
  UpdateStatus();
}

void TUserListForm::UserListViewColumnClick(int column) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  Reset([this, column] { list_.ColumnClick(column, ArchivesAsFiles()); });
  QApplication::restoreOverrideCursor();
  UserListView->header()->setSortIndicator(
      list_.SortColumn(), list_.Descending() ? Qt::DescendingOrder : Qt::AscendingOrder);
}

void TUserListForm::UpdateButtons() {
  std::vector<TItemRec*> selected = SelectedItems();
  int focused = UserListView->selectionModel()->currentIndex().row();
  TUserListActions a = UserListActionState(list_, focused, selected);
  BtnExplorer->setEnabled(a.OpenInExplorer);
  BtnLaunch->setEnabled(a.Launch);
  BtnSetCat->setEnabled(a.SetCategory);
  BtnClear->setEnabled(a.ClearAndReport);
  BtnReport->setEnabled(a.ClearAndReport);
  for (QAction* b : {BtnLocate, BtnEditDesc, BtnProperties, BtnDelete}) b->setEnabled(a.ItemCommands);
  BtnEditDesc->setVisible(host_.Main.HasServices());
  BtnExplorer->setVisible(host_.Main.HasServices());
  BtnLaunch->setVisible(host_.Main.HasServices());
  for (QAction* v : {BtnLargeIcons, BtnList, BtnSmallIcons, BtnDetails}) v->setEnabled(true);
}

void TUserListForm::UpdateStatus() {
  StatusTotal->setText(Q(UserListTotalText(list_)));
  QModelIndex current = UserListView->selectionModel()->currentIndex();
  ShowItemStatus(StatusItem, StatusSelection, Model->index(current.row(), 0).data().toString(),
                 Model->RecordAt(current), SelectedItems());
}

void TUserListForm::LayoutStatusPanels() {
  // Of the width after the first panel and 3 pixels, the item panel gets 60 percent.
  int rest = std::max(0, statusBar()->width() - StatusPanel0Width - 3);
  int item = rest * 60 / 100;
  StatusItem->setFixedWidth(item);
  StatusSelection->setFixedWidth(std::max(0, rest - item - 12));
}

// ---- actions ---------------------------------------------------------------------------------

void TUserListForm::BtnLocateClick() {
  if (TItemRec* rec = FocusedItem()) host_.Main.LocateItem(rec);
}

void TUserListForm::BtnEditDescClick() {
  if (TItemRec* rec = FocusedItem()) host_.Main.EditItemDescription(rec);
  UserListView->viewport()->update();
  IconView->viewport()->update();
  UpdateStatus();
}

void TUserListForm::BtnPropertiesClick() {
  TItemRec* rec = FocusedItem();
  if (!rec || !host_.Properties) return;
  host_.Properties(rec->Node, rec);
  UserListView->viewport()->update();
  UpdateStatus();
}

void TUserListForm::BtnExplorerClick() {
  if (BtnExplorer->isEnabled()) host_.Main.OpenRecordFolder(FocusedItem());
}

void TUserListForm::BtnLaunchClick() {
  if (BtnLaunch->isEnabled()) host_.Main.LaunchRecord(FocusedItem());
}

void TUserListForm::BtnSetCatClick() {
  if (!BtnSetCat->isEnabled() || !host_.SetCategories) return;
  if (host_.SetCategories(SelectedItems())) UserListView->viewport()->update();
}

void TUserListForm::BtnDeleteClick() {
  if (!BtnDelete->isEnabled()) return;
  if (host_.Prompts.Message(DeleteItemsTitle, RemoveSelectedText, TButtons::YesNo,
                            TIcon::Question) != TAnswer::Yes)
    return;
  QModelIndexList selected = UserListView->selectionModel()->selectedRows();
  std::vector<int> rows;
  for (const QModelIndex& i : selected) rows.push_back(i.row());
  UserListView->selectionModel()->clearSelection();
  Model->BeginChange();
  list_.Remove(rows);
  Model->EndChange();
  UpdateButtons();
  UpdateStatus();
  if (host_.Changed) host_.Changed();
}

void TUserListForm::BtnClearClick() {
  if (list_.Count() == 0) return;
  if (host_.Prompts.Message(DeleteAllItemsTitle, RemoveAllText, TButtons::YesNo,
                            TIcon::Question) != TAnswer::Yes)
    return;
  host_.Main.ShowStatusText(ClearingUserListStatus, 2);
  Model->BeginChange();
  list_.Clear();
  Model->EndChange();
  if (host_.Changed) host_.Changed();
  UpdateButtons();
  UpdateStatus();
  host_.Main.ShowStatusText({}, 0);
}

void TUserListForm::BtnReportClick() {
  if (host_.GenerateReport && list_.Count() > 0) host_.GenerateReport();
}

void TUserListForm::RunCommand(TUserListCommand command) {
  switch (command) {
    case TUserListCommand::Properties: BtnPropertiesClick(); break;
    case TUserListCommand::Explorer: BtnExplorerClick(); break;
    case TUserListCommand::Launch: BtnLaunchClick(); break;
    case TUserListCommand::None: break;
  }
}

void TUserListForm::UserListViewDblClick() {
  int setting = host_.Options ? int(host_.Options().FileDoubleClickCombo) : 3;
  RunCommand(UserListDoubleClick(setting, FocusedItem()));
}

bool TUserListForm::UserListPopupPopup() {
  TItemRec* rec = FocusedItem();
  if (!rec) return false;
  UpdateButtons();
  bool services = host_.Main.HasServices();
  PopupEditDesc->setVisible(services);
  PopupSetCat->setVisible(BtnSetCat->isEnabled());
  PopupExplorer->setVisible(services && BtnExplorer->isEnabled());
  PopupLaunch->setVisible(services && BtnLaunch->isEnabled());
  int setting = host_.Options ? int(host_.Options().FileDoubleClickCombo) : 3;
  QAction* standard = nullptr;
  switch (UserListDefaultEntry(setting, rec)) {
    case TUserListCommand::Properties: standard = PopupProperties; break;
    case TUserListCommand::Explorer: standard = PopupExplorer; break;
    case TUserListCommand::Launch: standard = PopupLaunch; break;
    case TUserListCommand::None: break;
  }
  UserListPopup->setDefaultAction(standard && standard->isVisible() ? standard : nullptr);
  return true;
}

// ---- events ----------------------------------------------------------------------------------

void TUserListForm::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange) {
    if (isActiveWindow()) {
      // The list's font follows the main window's list.
      UserListView->setFont(host_.Main.ListView->font());
      IconView->setFont(host_.Main.ListView->font());
      if (toolbarHiddenByUs_) UserListToolbar->show();
      toolbarHiddenByUs_ = false;
    } else if (UserListToolbar->isFloating() && UserListToolbar->isVisible()) {
      // A floating tool bar goes with the window.
      UserListToolbar->hide();
      toolbarHiddenByUs_ = true;
    }
  }
  QMainWindow::changeEvent(event);
}

void TUserListForm::closeEvent(QCloseEvent* event) {
  if (UserListToolbar->isFloating() && UserListToolbar->isVisible()) {
    UserListToolbar->hide();
    toolbarHiddenByUs_ = true;
  }
  // Hidden, not destroyed: the list lives on.
  hide();
  event->ignore();
}

bool TUserListForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == statusBar() && event->type() == QEvent::Resize) LayoutStatusPanels();
  if (watched == StatusItem && event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
    BtnPropertiesClick();
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace tf

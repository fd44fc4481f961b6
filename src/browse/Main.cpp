#include "browse/Main.h"

#include <algorithm>
#include <span>
#include <stdexcept>
#include <unordered_map>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QProxyStyle>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>

#include "browse/Icons.h"
#include "browse/ItemText.h"
#include "browse/ListModel.h"
#include "browse/Sort.h"
#include "browse/TreeModel.h"
#include "platform/Prompts.h"
#include "store/LoadSave.h"
#include "text/Text.h"

namespace tf {

// Tooltip delays: the controls that show description hints take theirs from the settings;
// every other control of the program the fixed ones, through the application's style.
class THintStyle final : public QProxyStyle {
 public:
  THintStyle() = default;
  // Wraps base (and owns it from now on).
  explicit THintStyle(QStyle* base) : QProxyStyle(base) {}
  THintTiming Timing = HintTimingFor(true, 12, 5);
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* ret) const override {
    if (hint == SH_ToolTip_WakeUpDelay) return Timing.WaitMs;
    if (hint == SH_ToolTip_FallAsleepDelay) return Timing.ReshowMs;
    return QProxyStyle::styleHint(hint, option, widget, ret);
  }
};

// Every item of the icon views takes one fixed cell, so that no name is measured: a folder of
// 100,000 files lays out at once, and a short first name does not narrow all the others.
class TIconCellDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize Cell;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return Cell.isValid() ? Cell : QStyledItemDelegate::sizeHint(option, index);
  }
};

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Column widths: at least the header's, and room for what the columns usually hold.
constexpr int FileColumnWidths[] = {240, 56, 90, 90, 80, 48, 120};
constexpr int DiskColumnWidths[] = {200, 130, 90, 90, 140, 120};

}  // namespace

TMainForm::TMainForm(TCatalogTree& tree, TUserPrompts& prompts, QWidget* parent)
    : QMainWindow(parent), tree_(tree), prompts_(prompts), icons_(std::make_unique<TIconList>()) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Tallowfen"));
  resize(960, 640);

  treeModel_ = new TCatalogTreeModel(tree_, *icons_, this);
  listModel_ = new TItemListModel(itemList_, *icons_, this);
  tree_.AddObserver(this);

  DBTree = new QTreeView;
  DBTree->setObjectName(QStringLiteral("DBTree"));
  DBTree->setModel(treeModel_);
  DBTree->setHeaderHidden(true);
  DBTree->setIndentation(22);
  DBTree->setUniformRowHeights(true);
  DBTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  DBTree->setSelectionMode(QAbstractItemView::SingleSelection);

  ListView = new QTreeView;
  ListView->setObjectName(QStringLiteral("ListView"));
  ListView->setModel(listModel_);
  ListView->setRootIsDecorated(false);
  ListView->setItemsExpandable(false);
  ListView->setUniformRowHeights(true);
  ListView->setAllColumnsShowFocus(true);
  ListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListView->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QHeaderView* header = ListView->header();
  header->setSectionsMovable(true);
  header->setSectionsClickable(true);
  header->setStretchLastSection(true);
  header->setHighlightSections(false);
  header->setSortIndicatorShown(true);

  IconView = new QListView;
  IconView->setObjectName(QStringLiteral("IconView"));
  IconView->setModel(listModel_);
  IconView->setSelectionModel(ListView->selectionModel());
  IconView->setSelectionMode(QAbstractItemView::ExtendedSelection);
  IconView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  IconView->setUniformItemSizes(true);
  iconCells_ = new TIconCellDelegate(IconView);
  IconView->setItemDelegate(iconCells_);

  listStack_ = new QStackedWidget;
  listStack_->addWidget(IconView);
  listStack_->addWidget(ListView);

  splitter_ = new QSplitter(Qt::Horizontal);
  splitter_->addWidget(DBTree);
  splitter_->addWidget(listStack_);
  splitter_->setHandleWidth(3);
  splitter_->setChildrenCollapsible(false);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({200, 760});
  setCentralWidget(splitter_);

  CreateActions();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  CreateItemActions();
  CreateReportActions();

  // Hints of every other control: the application's own style, wrapped once for the whole
  // program (setStyle keeps the wrapped style alive, as the wrapper owns it).
  if (!dynamic_cast<THintStyle*>(QApplication::style())) {
    auto* plain = new THintStyle(QApplication::style());
    plain->Timing = HintTimingFor(false, 0, 0);
    QApplication::setStyle(plain);
  }
  // Description hints: the tree and both list views.
  hintStyle_ = new THintStyle;
  hintStyle_->setParent(this);
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(DBTree),
                               static_cast<QAbstractItemView*>(ListView),
                               static_cast<QAbstractItemView*>(IconView)}) {
    v->viewport()->setStyle(hintStyle_);
  }
  // One filter for the whole program: the keys and focus of the views, the hints over
  // them, and the plain font back for every other tooltip after a description hint.
  plainTipFont_ = QToolTip::font();
  descFont_ = plainTipFont_;
  qApp->installEventFilter(this);

  connect(DBTree->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { TreeCurrentChanged(current); });
  connect(DBTree, &QTreeView::expanded, this, [this](const QModelIndex& index) {
    TNode* node = treeModel_->NodeOf(index);
    node->Expanded = true;
    DBTreeExpanding(node);
  });
  connect(DBTree, &QTreeView::collapsed, this,
          [this](const QModelIndex& index) { treeModel_->NodeOf(index)->Expanded = false; });
  connect(header, &QHeaderView::sectionClicked, this,
          [this](int logical) { ListViewColumnClick(logical); });
  connect(ListView, &QAbstractItemView::doubleClicked, this, [this] { ListViewDblClick(); });
  connect(IconView, &QAbstractItemView::doubleClicked, this, [this] { ListViewDblClick(); });
  connect(ListView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { ListItemStatesChanged(); });
  connect(ListView->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this] { ListItemStatesChanged(); });

  ApplyBrowseSettings(options_);
  SizeColumns();
  SetViewStyle(ViewLargeIcons);  // the start state; a saved state replaces it
  UpdateActions(true);
  ShowStatusText({}, 0);
}

TMainForm::~TMainForm() {
  destroying_ = true;
  // An editor still open commits when the views go; the window is gone by then.
  treeModel_->OnEdited = nullptr;
  listModel_->OnEdited = nullptr;
  tree_.RemoveObserver(this);
  qApp->removeEventFilter(this);
  for (QAbstractItemView* v : {static_cast<QAbstractItemView*>(DBTree),
                               static_cast<QAbstractItemView*>(ListView),
                               static_cast<QAbstractItemView*>(IconView)})
    v->viewport()->setStyle(nullptr);
  if (hourglass_) QApplication::restoreOverrideCursor();
  if (tipsFontShown_) QToolTip::setFont(plainTipFont_);
}

// ---- building ----

void TMainForm::CreateActions() {
  auto make = [this](const char* name, const QString& text, const QString& hint = {}) {
    auto* a = new QAction(text, this);
    a->setObjectName(QLatin1String(name));
    if (!hint.isEmpty()) a->setToolTip(hint);
    return a;
  };
  auto themed = [this](const char* theme, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QLatin1String(theme), style()->standardIcon(fallback));
  };
  MenuNew = make("MenuNew", QStringLiteral("&New Catalog"), QStringLiteral("Create New Catalog"));
  MenuNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  MenuNew->setIcon(themed("document-new", QStyle::SP_FileIcon));
  MenuOpen = make("MenuOpen", QStringLiteral("&Open"), QStringLiteral("Open Catalog"));
  MenuOpen->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  MenuOpen->setIcon(themed("document-open", QStyle::SP_DialogOpenButton));
  MenuSave = make("MenuSave", QStringLiteral("&Save"), QStringLiteral("Save Current Catalog"));
  MenuSave->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  MenuSave->setIcon(themed("document-save", QStyle::SP_DialogSaveButton));
  MenuSave->setEnabled(false);
  connect(this, &TMainForm::SaveEnabledChanged, MenuSave, &QAction::setEnabled);
  MenuSaveAs = make("MenuSaveAs", QStringLiteral("Save &As..."));
  MenuClose = make("MenuClose", QStringLiteral("&Close"));
  MenuClose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));
  MenuCloseAll = make("MenuCloseAll", QStringLiteral("Close All"));
  static constexpr const char* pages[][2] = {
      {"MenuGeneralSettings", "&General Settings"},
      {"MenuDiskImageSettings", "Disk &Image Settings"},
      {"MenuFontsSetup", "&Fonts Setup"},
      {"MenuDescAssistSettings", "&Description Assistant"},
      {"MenuAutoloadSettings", "Catalog &Auto-loading"}};
  for (int i = 0; i < 5; ++i) MenuSettingsPage[i] = make(pages[i][0], QLatin1String(pages[i][1]));

  MenuExit = make("MenuExit", QStringLiteral("E&xit"));
  MenuExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_X));
  connect(MenuExit, &QAction::triggered, this, &QWidget::close);

  MenuBackLevel = make("MenuBackLevel", QStringLiteral("&Back One Level"),
                       QStringLiteral("Back One Level"));
  MenuBackLevel->setIcon(ToolIcon(TToolGlyph::Back));
  connect(MenuBackLevel, &QAction::triggered, this, [this] { ButtonBackClick(); });

  viewGroup_ = new QActionGroup(this);
  struct TViewDef {
    QAction** Action;
    const char* Name;
    const char* Text;
    const char* Hint;
    TToolGlyph Glyph;
  };
  const TViewDef views[] = {
      {&MenuLargeIcons, "MenuLargeIcons", "View &Icons", "Show Large Icons", TToolGlyph::LargeIcons},
      {&MenuSmallIcons, "MenuSmallIcons", "View &Small Icons", "Show Small Icons",
       TToolGlyph::SmallIcons},
      {&MenuList, "MenuList", "View &List", "Show Icon List", TToolGlyph::List},
      {&MenuDetails, "MenuDetails", "View &Details", "Show Details", TToolGlyph::Details},
  };
  for (int style = 0; style < 4; ++style) {
    const TViewDef& v = views[style];
    QAction* a = make(v.Name, QLatin1String(v.Text), QLatin1String(v.Hint));
    a->setIcon(ToolIcon(v.Glyph));
    a->setCheckable(true);
    viewGroup_->addAction(a);
    connect(a, &QAction::triggered, this, [this, style] { SetViewStyle(style); });
    *v.Action = a;
  }

  static constexpr const char* fileSorts[] = {
      "Arrange by &Filename", "Arrange by &Extension", "Arrange by &Size",
      "Arrange by &Date",     "Arrange by &Time",      "Arrange by &Attributes"};
  static constexpr const char* diskSorts[] = {
      "Arrange by &Disk Name", "Arrange by &Media Type", "Arrange by &Capacity",
      "Arrange by &Free Space", "Arrange by &Update Date"};
  auto* groupA = new QActionGroup(this);
  auto* groupB = new QActionGroup(this);
  groupA->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  groupB->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (int key = 0; key < 6; ++key) {
    std::string name = "MenuSort" + std::to_string(key + 1) + "a";
    QAction* a = make(name.c_str(), QLatin1String(fileSorts[key]));
    a->setCheckable(true);
    groupA->addAction(a);
    connect(a, &QAction::triggered, this, [this, key] { MenuSortClick(key); });
    MenuSortA[key] = a;
  }
  for (int key = 0; key < 5; ++key) {
    std::string name = "MenuSort" + std::to_string(key + 1) + "b";
    QAction* a = make(name.c_str(), QLatin1String(diskSorts[key]));
    a->setCheckable(true);
    groupB->addAction(a);
    connect(a, &QAction::triggered, this, [this, key] { MenuSortClick(key); });
    MenuSortB[key] = a;
  }
  MenuReverseSort = make("MenuReverseSort", QStringLiteral("&Reverse Sort Order"),
                         QStringLiteral("Reverse Sort Order"));
  MenuReverseSort->setCheckable(true);
  MenuReverseSort->setIcon(ToolIcon(TToolGlyph::ReverseSort));
  connect(MenuReverseSort, &QAction::triggered, this, [this] { ButtonReverseSortClick(); });

  auto* buttons = new QActionGroup(this);
  buttons->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (int key = 0; key < 4; ++key) {
    std::string name = "ButtonSort" + std::to_string(key + 1);
    QAction* a = make(name.c_str(), {});
    a->setCheckable(true);
    buttons->addAction(a);
    connect(a, &QAction::triggered, this, [this, key] { MenuSortClick(key); });
    ButtonSort[key] = a;
  }
  ButtonSort[0]->setText(QStringLiteral("Sort by Name"));
  ButtonSort[0]->setIcon(ToolIcon(TToolGlyph::SortByName));
}

void TMainForm::CreateMenus() {
  MenuFile = menuBar()->addMenu(QStringLiteral("&File"));
  MenuFile->setObjectName(QStringLiteral("MenuFile"));
  MenuFile->addAction(MenuNew);
  MenuFile->addAction(MenuOpen);
  MenuFile->addAction(MenuSave);
  MenuFile->addAction(MenuSaveAs);
  MenuFile->addAction(MenuClose);
  MenuFile->addAction(MenuCloseAll);
  MenuFile->addSeparator();
  MenuReopen = MenuFile->addMenu(QStringLiteral("&Reopen"));
  MenuReopen->setObjectName(QStringLiteral("MenuReopen"));
  MenuReopen->setEnabled(false);
  MenuFile->addSeparator();
  MenuFile->addAction(MenuExit);

  MenuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
  MenuEdit->setObjectName(QStringLiteral("MenuEdit"));
  MenuEdit->addAction(MenuBackLevel);

  MenuView = menuBar()->addMenu(QStringLiteral("&View"));
  MenuView->setObjectName(QStringLiteral("MenuView"));
  MenuView->addAction(MenuLargeIcons);
  MenuView->addAction(MenuSmallIcons);
  MenuView->addAction(MenuList);
  MenuView->addAction(MenuDetails);
  MenuView->addSeparator();
  MenuSortItems = MenuView->addMenu(QStringLiteral("&Sort items"));
  MenuSortItems->setObjectName(QStringLiteral("MenuSortItems"));
  for (QAction* a : MenuSortA) MenuSortItems->addAction(a);
  for (QAction* a : MenuSortB) MenuSortItems->addAction(a);
  MenuSortItems->addSeparator();
  MenuSortItems->addAction(MenuReverseSort);

  MenuSettings = menuBar()->addMenu(QStringLiteral("&Settings"));
  MenuSettings->setObjectName(QStringLiteral("MenuSettings"));
  for (QAction* a : MenuSettingsPage) MenuSettings->addAction(a);
}

void TMainForm::CreateToolBar() {
  ToolBar = new QToolBar(QStringLiteral("Toolbar"), this);
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  addToolBar(Qt::TopToolBarArea, ToolBar);
  auto add = [this](QAction* a, const char* buttonName) {
    ToolBar->addAction(a);
    ToolBar->widgetForAction(a)->setObjectName(QLatin1String(buttonName));
  };
  add(MenuNew, "ButtonNew");
  add(MenuOpen, "ButtonOpen");
  add(MenuSave, "ButtonSave");
  ToolBar->addSeparator();
  add(MenuBackLevel, "ButtonBack");
  ToolBar->addSeparator();
  for (int key = 0; key < 4; ++key) {
    std::string name = "ButtonSort" + std::to_string(key + 1);
    add(ButtonSort[key], name.c_str());
  }
  add(MenuReverseSort, "ButtonReverseSort");
  ToolBar->addSeparator();
  add(MenuLargeIcons, "ButtonLargeIcon");
  add(MenuSmallIcons, "ButtonSmallIcon");
  add(MenuList, "ButtonList");
  add(MenuDetails, "ButtonDetails");
}

void TMainForm::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setSizeGripEnabled(false);
  // The window may shrink below the panels' widths; they follow at the next resize.
  bar->setMinimumWidth(1);
  auto panel = [bar](const char* name, Qt::Alignment align) {
    auto* l = new QLabel(bar);
    l->setObjectName(QLatin1String(name));
    l->setAlignment(align | Qt::AlignVCenter);
    l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    l->setTextFormat(Qt::PlainText);
    l->setMinimumWidth(0);
    bar->addWidget(l);
    return l;
  };
  StatusState = panel("StatusState", Qt::AlignHCenter);
  StatusState->setFixedWidth(StatusPanel0Width);
  StatusItem = panel("StatusItem", Qt::AlignLeft);
  StatusSelection = panel("StatusSelection", Qt::AlignLeft);
  StatusLight = new QLabel(bar);
  StatusLight->setObjectName(QStringLiteral("StatusLight"));
  StatusLight->setFixedWidth(StatusPanel3Width);
  StatusLight->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  StatusLight->setContentsMargins(5, 1, 0, 1);
  bar->addWidget(StatusLight);
  LayoutStatusPanels();
  UpdateStatusLight();
}

void TMainForm::LayoutStatusPanels() {
  TStatusWidths w = StatusPanelWidths(statusBar()->width());
  StatusItem->setFixedWidth(w.Panel1);
  StatusSelection->setFixedWidth(w.Panel2);
}

void TMainForm::SizeColumns() {
  QHeaderView* header = ListView->header();
  std::span<const int> widths = itemList_.Columns() == TColumnSet::Disks
                                    ? std::span<const int>(DiskColumnWidths)
                                    : std::span<const int>(FileColumnWidths);
  for (int i = 0; i < header->count() && i < int(widths.size()); ++i) {
    int fit = header->sectionSizeHint(i);
    header->resizeSection(i, std::max(fit, widths[std::size_t(i)]));
  }
  sizedColumns_ = itemList_.Columns();
  columnsSized_ = true;
}

// ---- catalogs in the tree ----

TNode* TMainForm::AddCatalogNode(std::unique_ptr<TNode> catalog) {
  TNode* node = tree_.AppendChild(tree_.Root(), std::move(catalog));
  ExpandNode(node);
  UpdateActions(true);
  return node;
}

void TMainForm::SelectNode(TNode* node) {
  tree_.Select(node);
  if (node) DBTree->scrollTo(treeModel_->IndexOf(node));
}

void TMainForm::ExpandNode(TNode* node) { DBTree->expand(treeModel_->IndexOf(node)); }

void TMainForm::FocusTree() { DBTree->setFocus(); }

void TMainForm::UnlockUpdates() { updateLock_ = std::max(0, updateLock_ - 1); }

void TMainForm::NodesAboutToBeRemoved(TNode*, int, int) { ++removing_; }

void TMainForm::NodesRemoved(TNode*, int, int) {
  --removing_;
  UpdateActions(true);
}

void TMainForm::SelectionChanged(TNode* node) {
  // The view follows the store; a change the view makes itself comes back here too.
  syncingTree_ = true;
  QModelIndex index = treeModel_->IndexOf(node);
  if (index.isValid()) {
    DBTree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  } else {
    DBTree->selectionModel()->clearSelection();
    DBTree->selectionModel()->setCurrentIndex({}, QItemSelectionModel::Clear);
  }
  syncingTree_ = false;
  DBTreeChange(node);
}

void TMainForm::ItemListMustClear() {
  listModel_->BeginChange();
  itemList_.Clear();
  listModel_->EndChange();
}

void TMainForm::CatalogModifiedChanged(TNode*) { UpdateActions(true); }

void TMainForm::TreeCurrentChanged(const QModelIndex& current) {
  if (syncingTree_ || removing_ > 0) return;
  tree_.Select(current.isValid() ? treeModel_->NodeOf(current) : nullptr);
}

// ---- the list ----

void TMainForm::DBTreeChange(TNode* node) {
  if (updateLock_ > 0) return;
  if (node && node->Kind() == ikFolder) {
    try {
      LoadSubfolders(node);
    } catch (const std::exception& e) {
      ShowReadError(node, e);
    }
  }
  DBTree->viewport()->update();
  DBTree->setFocus();
  LoadItemList(node);
}

void TMainForm::DBTreeExpanding(TNode* node) {
  if (!node || node->Kind() != ikFolder) return;
  try {
    LoadSubfolders(node);
  } catch (const std::exception& e) {
    ShowReadError(node, e);
  }
}

void TMainForm::ShowReadError(TNode* node, const std::exception& e) {
  TCatalogRec* cat = CatalogOf(node);
  std::string path = cat ? cat->FileName : std::string();
  prompts_.Message("Catalog error", path + "\n\r" + ErrorText(e), TButtons::Ok, TIcon::Error);
}

void TMainForm::LoadItemList(TNode* node) {
  ShowStatusText("Loading files...", 2);
  listModel_->BeginChange();
  std::string error;
  try {
    itemList_.Load(node, options_.ShowPrevCheck);
  } catch (const std::exception& e) {
    error = ErrorText(e);
  }
  listModel_->EndChange();
  if (!columnsSized_ || sizedColumns_ != itemList_.Columns()) SizeColumns();
  ListView->scrollToTop();
  IconView->scrollToTop();
  SortItems(true);
  ShowStatusText({}, 0);
  UpdateActions(true);
  if (!error.empty()) ShowReadError(node, std::runtime_error(error));
}

void TMainForm::SortItems(bool resort) {
  if (tree_.CatalogCount() == 0) return;
  ShowStatusText("Sorting...", 3);
  // Once, so that the busy state is painted; no input is taken while the sort runs.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  QModelIndex current = ListView->selectionModel()->currentIndex();
  TItemRec* currentRec = listModel_->RecordAt(current);
  std::vector<TItemRec*> selected = SelectedRecords();
  listModel_->BeginChange();
  itemList_.Sort(resort, tree_.Selected());
  listModel_->EndChange();
  RestoreRows(currentRec, selected);
  ActiveListView()->viewport()->update();
  ShowStatusText({}, 0);
}

void TMainForm::RestoreRows(TItemRec* current, const std::vector<TItemRec*>& selected) {
  // Rows are found again by record; a few by scanning, many through one lookup table.
  QItemSelectionModel* sel = ListView->selectionModel();
  auto rowOf = [this](TItemRec* rec) { return itemList_.RowOf(rec); };
  QItemSelection rows;
  if (selected.size() <= 16) {
    for (TItemRec* rec : selected)
      if (int r = rowOf(rec); r >= 0) rows.select(listModel_->index(r, 0), listModel_->index(r, 0));
  } else {
    std::unordered_map<TItemRec*, int> at;
    at.reserve(std::size_t(itemList_.Count()));
    for (int r = 0; r < itemList_.Count(); ++r) at.emplace(itemList_.At(r), r);
    for (TItemRec* rec : selected)
      if (auto it = at.find(rec); it != at.end())
        rows.select(listModel_->index(it->second, 0), listModel_->index(it->second, 0));
  }
  if (!rows.isEmpty()) sel->select(rows, QItemSelectionModel::Select | QItemSelectionModel::Rows);
  if (current) {
    int r = rowOf(current);
    if (r >= 0) sel->setCurrentIndex(listModel_->index(r, 0), QItemSelectionModel::NoUpdate);
  }
}

std::vector<TItemRec*> TMainForm::SelectedRecords() const {
  QModelIndexList rows = ListView->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<TItemRec*> out;
  out.reserve(std::size_t(rows.size()));
  for (const QModelIndex& i : rows)
    if (TItemRec* r = listModel_->RecordAt(i)) out.push_back(r);
  return out;
}

QAbstractItemView* TMainForm::ActiveListView() const {
  if (viewStyle_ == ViewDetails) return ListView;
  return IconView;
}

void TMainForm::SetViewStyle(int style) {
  style = std::clamp(style, 0, 3);
  bool hadFocus = ActiveListView()->hasFocus();
  viewStyle_ = style;
  if (style == ViewDetails) {
    listStack_->setCurrentWidget(ListView);
  } else {
    if (style == ViewLargeIcons) {
      IconView->setViewMode(QListView::IconMode);
      IconView->setIconSize(QSize(32, 32));
      IconView->setWordWrap(true);
      IconView->setFlow(QListView::LeftToRight);
      iconCells_->Cell = QSize(104, 72);
    } else {
      IconView->setViewMode(QListView::ListMode);
      IconView->setIconSize(QSize(16, 16));
      IconView->setWordWrap(false);
      IconView->setFlow(style == ViewSmallIcons ? QListView::LeftToRight : QListView::TopToBottom);
      iconCells_->Cell = QSize(style == ViewSmallIcons ? 200 : 240, 20);
    }
    IconView->setGridSize(iconCells_->Cell + QSize(4, 4));
    IconView->setWrapping(true);
    IconView->setMovement(QListView::Static);
    IconView->setResizeMode(QListView::Adjust);
    listStack_->setCurrentWidget(IconView);
  }
  if (hadFocus) ActiveListView()->setFocus();
  QModelIndex current = ActiveListView()->currentIndex();
  if (current.isValid()) ActiveListView()->scrollTo(current);
  UpdateActions(true);
}

int TMainForm::TreePaneWidth() const { return splitter_->sizes().value(0); }

void TMainForm::SetTreePaneWidth(int width) {
  QList<int> sizes = splitter_->sizes();
  int total = sizes.value(0) + sizes.value(1);
  width = std::max(0, width);
  // Before the window is laid out the panes have no sizes yet; the list takes the rest later.
  splitter_->setSizes({width, total > width ? total - width : 1000});
}

void TMainForm::SetSortState(int diskKey, int fileKey, bool reverse) {
  itemList_.DiskSortKey = std::clamp(diskKey, 0, DiskSortKeyCount - 1);
  itemList_.FileSortKey = std::clamp(fileKey, 0, FileSortKeyCount - 1);
  itemList_.ReverseOrder = reverse;
  if (itemList_.Count() > 0) SortItems(true);
  UpdateActions(true);
}

// ---- commands ----

void TMainForm::MenuSortClick(int key) {
  TNode* selected = tree_.Selected();
  if (selected && key != itemList_.CurrentKey(selected)) {
    itemList_.SetCurrentKey(selected, key);
    SortItems(true);
  }
  UpdateActions(true);  // also puts back a check mark that the click took away
}

void TMainForm::ButtonReverseSortClick() {
  itemList_.ReverseOrder = MenuReverseSort->isChecked();
  SortItems(false);
  UpdateActions(true);
}

void TMainForm::ListViewColumnClick(int column) {
  if (itemList_.Count() == 0) return;
  TNode* selected = tree_.Selected();
  if (column != itemList_.CurrentKey(selected)) {
    if (!selected) return;
    itemList_.SetCurrentKey(selected, column);
    SortItems(true);
  } else {
    MenuReverseSort->setChecked(!MenuReverseSort->isChecked());
    itemList_.ReverseOrder = MenuReverseSort->isChecked();
    SortItems(false);
  }
  UpdateActions(true);
}

void TMainForm::ListViewDblClick() {
  int row = ActiveListView()->currentIndex().row();
  TItemRec* rec = itemList_.At(row);
  if (!rec) return;
  if (KindOf(rec) == ikFile) {
    FileDoubleClick(rec);
    return;
  }
  TNode* target = itemList_.NavigateTarget(row);
  if (!target) return;
  SelectNode(target);
}

void TMainForm::TreeOrListEnter(bool alt) {
  // Alt+Enter: the properties, when that command is offered; otherwise as Enter.
  if (alt && MenuProperties->isVisible() && MenuProperties->isEnabled()) {
    PropertiesClick(TCommandSource::Toolbar);
    return;
  }
  if (ActiveListView()->hasFocus()) ListViewDblClick();
}

void TMainForm::ButtonBackClick() {
  TNode* selected = tree_.Selected();
  if (!selected || !selected->Parent || !selected->Parent->Record) return;
  SelectNode(selected->Parent);
}

void TMainForm::UpdateActions(bool full) {
  if (updateLock_ > 0 || destroying_) return;
  UpdateItemActions(full);
  if (!full) return;
  TNode* selected = tree_.Selected();
  TBrowseCommandState s = BrowseCommandState(itemList_, selected);
  MenuBackLevel->setEnabled(s.BackEnabled);
  bool anyCatalog = tree_.CatalogCount() > 0;
  for (QAction* a : {MenuSaveAs, MenuClose, MenuCloseAll}) a->setEnabled(anyCatalog);
  UpdateReportActions();
  UpdateSearchActions();

  QAction* views[] = {MenuLargeIcons, MenuSmallIcons, MenuList, MenuDetails};
  for (int style = 0; style < 4; ++style) {
    views[style]->setEnabled(s.HasItems);
    views[style]->setChecked(style == viewStyle_);
  }
  MenuSortItems->setEnabled(s.HasItems);
  for (int key = 0; key < 6; ++key) {
    MenuSortA[key]->setVisible(!s.DiskSortGroup);
    MenuSortA[key]->setChecked(key == s.Key);
  }
  for (int key = 0; key < 5; ++key) {
    MenuSortB[key]->setVisible(s.DiskSortGroup);
    MenuSortB[key]->setChecked(key == s.Key);
  }
  for (int key = 0; key < 4; ++key) {
    ButtonSort[key]->setEnabled(s.HasItems);
    ButtonSort[key]->setChecked(key == s.DownButton);
  }
  struct THint {
    const char* Text;
    TToolGlyph Glyph;
  };
  static constexpr THint fileHints[] = {{"Sort by Extension", TToolGlyph::SortByExtension},
                                        {"Sort by Size", TToolGlyph::SortBySize},
                                        {"Sort by Date", TToolGlyph::SortByDate}};
  static constexpr THint diskHints[] = {{"Sort by Media Type", TToolGlyph::SortByMediaType},
                                        {"Sort by Capacity", TToolGlyph::SortByCapacity},
                                        {"Sort by Free Space", TToolGlyph::SortByFreeSpace}};
  const THint* hints = s.DiskButtonHints ? diskHints : fileHints;
  for (int i = 0; i < 3; ++i) {
    QString text = QLatin1String(hints[i].Text);
    if (ButtonSort[i + 1]->text() != text) {
      ButtonSort[i + 1]->setText(text);
      ButtonSort[i + 1]->setIcon(ToolIcon(hints[i].Glyph));
    }
  }
  MenuReverseSort->setEnabled(s.HasItems);
  MenuReverseSort->setChecked(s.Reverse);

  QHeaderView* header = ListView->header();
  if (s.HasItems && s.Key < header->count()) {
    header->setSortIndicatorShown(true);
    header->setSortIndicator(s.Key, s.Reverse ? Qt::DescendingOrder : Qt::AscendingOrder);
  } else {
    header->setSortIndicatorShown(false);
  }
  RefreshStatus();
}

// ---- status bar ----

void TMainForm::RefreshStatus() {
  if (destroying_) return;
  TNode* selected = tree_.Selected();
  QAbstractItemView* view = ActiveListView();
  QModelIndex current = view->currentIndex();
  if (!busy_) {
    if (view->hasFocus() && current.isValid()) {
      TItemRec* rec = listModel_->RecordAt(current);
      QString name = listModel_->index(current.row(), 0).data().toString();
      StatusItem->setText(Q(ItemInfoText(name.toStdString(), rec)));
      bool cursor = false;
      std::vector<TItemRec*> records = SelectedRecords();
      StatusSelection->setText(Q(SelectionSummary(records, [&cursor] {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        cursor = true;
      })));
      if (cursor) QApplication::restoreOverrideCursor();
    } else {
      StatusSelection->clear();
      StatusItem->setText(
          selected ? Q(ItemInfoText(ToDisplay(selected->Caption), selected->Record)) : QString());
    }
  }
  std::string state = CatalogStateText(selected);
  StatusState->setText(Q(state));
  Q_EMIT SaveEnabledChanged(state == "Modified");
}

void TMainForm::ShowStatusText(const std::string& text, int mode) {
  if (mode == 0) {
    if (hourglass_) {
      QApplication::restoreOverrideCursor();
      hourglass_ = false;
    }
    busy_ = false;
    RefreshStatus();
  } else {
    busy_ = true;
    StatusItem->setText(Q(text));
    if ((mode & 1) && !hourglass_) {
      QApplication::setOverrideCursor(Qt::WaitCursor);
      hourglass_ = true;
    }
  }
  UpdateStatusLight();
  statusBar()->repaint();
}

void TMainForm::UpdateStatusLight() {
  TStateLight light = busy_               ? TStateLight::Busy
                      : tree_.SearchRunning ? TStateLight::Search
                                            : TStateLight::Idle;
  StatusLight->setPixmap(StateLightPixmap(light, 14));
  StatusLight->setProperty("light", int(light));
}

// ---- settings ----

void TMainForm::ApplyBrowseSettings(const TOptions& options) {
  bool archivesChanged = options.ArchivesSortCheck != options_.ArchivesSortCheck;
  options_ = options;
  itemList_.SortArchivesAsFiles = !options.ArchivesSortCheck;
  hintStyle_->Timing = HintTimingFor(true, options.DescWaitBar, options.DescHideBar);
  statusBar()->setVisible(options.HideStatusCheck);
  ToolBar->setVisible(options.ToolbarVisible);
  static constexpr Qt::ToolBarArea areas[] = {Qt::TopToolBarArea, Qt::BottomToolBarArea,
                                              Qt::LeftToolBarArea, Qt::RightToolBarArea};
  Qt::ToolBarArea area = areas[std::clamp(int(options.ToolbarDock), 0, 3)];
  if (toolBarArea(ToolBar) != area) addToolBar(area, ToolBar);
  int size = 16 + 4 * std::clamp(options.ButtonSizeBar, 0, kButtonSizeMax);
  ToolBar->setIconSize(QSize(size, size));
  for (QToolButton* b : ToolBar->findChildren<QToolButton*>()) b->setAutoRaise(!options.OldButtonsCheck);

  if (itemList_.ShowBackEntry() != options.ShowPrevCheck) {
    listModel_->BeginChange();
    bool changed = itemList_.SetShowBackEntry(options.ShowPrevCheck, tree_.Selected());
    listModel_->EndChange();
    if (changed) UpdateActions(true);
  } else if (archivesChanged) {
    SortItems(true);
  }
}

void TMainForm::SetFonts(const QFont& tree, const QFont& list, const QFont& tips) {
  DBTree->setFont(tree);
  ListView->setFont(list);
  IconView->setFont(list);
  descFont_ = tips;
}

// ---- events ----

void TMainForm::ListFocusIn(QAbstractItemView* view) {
  if (itemList_.Count() > 0 && !view->currentIndex().isValid()) {
    view->selectionModel()->setCurrentIndex(listModel_->index(0, 0),
                                            QItemSelectionModel::ClearAndSelect |
                                                QItemSelectionModel::Rows);
  }
}

void TMainForm::ListItemStatesChanged() {
  if (destroying_) return;
  if (ActiveListView()->currentIndex().isValid()) UpdateActions(false);
  RefreshStatus();
}

bool TMainForm::ShowDescriptionHint(QWidget* viewport, QEvent* event) {
  auto* help = static_cast<QHelpEvent*>(event);
  QAbstractItemView* view = viewport == DBTree->viewport()     ? static_cast<QAbstractItemView*>(DBTree)
                            : viewport == ListView->viewport() ? static_cast<QAbstractItemView*>(ListView)
                                                               : static_cast<QAbstractItemView*>(IconView);
  std::string text;
  QRect rect;
  if (options_.DescAsTipsCheck) {
    QModelIndex index = view->indexAt(help->pos());
    if (index.isValid()) {
      QRect cell = view->visualRect(index);
      if (view == DBTree) {
        // Only over the node's label or icon.
        if (cell.contains(help->pos())) {
          rect = cell;
          text = DescriptionHintFor(treeModel_->NodeOf(index)->Record);
        }
      } else {
        rect = view == ListView ? QRect(0, cell.top(), viewport->width(), cell.height()) : cell;
        text = DescriptionHintFor(listModel_->RecordAt(index));
      }
    }
  }
  if (text.empty()) {
    QToolTip::hideText();
    event->ignore();
    return true;
  }
  QToolTip::setFont(descFont_);
  tipsFontShown_ = true;
  THintTiming timing = hintStyle_->Timing;
  QString html = QStringLiteral("<p style='white-space:pre'>") + Q(text).toHtmlEscaped() +
                 QStringLiteral("</p>");
  // 0: the hint stays until the pointer leaves the row.
  QToolTip::showText(help->globalPos(), html, viewport, rect,
                     timing.HideMs > 0 ? timing.HideMs : 24 * 3600 * 1000);
  return true;
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip: {
      if (watched == DBTree->viewport() || watched == ListView->viewport() ||
          watched == IconView->viewport())
        return ShowDescriptionHint(static_cast<QWidget*>(watched), event);
      if (tipsFontShown_) {
        QToolTip::setFont(plainTipFont_);
        tipsFontShown_ = false;
      }
      // An ordinary hint stays its fixed time unless its control asks for another.
      if (auto* w = qobject_cast<QWidget*>(watched); w && w->toolTipDuration() < 0)
        w->setToolTipDuration(HintTimingFor(false, 0, 0).HideMs);
      break;
    }
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (ItemKeyPress(watched, key)) return true;
      if (watched == DBTree && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
          (key->modifiers() & Qt::AltModifier)) {
        TreeOrListEnter(true);
        return true;
      }
      if (watched != ListView && watched != IconView) break;
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        TreeOrListEnter(key->modifiers() & Qt::AltModifier);
        return true;
      }
      if (key->key() == Qt::Key_Backspace) {
        ButtonBackClick();
        return true;
      }
      break;
    }
    case QEvent::FocusIn:
      if (watched == ListView || watched == IconView) {
        treeActive_ = false;
        ListFocusIn(static_cast<QAbstractItemView*>(watched));
        UpdateActions(true);
      } else if (watched == DBTree) {
        treeActive_ = true;
        UpdateActions(true);
      }
      break;
    case QEvent::Resize:
      if (watched == statusBar()) LayoutStatusPanels();
      break;
    case QEvent::MouseButtonRelease:
      if (watched == StatusItem && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        StatusBarClick();
      break;
    default: break;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace tf

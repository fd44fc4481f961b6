#include "search/SearchForm.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMimeDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QTimeEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "browse/Icons.h"
#include "browse/ItemList.h"
#include "browse/ItemText.h"
#include "browse/Main.h"
#include "classify/UserList.h"
#include "platform/Prompts.h"
#include "report/ReportForm.h"
#include "search/SearchFormParts.h"
#include "settings/Options.h"
#include "text/Text.h"

namespace tf {

using namespace searchform;

namespace {

// The search thread's way onto the main thread: a blocking queued call for what it must wait
// for, a queued one for the end of a run. A call made on the main thread itself runs at once.
class TQtMainThread final : public TMainThread {
 public:
  explicit TQtMainThread(QObject* context) : context_(context) {}
  void Call(const std::function<void()>& fn) override {
    if (QThread::currentThread() == context_->thread()) {
      fn();
      return;
    }
    QMetaObject::invokeMethod(context_, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
  }
  void Post(std::function<void()> fn) override {
    QMetaObject::invokeMethod(context_, std::move(fn), Qt::QueuedConnection);
  }

 private:
  QObject* context_;
};

QStringList Items(std::initializer_list<const char*> texts) {
  QStringList out;
  for (const char* t : texts) out << QString::fromLatin1(t);
  return out;
}

QComboBox* Combo(const char* name, std::initializer_list<const char*> texts) {
  auto* c = new QComboBox;
  c->setObjectName(QLatin1String(name));
  c->addItems(Items(texts));
  return c;
}

template <class T>
T* Named(T* w, const char* name) {
  w->setObjectName(QLatin1String(name));
  return w;
}

QLineEdit* SizeEdit(const char* name) {
  auto* e = Named(new QLineEdit(QStringLiteral("0")), name);
  // Up to 999999999, with decimals (1.5 MB is 1536 KB).
  e->setValidator(new QRegularExpressionValidator(
      QRegularExpression(QStringLiteral("[0-9]{0,9}(\\.[0-9]{0,6})?")), e));
  e->setMaximumWidth(110);
  return e;
}

}  // namespace

// ---- texts ------------------------------------------------------------------------------------

std::string EmptyFieldText(const std::string& label) {
  return "The " + label + " field is still empty.\r\nPlease enter a data you are searching for.";
}

std::string RunStatusText(const TSearchStatus& s) {
  if (!s.Duplicates)
    return "Checked " + std::to_string(s.Checked) + " items, found " + std::to_string(s.Found) +
           "...";
  if (s.Collecting) return "Collecting all items: " + std::to_string(s.Found);
  return "Duplicates: " + std::to_string(s.Found) + " of " + std::to_string(s.Checked);
}

std::string ItemsInListText(int count) { return "Items in list: " + std::to_string(count); }

int ProgressPosition(int checked, int total) {
  if (total <= 0) return 0;
  return int(std::clamp<int64_t>(int64_t(checked) * 1000 / total, 0, 1000));
}

// ---- the model --------------------------------------------------------------------------------

TFoundListModel::TFoundListModel(TIconList& icons, QObject* parent)
    : QAbstractTableModel(parent), icons_(icons) {}

void TFoundListModel::SetList(TResultList* list) {
  beginResetModel();
  list_ = list;
  rows_ = list ? list->Count() : 0;
  endResetModel();
}

void TFoundListModel::SetRows(int count) {
  if (count == rows_) return;
  if (count > rows_) {
    beginInsertRows({}, rows_, count - 1);
    rows_ = count;
    endInsertRows();
  } else {
    beginResetModel();
    rows_ = count;
    endResetModel();
  }
}

void TFoundListModel::Reset() {
  beginResetModel();
  rows_ = list_ ? list_->Count() : 0;
  endResetModel();
}

// The entries below the count given: while a run appends, the vector's start stays where it
// is (its capacity grows only on this thread) and nothing past the count is read.
std::span<TItemRec* const> TFoundListModel::Shown() const {
  if (!list_ || rows_ == 0) return {};
  return std::span<TItemRec* const>(list_->Items().data(), std::size_t(rows_));
}

TItemRec* TFoundListModel::RecordAt(int row) const {
  if (row < 0 || row >= rows_) return nullptr;
  return Shown()[std::size_t(row)];
}

int TFoundListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int TFoundListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : FoundColumnCount;
}

QVariant TFoundListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  TItemRec* rec = RecordAt(index.row());
  if (!rec) return {};  // an entry emptied just now, before the list is packed
  switch (role) {
    case Qt::DisplayRole: {
      TItemInfo info = ListViewVMGetItemInfo(TListSender::SearchResults, Shown(), index.row(),
                                             InfoText, index.column(), nullptr, nullptr);
      return Q(info.Text);
    }
    case Qt::DecorationRole: {
      if (index.column() != 0) return {};
      TItemInfo info = ListViewVMGetItemInfo(TListSender::SearchResults, Shown(), index.row(),
                                             InfoIcon, 0, nullptr, &icons_);
      return info.Icon < 0 ? QVariant() : QVariant(icons_.Icon(info.Icon));
    }
    case Qt::TextAlignmentRole:
      if (Columns[index.column()].Right) return int(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    case Qt::BackgroundRole:
      // Groups of duplicates take turns in shade, so that each group reads as one.
      if (list_->Kind() == TListKind::Duplicates && list_->Group(index.row()) % 2 == 1)
        return QColor(0xEC, 0xF2, 0xFB);
      return {};
    case Qt::ToolTipRole: {
      if (!Hints) return {};
      std::string hint = DescriptionHintFor(rec);
      return hint.empty() ? QVariant() : QVariant(Q(hint));
    }
    default: return {};
  }
}

QVariant TFoundListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= FoundColumnCount) return {};
  if (role == Qt::DisplayRole) return QString::fromLatin1(Columns[section].Title);
  if (role == Qt::TextAlignmentRole)
    return int((Columns[section].Right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
  return {};
}

// ---- the animation ----------------------------------------------------------------------------

TSearchAnimation::TSearchAnimation(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Animation"));
  setFixedSize(sizeHint());
  timer_ = new QTimer(this);
  timer_->setInterval(70);
  connect(timer_, &QTimer::timeout, this, [this] {
    frame_ = (frame_ + 1) % 24;
    update();
  });
  hide();
}

void TSearchAnimation::Start() {
  frame_ = 0;
  show();
  timer_->start();
}

void TSearchAnimation::Stop() {
  timer_->stop();
  hide();
}

void TSearchAnimation::paintEvent(QPaintEvent*) {
  // A magnifying glass circling over a page of lines.
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QColor ink(0x3C, 0x44, 0x50);
  p.setPen(QPen(ink, 1.2));
  p.setBrush(Qt::white);
  QRectF page(8, 3, 26, 34);
  p.drawRect(page);
  p.setPen(QPen(QColor(0x9A, 0xA4, 0xB0), 1.2));
  for (int i = 0; i < 6; ++i) p.drawLine(QPointF(12, 9 + i * 5), QPointF(30, 9 + i * 5));
  double angle = frame_ * 2 * M_PI / 24;
  QPointF centre(22 + 8 * std::cos(angle), 18 + 7 * std::sin(angle));
  p.setPen(QPen(QColor(0x2A, 0x6C, 0xC8), 2.4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(centre + QPointF(5, 5), centre + QPointF(11, 11));
  p.setPen(QPen(ink, 2));
  p.setBrush(QColor(0xD8, 0xE8, 0xFF, 180));
  p.drawEllipse(centre, 7, 7);
}

// ---- the window -------------------------------------------------------------------------------

TSearchForm::TSearchForm(THost host, QWidget* parent) : QMainWindow(parent), host_(std::move(host)) {
  setObjectName(QStringLiteral("SearchForm"));
  setWindowTitle(QLatin1String(SearchCaption));
  setMinimumSize(610, 233);
  mainThread_ = std::make_unique<TQtMainThread>(this);
  thread_ = std::make_unique<TSearchThread>(host_.Tree, results_, dups_, *this, *mainThread_,
                                            host_.Prompts);
  host_.Tree.SetList(TListKind::Search, &results_);
  host_.Tree.SetList(TListKind::Duplicates, &dups_);
  results_.OnPacked = [this] {
    if (!duplicates_) ListPacked();
  };
  dups_.OnPacked = [this] {
    if (duplicates_) ListPacked();
  };

  PageControl = Named(new QTabWidget, "PageControl");
  PageControl->addTab(CreateSettingsPage(), QStringLiteral("Search Settings"));
  PageControl->addTab(CreateLimitPage(), QStringLiteral("Limit Search"));
  PageControl->addTab(CreateNamePage(), QStringLiteral("by Name or Type"));
  PageControl->addTab(CreateDescriptionPage(), QStringLiteral("by Description"));
  PageControl->addTab(CreateCategoryPage(), QStringLiteral("by Category"));
  PageControl->addTab(CreateSizePage(), QStringLiteral("by File Size"));
  PageControl->addTab(CreateDatePage(), QStringLiteral("by File Date"));
  connect(PageControl, &QTabWidget::currentChanged, this, [this](int to) { PageChanging(to); });

  BtnFind = Named(new QPushButton(QStringLiteral("&Find")), "BtnFind");
  BtnFind->setDefault(true);
  BtnCancel = Named(new QPushButton(QStringLiteral("C&ancel")), "BtnCancel");
  BtnNew = Named(new QPushButton(QStringLiteral("&New Search")), "BtnNew");
  BtnClose = Named(new QPushButton(QStringLiteral("Close")), "BtnClose");
  Animation = new TSearchAnimation;
  auto* buttons = new QVBoxLayout;
  for (QPushButton* b : {BtnFind, BtnCancel, BtnNew, BtnClose}) {
    b->setMinimumWidth(100);
    buttons->addWidget(b);
  }
  buttons->addSpacing(8);
  buttons->addWidget(Animation, 0, Qt::AlignHCenter);
  buttons->addStretch(1);
  connect(BtnFind, &QPushButton::clicked, this, [this] { BtnFindClick(); });
  connect(BtnCancel, &QPushButton::clicked, this, [this] { BtnCancelClick(); });
  connect(BtnNew, &QPushButton::clicked, this, [this] { BtnNewClick(); });
  connect(BtnClose, &QPushButton::clicked, this, [this] { close(); });

  topPanel_ = new QWidget;
  topPanel_->setObjectName(QStringLiteral("CriteriaPanel"));
  auto* top = new QHBoxLayout(topPanel_);
  top->setContentsMargins(6, 6, 6, 4);
  top->addWidget(PageControl, 1);
  top->addLayout(buttons);

  CreateResultPanel();
  ResultPanel->hide();
  splitter_ = new QSplitter(Qt::Vertical);
  splitter_->setChildrenCollapsible(false);
  splitter_->addWidget(topPanel_);
  splitter_->addWidget(ResultPanel);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  setCentralWidget(splitter_);
  CreateStatusBar();

  statusTimer_ = new QTimer(this);
  statusTimer_->setSingleShot(true);
  connect(statusTimer_, &QTimer::timeout, this, [this] {
    if (statusPending_ && Running()) ShowRunStatus(pending_);
    statusPending_ = false;
  });
  rowsTimer_ = new QTimer(this);
  rowsTimer_->setSingleShot(true);
  connect(rowsTimer_, &QTimer::timeout, this, [this] {
    if (Running()) ShowRows();
  });

  FillFileTypes();
  host_.Tree.AddObserver(this);
  if (host_.Options) ApplySettings(host_.Options());
  ModeClick(false);
  UpdatePageControls();
  // Wide enough for every page's tab.
  resize(std::max(760, PageControl->tabBar()->sizeHint().width() + BtnFind->sizeHint().width() + 40),
         topPanel_->sizeHint().height() + statusBar()->sizeHint().height());
}

TSearchForm::~TSearchForm() {
  // A run still going is told to stop; its calls onto this thread are answered meanwhile.
  if (thread_->Running()) {
    thread_->Cancel();
    while (thread_->Running()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
      QThread::msleep(1);
    }
  }
  thread_.reset();
  host_.Tree.RemoveObserver(this);
  for (TResultList* list : {&results_, &dups_}) {
    list->OnPacked = nullptr;
    list->Clear();
  }
  if (host_.Tree.List(TListKind::Search) == &results_)
    host_.Tree.SetList(TListKind::Search, nullptr);
  if (host_.Tree.List(TListKind::Duplicates) == &dups_)
    host_.Tree.SetList(TListKind::Duplicates, nullptr);
}

// ---- pages ------------------------------------------------------------------------------------

QWidget* TSearchForm::CreateSettingsPage() {
  auto* page = new QWidget;
  auto* v = new QVBoxLayout(page);
  NormalSearchCheck = Named(new QRadioButton(QStringLiteral("Normal search")), "NormalSearchCheck");
  DuplicateSearchCheck = Named(
      new QRadioButton(QStringLiteral("Search for Duplicate Files or Folders")), "DuplicateSearchCheck");
  NormalSearchCheck->setChecked(true);
  auto* modes = new QHBoxLayout;
  modes->addWidget(NormalSearchCheck);
  modes->addWidget(DuplicateSearchCheck);
  modes->addStretch(1);
  v->addLayout(modes);
  connect(DuplicateSearchCheck, &QRadioButton::toggled, this, [this](bool on) { ModeClick(on); });

  auto* forRow = new QHBoxLayout;
  SearchForCombo = Combo("SearchForCombo", {"Files and Folders", "Files Only", "Folders Only"});
  forRow->addWidget(new QLabel(QStringLiteral("Search for:")));
  forRow->addWidget(SearchForCombo);
  forRow->addStretch(1);
  v->addLayout(forRow);

  NormalGroup = Named(new QGroupBox(QStringLiteral("Normal Search Settings")), "NormalGroup");
  auto* ng = new QGridLayout(NormalGroup);
  SearchTypeCombo = Combo("SearchTypeCombo", {"All conditions must be fulfilled",
                                              "At least one condition must be fulfilled"});
  ng->addWidget(new QLabel(QStringLiteral("Search criteria type:")), 0, 0);
  ng->addWidget(SearchTypeCombo, 0, 1, 1, 2);
  LimitFoundCheck = Named(new QCheckBox(QStringLiteral("Stop searching when found")), "LimitFoundCheck");
  MaxFoundNum = Named(new QSpinBox, "MaxFoundNum");
  MaxFoundNum->setRange(1, 9999);
  MaxFoundNum->setValue(1000);
  ng->addWidget(LimitFoundCheck, 1, 0);
  ng->addWidget(MaxFoundNum, 1, 1);
  ng->addWidget(new QLabel(QStringLiteral("items.")), 1, 2);
  ng->setColumnStretch(3, 1);
  connect(LimitFoundCheck, &QCheckBox::toggled, this, [this] { UpdatePageControls(); });
  v->addWidget(NormalGroup);

  DuplicatesGroup = Named(new QGroupBox(QStringLiteral("Duplicates Search Settings")), "DuplicatesGroup");
  auto* dg = new QVBoxLayout(DuplicatesGroup);
  dg->addWidget(new QLabel(QStringLiteral("Items are considered the same when they have the same:")));
  auto* same = new QHBoxLayout;
  DuplicateNameCheck = Named(new QCheckBox(QStringLiteral("Name")), "DuplicateNameCheck");
  DuplicateSizeCheck = Named(new QCheckBox(QStringLiteral("Size")), "DuplicateSizeCheck");
  DuplicateDateCheck = Named(new QCheckBox(QStringLiteral("Date and Time")), "DuplicateDateCheck");
  DuplicateAttrCheck = Named(new QCheckBox(QStringLiteral("Attributes")), "DuplicateAttrCheck");
  for (QCheckBox* c : {DuplicateNameCheck, DuplicateSizeCheck, DuplicateDateCheck, DuplicateAttrCheck})
    same->addWidget(c);
  same->addStretch(1);
  dg->addLayout(same);
  DuplicateArchivesCheck = Named(
      new QCheckBox(QStringLiteral("Don't search for duplicates in compressed files")),
      "DuplicateArchivesCheck");
  dg->addWidget(DuplicateArchivesCheck);
  DuplicateNameCheck->setChecked(true);
  DuplicateSizeCheck->setChecked(true);
  DuplicateArchivesCheck->setChecked(true);
  v->addWidget(DuplicatesGroup);
  v->addStretch(1);
  return page;
}

QWidget* TSearchForm::CreateLimitPage() {
  auto* page = new QWidget;
  auto* g = new QGridLayout(page);
  g->addWidget(new QLabel(QStringLiteral("Search only in selected catalogs:")), 0, 0, 1, 2);
  CatalogTree = Named(new QTreeWidget, "CatalogTree");
  CatalogTree->setHeaderHidden(true);
  CatalogTree->setColumnCount(1);
  CatalogTree->setIconSize(QSize(StateImageWidth + ScopeIconGap + 16, 16));
  CatalogTree->setSelectionMode(QAbstractItemView::SingleSelection);
  CatalogTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
  CatalogTree->viewport()->installEventFilter(this);
  CatalogTree->installEventFilter(this);
  g->addWidget(CatalogTree, 1, 0, 3, 1);
  IncludeBtn = Named(new QPushButton(QStringLiteral("&Include All")), "IncludeBtn");
  ExcludeBtn = Named(new QPushButton(QStringLiteral("E&xclude All")), "ExcludeBtn");
  g->addWidget(IncludeBtn, 1, 1);
  g->addWidget(ExcludeBtn, 2, 1);
  g->setRowStretch(3, 1);
  g->setColumnStretch(0, 1);
  connect(IncludeBtn, &QPushButton::clicked, this, [this] { IncludeBtnClick(); });
  connect(ExcludeBtn, &QPushButton::clicked, this, [this] { ExcludeBtnClick(); });
  return page;
}

QWidget* TSearchForm::CreateNamePage() {
  auto* page = new QWidget;
  auto* g = new QGridLayout(page);
  ByNameCheck = Named(new QCheckBox(QStringLiteral("Enable searching by name or mask")), "ByNameCheck");
  g->addWidget(ByNameCheck, 0, 0, 1, 3);
  NameCombo = Combo("NameCombo", {"Exact Filename", "Part of Filename", "File Mask (wildcards)",
                                  "File Extension", "File Type"});
  NameCombo->setCurrentIndex(int(TNameMode::Part));
  g->addWidget(new QLabel(QStringLiteral("Search files by")), 1, 0);
  g->addWidget(NameCombo, 1, 1);
  NameLabel = Named(new QLabel(QStringLiteral("Search for:")), "NameLabel");
  NameEdit = Named(new QLineEdit, "NameEdit");
  NameEdit->setMaxLength(255);
  FileTypeCombo = Named(new QComboBox, "FileTypeCombo");
  FileTypeCombo->setMaxVisibleItems(20);
  nameStack_ = new QStackedWidget;
  nameStack_->addWidget(NameEdit);
  nameStack_->addWidget(FileTypeCombo);
  nameStack_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  g->addWidget(NameLabel, 2, 0);
  g->addWidget(nameStack_, 2, 1, 1, 2);
  FileCaseCheck = Named(new QCheckBox(QStringLiteral("Case sensitive search")), "FileCaseCheck");
  g->addWidget(FileCaseCheck, 3, 1);
  auto* attrs = new QGroupBox(QStringLiteral("File attributes:"));
  auto* a = new QHBoxLayout(attrs);
  AttrArchiveCheck = Named(new QCheckBox(QStringLiteral("Archive")), "AttrArchiveCheck");
  AttrHiddenCheck = Named(new QCheckBox(QStringLiteral("Hidden")), "AttrHiddenCheck");
  AttrSystemCheck = Named(new QCheckBox(QStringLiteral("System")), "AttrSystemCheck");
  AttrReadOnlyCheck = Named(new QCheckBox(QStringLiteral("Read-Only")), "AttrReadOnlyCheck");
  for (QCheckBox* c : {AttrArchiveCheck, AttrHiddenCheck, AttrSystemCheck, AttrReadOnlyCheck}) {
    c->setTristate(true);
    c->setCheckState(Qt::PartiallyChecked);
    a->addWidget(c);
  }
  a->addStretch(1);
  g->addWidget(attrs, 4, 0, 1, 3);
  g->setRowStretch(5, 1);
  g->setColumnStretch(2, 1);
  connect(NameCombo, &QComboBox::currentIndexChanged, this, [this] { NameComboChange(); });
  connect(NameEdit, &QLineEdit::returnPressed, this, [this] { BtnFindClick(); });
  return page;
}

QWidget* TSearchForm::CreateDescriptionPage() {
  auto* page = new QWidget;
  auto* g = new QGridLayout(page);
  ByDescCheck = Named(new QCheckBox(QStringLiteral("Enable searching by descriptions")), "ByDescCheck");
  g->addWidget(ByDescCheck, 0, 0, 1, 2);
  DescCheck1 = Named(new QRadioButton(QStringLiteral("Find items with any description")), "DescCheck1");
  DescCheck2 = Named(new QRadioButton(QStringLiteral("Find items with the folowing text in description:")),
                     "DescCheck2");
  DescCheck3 = Named(new QRadioButton(QStringLiteral("Find items without description")), "DescCheck3");
  DescCheck2->setChecked(true);
  DescEdit = Named(new QLineEdit, "DescEdit");
  DescCaseCheck = Named(new QCheckBox(QStringLiteral("Case sensitive search")), "DescCaseCheck");
  g->addWidget(DescCheck1, 1, 0, 1, 2);
  g->addWidget(DescCheck2, 2, 0, 1, 2);
  g->addWidget(DescEdit, 3, 1);
  g->addWidget(DescCaseCheck, 4, 1);
  g->addWidget(DescCheck3, 5, 0, 1, 2);
  g->setColumnMinimumWidth(0, 20);
  g->setColumnStretch(1, 1);
  g->setRowStretch(6, 1);
  for (QRadioButton* r : {DescCheck1, DescCheck2, DescCheck3})
    connect(r, &QRadioButton::toggled, this, [this] { UpdatePageControls(); });
  connect(DescEdit, &QLineEdit::returnPressed, this, [this] { BtnFindClick(); });
  return page;
}

QWidget* TSearchForm::CreateCategoryPage() {
  auto* page = new QWidget;
  auto* g = new QGridLayout(page);
  ByCategoryCheck = Named(new QCheckBox(QStringLiteral("Enable searching by Categories and Flags:")),
                          "ByCategoryCheck");
  g->addWidget(ByCategoryCheck, 0, 0, 1, 2);
  CategoryList = Named(new QListWidget, "CategoryList");
  FlagsList = Named(new QListWidget, "FlagsList");
  g->addWidget(new QLabel(QStringLiteral("By Categories:")), 1, 0);
  g->addWidget(new QLabel(QStringLiteral("By Flags:")), 1, 1);
  g->addWidget(CategoryList, 2, 0);
  g->addWidget(FlagsList, 2, 1);
  g->setColumnStretch(0, 3);
  g->setColumnStretch(1, 2);
  return page;
}

QWidget* TSearchForm::CreateSizePage() {
  auto* page = new QWidget;
  auto* g = new QGridLayout(page);
  BySizeCheck = Named(new QCheckBox(QStringLiteral("Enable searching by item size")), "BySizeCheck");
  g->addWidget(BySizeCheck, 0, 0, 1, 6);
  SizeCombo = Combo("SizeCombo", {"(none)", "Equal To", "Smaller Than", "Larger Than", "Between",
                                  "Not Between"});
  g->addWidget(new QLabel(QStringLiteral("Item Size must be")), 1, 0);
  g->addWidget(SizeCombo, 1, 1, 1, 2);
  SizeValue1 = SizeEdit("SizeValue1");
  SizeUnits1 = Combo("SizeUnits1", {"Bytes", "KB", "MB", "GB"});
  SizeAndLabel = Named(new QLabel(QStringLiteral("and")), "SizeAndLabel");
  SizeValue2 = SizeEdit("SizeValue2");
  SizeUnits2 = Combo("SizeUnits2", {"Bytes", "KB", "MB", "GB"});
  g->addWidget(SizeValue1, 2, 1);
  g->addWidget(SizeUnits1, 2, 2);
  g->addWidget(SizeAndLabel, 2, 3);
  g->addWidget(SizeValue2, 2, 4);
  g->addWidget(SizeUnits2, 2, 5);
  SizeAllowTollerance = Named(new QCheckBox(QStringLiteral("Allow tollerance of")), "SizeAllowTollerance");
  SizeValue3 = SizeEdit("SizeValue3");
  SizeUnits3 = Combo("SizeUnits3", {"Bytes", "KB", "MB", "GB", "TB"});
  g->addWidget(SizeAllowTollerance, 3, 0);
  g->addWidget(SizeValue3, 3, 1);
  g->addWidget(SizeUnits3, 3, 2);
  g->setColumnStretch(6, 1);
  g->setRowStretch(4, 1);
  connect(SizeCombo, &QComboBox::currentIndexChanged, this, [this] { UpdatePageControls(); });
  return page;
}

QWidget* TSearchForm::CreateDatePage() {
  auto* page = new QWidget;
  auto* g = new QGridLayout(page);
  ByDateCheck = Named(new QCheckBox(QStringLiteral("Enable searching by date and time")), "ByDateCheck");
  g->addWidget(ByDateCheck, 0, 0, 1, 6);
  DateCombo1 = Combo("DateCombo1", {"(none)", "Created", "Modified", "Accessed"});
  DateCombo2 = Combo("DateCombo2", {"On", "Before", "After", "Between", "Not Between"});
  DatePicker1 = Named(new QDateEdit(QDate::currentDate()), "DatePicker1");
  DatePicker2 = Named(new QDateEdit(QDate::currentDate()), "DatePicker2");
  for (QDateEdit* d : {DatePicker1, DatePicker2}) {
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
  }
  DateAndLabel = Named(new QLabel(QStringLiteral("and")), "DateAndLabel");
  g->addWidget(new QLabel(QStringLiteral("By File Date:")), 1, 0);
  g->addWidget(DateCombo1, 1, 1);
  g->addWidget(DateCombo2, 1, 2);
  g->addWidget(DatePicker1, 1, 3);
  g->addWidget(DateAndLabel, 1, 4);
  g->addWidget(DatePicker2, 1, 5);
  DateAllowTollerance = Named(new QCheckBox(QStringLiteral("Allow tollerance of")), "DateAllowTollerance");
  DateTollerance = Named(new QSpinBox, "DateTollerance");
  DateTollerance->setRange(0, 99);
  g->addWidget(DateAllowTollerance, 2, 1);
  g->addWidget(DateTollerance, 2, 2);
  g->addWidget(new QLabel(QStringLiteral("days.")), 2, 3);

  TimeCombo1 = Combo("TimeCombo1", {"(none)", "Created", "Modified"});
  TimeCombo2 = Combo("TimeCombo2", {"At", "Before", "After", "Between", "Not Between"});
  TimePicker1 = Named(new QTimeEdit, "TimePicker1");
  TimePicker2 = Named(new QTimeEdit, "TimePicker2");
  for (QTimeEdit* t : {TimePicker1, TimePicker2}) t->setDisplayFormat(QStringLiteral("HH:mm:ss"));
  TimeAndLabel = Named(new QLabel(QStringLiteral("and")), "TimeAndLabel");
  g->addWidget(new QLabel(QStringLiteral("By File Time:")), 3, 0);
  g->addWidget(TimeCombo1, 3, 1);
  g->addWidget(TimeCombo2, 3, 2);
  g->addWidget(TimePicker1, 3, 3);
  g->addWidget(TimeAndLabel, 3, 4);
  g->addWidget(TimePicker2, 3, 5);
  TimeAllowTollerance = Named(new QCheckBox(QStringLiteral("Allow tollerance of")), "TimeAllowTollerance");
  TimeTollerance = Named(new QSpinBox, "TimeTollerance");
  TimeTollerance->setRange(0, 999);
  g->addWidget(TimeAllowTollerance, 4, 1);
  g->addWidget(TimeTollerance, 4, 2);
  g->addWidget(new QLabel(QStringLiteral("minutes.")), 4, 3);
  g->setColumnStretch(6, 1);
  g->setRowStretch(5, 1);
  for (QComboBox* c : {DateCombo2, TimeCombo2})
    connect(c, &QComboBox::currentIndexChanged, this, [this] { UpdatePageControls(); });
  return page;
}

void TSearchForm::CreateResultPanel() {
  ResultPanel = new QWidget;
  ResultPanel->setObjectName(QStringLiteral("ResultPanel"));
  auto* v = new QVBoxLayout(ResultPanel);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(0);

  FoundToolbar = Named(new QToolBar(QStringLiteral("Found List Toolbar")), "FoundToolbar");
  FoundToolbar->setMovable(false);
  FoundToolbar->setFloatable(false);
  auto make = [this](QAction*& a, const char* name, const char* text, TToolGlyph glyph,
                     std::function<void()> handler) {
    AddToolAction(FoundToolbar, a, name, text, glyph, std::move(handler));
  };
  AddViewButtons(FoundToolbar, ViewButtons(), [this](int style) { SetViewStyle(style); });
  FoundToolbar->addSeparator();
  make(BtnReport, "BtnReport", "Generate Report", TToolGlyph::Report, [this] { BtnReportClick(); });
  FoundToolbar->addSeparator();
  make(BtnLocate, "BtnLocate", "Locate in Catalog", TToolGlyph::Locate, [this] { BtnLocateClick(); });
  make(BtnEditDesc, "BtnEditDesc", "Edit Description", TToolGlyph::EditDescription,
       [this] { BtnEditDescClick(); });
  make(BtnProperties, "BtnProperties", "Item Properties", TToolGlyph::Properties,
       [this] { BtnPropertiesClick(); });
  make(BtnSetCat, "BtnSetCat", "Set Category and Flags", TToolGlyph::SetCategory,
       [this] { BtnSetCatClick(); });
  make(BtnExplorer, "BtnExplorer", "Open in Explorer", TToolGlyph::Explorer,
       [this] { BtnExplorerClick(); });
  make(BtnLaunch, "BtnLaunch", "Launch File in Associated Program", TToolGlyph::Launch,
       [this] { BtnLaunchClick(); });
  make(BtnAddList, "BtnAddList", "Add to User List", TToolGlyph::AddToUserList,
       [this] { BtnAddListClick(); });
  FoundToolbar->addSeparator();
  make(BtnDelete, "BtnDelete", "Delete selected item(s)", TToolGlyph::DeleteItems,
       [this] { SearchRemoveMenuClick(); });
  make(BtnClear, "BtnClear", "Remove all items from the list", TToolGlyph::ClearList,
       [this] { BtnClearClick(); });
  // The commands of the main window's Edit menu, here for this window's items.
  BtnEditDesc->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  BtnProperties->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  auto* spacer = new QWidget;
  spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  FoundToolbar->addWidget(spacer);
  make(BtnMaximize, "BtnMaximize", "Maximize Found List", TToolGlyph::Maximize,
       [this] { BtnMaximizeClick(); });
  BtnMaximize->setCheckable(true);
  v->addWidget(FoundToolbar);

  Model = new TFoundListModel(host_.Main.Icons(), this);
  FoundList = Named(new QTreeView, "FoundList");
  FoundList->setModel(Model);
  FoundList->setRootIsDecorated(false);
  FoundList->setItemsExpandable(false);
  FoundList->setUniformRowHeights(true);
  FoundList->setAllColumnsShowFocus(true);
  FoundList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  FoundList->setSelectionBehavior(QAbstractItemView::SelectRows);
  FoundList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QHeaderView* header = FoundList->header();
  header->setSectionsMovable(true);
  header->setSectionsClickable(true);
  header->setStretchLastSection(true);
  header->setSortIndicatorShown(false);
  for (int c = 0; c < FoundColumnCount; ++c)
    header->resizeSection(c, std::max(Columns[c].Width, header->sectionSizeHint(c)));
  FoundIconView = Named(new QListView, "FoundIconView");
  FoundIconView->setModel(Model);
  FoundIconView->setSelectionModel(FoundList->selectionModel());
  FoundIconView->setSelectionMode(QAbstractItemView::ExtendedSelection);
  FoundIconView->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FoundIconView->setUniformItemSizes(true);
  FoundIconView->setMovement(QListView::Static);
  FoundIconView->setResizeMode(QListView::Adjust);
  FoundIconView->setWrapping(true);
  listStack_ = new QStackedWidget;
  listStack_->addWidget(FoundIconView);
  listStack_->addWidget(FoundList);
  listStack_->setCurrentWidget(FoundList);
  v->addWidget(listStack_, 1);

  connect(header, &QHeaderView::sectionClicked, this, [this](int c) { FoundListColumnClick(c); });
  for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(FoundList),
                                  static_cast<QAbstractItemView*>(FoundIconView)}) {
    connect(view, &QAbstractItemView::doubleClicked, this, [this] { FoundListDblClick(); });
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
      if (view->indexAt(pos).isValid() && FoundListPopupPopup())
        FoundListPopup->popup(view->viewport()->mapToGlobal(pos));
    });
  }
  auto selectionChanged = [this] {
    UpdateButtons();
    UpdateStatus();
  };
  connect(FoundList->selectionModel(), &QItemSelectionModel::selectionChanged, this, selectionChanged);
  connect(FoundList->selectionModel(), &QItemSelectionModel::currentChanged, this, selectionChanged);

  FoundListPopup = Named(new QMenu(this), "FoundListPopup");
  auto entry = [this](const char* name, const char* text, auto handler) {
    QAction* a = FoundListPopup->addAction(QLatin1String(text));
    a->setObjectName(QLatin1String(name));
    connect(a, &QAction::triggered, this, handler);
    return a;
  };
  PopupLocate = entry("PopupLocate", "Locate in Catalog", [this] { BtnLocateClick(); });
  PopupEditDesc = entry("PopupEditDesc", "Edit Description", [this] { BtnEditDescClick(); });
  PopupExplorer = entry("PopupExplorer", "Open in Explorer", [this] { BtnExplorerClick(); });
  PopupLaunch = entry("PopupLaunch", "Launch File", [this] { BtnLaunchClick(); });
  PopupSetCat = entry("PopupSetCat", "Set Category and Flags", [this] { BtnSetCatClick(); });
  PopupAddList = entry("PopupAddList", "Add to User List", [this] { BtnAddListClick(); });
  PopupRemove = entry("PopupRemove", "Remove from List", [this] { SearchRemoveMenuClick(); });
  FoundListPopup->addSeparator();
  PopupProperties = entry("PopupProperties", "Properties", [this] { BtnPropertiesClick(); });
}

void TSearchForm::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setSizeGripEnabled(true);
  auto panel = [bar](const char* name) { return AddStatusPanel(bar, name); };
  StatusState = panel("StatusState");
  StatusState->setFixedWidth(StatusPanel0Width);
  StatusItem = panel("StatusItem");
  StatusItem->setFixedWidth(StatusPanel1Width);
  StatusSelection = panel("StatusSelection");
  StatusItem->installEventFilter(this);
  bar->installEventFilter(this);
  Progress = Named(new QProgressBar(bar), "Progress");
  Progress->setRange(0, 1000);
  Progress->setTextVisible(false);
  Progress->hide();
  LayoutStatusPanels();
}

// A sorted list of the desktop's file types by their descriptions, each with its extensions
// (".jpg" and the separator, repeated); types that share a description share one entry.
void TSearchForm::FillFileTypes() {
  QMimeDatabase db;
  std::map<QString, std::string> byDescription;
  for (const QMimeType& type : db.allMimeTypes()) {
    QString description = type.comment();
    if (description.isEmpty()) continue;
    for (const QString& glob : type.globPatterns()) {
      if (!glob.startsWith(QLatin1String("*."))) continue;
      QString ext = glob.mid(1);
      if (ext.size() < 2 || ext.indexOf(QLatin1Char('.'), 1) >= 0 ||
          ext.contains(QRegularExpression(QStringLiteral("[*?\\[\\]]"))))
        continue;
      std::string entry = ext.toStdString() + ExtSeparator;
      std::string& list = byDescription[description];
      if (list.find(entry) == std::string::npos) list += entry;
    }
  }
  std::vector<std::pair<QString, std::string>> entries(byDescription.begin(), byDescription.end());
  std::stable_sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
    return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
  });
  FileTypeCombo->addItem(QStringLiteral("(none)"), QByteArray());
  for (const auto& [description, exts] : entries)
    if (!exts.empty()) FileTypeCombo->addItem(description, QByteArray::fromStdString(exts));
}

// ---- the controls as a value ------------------------------------------------------------------

namespace {

TAttrState AttrOf(const QCheckBox* c) {
  switch (c->checkState()) {
    case Qt::Checked: return TAttrState::Set;
    case Qt::Unchecked: return TAttrState::Clear;
    default: return TAttrState::Any;
  }
}

Qt::CheckState CheckOf(TAttrState s) {
  return s == TAttrState::Set ? Qt::Checked : s == TAttrState::Clear ? Qt::Unchecked
                                                                      : Qt::PartiallyChecked;
}

int32_t DayOf(const QDate& d) { return DayNumber(d.year(), d.month(), d.day()); }

QDate DateOf(int32_t day) {
  int y = 0, m = 0, d = 0;
  DayToDate(day, y, m, d);
  return QDate(y, m, d);
}

std::vector<std::string> CheckedNames(const QListWidget* list) {
  std::vector<std::string> out;
  for (int i = 0; i < list->count(); ++i)
    if (list->item(i)->checkState() == Qt::Checked)
      out.push_back(list->item(i)->data(Qt::UserRole).toByteArray().toStdString());
  return out;
}

}  // namespace

TSearchControls TSearchForm::Controls() const {
  TSearchControls k;
  k.SearchForCombo = TSearchFor(SearchForCombo->currentIndex());
  k.SearchTypeCombo = TMatchMode(SearchTypeCombo->currentIndex());
  k.LimitFoundCheck = LimitFoundCheck->isChecked();
  k.MaxFoundNum = MaxFoundNum->value();
  k.DuplicateNameCheck = DuplicateNameCheck->isChecked();
  k.DuplicateSizeCheck = DuplicateSizeCheck->isChecked();
  k.DuplicateDateCheck = DuplicateDateCheck->isChecked();
  k.DuplicateAttrCheck = DuplicateAttrCheck->isChecked();
  k.DuplicateArchivesCheck = DuplicateArchivesCheck->isChecked();
  k.ByNameCheck = ByNameCheck->isChecked();
  k.NameCombo = TNameMode(NameCombo->currentIndex());
  k.NameEdit = NameEdit->text().toStdString();
  k.FileTypeExtensions = FileTypeCombo->currentData().toByteArray().toStdString();
  k.FileCaseCheck = FileCaseCheck->isEnabled() && FileCaseCheck->isChecked();
  k.Attributes = {AttrOf(AttrArchiveCheck), AttrOf(AttrHiddenCheck), AttrOf(AttrSystemCheck),
                  AttrOf(AttrReadOnlyCheck)};
  k.ByDescCheck = ByDescCheck->isChecked();
  k.DescMode = DescCheck1->isChecked() ? TDescMode::Any
               : DescCheck3->isChecked() ? TDescMode::None
                                         : TDescMode::Text;
  k.DescEdit = DescEdit->text().toStdString();
  k.DescCaseCheck = DescCaseCheck->isEnabled() && DescCaseCheck->isChecked();
  k.ByCategoryCheck = ByCategoryCheck->isChecked();
  k.CheckedCategories = CheckedNames(CategoryList);
  k.CheckedFlags = CheckedNames(FlagsList);
  k.BySizeCheck = BySizeCheck->isChecked();
  k.SizeCombo = TSizeCompare(SizeCombo->currentIndex());
  k.SizeValue1 = {SizeValue1->text().toStdString(), SizeUnits1->currentIndex()};
  k.SizeValue2 = {SizeValue2->text().toStdString(), SizeUnits2->currentIndex()};
  k.SizeAllowTollerance = SizeAllowTollerance->isChecked();
  k.SizeValue3 = {SizeValue3->text().toStdString(), SizeUnits3->currentIndex()};
  k.ByDateCheck = ByDateCheck->isChecked();
  k.DateCombo1 = TDateField(DateCombo1->currentIndex());
  k.DateCombo2 = TDateCompare(DateCombo2->currentIndex());
  k.DatePicker1 = DayOf(DatePicker1->date());
  k.DatePicker2 = DayOf(DatePicker2->date());
  k.DateAllowTollerance = DateAllowTollerance->isChecked();
  k.DateTollerance = DateTollerance->value();
  k.TimeCombo1 = TTimeField(TimeCombo1->currentIndex());
  k.TimeCombo2 = TTimeCompare(TimeCombo2->currentIndex());
  k.TimePicker1 = TimePicker1->time().msecsSinceStartOfDay() / 1000;
  k.TimePicker2 = TimePicker2->time().msecsSinceStartOfDay() / 1000;
  k.TimeAllowTollerance = TimeAllowTollerance->isChecked();
  k.TimeTollerance = TimeTollerance->value();
  return k;
}

void TSearchForm::SetControls(const TSearchControls& k) {
  SearchForCombo->setCurrentIndex(int(k.SearchForCombo));
  SearchTypeCombo->setCurrentIndex(int(k.SearchTypeCombo));
  LimitFoundCheck->setChecked(k.LimitFoundCheck);
  MaxFoundNum->setValue(k.MaxFoundNum);
  DuplicateNameCheck->setChecked(k.DuplicateNameCheck);
  DuplicateSizeCheck->setChecked(k.DuplicateSizeCheck);
  DuplicateDateCheck->setChecked(k.DuplicateDateCheck);
  DuplicateAttrCheck->setChecked(k.DuplicateAttrCheck);
  DuplicateArchivesCheck->setChecked(k.DuplicateArchivesCheck);
  ByNameCheck->setChecked(k.ByNameCheck);
  NameCombo->setCurrentIndex(int(k.NameCombo));
  NameEdit->setText(Q(k.NameEdit));
  int type = FileTypeCombo->findData(QByteArray::fromStdString(k.FileTypeExtensions));
  FileTypeCombo->setCurrentIndex(std::max(type, 0));
  FileCaseCheck->setChecked(k.FileCaseCheck);
  QCheckBox* attrs[] = {AttrArchiveCheck, AttrHiddenCheck, AttrSystemCheck, AttrReadOnlyCheck};
  for (int i = 0; i < 4; ++i) attrs[i]->setCheckState(CheckOf(k.Attributes[std::size_t(i)]));
  ByDescCheck->setChecked(k.ByDescCheck);
  (k.DescMode == TDescMode::Any ? DescCheck1 : k.DescMode == TDescMode::None ? DescCheck3 : DescCheck2)
      ->setChecked(true);
  DescEdit->setText(Q(k.DescEdit));
  DescCaseCheck->setChecked(k.DescCaseCheck);
  ByCategoryCheck->setChecked(k.ByCategoryCheck);
  for (auto [list, names] : {std::pair{CategoryList, &k.CheckedCategories},
                             std::pair{FlagsList, &k.CheckedFlags}})
    for (int i = 0; i < list->count(); ++i) {
      std::string name = list->item(i)->data(Qt::UserRole).toByteArray().toStdString();
      bool on = std::find(names->begin(), names->end(), name) != names->end();
      list->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
  BySizeCheck->setChecked(k.BySizeCheck);
  SizeCombo->setCurrentIndex(int(k.SizeCombo));
  for (auto [edit, units, field] : {std::tuple{SizeValue1, SizeUnits1, &k.SizeValue1},
                                    std::tuple{SizeValue2, SizeUnits2, &k.SizeValue2},
                                    std::tuple{SizeValue3, SizeUnits3, &k.SizeValue3}}) {
    edit->setText(Q(field->Text));
    units->setCurrentIndex(std::clamp(field->Unit, 0, units->count() - 1));
  }
  SizeAllowTollerance->setChecked(k.SizeAllowTollerance);
  ByDateCheck->setChecked(k.ByDateCheck);
  DateCombo1->setCurrentIndex(int(k.DateCombo1));
  DateCombo2->setCurrentIndex(int(k.DateCombo2));
  DatePicker1->setDate(DateOf(k.DatePicker1));
  DatePicker2->setDate(DateOf(k.DatePicker2));
  DateAllowTollerance->setChecked(k.DateAllowTollerance);
  DateTollerance->setValue(k.DateTollerance);
  TimeCombo1->setCurrentIndex(int(k.TimeCombo1));
  TimeCombo2->setCurrentIndex(int(k.TimeCombo2));
  TimePicker1->setTime(QTime::fromMSecsSinceStartOfDay(k.TimePicker1 * 1000));
  TimePicker2->setTime(QTime::fromMSecsSinceStartOfDay(k.TimePicker2 * 1000));
  TimeAllowTollerance->setChecked(k.TimeAllowTollerance);
  TimeTollerance->setValue(k.TimeTollerance);
  UpdatePageControls();
}

}  // namespace tf

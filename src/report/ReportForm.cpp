#include "report/ReportForm.h"

#include <filesystem>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tf {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

template <class T>
T* Named(T* w, const char* name) {
  w->setObjectName(QLatin1String(name));
  return w;
}

std::string CurrentFolder() {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::current_path(ec);
  return ec ? std::string("/") : p.string();
}

}  // namespace

TReportForm::TReportForm(TServices services, QWidget* parent)
    : QDialog(parent), services_(std::move(services)) {
  setObjectName(QStringLiteral("ReportForm"));
  setWindowTitle(QStringLiteral("Report Generator"));

  // Destination: a file; the printer is shown but cannot be chosen.
  auto* destination = new QGroupBox(QStringLiteral("Destination"), this);
  RadioButton1 = Named(new QRadioButton(QStringLiteral("Printer:"), destination), "RadioButton1");
  RadioButton1->setEnabled(false);
  SelectPrinterBtn =
      Named(new QPushButton(QStringLiteral("Select Printer"), destination), "SelectPrinterBtn");
  SelectPrinterBtn->setEnabled(false);
  PrinterNote = Named(new QLabel(QStringLiteral("(not implemented yet)"), destination), "PrinterNote");
  PrinterNote->setEnabled(false);
  RadioButton2 = Named(new QRadioButton(QStringLiteral("Report File:"), destination), "RadioButton2");
  RadioButton2->setChecked(true);
  FileName = Named(new QLineEdit(destination), "FileName");
  FileBrowseBtn = Named(new QPushButton(QStringLiteral("Browse"), destination), "FileBrowseBtn");
  auto* dg = new QGridLayout(destination);
  dg->addWidget(RadioButton1, 0, 0);
  auto* printerRow = new QHBoxLayout;
  printerRow->addWidget(SelectPrinterBtn);
  printerRow->addWidget(PrinterNote, 1);
  dg->addLayout(printerRow, 0, 1, 1, 2);
  dg->addWidget(RadioButton2, 1, 0);
  dg->addWidget(FileName, 1, 1);
  dg->addWidget(FileBrowseBtn, 1, 2);
  dg->setColumnStretch(1, 1);

  auto* source = new QGroupBox(QStringLiteral("Source"), this);
  SourceCatalog =
      Named(new QRadioButton(QStringLiteral("Selected item in Catalog"), source), "SourceCatalog");
  SourceSearch = Named(new QRadioButton(QStringLiteral("Search Results List"), source), "SourceSearch");
  SourceUser = Named(new QRadioButton(QStringLiteral("User List"), source), "SourceUser");
  SourceCatalog->setChecked(true);
  auto* sl = new QVBoxLayout(source);
  for (QRadioButton* b : {SourceCatalog, SourceSearch, SourceUser}) sl->addWidget(b);

  auto* layout = new QGroupBox(QStringLiteral("Layout"), this);
  LayoutList = Named(new QRadioButton(QStringLiteral("Simple List"), layout), "LayoutList");
  LayoutColumns = Named(new QRadioButton(QStringLiteral("Columns"), layout), "LayoutColumns");
  LayoutColumns->setChecked(true);
  auto* ll = new QVBoxLayout(layout);
  ll->addWidget(LayoutList);
  ll->addWidget(LayoutColumns);

  auto* settings = new QGroupBox(QStringLiteral("Settings"), this);
  SeparateSubfolders =
      Named(new QCheckBox(QStringLiteral("Separate subfolders"), settings), "SeparateSubfolders");
  UseTabs = Named(new QCheckBox(QStringLiteral("Use Tabs in columns"), settings), "UseTabs");
  auto* stl = new QVBoxLayout(settings);
  stl->addWidget(SeparateSubfolders);
  stl->addWidget(UseTabs);

  auto* levelLabel = new QLabel(QStringLiteral("Detail Level:"), this);
  DetailsCombo = Named(new QComboBox(this), "DetailsCombo");
  for (const TDetailLevel& level : DetailLevels) DetailsCombo->addItem(QLatin1String(level.Name));
  DetailsCombo->setCurrentIndex(DefaultDetailLevel);
  levelLabel->setBuddy(DetailsCombo);
  auto* itemsLabel = new QLabel(QStringLiteral("Items to include in report:"), this);
  DetailsList = Named(new QListWidget(this), "DetailsList");
  itemsLabel->setBuddy(DetailsList);
  ButtonUp = Named(new QPushButton(QStringLiteral("Up"), this), "ButtonUp");
  ButtonDown = Named(new QPushButton(QStringLiteral("Down"), this), "ButtonDown");
  ButtonAll = Named(new QPushButton(QStringLiteral("Select All"), this), "ButtonAll");
  ButtonClear = Named(new QPushButton(QStringLiteral("Clear All"), this), "ButtonClear");
  OKBtn = Named(new QPushButton(QStringLiteral("OK"), this), "OKBtn");
  OKBtn->setDefault(true);
  CancelBtn = Named(new QPushButton(QStringLiteral("Cancel"), this), "CancelBtn");

  auto* listButtons = new QVBoxLayout;
  for (QPushButton* b : {ButtonUp, ButtonDown, ButtonAll, ButtonClear}) listButtons->addWidget(b);
  listButtons->addStretch(1);
  auto* items = new QHBoxLayout;
  items->addWidget(DetailsList, 1);
  items->addLayout(listButtons);
  auto* left = new QVBoxLayout;
  left->addWidget(source);
  left->addWidget(levelLabel);
  left->addWidget(DetailsCombo);
  left->addWidget(itemsLabel);
  left->addLayout(items, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(layout);
  right->addWidget(settings);
  right->addStretch(1);
  auto* middle = new QHBoxLayout;
  middle->addLayout(left, 1);
  middle->addLayout(right);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* all = new QVBoxLayout(this);
  all->addWidget(destination);
  all->addLayout(middle, 1);
  all->addLayout(buttons);
  resize(560, 520);

  connect(DetailsCombo, &QComboBox::currentIndexChanged, this, [this] { DetailsComboChange(); });
  connect(DetailsList, &QListWidget::itemChanged, this, &TReportForm::DetailsListClick);
  connect(DetailsList, &QListWidget::itemDoubleClicked, this, &TReportForm::DetailsListDblClick);
  connect(ButtonUp, &QPushButton::clicked, this, [this] { ButtonUpClick(); });
  connect(ButtonDown, &QPushButton::clicked, this, [this] { ButtonDownClick(); });
  connect(ButtonAll, &QPushButton::clicked, this, [this] { ButtonAllClick(); });
  connect(ButtonClear, &QPushButton::clicked, this, [this] { ButtonClearClick(); });
  connect(FileName, &QLineEdit::editingFinished, this, &TReportForm::FileNameExit);
  connect(FileBrowseBtn, &QPushButton::clicked, this, &TReportForm::FileBrowseBtnClick);
  connect(OKBtn, &QPushButton::clicked, this, &TReportForm::OKBtnClick);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  for (QRadioButton* b : {SourceCatalog, SourceSearch, SourceUser, LayoutList, LayoutColumns})
    connect(b, &QRadioButton::toggled, this, [this](bool on) {
      if (on) SetupDialog();
    });
  FillDetailsList();
  SetupDialog();
}

TReportForm::~TReportForm() = default;

// ---- state ----------------------------------------------------------------------------------

TReportSource TReportForm::Source() const {
  if (SourceSearch->isChecked()) return TReportSource::SearchResults;
  if (SourceUser->isChecked()) return TReportSource::UserList;
  return TReportSource::CatalogItem;
}

int TReportForm::Level() const {
  int level = DetailsCombo->currentIndex();
  return level >= 0 && level < DetailLevelCount ? level : DefaultDetailLevel;
}

int TReportForm::ShownSet() const { return DetailLevels[Level()].ColumnSet; }

std::string TReportForm::FileNameText() const { return FileName->text().toStdString(); }

TReportSettings TReportForm::Settings() const {
  TReportSettings s;
  s.Level = Level();
  s.Layout = LayoutColumns->isChecked() ? TReportLayout::Columns : TReportLayout::SimpleList;
  s.UseTabs = UseTabs->isChecked();
  s.SeparateSubfolders = SeparateSubfolders->isChecked();
  if (services_.Order) s.Order = services_.Order();
  return s;
}

std::vector<TItemRec*> TReportForm::ListOf(TReportSource source) const {
  const TListSource& given =
      source == TReportSource::SearchResults ? services_.SearchResults : services_.UserList;
  if (given) return given();
  std::vector<TItemRec*> records;
  TListKind kind = source == TReportSource::SearchResults ? TListKind::Search : TListKind::UserList;
  if (TRecordList* list = services_.Tree.List(kind))
    for (int i = 0; i < list->Count(); ++i)
      if (TItemRec* rec = list->At(i)) records.push_back(rec);
  return records;
}

void TReportForm::SetupDialog() {
  SourceSearch->setEnabled(!services_.Tree.SearchRunning &&
                           !ListOf(TReportSource::SearchResults).empty());
  SourceUser->setEnabled(!ListOf(TReportSource::UserList).empty());
  if ((SourceSearch->isChecked() && !SourceSearch->isEnabled()) ||
      (SourceUser->isChecked() && !SourceUser->isEnabled()))
    SourceCatalog->setChecked(true);
  SeparateSubfolders->setEnabled(SeparateSubfoldersEnabled(Level(), Source()));
  UseTabs->setEnabled(UseTabsEnabled(LayoutColumns->isChecked() ? TReportLayout::Columns
                                                                : TReportLayout::SimpleList));
}

void TReportForm::FormShow(TReportSource invokedFrom) {
  SetupDialog();
  if (invokedFrom == TReportSource::SearchResults && SourceSearch->isEnabled())
    SourceSearch->setChecked(true);
  else if (invokedFrom == TReportSource::UserList && SourceUser->isEnabled())
    SourceUser->setChecked(true);
  else
    SourceCatalog->setChecked(true);
  SetupDialog();
}

bool TReportForm::Open(TReportSource invokedFrom) {
  FormShow(invokedFrom);
  if (exec() != QDialog::Accepted) return false;
  return Generate();
}

bool TReportForm::Generate() {
  TReportJob job;
  job.Settings = Settings();
  job.Columns = &columns_;
  job.Source = Source();
  job.Selected = services_.Tree.Selected();
  job.Tree = &services_.Tree;
  if (job.Source != TReportSource::CatalogItem) job.Records = ListOf(job.Source);
  job.Walking = services_.Walking;
  return WriteReportFile(job, FileNameText(), services_.Prompts, services_.Progress);
}

// ---- the columns list -----------------------------------------------------------------------

void TReportForm::FillDetailsList() {
  int set = ShownSet();
  if (set == shownSet_ && DetailsList->count() > 0) return;
  filling_ = true;
  DetailsList->clear();
  for (int slot : columns_.Ordered(set)) {
    const TReportColumn& c = columns_.Slot(set, slot);
    auto* item = new QListWidgetItem(Q(c.Caption), DetailsList);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(c.Checked ? Qt::Checked : Qt::Unchecked);
    item->setData(Qt::UserRole, slot);
  }
  shownSet_ = set;
  filling_ = false;
}

void TReportForm::DetailsComboChange() {
  FillDetailsList();
  SetupDialog();
}

void TReportForm::DetailsListClick(QListWidgetItem* item) {
  if (filling_ || !item) return;
  columns_.Slot(shownSet_, item->data(Qt::UserRole).toInt()).Checked =
      item->checkState() == Qt::Checked;
}

void TReportForm::DetailsListDblClick(QListWidgetItem* item) {
  if (!item) return;
  item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void TReportForm::CheckAll(bool on) {
  for (int i = 0; i < DetailsList->count(); ++i)
    DetailsList->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void TReportForm::MoveSelected(int step) {
  int row = DetailsList->currentRow();
  int target = row + step;
  if (row < 0 || target < 0 || target >= DetailsList->count()) return;
  columns_.SwapPositions(shownSet_, DetailsList->item(row)->data(Qt::UserRole).toInt(),
                         DetailsList->item(target)->data(Qt::UserRole).toInt());
  filling_ = true;
  QListWidgetItem* item = DetailsList->takeItem(row);
  DetailsList->insertItem(target, item);
  filling_ = false;
  DetailsList->setCurrentRow(target);
}

// ---- the file -------------------------------------------------------------------------------

void TReportForm::FileNameExit() {
  std::string full = CompleteReportFileName(FileNameText(), CurrentFolder());
  if (full != FileNameText()) FileName->setText(Q(full));
}

void TReportForm::FileBrowseBtnClick() {
  TFileDialog d;
  d.Title = "Report File";
  d.Filter = ReportFileFilter;
  d.DefaultExt = "txt";
  d.FileName = FileNameText();
  d.PromptOverwrite = true;
  std::string path;
  if (services_.Prompts.SaveFile(d, path)) FileName->setText(Q(path));
}

void TReportForm::OKBtnClick() {
  FileNameExit();
  if (FileNameText().empty()) {
    services_.Prompts.Message(EmptyFileNameTitle, EmptyFileNameText, TButtons::Ok, TIcon::Warning);
    return;
  }
  accept();
}

}  // namespace tf

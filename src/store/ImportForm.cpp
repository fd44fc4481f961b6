#include "store/ImportForm.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "store/ImportFM.h"

namespace tf {

namespace {

template <class T>
T* Named(T* w, const char* name) {
  w->setObjectName(QLatin1String(name));
  return w;
}

}  // namespace

TImportForm::TImportForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ImportForm"));
  setWindowTitle(QStringLiteral("Import from Kestrevane"));
  auto* folderLabel = new QLabel(QStringLiteral("&Folder:"), this);
  FolderEdit = Named(new QLineEdit(this), "FolderEdit");
  folderLabel->setBuddy(FolderEdit);
  FolderBrowseBtn = Named(new QPushButton(QStringLiteral("&Browse..."), this), "FolderBrowseBtn");
  auto* listLabel = new QLabel(QStringLiteral("Kestrevane databases:"), this);
  FileList = Named(new QListWidget(this), "FileList");
  listLabel->setBuddy(FileList);
  NameLabel = Named(new QLabel(QString::fromLatin1(NoDatabaseSelectedText), this), "NameLabel");
  CountLabel = Named(new QLabel(this), "CountLabel");
  OKBtn = Named(new QPushButton(QStringLiteral("OK"), this), "OKBtn");
  OKBtn->setDefault(true);
  OKBtn->setEnabled(false);
  CancelBtn = Named(new QPushButton(QStringLiteral("C&ancel"), this), "CancelBtn");

  auto* grid = new QGridLayout;
  grid->addWidget(folderLabel, 0, 0);
  grid->addWidget(FolderEdit, 0, 1);
  grid->addWidget(FolderBrowseBtn, 0, 2);
  grid->setColumnStretch(1, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  auto* all = new QVBoxLayout(this);
  all->addLayout(grid);
  all->addWidget(listLabel);
  all->addWidget(FileList, 1);
  all->addWidget(NameLabel);
  all->addWidget(CountLabel);
  all->addLayout(buttons);
  resize(420, 340);

  ChooseFolder = [this](const QString& start) {
    return QFileDialog::getExistingDirectory(this, QStringLiteral("Folder of the database"), start);
  };
  connect(FileList, &QListWidget::currentRowChanged, this, [this] { FileListChange(); });
  connect(FileList, &QListWidget::itemDoubleClicked, this, &TImportForm::FileListDblClick);
  connect(FolderBrowseBtn, &QPushButton::clicked, this, &TImportForm::FolderBrowseBtnClick);
  connect(FolderEdit, &QLineEdit::editingFinished, this, &TImportForm::FolderEditExit);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  SetFolder(QDir::homePath());
}

TImportForm::~TImportForm() = default;

void TImportForm::SetFolder(const QString& folder) {
  folder_ = QDir(folder).absolutePath();
  FolderEdit->setText(QDir::toNativeSeparators(folder_));
  FileList->clear();
  QDir dir(folder_);
  dir.setNameFilters({QStringLiteral("*.dsk")});
  dir.setFilter(QDir::Files | QDir::Hidden);
  dir.setSorting(QDir::Name | QDir::IgnoreCase);
  // Name filters of QDir ignore letter case: NAME.DSK, name.dsk and Name.Dsk all show.
  FileList->addItems(dir.entryList());
  FileListChange();
}

QString TImportForm::Folder() const { return folder_; }

std::string TImportForm::SelectedDatabase() const {
  QListWidgetItem* item = FileList->currentItem();
  if (!item || !item->isSelected()) return {};
  return QDir(folder_).filePath(item->text()).toStdString();
}

void TImportForm::FileListChange() {
  TDatabaseCheck check = CheckDatabase(SelectedDatabase());
  NameLabel->setText(QString::fromStdString(check.NameLabel));
  CountLabel->setText(QString::fromStdString(check.CountLabel));
  OKBtn->setEnabled(check.Valid);
}

void TImportForm::FileListDblClick(QListWidgetItem* item) {
  if (item && OKBtn->isEnabled()) accept();
}

void TImportForm::FolderBrowseBtnClick() {
  QString chosen = ChooseFolder ? ChooseFolder(folder_) : QString();
  if (!chosen.isEmpty()) SetFolder(chosen);
}

void TImportForm::FolderEditExit() {
  QString typed = FolderEdit->text();
  if (QDir(typed).absolutePath() == folder_) return;
  // A folder that does not exist leaves the chosen one as it was.
  if (QDir(typed).exists())
    SetFolder(typed);
  else
    FolderEdit->setText(QDir::toNativeSeparators(folder_));
}

}  // namespace tf

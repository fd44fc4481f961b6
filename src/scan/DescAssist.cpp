#include "scan/DescAssist.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/Drives.h"
#include "platform/Progress.h"
#include "platform/Prompts.h"
#include "scan/DescFiles.h"
#include "scan/Utils.h"
#include "text/Text.h"

namespace tf {

namespace {

// Stored descriptions separate lines with CR LF; the editor with LF.
QString FromStored(std::string_view text) {
  QString s = QString::fromStdString(ToDisplay(text));
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return s;
}

std::string ToStored(const QString& text) {
  QString s = text;
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return s.toStdString();
}

// Description files were mostly written by DOS programs: what is not UTF-8 is code page 437.
QString FileDisplay(const std::string& bytes) {
  return QString::fromStdString(IsValidUtf8(bytes) ? bytes : Cp437ToUtf8(bytes));
}

}  // namespace

TDescAssistForm::TDescAssistForm(TMediaDetector& media, TDrives& drives, TUserPrompts& prompts,
                                 TProgress& progress, std::function<TSearchSettings()> settings,
                                 QWidget* parent)
    : QDialog(parent),
      media_(media),
      drives_(drives),
      prompts_(prompts),
      progress_(progress),
      settings_(std::move(settings)) {
  setObjectName(QStringLiteral("DescAssistForm"));
  setWindowTitle(QStringLiteral("Description Assistant"));
  resize(760, 480);
  auto* layout = new QVBoxLayout(this);

  auto* head = new QHBoxLayout;
  IconLabel = new QLabel;
  NameLabel = new QLabel;
  NameLabel->setObjectName(QStringLiteral("NameLabel"));
  QFont bold = NameLabel->font();
  bold.setBold(true);
  NameLabel->setFont(bold);
  head->addWidget(IconLabel);
  head->addWidget(NameLabel, 1);
  layout->addLayout(head);

  auto* splitter = new QSplitter(Qt::Horizontal);
  auto* left = new QWidget;
  auto* leftLayout = new QVBoxLayout(left);
  leftLayout->setContentsMargins(0, 0, 0, 0);
  leftLayout->addWidget(new QLabel(QStringLiteral("Description:")));
  DescMemo = new QPlainTextEdit;
  DescMemo->setObjectName(QStringLiteral("DescMemo"));
  DescMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  connect(DescMemo, &QPlainTextEdit::textChanged, this, [this] {
    changed_ = true;
    // Never more than a description can hold.
    if (DescMemo->toPlainText().toUtf8().size() > qsizetype(MaxDescription + 200)) {
      QString t = DescMemo->toPlainText();
      std::string stored = ToStored(t);
      DescMemo->setPlainText(FromStored(CutText(stored, MaxDescription)));
      DescMemo->moveCursor(QTextCursor::End);
    }
  });
  leftLayout->addWidget(DescMemo);
  splitter->addWidget(left);

  auto* right = new QWidget;
  auto* rightLayout = new QVBoxLayout(right);
  rightLayout->setContentsMargins(0, 0, 0, 0);
  auto* filesRow = new QHBoxLayout;
  FilesCombo = new QComboBox;
  FilesCombo->setObjectName(QStringLiteral("FilesCombo"));
  GetFilesBtn = new QPushButton(QStringLiteral("Get &Files"));
  GetFilesBtn->setObjectName(QStringLiteral("GetFilesBtn"));
  filesRow->addWidget(FilesCombo, 1);
  filesRow->addWidget(GetFilesBtn);
  rightLayout->addLayout(filesRow);
  FileMemo = new QPlainTextEdit;
  FileMemo->setObjectName(QStringLiteral("FileMemo"));
  FileMemo->setReadOnly(true);
  FileMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  FileMemo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  rightLayout->addWidget(FileMemo);
  splitter->addWidget(right);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 1);
  left->setMinimumWidth(200);
  right->setMinimumWidth(200);
  layout->addWidget(splitter, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKBtn"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
  layout->addWidget(buttons);

  connect(GetFilesBtn, &QPushButton::clicked, this, &TDescAssistForm::GetFilesClick);
  connect(FilesCombo, &QComboBox::currentIndexChanged, this, [this] {
    if (searched_) LoadSelectedFile();
  });
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TDescAssistForm::reject);
}

QString TDescAssistForm::ItemName() const {
  if (file_) return QString::fromStdString(ToDisplay(file_->Name()));
  return node_ ? QString::fromStdString(ToDisplay(node_->Caption)) : QString();
}

void TDescAssistForm::Open(TNode* node, TFileRec* file) {
  node_ = node;
  file_ = file;
  TItemRec* item = file ? static_cast<TItemRec*>(file) : node->Record;
  inArchive_ = HasFlag(item, InArchive);
  letter_ = 0;
  searched_ = false;
  noFiles_ = false;
  NameLabel->setText(ItemName());
  uint8_t kind = KindOf(item);
  QStyle::StandardPixmap icon = kind == ikFile     ? QStyle::SP_FileIcon
                                : kind == ikFolder ? QStyle::SP_DirIcon
                                                   : QStyle::SP_DriveHDIcon;
  IconLabel->setPixmap(style()->standardIcon(icon).pixmap(32, 32));
  const TText* desc = DescriptionOf(item);
  original_ = FromStored(desc ? desc->View() : std::string_view());
  DescMemo->setPlainText(original_);
  FilesCombo->clear();
  FilesCombo->setEnabled(false);
  FileMemo->clear();
  GetFilesBtn->setEnabled(true);
  changed_ = false;
  // Catalogs have no medium; a disk, folder or file is searched at once when its medium is
  // in a drive, or when it lies inside an archive (where nothing can be read anyway).
  if (KindOf(node->Record) != ikCatalog) {
    if (!inArchive_) letter_ = media_.LocateDiskMedia(node, false, false);
    if (letter_ > LocateManual || inArchive_) Search();
  } else {
    GetFilesBtn->setEnabled(false);
  }
}

void TDescAssistForm::GetFilesClick() {
  if (!node_ || searched_) return;
  letter_ = media_.LocateDiskMedia(node_, true, false);
  if (letter_ > LocateManual) Search();
}

void TDescAssistForm::Search() {
  progress_.SetStatus("Searching for description files, please wait...");
  progress_.Begin("Searching for description files...", 0);
  searched_ = false;
  FilesCombo->clear();
  TSearchSettings s = settings_();
  std::vector<std::string> found =
      CollectDescriptionFiles(node_, s.Masks, s.Subfolders, s.MaxLevels);
  progress_.End();
  progress_.SetStatus("");
  noFiles_ = found.empty();
  if (noFiles_) {
    FilesCombo->addItem(QString::fromLatin1(inArchive_ ? DescAssistCompressed : DescAssistNoFiles));
  } else {
    for (const auto& f : found) FilesCombo->addItem(QString::fromStdString(ToDisplay(f)));
  }
  FilesCombo->setEnabled(!noFiles_);
  GetFilesBtn->setEnabled(false);
  searched_ = true;
  FilesCombo->setCurrentIndex(0);
  LoadSelectedFile();
}

void TDescAssistForm::LoadSelectedFile() {
  FileMemo->clear();
  if (inArchive_ || noFiles_ || FilesCombo->currentIndex() < 0) return;
  char letter = media_.LocateDiskMedia(node_, true, false);
  if (letter <= LocateManual) return;
  letter_ = letter;
  progress_.SetStatus("Loading description file...");
  std::string entry = FilesCombo->currentText().toStdString();
  std::string path = DescriptionFilePath(node_, letter_, entry);
  std::string host = FindHostPath(drives_, path);
  std::string text;
  bool ok = !host.empty() && ReadDescriptionView(host, text);
  progress_.SetStatus("");
  if (!ok) {
    prompts_.Message("Error Reading File", "Can't open file " + path, TButtons::Ok, TIcon::Warning);
    FileMemo->setPlainText(QString::fromLatin1(DescViewReadError));
    return;
  }
  FileMemo->setPlainText(FileDisplay(text));
}

QString TDescAssistForm::FileText() const { return FileMemo->toPlainText(); }

bool TDescAssistForm::StoreDescription() {
  QString text = DescMemo->toPlainText();
  if (text == original_) return false;
  return StoreEditedDescription(node_, file_, ToStored(text));
}

// OK while a search runs keeps the window open, the text as typed, until the search is over.
void TDescAssistForm::accept() {
  if (DescMemo->toPlainText() != original_ && RefuseEditWhileSearching(node_, prompts_)) return;
  QDialog::accept();
}

void TDescAssistForm::reject() {
  if (changed_ && DescMemo->toPlainText() != original_ &&
      prompts_.Message("Close Form", "Discard description changes?", TButtons::YesNo,
                       TIcon::Question) == TAnswer::No)
    return;
  QDialog::reject();
}

bool TDescAssistForm::Edit(TNode* node, TFileRec* file) {
  Open(node, file);
  if (exec() != QDialog::Accepted) return false;
  return StoreDescription();
}

}  // namespace tf

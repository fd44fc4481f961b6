#include "scan/AddDiskForm.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "scan/FolderDrives.h"
#include "scan/InsertMedia.h"
#include "scan/Utils.h"
#include "text/Text.h"

namespace tf {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(ToDisplay(s)); }

// The busy pointer while drives are read; a question shown meanwhile gets the normal one.
class TBusyCursor {
 public:
  TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TBusyCursor() { Release(); }
  void Release() {
    if (on_) QApplication::restoreOverrideCursor();
    on_ = false;
  }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

 private:
  bool on_ = true;
};

QIcon StyleDriveIcon(uint8_t mediaType) {
  QStyle* style = QApplication::style();
  switch (MediaFamily(mediaType)) {
    case TMediaFamily::Floppy35:
    case TMediaFamily::Floppy525And8: return style->standardIcon(QStyle::SP_DriveFDIcon);
    case TMediaFamily::None: break;
  }
  if (mediaType == MediaCdRom) return style->standardIcon(QStyle::SP_DriveCDIcon);
  if (mediaType == MediaNetwork) return style->standardIcon(QStyle::SP_DriveNetIcon);
  return style->standardIcon(QStyle::SP_DriveHDIcon);
}

}  // namespace

// ---- drive buttons

TDriveButton::TDriveButton(char letter, QWidget* parent) : QToolButton(parent), letter_(letter) {
  setObjectName(QStringLiteral("DriveButton") + QLatin1Char(letter));
  setFixedSize(ButtonSize, ButtonSize);
  setIconSize(QSize(32, 32));
  setCheckable(true);
  setAutoRaise(false);
  setFocusPolicy(Qt::StrongFocus);
}

TDriveLabel::TDriveLabel(TDriveButton* button, QWidget* parent)
    : QLabel(QStringLiteral("&") + QLatin1Char(button->Letter()) + QLatin1Char(':'), parent),
      button_(button) {
  setObjectName(QStringLiteral("DriveLabel") + QLatin1Char(button->Letter()));
  setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  setFixedWidth(TDriveButton::ButtonSize);
  setBuddy(button);
}

bool TDriveLabel::event(QEvent* event) {
  // The label's mnemonic presses its button, rather than only giving it the focus.
  if (event->type() == QEvent::Shortcut) {
    if (button_->isVisible() && button_->isEnabled()) {
      button_->setFocus(Qt::ShortcutFocusReason);
      button_->click();
    }
    return true;
  }
  return QLabel::event(event);
}

// ---- the window

TAddDiskForm::TAddDiskForm(TServices services, QWidget* parent)
    : QDialog(parent), s_(std::move(services)) {
  setObjectName(QStringLiteral("AddDiskForm"));
  setWindowTitle(QString::fromLatin1(AddDiskCaption));
  if (!s_.DriveIcon) s_.DriveIcon = StyleDriveIcon;

  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  auto* drives = new QGroupBox(QStringLiteral("Drives"));
  drives->setObjectName(QStringLiteral("DriveGroup"));
  auto* drivesLayout = new QVBoxLayout(drives);
  DrivePanel = new QWidget;
  DrivePanel->setObjectName(QStringLiteral("DrivePanel"));
  driveGrid_ = new QGridLayout(DrivePanel);
  driveGrid_->setContentsMargins(0, 0, 0, 0);
  driveGrid_->setHorizontalSpacing(2);
  driveGrid_->setVerticalSpacing(0);
  drivesLayout->addWidget(DrivePanel, 0, Qt::AlignLeft);
  EmptyDriveLabel = new QLabel(QStringLiteral("No drives are available"));
  EmptyDriveLabel->setObjectName(QStringLiteral("EmptyDriveLabel"));
  EmptyDriveLabel->setAlignment(Qt::AlignCenter);
  EmptyDriveLabel->setVisible(false);
  drivesLayout->addWidget(EmptyDriveLabel);
  // No mnemonics here or below: Alt + letter presses drive buttons.
  auto* folderRow = new QHBoxLayout;
  AddFolderBtn = new QPushButton(QString::fromLatin1(AddFolderCaption));
  AddFolderBtn->setObjectName(QStringLiteral("AddFolderBtn"));
  AddFolderBtn->setToolTip(QStringLiteral("Show a folder as a drive, to catalog it like a medium"));
  AddFolderBtn->setAutoDefault(false);
  RemoveFolderBtn = new QPushButton(QString::fromLatin1(RemoveFolderCaption));
  RemoveFolderBtn->setObjectName(QStringLiteral("RemoveFolderBtn"));
  RemoveFolderBtn->setAutoDefault(false);
  folderRow->addStretch();
  folderRow->addWidget(AddFolderBtn);
  folderRow->addWidget(RemoveFolderBtn);
  drivesLayout->addLayout(folderRow);
  layout->addWidget(drives);

  auto* form = new QFormLayout;
  DiskName = new QLineEdit;
  DiskName->setObjectName(QStringLiteral("DiskName"));
  DiskName->setMaxLength(255);
  DatabaseList = new QComboBox;
  DatabaseList->setObjectName(QStringLiteral("DatabaseList"));
  DatabaseList->installEventFilter(this);
  form->addRow(QStringLiteral("Disk name:"), DiskName);
  form->addRow(QStringLiteral("Add to catalog:"), DatabaseList);
  layout->addLayout(form);

  auto* options = new QGroupBox(QStringLiteral("Options"));
  auto* grid = new QGridLayout(options);
  auto check = [&](const char* name, const char* caption, int row, int column) {
    auto* c = new QCheckBox(QString::fromLatin1(caption));
    c->setObjectName(QLatin1String(name));
    grid->addWidget(c, row, column);
    return c;
  };
  BrowseArchiveCheck = check("BrowseArchiveCheck", "Browse inside compressed files (ZIP, ARJ, RAR...)", 0, 0);
  ImportCommentCheck = check("ImportCommentCheck", "Import archive's comment", 1, 0);
  KeepCurrentCheck = check("KeepCurrentCheck", "Keep current descriptions if available", 2, 0);
  ImportDizCheck = check("ImportDizCheck", "Import 'File_id.diz' files", 0, 1);
  Import4DOSCheck = check("Import4DOSCheck", "Import 'Descript.ion' files", 1, 1);
  ImportBBSCheck = check("ImportBBSCheck", "Import 'Files.bbs' files", 2, 1);
  layout->addWidget(options);

  auto* buttons = new QHBoxLayout;
  DefaultCheck = new QCheckBox(QStringLiteral("Save as default"));
  DefaultCheck->setObjectName(QStringLiteral("DefaultCheck"));
  OKBtn = new QPushButton(QStringLiteral("OK"));
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"));
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setAutoDefault(false);
  DiskInfoBtn = new QPushButton(QStringLiteral("Disk &Info"));
  DiskInfoBtn->setObjectName(QStringLiteral("DiskInfoBtn"));
  DiskInfoBtn->setAutoDefault(false);
  DiskInfoBtn->setEnabled(false);
  DiskInfoBtn->setVisible(bool(s_.DiskInfo));
  buttons->addWidget(DefaultCheck);
  buttons->addStretch();
  buttons->addWidget(DiskInfoBtn);
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  layout->addLayout(buttons);

  StatusBar = new QLabel;
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->setTextFormat(Qt::PlainText);
  StatusBar->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  layout->addWidget(StatusBar);

  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(DiskInfoBtn, &QPushButton::clicked, this, [this] { DiskInfoBtnClick(); });
  connect(DatabaseList, &QComboBox::activated, this, [this] { DatabaseListChange(); });
  connect(AddFolderBtn, &QPushButton::clicked, this, [this] { AddFolderClick(); });
  connect(RemoveFolderBtn, &QPushButton::clicked, this, [this] { RemoveFolderClick(); });
}

TAddDiskForm::~TAddDiskForm() = default;

std::optional<TScanJob> TAddDiskForm::Execute(TNode* updateDisk, char focusLetter) {
  PrepareForm(updateDisk);
  FormShow();
  if (TDriveButton* b = Button(NormalDriveLetter(focusLetter)); b && !b->isHidden())
    b->setFocus();
  if (UpdateMode()) QTimer::singleShot(0, this, [this] { FormActivate(); });
  if (exec() != QDialog::Accepted) return std::nullopt;
  return job_;
}

std::vector<TFolderDrive> TAddDiskForm::FolderDrives() const {
  if (!s_.FolderDrives) return {};
  return LoadFolderDrives(*s_.FolderDrives);
}

bool TAddDiskForm::IsFolderDrive(char letter) const {
  for (const TFolderDrive& f : FolderDrives())
    if (f.Letter == letter) return true;
  return false;
}

void TAddDiskForm::BuildDriveButtons() {
  for (TDriveLabel* l : labels_) delete l;
  for (TDriveButton* b : buttons_) delete b;
  labels_.clear();
  buttons_.clear();
  mask_ = s_.Drives.LogicalDrives();
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    if (!(mask_ & (1u << (letter - 'A')))) continue;
    auto* button = new TDriveButton(letter, DrivePanel);
    auto* label = new TDriveLabel(button, DrivePanel);
    connect(button, &QToolButton::clicked, this, [this, letter] { DriveButtonClick(letter); });
    buttons_.push_back(button);
    labels_.push_back(label);
  }
  built_ = true;
}

int TAddDiskForm::ButtonsPerRow() const {
  QScreen* sc = screen() ? screen() : QGuiApplication::primaryScreen();
  int width = sc ? sc->geometry().width() : 800;
  return std::max(1, width * 2 / 3 / TDriveButton::ButtonSize);
}

void TAddDiskForm::LayoutDriveButtons() {
  while (driveGrid_->count() > 0) delete driveGrid_->takeAt(0);
  int perRow = ButtonsPerRow();
  int n = 0;
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    TDriveButton* b = buttons_[i];
    if (b->isHidden()) continue;
    int row = n / perRow, column = n % perRow;
    driveGrid_->addWidget(b, row * 2, column, Qt::AlignHCenter);
    driveGrid_->addWidget(labels_[i], row * 2 + 1, column, Qt::AlignHCenter);
    ++n;
  }
  DrivePanel->setVisible(n > 0);
  EmptyDriveLabel->setVisible(n == 0);
}

void TAddDiskForm::FitAndCentre() {
  adjustSize();
  QScreen* sc = screen() ? screen() : QGuiApplication::primaryScreen();
  if (sc) move(sc->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

TDriveButton* TAddDiskForm::Button(char letter) const {
  for (TDriveButton* b : buttons_)
    if (b->Letter() == letter) return b;
  return nullptr;
}

std::vector<TDriveButton*> TAddDiskForm::VisibleButtons() const {
  std::vector<TDriveButton*> out;
  for (TDriveButton* b : buttons_)
    if (!b->isHidden()) out.push_back(b);
  return out;
}

void TAddDiskForm::PrepareForm(TNode* updateDisk) {
  updateDisk_ = updateDisk && updateDisk->Kind() == ikDisk ? updateDisk : nullptr;
  if (!built_ || s_.Drives.LogicalDrives() != mask_) BuildDriveButtons();
  uint8_t diskType = updateDisk_ ? static_cast<TDiskRec*>(updateDisk_->Record)->MediaType : 0;
  std::vector<TFolderDrive> folders = FolderDrives();
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    TDriveButton* b = buttons_[i];
    char letter = b->Letter();
    uint8_t type = s_.Media.GetMediaType(letter);
    b->setIcon(s_.DriveIcon(type));
    QString hint = QString::fromStdString(MediaTypeName(type)) + QStringLiteral(" (") +
                   QLatin1Char(letter) + QStringLiteral(":)");
    // Where the drive is on this machine: its mount point, or the folder a folder drive shows.
    std::string root = s_.Drives.RootPath(letter);
    bool folder = std::any_of(folders.begin(), folders.end(),
                              [letter](const TFolderDrive& f) { return f.Letter == letter; });
    if (!root.empty())
      hint += QLatin1Char('\n') + (folder ? QStringLiteral("Folder ") : QString()) + Q(root);
    b->setToolTip(hint);
    bool visible = !updateDisk_ || MediaTypesCompatible(type, diskType);
    b->setHidden(!visible);
    labels_[i]->setHidden(!visible);
  }
  LayoutDriveButtons();
  AddFolderBtn->setVisible(s_.FolderDrives != nullptr);
  RemoveFolderBtn->setVisible(s_.FolderDrives != nullptr);
  FitAndCentre();
}

void TAddDiskForm::FormShow() {
  settings_ = s_.Settings ? s_.Settings() : TScanSettings();
  DatabaseList->clear();
  catalogs_.clear();
  TNode* chosen = updateDisk_ ? CatalogNodeOf(updateDisk_) : CatalogNodeOf(s_.Tree.Selected());
  int index = 0;
  for (int i = 0; i < s_.Tree.CatalogCount(); ++i) {
    TNode* c = s_.Tree.Catalog(i);
    catalogs_.push_back(c);
    DatabaseList->addItem(Q(c->Caption));
    if (c == chosen) index = i;
  }
  DatabaseList->setCurrentIndex(catalogs_.empty() ? -1 : index);
  // An update replaces the disk in its own catalog.
  DatabaseList->setEnabled(!updateDisk_);
  BrowseArchiveCheck->setChecked(settings_.BrowseArchiveCheck);
  ImportDizCheck->setChecked(settings_.ImportDizCheck);
  Import4DOSCheck->setChecked(settings_.Import4DOSCheck);
  ImportBBSCheck->setChecked(settings_.ImportBBSCheck);
  ImportCommentCheck->setChecked(settings_.ImportCommentCheck);
  KeepCurrentCheck->setChecked(settings_.KeepCurrentCheck);
  DefaultCheck->setChecked(false);
  setWindowTitle(QString::fromLatin1(updateDisk_ ? UpdateDiskCaption : AddDiskCaption));
  job_ = TScanJob();
  DiskName->clear();
  ClearSelection();
  UpdateStatus();
}

void TAddDiskForm::FormActivate() {
  if (!updateDisk_) return;
  if (VisibleButtons().empty() && s_.FolderDrives) {
    // No drive can hold the disk, but the folder it was read from can become one.
    StatusBar->setText(QString::fromLatin1(NoDriveForMediaText));
    AddFolderBtn->setFocus();
    return;
  }
  StatusBar->setText(QString::fromLatin1(LookingForMediaText));
  StatusBar->repaint();
  char found = s_.Media.LocateDiskMedia(updateDisk_, true, true);
  if (found == LocateNotFound) {
    reject();
    return;
  }
  if (found == LocateManual) {
    UpdateStatus();
    return;
  }
  TDriveButton* b = Button(found);
  if (b && !b->isHidden())
    DriveButtonClick(found);
  else
    UpdateStatus();
}

void TAddDiskForm::ClearSelection() {
  letter_ = 0;
  matches_.clear();
  for (TDriveButton* b : buttons_) b->setChecked(false);
  OKBtn->setEnabled(false);
  DiskInfoBtn->setEnabled(false);
  RemoveFolderBtn->setEnabled(false);
}

void TAddDiskForm::DiskInfoBtnClick() {
  if (!letter_ || !s_.DiskInfo) return;
  int index = DatabaseList->currentIndex();
  TNode* catalog = index >= 0 && index < int(catalogs_.size()) ? catalogs_[std::size_t(index)] : nullptr;
  s_.DiskInfo(image_, letter_, catalog);
}

void TAddDiskForm::DriveButtonClick(char letter) {
  letter = NormalDriveLetter(letter);
  TDriveButton* button = Button(letter);
  if (!letter || !button || letter == letter_) {
    ClearSelection();
    UpdateStatus();
    return;
  }
  bool ready;
  {
    TBusyCursor busy;
    ready = s_.Media.IsDriveReady(letter, false);
    if (!ready) {
      busy.Release();
      ready = s_.Media.IsDriveReady(letter, true);  // asks the user to retry
    }
  }
  if (!ready) {
    ClearSelection();
    DiskName->clear();
    UpdateStatus();
    return;
  }
  {
    TBusyCursor busy;
    s_.Media.ReadVolumeInfo(letter, image_);
  }
  letter_ = letter;
  for (TDriveButton* b : buttons_) b->setChecked(b == button);
  OKBtn->setEnabled(!catalogs_.empty());
  DiskInfoBtn->setEnabled(true);
  RemoveFolderBtn->setEnabled(IsFolderDrive(letter));
  LookUpExistingDisk();
  UpdateStatus();
}

void TAddDiskForm::DatabaseListChange() {
  if (!letter_) return;
  LookUpExistingDisk();
  UpdateStatus();
}

void TAddDiskForm::LookUpExistingDisk() {
  matches_.clear();
  if (updateDisk_) {
    matches_.push_back(updateDisk_);
  } else {
    int i = DatabaseList->currentIndex();
    if (i >= 0 && i < int(catalogs_.size()))
      matches_ = FindMatchingDisks(catalogs_[std::size_t(i)], image_);
  }
  DiskName->setText(Q(ProposedDiskName(image_, ExistingDisk(), settings_)));
  DiskName->selectAll();
}

void TAddDiskForm::UpdateStatus() {
  bool matches = updateDisk_ ? MediumMatchesDisk(image_, *static_cast<TDiskRec*>(updateDisk_->Record))
                             : !matches_.empty();
  StatusBar->setText(QString::fromStdString(AddDiskStatusLine(letter_, image_, UpdateMode(), matches)));
}

QString TAddDiskForm::StatusText() const { return StatusBar->text(); }

TScanSettings TAddDiskForm::CurrentSettings() const {
  TScanSettings s = settings_;
  s.BrowseArchiveCheck = BrowseArchiveCheck->isChecked();
  s.ImportDizCheck = ImportDizCheck->isChecked();
  s.Import4DOSCheck = Import4DOSCheck->isChecked();
  s.ImportBBSCheck = ImportBBSCheck->isChecked();
  s.ImportCommentCheck = ImportCommentCheck->isChecked();
  s.KeepCurrentCheck = KeepCurrentCheck->isChecked();
  return s;
}

void TAddDiskForm::OKBtnClick() {
  int index = DatabaseList->currentIndex();
  if (!letter_ || index < 0 || index >= int(catalogs_.size())) return;
  TScanJob job;
  job.Drive = letter_;
  job.Catalog = updateDisk_ ? updateDisk_->Parent : catalogs_[std::size_t(index)];
  // The proposed name keeps its stored bytes when the user left it as it was.
  std::string proposed = ProposedDiskName(image_, ExistingDisk(), settings_);
  job.DiskName = DiskName->text() == Q(proposed) ? proposed : DiskName->text().toStdString();
  job.Settings = CurrentSettings();

  if (updateDisk_) {
    if (!MediumMatchesDisk(image_, *static_cast<TDiskRec*>(updateDisk_->Record)) &&
        s_.Prompts.Message(MismatchTitle, MismatchText(updateDisk_->Caption), TButtons::YesNo,
                           TIcon::Question) == TAnswer::No)
      return;
    job.UpdateDisk = updateDisk_;
  } else if (matches_.size() == 1) {
    switch (s_.Prompts.Message(UpdateOldDataTitle, UpdateOldDataText(matches_.front()->Caption),
                               TButtons::YesNoCancel, TIcon::Question)) {
      case TAnswer::Yes: job.UpdateDisk = matches_.front(); break;
      case TAnswer::No: break;
      default: return;
    }
  } else if (matches_.size() > 1) {
    TDiskSelectForm select(s_.Prompts, this);
    switch (select.Choose(matches_)) {
      case TDiskSelectForm::TResult::Update: job.UpdateDisk = select.Selected(); break;
      case TDiskSelectForm::TResult::AddNew: break;
      case TDiskSelectForm::TResult::Cancel: return;
    }
    if (job.UpdateDisk) job.Catalog = job.UpdateDisk->Parent;
  }
  job_ = std::move(job);
  accept();
}

void TAddDiskForm::done(int result) {
  if (result == QDialog::Accepted && DefaultCheck->isChecked() && s_.SaveDefaults)
    s_.SaveDefaults(CurrentSettings());
  QDialog::done(result);
}

bool TAddDiskForm::PressLetter(int key) {
  if (key < Qt::Key_A || key > Qt::Key_Z) return false;
  char letter = char('A' + (key - Qt::Key_A));
  TDriveButton* b = Button(letter);
  if (!b || b->isHidden()) return false;
  b->setFocus(Qt::ShortcutFocusReason);
  b->click();
  return true;
}

void TAddDiskForm::keyPressEvent(QKeyEvent* event) {
  // A plain letter anywhere but in the name presses that drive's button (the name's editor
  // takes its letters before they get here).
  Qt::KeyboardModifiers mods = event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
  if (mods == Qt::NoModifier && !DiskName->hasFocus() && PressLetter(event->key())) return;
  QDialog::keyPressEvent(event);
}

bool TAddDiskForm::eventFilter(QObject* watched, QEvent* event) {
  // The catalog list would take letters to look for a catalog; they choose drives here.
  if (watched == DatabaseList && event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
    if (mods == Qt::NoModifier && key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z) {
      PressLetter(key->key());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

// ---- folder drives

std::string TAddDiskForm::RemoveFolderText(char letter, const std::string& folder) {
  return std::string("Do you want to remove the folder drive ") + letter + ": (" + folder +
         ")?\rThe folder and its files stay as they are.";
}

void TAddDiskForm::AddFolderClick() {
  if (!s_.FolderDrives) return;
  if (FreeFolderDriveLetters(s_.Drives).empty()) {
    s_.Prompts.Message(FolderDriveTitle, NoFreeLetterText, TButtons::Ok, TIcon::Information);
    return;
  }
  TFolderDriveForm form(s_.Drives, s_.Prompts, this);
  if (updateDisk_) form.ProposeAs(*static_cast<TDiskRec*>(updateDisk_->Record));
  std::optional<TFolderDrive> drive = form.Execute();
  if (!drive) return;
  SaveFolderDrive(*s_.FolderDrives, *drive);
  s_.FolderDrives->Flush();
  ClearSelection();
  PrepareForm(updateDisk_);
  TDriveButton* b = Button(drive->Letter);
  if (b && !b->isHidden()) {
    b->setFocus();
    DriveButtonClick(drive->Letter);
  } else {
    UpdateStatus();
  }
}

void TAddDiskForm::RemoveFolderClick() {
  if (!s_.FolderDrives || !letter_) return;
  for (const TFolderDrive& f : FolderDrives()) {
    if (f.Letter != letter_) continue;
    if (s_.Prompts.Message(FolderDriveTitle, RemoveFolderText(f.Letter, f.Folder),
                           TButtons::YesNo, TIcon::Question) != TAnswer::Yes)
      return;
    RemoveFolderDrive(*s_.FolderDrives, f.Letter);
    s_.FolderDrives->Flush();
    ClearSelection();
    DiskName->clear();
    PrepareForm(updateDisk_);
    UpdateStatus();
    return;
  }
}

// ---- the folder drive window

TFolderDriveForm::TFolderDriveForm(TDrives& drives, TUserPrompts& prompts, QWidget* parent)
    : QDialog(parent), drives_(drives), prompts_(prompts) {
  setObjectName(QStringLiteral("FolderDriveForm"));
  setWindowTitle(QString::fromLatin1(FolderDriveCaption));
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(QStringLiteral(
      "The folder is shown as a drive with the volume data below, so that it can be "
      "catalogued like a medium and found again later."));
  intro->setWordWrap(true);
  layout->addWidget(intro);

  auto* form = new QFormLayout;
  auto* folderRow = new QHBoxLayout;
  FolderEdit = new QLineEdit;
  FolderEdit->setObjectName(QStringLiteral("FolderEdit"));
  FolderEdit->setMinimumWidth(320);
  BrowseBtn = new QPushButton(QStringLiteral("&Browse..."));
  BrowseBtn->setObjectName(QStringLiteral("BrowseBtn"));
  BrowseBtn->setAutoDefault(false);
  folderRow->addWidget(FolderEdit, 1);
  folderRow->addWidget(BrowseBtn);
  auto* folderLabel = new QLabel(QStringLiteral("&Folder:"));
  folderLabel->setBuddy(FolderEdit);
  form->addRow(folderLabel, folderRow);
  LetterCombo = new QComboBox;
  LetterCombo->setObjectName(QStringLiteral("LetterCombo"));
  form->addRow(QStringLiteral("&Drive letter:"), LetterCombo);
  LabelEdit = new QLineEdit;
  LabelEdit->setObjectName(QStringLiteral("LabelEdit"));
  LabelEdit->setMaxLength(11);
  form->addRow(QStringLiteral("&Label:"), LabelEdit);
  SerialEdit = new QLineEdit;
  SerialEdit->setObjectName(QStringLiteral("SerialEdit"));
  SerialEdit->setMaxLength(9);
  SerialEdit->setPlaceholderText(QStringLiteral("XXXX-XXXX"));
  form->addRow(QStringLiteral("&Serial number:"), SerialEdit);
  MediaTypeCombo = new QComboBox;
  MediaTypeCombo->setObjectName(QStringLiteral("MediaTypeCombo"));
  for (int code = 0; code <= MediaRemovable; ++code)
    MediaTypeCombo->addItem(QString::fromStdString(MediaTypeName(uint8_t(code))), code);
  form->addRow(QStringLiteral("&Media type:"), MediaTypeCombo);
  FileSystemEdit = new QLineEdit;
  FileSystemEdit->setObjectName(QStringLiteral("FileSystemEdit"));
  FileSystemEdit->setMaxLength(8);
  form->addRow(QStringLiteral("File s&ystem:"), FileSystemEdit);
  layout->addLayout(form);

  auto* buttons = new QHBoxLayout;
  OKBtn = new QPushButton(QStringLiteral("OK"));
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"));
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  layout->addLayout(buttons);

  connect(BrowseBtn, &QPushButton::clicked, this, [this] {
    QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Folder as Drive"),
                                                       FolderEdit->text());
    if (!folder.isEmpty()) SetFolder(folder);
  });
  connect(FolderEdit, &QLineEdit::editingFinished, this, [this] {
    if (FolderEdit->isModified()) SetFolder(FolderEdit->text());
  });
  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  FillLetters();
}

void TFolderDriveForm::FillLetters() {
  LetterCombo->clear();
  for (char l : FreeFolderDriveLetters(drives_))
    LetterCombo->addItem(QString(QLatin1Char(l)) + QLatin1Char(':'), int(l));
}

void TFolderDriveForm::ProposeAs(const TDiskRec& disk) {
  proposeAs_.emplace(disk.VolumeLabel, disk.MediaType);
}

void TFolderDriveForm::SetFolder(const QString& folder) {
  TFolderDrive d = ProposeFolderDrive(drives_, folder.toStdString());
  if (proposeAs_) {
    d.Label = proposeAs_->first;
    d.MediaType = proposeAs_->second;
  }
  FolderEdit->setText(QString::fromStdString(d.Folder));
  FolderEdit->setModified(false);
  int letter = LetterCombo->findData(int(d.Letter));
  if (LetterCombo->currentIndex() < 0 && letter >= 0) LetterCombo->setCurrentIndex(letter);
  LabelEdit->setText(QString::fromStdString(d.Label));
  SerialEdit->setText(QString::fromStdString(FormatSerial(d.Serial)));
  int type = MediaTypeCombo->findData(int(d.MediaType));
  MediaTypeCombo->setCurrentIndex(type >= 0 ? type : MediaTypeCombo->findData(int(MediaHardDisk)));
  FileSystemEdit->setText(QString::fromStdString(d.FileSystem));
}

void TFolderDriveForm::OKBtnClick() {
  TFolderDrive d;
  d.Folder = FolderEdit->text().trimmed().toStdString();
  d.Letter = char(LetterCombo->currentData().toInt());
  d.Label = LabelEdit->text().toStdString();
  std::optional<uint32_t> serial = ParseSerial(SerialEdit->text().trimmed().toStdString());
  if (!serial) {
    prompts_.Message(FolderDriveTitle, BadSerialText, TButtons::Ok, TIcon::Information);
    SerialEdit->setFocus();
    return;
  }
  d.Serial = *serial;
  d.MediaType = uint8_t(MediaTypeCombo->currentData().toInt());
  d.FileSystem = FileSystemEdit->text().trimmed().toStdString();
  std::string problem = CheckFolderDrive(drives_, d);
  if (!problem.empty()) {
    prompts_.Message(FolderDriveTitle, problem, TButtons::Ok, TIcon::Information);
    (problem == FolderMissingText ? static_cast<QWidget*>(FolderEdit) : LetterCombo)->setFocus();
    return;
  }
  drive_ = std::move(d);
  accept();
}

std::optional<TFolderDrive> TFolderDriveForm::Execute() {
  if (exec() != QDialog::Accepted) return std::nullopt;
  return drive_;
}

}  // namespace tf

#include "app/OptionsForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/Prompts.h"
#include "platform/SettingsStore.h"
#include "store/OpenCatalogs.h"

namespace tf {

namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }
std::string S(const QString& s) { return s.toStdString(); }

QPushButton* Button(const char* name, const QString& caption) {
  auto* b = new QPushButton(caption);
  b->setObjectName(QLatin1String(name));
  return b;
}

}  // namespace

QFont ToQFont(const TFont& font) {
  QFont f(Q(font.Name));
  if (font.Height < 0)
    f.setPixelSize(-font.Height);
  else if (font.Height > 0)
    f.setPixelSize(font.Height);
  f.setBold(font.Bold);
  f.setItalic(font.Italic);
  f.setUnderline(font.Underline);
  f.setStrikeOut(font.StrikeOut);
  return f;
}

TFont FromQFont(const QFont& font) {
  TFont f;
  f.Name = S(font.family());
  int pixels = font.pixelSize();
  if (pixels <= 0) pixels = qRound(font.pointSizeF() * 96.0 / 72.0);
  f.Height = -pixels;
  f.Bold = font.weight() > QFont::Normal;
  f.Italic = font.italic();
  f.Underline = font.underline();
  f.StrikeOut = font.strikeOut();
  return f;
}

TFontDefaults DesktopFontDefaults() {
  TFontDefaults d;
  d.IconTitle = FromQFont(QApplication::font("QListView"));
  d.Interface = FromQFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
  return d;
}

TOptionsForm::TOptionsForm(TSettingsKey& key, TUserPrompts& prompts, const TFontDefaults& fonts,
                           QWidget* parent)
    : QDialog(parent), key_(key), prompts_(prompts), fontDefaults_(fonts) {
  setObjectName(QStringLiteral("OptionsForm"));
  setWindowTitle(QStringLiteral("Settings"));
  Pages = new QTabWidget;
  const char* titles[] = {"General", "Disk Image", "Fonts", "Descriptions", "Auto Load"};
  QWidget* pages[5];
  for (int i = 0; i < 5; ++i) {
    pages[i] = new QWidget;
    Pages->addTab(pages[i], QString::fromLatin1(titles[i]));
  }
  BuildGeneralPage(pages[PageGeneral]);
  BuildDiskImagePage(pages[PageDiskImage]);
  BuildFontsPage(pages[PageFonts]);
  BuildDescriptionsPage(pages[PageDescriptions]);
  BuildAutoLoadPage(pages[PageAutoLoad]);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                       QDialogButtonBox::Apply);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKBtn"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("CancelBtn"));
  buttons->button(QDialogButtonBox::Apply)->setObjectName(QStringLiteral("ApplyBtn"));
  connect(buttons->button(QDialogButtonBox::Ok), &QPushButton::clicked, this,
          &TOptionsForm::OkClick);
  connect(buttons->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this,
          &TOptionsForm::reject);
  connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
          &TOptionsForm::ApplyClick);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Pages);
  layout->addWidget(buttons);

  LoadSettings();
}

TOptionsForm::~TOptionsForm() = default;

QCheckBox* TOptionsForm::Check(const char* name, const QString& caption) {
  auto* c = new QCheckBox(caption);
  c->setObjectName(QLatin1String(name));
  connect(c, &QCheckBox::toggled, this, [this] {
    if (!loading_) MarkChanged();
  });
  return c;
}

static QSpinBox* Spin(const char* name, int min, int max) {
  auto* s = new QSpinBox;
  s->setObjectName(QLatin1String(name));
  s->setRange(min, max);
  return s;
}

static QSlider* Slider(const char* name, int max) {
  auto* s = new QSlider(Qt::Horizontal);
  s->setObjectName(QLatin1String(name));
  s->setRange(0, max);
  s->setTickPosition(QSlider::TicksBelow);
  s->setPageStep(1);
  return s;
}

void TOptionsForm::BuildGeneralPage(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  ShowPrevCheck = Check("ShowPrevCheck", QStringLiteral("Show '..' folders (&previous folder)"));
  HideStatusCheck = Check("HideStatusCheck", QStringLiteral("Display &status bar"));
  TipsCheck = Check("TipsCheck", QStringLiteral("Show tips at program startup"));
  ArchivesSortCheck = Check("ArchivesSortCheck",
                            QStringLiteral("Sort archive files as folders (default as files)"));
  layout->addWidget(ShowPrevCheck);
  layout->addWidget(HideStatusCheck);
  layout->addWidget(TipsCheck);
  layout->addWidget(ArchivesSortCheck);

  auto* tips = new QGroupBox(QStringLiteral("Descriptions as tips"));
  auto* tipsLayout = new QGridLayout(tips);
  DescAsTipsCheck = Check("DescAsTipsCheck", QStringLiteral("S&how descriptions as tips"));
  DescWaitBar = Slider("DescWaitBar", kDescWaitMax);
  DescHideBar = Slider("DescHideBar", kDescHideMax);
  auto* waitValue = new QLabel;
  auto* hideValue = new QLabel;
  connect(DescWaitBar, &QSlider::valueChanged, this, [this, waitValue](int v) {
    waitValue->setText(QStringLiteral("%1 s").arg(v / 10.0, 0, 'f', 1));
    if (!loading_) MarkChanged();
  });
  connect(DescHideBar, &QSlider::valueChanged, this, [this, hideValue](int v) {
    hideValue->setText(v == 0 ? QStringLiteral("never") : QStringLiteral("%1 s").arg(v));
    if (!loading_) MarkChanged();
  });
  tipsLayout->addWidget(DescAsTipsCheck, 0, 0, 1, 3);
  tipsLayout->addWidget(new QLabel(QStringLiteral("Wait before showing")), 1, 0);
  tipsLayout->addWidget(DescWaitBar, 1, 1);
  tipsLayout->addWidget(waitValue, 1, 2);
  tipsLayout->addWidget(new QLabel(QStringLiteral("Autohide after")), 2, 0);
  tipsLayout->addWidget(DescHideBar, 2, 1);
  tipsLayout->addWidget(hideValue, 2, 2);
  layout->addWidget(tips);

  auto* autoSave = new QHBoxLayout;
  AutoSaveCheck = Check("AutoSaveCheck", QStringLiteral("Auto-save catalog(s) every"));
  AutoSaveEdit = Spin("AutoSaveEdit", kAutoSaveMin, kAutoSaveMax);
  connect(AutoSaveEdit, &QSpinBox::valueChanged, this, [this] {
    if (!loading_) MarkChanged();
  });
  autoSave->addWidget(AutoSaveCheck);
  autoSave->addWidget(AutoSaveEdit);
  autoSave->addWidget(new QLabel(QStringLiteral("minutes.")));
  autoSave->addStretch();
  layout->addLayout(autoSave);

  auto* dbl = new QHBoxLayout;
  FileDoubleClickCombo = new QComboBox;
  FileDoubleClickCombo->setObjectName(QStringLiteral("FileDoubleClickCombo"));
  FileDoubleClickCombo->addItems({QStringLiteral("Nothing"), QStringLiteral("Open File Properites"),
                                  QStringLiteral("Open File in Explorer"),
                                  QStringLiteral("Launch File")});
  connect(FileDoubleClickCombo, &QComboBox::currentIndexChanged, this, [this] {
    if (!loading_) MarkChanged();
  });
  dbl->addWidget(new QLabel(QStringLiteral("Double-clicking file means:")));
  dbl->addWidget(FileDoubleClickCombo);
  dbl->addStretch();
  layout->addLayout(dbl);

  auto* bar = new QGroupBox(QStringLiteral("Toolbar"));
  auto* barLayout = new QGridLayout(bar);
  ButtonSizeBar = Slider("ButtonSizeBar", kButtonSizeMax);
  connect(ButtonSizeBar, &QSlider::valueChanged, this, [this] {
    if (!loading_) MarkChanged();
  });
  auto* sizeLabel = new QLabel(QStringLiteral("&Button Size:"));
  sizeLabel->setBuddy(ButtonSizeBar);
  barLayout->addWidget(sizeLabel, 0, 0);
  barLayout->addWidget(ButtonSizeBar, 0, 1, 1, 3);
  barLayout->addWidget(new QLabel(QStringLiteral("Dock toolbar to:")), 1, 0);
  const char* sides[] = {"Top", "Bottom", "Left side", "Right side"};
  for (int i = 0; i < 4; ++i) {
    Toolbar[i] = new QRadioButton(QString::fromLatin1(sides[i]));
    Toolbar[i]->setObjectName(QStringLiteral("Toolbar%1").arg(i + 1));
    connect(Toolbar[i], &QRadioButton::toggled, this, [this] {
      if (!loading_) MarkChanged();
    });
    barLayout->addWidget(Toolbar[i], 1 + i / 2, 1 + i % 2);
  }
  ToolbarVisible = Check("ToolbarVisible", QStringLiteral("&Visible"));
  ToolbarFloating = Check("ToolbarFloating", QStringLiteral("&Floating"));
  OldButtonsCheck = Check("OldButtonsCheck", QStringLiteral("Old Style Buttons"));
  barLayout->addWidget(ToolbarVisible, 3, 0);
  barLayout->addWidget(ToolbarFloating, 3, 1);
  barLayout->addWidget(OldButtonsCheck, 3, 2);
  layout->addWidget(bar);
  layout->addStretch();
}

void TOptionsForm::BuildDiskImagePage(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  auto* import = new QGroupBox(QStringLiteral("When adding a disk"));
  auto* importLayout = new QVBoxLayout(import);
  InsideZipCheck = Check("InsideZipCheck",
                         QStringLiteral("Browse inside compressed files (ZIP, ARJ, RAR...)"));
  DescCommentCheck = Check("DescCommentCheck",
                           QStringLiteral("Import compressed file's comment if available"));
  DescDizCheck = Check(
      "DescDizCheck",
      QStringLiteral("Import 'FILE_ID.DIZ' description files (multi-line text descriptions)"));
  Desc4DOSCheck = Check(
      "Desc4DOSCheck",
      QStringLiteral("Import 'DESCRIPT.ION' description files (4DOS/NDOS descriptions)"));
  DescBBSCheck = Check(
      "DescBBSCheck",
      QStringLiteral("Import 'FILES.BBS' description files (standard BBS descriptions)"));
  for (QCheckBox* c : {InsideZipCheck, DescCommentCheck, DescDizCheck, Desc4DOSCheck, DescBBSCheck})
    importLayout->addWidget(c);
  auto* trunc = new QHBoxLayout;
  DescTruncCheck = Check("DescTruncCheck", QStringLiteral("Truncate descriptions if longer than"));
  DescTruncEdit = Spin("DescTruncEdit", kDescTruncMin, kDescTruncMax);
  connect(DescTruncEdit, &QSpinBox::valueChanged, this, [this] {
    if (!loading_) MarkChanged();
  });
  trunc->addWidget(DescTruncCheck);
  trunc->addWidget(DescTruncEdit);
  trunc->addWidget(new QLabel(QStringLiteral("lines.")));
  trunc->addStretch();
  importLayout->addLayout(trunc);
  layout->addWidget(import);

  auto* update = new QGroupBox(QStringLiteral("When updating a disk"));
  auto* updateLayout = new QVBoxLayout(update);
  DescKeepCurrentCheck = Check(
      "DescKeepCurrentCheck",
      QStringLiteral("Keep current descriptions (if available) when updating disk data"));
  UpdateNameCheck = Check("UpdateNameCheck",
                          QStringLiteral("Keep old disk name when disk is already in the catalog"));
  updateLayout->addWidget(DescKeepCurrentCheck);
  updateLayout->addWidget(UpdateNameCheck);
  layout->addWidget(update);

  auto* ignore = new QGroupBox(QStringLiteral("Leave out"));
  auto* ignoreLayout = new QVBoxLayout(ignore);
  IgnoreFilesCheck = Check("IgnoreFilesCheck", QStringLiteral("Ignore hidden files"));
  IgnoreFoldersCheck = Check("IgnoreFoldersCheck", QStringLiteral("Ignore hidden folders"));
  IgnoreRecycleCheck = Check("IgnoreRecycleCheck", QStringLiteral("Ignore Recycle Bin folder"));
  ignoreLayout->addWidget(IgnoreFilesCheck);
  ignoreLayout->addWidget(IgnoreFoldersCheck);
  ignoreLayout->addWidget(IgnoreRecycleCheck);
  layout->addWidget(ignore);
  layout->addStretch();
}

void TOptionsForm::BuildFontsPage(QWidget* page) {
  auto* layout = new QVBoxLayout(page);
  auto* slotRow = new QHBoxLayout;
  FontSlotCombo = new QComboBox;
  FontSlotCombo->setObjectName(QStringLiteral("FontSlotCombo"));
  for (auto caption : kFontSlotCaptions) FontSlotCombo->addItem(Q(caption));
  auto* slotLabel = new QLabel(QStringLiteral("C&hange settings for:"));
  slotLabel->setBuddy(FontSlotCombo);
  slotRow->addWidget(slotLabel);
  slotRow->addWidget(FontSlotCombo, 1);
  layout->addLayout(slotRow);

  SystemFontRadio = new QRadioButton(QStringLiteral("Use &system default font"));
  SystemFontRadio->setObjectName(QStringLiteral("SystemFontRadio"));
  CustomFontRadio = new QRadioButton(QStringLiteral("&Custom font:"));
  CustomFontRadio->setObjectName(QStringLiteral("CustomFontRadio"));
  SelectFontBtn = Button("SelectFontBtn", QStringLiteral("Select &Font"));
  FontNameLabel = new QLabel;
  FontNameLabel->setObjectName(QStringLiteral("FontNameLabel"));
  FontSampleLabel = new QLabel(Q(kFontSample));
  FontSampleLabel->setObjectName(QStringLiteral("FontSampleLabel"));
  FontSampleLabel->setFrameShape(QFrame::StyledPanel);
  FontSampleLabel->setAlignment(Qt::AlignCenter);
  FontSampleLabel->setMinimumHeight(60);
  layout->addWidget(SystemFontRadio);
  auto* custom = new QHBoxLayout;
  custom->addWidget(CustomFontRadio);
  custom->addWidget(FontNameLabel, 1);
  custom->addWidget(SelectFontBtn);
  layout->addLayout(custom);
  layout->addWidget(FontSampleLabel);
  layout->addStretch();

  connect(FontSlotCombo, &QComboBox::currentIndexChanged, this, [this] { ShowFontSlot(); });
  connect(CustomFontRadio, &QRadioButton::toggled, this, [this](bool on) {
    if (loading_) return;
    fonts_[std::size_t(FontSlotCombo->currentIndex())].UseCustom = on;
    MarkChanged();
    ShowFontSlot();
  });
  connect(SelectFontBtn, &QPushButton::clicked, this, [this] {
    TFontSlot& slot = fonts_[std::size_t(FontSlotCombo->currentIndex())];
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, ToQFont(slot.Custom), this);
    if (!ok) return;
    slot.Custom = FromQFont(chosen);
    slot.UseCustom = true;
    MarkChanged();
    ShowFontSlot();
  });
}

void TOptionsForm::ShowFontSlot() {
  int index = FontSlotCombo->currentIndex();
  if (index < 0) return;
  const TFontSlot& slot = fonts_[std::size_t(index)];
  bool wasLoading = loading_;
  loading_ = true;
  (slot.UseCustom ? CustomFontRadio : SystemFontRadio)->setChecked(true);
  loading_ = wasLoading;
  TFont shown = slot.UseCustom ? slot.Custom
                               : (index <= FontFileList ? fontDefaults_.IconTitle
                                                        : fontDefaults_.Interface);
  FontNameLabel->setText(Q(FontLabel(slot.Custom)));
  FontNameLabel->setEnabled(slot.UseCustom);
  FontSampleLabel->setFont(ToQFont(shown));
}

void TOptionsForm::MoveCurrent(QListWidget* list, int delta) {
  int row = list->currentRow();
  int to = row + delta;
  if (row < 0 || to < 0 || to >= list->count()) return;
  QListWidgetItem* item = list->takeItem(row);
  list->insertItem(to, item);
  list->setCurrentRow(to);
  MarkChanged();
}

void TOptionsForm::BuildDescriptionsPage(QWidget* page) {
  auto* layout = new QGridLayout(page);
  DescList = new QListWidget;
  DescList->setObjectName(QStringLiteral("DescList"));
  layout->addWidget(new QLabel(QStringLiteral("Description files to look for, in this order:")),
                    0, 0, 1, 2);
  layout->addWidget(DescList, 1, 0, 5, 1);
  auto* add = Button("DescAddBtn", QStringLiteral("&Add"));
  auto* del = Button("DescDeleteBtn", QStringLiteral("&Delete"));
  auto* up = Button("DescUpBtn", QStringLiteral("&Up"));
  auto* down = Button("DescDownBtn", QStringLiteral("Do&wn"));
  layout->addWidget(add, 1, 1);
  layout->addWidget(del, 2, 1);
  layout->addWidget(up, 3, 1);
  layout->addWidget(down, 4, 1);
  connect(add, &QPushButton::clicked, this, &TOptionsForm::DescAddClick);
  connect(del, &QPushButton::clicked, this, [this] {
    if (QListWidgetItem* item = DescList->currentItem()) {
      delete item;
      MarkChanged();
    }
  });
  connect(up, &QPushButton::clicked, this, [this] { MoveCurrent(DescList, -1); });
  connect(down, &QPushButton::clicked, this, [this] { MoveCurrent(DescList, 1); });

  auto* sub = new QHBoxLayout;
  DescAlwaysCheck = Check("DescAlwaysCheck", QStringLiteral("Search in subfolders (max."));
  DescMaxLevels = Spin("DescMaxLevels", kDescMaxLevelsMin, kDescMaxLevelsMax);
  connect(DescMaxLevels, &QSpinBox::valueChanged, this, [this] {
    if (!loading_) MarkChanged();
  });
  sub->addWidget(DescAlwaysCheck);
  sub->addWidget(DescMaxLevels);
  sub->addWidget(new QLabel(QStringLiteral("levels deep)")));
  sub->addStretch();
  layout->addLayout(sub, 6, 0, 1, 2);
}

void TOptionsForm::DescAddClick() {
  bool ok = false;
  QString mask = QInputDialog::getText(this, QStringLiteral("Add file mask"),
                                       QStringLiteral("File name or mask (e.g. *.NFO):"),
                                       QLineEdit::Normal, QString(), &ok)
                     .trimmed()
                     .toUpper();
  if (!ok || mask.isEmpty() || mask.contains(QLatin1Char(','))) return;
  DescList->addItem(mask);
  DescList->setCurrentRow(DescList->count() - 1);
  MarkChanged();
}

void TOptionsForm::BuildAutoLoadPage(QWidget* page) {
  auto* layout = new QGridLayout(page);
  AutoloadCheck = Check("AutoloadCheck",
                        QStringLiteral("&Enable catalog autoload on program startup"));
  layout->addWidget(AutoloadCheck, 0, 0, 1, 2);
  layout->addWidget(new QLabel(QStringLiteral("Catalogs to load:")), 1, 0, 1, 2);
  AutoloadList = new QListWidget;
  AutoloadList->setObjectName(QStringLiteral("AutoloadList"));
  layout->addWidget(AutoloadList, 2, 0, 5, 1);
  auto* up = Button("AutoloadUpBtn", QStringLiteral("&Up"));
  auto* down = Button("AutoloadDownBtn", QStringLiteral("&Down"));
  auto* add = Button("AutoloadAddBtn", QStringLiteral("Add"));
  auto* remove = Button("AutoloadRemoveBtn", QStringLiteral("Remove"));
  layout->addWidget(up, 2, 1);
  layout->addWidget(down, 3, 1);
  layout->addWidget(add, 4, 1);
  layout->addWidget(remove, 5, 1);
  connect(up, &QPushButton::clicked, this, [this] { MoveCurrent(AutoloadList, -1); });
  connect(down, &QPushButton::clicked, this, [this] { MoveCurrent(AutoloadList, 1); });
  connect(add, &QPushButton::clicked, this, &TOptionsForm::AutoloadAddClick);
  connect(remove, &QPushButton::clicked, this, [this] {
    if (QListWidgetItem* item = AutoloadList->currentItem()) {
      delete item;
      MarkChanged();
    }
  });
}

void TOptionsForm::AutoloadAddClick() {
  std::vector<std::string> chosen;
  if (!prompts_.OpenFiles(OpenCatalogDialog(false), chosen) || chosen.empty()) return;
  const std::string& path = chosen.front();
  for (int i = 0; i < AutoloadList->count(); ++i) {
    // The same file, however it is spelled (paths are case-sensitive here).
    if (TOpenCatalogs::SameFile(S(AutoloadList->item(i)->text()), path)) {
      prompts_.Message("Notice", "Selected catalog is already listed for autoloading.",
                       TButtons::Ok, TIcon::Information);
      return;
    }
  }
  AutoloadList->addItem(Q(path));
  MarkChanged();
}

void TOptionsForm::ControlsFromOptions(const TOptions& o) {
  loading_ = true;
  ShowPrevCheck->setChecked(o.ShowPrevCheck);
  DescAsTipsCheck->setChecked(o.DescAsTipsCheck);
  DescWaitBar->setValue(o.DescWaitBar);
  DescHideBar->setValue(o.DescHideBar);
  HideStatusCheck->setChecked(o.HideStatusCheck);
  TipsCheck->setChecked(o.TipsCheck);
  ArchivesSortCheck->setChecked(o.ArchivesSortCheck);
  AutoSaveCheck->setChecked(o.AutoSaveCheck);
  AutoSaveEdit->setValue(o.AutoSaveEdit);
  FileDoubleClickCombo->setCurrentIndex(int(o.FileDoubleClickCombo));
  ButtonSizeBar->setValue(o.ButtonSizeBar);
  Toolbar[int(o.ToolbarDock) & 3]->setChecked(true);
  ToolbarVisible->setChecked(o.ToolbarVisible);
  ToolbarFloating->setChecked(o.ToolbarFloating);
  OldButtonsCheck->setChecked(o.OldButtonsCheck);
  InsideZipCheck->setChecked(o.InsideZipCheck);
  DescCommentCheck->setChecked(o.DescCommentCheck);
  DescDizCheck->setChecked(o.DescDizCheck);
  Desc4DOSCheck->setChecked(o.Desc4DOSCheck);
  DescBBSCheck->setChecked(o.DescBBSCheck);
  DescTruncCheck->setChecked(o.DescTruncCheck);
  DescTruncEdit->setValue(o.DescTruncEdit);
  DescKeepCurrentCheck->setChecked(o.DescKeepCurrentCheck);
  UpdateNameCheck->setChecked(o.UpdateNameCheck);
  IgnoreFilesCheck->setChecked(o.IgnoreFilesCheck);
  IgnoreFoldersCheck->setChecked(o.IgnoreFoldersCheck);
  IgnoreRecycleCheck->setChecked(o.IgnoreRecycleCheck);
  DescAlwaysCheck->setChecked(o.DescAlwaysCheck);
  DescMaxLevels->setValue(o.DescMaxLevels);
  AutoloadCheck->setChecked(o.AutoloadCheck);
  DescList->clear();
  for (const auto& m : o.DescList) DescList->addItem(Q(m));
  AutoloadList->clear();
  for (const auto& p : o.AutoloadList) AutoloadList->addItem(Q(p));
  fonts_ = o.Fonts;
  ShowFontSlot();
  loading_ = false;
}

TOptions TOptionsForm::OptionsFromControls() const {
  TOptions o = options_;
  o.ShowPrevCheck = ShowPrevCheck->isChecked();
  o.DescAsTipsCheck = DescAsTipsCheck->isChecked();
  o.DescWaitBar = DescWaitBar->value();
  o.DescHideBar = DescHideBar->value();
  o.HideStatusCheck = HideStatusCheck->isChecked();
  o.TipsCheck = TipsCheck->isChecked();
  o.ArchivesSortCheck = ArchivesSortCheck->isChecked();
  o.AutoSaveCheck = AutoSaveCheck->isChecked();
  o.AutoSaveEdit = AutoSaveEdit->value();
  o.FileDoubleClickCombo = TFileDoubleClick(FileDoubleClickCombo->currentIndex());
  o.ButtonSizeBar = ButtonSizeBar->value();
  for (int i = 0; i < 4; ++i)
    if (Toolbar[i]->isChecked()) o.ToolbarDock = TDockSide(i);
  o.ToolbarVisible = ToolbarVisible->isChecked();
  o.ToolbarFloating = ToolbarFloating->isChecked();
  o.OldButtonsCheck = OldButtonsCheck->isChecked();
  o.InsideZipCheck = InsideZipCheck->isChecked();
  o.DescCommentCheck = DescCommentCheck->isChecked();
  o.DescDizCheck = DescDizCheck->isChecked();
  o.Desc4DOSCheck = Desc4DOSCheck->isChecked();
  o.DescBBSCheck = DescBBSCheck->isChecked();
  o.DescTruncCheck = DescTruncCheck->isChecked();
  o.DescTruncEdit = DescTruncEdit->value();
  o.DescKeepCurrentCheck = DescKeepCurrentCheck->isChecked();
  o.UpdateNameCheck = UpdateNameCheck->isChecked();
  o.IgnoreFilesCheck = IgnoreFilesCheck->isChecked();
  o.IgnoreFoldersCheck = IgnoreFoldersCheck->isChecked();
  o.IgnoreRecycleCheck = IgnoreRecycleCheck->isChecked();
  o.DescAlwaysCheck = DescAlwaysCheck->isChecked();
  o.DescMaxLevels = DescMaxLevels->value();
  o.AutoloadCheck = AutoloadCheck->isChecked();
  o.DescList.clear();
  for (int i = 0; i < DescList->count(); ++i) o.DescList.push_back(S(DescList->item(i)->text()));
  o.AutoloadList.clear();
  for (int i = 0; i < AutoloadList->count(); ++i)
    o.AutoloadList.push_back(S(AutoloadList->item(i)->text()));
  o.Fonts = fonts_;
  return o;
}

void TOptionsForm::LoadSettings() {
  TLoadedOptions loaded = ::tf::LoadSettings(key_, fontDefaults_);
  options_ = loaded.Options;
  changed_ = loaded.Changed;
  ControlsFromOptions(options_);
}

bool TOptionsForm::SaveSettings() { return ::tf::SaveSettings(key_, options_, prompts_); }

void TOptionsForm::SetOptions(const TOptions& options) {
  options_ = options;
  ControlsFromOptions(options_);
  changed_ = true;
}

bool TOptionsForm::MenuSettingsClick(TPage page) {
  SaveSettings();  // so that Cancel can read them back
  ControlsFromOptions(options_);
  changed_ = false;
  Pages->setCurrentIndex(int(page));
  return exec() == QDialog::Accepted;
}

void TOptionsForm::ApplyClick() {
  options_ = OptionsFromControls();
  Q_EMIT SettingsApplied();
  SaveSettings();
  changed_ = false;
  ShowFontSlot();
}

void TOptionsForm::OkClick() {
  if (changed_) {
    options_ = OptionsFromControls();
    Q_EMIT SettingsApplied();
  }
  accept();
}

void TOptionsForm::reject() {
  LoadSettings();
  changed_ = false;
  QDialog::reject();
}

}  // namespace tf

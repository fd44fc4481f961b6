#include "classify/PropertiesForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "browse/Icons.h"
#include "browse/ItemText.h"
#include "classify/AdvPropForm.h"
#include "scan/DescFiles.h"
#include "text/Text.h"

namespace tf {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Row numbers of the pages' value rows.
enum : int { CategoryRow = 7, AttributeRow = 8 };
// The pages by number (the window's members have the pages' names).
constexpr int FileSheet_ = tf::FileSheet, Directory_ = tf::DirectorySheet, Disk_ = tf::DiskSheet,
              Catalog_ = tf::CatalogSheet;

}  // namespace

TPropertiesForm::TPropertiesForm(TIconList& icons, TFileTypeNames typeNames,
                                 TUserPrompts& prompts, QWidget* parent)
    : QDialog(parent), icons_(icons), typeNames_(std::move(typeNames)), prompts_(prompts) {
  setObjectName(QStringLiteral("PropertiesForm"));
  setWindowTitle(QLatin1String(PropertiesCaption));
  auto* layout = new QVBoxLayout(this);
  Pages = new QTabWidget;
  Pages->setObjectName(QStringLiteral("Pages"));
  layout->addWidget(Pages, 1);

  FileSheet = BuildPage(FileSheet_, 7, Memo1, QStringLiteral("File Description:"));
  AddCategoryRow(FileSheet_, CategoryRow, CategoryList1, FlagsBtn1);
  AddAttributes(FileSheet_, AttributeRow);
  DirectorySheet = BuildPage(Directory_, 7, Memo2, QStringLiteral("Folder Description:"));
  AddCategoryRow(Directory_, CategoryRow, CategoryList2, FlagsBtn2);
  AddAttributes(Directory_, AttributeRow);
  DiskSheet = BuildPage(Disk_, 7, Memo3, QStringLiteral("Disk Description:"));
  CatalogSheet = BuildPage(Catalog_, 10, Memo4, QStringLiteral("Catalog Description:"));

  // The disk page's last row: the compressed box and the advanced figures.
  TPage& disk = Page[Disk_];
  disk.Compressed = new QCheckBox(QStringLiteral("Volume is Compressed"));
  disk.Compressed->setObjectName(QStringLiteral("CompressedCheck"));
  disk.Compressed->setAttribute(Qt::WA_TransparentForMouseEvents);
  disk.Compressed->setFocusPolicy(Qt::NoFocus);
  DiskAdvButton = new QPushButton(QStringLiteral("Advanced >>"));
  DiskAdvButton->setObjectName(QStringLiteral("DiskAdvButton"));
  DiskAdvButton->setAutoDefault(false);
  disk.Rows->addWidget(disk.Compressed, 7, 0, 1, 2);
  disk.Rows->addWidget(DiskAdvButton, 7, 1, Qt::AlignRight);
  connect(DiskAdvButton, &QPushButton::clicked, this, [this] { DiskAdvButtonClick(); });

  Pages->addTab(FileSheet, QStringLiteral("Properties"));
  Pages->addTab(DirectorySheet, QStringLiteral("Folder info"));
  Pages->addTab(DiskSheet, QStringLiteral("Disk info"));
  Pages->addTab(CatalogSheet, QStringLiteral("Catalog info"));

  auto* buttons = new QHBoxLayout;
  OKBtn = new QPushButton(QStringLiteral("&OK"));
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("C&ancel"));
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setAutoDefault(false);
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  layout->addLayout(buttons);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

  advanced_ = new TAdvDiskForm(this);
  resize(470, 560);
}

TPropertiesForm::~TPropertiesForm() = default;

QWidget* TPropertiesForm::BuildPage(int page, int rows, QPlainTextEdit*& memo,
                                    const QString& descCaption) {
  auto* w = new QWidget;
  auto* layout = new QVBoxLayout(w);
  TPage& p = Page[std::size_t(page)];

  auto* head = new QHBoxLayout;
  p.Icon = new QLabel;
  p.Icon->setObjectName(QStringLiteral("IconFrame%1").arg(page + 1));
  p.Icon->setFixedSize(44, 44);
  p.Icon->setAlignment(Qt::AlignCenter);  // the 32 x 32 icon centred in its frame
  p.Icon->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  p.Name = new QLabel;
  p.Name->setObjectName(QStringLiteral("NameLabel%1").arg(page + 1));
  p.Name->setTextInteractionFlags(Qt::TextSelectableByMouse);
  p.Name->setWordWrap(true);
  QFont bold = p.Name->font();
  bold.setBold(true);
  p.Name->setFont(bold);
  head->addWidget(p.Icon);
  head->addWidget(p.Name, 1);
  layout->addLayout(head);
  auto* rule = new QFrame;
  rule->setFrameShape(QFrame::HLine);
  rule->setFrameShadow(QFrame::Sunken);
  layout->addWidget(rule);

  p.Rows = new QGridLayout;
  p.Rows->setHorizontalSpacing(12);
  p.Rows->setColumnStretch(1, 1);
  for (int r = 0; r < rows; ++r) {
    p.Captions[std::size_t(r)] = new QLabel;
    p.Values[std::size_t(r)] = new QLabel;
    p.Values[std::size_t(r)]->setObjectName(QStringLiteral("Value%1_%2").arg(page + 1).arg(r));
    p.Values[std::size_t(r)]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    p.Rows->addWidget(p.Captions[std::size_t(r)], r, 0);
    p.Rows->addWidget(p.Values[std::size_t(r)], r, 1);
  }
  layout->addLayout(p.Rows);

  p.DescriptionCaption = new QLabel(descCaption);
  memo = new QPlainTextEdit;
  memo->setObjectName(QStringLiteral("Memo%1").arg(page + 1));
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  memo->setTabChangesFocus(true);
  memo->setMinimumHeight(90);
  p.DescriptionCaption->setBuddy(memo);
  layout->addWidget(p.DescriptionCaption);
  layout->addWidget(memo, 1);
  // At most 4096 characters.
  QPlainTextEdit* editor = memo;
  connect(editor, &QPlainTextEdit::textChanged, this, [editor] {
    QString text = editor->toPlainText();
    if (text.size() <= MaxDescriptionEdit) return;
    QTextCursor c = editor->textCursor();
    editor->setPlainText(text.left(MaxDescriptionEdit));
    c.setPosition(std::min<int>(c.position(), MaxDescriptionEdit));
    editor->setTextCursor(c);
  });
  return w;
}

void TPropertiesForm::AddCategoryRow(int page, int row, QComboBox*& list, QToolButton*& flags) {
  TPage& p = Page[std::size_t(page)];
  auto* caption = new QLabel(QStringLiteral("Category:"));
  list = new QComboBox;
  list->setObjectName(QStringLiteral("CategoryList%1").arg(page + 1));
  list->setMinimumWidth(160);
  caption->setBuddy(list);
  flags = new QToolButton;
  flags->setObjectName(QStringLiteral("FlagsBtn%1").arg(page + 1));
  flags->setText(QStringLiteral("&Flags"));
  flags->setPopupMode(QToolButton::InstantPopup);
  flags->setToolButtonStyle(Qt::ToolButtonTextOnly);
  flags->setMinimumWidth(flags->sizeHint().width() + 16);  // room for the menu arrow
  flags->setMenu(new QMenu(flags));
  auto* box = new QHBoxLayout;
  box->addWidget(list, 1);
  box->addWidget(flags);
  p.Rows->addWidget(caption, row, 0);
  p.Rows->addLayout(box, row, 1);
}

void TPropertiesForm::AddAttributes(int page, int row) {
  TPage& p = Page[std::size_t(page)];
  auto* box = new QHBoxLayout;
  static constexpr const char* names[4] = {"Archive", "Hidden", "System", "Read-only"};
  for (std::size_t i = 0; i < 4; ++i) {
    p.Attributes[i] = new QCheckBox(QLatin1String(names[i]));
    // Shown as stored, never written back.
    p.Attributes[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
    p.Attributes[i]->setFocusPolicy(Qt::NoFocus);
    box->addWidget(p.Attributes[i]);
  }
  box->addStretch();
  p.Rows->addWidget(new QLabel(QStringLiteral("Attributes:")), row, 0);
  p.Rows->addLayout(box, row, 1);
}

void TPropertiesForm::SetDescriptionFont(const QFont& font) {
  for (QPlainTextEdit* m : {Memo1, Memo2, Memo3, Memo4}) m->setFont(font);
}

void TPropertiesForm::SetRow(int page, int row, const std::string& caption, const std::string& value) {
  TPage& p = Page[std::size_t(page)];
  p.Captions[std::size_t(row)]->setText(Q(caption));
  p.Values[std::size_t(row)]->setText(Q(value));
}

void TPropertiesForm::SetAttributes(int page, const TAttributeBoxes& a) {
  TPage& p = Page[std::size_t(page)];
  bool values[4] = {a.Archive, a.Hidden, a.System, a.ReadOnly};
  for (std::size_t i = 0; i < 4; ++i) p.Attributes[i]->setChecked(values[i]);
}

void TPropertiesForm::FillCategories(QComboBox* list, QToolButton* flags, uint8_t categoryFlags) {
  list->clear();
  for (const TCategoryChoice& c : info_.Categories) list->addItem(Q(c.Text), c.Id);
  list->setCurrentIndex(CategoryChoiceIndex(info_.Categories, categoryFlags));
  list->setEnabled(info_.CategoriesEnabled);
  // The flag menu is rebuilt for every showing.
  QMenu* menu = flags->menu();
  menu->clear();
  for (const auto& [name, j] : info_.Flags) {
    QAction* a = menu->addAction(Q(name));
    a->setCheckable(true);
    a->setData(j);
    a->setChecked(categoryFlags & (0x10 << j));
  }
  flags->setEnabled(!menu->isEmpty());
}

uint8_t TPropertiesForm::ChosenByte(QComboBox* list, QToolButton* flags) const {
  std::array<bool, 3> checked{};
  for (QAction* a : flags->menu()->actions())
    if (a->isChecked()) checked[std::size_t(a->data().toInt() - 1)] = true;
  return CategoryByte(list->currentData().toInt(), checked);
}

QPixmap TPropertiesForm::IconOf(int page) const {
  int index = IconFile;
  switch (page) {
    case FileSheet_:
      index = ItemIcon(subject_.Record, icons_);
      break;
    case Directory_:
      index = icons_.FolderIcon(info_.Folder.Archive);
      break;
    case Disk_: index = icons_.DriveIcon(info_.Disk.MediaType); break;
    case Catalog_: index = icons_.CatalogIcon(); break;
    default: break;
  }
  return icons_.Icon(index).pixmap(32, 32);
}

void TPropertiesForm::Fill(const TPropertiesSubject& subject) {
  subject_ = subject;
  info_ = FillProperties(subject, typeNames_);
  QWidget* sheets[PageCount] = {FileSheet, DirectorySheet, DiskSheet, CatalogSheet};
  QPlainTextEdit* memos[PageCount] = {Memo1, Memo2, Memo3, Memo4};
  std::string descriptions[PageCount] = {info_.File.Description, info_.Folder.Description,
                                         info_.Disk.Description, info_.Catalog.Description};
  for (int p = 0; p < PageCount; ++p) {
    Pages->setTabVisible(Pages->indexOf(sheets[p]), info_.Visible[std::size_t(p)]);
    shownDescriptions_[std::size_t(p)] = Q(DescriptionForEditor(descriptions[p]));
    memos[p]->setPlainText(shownDescriptions_[std::size_t(p)]);
    if (info_.Visible[std::size_t(p)]) Page[std::size_t(p)].Icon->setPixmap(IconOf(p));
  }

  if (info_.Visible[FileSheet_]) {
    const TFilePageInfo& f = info_.File;
    Page[FileSheet_].Name->setText(Q(f.Name));
    SetRow(FileSheet_, 0, "File Type:", f.TypeName);
    SetRow(FileSheet_, 1, "File Size:", f.Size);
    SetRow(FileSheet_, 2, f.CreatedCaption, f.Created);
    SetRow(FileSheet_, 3, "Last Modified on:", f.Modified);
    SetRow(FileSheet_, 4, f.AccessedCaption, f.Accessed);
    SetRow(FileSheet_, 5, "Disk Name:", f.DiskName);
    SetRow(FileSheet_, 6, "Location on Disk:", f.Location);
    SetAttributes(FileSheet_, f.Attributes);
    FillCategories(CategoryList1, FlagsBtn1, f.CategoryFlags);
  }
  if (info_.Visible[Directory_]) {
    const TFolderPageInfo& f = info_.Folder;
    Pages->setTabText(Pages->indexOf(DirectorySheet), Q(f.Caption));
    Page[Directory_].Name->setText(Q(f.Name));
    SetRow(Directory_, 0, "Type:", f.TypeName);
    SetRow(Directory_, 1, f.SizeCaption, f.Size);
    SetRow(Directory_, 2, "Created on:", f.Created);
    SetRow(Directory_, 3, "Last Modified on:", f.Modified);
    SetRow(Directory_, 4, "Last Accessed on:", f.Accessed);
    SetRow(Directory_, 5, "Disk Name:", f.DiskName);
    SetRow(Directory_, 6, "Location on Disk:", f.Location);
    Page[Directory_].DescriptionCaption->setText(Q(f.DescriptionCaption));
    SetAttributes(Directory_, f.Attributes);
    FillCategories(CategoryList2, FlagsBtn2, f.CategoryFlags);
  }
  if (info_.Visible[Disk_]) {
    const TDiskPageInfo& d = info_.Disk;
    Page[Disk_].Name->setText(Q(d.Name));
    SetRow(Disk_, 0, "Volume Label:", d.VolumeLabel);
    SetRow(Disk_, 1, "Media Type:", d.MediaTypeName);
    SetRow(Disk_, 2, "Serial No.:", d.Serial);
    SetRow(Disk_, 3, "Total Capacity:", d.Capacity);
    SetRow(Disk_, 4, "Free Space:", d.FreeSpace);
    SetRow(Disk_, 5, "Catalog Name:", d.CatalogName);
    SetRow(Disk_, 6, "Updated in Catalog:", d.Updated);
    Page[Disk_].Compressed->setChecked(d.Compressed);
    // Only a catalogued disk has a description to edit.
    Memo3->setEnabled(d.Catalogued);
    advanced_->Fill(d, IconOf(Disk_));
  }
  if (info_.Visible[Catalog_]) {
    const TCatalogPageInfo& c = info_.Catalog;
    Page[Catalog_].Name->setText(Q(c.Name));
    SetRow(Catalog_, 0, "Type:", "Catalog");
    for (std::size_t g = 0; g < 6; ++g) SetRow(Catalog_, int(g) + 1, c.GroupCaptions[g], c.Groups[g]);
    SetRow(Catalog_, 7, "Disks in Catalog:", c.DiskCount);
    SetRow(Catalog_, 8, "Total Storage Space:", c.TotalStorage);
    SetRow(Catalog_, 9, "Total Used Space:", c.TotalUsed);
  }
  Pages->setCurrentIndex(Pages->indexOf(sheets[info_.FirstPage]));
}

void TPropertiesForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // The first page's description editor takes the focus.
  QPlainTextEdit* memos[PageCount] = {Memo1, Memo2, Memo3, Memo4};
  memos[info_.FirstPage]->setFocus();
}

TPropertiesEdits TPropertiesForm::Edits() const {
  TPropertiesEdits e;
  QPlainTextEdit* memos[PageCount] = {Memo1, Memo2, Memo3, Memo4};
  std::optional<std::string>* targets[PageCount] = {&e.FileDescription, &e.FolderDescription,
                                                     &e.DiskDescription, &e.CatalogDescription};
  for (int p = 0; p < PageCount; ++p) {
    if (!info_.Visible[std::size_t(p)]) continue;
    QString text = memos[p]->toPlainText();
    if (text != shownDescriptions_[std::size_t(p)]) *targets[p] = text.toStdString();
  }
  if (info_.Visible[FileSheet_]) e.FileByte = ChosenByte(CategoryList1, FlagsBtn1);
  if (info_.Visible[Directory_]) e.FolderByte = ChosenByte(CategoryList2, FlagsBtn2);
  return e;
}

void TPropertiesForm::accept() {
  TPropertiesEdits e = Edits();
  bool edited = e.FileDescription || e.FolderDescription || e.DiskDescription ||
                e.CatalogDescription;
  if (edited && RefuseEditWhileSearching(subject_.Node, prompts_)) return;
  QDialog::accept();
}

TPropertiesChanges TPropertiesForm::Apply() { return ApplyProperties(subject_, info_, Edits()); }

TPropertiesChanges TPropertiesForm::Execute(const TPropertiesSubject& subject) {
  Fill(subject);
  if (exec() != QDialog::Accepted) return {};
  return Apply();
}

void TPropertiesForm::DiskAdvButtonClick() {
  DiskAdvButton->setEnabled(false);
  advanced_->exec();
  DiskAdvButton->setEnabled(true);
}

}  // namespace tf

#include "classify/CategoriesForm.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "classify/RenameCatForm.h"
#include "platform/Progress.h"
#include "platform/Prompts.h"
#include "text/Text.h"

namespace tf {

namespace {

QString Shown(std::string_view stored) { return QString::fromStdString(ToDisplay(stored)); }

}  // namespace

TCategoriesForm::TCategoriesForm(TCatalogTree& tree, TUserPrompts& prompts, TProgress& progress,
                                 QWidget* parent)
    : QDialog(parent), setup_(tree, prompts), prompts_(prompts), progress_(progress) {
  setObjectName(QStringLiteral("CategoriesForm"));
  setWindowTitle(QLatin1String(CategoriesSetupCaption));
  auto* layout = new QVBoxLayout(this);

  auto* top = new QHBoxLayout;
  CatalogCombo = new QComboBox;
  CatalogCombo->setObjectName(QStringLiteral("CatalogCombo"));
  CatalogCombo->setMinimumWidth(220);
  auto* catalogLabel = new QLabel(QStringLiteral("Ca&talog:"));
  catalogLabel->setBuddy(CatalogCombo);
  CopyFromBtn = new QPushButton(QStringLiteral("&Copy from"));
  CopyFromBtn->setObjectName(QStringLiteral("CopyFromBtn"));
  CopyFromBtn->setAutoDefault(false);
  CopyFromMenu = new QMenu(this);
  CopyFromMenu->setObjectName(QStringLiteral("CopyFromMenu"));
  top->addWidget(catalogLabel);
  top->addWidget(CatalogCombo, 1);
  top->addWidget(CopyFromBtn);
  layout->addLayout(top);

  auto* middle = new QHBoxLayout;
  auto* categories = new QGroupBox(QStringLiteral("Categories"));
  auto* cg = new QGridLayout(categories);
  CategoryEdit = new QLineEdit;
  CategoryEdit->setObjectName(QStringLiteral("CategoryEdit"));
  CategoryEdit->setPlaceholderText(QStringLiteral("New category"));
  AddBtn = new QPushButton(QStringLiteral("&Add"));
  AddBtn->setObjectName(QStringLiteral("AddBtn"));
  CategoryList = new QListWidget;
  CategoryList->setObjectName(QStringLiteral("CategoryList"));
  CategoryList->setMinimumSize(200, 180);
  RenameBtn = new QPushButton(QStringLiteral("&Rename"));
  RenameBtn->setObjectName(QStringLiteral("RenameBtn"));
  DeleteBtn = new QPushButton(QStringLiteral("&Delete"));
  DeleteBtn->setObjectName(QStringLiteral("DeleteBtn"));
  for (QPushButton* b : {AddBtn, RenameBtn, DeleteBtn}) b->setAutoDefault(false);
  cg->addWidget(CategoryEdit, 0, 0);
  cg->addWidget(AddBtn, 0, 1);
  cg->addWidget(CategoryList, 1, 0, 3, 1);
  cg->addWidget(RenameBtn, 1, 1);
  cg->addWidget(DeleteBtn, 2, 1);
  cg->setRowStretch(3, 1);
  middle->addWidget(categories, 1);

  auto* flags = new QGroupBox(QStringLiteral("Flags"));
  auto* fg = new QGridLayout(flags);
  for (int j = 1; j <= UserFlagCount; ++j) {
    std::size_t k = std::size_t(j - 1);
    FlagEdit[k] = new QLineEdit;
    FlagEdit[k]->setObjectName(QStringLiteral("FlagEdit%1").arg(j));
    FlagEdit[k]->setMinimumWidth(160);
    FlagEdit[k]->installEventFilter(this);
    auto* label = new QLabel(QStringLiteral("Flag &%1:").arg(j));
    label->setBuddy(FlagEdit[k]);
    RemoveFlags[k] = new QCheckBox(QStringLiteral("Remove All"));
    RemoveFlags[k]->setObjectName(QStringLiteral("RemoveFlags%1").arg(j));
    fg->addWidget(label, int(k), 0);
    fg->addWidget(FlagEdit[k], int(k), 1);
    fg->addWidget(RemoveFlags[k], int(k), 2);
    connect(FlagEdit[k], &QLineEdit::textEdited, this,
            [this, k](const QString& text) { setup_.FlagEdit[k] = text.toStdString(); });
    connect(RemoveFlags[k], &QCheckBox::clicked, this,
            [this, j](bool checked) { RemoveFlagsClick(j, checked); });
  }
  fg->setRowStretch(UserFlagCount, 1);
  middle->addWidget(flags, 1);
  layout->addLayout(middle, 1);

  auto* buttons = new QHBoxLayout;
  OKBtn = new QPushButton(QStringLiteral("&OK"));
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"));
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setAutoDefault(false);
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  layout->addLayout(buttons);

  rename_ = new TRenameForm(this);

  connect(CatalogCombo, &QComboBox::activated, this, [this](int i) { CatalogComboChange(i); });
  // The menu drops down under the button.
  CopyFromBtn->setMenu(CopyFromMenu);
  connect(CategoryEdit, &QLineEdit::textChanged, this, [this] { UpdateButtons(); });
  CategoryEdit->installEventFilter(this);
  connect(AddBtn, &QPushButton::clicked, this, [this] { AddBtnClick(); });
  connect(RenameBtn, &QPushButton::clicked, this, [this] { RenameBtnClick(); });
  connect(DeleteBtn, &QPushButton::clicked, this, [this] { DeleteBtnClick(); });
  connect(CategoryList, &QListWidget::itemDoubleClicked, this, [this] { RenameBtnClick(); });
  connect(CategoryList, &QListWidget::currentRowChanged, this, [this](int row) {
    if (filling_) return;
    setup_.Selected = row;
    UpdateButtons();
  });
  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

TCategoriesForm::~TCategoriesForm() = default;

void TCategoriesForm::Open(TNode* selected) {
  setup_.Open(selected);
  filling_ = true;
  CatalogCombo->clear();
  CopyFromMenu->clear();
  for (int i = 0; i < setup_.CatalogCount(); ++i) {
    QString name = Shown(setup_.Catalog(i).Catalog->Caption);
    CatalogCombo->addItem(name);
    QAction* a = CopyFromMenu->addAction(name);
    connect(a, &QAction::triggered, this, [this, i] { CopyFromClick(i); });
  }
  filling_ = false;
  CategoryEdit->clear();
  ShowCatalog();
}

bool TCategoriesForm::Execute(TNode* selected) {
  Open(selected);
  CategoryEdit->setFocus();
  return exec() == QDialog::Accepted;
}

void TCategoriesForm::ShowCatalog() {
  filling_ = true;
  CatalogCombo->setCurrentIndex(setup_.CurrentCatalog());
  // The catalog shown is not offered to copy from.
  QList<QAction*> entries = CopyFromMenu->actions();
  for (int i = 0; i < entries.size(); ++i) entries[i]->setVisible(i != setup_.CurrentCatalog());
  filling_ = false;
  ShowList();
  ShowFlags();
}

void TCategoriesForm::ShowList() {
  filling_ = true;
  CategoryList->clear();
  for (const TCategoryEntry& e : setup_.List()) CategoryList->addItem(Shown(e.Name));
  CategoryList->setCurrentRow(setup_.Selected);
  filling_ = false;
  UpdateButtons();
}

void TCategoriesForm::ShowFlags() {
  for (int j = 1; j <= UserFlagCount; ++j) {
    std::size_t k = std::size_t(j - 1);
    QString text = Shown(setup_.FlagEdit[k]);
    if (FlagEdit[k]->text() != text) FlagEdit[k]->setText(text);
    RemoveFlags[k]->setEnabled(setup_.RemoveFlagsEnabled(j));
    RemoveFlags[k]->setChecked(setup_.RemoveFlags[k]);
  }
}

void TCategoriesForm::UpdateButtons() {
  CategoryEdit->setEnabled(setup_.CategoryEditEnabled());
  AddBtn->setEnabled(setup_.AddEnabled(CategoryEdit->text().toStdString()));
  RenameBtn->setEnabled(setup_.RenameDeleteEnabled());
  DeleteBtn->setEnabled(setup_.RenameDeleteEnabled());
  CopyFromBtn->setEnabled(setup_.CopyFromEnabled());
}

void TCategoriesForm::CatalogComboChange(int index) {
  if (filling_ || index == setup_.CurrentCatalog()) return;
  LeaveFocusedFlagEditor();
  setup_.ChooseCatalog(index);
  ShowCatalog();
}

void TCategoriesForm::AddBtnClick() {
  if (!setup_.Add(CategoryEdit->text().toStdString())) return;
  CategoryEdit->clear();
  CategoryEdit->setFocus();
  ShowList();
}

void TCategoriesForm::RenameBtnClick() {
  int index = setup_.Selected;
  if (!setup_.RenameDeleteEnabled()) return;
  std::optional<QString> name = rename_->Execute(Shown(setup_.List()[std::size_t(index)].Name));
  if (name && setup_.Rename(index, name->toStdString())) ShowList();
}

void TCategoriesForm::DeleteBtnClick() {
  if (setup_.RenameDeleteEnabled() && setup_.Delete(setup_.Selected)) ShowList();
}

void TCategoriesForm::FlagEditExit(int j) {
  std::size_t k = std::size_t(j - 1);
  if (FlagEdit[k]->text() != Shown(setup_.FlagEdit[k]))
    setup_.FlagEdit[k] = FlagEdit[k]->text().toStdString();
  setup_.FlagEditExit(j);
  ShowFlags();
}

void TCategoriesForm::RemoveFlagsClick(int j, bool checked) {
  setup_.RemoveFlagsClick(j, checked);
  ShowFlags();
}

void TCategoriesForm::CopyFromClick(int catalogIndex) {
  setup_.CopyFrom(catalogIndex);
  ShowList();
}

void TCategoriesForm::LeaveFocusedFlagEditor() {
  for (int j = 1; j <= UserFlagCount; ++j)
    if (FlagEdit[std::size_t(j - 1)]->hasFocus()) FlagEditExit(j);
}

void TCategoriesForm::OKBtnClick() {
  LeaveFocusedFlagEditor();
  try {
    setup_.Ok(progress_);
  } catch (const std::exception& e) {
    prompts_.Message("Catalog error", e.what(), TButtons::Ok, TIcon::Error);
  }
  accept();
  if (OnClosed) OnClosed();
}

void TCategoriesForm::reject() {
  if (!setup_.Cancel()) return;
  QDialog::reject();
  if (OnClosed) OnClosed();
}

bool TCategoriesForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == CategoryEdit) {
    // While the category edit has the focus, Enter adds; elsewhere it is OK.
    if (event->type() == QEvent::KeyPress) {
      int key = static_cast<QKeyEvent*>(event)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        AddBtnClick();
        return true;
      }
    } else if (event->type() == QEvent::FocusIn) {
      AddBtn->setDefault(true);
      OKBtn->setDefault(false);
    } else if (event->type() == QEvent::FocusOut) {
      AddBtn->setDefault(false);
      OKBtn->setDefault(true);
    }
  } else if (event->type() == QEvent::FocusOut) {
    for (int j = 1; j <= UserFlagCount; ++j)
      if (watched == FlagEdit[std::size_t(j - 1)] && isVisible()) FlagEditExit(j);
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace tf

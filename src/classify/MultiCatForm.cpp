#include "classify/MultiCatForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/Prompts.h"
#include "text/Text.h"

namespace tf {

namespace {

Qt::CheckState ToQt(TCheckState s) {
  switch (s) {
    case TCheckState::Checked: return Qt::Checked;
    case TCheckState::Grayed: return Qt::PartiallyChecked;
    case TCheckState::Unchecked: break;
  }
  return Qt::Unchecked;
}

TCheckState FromQt(Qt::CheckState s) {
  switch (s) {
    case Qt::Checked: return TCheckState::Checked;
    case Qt::PartiallyChecked: return TCheckState::Grayed;
    case Qt::Unchecked: break;
  }
  return TCheckState::Unchecked;
}

QString Shown(const TCheckEntry& e) {
  return QString::fromStdString(ToDisplay(TSetCategories::EntryText(e)));
}

}  // namespace

TSetCatForm::TSetCatForm(TUserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
  setObjectName(QStringLiteral("SetCatForm"));
  setWindowTitle(QLatin1String(SetCategoriesCaption));
  auto* layout = new QVBoxLayout(this);
  HeadingLabel = new QLabel;
  HeadingLabel->setObjectName(QStringLiteral("HeadingLabel"));
  QFont bold = HeadingLabel->font();
  bold.setBold(true);
  HeadingLabel->setFont(bold);
  layout->addWidget(HeadingLabel);

  auto* grid = new QGridLayout;
  CategoriesLabel = new QLabel(QStringLiteral("Categories:"));
  FlagsLabel = new QLabel(QStringLiteral("Flags:"));
  CategoryList = new QListWidget;
  CategoryList->setObjectName(QStringLiteral("CategoryList"));
  FlagsList = new QListWidget;
  FlagsList->setObjectName(QStringLiteral("FlagsList"));
  CategoryList->setMinimumSize(220, 200);
  FlagsList->setMinimumSize(180, 200);
  CategoriesLabel->setBuddy(CategoryList);
  FlagsLabel->setBuddy(FlagsList);
  grid->addWidget(CategoriesLabel, 0, 0);
  grid->addWidget(FlagsLabel, 0, 1);
  grid->addWidget(CategoryList, 1, 0);
  grid->addWidget(FlagsList, 1, 1);
  grid->setColumnStretch(0, 3);
  grid->setColumnStretch(1, 2);
  layout->addLayout(grid, 1);

  NoteLabel = new QLabel(QLatin1String(NotForAllItemsNote));
  NoteLabel->setObjectName(QStringLiteral("NoteLabel"));
  layout->addWidget(NoteLabel);

  auto* buttons = new QHBoxLayout;
  ApplyBtn = new QPushButton(QStringLiteral("&Apply"));
  ApplyBtn->setObjectName(QStringLiteral("ApplyBtn"));
  ApplyBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"));
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  CancelBtn->setAutoDefault(false);
  buttons->addStretch();
  buttons->addWidget(ApplyBtn);
  buttons->addWidget(CancelBtn);
  layout->addLayout(buttons);

  connect(CategoryList, &QListWidget::itemChanged, this, [this](QListWidgetItem* i) { CategoryChanged(i); });
  connect(FlagsList, &QListWidget::itemChanged, this, [this](QListWidgetItem* i) { FlagChanged(i); });
  connect(ApplyBtn, &QPushButton::clicked, this, [this] { ApplyBtnClick(); });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

bool TSetCatForm::Open(const std::vector<TItemRec*>& items) {
  items_ = items;
  state_.Open(items_);
  applied_ = false;
  Fill();
  if (state_.NothingDefined()) {
    prompts_.Message(NoDataDefinedTitle, NoDataDefinedText, TButtons::Ok, TIcon::Information);
    return false;
  }
  return true;
}

bool TSetCatForm::Execute(const std::vector<TItemRec*>& items) {
  if (!Open(items)) return false;
  (CategoryList->isEnabled() ? CategoryList : FlagsList)->setFocus();
  exec();
  return applied_;
}

void TSetCatForm::Fill() {
  filling_ = true;
  HeadingLabel->setText(QString::fromStdString(state_.Heading()));
  CategoryList->clear();
  FlagsList->clear();
  if (state_.HasCategories()) {
    for (const TCheckEntry& e : state_.Categories()) {
      auto* item = new QListWidgetItem(Shown(e), CategoryList);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
      item->setCheckState(ToQt(e.State));
    }
  } else {
    CategoryList->addItem(QLatin1String(NoCategoriesDefined));
  }
  CategoryList->setEnabled(state_.HasCategories());
  CategoriesLabel->setEnabled(state_.HasCategories());
  if (state_.HasFlags()) {
    for (const TCheckEntry& e : state_.Flags()) {
      auto* item = new QListWidgetItem(Shown(e), FlagsList);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
                     Qt::ItemIsUserTristate);
      item->setCheckState(ToQt(e.State));
    }
  } else {
    FlagsList->addItem(QLatin1String(NoFlagsDefined));
  }
  FlagsList->setEnabled(state_.HasFlags());
  FlagsLabel->setEnabled(state_.HasFlags());
  NoteLabel->setVisible(state_.NoteVisible());
  ApplyBtn->setEnabled(false);
  filling_ = false;
}

void TSetCatForm::CategoryChanged(QListWidgetItem* item) {
  if (filling_) return;
  int row = CategoryList->row(item);
  state_.SetCategoryChecked(row, item->checkState() == Qt::Checked);
  // At most one entry is checked.
  filling_ = true;
  for (int i = 0; i < CategoryList->count(); ++i)
    CategoryList->item(i)->setCheckState(ToQt(state_.Categories()[std::size_t(i)].State));
  filling_ = false;
  ApplyBtn->setEnabled(true);
}

void TSetCatForm::FlagChanged(QListWidgetItem* item) {
  if (filling_) return;
  state_.SetFlagState(FlagsList->row(item), FromQt(item->checkState()));
  ApplyBtn->setEnabled(true);
}

bool TSetCatForm::ApplyBtnClick() {
  applied_ = state_.Apply(items_, prompts_);
  // After No the window closes without changes.
  if (applied_)
    accept();
  else
    reject();
  return applied_;
}

}  // namespace tf

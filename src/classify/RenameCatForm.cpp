#include "classify/RenameCatForm.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "classify/Categories.h"

namespace tf {

TRenameForm::TRenameForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("RenameForm"));
  setWindowTitle(QLatin1String(RenameCategoryCaption));
  auto* layout = new QVBoxLayout(this);
  NameLabel = new QLabel(QLatin1String(NewCategoryNameLabel));
  NameEdit = new QLineEdit;
  NameEdit->setObjectName(QStringLiteral("NameEdit"));
  NameEdit->setMinimumWidth(260);
  NameLabel->setBuddy(NameEdit);
  layout->addWidget(NameLabel);
  layout->addWidget(NameEdit);
  auto* buttons = new QHBoxLayout;
  OKBtn = new QPushButton(QStringLiteral("&OK"));
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"));
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  layout->addLayout(buttons);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  setFixedSize(sizeHint());
}

std::optional<QString> TRenameForm::Execute(const QString& name) {
  NameEdit->setText(name);
  NameEdit->selectAll();
  NameEdit->setFocus();
  if (exec() != QDialog::Accepted) return std::nullopt;
  return NameEdit->text();
}

}  // namespace tf

#pragma once
// The small window in which a category gets a new name ("Rename Category").

#include <optional>
#include <string>

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace tf {

class TRenameForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TRenameForm)

 public:
  explicit TRenameForm(QWidget* parent = nullptr);

  // Shows the name (display text) modally; the edited text after OK.
  std::optional<QString> Execute(const QString& name);

  QLabel* NameLabel = nullptr;
  QLineEdit* NameEdit = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
};

}  // namespace tf

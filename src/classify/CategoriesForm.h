#pragma once
// The Categories Setup window: the categories and flag names of each open catalog. The
// window holds controls only; what they do is TCategoriesSetup's (Categories.h).

#include <array>
#include <functional>

#include <QDialog>

#include "classify/Categories.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

namespace tf {

class TProgress;
class TRenameForm;
class TUserPrompts;

class TCategoriesForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TCategoriesForm)

 public:
  // progress shows the clean-up after OK (the wait window and the main status bar).
  TCategoriesForm(TCatalogTree& tree, TUserPrompts& prompts, TProgress& progress,
                  QWidget* parent = nullptr);
  ~TCategoriesForm() override;

  // Opens the window for the selected node and shows it modally; true after OK.
  bool Execute(TNode* selected);
  // Fills the window for the selected node without showing it (tests drive it then).
  void Open(TNode* selected);

  TCategoriesSetup& Setup() { return setup_; }
  TRenameForm* RenameWindow() const { return rename_; }

  // Handlers, named after their controls.
  void CatalogComboChange(int index);
  void AddBtnClick();
  void RenameBtnClick();
  void DeleteBtnClick();
  void FlagEditExit(int j);
  void RemoveFlagsClick(int j, bool checked);
  void CopyFromClick(int catalogIndex);
  void OKBtnClick();

  // After OK or Cancel: the search window rebuilds its category list.
  std::function<void()> OnClosed;

  QComboBox* CatalogCombo = nullptr;
  QPushButton* CopyFromBtn = nullptr;
  QMenu* CopyFromMenu = nullptr;
  QLineEdit* CategoryEdit = nullptr;
  QListWidget* CategoryList = nullptr;
  QPushButton* AddBtn = nullptr;
  QPushButton* RenameBtn = nullptr;
  QPushButton* DeleteBtn = nullptr;
  std::array<QLineEdit*, UserFlagCount> FlagEdit{};
  std::array<QCheckBox*, UserFlagCount> RemoveFlags{};
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 public Q_SLOTS:
  void reject() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowCatalog();
  void ShowList();
  void ShowFlags();
  void UpdateButtons();
  void LeaveFocusedFlagEditor();

  TCategoriesSetup setup_;
  TUserPrompts& prompts_;
  TProgress& progress_;
  TRenameForm* rename_ = nullptr;
  bool filling_ = false;
};

}  // namespace tf

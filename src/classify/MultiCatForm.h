#pragma once
// The Set Categories and Flags window: one category and the three-state flags for the items
// selected in a list or the tree, across catalogs. What the lists hold and what "&Apply"
// does is TSetCategories's (MultiCat.h).

#include <vector>

#include <QDialog>

#include "classify/MultiCat.h"

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tf {

class TUserPrompts;

class TSetCatForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TSetCatForm)

 public:
  explicit TSetCatForm(TUserPrompts& prompts, QWidget* parent = nullptr);

  // Shows the window for the items modally; true when "&Apply" changed them. With no
  // category and no flag defined for any of them, says so and returns false.
  bool Execute(const std::vector<TItemRec*>& items);
  // Fills the window without showing it; false when there is nothing to set.
  bool Open(const std::vector<TItemRec*>& items);
  // "&Apply": true when the items were changed (the window then closes).
  bool ApplyBtnClick();

  const TSetCategories& State() const { return state_; }

  QLabel* HeadingLabel = nullptr;
  QLabel* CategoriesLabel = nullptr;
  QLabel* FlagsLabel = nullptr;
  QListWidget* CategoryList = nullptr;
  QListWidget* FlagsList = nullptr;
  QLabel* NoteLabel = nullptr;
  QPushButton* ApplyBtn = nullptr;
  QPushButton* CancelBtn = nullptr;

 private:
  void Fill();
  void CategoryChanged(QListWidgetItem* item);
  void FlagChanged(QListWidgetItem* item);

  TUserPrompts& prompts_;
  TSetCategories state_;
  std::vector<TItemRec*> items_;
  bool filling_ = false;
  bool applied_ = false;
};

}  // namespace tf

#pragma once
// The windows that ask the user about media: "Insert Media" (TMediaForm), shown when a
// catalogued disk's medium is not in any drive, and "Select Disk" (TDiskSelectForm), shown
// when an inserted medium matches several disks of a catalog.

#include <QDialog>
#include <vector>

#include "scan/Utils.h"

class QLabel;
class QListWidget;
class QPushButton;
class QTimer;

namespace tf {

class TUserPrompts;

// A small animation of a disc going into a drive, drawn here.
class TInsertAnimation final : public QWidget {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TInsertAnimation)

 public:
  explicit TInsertAnimation(QWidget* parent = nullptr);
  void Start();
  void Stop();
  QSize sizeHint() const override { return {120, 72}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer* timer_ = nullptr;
  int frame_ = 0;
};

class TMediaForm final : public QDialog, public TMediaPrompt {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TMediaForm)

 public:
  explicit TMediaForm(QWidget* parent = nullptr);

  // The insert-media question: OK (look again), Cancel, or Manual ("Manual Select").
  TMediaAnswer InsertMedia(const std::string& diskName, uint8_t mediaType,
                           bool mayChooseManually) override;
  void SetBusy(bool busy) override;

  // Prepares the window without showing it (tests look at it, then answer).
  void Prepare(const std::string& diskName, uint8_t mediaType, bool mayChooseManually);

 private:
  QLabel* DiskNameLabel = nullptr;
  QLabel* MediaTypeLabel = nullptr;
  QPushButton* OKBtn = nullptr;
  QPushButton* CancelBtn = nullptr;
  QPushButton* ManualBtn = nullptr;
  TInsertAnimation* Animation = nullptr;
  TMediaAnswer answer_ = TMediaAnswer::Cancel;
};

class TDiskSelectForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TDiskSelectForm)

 public:
  enum class TResult { Update, AddNew, Cancel };
  TDiskSelectForm(TUserPrompts& prompts, QWidget* parent = nullptr);

  // Lists the disks (their names), selects the first; shows the window modally.
  TResult Choose(const std::vector<TNode*>& disks);
  // The disk selected when the result was Update.
  TNode* Selected() const { return selected_; }
  void SetDisks(const std::vector<TNode*>& disks);

 private:
  TUserPrompts& prompts_;
  QListWidget* DisksList = nullptr;
  std::vector<TNode*> disks_;
  TNode* selected_ = nullptr;
  TResult result_ = TResult::Cancel;
};

inline constexpr char DiskSelectHintTitle[] = "Hint on updating disks";
// Names the entry of the disk's context menu by its caption there.
inline constexpr char DiskSelectHintText[] =
    "The next time, if you would like to update data for an existing disk\r in a catalog, it is "
    "easier to do it by selecting disk in the left pane,\r right click it and select \"Update "
    "Disk Image\" from its object menu. \rThis way, there will be no need for selecting disks "
    "like it is now.";

}  // namespace tf

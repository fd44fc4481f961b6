#pragma once
// The wait window of a disk scan (TWaitUpdateForm): what the scan is doing, the folder it is
// looking in, a progress bar, an animation, and Cancel. While it shows, the program's other
// windows take no input; the scan runs on the main thread and lets pending events run
// between entries (TWaitUpdateProgress), so the window repaints, the animation turns and a
// Cancel is seen before the next entry.
//
// RunDiskScan puts the two together around ScanDisk for the main window's add and update
// commands.

#include <functional>
#include <string>

#include <QDialog>
#include <QElapsedTimer>

#include "platform/Progress.h"
#include "scan/AddDisk.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace tf {

class TDrives;
class TMediaDetector;
class TUserPrompts;

// A magnifying glass going round over a folder, drawn here.
class TScanAnimation final : public QWidget {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TScanAnimation)

 public:
  explicit TScanAnimation(QWidget* parent = nullptr);
  void Start();
  void Stop();
  bool Running() const;
  QSize sizeHint() const override { return {56, 48}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QTimer* timer_ = nullptr;
  int frame_ = 0;
};

class TWaitUpdateForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TWaitUpdateForm)

 public:
  // prompts asks the Cancel question; mainWindow is the window it is centred on.
  TWaitUpdateForm(TUserPrompts& prompts, QWidget* mainWindow);
  ~TWaitUpdateForm() override;

  // The window that exists, or null.
  static TWaitUpdateForm* Current();

  // The caption of the window and of its first line ("Scanning disk, please wait...").
  void SetCaption(const QString& text);
  // The folder being looked in.
  void SetDirectory(const QString& path);
  QString Directory() const { return directory_; }
  // The progress runs over total; each Advance adds to what is done and sets the bar to
  // done / total, rounded to whole percent. Without a total the bar only shows that work goes
  // on, and the line below it how much is done (ItemsReadText).
  void SetTotal(double total);
  void Advance(double amount);
  int Position() const;

  // Cancel: asks "Do you really want to abort disk scan?"; Yes sets the abort flag.
  void CancelBtnClick();
  bool AbortRequested() const { return abort_; }

  QLabel* CaptionLabel = nullptr;
  QLabel* DirectoryCaption = nullptr;
  QLabel* DirectoryLabel = nullptr;
  QProgressBar* ProgressBar = nullptr;
  QLabel* CountLabel = nullptr;
  QPushButton* CancelBtn = nullptr;
  TScanAnimation* Animation = nullptr;

 Q_SIGNALS:
  // A new folder is shown in the directory line.
  void DirectoryShown(const QString& path);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void reject() override;  // Escape asks like Cancel

 private:
  void ShowDirectory();
  TUserPrompts& prompts_;
  QWidget* main_;
  QString directory_;
  double total_ = 0;
  double done_ = 0;
  bool abort_ = false;
  bool asking_ = false;
};

// The TProgress that ScanDisk reports to while the wait window shows. Pending events run at
// every check for Cancel and every step of progress, but at most every EventInterval
// milliseconds, so that a medium of many small files is not slowed by repainting. (Tests set
// it to 0, so that events run at every entry.)
class TWaitUpdateProgress final : public TProgress {
 public:
  static inline int EventInterval = 25;

  // status: the main window's status text ("" clears it).
  TWaitUpdateProgress(TWaitUpdateForm& form, std::function<void(const std::string&)> status);

  void SetStatus(const std::string& text) override;
  void Begin(const std::string& caption, int64_t total) override;
  void SetDetail(const std::string& text) override;
  void SetTotal(int64_t total) override;
  void Advance(int64_t amount) override;
  bool Cancelled() override;
  void End() override {}

 private:
  void LetEventsRun();
  TWaitUpdateForm& form_;
  std::function<void(const std::string&)> status_;
  QElapsedTimer sinceEvents_;
};

// The scan of one drive as the main window runs it: the wait window over mainWindow (the
// program's other windows disabled meanwhile), ScanDisk, then the window is freed whatever
// happened.
TScanResult RunDiskScan(const TScanJob& job, TDrives& drives, TMediaDetector& media,
                        TUserPrompts& prompts, QWidget* mainWindow,
                        std::function<void(const std::string&)> status);

}  // namespace tf

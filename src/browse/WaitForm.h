#pragma once
// The wait window: a small borderless window with a line of text and a progress bar, shown
// over the main window while a long operation that the user started runs. At most one exists.
// While it is up, the program's other windows take no input; it steps aside for message
// boxes and comes back where it was.
//
// TWaitProgress is the TProgress (platform/Progress.h) that engines report to: the status
// text goes to the main window's status bar, the rest to the wait window.

#include <string>

#include <QWidget>

#include "platform/Progress.h"

class QLabel;
class QProgressBar;

namespace tf {

class TWaitForm final : public QWidget {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TWaitForm)

 public:
  static constexpr int FormWidth = 303;
  static constexpr int FormHeight = 85;

  // Creates the wait window over mainWindow (replacing one that exists), with the text and,
  // when asked for, the progress bar at 0. The caller sets the total and shows it.
  static TWaitForm* Create(QWidget* mainWindow, const QString& text, bool progressBar);
  // The window that exists, or null.
  static TWaitForm* Current();
  // Frees the window that exists; the other windows take input again.
  static void Free();
  // Around a message box: hide the window, then show it again without moving it.
  static void HideCurrentForMessage();
  static void ShowCurrentAgain();

  double Total = 0;
  double Done = 0;
  // Done grows by amount; the bar shows done / total; pending events run.
  void Advance(double amount);
  void SetText(const QString& text);
  int Position() const;

  QLabel* WaitLabel = nullptr;
  QProgressBar* ProgressBar = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  TWaitForm(QWidget* mainWindow, const QString& text, bool progressBar);
  ~TWaitForm() override;
  QWidget* main_;
  bool reshowing_ = false;
  bool hiddenForMessage_ = false;
};

// The main window's side of a long operation: its status text and busy state.
class TStatusDisplay {
 public:
  virtual ~TStatusDisplay() = default;
  // mode 0: idle; 2: busy; 3: busy with the hourglass pointer.
  virtual void ShowStatusText(const std::string& text, int mode) = 0;
};

class TWaitProgress final : public TProgress {
 public:
  TWaitProgress(TStatusDisplay& status, QWidget* mainWindow)
      : status_(status), main_(mainWindow) {}
  ~TWaitProgress() override;
  void SetStatus(const std::string& text) override;
  void Begin(const std::string& caption, int64_t total) override;
  void SetDetail(const std::string& text) override;
  void SetTotal(int64_t total) override;
  void Advance(int64_t amount) override;
  bool Cancelled() override;
  void End() override;

 private:
  TStatusDisplay& status_;
  QWidget* main_;
  bool began_ = false;
};

}  // namespace tf

#pragma once
// Window chrome of start-up and shutdown: the splash window with its one line of text, the
// tip of the day, the shutdown notice, and the program's icon (drawn, not loaded).

#include <QDialog>
#include <QIcon>
#include <QWidget>

class QCheckBox;
class QLabel;
class QTimer;

namespace tf {

QIcon ProgramIcon();

class TSplashForm final : public QWidget {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TSplashForm)

 public:
  static constexpr int ShowMilliseconds = 3500;
  explicit TSplashForm(QWidget* parent = nullptr);
  // The one line of text ("Opening specified catalogs...", "Autoloading catalogs...", "Done.").
  void SetText(const QString& text);
  QString Text() const;
  // Closes after ShowMilliseconds (or at once when the tip of the day follows).
  void CloseLater();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  QTimer* timer_ = nullptr;
};

class TTipsForm final : public QDialog {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TTipsForm)

 public:
  explicit TTipsForm(QWidget* parent = nullptr);
  void SetShowAtStartup(bool on);
  bool ShowAtStartup() const;
  static const QStringList& Tips();
  int CurrentTip() const { return current_; }
  void NextTip();

 private:
  QLabel* tipLabel_ = nullptr;
  QCheckBox* startupCheck_ = nullptr;
  int current_ = 0;
};

// "Tallowfen is shutting down...": shown while a large set of catalogs is freed.
class TShutdownForm final : public QWidget {
  Q_OBJECT
  Q_DISABLE_COPY_MOVE(TShutdownForm)

 public:
  explicit TShutdownForm(QWidget* parent = nullptr);
};

}  // namespace tf

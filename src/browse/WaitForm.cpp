#include "browse/WaitForm.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>

namespace tf {

namespace {
QPointer<TWaitForm> current;
}

TWaitForm::TWaitForm(QWidget* mainWindow, const QString& text, bool progressBar)
    : QWidget(mainWindow, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      main_(mainWindow) {
  setObjectName(QStringLiteral("WaitForm"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  setWindowModality(Qt::ApplicationModal);  // the other windows take no input meanwhile
  setFixedSize(FormWidth, FormHeight);
  auto* panel = new QFrame(this);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setLineWidth(1);
  panel->setGeometry(0, 0, FormWidth, FormHeight);
  WaitLabel = new QLabel(text, panel);
  WaitLabel->setObjectName(QStringLiteral("WaitLabel"));
  WaitLabel->setAlignment(Qt::AlignCenter);
  ProgressBar = new QProgressBar(panel);
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  ProgressBar->setTextVisible(false);
  ProgressBar->setGeometry(16, 48, FormWidth - 32, 16);
  ProgressBar->setVisible(progressBar);
  // Without the bar the line stands in the middle of the window.
  int labelTop = progressBar ? 16 : (FormHeight - 22) / 2;
  WaitLabel->setGeometry(8, labelTop, FormWidth - 16, 22);
}

TWaitForm::~TWaitForm() = default;

TWaitForm* TWaitForm::Create(QWidget* mainWindow, const QString& text, bool progressBar) {
  Free();
  current = new TWaitForm(mainWindow, text, progressBar);
  return current;
}

TWaitForm* TWaitForm::Current() { return current; }

void TWaitForm::Free() {
  // Whether shown or hidden for a message, the window goes and with it the modal block, so
  // the other windows never stay without input.
  if (!current) return;
  TWaitForm* form = current;
  current = nullptr;
  form->hide();
  delete form;
}

void TWaitForm::HideCurrentForMessage() {
  if (!current || !current->isVisible()) return;
  current->reshowing_ = true;
  current->hiddenForMessage_ = true;
  current->hide();
}

void TWaitForm::ShowCurrentAgain() {
  if (!current || !current->hiddenForMessage_) return;
  current->hiddenForMessage_ = false;
  current->show();
}

void TWaitForm::showEvent(QShowEvent* event) {
  if (!reshowing_) {
    QRect area = main_ && main_->isVisible() ? main_->frameGeometry()
                 : screen()                   ? screen()->availableGeometry()
                                              : QRect(0, 0, FormWidth, FormHeight);
    move(area.center() - QPoint(FormWidth / 2, FormHeight / 2));
  }
  reshowing_ = false;
  QWidget::showEvent(event);
}

void TWaitForm::SetText(const QString& text) { WaitLabel->setText(text); }

int TWaitForm::Position() const { return ProgressBar->value(); }

void TWaitForm::Advance(double amount) {
  Done += amount;
  double ratio = Total > 0 ? Done / Total : 0;
  ProgressBar->setValue(int(std::lround(std::clamp(ratio, 0.0, 1.0) * 100)));
  QCoreApplication::processEvents();
}

TWaitProgress::~TWaitProgress() {
  if (began_) TWaitForm::Free();
}

void TWaitProgress::SetStatus(const std::string& text) {
  status_.ShowStatusText(text, text.empty() ? 0 : 3);
}

void TWaitProgress::Begin(const std::string& caption, int64_t total) {
  TWaitForm* form = TWaitForm::Create(main_, QString::fromStdString(caption), total > 0);
  form->Total = double(total);
  form->Done = 0;
  form->show();
  began_ = true;
  QCoreApplication::processEvents();
}

void TWaitProgress::SetDetail(const std::string&) {}

void TWaitProgress::SetTotal(int64_t total) {
  if (TWaitForm* form = TWaitForm::Current()) form->Total = double(total);
}

void TWaitProgress::Advance(int64_t amount) {
  if (TWaitForm* form = TWaitForm::Current())
    form->Advance(double(amount));
  else
    QCoreApplication::processEvents();
}

bool TWaitProgress::Cancelled() {
  QCoreApplication::processEvents();
  return false;
}

void TWaitProgress::End() {
  TWaitForm::Free();
  began_ = false;
}

}  // namespace tf

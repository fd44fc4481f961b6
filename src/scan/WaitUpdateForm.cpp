#include "scan/WaitUpdateForm.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/Prompts.h"
#include "text/Text.h"

namespace tf {

namespace {

QPointer<TWaitUpdateForm> current;

constexpr int AnimationFrames = 48;

void DrawFolder(QPainter& p, const QRectF& r) {
  QColor yellow(0xE8, 0xB8, 0x3A);
  QPainterPath back;
  back.moveTo(r.left(), r.top() + 4);
  back.lineTo(r.left() + r.width() * 0.35, r.top() + 4);
  back.lineTo(r.left() + r.width() * 0.42, r.top());
  back.lineTo(r.right(), r.top());
  back.lineTo(r.right(), r.bottom());
  back.lineTo(r.left(), r.bottom());
  back.closeSubpath();
  p.setPen(QPen(yellow.darker(190), 1.2));
  p.setBrush(yellow.darker(112));
  p.drawPath(back);
  QLinearGradient g(0, r.top() + 7, 0, r.bottom());
  g.setColorAt(0, yellow.lighter(125));
  g.setColorAt(1, yellow);
  p.setBrush(g);
  p.drawRoundedRect(QRectF(r.left(), r.top() + 7, r.width(), r.height() - 7), 1.5, 1.5);
  // Sheets of paper looking out of the folder.
  p.setPen(QPen(QColor(0x90, 0x90, 0x90), 0.8));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(r.left() + 5, r.top() + 3, r.width() - 12, 5));
}

}  // namespace

TScanAnimation::TScanAnimation(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("Animation"));
  setFixedSize(sizeHint());
  timer_ = new QTimer(this);
  timer_->setInterval(50);
  connect(timer_, &QTimer::timeout, this, [this] {
    frame_ = (frame_ + 1) % AnimationFrames;
    update();
  });
}

void TScanAnimation::Start() { timer_->start(); }
void TScanAnimation::Stop() { timer_->stop(); }
bool TScanAnimation::Running() const { return timer_->isActive(); }

void TScanAnimation::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  DrawFolder(p, QRectF(6, 14, 36, 28));
  // The glass goes round over the folder, once every AnimationFrames steps.
  double angle = 2 * M_PI * frame_ / AnimationFrames;
  QPointF centre(24 + 11 * std::cos(angle), 25 + 7 * std::sin(angle));
  double lens = 8;
  QPointF handle = centre + QPointF(lens * 0.72, lens * 0.72);
  p.setPen(QPen(QColor(0x50, 0x38, 0x20), 4, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(handle, handle + QPointF(8, 8));
  QRadialGradient glass(centre - QPointF(2.5, 2.5), lens);
  glass.setColorAt(0, QColor(255, 255, 255, 200));
  glass.setColorAt(1, QColor(0xA8, 0xC8, 0xE8, 140));
  p.setBrush(glass);
  p.setPen(QPen(QColor(0x40, 0x44, 0x4C), 2));
  p.drawEllipse(centre, lens, lens);
}

TWaitUpdateForm::TWaitUpdateForm(TUserPrompts& prompts, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      prompts_(prompts),
      main_(mainWindow) {
  setObjectName(QStringLiteral("WaitUpdateForm"));
  setWindowTitle(QString::fromLatin1(WaitScanning));
  // The other windows take no input while the scan runs; this one stays above them.
  setWindowModality(Qt::ApplicationModal);
  setAttribute(Qt::WA_DeleteOnClose, false);

  auto* layout = new QVBoxLayout(this);
  auto* head = new QHBoxLayout;
  Animation = new TScanAnimation;
  CaptionLabel = new QLabel(QString::fromLatin1(WaitScanning));
  CaptionLabel->setObjectName(QStringLiteral("CaptionLabel"));
  QFont bold = CaptionLabel->font();
  bold.setBold(true);
  CaptionLabel->setFont(bold);
  head->addWidget(Animation);
  head->addWidget(CaptionLabel, 1);
  layout->addLayout(head);

  DirectoryCaption = new QLabel(QString::fromLatin1(WaitDirectoryCaption));
  DirectoryCaption->setObjectName(QStringLiteral("DirectoryCaption"));
  layout->addWidget(DirectoryCaption);
  DirectoryLabel = new QLabel;
  DirectoryLabel->setObjectName(QStringLiteral("DirectoryLabel"));
  DirectoryLabel->setTextFormat(Qt::PlainText);
  DirectoryLabel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  DirectoryLabel->setMinimumWidth(340);
  // The line keeps its width whatever the path; a long path is shortened in the middle.
  DirectoryLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  layout->addWidget(DirectoryLabel);

  ProgressBar = new QProgressBar;
  ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
  ProgressBar->setRange(0, 100);
  ProgressBar->setValue(0);
  layout->addWidget(ProgressBar);
  CountLabel = new QLabel;
  CountLabel->setObjectName(QStringLiteral("CountLabel"));
  CountLabel->setVisible(false);
  layout->addWidget(CountLabel);

  auto* buttons = new QHBoxLayout;
  CancelBtn = new QPushButton(QStringLiteral("Cancel"));
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  buttons->addStretch();
  buttons->addWidget(CancelBtn);
  buttons->addStretch();
  layout->addLayout(buttons);
  connect(CancelBtn, &QPushButton::clicked, this, [this] { CancelBtnClick(); });

  resize(380, sizeHint().height());
  current = this;
}

TWaitUpdateForm::~TWaitUpdateForm() {
  if (current == this) current = nullptr;
}

TWaitUpdateForm* TWaitUpdateForm::Current() { return current; }

void TWaitUpdateForm::SetCaption(const QString& text) {
  setWindowTitle(text);
  CaptionLabel->setText(text);
}

void TWaitUpdateForm::SetDirectory(const QString& path) {
  directory_ = path;
  ShowDirectory();
  Q_EMIT DirectoryShown(path);
}

void TWaitUpdateForm::ShowDirectory() {
  int width = std::max(40, DirectoryLabel->contentsRect().width() - 6);
  DirectoryLabel->setText(
      DirectoryLabel->fontMetrics().elidedText(directory_, Qt::ElideMiddle, width));
  DirectoryLabel->setToolTip(directory_);
}

void TWaitUpdateForm::SetTotal(double total) {
  total_ = total;
  done_ = 0;
  // Without a total (a volume that reports no used space) the bar shows that work goes on.
  if (total_ > 0)
    ProgressBar->setRange(0, 100);
  else
    ProgressBar->setRange(0, 0);
  ProgressBar->setValue(0);
  CountLabel->clear();
  CountLabel->setVisible(false);
}

void TWaitUpdateForm::Advance(double amount) {
  done_ += amount;
  if (total_ <= 0) {
    CountLabel->setText(QString::fromStdString(ItemsReadText(int64_t(done_))));
    CountLabel->setVisible(true);
    return;
  }
  double ratio = std::clamp(done_ / total_, 0.0, 1.0);
  ProgressBar->setValue(int(std::lround(ratio * 100)));
}

int TWaitUpdateForm::Position() const { return std::max(0, ProgressBar->value()); }

void TWaitUpdateForm::CancelBtnClick() {
  if (asking_ || abort_) return;
  asking_ = true;
  TAnswer a = prompts_.Message(AbortScanTitle, AbortScanText, TButtons::YesNo, TIcon::Question);
  asking_ = false;
  if (a == TAnswer::Yes) {
    abort_ = true;
    CancelBtn->setEnabled(false);
  }
}

void TWaitUpdateForm::reject() { CancelBtnClick(); }

void TWaitUpdateForm::closeEvent(QCloseEvent* event) {
  // The window goes when the scan ends; closing it is asking to cancel.
  event->ignore();
  CancelBtnClick();
}

void TWaitUpdateForm::showEvent(QShowEvent* event) {
  QRect area = main_ && main_->isVisible() ? main_->frameGeometry()
               : screen()                   ? screen()->availableGeometry()
                                            : QRect(QPoint(0, 0), size());
  move(area.center() - QPoint(width() / 2, height() / 2));
  Animation->Start();
  QDialog::showEvent(event);
}

void TWaitUpdateForm::hideEvent(QHideEvent* event) {
  Animation->Stop();
  QDialog::hideEvent(event);
}

void TWaitUpdateForm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  ShowDirectory();
}

TWaitUpdateProgress::TWaitUpdateProgress(TWaitUpdateForm& form,
                                         std::function<void(const std::string&)> status)
    : form_(form), status_(std::move(status)) {}

void TWaitUpdateProgress::SetStatus(const std::string& text) {
  if (status_) status_(text);
}

void TWaitUpdateProgress::Begin(const std::string& caption, int64_t total) {
  form_.SetCaption(QString::fromStdString(caption));
  form_.SetTotal(double(total));
  if (!form_.isVisible()) form_.show();
  sinceEvents_.invalidate();
  LetEventsRun();
}

void TWaitUpdateProgress::SetDetail(const std::string& text) {
  form_.SetDirectory(QString::fromStdString(ToDisplay(text)));
}

void TWaitUpdateProgress::SetTotal(int64_t total) { form_.SetTotal(double(total)); }

void TWaitUpdateProgress::Advance(int64_t amount) {
  form_.Advance(double(amount));
  LetEventsRun();
}

bool TWaitUpdateProgress::Cancelled() {
  LetEventsRun();
  return form_.AbortRequested();
}

void TWaitUpdateProgress::LetEventsRun() {
  if (sinceEvents_.isValid() && sinceEvents_.elapsed() < EventInterval) return;
  QCoreApplication::processEvents();
  sinceEvents_.start();
}

TScanResult RunDiskScan(const TScanJob& job, TDrives& drives, TMediaDetector& media,
                        TUserPrompts& prompts, QWidget* mainWindow,
                        std::function<void(const std::string&)> status) {
  TWaitUpdateForm form(prompts, mainWindow);
  form.SetTotal(0);
  form.show();
  // Once, so that the window is drawn before the first drive access.
  QCoreApplication::processEvents();
  TWaitUpdateProgress progress(form, std::move(status));
  TScanResult result = ScanDisk(job, drives, media, progress);
  form.hide();
  return result;
}

}  // namespace tf

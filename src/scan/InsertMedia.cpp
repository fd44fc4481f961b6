#include "scan/InsertMedia.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/Prompts.h"
#include "text/Text.h"
#include "store/Tree.h"

namespace tf {

namespace {
QString Q(const std::string& s) { return QString::fromStdString(ToDisplay(s)); }
}  // namespace

TInsertAnimation::TInsertAnimation(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("InsertAnimation"));
  setFixedSize(sizeHint());
  timer_ = new QTimer(this);
  timer_->setInterval(60);
  connect(timer_, &QTimer::timeout, this, [this] {
    frame_ = (frame_ + 1) % 40;
    update();
  });
}

void TInsertAnimation::Start() { timer_->start(); }
void TInsertAnimation::Stop() { timer_->stop(); }

void TInsertAnimation::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  // The drive: a box with a slot.
  QRectF drive(10, 36, 100, 30);
  p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.5));
  p.setBrush(QColor(0xd8, 0xd8, 0xd8));
  p.drawRoundedRect(drive, 4, 4);
  p.setBrush(QColor(0x30, 0x30, 0x30));
  p.drawRect(QRectF(30, 46, 60, 5));
  p.setBrush(QColor(0x3c, 0xb0, 0x4c));
  p.drawEllipse(QPointF(98, 58), 3, 3);
  // The disc slides down into the slot, then the cycle starts again.
  int step = frame_ < 30 ? frame_ : 30;
  qreal y = 2 + step * 1.2;
  p.save();
  p.setClipRect(QRectF(0, 0, width(), 48.5));
  QRectF disc(38, y, 44, 44);
  p.setPen(QPen(QColor(0x1c, 0x34, 0x4d), 1.2));
  p.setBrush(QColor(0x9d, 0xb8, 0xd4));
  p.drawEllipse(disc);
  p.setBrush(Qt::white);
  p.drawEllipse(disc.center(), 5, 5);
  p.restore();
}

TMediaForm::TMediaForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("MediaForm"));
  setWindowTitle(QString::fromLatin1(InsertMediaCaption));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  Animation = new TInsertAnimation;
  auto* texts = new QVBoxLayout;
  texts->addWidget(new QLabel(QString::fromLatin1(InsertMediaText)));
  DiskNameLabel = new QLabel;
  DiskNameLabel->setObjectName(QStringLiteral("DiskNameLabel"));
  QFont bold = DiskNameLabel->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  DiskNameLabel->setFont(bold);
  MediaTypeLabel = new QLabel;
  MediaTypeLabel->setObjectName(QStringLiteral("MediaTypeLabel"));
  texts->addWidget(DiskNameLabel);
  texts->addWidget(MediaTypeLabel);
  texts->addStretch();
  row->addWidget(Animation);
  row->addLayout(texts, 1);
  layout->addLayout(row);

  auto* buttons = new QHBoxLayout;
  OKBtn = new QPushButton(QStringLiteral("OK"));
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  CancelBtn = new QPushButton(QStringLiteral("Cancel"));
  CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
  ManualBtn = new QPushButton(QStringLiteral("Manual Select"));
  ManualBtn->setObjectName(QStringLiteral("ManualBtn"));
  // The visible buttons stay centred, whether "Manual Select" shows or not.
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  buttons->addWidget(CancelBtn);
  buttons->addWidget(ManualBtn);
  buttons->addStretch();
  layout->addLayout(buttons);
  connect(OKBtn, &QPushButton::clicked, this, [this] {
    answer_ = TMediaAnswer::Ok;
    accept();
  });
  connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(ManualBtn, &QPushButton::clicked, this, [this] {
    answer_ = TMediaAnswer::Manual;
    accept();
  });
}

void TMediaForm::Prepare(const std::string& diskName, uint8_t mediaType, bool mayChooseManually) {
  DiskNameLabel->setText(Q(diskName));
  MediaTypeLabel->setText(QString::fromStdString(InsertMediaTypeLine(mediaType)));
  ManualBtn->setVisible(mayChooseManually);
  answer_ = TMediaAnswer::Cancel;
  adjustSize();
}

TMediaAnswer TMediaForm::InsertMedia(const std::string& diskName, uint8_t mediaType,
                                     bool mayChooseManually) {
  Prepare(diskName, mediaType, mayChooseManually);
  Animation->Start();
  exec();
  Animation->Stop();
  return answer_;
}

void TMediaForm::SetBusy(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

TDiskSelectForm::TDiskSelectForm(TUserPrompts& prompts, QWidget* parent)
    : QDialog(parent), prompts_(prompts) {
  setObjectName(QStringLiteral("DiskSelectForm"));
  setWindowTitle(QStringLiteral("Select Disk"));
  auto* layout = new QVBoxLayout(this);
  auto* intro = new QLabel(QStringLiteral(
      "The following disks in the catalog have been detected to have the same properties as "
      "the inserted media."));
  intro->setWordWrap(true);
  layout->addWidget(intro);
  layout->addWidget(new QLabel(QStringLiteral("Select the disk you would like to update in catalog:")));
  DisksList = new QListWidget;
  DisksList->setObjectName(QStringLiteral("DisksList"));
  layout->addWidget(DisksList);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setObjectName(QStringLiteral("OKBtn"));
  ok->setDefault(true);
  auto* addNew = new QPushButton(QStringLiteral("Add New"));
  addNew->setObjectName(QStringLiteral("AddNewBtn"));
  auto* cancel = new QPushButton(QStringLiteral("Cancel"));
  cancel->setObjectName(QStringLiteral("CancelBtn"));
  auto* hint = new QPushButton(QStringLiteral("Hint"));
  hint->setObjectName(QStringLiteral("HintBtn"));
  buttons->addWidget(hint);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(addNew);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, [this] {
    int row = DisksList->currentRow();
    if (row < 0 || row >= int(disks_.size())) return;
    selected_ = disks_[std::size_t(row)];
    result_ = TResult::Update;
    accept();
  });
  connect(DisksList, &QListWidget::itemDoubleClicked, ok, &QPushButton::click);
  connect(addNew, &QPushButton::clicked, this, [this] {
    result_ = TResult::AddNew;
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(hint, &QPushButton::clicked, this, [this] {
    prompts_.Message(DiskSelectHintTitle, DiskSelectHintText, TButtons::Ok, TIcon::Information);
  });
}

void TDiskSelectForm::SetDisks(const std::vector<TNode*>& disks) {
  disks_ = disks;
  selected_ = nullptr;
  result_ = TResult::Cancel;
  DisksList->clear();
  for (TNode* d : disks) DisksList->addItem(Q(d->Caption));
  DisksList->setCurrentRow(disks.empty() ? -1 : 0);
  DisksList->setFocus();
}

TDiskSelectForm::TResult TDiskSelectForm::Choose(const std::vector<TNode*>& disks) {
  SetDisks(disks);
  exec();
  return result_;
}

}  // namespace tf

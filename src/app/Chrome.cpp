#include "app/Chrome.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "app/Artwork.h"

namespace tf {

QIcon ProgramIcon() {
  static QIcon icon = [] {
    QIcon i;
    for (int s : {16, 24, 32, 48, 64, 128}) i.addPixmap(QPixmap::fromImage(DrawProgramIcon(s)));
    return i;
  }();
  return icon;
}

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(QStringLiteral("SplashForm"));
  setFixedSize(420, 220);
  timer_ = new QTimer(this);
  timer_->setSingleShot(true);
  connect(timer_, &QTimer::timeout, this, &QWidget::close);
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void TSplashForm::SetText(const QString& text) {
  text_ = text;
  repaint();
}

QString TSplashForm::Text() const { return text_; }

void TSplashForm::CloseLater() { timer_->start(ShowMilliseconds); }

void TSplashForm::mousePressEvent(QMouseEvent*) { close(); }

void TSplashForm::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QLinearGradient g(0, 0, 0, height());
  g.setColorAt(0, QColor(0x2f, 0x5a, 0x86));
  g.setColorAt(1, QColor(0x16, 0x2c, 0x44));
  p.fillRect(rect(), g);
  p.drawPixmap(24, 40, ProgramIcon().pixmap(96, 96));
  p.setPen(Qt::white);
  QFont title = font();
  title.setPointSize(24);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(140, 50, 260, 50), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Tallowfen"));
  QFont sub = font();
  sub.setPointSize(10);
  p.setFont(sub);
  p.drawText(QRect(140, 100, 260, 24), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Disk cataloguer"));
  p.setPen(QColor(0xdd, 0xe6, 0xf0));
  p.drawText(QRect(24, height() - 40, width() - 48, 24), Qt::AlignLeft | Qt::AlignVCenter, text_);
}

const QStringList& TTipsForm::Tips() {
  static const QStringList tips = {
      QStringLiteral("Catalogs stay small in memory: folders and file lists are read from the "
                     "catalog file only when you open them."),
      QStringLiteral("Archives on a disk (ZIP, ARJ, RAR, LHA, CAB and more) are shown as folders "
                     "holding their entries."),
      QStringLiteral("Descriptions come from FILE_ID.DIZ, DESCRIPT.ION and FILES.BBS files while "
                     "a disk is scanned; you can edit them afterwards."),
      QStringLiteral("Any folder can stand for a drive: add it as a folder drive in the Add New "
                     "Disk window."),
      QStringLiteral("Press Backspace in the item list to go up one level, and Alt+Enter to see "
                     "an item's properties."),
      QStringLiteral("Turn on auto-save in the settings, and Tallowfen saves modified catalogs "
                     "on its own."),
  };
  return tips;
}

TTipsForm::TTipsForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("TipsForm"));
  setWindowTitle(QStringLiteral("Tip of the Day"));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  auto* icon = new QLabel;
  icon->setPixmap(ProgramIcon().pixmap(48, 48));
  icon->setAlignment(Qt::AlignTop);
  tipLabel_ = new QLabel;
  tipLabel_->setWordWrap(true);
  tipLabel_->setMinimumSize(320, 80);
  tipLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  row->addWidget(icon);
  row->addWidget(tipLabel_, 1);
  layout->addLayout(row);
  startupCheck_ = new QCheckBox(QStringLiteral("Show tips at program startup"));
  layout->addWidget(startupCheck_);
  auto* buttons = new QDialogButtonBox;
  QPushButton* next = buttons->addButton(QStringLiteral("&Next Tip"), QDialogButtonBox::ActionRole);
  buttons->addButton(QDialogButtonBox::Close);
  connect(next, &QPushButton::clicked, this, &TTipsForm::NextTip);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  current_ = int(QRandomGenerator::global()->bounded(Tips().size()));
  tipLabel_->setText(Tips().at(current_));
}

void TTipsForm::SetShowAtStartup(bool on) { startupCheck_->setChecked(on); }
bool TTipsForm::ShowAtStartup() const { return startupCheck_->isChecked(); }

void TTipsForm::NextTip() {
  current_ = (current_ + 1) % int(Tips().size());
  tipLabel_->setText(Tips().at(current_));
}

TShutdownForm::TShutdownForm(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(QStringLiteral("Tallowfen"));
  auto* layout = new QHBoxLayout(this);
  auto* icon = new QLabel;
  icon->setPixmap(ProgramIcon().pixmap(32, 32));
  auto* text = new QLabel(QStringLiteral("Tallowfen is shutting down..."));
  text->setAlignment(Qt::AlignCenter);
  layout->addWidget(icon);
  layout->addWidget(text, 1);
  setFixedSize(300, 80);
}

}  // namespace tf

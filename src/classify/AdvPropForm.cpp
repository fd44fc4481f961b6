#include "classify/AdvPropForm.h"

#include <algorithm>
#include <cmath>

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>

namespace tf {

namespace {

QColor ColorOf(uint32_t rgb) { return QColor(int(rgb >> 16 & 0xFF), int(rgb >> 8 & 0xFF), int(rgb & 0xFF)); }

constexpr double Pi = 3.14159265358979323846;

}  // namespace

// ---- the pie chart --------------------------------------------------------------------------

TPieChart::TPieChart(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("PieChart"));
  setMinimumSize(360, 190);
  setAutoFillBackground(true);
  QPalette p = palette();
  p.setColor(QPalette::Window, Qt::white);
  setPalette(p);
}

void TPieChart::SetSlices(std::vector<TPieSlice> slices, const QString& footer) {
  slices_ = std::move(slices);
  footer_ = footer;
  update();
}

void TPieChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QFontMetrics fm(font());
  const int line = fm.height();
  QRect area = rect().adjusted(6, 6, -6, -6);

  // The footer under everything.
  QRect footer(area.left(), area.bottom() - line, area.width(), line + 1);
  p.setPen(Qt::black);
  p.drawText(footer, Qt::AlignCenter, footer_);
  area.setBottom(footer.top() - 6);

  // The plain legend on the right: a colour box and the label of each slice.
  int labelWidth = 0;
  for (const TPieSlice& s : slices_)
    labelWidth = std::max(labelWidth, fm.horizontalAdvance(QString::fromStdString(s.Label)));
  if (!slices_.empty()) {
    int w = labelWidth + 34;
    int h = int(slices_.size()) * (line + 4) + 8;
    QRect legend(area.right() - w, area.center().y() - h / 2, w, h);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawRect(legend);
    // Listed the other way round, so that the slice drawn last (used) comes first.
    int y = legend.top() + 6;
    for (auto it = slices_.rbegin(); it != slices_.rend(); ++it) {
      QRect box(legend.left() + 8, y + (line - 10) / 2, 12, 10);
      p.setBrush(ColorOf(it->Color));
      p.drawRect(box);
      p.drawText(QRect(box.right() + 8, y, labelWidth + 4, line), Qt::AlignLeft | Qt::AlignVCenter,
                 QString::fromStdString(it->Label));
      y += line + 4;
    }
    area.setRight(legend.left() - 10);
  }
  if (slices_.empty()) return;

  // The pie: an ellipse seen from above, its edge 9 percent of its width deep; room is left
  // around it for the labels.
  // The labels stand off the edge; they may reach into the corners beside the ellipse.
  int markRoom = labelWidth * 3 / 4 + 16;
  int width = std::min(area.width() - 2 * markRoom, int((area.height() - 2 * line - 10) / 0.64));
  width = std::max(width, 40);
  int height = int(width * 0.55);
  int depth = int(std::lround(width * DepthPercent / 100.0));
  QRectF top(area.center().x() - width / 2.0, area.center().y() - (height + depth) / 2.0, width, height);
  QPointF centre = top.center();
  double rx = top.width() / 2, ry = top.height() / 2;

  struct TSpan {
    int Start, Length;  // 1/16 degree, counter-clockwise from 3 o'clock
    const TPieSlice* Slice;
  };
  std::vector<TSpan> spans;
  int total = 0;
  for (const TPieSlice& s : slices_) total += std::max(0, s.Percent);
  if (total <= 0) return;
  double angle = 90.0;  // the first slice starts at 12 o'clock
  for (const TPieSlice& s : slices_) {
    double sweep = 360.0 * std::max(0, s.Percent) / total;
    if (sweep > 0) spans.push_back({int(std::lround(angle * 16)), int(std::lround(sweep * 16)), &s});
    angle += sweep;
  }

  // The edge: the pie drawn darker, layer by layer, from the bottom up.
  p.setPen(Qt::NoPen);
  for (int d = depth; d >= 1; --d)
    for (const TSpan& s : spans) {
      p.setBrush(ColorOf(s.Slice->Color).darker(d == depth ? 190 : 150));
      p.drawPie(top.translated(0, d), s.Start, s.Length);
    }
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::NoBrush);
  p.drawArc(top.translated(0, depth), 180 * 16, 180 * 16);
  p.drawLine(QPointF(top.left(), centre.y()), QPointF(top.left(), centre.y() + depth));
  p.drawLine(QPointF(top.right(), centre.y()), QPointF(top.right(), centre.y() + depth));
  // The top face.
  for (const TSpan& s : spans) {
    p.setBrush(ColorOf(s.Slice->Color));
    p.drawPie(top, s.Start, s.Length);
  }

  // A label beside each slice, joined to it by a line.
  for (const TSpan& s : spans) {
    double mid = (s.Start + s.Length / 2.0) / 16.0 * Pi / 180.0;
    double c = std::cos(mid), sn = std::sin(mid);
    QPointF edge(centre.x() + rx * c, centre.y() - ry * sn);
    double lower = sn < 0 ? depth : 0;  // below the middle the edge shows under the face
    QPointF mark(centre.x() + (rx + 18) * c, centre.y() - (ry + 14) * sn + lower);
    QString text = QString::fromStdString(s.Slice->Label);
    QSize size(fm.horizontalAdvance(text) + 8, line + 4);
    QRectF box(c >= 0 ? mark.x() : mark.x() - size.width(), mark.y() - size.height() / 2.0,
               size.width(), size.height());
    box.moveLeft(std::clamp(box.left(), 0.0, double(width + 2 * markRoom + area.left())));
    box.moveTop(std::clamp(box.top(), 0.0, double(this->height() - size.height())));
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(edge, QPointF(c >= 0 ? box.left() : box.right(), box.center().y()));
    p.setBrush(QColor(255, 255, 225));
    p.drawRect(box);
    p.drawText(box, Qt::AlignCenter, text);
  }
}

// ---- the window -----------------------------------------------------------------------------

TAdvDiskForm::TAdvDiskForm(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AdvDiskForm"));
  setWindowTitle(QLatin1String(AdvancedDiskInfoCaption));
  auto* layout = new QVBoxLayout(this);
  auto* head = new QHBoxLayout;
  IconLabel = new QLabel;
  IconLabel->setFixedSize(44, 44);
  IconLabel->setAlignment(Qt::AlignCenter);
  IconLabel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  NameLabel = new QLabel;
  NameLabel->setObjectName(QStringLiteral("NameLabel"));
  QFont bold = NameLabel->font();
  bold.setBold(true);
  NameLabel->setFont(bold);
  head->addWidget(IconLabel);
  head->addWidget(NameLabel, 1);
  layout->addLayout(head);

  auto* grid = new QGridLayout;
  static constexpr const char* captions[8] = {
      "File System:",      "Max. Filename Length:", "Total Files:",  "Total Folders:",
      "Bytes per Sector:", "Sectors per Cluster:",  "Cluster Size:", "Lost in File System:"};
  for (int i = 0; i < 8; ++i) {
    Values[std::size_t(i)] = new QLabel;
    Values[std::size_t(i)]->setObjectName(QStringLiteral("AdvValue%1").arg(i));
    Values[std::size_t(i)]->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Two columns of figures.
    int row = i % 4, col = i / 4 * 2;
    grid->addWidget(new QLabel(QLatin1String(captions[i])), row, col);
    grid->addWidget(Values[std::size_t(i)], row, col + 1);
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  grid->setHorizontalSpacing(12);
  layout->addLayout(grid);

  Chart = new TPieChart;
  auto* frame = new QFrame;
  frame->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  auto* fl = new QVBoxLayout(frame);
  fl->setContentsMargins(1, 1, 1, 1);
  fl->addWidget(Chart);
  layout->addWidget(frame, 1);

  auto* buttons = new QHBoxLayout;
  OKBtn = new QPushButton(QStringLiteral("&OK"));
  OKBtn->setObjectName(QStringLiteral("OKBtn"));
  OKBtn->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(OKBtn);
  layout->addLayout(buttons);
  connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
  resize(520, 420);
}

void TAdvDiskForm::Fill(const TDiskPageInfo& disk, const QPixmap& icon) {
  IconLabel->setPixmap(icon);
  NameLabel->setText(QString::fromStdString(disk.Name));
  const TAdvancedDiskInfo& a = disk.Advanced;
  const std::string* values[8] = {&a.FileSystem,     &a.MaxNameLength,     &a.TotalFiles,
                                  &a.TotalFolders,   &a.BytesPerSector,    &a.SectorsPerCluster,
                                  &a.ClusterSize,    &a.LostSpace};
  for (int i = 0; i < 8; ++i) Values[std::size_t(i)]->setText(QString::fromStdString(*values[i]));
  Chart->SetSlices(a.Slices, QString::fromStdString(a.Footer));
}

}  // namespace tf

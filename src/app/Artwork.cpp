#include "app/Artwork.h"

#include <QPainter>
#include <QPainterPath>

namespace tf {

namespace {

QImage Blank(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

// A stack of three discs, in a 64 x 64 design grid.
void DrawDiscs(QPainter& p) {
  const QColor discs[] = {QColor(0x6a, 0x8c, 0xaf), QColor(0x4f, 0x77, 0x9e), QColor(0x2f, 0x5a, 0x86)};
  for (int i = 0; i < 3; ++i) {
    QRectF r(6 + i * 6, 4 + i * 5, 40, 40);
    p.setPen(QPen(QColor(0x1c, 0x34, 0x4d), 1.5));
    p.setBrush(discs[i]);
    p.drawEllipse(r);
    p.setBrush(QColor(0xe8, 0xee, 0xf4));
    p.drawEllipse(r.center(), 5, 5);
  }
}

// The index card with three written lines, in the same grid.
void DrawCard(QPainter& p, const QRectF& card) {
  p.setPen(QPen(QColor(0x5a, 0x4a, 0x1e), 1.5));
  p.setBrush(QColor(0xf6, 0xe3, 0xa1));
  p.drawRoundedRect(card, 3, 3);
  p.setPen(QPen(QColor(0x8a, 0x72, 0x30), 2));
  for (int i = 0; i < 3; ++i)
    p.drawLine(QPointF(card.left() + 5, card.top() + 8 + i * 7),
               QPointF(card.right() - 5 - i * 5, card.top() + 8 + i * 7));
}

}  // namespace

// A stack of three discs with a card in front: the catalog of media.
QImage DrawProgramIcon(int size) {
  QImage image = Blank(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  DrawDiscs(p);
  DrawCard(p, QRectF(30, 30, 30, 30));
  return image;
}

// A sheet with a folded corner, and the program's discs and card on it, smaller.
QImage DrawCatalogFileIcon(int size) {
  QImage image = Blank(size);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);
  QPainterPath sheet;
  sheet.moveTo(10, 2);
  sheet.lineTo(42, 2);
  sheet.lineTo(54, 14);
  sheet.lineTo(54, 62);
  sheet.lineTo(10, 62);
  sheet.closeSubpath();
  p.setPen(QPen(QColor(0x55, 0x5d, 0x66), 1.5));
  p.setBrush(QColor(0xfb, 0xfb, 0xf8));
  p.drawPath(sheet);
  QPainterPath fold;
  fold.moveTo(42, 2);
  fold.lineTo(42, 14);
  fold.lineTo(54, 14);
  p.setBrush(QColor(0xd8, 0xdc, 0xe0));
  p.drawPath(fold);
  p.translate(14, 18);
  p.scale(0.6, 0.6);
  DrawDiscs(p);
  DrawCard(p, QRectF(30, 30, 30, 30));
  return image;
}

}  // namespace tf

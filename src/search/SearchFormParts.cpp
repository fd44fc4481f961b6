#include "search/SearchFormParts.h"

#include <QPainter>

namespace tf {

QPixmap searchform::StatePixmap(int state, const QColor& base) {
  QPixmap pm(StateImageWidth, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(0x55, 0x5D, 0x68), 1));
  p.setBrush(state == 3 ? QColor(0xD4, 0xD4, 0xD4) : base);
  p.drawRect(QRectF(1.5, 1.5, 13, 13));
  if (state != 1) {
    p.setPen(QPen(state == 3 ? QColor(0x78, 0x78, 0x78) : QColor(0x1E, 0x1E, 0x1E), 2,
                  Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({{4.5, 8.0}, {7.0, 10.5}, {11.5, 5.0}}));
  }
  return pm;
}

}  // namespace tf

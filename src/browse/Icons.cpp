#include "browse/Icons.h"

#include <functional>

#include <QApplication>
#include <QLinearGradient>
#include <QMimeDatabase>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QStyle>

#include "browse/Format.h"
#include "scan/Utils.h"

namespace tf {

namespace {

// Every picture is drawn on a 32 x 32 grid and scaled to the size asked for.
using TDraw = std::function<void(QPainter&)>;

QPixmap Render(const TDraw& draw, int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  draw(p);
  return pm;
}

QIcon Drawn(const TDraw& draw) {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(Render(draw, size));
  return icon;
}

// A picture over another icon (an arrow over a folder, a zipper over a folder).
QIcon Overlay(const QIcon& base, const TDraw& draw) {
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64}) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    base.paint(&p, QRect(0, 0, size, size));
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    p.end();
    icon.addPixmap(pm);
  }
  return icon;
}

QColor Shade(const QColor& c, int factor) { return factor > 100 ? c.lighter(factor) : c.darker(200 - factor); }

void Box(QPainter& p, const QRectF& r, const QColor& fill, qreal radius = 2) {
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, Shade(fill, 125));
  g.setColorAt(1, Shade(fill, 85));
  p.setBrush(g);
  p.setPen(QPen(fill.darker(220), 1.2));
  p.drawRoundedRect(r, radius, radius);
}

void DrawFolder(QPainter& p, bool open) {
  QColor yellow(0xE8, 0xB8, 0x3A);
  QPainterPath back;
  back.moveTo(3, 8);
  back.lineTo(12, 8);
  back.lineTo(14.5, 5.5);
  back.lineTo(29, 5.5);
  back.lineTo(29, 26);
  back.lineTo(3, 26);
  back.closeSubpath();
  p.setPen(QPen(yellow.darker(190), 1.2));
  p.setBrush(yellow.darker(112));
  p.drawPath(back);
  QLinearGradient g(0, 11, 0, 26);
  g.setColorAt(0, yellow.lighter(125));
  g.setColorAt(1, yellow);
  p.setBrush(g);
  if (open) {
    QPolygonF front({{6, 13}, {31, 13}, {27, 26}, {3, 26}});
    p.drawPolygon(front);
  } else {
    p.drawRoundedRect(QRectF(3, 11, 26, 15), 1.5, 1.5);
  }
}

void DrawZipper(QPainter& p) {
  QRectF band(13, 11, 6, 15);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x55, 0x55, 0x60));
  p.drawRect(band);
  p.setBrush(QColor(0xE0, 0xE0, 0xE6));
  for (int i = 0; i < 7; ++i) {
    qreal y = 11.5 + i * 2;
    p.drawRect(QRectF(i % 2 ? 16 : 14, y, 2, 1.2));
  }
  p.setBrush(QColor(0xC8, 0xA0, 0x30));
  p.setPen(QPen(QColor(0x70, 0x50, 0x10), 0.8));
  p.drawRoundedRect(QRectF(12.5, 23, 7, 5), 1, 1);
}

void DrawUpArrow(QPainter& p) {
  QPolygonF arrow({{22, 12}, {30, 20}, {25.5, 20}, {25.5, 29}, {18.5, 29}, {18.5, 20}, {14, 20}});
  p.setPen(QPen(QColor(0x1E, 0x6B, 0x1E), 1.2));
  p.setBrush(QColor(0x4C, 0xB8, 0x4C));
  p.drawPolygon(arrow);
}

void DrawHardDisk(QPainter& p) {
  Box(p, QRectF(3, 9, 26, 15), QColor(0xB0, 0xB4, 0xBA), 3);
  p.setPen(QPen(QColor(0x70, 0x74, 0x7A), 1));
  p.drawLine(QPointF(5, 19.5), QPointF(27, 19.5));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x30, 0xD0, 0x40));
  p.drawEllipse(QPointF(24.5, 21.8), 1.4, 1.4);
}

void DrawDisc(QPainter& p) {
  QPainterPath disc;
  disc.addEllipse(QPointF(16, 16), 13, 13);
  disc.addEllipse(QPointF(16, 16), 2.2, 2.2);
  disc.setFillRule(Qt::OddEvenFill);
  QRadialGradient g(QPointF(16, 16), 13);
  g.setColorAt(0.2, QColor(0xF4, 0xF6, 0xFA));
  g.setColorAt(0.6, QColor(0xC8, 0xD4, 0xEC));
  g.setColorAt(0.8, QColor(0xE8, 0xD8, 0xF0));
  g.setColorAt(1.0, QColor(0xA8, 0xB4, 0xC8));
  p.setBrush(g);
  p.setPen(QPen(QColor(0x60, 0x68, 0x78), 1.2));
  p.drawPath(disc);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0x90, 0x98, 0xA8), 0.8));
  p.drawEllipse(QPointF(16, 16), 5, 5);
}

void DrawFloppy35(QPainter& p) {
  Box(p, QRectF(4, 4, 24, 24), QColor(0x3A, 0x5F, 0xA8), 2);
  p.setPen(QPen(QColor(0x60, 0x64, 0x6C), 0.8));
  p.setBrush(QColor(0xD0, 0xD4, 0xDC));
  p.drawRect(QRectF(10, 4.5, 12, 8.5));
  p.setBrush(QColor(0x40, 0x44, 0x4C));
  p.drawRect(QRectF(17, 6, 2.5, 5.5));
  p.setBrush(QColor(0xF8, 0xF8, 0xF8));
  p.setPen(QPen(QColor(0x90, 0x90, 0x90), 0.6));
  p.drawRect(QRectF(8, 17, 16, 11));
}

void DrawFloppy525(QPainter& p) {
  Box(p, QRectF(3, 3, 26, 26), QColor(0x38, 0x38, 0x3C), 1);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0xF0, 0xF0, 0xE8));
  p.drawRect(QRectF(6, 5, 20, 5));
  p.setBrush(QColor(0x9C, 0x8C, 0x70));
  p.drawEllipse(QPointF(16, 17), 4.2, 4.2);
  p.setBrush(QColor(0x38, 0x38, 0x3C));
  p.drawEllipse(QPointF(16, 17), 2, 2);
  p.setBrush(QColor(0x9C, 0x8C, 0x70));
  p.drawRoundedRect(QRectF(14.5, 23, 3, 5), 1.2, 1.2);
}

void DrawNetwork(QPainter& p) {
  Box(p, QRectF(4, 4, 24, 13), QColor(0xB0, 0xB4, 0xBA), 3);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x30, 0xD0, 0x40));
  p.drawEllipse(QPointF(23.5, 13.5), 1.4, 1.4);
  p.setPen(QPen(QColor(0x2A, 0x5C, 0xA8), 2.2));
  p.drawLine(QPointF(16, 17), QPointF(16, 25));
  p.drawLine(QPointF(4, 25.5), QPointF(28, 25.5));
  p.setPen(QPen(QColor(0x1A, 0x3C, 0x78), 1));
  p.setBrush(QColor(0x5A, 0x8C, 0xD8));
  for (qreal x : {6.0, 16.0, 26.0}) p.drawRect(QRectF(x - 2, 23.5, 4, 4));
}

void DrawRemovable(QPainter& p) {
  Box(p, QRectF(10, 3, 12, 19), QColor(0x4A, 0x7C, 0xC8), 2.5);
  p.setPen(QPen(QColor(0x70, 0x74, 0x7A), 1));
  p.setBrush(QColor(0xD8, 0xDC, 0xE2));
  p.drawRect(QRectF(11.5, 22, 9, 7));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x50, 0x54, 0x5A));
  p.drawRect(QRectF(13, 24, 2, 2));
  p.drawRect(QRectF(17, 24, 2, 2));
}

void DrawRamDisk(QPainter& p) {
  p.setPen(QPen(QColor(0xA0, 0x90, 0x40), 1.4));
  for (int i = 0; i < 5; ++i) {
    qreal y = 9 + i * 3.5;
    p.drawLine(QPointF(3, y), QPointF(8, y));
    p.drawLine(QPointF(24, y), QPointF(29, y));
  }
  Box(p, QRectF(7, 6, 18, 20), QColor(0x30, 0x34, 0x3A), 1.5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x80, 0x84, 0x8A));
  p.drawEllipse(QPointF(11, 10), 1.3, 1.3);
}

void DrawTape(QPainter& p) {
  Box(p, QRectF(3, 8, 26, 17), QColor(0x4A, 0x4A, 0x50), 2);
  p.setPen(QPen(QColor(0x30, 0x30, 0x30), 0.8));
  p.setBrush(QColor(0xE8, 0xE4, 0xD8));
  p.drawRoundedRect(QRectF(8, 12, 16, 7), 3, 3);
  p.setBrush(QColor(0x50, 0x40, 0x30));
  p.drawEllipse(QPointF(12, 15.5), 2.3, 2.3);
  p.drawEllipse(QPointF(20, 15.5), 2.3, 2.3);
}

void DrawCatalog(QPainter& p) {
  // A bound register: cover, spine, page edges, a label.
  p.setPen(QPen(QColor(0x90, 0x90, 0x88), 0.8));
  p.setBrush(QColor(0xFA, 0xF8, 0xF0));
  p.drawRect(QRectF(9, 5, 19, 24));
  Box(p, QRectF(5, 3, 21, 25), QColor(0x2E, 0x6E, 0x8E), 1.5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1E, 0x4A, 0x60));
  p.drawRect(QRectF(5.6, 3.6, 4, 23.8));
  p.setBrush(QColor(0xF4, 0xEC, 0xD0));
  p.setPen(QPen(QColor(0x80, 0x70, 0x50), 0.6));
  p.drawRect(QRectF(13, 8, 10, 6));
  p.setPen(QPen(QColor(0x80, 0x70, 0x50), 0.8));
  p.drawLine(QPointF(14.5, 10), QPointF(21.5, 10));
  p.drawLine(QPointF(14.5, 12), QPointF(19.5, 12));
}

QIcon ThemeOr(const char* name, const QIcon& fallback) {
  QIcon icon = QIcon::fromTheme(QLatin1String(name));
  return icon.isNull() ? fallback : icon;
}

}  // namespace

TIconList::TIconList() {
  icons_.resize(StandardIconCount);
  QStyle* style = QApplication::style();
  icons_[IconFile] = ThemeOr("text-x-generic", style->standardIcon(QStyle::SP_FileIcon));
  icons_[IconFolder] = ThemeOr("folder", Drawn([](QPainter& p) { DrawFolder(p, false); }));
  icons_[IconFolderOpen] =
      ThemeOr("folder-open", Drawn([](QPainter& p) { DrawFolder(p, true); }));
  icons_[IconHardDisk] = Drawn(DrawHardDisk);
  icons_[IconCdDrive] = Drawn(DrawDisc);
  icons_[IconFloppy35] = Drawn(DrawFloppy35);
  icons_[IconFloppy525] = Drawn(DrawFloppy525);
  icons_[IconNetwork] = Drawn(DrawNetwork);
  icons_[IconRemovable] = Drawn(DrawRemovable);
  icons_[IconRamDisk] = Drawn(DrawRamDisk);
  icons_[IconTape] = Drawn(DrawTape);
  icons_[IconCatalog] = Drawn(DrawCatalog);
  icons_[IconBack] = Overlay(icons_[IconFolder], DrawUpArrow);
  icons_[IconZipFolder] = Overlay(icons_[IconFolder], DrawZipper);
  icons_[IconZipOpenFolder] = Overlay(icons_[IconFolderOpen], DrawZipper);
}

const QIcon& TIconList::Icon(int index) const {
  if (index < 0 || index >= Count()) return icons_[IconFile];
  return icons_[std::size_t(index)];
}

int TIconList::DriveIcon(uint8_t mediaType) {
  switch (DriveIconIndex(mediaType)) {
    case iiFloppy525: return IconFloppy525;
    case iiFloppy35: return IconFloppy35;
    case iiTape: return IconTape;
    case iiCdDrive: return IconCdDrive;
    case iiNetworkDrive: return IconNetwork;
    case iiRamDrive: return IconRamDisk;
    case iiRemovableDrive: return IconRemovable;
    default: return IconHardDisk;
  }
}

int TIconList::FileIcon(std::string_view name) {
  std::string ext(ExtensionOf(name));
  if (ext.empty()) return IconFile;
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  if (auto it = byExtension_.find(ext); it != byExtension_.end()) return it->second;
  static const QMimeDatabase db;
  QMimeType mime = db.mimeTypeForFile(QString::fromStdString(std::string(name)),
                                      QMimeDatabase::MatchExtension);
  if (!mime.isValid() || mime.isDefault()) return IconFile;
  QString iconName = mime.iconName();
  QIcon icon = QIcon::fromTheme(iconName);
  if (icon.isNull()) {
    iconName = mime.genericIconName();
    icon = QIcon::fromTheme(iconName);
  }
  if (icon.isNull()) return IconFile;  // not remembered: a theme may bring it later
  // Extensions of one type share one entry.
  std::string key = iconName.toStdString();
  int index;
  if (auto it = byIconName_.find(key); it != byIconName_.end()) {
    index = it->second;
  } else {
    icons_.push_back(icon);
    index = Count() - 1;
    byIconName_[key] = index;
  }
  byExtension_[ext] = index;
  return index;
}

QPixmap StateLightPixmap(TStateLight light, int size) {
  QColor c = light == TStateLight::Busy     ? QColor(0xE0, 0x30, 0x20)
             : light == TStateLight::Search ? QColor(0xF0, 0xB0, 0x10)
                                            : QColor(0x30, 0xC0, 0x40);
  return Render([c](QPainter& p) {
    QRadialGradient g(QPointF(13, 12), 13);
    g.setColorAt(0, c.lighter(170));
    g.setColorAt(0.6, c);
    g.setColorAt(1, c.darker(150));
    p.setBrush(g);
    p.setPen(QPen(c.darker(250), 1.5));
    p.drawEllipse(QPointF(16, 16), 11, 11);
  }, size);
}

namespace {

const QColor Ink(0x3C, 0x44, 0x50);
const QColor Accent(0x2A, 0x6C, 0xC8);

void Glyph(QPainter& p, TToolGlyph glyph) {
  QPen pen(Ink, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(pen);
  p.setBrush(Qt::NoBrush);
  auto downArrow = [&](qreal x) {
    p.setPen(QPen(Accent, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(x, 5), QPointF(x, 27));
    p.drawPolyline(QPolygonF({{x - 4.5, 22}, {x, 27}, {x + 4.5, 22}}));
    p.setPen(pen);
  };
  auto letters = [&](const QString& top, const QString& bottom) {
    QFont f = QApplication::font();
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(2, 1, 18, 15), Qt::AlignCenter, top);
    p.drawText(QRectF(2, 16, 18, 15), Qt::AlignCenter, bottom);
  };
  switch (glyph) {
    case TToolGlyph::Back:
      p.setPen(QPen(Accent, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawPolyline(QPolygonF({{8, 14}, {16, 6}, {24, 14}}));
      p.drawLine(QPointF(16, 6), QPointF(16, 20));
      p.drawPolyline(QPolygonF({{16, 20}, {16, 26}, {27, 26}}));
      break;
    case TToolGlyph::SortByName:
      letters(QStringLiteral("A"), QStringLiteral("Z"));
      downArrow(25);
      break;
    case TToolGlyph::SortByExtension:
      letters(QStringLiteral(".a"), QStringLiteral(".z"));
      downArrow(25);
      break;
    case TToolGlyph::SortByMediaType:
      p.save();
      p.translate(1, 6);
      p.scale(0.6, 0.6);
      DrawDisc(p);
      p.restore();
      downArrow(25);
      break;
    case TToolGlyph::SortBySize:
    case TToolGlyph::SortByCapacity:
      p.setPen(Qt::NoPen);
      p.setBrush(Ink);
      p.drawRect(QRectF(3, 21, 4, 6));
      p.drawRect(QRectF(9, 15, 4, 12));
      p.drawRect(QRectF(15, 8, 4, 19));
      if (glyph == TToolGlyph::SortByCapacity) {
        p.setBrush(Accent);
        p.drawRect(QRectF(21, 4, 4, 23));
      } else {
        downArrow(25);
      }
      break;
    case TToolGlyph::SortByDate:
      p.setPen(QPen(Ink, 1.6));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(2.5, 6, 17, 17));
      p.setBrush(Accent);
      p.drawRect(QRectF(2.5, 6, 17, 4.5));
      p.setPen(Qt::NoPen);
      p.setBrush(Ink);
      for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) p.drawRect(QRectF(5 + c * 5, 12.5 + r * 3.5, 2.5, 2.2));
      downArrow(25);
      break;
    case TToolGlyph::SortByFreeSpace: {
      p.setPen(QPen(Ink, 1.6));
      p.setBrush(QColor(0xC8, 0xD0, 0xDC));
      QRectF r(2, 7, 19, 19);
      p.drawEllipse(r);
      p.setBrush(Accent);
      p.drawPie(r, 90 * 16, -110 * 16);
      downArrow(25);
      break;
    }
    case TToolGlyph::ReverseSort:
      p.setPen(QPen(Accent, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawLine(QPointF(10, 4), QPointF(10, 27));
      p.drawPolyline(QPolygonF({{5, 9}, {10, 4}, {15, 9}}));
      p.setPen(QPen(Ink, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawLine(QPointF(22, 4), QPointF(22, 27));
      p.drawPolyline(QPolygonF({{17, 22}, {22, 27}, {27, 22}}));
      break;
    case TToolGlyph::LargeIcons:
      p.setPen(QPen(Ink, 1.6));
      p.setBrush(Accent.lighter(150));
      for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) p.drawRoundedRect(QRectF(4 + c * 14, 4 + r * 14, 10, 10), 2, 2);
      break;
    case TToolGlyph::SmallIcons:
      p.setPen(Qt::NoPen);
      for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 2; ++c) {
          p.setBrush(Accent);
          p.drawRect(QRectF(3 + c * 15, 5 + r * 8.5, 5, 5));
          p.setBrush(Ink);
          p.drawRect(QRectF(10 + c * 15, 6.5 + r * 8.5, 5, 2));
        }
      }
      break;
    case TToolGlyph::List:
      p.setPen(Qt::NoPen);
      for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 2; ++c) {
          p.setBrush(Accent);
          p.drawRect(QRectF(3 + c * 15, 4 + r * 6.5, 4, 4));
          p.setBrush(Ink);
          p.drawRect(QRectF(9 + c * 15, 5.2 + r * 6.5, 6, 1.8));
        }
      }
      break;
    case TToolGlyph::Details:
      p.setPen(Qt::NoPen);
      p.setBrush(Ink);
      p.drawRect(QRectF(3, 4, 26, 3.5));
      for (int r = 0; r < 4; ++r) {
        p.setBrush(Accent);
        p.drawRect(QRectF(3, 10.5 + r * 5, 3.5, 3.5));
        p.setBrush(Ink);
        p.drawRect(QRectF(8.5, 11.3 + r * 5, 9, 1.8));
        p.drawRect(QRectF(20.5, 11.3 + r * 5, 8, 1.8));
      }
      break;
    case TToolGlyph::AddDisk: {
      // A disc with a plus sign.
      p.save();
      p.translate(0, 3);
      p.scale(0.8, 0.8);
      DrawDisc(p);
      p.restore();
      p.setPen(QPen(QColor(0x1E, 0x6B, 0x1E), 1));
      p.setBrush(QColor(0x4C, 0xB8, 0x4C));
      p.drawPolygon(QPolygonF({{21, 17}, {25, 17}, {25, 21}, {29, 21}, {29, 25}, {25, 25},
                               {25, 29}, {21, 29}, {21, 25}, {17, 25}, {17, 21}, {21, 21}}));
      break;
    }
    case TToolGlyph::Explorer:
      // An open folder with a window frame behind it.
      p.setPen(QPen(Ink, 1.4));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(12, 3, 17, 13));
      p.setBrush(Accent);
      p.drawRect(QRectF(12, 3, 17, 3.5));
      p.save();
      p.translate(0, 6);
      p.scale(0.8, 0.8);
      DrawFolder(p, true);
      p.restore();
      break;
    case TToolGlyph::Launch: {
      // A document with a green start arrow.
      p.setPen(QPen(Ink, 1.4));
      p.setBrush(Qt::white);
      QPolygonF page({{5, 3}, {17, 3}, {22, 8}, {22, 28}, {5, 28}});
      p.drawPolygon(page);
      p.drawPolyline(QPolygonF({{17, 3}, {17, 8}, {22, 8}}));
      p.setPen(QPen(QColor(0x1E, 0x6B, 0x1E), 1.2));
      p.setBrush(QColor(0x4C, 0xB8, 0x4C));
      p.drawPolygon(QPolygonF({{15, 13}, {29, 20.5}, {15, 28}}));
      break;
    }
    case TToolGlyph::EditDescription:
      // Lines of text and a pencil across them.
      p.setPen(QPen(Ink, 1.8));
      for (int i = 0; i < 4; ++i) p.drawLine(QPointF(3, 6 + i * 5), QPointF(i == 3 ? 12 : 20, 6 + i * 5));
      p.setPen(QPen(QColor(0x80, 0x60, 0x20), 1));
      p.setBrush(QColor(0xF0, 0xC0, 0x40));
      p.drawPolygon(QPolygonF({{26, 9}, {30, 13}, {17, 26}, {13, 22}}));
      p.setBrush(QColor(0x50, 0x50, 0x50));
      p.drawPolygon(QPolygonF({{13, 22}, {17, 26}, {11.5, 28}}));
      break;
    case TToolGlyph::UserList:
    case TToolGlyph::AddToUserList:
    case TToolGlyph::ClearList:
      // A clipboard with ticked lines; with a plus (adding) or a red cross (clearing).
      p.setPen(QPen(Ink, 1.4));
      p.setBrush(QColor(0xE8, 0xD0, 0xA0));
      p.drawRoundedRect(QRectF(4, 4, 20, 25), 2, 2);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(7, 8, 14, 18));
      p.setBrush(Ink);
      p.drawRect(QRectF(10, 2.5, 8, 4));
      p.setPen(QPen(Accent, 1.6));
      for (int i = 0; i < 3; ++i) p.drawLine(QPointF(9, 12 + i * 5), QPointF(19, 12 + i * 5));
      if (glyph == TToolGlyph::AddToUserList) {
        p.setPen(QPen(QColor(0x1E, 0x6B, 0x1E), 1));
        p.setBrush(QColor(0x4C, 0xB8, 0x4C));
        p.drawPolygon(QPolygonF({{21, 17}, {25, 17}, {25, 21}, {29, 21}, {29, 25}, {25, 25},
                                 {25, 29}, {21, 29}, {21, 25}, {17, 25}, {17, 21}, {21, 21}}));
      } else if (glyph == TToolGlyph::ClearList) {
        p.setPen(QPen(QColor(0xC8, 0x20, 0x20), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(18, 18), QPointF(28, 28));
        p.drawLine(QPointF(28, 18), QPointF(18, 28));
      }
      break;
    case TToolGlyph::SetCategory:
      // A luggage tag with a coloured flag dot.
      p.setPen(QPen(Ink, 1.4));
      p.setBrush(QColor(0xF0, 0xC0, 0x40));
      p.drawPolygon(QPolygonF({{3, 16}, {12, 6}, {28, 6}, {28, 26}, {12, 26}}));
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(11, 16), 2.5, 2.5);
      p.setPen(QPen(Ink, 1.6));
      p.drawLine(QPointF(16, 12), QPointF(25, 12));
      p.drawLine(QPointF(16, 16), QPointF(25, 16));
      p.drawLine(QPointF(16, 20), QPointF(22, 20));
      break;
    case TToolGlyph::Properties:
      // A card with a blue "i".
      p.setPen(QPen(Ink, 1.4));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4, 4, 24, 24));
      p.setPen(Qt::NoPen);
      p.setBrush(Accent);
      p.drawEllipse(QPointF(16, 9.5), 2.2, 2.2);
      p.drawRect(QRectF(14, 13, 4, 11));
      p.drawRect(QRectF(12, 22, 8, 2.5));
      break;
    case TToolGlyph::Locate:
      // A magnifying glass over a folder.
      p.save();
      p.translate(0, 4);
      p.scale(0.75, 0.75);
      DrawFolder(p, false);
      p.restore();
      p.setPen(QPen(Ink, 2.2));
      p.setBrush(QColor(255, 255, 255, 170));
      p.drawEllipse(QPointF(20, 13), 7, 7);
      p.setPen(QPen(Ink, 3.4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(25, 18), QPointF(29.5, 22.5));
      break;
    case TToolGlyph::Report:
      // A printed page coming out of a printer.
      p.setPen(QPen(Ink, 1.4));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(9, 3, 14, 13));
      p.setBrush(QColor(0xC8, 0xD0, 0xDC));
      p.drawRoundedRect(QRectF(3, 13, 26, 11), 2, 2);
      p.setBrush(Qt::white);
      p.drawRect(QRectF(9, 20, 14, 9));
      p.setPen(QPen(Ink, 1.2));
      for (int i = 0; i < 2; ++i) p.drawLine(QPointF(11, 23 + i * 3), QPointF(21, 23 + i * 3));
      break;
    case TToolGlyph::DeleteItems:
      // A red cross.
      p.setPen(QPen(QColor(0xC8, 0x20, 0x20), 4.2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(7, 7), QPointF(25, 25));
      p.drawLine(QPointF(25, 7), QPointF(7, 25));
      break;
    case TToolGlyph::Search:
      // A magnifying glass over a page.
      p.setPen(QPen(Ink, 1.4));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4, 3, 17, 22));
      p.setPen(QPen(Ink, 1.1));
      for (int i = 0; i < 4; ++i) p.drawLine(QPointF(7, 8 + i * 4), QPointF(17, 8 + i * 4));
      p.setPen(QPen(Ink, 2.2));
      p.setBrush(QColor(0xD8, 0xE8, 0xFF, 190));
      p.drawEllipse(QPointF(19, 17), 6.5, 6.5);
      p.setPen(QPen(Ink, 3.4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(24, 22), QPointF(29, 27));
      break;
    case TToolGlyph::Maximize:
      // A window with an arrow up: the list takes the whole window.
      p.setPen(QPen(Ink, 1.4));
      p.setBrush(Qt::white);
      p.drawRect(QRectF(4, 5, 24, 22));
      p.setBrush(Accent);
      p.drawRect(QRectF(4, 5, 24, 4));
      p.setPen(QPen(Accent, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
      p.drawLine(QPointF(16, 24), QPointF(16, 12));
      p.drawPolyline(QPolygonF({{11.5, 16.5}, {16, 12}, {20.5, 16.5}}));
      break;
  }
}

}  // namespace

QIcon ToolIcon(TToolGlyph glyph) {
  return Drawn([glyph](QPainter& p) { Glyph(p, glyph); });
}

}  // namespace tf

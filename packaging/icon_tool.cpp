// Draws Korvel's icon as a PNG of a given size: korvel-icon SIZE FILE.
//
// The shapes are those of packaging/korvel.svg (a 256 by 256 design), drawn with QPainter so the
// build needs no SVG renderer; change both together. Uses only paths and fills, no fonts, so the
// result does not depend on the fonts of the building machine, and needs no display or
// application object.

#include <QByteArray>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPolygonF>
#include <QRadialGradient>
#include <cstdio>
#include <initializer_list>
#include <utility>

namespace {

QPolygonF polygon(std::initializer_list<std::pair<qreal, qreal>> points) {
  QPolygonF result;
  for (const auto& [x, y] : points) result << QPointF(x, y);
  return result;
}

void drawIcon(QPainter& p) {
  p.setRenderHint(QPainter::Antialiasing);

  // Board: wood frame, grid lines, cream cells in two shades.
  QLinearGradient wood(12, 12, 244, 244);
  wood.setColorAt(0, QColor(0xa8, 0x7d, 0x4c));
  wood.setColorAt(1, QColor(0x6e, 0x4a, 0x2a));
  p.setPen(QPen(QColor(0x5a, 0x3a, 0x1e), 3));
  p.setBrush(wood);
  p.drawRoundedRect(QRectF(12, 12, 232, 232), 26, 26);
  p.setPen(Qt::NoPen);
  p.fillRect(QRectF(30, 30, 196, 196), QColor(0xc2, 0x9f, 0x6c));
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 4; ++c) {
      const QRectF cell(32 + 49 * c, 32 + 49 * r, 45, 45);
      p.fillRect(cell, (c + r) % 2 ? QColor(0xf3, 0xe6, 0xc4) : QColor(0xf7, 0xed, 0xd0));
    }
  }

  // The starting square and its star.
  QRadialGradient glow(QPointF(54.5, 54.5), 31);
  glow.setColorAt(0, QColor(0xfb, 0xd9, 0x8a));
  glow.setColorAt(1, QColor(0xee, 0xb8, 0x5a));
  p.fillRect(QRectF(32, 32, 45, 45), glow);
  QLinearGradient starFill(0, 32, 0, 77);
  starFill.setColorAt(0, QColor(0xf0, 0x64, 0x32));
  starFill.setColorAt(1, QColor(0xc2, 0x3a, 0x16));
  p.setPen(QPen(QColor(0x8c, 0x2a, 0x10), 1.6, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
  p.setBrush(starFill);
  p.drawPolygon(polygon({{54.5, 38.2},
                         {58.8, 49.5},
                         {70.9, 50.1},
                         {61.4, 57.7},
                         {64.6, 69.3},
                         {54.5, 62.7},
                         {44.4, 69.3},
                         {47.6, 57.7},
                         {38.1, 50.1},
                         {50.2, 49.5}}));

  // A K tile laid slightly askew, as on the game's logo.
  p.save();
  p.translate(150, 148);
  p.rotate(-6);
  p.translate(-70, -70);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x3c, 0x23, 0x0a, 89));
  p.drawRoundedRect(QRectF(3, 5, 140, 140), 17, 17);
  QLinearGradient body(0, 0, 0, 140);
  body.setColorAt(0, QColor(0xff, 0xf6, 0xdc));
  body.setColorAt(1, QColor(0xf0, 0xd6, 0x9e));
  p.setPen(QPen(QColor(0x8f, 0x66, 0x36), 3));
  p.setBrush(body);
  p.drawRoundedRect(QRectF(1, 1, 138, 138), 16, 16);
  p.setPen(QPen(QColor(255, 255, 255, 171), 3, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(16, 7), QPointF(124, 7));
  p.setPen(QPen(QColor(0x96, 0x69, 0x32, 89), 4, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPointF(12, 132), QPointF(128, 132));
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x2a, 0x1a, 0x0b));
  p.drawPolygon(polygon({{30, 28},
                         {52, 28},
                         {52, 65},
                         {82, 28},
                         {109, 28},
                         {84, 58},
                         {110, 106},
                         {85, 106},
                         {67, 76},
                         {52, 92},
                         {52, 106},
                         {30, 106}}));
  p.setBrush(QColor(0x7a, 0x45, 0x18));
  p.drawPolygon(polygon({{111, 100},
                         {127, 100},
                         {127, 104.5},
                         {118.5, 126},
                         {113, 126},
                         {121.5, 104.5},
                         {111, 104.5}}));
  p.restore();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: korvel-icon SIZE FILE\n");
    return 2;
  }
  const int size = QByteArray(argv[1]).toInt();
  if (size <= 0 || size > 4096) {
    std::fprintf(stderr, "korvel-icon: size must be 1 to 4096\n");
    return 2;
  }
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.scale(size / 256.0, size / 256.0);
    drawIcon(p);
  }
  if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
    std::fprintf(stderr, "korvel-icon: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}

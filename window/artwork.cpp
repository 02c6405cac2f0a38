#include "window/artwork.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QRadialGradient>
#include <QtMath>
#include <array>

#include "server/move_check.h"

namespace artwork {
namespace {

// Palette: warm wood and cream, to sit on the window's yellow.
const QColor kWindow(248, 244, 177);
const QColor kWoodDark(0x6e, 0x4a, 0x2a);
const QColor kWood(0xa8, 0x7d, 0x4c);
const QColor kGridLine(0xc2, 0x9f, 0x6c);
const QColor kCellColour(0xf7, 0xed, 0xd0);
const QColor kCellAlt(0xf3, 0xe6, 0xc4);
const QColor kTileTop(0xff, 0xf6, 0xdc);
const QColor kTileBottom(0xf0, 0xd6, 0x9e);
const QColor kTileEdge(0x8f, 0x66, 0x36);
const QColor kInk(0x2a, 0x1a, 0x0b);
const QColor kMarker(0x1c, 0x74, 0xd4);

// Draws with `draw` onto a transparent picture of `size` at `dpr`, or returns the cached one.
template <typename Draw>
QPixmap cached(const QString& name, QSize size, qreal dpr, Draw draw) {
  if (size.isEmpty()) return {};
  if (!(dpr > 0)) dpr = 1;
  const QString key = QStringLiteral("korvel-art/%1/%2x%3@%4")
                          .arg(name)
                          .arg(size.width())
                          .arg(size.height())
                          .arg(dpr);
  QPixmap pixmap;
  if (QPixmapCache::find(key, &pixmap)) return pixmap;
  QImage image(qCeil(size.width() * dpr), qCeil(size.height() * dpr),
               QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(dpr);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    draw(p);
  }
  pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(dpr);
  QPixmapCache::insert(key, pixmap);
  return pixmap;
}

QFont font(qreal pixelSize, bool bold = true) {
  QFont f;
  f.setFamilies({"Liberation Sans", "Arial", "DejaVu Sans"});
  f.setPixelSize(qMax(1, qRound(pixelSize)));
  f.setBold(bold);
  return f;
}

// Draws `text` with its glyphs' tight box centred on `centre` (font metrics' line boxes would
// leave capitals sitting visibly high).
void drawCentred(QPainter& p, const QString& text, QPointF centre) {
  const QRectF box = QFontMetricsF(p.font()).tightBoundingRect(text);
  p.drawText(centre - box.center(), text);
}

// ---- tiles ----------------------------------------------------------------------------------

const QRectF kTileBody(2, 2, 36, 36);  // inside the cell's grid lines, a pixel of cell around

// A letter tile in the 39 by 39 frame; code 0 gives a blank tile.
void drawTile(QPainter& p, int code, bool withValue) {
  p.save();
  // Shadow, then the body with a soft top light and a darker lower lip for depth.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 35, 10, 60));
  p.drawRoundedRect(kTileBody.translated(0.6, 0.9), 4.5, 4.5);
  QLinearGradient body(kTileBody.topLeft(), kTileBody.bottomLeft());
  body.setColorAt(0, kTileTop);
  body.setColorAt(1, kTileBottom);
  p.setBrush(body);
  p.setPen(QPen(kTileEdge, 1));
  p.drawRoundedRect(kTileBody.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
  p.setPen(QPen(QColor(255, 255, 255, 170), 1));
  p.drawLine(QPointF(kTileBody.left() + 4, kTileBody.top() + 1.6),
             QPointF(kTileBody.right() - 4, kTileBody.top() + 1.6));
  p.setPen(QPen(QColor(150, 105, 50, 90), 1.2));
  p.drawLine(QPointF(kTileBody.left() + 3, kTileBody.bottom() - 1.8),
             QPointF(kTileBody.right() - 3, kTileBody.bottom() - 1.8));
  if (code >= 1 && code <= 26) {
    p.setPen(kInk);
    // With its value the letter moves a little up and left to leave the corner free.
    p.setFont(font(withValue ? 20 : 22));
    drawCentred(p, QString(QChar('A' + code - 1)),
                withValue ? QPointF(17.4, 16.4) : QPointF(18.2, 17.8));
    if (withValue) {
      // Digits 8 pixels high at 100%, in the corner the letter leaves free.
      p.setFont(font(12));
      p.setPen(QColor(0x7a, 0x45, 0x18));
      const QString value = QString::number(korvel::server::MoveChecker::scoreletter(code));
      const QRectF box = QFontMetricsF(p.font()).tightBoundingRect(value);
      p.drawText(QPointF(35.2 - box.right(), 34.6 - box.bottom()), value);
    }
  }
  p.restore();
}

void drawPlacedMarker(QPainter& p) {
  QPainterPath body;
  body.addRoundedRect(kTileBody.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
  p.setClipPath(body);
  // Corner badge with a white pin: this tile can still go back to the rack.
  QPainterPath badge;
  badge.moveTo(kTileBody.topLeft());
  badge.lineTo(kTileBody.left() + 15, kTileBody.top());
  badge.lineTo(kTileBody.left(), kTileBody.top() + 15);
  badge.closeSubpath();
  p.fillPath(badge, kMarker);
  p.setClipping(false);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(kMarker.red(), kMarker.green(), kMarker.blue(), 235), 2.4));
  p.drawRoundedRect(kTileBody.adjusted(1.2, 1.2, -1.2, -1.2), 3.5, 3.5);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawEllipse(QPointF(6.6, 6.6), 1.7, 1.7);
}

// The back of a tile in the 39 by 39 frame: plain wood with a small diamond.
void drawTileBack(QPainter& p) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 35, 10, 60));
  p.drawRoundedRect(kTileBody.translated(0.6, 0.9), 4.5, 4.5);
  QLinearGradient body(kTileBody.topLeft(), kTileBody.bottomRight());
  body.setColorAt(0, QColor(0xd6, 0xa8, 0x6c));
  body.setColorAt(1, QColor(0xa9, 0x76, 0x3e));
  p.setBrush(body);
  p.setPen(QPen(kTileEdge.darker(120), 1));
  p.drawRoundedRect(kTileBody.adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
  p.setPen(QPen(QColor(255, 240, 200, 120), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(kTileBody.adjusted(3.5, 3.5, -3.5, -3.5), 2.5, 2.5);
  const QPointF c = kTileBody.center();
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 240, 200, 150));
  p.drawPolygon(
      QPolygonF({c + QPointF(0, -6), c + QPointF(5, 0), c + QPointF(0, 6), c + QPointF(-5, 0)}));
}

// ---- buttons --------------------------------------------------------------------------------

struct ButtonColours {
  QColor top, bottom, edge, text;
};

void drawButton(QPainter& p, QSize size, const QString& text, const ButtonColours& c,
                qreal textSize, bool raised) {
  const QRectF r = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -1.5);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(60, 40, 10, raised ? 70 : 30));
  p.drawRoundedRect(r.translated(0, 1), 6, 6);
  QLinearGradient g(r.topLeft(), r.bottomLeft());
  g.setColorAt(0, c.top);
  g.setColorAt(1, c.bottom);
  p.setBrush(g);
  p.setPen(QPen(c.edge, 1));
  p.drawRoundedRect(r, 6, 6);
  p.setPen(QPen(QColor(255, 255, 255, raised ? 110 : 150), 1));
  p.drawLine(QPointF(r.left() + 5, r.top() + 1.5), QPointF(r.right() - 5, r.top() + 1.5));
  p.setFont(font(textSize));
  const QPointF centre = r.center() + QPointF(0, 0.2);
  if (raised) {
    p.setPen(QColor(0, 0, 0, 90));
    drawCentred(p, text, centre + QPointF(0, 1));
  }
  p.setPen(c.text);
  drawCentred(p, text, centre);
}

ButtonColours actionColours(ActionButton which) {
  switch (which) {
    case ActionButton::Pass:
      return {QColor(0x6f, 0x92, 0xc9), QColor(0x3f, 0x62, 0x9a), QColor(0x2c, 0x47, 0x73),
              Qt::white};
    case ActionButton::NewTiles:
      return {QColor(0xe9, 0xac, 0x3e), QColor(0xbd, 0x7b, 0x12), QColor(0x87, 0x55, 0x0a),
              Qt::white};
    case ActionButton::Clear:
      return {QColor(0xe0, 0x80, 0x5c), QColor(0xb1, 0x4f, 0x2c), QColor(0x7e, 0x33, 0x19),
              Qt::white};
    case ActionButton::Submit:
      break;
  }
  return {QColor(0x5c, 0xbb, 0x5f), QColor(0x2e, 0x83, 0x34), QColor(0x1f, 0x5c, 0x24), Qt::white};
}

const ButtonColours kGreyButton{QColor(0xee, 0xeb, 0xe2), QColor(0xd3, 0xcf, 0xc3),
                                QColor(0xad, 0xa8, 0x98), QColor(0xa3, 0x9e, 0x90)};

// ---- smilies --------------------------------------------------------------------------------

const QColor kFaceInk(0x4a, 0x2c, 0x0c);

void dot(QPainter& p, QPointF at, qreal r, const QColor& colour = kFaceInk) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(at, r, r);
}

void stroke(QPainter& p, const QPainterPath& path, qreal width = 1.1,
            const QColor& colour = kFaceInk) {
  p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

QPainterPath curve(QPointF from, QPointF control, QPointF to) {
  QPainterPath path(from);
  path.quadTo(control, to);
  return path;
}

QPainterPath line(QPointF from, QPointF to) {
  QPainterPath path(from);
  path.lineTo(to);
  return path;
}

void face(QPainter& p, QPointF centre, qreal r, const QColor& light, const QColor& dark) {
  QRadialGradient g(centre - QPointF(r * 0.35, r * 0.4), r * 1.5);
  g.setColorAt(0, light);
  g.setColorAt(1, dark);
  p.setBrush(g);
  p.setPen(QPen(dark.darker(160), 0.8));
  p.drawEllipse(centre, r, r);
}

void eyesDots(QPainter& p, qreal y = 6.4, qreal r = 1.05) {
  dot(p, {6.2, y}, r);
  dot(p, {10.8, y}, r);
}

void smile(QPainter& p) {
  stroke(p, curve({5.2, 9.8}, {8.5, 13.6}, {11.8, 9.8}));
}
void frown(QPainter& p) {
  stroke(p, curve({5.6, 12.3}, {8.5, 9.2}, {11.4, 12.3}));
}
// Closed happy eyes: two small arches.
void happyEyes(QPainter& p) {
  stroke(p, curve({5, 7}, {6.2, 4.8}, {7.4, 7}));
  stroke(p, curve({9.6, 7}, {10.8, 4.8}, {12, 7}));
}
void openMouth(QPainter& p, qreal top, qreal depth) {
  QPainterPath m({4.9, top});
  m.lineTo(12.1, top);
  m.quadTo(QPointF(8.5, top + depth), QPointF(4.9, top));
  p.setPen(QPen(kFaceInk, 0.9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(0x8e, 0x1f, 0x1f));
  p.drawPath(m);
}

const QColor kYellowLight(0xff, 0xec, 0x6e);
const QColor kYellowDark(0xf2, 0xb0, 0x22);

void drawSmiley(QPainter& p, int n) {
  const QPointF c(8.5, 8);
  const qreal r = 7.2;
  switch (n) {
    case 7:  // angry: red face
      face(p, c, r, QColor(0xff, 0x9e, 0x80), QColor(0xe0, 0x3a, 0x2a));
      break;
    case 15:  // devil: purple face with horns
      p.setPen(QPen(QColor(0x4a, 0x22, 0x7a), 0.7));
      p.setBrush(QColor(0x6a, 0x3a, 0xa8));
      p.drawPolygon(QPolygonF({{2.2, 4.6}, {1.6, 0.4}, {5.4, 2.2}}));
      p.drawPolygon(QPolygonF({{14.8, 4.6}, {15.4, 0.4}, {11.6, 2.2}}));
      face(p, c + QPointF(0, 0.6), r - 0.6, QColor(0xc9, 0xa4, 0xff), QColor(0x80, 0x52, 0xc8));
      break;
    case 16:  // angel: face a little lower, halo above
      face(p, c + QPointF(0, 1.2), r - 1, kYellowLight, kYellowDark);
      p.setPen(QPen(QColor(0xf5, 0xc5, 0x18), 1.2));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(8.5, 1.5), 4.6, 1.2);
      break;
    case 17:  // sick: green face
      face(p, c, r, QColor(0xd8, 0xf0, 0xa6), QColor(0x86, 0xb8, 0x3c));
      break;
    default:
      face(p, c, r, kYellowLight, kYellowDark);
  }
  switch (n) {
    case 0:  // smile
      eyesDots(p);
      smile(p);
      break;
    case 1:  // wink
      dot(p, {6.2, 6.4}, 1.05);
      stroke(p, curve({9.6, 6.8}, {10.8, 5.6}, {12, 6.8}));
      smile(p);
      break;
    case 2:  // frown
      eyesDots(p);
      frown(p);
      break;
    case 3: {  // grin: wide white teeth
      eyesDots(p);
      QPainterPath m({4.6, 9.3});
      m.lineTo(12.4, 9.3);
      m.quadTo(QPointF(8.5, 14.6), QPointF(4.6, 9.3));
      p.setPen(QPen(kFaceInk, 0.9));
      p.setBrush(Qt::white);
      p.drawPath(m);
      stroke(p, line({5.4, 10.7}, {11.6, 10.7}), 0.5);
      break;
    }
    case 4:  // tongue out
      eyesDots(p);
      p.setPen(QPen(QColor(0x9c, 0x1f, 0x3a), 0.6));
      p.setBrush(QColor(0xf0, 0x5a, 0x7e));
      p.drawRoundedRect(QRectF(8.2, 10.4, 3.4, 3.9), 1.6, 1.6);
      stroke(p, line({5.2, 10.5}, {12, 10.5}));
      break;
    case 5:  // surprised
      eyesDots(p, 6, 1.35);
      p.setPen(QPen(kFaceInk, 0.9));
      p.setBrush(QColor(0x8e, 0x1f, 0x1f));
      p.drawEllipse(QPointF(8.5, 11.4), 1.6, 2);
      break;
    case 6: {  // cool: sunglasses
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x1c, 0x1c, 0x24));
      p.drawRoundedRect(QRectF(3.6, 4.9, 4.4, 3), 1.2, 1.2);
      p.drawRoundedRect(QRectF(9, 4.9, 4.4, 3), 1.2, 1.2);
      stroke(p, line({1.8, 5.5}, {15.2, 5.5}), 0.8, QColor(0x1c, 0x1c, 0x24));
      dot(p, {4.8, 5.6}, 0.5, QColor(255, 255, 255, 200));
      dot(p, {10.2, 5.6}, 0.5, QColor(255, 255, 255, 200));
      stroke(p, curve({5.6, 10.6}, {9, 13}, {11.8, 10}));
      break;
    }
    case 7:  // angry: slanted brows, tight frown
      stroke(p, line({4.4, 4}, {7.4, 5.6}), 1.2);
      stroke(p, line({12.6, 4}, {9.6, 5.6}), 1.2);
      eyesDots(p, 7, 1);
      stroke(p, curve({5.8, 12.4}, {8.5, 10.2}, {11.2, 12.4}), 1.2);
      break;
    case 8: {  // cry: tear under one eye
      eyesDots(p);
      frown(p);
      QPainterPath tear({5.6, 7.6});
      tear.quadTo(QPointF(3.8, 10.8), QPointF(5.1, 11.4));
      tear.quadTo(QPointF(7, 11.4), QPointF(5.6, 7.6));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0x3a, 0x9b, 0xf0));
      p.drawPath(tear);
      break;
    }
    case 9:  // laugh
      happyEyes(p);
      openMouth(p, 9.2, 7);
      break;
    case 10:  // neutral
      eyesDots(p);
      stroke(p, line({5.6, 11}, {11.4, 11}));
      break;
    case 11: {  // kiss: closed eyes and a small red heart for the lips
      happyEyes(p);
      QPainterPath heart({8.5, 13.2});
      heart.cubicTo(QPointF(5.2, 11), QPointF(6.6, 8.6), QPointF(8.5, 10.2));
      heart.cubicTo(QPointF(10.4, 8.6), QPointF(11.8, 11), QPointF(8.5, 13.2));
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0xe0, 0x25, 0x45));
      p.drawPath(heart);
      break;
    }
    case 12: {  // confused: one raised brow, wavy mouth
      eyesDots(p);
      stroke(p, curve({9.4, 3.8}, {10.8, 2.8}, {12.4, 4}), 0.9);
      QPainterPath m({5.2, 11.2});
      m.quadTo(QPointF(6.5, 9.8), QPointF(8, 11.2));
      m.quadTo(QPointF(9.5, 12.6), QPointF(11.8, 10.6));
      stroke(p, m);
      break;
    }
    case 13: {  // sleepy: closed eyes, small mouth, a "z"
      stroke(p, line({4.9, 6.8}, {7.4, 6.8}));
      stroke(p, line({9.6, 6.8}, {12.1, 6.8}));
      p.setPen(QPen(kFaceInk, 0.8));
      p.setBrush(Qt::NoBrush);
      p.drawEllipse(QPointF(8.5, 11.2), 1.1, 0.9);
      stroke(
          p,
          [] {
            QPainterPath z({12.6, 0.6});
            z.lineTo(15.6, 0.6);
            z.lineTo(12.6, 3.6);
            z.lineTo(15.6, 3.6);
            return z;
          }(),
          0.9, QColor(0x25, 0x5c, 0xc8));
      break;
    }
    case 14:  // blush: pink cheeks, shy smile
      happyEyes(p);
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(0xff, 0x6f, 0x8a, 150));
      p.drawEllipse(QPointF(4.4, 9.4), 1.7, 1.1);
      p.drawEllipse(QPointF(12.6, 9.4), 1.7, 1.1);
      stroke(p, curve({6.6, 10.8}, {8.5, 12.4}, {10.4, 10.8}));
      break;
    case 15:  // devil: slanted brows, sly grin
      stroke(p, line({4.6, 5.2}, {7.2, 6.4}), 1);
      stroke(p, line({12.4, 5.2}, {9.8, 6.4}), 1);
      eyesDots(p, 7.6, 0.95);
      stroke(p, curve({5, 10.2}, {8.5, 14.2}, {12, 10.2}), 1.2, QColor(0x2a, 0x10, 0x44));
      break;
    case 16:  // angel
      dot(p, {6.3, 7.8}, 1);
      dot(p, {10.7, 7.8}, 1);
      stroke(p, curve({5.6, 11}, {8.5, 14}, {11.4, 11}));
      break;
    case 17: {  // sick: droopy eyes, wavy mouth
      stroke(p, curve({4.9, 6}, {6.2, 7.6}, {7.5, 6.6}));
      stroke(p, curve({9.5, 6.6}, {10.8, 7.6}, {12.1, 6}));
      QPainterPath m({5, 11.6});
      m.quadTo(QPointF(6.2, 10), QPointF(7.4, 11.4));
      m.quadTo(QPointF(8.6, 12.8), QPointF(9.8, 11.4));
      m.quadTo(QPointF(11, 10), QPointF(12, 11.6));
      stroke(p, m, 1, QColor(0x2f, 0x4a, 0x10));
      break;
    }
  }
}

}  // namespace

const char* actionButtonText(ActionButton which) {
  switch (which) {
    case ActionButton::Pass:
      return "Pass";
    case ActionButton::NewTiles:
      return "New Tiles";
    case ActionButton::Clear:
      return "Clear";
    case ActionButton::Submit:
      break;
  }
  return "Submit";
}

int boardEdge(int n, qreal dpr) {
  if (!(dpr > 0)) dpr = 1;
  const int line = qMax(1, qRound(dpr));
  // The closing line lies at the picture's far edge, however the ratio rounds.
  if (n >= 11) return qCeil(kBoardSize.width() * dpr) - line;
  return qRound(kCell * n * dpr);
}

QPixmap board(qreal dpr) {
  return cached("board", kBoardSize, dpr, [dpr](QPainter& p) {
    // Grid lines and cells are filled rectangles on whole device pixels, each edge at the pixel
    // boardEdge() gives, so they stay crisp at every ratio: at 150% the cells are 58 or 59
    // pixels apart instead of 58.5 with blurred lines between.
    const qreal ratio = dpr > 0 ? dpr : 1;
    const int line = qMax(1, qRound(ratio));
    const int side = qCeil(kBoardSize.width() * ratio);
    p.save();
    p.scale(1 / ratio, 1 / ratio);
    p.fillRect(QRect(0, 0, side, side), kGridLine);
    for (int c = 0; c < 11; ++c) {
      for (int r = 0; r < 11; ++r) {
        const QRect inner(QPoint(boardEdge(c, ratio) + line, boardEdge(r, ratio) + line),
                          QPoint(boardEdge(c + 1, ratio) - 1, boardEdge(r + 1, ratio) - 1));
        QLinearGradient g(inner.topLeft(), inner.bottomRight() + QPoint(1, 1));
        const QColor base = (c + r) % 2 ? kCellAlt : kCellColour;
        g.setColorAt(0, base.lighter(103));
        g.setColorAt(1, base);
        p.fillRect(inner, g);
      }
    }
    // A darker outer frame holds the board together against the window.
    for (const QRect& edge : {QRect(0, 0, side, line), QRect(0, side - line, side, line),
                              QRect(0, 0, line, side), QRect(side - line, 0, line, side)}) {
      p.fillRect(edge, kWood);
    }
    // The starting square: amber cell with a star.
    const QRect startCell(QPoint(boardEdge(5, ratio) + line, boardEdge(5, ratio) + line),
                          QPoint(boardEdge(6, ratio) - 1, boardEdge(6, ratio) - 1));
    QRadialGradient glow(QRectF(startCell).center(), 26 * ratio);
    glow.setColorAt(0, QColor(0xfb, 0xd9, 0x8a));
    glow.setColorAt(1, QColor(0xee, 0xb8, 0x5a));
    p.fillRect(startCell, glow);
    p.restore();
    const QRectF start(QRectF(startCell).topLeft() / ratio, QRectF(startCell).size() / ratio);
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
      const qreal radius = i % 2 ? 6.2 : 14.5;
      const qreal angle = -M_PI / 2 + i * M_PI / 5;
      star << start.center() + QPointF(radius * qCos(angle), radius * qSin(angle) + 0.8);
    }
    p.setPen(QPen(QColor(0x8c, 0x2a, 0x10), 1.1, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    QLinearGradient starFill(start.topLeft(), start.bottomLeft());
    starFill.setColorAt(0, QColor(0xf0, 0x64, 0x32));
    starFill.setColorAt(1, QColor(0xc2, 0x3a, 0x16));
    p.setBrush(starFill);
    p.drawPolygon(star);
  });
}

QPixmap tile(int n, qreal dpr) {
  if (n == kPlacedMarker) return cached("marker", kTileSize, dpr, drawPlacedMarker);
  const int code = n >= 1 && n <= 26 ? n : 0;
  return cached(QStringLiteral("tile%1").arg(code), kTileSize, dpr,
                [code](QPainter& p) { drawTile(p, code, true); });
}

QPixmap lastMoveMark(qreal dpr) {
  return cached("lastmove", kTileSize, dpr, [](QPainter& p) {
    const QColor vermilion(0xd5, 0x5e, 0x00);
    const QRectF frame = kTileBody.adjusted(1.4, 1.4, -1.4, -1.4);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(vermilion, 2.8));
    p.drawRoundedRect(frame, 3.5, 3.5);
    p.setPen(QPen(QColor(0x3a, 0x1c, 0x00, 200), 0.8));
    p.drawRoundedRect(frame.adjusted(1.8, 1.8, -1.8, -1.8), 2.5, 2.5);
    QPainterPath notch;
    notch.moveTo(kTileBody.left(), kTileBody.bottom());
    notch.lineTo(kTileBody.left() + 9, kTileBody.bottom());
    notch.lineTo(kTileBody.left(), kTileBody.bottom() - 9);
    notch.closeSubpath();
    p.fillPath(notch, vermilion);
  });
}

QPixmap stackMark(qreal dpr) {
  return cached("stack", kTileSize, dpr, [](QPainter& p) {
    const QColor ink(0x2b, 0x1d, 0x10);
    p.setPen(QPen(Qt::white, 0.9));
    p.setBrush(ink);
    p.drawRoundedRect(QRectF(29.0, 3.6, 6.2, 6.2), 1.2, 1.2);
    p.drawRoundedRect(QRectF(27.0, 5.8, 6.2, 6.2), 1.2, 1.2);
  });
}

QPixmap outline(qreal dpr) {
  return cached("outline", kTileSize, dpr, [](QPainter& p) {
    const QRectF r = kTileBody.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath frame;
    frame.addRoundedRect(r, 4, 4);
    p.setClipPath(frame);
    p.setPen(QPen(QColor(0, 0, 0, 105), 1));
    for (qreal k = -39; k < 78; k += 6) p.drawLine(QPointF(k, 39), QPointF(k + 39, 0));
    p.setClipping(false);
    p.setPen(QPen(QColor(0, 0, 0, 190), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(frame);
  });
}

QPixmap actionButton(ActionButton which, bool grey, qreal dpr) {
  const QString name = QStringLiteral("action%1%2").arg(int(which)).arg(grey ? "grey" : "");
  return cached(name, kActionButtonSize, dpr, [which, grey](QPainter& p) {
    drawButton(p, kActionButtonSize, actionButtonText(which),
               grey ? kGreyButton : actionColours(which), 13, !grey);
  });
}

QPixmap startButton(qreal dpr) {
  return cached("start", kStartButtonSize, dpr, [](QPainter& p) {
    drawButton(
        p, kStartButtonSize, "Start Game",
        {QColor(0xf2, 0x8a, 0x3c), QColor(0xc4, 0x4f, 0x12), QColor(0x86, 0x33, 0x08), Qt::white},
        14, true);
  });
}

QPixmap eyes(qreal dpr) {
  return cached("eyes", kEyesSize, dpr, [](QPainter& p) {
    for (qreal x : {4.2, 12.8}) {
      p.setPen(QPen(QColor(0x30, 0x24, 0x18), 1));
      p.setBrush(Qt::white);
      p.drawEllipse(QPointF(x, 7), 3.7, 6.2);
      dot(p, {x + 0.9, 8.4}, 2, QColor(0x1e, 0x3c, 0x72));
      dot(p, {x + 0.9, 8.4}, 1, Qt::black);
      dot(p, {x + 0.2, 7.4}, 0.55, Qt::white);
    }
  });
}

QPixmap turnMarker(qreal dpr) {
  return cached("turn", kTurnMarkerSize, dpr, [](QPainter& p) {
    const QPolygonF wedge({{0.5, 0.5}, {3, 0.5}, {7.5, 22.5}, {3, 44.5}, {0.5, 44.5}});
    QLinearGradient g(0, 0, 8, 0);
    g.setColorAt(0, QColor(0xf5, 0x6a, 0x2c));
    g.setColorAt(1, QColor(0xc0, 0x2e, 0x12));
    p.setPen(QPen(QColor(0x7c, 0x1c, 0x08), 1, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPolygon(wedge);
  });
}

QPixmap timerBar(qreal dpr) {
  return cached("timerbar", kTimerBarSize, dpr, [](QPainter& p) {
    const QRectF r(0, 0, 428, 22);
    QLinearGradient g(r.topLeft(), r.topRight());
    g.setColorAt(0, QColor(0x86, 0xd8, 0x6e));
    g.setColorAt(0.45, QColor(0xd6, 0xe0, 0x4a));
    g.setColorAt(0.7, QColor(0xf6, 0xb8, 0x3a));
    g.setColorAt(1, QColor(0xe6, 0x4a, 0x2e));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r, 3, 3);
    // Gloss on the upper half.
    QLinearGradient gloss(r.topLeft(), QPointF(0, r.center().y()));
    gloss.setColorAt(0, QColor(255, 255, 255, 130));
    gloss.setColorAt(1, QColor(255, 255, 255, 20));
    p.setBrush(gloss);
    p.drawRoundedRect(QRectF(1, 1, 426, 10), 2.5, 2.5);
    p.fillRect(QRectF(0, 21, 428, 1), QColor(0, 0, 0, 40));
  });
}

QPixmap timerBackground(qreal dpr) {
  return cached("timerbg", kTimerBackgroundSize, dpr, [](QPainter& p) {
    const QRectF r(0.5, 0.5, 429, 23);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    // Dark enough for the clock's light text beyond the bar's end.
    g.setColorAt(0, QColor(0x4a, 0x30, 0x1a));
    g.setColorAt(1, QColor(0x6a, 0x4a, 0x2a));
    p.setPen(QPen(kWoodDark.darker(130), 1));
    p.setBrush(g);
    p.drawRoundedRect(r, 4, 4);
  });
}

QPixmap background(QSize size, qreal dpr) {
  return cached("background", size, dpr, [size](QPainter& p) {
    p.fillRect(QRectF(QPointF(0, 0), QSizeF(size)), kWindow);
    // Faint dots on a diamond lattice.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe6, 0xdd, 0x8e, 150));
    for (int y = 0, row = 0; y < size.height() + 12; y += 12, ++row) {
      for (int x = row % 2 ? 6 : 0; x < size.width() + 12; x += 12)
        p.drawEllipse(QPointF(x + 0.5, y + 0.5), 1, 1);
    }
  });
}

QPixmap decoration(QSize size, qreal dpr) {
  return cached("decoration", size, dpr, [size](QPainter& p) {
    const qreal w = size.width();
    const qreal h = size.height();
    if (w <= 12) {
      // Groove for the turn marker.
      const QRectF r(0.5, 0.5, w - 1, h - 1);
      QLinearGradient g(r.topLeft(), r.topRight());
      g.setColorAt(0, QColor(0xd4, 0xc7, 0x7e));
      g.setColorAt(1, QColor(0xec, 0xe3, 0xa0));
      p.setPen(QPen(QColor(0xb8, 0xa7, 0x5e), 1));
      p.setBrush(g);
      p.drawRoundedRect(r, qMin(w / 2 - 0.5, 3.0), qMin(w / 2 - 0.5, 3.0));
      return;
    }
    if (w <= 70 && h >= 3 * w) {
      // A loosely stacked column of face-down tiles, the bag beneath the tiles-left count.
      static constexpr qreal kTurn[] = {-4, 3, -2, 4, -3, 2};
      static constexpr qreal kShift[] = {-1.5, 1, 0, -1, 1.5, 0};
      const qreal side = w - 10;
      const int count = qMax(1, int(h / (side + 10)));
      const qreal pitch = h / count;
      for (int i = 0; i < count; ++i) {
        p.save();
        p.translate(w / 2 + kShift[i % 6], pitch * (i + 0.5));
        p.rotate(kTurn[i % 6]);
        p.scale(side / 36, side / 36);
        p.translate(-20, -20);
        drawTileBack(p);
        p.restore();
      }
      return;
    }
    // Framed panel: a cream card in a thin wooden frame.
    const QRectF r(1, 1, w - 2, h - 2);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 60, 20, 45));
    p.drawRoundedRect(r.translated(0, 1), 8, 8);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0xff, 0xfb, 0xea));
    g.setColorAt(1, QColor(0xf7, 0xec, 0xc8));
    p.setBrush(g);
    p.setPen(QPen(kWood, 2));
    p.drawRoundedRect(r, 7, 7);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r.adjusted(2, 2, -2, -2), 5, 5);
  });
}

QPixmap logo(qreal dpr) {
  return cached("logo", kLogoSize, dpr, [](QPainter& p) {
    static constexpr std::array<int, 6> kName{11, 15, 18, 22, 5, 12};  // K O R V E L
    const qreal side = 26;
    const qreal gap = 5;
    const qreal start = (kLogoSize.width() - (kName.size() * side + (kName.size() - 1) * gap)) / 2;
    for (std::size_t i = 0; i < kName.size(); ++i) {
      p.save();
      p.translate(start + i * (side + gap) + side / 2, 14);
      p.rotate(i % 2 ? 3 : -3);
      p.scale(side / 36, side / 36);
      p.translate(-20, -20);
      drawTile(p, kName[i], false);
      p.restore();
    }
  });
}

QPixmap smiley(int n, qreal dpr) {
  if (n < 0 || n >= kSmileyCount) return {};
  return cached(QStringLiteral("smiley%1").arg(n), kSmileySize, dpr,
                [n](QPainter& p) { drawSmiley(p, n); });
}

QPixmap checkBox(bool checked, qreal dpr) {
  return cached(checked ? "checked" : "unchecked", kCheckBoxSize, dpr, [checked](QPainter& p) {
    const QRectF box(8.5, 2.5, 15, 15);
    p.setPen(QPen(checked ? QColor(0x1f, 0x5c, 0x24) : kWood, 1.2));
    if (checked) {
      QLinearGradient g(box.topLeft(), box.bottomLeft());
      g.setColorAt(0, QColor(0x5c, 0xbb, 0x5f));
      g.setColorAt(1, QColor(0x2e, 0x83, 0x34));
      p.setBrush(g);
    } else {
      p.setBrush(Qt::white);
    }
    p.drawRoundedRect(box, 3, 3);
    if (checked) {
      QPainterPath tick({11.6, 10.2});
      tick.lineTo(14.6, 13.4);
      tick.lineTo(20.4, 6.4);
      stroke(p, tick, 2.2, Qt::white);
    }
  });
}

}  // namespace artwork

#include "window/picture_button.h"

#include <QPainter>

PictureButton::PictureButton(std::function<QPixmap(qreal dpr)> picture, const QString& text,
                             QWidget* parent)
    : QPushButton(text, parent), picture_(std::move(picture)) {
  setAccessibleName(text);
  setCursor(Qt::PointingHandCursor);
  setFixedSize(sizeHint());
}

QSize PictureButton::sizeHint() const {
  const QPixmap pixmap = picture_(1);
  return pixmap.isNull() ? QPushButton::sizeHint() : pixmap.size();
}

void PictureButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  // Pressed, the picture sinks by a pixel; the focus shows as a thin ring for keyboard users.
  p.drawPixmap(QPointF(0, isDown() ? 1 : 0), picture_(devicePixelRatioF()));
  if (hasFocus()) {
    p.setPen(QPen(QColor(0x1c, 0x74, 0xd4, 200), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -1.75), 6, 6);
  }
}

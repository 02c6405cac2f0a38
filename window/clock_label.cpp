#include "window/clock_label.h"

#include <QPainter>

ClockLabel::ClockLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {}

void ClockLabel::setBar(int barEnd, const QColor& overBar, const QColor& beyondBar) {
  if (barEnd == barEnd_ && overBar == overBar_ && beyondBar == beyondBar_) return;
  barEnd_ = barEnd;
  overBar_ = overBar;
  beyondBar_ = beyondBar;
  update();
}

void ClockLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setFont(font());
  const QRect area = contentsRect();
  const int split = qBound(0, barEnd_, width());
  const struct {
    QRect clip;
    QColor colour;
  } parts[] = {{QRect(0, 0, split, height()), overBar_},
               {QRect(split, 0, width() - split, height()), beyondBar_}};
  for (const auto& part : parts) {
    if (part.clip.isEmpty()) continue;
    p.setClipRect(part.clip);
    p.setPen(part.colour);
    p.drawText(area, int(alignment()), text());
  }
}

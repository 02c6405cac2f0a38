#pragma once
// The turn clock's time, written over its shrinking bar. The part of the text over the bar and
// the part beyond the bar's end, over the dark track, each take their own colour, so the time
// stays readable at every width of the bar.

#include <QColor>
#include <QLabel>

class ClockLabel : public QLabel {
  Q_OBJECT
 public:
  ClockLabel(const QString& text, QWidget* parent);

  // barEnd: where the bar under the label ends, in the label's own coordinates.
  void setBar(int barEnd, const QColor& overBar, const QColor& beyondBar);
  int barEnd() const { return barEnd_; }
  QColor overBar() const { return overBar_; }
  QColor beyondBar() const { return beyondBar_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int barEnd_ = 0;
  QColor overBar_ = Qt::black;
  QColor beyondBar_ = Qt::white;
};

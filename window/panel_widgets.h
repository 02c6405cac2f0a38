#pragma once
// Small widgets of the game panel: a label that reports the mouse to its owner, and the board's
// paint surface. They only forward events; the owner decides.

#include <QLabel>
#include <QPixmap>
#include <functional>

// A picture or text label whose mouse releases and moves go to callbacks, with the mouse
// tracked so that moves arrive without a held button.
class MouseLabel : public QLabel {
  Q_OBJECT
 public:
  explicit MouseLabel(QWidget* parent);
  std::function<void(QMouseEvent*)> onRelease;
  std::function<void(QMouseEvent*)> onMove;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
};

// The transparent surface over the board picture: the owner paints the letters and handles the
// mouse.
class BoardSurface : public QWidget {
  Q_OBJECT
 public:
  explicit BoardSurface(QWidget* parent);
  std::function<void(QPainter&)> onPaint;
  std::function<void(QMouseEvent*)> onRelease;
  std::function<void(QMouseEvent*)> onMove;
  // A key while the board has the focus; true when it was the board's.
  std::function<bool(QKeyEvent*)> onKey;
  // The board got the focus by Tab or Backtab: a keyboard player came to it.
  std::function<void()> onTabIn;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
};

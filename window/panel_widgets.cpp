#include "window/panel_widgets.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

MouseLabel::MouseLabel(QWidget* parent) : QLabel(parent) {
  setMouseTracking(true);
}

void MouseLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (onRelease) {
    onRelease(event);
  } else {
    QLabel::mouseReleaseEvent(event);
  }
}

void MouseLabel::mouseMoveEvent(QMouseEvent* event) {
  if (onMove) onMove(event);
  QLabel::mouseMoveEvent(event);
}

BoardSurface::BoardSurface(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
  setAccessibleName("Board");
  // A click or Tab gives the board the keyboard.
  setFocusPolicy(Qt::StrongFocus);
}

void BoardSurface::keyPressEvent(QKeyEvent* event) {
  if (!onKey || !onKey(event)) QWidget::keyPressEvent(event);
}

void BoardSurface::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  const bool tab =
      event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason;
  if (tab && onTabIn) onTabIn();
  update();  // the cursor shows only while the board has the focus
}

void BoardSurface::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  update();
}

void BoardSurface::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (onPaint) onPaint(p);
}

void BoardSurface::mouseReleaseEvent(QMouseEvent* event) {
  if (onRelease) onRelease(event);
}

void BoardSurface::mouseMoveEvent(QMouseEvent* event) {
  if (onMove) onMove(event);
}

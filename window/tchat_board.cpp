// The board and the rack under the mouse, and the four action buttons. The mirror decides; these
// handlers translate widget coordinates and buttons and render the result.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "window/artwork.h"
#include "window/panel_widgets.h"
#include "window/tchat.h"

namespace {

korvel::client::Button buttonOf(const QMouseEvent* event) {
  switch (event->button()) {
    case Qt::LeftButton:
      return korvel::client::Button::Left;
    case Qt::RightButton:
      return korvel::client::Button::Right;
    default:
      return korvel::client::Button::Other;
  }
}

// The pointer in game panel coordinates.
QPoint panelPoint(const QWidget* over, const QMouseEvent* event) {
  return over->pos() + event->position().toPoint();
}

}  // namespace

void Tchat::letter_2MouseUp(int slot, QMouseEvent* event) {
  const QPoint p = panelPoint(letter[slot - 1], event);
  render(game.rackClick(slot, p.x(), p.y()));
}

void Tchat::shape_1MouseUp(int slot, QMouseEvent*) {
  render(game.outlineClick(shape[slot - 1]->x()));
}

void Tchat::paintbox_boardMouseUp(QMouseEvent* event) {
  const QPoint local = event->position().toPoint();
  const QPoint p = panelPoint(paintbox_board, event);
  render(game.boardClick(local.x(), local.y(), buttonOf(event), p.x(), p.y()));
  paintbox_board->update();  // the click moved the cursor and hid it
}

void Tchat::pointerMoved(QWidget* over, QMouseEvent* event) {
  const QPoint p = panelPoint(over, event);
  if (!game.pointerMoved(p.x(), p.y())) return;
  const auto& image = game.rack[game.carriedSlot() - 1];
  letter[game.carriedSlot() - 1]->move(image.x, image.y);
}

void Tchat::paintbox_boardPaint(QPainter& painter) {
  using korvel::client::kCell;
  // The 26 tiles and the marker, fetched once per pixel ratio rather than once per cell. They
  // are drawn in device pixels at the board picture's own cell edges, so that at a fractional
  // ratio (a zoom of 125% or 150%) each tile lands on whole pixels of its cell, unblurred.
  const qreal dpr = devicePixelRatioF();
  if (boardPicturesRatio_ != dpr) {
    for (int n = 1; n <= artwork::kPlacedMarker; ++n) {
      boardPictures_[n] = artwork::tile(n, dpr);
      boardPictures_[n].setDevicePixelRatio(1);
    }
    boardPicturesRatio_ = dpr;
  }
  const QPixmap& marker = boardPictures_[artwork::kPlacedMarker];
  // The move marks in device pixels too, like the tiles under them.
  QPixmap lastMove = artwork::lastMoveMark(dpr);
  lastMove.setDevicePixelRatio(1);
  QPixmap stack = artwork::stackMark(dpr);
  stack.setDevicePixelRatio(1);
  painter.save();
  painter.scale(1 / dpr, 1 / dpr);
  for (int c = 0; c < korvel::client::kBoardCells; ++c) {
    for (int r = 0; r < korvel::client::kBoardCells; ++r) {
      const auto& cell = game.board[c][r];
      const QPoint at(artwork::boardEdge(c, dpr), artwork::boardEdge(r, dpr));
      if (cell.letter >= 1 && cell.letter <= 26) {
        painter.drawPixmap(at, boardPictures_[cell.letter]);
        if (cell.lastMove) painter.drawPixmap(at, lastMove);
        if (cell.stacked) painter.drawPixmap(at, stack);
      }
      if (!cell.placedslot.empty()) painter.drawPixmap(at, marker);
    }
  }
  painter.restore();
  if (paintbox_board->hasFocus() && game.cursorShown) {
    // The keyboard's cursor cell, with a small arrow for the direction letters go on in.
    const QRect cell(kCell * game.cursorX, kCell * game.cursorY, kCell, kCell);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x1c, 0x74, 0xd4), 2, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(cell.adjusted(1, 1, -1, -1));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1c, 0x74, 0xd4));
    const QPointF tip = game.cursorDown ? QPointF(cell.center().x(), cell.bottom() - 2)
                                        : QPointF(cell.right() - 2, cell.center().y());
    const QPointF side = game.cursorDown ? QPointF(4, 0) : QPointF(0, 4);
    const QPointF back = game.cursorDown ? QPointF(0, -6) : QPointF(-6, 0);
    painter.drawPolygon(QPolygonF({tip, tip + back + side, tip + back - side}));
  }
}

bool Tchat::paintbox_boardKeyDown(QKeyEvent* event) {
  korvel::client::Outcome out;
  switch (event->key()) {
    case Qt::Key_Left:
      game.moveCursor(-1, 0);
      break;
    case Qt::Key_Right:
      game.moveCursor(1, 0);
      break;
    case Qt::Key_Up:
      game.moveCursor(0, -1);
      break;
    case Qt::Key_Down:
      game.moveCursor(0, 1);
      break;
    case Qt::Key_Space:
      game.turnDirection();
      break;
    case Qt::Key_Backspace:
      out = game.keyBackspace();
      break;
    case Qt::Key_Escape:
      out = game.clearword();
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      out = game.submitword();
      break;
    default: {
      const QString text = event->text();
      if (text.size() != 1 || !text[0].isLetter() || text[0].unicode() > 127) return false;
      out = game.keyLetter(static_cast<char>(text[0].unicode()));
    }
  }
  // Every key of the board shows the cursor, Escape and Enter included.
  game.cursorShown = true;
  render(out);
  paintbox_board->update();
  announceCursor();
  return true;
}

void Tchat::announceCursor() {
  const auto& cell = game.board[game.cursorX][game.cursorY];
  const QString content =
      cell.letter >= 1 && cell.letter <= 26 ? QString(QChar('A' + cell.letter - 1)) : "empty";
  paintbox_board->setAccessibleDescription(
      QString("Column %1, row %2: %3%4, laying %5")
          .arg(game.cursorX + 1)
          .arg(game.cursorY + 1)
          .arg(content, cell.placedslot.empty() ? "" : " (laid this turn)",
               game.cursorDown ? "down" : "across"));
}

void Tchat::button_submitClick() {
  render(game.submitword());
}

void Tchat::button_clearClick() {
  render(game.clearword());
}

void Tchat::button_passClick() {
  render(game.passClick());
}

void Tchat::button_newtilesClick() {
  render(game.newtilesClick());
}

// The board and the rack under the mouse, and the four action buttons. The mirror decides; these
// handlers translate widget coordinates and buttons and render the result.

#include <QMouseEvent>
#include <QPainter>

#include "client/artwork.h"
#include "client/panel_widgets.h"
#include "client/tchat.h"

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
}

void Tchat::pointerMoved(QWidget* over, QMouseEvent* event) {
  const QPoint p = panelPoint(over, event);
  if (!game.pointerMoved(p.x(), p.y())) return;
  const auto& image = game.rack[game.carriedSlot() - 1];
  letter[game.carriedSlot() - 1]->move(image.x, image.y);
}

void Tchat::paintbox_boardPaint(QPainter& painter) {
  using korvel::client::kCell;
  const qreal dpr = devicePixelRatioF();
  const QPixmap marker = artwork::tile(artwork::kPlacedMarker, dpr);
  for (int c = 0; c < korvel::client::kBoardCells; ++c) {
    for (int r = 0; r < korvel::client::kBoardCells; ++r) {
      const auto& cell = game.board[c][r];
      if (cell.letter >= 1 && cell.letter <= 26)
        painter.drawPixmap(kCell * c, kCell * r, artwork::tile(cell.letter, dpr));
      if (!cell.placedslot.empty()) painter.drawPixmap(kCell * c, kCell * r, marker);
    }
  }
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

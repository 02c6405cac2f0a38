// The rack and the board under the mouse: picking a tile up (no dragging: one click picks, the
// next puts down), rearranging the rack, laying and lifting tiles, and sending the move.

#include <string>

#include "client/game_mirror.h"
#include "protocol/message.h"

namespace korvel::client {

int GameMirror::carriedSlot() const {
  if (heldtile.size() != 1 || heldtile[0] < '1' || heldtile[0] > '8') return 0;
  return heldtile[0] - '0';
}

bool GameMirror::pointerMoved(int panelX, int panelY) {
  const int carried = carriedSlot();
  if (carried == 0) return false;
  // The offset keeps the carried image from lying under the pointer, so the next click reaches
  // what lies beneath it.
  rack[carried - 1].x = panelX + 4;
  rack[carried - 1].y = panelY + 4;
  return true;
}

Outcome GameMirror::rackClick(int slot, int panelX, int panelY) {
  Outcome out;
  if (slot < 1 || slot > kRackSlots) return out;
  RackImage& image = rack[slot - 1];
  const int carried = carriedSlot();
  if (carried == 0) {
    heldtile = std::to_string(slot);
    heldleft = image.x;
    image.x = panelX + 4;
    image.y = panelY + 4;
    out.raiseCarried = true;
    out.cues.push_back("pickupletter");
    return out;
  }
  // Exchange: the two slots swap homes. Releasing over the carried image itself puts it home.
  RackImage& held = rack[carried - 1];
  held.x = image.x;
  image.x = heldleft;
  held.y = kRackTop;
  image.y = kRackTop;
  rackleft[slot - 1] = image.x;
  rackleft[carried - 1] = held.x;
  heldtile.clear();
  out.cues.push_back("swapletter");
  return out;
}

Outcome GameMirror::outlineClick(int outlineX) {
  Outcome out;
  const int carried = carriedSlot();
  if (carried == 0) return out;
  for (int n = 1; n <= kRackSlots; ++n) {
    if (rackleft[n - 1] != outlineX) continue;
    if (n != carried) {
      rackleft[n - 1] = rackleft[carried - 1];
      rackleft[carried - 1] = outlineX;
      rack[n - 1].x = rackleft[n - 1];
    }
    break;
  }
  rack[carried - 1].x = outlineX;
  rack[carried - 1].y = kRackTop;
  heldtile.clear();
  out.cues.push_back("clear");
  return out;
}

int GameMirror::liftFrom(tboard& cell) {
  const int slot = std::stoi(cell.placedslot);
  if (cell.underneath != 0) {
    cell.letter = cell.underneath;
    cell.underneath = 0;
  } else {
    cell.letter = 0;
  }
  cell.placedslot.clear();
  cell.placedfrom = 0;
  return slot;
}

Outcome GameMirror::boardClick(int x, int y, Button b, int panelX, int panelY) {
  Outcome out;
  if (x < 0 || y < 0 || x >= kCell * kBoardCells || y >= kCell * kBoardCells) return out;
  // The keyboard goes on from the cell the mouse chose, on any turn.
  cursorX = x / kCell;
  cursorY = y / kCell;
  cursorShown = false;
  const int carried = carriedSlot();
  if (b == Button::Left && carried == 0 && board[cursorX][cursorY].placedslot.empty()) {
    aimCursor(cursorX, cursorY);
  }
  if (!myTurn()) return out;
  tboard& cell = board[x / kCell][y / kCell];
  if (carried == 0) {
    if (cell.placedslot.empty()) {
      if (b == Button::Right) submitInto(out);
      return out;
    }
    const int slot = liftFrom(cell);
    RackImage& image = rack[slot - 1];
    if (b == Button::Left) {
      out.cues.push_back("pickupletter");
      heldtile = std::to_string(slot);
      heldleft = rackleft[slot - 1];
      image.x = panelX + 4;
      image.y = panelY + 4;
      out.raiseCarried = true;
    } else {
      if (b == Button::Right) out.cues.push_back("clear");
      image.x = rackleft[slot - 1];
      image.y = kRackTop;
    }
    image.visible = true;
    out.boardChanged = true;
    return out;
  }
  if (!cell.placedslot.empty()) return out;
  RackImage& image = rack[carried - 1];
  cell.underneath = cell.letter;
  cell.letter = image.code;
  cell.placedslot = heldtile;
  cell.placedfrom = heldleft;
  image.x = rackleft[carried - 1];
  image.y = kRackTop;
  image.visible = false;
  heldtile.clear();
  out.cues.push_back("placeletter");
  out.boardChanged = true;
  return out;
}

void GameMirror::clearwordInto(Outcome& out) {
  int returned = 0;
  for (auto& column : board) {
    for (auto& cell : column) {
      if (cell.placedslot.empty()) continue;
      const int slot = liftFrom(cell);
      rack[slot - 1].x = rackleft[slot - 1];
      rack[slot - 1].y = kRackTop;
      rack[slot - 1].visible = true;
      ++returned;
    }
  }
  if (returned > 0) {
    out.boardChanged = true;
    out.cues.push_back("clear");
  }
}

Outcome GameMirror::clearword() {
  Outcome out;
  clearwordInto(out);
  return out;
}

void GameMirror::sendIfConnected(Outcome& out, std::string message) {
  if (connected) out.send.push_back(std::move(message));
}

void GameMirror::submitInto(Outcome& out) {
  if (!myTurn()) return;
  std::vector<protocol::Placement> tiles;
  for (int c = 0; c < kBoardCells; ++c) {
    for (int r = 0; r < kBoardCells; ++r) {
      if (!board[c][r].placedslot.empty())
        tiles.push_back({c, r, std::stoi(board[c][r].placedslot)});
    }
  }
  if (tiles.empty()) return;
  sendIfConnected(out, protocol::toserver::submit(myplayer, tiles));
  moveSent_ = connected;
}

Outcome GameMirror::submitword() {
  Outcome out;
  submitInto(out);
  return out;
}

Outcome GameMirror::passClick() {
  Outcome out;
  buttonsVisible = false;
  if (!myTurn()) return out;
  whoseturn = 0;
  sendIfConnected(out, protocol::toserver::pass(myplayer));
  moveSent_ = connected;
  clearwordInto(out);
  return out;
}

Outcome GameMirror::newtilesClick() {
  Outcome out;
  if (!myTurn()) return out;
  clearwordInto(out);
  whoseturn = 0;  // the board stays locked until the answer
  sendIfConnected(out, protocol::toserver::newtiles(myplayer));
  moveSent_ = connected;
  return out;
}

}  // namespace korvel::client

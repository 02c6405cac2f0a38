// Playing with the keyboard: the same placement as the mouse, driven from a cursor cell.

#include <algorithm>
#include <cctype>

#include "client/game_mirror.h"

namespace korvel::client {

bool GameMirror::moveCursor(int dx, int dy) {
  const int x = std::clamp(cursorX + dx, 0, kBoardCells - 1);
  const int y = std::clamp(cursorY + dy, 0, kBoardCells - 1);
  const bool moved = x != cursorX || y != cursorY;
  cursorX = x;
  cursorY = y;
  cursorShown = true;
  return moved;
}

bool GameMirror::guessDown(int x, int y) const {
  const auto letterAt = [this](int cx, int cy) {
    return cx >= 0 && cy >= 0 && cx < kBoardCells && cy < kBoardCells && board[cx][cy].letter != 0;
  };
  const bool beside = letterAt(x - 1, y) || letterAt(x + 1, y);
  const bool aboveOrBelow = letterAt(x, y - 1) || letterAt(x, y + 1);
  return aboveOrBelow && !beside;
}

void GameMirror::aimCursor(int x, int y) {
  cursorX = x;
  cursorY = y;
  // The direction of an earlier word says nothing about the next one: the neighbours do.
  cursorDown = guessDown(x, y);
  cursorShown = true;
}

Outcome GameMirror::keyLetter(char letter) {
  cursorShown = true;
  const int code = std::toupper(static_cast<unsigned char>(letter)) - 'A' + 1;
  if (!myTurn() || carriedSlot() != 0 || code < 1 || code > 26) return {};
  if (!board[cursorX][cursorY].placedslot.empty()) return {};
  for (int slot = 1; slot <= kRackSlots; ++slot) {
    const RackImage& image = rack[slot - 1];
    const bool home = image.visible && image.x == rackleft[slot - 1] && image.y == kRackTop;
    if (!home || image.code != code) continue;
    // Pick it up and lay it, exactly as two clicks would.
    heldtile = std::to_string(slot);
    heldleft = image.x;
    Outcome out = boardClick(cursorX * kCell, cursorY * kCell, Button::Left, 0, 0);
    std::erase_if(keyLaid_,
                  [this](auto cell) { return board[cell.first][cell.second].placedslot.empty(); });
    keyLaid_.emplace_back(cursorX, cursorY);
    if (keyLaid_.size() >= 2) {
      const auto [ax, ay] = keyLaid_[keyLaid_.size() - 2];
      if (ax == cursorX && ay != cursorY) cursorDown = true;
      if (ay == cursorY && ax != cursorX) cursorDown = false;
    }
    moveCursor(cursorDown ? 0 : 1, cursorDown ? 1 : 0);  // shows the cursor again
    return out;
  }
  return {};
}

Outcome GameMirror::keyBackspace() {
  cursorShown = true;
  if (!myTurn() || carriedSlot() != 0) return {};
  auto takeBack = [this](int x, int y) {
    // The click puts the cursor on the cell and hides it; the key shows it.
    Outcome out = boardClick(x * kCell, y * kCell, Button::Right, 0, 0);
    cursorShown = true;
    return out;
  };
  while (!keyLaid_.empty()) {
    const auto [x, y] = keyLaid_.back();
    keyLaid_.pop_back();
    if (board[x][y].placedslot.empty()) continue;
    return takeBack(x, y);
  }
  // Tiles laid with the mouse come back too, the last column by column.
  for (int c = kBoardCells - 1; c >= 0; --c) {
    for (int r = kBoardCells - 1; r >= 0; --r) {
      if (!board[c][r].placedslot.empty()) return takeBack(c, r);
    }
  }
  return {};
}

}  // namespace korvel::client

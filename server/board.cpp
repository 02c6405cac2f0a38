#include "server/board.h"

#include <cassert>

namespace korvel::server {

std::size_t Board::index(int x, int y) {
  assert(x >= kRingLow && x <= kRingHigh && y >= kRingLow && y <= kRingHigh);
  return static_cast<std::size_t>((x - kRingLow) * kSide + (y - kRingLow));
}

BoardCell& Board::at(int x, int y) {
  return cells_[index(x, y)];
}

const BoardCell& Board::at(int x, int y) const {
  return cells_[index(x, y)];
}

void Board::clear() {
  cells_.fill(BoardCell{});
}

std::vector<protocol::CellEntry> Board::occupiedCells() const {
  std::vector<protocol::CellEntry> cells;
  for (int x = kFirst; x <= kLast; ++x) {
    for (int y = kFirst; y <= kLast; ++y) {
      const int code = at(x, y).letter;
      if (code != -1) cells.push_back({x, y, code});
    }
  }
  return cells;
}

bool Board::lettersValid() const {
  for (int x = kRingLow; x <= kRingHigh; ++x) {
    for (int y = kRingLow; y <= kRingHigh; ++y) {
      const int code = at(x, y).letter;
      if (code == -1) continue;
      if (!onBoard(x, y) || code < 1 || code > 26) return false;
    }
  }
  return true;
}

}  // namespace korvel::server

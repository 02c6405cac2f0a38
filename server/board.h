#pragma once
// The server's board: the 11 by 11 playing area (columns and rows 0 to 10) inside a ring of
// cells at -1 and 11 that never holds a letter, so every neighbour test on the playing area may
// look one cell further without a bounds test.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "protocol/message.h"

namespace korvel::server {

// One cell. -1 means none in every field. Only `letter` lasts from one move to the next; the
// other three describe the move being checked and are set back to -1 before each check.
struct BoardCell {
  std::int32_t under = -1;   // letter that lay here when this move put a tile on top of it
  std::int32_t slot = -1;    // rack slot (1 to 8) of the tile this move laid here
  std::int32_t letter = -1;  // letter code 1 to 26, -1 for an empty cell
  std::int32_t owner = -1;   // seat that laid a tile here in this move

  bool operator==(const BoardCell&) const = default;
};

class Board {
 public:
  static constexpr int kFirst = 0;  // first playable column and row
  static constexpr int kLast = 10;  // last playable column and row
  static constexpr int kRingLow = -1;
  static constexpr int kRingHigh = 11;

  Board() { clear(); }

  // x and y from -1 to 11.
  BoardCell& at(int x, int y);
  const BoardCell& at(int x, int y) const;

  // True for a playable position (0 to 10 both ways).
  static bool onBoard(int x, int y) {
    return x >= kFirst && x <= kLast && y >= kFirst && y <= kLast;
  }

  // Every field of every cell to -1: the empty board of a game start.
  void clear();

  // The cells that hold a letter, column 0 to 10 and within a column row 0 to 10: the order in
  // which a newcomer to a running game is sent the board.
  std::vector<protocol::CellEntry> occupiedCells() const;

  // True when every letter is a code 1 to 26 or -1 and the ring holds no letter; anything else
  // means a fault let a bad value onto the board.
  bool lettersValid() const;

  bool operator==(const Board&) const = default;

 private:
  static constexpr int kSide = kRingHigh - kRingLow + 1;
  static std::size_t index(int x, int y);
  std::array<BoardCell, kSide * kSide> cells_;
};

}  // namespace korvel::server

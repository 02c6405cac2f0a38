#pragma once
// The computer players' move search: every legal move for a board and a rack under the rules the
// server checks (one row or column; tiles on empty cells or on top of other board letters, never
// on the same letter; every laid tile inside the unbroken run that forms the main word; the main
// word and every cross word through a laid tile in the word list; the first move over the
// starting square, every later one touching a letter that was there before), scored as the
// server scores it.
//
// The search walks each of the 22 lines from every cell that may begin a word, following the
// lexicon's letter tree: an empty cell takes a rack tile, a board letter is kept or covered by
// a rack tile. Cross words are settled in advance as a set of allowed letters per cell, and a
// start that cannot reach a touching cell with the tiles at hand is never walked.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bot/lexicon.h"

namespace korvel::bot {

inline constexpr int kSide = 11;
inline constexpr int kRackSize = 8;
inline constexpr int kStartColumn = 5;
inline constexpr int kStartRow = 5;

// The board as the client mirror holds it: [column][row], letter codes 1 to 26, 0 when empty.
using BoardLetters = std::array<std::array<int, kSide>, kSide>;
// Rack slots 1 to 8 at index 0 to 7: a letter code 1 to 26, or 0 or -1 for no tile.
using RackCodes = std::array<int, kRackSize>;

struct Tile {
  int x = 0, y = 0, slot = 0, code = 0;
  bool operator==(const Tile&) const = default;
};

struct Move {
  std::vector<Tile> tiles;  // along the line, first cell first
  int score = 0;
};

class MoveGenerator {
 public:
  explicit MoveGenerator(const Lexicon& lexicon) : lexicon_(lexicon) {}

  // The legal move with the highest score, or nullopt when there is none. Of moves with equal
  // scores the first one found is taken, so the answer is the same for the same position.
  std::optional<Move> best(const BoardLetters& board, const RackCodes& rack, bool firstmove) const;

  // Every legal move. A move of one tile with neighbours both ways comes twice, once per line.
  void forEach(const BoardLetters& board, const RackCodes& rack, bool firstmove,
               const std::function<void(const Move&)>& visit) const;

 private:
  template <class Sink>
  void search(const BoardLetters& board, const RackCodes& rack, bool firstmove, Sink& sink) const;

  const Lexicon& lexicon_;
};

// Letter value as the server scores it.
int letterValue(int code);

}  // namespace korvel::bot

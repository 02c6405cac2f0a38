#pragma once
// The end of a two-player game once the bag is empty. Both racks are known (the opponent holds
// every tile not on the board, not covered and not on this player's rack) and the opponent is
// taken to play its best-scoring move every turn. A move is worth what the game comes to after
// it: the opponent's reply, then (one level deeper) each of this player's most promising next
// moves with the opponent's reply to it, and from there both sides playing their best-scoring
// moves until one goes out or both have passed. A game won is worth far more than any score
// difference, so the search goes for the win first and for the margin second.

#include <cstddef>
#include <vector>

#include "bot/move_generator.h"

namespace korvel::bot {

struct EndPosition {
  BoardLetters board{};
  RackCodes mine{}, theirs{};  // -1 or 0 in a slot without a tile
  int spread = 0;              // this player's score less the opponent's
  // Passed since its own last accepted move: when both have, the game is over.
  bool minePassed = false, theirsPassed = false;
};

class EndgameSearch {
 public:
  // What a decided game adds to its score difference.
  static constexpr double kDecided = 1000.0;

  explicit EndgameSearch(const MoveGenerator& generator) : generator_(generator) {}

  // The worth of this player's `move` (nothing: a pass) in `p`, where it is to move. `depth` 1
  // follows the opponent's reply straight to the end; each further level first tries this
  // player's `branching` most promising moves.
  double value(const EndPosition& p, const Move* move, int depth, std::size_t branching) const;

  // This player's moves in `p` worth a look: the `byScore` best-scoring, the `byTiles` that lay
  // the most tiles (the best-scoring of those first) and every move that goes out.
  std::vector<Move> candidates(const EndPosition& p, std::size_t byScore,
                               std::size_t byTiles) const;

  // The worth of a finished game with score difference `spread`: a draw is worth 0.
  static double outcome(int spread);

  static int tilesIn(const RackCodes& rack);

 private:
  // Both sides play their best-scoring move from `p` until the game ends.
  double playout(EndPosition p, bool mineToMove) const;

  const MoveGenerator& generator_;
};

}  // namespace korvel::bot

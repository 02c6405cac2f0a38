#pragma once
// The end of a game once the bag is empty. Every opponent holds some of the tiles this player
// has not seen (every tile not on the board, not covered and not on its own rack), and each is
// taken to play its best-scoring move every turn. A move is worth what the game comes to after
// it: the opponents' replies in turn, then (one level deeper) each of this player's most
// promising next moves with the replies to it, and from there every player laying its
// best-scoring move until one goes out or all have passed. A game won (this player's score above
// every other) is worth far more than any score difference, so the search goes for the win
// first and for the margin second.

#include <cstddef>
#include <vector>

#include "bot/move_generator.h"

namespace korvel::bot {

struct EndPosition {
  BoardLetters board{};
  RackCodes mine{};  // -1 or 0 in a slot without a tile
  int myScore = 0;
  // The opponents in the order they move after this player, with their racks and scores.
  std::vector<RackCodes> theirs;
  std::vector<int> theirScores;
  // Passed since its own last accepted move, this player first: when all have, the game is over.
  std::vector<bool> passed;
};

class EndgameSearch {
 public:
  // What a decided game adds to its score difference.
  static constexpr double kDecided = 1000.0;

  explicit EndgameSearch(const MoveGenerator& generator) : generator_(generator) {}

  // The worth of this player's `move` (nothing: a pass) in `p`, where it is to move. `depth` 1
  // follows the opponents' replies straight to the end; each further level first tries this
  // player's `branching` most promising moves.
  double value(const EndPosition& p, const Move* move, int depth, std::size_t branching) const;

  // This player's moves in `p` worth a look: the `byScore` best-scoring, the `byTiles` that lay
  // the most tiles (the best-scoring of those first) and every move that goes out.
  std::vector<Move> candidates(const EndPosition& p, std::size_t byScore,
                               std::size_t byTiles) const;

  // The worth of a finished game in which this player's score is `margin` above the best of the
  // others' (below when negative): a shared win is worth 0.
  static double outcome(int margin);
  // The worth of `p` as a finished game.
  static double outcome(const EndPosition& p);

  static int tilesIn(const RackCodes& rack);

 private:
  // Player `who` (0 this player, k the k-th opponent) takes its turn with its best-scoring move
  // or a pass. True when that ends the game: it went out, or everybody has passed.
  bool playBest(EndPosition& p, std::size_t who) const;
  // Every player from `who` on lays its best-scoring move in turn until the game ends.
  double playout(EndPosition p, std::size_t who) const;

  const MoveGenerator& generator_;
};

}  // namespace korvel::bot

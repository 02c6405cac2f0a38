#include "bot/easy_choice.h"

#include <algorithm>
#include <cstdlib>

namespace korvel::bot {

std::vector<Move> easyCandidates(const MoveGenerator& full, const MoveGenerator& common,
                                 const BoardLetters& board, const RackCodes& rack, bool firstmove) {
  std::vector<Move> moves;
  common.forEach(board, rack, firstmove, [&moves](const Move& m) { moves.push_back(m); });
  if (moves.empty()) return moves;
  const auto best = full.best(board, rack, firstmove);
  // Twice the distance, so that half of an odd score needs no fraction.
  const int twiceTarget = best ? best->score : 0;
  std::stable_sort(moves.begin(), moves.end(), [twiceTarget](const Move& a, const Move& b) {
    return std::abs(2 * a.score - twiceTarget) < std::abs(2 * b.score - twiceTarget);
  });
  return moves;
}

}  // namespace korvel::bot

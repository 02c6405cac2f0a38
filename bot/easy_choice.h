#pragma once
// The Easy player's choice: only moves whose every word, main and cross, is a common word, and
// of those the one whose score comes nearest to half of what the best move of the full word
// list would score, so it neither plays rare words nor always its best.

#include <vector>

#include "bot/move_generator.h"

namespace korvel::bot {

// Moves of `common` (a generator over the common words) nearest first to half the score of the
// best move of `full`; ties keep the order the search found them in.
std::vector<Move> easyCandidates(const MoveGenerator& full, const MoveGenerator& common,
                                 const BoardLetters& board, const RackCodes& rack, bool firstmove);

}  // namespace korvel::bot

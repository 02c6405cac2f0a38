#include "bot/endgame.h"

#include <algorithm>

namespace korvel::bot {

namespace {

// A game that has not ended after this many turns of the playout is scored as it stands: both
// racks are empty long before, unless both sides keep tiles no move can use.
constexpr int kPlayoutTurns = 24;

void apply(BoardLetters& board, RackCodes& rack, const Move& move) {
  for (const Tile& t : move.tiles) {
    board[t.x][t.y] = t.code;
    if (t.slot >= 1 && t.slot <= kRackSize) rack[t.slot - 1] = -1;
  }
}

}  // namespace

int EndgameSearch::tilesIn(const RackCodes& rack) {
  return static_cast<int>(
      std::count_if(rack.begin(), rack.end(), [](int code) { return code >= 1 && code <= 26; }));
}

double EndgameSearch::outcome(int spread) {
  if (spread == 0) return 0;
  return (spread > 0 ? kDecided : -kDecided) + spread;
}

double EndgameSearch::playout(EndPosition p, bool mineToMove) const {
  for (int turn = 0; turn < kPlayoutTurns; ++turn) {
    RackCodes& rack = mineToMove ? p.mine : p.theirs;
    bool& passed = mineToMove ? p.minePassed : p.theirsPassed;
    const auto move = generator_.best(p.board, rack, false);
    if (move) {
      apply(p.board, rack, *move);
      p.spread += mineToMove ? move->score : -move->score;
      passed = false;
      if (tilesIn(rack) == 0) return outcome(p.spread);
    } else {
      passed = true;
      if (p.minePassed && p.theirsPassed) return outcome(p.spread);
    }
    mineToMove = !mineToMove;
  }
  return outcome(p.spread);
}

double EndgameSearch::value(const EndPosition& p, const Move* move, int depth,
                            std::size_t branching) const {
  EndPosition q = p;
  if (move) {
    apply(q.board, q.mine, *move);
    q.spread += move->score;
    q.minePassed = false;
    if (tilesIn(q.mine) == 0) return outcome(q.spread);
  } else {
    q.minePassed = true;
    if (q.theirsPassed) return outcome(q.spread);
  }
  const auto reply = generator_.best(q.board, q.theirs, false);
  if (reply) {
    apply(q.board, q.theirs, *reply);
    q.spread -= reply->score;
    q.theirsPassed = false;
    if (tilesIn(q.theirs) == 0) return outcome(q.spread);
  } else {
    q.theirsPassed = true;
    if (q.minePassed) return outcome(q.spread);
  }
  if (depth <= 1) return playout(q, true);
  const std::vector<Move> next = candidates(q, branching, branching / 2);
  if (next.empty()) return value(q, nullptr, depth - 1, branching);
  double best = -2 * kDecided;
  for (const Move& m : next) best = std::max(best, value(q, &m, depth - 1, branching));
  return best;
}

std::vector<Move> EndgameSearch::candidates(const EndPosition& p, std::size_t byScore,
                                            std::size_t byTiles) const {
  std::vector<Move> all;
  generator_.forEach(p.board, p.mine, false, [&all](const Move& m) { all.push_back(m); });
  const std::size_t held = static_cast<std::size_t>(tilesIn(p.mine));
  // Going out first, then by score, then by tiles laid: the sort puts every move worth a look
  // in front.
  const auto better = [held](const Move& a, const Move& b) {
    const bool outA = a.tiles.size() == held, outB = b.tiles.size() == held;
    if (outA != outB) return outA;
    return a.score > b.score;
  };
  std::stable_sort(all.begin(), all.end(), better);
  std::vector<Move> chosen;
  std::size_t i = 0;
  for (; i < all.size() && (all[i].tiles.size() == held || chosen.size() < byScore); ++i) {
    chosen.push_back(all[i]);
  }
  // Of the rest, those that lay the most tiles: fewer turns left to go out.
  std::stable_sort(all.begin() + static_cast<std::ptrdiff_t>(i), all.end(),
                   [](const Move& a, const Move& b) { return a.tiles.size() > b.tiles.size(); });
  for (std::size_t k = 0; k < byTiles && i + k < all.size(); ++k) chosen.push_back(all[i + k]);
  return chosen;
}

}  // namespace korvel::bot

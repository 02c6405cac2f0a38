#include "bot/endgame.h"

#include <algorithm>

namespace korvel::bot {

namespace {

// A game that has not ended after this many turns of the playout is scored as it stands: every
// rack is empty long before, unless all keep tiles no move can use.
constexpr int kPlayoutTurns = 40;

void apply(BoardLetters& board, RackCodes& rack, const Move& move) {
  for (const Tile& t : move.tiles) {
    board[t.x][t.y] = t.code;
    if (t.slot >= 1 && t.slot <= kRackSize) rack[t.slot - 1] = -1;
  }
}

bool allPassed(const EndPosition& p) {
  return std::all_of(p.passed.begin(), p.passed.end(), [](bool b) { return b; });
}

}  // namespace

int EndgameSearch::tilesIn(const RackCodes& rack) {
  return static_cast<int>(
      std::count_if(rack.begin(), rack.end(), [](int code) { return code >= 1 && code <= 26; }));
}

double EndgameSearch::outcome(int margin) {
  if (margin == 0) return 0;
  return (margin > 0 ? kDecided : -kDecided) + margin;
}

double EndgameSearch::outcome(const EndPosition& p) {
  int best = p.theirScores.empty() ? 0 : p.theirScores.front();
  for (int score : p.theirScores) best = std::max(best, score);
  return outcome(p.myScore - best);
}

bool EndgameSearch::playBest(EndPosition& p, std::size_t who) const {
  RackCodes& rack = who == 0 ? p.mine : p.theirs[who - 1];
  const auto move = generator_.best(p.board, rack, false);
  if (!move) {
    p.passed[who] = true;
    return allPassed(p);
  }
  apply(p.board, rack, *move);
  (who == 0 ? p.myScore : p.theirScores[who - 1]) += move->score;
  p.passed[who] = false;
  return tilesIn(rack) == 0;
}

double EndgameSearch::playout(EndPosition p, std::size_t who) const {
  const std::size_t players = p.theirs.size() + 1;
  for (int turn = 0; turn < kPlayoutTurns; ++turn) {
    if (playBest(p, who)) break;
    who = (who + 1) % players;
  }
  return outcome(p);
}

double EndgameSearch::value(const EndPosition& p, const Move* move, int depth,
                            std::size_t branching) const {
  EndPosition q = p;
  q.passed.resize(q.theirs.size() + 1, false);
  if (move) {
    apply(q.board, q.mine, *move);
    q.myScore += move->score;
    q.passed[0] = false;
    if (tilesIn(q.mine) == 0) return outcome(q);
  } else {
    q.passed[0] = true;
    if (allPassed(q)) return outcome(q);
  }
  for (std::size_t k = 1; k <= q.theirs.size(); ++k) {
    if (playBest(q, k)) return outcome(q);
  }
  if (depth <= 1) return playout(q, 0);
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
  // Going out first, then by score: the sort puts every move worth a look in front.
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

#include "bot/equity.h"

#include <algorithm>
#include <numeric>

namespace korvel::bot {

namespace {

// End-game moves searched: this many of the best by score, half as many of those laying the most
// tiles, and every move that goes out. Each costs a search of the rest of the game per deal.
constexpr std::size_t kEndgameMoves = 20;
// How far the end game is searched (this player's moves), and how many of its moves are tried at
// each deeper level.
constexpr int kEndgameDepth = 2;
constexpr std::size_t kEndgameBranching = 8;
// Deals of the unseen tiles to a single opponent when its rack is not known; half as many
// against several.
constexpr int kEndgameRacks = 16;
// Moves looked at one move further, and the opponent's racks drawn for each.
constexpr std::size_t kLookedAhead = 16;
constexpr int kReplyRacks = 6;
// The share of the opponent's average best reply a move is charged with. Not all of it: what a
// move opens the opponent may leave for this player's next turn, and its real rack is not one of
// the few drawn.
constexpr double kReplyWeight = 0.5;
// A best move worth more than this is never given up for a new rack: an average new rack's best
// move is worth little more than the price.
constexpr double kBuyConsidered = 15.0;
// What a purchase must gain over the best move, against the noise of a few sampled racks.
constexpr double kBuyMargin = 3.0;

int tileCount(const LetterCounts& counts) {
  return std::accumulate(counts.begin() + 1, counts.end(), 0);
}

LetterCounts keptAfter(const LetterCounts& have, const Move& move) {
  LetterCounts kept = have;
  for (const Tile& t : move.tiles) --kept[t.code];
  return kept;
}

// One code per tile, letter by letter.
std::vector<int> tilesOf(const LetterCounts& counts) {
  std::vector<int> tiles;
  for (int code = 1; code <= 26; ++code) tiles.insert(tiles.end(), counts[code], code);
  return tiles;
}

}  // namespace

const LetterCounts& tileSet() {
  static const LetterCounts set = [] {
    //                  a   b  c  d  e  f  g  h  i  j  k  l  m  n  o  p  q  r  s  t  u  v  w  x  y z
    const int n[26] = {10, 3, 2, 4, 5, 2, 3, 3, 4, 1, 2, 3, 3,
                       3,  3, 2, 1, 3, 5, 4, 2, 1, 2, 1, 2, 1};
    LetterCounts c{};
    for (int i = 0; i < 26; ++i) c[i + 1] = n[i];
    return c;
  }();
  return set;
}

LetterCounts rackCounts(const RackCodes& rack) {
  LetterCounts c{};
  for (int code : rack) {
    if (code >= 1 && code <= 26) ++c[code];
  }
  return c;
}

double EquityChooser::leaveValue(const LetterCounts& kept, int bagTiles) const {
  if (bagTiles <= 0) return 0;
  const double value = leaves_.value(kept);
  // Fewer tiles to draw: what is kept decides less of the next racks, and soon nothing.
  return bagTiles >= kRackSize ? value : value * bagTiles / kRackSize;
}

std::vector<RatedMove> EquityChooser::rate(const Situation& s, std::size_t most,
                                           std::mt19937* rng) const {
  const LetterCounts have = rackCounts(s.rack);
  std::vector<RatedMove> all;
  generator_.forEach(s.board, s.rack, s.firstmove, [&](const Move& m) {
    const double equity = m.score + leaveValue(keptAfter(have, m), s.bagTiles);
    all.push_back({m, equity, equity});
  });
  const int unseen = tileCount(s.unseen);
  const bool endgame = s.bagTiles <= 0 && !s.opponentScores.empty() && unseen >= 1;
  if (endgame && !all.empty()) {
    all = rateEndgame(s, rng);
  } else if (rng && s.bagTiles > 0 && !s.opponentScores.empty() && all.size() > 1) {
    lookAhead(s, all, *rng);
  }
  const std::size_t keep = std::min(most, all.size());
  std::partial_sort(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(keep), all.end(),
                    [](const RatedMove& a, const RatedMove& b) { return a.equity > b.equity; });
  all.resize(keep);
  return all;
}

std::vector<RatedMove> EquityChooser::rateEndgame(const Situation& s, std::mt19937* rng) const {
  EndPosition p;
  p.board = s.board;
  p.mine = s.rack;
  p.myScore = s.myScore;
  p.theirScores = s.opponentScores;
  p.passed.assign(s.opponentScores.size() + 1, false);
  std::vector<int> pool = tilesOf(s.unseen);
  // Each opponent holds some of the unseen tiles; the rest are out of the game (the rack of a
  // seat that only watches). Which ones is known only when a single opponent holds them all.
  std::vector<int> held;
  int dealt = 0;
  for (std::size_t k = 0; k < s.opponentScores.size(); ++k) {
    const int tiles = k < s.opponentTiles.size() ? s.opponentTiles[k] : kRackSize;
    held.push_back(std::clamp(tiles, 0, static_cast<int>(pool.size()) - dealt));
    dealt += held.back();
  }
  const bool known = held.size() == 1 && dealt == static_cast<int>(pool.size());
  std::mt19937 fixed(1);
  std::mt19937& draw = rng ? *rng : fixed;
  // Every opponent's reply is another move search: fewer deals when there are more of them.
  const int deals = known ? 1 : held.size() == 1 ? kEndgameRacks : kEndgameRacks / 2;
  std::vector<std::vector<RackCodes>> racks(static_cast<std::size_t>(deals));
  for (auto& deal : racks) {
    if (!known) std::shuffle(pool.begin(), pool.end(), draw);
    std::size_t next = 0;
    for (int tiles : held) {
      RackCodes& rack = deal.emplace_back();
      rack.fill(-1);
      for (int k = 0; k < tiles; ++k) rack[static_cast<std::size_t>(k)] = pool[next++];
    }
  }
  const EndgameSearch search(generator_);
  const int depth = known ? kEndgameDepth : 1;
  std::vector<RatedMove> weighed;
  for (const Move& m : search.candidates(p, kEndgameMoves, kEndgameMoves / 2)) {
    double worth = 0;
    for (const auto& deal : racks) {
      p.theirs = deal;
      worth += search.value(p, &m, depth, kEndgameBranching);
    }
    worth /= static_cast<double>(racks.size());
    weighed.push_back({m, worth, worth});
  }
  return weighed;
}

void EquityChooser::lookAhead(const Situation& s, std::vector<RatedMove>& moves,
                              std::mt19937& rng) const {
  const std::size_t ahead = std::min(kLookedAhead, moves.size());
  std::partial_sort(moves.begin(), moves.begin() + static_cast<std::ptrdiff_t>(ahead), moves.end(),
                    [](const RatedMove& a, const RatedMove& b) { return a.equity > b.equity; });
  std::vector<int> pool = tilesOf(s.unseen);
  if (pool.empty()) return;
  std::vector<RackCodes> racks(kReplyRacks);
  for (RackCodes& rack : racks) {
    std::shuffle(pool.begin(), pool.end(), rng);
    rack.fill(-1);
    for (std::size_t k = 0; k < pool.size() && k < static_cast<std::size_t>(kRackSize); ++k) {
      rack[k] = pool[k];
    }
  }
  for (std::size_t i = 0; i < ahead; ++i) {
    BoardLetters after = s.board;
    for (const Tile& t : moves[i].move.tiles) after[t.x][t.y] = t.code;
    double replies = 0;
    for (const RackCodes& rack : racks) {
      const auto reply = generator_.best(after, rack, false);
      replies += reply ? reply->score : 0;
    }
    moves[i].equity -= kReplyWeight * replies / kReplyRacks;
  }
  // The rest were not looked at: they count as no better than the worst that was.
  double floor = moves[0].equity;
  for (std::size_t i = 0; i < ahead; ++i) floor = std::min(floor, moves[i].equity);
  for (std::size_t i = ahead; i < moves.size(); ++i) moves[i].equity = floor - 1;
}

bool EquityChooser::buyPays(const Situation& s, std::optional<double> bestEquity, std::mt19937& rng,
                            int samples) const {
  if (s.bagTiles < kRackSize) return false;
  // Without a move the turn is a pass: the rack is kept whole.
  const double now = bestEquity ? *bestEquity : leaveValue(rackCounts(s.rack), s.bagTiles);
  if (now > kBuyConsidered) return false;
  std::vector<int> pool = tilesOf(s.unseen);
  if (static_cast<int>(pool.size()) < kRackSize || samples <= 0) return false;
  double total = 0;
  for (int i = 0; i < samples; ++i) {
    std::shuffle(pool.begin(), pool.end(), rng);
    Situation drawn = s;
    for (int k = 0; k < kRackSize; ++k) drawn.rack[k] = pool[k];
    const auto best = rate(drawn, 1);
    total += best.empty() ? leaveValue(rackCounts(drawn.rack), s.bagTiles) : best.front().equity;
  }
  return total / samples - kPrice > now + kBuyMargin;
}

}  // namespace korvel::bot

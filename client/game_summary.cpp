#include "client/game_summary.h"

#include <algorithm>

namespace korvel::client {

namespace {

// The server names its winners in seat order, joined by " and ". Of the players seated at the
// end, the set whose names give exactly that text is the one it chose; names may themselves
// hold " and ", so every set is tried (at most four players: 15 sets), the one with the highest
// lowest score first. No set matches when the text was cut or a name changed on the way: then
// the server's rule decides (the top score among the seated players).
std::vector<bool> namedWinners(const std::vector<PlayerSummary>& seated, const std::string& text) {
  const std::size_t n = seated.size();
  std::vector<bool> chosen(n, false);
  if (text.empty() || n == 0) return chosen;
  int bestLow = 0;
  bool found = false;
  // A record holds one entry per player seat; a file listing more is not searched this way.
  const unsigned sets = n <= 4 ? (1u << n) : 1u;
  for (unsigned mask = 1; mask < sets; ++mask) {
    std::string joined;
    int low = 0;
    bool any = false;
    for (std::size_t i = 0; i < n; ++i) {
      if (!(mask & (1u << i))) continue;
      joined += (any ? " and " : "") + seated[i].name;
      low = any ? std::min(low, seated[i].score) : seated[i].score;
      any = true;
    }
    if (joined != text || (found && low <= bestLow)) continue;
    found = true;
    bestLow = low;
    for (std::size_t i = 0; i < n; ++i) chosen[i] = (mask & (1u << i)) != 0;
  }
  if (found) return chosen;
  int top = seated.front().score;
  for (const auto& p : seated) top = std::max(top, p.score);
  for (std::size_t i = 0; i < n; ++i) chosen[i] = seated[i].score == top;
  return chosen;
}

}  // namespace

GameSummary summarise(const GameRecord& record) {
  GameSummary s;
  s.winner = record.winner;
  s.hostEnded = record.hostEnded;
  s.turns = static_cast<int>(record.turns.size());
  s.seconds = std::max<std::int64_t>(0, record.ended - record.started);
  std::vector<PlayerSummary> seated, left;
  for (const SeatRecord& seat : record.players) {
    if (seat.seat < 1 || seat.seat > 4) continue;
    PlayerSummary p;
    p.seat = seat.seat;
    p.name = seat.name;
    p.left = seat.left;
    p.score = record.finalScores[static_cast<std::size_t>(seat.seat - 1)];
    for (const TurnRecord& t : record.turns) {
      if (t.seat != seat.seat || t.kind != TurnKind::Word) continue;
      ++p.moves;
      if (t.score > p.bestScore || p.bestWord.empty()) {
        p.bestScore = t.score;
        p.bestWord = t.words.empty() ? std::string() : t.words.front();
      }
    }
    (p.left ? left : seated).push_back(std::move(p));
  }
  // Seat order is the server's order, which namedWinners relies on.
  const auto winners = namedWinners(seated, record.winner);
  for (std::size_t i = 0; i < seated.size(); ++i) {
    seated[i].won = winners[i];
    s.winners += winners[i] ? 1 : 0;
  }
  std::stable_sort(seated.begin(), seated.end(),
                   [](const PlayerSummary& a, const PlayerSummary& b) {
                     if (a.won != b.won) return a.won;
                     return a.score > b.score;
                   });
  s.players = std::move(seated);
  s.players.insert(s.players.end(), left.begin(), left.end());
  return s;
}

std::string summaryHeading(const GameSummary& summary) {
  if (summary.hostEnded) return kHostEndedText;
  if (summary.winner.empty()) return "Nobody won this game.";
  return summary.winner + (summary.winners > 1 ? " have won the game!" : " has won the game!");
}

std::string durationText(std::int64_t seconds) {
  const std::int64_t h = seconds / 3600, m = seconds / 60 % 60, sec = seconds % 60;
  if (h > 0) return std::to_string(h) + " h " + std::to_string(m) + " min";
  if (m > 0) return std::to_string(m) + " min " + std::to_string(sec) + " s";
  return std::to_string(sec) + " s";
}

}  // namespace korvel::client

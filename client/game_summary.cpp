#include "client/game_summary.h"

#include <algorithm>

namespace korvel::client {

GameSummary summarise(const GameRecord& record) {
  GameSummary s;
  s.winner = record.winner;
  s.turns = static_cast<int>(record.turns.size());
  s.seconds = std::max<std::int64_t>(0, record.ended - record.started);
  for (const SeatRecord& seat : record.players) {
    PlayerSummary p;
    p.seat = seat.seat;
    p.name = seat.name;
    p.score = record.finalScores[static_cast<std::size_t>(seat.seat - 1)];
    for (const TurnRecord& t : record.turns) {
      if (t.seat != seat.seat || t.kind != TurnKind::Word) continue;
      ++p.moves;
      if (t.score > p.bestScore || p.bestWord.empty()) {
        p.bestScore = t.score;
        p.bestWord = t.words.empty() ? std::string() : t.words.front();
      }
    }
    s.players.push_back(std::move(p));
  }
  std::stable_sort(
      s.players.begin(), s.players.end(),
      [](const PlayerSummary& a, const PlayerSummary& b) { return a.score > b.score; });
  if (!s.players.empty()) {
    for (auto& p : s.players) p.won = p.score == s.players.front().score;
  }
  return s;
}

std::string durationText(std::int64_t seconds) {
  const std::int64_t h = seconds / 3600, m = seconds / 60 % 60, sec = seconds % 60;
  if (h > 0) return std::to_string(h) + " h " + std::to_string(m) + " min";
  if (m > 0) return std::to_string(m) + " min " + std::to_string(sec) + " s";
  return std::to_string(sec) + " s";
}

}  // namespace korvel::client

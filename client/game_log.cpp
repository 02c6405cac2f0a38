#include "client/game_log.h"

#include <algorithm>
#include <chrono>

#include "protocol/text_encoding.h"

namespace korvel::client {

namespace {

// Names and words as the record keeps them: read by the program's one text rule (a Windows-1252
// peer's "Jürgen" stays "Jürgen"), then cut to at most `most` bytes without splitting a
// character, so that the record is always valid UTF-8.
std::string recordText(const std::string& bytes, std::size_t most) {
  std::string text = protocol::textFromBytes(bytes);
  if (text.size() <= most) return text;
  std::size_t end = most;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

}  // namespace

const char* turnKindName(TurnKind kind) {
  switch (kind) {
    case TurnKind::Word:
      return "word";
    case TurnKind::Pass:
      return "pass";
    case TurnKind::Bought:
      return "bought";
    case TurnKind::TimeUp:
      return "timeup";
    case TurnKind::Watching:
      return "watching";
  }
  return "pass";
}

std::string describeTurn(const TurnRecord& turn) {
  switch (turn.kind) {
    case TurnKind::Word: {
      std::string text;
      for (const auto& w : turn.words) text += (text.empty() ? "" : ", ") + w;
      return text + " " + std::to_string(turn.score);
    }
    case TurnKind::Pass:
      return "passed";
    case TurnKind::Bought:
      return "bought new tiles for " + std::to_string(turn.score);
    case TurnKind::TimeUp:
      return "ran out of time";
    case TurnKind::Watching:
      return "started watching";
  }
  return {};
}

std::string shortTurn(const TurnRecord& turn) {
  if (turn.kind != TurnKind::Word) return describeTurn(turn);
  return (turn.words.empty() ? std::string("?") : turn.words.front()) + " " +
         std::to_string(turn.score);
}

bool turnsCapped(const GameRecord& record) {
  return record.turns.size() >= kGameTurns;
}

GameLog::GameLog()
    : now([] {
        return std::chrono::duration_cast<std::chrono::seconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
      }) {}

void GameLog::begin(int localSeat, int turnSeconds, bool fromStart) {
  record = GameRecord{};
  record.started = now();
  record.turnSeconds = turnSeconds;
  record.localSeat = localSeat;
  record.fromStart = fromStart;
  totals_.fill(0);
  active = true;
}

void GameLog::seat(int seatNumber, const std::string& fullName) {
  if (seatNumber < 1 || seatNumber > 4) return;
  const std::string name = recordText(fullName, kMaxNameBytes);
  auto& players = record.players;
  auto it = std::find_if(players.begin(), players.end(),
                         [seatNumber](const SeatRecord& s) { return s.seat == seatNumber; });
  if (it != players.end()) {
    it->name = name;
    return;
  }
  players.push_back({seatNumber, name});
  std::sort(players.begin(), players.end(),
            [](const SeatRecord& a, const SeatRecord& b) { return a.seat < b.seat; });
}

void GameLog::setTotal(int seatNumber, int total) {
  if (seatNumber >= 1 && seatNumber <= 4) totals_[seatNumber - 1] = total;
}

void GameLog::add(TurnRecord turn) {
  if (!active || record.turns.size() >= kGameTurns) return;
  if (turn.tiles.size() > kMaxTurnTiles) turn.tiles.resize(kMaxTurnTiles);
  if (turn.words.size() > kMaxTurnWords) turn.words.resize(kMaxTurnWords);
  for (auto& w : turn.words) w = recordText(w, kMaxNameBytes);
  turn.player = recordText(turn.player, kMaxNameBytes);
  seat(turn.seat, turn.player);
  turn.totals = totals_;
  record.turns.push_back(std::move(turn));
}

void GameLog::finish(const std::string& winner, const std::array<bool, 4>& seatHeld) {
  if (!active) return;
  for (SeatRecord& s : record.players) s.left = !seatHeld[static_cast<std::size_t>(s.seat - 1)];
  record.winner = recordText(winner, 4 * kMaxNameBytes);
  record.finalScores = totals_;
  record.ended = now();
  record.finished = true;
  active = false;
}

}  // namespace korvel::client

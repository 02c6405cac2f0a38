#include "client/game_log.h"

#include <algorithm>
#include <chrono>

#include "protocol/text_encoding.h"

namespace korvel::client {

namespace {

std::size_t jsonByteBytes(unsigned char c) {
  switch (c) {
    case '"':
    case '\\':
    case '\b':
    case '\f':
    case '\n':
    case '\r':
    case '\t':
      return 2;
    default:
      return c < 0x20 ? 6 : 1;  // \u001f
  }
}

// Names and words as the record keeps them: read by the program's one text rule (a Windows-1252
// peer's "Jürgen" stays "Jürgen"; control characters dropped), then cut without splitting a
// character to what takes at most `most` bytes in the game file, so that the record is always valid
// UTF-8 and its file small enough to read back whatever characters a host sends.
std::string recordText(const std::string& bytes, std::size_t most) {
  std::string text = protocol::cleanTextFromBytes(bytes);
  std::size_t used = 0;
  std::size_t end = 0;
  while (end < text.size()) {
    std::size_t next = end + 1;
    while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
    std::size_t cost = 0;
    for (std::size_t i = end; i < next; ++i)
      cost += jsonByteBytes(static_cast<unsigned char>(text[i]));
    if (used + cost > most) break;
    used += cost;
    end = next;
  }
  text.resize(end);
  return text;
}

}  // namespace

std::size_t jsonTextBytes(std::string_view text) {
  std::size_t n = 0;
  for (char c : text) n += jsonByteBytes(static_cast<unsigned char>(c));
  return n;
}

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
      }),
      steadyMs([] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
      }) {}

void GameLog::begin(int localSeat, int turnSeconds, bool fromStart) {
  record = GameRecord{};
  record.started = now();
  // Out of range from a broken host, they would make a file that does not read back.
  record.turnSeconds = std::max(turnSeconds, 0);
  record.localSeat = localSeat >= 0 && localSeat <= 9 ? localSeat : 0;
  record.fromStart = fromStart;
  if (computerLevel) record.computerLevel = recordText(computerLevel(), 16);
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

void GameLog::startCell(int x, int y, int code) {
  if (x < 0 || x > 10 || y < 0 || y > 10 || code < 1 || code > 26) return;
  auto& cells = record.startBoard;
  auto it = std::find_if(cells.begin(), cells.end(),
                         [x, y](const CellRecord& c) { return c.x == x && c.y == y; });
  if (it != cells.end())
    it->code = code;
  else
    cells.push_back({x, y, code});
}

void GameLog::add(TurnRecord turn) {
  if (!active || record.turns.size() >= kGameTurns) return;
  if (turn.tiles.size() > kMaxTurnTiles) turn.tiles.resize(kMaxTurnTiles);
  // The main word comes first and keeps its place; the words of one turn share one allowance.
  std::vector<std::string> words;
  std::size_t left = kMaxTurnWordBytes;
  for (const auto& w : turn.words) {
    if (words.size() == kMaxTurnWords) break;
    std::string kept = recordText(w, left);
    if (kept.empty() && !w.empty()) break;
    left -= jsonTextBytes(kept);
    words.push_back(std::move(kept));
  }
  turn.words = std::move(words);
  turn.player = recordText(turn.player, kMaxNameBytes);
  seat(turn.seat, turn.player);
  turn.totals = totals_;
  record.turns.push_back(std::move(turn));
}

void GameLog::moveAccepted() {
  if (active) record.played = true;
}

void GameLog::finish(const std::string& winner, const std::array<bool, 4>& seatHeld) {
  if (!active) return;
  for (SeatRecord& s : record.players) s.left = !seatHeld[static_cast<std::size_t>(s.seat - 1)];
  record.winner = recordText(winner, kMaxWinnerBytes);
  record.finalScores = totals_;
  record.ended = now();
  record.finished = true;
  active = false;
}

bool GameLog::claimSave() {
  if (!record.finished) return false;
  const bool played = std::any_of(record.turns.begin(), record.turns.end(),
                                  [](const TurnRecord& t) { return t.kind != TurnKind::Watching; });
  if (!played) return false;
  const std::int64_t at = steadyMs();
  if (lastSavedMs_ && at - *lastSavedMs_ < kSaveIntervalMs) return false;
  lastSavedMs_ = at;
  return true;
}

}  // namespace korvel::client

// The server's messages as the client mirror reads them.

#include "client/game_mirror.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <utility>

#include "protocol/message.h"

namespace korvel::client {

using protocol::FieldReader;

namespace {

// A hostile or broken host must not make the client write outside its arrays: every number that
// indexes something is checked, and an item that fails the check is skipped.
bool isSeatNumber(int n) {
  return n >= 1 && n <= 9;
}
bool isCell(int x, int y) {
  return x >= 0 && x < kBoardCells && y >= 0 && y < kBoardCells;
}
bool isSlot(int slot) {
  return slot >= 1 && slot <= kRackSlots;
}
bool isLetter(int code) {
  return code >= 1 && code <= 26;
}
bool isRackCode(int code) {
  return isLetter(code) || code == -1;
}
// The host chooses the turn time; any positive number of seconds is a clock the mirror can run.
bool isLimit(int limit) {
  return limit > 0;
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

GameMirror::GameMirror() {
  static constexpr std::array<const char*, kSeats> kStandby = {"", "Klot", "Klick", "Kling"};
  for (int n = 0; n < kSeats; ++n) seat[n].standby = kStandby[n];
  for (int n = 0; n < kRackSlots; ++n) rack[n].x = rackleft[n];
}

std::optional<std::string> playerrorText(int code) {
  static constexpr std::array<const char*, 9> kTexts = {
      "Not enough Letters",
      "Invalid Placement",
      "Can only build one tile at a time.",
      "Invalid Word(s)",
      "Invalid",
      "Invalid Word",
      "One letter must be touching another letter",
      "The first word must be on the starting square.",
      "Invalid Tile",
  };
  if (code < 1 || code > 9) return std::nullopt;
  return kTexts[code - 1];
}

std::vector<std::string> GameMirror::loginAnswer(int seat, std::string_view loginname,
                                                 std::string_view key) {
  std::vector<std::string> answer;
  if (!key.empty()) answer.push_back(protocol::toserver::seatkey(key));
  answer.push_back(
      protocol::toserver::logininfo(std::to_string(seat), protocol::kVersion, loginname));
  return answer;
}

std::string GameMirror::seatLabel(int number) const {
  if (number < 1 || number > seats || number > kSeats) return {};
  return seat[number - 1].name;
}

Outcome GameMirror::handleLine(std::string_view line) {
  Outcome out;
  const auto split = protocol::splitLine(line);
  if (!split.command.empty()) handle(split.command, split.argument, out);
  return out;
}

bool GameMirror::handle(std::string_view command, std::string_view body, Outcome& out) {
  using Handler = void (GameMirror::*)(std::string_view, Outcome&);
  static const std::pair<std::string_view, Handler> kTable[] = {
      {"CMD_newplayerinfo", &GameMirror::newplayerinfo},
      {"CMD_existingplayers", &GameMirror::newplayerinfo},
      {"CMD_playerdisconnected", &GameMirror::playerdisconnected},
      {"CMD_seatkept", &GameMirror::seatkept},
      {"CMD_justwatching", &GameMirror::justwatching},
      {"CMD_startgame", &GameMirror::startthegame},
      {"CMD_nextplayer", &GameMirror::getnextplayer},
      {"CMD_winner", &GameMirror::winner},
      {"CMD_mytiles", &GameMirror::mytiles},
      {"CMD_playerror", &GameMirror::playerror},
      {"CMD_goodword", &GameMirror::goodword},
      {"CMD_hepassed", &GameMirror::hepassed},
      {"CMD_loadboard", &GameMirror::loadboard},
      {"CMD_gamestats", &GameMirror::gamestats},
      {"CMD_notiles", &GameMirror::notiles},
      {"CMD_newtiles", &GameMirror::newtiles},
      {"CMD_boughtnew", &GameMirror::boughtnew},
  };
  try {
    if (command == "CMD_havewrongversion") {
      out.chat.push_back("0+" + std::string(body) +
                         " has a different version of the game then you.");
      return true;
    }
    if (command == "CMD_wrongversion") {
      out.chat.push_back("0+You have a differnt version of the game then the host.");
      return true;
    }
    if (command == "CMD_seatkey") {
      if (protocol::isSeatKey(body) && body != seatKey) {
        seatKey = std::string(body);
        out.seatKeyGiven = true;
      }
      return true;
    }
    if (command == "CMD_full") {
      out.full = true;
      return true;
    }
    if (command == "CMD_drawn") {
      // A newcomer was dealt a rack in the running game: the bag has fewer tiles now.
      setTilesLeft(protocol::parseInt(body));
      return true;
    }
    if (command == "CMD_timeup") {
      timeup(out);
      return true;
    }
    for (const auto& [word, handler] : kTable) {
      if (word == command) {
        (this->*handler)(body, out);
        return true;
      }
    }
  } catch (const protocol::ParseError&) {
    // A field that does not parse ends this message; what was done before stays done.
    return true;
  }
  return false;
}

void GameMirror::newplayerinfo(std::string_view body, Outcome& out) {
  FieldReader r(body);
  r.beginList();
  while (!r.atListEnd()) {
    const int n = r.intField();
    const std::string name = r.field();
    const std::string flag = r.field();
    // A seat without a name is a connection still logging in: nobody to announce yet.
    if (!isSeatNumber(n) || name.empty()) continue;
    if (n == myplayer) {
      out.chat.push_back("0+You are Connected.");
      // One reload per message, however often a list names the own seat.
      out.loadSettings = 1;
    } else {
      out.chat.push_back("0+" + name + " is Connected.");
    }
    if (n <= seats) {
      seat[n - 1].name = name;
      seat[n - 1].away.clear();
      seat[n - 1].awaySeconds = 0;
      if (flag == "1") seat[n - 1].eyes = true;
    } else {
      setSpectator(n, name);
      out.chat.push_back(n == myplayer ? "0+You are spying." : "0+" + name + " is spying.");
    }
  }
  out.cues.push_back("entered");
}

void GameMirror::playerdisconnected(std::string_view body, Outcome& out) {
  FieldReader r(body);
  const int n = r.intField();
  const std::string name = r.rest();
  if (!isSeatNumber(n)) return;
  if (n <= seats) {
    SeatView& s = seat[n - 1];
    // A seat that shows its stand-by name had nobody in it.
    const bool someone = s.name != kWaiting && s.name != s.standby && s.awaySeconds == 0;
    if (someone) out.chat.push_back("0+" + s.name + " disconnected.");
    s.away = someone ? s.name : std::string();
    s.awaySeconds = 0;
    s.name = kWaiting;
    s.eyes = false;
    return;
  }
  const std::string entry = std::to_string(n) + ": " + name;
  if (auto it = std::find(spectators.begin(), spectators.end(), entry); it != spectators.end()) {
    out.chat.push_back("0+" + name + " has left.");
    spectators.erase(it);
  }
}

std::string awayLabel(const std::string& name, int seconds) {
  const int s = seconds % 60;
  return name + " (away) " + std::to_string(seconds / 60) + (s < 10 ? ":0" : ":") +
         std::to_string(s);
}

void GameMirror::seatkept(std::string_view body, Outcome&) {
  FieldReader r(body);
  const int n = r.intField();
  const int seconds = protocol::parseInt(r.rest());
  if (n < 1 || n > seats || n > kSeats) return;
  SeatView& s = seat[n - 1];
  // Only a seat that just lost its player; the host never keeps one for longer than ten minutes.
  if (s.away.empty() || s.name != kWaiting || seconds < 1) return;
  s.awaySeconds = std::min(seconds, 600);
  s.name = awayLabel(s.away, s.awaySeconds);
}

void GameMirror::tickAway() {
  for (SeatView& s : seat) {
    if (s.awaySeconds <= 0) continue;
    s.name = --s.awaySeconds > 0 ? awayLabel(s.away, s.awaySeconds) : kWaiting;
    if (s.awaySeconds == 0) s.away.clear();
  }
}

void GameMirror::clearAway() {
  for (SeatView& s : seat) {
    if (s.awaySeconds <= 0) continue;
    s.awaySeconds = 0;
    s.away.clear();
    s.name = kWaiting;
  }
}

void GameMirror::justwatching(std::string_view body, Outcome& out) {
  FieldReader r(body);
  const int n = r.intField();
  if (n < 1 || n > seats) return;
  SeatView& s = seat[n - 1];
  const bool watching = r.rest() == "1";
  if (n == myplayer) justWatchChecked = watching;
  out.chat.push_back("0+" + s.name + (watching ? " is just watching" : " is now playing again"));
  s.eyes = watching;
  if (watching) logTurn(n, TurnKind::Watching);
}

void GameMirror::clearall() {
  for (int n = 0; n < seats; ++n) {
    seat[n].score = "0";
    seat[n].bonus.clear();
  }
  for (auto& column : board) column.fill(tboard{});
}

void GameMirror::setLimit(int limit) {
  turnlimit = limit;
  // A turn longer than the bar has pixels shows a full bar until its last seconds.
  barstep = std::max(1, kBarWidth / turnlimit);
}

void GameMirror::startthegame(std::string_view body, Outcome& out) {
  FieldReader r(body);
  const std::string name = r.field();
  r.field();  // the score to play to
  const std::string limit = r.field();
  buttonsVisible = false;
  words.clear();
  startVisible = false;
  justWatchChecked = false;
  // The server clears every seat's watching at a start.
  for (SeatView& s : seat) s.eyes = false;
  held.fill(kRackSlots);
  winnerVisible = false;
  gameRunning = true;
  clearall();
  out.boardChanged = true;
  const bool mine = myplayer >= 1 && myplayer <= seats && seatLabel(myplayer) == name;
  out.chat.push_back(mine ? "0+You have started a game." : "0+" + name + " has started a game.");
  heldtile.clear();
  if (const int seconds = protocol::parseInt(limit); isLimit(seconds)) setLimit(seconds);
  logStart(turnlimit);
}

void GameMirror::setSpectator(int n, const std::string& name) {
  // A seat holds one spectator: a new announcement replaces the seat's entry, so the list never
  // holds more than the spectator seats however often they are announced.
  const std::string prefix = std::to_string(n) + ": ";
  std::string entry = prefix + name;
  for (auto& s : spectators) {
    if (s.compare(0, prefix.size(), prefix) == 0) {
      s = std::move(entry);
      return;
    }
  }
  spectators.push_back(std::move(entry));
}

int GameMirror::tilesInBag() const {
  return std::atoi(tilesleft.c_str());  // always written by setTilesLeft as a plain number
}

void GameMirror::setTilesLeft(int drawn) {
  // Clamped before the subtraction: the count is a wire number and may be anything.
  tilesleft = std::to_string(kBagSize - std::clamp(drawn, 0, kBagSize));
}

void GameMirror::getnextplayer(std::string_view body, Outcome& out) {
  FieldReader r(body);
  const int n = r.intField();
  const int drawn = r.intField();
  if (n < 1 || n > seats) return;
  // Tiles still laid here were never accepted (the turn was taken away by Just Watch or moved
  // on): the server's board does not have them and its rack still does, so they go home.
  clearwordInto(out);
  out.boardChanged = true;
  whoseturn = n;
  turnTop = kSeatTop[n - 1] - 3;
  buttonsVisible = false;
  SeatView& s = seat[n - 1];
  if (whoseturn == myplayer) {
    buttonsVisible = true;
    status = "Your Turn.";
    out.cues.push_back(turnSoundNew ? "turnnew" : "turn");
  } else {
    status = s.name + "'s turn.";
  }
  setTilesLeft(drawn);
  if (turnlimit > 0) {
    turnclock = turnlimit;
    clockRunning = true;
    out.clock = Outcome::Clock::Restart;
    showClock();
  }
  if (s.name == kWaiting) s.name = s.standby;
}

void GameMirror::mytiles(std::string_view body, Outcome& out) {
  FieldReader r(body);
  if (r.intField() != myplayer) return;
  r.beginList();
  while (!r.atListEnd()) {
    const int slot = r.intField();
    const int code = r.intField();
    if (!isSlot(slot) || !isRackCode(code)) continue;
    RackImage& image = rack[slot - 1];
    image = {code, rackleft[slot - 1], kRackTop, true};
    if (carriedSlot() == slot) heldtile.clear();
  }
  (void)out;
}

void GameMirror::setScore(int n, int total, const std::string& bonus) {
  if (n < 1 || n > seats) return;
  seat[n - 1].score = std::to_string(total);
  seat[n - 1].bonus = bonus;
  history.setTotal(n, total);
}

void GameMirror::setBoardLetter(int x, int y, int code, Outcome& out) {
  if (!isCell(x, y) || !isLetter(code)) return;
  tboard& cell = board[x][y];
  cell.letter = code;
  cell.placedslot.clear();
  cell.placedfrom = 0;
  cell.underneath = 0;
  out.boardChanged = true;
}

void GameMirror::endTurn(Outcome& out) {
  whoseturn = 0;
  clockRunning = false;
  out.clock = Outcome::Clock::Stop;
  buttonsVisible = false;
}

void GameMirror::goodword(std::string_view body, Outcome& out) {
  FieldReader r(body);
  const int n = r.intField();
  const int total = r.intField();
  const int points = r.intField();
  words.clear();
  endTurn(out);
  for (auto& s : seat) s.bonus.clear();
  setScore(n, total, "+" + std::to_string(points));
  words.push_back("**** " + seatLabel(n) + " ****");
  clearLastMove();
  int laid = 0;
  r.beginList();
  while (!r.atListEnd()) {
    const std::string kind = r.field();
    if (kind == "l") {
      ++laid;
      const int x = r.intField();
      const int y = r.intField();
      const int slot = r.intField();
      const int code = r.intField();
      logLaid(x, y, slot, code);  // before the letter lands, to see what it covers
      setBoardLetter(x, y, code, out);
    } else if (kind == "w") {
      words.push_back(upper(r.field()));
    } else {
      break;  // an unknown group cannot be skipped
    }
  }
  if (n >= 1 && n <= kSeats) {
    // The bag as it was before this move's refill: the draws are counted at the next turn.
    int& h = held[static_cast<std::size_t>(n) - 1];
    h = std::clamp(h - laid + std::min(laid, tilesInBag()), 0, kRackSlots);
  }
  status = "Word Created!";
  out.cues.push_back("goodword");
  logTurn(n, TurnKind::Word, points);
}

void GameMirror::playerror(std::string_view body, Outcome& out) {
  FieldReader r(body);
  if (r.intField() != myplayer) return;
  moveSent_ = false;
  const int code = r.intField();
  if (auto text = playerrorText(code)) status = *text;
  if (code == 6) reportMissingWords(out);  // "Invalid Word"
  out.cues.push_back("invalid");
  whoseturn = myplayer;
}

void GameMirror::hepassed(std::string_view body, Outcome& out) {
  FieldReader r(body);
  const int n = r.intField();
  if (!isSeatNumber(n)) return;
  logTurn(n, TurnKind::Pass);
  endTurn(out);
  status = n == myplayer ? "You Passed." : seatLabel(n) + " passed.";
  out.cues.push_back("pass");
}

void GameMirror::timeup(Outcome& out) {
  status = "Time Up!";
  moveSent_ = false;  // a move still on its way is refused
  logTurn(whoseturn, TurnKind::TimeUp);
  endTurn(out);
  clearwordInto(out);
  out.cues.push_back("timeup");
}

void GameMirror::loadboard(std::string_view body, Outcome& out) {
  FieldReader r(body);
  if (r.intField() != myplayer) return;
  logJoined();
  r.beginList();
  while (!r.atListEnd()) {
    const int x = r.intField();
    const int y = r.intField();
    const int code = r.intField();
    setBoardLetter(x, y, code, out);
    history.startCell(x, y, code);
  }
}

void GameMirror::gamestats(std::string_view body, Outcome& out) {
  FieldReader r(body);
  if (r.intField() != myplayer) return;
  const int limit = r.intField();
  const int left = r.intField();
  const int whose = r.intField();
  const int drawn = r.intField();
  const bool clockOk = isLimit(limit);
  logJoined();
  if (clockOk) history.record.turnSeconds = limit;
  if (clockOk) turnclock = std::clamp(left, 0, limit);
  if (whose >= 0 && whose <= 9) whoseturn = whose;
  r.beginList();
  while (!r.atListEnd()) {
    const std::string kind = r.field();
    if (kind == "s") {
      const int n = r.intField();
      const int score = r.intField();
      if (n < 1 || n > seats) continue;
      seat[n - 1].score = std::to_string(score);
      // The host does not say what the last move gained: no gain shows rather than a false 0.
      seat[n - 1].bonus.clear();
      history.setTotal(n, score);
    } else if (kind == "t") {
      const int slot = r.intField();
      const int code = r.intField();
      if (!isSlot(slot) || !isRackCode(code)) continue;
      rack[slot - 1] = {code, rackleft[slot - 1], kRackTop, true};
    } else {
      break;
    }
  }
  setTilesLeft(drawn);
  gameRunning = true;
  if (clockOk) {
    setLimit(limit);
    clockRunning = true;
    out.clock = Outcome::Clock::Restart;
    showClock();
  }
  heldtile.clear();
  // A window that joins or comes back in the middle of a turn shows whose turn it is at once, its
  // own included (a kept seat keeps its turn), not only from the next turn on.
  if (whose >= 1 && whose <= seats && whose <= kSeats) {
    turnTop = kSeatTop[whose - 1] - 3;
    buttonsVisible = whose == myplayer;
    status = whose == myplayer ? "Your Turn." : seatLabel(whose) + "'s turn.";
  }
}

void GameMirror::notiles(std::string_view body, Outcome& out) {
  FieldReader r(body);
  if (r.intField() != myplayer) return;
  moveSent_ = false;
  status = "There are no more tiles.";
  out.cues.push_back("invalid");
  whoseturn = myplayer;
}

void GameMirror::newtiles(std::string_view body, Outcome& out) {
  FieldReader r(body);
  const int n = r.intField();
  const int total = r.intField();
  const int price = r.intField();
  setScore(n, total, "-" + std::to_string(price));
  if (n != myplayer) return;
  logTurn(n, TurnKind::Bought, price);  // the rack as it was before the exchange
  r.beginList();
  while (!r.atListEnd()) {
    const int slot = r.intField();
    const int code = r.intField();
    if (isSlot(slot) && isRackCode(code)) rack[slot - 1].code = code;
  }
  status = "You bought new tiles.";
  whoseturn = myplayer;
  out.cues.push_back("newtiles");
}

void GameMirror::boughtnew(std::string_view body, Outcome& out) {
  FieldReader r(body);
  const int n = r.intField();
  const int total = r.intField();
  const int price = r.intField();
  if (n < 1 || n > seats) return;
  setScore(n, total, "-" + std::to_string(price));
  // An exchange swaps every slot that ever held a tile, emptied ones too, while the bag has any.
  if (tilesInBag() > 0) held[static_cast<std::size_t>(n) - 1] = kRackSlots;
  status = seat[n - 1].name + " bought new tiles.";
  logTurn(n, TurnKind::Bought, price);
  out.cues.push_back("newtiles");
}

void GameMirror::winner(std::string_view body, Outcome& out) {
  FieldReader r(body);
  const std::string names = r.field();
  clearAway();  // the host keeps no seat past its game
  // The game can end inside a turn (the player to move left or sat out and nobody is left):
  // the clock stops, the board closes and laid tiles go home.
  endTurn(out);
  clearwordInto(out);
  out.cues.push_back("gameover");
  const bool seated = myplayer >= 1 && myplayer <= seats;
  const bool mine = seated && seatLabel(myplayer) == names;
  // No names: every player seat was empty at the end, so nobody won and nothing is tallied.
  winnerText = names.empty() ? "Nobody has Won the Game!"
               : mine        ? "You have Won the Game!"
                             : names + " has Won the Game!";
  status = "Game Over!";
  out.chat.push_back("0+" + winnerText);
  logEnd(names, out);
  winnerVisible = true;
  gameRunning = false;
  if (hosting) startVisible = true;
  if (!seated || names.empty()) return;
  out.tally = Outcome::Tally{names, mine, otherPlayers()};
}

std::optional<int> GameMirror::takeLoginSeat(std::string_view number, Outcome& out) {
  int seatNumber = 0;
  try {
    seatNumber = protocol::parseInt(number);
  } catch (const protocol::ParseError&) {
  }
  // A seat no game has would otherwise go into this game's record and make it unreadable.
  if (seatNumber < 1 || seatNumber > 9) {
    out.chat.push_back("0+The host gave this window a seat that does not exist; it was refused.");
    return std::nullopt;
  }
  myplayer = seatNumber;
  connected = true;
  return seatNumber;
}

std::vector<std::string> GameMirror::otherPlayers() const {
  std::vector<std::string> names;
  for (int n = 1; n <= seats; ++n) {
    if (n != myplayer && seatLabel(n) != kWaiting) names.push_back(seatLabel(n));
  }
  return names;
}

}  // namespace korvel::client

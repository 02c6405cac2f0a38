// Reconnecting to the host after the connection dropped: the decisions, and the mirror starting
// over on the same window.

#include "client/game_mirror_reconnect.h"

#include <cstdlib>
#include <utility>

#include "client/game_summary.h"
#include "protocol/message.h"

namespace korvel::client {

namespace {

int bagCount(const GameMirror& game) {
  return std::atoi(game.tilesleft.c_str());  // the mirror writes it as a plain number
}

// Whether a player list (CMD_newplayerinfo, CMD_existingplayers) names `seat`.
bool namesSeat(std::string_view body, int seat) {
  try {
    protocol::FieldReader r(body);
    r.beginList();
    while (!r.atListEnd()) {
      const int n = r.intField();
      r.field();  // the name
      r.field();  // the watching flag
      if (n == seat) return true;
    }
  } catch (const protocol::ParseError&) {
  }
  return false;
}

// Whether a message's first field is `seat`.
bool forSeat(std::string_view body, int seat) {
  try {
    protocol::FieldReader r(body);
    return r.intField() == seat;
  } catch (const protocol::ParseError&) {
    return false;
  }
}

}  // namespace

bool worthReconnecting(const GameMirror& game) {
  return game.gameRunning && !game.hosting && game.myplayer >= 1 && game.myplayer <= kSeats;
}

std::string lastTryText(TryMet met) {
  switch (met) {
    case TryMet::Nothing:
      return {};
    case TryMet::Refused:
      return "Last try: nobody answered at the host's address.";
    case TryMet::Unreachable:
      return "Last try: the host could not be reached.";
    case TryMet::Reset:
      return "Last try: the connection was reset.";
    case TryMet::Closed:
      return "Last try: the host closed the connection.";
    case TryMet::Full:
      return "Last try: the host's game is full.";
    case TryMet::Silent:
      return "Last try: the host did not answer.";
    case TryMet::NotUnderstood:
      return "Last try: the host's answer was not understood.";
  }
  return {};
}

TryMet errorMet(std::string_view message) {
  if (message.find("(ConnectionRefusedError)") != std::string_view::npos) return TryMet::Refused;
  // A host that resets the connection as soon as it is made may fail it before it is reported.
  if (message.find("(RemoteHostClosedError)") != std::string_view::npos) return TryMet::Reset;
  return TryMet::Unreachable;
}

HeldGame HeldGame::of(const GameMirror& game, std::string name) {
  HeldGame held;
  held.seat = game.myplayer;
  held.name = std::move(name);
  held.seats = game.seats;
  held.turnSeconds = game.turnlimit;
  held.tilesLeft = bagCount(game);
  held.seatKey = game.seatKey;
  for (int x = 0; x < kBoardCells; ++x) {
    for (int y = 0; y < kBoardCells; ++y) {
      const tboard& cell = game.board[x][y];
      // An own tile laid this turn is not on the host's board; what it covers is.
      held.occupied[x][y] = cell.placedslot.empty() ? cell.letter != 0 : cell.underneath != 0;
    }
  }
  return held;
}

Landing judgeLanding(const HeldGame& held, const GameMirror& landed, bool startedAnew) {
  if (!landed.gameRunning || startedAnew) return Landing::OtherGame;
  if (landed.turnlimit != held.turnSeconds || bagCount(landed) > held.tilesLeft) {
    return Landing::OtherGame;
  }
  for (int x = 0; x < kBoardCells; ++x) {
    for (int y = 0; y < kBoardCells; ++y) {
      if (held.occupied[x][y] && landed.board[x][y].letter == 0) return Landing::OtherGame;
    }
  }
  if (landed.myplayer != held.seat || landed.seatLabel(held.seat) != held.name) {
    return Landing::OtherSeat;
  }
  return Landing::Back;
}

std::string landingText(Landing landing) {
  switch (landing) {
    case Landing::Back:
      return {};
    case Landing::OtherSeat:
      return "The host has given your seat to someone else";
    case Landing::OtherGame:
      return "The host is now playing another game";
  }
  return {};
}

void Reconnect::start(Clock::time_point now, HeldGame held) {
  active_ = true;
  deadline_ = now + kFor;
  refusals_ = 0;
  opening_ = false;
  held_ = std::move(held);
  attempt_.reset();
  met_ = TryMet::Nothing;
  landing_ = Landing::Back;
  seat_ = 0;
  lines_.clear();
}

Reconnect::Step Reconnect::tick(Clock::time_point now) {
  if (!active_) return Step::Wait;
  if (now >= deadline_) {
    stop();
    return Step::GiveUp;
  }
  if (!attempt_) {
    // The attempt before has neither connected nor failed by now: a host whose machine is gone
    // answers nothing at all.
    if (opening_) ended(TryMet::Unreachable);
    opening_ = true;
    return Step::Try;
  }
  if (now < attempt_->deadline) return Step::Wait;
  // Seated, but no game came with the seat: the host is not playing the held game any more.
  if (attempt_->loggedIn) return land(Landing::OtherGame);
  // A host that accepts and then says nothing useful is one failed attempt: a fresh one now.
  met_ = failedAs(*attempt_, TryMet::Silent);
  attempt_.reset();
  refusals_ = 0;
  opening_ = true;
  return Step::Try;
}

void Reconnect::connected(Clock::time_point now) {
  if (!active_) return;
  opening_ = false;
  attempt_.emplace();
  attempt_->deadline = now + kAnswerWithin;
  attempt_->landed.seats = held_.seats;
}

Reconnect::Step Reconnect::socketError(TryMet met) {
  if (!active_) return Step::Wait;
  if (attempt_) {
    attempt_->reset = true;
    return Step::Wait;
  }
  return ended(met);
}

Reconnect::Step Reconnect::socketClosed() {
  if (!active_ || !attempt_) return Step::Wait;
  const TryMet met = failedAs(*attempt_, attempt_->reset ? TryMet::Reset : TryMet::Closed);
  attempt_.reset();
  return ended(met);
}

TryMet Reconnect::failedAs(const Attempt& a, TryMet otherwise) const {
  return a.strange && !a.loggedIn ? TryMet::NotUnderstood : otherwise;
}

Reconnect::Step Reconnect::ended(TryMet met) {
  if (!active_) return Step::Wait;
  opening_ = false;
  met_ = met;
  // Only refusals in a row say the host ended: a network still down answers nothing at all, or
  // an error of its own, and a host that answers anything is still there.
  refusals_ = met == TryMet::Refused ? refusals_ + 1 : 0;
  if (refusals_ >= kRefusals) {
    stop();
    return Step::HostEnded;
  }
  return Step::Wait;
}

Reconnect::Step Reconnect::dropped(TryMet met) {
  met_ = met;
  attempt_.reset();
  refusals_ = 0;
  return Step::Drop;
}

Reconnect::Step Reconnect::land(Landing landing) {
  landing_ = landing;
  if (landing == Landing::Back) {
    seat_ = attempt_->landed.myplayer;
    lines_ = std::move(attempt_->lines);
  }
  stop();
  return landing == Landing::Back ? Step::Back : Step::Elsewhere;
}

Reconnect::Step Reconnect::take(std::string_view line, Outcome& out) {
  if (!active_ || !attempt_) return Step::Wait;
  Attempt& a = *attempt_;
  const auto split = protocol::splitLine(line);
  // A full house keeps no place for this window now; it may have one on a later try.
  if (split.command == "CMD_full") return dropped(TryMet::Full);
  Outcome ignored;
  if (split.command == "CMD_sendlogininfo") {
    // The host may move the login from the seat it gave first to the seat it kept.
    const auto seat = a.landed.takeLoginSeat(split.argument, ignored);
    if (!seat) {
      a.strange = true;
      return Step::Wait;
    }
    a.loggedIn = false;
    a.stats = false;
    for (std::string& message :
         GameMirror::loginAnswer(*seat, held_.name + protocol::kTerminator, held_.seatKey)) {
      out.send.push_back(std::move(message));
    }
    return Step::Wait;
  }
  if (split.command.rfind("CMD_", 0) != 0) a.strange = true;
  if (a.lines.size() >= kMaxLines) return dropped(failedAs(a, TryMet::Silent));
  a.lines.emplace_back(line);
  const int mine = a.landed.myplayer;
  if (split.command == "CMD_startgame") a.startedAnew = true;
  if (mine != 0 &&
      (split.command == "CMD_newplayerinfo" || split.command == "CMD_existingplayers") &&
      namesSeat(split.argument, mine)) {
    a.loggedIn = true;
  }
  if (mine != 0 && split.command == "CMD_gamestats" && forSeat(split.argument, mine)) {
    a.stats = true;
  }
  a.landed.handle(split.command, split.argument, ignored);
  if (!a.loggedIn || !a.stats) return Step::Wait;
  return land(judgeLanding(held_, a.landed, a.startedAnew));
}

void Reconnect::leftOver(std::string_view tail) {
  if (attempt_ && !tail.empty() && tail.rfind("CMD_", 0) != 0) attempt_->strange = true;
}

void Reconnect::stop() {
  active_ = false;
  opening_ = false;
  refusals_ = 0;
  attempt_.reset();
}

void GameMirror::startOver() {
  GameMirror fresh;
  // The record of this game goes on where it stopped; the options stay as the player set them.
  fresh.history = std::move(history);
  fresh.isWord = std::move(isWord);
  fresh.turnSoundNew = turnSoundNew;
  fresh.hosting = hosting;
  fresh.seats = seats;
  // The key of the seat this window held: what gets that seat back.
  fresh.seatKey = std::move(seatKey);
  *this = std::move(fresh);
}

void GameMirror::stopPlay(Outcome& out) {
  clearwordInto(out);
  if (const int slot = carriedSlot()) {
    rack[slot - 1].x = rackleft[slot - 1];
    rack[slot - 1].y = kRackTop;
    heldtile.clear();
    out.boardChanged = true;
  }
  endTurn(out);
}

void GameMirror::connectionLost(Outcome& out) {
  stopPlay(out);
  connected = false;
  status = "Connection to the host lost.";
}

void GameMirror::hostEnded(Outcome& out) {
  stopPlay(out);
  gameRunning = false;
  connected = false;
  startVisible = false;
  status = kHostEndedText;
  out.chat.push_back(std::string("0+") + kHostEndedText);
  if (!history.active) return;
  history.record.hostEnded = true;
  logEnd("", out);
}

void GameMirror::leftBehind(const std::string& why, Outcome& out) {
  stopPlay(out);
  gameRunning = false;
  connected = false;
  startVisible = false;
  justWatchChecked = false;
  status = why;
  out.chat.push_back("0+" + why);
}

}  // namespace korvel::client

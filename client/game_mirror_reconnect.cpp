// Reconnecting to the host after the connection dropped: the decisions, and the mirror starting
// over on the same window.

#include "client/game_mirror_reconnect.h"

#include <utility>

namespace korvel::client {

bool worthReconnecting(const GameMirror& game) {
  return game.gameRunning && !game.hosting && game.myplayer >= 1 && game.myplayer <= kSeats;
}

void Reconnect::start(Clock::time_point now) {
  active_ = true;
  deadline_ = now + kFor;
  refusals_ = 0;
}

Reconnect::Step Reconnect::tick(Clock::time_point now) {
  if (!active_) return Step::Wait;
  if (now >= deadline_) {
    active_ = false;
    return Step::GiveUp;
  }
  return Step::Try;
}

Reconnect::Step Reconnect::failed(bool refused) {
  if (!active_) return Step::Wait;
  // Only refusals in a row say the host ended: a network still down answers nothing at all, or
  // an error of its own, and says nothing about the host.
  refusals_ = refused ? refusals_ + 1 : 0;
  if (refusals_ >= kRefusals) {
    active_ = false;
    return Step::HostEnded;
  }
  return Step::Wait;
}

void Reconnect::stop() {
  active_ = false;
  refusals_ = 0;
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

}  // namespace korvel::client

// The turn machine: game start, next turn, the turn clock, passes and the game end.
#include <string>

#include "server/server_core.h"

namespace korvel::server {

namespace toclient = protocol::toclient;
using protocol::FieldReader;

void ServerCore::startgame(std::string_view argument, int sender) {
  // Only the host starts games; from anyone else a start would wipe a running game.
  if (sender != 1) return;
  FieldReader reader(argument);
  const std::string name = reader.field();
  const std::string score = reader.field();
  const std::string seconds = reader.field();
  const std::string team = reader.field();

  stoptimer1();
  // Seats kept in a game that ends by this start are free for the new one.
  forgetkept();
  gameon = true;
  try {
    turnseconds = protocol::parseInt(seconds);
  } catch (const protocol::ParseError&) {
    turnseconds = kDefaultTurnSeconds;
  }
  sendtoall(toclient::startgame(name, score, turnseconds, team));
  moves.board.clear();
  for (int s = 1; s <= maxplayers; ++s) {
    tplayer& p = players[s];
    p.score = 0;
    p.watching = false;
    p.passed = false;
    p.ingame = p.inuse;
  }
  currentplayer = 0;
  moves.firstmove = true;
  shuffleletters();
  dealtiles();
  findplayer();
}

bool ServerCore::nooneleft() const {
  for (int s = 1; s <= maxplayers; ++s) {
    if (players[s].inuse && !players[s].watching) return false;
  }
  return true;
}

void ServerCore::findplayer() {
  if (currentplayer != 0) {
    bool empty = true;
    for (int k = 1; k <= kRackSize; ++k) empty = empty && players[currentplayer].tiles[k] == -1;
    if (empty) {
      checkforwin();
      return;
    }
  }
  // With every player gone or watching there is nobody to give the turn to.
  if (nooneleft()) {
    checkforwin();
    return;
  }
  do {
    currentplayer = currentplayer % maxplayers + 1;
  } while (!players[currentplayer].inuse || players[currentplayer].watching);
  sendtoall(toclient::nextplayer(currentplayer, drawn));
  runtimer1(turnseconds, kTurnPhase);
}

void ServerCore::timer1Timer() {
  if (!timer1.enabled) return;
  if (gameon) tickkept();
  --countdown;
  if (countdown > 0) return;
  stoptimer1();
  if (timer1.tag == kTurnPhase) {
    timesup();
  } else if (timer1.tag == kPausePhase) {
    findplayer();
  }
}

void ServerCore::timesup() {
  sendtoall(toclient::timeup());
  runtimer1(4, kPausePhase);
}

void ServerCore::pass(std::string_view argument, int sender) {
  if (timer1.tag != kTurnPhase || !gameon) return;
  FieldReader reader(argument);
  if (!ownseat(reader, sender) || sender != currentplayer) return;
  players[sender].passed = true;
  sendtoall(toclient::hepassed(sender));
  for (int s = 1; s <= maxplayers; ++s) {
    const tplayer& p = players[s];
    if (p.inuse && !p.watching && !p.passed) {
      runtimer1(3, kPausePhase);
      return;
    }
  }
  checkforwin();
}

void ServerCore::checkforwin() {
  stoptimer1();
  gameon = false;
  forgetkept();
  // Only seats somebody holds take part: a seat left empty keeps 0 points (or a departed
  // player's score) and would otherwise win every game its occupants ended at or below that.
  int w = 0;
  for (int s = 1; s <= maxplayers; ++s) {
    if (players[s].inuse && (w == 0 || players[s].score > players[w].score)) w = s;
  }
  // With every player seat empty nobody won; the spectators still learn that the game is over.
  if (w == 0) {
    sendtoall(toclient::winner(""));
    return;
  }
  std::string text = displayname(w);
  for (int s = w + 1; s <= maxplayers; ++s) {
    if (players[s].inuse && players[s].score == players[w].score) text += " and " + displayname(s);
  }
  sendtoall(toclient::winner(text));
}

}  // namespace korvel::server

// The turn clock's tick and the menu requests (just watch, removing a participant).

#include <algorithm>

#include "client/game_mirror.h"
#include "protocol/message.h"

namespace korvel::client {

std::string clockText(int seconds) {
  const int s = seconds % 60;
  return "Time: " + std::to_string(seconds / 60) + (s < 10 ? ":0" : ":") + std::to_string(s);
}

void GameMirror::showClock() {
  if (turnclock < 1) {
    // The server decides when the turn ends; until it says so the clock rests at zero.
    turnclock = 0;
    timerText = "Time: 0:00";
    barWidth = 0;
    return;
  }
  barWidth = std::clamp(barstep * turnclock, 0, kBarWidth);
  timerBlack = turnclock < 20;
  timerText = clockText(turnclock);
}

Outcome GameMirror::tick() {
  Outcome out;
  tickAway();
  --turnclock;
  showClock();
  if (turnclock == 20 || turnclock == 15 || (turnclock >= 1 && turnclock <= 10)) {
    out.cues.push_back("tick");
  }
  return out;
}

Outcome GameMirror::justWatchClick() {
  Outcome out;
  // The check mark follows the server's answer, not the click.
  if (connected && myplayer >= 1 && myplayer <= seats) {
    out.send.push_back(protocol::toserver::justwatch(myplayer, justWatchChecked ? 2 : 1));
  }
  return out;
}

GameMirror::KickMenu GameMirror::kickMenu(int seatNumber) const {
  KickMenu menu;
  menu.remove = menu.setWatch = menu.unsetWatch = hosting;
  if (seatLabel(seatNumber) == kWaiting) menu.remove = false;
  if (seatNumber >= 1 && seatNumber <= kSeats && seat[seatNumber - 1].awaySeconds > 0) {
    menu.remove = false;  // nobody is connected there to remove
  }
  return menu;
}

Outcome GameMirror::kicking(int seatNumber) {
  Outcome out;
  if (hosting && connected) out.send.push_back(protocol::toserver::kickhim(myplayer, seatNumber));
  return out;
}

Outcome GameMirror::setJustWatch(int seatNumber, bool watch) {
  Outcome out;
  if (connected && seatNumber >= 1 && seatNumber <= seats) {
    out.send.push_back(protocol::toserver::justwatch(seatNumber, watch ? 1 : 2));
  }
  return out;
}

}  // namespace korvel::client

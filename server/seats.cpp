// Seats and connections: accepting, login, watching, removal, relays and departure.
#include <algorithm>
#include <string>
#include <vector>

#include "server/server_core.h"

namespace korvel::server {

namespace toclient = protocol::toclient;
using protocol::FieldReader;

int ServerCore::chooseseat(bool hostclient) const {
  const int first = hostseatreserved && !hostclient ? 2 : 1;
  // A kept seat counts as taken: it waits for its own player.
  for (int s = first; s <= seatsused; ++s) {
    if (!players[s].inuse && !iskept(s) && !connections_[s].claiming) return s;
  }
  const int next = std::max(seatsused, first - 1) + 1;
  if (next <= kMaxSeat) return next;
  // A full house lets a kept seat's player back: the seat is given for its login alone.
  for (int s = 2; s <= maxplayers; ++s) {
    if (iskept(s) && !players[s].inuse && !connections_[s].claiming) return s;
  }
  return next;
}

void ServerCore::seataccepted(int seat, std::uint64_t sock) {
  if (!validseat(seat)) return;
  if (seat > seatsused) seatsused = seat;
  connections_[seat] = {};
  if (iskept(seat)) {
    connections_[seat].claiming = true;
  } else {
    players[seat].inuse = true;
  }
  players[seat].sock = sock;
  removing_[seat] = false;
  out_.send(seat, toclient::sendlogininfo(seat));
}

void ServerCore::receivedlogininfo(std::string_view argument, int sender) {
  FieldReader reader(argument);
  const int seat = reader.intField();
  if (!validseat(seat) || seat != sender) return;
  // One login per connection: a second one must not move a seated or watching connection into
  // somebody's kept seat.
  if (connections_[seat].loggedin) return;
  const std::string version = reader.field();
  const std::string name = reader.rest();

  // A player whose seat is kept comes back into it, whatever seat this connection was given, when
  // it offers that seat's key: that seat is freed without a word, and the login asked for now
  // announces the player as usual. The name alone is anybody's (everybody sees it): without the
  // key the login is a newcomer's.
  const int keptseat = gameon ? keptseatfor(name) : 0;
  const bool ownkey = keptseat != 0 && !connections_[seat].key.empty() &&
                      connections_[seat].key == kept[keptseat].key;
  if (connections_[seat].claiming) {
    // Given a kept seat of a full house: its own player takes it; anybody else is refused as
    // at a full house. A seat whose grace time ended meanwhile is free for this login.
    connections_[seat].claiming = false;
    if (iskept(seat) && !(ownkey && keptseat == seat)) {
      out_.send(seat, toclient::full());
      removing_[seat] = true;
      out_.closeSeat(seat);
      return;
    }
    if (iskept(seat)) kept[seat] = {};
    players[seat].inuse = true;
  } else if (ownkey) {
    // Somebody given this seat at a full house meanwhile is not its player.
    if (connections_[keptseat].claiming) {
      out_.send(keptseat, toclient::full());
      removing_[keptseat] = true;
      out_.closeSeat(keptseat);
    }
    rejoin(seat, keptseat);
    return;
  }
  connections_[seat].loggedin = true;

  tplayer& p = players[seat];
  p.name = name;
  p.inuse = true;
  sendtoall(toclient::newplayerinfo(seat, name));

  // Only logged-in participants: a connection still waiting for its login (a newcomer, a player
  // coming back whose login moves it into its kept seat) has no name yet.
  std::vector<protocol::PlayerEntry> others;
  for (int s = 1; s <= seatsused; ++s) {
    if (s != seat && players[s].inuse && connections_[s].loggedin) {
      others.push_back({s, players[s].name, players[s].watching});
    }
  }
  if (!others.empty()) sendto(seat, toclient::existingplayers(others));

  if (version != protocol::kVersion) {
    if (players[1].inuse) sendto(1, toclient::havewrongversion(name));
    sendto(seat, toclient::wrongversion());
  }

  if (!gameon) {
    givekey(seat);
    return;
  }
  const auto cells = moves.board.occupiedCells();
  if (!cells.empty()) sendto(seat, toclient::loadboard(seat, cells));
  std::vector<int> scores;
  for (int n = 1; n <= maxplayers; ++n) scores.push_back(players[n].score);
  std::vector<protocol::SlotEntry> rack;
  const int drawnBefore = drawn;
  if (seat <= maxplayers) {
    for (int k = 1; k <= kRackSize; ++k) {
      // A seat taken over in a running game keeps its former occupant's rack; slots never dealt
      // are filled now.
      if (p.tiles[k] == 0) p.tiles[k] = gettile();
      if (p.tiles[k] != 0) rack.push_back({k, p.tiles[k]});
    }
  }
  sendto(seat,
         toclient::gamestats(seat, turnseconds, countdown, currentplayer, drawn, scores, rack));
  // The others' count of tiles left is right at once, not only from the next turn on.
  if (drawn != drawnBefore) {
    for (int s = 1; s <= seatsused; ++s) {
      if (s != seat) sendto(s, toclient::drawn(drawn));
    }
  }
  givekey(seat);
  if (keptseat != 0) {
    sendto(seat, toclient::notice(kept[keptseat].name + "'s seat is kept for " +
                                  kept[keptseat].name + "."));
  }
}

void ServerCore::givekey(int seat) {
  if (seat < 1 || seat > maxplayers) return;
  seatkeys[seat] = newkey();
  sendto(seat, toclient::seatkey(seatkeys[seat]));
}

void ServerCore::seatkey(std::string_view argument, int sender) {
  Connection& c = connections_[sender];
  if (c.loggedin) return;
  c.key = protocol::isSeatKey(argument) ? std::string(argument) : std::string();
  // A key for a kept seat is worth guessing only while one is kept; a connection that keeps
  // offering keys that fit none is closed.
  bool anykept = false, fits = false;
  for (int s = 1; s <= maxplayers; ++s) {
    if (!iskept(s)) continue;
    anykept = true;
    fits = fits || (!c.key.empty() && c.key == kept[s].key);
  }
  if (anykept && !fits && ++c.wrongkeys >= kMaxWrongKeys) disconnectsock(sender);
}

void ServerCore::leaving(std::string_view argument, int sender) {
  FieldReader reader(argument);
  if (!ownseat(reader, sender)) return;
  // The connection's close that follows frees the seat at once instead of keeping it.
  removing_[sender] = true;
}

void ServerCore::justwatch(std::string_view argument, int sender) {
  FieldReader reader(argument);
  const int seat = reader.intField();
  // A participant decides for itself; only the host may seat or unseat another player.
  if (!validseat(seat) || (seat != sender && sender != 1)) return;
  if (seat > maxplayers) return;
  const std::string& flag = reader.rest();
  if (flag == "2") {
    players[seat].watching = false;
    sendtoall(toclient::justwatching(seat, 2));
  } else if (flag == "1" && gameon) {
    players[seat].watching = true;
    sendtoall(toclient::justwatching(seat, 1));
    if (seat == currentplayer) findplayer();
  }
}

void ServerCore::kickhim(std::string_view argument, int sender) {
  FieldReader reader(argument);
  const int from = reader.intField();
  if (from != 1 || sender != 1) return;
  const int target = reader.intField();
  if (!validseat(target)) return;
  disconnectsock(target);
}

void ServerCore::chat(std::string_view argument, int sender) {
  FieldReader reader(argument);
  if (!ownseat(reader, sender)) return;
  sendtoall(toclient::chat(sender, players[sender].name, reader.rest()));
}

void ServerCore::action(std::string_view argument, int sender) {
  FieldReader reader(argument);
  if (!ownseat(reader, sender)) return;
  sendtoall(toclient::action(sender, players[sender].name, reader.rest()));
}

void ServerCore::playasound(std::string_view argument, int sender) {
  FieldReader reader(argument);
  if (!ownseat(reader, sender)) return;
  sendtoall(toclient::playasound(sender, reader.rest()));
}

void ServerCore::disconnectsock(int seat) {
  if (!validseat(seat) || !players[seat].inuse) return;
  removing_[seat] = true;
  out_.closeSeat(seat);
}

void ServerCore::departure(int seat) {
  if (!validseat(seat)) return;
  tplayer& p = players[seat];
  if (p.inuse) {
    for (int s = 1; s <= seatsused; ++s) {
      if (s != seat) sendto(s, toclient::playerdisconnected(seat, p.name));
    }
  }
  // A player who dropped out of a running game (the program ended, the network failed) may come
  // back: the wire tells no deliberate leave from a drop, so every close the host did not cause
  // keeps the seat for a while. The host's own seat is its program; it never comes back.
  const bool removed = removing_[seat];
  removing_[seat] = false;
  if (p.inuse && gameon && seat >= 2 && seat <= maxplayers && keepseconds > 0 && !removed &&
      !p.name.empty()) {
    kept[seat] = {p.name, std::min(keepseconds, kMaxKeepSeconds), seatkeys[seat]};
    // Every window shows the seat as kept, with the time it waits, rather than as free.
    for (int s = 1; s <= seatsused; ++s) {
      if (s != seat) sendto(s, toclient::seatkept(seat, kept[seat].seconds));
    }
  }
  if (seat <= maxplayers) seatkeys[seat].clear();
  connections_[seat] = {};
  // Score, rack, pass mark and ingame stay: a newcomer taking the seat in a running game takes
  // them over, and so does the player coming back to a kept seat.
  p.inuse = false;
  p.name.clear();
  p.watching = false;
  // A kept seat keeps its turn: its clock runs on, and a player back in time plays it.
  if (gameon && seat == currentplayer && seat != 1 && !iskept(seat)) findplayer();
}

int ServerCore::keptseatfor(const std::string& name) const {
  // The exact name announced for the seat: names that only look alike ("D+an", "D\x01an") are
  // other names.
  for (int s = 2; s <= maxplayers; ++s) {
    if (iskept(s) && kept[s].name == name) return s;
  }
  return 0;
}

void ServerCore::rejoin(int from, int to) {
  kept[to] = {};
  tplayer& back = players[to];
  back.inuse = true;
  back.sock = players[from].sock;
  back.watching = false;
  players[from].inuse = false;
  players[from].name.clear();
  players[from].watching = false;
  players[from].sock = 0;
  connections_[from] = {};
  connections_[to] = {};
  if (to > seatsused) seatsused = to;
  out_.moveSeat(from, to);
  sendto(to, toclient::sendlogininfo(to));
}

void ServerCore::forgetkept() {
  for (KeptSeat& k : kept) k = {};
}

void ServerCore::tickkept() {
  for (KeptSeat& k : kept) {
    if (k.name.empty()) continue;
    if (--k.seconds <= 0) k = {};
  }
}

std::string ServerCore::displayname(int seat) const {
  return players[seat].name.empty() ? players[seat].seatname : players[seat].name;
}

}  // namespace korvel::server

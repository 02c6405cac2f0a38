// The bag of 75 tiles, dealing, and the paid exchange of a rack.
#include <utility>
#include <vector>

#include "server/server_core.h"

namespace korvel::server {

namespace toclient = protocol::toclient;

namespace {

// Tiles per letter code 1 to 26.
constexpr int kTileCounts[27] = {0, 10, 3, 2, 4, 5, 2, 3, 3, 4, 1, 2, 3, 3,
                                 3, 3,  2, 1, 3, 5, 4, 2, 1, 2, 1, 2, 1};

// The order in which the shuffle places the tiles: five a, then b to z, then the other five a.
// The order matters because a fixed pick must reproduce the same bag.
std::vector<int> tileOrder() {
  std::vector<int> order(5, 1);
  for (int code = 2; code <= 26; ++code) order.insert(order.end(), kTileCounts[code], code);
  order.insert(order.end(), 5, 1);
  return order;
}

}  // namespace

void ServerCore::shuffleletters() {
  static const std::vector<int> kOrder = tileOrder();
  bag.fill(-1);
  for (int tile : kOrder) {
    int position;
    do {
      position = pick_(1, kBagSize);
    } while (bag[position] != -1);
    bag[position] = tile;
  }
  drawn = 0;
}

int ServerCore::gettile() {
  ++drawn;
  if (drawn > kBagSize) {
    drawn = kBagSize + 1;
    return -1;
  }
  const int tile = bag[drawn];
  bag[drawn] = -1;
  return tile;
}

void ServerCore::dealtiles() {
  for (int s = 1; s <= maxplayers; ++s) players[s].tiles.fill(0);
  // One slot at a time round the seats, as tiles are dealt at a table.
  for (int k = 1; k <= kRackSize; ++k) {
    for (int s = 1; s <= maxplayers; ++s) {
      if (players[s].ingame) players[s].tiles[k] = gettile();
    }
  }
  for (int s = 1; s <= maxplayers; ++s) {
    std::vector<protocol::SlotEntry> list;
    if (players[s].ingame) {
      for (int k = 1; k <= kRackSize; ++k) list.push_back({k, players[s].tiles[k]});
    }
    if (players[s].inuse) sendto(s, toclient::mytiles(s, list));
  }
}

void ServerCore::newtiles(std::string_view argument, int sender) {
  if (!gameon) return;
  protocol::FieldReader reader(argument);
  if (!ownseat(reader, sender) || sender != currentplayer) return;
  const int seat = sender;
  tplayer& p = players[seat];
  std::vector<protocol::SlotEntry> list;
  for (int k = 1; k <= kRackSize; ++k) {
    if (p.tiles[k] == 0 || drawn >= kBagSize) continue;
    int position;
    do {
      position = pick_(1, kBagSize);
    } while (bag[position] == -1);
    std::swap(p.tiles[k], bag[position]);
    list.push_back({k, p.tiles[k]});
  }
  if (list.empty()) {
    sendto(seat, toclient::notiles(seat));
    return;
  }
  p.score -= 30;
  sendto(seat, toclient::newtiles(seat, p.score, list));
  for (int s = 1; s <= seatsused; ++s) {
    if (s != seat) sendto(s, toclient::boughtnew(seat, p.score));
  }
}

}  // namespace korvel::server

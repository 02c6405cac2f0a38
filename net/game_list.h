#pragma once
// The games found on the network, as the browser reports them. A DNS-SD service is seen once per
// network interface and IP protocol it was announced on; each sighting is resolved to an address,
// a port and a TXT record. The list keeps one row per service name, shown from its best
// sighting (an IPv4 address before an IPv6 one, a routable address before a link-local one,
// then the lowest interface), so a game announced on two interfaces is listed once.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "net/game_record.h"

namespace korvel::net {

// One sighting of a service, as the browser names it.
struct ServiceKey {
  int interfaceIndex = 0;
  int protocol = 0;  // the browser's IP protocol number of the sighting
  std::string name;
  std::string domain;
  bool operator==(const ServiceKey&) const = default;
};

struct FoundGame {
  std::string name;     // the service name, which identifies the row
  std::string domain;   // "local" on the local link
  std::string address;  // numeric IPv4 or IPv6 address (with "%interface" for link-local IPv6)
  std::uint16_t port = 0;
  GameAnnouncement game;
  bool operator==(const FoundGame&) const = default;
};

// The games list's State cell: "Playing" or "Waiting for players", and "Full: you can watch"
// once every seat is taken, since a newcomer then only watches.
std::string gameStateText(const GameAnnouncement& game);

// The line the games list shows while it has no game to list.
inline constexpr std::string_view kNoGamesText = "No games found on this network yet.";

// Whether a resolved address can be listed: a numeric IPv4 or IPv6 address (a link-local IPv6
// one may carry "%interface"), not unspecified or multicast, and a loopback address (127.0.0.0/8,
// ::1, ::ffff:127.x.x.x) only when the service came from this machine (`fromThisMachine`: Avahi
// marks it local, or it was seen on the loopback interface). Anyone on the link can announce a
// record pointing at 127.0.0.1; joining it would join whatever this machine runs there.
bool addressAcceptable(std::string_view address, bool fromThisMachine);

class GameList {
 public:
  // Rows beyond this are not added; so many games on one link is either a party or a flood.
  static constexpr std::size_t kMaxGames = 64;
  // Sightings kept for one service (interfaces times protocols).
  static constexpr std::size_t kMaxSightings = 8;

  // A sighting resolved (again): adds or updates it. A record that does not decode, a port of 0
  // or an address that addressAcceptable() refuses drops the sighting instead. True when the rows
  // changed.
  bool resolved(const ServiceKey& key, const std::string& address, int port,
                const std::vector<std::string>& txt, bool fromThisMachine = false);
  // Whether the sighting is kept (it may not be the one shown).
  bool holds(const ServiceKey& key) const;
  // The browser saw the sighting go (or its resolving failed). True when the rows changed.
  bool removed(const ServiceKey& key);
  // Everything gone (the daemon went away). True when there were rows.
  bool clear();

  // The rows, ordered by host name (letter case aside), then service name.
  const std::vector<FoundGame>& games() const { return rows_; }

 private:
  struct Sighting {
    ServiceKey key;
    std::string address;
    std::uint16_t port = 0;
    GameAnnouncement game;
  };
  // Rebuilds rows_ from sightings_; true when they differ from before.
  bool rebuild();

  std::vector<Sighting> sightings_;
  std::vector<FoundGame> rows_;
};

}  // namespace korvel::net

// The found games: sightings merged into one row per service, in a stable order.
#include "net/game_list.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>
#include <utility>

namespace korvel::net {

namespace {

bool isIpv6(const std::string& address) {
  return address.find(':') != std::string::npos;
}

// Sort rank of a sighting's address: lower is better.
int addressRank(const std::string& address) {
  if (!isIpv6(address)) return address.rfind("169.254.", 0) == 0 ? 1 : 0;
  const bool linkLocal = address.size() >= 4 &&
                         (address.compare(0, 4, "fe80") == 0 || address.compare(0, 4, "FE80") == 0);
  return linkLocal ? 3 : 2;
}

// An IPv4 address (four bytes): never 0.0.0.0/8, multicast or broadcast; loopback only locally.
bool v4Acceptable(const unsigned char* a, bool fromThisMachine) {
  if (a[0] == 0 || a[0] >= 224) return false;
  return a[0] != 127 || fromThisMachine;
}

}  // namespace

bool addressAcceptable(std::string_view address, bool fromThisMachine) {
  if (address.empty() || address.size() > 64) return false;
  std::string numeric(address);
  if (const auto percent = numeric.find('%'); percent != std::string::npos) {
    // A zone only follows an IPv6 address, and names an interface.
    if (percent + 1 == numeric.size() || numeric.find(':') > percent) return false;
    numeric.resize(percent);
  }
  unsigned char bytes[16];
  if (inet_pton(AF_INET, numeric.c_str(), bytes) == 1) return v4Acceptable(bytes, fromThisMachine);
  if (inet_pton(AF_INET6, numeric.c_str(), bytes) != 1) return false;
  static const unsigned char zero[16] = {};
  static const unsigned char mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
  if (std::memcmp(bytes, zero, 15) == 0 && (bytes[15] == 0 || bytes[15] == 1)) {
    // "::" is nobody; "::1" is this machine.
    return bytes[15] == 1 && fromThisMachine;
  }
  if (bytes[0] == 0xff) return false;  // multicast
  // An IPv4 address written as IPv6 follows the IPv4 rules.
  if (std::memcmp(bytes, mapped, 12) == 0) return v4Acceptable(bytes + 12, fromThisMachine);
  return true;
}

namespace {

std::string folded(const std::string& text) {
  std::string out = text;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

bool GameList::resolved(const ServiceKey& key, const std::string& address, int port,
                        const std::vector<std::string>& txt, bool fromThisMachine) {
  const auto game = decodeTxt(txt);
  if (!game || port <= 0 || port > 65535 || !addressAcceptable(address, fromThisMachine)) {
    return removed(key);
  }
  auto it = std::find_if(sightings_.begin(), sightings_.end(),
                         [&](const Sighting& s) { return s.key == key; });
  if (it == sightings_.end()) {
    const auto sameService = [&](const Sighting& s) {
      return s.key.name == key.name && s.key.domain == key.domain;
    };
    const auto ofService = std::count_if(sightings_.begin(), sightings_.end(), sameService);
    if (ofService >= static_cast<std::ptrdiff_t>(kMaxSightings)) return false;
    if (ofService == 0 && rows_.size() >= kMaxGames) return false;
    sightings_.push_back({key, {}, 0, {}});
    it = sightings_.end() - 1;
  }
  it->address = address;
  it->port = static_cast<std::uint16_t>(port);
  it->game = *game;
  return rebuild();
}

bool GameList::holds(const ServiceKey& key) const {
  return std::any_of(sightings_.begin(), sightings_.end(),
                     [&](const Sighting& s) { return s.key == key; });
}

bool GameList::removed(const ServiceKey& key) {
  const auto before = sightings_.size();
  std::erase_if(sightings_, [&](const Sighting& s) { return s.key == key; });
  return sightings_.size() != before && rebuild();
}

bool GameList::clear() {
  sightings_.clear();
  return rebuild();
}

bool GameList::rebuild() {
  // The best sighting of each service.
  std::map<std::pair<std::string, std::string>, const Sighting*> best;
  for (const Sighting& s : sightings_) {
    const Sighting*& chosen = best[{s.key.name, s.key.domain}];
    const auto rank = [](const Sighting& x) {
      return std::make_tuple(addressRank(x.address), x.key.interfaceIndex, x.key.protocol);
    };
    if (!chosen || rank(s) < rank(*chosen)) chosen = &s;
  }
  std::vector<FoundGame> rows;
  rows.reserve(best.size());
  for (const auto& [id, s] : best) {
    rows.push_back({s->key.name, s->key.domain, s->address, s->port, s->game});
  }
  std::stable_sort(rows.begin(), rows.end(), [](const FoundGame& a, const FoundGame& b) {
    return std::make_tuple(folded(a.game.host), a.name, a.domain) <
           std::make_tuple(folded(b.game.host), b.name, b.domain);
  });
  if (rows == rows_) return false;
  rows_ = std::move(rows);
  return true;
}

std::string gameStateText(const GameAnnouncement& game) {
  if (game.players >= kMaxPlayers) return "Full: you can watch";
  return game.state == GameState::Running ? "Playing" : "Waiting for players";
}

}  // namespace korvel::net

// Arbitrary bytes as TXT records of found games, fed to the list as a browser would. A record
// that decodes has a host name within its limit, valid UTF-8 and counts in range, and encodes
// back to a record that decodes to the same; the list never holds more rows than its cap, each
// from a record that decodes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "net/game_list.h"
#include "net/game_record.h"
#include "protocol/text_encoding.h"

namespace {

using namespace korvel::net;

void check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

// The input is a series of sightings: one byte picks the service name (and with its top bits the
// interface and protocol), one byte says how many TXT items follow, and each item is a length
// byte and that many bytes. A first byte of 0xFF removes the sighting instead.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  GameList list;
  std::size_t at = 0;
  const auto byte = [&]() -> int { return at < size ? data[at++] : -1; };
  while (at < size) {
    const int which = byte();
    if (which == 0xFF) {
      const int id = byte();
      if (id < 0) break;
      list.removed({id >> 6, (id >> 4) & 3, "s" + std::to_string(id & 15), "local"});
      continue;
    }
    const int items = byte();
    if (items < 0) break;
    std::vector<std::string> txt;
    for (int i = 0; i < items && at < size; ++i) {
      const int length = byte();
      if (length < 0) break;
      const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(length), size - at);
      txt.emplace_back(reinterpret_cast<const char*>(data + at), n);
      at += n;
    }
    if (const auto game = decodeTxt(txt)) {
      check(!game->host.empty() && game->host.size() <= kMaxHostBytes);
      check(korvel::protocol::isUtf8(game->host));
      check(game->players >= 0 && game->players <= kMaxPlayers);
      check(game->watchers >= 0 && game->watchers <= kMaxWatchers);
      check(decodeTxt(encodeTxt(*game)) == game);
    }
    const ServiceKey key{which >> 6, (which >> 4) & 3, "s" + std::to_string(which & 15), "local"};
    list.resolved(key, "10.0.0." + std::to_string(which & 7), 7772, txt);
  }
  check(list.games().size() <= GameList::kMaxGames);
  for (const FoundGame& g : list.games()) {
    check(decodeTxt(encodeTxt(g.game)) == g.game);
  }
  return 0;
}

#pragma once
// The DNS-SD announcement of a hosted game: service type `_korvel._tcp` on the game port, with
// a TXT record of five keys: `v` (the version text the login carries), `host` (the host's
// player name), `players` (seats playing, 0 to 4), `watchers` (0 to 5) and `state` (`waiting`
// or `running`). Records come from anybody on the network, so decoding is strict: anything
// malformed, out of range, oversized or holding control characters is refused as a whole.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::server {
class ServerCore;
}

namespace korvel::net {

inline constexpr const char* kServiceType = "_korvel._tcp";

inline constexpr int kMaxPlayers = 4;
inline constexpr int kMaxWatchers = 5;
// Longest host name in bytes that a record carries; longer names are cut at a character
// boundary when published and refused when read.
inline constexpr std::size_t kMaxHostBytes = 63;
inline constexpr std::size_t kMaxVersionBytes = 16;
// More items than any record of ours has, with room for keys a later version may add.
inline constexpr std::size_t kMaxTxtItems = 16;
// DNS caps one TXT string at 255 bytes.
inline constexpr std::size_t kMaxTxtItemBytes = 255;

enum class GameState { Waiting, Running };

struct GameAnnouncement {
  std::string version;
  std::string host;
  int players = 0;
  int watchers = 0;
  GameState state = GameState::Waiting;
  bool operator==(const GameAnnouncement&) const = default;
};

// The TXT strings ("key=value") for the announcement, in a fixed order. The host name is cut to
// kMaxHostBytes at a character boundary, and the counts are clamped to their ranges, so what is
// published always decodes.
std::vector<std::string> encodeTxt(const GameAnnouncement& game);

// The announcement in a received TXT record, or nothing when the record is not one we accept:
// a required key missing or given twice, a number that is not plain decimal digits or is out of
// range, a state other than the two words, a version that is not printable ASCII, a host name
// that is empty, too long, not valid UTF-8 or holds control or direction-changing characters,
// too many items or an item too long. Keys are matched case-insensitively (as DNS-SD asks);
// unknown keys are skipped.
std::optional<GameAnnouncement> decodeTxt(const std::vector<std::string>& items);

// What the host's server announces now: players are the first four seats in use and not
// watching, watchers every other seat in use (at most kMaxWatchers), running while a game is on.
GameAnnouncement announcementOf(const server::ServerCore& core, std::string_view hostName,
                                std::string_view version);

// The service name a host publishes under ("Korvel game of NAME", within DNS's 63 bytes).
std::string serviceNameFor(std::string_view hostName);

}  // namespace korvel::net

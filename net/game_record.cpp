// TXT record of a hosted game: encoding with clamping, decoding that refuses anything doubtful.
#include "net/game_record.h"

#include <algorithm>
#include <cstdint>

#include "protocol/text_encoding.h"
#include "server/server_core.h"

namespace korvel::net {

namespace {

// The longest prefix of `text` within `limit` bytes that does not cut a UTF-8 sequence.
std::string cutAtCharacter(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return std::string(text);
  std::size_t end = limit;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return std::string(text.substr(0, end));
}

const char* stateWord(GameState state) {
  return state == GameState::Running ? "running" : "waiting";
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return lower(x) == lower(y);
  });
}

// A count of 1 or 2 decimal digits within 0..max; no sign, no spaces, no leading zeros.
std::optional<int> count(std::string_view text, int max) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  if (text.size() > 1 && text[0] == '0') return std::nullopt;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > max) return std::nullopt;
  return value;
}

// The code points of valid UTF-8, one at a time.
char32_t nextCodePoint(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
  char32_t cp = length == 1   ? lead
                : length == 2 ? lead & 0x1F
                : length == 3 ? lead & 0x0F
                              : lead & 0x07;
  for (int i = 1; i < length; ++i) cp = (cp << 6) | (byte(at + i) & 0x3F);
  at += length;
  return cp;
}

// Characters a list row must not show: controls (C0, DEL, C1), line and paragraph separators,
// and the marks that change text direction or hide characters, which could make one game's
// row pose as another's.
bool unshowable(char32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029 ||
         (cp >= 0x200B && cp <= 0x200F) || (cp >= 0x202A && cp <= 0x202E) ||
         (cp >= 0x2060 && cp <= 0x206F) || cp == 0xFEFF || (cp >= 0xFFF9 && cp <= 0xFFFB);
}

bool acceptableHost(std::string_view host) {
  if (host.empty() || host.size() > kMaxHostBytes || !protocol::isUtf8(host)) return false;
  bool visible = false;
  for (std::size_t at = 0; at < host.size();) {
    const char32_t cp = nextCodePoint(host, at);
    if (unshowable(cp)) return false;
    if (cp != U' ') visible = true;
  }
  return visible;
}

bool acceptableVersion(std::string_view version) {
  if (version.empty() || version.size() > kMaxVersionBytes) return false;
  return std::all_of(version.begin(), version.end(), [](char c) { return c > 0x20 && c < 0x7F; });
}

}  // namespace

std::vector<std::string> encodeTxt(const GameAnnouncement& game) {
  return {
      "v=" + cutAtCharacter(game.version, kMaxVersionBytes),
      "host=" + cutAtCharacter(game.host, kMaxHostBytes),
      "players=" + std::to_string(std::clamp(game.players, 0, kMaxPlayers)),
      "watchers=" + std::to_string(std::clamp(game.watchers, 0, kMaxWatchers)),
      std::string("state=") + stateWord(game.state),
  };
}

std::optional<GameAnnouncement> decodeTxt(const std::vector<std::string>& items) {
  if (items.size() > kMaxTxtItems) return std::nullopt;
  enum Key { V, Host, Players, Watchers, State, kKeys };
  static constexpr std::string_view kNames[kKeys] = {"v", "host", "players", "watchers", "state"};
  std::optional<std::string_view> values[kKeys];
  for (const std::string& item : items) {
    if (item.size() > kMaxTxtItemBytes) return std::nullopt;
    const std::size_t equals = item.find('=');
    if (equals == std::string::npos) continue;  // a bare boolean attribute: none of ours
    const std::string_view key = std::string_view(item).substr(0, equals);
    for (int k = 0; k < kKeys; ++k) {
      if (!equalsIgnoringCase(key, kNames[k])) continue;
      if (values[k]) return std::nullopt;
      values[k] = std::string_view(item).substr(equals + 1);
    }
  }
  if (!std::all_of(std::begin(values), std::end(values), [](const auto& v) { return v; }))
    return std::nullopt;

  GameAnnouncement game;
  if (!acceptableVersion(*values[V]) || !acceptableHost(*values[Host])) return std::nullopt;
  game.version = std::string(*values[V]);
  game.host = std::string(*values[Host]);
  const auto players = count(*values[Players], kMaxPlayers);
  const auto watchers = count(*values[Watchers], kMaxWatchers);
  if (!players || !watchers) return std::nullopt;
  game.players = *players;
  game.watchers = *watchers;
  if (*values[State] == "waiting") {
    game.state = GameState::Waiting;
  } else if (*values[State] == "running") {
    game.state = GameState::Running;
  } else {
    return std::nullopt;
  }
  return game;
}

GameAnnouncement announcementOf(const server::ServerCore& core, std::string_view hostName,
                                std::string_view version) {
  GameAnnouncement game;
  game.version = std::string(version);
  game.host = std::string(hostName);
  for (int seat = 1; seat <= server::ServerCore::kMaxSeat; ++seat) {
    const server::tplayer& p = core.players[seat];
    if (!p.inuse) continue;
    if (seat <= server::ServerCore::maxplayers && !p.watching) {
      ++game.players;
    } else {
      ++game.watchers;
    }
  }
  game.watchers = std::min(game.watchers, kMaxWatchers);
  game.state = core.gameon ? GameState::Running : GameState::Waiting;
  return game;
}

std::string serviceNameFor(std::string_view hostName) {
  constexpr std::string_view prefix = "Korvel game of ";
  return std::string(prefix) + cutAtCharacter(hostName, 63 - prefix.size());
}

}  // namespace korvel::net

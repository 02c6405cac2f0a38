#pragma once
// The keys this player was given for seats in games hosted elsewhere, kept so that a window that
// was closed, killed or crashed still gets its own seat back: one line per host, port and name,
// newest first, in a file of the user's own (mode 0600: a key is the seat).

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::client {

inline constexpr const char* kSeatKeysFileName = "seatkeys";
inline constexpr std::size_t kKeptSeatKeys = 16;

struct SeatKey {
  std::string host;
  int port = 0;
  std::string name;  // the name played under, as sent in the login
  std::string key;
  bool operator==(const SeatKey&) const = default;
};

// Lines "HOST<TAB>PORT<TAB>KEY<TAB>NAME"; lines that do not read so are left out.
std::vector<SeatKey> readSeatKeys(std::string_view text);
std::string seatKeysText(const std::vector<SeatKey>& keys);
// Puts `key` first, replacing the entry of the same host, port and name; keeps kKeptSeatKeys.
void rememberSeatKey(std::vector<SeatKey>& keys, SeatKey key);
// The key last given to `name` by the host at `host` and `port`, if any.
std::optional<std::string> seatKeyFor(const std::vector<SeatKey>& keys, std::string_view host,
                                      int port, std::string_view name);

// The file in the state folder; missing or unreadable reads as none.
std::vector<SeatKey> loadSeatKeys(const std::filesystem::path& file);
bool saveSeatKeys(const std::filesystem::path& file, const std::vector<SeatKey>& keys);

}  // namespace korvel::client

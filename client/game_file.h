#pragma once
// Saved games: one JSON file per finished game in the games folder, written through a hidden
// temporary file that is renamed into place, never over an existing file. The reader checks
// every field and turns anything it cannot read into "damaged", without throwing; a damaged
// file is listed as such and never written or removed. No Qt here.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/game_log.h"

namespace korvel::client {

// Files larger than this are not games this program wrote.
inline constexpr std::uintmax_t kMaxGameFileBytes = 16u << 20;

std::string gameToJson(const GameRecord& record);
// nullopt for anything that is not a complete, well-formed game record.
std::optional<GameRecord> gameFromJson(std::string_view text);
// The record without its turns, for the list of saved games: the same checks of everything
// else, and the turns only checked to be well-formed JSON (opening the game checks them all).
std::optional<GameRecord> gameHeadFromJson(std::string_view text);

// "2026-12-07T17:22:14Z" for Unix seconds, and back (nullopt when it is not that form).
std::string isoTime(std::int64_t seconds);
std::optional<std::int64_t> parseIsoTime(std::string_view text);

// Writes the record as a new file in `folder` (made when missing), named after its start time;
// returns its path, or nullopt when it could not be written (then no file is left behind).
std::optional<std::filesystem::path> saveGame(const std::filesystem::path& folder,
                                              const GameRecord& record);
// Reads one saved game; nullopt when it is missing, too large or damaged.
std::optional<GameRecord> loadGame(const std::filesystem::path& file);

struct SavedGame {
  std::filesystem::path file;
  bool damaged = false;
  std::int64_t started = 0;
  std::vector<SeatRecord> players;
  std::array<int, 4> finalScores{};
  std::string winner;
};
// The "*.json" files of `folder`, readable ones newest first, then the damaged ones by name. A
// file whose turns are broken while all else reads is listed, and found damaged when opened.
std::vector<SavedGame> listGames(const std::filesystem::path& folder);

}  // namespace korvel::client

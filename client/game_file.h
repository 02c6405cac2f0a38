#pragma once
// Saved games: one JSON file per finished game in the games folder, written to a temporary file
// of its own and renamed into place, never over an existing file. The reader checks every field
// and turns anything it cannot read into "damaged", without throwing; a damaged file is listed
// as such and never written or removed. No Qt here.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "client/game_log.h"

namespace korvel::client {

// Files larger than this are not games this program wrote.
inline constexpr std::uintmax_t kMaxGameFileBytes = 16u << 20;
// What the writer can produce at most from a record the game log made: one turn (its numbers at
// their widest, the name and the words at their limits, every tile) and all else. The log cuts
// text by its written size, escapes included, so no host can make a file too large to read.
inline constexpr std::uintmax_t kMaxTurnFileBytes =
    256 + kMaxNameBytes + kMaxTurnWordBytes + 3 * kMaxTurnWords + 64 * kMaxTurnTiles;
inline constexpr std::uintmax_t kMaxHeadFileBytes =
    4096 + 121 * 40 + 4 * (kMaxNameBytes + 40) + kMaxWinnerBytes;
inline constexpr std::uintmax_t kMaxWrittenGameBytes =
    kMaxTurns * kMaxTurnFileBytes + kMaxHeadFileBytes;
static_assert(kMaxWrittenGameBytes <= kMaxGameFileBytes, "a saved game must read back");
// The games folder keeps the newest this many games, and no more than this many bytes of them
// (a thousand real games take a few megabytes; a host sending games of the largest size would
// otherwise fill gigabytes).
inline constexpr std::size_t kKeptGames = 1000;
inline constexpr std::uintmax_t kKeptGameBytes = 128u << 20;

std::string gameToJson(const GameRecord& record);
// nullopt for anything that is not a complete, well-formed game record.
std::optional<GameRecord> gameFromJson(std::string_view text);
// The record without its turns, for the list of saved games: the same checks of everything
// else, and the turns only checked to be well-formed JSON (opening the game checks them all).
std::optional<GameRecord> gameHeadFromJson(std::string_view text);

// "2026-12-07T17:22:14Z" for Unix seconds, and back (nullopt when it is not that form).
std::string isoTime(std::int64_t seconds);
std::optional<std::int64_t> parseIsoTime(std::string_view text);

// How a finished file takes its name without replacing one: renameat2 with RENAME_NOREPLACE, or
// a hard link and the removal of the temporary name, which is also the fallback where the file
// system refuses the first (tests choose Link to run that way).
enum class NoReplace { Rename, Link };

// Writes the record as a new file in `folder` (made when missing), named after its start time
// ("2026-12-07_18-22-14.json", then "-2", "-3", ... when taken): written whole to a temporary
// file of its own, then given the first free name, so that writers in several processes never
// lose each other's games. Returns its path, or nullopt when it could not be written (then no
// file is left behind); a record whose file would not read back is not written.
std::optional<std::filesystem::path> saveGame(const std::filesystem::path& folder,
                                              const GameRecord& record,
                                              NoReplace how = NoReplace::Rename);
// Reads one saved game; nullopt when it is missing, too large, not a regular file or damaged.
std::optional<GameRecord> loadGame(const std::filesystem::path& file);
// Keeps the newest `keep` files named as saveGame names them (by that name: the start in local
// time, then the number), and of those no more than `maxBytes` counted from the newest (the
// newest always stays); of the files beyond, those that are regular files (not links) and read
// as games are removed. Damaged files and files named otherwise are never touched. Returns how
// many were removed.
std::size_t pruneGames(const std::filesystem::path& folder, std::size_t keep = kKeptGames,
                       std::uintmax_t maxBytes = kKeptGameBytes);

struct SavedGame {
  std::filesystem::path file;
  bool damaged = false;
  std::int64_t started = 0;
  std::vector<SeatRecord> players;
  std::array<int, 4> finalScores{};
  std::string winner;
  std::string computerLevel;
};
// The "*.json" files of `folder`, readable ones newest first, then the damaged ones by name. A
// file whose turns are broken while all else reads is listed, and found damaged when opened.
// Runs off the GUI thread; a stop request ends it early with what it has read.
std::vector<SavedGame> listGames(const std::filesystem::path& folder, std::stop_token stop = {});

}  // namespace korvel::client

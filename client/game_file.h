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
#include "records/regular_file.h"

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
// A game the user only watched is written only up to the size the largest real game takes: every
// turn a game keeps, each at the widest a real game makes one (eight tiles with their numbers at
// their widest, a main word and eight cross words of at most eleven letters, the rack), and names
// of the hundred characters the program lets a player take, each at its longest in UTF-8 (a
// record holds no control characters, which alone would take more). Only a broken or hostile host
// sends more, and what it sends is then not saved at all: a record cut to fit would no longer
// replay to its final scores, and would still take the room.
inline constexpr std::uintmax_t kRealNameBytes = 4 * 100;
inline constexpr std::uintmax_t kRealTurnFileBytes =
    256 + kRealNameBytes + 9 * (11 + 3) + 64 * kMaxTurnTiles;
inline constexpr std::uintmax_t kMaxWatchedGameBytes = kGameTurns * kRealTurnFileBytes + 4096 +
                                                       121 * 40 + 4 * (kRealNameBytes + 40) +
                                                       4 * (kRealNameBytes + 8);
static_assert(kMaxWatchedGameBytes <= kMaxWrittenGameBytes);
// The games folder keeps the newest this many games, and no more than this many bytes of them
// (a thousand real games take a few megabytes). Only games the user watched are ever removed to
// keep to them: a host that sends game after game fills the folder with watched games, which
// push out older watched games but never one the user played.
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

// How a finished file takes its name without replacing one (records/regular_file.h).
using records::NoReplace;

// Writes the record as a new file in `folder` (made when missing), named after its start time
// ("2026-12-07_18-22-14.json", then "-2", "-3", ... when taken): written whole to a temporary
// file of its own and flushed to the disk, then given the first free name (the folder flushed
// too), so that writers in several processes never lose each other's games and a power cut
// never leaves an empty one. Returns its path, or nullopt when it could not be written (then no
// file is left behind); a record whose file would not read back is not written, nor a watched
// game larger than kMaxWatchedGameBytes (watchedGameTooLarge).
std::optional<std::filesystem::path> saveGame(const std::filesystem::path& folder,
                                              const GameRecord& record,
                                              NoReplace how = NoReplace::Rename);
// Whether saveGame refuses the record for its size: a game the user did not play whose file
// would take more than kMaxWatchedGameBytes.
bool watchedGameTooLarge(const GameRecord& record);
// Reads one saved game; nullopt when it is missing, too large, not a regular file or damaged.
std::optional<GameRecord> loadGame(const std::filesystem::path& file);
// Whether the user played the game of a file that starts with `start` as saveGame writes it
// (the member comes right after the format and version); nullopt when it does not start so
// (an older file, or one edited by hand), which then must be read to tell.
std::optional<bool> playedFromFileStart(std::string_view start);

// The files of the games folder named as saveGame names them (regular files, not links).
struct GamesFolderUse {
  std::size_t games = 0;
  std::uintmax_t bytes = 0;
};
GamesFolderUse gamesFolderUse(const std::filesystem::path& folder);
struct PruneResult {
  std::size_t removed = 0;
  GamesFolderUse left;  // what the folder holds afterwards
  // Still more than kept: the games the user played (with damaged files and the newest game)
  // alone take more, and none of them is removed.
  bool overSize = false;
  bool overCount = false;
};
// Keeps the folder to `keep` files named as saveGame names them and `maxBytes` of them, by
// removing games the user only watched, oldest first (by the name: the start in local time,
// then the number): the newest watched games stay as far as the room the others leave allows.
// A game the user played, the newest file, damaged files, links and files named otherwise are
// never removed (damaged files do not count against the bounds either); a folder that holds no more
// than kept is only listed, not read, and one beyond has the start of each file read to tell played
// from watched, and a watched game read whole before it goes.
PruneResult pruneGames(const std::filesystem::path& folder, std::size_t keep = kKeptGames,
                       std::uintmax_t maxBytes = kKeptGameBytes);
// The line Past Games shows while the games the user played take more than the folder keeps:
// "" while they fit.
std::string overKeptNote(const GamesFolderUse& use, std::size_t keep = kKeptGames,
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

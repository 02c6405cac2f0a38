#include "client/game_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <limits>
#include <nlohmann/json.hpp>
#include <system_error>

#include "bot/level.h"
#include "client/game_summary.h"
#include "records/regular_file.h"

namespace korvel::client {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

namespace {

constexpr const char* kFormat = "korvel-game";
constexpr int kVersion = 1;
// Names in a record are whole characters already; a hostile file's broken ones the writer replaces.
constexpr std::size_t kMaxText = 4 * kMaxNameBytes;
constexpr int kMost = std::numeric_limits<int>::max();
constexpr int kLeast = std::numeric_limits<int>::min();
// The format nests four levels below the document (the turns, a turn, its tiles, a tile) and
// holds a bounded number of values (objects, arrays, keys and values each count one). A file
// that goes deeper or holds more is refused the moment the parser meets it, before anything
// large is built: 16 MiB of "[" cost a few bytes' reading, not a tree of sixteen million arrays.
constexpr int kMaxDepth = 4;
constexpr std::size_t kMaxEvents =
    64 + 121 * 7 + 4 * 5 + kMaxTurns * (32 + 9 * kMaxTurnTiles + kMaxTurnWords);
// Names saveGame tries for one start second before it gives up.
constexpr int kMaxNames = 10000;

// A board letter code as its capital letter, and back (0 when it is none).
std::string letterOf(int code) {
  return code >= 1 && code <= 26 ? std::string(1, static_cast<char>('A' + code - 1)) : ".";
}
int codeOf(const std::string& letter) {
  if (letter.size() == 1 && letter[0] >= 'A' && letter[0] <= 'Z') return letter[0] - 'A' + 1;
  return 0;
}

struct Bad {};

// Field readers for the checked parse: anything unexpected throws Bad.
const Json& member(const Json& object, const char* key) {
  if (!object.is_object()) throw Bad{};
  const auto it = object.find(key);
  if (it == object.end()) throw Bad{};
  return *it;
}
int integer(const Json& object, const char* key, int lo, int hi) {
  const Json& v = member(object, key);
  if (!v.is_number_integer()) throw Bad{};
  const auto n = v.get<std::int64_t>();
  if (n < lo || n > hi) throw Bad{};
  return static_cast<int>(n);
}
std::string text(const Json& object, const char* key, std::size_t most) {
  const Json& v = member(object, key);
  if (!v.is_string()) throw Bad{};
  std::string s = v.get<std::string>();
  if (s.size() > most) throw Bad{};
  return s;
}
bool flag(const Json& object, const char* key) {
  const Json& v = member(object, key);
  if (!v.is_boolean()) throw Bad{};
  return v.get<bool>();
}
const Json& array(const Json& object, const char* key, std::size_t most) {
  const Json& v = member(object, key);
  if (!v.is_array() || v.size() > most) throw Bad{};
  return v;
}
int letter(const Json& object, const char* key) {
  const int code = codeOf(text(object, key, 1));
  if (code == 0) throw Bad{};
  return code;
}
std::array<int, 4> scores(const Json& object, const char* key) {
  const Json& v = array(object, key, 4);
  if (v.size() != 4) throw Bad{};
  std::array<int, 4> out{};
  for (std::size_t i = 0; i < 4; ++i) {
    if (!v[i].is_number_integer()) throw Bad{};
    const auto n = v[i].get<std::int64_t>();
    if (n < kLeast || n > kMost) throw Bad{};
    out[i] = static_cast<int>(n);
  }
  return out;
}

TurnKind kindOf(const std::string& name) {
  for (TurnKind k :
       {TurnKind::Word, TurnKind::Pass, TurnKind::Bought, TurnKind::TimeUp, TurnKind::Watching}) {
    if (name == turnKindName(k)) return k;
  }
  throw Bad{};
}

GameRecord parse(const Json& doc, bool withTurns) {
  if (text(doc, "format", 32) != kFormat || integer(doc, "version", 1, 1) != kVersion) throw Bad{};
  GameRecord g;
  const auto started = parseIsoTime(text(doc, "started", 32));
  const auto ended = parseIsoTime(text(doc, "ended", 32));
  if (!started || !ended) throw Bad{};
  g.started = *started;
  g.ended = *ended;
  g.turnSeconds = integer(doc, "turnSeconds", 0, kMost);
  g.localSeat = integer(doc, "localSeat", 0, 9);
  g.fromStart = flag(doc, "fromStart");
  // Files from before it was kept say nothing of it: a game the user held a player seat in
  // counts as played, so that no game of theirs is ever taken for one they only watched.
  g.played = doc.contains("played") ? flag(doc, "played") : g.localSeat >= 1 && g.localSeat <= 4;
  for (const Json& c : array(doc, "startBoard", 121))
    g.startBoard.push_back({integer(c, "x", 0, 10), integer(c, "y", 0, 10), letter(c, "letter")});
  for (const Json& p : array(doc, "players", 4))
    g.players.push_back({integer(p, "seat", 1, 4), text(p, "name", kMaxText)});
  const Json& turns = array(doc, "turns", kMaxTurns);
  static const Json kNoTurns = Json::array();
  for (const Json& t : withTurns ? turns : kNoTurns) {
    TurnRecord turn;
    turn.seat = integer(t, "seat", 1, 4);
    turn.player = text(t, "player", kMaxText);
    turn.kind = kindOf(text(t, "kind", 16));
    turn.score = integer(t, "score", kLeast, kMost);
    turn.totals = scores(t, "totals");
    if (turn.kind == TurnKind::Word) {
      for (const Json& l : array(t, "tiles", kMaxTurnTiles)) {
        turn.tiles.push_back({integer(l, "x", 0, 10), integer(l, "y", 0, 10),
                              integer(l, "slot", kLeast, kMost), letter(l, "letter")});
      }
      for (const Json& w : array(t, "words", kMaxTurnWords)) {
        if (!w.is_string() || w.get<std::string>().size() > kMaxText) throw Bad{};
        turn.words.push_back(w.get<std::string>());
      }
    }
    if (t.contains("rack")) {
      const std::string rack = text(t, "rack", 8);
      if (rack.size() != 8) throw Bad{};
      for (char c : rack) {
        if (c == '.')
          turn.rack.push_back(-1);
        else if (c >= 'A' && c <= 'Z')
          turn.rack.push_back(c - 'A' + 1);
        else
          throw Bad{};
      }
    }
    g.turns.push_back(std::move(turn));
  }
  g.finalScores = scores(doc, "finalScores");
  g.winner = text(doc, "winner", 4 * kMaxText);
  g.hostEnded = doc.contains("hostEnded") && flag(doc, "hostEnded");
  // Files from before the level was kept have none: unknown.
  if (doc.contains("computerLevel")) {
    const std::string level = text(doc, "computerLevel", 16);
    const auto known = bot::parseLevel(level);
    if (!known || bot::levelName(*known) != level) throw Bad{};
    g.computerLevel = level;
  }
  g.finished = true;
  return g;
}

// Parses `text` under the depth and size limits; with `headOnly` the turns are checked to be
// well-formed JSON and dropped unbuilt: a list of a thousand games needs no thousand move lists.
Json parseChecked(std::string_view text, bool headOnly) {
  std::size_t events = 0;
  std::size_t turns = 0;
  bool inTurns = false;
  const auto check = [&](int depth, Json::parse_event_t event, Json& parsed) {
    if (++events > kMaxEvents) throw Bad{};
    const bool opens =
        event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start;
    if (opens && depth > kMaxDepth) throw Bad{};
    if (depth == 1 && event == Json::parse_event_t::key) inTurns = parsed == "turns";
    if (inTurns && depth == 1 && event == Json::parse_event_t::array_end) inTurns = false;
    // The list counts the turns it drops, so it refuses what opening the game would.
    if (inTurns && depth == 2 && (opens || event == Json::parse_event_t::value) &&
        ++turns > kMaxTurns)
      throw Bad{};
    return !(headOnly && inTurns && depth >= 2);
  };
  return Json::parse(text.begin(), text.end(), check);
}

}  // namespace

std::string isoTime(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return buf;
}

std::optional<std::int64_t> parseIsoTime(std::string_view text) {
  if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text[19] != 'Z')
    return std::nullopt;
  auto num = [&](std::size_t at, std::size_t len, int& out) {
    out = 0;
    for (std::size_t i = at; i < at + len; ++i) {
      if (text[i] < '0' || text[i] > '9') return false;
      out = out * 10 + (text[i] - '0');
    }
    return true;
  };
  int y, mo, d, h, mi, s;
  if (!num(0, 4, y) || !num(5, 2, mo) || !num(8, 2, d) || !num(11, 2, h) || !num(14, 2, mi) ||
      !num(17, 2, s))
    return std::nullopt;
  if (y < 1970 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60)
    return std::nullopt;
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  return static_cast<std::int64_t>(timegm(&tm));
}

std::string gameToJson(const GameRecord& g) {
  Json doc;
  doc["format"] = kFormat;
  doc["version"] = kVersion;
  doc["played"] = g.played;  // first after these, for playedFromFileStart
  doc["started"] = isoTime(g.started);
  doc["ended"] = isoTime(g.ended);
  doc["turnSeconds"] = g.turnSeconds;
  doc["localSeat"] = g.localSeat;
  doc["fromStart"] = g.fromStart;
  doc["startBoard"] = Json::array();
  for (const auto& c : g.startBoard)
    doc["startBoard"].push_back({{"x", c.x}, {"y", c.y}, {"letter", letterOf(c.code)}});
  doc["players"] = Json::array();
  for (const auto& p : g.players) doc["players"].push_back({{"seat", p.seat}, {"name", p.name}});
  if (!g.computerLevel.empty()) doc["computerLevel"] = g.computerLevel;
  doc["turns"] = Json::array();
  for (const auto& t : g.turns) {
    Json turn;
    turn["seat"] = t.seat;
    turn["player"] = t.player;
    turn["kind"] = turnKindName(t.kind);
    turn["score"] = t.score;
    turn["totals"] = t.totals;
    if (t.kind == TurnKind::Word) {
      turn["tiles"] = Json::array();
      for (const auto& l : t.tiles) {
        turn["tiles"].push_back(
            {{"x", l.x}, {"y", l.y}, {"slot", l.slot}, {"letter", letterOf(l.code)}});
      }
      turn["words"] = t.words;
    }
    if (!t.rack.empty()) {
      std::string rack;
      for (int code : t.rack) rack += letterOf(code);
      turn["rack"] = rack;
    }
    doc["turns"].push_back(std::move(turn));
  }
  doc["finalScores"] = g.finalScores;
  doc["winner"] = g.winner;
  if (g.hostEnded) doc["hostEnded"] = true;
  // One member per line and one turn per line: readable in any text editor, and a third the
  // size of the fully indented form, which keeps listing a thousand games quick. Invalid UTF-8
  // in a name (a peer's bytes) is replaced rather than refused.
  const auto compact = [](const Json& v) {
    return v.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  };
  std::string out = "{";
  bool firstMember = true;
  for (const auto& [key, value] : doc.items()) {
    out += firstMember ? "\n" : ",\n";
    firstMember = false;
    out += compact(key) + ": ";
    if (key == "turns" && !value.empty()) {
      out += "[";
      for (std::size_t i = 0; i < value.size(); ++i)
        out += (i ? ",\n  " : "\n  ") + compact(value[i]);
      out += "\n]";
    } else {
      out += compact(value);
    }
  }
  return out + "\n}\n";
}

std::optional<GameRecord> gameFromJson(std::string_view text) {
  try {
    const Json doc = parseChecked(text, false);
    return parse(doc, true);
  } catch (const Bad&) {
  } catch (const nlohmann::json::exception&) {
  }
  return std::nullopt;
}

bool watchedGameTooLarge(const GameRecord& record) {
  return !record.played && gameToJson(record).size() > kMaxWatchedGameBytes;
}

namespace {

// A saved game's name, "2026-12-07_18-22-14.json" or with "-2" ... before ".json": its number
// (1 for none), or 0 for any other name.
int gameFileNumber(std::string_view name) {
  constexpr std::string_view kForm = "0000-00-00_00-00-00";
  if (name.size() < kForm.size() + 5 || !name.ends_with(".json")) return 0;
  for (std::size_t i = 0; i < kForm.size(); ++i) {
    const bool digit = name[i] >= '0' && name[i] <= '9';
    if (kForm[i] == '0' ? !digit : name[i] != kForm[i]) return 0;
  }
  std::string_view rest = name.substr(kForm.size(), name.size() - kForm.size() - 5);
  if (rest.empty()) return 1;
  if (rest.size() < 2 || rest.size() > 6 || rest[0] != '-' || rest[1] == '0') return 0;
  int n = 0;
  for (char c : rest.substr(1)) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n >= 2 ? n : 0;
}

}  // namespace

std::optional<fs::path> saveGame(const fs::path& folder, const GameRecord& record, NoReplace how) {
  // Never write what the reader would call damaged.
  const std::string json = gameToJson(record);
  if (json.size() > kMaxGameFileBytes || (!record.played && json.size() > kMaxWatchedGameBytes) ||
      !gameFromJson(json))
    return std::nullopt;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return std::nullopt;
  const std::time_t t = static_cast<std::time_t>(record.started);
  std::tm tm{};
  localtime_r(&t, &tm);
  char stem[32];
  std::strftime(stem, sizeof stem, "%Y-%m-%d_%H-%M-%S", &tm);

  // A name of its own for every writer (hidden, and not ".json": never listed).
  std::string temp = (folder / ".korvel-game-XXXXXX.tmp").string();
  const int fd = ::mkostemps(temp.data(), 4, O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  bool written = records::writeAndSync(fd, json);
  if (::close(fd) != 0) written = false;
  if (written) {
    for (int n = 1; n <= kMaxNames; ++n) {
      const fs::path target =
          folder / (std::string(stem) + (n == 1 ? "" : "-" + std::to_string(n)) + ".json");
      const records::Renamed placed = records::renameNoReplace(temp, target, how);
      if (placed == records::Renamed::Yes) {
        records::syncFolder(folder);  // the game is in place either way; this makes it last
        return target;
      }
      if (placed == records::Renamed::Failed) break;
    }
  }
  ::unlink(temp.c_str());
  return std::nullopt;
}

namespace {

// The file's bytes (its first `most` only) when it is a regular file of at most
// kMaxGameFileBytes. Opened without blocking, so a FIFO put in its place costs nothing.
std::optional<std::string> readFile(const fs::path& file,
                                    std::size_t most = std::numeric_limits<std::size_t>::max()) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0 ||
      static_cast<std::uintmax_t>(st.st_size) > kMaxGameFileBytes) {
    ::close(fd);
    return std::nullopt;
  }
  std::string bytes(std::min(static_cast<std::size_t>(st.st_size), most), '\0');
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  bytes.resize(got);
  return bytes;
}

}  // namespace

std::optional<GameRecord> gameHeadFromJson(std::string_view text) {
  try {
    const Json doc = parseChecked(text, true);
    return parse(doc, false);
  } catch (const Bad&) {
  } catch (const nlohmann::json::exception&) {
  }
  return std::nullopt;
}

std::optional<GameRecord> loadGame(const fs::path& file) {
  const auto bytes = readFile(file);
  return bytes ? gameFromJson(*bytes) : std::nullopt;
}

std::vector<SavedGame> listGames(const fs::path& folder, std::stop_token stop) {
  std::vector<SavedGame> games;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (stop.stop_requested()) break;
    const fs::path& file = it->path();
    const std::string name = file.filename().string();
    if (file.extension() != ".json" || name.front() == '.') continue;
    if (!it->is_regular_file(ec)) continue;
    SavedGame saved;
    saved.file = file;
    const auto bytes = readFile(file);
    if (auto g = bytes ? gameHeadFromJson(*bytes) : std::nullopt) {
      saved.started = g->started;
      saved.players = std::move(g->players);
      saved.finalScores = g->finalScores;
      saved.winner = g->hostEnded ? std::string(kHostEndedText) : std::move(g->winner);
      saved.computerLevel = std::move(g->computerLevel);
    } else {
      saved.damaged = true;
    }
    games.push_back(std::move(saved));
  }
  // Games of one start second by their number ("-10" after "-9"), then by name.
  std::sort(games.begin(), games.end(), [](const SavedGame& a, const SavedGame& b) {
    if (a.damaged != b.damaged) return !a.damaged;
    if (!a.damaged && a.started != b.started) return a.started > b.started;
    const std::string an = a.file.filename().string(), bn = b.file.filename().string();
    const int ak = gameFileNumber(an), bk = gameFileNumber(bn);
    if (ak != bk) return ak > bk;
    return an > bn;
  });
  return games;
}

std::optional<bool> playedFromFileStart(std::string_view start) {
  constexpr std::string_view kStart =
      "{\n\"format\": \"korvel-game\",\n\"version\": 1,\n\"played\": ";
  if (!start.starts_with(kStart)) return std::nullopt;
  start.remove_prefix(kStart.size());
  if (start.starts_with("true,\n")) return true;
  if (start.starts_with("false,\n")) return false;
  return std::nullopt;
}

namespace {

// The bytes playedFromFileStart needs.
constexpr std::size_t kFileStartBytes = 64;

struct NamedGame {
  fs::path file;
  std::string stem;  // the start in local time, which orders saved games by age
  int number = 0;
  std::uintmax_t bytes = 0;
};

// The files named as saveGame names them that are regular files, newest first.
std::vector<NamedGame> namedGames(const fs::path& folder) {
  std::vector<NamedGame> named;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const int number = gameFileNumber(name);
    std::error_code statError;
    if (number == 0 || it->symlink_status(statError).type() != fs::file_type::regular) continue;
    const auto bytes = it->file_size(statError);
    named.push_back({it->path(), name.substr(0, 19), number, statError ? 0 : bytes});
  }
  std::sort(named.begin(), named.end(), [](const NamedGame& a, const NamedGame& b) {
    return a.stem != b.stem ? a.stem > b.stem : a.number > b.number;
  });
  return named;
}

enum class Kind { Played, Watched, Other };

// What the file holds: its start tells for a file this program wrote, unless `whole` asks for
// the whole file to be read; any other file is read whole. Other: it does not read as a game.
Kind kindOf(const fs::path& file, bool whole) {
  if (!whole) {
    const auto start = readFile(file, kFileStartBytes);
    if (!start) return Kind::Other;
    if (const auto played = playedFromFileStart(*start))
      return *played ? Kind::Played : Kind::Watched;
  }
  const auto bytes = readFile(file);
  const auto game = bytes ? gameHeadFromJson(*bytes) : std::nullopt;
  if (!game) return Kind::Other;
  return game->played ? Kind::Played : Kind::Watched;
}

}  // namespace

GamesFolderUse gamesFolderUse(const fs::path& folder) {
  GamesFolderUse use;
  for (const NamedGame& g : namedGames(folder)) {
    ++use.games;
    use.bytes += g.bytes;
  }
  return use;
}

PruneResult pruneGames(const fs::path& folder, std::size_t keep, std::uintmax_t maxBytes) {
  const std::vector<NamedGame> named = namedGames(folder);
  PruneResult result;
  for (const NamedGame& g : named) result.left.bytes += g.bytes;
  result.left.games = named.size();
  // Within both bounds nothing is read: the common case of a save costs a listing.
  if (named.size() > keep || result.left.bytes > maxBytes) {
    // What stays whatever happens (the newest and the games played), then the watched games
    // newest first into the room left; from the first that does not fit on, the older ones go.
    // A file that does not read as a game is no game: it neither counts nor goes.
    std::vector<bool> watched(named.size(), false);
    std::size_t games = 0;
    std::uintmax_t bytes = 0;
    for (std::size_t i = 0; i < named.size(); ++i) {
      const Kind kind = i == 0 ? Kind::Played : kindOf(named[i].file, false);
      watched[i] = kind == Kind::Watched;
      if (kind != Kind::Played) continue;
      ++games;
      bytes += named[i].bytes;
    }
    bool full = false;
    for (std::size_t i = 0; i < named.size(); ++i) {
      if (!watched[i]) continue;
      full = full || games >= keep || bytes > maxBytes || named[i].bytes > maxBytes - bytes;
      if (!full) {
        ++games;
        bytes += named[i].bytes;
        continue;
      }
      // Read whole before it goes: a damaged file is never removed.
      std::error_code removeError;
      if (kindOf(named[i].file, true) == Kind::Watched && fs::remove(named[i].file, removeError)) {
        ++result.removed;
        --result.left.games;
        result.left.bytes -= named[i].bytes;
      }
    }
  }
  result.overSize = result.left.bytes > maxBytes;
  result.overCount = result.left.games > keep;
  return result;
}

namespace {

// "130 MiB", or "900 KiB" under a MiB: a folder's use rounded up and its limit down, so that
// the one never reads as the other.
std::string amount(std::uintmax_t bytes, bool up) {
  const bool mib = bytes >= (1u << 20);
  const std::uintmax_t unit = mib ? 1u << 20 : 1u << 10;
  return std::to_string((bytes + (up ? unit - 1 : 0)) / unit) + (mib ? " MiB" : " KiB");
}

std::string grouped(std::size_t n) {
  const std::string digits = std::to_string(n);
  std::string out;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace

std::string overKeptNote(const GamesFolderUse& use, std::size_t keep, std::uintmax_t maxBytes) {
  std::string what;
  if (use.bytes > maxBytes)
    what = "The saved games take " + amount(use.bytes, true) + ", more than the " +
           amount(maxBytes, false);
  else if (use.games > keep)
    what = "There are " + grouped(use.games) + " saved games, more than the " + grouped(keep);
  else
    return {};
  return what + " kept; games you played are never removed.";
}

}  // namespace korvel::client

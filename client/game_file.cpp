#include "client/game_file.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <system_error>

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
  g.finished = true;
  return g;
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
    const Json doc = Json::parse(text.begin(), text.end());
    return parse(doc, true);
  } catch (const Bad&) {
  } catch (const nlohmann::json::exception&) {
  }
  return std::nullopt;
}

std::optional<fs::path> saveGame(const fs::path& folder, const GameRecord& record) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec) return std::nullopt;
  const std::time_t t = static_cast<std::time_t>(record.started);
  std::tm tm{};
  localtime_r(&t, &tm);
  char stem[32];
  std::strftime(stem, sizeof stem, "%Y-%m-%d_%H-%M-%S", &tm);
  fs::path target;
  for (int n = 1; n < 1000; ++n) {
    const std::string name = std::string(stem) + (n == 1 ? "" : "-" + std::to_string(n)) + ".json";
    if (!fs::exists(folder / name, ec)) {
      target = folder / name;
      break;
    }
  }
  if (target.empty()) return std::nullopt;
  const fs::path temp = folder / ("." + target.filename().string() + ".tmp");
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << gameToJson(record);
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temp, ec);
      return std::nullopt;
    }
  }
  // Another program may have taken the name meanwhile; never write over its file.
  if (fs::exists(target, ec)) {
    fs::remove(temp, ec);
    return std::nullopt;
  }
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    return std::nullopt;
  }
  return target;
}

namespace {

std::optional<std::string> readFile(const fs::path& file) {
  std::error_code ec;
  const auto size = fs::file_size(file, ec);
  if (ec || size > kMaxGameFileBytes) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  return bytes;
}

}  // namespace

// The parser checks the turns for well-formed JSON and then drops them unbuilt: a list of a
// thousand games needs no thousand move lists.
std::optional<GameRecord> gameHeadFromJson(std::string_view text) {
  bool inTurns = false;
  const auto keep = [&inTurns](int depth, Json::parse_event_t event, Json& parsed) {
    if (depth == 1 && event == Json::parse_event_t::key) inTurns = parsed == "turns";
    if (inTurns && depth == 1 && event == Json::parse_event_t::array_end) inTurns = false;
    return !(inTurns && depth >= 2);
  };
  try {
    const Json doc = Json::parse(text.begin(), text.end(), keep);
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

std::vector<SavedGame> listGames(const fs::path& folder) {
  std::vector<SavedGame> games;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
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
      saved.winner = std::move(g->winner);
    } else {
      saved.damaged = true;
    }
    games.push_back(std::move(saved));
  }
  std::sort(games.begin(), games.end(), [](const SavedGame& a, const SavedGame& b) {
    if (a.damaged != b.damaged) return !a.damaged;
    if (!a.damaged && a.started != b.started) return a.started > b.started;
    return a.file.filename() > b.file.filename();
  });
  return games;
}

}  // namespace korvel::client

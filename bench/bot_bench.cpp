// The computer players: building the word structure from the word list blob, the best move for
// 500 mid-game positions (boards from self-played games, random racks), and self-play games
// through the server core with the real word list lookup.
//
//   bench_bot --benchmark_filter=Build|BestMove       the speed figures
//   bench_bot --benchmark_filter=LevelMove            time per move of each level (Easy, Normal,
//                                                     Strong) over the same 500 positions
//   bench_bot --benchmark_filter=StrongEndgame       Strong's time per move once the bag is empty
//   bench_bot --benchmark_filter=SelfPlay             200 games (takes a while)
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bot/bot_player.h"
#include "bot/easy_choice.h"
#include "bot/equity.h"
#include "bot/leave_values.h"
#include "bot/lexicon.h"
#include "bot/move_generator.h"
#include "bot/self_play.h"
#include "dictionary/tdictn.h"

namespace {

using namespace korvel::bot;

const std::string& blob() {
  static const std::string data = [] {
    std::ifstream in(KORVEL_TEXT_DEMO_BLOB, std::ios::binary);
    std::string b(std::istreambuf_iterator<char>(in), {});
    if (b.empty()) throw std::runtime_error("cannot read " KORVEL_TEXT_DEMO_BLOB);
    return b;
  }();
  return data;
}

double residentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

// The server's own word list over the blob, in a private directory removed at the end.
struct ServerWords {
  std::filesystem::path dir;
  std::unique_ptr<korvel::TDictn> dict;
  ServerWords() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korvel-bot-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir = pattern;
    dict = std::make_unique<korvel::TDictn>(blob(), dir, nullptr);
  }
  ~ServerWords() {
    dict.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
};

void BM_BuildLexicon(benchmark::State& state) {
  blob();
  const double before = residentMiB();
  double after = before;
  std::size_t nodes = 0, bytes = 0;
  for (auto _ : state) {
    const Lexicon lexicon = Lexicon::fromRecords(blob());
    after = std::max(after, residentMiB());
    nodes = lexicon.nodeCount();
    bytes = lexicon.bytes();
    benchmark::DoNotOptimize(lexicon.wordCount());
  }
  state.counters["nodes"] = static_cast<double>(nodes);
  state.counters["structure_MiB"] = static_cast<double>(bytes) / 1048576.0;
  state.counters["rss_growth_MiB"] = after - before;
}
BENCHMARK(BM_BuildLexicon)->Unit(benchmark::kMillisecond)->Iterations(5);

struct Position {
  BoardLetters board;
  RackCodes rack;
};

// 500 positions: every board from the fourth turn on of self-played games, racks drawn from the
// tile set.
const std::vector<Position>& positions(const Lexicon& lexicon) {
  static const std::vector<Position> all = [&lexicon] {
    static const std::string bag =
        "aaaaaaaaaabbbccddddeeeeeffggghhhiiiijkklllmmmnnnooopprrrssssstttuuvwwxyyz";
    std::mt19937 rng(2024);
    std::vector<Position> out;
    for (std::uint32_t seed = 100; out.size() < 500; ++seed) {
      SelfPlayOptions options;
      options.seed = seed;
      options.players = 2 + static_cast<int>(seed % 2);
      const auto game = playSelfGame(
          lexicon, [&lexicon](std::string_view w) { return lexicon.contains(w); }, options);
      for (std::size_t t = 3; t < game.boards.size() && out.size() < 500; ++t) {
        Position p{game.boards[t], {}};
        for (int& code : p.rack) code = bag[rng() % bag.size()] - 'a' + 1;
        out.push_back(p);
      }
    }
    return out;
  }();
  return all;
}

void BM_BestMove500Positions(benchmark::State& state) {
  const Lexicon lexicon = Lexicon::fromRecords(blob());
  const auto& all = positions(lexicon);
  const MoveGenerator generator(lexicon);
  std::vector<double> ms;
  long found = 0;
  for (auto _ : state) {
    ms.clear();
    found = 0;
    for (const Position& p : all) {
      const auto start = std::chrono::steady_clock::now();
      const auto move = generator.best(p.board, p.rack, false);
      const auto end = std::chrono::steady_clock::now();
      found += move.has_value();
      benchmark::DoNotOptimize(move);
      ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
  }
  std::sort(ms.begin(), ms.end());
  state.counters["positions"] = static_cast<double>(ms.size());
  state.counters["with_move"] = static_cast<double>(found);
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p90_ms"] = ms[ms.size() * 9 / 10];
  state.counters["slowest_ms"] = ms.back();
}
BENCHMARK(BM_BestMove500Positions)->Unit(benchmark::kMillisecond)->Iterations(3);

std::string readText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::string text(std::istreambuf_iterator<char>(in), {});
  if (text.empty()) throw std::runtime_error(std::string("cannot read ") + path);
  return text;
}

// The time a player of each level takes for its move, as BotPlayer asks for it: Easy over the
// common words, Normal the best score of the well-known words, Strong by equity with its look-ahead
// (the bag as full as the board leaves it, one opponent, every tile not on the board or the rack
// unseen).
void BM_LevelMove500Positions(benchmark::State& state) {
  const Level level = kLevels[static_cast<std::size_t>(state.range(0))];
  const Lexicon lexicon = Lexicon::fromRecords(blob());
  const Lexicon common = Lexicon::fromLines(readText(KORVEL_COMMON_WORDS));
  const Lexicon known = Lexicon::fromLines(readText(KORVEL_KNOWN_WORDS));
  const auto leaves = LeaveValues::fromText(readText(KORVEL_LEAVE_TABLE));
  if (!leaves) throw std::runtime_error("unreadable leave table");
  const auto& all = positions(lexicon);
  const MoveGenerator generator(lexicon), commonGenerator(common), knownGenerator(known);
  const EquityChooser strong(lexicon, *leaves);
  std::mt19937 rng(9);
  std::vector<double> ms;
  for (auto _ : state) {
    ms.clear();
    for (const Position& p : all) {
      Situation s;
      s.board = p.board;
      s.rack = p.rack;
      s.opponentScores = {0};
      s.unseen = tileSet();
      int onBoard = 0;
      for (const auto& column : p.board) {
        for (int code : column) {
          if (code != 0 && s.unseen[code] > 0) --s.unseen[code];
          onBoard += code != 0;
        }
      }
      for (int code : p.rack)
        if (s.unseen[code] > 0) --s.unseen[code];
      s.bagTiles = std::max(0, 75 - 16 - onBoard);
      const auto start = std::chrono::steady_clock::now();
      switch (level) {
        case Level::Easy:
          benchmark::DoNotOptimize(
              easyCandidates(generator, commonGenerator, p.board, p.rack, false));
          break;
        case Level::Normal:
          benchmark::DoNotOptimize(knownGenerator.best(p.board, p.rack, false));
          break;
        case Level::Strong:
          benchmark::DoNotOptimize(strong.rate(s, 24, &rng));
          break;
      }
      const auto end = std::chrono::steady_clock::now();
      ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
  }
  std::sort(ms.begin(), ms.end());
  state.SetLabel(std::string(levelName(level)));
  state.counters["positions"] = static_cast<double>(ms.size());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p90_ms"] = ms[ms.size() * 9 / 10];
  state.counters["slowest_ms"] = ms.back();
}
BENCHMARK(BM_LevelMove500Positions)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(1);

// Strong once the bag is empty: 300 boards from the last five turns of two-player self-played
// games, this player's rack of 3 to 8 tiles and the opponent's of 2 to 8 drawn from the tiles
// not on the board. Argument 0: those are all the unseen tiles, so the opponent's rack is known
// and searched one move deeper; 1: 8 more unseen tiles are out of the game (a watching seat's
// rack), so several racks the opponent might hold are searched; 2: three opponents of 2 to 5
// tiles each, dealt the unseen tiles several ways.
void BM_StrongEndgame300Positions(benchmark::State& state) {
  const Lexicon lexicon = Lexicon::fromRecords(blob());
  const auto leaves = LeaveValues::fromText(readText(KORVEL_LEAVE_TABLE));
  if (!leaves) throw std::runtime_error("unreadable leave table");
  const EquityChooser strong(lexicon, *leaves);
  std::vector<Situation> situations;
  std::mt19937 deal(77);
  for (std::uint32_t seed = 500; situations.size() < 300; ++seed) {
    SelfPlayOptions options;
    options.seed = seed;
    const auto game = playSelfGame(
        lexicon, [&lexicon](std::string_view w) { return lexicon.contains(w); }, options);
    const std::size_t from = game.boards.size() > 5 ? game.boards.size() - 5 : 0;
    for (std::size_t t = from; t < game.boards.size() && situations.size() < 300; ++t) {
      Situation s;
      s.board = game.boards[t];
      const std::size_t opponents = state.range(0) == 2 ? 3 : 1;
      for (std::size_t k = 0; k < opponents; ++k)
        s.opponentScores.push_back(static_cast<int>(deal() % 41) - 20);
      std::vector<int> pool;
      LetterCounts left = tileSet();
      for (const auto& column : s.board)
        for (int code : column)
          if (code != 0 && left[code] > 0) --left[code];
      for (int code = 1; code <= 26; ++code) pool.insert(pool.end(), left[code], code);
      std::shuffle(pool.begin(), pool.end(), deal);
      const std::size_t mine = 3 + situations.size() % 6;
      const std::size_t theirs =
          opponents == 1 ? 2 + situations.size() % 7 : 2 + situations.size() % 4;
      const std::size_t dead = state.range(0) == 1 ? 8 : 0;
      if (pool.size() < mine + opponents * theirs + dead) continue;
      s.rack.fill(-1);
      for (std::size_t k = 0; k < mine; ++k) s.rack[k] = pool[k];
      for (std::size_t k = mine; k < mine + opponents * theirs + dead; ++k) ++s.unseen[pool[k]];
      s.opponentTiles.assign(opponents, static_cast<int>(theirs));
      situations.push_back(s);
    }
  }
  std::mt19937 rng(9);
  std::vector<double> ms;
  for (auto _ : state) {
    ms.clear();
    for (const Situation& s : situations) {
      const auto start = std::chrono::steady_clock::now();
      benchmark::DoNotOptimize(strong.rate(s, 24, &rng));
      const auto end = std::chrono::steady_clock::now();
      ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
  }
  std::sort(ms.begin(), ms.end());
  state.counters["positions"] = static_cast<double>(ms.size());
  state.counters["median_ms"] = ms[ms.size() / 2];
  state.counters["p90_ms"] = ms[ms.size() * 9 / 10];
  state.counters["slowest_ms"] = ms.back();
}
BENCHMARK(BM_StrongEndgame300Positions)
    ->DenseRange(0, 2)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// What three Strong players add to a process: a three-player self-played game with the word
// structure and the leave table, and the resident size after it.
void BM_ThreeStrongPlayersMemory(benchmark::State& state) {
  const double before = residentMiB();
  double after = before;
  for (auto _ : state) {
    const Lexicon lexicon = Lexicon::fromRecords(blob());
    const auto leaves = LeaveValues::fromText(readText(KORVEL_LEAVE_TABLE));
    SelfPlayOptions options;
    options.players = 3;
    options.seed = 77;
    for (int i = 0; i < 3; ++i)
      options.levels.push_back({Level::Strong, nullptr, nullptr, &*leaves, 5u + i});
    const auto game = playSelfGame(
        lexicon, [&lexicon](std::string_view w) { return lexicon.contains(w); }, options);
    benchmark::DoNotOptimize(game.moves);
    after = residentMiB();
  }
  state.counters["rss_before_MiB"] = before;
  state.counters["rss_after_game_MiB"] = after;
}
BENCHMARK(BM_ThreeStrongPlayersMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_SelfPlay(benchmark::State& state) {
  const Lexicon lexicon = Lexicon::fromRecords(blob());
  ServerWords server;
  const int games = static_cast<int>(state.range(0));
  long ended = 0, turns = 0, moves = 0, points = 0, buys = 0, passes = 0, refused = 0, timeups = 0;
  for (auto _ : state) {
    for (int g = 0; g < games; ++g) {
      SelfPlayOptions options;
      options.seed = 1000 + static_cast<std::uint32_t>(g);
      options.players = 2 + g % 3;
      const auto game = playSelfGame(
          lexicon, [&server](std::string_view w) { return server.dict->IsWord(w); }, options);
      ended += game.ended;
      turns += game.turns;
      moves += game.moves;
      points += game.points;
      buys += game.buys;
      passes += game.passes;
      refused += game.refused;
      timeups += game.timeups;
    }
  }
  state.counters["games"] = games;
  state.counters["ended"] = static_cast<double>(ended);
  state.counters["refused"] = static_cast<double>(refused);
  state.counters["timeups"] = static_cast<double>(timeups);
  state.counters["turns"] = static_cast<double>(turns);
  state.counters["points_per_turn"] = static_cast<double>(points) / static_cast<double>(turns);
  state.counters["points_per_move"] = static_cast<double>(points) / static_cast<double>(moves);
  state.counters["buys"] = static_cast<double>(buys);
  state.counters["passes"] = static_cast<double>(passes);
}
BENCHMARK(BM_SelfPlay)->Arg(200)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();

// The computer players: building the word structure from the word list blob, the best move for
// 500 mid-game positions (boards from self-played games, random racks), and self-play games
// through the server core with the real word list lookup.
//
//   bench_bot --benchmark_filter=Build|BestMove       the speed figures
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

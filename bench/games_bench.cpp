// Saved games: writing a 40-turn game, listing a folder of 1,000 saved games (alone, and beside
// a hostile 16 MiB file of "["), keeping the folder at 1,000 games after a save, pruning a folder
// of 1,100 games of which half were only watched, and analysing a 30-turn game with the computer
// player's search over the real word list. The games are played out here by the move search
// itself (two players, racks drawn from a seeded bag), so boards fill up the way real games do.
//
//   bench_games
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bot/lexicon.h"
#include "bot/move_generator.h"
#include "client/formed_words.h"
#include "client/game_analysis.h"
#include "client/game_file.h"
#include "client/game_log.h"

namespace {

using namespace korvel;
namespace fs = std::filesystem;

const bot::Lexicon& lexicon() {
  static const bot::Lexicon lex = [] {
    std::ifstream in(KORVEL_TEXT_DEMO_BLOB, std::ios::binary);
    std::string b(std::istreambuf_iterator<char>(in), {});
    if (b.empty()) throw std::runtime_error("cannot read " KORVEL_TEXT_DEMO_BLOB);
    return bot::Lexicon::fromRecords(b);
  }();
  return lex;
}

// Two players take `turns` turns; seat 1 is the local player whose racks are kept.
client::GameRecord playGame(int turns, std::uint32_t seed) {
  std::mt19937 random(seed);
  const std::string bag =
      "AAAAAAAAABBCCDDDDEEEEEEEEEEEEFFGGGHHIIIIIIIIIJKLLLLMMNNNNNNOOOOOOOOPPQRRRRRRSSSSTTTTTTUUUUVV"
      "WWXYYZ";
  const bot::MoveGenerator generator(lexicon());
  const auto known = [](std::string_view w) { return lexicon().contains(w); };
  client::GameRecord g;
  g.started = 1'800'000'000;
  g.ended = g.started + 60 * turns;
  g.turnSeconds = 60;
  g.localSeat = 1;
  g.players = {{1, "You"}, {2, "Klot"}};
  bot::BoardLetters board{};
  std::array<int, 4> totals{};
  bool first = true;
  for (int t = 0; t < turns; ++t) {
    const int seat = 1 + t % 2;
    bot::RackCodes rack{};
    for (int& code : rack) code = bag[random() % bag.size()] - 'A' + 1;
    client::TurnRecord turn;
    turn.seat = seat;
    turn.player = seat == 1 ? "You" : "Klot";
    if (seat == 1) turn.rack.assign(rack.begin(), rack.end());
    const auto best = generator.best(board, rack, first);
    if (best) {
      turn.kind = client::TurnKind::Word;
      turn.score = best->score;
      for (const auto& f : client::formedWords(board, best->tiles, first, known))
        turn.words.push_back(f.word);
      for (const auto& tile : best->tiles) {
        turn.tiles.push_back({tile.x, tile.y, tile.slot, tile.code});
        board[tile.x][tile.y] = tile.code;
      }
      totals[seat - 1] += best->score;
      first = false;
    } else {
      turn.kind = client::TurnKind::Pass;
    }
    turn.totals = totals;
    g.turns.push_back(std::move(turn));
  }
  g.finalScores = totals;
  g.winner = totals[0] >= totals[1] ? "You" : "Klot";
  g.finished = true;
  return g;
}

struct TempFolder {
  fs::path path;
  TempFolder() {
    std::string pattern = (fs::temp_directory_path() / "korvel-games-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

void BM_SaveGame40Turns(benchmark::State& state) {
  const client::GameRecord g = playGame(40, 7);
  TempFolder folder;
  for (auto _ : state) {
    const auto file = client::saveGame(folder.path, g);
    if (!file) state.SkipWithError("not saved");
    state.PauseTiming();
    fs::remove(*file);
    state.ResumeTiming();
  }
  state.counters["bytes"] = static_cast<double>(client::gameToJson(g).size());
}
BENCHMARK(BM_SaveGame40Turns)->Unit(benchmark::kMicrosecond);

void BM_ListThousandGames(benchmark::State& state) {
  TempFolder folder;
  client::GameRecord g = playGame(40, 11);
  for (int i = 0; i < 1000; ++i) {
    g.started += 60;
    if (!client::saveGame(folder.path, g)) throw std::runtime_error("not saved");
  }
  std::size_t listed = 0;
  for (auto _ : state) {
    const auto games = client::listGames(folder.path);
    listed = games.size();
    benchmark::DoNotOptimize(games.data());
  }
  if (listed != 1000) state.SkipWithError("not all games listed");
}
BENCHMARK(BM_ListThousandGames)->Unit(benchmark::kMillisecond);

// The same folder with one more file: 16 MiB of "[", which the reader refuses at the nesting
// the format never needs.
void BM_ListThousandGamesAndAHostileFile(benchmark::State& state) {
  TempFolder folder;
  client::GameRecord g = playGame(40, 11);
  for (int i = 0; i < 1000; ++i) {
    g.started += 60;
    if (!client::saveGame(folder.path, g)) throw std::runtime_error("not saved");
  }
  std::ofstream(folder.path / "nested.json", std::ios::binary)
      << std::string(client::kMaxGameFileBytes, '[');
  std::size_t damaged = 0;
  for (auto _ : state) {
    const auto games = client::listGames(folder.path);
    damaged = static_cast<std::size_t>(
        std::count_if(games.begin(), games.end(), [](const auto& s) { return s.damaged; }));
    benchmark::DoNotOptimize(games.data());
  }
  if (damaged != 1) state.SkipWithError("the hostile file was not listed as damaged");
}
BENCHMARK(BM_ListThousandGamesAndAHostileFile)->Unit(benchmark::kMillisecond);

// Reading the hostile file alone: what it costs the list.
void BM_ReadHostileNestedFile(benchmark::State& state) {
  const std::string nested(client::kMaxGameFileBytes, '[');
  for (auto _ : state) {
    const auto head = client::gameHeadFromJson(nested);
    if (head) state.SkipWithError("read as a game");
    benchmark::DoNotOptimize(head);
  }
}
BENCHMARK(BM_ReadHostileNestedFile)->Unit(benchmark::kMicrosecond);

// A save into a full folder: the new game, then the oldest beyond 1,000 removed.
void BM_SaveAndPruneFullFolder(benchmark::State& state) {
  TempFolder folder;
  client::GameRecord g = playGame(40, 13);
  for (int i = 0; i < 1000; ++i) {
    g.started += 60;
    if (!client::saveGame(folder.path, g)) throw std::runtime_error("not saved");
  }
  std::size_t removed = 0;
  for (auto _ : state) {
    g.started += 60;
    if (!client::saveGame(folder.path, g)) state.SkipWithError("not saved");
    removed += client::pruneGames(folder.path).removed;
  }
  if (removed != static_cast<std::size_t>(state.iterations())) state.SkipWithError("not pruned");
}
BENCHMARK(BM_SaveAndPruneFullFolder)->Unit(benchmark::kMillisecond);

// Pruning a folder of 1,100 40-turn games, every other one only watched: each file's start is
// read to tell them apart, and the 100 oldest watched games are read whole and removed (they
// are put back between runs, untimed).
void BM_PruneFolderHalfWatched(benchmark::State& state) {
  TempFolder folder;
  client::GameRecord g = playGame(40, 17);
  std::vector<std::pair<fs::path, std::string>> files;
  for (int i = 0; i < 1100; ++i) {
    g.played = i % 2 == 1;
    char name[40];
    std::snprintf(name, sizeof name, "2030-01-01_%02d-%02d-%02d.json", i / 3600, i / 60 % 60,
                  i % 60);
    files.emplace_back(folder.path / name, client::gameToJson(g));
    std::ofstream(files.back().first, std::ios::binary) << files.back().second;
  }
  std::size_t removed = 0;
  for (auto _ : state) {
    const client::PruneResult result = client::pruneGames(folder.path);
    removed = result.removed;
    state.PauseTiming();
    for (const auto& [file, bytes] : files) {
      if (!fs::exists(file)) std::ofstream(file, std::ios::binary) << bytes;
    }
    state.ResumeTiming();
  }
  if (removed != 100) state.SkipWithError("not 100 watched games removed");
}
BENCHMARK(BM_PruneFolderHalfWatched)->Unit(benchmark::kMillisecond);

void BM_AnalyseGame30Turns(benchmark::State& state) {
  const client::GameRecord g = playGame(30, 3);
  lexicon();
  std::int64_t left = 0;
  for (auto _ : state) {
    const auto analysis = client::analyseGame(g, lexicon());
    left = analysis.leftOnTable;
    benchmark::DoNotOptimize(left);
  }
  state.counters["ownTurns"] = 15;
}
BENCHMARK(BM_AnalyseGame30Turns)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

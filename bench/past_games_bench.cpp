// View, "Past Games" over a folder of 1,000 saved games and one hostile 16 MiB file of "[": how
// long the GUI thread is held when the window asks for the list (the folder is read on a worker
// thread), and how long until the table shows the whole list.
//
//   bench_past_games
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QTableWidget>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "client/game_file.h"
#include "window/past_games_window.h"

namespace {

namespace fs = std::filesystem;
using namespace korvel;

struct Folder {
  fs::path path;
  Folder() {
    std::string pattern = (fs::temp_directory_path() / "korvel-past-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path = pattern;
    client::GameRecord g;
    g.started = 1'800'000'000;
    g.turnSeconds = 60;
    g.localSeat = 1;
    g.players = {{1, "You"}, {2, "Klot"}};
    g.computerLevel = "Normal";
    for (int t = 0; t < 40; ++t) {
      client::TurnRecord turn;
      turn.seat = 1 + t % 2;
      turn.player = turn.seat == 1 ? "You" : "Klot";
      turn.kind = client::TurnKind::Word;
      turn.tiles = {{t % 11, t / 11, 1, 1}, {t % 11, t / 11 + 1, 2, 20}};
      turn.words = {"AT"};
      turn.score = 2;
      g.turns.push_back(turn);
    }
    g.winner = "You";
    for (int i = 0; i < 1000; ++i) {
      g.started += 60;
      g.ended = g.started + 600;
      if (!client::saveGame(path, g)) throw std::runtime_error("not saved");
    }
    std::ofstream(path / "nested.json", std::ios::binary)
        << std::string(client::kMaxGameFileBytes, '[');
  }
  ~Folder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
};

const Folder& folder() {
  static const Folder f;
  return f;
}

// What a Refresh (or opening the window) costs the GUI thread: starting the worker.
void BM_RefreshHoldsTheGuiThread(benchmark::State& state) {
  PastGamesWindow window;
  window.folder = folder().path;
  for (auto _ : state) {
    window.refresh();
    state.PauseTiming();
    window.waitForList();
    state.ResumeTiming();
  }
  if (window.table->rowCount() != 1001) state.SkipWithError("not all games listed");
}
BENCHMARK(BM_RefreshHoldsTheGuiThread)->Unit(benchmark::kMicrosecond);

// From the request to the table holding all 1,001 rows (the worker's reading included).
void BM_RefreshUntilListed(benchmark::State& state) {
  PastGamesWindow window;
  window.folder = folder().path;
  for (auto _ : state) {
    window.refresh();
    window.waitForList();
  }
  if (window.table->rowCount() != 1001) state.SkipWithError("not all games listed");
}
BENCHMARK(BM_RefreshUntilListed)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

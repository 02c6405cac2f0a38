// A host's long game with View, "Game History" open: 2,000 turns of an eight-tile word with four
// words formed, 600 of them by a player who renamed himself just before, each message through
// the main window's queue and then the event loop (so the history table lays itself out and
// repaints as it would on screen). Reports the slowest and the mean time per message: a message
// must cost the window the same whatever the history already holds.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "client/game_history_window.h"
#include "client/tchat.h"
#include "protocol/message.h"

namespace {

namespace toclient = korvel::protocol::toclient;

constexpr int kTurns = 2000;
constexpr int kRenames = 600;

std::string unframed(std::string line) {
  line.pop_back();  // the queue holds lines without terminator
  return line;
}

// The host's messages: per turn the next player and the word; before every third of Bob's
// turns (600 of his 1,000) a new name for his seat.
std::vector<std::string> gameMessages() {
  std::vector<korvel::protocol::LaidTile> laid;
  for (int n = 0; n < 8; ++n) laid.push_back({n + 1, 4, n + 1, n + 3});
  std::vector<std::string> lines;
  int renames = 0;
  for (int t = 0; t < kTurns; ++t) {
    const int seat = 1 + t % 2;
    if (seat == 2 && renames < kRenames && (t / 2) % 5 < 3) {
      ++renames;
      lines.push_back(
          unframed(toclient::newplayerinfo(2, "Bob the " + std::to_string(renames) + "th")));
    }
    lines.push_back(unframed(toclient::nextplayer(seat, 24)));
    lines.push_back(
        unframed(toclient::goodword(seat, 87 * (t + 1), 43, laid, {"cdefghij", "ca", "db", "ex"})));
  }
  return lines;
}

void BM_HistoryWindowLongGame(benchmark::State& state) {
  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  chat.game.myplayer = 3;  // watching from a third seat: every turn is somebody else's
  chat.receivedlist.append("CMD_existingplayers+1+Ann+0+2+Bob+0+3+Cy+0");
  chat.GameHistory1Click();
  const auto lines = gameMessages();
  double slowest = 0, total = 0;
  std::size_t messages = 0;
  for (auto _ : state) {
    chat.receivedlist.append("CMD_startgame+Ann+30+60+1+");
    while (!chat.receivedlist.empty()) chat.processsocktimer();
    QCoreApplication::processEvents();
    for (const auto& line : lines) {
      const auto start = std::chrono::steady_clock::now();
      chat.receivedlist.append(line);
      chat.processsocktimer();
      QCoreApplication::processEvents();
      const double us =
          std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
              .count();
      slowest = std::max(slowest, us);
      total += us;
      ++messages;
    }
  }
  state.counters["messages"] = static_cast<double>(lines.size());
  state.counters["rows"] = chat.historyWindow->model->rowCount();
  state.counters["slowest_us"] = slowest;
  state.counters["mean_us"] = total / static_cast<double>(std::max<std::size_t>(1, messages));
}
BENCHMARK(BM_HistoryWindowLongGame)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same messages through the mirror alone, for comparison.
void BM_HistoryMirrorLongGame(benchmark::State& state) {
  const auto lines = gameMessages();
  for (auto _ : state) {
    korvel::client::GameMirror m;
    m.myplayer = 3;
    m.handleLine("CMD_existingplayers+1+Ann+0+2+Bob+0+3+Cy+0");
    m.handleLine("CMD_startgame+Ann+30+60+1+");
    for (const auto& line : lines) benchmark::DoNotOptimize(m.handleLine(line));
  }
  state.counters["messages"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_HistoryMirrorLongGame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

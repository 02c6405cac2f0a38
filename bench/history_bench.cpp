// Also: closing a long saved game's review while its analysis runs.
//
// A host's long game with View, "Game History" open: 2,000 turns of an eight-tile word with four
// words formed, 600 of them by a player who renamed himself just before, each message through
// the main window's queue and then the event loop (so the history table lays itself out and
// repaints as it would on screen). Reports the slowest and the mean time per message: a message
// must cost the window the same whatever the history already holds.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "bot/lexicon.h"
#include "bot/move_generator.h"
#include "client/game_log.h"
#include "protocol/message.h"
#include "window/game_history_window.h"
#include "window/game_review_window.h"
#include "window/tchat.h"

namespace {

namespace toclient = korvel::protocol::toclient;

constexpr int kTurns = 2000;

// Wall and thread processor time of each message, in microseconds: on a shared machine the wall
// time holds the waits for a processor, which the thread's own time leaves out.
struct Timing {
  double slowest = 0, total = 0, cpuSlowest = 0, cpuTotal = 0;
  std::size_t count = 0;
  std::chrono::steady_clock::time_point wall;
  timespec cpu{};
  void start() {
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    wall = std::chrono::steady_clock::now();
  }
  void stop() {
    const double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - wall).count();
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    const double cpuUs = static_cast<double>(now.tv_sec - cpu.tv_sec) * 1e6 +
                         static_cast<double>(now.tv_nsec - cpu.tv_nsec) / 1e3;
    slowest = std::max(slowest, us);
    total += us;
    cpuSlowest = std::max(cpuSlowest, cpuUs);
    cpuTotal += cpuUs;
    ++count;
  }
  void report(benchmark::State& state) const {
    const double n = static_cast<double>(std::max<std::size_t>(1, count));
    state.counters["slowest_us"] = slowest;
    state.counters["mean_us"] = total / n;
    state.counters["cpu_slowest_us"] = cpuSlowest;
    state.counters["cpu_mean_us"] = cpuTotal / n;
  }
};
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

// Argument 1: Game History open; 0: closed, for comparison (the rest of the window's work).
void BM_HistoryWindowLongGame(benchmark::State& state) {
  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  chat.game.myplayer = 3;  // watching from a third seat: every turn is somebody else's
  chat.receivedlist.append("CMD_existingplayers+1+Ann+0+2+Bob+0+3+Cy+0");
  if (state.range(0)) chat.GameHistory1Click();
  const auto lines = gameMessages();
  Timing timing;
  for (auto _ : state) {
    chat.receivedlist.append("CMD_startgame+Ann+30+60+1+");
    while (!chat.receivedlist.empty()) chat.processsocktimer();
    QCoreApplication::processEvents();
    for (const auto& line : lines) {
      timing.start();
      chat.receivedlist.append(line);
      chat.processsocktimer();
      QCoreApplication::processEvents();
      timing.stop();
    }
  }
  timing.report(state);
  state.counters["messages"] = static_cast<double>(lines.size());
  state.counters["rows"] = chat.historyWindow ? chat.historyWindow->model->rowCount() : 0;
}
BENCHMARK(BM_HistoryWindowLongGame)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(2);

// The history window alone, shown, fed the same game's record turn by turn as the main window
// feeds it (a rename is the next turn of the renamed player), each update followed by the event
// loop.
void BM_HistoryWindowAlone(benchmark::State& state) {
  Timing timing;
  for (auto _ : state) {
    korvel::client::GameLog log;
    log.begin(3, 60, true);
    log.seat(1, "Ann");
    log.seat(2, "Bob");
    GameHistoryWindow window;
    window.show();
    window.showRecord(log.record);
    QCoreApplication::processEvents();
    korvel::client::TurnRecord turn;
    turn.kind = korvel::client::TurnKind::Word;
    turn.words = {"CDEFGHIJ", "CA", "DB", "EX"};
    turn.score = 43;
    int renames = 0;
    for (int t = 0; t < kTurns; ++t) {
      turn.seat = 1 + t % 2;
      if (turn.seat == 2 && renames < kRenames && (t / 2) % 5 < 3) ++renames;
      turn.player = turn.seat == 1 ? "Ann" : "Bob the " + std::to_string(renames) + "th";
      timing.start();
      log.setTotal(turn.seat, 87 * (t + 1));
      log.add(turn);
      window.showRecord(log.record);
      QCoreApplication::processEvents();
      timing.stop();
    }
  }
  timing.report(state);
}
BENCHMARK(BM_HistoryWindowAlone)->Unit(benchmark::kMillisecond)->Iterations(3);

// A saved game of 1,000 turns under review: the window opens, its analysis runs for a moment on
// the worker thread, and the window closes. Reports how long opening (the window's own work
// before it shows) and closing (which waits for the turn being analysed, and no more) took,
// and how many turns the analysis had done.
const korvel::bot::Lexicon& wordList() {
  static const korvel::bot::Lexicon lexicon = [] {
    std::ifstream in(KORVEL_TEXT_DEMO_BLOB, std::ios::binary);
    const std::string blob(std::istreambuf_iterator<char>(in), {});
    if (blob.empty()) throw std::runtime_error("cannot read " KORVEL_TEXT_DEMO_BLOB);
    return korvel::bot::Lexicon::fromRecords(blob);
  }();
  return lexicon;
}

// Turns in which the local player (seat 1) lays the best move of a random rack and seat 2
// passes; once the board holds 40 moves the local player passes with a full rack, so that every
// later turn of its is analysed on a crowded board.
korvel::client::GameRecord longGame(int turns) {
  std::mt19937 random(5);
  const std::string bag =
      "AAAAAAAAABBCCDDDDEEEEEEEEEEEEFFGGGHHIIIIIIIIIJKLLLLMMNNNNNNOOOOOOOOPPQRR"
      "RRRRSSSSTTTTTTUUUUVVWWXYYZ";
  const korvel::bot::MoveGenerator generator(wordList());
  korvel::client::GameRecord g;
  g.localSeat = 1;
  g.players = {{1, "You"}, {2, "Bob"}};
  korvel::bot::BoardLetters board{};
  bool first = true;
  int laid = 0;
  for (int t = 0; t < turns; ++t) {
    korvel::client::TurnRecord turn;
    turn.seat = 1 + t % 2;
    turn.player = turn.seat == 1 ? "You" : "Bob";
    turn.kind = korvel::client::TurnKind::Pass;
    if (turn.seat == 1) {
      korvel::bot::RackCodes rack{};
      for (int& code : rack) code = bag[random() % bag.size()] - 'A' + 1;
      turn.rack.assign(rack.begin(), rack.end());
      const auto best = laid < 40 ? generator.best(board, rack, first) : std::nullopt;
      if (best) {
        turn.kind = korvel::client::TurnKind::Word;
        turn.score = best->score;
        turn.words = {"WORD"};
        for (const auto& tile : best->tiles) {
          turn.tiles.push_back({tile.x, tile.y, tile.slot, tile.code});
          board[tile.x][tile.y] = tile.code;
        }
        first = false;
        ++laid;
      }
    }
    g.turns.push_back(std::move(turn));
  }
  return g;
}

void BM_ReviewCloseWhileAnalysing(benchmark::State& state) {
  const auto game = longGame(1000);
  double openMs = 0, closeMs = 0, analysedBefore = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    auto* review = new GameReviewWindow(game, wordList());
    review->show();
    QCoreApplication::processEvents();
    openMs +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    // Let the analysis run for 20 ms, the window taking its results.
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(20);
    while (std::chrono::steady_clock::now() < until) QCoreApplication::processEvents();
    for (int r = 0; r < review->model->rowCount(); ++r)
      analysedBefore += review->model->analysis(r) ? 1 : 0;
    start = std::chrono::steady_clock::now();
    delete review;
    closeMs +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["open_ms"] = openMs / n;
  state.counters["close_ms"] = closeMs / n;
  state.counters["turns_analysed"] = analysedBefore / n;
}
BENCHMARK(BM_ReviewCloseWhileAnalysing)->Unit(benchmark::kMillisecond)->Iterations(5);

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

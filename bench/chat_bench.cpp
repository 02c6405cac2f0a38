// The chat view under long histories. One chat line added to a view that already holds 100,
// 1,000 or 10,000 lines, two participants talking in turn, each in a colour of their own; one
// participant whose every line switches the colour of their style, after 0, 10,000 and 60,000
// lines of that style (the same with a steady colour for comparison); and a window fed 100,000
// spectator announcements, with the spectator list's length and the process's resident memory.
// The cost of a line must not grow with the history.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStringListModel>
#include <QTextBrowser>
#include <QTextDocument>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "protocol/message.h"
#include "window/tchat.h"

namespace {

// Resident memory of this process in MB.
double residentMb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kb = 0;
      status >> kb;
      return kb / 1024;
    }
    status.ignore(1 << 12, '\n');
  }
  return 0;
}

void BM_AddLineToChat(benchmark::State& state) {
  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  const QColor red(255, 0, 0), green(0, 128, 0);
  const std::string lines[] = {"3+Cy chats: shall we play again :)#12 www.example.org",
                               "4+Di chats: yes, one more game please"};
  for (int n = 0; n < state.range(0); ++n) chat.addlinetochat(lines[n % 2], n % 2 ? green : red);
  if (getenv("NOSCROLL")) chat.ScrollChatOff1Click(true);
  int n = 0;
  for (auto _ : state) {
    chat.addlinetochat(lines[n % 2], n % 2 ? green : red);
    ++n;
  }
}
BENCHMARK(BM_AddLineToChat)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// One seat's lines after `history` lines of its own; with `switching`, every line comes in the
// other of two colours, so the style's colour changes with each line. Each step also runs the
// event loop, so the repaint the line causes is counted.
void oneSeatLines(benchmark::State& state, bool switching) {
  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  const QColor red(255, 0, 0), blue(0, 0, 255);
  const std::string line = "3+Cy chats: shall we play again, one more game :)#12 please";
  for (int n = 0; n < state.range(0); ++n) {
    chat.addlinetochat(line, red);
    if (n % 100 == 0) QApplication::processEvents();
  }
  QApplication::processEvents();
  int n = 0;
  for (auto _ : state) {
    chat.addlinetochat(line, switching && n % 2 == 0 ? blue : red);
    QApplication::processEvents();
    ++n;
  }
  state.counters["lines_kept"] = chat.mainchat->document()->blockCount();
}

void BM_ColourSwitchingLine(benchmark::State& state) {
  oneSeatLines(state, true);
}
void BM_SteadyColourLine(benchmark::State& state) {
  oneSeatLines(state, false);
}
// A fixed count, since filling 60,000 lines once per measurement is what takes the time; 1,000
// lines, so that a batch of dropped old lines falls inside the measurement too.
BENCHMARK(BM_ColourSwitchingLine)
    ->Arg(0)
    ->Arg(10000)
    ->Arg(60000)
    ->Iterations(1000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SteadyColourLine)->Arg(60000)->Iterations(1000)->Unit(benchmark::kMillisecond);

// 100,000 announcements of spectators in seats 5 to 9 through the window's message handling.
void BM_SpectatorAnnouncements(benchmark::State& state) {
  for (auto _ : state) {
    auto chat = std::make_unique<Tchat>(std::vector<std::string>{"Ann"}, ClientPorts{1, 1});
    chat->PlaySounds1->setChecked(false);
    chat->show();
    QApplication::processEvents();
    state.counters["rss_start_MB"] = residentMb();
    chat->game.myplayer = 1;
    for (int n = 0; n < state.range(0); ++n) {
      std::string message = korvel::protocol::toclient::newplayerinfo(
          5 + n % 5, "Spy" + std::to_string(n % 5) + "x" + std::to_string(n / 5 % 7));
      message.pop_back();  // the queue holds lines without terminator
      chat->receivedlist.append(message);
      chat->processsocktimer();
      // The event loop runs between two messages, as between two ticks of the queue timer.
      QApplication::processEvents();
    }
    QApplication::processEvents();
    state.counters["spectators"] = chat->spylist->rowCount();
    state.counters["rss_MB"] = residentMb();
    state.counters["lines_kept"] = chat->mainchat->document()->blockCount();
  }
}
BENCHMARK(BM_SpectatorAnnouncements)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// One chat line added to a view that already holds 100, 1,000 or 10,000 lines, two participants
// talking in turn, each in a colour of their own. The cost of a line must not grow with the
// history.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "client/tchat.h"

namespace {

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

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

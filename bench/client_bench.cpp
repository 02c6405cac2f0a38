// One turn's messages on the client (the next player, an eight-tile word with four words formed,
// the refill), through the mirror alone and through an offscreen main window that renders them
// and repaints its board; and a full board repaint with every cell covered.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <string>
#include <vector>

#include "client/game_mirror.h"
#include "protocol/message.h"
#include "window/panel_widgets.h"
#include "window/tchat.h"

namespace {

namespace toclient = korvel::protocol::toclient;

std::vector<std::string> turnMessages() {
  std::vector<korvel::protocol::LaidTile> laid;
  for (int n = 0; n < 8; ++n) laid.push_back({n + 1, 4, n + 1, n + 3});
  std::vector<std::string> lines = {
      toclient::nextplayer(1, 24),
      toclient::goodword(1, 87, 43, laid, {"cdefghij", "ca", "db", "ex"}),
      toclient::mytiles(1, {{1, 5}, {2, 9}, {3, 1}, {4, 14}, {5, 20}, {6, 18}, {7, 19}, {8, 5}}),
  };
  for (auto& line : lines) line.pop_back();  // the queue holds them without terminator
  return lines;
}

void BM_TurnThroughMirror(benchmark::State& state) {
  korvel::client::GameMirror m;
  m.myplayer = 1;
  m.handleLine("CMD_existingplayers+1+Ann+0+2+Bob+0");
  m.handleLine("CMD_startgame+Ann+30+60+1+");
  const auto lines = turnMessages();
  for (auto _ : state) {
    for (const auto& line : lines) benchmark::DoNotOptimize(m.handleLine(line));
  }
}
BENCHMARK(BM_TurnThroughMirror);

void BM_TurnThroughWindow(benchmark::State& state) {
  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  chat.game.myplayer = 1;
  chat.receivedlist.append("CMD_existingplayers+1+Ann+0+2+Bob+0");
  chat.receivedlist.append("CMD_startgame+Ann+30+60+1+");
  while (!chat.receivedlist.empty()) chat.processsocktimer();
  const auto lines = turnMessages();
  QImage target(chat.paintbox_board->size() * chat.devicePixelRatio(),
                QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    for (const auto& line : lines) {
      chat.receivedlist.append(line);
      chat.processsocktimer();
    }
    chat.paintbox_board->render(&target);
  }
}
BENCHMARK(BM_TurnThroughWindow)->Unit(benchmark::kMicrosecond);

void BM_FullBoardRepaint(benchmark::State& state) {
  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  for (int c = 0; c < 11; ++c) {
    for (int r = 0; r < 11; ++r) {
      chat.game.board[c][r].letter = (c * 11 + r) % 26 + 1;
      if ((c + r) % 3 == 0) chat.game.board[c][r].placedslot.assign(1, '1');
    }
  }
  QImage target(chat.paintbox_board->size() * chat.devicePixelRatio(),
                QImage::Format_ARGB32_Premultiplied);
  target.setDevicePixelRatio(chat.devicePixelRatio());
  for (auto _ : state) {
    QPainter p(&target);
    chat.paintbox_boardPaint(p);
  }
}
BENCHMARK(BM_FullBoardRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

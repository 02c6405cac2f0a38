// One accepted move through the server core: the "CMD_submit" line in, the move check with its
// word look-ups, scoring, refill and the "CMD_goodword"/"CMD_mytiles" sends out. No sockets.
#include <benchmark/benchmark.h>

#include <string>
#include <unordered_set>

#include "server/server_core.h"

namespace {

using korvel::server::ServerCore;

class CountingOutbound : public korvel::server::Outbound {
 public:
  std::size_t bytes = 0;
  void send(int, const std::string& message) override { bytes += message.size(); }
  void closeSeat(int) override {}
  void timer1Changed(bool) override {}
};

int code(char c) {
  return c - 'a' + 1;
}

// "stone" laid across row 5, columns 3 to 7, under an a at (3,4) and a b at (7,4) and over an n at
// (5,6): the main word and the cross words as, be and on.
const std::string kMove = "CMD_submit+1+3+5+1+4+5+2+5+5+3+6+5+4+7+5+5";

void BM_SubmitFiveTilesThreeCrossWords(benchmark::State& state) {
  const std::unordered_set<std::string> words = {"stone", "as", "on", "be"};
  CountingOutbound out;
  std::size_t lookups = 0;
  ServerCore core(
      out,
      [&](std::string_view w) {
        ++lookups;
        return words.count(std::string(w)) > 0;
      },
      [next = 0](int lo, int hi) mutable { return lo + next++ % (hi - lo + 1); });
  core.seataccepted(1, 1);
  core.seataccepted(2, 2);
  core.dispatch("CMD_logininfo+1+1.0.2+Ann", 1);
  core.dispatch("CMD_logininfo+2+1.0.2+Bob", 2);
  core.dispatch("CMD_startgame+Ann+30+60+0+", 1);
  core.moves.firstmove = false;
  core.moves.board.at(3, 4).letter = code('a');
  core.moves.board.at(7, 4).letter = code('b');
  core.moves.board.at(5, 6).letter = code('n');
  const auto bag = core.bag;
  lookups = 0;
  const int drawn = core.drawn;
  out.bytes = 0;

  for (auto _ : state) {
    state.PauseTiming();
    for (int x = 3; x <= 7; ++x) core.moves.board.at(x, 5).letter = -1;
    int slot = 1;
    for (char c : std::string("stone")) core.players[1].tiles[slot++] = code(c);
    core.bag = bag;
    core.drawn = drawn;
    core.currentplayer = 1;
    core.timer1.tag = ServerCore::kTurnPhase;
    core.players[1].score = 0;
    state.ResumeTiming();

    core.dispatch(kMove, 1);
  }
  if (core.players[1].score != 5 + 2 + 4 + 2) state.SkipWithError("the move was not accepted");
  state.counters["bytes_sent_per_move"] =
      benchmark::Counter(static_cast<double>(out.bytes), benchmark::Counter::kAvgIterations);
  state.counters["word_checks_per_move"] =
      benchmark::Counter(static_cast<double>(lookups), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SubmitFiveTilesThreeCrossWords);

}  // namespace

BENCHMARK_MAIN();

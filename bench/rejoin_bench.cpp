// A dropped player getting back into its kept seat in a full game (four players, four
// spectators, 60 letters on the board): from the new connection's first login to the
// "CMD_gamestats" that gives back its rack, score and clock. Once in the server core alone, and
// once through TServer and real loopback sockets, where the two queued logins are dispatched as
// soon as they arrive (the program's queue timer adds up to one 10 ms tick before each).
#include <benchmark/benchmark.h>
#include <sys/socket.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <array>
#include <memory>
#include <string>

#include "dictionary/record_blob.h"
#include "server/server_core.h"
#include "server/tserver.h"

namespace {

using korvel::server::ServerCore;

class CountingOutbound : public korvel::server::Outbound {
 public:
  std::size_t bytes = 0;
  bool gamestats = false;
  void send(int, const std::string& message) override {
    bytes += message.size();
    if (message.rfind("CMD_gamestats+", 0) == 0) gamestats = true;
  }
  void closeSeat(int) override {}
  void timer1Changed(bool) override {}
};

const std::array<const char*, 8> kNames = {"Ann", "Bob", "Cy", "Dee", "S5", "S6", "S7", "S8"};

// Letters on 60 cells, so that the returning player's board message is a full one.
void fillBoard(korvel::server::Board& board) {
  int n = 0;
  for (int y = 0; y < 11 && n < 60; ++y) {
    for (int x = 0; x < 11 && n < 60; ++x, ++n) board.at(x, y).letter = 1 + n % 26;
  }
}

void BM_RejoinInTheCore(benchmark::State& state) {
  CountingOutbound out;
  ServerCore core(
      out, [](std::string_view) { return true; },
      [next = 0](int lo, int hi) mutable { return lo + next++ % (hi - lo + 1); });
  for (int seat = 1; seat <= 8; ++seat) {
    core.seataccepted(seat, seat);
    core.dispatch("CMD_logininfo+" + std::to_string(seat) + "+1.0.2+" + kNames[seat - 1], seat);
  }
  core.dispatch("CMD_startgame+Ann+30+60+0+", 1);
  fillBoard(core.moves.board);
  std::size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    core.departure(3);
    out.gamestats = false;
    out.bytes = 0;
    state.ResumeTiming();

    const int given = core.chooseseat();
    core.seataccepted(given, 100);
    core.dispatch("CMD_logininfo+" + std::to_string(given) + "+1.0.2+Cy", given);
    core.dispatch("CMD_logininfo+3+1.0.2+Cy", 3);

    state.PauseTiming();
    bytes += out.bytes;
    if (given != 9 || !out.gamestats || !core.players[3].inuse) {
      state.SkipWithError("the player did not get back into its seat");
    }
    state.ResumeTiming();
  }
  state.counters["bytes_sent_per_rejoin"] =
      benchmark::Counter(static_cast<double>(bytes), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RejoinInTheCore)->Unit(benchmark::kMicrosecond);

// A raw participant that collects what it receives.
struct Peer {
  QTcpSocket socket;
  std::string received;
  explicit Peer(int port) {
    QObject::connect(&socket, &QTcpSocket::readyRead, [this] {
      const QByteArray bytes = socket.readAll();
      received.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    });
    socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
  }
  void send(const std::string& text) {
    socket.write(text.data(), static_cast<qint64>(text.size()));
    socket.flush();
  }
  bool has(const std::string& text) const { return received.find(text) != std::string::npos; }
};

// Runs the event loop and hands every queued line to its handler until the condition holds.
template <typename Done>
bool serve(TServer& server, Done done) {
  QElapsedTimer bound;
  bound.start();
  while (!done()) {
    if (bound.elapsed() > 5000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    while (!server.receivedlist.empty()) server.dispatchOne();
  }
  return true;
}

void BM_RejoinOverLoopback(benchmark::State& state) {
  TServer::Options options;
  options.wordList = korvel::recordBlob({"ab"});
  options.runTimer1 = false;
  options.runSocktimer = false;
  TServer server(options);
  server.startListening(0);
  const int port = server.listeningPort();
  std::array<std::unique_ptr<Peer>, 9> peers;
  for (int seat = 1; seat <= 8; ++seat) {
    auto& peer = peers[seat] = std::make_unique<Peer>(port);
    const std::string number = std::to_string(seat);
    if (!serve(server, [&] { return peer->has("CMD_sendlogininfo+" + number); })) {
      state.SkipWithError("no login request");
      return;
    }
    peer->send("CMD_logininfo+" + number + "+1.0.2+" + kNames[seat - 1] + "\xFF");
  }
  peers[1]->send("CMD_startgame+Ann+30+60+0+\xFF");
  if (!serve(server, [&] { return peers[8]->has("CMD_startgame+"); })) {
    state.SkipWithError("the game did not start");
    return;
  }
  fillBoard(server.core().moves.board);

  for (auto _ : state) {
    state.PauseTiming();
    // The player's connection resets; the host keeps its seat.
    const linger reset{1, 0};
    ::setsockopt(int(peers[3]->socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &reset,
                 sizeof reset);
    peers[3]->socket.abort();
    if (!serve(server, [&] { return server.core().iskept(3); })) {
      state.SkipWithError("the seat was not kept");
      return;
    }
    state.ResumeTiming();

    auto back = std::make_unique<Peer>(port);
    serve(server, [&] { return back->has("CMD_sendlogininfo+9\xFF"); });
    back->send("CMD_logininfo+9+1.0.2+Cy\xFF");
    serve(server, [&] { return back->has("CMD_sendlogininfo+3\xFF"); });
    back->send("CMD_logininfo+3+1.0.2+Cy\xFF");
    if (!serve(server, [&] { return back->has("CMD_gamestats+3+"); })) {
      state.SkipWithError("no game state for the returning player");
      return;
    }

    state.PauseTiming();
    peers[3] = std::move(back);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_RejoinOverLoopback)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// One spectator floods the chat through a real host: the host's server and its own window run in
// this thread, as in the program, while raw peers on another thread play the other seats. The
// spectator sends a chat line in alternating colours every 10 ms (the rate the server relays
// lines at) and seat 2 says something every 200 ms. Reported: how long seat 2's lines take to
// come back relayed (median and 90th percentile) and how much of the time the host's thread was
// busy. KORVEL_FLOOD_SECONDS sets the flood's length (20 s by default); KORVEL_FLOOD_OFF=1 runs
// the same without the spectator's lines.
//
// KORVEL_FLOOD_BOTS=1: the host seats three computer players (seats 2 to 4, "Fast": 500 ms wait)
// and keeps games going among them while it watches; a second spectator chats every 200 ms and
// times each computer turn from the server's CMD_nextplayer for that seat to the server's answer
// to its first message of the turn (goodword, hepassed or boughtnew), both as that spectator
// receives them, so the wait is included; "beyond the wait" subtracts the 500 ms.
//
// Measured on the shared 2-core machine (load average 1 to 3, RelWithDebInfo):
//   KORVEL_FLOOD_BOTS=1 KORVEL_FLOOD_SECONDS=60 nice build/bench/bench_flood
//     flooding: 19 computer turns, median 511.5 ms, p90 512.1 ms, max 540.1 ms (beyond the
//     wait: median 11.5 ms, max 40.1 ms; none over 600 ms); the other spectator's chat relayed
//     in 14.8 ms at the median (p90 15.2 ms, 300 lines); host thread busy 12% of the time.
//     Run again: 18 turns, median 521.5 ms, max 540.8 ms; relay median 14.9 ms; busy 14%.
//   The same with KORVEL_FLOOD_OFF=1: 18 turns, median 510.7 ms, max 511.2 ms; relay median
//     10.5 ms; host thread busy 1%.
// Each move is followed by the server's 3 s pause, hence about 19 turns a minute.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTextBrowser>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bot/computer_player.h"
#include "protocol/message.h"
#include "protocol/tsock.h"
#include "server/tserver.h"
#include "window/tchat.h"

namespace {

using Clock = std::chrono::steady_clock;

double threadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// A participant speaking the wire protocol over a plain blocking socket.
struct RawPeer {
  int fd = -1;
  int seat = 0;
  std::string name;
  std::string pending;  // received bytes not yet split into lines

  bool join(int port, const std::string& who) {
    name = who;
    fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < deadline) {
      for (const std::string& line : read(100)) {
        if (line.rfind("CMD_sendlogininfo+", 0) == 0) {
          seat = std::atoi(line.c_str() + 18);
          send("CMD_logininfo+" + std::to_string(seat) + "+1.0.2+" + name + "\xFF\xFF");
          return true;
        }
      }
    }
    return false;
  }
  void send(const std::string& bytes) const {
    for (std::size_t sent = 0; sent < bytes.size();) {
      const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return;
      sent += std::size_t(n);
    }
  }
  // The whole lines that arrive within the wait (and whatever was already there).
  std::vector<std::string> read(int waitMs) {
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, waitMs) > 0 && (p.revents & POLLIN)) {
      char buffer[65536];
      const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
      if (n <= 0) break;
      pending.append(buffer, std::size_t(n));
      waitMs = 0;
    }
    std::vector<std::string> lines;
    for (auto end = pending.find('\xFF'); end != std::string::npos; end = pending.find('\xFF')) {
      lines.push_back(pending.substr(0, end));
      pending.erase(0, end + 1);
    }
    return lines;
  }
  ~RawPeer() {
    if (fd >= 0) ::close(fd);
  }
};

struct FloodResult {
  std::vector<double> latenciesMs;
  bool joined = false;
  // With computer players: each of their turns, from the server's turn start (CMD_nextplayer for
  // the seat) to the server's answer to their first message of the turn, as one seat sees both.
  std::vector<double> turnsMs;
  std::map<std::string, int> turnEnds;  // how the turns ended: goodword, hepassed, boughtnew
  int timeUps = 0;
  double oldestOpenTurnMs = 0;  // a turn still waiting for its answer when the flood ended
};

// The first field after the command, e.g. the seat of "CMD_nextplayer+3+0+".
int seatOf(const std::string& line) {
  const auto plus = line.find('+');
  return plus == std::string::npos ? 0 : std::atoi(line.c_str() + plus + 1);
}

// `bots`: seats 2 to 4 hold the host's computer players, so the one who chats is a second
// spectator, who also times the computer players' turns; otherwise raw peers fill seats 2 to 4
// and seat 2 chats.
void peers(int port, double seconds, bool bots, std::atomic<int>& phase,
           std::atomic<int>& gamesEnded, FloodResult& result) {
  RawPeer pinger, cy, di, spy;
  if (bots) {
    result.joined =
        pinger.join(port, "Eve") && spy.join(port, "Spy") && pinger.seat >= 5 && spy.seat >= 5;
  } else {
    result.joined = pinger.join(port, "Bob") && cy.join(port, "Cy") && di.join(port, "Di") &&
                    spy.join(port, "Spy") && spy.seat >= 5;
  }
  const std::string echo = pinger.name + " chats: ping ";
  std::map<int, Clock::time_point> turnStart;  // by seat, while its answer is awaited
  if (!result.joined) {
    phase = 2;
    return;
  }
  phase = 1;
  std::map<int, Clock::time_point> askedAt;
  const auto start = Clock::now();
  auto nextFlood = start, nextPing = start;
  int flood = 0, ping = 0;
  // KORVEL_FLOOD_OFF=1 measures the same without the flood, for comparison.
  const bool flooding = std::getenv("KORVEL_FLOOD_OFF") == nullptr;
  while (Clock::now() - start < std::chrono::duration<double>(seconds)) {
    const auto now = Clock::now();
    if (flooding && now >= nextFlood) {
      spy.send("CMD_chat+" + std::to_string(spy.seat) + "+all of this again and again " +
               std::to_string(flood) + (flood % 2 ? "|clBlue" : "|clRed") + "\xFF");
      ++flood;
      nextFlood += std::chrono::milliseconds(10);
    }
    if (now >= nextPing) {
      askedAt[ping] = Clock::now();
      pinger.send("CMD_chat+" + std::to_string(pinger.seat) + "+ping " + std::to_string(ping) +
                  "|clBlack\xFF");
      ++ping;
      nextPing += std::chrono::milliseconds(200);
    }
    for (RawPeer* p : {&cy, &di, &spy}) {
      if (p->fd >= 0) p->read(0);
    }
    for (const std::string& line : pinger.read(1)) {
      const auto arrived = Clock::now();
      if (bots) {
        const int seat = seatOf(line);
        if (line.rfind("CMD_nextplayer+", 0) == 0 && seat >= 2 && seat <= 4) {
          turnStart[seat] = arrived;
        } else if (line.rfind("CMD_winner+", 0) == 0) {
          ++gamesEnded;
          turnStart.clear();
        } else if (line.rfind("CMD_timeup+", 0) == 0) {
          ++result.timeUps;
          turnStart.clear();
        } else {
          for (const char* answer : {"goodword", "hepassed", "boughtnew"}) {
            if (line.rfind(std::string("CMD_") + answer + "+", 0) != 0) continue;
            if (auto it = turnStart.find(seat); it != turnStart.end()) {
              result.turnsMs.push_back(
                  std::chrono::duration<double, std::milli>(arrived - it->second).count());
              ++result.turnEnds[answer];
              turnStart.erase(it);
            }
          }
        }
      }
      const auto at = line.find(echo);
      if (line.rfind("CMD_chat+", 0) != 0 || at == std::string::npos) continue;
      const int n = std::atoi(line.c_str() + at + echo.size());
      if (auto it = askedAt.find(n); it != askedAt.end()) {
        result.latenciesMs.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - it->second).count());
        askedAt.erase(it);
      }
    }
  }
  // Lines never relayed within the flood count as taking the whole flood.
  for (std::size_t n = 0; n < askedAt.size(); ++n) result.latenciesMs.push_back(seconds * 1000);
  for (const auto& [seat, at] : turnStart) {
    result.oldestOpenTurnMs =
        std::max(result.oldestOpenTurnMs,
                 std::chrono::duration<double, std::milli>(Clock::now() - at).count());
  }
  phase = 2;
}

double percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[std::min(values.size() - 1, std::size_t(double(values.size()) * share))];
}

// The computer players' wait before each answer: "Fast", the shortest the program offers.
constexpr int kBotWaitMs = 500;

void BM_SpectatorFloodThroughAHost(benchmark::State& state) {
  const char* env = std::getenv("KORVEL_FLOOD_SECONDS");
  const double seconds = env ? std::atof(env) : 20.0;
  // KORVEL_FLOOD_BOTS=1: the host seats three computer players and keeps games going under the
  // flood, watching itself, as a host leaves a table of computer players to play.
  const bool bots = std::getenv("KORVEL_FLOOD_BOTS") != nullptr;
  for (auto _ : state) {
    TServer::Options options;
    if (!bots) {
      options.runTimer1 = false;
      options.wordList = std::string("\x1E") + "CAT           ";  // no game is played
    }
    TServer server(options);
    QTcpServer lobby;
    lobby.listen(QHostAddress::LocalHost, 0);
    Tchat host({"Ann", "127.0.0.1", "true"}, {0, lobby.serverPort()});
    host.PlaySounds1->setChecked(false);
    host.startListening = [&](int) {
      server.startListening(0, host.sock);
      host.sock->PortName = std::to_string(server.listeningPort());
    };
    host.show();
    QElapsedTimer wait;
    wait.start();
    while (host.game.myplayer != 1 && wait.elapsed() < 10000) QApplication::processEvents();

    // The computer players sit down before the peers come, so that they hold seats 2 to 4.
    ComputerPlayers computers(server.listeningPort());
    if (bots) {
      computers.seatLabel = [&host](int seat) { return host.game.seatLabel(seat); };
      computers.setBotSpeed(kBotWaitMs);
      bool seated = false;
      computers.startGame(ComputerPlayers::kMost, [&seated] { seated = true; });
      wait.restart();
      while (!seated && wait.elapsed() < 30000) QApplication::processEvents();
      if (!seated || computers.players().size() != std::size_t(ComputerPlayers::kMost)) {
        state.SkipWithError("the computer players could not sit down");
        return;
      }
    }

    std::atomic<int> phase{0}, gamesEnded{0};
    FloodResult result;
    std::thread others(peers, server.listeningPort(), seconds, bots, std::ref(phase),
                       std::ref(gamesEnded), std::ref(result));
    // The thread sleeps until something happens, as the program's event loop does; the timer
    // only wakes it to look at the peers' progress.
    QTimer wake;
    wake.start(20);
    while (phase == 0) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // A game starts as the window starts one (the computer players first, then the start), and
    // the host watches; the next one starts when a game ends.
    int gamesStarted = 0;
    const auto startGame = [&] {
      ++gamesStarted;
      computers.startGame(ComputerPlayers::kMost, [&host] {
        try {
          host.sock->send(korvel::protocol::toserver::startgame(host.playername, "100", "60", "0"));
          host.sock->send(korvel::protocol::toserver::justwatch(1, 1));
        } catch (const ESockError&) {
        }
      });
    };
    const double cpu0 = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    while (phase == 1) {
      if (bots && gamesStarted <= gamesEnded) startGame();
      QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    const double busy = (threadCpuSeconds() - cpu0) / (double(wall.nsecsElapsed()) * 1e-9);
    others.join();
    if (!result.joined || result.latenciesMs.empty()) {
      state.SkipWithError("the peers could not join");
      return;
    }
    const auto& l = result.latenciesMs;
    state.counters["relay_median_ms"] = percentile(l, 0.5);
    state.counters["relay_p90_ms"] = percentile(l, 0.9);
    state.counters["host_thread_busy"] = busy;
    state.counters["chat_lines_kept"] = host.mainchat->document()->blockCount();
    std::printf(
        "\n%s, %.0f s: %s relayed %zu lines, median %.1f ms, p90 %.1f ms; host thread busy "
        "%.0f%% of the time\n",
        std::getenv("KORVEL_FLOOD_OFF") ? "no flood" : "spectator flooding", seconds,
        bots ? "second spectator's chat" : "seat 2's chat", l.size(), percentile(l, 0.5),
        percentile(l, 0.9), busy * 100);
    if (!bots) continue;
    const auto& t = result.turnsMs;
    const double turnMax = t.empty() ? 0 : *std::max_element(t.begin(), t.end());
    const auto over = std::count_if(t.begin(), t.end(), [](double ms) { return ms > 600; });
    state.counters["turns"] = double(t.size());
    state.counters["turn_median_ms"] = percentile(t, 0.5);
    state.counters["turn_max_ms"] = turnMax;
    state.counters["turns_over_600ms"] = double(over);
    std::printf(
        "computer turns (wait %d ms, turn start to the server's answer): %zu turns, median "
        "%.1f ms, p90 %.1f ms, max %.1f ms; beyond the wait: median %.1f ms, max %.1f ms; "
        "%td over 600 ms; %d games started, %d ended, %d time-ups",
        kBotWaitMs, t.size(), percentile(t, 0.5), percentile(t, 0.9), turnMax,
        percentile(t, 0.5) - kBotWaitMs, turnMax - kBotWaitMs, over, gamesStarted,
        gamesEnded.load(), result.timeUps);
    for (const auto& [answer, n] : result.turnEnds) std::printf("; %d by %s", n, answer.c_str());
    std::printf("; oldest open turn at the end %.0f ms\n\n", result.oldestOpenTurnMs);
  }
}
BENCHMARK(BM_SpectatorFloodThroughAHost)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

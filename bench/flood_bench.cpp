// One spectator floods the chat through a real host: the host's server and its own window run in
// this thread, as in the program, while raw peers on another thread play the other seats. The
// spectator sends a chat line in alternating colours every 10 ms (the rate the server relays
// lines at) and seat 2 says something every 200 ms. Reported: how long seat 2's lines take to
// come back relayed (median and 90th percentile) and how much of the time the host's thread was
// busy. KORVEL_FLOOD_SECONDS sets the flood's length (20 s by default); KORVEL_FLOOD_OFF=1 runs
// the same without the spectator's lines.
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
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "client/tchat.h"
#include "protocol/tsock.h"
#include "server/tserver.h"

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
};

void peers(int port, double seconds, std::atomic<int>& phase, FloodResult& result) {
  RawPeer bob, cy, di, spy;
  result.joined = bob.join(port, "Bob") && cy.join(port, "Cy") && di.join(port, "Di") &&
                  spy.join(port, "Spy") && spy.seat >= 5;
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
      bob.send("CMD_chat+" + std::to_string(bob.seat) + "+ping " + std::to_string(ping) +
               "|clBlack\xFF");
      ++ping;
      nextPing += std::chrono::milliseconds(200);
    }
    for (RawPeer* p : {&cy, &di, &spy}) p->read(0);
    for (const std::string& line : bob.read(1)) {
      const auto at = line.find("Bob chats: ping ");
      if (line.rfind("CMD_chat+", 0) != 0 || at == std::string::npos) continue;
      const int n = std::atoi(line.c_str() + at + 16);
      if (auto it = askedAt.find(n); it != askedAt.end()) {
        result.latenciesMs.push_back(
            std::chrono::duration<double, std::milli>(Clock::now() - it->second).count());
        askedAt.erase(it);
      }
    }
  }
  // Lines never relayed within the flood count as taking the whole flood.
  for (std::size_t n = 0; n < askedAt.size(); ++n) result.latenciesMs.push_back(seconds * 1000);
  phase = 2;
}

void BM_SpectatorFloodThroughAHost(benchmark::State& state) {
  const char* env = std::getenv("KORVEL_FLOOD_SECONDS");
  const double seconds = env ? std::atof(env) : 20.0;
  for (auto _ : state) {
    TServer::Options options;
    options.runTimer1 = false;
    options.wordList = std::string("\x1E") + "CAT           ";  // no game is played
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

    std::atomic<int> phase{0};
    FloodResult result;
    std::thread others(peers, server.listeningPort(), seconds, std::ref(phase), std::ref(result));
    // The thread sleeps until something happens, as the program's event loop does; the timer
    // only wakes it to look at the peers' progress.
    QTimer wake;
    wake.start(20);
    while (phase == 0) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double cpu0 = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    while (phase == 1) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double busy = (threadCpuSeconds() - cpu0) / (double(wall.nsecsElapsed()) * 1e-9);
    others.join();
    if (!result.joined || result.latenciesMs.empty()) {
      state.SkipWithError("the peers could not join");
      return;
    }
    auto& l = result.latenciesMs;
    std::sort(l.begin(), l.end());
    state.counters["relay_median_ms"] = l[l.size() / 2];
    state.counters["relay_p90_ms"] = l[l.size() * 9 / 10];
    state.counters["host_thread_busy"] = busy;
    state.counters["chat_lines_kept"] = host.mainchat->document()->blockCount();
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

// The built korvel behind a home router: three network namespaces, the host's LAN, a router that
// runs miniupnpd (NAT-PMP and UPnP IGD, nftables) and masquerades, and the outside, which has no
// route into the LAN. A host started with KORVEL_PORT_MAPPING=1 asks the router for its port; the
// test reads the outcome from the program's log, plays the first login from outside through the
// mapped port, and sees the mapping gone after the host ended. As root; skipped otherwise.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <thread>

namespace {

const QByteArray FF(1, '\xFF');
const QString kUnreachable =
    "Players outside your network cannot reach this address; play on the same network or over a "
    "VPN";

QString tool(const QString& name) {
  return QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
}

// Runs a command to its end (bounded) and gives its standard output; *ok says whether it ran
// and exited with 0.
QString output(const QString& program, const QStringList& args, bool* ok = nullptr) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start(program, args);
  const bool done =
      p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
  if (!done) p.kill();
  if (ok) *ok = done;
  return QString::fromLocal8Bit(p.readAllStandardOutput());
}

bool run(const QString& program, const QStringList& args) {
  bool ok = false;
  output(program, args, &ok);
  return ok;
}

// A child program in a session of its own, so that it and everything it started end with the
// test: TERM to the whole group, then KILL when it does not go. Should the test itself be killed,
// the child gets TERM from the kernel and ends what it started.
class Child {
 public:
  Child(const QString& program, const QStringList& args,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setChildProcessModifier([] {
      ::setsid();
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    });
    process_.start(program, args);
    process_.waitForStarted(10000);
  }
  ~Child() {
    if (process_.state() == QProcess::NotRunning) return;
    const pid_t group = static_cast<pid_t>(process_.processId());
    ::kill(-group, SIGTERM);
    if (!process_.waitForFinished(5000)) {
      ::kill(-group, SIGKILL);
      process_.waitForFinished(5000);
    }
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  QProcess& process() { return process_; }
  // What it wrote so far, kept across calls.
  const QByteArray& seen() {
    seen_ += process_.readAll();
    return seen_;
  }

 private:
  QProcess process_;
  QByteArray seen_;
};

// The three namespaces and the two veth pairs between them, removed again at the end. The LAN is
// 192.168.77.0/24 with the router at .1 and the host at .2 (its default route); the router's
// outside side and the outside's own address are given.
struct RouterNetwork {
  QString lan, router, outside;
  QString routerLan, routerOutside;  // the router's interfaces
  bool made = false;

  RouterNetwork(const QString& routerAddress, const QString& outsideAddress) {
    static int count = 0;
    const QString id = QString::number(getpid()) + QString::number(count++ % 10);
    lan = "korvel-lan" + id;
    router = "korvel-router" + id;
    outside = "korvel-out" + id;
    const QString hostLink = "kvh" + id, outsideLink = "kvo" + id;
    routerLan = "kvl" + id;
    routerOutside = "kvx" + id;
    made = run("ip", {"netns", "add", lan}) && run("ip", {"netns", "add", router}) &&
           run("ip", {"netns", "add", outside}) &&
           run("ip", {"link", "add", hostLink, "type", "veth", "peer", "name", routerLan}) &&
           run("ip", {"link", "add", routerOutside, "type", "veth", "peer", "name", outsideLink}) &&
           run("ip", {"link", "set", hostLink, "netns", lan}) &&
           run("ip", {"link", "set", routerLan, "netns", router}) &&
           run("ip", {"link", "set", routerOutside, "netns", router}) &&
           run("ip", {"link", "set", outsideLink, "netns", outside}) &&
           run("ip", {"-n", lan, "addr", "add", "192.168.77.2/24", "dev", hostLink}) &&
           run("ip", {"-n", router, "addr", "add", "192.168.77.1/24", "dev", routerLan}) &&
           run("ip", {"-n", router, "addr", "add", routerAddress + "/24", "dev", routerOutside}) &&
           run("ip", {"-n", outside, "addr", "add", outsideAddress + "/24", "dev", outsideLink}) &&
           run("ip", {"-n", lan, "link", "set", hostLink, "up"}) &&
           run("ip", {"-n", router, "link", "set", routerLan, "up"}) &&
           run("ip", {"-n", router, "link", "set", routerOutside, "up"}) &&
           run("ip", {"-n", outside, "link", "set", outsideLink, "up"}) &&
           run("ip", {"-n", lan, "link", "set", "lo", "up"}) &&
           run("ip", {"-n", router, "link", "set", "lo", "up"}) &&
           run("ip", {"-n", outside, "link", "set", "lo", "up"}) &&
           run("ip", {"-n", lan, "route", "add", "default", "via", "192.168.77.1"});
  }
  ~RouterNetwork() {
    // Deleting a namespace deletes the veth ends in it, and with them the pairs.
    for (const QString& ns : {lan, router, outside}) run("ip", {"netns", "del", ns});
  }
  RouterNetwork(const RouterNetwork&) = delete;
  RouterNetwork& operator=(const RouterNetwork&) = delete;

  // The router's rules, miniupnpd's port forwards and the filter rules that let them through
  // among them.
  QString forwards() const {
    return output("ip", {"netns", "exec", router, "nft", "list", "table", "inet", "filter"});
  }
};

// A TCP client socket made inside the named network namespace; the calling thread goes back to
// its own namespace before this returns (a socket stays in the namespace it was made in).
int socketIn(const QString& ns, int type = SOCK_STREAM) {
  const int own = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
  const int other = ::open(("/run/netns/" + ns).toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
  int fd = -1;
  if (own >= 0 && other >= 0 && ::setns(other, CLONE_NEWNET) == 0) {
    fd = ::socket(AF_INET, type | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    // Everything after this would run in the wrong network.
    if (::setns(own, CLONE_NEWNET) != 0) std::abort();
  }
  if (own >= 0) ::close(own);
  if (other >= 0) ::close(other);
  return fd;
}

// A connection from the outside namespace, with bounded waits on plain sockets.
class OutsideConnection {
 public:
  OutsideConnection(const QString& ns, const QString& address, int port, int timeoutMs) {
    fd_ = socketIn(ns);
    if (fd_ < 0) return;
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, address.toLatin1().constData(), &to.sin_addr);
    if (::connect(fd_, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) {
      connected_ = true;
      return;
    }
    if (errno != EINPROGRESS) return;
    pollfd p{fd_, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    connected_ = ::poll(&p, 1, timeoutMs) == 1 &&
                 ::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
  }
  ~OutsideConnection() {
    if (fd_ >= 0) ::close(fd_);
  }
  OutsideConnection(const OutsideConnection&) = delete;
  OutsideConnection& operator=(const OutsideConnection&) = delete;

  bool connected() const { return connected_; }
  bool send(const QByteArray& bytes) {
    return ::send(fd_, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_NOSIGNAL) ==
           bytes.size();
  }
  // Reads until what arrived so far satisfies `enough`, the peer closes, or the time is up; gives
  // all that arrived.
  const QByteArray& readUntil(const std::function<bool(const QByteArray&)>& enough, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!enough(received_) && clock.elapsed() < timeoutMs) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, static_cast<int>(timeoutMs - clock.elapsed())) != 1) break;
      char buffer[4096];
      const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      received_.append(buffer, static_cast<qsizetype>(n));
    }
    return received_;
  }

 private:
  int fd_ = -1;
  bool connected_ = false;
  QByteArray received_;
};

// Why this machine cannot run the tests below, or nothing when it can.
std::string missingForRouter() {
  if (geteuid() != 0) return "needs root for network namespaces";
  for (const char* name : {"ip", "nft", "unshare", "miniupnpd"}) {
    if (tool(name).isEmpty())
      return std::string(name) + " is missing (scripts/install-deps.sh installs it)";
  }
  return {};
}

// The router, started in its namespace and ready: miniupnpd with NAT-PMP and UPnP IGD, or UPnP
// IGD alone, or no port mapping at all (NAT-PMP requests dropped unanswered).
enum class RouterKind { NatPmpAndUpnp, UpnpOnly, Silent };
void PrintTo(RouterKind kind, std::ostream* out) {
  *out << (kind == RouterKind::UpnpOnly ? "UPnP IGD alone"
           : kind == RouterKind::Silent ? "no port mapping"
                                        : "NAT-PMP and UPnP IGD");
}
std::unique_ptr<Child> startRouter(const RouterNetwork& net, const QString& work,
                                   RouterKind kind = RouterKind::NatPmpAndUpnp) {
  QStringList args{"netns", "exec",        net.router,        ROUTER_SCOPE,
                   work,    net.routerLan, "192.168.77.0/24", net.routerOutside};
  if (kind == RouterKind::UpnpOnly) args << "upnp-only";
  if (kind == RouterKind::Silent) args << "silent";
  auto router = std::make_unique<Child>("ip", args);
  (void)QTest::qWaitFor(
      [&] {
        return router->seen().contains("router ready") ||
               router->process().state() == QProcess::NotRunning;
      },
      15000);
  return router;
}

// The korvel hosting on `port` in the LAN namespace with port mapping on. Its home is `home`; it
// reaches no bus, so it publishes nothing on this machine's network.
std::unique_ptr<Child> startHost(const RouterNetwork& net, const QString& home, int port) {
  QDir().mkpath(home + "/runtime");
  QFile::setPermissions(home + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"XDG_STATE_HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"})
    env.remove(name);
  env.insert("HOME", home);
  env.insert("XDG_RUNTIME_DIR", home + "/runtime");
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("KORVEL_PORT_MAPPING", "1");
  env.insert("KORVEL_PORT", QString::number(port));
  env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + home + "/no-bus");
  env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + home + "/no-bus");
  return std::make_unique<Child>(
      "ip", QStringList{"netns", "exec", net.lan, KORVEL_EXE, "Ann", "127.0.0.1", "true"}, env);
}

// The port-mapping lines of the host's program log, each from "port mapping: " on.
QStringList mappingLines(const QString& home) {
  QFile log(home + "/.local/state/Korvel/korvel.log");
  QStringList lines;
  if (!log.open(QIODevice::ReadOnly)) return lines;
  for (const QByteArray& line : log.readAll().split('\n')) {
    const qsizetype at = line.indexOf("port mapping: ");
    if (at >= 0) lines << QString::fromUtf8(line.mid(at));
  }
  return lines;
}

// Ends the host with TERM, the way a desktop session ends it, and says how long it took.
qint64 terminate(Child& host) {
  QElapsedTimer clock;
  clock.start();
  ::kill(static_cast<pid_t>(host.process().processId()), SIGTERM);
  if (!host.process().waitForFinished(10000)) return -1;
  return clock.elapsed();
}

// miniupnpd takes the documentation ranges (192.0.2/24, 198.51.100/24, 203.0.113/24) and other
// reserved ones for private and will not map behind them, so the router's public side uses the
// block next to 198.51.100/24; the namespaces reach nothing outside themselves.
const QString kPublicRouter = "198.51.101.1";
const QString kPublicOutside = "198.51.101.2";

// A router that speaks both protocols (NAT-PMP is asked first), and one that speaks UPnP IGD alone.
class PublicRouter : public testing::TestWithParam<RouterKind> {};
INSTANTIATE_TEST_SUITE_P(RouterMapping, PublicRouter,
                         testing::Values(RouterKind::NatPmpAndUpnp, RouterKind::UpnpOnly),
                         [](const testing::TestParamInfo<RouterKind>& info) {
                           return info.param == RouterKind::UpnpOnly ? "UpnpOnly" : "NatPmpAndUpnp";
                         });

TEST_P(PublicRouter, ForwardsTheGamePortFromOutsideUntilTheHostEnds) {
  if (const std::string why = missingForRouter(); !why.empty()) GTEST_SKIP() << why;
  RouterNetwork net(kPublicRouter, kPublicOutside);
  if (!net.made) GTEST_SKIP() << "network namespaces cannot be made here";
  QTemporaryDir work;
  const std::unique_ptr<Child> router = startRouter(net, work.filePath("router"), GetParam());
  ASSERT_TRUE(router->seen().contains("router ready")) << router->seen().toStdString();

  QElapsedTimer clock;
  clock.start();
  const QString home = work.filePath("host");
  const std::unique_ptr<Child> host = startHost(net, home, 7790);
  // The line with the outside invitation; other lines may come before it.
  const QRegularExpression linked(R"(korvel://198\.51\.101\.1:(\d+))");
  const auto linkedLine = [&] {
    for (const QString& line : mappingLines(home)) {
      if (line.contains(linked)) return line;
    }
    return QString();
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return !linkedLine().isEmpty(); }, 30000))
      << "no invitation within 30 s; port mapping lines:\n"
      << mappingLines(home).join('\n').toStdString() << "\nrouter log:\n"
      << output("cat", {work.filePath("router/miniupnpd.log")}).toStdString();
  const qint64 toLine = clock.elapsed();
  const QString line = linkedLine();
  const QRegularExpressionMatch link = linked.match(line);
  EXPECT_FALSE(line.contains(kUnreachable)) << line.toStdString();
  const int outsidePort = link.captured(1).toInt();
  EXPECT_TRUE(
      net.forwards().contains(QString("dport %1 dnat ip to 192.168.77.2:7790").arg(outsidePort)))
      << net.forwards().toStdString();

  // From outside, through the router's public address and the mapped port, into the game.
  {
    OutsideConnection bob(net.outside, kPublicRouter, outsidePort, 5000);
    ASSERT_TRUE(bob.connected());
    const QByteArray greeting = "CMD_sendlogininfo+2" + FF;
    EXPECT_TRUE(bob.readUntil([&](const QByteArray& got) { return got.contains(greeting); }, 10000)
                    .contains(greeting));
    const qint64 toGreeting = clock.elapsed();
    ASSERT_TRUE(bob.send("CMD_logininfo+2+1.0.2+Bob" + FF));
    // Everybody learns of Bob, and Bob of the host's own seat: among the players already there,
    // or as a newcomer when the host's own client logs in after Bob connected (the mapping can
    // be told that early).
    const QByteArray bobIn = "CMD_newplayerinfo+2+Bob+0" + FF;
    const auto annKnown = [](const QByteArray& got) {
      return got.contains("CMD_existingplayers+1+Ann+0" + FF) ||
             got.contains("CMD_newplayerinfo+1+Ann+0" + FF);
    };
    const QByteArray answer = bob.readUntil(
        [&](const QByteArray& got) { return got.contains(bobIn) && annKnown(got); }, 10000);
    EXPECT_TRUE(answer.contains(bobIn)) << answer.toStdString();
    EXPECT_TRUE(annKnown(answer)) << answer.toStdString();
    std::cout << "success line " << toLine << " ms after the start, outside greeting after "
              << toGreeting << " ms: " << line.toStdString() << std::endl;
  }

  const qint64 toExit = terminate(*host);
  ASSERT_GE(toExit, 0) << "the host did not end within 10 s after TERM";
  EXPECT_EQ(host->process().exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(host->process().exitCode(), 0);
  std::cout << "host ended " << toExit << " ms after TERM" << std::endl;
  const QString after = net.forwards();
  EXPECT_TRUE(after.contains("chain prerouting_miniupnpd")) << after.toStdString();
  EXPECT_FALSE(after.contains(QString("dport %1 ").arg(outsidePort))) << after.toStdString();
  OutsideConnection late(net.outside, kPublicRouter, outsidePort, 3000);
  EXPECT_FALSE(late.connected());
}

// 100.64/10 is shared address space (carrier-grade NAT): a router whose outside side has such an
// address is itself behind another NAT, so no mapping on it makes the host reachable.
TEST(RouterMapping, ARouterWithASharedOutsideAddressIsNeverOfferedAsAnInvitation) {
  if (const std::string why = missingForRouter(); !why.empty()) GTEST_SKIP() << why;
  RouterNetwork net("100.64.0.1", "100.64.0.2");
  if (!net.made) GTEST_SKIP() << "network namespaces cannot be made here";
  QTemporaryDir work;
  const std::unique_ptr<Child> router = startRouter(net, work.filePath("router"));
  ASSERT_TRUE(router->seen().contains("router ready")) << router->seen().toStdString();

  QElapsedTimer clock;
  clock.start();
  const QString home = work.filePath("host");
  const std::unique_ptr<Child> host = startHost(net, home, 7790);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return mappingLines(home).join('\n').contains(kUnreachable); }, 30000))
      << mappingLines(home).join('\n').toStdString();
  std::cout << "unreachable line " << clock.elapsed() << " ms after the start" << std::endl;
  for (const QString& line : mappingLines(home)) {
    EXPECT_FALSE(line.contains("korvel://100.64.")) << line.toStdString();
    std::cout << line.toStdString() << std::endl;
  }
  const qint64 toExit = terminate(*host);
  EXPECT_GE(toExit, 0) << "the host did not end within 10 s after TERM";
  const QString after = net.forwards();
  EXPECT_TRUE(after.contains("chain prerouting_miniupnpd")) << after.toStdString();
  EXPECT_FALSE(after.contains("dnat")) << after.toStdString();
}

// A router without port mapping answers neither protocol: the host waits out both (bounded), says
// so, offers no outside link, and still ends at once.
TEST(RouterMapping, WithoutARouterThatMapsTheHostSaysSoAndOffersNoOutsideLink) {
  if (const std::string why = missingForRouter(); !why.empty()) GTEST_SKIP() << why;
  RouterNetwork net(kPublicRouter, kPublicOutside);
  if (!net.made) GTEST_SKIP() << "network namespaces cannot be made here";
  QTemporaryDir work;
  const std::unique_ptr<Child> router =
      startRouter(net, work.filePath("router"), RouterKind::Silent);
  ASSERT_TRUE(router->seen().contains("router ready")) << router->seen().toStdString();

  QElapsedTimer clock;
  clock.start();
  const QString home = work.filePath("host");
  const std::unique_ptr<Child> host = startHost(net, home, 7790);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return mappingLines(home).join('\n').contains("No router answered"); }, 30000))
      << mappingLines(home).join('\n').toStdString();
  std::cout << "no-router line " << clock.elapsed() << " ms after the start" << std::endl;
  for (const QString& line : mappingLines(home)) {
    EXPECT_FALSE(line.contains("korvel://")) << line.toStdString();
    std::cout << line.toStdString() << std::endl;
  }
  const qint64 toExit = terminate(*host);
  EXPECT_GE(toExit, 0) << "the host did not end within 10 s after TERM";
  EXPECT_EQ(host->process().exitCode(), 0);
}

// A device at the router's address that answers the gateway search and then sends its
// description a byte every 4 s: the host ends at once all the same (it used to stay, unseen,
// waiting for the description, still listening on its game port).
TEST(RouterMapping, AGatewayThatTricklesItsDescriptionDoesNotHoldTheHostAtItsEnd) {
  if (const std::string why = missingForRouter(); !why.empty()) GTEST_SKIP() << why;
  RouterNetwork net(kPublicRouter, kPublicOutside);
  if (!net.made) GTEST_SKIP() << "network namespaces cannot be made here";
  // The stand-in's sockets, made in the router's namespace: the SSDP group on its LAN side, and
  // its web server.
  const int ssdp = socketIn(net.router, SOCK_DGRAM), web = socketIn(net.router, SOCK_STREAM);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_port = htons(1900);
  ip_mreq group{};
  inet_pton(AF_INET, "239.255.255.250", &group.imr_multiaddr);
  inet_pton(AF_INET, "192.168.77.1", &group.imr_interface);
  ASSERT_EQ(::bind(ssdp, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
  ASSERT_EQ(::setsockopt(ssdp, IPPROTO_IP, IP_ADD_MEMBERSHIP, &group, sizeof group), 0);
  at.sin_port = htons(5000);
  at.sin_addr = group.imr_interface;
  ASSERT_EQ(::bind(web, reinterpret_cast<sockaddr*>(&at), sizeof at), 0);
  ASSERT_EQ(::listen(web, 4), 0);
  std::atomic<bool> stop{false};
  std::atomic<int> fetches{0};
  std::thread device([&] {
    const QByteArray answer =
        "HTTP/1.1 200 OK\r\nST: urn:schemas-upnp-org:device:InternetGatewayDevice:1\r\n"
        "LOCATION: http://192.168.77.1:5000/rootDesc.xml\r\n\r\n";
    const QByteArray description =
        "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: 4000\r\n\r\n<?xml";
    std::vector<int> clients;
    QElapsedTimer sinceByte;
    sinceByte.start();
    while (!stop) {
      pollfd p[2] = {{ssdp, POLLIN, 0}, {web, POLLIN, 0}};
      ::poll(p, 2, 20);
      char in[1500];
      sockaddr_in from{};
      socklen_t length = sizeof from;
      if (::recvfrom(ssdp, in, sizeof in, 0, reinterpret_cast<sockaddr*>(&from), &length) > 0)
        ::sendto(ssdp, answer.constData(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from),
                 length);
      if (const int client = ::accept(web, nullptr, nullptr); client >= 0) {
        clients.push_back(client);
        ++fetches;
      }
      if (sinceByte.elapsed() >= 4000) {
        sinceByte.restart();
        for (const int client : clients) {
          char byte = description[static_cast<qsizetype>(fetches) % description.size()];
          ::send(client, &byte, 1, MSG_NOSIGNAL);
        }
      }
    }
    for (const int client : clients) ::close(client);
  });
  struct Stop {
    std::atomic<bool>& stop;
    std::thread& device;
    ~Stop() {
      stop = true;
      device.join();
    }
  } stopDevice{stop, device};

  QTemporaryDir work;
  const QString home = work.filePath("host");
  const std::unique_ptr<Child> host = startHost(net, home, 7790);
  ASSERT_TRUE(QTest::qWaitFor([&] { return fetches > 0; }, 30000))
      << "the host never asked for the description";
  const qint64 toExit = terminate(*host);
  ASSERT_GE(toExit, 0) << "the host did not end within 10 s after TERM";
  // The port mapping's share of the end is at most 2 s.
  EXPECT_LT(toExit, 5000);
  EXPECT_EQ(host->process().exitCode(), 0);
  std::cout << "host ended " << toExit << " ms after TERM while the description trickled"
            << std::endl;
  ::close(ssdp);
  ::close(web);
}

}  // namespace

#include "protocol/tsock.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/message_boxes.h"

namespace {

const std::string kOutgoing = "info 5 Non-Blocking Outgoing Data";
const std::string kIncoming = "info 4 Non-Blocking Incoming Data";
const std::string kClosed = "info 2 Socket Closed";

// Spins the event loop until the condition holds; false when the bound passes first.
bool spinUntil(const std::function<bool()>& condition, int boundMs = 10000) {
  QElapsedTimer clock;
  clock.start();
  QTimer wake;  // wakes the waiting loop so the bound is looked at
  wake.start(50);
  while (!condition()) {
    if (clock.elapsed() > boundMs) return false;
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  return true;
}

// Runs what is already queued, so that a follow-up event that should not exist would show.
void settle() {
  for (int round = 0; round < 5; ++round) {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
}

class RecordingBoxes : public MessageBoxes {
 public:
  bool askYesNo(const QString&) override { return true; }
  std::vector<std::string> shown;
  // Runs as if the modal box were open, the way a real one runs the event loop.
  std::function<void()> whileOpen;

 protected:
  void presentMessage(const QString& text, std::function<void()> dismissed) override {
    shown.push_back(text.toStdString());
    if (whileOpen) whileOpen();
    dismissed();
  }
};

// Writes every event of the hooked sockets into one list, named by the sender, so that the
// order across events and sockets is visible. Accepted sockets inherit the hooks and are named
// when accepted.
class Recorder {
 public:
  void hook(TSock& sock, const std::string& name) {
    names[&sock] = name;
    sock.OnInfo = [this](TSock* from, int kind, const std::string& msg) {
      add(from, "info " + std::to_string(kind) + " " + msg);
    };
    sock.OnRead = [this](TSock* from, int count) {
      add(from, "read " + std::to_string(count));
      received[nameOf(from)] += from->receive();
    };
    sock.OnDisconnect = [this](TSock* from) { add(from, "disconnect"); };
    sock.OnConnect = [this](TSock* from) { add(from, "connect"); };
    sock.OnWrite = [this](TSock* from) { add(from, "write"); };
  }
  std::string nameOf(const TSock* sock) const {
    auto found = names.find(sock);
    return found == names.end() ? "?" : found->second;
  }
  void add(const TSock* from, const std::string& line) {
    lines.push_back(nameOf(from) + " " + line);
  }
  std::vector<std::string> of(const std::string& name) const {
    std::vector<std::string> result;
    for (const std::string& line : lines) {
      if (line.rfind(name + " ", 0) == 0) result.push_back(line.substr(name.size() + 1));
    }
    return result;
  }
  int count(const std::string& name, const std::string& line) const {
    int n = 0;
    for (const std::string& own : of(name)) n += own == line;
    return n;
  }

  std::map<const TSock*, std::string> names;
  std::vector<std::string> lines;
  std::map<std::string, std::string> received;
};

void expectSockError(const std::function<void()>& operation, const std::string& text) {
  try {
    operation();
    ADD_FAILURE() << "no error, expected \"" << text << "\"";
  } catch (const ESockError& error) {
    EXPECT_EQ(error.what(), text);
  }
}

class TSockTest : public ::testing::Test {
 protected:
  void SetUp() override { setMessageBoxes(&boxes); }
  void TearDown() override {
    client.reset();
    listener.reset();
    settle();
    setMessageBoxes(nullptr);
    TSock::setHostResolver({});
    TSock::clearHostCache();
  }

  // A listener "L" on an ephemeral port whose accepted connections are called "S".
  void startListener() {
    listener = std::make_unique<TSock>();
    listener->PortName = "0";
    rec.hook(*listener, "L");
    listener->OnAccept = [this](TSock* from) {
      TSock* accepted = nullptr;
      if (from->accept(accepted)) {
        rec.names[accepted] = "S" + std::string(accepted_ == 0 ? "" : std::to_string(accepted_));
        if (accepted_++ == 0) server = accepted;
      }
    };
    listener->setListen(true);
  }

  std::unique_ptr<TSock> makeClient(const std::string& name, const std::string& host) {
    auto sock = std::make_unique<TSock>();
    rec.hook(*sock, name);
    sock->HostName = host;
    sock->PortName = std::to_string(listener->localPort());
    return sock;
  }

  // Listener, client "C" and accepted "S", both past their first write event; the log is then
  // emptied so that each test sees only its own events.
  void connectPair() {
    startListener();
    client = makeClient("C", "127.0.0.1");
    EXPECT_FALSE(client->open());
    ASSERT_TRUE(spinUntil([&] {
      return server && client->connected() && rec.count("C", "write") == 1 &&
             rec.count("S", "write") == 1;
    }));
    rec.lines.clear();
  }

  RecordingBoxes boxes;
  Recorder rec;
  std::unique_ptr<TSock> listener;
  std::unique_ptr<TSock> client;
  TSock* server = nullptr;
  int accepted_ = 0;
};

TEST_F(TSockTest, ConnectsAndCarriesBytesInOrderWithTheNotifications) {
  startListener();
  client = makeClient("C", "127.0.0.1");
  const std::string port = client->PortName;
  EXPECT_NE(port, "0");
  EXPECT_FALSE(client->open());
  EXPECT_EQ(client->state(), TSock::State::Connecting);
  EXPECT_FALSE(client->open()) << "a second open only returns the flag";
  ASSERT_TRUE(spinUntil(
      [&] { return server && rec.count("C", "write") == 1 && rec.count("S", "write") == 1; }));

  EXPECT_EQ(rec.of("L"), (std::vector<std::string>{"info 3 Listening Started",
                                                   "info 6 Created New TSock Structure"}));
  EXPECT_EQ(rec.of("C"),
            (std::vector<std::string>{
                "info 0 Lookup Of Port " + port, "info 0 Lookup Of Host 127.0.0.1",
                "info 1 Non-Blocking Socket Connected", "connect", kOutgoing, "write"}));
  // The accepted end inherited the listener's handlers, so its events are recorded too.
  EXPECT_EQ(rec.of("S"), (std::vector<std::string>{kOutgoing, "write"}));
  EXPECT_TRUE(server->connected());
  EXPECT_EQ(server->parent(), listener.get());
  EXPECT_EQ(server->HostName, "127.0.0.1");
  EXPECT_EQ(server->PortName, "0");

  rec.lines.clear();
  const std::string first = "CMD_logininfo+2+1.0.2+Red\xFF";
  const std::string second("bytes \0 and \xFF\xFF kept", 20);
  client->send(first);
  client->send(second);
  EXPECT_EQ(rec.of("C"), (std::vector<std::string>{kOutgoing, kOutgoing}));
  EXPECT_TRUE(client->outgoingText().empty());
  ASSERT_TRUE(spinUntil([&] { return rec.received["S"].size() == first.size() + second.size(); }));
  EXPECT_EQ(rec.received["S"], first + second);
  // Every read event is kind 4 followed by OnRead with the length of the incoming text.
  const std::vector<std::string> reads = rec.of("S");
  ASSERT_EQ(reads.size() % 2, 0u);
  for (std::size_t i = 0; i < reads.size(); i += 2) {
    EXPECT_EQ(reads[i], kIncoming);
    EXPECT_EQ(reads[i + 1].rfind("read ", 0), 0u);
  }

  server->send("CMD_sendlogininfo+2");
  server->send("\xFF");
  ASSERT_TRUE(spinUntil([&] { return rec.received["C"].size() == 20; }));
  EXPECT_EQ(rec.received["C"], "CMD_sendlogininfo+2\xFF");
}

TEST_F(TSockTest, TextTheSystemRefusesWaitsAndFollowsInOrder) {
  connectPair();
  std::string payload(32 << 20, '\0');
  for (std::size_t i = 0; i < payload.size(); ++i) payload[i] = char(i * 7 % 251);
  server->send(payload);
  EXPECT_FALSE(server->outgoingText().empty()) << "more than loopback buffers take at once";
  EXPECT_LT(server->outgoingText().size(), payload.size());
  // The waiting text is held once: Qt's own buffer gets only a small part of it at a time.
  auto* qt = server->findChild<QTcpSocket*>();
  ASSERT_NE(qt, nullptr);
  EXPECT_LE(qt->bytesToWrite(), 65536);
  // Small messages leave at once, not held until the peer acknowledges the one before.
  EXPECT_EQ(qt->socketOption(QAbstractSocket::LowDelayOption).toInt(), 1);
  EXPECT_EQ(client->findChild<QTcpSocket*>()->socketOption(QAbstractSocket::LowDelayOption).toInt(),
            1);
  ASSERT_TRUE(spinUntil([&] { return rec.received["C"].size() == payload.size(); }, 60000));
  EXPECT_TRUE(rec.received["C"] == payload);
  ASSERT_TRUE(spinUntil([&] { return rec.count("S", "write") >= 1; }));
  EXPECT_TRUE(server->outgoingText().empty());
  // The drain was announced as a write event: kind 5, then OnWrite.
  const std::vector<std::string> serverLines = rec.of("S");
  EXPECT_EQ(serverLines.front(), kOutgoing);
  EXPECT_EQ(serverLines.back(), "write");
  for (const std::string& line : rec.of("C")) {
    if (line.rfind("read ", 0) == 0) {
      EXPECT_LE(std::stoi(line.substr(5)), 32768) << line;
    }
  }
}

TEST_F(TSockTest, APeerThatStopsReadingIsLetGoPastTheBound) {
  connectPair();
  server->maxOutgoing = 1 << 20;
  server->send(std::string(32 << 20, 'x'));             // far more than the loopback buffers take
  EXPECT_EQ(server->state(), TSock::State::Connected);  // not from inside the send
  ASSERT_TRUE(spinUntil([&] { return server->state() == TSock::State::NoHandle; }));
  EXPECT_EQ(rec.of("S").back(), kClosed);
  EXPECT_TRUE(server->outgoingText().empty());
}

TEST_F(TSockTest, BytesArrivingWhileAReadHandlerRunsALoopAreStillRead) {
  connectPair();
  bool nested = false;
  std::string got;
  server->OnRead = [&](TSock* from, int) {
    got += from->receive();
    if (std::exchange(nested, true)) return;
    // Like a modal box: the loop runs inside the handler while more than a read's worth arrives.
    client->send(std::string(100000, 'n'));
    spinUntil([&] { return client->outgoingText().empty(); });
    settle();
  };
  client->send("x");
  ASSERT_TRUE(spinUntil([&] { return got.size() == 100001; }));
}

TEST_F(TSockTest, PeerCloseRaisesDisconnectThenSocketClosed) {
  connectPair();
  // The server's own disconnect handler closes too, so "Socket Closed" comes twice.
  server->OnDisconnect = [this](TSock* from) {
    rec.add(from, "disconnect");
    from->close();
  };
  client->send("last words\xFF");
  client->close();
  EXPECT_EQ(rec.of("C"), (std::vector<std::string>{kOutgoing, kClosed}));
  EXPECT_EQ(client->state(), TSock::State::NoHandle);
  ASSERT_TRUE(spinUntil([&] { return rec.count("S", kClosed) == 2; }));
  settle();
  EXPECT_EQ(rec.received["S"], "last words\xFF") << "bytes sent before close arrive";
  std::vector<std::string> ending = rec.of("S");
  ending.erase(ending.begin(), ending.end() - 3);
  EXPECT_EQ(ending, (std::vector<std::string>{"disconnect", kClosed, kClosed}));
  EXPECT_EQ(rec.count("S", "info 7 Error #1 (RemoteHostClosedError)"), 0);
  expectSockError([&] { server->send("x"); }, "Send - Socket Not Connected");
}

TEST_F(TSockTest, SendAfterThePeerLeftKeepsTheText) {
  connectPair();
  std::string keptAtDisconnect;
  client->OnDisconnect = [&](TSock* from) {
    rec.add(from, "disconnect");
    from->send("late");
    keptAtDisconnect = from->outgoingText();
  };
  server->close();
  ASSERT_TRUE(spinUntil([&] { return rec.count("C", kClosed) == 1; }));
  settle();
  EXPECT_EQ(rec.of("C"), (std::vector<std::string>{"disconnect", kOutgoing, kClosed}));
  EXPECT_EQ(keptAtDisconnect, "late");
  EXPECT_TRUE(client->outgoingText().empty()) << "close empties the outgoing text";
}

TEST_F(TSockTest, ResetIsAnErrorThenTreatedAsThePeerEnding) {
  // The server's end of a connection whose client resets it.
  startListener();
  QTcpSocket peer;
  peer.connectToHost(QHostAddress::LocalHost, listener->localPort());
  ASSERT_TRUE(spinUntil([&] { return server && rec.count("S", "write") == 1; }));
  rec.lines.clear();
  const linger hard{1, 0};
  ASSERT_EQ(setsockopt(int(peer.socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard), 0);
  peer.abort();
  ASSERT_TRUE(spinUntil([&] { return rec.count("S", kClosed) == 1; }));
  settle();
  EXPECT_EQ(rec.of("S"), (std::vector<std::string>{"info 7 Error #1 (RemoteHostClosedError)",
                                                   "disconnect", kClosed}));

  // The client's end of a connection the server resets.
  QTcpServer raw;
  ASSERT_TRUE(raw.listen(QHostAddress::LocalHost));
  client = std::make_unique<TSock>();
  rec.hook(*client, "C");
  client->HostName = "127.0.0.1";
  client->PortName = std::to_string(raw.serverPort());
  client->open();
  ASSERT_TRUE(
      spinUntil([&] { return raw.hasPendingConnections() && rec.count("C", "write") == 1; }));
  std::unique_ptr<QTcpSocket> far(raw.nextPendingConnection());
  rec.lines.clear();
  ASSERT_EQ(setsockopt(int(far->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard, sizeof hard), 0);
  far->abort();
  ASSERT_TRUE(spinUntil([&] { return rec.count("C", kClosed) == 1; }));
  settle();
  EXPECT_EQ(rec.of("C"), (std::vector<std::string>{"info 7 Error #1 (RemoteHostClosedError)",
                                                   "disconnect", kClosed}));
}

TEST_F(TSockTest, ConnectToAClosedPortRaisesOnlyTheError) {
  startListener();
  const std::string port = std::to_string(listener->localPort());
  listener->setListen(false);
  client = std::make_unique<TSock>();
  rec.hook(*client, "C");
  client->HostName = "127.0.0.1";
  client->PortName = port;
  rec.lines.clear();
  EXPECT_FALSE(client->open());
  ASSERT_TRUE(spinUntil([&] { return rec.lines.size() == 3; }));
  settle();
  EXPECT_EQ(rec.of("C"), (std::vector<std::string>{"info 0 Lookup Of Port " + port,
                                                   "info 0 Lookup Of Host 127.0.0.1",
                                                   "info 7 Error #0 (ConnectionRefusedError)"}));
  // The handle stays: open does nothing more, sent text waits, close ends it.
  EXPECT_EQ(client->state(), TSock::State::Connecting);
  EXPECT_FALSE(client->open());
  EXPECT_TRUE(client->send("held"));
  EXPECT_EQ(client->outgoingText(), "held");
  client->close();
  EXPECT_EQ(rec.of("C").back(), kClosed);
  EXPECT_EQ(rec.lines.size(), 5u);
  EXPECT_EQ(client->state(), TSock::State::NoHandle);
}

TEST_F(TSockTest, OperationsFailWithTheirTexts) {
  connectPair();
  TSock fresh;
  struct Case {
    const char* what;
    std::function<void()> operation;
    std::string text;
  };
  TSock* out = nullptr;
  TSock other;
  TSock::setHostResolver([](const QString&) { return QList<QHostAddress>{}; });
  const std::vector<Case> cases = {
      {"send without handle", [&] { fresh.send("x"); }, "Send - Socket Not Connected"},
      {"receive without handle", [&] { fresh.receive(); }, "Receive - Socket Not Connected"},
      {"accept on a socket not listening", [&] { fresh.accept(out); },
       "Accept - Socket Not In Listening Mode"},
      {"accept on a connection", [&] { client->accept(out); },
       "Accept - Socket Not In Listening Mode"},
      {"send on a listener", [&] { listener->send("x"); },
       "Send - Cannot Send On A Listener Socket"},
      {"receive on a listener", [&] { listener->receive(); },
       "Receive - Cannot Receive On A Listener Socket"},
      {"listen while connected", [&] { client->setListen(true); },
       "Listen - Socket Already In Use"},
      {"listen on a taken port",
       [&] {
         other.PortName = std::to_string(listener->localPort());
         other.setListen(true);
       },
       "Listen - Error Binding Socket"},
      {"unknown service",
       [&] {
         other.PortName = "no-such-korvel-service";
         other.open();
       },
       "Port Lookup - Could Not Find Service Entry"},
      {"port number with junk",
       [&] {
         other.PortName = "77x";
         other.open();
       },
       "Port Lookup - Could Not Find Service Entry"},
      {"unknown host",
       [&] {
         other.PortName = "7772";
         other.HostName = "nowhere.invalid";
         other.open();
       },
       "Host Lookup - Could Not Find Host Entry"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    expectSockError(c.operation, c.text);
  }
  EXPECT_EQ(other.state(), TSock::State::NoHandle) << "failed lookups leave no handle";
  EXPECT_EQ(fresh.state(), TSock::State::NoHandle);
}

TEST_F(TSockTest, ListeningNoticesStopAndRestart) {
  startListener();
  const quint16 port = listener->localPort();
  EXPECT_NE(port, 0);
  listener->setListen(true);
  EXPECT_TRUE(listener->listening());
  listener->setListen(false);
  EXPECT_EQ(rec.of("L"), (std::vector<std::string>{"info 3 Listening Started",
                                                   "info 3 Listening Already Running", kClosed,
                                                   "info 3 Listening Stopped"}));
  EXPECT_FALSE(listener->listening());
  EXPECT_EQ(listener->localPort(), 0);
  listener->setListen(false);
  EXPECT_EQ(rec.lines.size(), 4u) << "turning off twice says nothing";

  // The same port can be taken again at once; closing a listener reports no "Socket Closed".
  listener->PortName = std::to_string(port);
  listener->setListen(true);
  EXPECT_EQ(listener->localPort(), port);
  listener->close();
  EXPECT_EQ(rec.of("L").back(), "info 3 Listening Started");
  EXPECT_EQ(listener->state(), TSock::State::NoHandle);
}

TEST_F(TSockTest, ANameStartingWithADigitIsReadAsDottedAndOneThatIsNotFailsOnConnect) {
  startListener();
  int lookups = 0;
  TSock::setHostResolver([&](const QString&) {
    ++lookups;
    return QList<QHostAddress>{QHostAddress("127.0.0.1")};
  });
  const std::vector<std::string> names = {"127.0.0.1.5", "300.1.2.3", "1korvel-test-host"};
  std::vector<std::unique_ptr<TSock>> socks;
  for (std::size_t i = 0; i < names.size(); ++i) {
    SCOPED_TRACE(names[i]);
    const std::string name = "N" + std::to_string(i);
    socks.push_back(makeClient(name, names[i]));
    // No lookup error: the open goes ahead, and only the connect fails.
    EXPECT_FALSE(socks.back()->open());
    EXPECT_EQ(socks.back()->state(), TSock::State::Connecting);
    ASSERT_TRUE(spinUntil([&] { return rec.of(name).size() >= 3; }));
    const auto events = rec.of(name);
    EXPECT_EQ(events[0], "info 0 Lookup Of Port " + socks.back()->PortName);
    EXPECT_EQ(events[1], "info 0 Lookup Of Host " + names[i]);
    EXPECT_EQ(events[2].rfind("info 7 Error #", 0), 0u) << events[2];
  }
  settle();
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(rec.of("N" + std::to_string(i)).size(), 3u) << "nothing after the error";
  }
  EXPECT_EQ(lookups, 0) << "dotted names never reach the resolver";
  EXPECT_EQ(accepted_, 0);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(TSockTest, HostNamesAreResolvedOnceAndCached) {
  startListener();
  int lookups = 0;
  TSock::setHostResolver([&](const QString& name) {
    ++lookups;
    return name == "korvel-test-host"
               ? QList<QHostAddress>{QHostAddress("::1"), QHostAddress("127.0.0.1")}
               : QList<QHostAddress>{QHostAddress("::1")};
  });
  auto first = makeClient("A", "korvel-test-host");
  auto second = makeClient("B", "korvel-test-host");
  first->open();
  second->open();
  EXPECT_EQ(lookups, 1);
  ASSERT_TRUE(spinUntil([&] { return first->connected() && second->connected(); }));
  EXPECT_EQ(rec.of("B")[1], "info 0 Lookup Of Host korvel-test-host");

  // Failures are not cached; dotted names never reach the resolver.
  auto v6only = makeClient("X", "v6-only");
  expectSockError([&] { v6only->open(); }, "Host Lookup - Could Not Find Host Entry");
  expectSockError([&] { v6only->open(); }, "Host Lookup - Could Not Find Host Entry");
  EXPECT_EQ(lookups, 3);
  auto dotted = makeClient("D", "127.0.0.1");
  dotted->open();
  EXPECT_EQ(lookups, 3);

  // An empty host is 0.0.0.0, without a host notice.
  auto any = makeClient("E", "");
  any->open();
  ASSERT_TRUE(spinUntil([&] { return any->connected(); }));
  EXPECT_EQ(rec.of("E")[0], "info 0 Lookup Of Port " + any->PortName);
  EXPECT_EQ(rec.of("E")[1], "info 1 Non-Blocking Socket Connected");

  // The system resolver knows "localhost".
  TSock::setHostResolver({});
  auto local = makeClient("F", "localhost");
  local->open();
  ASSERT_TRUE(spinUntil([&] { return local->connected(); }));
}

TEST_F(TSockTest, FailingHandlersAreShownAndTheConnectionGoesOn) {
  connectPair();
  int reads = 0;
  server->OnRead = [&](TSock* from, int) {
    ++reads;
    from->receive();
    TSock none;
    none.send("x");
  };
  client->send("one\xFF");
  ASSERT_TRUE(spinUntil([&] { return reads == 1 && !boxes.shown.empty(); }));
  EXPECT_EQ(boxes.shown, (std::vector<std::string>{"Send - Socket Not Connected"}));
  client->send("two\xFF");
  ASSERT_TRUE(spinUntil([&] { return reads == 2; }));

  // A failing OnInfo is "Error here"; the read event it broke skips OnRead.
  server->OnInfo = [](TSock*, int, const std::string&) { throw std::runtime_error("boom"); };
  client->send("three\xFF");
  ASSERT_TRUE(spinUntil([&] { return boxes.shown.size() == 3; }));
  EXPECT_EQ(boxes.shown.back(), "Error here");
  EXPECT_EQ(reads, 2);
  // A direct call reports it to the caller; close swallows it.
  expectSockError([&] { server->send("x"); }, "Error here");
  server->close();
  EXPECT_EQ(server->state(), TSock::State::NoHandle);
  settle();
  EXPECT_EQ(boxes.shown.size(), 3u);
}

TEST_F(TSockTest, PeerEndingWhileAnErrorBoxIsOpenIsSafe) {
  connectPair();
  server->OnRead = [](TSock*, int) { throw ESockError("Receive - Socket Not Connected"); };
  // While the box is open the loop runs: the peer leaves and the server closes underneath.
  boxes.whileOpen = [&] {
    boxes.whileOpen = nullptr;
    client->close();
    EXPECT_TRUE(spinUntil([&] { return rec.count("S", kClosed) == 1; }));
  };
  client->send("x");
  ASSERT_TRUE(spinUntil([&] { return rec.count("S", kClosed) == 1; }));
  settle();
  EXPECT_EQ(boxes.shown, (std::vector<std::string>{"Receive - Socket Not Connected"}));
  EXPECT_EQ(rec.of("S"), (std::vector<std::string>{kIncoming, "disconnect", kClosed}));
}

TEST_F(TSockTest, DestroyedSocketsRaiseNothingMore) {
  connectPair();
  int serverReads = 0;
  // Destroyed by its own read handler, in the middle of the read event.
  server->OnRead = [&](TSock* from, int) {
    ++serverReads;
    server = nullptr;
    delete from;
  };
  client->send("first\xFF");
  ASSERT_TRUE(spinUntil([&] { return serverReads == 1; }));
  ASSERT_TRUE(spinUntil([&] { return rec.count("C", kClosed) == 1; }));
  EXPECT_EQ(serverReads, 1);
  EXPECT_EQ(rec.count("S", "disconnect"), 0);

  // A client destroyed while data is still arriving.
  client = makeClient("C2", "127.0.0.1");
  client->open();
  ASSERT_TRUE(spinUntil([&] { return client->connected() && accepted_ == 2; }));
  TSock* second = nullptr;
  for (QObject* child : listener->children()) {
    if (auto* sock = qobject_cast<TSock*>(child); sock && rec.nameOf(sock) == "S1") second = sock;
  }
  ASSERT_NE(second, nullptr);
  second->send(std::string(1 << 20, 'z'));
  client.reset();
  const std::size_t before = rec.of("C2").size();
  ASSERT_TRUE(spinUntil([&] { return rec.count("S1", kClosed) == 1; }));
  settle();
  EXPECT_EQ(rec.of("C2").size(), before);
}

TEST_F(TSockTest, DestroyingRightAfterSendStillDeliversTheBytes) {
  startListener();
  // The way a full server refuses a connection: send, then destroy the connection object.
  listener->OnAccept = [](TSock* from) {
    TSock* refused = nullptr;
    if (from->accept(refused)) {
      refused->send("CMD_full+\xFF");
      delete refused;
    }
  };
  QTcpSocket peer;
  std::string got;
  QObject::connect(&peer, &QTcpSocket::readyRead, [&] { got += peer.readAll().toStdString(); });
  peer.connectToHost(QHostAddress::LocalHost, listener->localPort());
  ASSERT_TRUE(spinUntil([&] { return peer.state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_EQ(got, "CMD_full+\xFF");

  // flush() then close() gives the same, also for more than the system takes at once: the
  // rest still leaves after the close.
  const std::string big = "CMD_full+\xFF" + std::string(16 << 20, 'q');
  listener->OnAccept = [&big](TSock* from) {
    TSock* refused = nullptr;
    if (from->accept(refused)) {
      refused->send(big);
      EXPECT_FALSE(refused->flush());
      refused->close();
    }
  };
  QTcpSocket again;
  std::string gotAgain;
  QObject::connect(&again, &QTcpSocket::readyRead,
                   [&] { gotAgain += again.readAll().toStdString(); });
  again.connectToHost(QHostAddress::LocalHost, listener->localPort());
  ASSERT_TRUE(spinUntil([&] { return again.state() == QAbstractSocket::UnconnectedState; }, 60000));
  EXPECT_EQ(gotAgain.size(), big.size());
  EXPECT_TRUE(gotAgain == big);
}

}  // namespace

TEST_F(TSockTest, BothEndsProbeAnIdlePeerSoAVanishedOneCountsAsClosed) {
  connectPair();
  for (const TSock* end : {client.get(), server}) {
    const int fd = end->descriptor();
    ASSERT_GE(fd, 0);
    const auto option = [fd](int level, int name) {
      int value = -1;
      socklen_t size = sizeof value;
      EXPECT_EQ(::getsockopt(fd, level, name, &value, &size), 0);
      return value;
    };
    EXPECT_EQ(option(SOL_SOCKET, SO_KEEPALIVE), 1);
    EXPECT_EQ(option(IPPROTO_TCP, TCP_KEEPIDLE), 15);
    EXPECT_EQ(option(IPPROTO_TCP, TCP_KEEPINTVL), 5);
    EXPECT_EQ(option(IPPROTO_TCP, TCP_KEEPCNT), 3);
  }
}

// The server over real loopback sockets: a scripted game compared message by message with its
// recorded transcript, and the refusal of a tenth connection.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <utility>

#include "dictionary/record_blob.h"
#include "protocol/tsock.h"
#include "server/tserver.h"
#include "shell/message_boxes.h"
#include "tests/server/core_harness.h"

namespace {

// Message boxes must not open during a test; any text shown is a failure to report.
class RecordingBoxes : public MessageBoxes {
 public:
  std::vector<std::string> shown;
  bool askYesNo(const QString& text) override {
    shown.push_back(text.toStdString());
    return false;
  }
  // Runs while the next box is open, the way a real modal box runs the event loop until the
  // user presses OK; the box is dismissed when it returns.
  std::function<void()> whileOpen;

 protected:
  void presentMessage(const QString& text, std::function<void()> dismissed) override {
    shown.push_back(text.toStdString());
    if (whileOpen) std::exchange(whileOpen, nullptr)();
    dismissed();
  }
};

// Runs the event loop until the condition holds; the bound only stops a broken run from hanging.
bool spinUntil(const std::function<bool()>& done) {
  QElapsedTimer bound;
  bound.start();
  while (!done()) {
    if (bound.elapsed() > 20000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// One participant: a raw connection that collects whole messages.
class Peer {
 public:
  explicit Peer(int port) {
    socket_.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    QObject::connect(&socket_, &QTcpSocket::readyRead, [this] {
      const QByteArray bytes = socket_.readAll();
      pending_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    });
  }
  bool waitConnected() {
    return spinUntil([this] { return socket_.state() == QAbstractSocket::ConnectedState; });
  }
  void send(const std::string& text) {
    socket_.write(text.data(), static_cast<qint64>(text.size()));
    socket_.flush();
  }
  // The next whole message without its 0xFF, or "(nothing)" when none came. Seat keys are
  // random: they are kept in `key`, not compared.
  std::string next() {
    for (;;) {
      if (!spinUntil([this] { return pending_.find('\xFF') != std::string::npos; })) {
        return "(nothing)";
      }
      const std::size_t end = pending_.find('\xFF');
      std::string message = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      if (!message.starts_with("CMD_seatkey+")) return message;
      key = message.substr(12);
    }
  }
  std::string key;
  // Skips whole messages until `message` has come; false when it does not come.
  bool waitFor(const std::string& message) {
    return spinUntil([&] {
      for (std::size_t end; (end = pending_.find('\xFF')) != std::string::npos;) {
        const bool found = pending_.compare(0, end, message) == 0;
        pending_.erase(0, end + 1);
        if (found) return true;
      }
      return false;
    });
  }
  bool waitEnded() {
    return spinUntil([this] { return socket_.state() == QAbstractSocket::UnconnectedState; });
  }
  void close() { socket_.disconnectFromHost(); }
  const std::string& pending() const { return pending_; }

 private:
  QTcpSocket socket_;
  std::string pending_;
};

std::string unescape(std::string text) {
  for (std::size_t at; (at = text.find("<FF>")) != std::string::npos;) text.replace(at, 4, "\xFF");
  return text;
}

class ServerOverLoopback : public ::testing::Test {
 protected:
  void SetUp() override { start(true); }
  void start(bool runSocktimer, std::size_t maxBacklog = 16 * 1024 * 1024, bool runTimer1 = false) {
    server_.reset();
    setMessageBoxes(&boxes_);
    TServer::Options options;
    options.wordList = korvel::recordBlob({"ab", "bad", "bade", "cat", "cats"});
    options.pick = korvel::server::testing::sequentialPick();
    options.runTimer1 = runTimer1;
    options.runSocktimer = runSocktimer;
    options.maxBacklog = maxBacklog;
    runSocktimer_ = runSocktimer;
    server_ = std::make_unique<TServer>(std::move(options));
    server_->startListening(0);
    port_ = server_->listeningPort();
    ASSERT_GT(port_, 0);
  }
  void TearDown() override {
    peers_.clear();
    server_.reset();
    EXPECT_TRUE(boxes_.shown.empty()) << boxes_.shown.front();
    setMessageBoxes(nullptr);
  }

  // A participant that connected and logged in under `name`, given `seat`.
  std::unique_ptr<Peer> join(const std::string& name, int seat) {
    auto peer = std::make_unique<Peer>(port_);
    const std::string number = std::to_string(seat);
    EXPECT_EQ(peer->next(), "CMD_sendlogininfo+" + number);
    peer->send("CMD_logininfo+" + number + "+1.0.2+" + name + "\xFF");
    if (!runSocktimer_) {
      EXPECT_TRUE(spinUntil([this] { return !server_->receivedlist.empty(); }));
      server_->dispatchOne();
    }
    EXPECT_TRUE(peer->waitFor("CMD_newplayerinfo+" + number + "+" + name + "+0"));
    return peer;
  }

  RecordingBoxes boxes_;
  std::unique_ptr<TServer> server_;
  bool runSocktimer_ = true;
  int port_ = 0;
  std::map<std::string, std::unique_ptr<Peer>> peers_;
};

TEST_F(ServerOverLoopback, PlaysTheRecordedGame) {
  std::ifstream file(KORVEL_LOOPBACK_TRANSCRIPT);
  ASSERT_TRUE(file) << KORVEL_LOOPBACK_TRANSCRIPT;
  std::string row;
  int number = 0;
  while (std::getline(file, row)) {
    ++number;
    if (row.empty() || row[0] == '#') continue;
    const std::string where = "transcript line " + std::to_string(number) + ": " + row;
    if (row.rfind("tick ", 0) == 0) {
      for (int i = std::stoi(row.substr(5)); i > 0; --i) server_->timer1Timer();
      continue;
    }
    const std::size_t space = row.find(' ');
    ASSERT_NE(space, std::string::npos) << where;
    std::string who = row.substr(0, space);
    const std::string rest = row.substr(space + 1);
    char kind = ' ';
    if (who.back() == '<' || who.back() == '>') {
      kind = who.back();
      who.pop_back();
    }
    if (rest == "connect") {
      peers_[who] = std::make_unique<Peer>(port_);
      ASSERT_TRUE(peers_[who]->waitConnected()) << where;
      continue;
    }
    ASSERT_TRUE(peers_.count(who)) << where;
    Peer& peer = *peers_[who];
    if (kind == '>') {
      peer.send(unescape(rest) + "\xFF");
    } else if (kind == '<') {
      ASSERT_EQ(peer.next(), unescape(rest)) << where;
    } else if (rest == "close") {
      peer.close();
    } else if (rest == "end") {
      ASSERT_TRUE(peer.waitEnded()) << where;
    } else {
      FAIL() << "unknown step, " << where;
    }
  }
  // The last step was answered to everyone still there, so nothing else may be waiting.
  for (const auto& [who, peer] : peers_) EXPECT_EQ(peer->pending(), "") << who;
  EXPECT_FALSE(server_->core().gameon);
}

TEST_F(ServerOverLoopback, TheTenthConnectionIsToldTheGameIsFullAndClosed) {
  for (int seat = 1; seat <= 9; ++seat) {
    auto peer = std::make_unique<Peer>(port_);
    ASSERT_TRUE(peer->waitConnected());
    ASSERT_EQ(peer->next(), "CMD_sendlogininfo+" + std::to_string(seat));
    peers_[std::to_string(seat)] = std::move(peer);
  }
  // The refusal may come and go within one turn of the event loop, so the connected state is
  // not waited for.
  Peer tenth(port_);
  EXPECT_EQ(tenth.next(), "CMD_full+");
  EXPECT_TRUE(tenth.waitEnded());
  EXPECT_EQ(tenth.pending(), "");
  // The nine seats stay taken and a message from the last one still gets through.
  for (int seat = 1; seat <= 9; ++seat) EXPECT_TRUE(server_->core().players[seat].inuse);
  peers_["9"]->send("CMD_logininfo+9+1.0.2+Ida\xFF");
  EXPECT_EQ(peers_["1"]->next(), "CMD_newplayerinfo+9+Ida+0");
}

TEST_F(ServerOverLoopback, ALineLeftQueuedByADepartedConnectionDoesNotSpeakForTheNewcomer) {
  start(false);
  auto dispatchNext = [this] {
    ASSERT_TRUE(spinUntil([this] { return !server_->receivedlist.empty(); }));
    server_->dispatchOne();
  };
  Peer ann(port_);
  ASSERT_EQ(ann.next(), "CMD_sendlogininfo+1");
  ann.send("CMD_logininfo+1+1.0.2+Ann\xFF");
  dispatchNext();
  ASSERT_EQ(ann.next(), "CMD_newplayerinfo+1+Ann+0");
  auto bob = std::make_unique<Peer>(port_);
  ASSERT_EQ(bob->next(), "CMD_sendlogininfo+2");
  bob->send("CMD_logininfo+2+1.0.2+Bob\xFF");
  dispatchNext();
  ASSERT_EQ(ann.next(), "CMD_newplayerinfo+2+Bob+0");

  // Bob's chat is still queued when he leaves and Cy takes seat 2.
  bob->send("CMD_chat+2+old news|clBlack\xFF");
  ASSERT_TRUE(spinUntil([this] { return !server_->receivedlist.empty(); }));
  bob->close();
  ASSERT_EQ(ann.next(), "CMD_playerdisconnected+2+Bob");
  // Removed when he left, not left to cost a tick.
  EXPECT_TRUE(server_->receivedlist.empty());
  Peer cy(port_);
  ASSERT_EQ(cy.next(), "CMD_sendlogininfo+2");
  server_->dispatchOne();
  cy.send("CMD_logininfo+2+1.0.2+Cy\xFF");
  dispatchNext();
  EXPECT_EQ(ann.next(), "CMD_newplayerinfo+2+Cy+0");
  EXPECT_EQ(cy.next(), "CMD_newplayerinfo+2+Cy+0");
  EXPECT_EQ(cy.next(), "CMD_existingplayers+1+Ann+0");
}

TEST_F(ServerOverLoopback, APeerThatStopsReadingIsDisconnectedInsteadOfPilingUpMemory) {
  start(false, 256 * 1024);
  auto dispatchNext = [this] {
    ASSERT_TRUE(spinUntil([this] { return !server_->receivedlist.empty(); }));
    server_->dispatchOne();
  };
  Peer chatty(port_);
  ASSERT_EQ(chatty.next(), "CMD_sendlogininfo+1");
  chatty.send("CMD_logininfo+1+1.0.2+Chatty\xFF");
  dispatchNext();
  ASSERT_EQ(chatty.next(), "CMD_newplayerinfo+1+Chatty+0");

  // Lazy logs in and then never reads again.
  QTcpSocket lazy;
  lazy.setReadBufferSize(64);
  lazy.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_));
  ASSERT_TRUE(spinUntil([&] { return lazy.state() == QAbstractSocket::ConnectedState; }));
  lazy.write("CMD_logininfo+2+1.0.2+Lazy\xFF");
  dispatchNext();
  ASSERT_EQ(chatty.next(), "CMD_newplayerinfo+2+Lazy+0");

  const std::string text(4000, 'x');
  bool gone = false;
  for (int i = 0; i < 20000 && !gone; ++i) {
    chatty.send("CMD_chat+1+" + text + "|clBlack\xFF");
    dispatchNext();
    ASSERT_EQ(chatty.next(), "CMD_chat+1+Chatty chats: " + text + "|clBlack");
    gone = !server_->core().players[2].inuse;
  }
  EXPECT_TRUE(gone);
  EXPECT_EQ(chatty.next(), "CMD_playerdisconnected+2+Lazy");
}

std::string chatLines(const std::string& from, int count) {
  std::string lines;
  for (int i = 0; i < count; ++i) {
    lines += "CMD_chat+" + from + "+line " + std::to_string(i) + "|clBlack\xFF";
  }
  return lines;
}

TEST_F(ServerOverLoopback, SeatsTakeTurnsSoAFloodDelaysOnlyTheSeatThatFloods) {
  start(false);
  auto ann = join("Ann", 1);
  auto bob = join("Bob", 2);
  bob->send(chatLines("2", 2000));
  ASSERT_TRUE(spinUntil([this] { return server_->receivedlist.size() == 2000; }));
  ann->send("CMD_chat+1+me too|clBlack\xFF");
  ASSERT_TRUE(spinUntil([this] { return server_->receivedlist.size() == 2001; }));

  server_->dispatchOne();
  server_->dispatchOne();
  EXPECT_TRUE(ann->waitFor("CMD_chat+2+Bob chats: line 0|clBlack"));
  EXPECT_EQ(ann->next(), "CMD_chat+1+Ann chats: me too|clBlack");
  // Bob's own lines keep their order.
  for (int i = 1; i < 2000; ++i) server_->dispatchOne();
  EXPECT_TRUE(server_->receivedlist.empty());
  for (int i = 1; i < 2000; ++i) {
    ASSERT_EQ(ann->next(), "CMD_chat+2+Bob chats: line " + std::to_string(i) + "|clBlack");
  }
}

TEST_F(ServerOverLoopback, AFloodOfTwoThousandLinesDelaysAnotherSeatsChatByLessThanHalfASecond) {
  auto ann = join("Ann", 1);
  auto bob = join("Bob", 2);
  bob->send(chatLines("2", 2000));
  ASSERT_TRUE(spinUntil([this] { return server_->receivedlist.size() >= 1900; }));
  QElapsedTimer delay;
  delay.start();
  ann->send("CMD_chat+1+me too|clBlack\xFF");
  ASSERT_TRUE(ann->waitFor("CMD_chat+1+Ann chats: me too|clBlack"));
  EXPECT_LT(delay.elapsed(), 500);
  EXPECT_GT(server_->receivedlist.size(), 1000u) << "the flood is still waiting";
}

// The acceptance case of a box on the host: Qt never fires a timer again while its own slot
// runs, not even in the nested loop of a modal box, so a box must not be open inside the
// socktimer tick that raised it.
TEST_F(ServerOverLoopback, ChatMovesAndTheTurnClockGoOnWhileABoxRaisedByADispatchIsOpen) {
  start(true, 16 * 1024 * 1024, true);
  server_->timer1.setInterval(10);  // a second of the turn clock lasts 10 ms here
  auto ann = join("Ann", 1);
  auto bob = join("Bob", 2);
  auto cy = join("Cy", 3);
  ASSERT_TRUE(ann->waitFor("CMD_newplayerinfo+3+Cy+0"));
  ASSERT_TRUE(bob->waitFor("CMD_newplayerinfo+3+Cy+0"));

  // Cy's connection vanishes just as it is written to: its handle is gone and the server hears
  // of it only later, so relaying to seat 3 fails with "Send - Socket Not Connected".
  TSock* cySock = nullptr;
  for (TSock* s : server_->Sock1->findChildren<TSock*>()) {
    if (s->tag == 3 && s->connected()) cySock = s;
  }
  ASSERT_NE(cySock, nullptr);
  const TSock::TNotifyInfoEvent tellServer = cySock->OnInfo;
  cySock->OnInfo = nullptr;
  cySock->close();

  bool held = false;
  boxes_.whileOpen = [&] {
    held = true;
    // The first box is open, and Bob's 50 further lines wait in the queue.
    for (int i = 0; i < 50; ++i) {
      EXPECT_TRUE(ann->waitFor("CMD_chat+2+Bob chats: line " + std::to_string(i) + "|clBlack"));
    }
    // Cy's departure arrives underneath the box too.
    tellServer(cySock, 2, "Socket Closed");
    EXPECT_TRUE(bob->waitFor("CMD_playerdisconnected+3+Cy"));
    // A game: a move is relayed and the turn clock runs out.
    ann->send("CMD_startgame+Ann+30+45+0+\xFF");
    EXPECT_TRUE(bob->waitFor("CMD_nextplayer+1+16+"));
    ann->send("CMD_pass+1+\xFF");
    EXPECT_TRUE(bob->waitFor("CMD_hepassed+1+"));
    EXPECT_TRUE(bob->waitFor("CMD_nextplayer+2+16+"));
    EXPECT_TRUE(bob->waitFor("CMD_timeup+"));
    EXPECT_TRUE(server_->receivedlist.empty());
  };
  bob->send("CMD_chat+2+hello|clBlack\xFF" + chatLines("2", 50));
  ASSERT_TRUE(spinUntil([&] { return held && boxes_.pendingMessages() == 0; }));
  ASSERT_FALSE(boxes_.shown.empty());
  for (const std::string& text : boxes_.shown) EXPECT_EQ(text, "Send - Socket Not Connected");
  boxes_.shown.clear();
}

TEST_F(ServerOverLoopback, TheTurnClockGoesOnWhileABoxRaisedInItsOwnTickIsOpen) {
  start(true, 16 * 1024 * 1024, true);
  server_->timer1.setInterval(10);
  auto ann = join("Ann", 1);
  ann->send("CMD_startgame+Ann+30+45+0+\xFF");
  ASSERT_TRUE(ann->waitFor("CMD_nextplayer+1+8+"));
  // Something on the turn clock's tick raises a box, the way an error in timer1Timer does.
  bool raised = false;
  QObject::connect(&server_->timer1, &QTimer::timeout, server_.get(), [&raised] {
    if (!std::exchange(raised, true)) messageBoxes().showMessage("Raised in a timer1 tick");
  });
  bool timedOut = false;
  boxes_.whileOpen = [&] { timedOut = ann->waitFor("CMD_timeup+"); };
  ASSERT_TRUE(spinUntil([&] { return raised && boxes_.pendingMessages() == 0; }));
  EXPECT_TRUE(timedOut);
  EXPECT_EQ(boxes_.shown, std::vector<std::string>{"Raised in a timer1 tick"});
  boxes_.shown.clear();
}

}  // namespace

int main(int argc, char** argv) {
  // Listing the tests at build time runs this too, without a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // Errors the server reports go to the message boxes, which the tests replace.
  setErrorReporter(showReportedError);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

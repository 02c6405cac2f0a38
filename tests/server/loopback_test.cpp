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

#include "app/message_boxes.h"
#include "dictionary/record_blob.h"
#include "server/tserver.h"
#include "tests/server/core_harness.h"

namespace {

// Message boxes must not open during a test; any text shown is a failure to report.
class RecordingBoxes : public MessageBoxes {
 public:
  std::vector<std::string> shown;
  void showMessage(const QString& text) override { shown.push_back(text.toStdString()); }
  bool askYesNo(const QString& text) override {
    shown.push_back(text.toStdString());
    return false;
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
  // The next whole message without its 0xFF, or "(nothing)" when none came.
  std::string next() {
    if (!spinUntil([this] { return pending_.find('\xFF') != std::string::npos; })) {
      return "(nothing)";
    }
    const std::size_t end = pending_.find('\xFF');
    std::string message = pending_.substr(0, end);
    pending_.erase(0, end + 1);
    return message;
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
  void start(bool runSocktimer, std::size_t maxBacklog = 16 * 1024 * 1024) {
    server_.reset();
    setMessageBoxes(&boxes_);
    TServer::Options options;
    options.wordList = korvel::recordBlob({"ab", "bad", "bade", "cat", "cats"});
    options.pick = korvel::server::testing::sequentialPick();
    options.runTimer1 = false;
    options.runSocktimer = runSocktimer;
    options.maxBacklog = maxBacklog;
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

  RecordingBoxes boxes_;
  std::unique_ptr<TServer> server_;
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

}  // namespace

int main(int argc, char** argv) {
  // Listing the tests at build time runs this too, without a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// A joined player's window whose connection to the host dropped, against stand-in hosts on
// loopback that answer its attempts in every wrong way: it keeps trying and says what the last
// try met; a host that plays another game leaves the window with its last game on view. Time
// moves only when the test says so, and the attempts come when the test ticks.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QLabel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextBrowser>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "protocol/message.h"
#include "protocol/tsock.h"
#include "recorders.h"
#include "window/tchat.h"

namespace {

namespace toclient = korvel::protocol::toclient;
using namespace std::chrono_literals;
using Script = std::function<void(QTcpSocket*)>;

void write(QTcpSocket* s, const std::string& bytes) {
  s->write(bytes.data(), qint64(bytes.size()));
  s->flush();
}

// The connection ends with a reset, as when the host's program or its network fails.
void reset(QTcpSocket* s) {
  const linger abort{1, 0};
  ::setsockopt(int(s->socketDescriptor()), SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
  s->abort();
}

// Asks for a login on seat 2 and does `then` once the window has answered (a connection reset
// before the socket library reported it made would be tried again by the library itself).
Script onLogin(Script then) {
  return [then](QTcpSocket* s) {
    QObject::connect(s, &QIODevice::readyRead, s, [s, then] {
      if (s->readAll().contains("CMD_logininfo+2+")) then(s);
    });
    write(s, toclient::sendlogininfo(2));
  };
}

class TchatReconnect : public ::testing::Test {
 protected:
  void SetUp() override {
    setMessageBoxes(&boxes);
    ASSERT_TRUE(lobby.listen(QHostAddress::LocalHost, 0));
    ASSERT_TRUE(host.listen(QHostAddress::LocalHost, 0));
    QObject::connect(&host, &QTcpServer::newConnection, [this] {
      while (QTcpSocket* s = host.nextPendingConnection()) {
        accepted.push_back(s);
        if (behaviour) behaviour(s);
      }
    });
    // Bob in seat 2 of Ann's game with 60-second turns; Ann has laid CAT.
    behaviour = [](QTcpSocket* s) {
      write(s,
            toclient::sendlogininfo(2) + toclient::newplayerinfo(2, "Bob") +
                toclient::existingplayers({{1, "Ann", false}}) +
                toclient::startgame("Ann", "30", 60, "1") +
                toclient::mytiles(2, {{1, 3}, {2, 1}, {3, 20}}) + toclient::nextplayer(1, 16) +
                toclient::goodword(1, 5, 5, {{4, 5, 1, 3}, {5, 5, 2, 1}, {6, 5, 3, 20}}, {"cat"}));
    };
    bob = std::make_unique<Tchat>(std::vector<std::string>{"Bob", "127.0.0.1", "false"},
                                  ClientPorts{host.serverPort(), lobby.serverPort()});
    bob->setCuePlayer(&sounds);
    bob->now = [this] { return clock; };
    bob->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bob->game.board[6][5].letter == 20; }, 5000));
    ASSERT_TRUE(bob->game.gameRunning);
    reset(accepted[0]);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bob->reconnect.active(); }, 5000));
    bob->reconnectTimer.stop();  // the test ticks by hand
  }
  void TearDown() override {
    bob.reset();
    setMessageBoxes(nullptr);
  }

  QString bar() const { return bob->reconnectText ? bob->reconnectText->text() : QString(); }

  RecordingBoxes boxes;
  RecordingSounds sounds;
  QTcpServer lobby;
  QTcpServer host;
  std::vector<QTcpSocket*> accepted;
  // What the host does with each connection it accepts.
  Script behaviour;
  korvel::client::Reconnect::Clock::time_point clock{1000h};
  std::unique_ptr<Tchat> bob;
};

}  // namespace

TEST_F(TchatReconnect, AttemptsThatGetThroughButAreNotSeatedKeepTheWindowTryingAndSayWhatTheyMet) {
  struct Case {
    const char* what;
    Script host;
    QString lastTry;
  } cases[] = {
      {"asks for a login, then resets", onLogin(reset), "Last try: the connection was reset."},
      {"asks for a login, then closes", onLogin([](QTcpSocket* s) { s->disconnectFromHost(); }),
       "Last try: the host closed the connection."},
      {"garbage, then closed",
       [](QTcpSocket* s) {
         write(s, "SSH-2.0-OpenSSH_9.2\r\n");
         s->disconnectFromHost();
       },
       "Last try: the host's answer was not understood."},
      {"a full house, which may keep the seat all the same",
       [](QTcpSocket* s) {
         write(s, toclient::full());
         s->disconnectFromHost();
       },
       "Last try: the host's game is full."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    behaviour = c.host;
    const std::size_t before = accepted.size();
    bob->reconnectTick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar().contains(c.lastTry); }, 5000))
        << bar().toStdString();
    EXPECT_GT(accepted.size(), before);
    EXPECT_TRUE(bob->reconnect.active());
    EXPECT_TRUE(bob->reconnectBanner->isVisible());
    EXPECT_TRUE(bob->isVisible());
    EXPECT_TRUE(bar().startsWith("Connection to the host lost. Reconnecting..."));
  }

  // A host that accepts and never speaks: after 10 s the attempt is closed and a new one made.
  behaviour = [](QTcpSocket*) {};
  bob->reconnectTick();
  ASSERT_TRUE(QTest::qWaitFor([&] { return bob->reconnect.talking(); }, 5000));
  QTcpSocket* silent = accepted.back();
  clock += 9s;
  bob->reconnectTick();
  EXPECT_TRUE(bob->reconnect.talking());
  clock += 1s;
  const std::size_t before = accepted.size();
  bob->reconnectTick();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return silent->state() == QAbstractSocket::UnconnectedState; }, 5000));
  EXPECT_TRUE(bar().contains("Last try: the host did not answer.")) << bar().toStdString();
  ASSERT_TRUE(QTest::qWaitFor([&] { return accepted.size() == before + 1; }, 5000));
  EXPECT_TRUE(bob->reconnect.active());
  EXPECT_TRUE(bob->isVisible());
  EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.shown.join(" | ").toStdString();
}

TEST_F(TchatReconnect, AHostPlayingAnotherGameLeavesTheWindowDisconnectedWithItsLastGameOnView) {
  const QString chatBefore = bob->mainchat->toPlainText();
  ASSERT_TRUE(chatBefore.contains("Ann has started a game."));
  const auto turns = bob->game.history.record.turns.size();
  ASSERT_GT(turns, 0u);
  // The host seats Bob in seat 2 of Mallory's game of 90-second turns.
  behaviour = [](QTcpSocket* s) {
    write(s, toclient::sendlogininfo(2) + toclient::newplayerinfo(2, "Bob") +
                 toclient::existingplayers({{1, "Mallory", false}}) +
                 toclient::gamestats(2, 90, 80, 1, 16, {0, 0, 0, 0}, {{1, 5}}) +
                 toclient::chat(1, "Mallory", "welcome"));
  };
  bob->reconnectTick();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !bob->reconnect.active(); }, 5000));
  QTcpSocket* other = accepted.back();
  ASSERT_TRUE(QTest::qWaitFor([&] { return other->bytesAvailable() > 0; }, 5000));
  EXPECT_TRUE(other->readAll().startsWith("CMD_logininfo+2+1.0.2+Bob")) << "it asked for its seat";

  EXPECT_FALSE(bob->reconnectBanner->isVisible());
  EXPECT_EQ(bob->label_status->text(), "The host is now playing another game");
  const QString chat = bob->mainchat->toPlainText();
  EXPECT_TRUE(chat.startsWith(chatBefore)) << "the chat is kept";
  EXPECT_TRUE(chat.contains("The host is now playing another game"));
  EXPECT_FALSE(chat.contains("Mallory")) << "nothing of the other game is shown";
  EXPECT_EQ(bob->game.seat[0].name, "Ann");
  EXPECT_EQ(bob->game.board[5][5].letter, 1);
  EXPECT_EQ(bob->game.rack[0].code, 3);
  EXPECT_EQ(bob->game.history.record.turns.size(), turns);
  EXPECT_FALSE(bob->game.gameRunning);
  EXPECT_FALSE(bob->game.connected);
  EXPECT_EQ(bob->sock->state(), TSock::State::NoHandle);

  // The window stays as it is, whatever comes after.
  bob->reconnectTick();
  EXPECT_EQ(bob->sock->state(), TSock::State::NoHandle);
  QCoreApplication::processEvents();
  EXPECT_TRUE(bob->isVisible());
  EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.shown.join(" | ").toStdString();
}

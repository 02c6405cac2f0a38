#include <gtest/gtest.h>

#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTextBrowser>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "protocol/tsock.h"
#include "server/tserver.h"
#include "shell/message_boxes.h"
#include "window/panel_widgets.h"
#include "window/picture_button.h"
#include "window/tchat.h"

namespace {

const QByteArray FF(1, '\xFF');

class RecordingBoxes : public MessageBoxes {
 public:
  bool askYesNo(const QString&) override { return true; }
  QStringList shown;
  // Runs while the next box is open, the way a real modal box runs the event loop until the
  // user presses OK; the box is dismissed when it returns.
  std::function<void()> whileOpen;

 protected:
  void presentMessage(const QString& text, std::function<void()> dismissed) override {
    shown << text;
    if (whileOpen) std::exchange(whileOpen, nullptr)();
    dismissed();
  }
};

// A raw TCP peer standing in for the server or the lobby.
struct Peer {
  QTcpServer server;
  QTcpSocket* conn = nullptr;
  QByteArray received;
  Peer() { EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0)); }
  int port() const { return server.serverPort(); }
  bool waitConnection() {
    return QTest::qWaitFor(
        [&] {
          if (!conn && server.hasPendingConnections()) conn = server.nextPendingConnection();
          return conn != nullptr;
        },
        5000);
  }
  bool waitReceived(const QByteArray& expected) {
    return QTest::qWaitFor(
        [&] {
          if (conn) received += conn->readAll();
          return received == expected;
        },
        5000);
  }
};

// A server whose word list holds one word, so that no test depends on the embedded list.
TServer::Options oneWordList() {
  TServer::Options options;
  options.wordList = std::string("\x1E") + "CAT           ";
  return options;
}

std::string chatText(const Tchat& chat) {
  return chat.mainchat->toPlainText().toStdString();
}

class TchatStartup : public ::testing::Test {
 protected:
  void SetUp() override { setMessageBoxes(&boxes); }
  void TearDown() override { setMessageBoxes(nullptr); }
  RecordingBoxes boxes;
};

}  // namespace

TEST_F(TchatStartup, JoinsLogsInWithTwoTerminatorsAndOpensLobbyAfterGame) {
  Peer game, lobby;
  Tchat chat({"A+n" + std::string(1, '\xFF') + "n", "127.0.0.1", "yes"},
             {game.port(), lobby.port()});
  chat.processparams();
  EXPECT_EQ(chatText(chat), " Loading Multi-player Game.. Please Wait. ");
  EXPECT_FALSE(chat.game.hosting);
  EXPECT_FALSE(chat.button_start->isVisibleTo(&chat));
  ASSERT_TRUE(game.waitConnection());
  ASSERT_TRUE(lobby.waitConnection());

  game.conn->write("CMD_sendlogininfo+2" + FF);
  ASSERT_TRUE(game.waitReceived("CMD_logininfo+2+1.0.2+Ann" + FF + FF));
  EXPECT_EQ(chat.game.myplayer, 2);
  EXPECT_TRUE(chat.game.connected);
  // The lobby connection is never written to.
  QTest::qWait(0);
  EXPECT_EQ(lobby.conn->bytesAvailable(), 0);
}

TEST_F(TchatStartup, OneOrTwoParametersOpenNothing) {
  for (const std::vector<std::string>& params :
       {std::vector<std::string>{"Ann"}, std::vector<std::string>{"Ann", "127.0.0.1"}}) {
    Tchat chat(params, {1, 1});
    chat.processparams();
    EXPECT_EQ(chatText(chat), " Loading Multi-player Game.. Please Wait. ");
    EXPECT_EQ(chat.sock->state(), TSock::State::NoHandle);
    EXPECT_EQ(chat.Sock11->state(), TSock::State::NoHandle);
    EXPECT_FALSE(chat.StartGame1->isEnabled());
  }
}

TEST_F(TchatStartup, UnreachableHostIsReportedInTheChatAndTheProgramGoesOn) {
  int closedPort;
  {
    Peer gone;
    closedPort = gone.port();
  }
  Peer lobby;
  Tchat chat({"Ann", "127.0.0.1", "false"}, {closedPort, lobby.port()});
  QStringList failures;
  chat.joinFailed = [&](const std::string& host, int port, const QString& reason) {
    failures << QString::fromStdString(host) << QString::number(port) << reason;
  };
  QSignalSpy closed(&chat, &Tchat::formClosed);
  chat.processparams();
  const std::string reason = "Nobody is hosting at 127.0.0.1 port " + std::to_string(closedPort);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return chatText(chat).find(reason) != std::string::npos; }, 5000));
  EXPECT_EQ(closed.count(), 0);
  EXPECT_TRUE(boxes.shown.isEmpty());
  // The Play with Others window gets the address back with the reason, once.
  EXPECT_EQ(failures, (QStringList{"127.0.0.1", QString::number(closedPort),
                                   QString::fromStdString(reason)}));
  EXPECT_FALSE(chat.connectTimer().isActive());
}

TEST_F(TchatStartup, AJoinThatFindsNoNameOrNoAnswerSaysSoAndTheWindowStays) {
  Peer lobby, silent;
  TSock::setHostResolver([](const QString&) { return QList<QHostAddress>{}; });
  {
    Tchat chat({"Ann", "nosuch.lan", "false"}, {7772, lobby.port()});
    QSignalSpy closed(&chat, &Tchat::formClosed);
    chat.processparams();
    EXPECT_NE(chatText(chat).find("No computer named \"nosuch.lan\" was found"), std::string::npos)
        << chatText(chat);
    QTest::qWait(0);
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.shown.join(", ").toStdString();
    EXPECT_EQ(closed.count(), 0);
  }
  TSock::setHostResolver({});
  TSock::clearHostCache();
  // A host that does not answer: the join's timer runs for ten seconds, and its end (called
  // here as the timer would) gives the connection up without closing the window.
  Tchat chat({"Ann", "127.0.0.1", "false"}, {silent.port(), lobby.port()});
  QSignalSpy closed(&chat, &Tchat::formClosed);
  chat.processparams();
  ASSERT_TRUE(chat.connectTimer().isActive());
  EXPECT_EQ(chat.connectTimer().interval(), 10000);
  chat.joinTimedOut();
  QTest::qWait(20);
  EXPECT_NE(chatText(chat).find("Nobody answered at 127.0.0.1 port " +
                                std::to_string(silent.port()) + " within 10 seconds."),
            std::string::npos)
      << chatText(chat);
  EXPECT_EQ(chat.sock->state(), TSock::State::NoHandle);
  EXPECT_EQ(closed.count(), 0);
}

TEST_F(TchatStartup, ServerGoingAwayClosesTheWindow) {
  Peer game, lobby;
  Tchat chat({"Ann", "127.0.0.1", "false"}, {game.port(), lobby.port()});
  QSignalSpy closed(&chat, &Tchat::formClosed);
  chat.show();  // showing runs the start-up choice
  ASSERT_TRUE(game.waitConnection());
  game.conn->close();
  EXPECT_TRUE(QTest::qWaitFor([&] { return closed.count() == 1; }, 5000));
  EXPECT_FALSE(chat.isVisible());
}

TEST_F(TchatStartup, HostingWhenListeningFailsShowsTheErrorAndDoesNotConnect) {
  Peer lobby;
  Tchat chat({"Ann", "127.0.0.1", "true"}, {1, lobby.port()});
  chat.startListening = [](int) { throw ESockError("Listen - Error Binding Socket"); };
  chat.show();
  // The box opens from the event loop once the handler that met the error has finished.
  EXPECT_TRUE(boxes.shown.isEmpty());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.shown.isEmpty(); }, 5000));
  EXPECT_EQ(boxes.shown, QStringList{"Listen - Error Binding Socket"});
  EXPECT_FALSE(chat.game.hosting);
  EXPECT_EQ(chat.sock->state(), TSock::State::NoHandle);
  EXPECT_FALSE(chat.button_start->isVisibleTo(&chat));
}

TEST_F(TchatStartup, WindowNeverShrinksBelowBoardPanelAndResetsItsLocation) {
  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  chat.resize(300, 200);
  EXPECT_GE(chat.centralWidget()->width(), 768);
  EXPECT_GE(chat.centralWidget()->height(), 541);
  chat.ResetScreenLocation1Click();
  EXPECT_EQ(chat.width(), 775);
  EXPECT_EQ(chat.height(), 585);
}

TEST_F(TchatStartup, ClosingSavesOnlyAChangedGeometry) {
  Tchat chat({"Ann"}, {1, 1});
  int saves = 0;
  chat.savesettings = [&] { ++saves; };
  chat.show();
  chat.savedgeometry = {chat.x(), chat.y(), chat.width(), chat.height()};
  chat.close();
  EXPECT_EQ(saves, 0);
  chat.show();
  chat.resize(chat.width() + 10, chat.height());
  chat.close();
  EXPECT_EQ(saves, 1);
  EXPECT_EQ(chat.savedgeometry.width, chat.width());
}

TEST_F(TchatStartup, HostingOnATakenPortShowsTheBindErrorAndLeavesTheClientUnconnected) {
  QTcpServer taken;
  ASSERT_TRUE(taken.listen(QHostAddress::Any, 0));
  Peer lobby;
  TServer server(oneWordList());
  Tchat chat({"Ann", "127.0.0.1", "true"}, {taken.serverPort(), lobby.port()});
  chat.startListening = [&server](int port) { server.startListening(port); };
  chat.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.shown.isEmpty(); }, 5000));
  EXPECT_EQ(boxes.shown, QStringList{"Listen - Error Binding Socket"});
  EXPECT_EQ(chat.sock->state(), TSock::State::NoHandle);
  EXPECT_FALSE(chat.game.hosting);
}

TEST_F(TchatStartup, HostsItsOwnServerLogsInOnSeatOneAndOpensTheLobbyConnection) {
  int port;
  {
    Peer probe;
    port = probe.port();
  }
  Peer lobby;
  TServer server(oneWordList());
  Tchat chat({"Ann", "127.0.0.1", "true"}, {port, lobby.port()});
  chat.startListening = [&server, &chat](int p) { server.startListening(p, chat.sock); };
  chat.show();
  EXPECT_TRUE(chat.game.hosting);
  EXPECT_TRUE(chat.button_start->isVisibleTo(&chat));
  EXPECT_TRUE(chat.StartGame1->isEnabled());
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.core().players[1].name == "Ann"; }, 5000));
  EXPECT_EQ(chat.game.myplayer, 1);
  EXPECT_TRUE(lobby.waitConnection());
  EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(TchatStartup, BringingToFrontRestoresAMinimisedWindow) {
  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  chat.setWindowState(chat.windowState() | Qt::WindowMinimized);
  ASSERT_TRUE(chat.isMinimized());
  chat.bringToFront();
  EXPECT_FALSE(chat.isMinimized());
  EXPECT_TRUE(chat.isVisible());
}

TEST_F(TchatStartup, SomebodyConnectingBeforeTheHostsOwnClientDoesNotTakeSeatOne) {
  Peer lobby;
  TServer server(oneWordList());
  Tchat chat({"Ann", "127.0.0.1", "true"}, {0, lobby.port()});
  QTcpSocket outsider;
  chat.startListening = [&](int) {
    server.startListening(0, chat.sock);
    chat.sock->PortName = std::to_string(server.listeningPort());
    // Completes its handshake before the host's own client has even started connecting.
    outsider.connectToHost(QHostAddress::LocalHost, server.listeningPort());
    ASSERT_TRUE(outsider.waitForConnected(5000));
  };
  chat.show();
  QByteArray received;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        received += outsider.readAll();
        return received.contains(FF);
      },
      5000));
  EXPECT_EQ(received, "CMD_sendlogininfo+2" + FF);
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.core().players[1].name == "Ann"; }, 5000));
  EXPECT_EQ(chat.game.myplayer, 1);
}

TEST_F(TchatStartup, BringingToFrontKeepsAMaximisedWindowMaximised) {
  Tchat chat({"Ann"}, {1, 1});
  chat.showMaximized();
  chat.setWindowState(chat.windowState() | Qt::WindowMinimized);
  ASSERT_TRUE(chat.isMinimized());
  ASSERT_TRUE(chat.windowState() & Qt::WindowMaximized);
  chat.bringToFront();
  EXPECT_FALSE(chat.isMinimized());
  EXPECT_TRUE(chat.isMaximized());
  EXPECT_TRUE(chat.isVisible());
}

TEST_F(TchatStartup, AHostAddressStartingWithADigitIsReadAsDottedAndFailsLikeAnyUnreachableHost) {
  Peer lobby;
  for (const std::string address : {"127.0.0.1.5", "300.1.2.3"}) {
    SCOPED_TRACE(address);
    lobby.conn = nullptr;
    Tchat chat({"Ann", address, "false"}, {7772, lobby.port()});
    QSignalSpy closed(&chat, &Tchat::formClosed);
    chat.processparams();
    // The start-up goes on to the lobby link; the failed connect is a chat line, not a box.
    EXPECT_TRUE(lobby.waitConnection());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          // Qt reports the connect to the resulting 255.255.255.255 as a network error.
          return chatText(chat).find("There is no way to reach " + address +
                                     " from this computer.") != std::string::npos;
        },
        5000))
        << chatText(chat);
    QTest::qWait(0);
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.shown.join(", ").toStdString();
    EXPECT_EQ(closed.count(), 0);
  }
}

// Qt never fires a timer again while its own slot runs, not even in the nested loop of a modal
// box; a box raised by a Timer1 tick must therefore not be open inside that tick.
TEST_F(TchatStartup, TheQueueGoesOnWhileABoxRaisedByItsTickIsOpen) {
  // Not connected: every CMD_sendlogininfo fails to answer with "Send - Socket Not Connected".
  Tchat chat({"Ann"}, {1, 1});
  // Seats 1 to 9 in turn (no other seat is taken); the last of the 51 is seat 6.
  for (int n = 0; n < 51; ++n) {
    chat.receivedlist.append("CMD_sendlogininfo+" + std::to_string(n % 9 + 1));
  }
  bool drainedWhileOpen = false;
  boxes.whileOpen = [&] {
    // The first box is open: the 50 messages still waiting are dispatched underneath it.
    drainedWhileOpen =
        QTest::qWaitFor([&] { return chat.receivedlist.empty() && chat.game.myplayer == 6; }, 5000);
  };
  chat.Timer1.start();  // what the arrival of the messages does
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return !boxes.shown.isEmpty() && boxes.pendingMessages() == 0; }, 10000));
  EXPECT_TRUE(drainedWhileOpen);
  // The 50 boxes asked for while the first was open are one box, shown after it.
  EXPECT_EQ(boxes.shown,
            QStringList({"Send - Socket Not Connected", "Send - Socket Not Connected"}));
}

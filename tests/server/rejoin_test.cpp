// A player's connection drops in a running game over real loopback sockets: the host keeps the
// seat, a stranger who joins meanwhile sits elsewhere, and the player's window gets back into its
// seat by itself and plays on; a host that is gone is told apart from a network that is down.
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <memory>
#include <string>
#include <vector>

#include "dictionary/record_blob.h"
#include "protocol/message.h"
#include "protocol/tsock.h"
#include "server/tserver.h"
#include "tests/window/recorders.h"
#include "window/game_summary_window.h"
#include "window/panel_widgets.h"
#include "window/picture_button.h"
#include "window/tchat.h"

namespace {

QPoint cellCentre(int c, int r) {
  return {c * 39 + 19, r * 39 + 19};
}

void click(QWidget* w, QPoint at = {19, 19}) {
  QTest::mouseClick(w, Qt::LeftButton, {}, at);
}

// The connection ends with a reset, as when the network or the program under it fails.
void resetConnection(TSock& sock) {
  const linger abort{1, 0};
  ASSERT_EQ(::setsockopt(sock.descriptor(), SOL_SOCKET, SO_LINGER, &abort, sizeof abort), 0);
  sock.close();
}

std::vector<int> rackCodes(const Tchat& chat) {
  std::vector<int> codes;
  for (const auto& image : chat.game.rack) codes.push_back(image.code);
  return codes;
}

// A hosting window (Ann) with its server, and a joining window (Bob), in a running game with
// Ann to move. The server's clock runs only when the test ticks it.
class Rejoin : public ::testing::Test {
 protected:
  void SetUp() override {
    setMessageBoxes(&boxes);
    // Every two-letter word is in the list, so any two tiles side by side make a word.
    std::vector<std::string> words;
    for (char a = 'a'; a <= 'z'; ++a)
      for (char b = 'a'; b <= 'z'; ++b) words.push_back(std::string{a, b});
    TServer::Options options;
    options.wordList = korvel::recordBlob(words);
    options.runTimer1 = false;
    server = std::make_unique<TServer>(options);
    ASSERT_TRUE(lobby.listen(QHostAddress::LocalHost, 0));

    host = std::make_unique<Tchat>(std::vector<std::string>{"Ann", "127.0.0.1", "true"},
                                   ClientPorts{0, lobby.serverPort()});
    host->setCuePlayer(&sounds);
    host->startListening = [this](int) {
      server->startListening(0, host->sock);
      host->sock->PortName = std::to_string(server->listeningPort());
    };
    host->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return host->game.myplayer == 1; }, 5000));
    port = server->listeningPort();
    bob = join("Bob");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bob->game.myplayer == 2; }, 5000));
    host->sock->send(korvel::protocol::toserver::startgame("Ann", "30", "60", "1"));
    // The seat key comes right after the rack: what Bob's window offers to get the seat back.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          return host->game.myTurn() && bob->game.rack[7].code > 0 && !bob->game.seatKey.empty();
        },
        5000));
  }
  void TearDown() override {
    bob.reset();
    host.reset();
    server.reset();
    setMessageBoxes(nullptr);
  }

  std::unique_ptr<Tchat> join(const std::string& name, const std::string& keysFile = "") {
    auto chat = std::make_unique<Tchat>(std::vector<std::string>{name, "127.0.0.1", "false"},
                                        ClientPorts{port, lobby.serverPort()});
    chat->seatKeysFile = keysFile;
    chat->setCuePlayer(&sounds);
    chat->show();
    return chat;
  }

  RecordingBoxes boxes;
  RecordingSounds sounds;
  QTcpServer lobby;
  std::unique_ptr<TServer> server;
  std::unique_ptr<Tchat> host;
  std::unique_ptr<Tchat> bob;
  int port = 0;
};

}  // namespace

TEST_F(Rejoin, APlayerWhoseConnectionResetGetsBackIntoItsSeatAndPlaysItsNextTurn) {
  const std::vector<int> rack = rackCodes(*bob);
  resetConnection(*bob->sock);
  // The window stays, saying what happens, with a way out.
  EXPECT_TRUE(bob->isVisible());
  ASSERT_NE(bob->reconnectBanner, nullptr);
  EXPECT_TRUE(bob->reconnectBanner->isVisible());
  EXPECT_EQ(bob->button_leave->text(), "Leave");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return host->label_playername[1]->text() == "Bob (away) 3:00"; }, 5000));
  EXPECT_TRUE(server->core().iskept(2));

  // A stranger who comes meanwhile gets another seat.
  auto cy = join("Cy");
  ASSERT_TRUE(QTest::qWaitFor([&] { return cy->game.myplayer == 3; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return cy->game.gameRunning; }, 5000));
  EXPECT_TRUE(host->label_playername[1]->text().startsWith("Bob (away) "));

  bob->reconnectTick();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !bob->reconnect.active(); }, 5000));
  EXPECT_FALSE(bob->reconnectBanner->isVisible());
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return bob->game.myplayer == 2 && bob->game.gameRunning && rackCodes(*bob) == rack; },
      5000));
  EXPECT_TRUE(bob->isVisible());
  ASSERT_TRUE(QTest::qWaitFor([&] { return host->label_playername[1]->text() == "Bob"; }, 5000));
  EXPECT_EQ(cy->label_playername[1]->text(), "Bob");
  EXPECT_FALSE(server->core().players[4].inuse) << "the seat Bob came in on is free again";

  // Ann passes; three seconds later it is Bob's turn, and he lays a word.
  ASSERT_TRUE(host->game.myTurn());
  click(host->button_pass);
  ASSERT_TRUE(QTest::qWaitFor([&] { return bob->label_status->text() == "Ann passed."; }, 5000));
  for (int n = 0; n < 3; ++n) server->timer1Timer();
  ASSERT_TRUE(QTest::qWaitFor([&] { return bob->game.myTurn(); }, 5000));
  click(bob->letter[0]);
  click(bob->paintbox_board, cellCentre(5, 5));
  click(bob->letter[1]);
  click(bob->paintbox_board, cellCentre(6, 5));
  click(bob->button_submit);
  ASSERT_TRUE(QTest::qWaitFor([&] { return host->label_status->text() == "Word Created!"; }, 5000));
  EXPECT_EQ(host->game.board[5][5].letter, rack[0]);
  EXPECT_EQ(host->game.board[6][5].letter, rack[1]);
  EXPECT_GT(server->core().players[2].score, 0);
  QCoreApplication::processEvents();
  EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.shown.join(" | ").toStdString();
}

TEST_F(Rejoin, AHostThatRefusesThreeTimesInARowHasEndedTheGame) {
  QTemporaryDir games;
  bob->gamesFolder = games.path().toStdString();
  // Ann passes, and it is Bob's turn when his connection drops.
  ASSERT_TRUE(host->game.myTurn());
  click(host->button_pass);
  ASSERT_TRUE(QTest::qWaitFor([&] { return bob->label_status->text() == "Ann passed."; }, 5000));
  for (int n = 0; n < 3; ++n) server->timer1Timer();
  ASSERT_TRUE(QTest::qWaitFor([&] { return bob->game.myTurn(); }, 5000));
  ASSERT_TRUE(bob->button_pass->isVisible());
  resetConnection(*bob->sock);
  ASSERT_TRUE(bob->reconnect.active());
  // The board and the buttons stop at once; the bar over the board says why.
  EXPECT_FALSE(bob->button_pass->isVisible());
  EXPECT_FALSE(bob->game.myTurn());
  EXPECT_EQ(bob->reconnectBanner->parentWidget(), bob.get());
  int failures = 0;
  bob->sock->OnInfo = [&failures, inner = bob->sock->OnInfo](TSock* s, int kind,
                                                             const std::string& msg) {
    if (kind == 7) ++failures;
    inner(s, kind, msg);
  };
  // The host's program ends: nobody listens on its port any more.
  host.reset();
  server.reset();
  for (int attempt = 1; attempt <= 3; ++attempt) {
    ASSERT_TRUE(bob->isVisible()) << attempt;
    EXPECT_TRUE(boxes.shown.isEmpty());
    bob->reconnectTick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return failures == attempt; }, 5000));
  }
  // The game ends in the window as it stood: the summary, no box, the game in Past Games.
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return bob->summaryWindow != nullptr && bob->summaryWindow->isVisible(); }, 5000));
  EXPECT_EQ(bob->summaryWindow->winner->text(), "The host ended the game.");
  EXPECT_EQ(bob->label_status->text(), "The host ended the game.");
  EXPECT_FALSE(bob->reconnectBanner->isVisible());
  EXPECT_TRUE(bob->isVisible());
  EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.shown.join(" | ").toStdString();
  EXPECT_EQ(QDir(games.path()).entryList({"*.json"}).size(), 1);
}

TEST_F(Rejoin, LeaveStopsTryingAndEndsTheWindow) {
  resetConnection(*bob->sock);
  ASSERT_TRUE(bob->reconnectBanner->isVisible());
  click(bob->button_leave);
  EXPECT_FALSE(bob->reconnect.active());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !bob->isVisible(); }, 5000));
  EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(Rejoin, APlayerTheHostRemovedDoesNotComeBack) {
  host->sock->send(korvel::protocol::toserver::kickhim(1, 2));
  ASSERT_TRUE(QTest::qWaitFor([&] { return bob->reconnect.active(); }, 5000));
  EXPECT_FALSE(server->core().iskept(2));
  // The host answers, so it closed the connection itself: the window ends without logging in.
  bob->reconnectTick();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !bob->isVisible(); }, 5000));
  EXPECT_FALSE(bob->reconnect.active());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !server->core().players[2].inuse; }, 5000));
  EXPECT_EQ(host->label_playername[1]->text(), "<Waiting>");
  EXPECT_TRUE(boxes.shown.isEmpty());
}

// A window that was killed comes back in its own seat by the key it kept in its file; a stranger
// who logs in under the same name is told whose seat it is and sits elsewhere.
TEST_F(Rejoin, AWindowStartedAgainGetsItsSeatBackByItsKeyAndTheNameAloneDoesNot) {
  QTemporaryDir state;
  const std::string keys = state.filePath("seatkeys").toStdString();
  auto dan = join("Dan", keys);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return dan->game.myplayer == 3 && dan->game.gameRunning; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !dan->game.seatKey.empty(); }, 5000));
  const std::vector<int> rack = rackCodes(*dan);
  dan.reset();  // killed: nothing said, the connection just closes
  ASSERT_TRUE(QTest::qWaitFor([&] { return server->core().iskept(3); }, 5000));

  auto impostor = join("Dan");
  ASSERT_TRUE(QTest::qWaitFor([&] { return impostor->game.myplayer == 4; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return impostor->mainchat->toPlainText().contains("Dan's seat is kept for Dan."); },
      5000));
  EXPECT_TRUE(server->core().iskept(3));

  auto back = join("Dan", keys);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return back->game.myplayer == 3 && back->game.gameRunning && rackCodes(*back) == rack;
      },
      5000));
  EXPECT_FALSE(server->core().iskept(3));
  EXPECT_EQ(impostor->game.myplayer, 4);
}

// Leaving by the menu is not a drop: the window tells the host, which frees the seat at once.
TEST_F(Rejoin, APlayerWhoLeavesOnPurposeFreesTheSeatAtOnce) {
  bob->close();  // "Leave this game?" Yes
  bob.reset();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !server->core().players[2].inuse; }, 5000));
  EXPECT_FALSE(server->core().iskept(2));
  auto cy = join("Cy");
  ASSERT_TRUE(QTest::qWaitFor([&] { return cy->game.myplayer == 2; }, 5000));
}

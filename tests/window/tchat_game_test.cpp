// The game client's widgets follow the mirror: mouse events on the real rack, board and buttons,
// the clock's tick, and a whole game between a hosting and a joining window over loopback.
#include <gtest/gtest.h>

#include <QApplication>
#include <QListWidget>
#include <QTcpServer>
#include <QTest>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "client/leave_question.h"
#include "dictionary/record_blob.h"
#include "protocol/message.h"
#include "protocol/tsock.h"
#include "recorders.h"
#include "server/tserver.h"
#include "shell/message_boxes.h"
#include "window/clock_label.h"
#include "window/panel_widgets.h"
#include "window/picture_button.h"
#include "window/sound_player.h"
#include "window/tchat.h"

namespace {

namespace toclient = korvel::protocol::toclient;
using Strings = std::vector<std::string>;

// Hands a framed server message to the window as its queue would.
void deliver(Tchat& chat, std::string framed) {
  framed.pop_back();
  chat.receivedlist.append(framed);
  chat.processsocktimer();
}

QPoint cellCentre(int c, int r) {
  return {c * 39 + 19, r * 39 + 19};
}

void click(QWidget* w, Qt::MouseButton b = Qt::LeftButton, QPoint at = {19, 19}) {
  QTest::mouseClick(w, b, {}, at);
}

class TchatGame : public ::testing::Test {
 protected:
  void SetUp() override { setMessageBoxes(&boxes); }
  void TearDown() override { setMessageBoxes(nullptr); }
  RecordingBoxes boxes;
};

// A shown window at seat 1 whose turn it is, rack A to H.
struct OwnTurn {
  Tchat chat{{"Ann"}, {1, 1}};
  RecordingSounds sounds;
  OwnTurn() {
    chat.setCuePlayer(&sounds);
    chat.show();
    chat.game.myplayer = 1;
    deliver(chat, toclient::existingplayers({{1, "Ann", false}, {2, "Bob", false}}));
    deliver(chat, toclient::startgame("Ann", "30", 60, "1"));
    deliver(chat,
            toclient::mytiles(1, {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}}));
    deliver(chat, toclient::nextplayer(1, 16));
    sounds.played.clear();
  }
};

}  // namespace

TEST_F(TchatGame, TheMouseOnRackAndBoard) {
  OwnTurn t;
  Tchat& chat = t.chat;
  EXPECT_EQ(chat.label_status->text(), "Your Turn.");
  EXPECT_TRUE(chat.button_submit->isVisible());
  EXPECT_EQ(chat.letter[2]->accessibleName(), "Tile 3: C");
  EXPECT_EQ(chat.label_playername[1]->accessibleName(), "Seat 2: Bob");

  // Pick slot 2: it follows the pointer over the board.
  click(chat.letter[1]);
  EXPECT_EQ(chat.game.heldtile, "2");
  QTest::mouseMove(chat.paintbox_board, QPoint(100, 100));
  EXPECT_EQ(chat.letter[1]->pos(), QPoint(1 + 100 + 4, 27 + 100 + 4));
  // Exchange with slot 5, then put slot 5 into slot 2's free outline.
  click(chat.letter[4]);
  EXPECT_EQ(chat.letter[1]->x(), 219);
  EXPECT_EQ(chat.letter[4]->x(), 85);
  click(chat.letter[4]);
  click(chat.shape[0]);  // slot 1's place is taken: slots 1 and 5 swap homes
  EXPECT_EQ(chat.letter[4]->x(), 41);
  EXPECT_EQ(chat.letter[0]->x(), 85);

  // Lay slot 3 on a board letter, lift it with the right button, lay it again and slot 4 too.
  chat.game.board[3][8].letter = 20;
  click(chat.letter[2]);
  click(chat.paintbox_board, Qt::LeftButton, cellCentre(3, 8));
  EXPECT_FALSE(chat.letter[2]->isVisible());
  EXPECT_EQ(chat.game.board[3][8].letter, 3);
  click(chat.paintbox_board, Qt::RightButton, cellCentre(3, 8));
  EXPECT_TRUE(chat.letter[2]->isVisible());
  EXPECT_EQ(chat.game.board[3][8].letter, 20);
  click(chat.letter[2]);
  click(chat.paintbox_board, Qt::LeftButton, cellCentre(3, 8));
  click(chat.letter[3]);
  click(chat.paintbox_board, Qt::LeftButton, cellCentre(3, 7));
  EXPECT_EQ(t.sounds.played, (Strings{"pickupletter", "swapletter", "pickupletter", "clear",
                                      "pickupletter", "placeletter", "clear", "pickupletter",
                                      "placeletter", "pickupletter", "placeletter"}));

  // The surface paints the laid letters without complaint, then Clear takes both back.
  QImage shot(chat.paintbox_board->size(), QImage::Format_ARGB32);
  shot.fill(Qt::transparent);
  chat.paintbox_board->render(&shot);
  EXPECT_NE(shot.pixel(cellCentre(3, 7)), QColor(Qt::transparent).rgba());
  click(chat.button_clear);
  EXPECT_TRUE(chat.letter[2]->isVisible() && chat.letter[3]->isVisible());
  EXPECT_EQ(chat.game.board[3][8].letter, 20);

  // Not connected: a right click on an empty cell submits nothing and changes nothing.
  click(chat.paintbox_board, Qt::RightButton, cellCentre(0, 0));
  QCoreApplication::processEvents();
  EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(TchatGame, TheClockFollowsItsTicks) {
  OwnTurn t;
  Tchat& chat = t.chat;
  EXPECT_TRUE(chat.turntime.isActive());
  chat.turntimeTimer();
  EXPECT_EQ(chat.label_timer->text(), "Time: 0:59");
  EXPECT_EQ(chat.image_timer->width(), 413);
  for (int n = 0; n < 40; ++n) chat.turntimeTimer();
  EXPECT_EQ(chat.label_timer->text(), "Time: 0:19");
  EXPECT_EQ(static_cast<ClockLabel*>(chat.label_timer)->overBar(), QColor(Qt::black));
  chat.PlaySounds1->setChecked(false);
  for (int n = 0; n < 30; ++n) chat.turntimeTimer();
  EXPECT_EQ(t.sounds.played, Strings{"tick"});  // at 20 only; the rest were silenced
  EXPECT_EQ(chat.label_timer->text(), "Time: 0:00");
  EXPECT_FALSE(chat.image_timer->isVisible());
  deliver(chat, toclient::timeup());
  EXPECT_FALSE(chat.turntime.isActive());
  EXPECT_EQ(chat.label_status->text(), "Time Up!");
}

TEST_F(TchatGame, StartButtonAndGameIsFull) {
  Tchat chat({"Ann"}, {1, 1});
  int shown = 0;
  chat.showGameStart = [&] { ++shown; };
  chat.button_startClick();
  QCoreApplication::processEvents();
  EXPECT_EQ(boxes.shown, QStringList{"You are not connected"});
  chat.game.connected = true;
  chat.button_startClick();
  EXPECT_EQ(shown, 1);
  chat.show();
  deliver(chat, toclient::full());
  EXPECT_TRUE(chat.isVisible());  // until the box is dismissed
  QCoreApplication::processEvents();
  EXPECT_EQ(boxes.shown.last(), "Game is full");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !chat.isVisible(); }, 2000));
}

TEST_F(TchatGame, AHostAndAJoinerPlayAGameToTheWinnerPanel) {
  // Every two-letter word is in the list, so any two tiles side by side make a word.
  std::vector<std::string> words;
  for (char a = 'a'; a <= 'z'; ++a)
    for (char b = 'a'; b <= 'z'; ++b) words.push_back(std::string{a, b});
  TServer::Options options;
  options.wordList = korvel::recordBlob(words);
  options.runTimer1 = false;
  TServer server(options);
  QTcpServer lobby;
  ASSERT_TRUE(lobby.listen(QHostAddress::LocalHost, 0));

  Tchat host({"Ann", "127.0.0.1", "true"}, {0, lobby.serverPort()});
  RecordingSounds hostSounds, joinerSounds;
  host.setCuePlayer(&hostSounds);
  host.startListening = [&](int) {
    server.startListening(0, host.sock);
    host.sock->PortName = std::to_string(server.listeningPort());
  };
  host.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.game.myplayer == 1; }, 5000));
  Tchat joiner({"Bob", "127.0.0.1", "false"}, {server.listeningPort(), lobby.serverPort()});
  joiner.setCuePlayer(&joinerSounds);
  joiner.show();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return joiner.game.myplayer == 2 && host.label_playername[1]->text() == "Bob"; },
      5000));
  EXPECT_EQ(joiner.label_playername[0]->text(), "Ann");

  host.showGameStart = [&] {
    host.sock->send(korvel::protocol::toserver::startgame("Ann", "30", "60", "1"));
  };
  click(host.button_start, Qt::LeftButton, {60, 13});
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return host.game.myTurn() && joiner.label_status->text() == "Ann's turn."; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.game.rack[1].code > 0; }, 5000));
  EXPECT_EQ(host.label_status->text(), "Your Turn.");
  EXPECT_EQ(host.label_tilesleft->text(), "59");
  const int first = host.game.rack[0].code, second = host.game.rack[1].code;

  click(host.letter[0]);
  click(host.paintbox_board, Qt::LeftButton, cellCentre(5, 5));
  click(host.letter[1]);
  click(host.paintbox_board, Qt::LeftButton, cellCentre(6, 5));
  click(host.button_submit);
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return joiner.label_status->text() == "Word Created!"; }, 5000));
  EXPECT_EQ(joiner.game.board[5][5].letter, first);
  EXPECT_EQ(joiner.game.board[6][5].letter, second);
  const int points = std::stoi(host.label_score[0]->text().toStdString());
  EXPECT_GT(points, 0);
  EXPECT_EQ(joiner.label_bonus[0]->text(), "+" + host.label_score[0]->text());
  EXPECT_EQ(joiner.listbox_words->item(0)->text(), "**** Ann ****");
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.letter[0]->isVisible(); }, 5000));  // refilled

  // The server gives the next turn three seconds later.
  for (int n = 0; n < 3; ++n) server.timer1Timer();
  ASSERT_TRUE(QTest::qWaitFor([&] { return joiner.game.myTurn(); }, 5000));
  EXPECT_TRUE(joiner.button_pass->isVisible());
  click(joiner.button_pass);
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.label_status->text() == "Bob passed."; }, 5000));
  for (int n = 0; n < 3 && !host.game.myTurn(); ++n) {
    server.timer1Timer();
    (void)QTest::qWaitFor([&] { return host.game.myTurn(); }, 500);
  }
  ASSERT_TRUE(host.game.myTurn());
  click(host.button_pass);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return host.panel_winner->isVisible() && joiner.panel_winner->isVisible(); }, 5000));
  EXPECT_EQ(host.label_winner1->text(), "You have Won the Game!");
  EXPECT_EQ(joiner.label_winner1->text(), "Ann has Won the Game!");
  EXPECT_EQ(joiner.label_status->text(), "Game Over!");
  EXPECT_TRUE(host.button_start->isVisible());
  EXPECT_FALSE(joiner.button_start->isVisible());
  for (const char* cue :
       {"entered", "turn", "pickupletter", "placeletter", "goodword", "pass", "gameover"}) {
    EXPECT_NE(std::find(hostSounds.played.begin(), hostSounds.played.end(), cue),
              hostSounds.played.end())
        << cue;
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(TchatGame, TheKeyboardOnTheBoard) {
  OwnTurn t;
  Tchat& chat = t.chat;
  chat.paintbox_board->setFocus();
  QTest::keyClick(chat.paintbox_board, Qt::Key_Left);
  QTest::keyClicks(chat.paintbox_board, "ab");
  EXPECT_EQ(chat.game.board[4][5].letter, 1);
  EXPECT_EQ(chat.game.board[5][5].letter, 2);
  EXPECT_FALSE(chat.letter[0]->isVisible());
  EXPECT_TRUE(chat.paintbox_board->accessibleDescription().startsWith("Column 7, row 6: empty"));
  QTest::keyClick(chat.paintbox_board, Qt::Key_Backspace);
  EXPECT_EQ(chat.game.board[5][5].letter, 0);
  QTest::keyClick(chat.paintbox_board, Qt::Key_Escape);
  EXPECT_EQ(chat.game.board[4][5].letter, 0);
  EXPECT_TRUE(chat.letter[0]->isVisible());
  EXPECT_EQ(chat.button_submit->toolTip(), "Submit (Ctrl+Return)");

  // A click on an empty cell aims the cursor and draws it at once with its arrow: across on an
  // open cell, down under a letter. Laying a tile with the mouse hides it again.
  const auto drawn = [&](int c, int r, bool down) {
    QImage shot(chat.paintbox_board->size(), QImage::Format_ARGB32);
    shot.fill(Qt::transparent);
    chat.paintbox_board->render(&shot);
    // The direction arrow's middle: at the cell's right edge across, at its bottom edge down.
    const QRgb arrow =
        down ? shot.pixel(c * 39 + 19, r * 39 + 33) : shot.pixel(c * 39 + 33, r * 39 + 19);
    return qAlpha(arrow) > 200 && qBlue(arrow) > 150 && qRed(arrow) < 100;
  };
  const auto cursorDrawnAt = [&](int c, int r) { return drawn(c, r, false); };
  chat.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&chat));
  click(chat.paintbox_board, Qt::LeftButton, cellCentre(2, 9));
  ASSERT_TRUE(chat.paintbox_board->hasFocus());
  EXPECT_TRUE(cursorDrawnAt(2, 9)) << "shown before the first key";
  QTest::keyClick(chat.paintbox_board, Qt::Key_Right);
  EXPECT_TRUE(cursorDrawnAt(3, 9));
  click(chat.paintbox_board, Qt::LeftButton, cellCentre(6, 1));
  EXPECT_TRUE(cursorDrawnAt(6, 1));
  EXPECT_FALSE(cursorDrawnAt(3, 9));
  QTest::keyClicks(chat.paintbox_board, "c");
  EXPECT_EQ(chat.game.board[6][1].letter, 3);
  EXPECT_TRUE(cursorDrawnAt(7, 1));
  // Under the C the arrow points down, and the next letter goes there.
  click(chat.paintbox_board, Qt::LeftButton, cellCentre(6, 2));
  EXPECT_TRUE(drawn(6, 2, true));
  EXPECT_FALSE(drawn(6, 2, false));
  QTest::keyClicks(chat.paintbox_board, "d");
  EXPECT_EQ(chat.game.board[6][2].letter, 4);
  EXPECT_TRUE(drawn(6, 3, true));
  // A tile laid with the mouse: no cursor.
  click(chat.letter[0]);
  click(chat.paintbox_board, Qt::LeftButton, cellCentre(0, 5));
  EXPECT_EQ(chat.game.board[0][5].letter, 1);
  EXPECT_FALSE(cursorDrawnAt(0, 5) || drawn(6, 3, true));
  // Coming to the board by Tab is keyboard use too.
  click(chat.paintbox_board, Qt::RightButton, cellCentre(0, 5));  // the A goes back home
  EXPECT_FALSE(cursorDrawnAt(0, 5) || drawn(0, 5, true));
  QFocusEvent tabIn(QEvent::FocusIn, Qt::TabFocusReason);
  QApplication::sendEvent(chat.paintbox_board, &tabIn);
  // Still down: only a click that aims changes the direction.
  EXPECT_TRUE(drawn(0, 5, true));
}

// A logout or `kill` while the host plays its own turn: the window closes without the question
// that closing it in a running game otherwise asks.
TEST(TchatEnd, ARequestToEndClosesARunningGameWithoutAsking) {
  struct CountingBoxes : RecordingBoxes {
    int asked = 0;
    bool askYesNo(const QString&) override { return ++asked, false; }
  } boxes;
  setMessageBoxes(&boxes);
  OwnTurn host;
  host.chat.game.hosting = true;
  host.chat.game.connected = true;
  ASSERT_TRUE(korvel::client::leaveQuestion(host.chat.game, false).has_value());
  host.chat.close();  // the user says No
  ASSERT_EQ(boxes.asked, 1);
  ASSERT_TRUE(host.chat.isVisible());

  bool closed = false;
  QObject::connect(&host.chat, &Tchat::formClosed, [&] { closed = true; });
  host.chat.endOnRequest();
  EXPECT_EQ(boxes.asked, 1);
  EXPECT_TRUE(closed);
  EXPECT_FALSE(host.chat.isVisible());
  setMessageBoxes(nullptr);
}

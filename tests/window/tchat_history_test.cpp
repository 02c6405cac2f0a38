// A game between the window and two other clients over loopback, seen through what this feature
// adds: the last move marked, the words a refused move lacks, Game History, the end-of-game
// summary, the saved file, and Past Games replaying and analysing it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "bot/lexicon.h"
#include "client/game_file.h"
#include "dialogs/tgamestart.h"
#include "dictionary/record_blob.h"
#include "protocol/message.h"
#include "protocol/tsock.h"
#include "recorders.h"
#include "server/tserver.h"
#include "shell/message_boxes.h"
#include "window/game_history_window.h"
#include "window/game_review_window.h"
#include "window/game_summary_window.h"
#include "window/panel_widgets.h"
#include "window/past_games_window.h"
#include "window/picture_button.h"
#include "window/sound_player.h"
#include "window/tchat.h"

namespace {

namespace fs = std::filesystem;

QPoint cellCentre(int c, int r) {
  return {c * 39 + 19, r * 39 + 19};
}

void click(QWidget* w, Qt::MouseButton b = Qt::LeftButton, QPoint at = {19, 19}) {
  QTest::mouseClick(w, b, {}, at);
}

std::string readAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

char letterOf(int code) {
  return static_cast<char>('A' + code - 1);
}

}  // namespace

TEST(TchatHistory, AGameOfThreeClientsIsListedSavedReplayedAndAnalysed) {
  RecordingBoxes boxes;
  setMessageBoxes(&boxes);
  // Every two-letter word is in the list, and nothing longer.
  std::vector<std::string> words;
  for (char a = 'a'; a <= 'z'; ++a)
    for (char b = 'a'; b <= 'z'; ++b) words.push_back(std::string{a, b});
  const auto lexicon = korvel::bot::Lexicon::fromWords(words);
  TServer::Options options;
  options.wordList = korvel::recordBlob(words);
  options.runTimer1 = false;
  TServer server(options);
  QTcpServer lobby;
  ASSERT_TRUE(lobby.listen(QHostAddress::LocalHost, 0));
  QTemporaryDir annDir, bobDir, cyDir;
  Tgamestart gamestart;  // outlives the window that points to it

  RecordingSounds sounds[3];
  Tchat host({"Ann", "127.0.0.1", "true"}, {0, lobby.serverPort()});
  host.startListening = [&](int) {
    server.startListening(0, host.sock);
    host.sock->PortName = std::to_string(server.listeningPort());
  };
  std::unique_ptr<Tchat> others[2];
  Tchat* all[3] = {&host, nullptr, nullptr};
  const QTemporaryDir* dirs[3] = {&annDir, &bobDir, &cyDir};
  host.setCuePlayer(&sounds[0]);
  host.gamesFolder = annDir.path().toStdString();
  host.lexicon = [&]() -> const korvel::bot::Lexicon& { return lexicon; };
  host.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.game.myplayer == 1; }, 5000));
  const char* names[2] = {"Bob", "Cy"};
  for (int k = 0; k < 2; ++k) {
    others[k] = std::make_unique<Tchat>(std::vector<std::string>{names[k], "127.0.0.1", "false"},
                                        ClientPorts{server.listeningPort(), lobby.serverPort()});
    all[k + 1] = others[k].get();
    others[k]->setCuePlayer(&sounds[k + 1]);
    others[k]->gamesFolder = dirs[k + 1]->path().toStdString();
    others[k]->lexicon = [&]() -> const korvel::bot::Lexicon& { return lexicon; };
    others[k]->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return others[k]->game.myplayer == k + 2; }, 5000));
  }
  Tchat& bob = *others[0];
  Tchat& cy = *others[1];
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.game.seatLabel(3) == "Cy"; }, 5000));

  // The start dialog as the host left it: its level is what the saved game names.
  gamestart.setComputerPlayers(1);
  gamestart.setComputerLevel(korvel::bot::Level::Strong);
  host.gamestartDialog = &gamestart;

  host.GameHistory1Click();
  ASSERT_TRUE(host.historyWindow->isVisible());
  int starts = 0;
  host.showGameStart = [&] {
    ++starts;
    host.sock->send(korvel::protocol::toserver::startgame("Ann", "30", "60", "1"));
  };
  click(host.button_start, Qt::LeftButton, {60, 13});
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return host.game.myTurn() && host.game.rack[1].code > 0; }, 5000));
  const auto annRack = host.game.history.record.players.size();
  EXPECT_EQ(annRack, 3u);
  std::string dealt;
  for (const auto& image : host.game.rack) dealt += letterOf(image.code);

  // Ann lays two tiles over the star.
  const int a1 = host.game.rack[0].code, a2 = host.game.rack[1].code;
  click(host.letter[0]);
  click(host.paintbox_board, Qt::LeftButton, cellCentre(5, 5));
  click(host.letter[1]);
  click(host.paintbox_board, Qt::LeftButton, cellCentre(6, 5));
  click(host.button_submit);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return bob.game.status == "Word Created!" && cy.game.status == "Word Created!"; },
      5000));
  // Every client marks the last move's cells.
  for (Tchat* c : all) EXPECT_TRUE(c->game.board[5][5].lastMove && c->game.board[6][5].lastMove);
  const std::string annWord = {letterOf(a1), letterOf(a2)};
  const int annPoints = std::stoi(bob.game.seat[0].score);
  ASSERT_EQ(bob.listbox_words->count(), 2);
  EXPECT_EQ(bob.listbox_words->item(1)->text().toStdString(), annWord);

  // Bob makes it three letters: refused as "Invalid Word", and only Bob's chat names the word.
  for (int n = 0; n < 3; ++n) server.timer1Timer();
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return bob.game.myTurn() && bob.game.rack[0].code > 0; }, 5000));
  const int b1 = bob.game.rack[0].code;
  click(bob.letter[0]);
  click(bob.paintbox_board, Qt::LeftButton, cellCentre(7, 5));
  click(bob.button_submit);
  ASSERT_TRUE(QTest::qWaitFor([&] { return bob.game.status == "Invalid Word"; }, 5000));
  // The chat view sets a line's head (up to its ":") apart from its body.
  const QRegularExpression expected(QString("^\\s*Not in the word list: %1\\s*$")
                                        .arg(QString::fromStdString(annWord + letterOf(b1))),
                                    QRegularExpression::MultilineOption);
  EXPECT_TRUE(bob.mainchat->toPlainText().contains(expected))
      << bob.mainchat->toPlainText().toStdString();
  EXPECT_FALSE(host.mainchat->toPlainText().contains("Not in the word list"));
  click(bob.button_clear);
  click(bob.button_pass);
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.game.status == "Bob passed."; }, 5000));
  // Cy passes, then Ann: every player has passed since Ann's word, so the game ends.
  for (int n = 0; n < 3 && !cy.game.myTurn(); ++n) {
    server.timer1Timer();
    (void)QTest::qWaitFor([&] { return cy.game.myTurn(); }, 1000);
  }
  ASSERT_TRUE(cy.game.myTurn());
  click(cy.button_pass);
  for (int n = 0; n < 4 && !host.game.myTurn(); ++n) {
    server.timer1Timer();
    (void)QTest::qWaitFor([&] { return host.game.myTurn(); }, 1000);
  }
  ASSERT_TRUE(host.game.myTurn());
  std::string annSecondRack;
  for (const auto& image : host.game.rack)
    annSecondRack += image.code > 0 ? letterOf(image.code) : '.';
  click(host.button_pass);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (Tchat* c : all)
          if (!c->summaryWindow || !c->summaryWindow->isVisible()) return false;
        return true;
      },
      5000));

  // Game History lists every turn with the words and scores that went over the wire.
  HistoryModel* table = host.historyWindow->model;
  ASSERT_EQ(table->rowCount(), 4);
  EXPECT_EQ(table->headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "Player");
  EXPECT_EQ(table->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), "Bob total");
  const QString rows[4][3] = {
      {"Ann", QString::fromStdString(annWord) + " " + QString::number(annPoints),
       QString::number(annPoints)},
      {"Bob", "passed", QString::number(annPoints)},
      {"Cy", "passed", QString::number(annPoints)},
      {"Ann", "passed", QString::number(annPoints)},
  };
  for (int r = 0; r < 4; ++r) {
    EXPECT_EQ(table->index(r, 1).data().toString(), rows[r][0]);
    EXPECT_EQ(table->index(r, 2).data().toString(), rows[r][1]);
    EXPECT_EQ(table->index(r, 3).data().toString(), rows[r][2]);  // Ann's running total
  }
  // The last-move mark ends with the game; the summary leaves the board in view.
  EXPECT_FALSE(host.game.board[5][5].lastMove);
  const QRect boardArea(host.paintbox_board->mapToGlobal(QPoint(0, 0)),
                        host.paintbox_board->size());
  EXPECT_FALSE(host.summaryWindow->frameGeometry().intersects(boardArea));
  EXPECT_TRUE(host.summaryWindow->playAgainButton->isVisible());
  EXPECT_FALSE(bob.summaryWindow->playAgainButton->isVisible());
  EXPECT_EQ(host.summaryWindow->model->text(0, 0), "Ann \u2605");
  EXPECT_EQ(host.summaryWindow->model->text(0, 3).toStdString(), annWord);
  // Every column and row shows whole, without scrolling.
  QCoreApplication::processEvents();
  EXPECT_FALSE(host.summaryWindow->table->horizontalScrollBar()->isVisible());
  EXPECT_FALSE(host.summaryWindow->table->verticalScrollBar()->isVisible());
  host.showGameStart = [&] { ++starts; };  // the start dialog, without starting anew here
  click(host.summaryWindow->playAgainButton, Qt::LeftButton, {5, 5});
  EXPECT_EQ(starts, 2);  // Play Again is Start Game
  EXPECT_FALSE(host.summaryWindow->isVisible());

  // Each client saved the game; the host's file holds the turns, its racks and the scores.
  for (const QTemporaryDir* d : dirs)
    EXPECT_EQ(korvel::client::listGames(d->path().toStdString()).size(), 1u);
  const auto saved = korvel::client::listGames(annDir.path().toStdString());
  const auto record = korvel::client::loadGame(saved[0].file);
  ASSERT_TRUE(record);
  EXPECT_EQ(*record, host.game.history.record);  // the file holds the game as it was listed
  ASSERT_EQ(record->turns.size(), 4u);
  EXPECT_EQ(record->turns[0].words, std::vector<std::string>{annWord});
  EXPECT_EQ(record->turns[0].score, annPoints);
  auto rackText = [](const std::vector<int>& rack) {
    std::string s;
    for (int c : rack) s += c > 0 ? letterOf(c) : '.';
    return s;
  };
  EXPECT_EQ(rackText(record->turns[0].rack), dealt);
  EXPECT_EQ(rackText(record->turns[3].rack), annSecondRack);
  EXPECT_TRUE(record->turns[1].rack.empty());
  EXPECT_EQ(record->finalScores, (std::array<int, 4>{annPoints, 0, 0, 0}));
  EXPECT_EQ(record->winner, "Ann");
  EXPECT_TRUE(record->played);  // Ann's word was sent and accepted

  // A damaged file beside it is listed as damaged and left as it was.
  const fs::path damaged = fs::path(annDir.path().toStdString()) / "1999-01-01_00-00-00.json";
  std::ofstream(damaged, std::ios::binary) << "{\"format\": \"korvel-game\"";
  const std::string damagedBytes = readAll(damaged);
  // So is a hostile file of nothing but "[", read on the list's worker thread.
  const fs::path nested = fs::path(annDir.path().toStdString()) / "nested.json";
  std::ofstream(nested, std::ios::binary) << std::string(korvel::client::kMaxGameFileBytes, '[');

  host.PastGames1Click();
  PastGamesWindow* past = host.pastGamesWindow;
  past->waitForList();
  ASSERT_EQ(past->table->rowCount(), 3);
  EXPECT_TRUE(past->note->isHidden());  // far within what the folder keeps
  EXPECT_EQ(past->table->item(0, 3)->text(), "Ann");
  EXPECT_EQ(past->table->item(0, 1)->text(), "Ann, Bob, Cy");
  EXPECT_EQ(past->table->item(0, 4)->text(), "Strong");
  EXPECT_EQ(past->table->item(1, 1)->text(), "damaged");
  EXPECT_EQ(past->table->item(2, 1)->text(), "damaged");
  EXPECT_EQ(past->status->text(), "3 saved games");
  EXPECT_EQ(past->open(1), nullptr);
  EXPECT_EQ(bob.game.history.record.computerLevel, "");  // a joined client does not know it
  GameReviewWindow* review = past->open(0);
  ASSERT_NE(review, nullptr);
  EXPECT_EQ(review->step(), 0);
  review->board->setFocus();
  for (int n = 0; n < 6; ++n) QTest::keyClick(review->board, Qt::Key_Right);
  EXPECT_EQ(review->step(), 4);
  for (int c = 0; c < 11; ++c)
    for (int r = 0; r < 11; ++r)
      EXPECT_EQ(review->board->letters[c][r], host.game.board[c][r].letter);
  QTest::keyClick(review->board, Qt::Key_Left);
  EXPECT_EQ(review->step(), 3);
  click(review->first, Qt::LeftButton, {5, 5});
  EXPECT_EQ(review->board->letters[5][5], 0);
  click(review->next, Qt::LeftButton, {5, 5});
  EXPECT_EQ(review->board->lastMove, (std::vector<std::pair<int, int>>{{5, 5}, {6, 5}}));
  // The best move of each of Ann's turns beside what she played; Bob's and Cy's have none.
  review->waitForAnalysis();
  // The column shows the best move alone; what was played against it is in its tooltip.
  ASSERT_TRUE(review->model->analysis(0));
  EXPECT_EQ(review->model->text(0, 4).toStdString(),
            korvel::client::bestMoveText(*review->model->analysis(0)));
  EXPECT_TRUE(review->model->toolTip(0, 4).contains("You: " + QString::fromStdString(annWord) +
                                                    " " + QString::number(annPoints) +
                                                    " \u00b7 Best: "))
      << review->model->toolTip(0, 4).toStdString();
  EXPECT_TRUE(review->model->toolTip(3, 4).contains("You: passed \u00b7 Best: "));
  EXPECT_TRUE(review->model->text(1, 4).isEmpty());
  EXPECT_TRUE(review->leftOnTable->text().startsWith("Points left on the table: "));
  // "Show Best Move" lays Ann's best move for turn 4 on the board she passed on, pale; it has
  // nothing to show for Bob's turn and lets the played board come back.
  review->board->setFocus();
  click(review->last, Qt::LeftButton, {5, 5});
  ASSERT_TRUE(review->bestButton->isEnabled());
  const auto after3 = review->board->letters;  // no tile changed on turn 4: she passed
  click(review->bestButton, Qt::LeftButton, {5, 5});
  EXPECT_TRUE(review->position->text().startsWith("Best move for turn 4: "));
  ASSERT_FALSE(review->board->suggested.empty());
  EXPECT_EQ(review->board->letters, after3);
  for (const auto& t : review->board->suggested) EXPECT_NE(after3[t.x][t.y], t.code);
  EXPECT_TRUE(review->board->lastMove.empty());
  EXPECT_FALSE(review->board->grab().isNull());  // paints the suggested tiles
  // The click left the focus on the board, so the arrow keys go on stepping.
  EXPECT_EQ(review->focusWidget(), review->board);
  QTest::keyClick(review->focusWidget(), Qt::Key_Left);
  EXPECT_EQ(review->step(), 3);
  review->showStep(2);
  EXPECT_FALSE(review->bestButton->isEnabled());
  EXPECT_TRUE(review->board->suggested.empty());
  EXPECT_EQ(review->position->text(), "After turn 2 of 4");
  click(review->bestButton, Qt::LeftButton, {5, 5});  // disabled: nothing happens
  review->showStep(1);
  ASSERT_TRUE(review->bestButton->isEnabled());
  EXPECT_TRUE(review->position->text().startsWith("Best move for turn 1: "));
  click(review->bestButton, Qt::LeftButton, {5, 5});
  EXPECT_EQ(review->position->text(), "After turn 1 of 4");
  EXPECT_TRUE(review->board->suggested.empty());

  // The record's chooser opens in the documents folder, then where the last record went.
  const QString recordPath = annDir.filePath("record.txt");
  QString suggested;
  review->chooseFile = [&](const QString& path) {
    suggested = path;
    return recordPath;
  };
  EXPECT_TRUE(review->saveRecord());
  EXPECT_EQ(
      QFileInfo(suggested).absolutePath(),
      QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).absolutePath());
  EXPECT_EQ(host.recordFolder, QFileInfo(recordPath).absolutePath().toStdString());
  EXPECT_TRUE(review->saveRecord());
  EXPECT_EQ(suggested, annDir.filePath("korvel-game.txt"));
  QFile text(recordPath);
  ASSERT_TRUE(text.open(QIODevice::ReadOnly));
  const QString written = QString::fromUtf8(text.readAll());
  EXPECT_TRUE(written.startsWith("Korvel game record\n"));
  EXPECT_TRUE(written.contains("Winner: Ann"));
  review->chooseFile = [](const QString&) { return QString(); };
  EXPECT_FALSE(review->saveRecord());

  EXPECT_EQ(readAll(damaged), damagedBytes);
  QCoreApplication::processEvents();
  EXPECT_TRUE(boxes.shown.isEmpty());

  // A game that cannot be saved is told in the chat.
  host.gamesFolder = fs::path(recordPath.toStdString()) / "games";
  host.gameEnded(true);
  EXPECT_TRUE(host.mainchat->toPlainText().contains("This game could not be saved in " +
                                                    QString::fromStdString(host.gamesFolder)))
      << host.mainchat->toPlainText().toStdString();
  setMessageBoxes(nullptr);
}

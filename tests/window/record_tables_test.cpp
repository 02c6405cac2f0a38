// The game's tables in their windows: hostile text in a cell's tooltip shows literally, the
// history follows a game by appending rows and retitling a renamed player's column, and the
// review draws a suggested move opaque, framed, with the covered letter in its corner.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <algorithm>

#include "bot/lexicon.h"
#include "client/game_file.h"
#include "client/game_mirror.h"
#include "protocol/message.h"
#include "window/artwork.h"
#include "window/game_history_window.h"
#include "window/game_review_window.h"
#include "window/game_summary_window.h"

namespace {

using namespace korvel::client;
namespace toclient = korvel::protocol::toclient;

void feed(GameMirror& m, std::string framed) {
  if (!framed.empty() && framed.back() == korvel::protocol::kTerminator) framed.pop_back();
  m.handleLine(framed);
}

int code(char c) {
  return c - 'A' + 1;
}

// What a tooltip shows: Qt reads it as rich text when it looks like markup, as these all do.
QString shownTip(const QVariant& tip) {
  QTextDocument doc;
  if (Qt::mightBeRichText(tip.toString()))
    doc.setHtml(tip.toString());
  else
    doc.setPlainText(tip.toString());
  return doc.toPlainText();
}

const char* const kName = "<img src=/tmp/x.png>";
const char* const kWord = "<img src=s.png><h1>at</h1>";

// A game from a hostile host: a player named as a picture, a word that is markup, and the end.
GameMirror hostileGame() {
  GameMirror m;
  m.myplayer = 2;
  m.connected = true;
  feed(m, toclient::existingplayers({{1, kName, false}, {2, "Bob", false}}));
  feed(m, toclient::startgame(kName, "30", 60, "1"));
  feed(m, toclient::mytiles(2, {{1, code('Q')}, {2, code('A')}, {3, code('T')}, {4, code('S')}}));
  feed(m, toclient::nextplayer(1, 24));
  feed(m, toclient::goodword(1, 12, 12, {{5, 5, 1, code('A')}, {6, 5, 2, code('T')}}, {kWord}));
  feed(m, toclient::nextplayer(2, 26));
  feed(m, toclient::goodword(2, 13, 13, {{4, 5, 1, code('Q')}}, {kWord, "qat"}));
  feed(m, toclient::winner(kName));
  return m;
}

TEST(RecordTables, PeerAndFileTextInTooltipsShowsLiterally) {
  const GameMirror m = hostileGame();
  const GameRecord& record = m.history.record;
  ASSERT_EQ(record.turns.size(), 2u);
  const QString word = QString::fromStdString(record.turns[0].words.at(0));
  ASSERT_TRUE(word.contains("<IMG"));

  // Game History, as the host sends it.
  GameHistoryWindow history;
  history.showRecord(record);
  const QAbstractItemModel* h = history.model;
  EXPECT_EQ(shownTip(h->index(0, 1).data(Qt::ToolTipRole)), kName);
  EXPECT_EQ(shownTip(h->index(0, 2).data(Qt::ToolTipRole)), word + " 12");
  EXPECT_EQ(shownTip(h->headerData(3, Qt::Horizontal, Qt::ToolTipRole)), QString(kName) + " total");

  // The summary at the end.
  GameSummaryWindow summary;
  summary.showSummary(record, false);
  const int annRow = summary.model->text(0, 0).startsWith("Bob") ? 1 : 0;
  EXPECT_EQ(shownTip(summary.model->index(annRow, 0).data(Qt::ToolTipRole)),
            QString(kName) + " \u2605");
  EXPECT_EQ(summary.winner->text(), QString(kName) + " has won the game!");
  EXPECT_EQ(summary.winner->textFormat(), Qt::PlainText);

  // A saved file's review: the turns' words and the analysis line that quotes them.
  const auto saved = gameFromJson(gameToJson(record));
  ASSERT_TRUE(saved);
  const auto lexicon = korvel::bot::Lexicon::fromWords({"qat", "at", "ta", "qats", "sat"});
  auto* review = new GameReviewWindow(*saved, lexicon);
  review->waitForAnalysis();
  ASSERT_TRUE(review->analysed());
  const QAbstractItemModel* v = review->model;
  EXPECT_EQ(shownTip(v->index(0, 1).data(Qt::ToolTipRole)), kName);
  EXPECT_EQ(shownTip(v->index(1, 2).data(Qt::ToolTipRole)), word + ", QAT 13");
  EXPECT_EQ(v->index(1, 2).data().toString(), word + " 13");  // the main word and its score
  const QString line = shownTip(v->index(1, 4).data(Qt::ToolTipRole));
  EXPECT_TRUE(line.startsWith("You: " + word + " 13 \u00b7 Best: ")) << line.toStdString();
  review->showStep(2);
  EXPECT_TRUE(review->detail->text().startsWith("Bob: " + word + ", QAT 13"));
  EXPECT_EQ(review->detail->textFormat(), Qt::PlainText);
  delete review;
}

TEST(RecordTables, HistoryAppendsRowsRetitlesARenameAndSaysWhenTheGameIsCapped) {
  GameLog log;
  log.begin(1, 60, true);
  log.seat(1, "Ann");
  log.seat(2, "Bob");
  GameHistoryWindow window;
  window.show();
  window.showRecord(log.record);
  QSignalSpy resets(window.model, &QAbstractItemModel::modelReset);
  QSignalSpy inserted(window.model, &QAbstractItemModel::rowsInserted);
  QSignalSpy titles(window.model, &QAbstractItemModel::headerDataChanged);
  TurnRecord turn;
  turn.kind = TurnKind::Pass;
  for (std::size_t i = 0; i < kGameTurns + 20; ++i) {
    turn.seat = 1 + static_cast<int>(i % 2);
    turn.player = turn.seat == 1 ? "Ann" : (i < 500 ? "Bob" : "Bobby");  // Bob renames himself
    log.add(turn);
    window.showRecord(log.record);
    window.flush();  // as when the repaint interval ends
  }
  EXPECT_EQ(resets.count(), 0);
  EXPECT_EQ(inserted.count(), static_cast<int>(kGameTurns));  // one row per turn, then no more
  ASSERT_EQ(titles.count(), 1);  // the rename: Bob's total column, and nothing else
  EXPECT_EQ(titles.at(0).at(1).toInt(), 4);
  EXPECT_EQ(titles.at(0).at(2).toInt(), 4);
  EXPECT_EQ(window.model->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), "Bobby total");
  EXPECT_EQ(window.model->index(0, 1).data().toString(), "Ann");
  EXPECT_EQ(window.model->index(501, 1).data().toString(), "Bobby");
  EXPECT_EQ(window.model->rowCount(), static_cast<int>(kGameTurns));
  EXPECT_TRUE(window.capped->isVisible());

  // Within the repaint interval a change waits for its end, then shows whole.
  log.seat(1, "Annie");
  window.showRecord(log.record);
  EXPECT_EQ(window.model->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), "Ann total");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return window.model->headerData(3, Qt::Horizontal, Qt::DisplayRole).toString() ==
               "Annie total";
      },
      5000));

  // A new game starts the table afresh.
  log.now = [] { return std::int64_t{2'000'000'000}; };
  log.begin(1, 60, true);
  log.seat(1, "Ann");
  window.showRecord(log.record);
  window.flush();
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(window.model->rowCount(), 0);
  EXPECT_EQ(window.model->columnCount(), 4);
  EXPECT_FALSE(window.capped->isVisible());
}

// At the default size the review's columns show the main word and its score, and the best move,
// whole: no cell of those columns is elided, and every column is in view.
TEST(RecordTables, TheReviewsMoveAndBestMoveColumnsReadWhole) {
  GameRecord g;
  g.localSeat = 1;
  g.players = {{1, "You"}, {2, "Bob"}};
  g.startBoard = {{5, 5, code('A')}};
  g.fromStart = false;
  for (int t = 0; t < 40; ++t) {
    TurnRecord turn;
    turn.seat = 1 + t % 2;
    turn.player = turn.seat == 1 ? "You" : "Bob";
    turn.kind = TurnKind::Word;
    turn.words = {"QUARTZIEST", "QI", "UT", "AA", "RE", "TA", "ZO", "IS", "ET"};
    turn.score = 123;
    if (turn.seat == 1)
      turn.rack = {code('Q'), code('A'), code('T'), code('S'), code('E'), code('R'), -1, -1};
    g.turns.push_back(turn);
  }
  const auto lexicon = korvel::bot::Lexicon::fromWords({"qat", "qats", "at", "ta", "tas", "sat"});
  GameReviewWindow review(g, lexicon);
  review.show();
  review.waitForAnalysis();
  QCoreApplication::processEvents();
  const QFontMetrics metrics(review.moves->font());
  for (int column : {2, 4}) {
    int widest = 0;
    for (int r = 0; r < review.model->rowCount(); ++r)
      widest = std::max(widest, metrics.horizontalAdvance(review.model->text(r, column)));
    EXPECT_GT(widest, 0);
    EXPECT_GE(review.moves->columnWidth(column), widest) << column;
  }
  EXPECT_EQ(review.model->text(0, 2), "QUARTZIEST 123");
  int total = 0;
  for (int c = 0; c < review.model->columnCount(); ++c) total += review.moves->columnWidth(c);
  EXPECT_LE(total, review.moves->viewport()->width());
}

TEST(RecordTables, ASuggestedTileIsOpaqueFramedAndShowsTheLetterItCovers) {
  ReviewBoard plain, suggested;
  plain.letters[3][3] = code('I');
  suggested.letters[3][3] = code('F');
  suggested.suggested = {{3, 3, 0, code('I')}};
  const QImage a = plain.grab().toImage(), b = suggested.grab().toImage();
  const int x = artwork::kCell * 3, y = artwork::kCell * 3;
  // The tile's face is the suggested letter's, whole: nothing of the F shows through.
  for (int dx = 18; dx <= 30; ++dx)
    for (int dy = 18; dy <= 30; ++dy)
      EXPECT_EQ(a.pixel(x + dx, y + dy), b.pixel(x + dx, y + dy)) << dx << "," << dy;
  // The covered F sits small in the top left corner, in dark ink.
  const QColor chip = b.pixelColor(x + 6, y + 6);
  EXPECT_LT(chip.lightness(), 80);
  EXPECT_NE(a.pixel(x + 6, y + 6), b.pixel(x + 6, y + 6));
  // The frame along the left edge: dark blue dashes and white, never vermilion.
  bool blue = false, white = false;
  for (int dy = 8; dy < 32; ++dy) {
    const QColor c = b.pixelColor(x + 3, y + dy);
    blue = blue || (c.blue() > 100 && c.red() < 60);
    white = white || c.lightness() > 240;
    EXPECT_FALSE(c.red() > 180 && c.green() < 120 && c.blue() < 60);
  }
  EXPECT_TRUE(blue);
  EXPECT_TRUE(white);
}

}  // namespace

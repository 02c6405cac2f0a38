// What the game's tables are built from, without a window: the summary's ranking, stars and
// heading as the server decided them, the turns a game keeps, the short and full turn texts,
// and the review's analysis (scores from a file held to what a game can reach, the sum in 64
// bits, stopping between turns).

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <string>
#include <vector>

#include "bot/lexicon.h"
#include "client/game_analysis.h"
#include "client/game_log.h"
#include "client/game_mirror.h"
#include "client/game_summary.h"
#include "protocol/message.h"

namespace {

using namespace korvel::client;
namespace toclient = korvel::protocol::toclient;

Outcome feed(GameMirror& m, std::string framed) {
  if (!framed.empty() && framed.back() == korvel::protocol::kTerminator) framed.pop_back();
  return m.handleLine(framed);
}

int code(char c) {
  return c - 'A' + 1;
}

struct Seat {
  const char* name;
  int score;
  bool left;
};

TEST(GameSummaryTable, RanksAndStarsAsTheServerDecided) {
  struct Case {
    const char* what;
    std::vector<Seat> seats;         // seats 1, 2, ...
    const char* winner;              // the server's text
    std::vector<std::string> shown;  // names in the order listed, "*" marks a star
    const char* heading;
  };
  const Case cases[] = {
      {"the top scorer left: the server's winner is starred, the leaver listed last",
       {{"Ann", 50, true}, {"Bob", 30, false}, {"Cy", 20, false}},
       "Bob",
       {"Bob*", "Cy", "Ann"},
       "Bob has won the game!"},
      {"a shared win",
       {{"Ann", 10, false}, {"Bob", 30, false}, {"Cy", 30, false}},
       "Bob and Cy",
       {"Bob*", "Cy*", "Ann"},
       "Bob and Cy have won the game!"},
      {"nobody held a seat at the end",
       {{"Ann", 50, true}, {"Bob", 30, true}},
       "",
       {"Ann", "Bob"},
       "Nobody won this game."},
      {"a name holding \" and \" is one winner, not two",
       {{"Tom and Jerry", 40, false}, {"Tom", 10, false}, {"Jerry", 10, false}},
       "Tom and Jerry",
       {"Tom and Jerry*", "Tom", "Jerry"},
       "Tom and Jerry has won the game!"},
      {"a text that names no seated player: the server's rule among the seated",
       {{"Ann", 5, false}, {"Bob", 25, false}, {"Cy", 60, true}},
       "B\xC3\xB6"
       "b",
       {"Bob*", "Ann", "Cy"},
       "B\xC3\xB6"
       "b has won the game!"},
      {"a winner below a player who left, with a lower score than the rest is impossible; equal "
       "scores keep seat order",
       {{"Ann", 7, false}, {"Bob", 7, false}, {"Cy", 3, false}, {"Dee", 9, true}},
       "Ann and Bob",
       {"Ann*", "Bob*", "Cy", "Dee"},
       "Ann and Bob have won the game!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameRecord r;
    for (std::size_t i = 0; i < c.seats.size(); ++i) {
      r.players.push_back({static_cast<int>(i + 1), c.seats[i].name, c.seats[i].left});
      r.finalScores[i] = c.seats[i].score;
    }
    r.winner = c.winner;
    const GameSummary s = summarise(r);
    std::vector<std::string> shown;
    for (const auto& p : s.players) {
      shown.push_back(p.name + (p.won ? "*" : ""));
      EXPECT_FALSE(p.won && p.left);
    }
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(summaryHeading(s), c.heading);
  }
}

// Through the mirror as the messages come: Ann makes the top score and leaves; the server names
// Bob, and the summary stars Bob and lists Ann apart as having left.
TEST(GameSummaryTable, APlayerWithTheTopScoreWhoLeftIsNeverTheWinner) {
  GameMirror m;
  m.myplayer = 2;
  m.connected = true;
  feed(m, toclient::existingplayers({{1, "Ann", false}, {2, "Bob", false}, {3, "Cy", false}}));
  feed(m, toclient::startgame("Ann", "30", 60, "1"));
  feed(m, toclient::nextplayer(1, 24));
  feed(m, toclient::goodword(1, 50, 50, {{5, 5, 1, code('Q')}, {6, 5, 2, code('A')}}, {"qa"}));
  feed(m, toclient::nextplayer(2, 26));
  feed(m, toclient::goodword(2, 12, 12, {{7, 5, 1, code('T')}}, {"qat"}));
  feed(m, toclient::playerdisconnected(1, "Ann"));
  feed(m, toclient::winner("Bob"));
  ASSERT_TRUE(m.history.record.finished);
  const GameSummary s = summarise(m.history.record);
  ASSERT_EQ(s.players.size(), 3u);
  EXPECT_EQ(s.players[0].name, "Bob");
  EXPECT_TRUE(s.players[0].won);
  EXPECT_EQ(s.players[1].name, "Cy");
  EXPECT_FALSE(s.players[1].won);
  EXPECT_EQ(s.players[2].name, "Ann");
  EXPECT_TRUE(s.players[2].left);
  EXPECT_FALSE(s.players[2].won);
  EXPECT_EQ(s.players[2].score, 50);
  EXPECT_EQ(summaryHeading(s), "Bob has won the game!");

  // The last player gone too: the server names nobody.
  GameMirror empty;
  empty.myplayer = 5;
  feed(empty, toclient::existingplayers({{1, "Ann", false}}));
  feed(empty, toclient::startgame("Ann", "30", 60, "1"));
  feed(empty, toclient::playerdisconnected(1, "Ann"));
  feed(empty, toclient::winner(""));
  EXPECT_EQ(summaryHeading(summarise(empty.history.record)), "Nobody won this game.");
}

TEST(GameLogTable, KeepsTheTurnsAGameCanHaveAndDescribesThem) {
  GameLog log;
  log.begin(1, 60, true);
  log.seat(1, "Ann");
  TurnRecord pass;
  pass.seat = 1;
  pass.player = "Ann";
  for (std::size_t i = 0; i + 1 < kGameTurns; ++i) log.add(pass);
  EXPECT_FALSE(turnsCapped(log.record));
  log.add(pass);
  EXPECT_TRUE(turnsCapped(log.record));
  for (int i = 0; i < 1000; ++i) log.add(pass);
  EXPECT_EQ(log.record.turns.size(), kGameTurns);

  struct Case {
    TurnKind kind;
    std::vector<std::string> words;
    int score;
    const char* shortText;
    const char* fullText;
  };
  const Case cases[] = {
      {TurnKind::Word, {"QAT", "AT", "TA"}, 14, "QAT 14", "QAT, AT, TA 14"},
      {TurnKind::Word, {}, 3, "? 3", " 3"},
      {TurnKind::Pass, {}, 0, "passed", "passed"},
      {TurnKind::Bought, {}, 30, "bought new tiles for 30", "bought new tiles for 30"},
      {TurnKind::TimeUp, {}, 0, "ran out of time", "ran out of time"},
  };
  for (const Case& c : cases) {
    TurnRecord t;
    t.kind = c.kind;
    t.words = c.words;
    t.score = c.score;
    EXPECT_EQ(shortTurn(t), c.shortText);
    EXPECT_EQ(describeTurn(t), c.fullText);
  }
}

const korvel::bot::Lexicon& words() {
  static const auto lexicon =
      korvel::bot::Lexicon::fromWords({"qat", "qats", "at", "ta", "tas", "sat", "eat", "tea"});
  return lexicon;
}

// The local player's turns, each from the rack Q A T S E . . . on a board holding one A that
// nobody covers, with the scores given (as a file might hold them).
GameRecord ownTurns(const std::vector<int>& scores) {
  GameRecord r;
  r.localSeat = 1;
  r.fromStart = false;  // joined late: the board already held the A
  r.startBoard = {{5, 5, code('A')}};
  r.players = {{1, "Ann"}};
  for (int score : scores) {
    TurnRecord t;
    t.seat = 1;
    t.player = "Ann";
    t.kind = TurnKind::Word;
    t.words = {"QAT"};
    t.score = score;
    t.rack = {code('Q'), code('A'), code('T'), code('S'), code('E'), -1, -1, -1};
    r.turns.push_back(t);
  }
  return r;
}

TEST(GameAnalysisTable, ScoresFromAFileAreHeldToWhatAGameCanReach) {
  const int best = analyseGame(ownTurns({0}), words()).turns.at(0).best;
  ASSERT_GT(best, 0);
  EXPECT_GE(maxMoveScore(), best);
  struct Case {
    const char* what;
    std::vector<int> scores;
    std::int64_t left;
  };
  const Case cases[] = {
      {"a fair score", {best - 2}, 2},
      {"scores near the lowest int count as nothing gained",
       {INT_MIN, INT_MIN + 1, -294967262},
       3 * std::int64_t{best}},
      {"a score past any move gains nothing more", {INT_MAX, INT_MAX}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const GameAnalysis a = analyseGame(ownTurns(c.scores), words());
    EXPECT_EQ(a.leftOnTable, c.left);
    for (const auto& t : a.turns) {
      EXPECT_GE(t.played, 0);
      EXPECT_LE(t.played, maxMoveScore());
    }
  }
}

TEST(GameAnalysisTable, HandsOverEachTurnAndStopsBetweenTurns) {
  const GameRecord g = ownTurns({1, 2, 3, 4, 5});
  std::vector<std::size_t> heard;
  const GameAnalysis whole =
      analyseGame(g, words(), nullptr, [&](const TurnAnalysis& a) { heard.push_back(a.turn); });
  EXPECT_EQ(heard, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(whole.turns.size(), 5u);
  EXPECT_EQ(bestMoveText(whole.turns[0]),
            whole.turns[0].bestWord + " " + std::to_string(whole.turns[0].best));
  EXPECT_EQ(bestMoveText(TurnAnalysis{}), "none");

  std::atomic<bool> stop{true};
  EXPECT_TRUE(analyseGame(g, words(), &stop).turns.empty());
  // Stopped while the second turn is analysed: that turn ends, no other begins.
  stop = false;
  int calls = 0;
  const GameAnalysis cut = analyseGame(g, words(), &stop, [&](const TurnAnalysis&) {
    if (++calls == 2) stop = true;
  });
  EXPECT_EQ(cut.turns.size(), 2u);
}

}  // namespace

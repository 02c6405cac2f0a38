// The computer levels' choices on hand-made positions: the level names, the leave table's text,
// Strong's equity (what it keeps, going out at the end, not handing the opponent the last move,
// buying a rack) and Easy's common words at about half the best score.
#include "bot/equity.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "bot/bot_player.h"
#include "bot/easy_choice.h"
#include "bot/leave_values.h"
#include "bot/level.h"

using namespace korvel::bot;

namespace {

int code(char c) {
  return c - 'a' + 1;
}

RackCodes rackOf(const std::string& text) {
  RackCodes rack{};
  for (std::size_t k = 0; k < text.size() && k < rack.size(); ++k) {
    rack[k] = text[k] == '-' ? -1 : code(text[k]);
  }
  return rack;
}

BoardLetters boardWith(const char* word, int x, int y) {
  BoardLetters board{};
  for (int i = 0; word[i]; ++i) board[x + i][y] = code(word[i]);
  return board;
}

LetterCounts countsOf(const std::string& letters) {
  LetterCounts c{};
  for (char l : letters) ++c[code(l)];
  return c;
}

std::string laid(const Move& m) {
  std::string s;
  for (const Tile& t : m.tiles) s += static_cast<char>('a' + t.code - 1);
  return s;
}

TEST(Levels, NamesReadInAnyCaseAndNothingElse) {
  struct Case {
    const char* text;
    std::optional<Level> level;
  } cases[] = {{"Easy", Level::Easy},     {"normal", Level::Normal},  {"STRONG", Level::Strong},
               {"sTrOnG", Level::Strong}, {"hard", std::nullopt},     {"", std::nullopt},
               {"easy ", std::nullopt},   {"Strongest", std::nullopt}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parseLevel(c.text), c.level);
  }
  for (Level level : kLevels) {
    EXPECT_EQ(parseLevel(levelName(level)), level);
    EXPECT_EQ(parseLevel(levelWord(level)), level);
  }
}

TEST(LeaveValues, ReadsItsTextAndRefusesAnythingElse) {
  LeaveValues table;
  table.weights[LeaveValues::firstIndex(code('s'))] = 4.25;
  table.weights[LeaveValues::extraIndex(code('u'))] = -3.5;
  table.weights[LeaveValues::balanceIndex(1, 2)] = 1.0;
  const auto back = LeaveValues::fromText(table.toText());
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(back->weights, table.weights);
  // "suu" + "t": the first s, one extra u, and a rack of 2 vowels and 2 consonants.
  EXPECT_DOUBLE_EQ(table.value(countsOf("sut")), 4.25 + 1.0);
  EXPECT_DOUBLE_EQ(table.value(countsOf("suut")), 4.25 - 3.5);
  EXPECT_DOUBLE_EQ(LeaveValues().value(countsOf("qqq")), 0.0);

  const char* bad[] = {"first s",       "first S 1",     "first ss 1",  "extra s one",
                       "balance 5 4 1", "balance 9 0 1", "first s nan", "first s 1e9",
                       "middle s 1",    "first s 1 2",   "first s 1x"};
  for (const char* text : bad) {
    SCOPED_TRACE(text);
    EXPECT_FALSE(LeaveValues::fromText(text).has_value());
  }
  EXPECT_TRUE(LeaveValues::fromText("# only a comment\n\n  first s 2 # and a note\r\n"));
}

// "cat" on row 5, columns 4 to 6, in every position below.
Situation onCat(const char* rack, int bagTiles, int mine = 0, int theirs = 0) {
  Situation s;
  s.board = boardWith("cat", 4, 5);
  s.rack = rackOf(rack);
  s.bagTiles = bagTiles;
  s.myScore = mine;
  s.opponentScores = {theirs};
  return s;
}

TEST(Equity, AMoveKeepingAGoodRackBeatsASlightlyHigherScoreKeepingABadOne) {
  // With s and u in hand: "cats" scores 6 and keeps u; "ut" or "au" score 2 and keep s.
  const Lexicon lexicon = Lexicon::fromWords({"cat", "cats", "ut", "au"});
  LeaveValues table;
  table.weights[LeaveValues::firstIndex(code('u'))] = -5;
  table.weights[LeaveValues::firstIndex(code('s'))] = 3;
  const EquityChooser strong(lexicon, table), plain(lexicon, noLeaveValues());
  const Situation s = onCat("su", 40);

  const auto byScore = plain.rate(s);
  ASSERT_FALSE(byScore.empty());
  EXPECT_EQ(laid(byScore.front().move), "s");
  EXPECT_EQ(byScore.front().move.score, 6);
  const auto byEquity = strong.rate(s);
  ASSERT_FALSE(byEquity.empty());
  EXPECT_EQ(laid(byEquity.front().move), "u");
  EXPECT_EQ(byEquity.front().move.score, 2);
  EXPECT_DOUBLE_EQ(byEquity.front().equity, 2 + 3);
  for (const RatedMove& r : byEquity) {
    LetterCounts kept = rackCounts(s.rack);
    for (const Tile& t : r.move.tiles) --kept[t.code];
    EXPECT_DOUBLE_EQ(r.equity, r.move.score + table.value(kept));
  }
  // With a bag too thin to refill the rack the kept tiles count for less: 3 of 8 tiles drawn
  // give 3/8 of the value, and "cats" wins again (6 - 15/8 against 2 + 9/8).
  EXPECT_DOUBLE_EQ(strong.leaveValue(countsOf("s"), 3), 3.0 * 3 / 8);
  EXPECT_EQ(laid(strong.rate(onCat("su", 3)).front().move), "s");
}

TEST(Equity, AtTheEndGoingOutFirstAndNotHandingTheOpponentTheLastMove) {
  // "sz" is a word here: a z laid under an s. The bag is empty; the opponent holds `held` of
  // the unseen tiles and plays its best-scoring move.
  const Lexicon lexicon = Lexicon::fromWords({"cat", "cats", "ut", "au", "sut", "sz"});
  const EquityChooser strong(lexicon, noLeaveValues());
  struct Case {
    const char* name;
    int mine, theirs;
    const char* unseen;
    int held;
    const char* laid;  // what the best move lays
    int score;
    bool wins;
  } cases[] = {
      // "sut" down onto the t (3) takes both tiles and wins 23 to 22. After "cats" (6) the z
      // goes under the s (11) and the u alone cannot catch up; after "ut" (2) the opponent's s
      // makes "cats" and leads.
      {"goes out while ahead", 20, 22, "sz", 2, "su", 3, true},
      // Going out at once loses 19 to 22; the q can never move, so "cats" and "ut" in either
      // order win 24 to 22.
      {"does not go out behind while it can still win", 16, 22, "q", 1, nullptr, 0, true},
      // After "cats" the z under the s takes the opponent's last tile and wins; "sut" loses 28
      // to 30; "ut" or "au" leave the z nowhere to go, and "cats" next wins 33 to 30.
      {"does not open the opponent's last move", 25, 30, "z", 1, "u", 2, true},
      // The opponent holds the z or the q, no telling which: "ut" first wins either way, where
      // "cats" loses to the z.
      {"weighs every rack the opponent might hold", 30, 30, "qz", 1, "u", 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Situation s = onCat("su------", 0, c.mine, c.theirs);
    s.unseen = countsOf(c.unseen);
    s.opponentTiles = {c.held};
    std::mt19937 rng(3);
    const auto rated = strong.rate(s, 24, &rng);
    ASSERT_FALSE(rated.empty());
    if (c.laid) {
      EXPECT_EQ(laid(rated.front().move), c.laid);
      EXPECT_EQ(rated.front().move.score, c.score);
    } else {
      EXPECT_NE(laid(rated.front().move), "su");
    }
    EXPECT_EQ(rated.front().equity > EquityChooser::kDecided, c.wins);
  }
}

TEST(Equity, AtTheEndEveryOpponentRepliesInTurn) {
  // Two opponents after this player: the first (30 points) and the second (27) hold the q and
  // the z between them, no telling who has which. "cats" lets whoever holds the z lay it under
  // the s and go out ahead; going out with "sut" stays behind the 30; "ut" first leaves both
  // without a move, and "cats" next wins 33 to 30.
  const Lexicon lexicon = Lexicon::fromWords({"cat", "cats", "ut", "au", "sut", "sz"});
  const EquityChooser strong(lexicon, noLeaveValues());
  Situation s = onCat("su------", 0, 25, 30);
  s.opponentScores = {30, 27};
  s.opponentTiles = {1, 1};
  s.unseen = countsOf("qz");
  std::mt19937 rng(5);
  const auto rated = strong.rate(s, 24, &rng);
  ASSERT_FALSE(rated.empty());
  EXPECT_EQ(laid(rated.front().move), "u");
  EXPECT_GT(rated.front().equity, EquityChooser::kDecided);
  for (const RatedMove& r : rated) {
    if (laid(r.move) != "u") {
      EXPECT_LT(r.equity, 0) << laid(r.move);
    }
  }
}

TEST(Equity, WhatAMoveOpensCostsHalfTheOpponentsBestReply) {
  // The opponent can only hold the v: after "cats" (6) its v under the s makes "sv" (6);
  // "ut" or "au" (2) open nothing. Half the reply taken off, "cats" is still worth more (3).
  const Lexicon lexicon = Lexicon::fromWords({"cat", "cats", "ut", "au", "sv"});
  const EquityChooser strong(lexicon, noLeaveValues());
  Situation s = onCat("su", 10);
  s.unseen = countsOf("v");
  std::mt19937 rng(1);
  const auto rated = strong.rate(s, 24, &rng);
  ASSERT_GE(rated.size(), 2u);
  EXPECT_EQ(laid(rated.front().move), "s");
  EXPECT_DOUBLE_EQ(rated.front().staticEquity, 6);
  EXPECT_DOUBLE_EQ(rated.front().equity, 6 - 6.0 / 2);
  EXPECT_EQ(laid(rated[1].move), "u");
  EXPECT_DOUBLE_EQ(rated[1].equity, 2);
  // Where the reply is worth more than twice the difference, the quiet move wins.
  s.unseen = countsOf("z");
  const Lexicon withZ = Lexicon::fromWords({"cat", "cats", "ut", "au", "sz"});
  const EquityChooser strongZ(withZ, noLeaveValues());
  const auto guarded = strongZ.rate(s, 24, &rng);
  ASSERT_FALSE(guarded.empty());
  EXPECT_EQ(laid(guarded.front().move), "u");
}

TEST(Equity, BuysANewRackOnlyWhenItPays) {
  // Four q before "cat" make "qqqqcat" (45): a new rack of q pays for itself; one of s
  // ("cats", 6) does not.
  const Lexicon lexicon = Lexicon::fromWords({"cat", "cats", "qqqqcat"});
  const EquityChooser strong(lexicon, noLeaveValues());
  struct Case {
    const char* name;
    const char* rack;
    const char* unseen;
    int bag;
    bool buys;
  } cases[] = {
      {"no move, rich bag", "zzzzzzzz", "qqqqqqqqqqqqqqqqqqqq", 20, true},
      {"no move, poor bag", "zzzzzzzz", "ssssssssssssssssssss", 20, false},
      {"a good move in hand", "qqqqzzzz", "qqqqqqqqqqqqqqqqqqqq", 20, false},
      {"too few tiles in the bag", "zzzzzzzz", "qqqqqqqqqqqqqqqqqqqq", 7, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Situation s = onCat(c.rack, c.bag);
    s.unseen = countsOf(c.unseen);
    const auto rated = strong.rate(s, 1);
    std::mt19937 rng(3);
    EXPECT_EQ(strong.buyPays(s, rated.empty() ? std::nullopt : std::optional(rated[0].equity), rng),
              c.buys);
  }
}

TEST(Equity, EasyFormsOnlyCommonWordsNearHalfTheBestScore) {
  const Lexicon full = Lexicon::fromWords({"cat", "cats", "qat", "qats", "as", "at", "ta"});
  const Lexicon common = Lexicon::fromWords({"cat", "cats", "as", "at", "ta"});
  const MoveGenerator fullMoves(full), commonMoves(common);
  const BoardLetters board = boardWith("cat", 4, 5);
  const RackCodes rack = rackOf("qsa");
  // The best move of the full list is "qats" (13); the nearest common one to 6.5 is "cats".
  const auto best = fullMoves.best(board, rack, false);
  ASSERT_TRUE(best.has_value());
  EXPECT_EQ(best->score, 13);
  const auto candidates = easyCandidates(fullMoves, commonMoves, board, rack, false);
  ASSERT_FALSE(candidates.empty());
  EXPECT_EQ(candidates.front().score, 6);
  for (const Move& m : candidates) {
    // Every word of every candidate passes the server's check with only the common words.
    EXPECT_TRUE(confirmMove(common, board, rack, false, m));
  }
}

}  // namespace

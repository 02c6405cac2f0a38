// The computer player's decisions from the server's messages: its login, when it plays, and
// what it answers with a move, without one, after a purchase, a refusal or an empty bag.
#include "bot/bot_player.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/message.h"

namespace {

using namespace korvel::bot;
namespace toclient = korvel::protocol::toclient;
using Strings = std::vector<std::string>;

std::string unframed(std::string framed) {
  while (!framed.empty() && framed.back() == '\xFF') framed.pop_back();
  return framed;
}

TEST(BotPlayer, LogsInWithTheStandbyNameOfAPlayerSeatOnly) {
  const Lexicon lexicon;
  struct Case {
    int seat;
    std::string login;  // "" when it leaves instead
  };
  const Case cases[] = {{2, "CMD_logininfo+2+1.0.2+Klot\xFF\xFF"},
                        {3, "CMD_logininfo+3+1.0.2+Klick\xFF\xFF"},
                        {4, "CMD_logininfo+4+1.0.2+Kling\xFF\xFF"},
                        {1, ""},
                        {5, ""},
                        {9, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seat);
    BotPlayer bot(lexicon);
    const Reaction r = bot.handleLine("CMD_sendlogininfo+" + std::to_string(c.seat));
    EXPECT_EQ(r.leave, c.login.empty());
    EXPECT_EQ(r.send, c.login.empty() ? Strings{} : Strings{c.login});
    if (c.login.empty()) continue;
    EXPECT_FALSE(bot.isSeated());
    EXPECT_TRUE(bot.handleLine("CMD_newplayerinfo+" + std::to_string(c.seat) + "+" +
                               BotPlayer::standbyName(c.seat) + "+0")
                    .seated);
    EXPECT_TRUE(bot.isSeated());
  }
  BotPlayer full(lexicon);
  EXPECT_TRUE(full.handleLine("CMD_full+").leave);
}

TEST(BotPlayer, AnswersItsTurnWithAMoveAPurchaseOrAPass) {
  const Lexicon lexicon = Lexicon::fromWords({"cat", "cats", "bat"});
  const int q = 17, s = 19, b = 2;
  // A game joined at seat 2 with "cat" on the board and the turn at seat 2.
  const auto position = [](int score, int drawn, std::vector<korvel::protocol::SlotEntry> rack) {
    return Strings{unframed(toclient::loadboard(2, {{4, 5, 3}, {5, 5, 1}, {6, 5, 20}})),
                   unframed(toclient::gamestats(2, 60, 60, 2, drawn, {0, score, 0, 0}, rack))};
  };
  struct Case {
    const char* name;
    Strings lines;    // after the login
    Strings answers;  // what play() sent each time the bot was asked to play
  };
  const Case cases[] = {
      {"plays the best move", position(0, 20, {{1, q}, {2, s}}), {"CMD_submit+2+7+5+2"}},
      {"buys with 30 points and a rack left in the bag",
       position(30, 67, {{1, q}, {2, q}}),
       {"CMD_newtiles+2+"}},
      {"passes under 30 points", position(29, 20, {{1, q}}), {"CMD_pass+2+"}},
      {"passes when the bag holds less than a rack", position(40, 68, {{1, q}}), {"CMD_pass+2+"}},
      {"plays from the bought rack",
       [&] {
         Strings l = position(40, 20, {{1, q}, {2, q}});
         l.push_back("CMD_newtiles+2+10+30+1+2+2+17");
         return l;
       }(),
       {"CMD_newtiles+2+", "CMD_submit+2+4+5+1"}},
      {"buys once a turn",
       [&] {
         Strings l = position(70, 20, {{1, q}});
         l.push_back("CMD_newtiles+2+40+30+1+17");
         return l;
       }(),
       {"CMD_newtiles+2+", "CMD_pass+2+"}},
      {"passes when the bag had no tiles",
       [&] {
         Strings l = position(70, 20, {{1, q}});
         l.push_back("CMD_notiles+2+");
         return l;
       }(),
       {"CMD_newtiles+2+", "CMD_pass+2+"}},
      {"passes after a refusal",
       [&] {
         Strings l = position(0, 20, {{1, b}});
         l.push_back("CMD_playerror+2+6+");
         return l;
       }(),
       {"CMD_submit+2+4+5+1", "CMD_pass+2+"}},
      {"waits for its own turn",
       {"CMD_nextplayer+3+20+", unframed(toclient::mytiles(2, {{1, s}})), "CMD_hepassed+3+"},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BotPlayer bot(lexicon);
    bot.handleLine("CMD_sendlogininfo+2");
    Strings answers;
    // Every answer goes out before the next message arrives, as over the wire.
    for (const std::string& line : c.lines) {
      if (bot.handleLine(line).play == Reaction::Play::No) continue;
      answers.push_back(unframed(bot.play()));
      EXPECT_EQ(bot.play(), "") << "a second answer in the same wait";
    }
    EXPECT_EQ(answers, c.answers);
  }
}

TEST(BotPlayer, NormalPlaysItsBestMoveOfWellKnownWordsAndStrongKnowsEveryWord) {
  // "cat" on the board, Q and S on the rack. The whole list makes QATS (Q laid on the C, 13);
  // of the well-known words the best is CATS (6).
  const Lexicon full = Lexicon::fromWords({"cat", "cats", "qat", "qats", "as", "at", "ta"});
  const Lexicon known = Lexicon::fromWords({"cat", "cats", "as", "at", "ta"});
  const int q = 17, s = 19;
  const Strings position = {
      unframed(toclient::loadboard(2, {{4, 5, 3}, {5, 5, 1}, {6, 5, 20}})),
      unframed(toclient::gamestats(2, 60, 60, 2, 20, {0, 0, 0, 0}, {{1, q}, {2, s}}))};
  struct Case {
    const char* what;
    LevelSetup setup;
    int score;
    bool usesQ;
  } cases[] = {
      {"Normal with the well-known words", {Level::Normal, nullptr, &known}, 6, false},
      {"Normal without them knows every word", {Level::Normal}, 13, true},
      {"Strong keeps the whole list", {Level::Strong, nullptr, &known}, 13, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BotPlayer bot(full, c.setup);
    bot.handleLine("CMD_sendlogininfo+2");
    for (const std::string& line : position) bot.handleLine(line);
    const auto move = bot.chooseMove();
    ASSERT_TRUE(move.has_value());
    EXPECT_EQ(move->score, c.score);
    bool q_laid = false;
    for (const Tile& t : move->tiles) q_laid = q_laid || t.code == q;
    EXPECT_EQ(q_laid, c.usesQ);
    if (c.setup.level == Level::Normal && c.setup.known) {
      // Every word it forms, cross words included, passes the move check of the known words.
      BoardLetters board{};
      board[4][5] = 3, board[5][5] = 1, board[6][5] = 20;
      RackCodes rack{};
      rack[0] = q, rack[1] = s;
      EXPECT_TRUE(confirmMove(known, board, rack, false, *move));
      EXPECT_EQ(unframed(bot.play()), "CMD_submit+2+7+5+2");
    }
  }
}

TEST(BotPlayer, WaitsFromTheStartOfItsTurnAndNotAfterItEnded) {
  const Lexicon lexicon = Lexicon::fromWords({"ab"});
  BotPlayer bot(lexicon);
  bot.handleLine("CMD_sendlogininfo+3");
  bot.handleLine("CMD_startgame+You+30+60+1+");
  bot.handleLine(unframed(toclient::mytiles(3, {{1, 1}, {2, 2}})));
  EXPECT_EQ(bot.handleLine("CMD_nextplayer+1+16+").play, Reaction::Play::No);
  EXPECT_EQ(bot.play(), "");
  EXPECT_EQ(bot.handleLine("CMD_nextplayer+3+16+").play, Reaction::Play::AfterDelay);
  // The host made it sit out while it waited: the turn went on to seat 1.
  bot.handleLine("CMD_justwatching+3+1");
  bot.handleLine("CMD_nextplayer+1+16+");
  EXPECT_EQ(bot.play(), "");
  EXPECT_EQ(bot.handleLine("CMD_nextplayer+3+16+").play, Reaction::Play::AfterDelay);
  EXPECT_EQ(unframed(bot.play()), "CMD_submit+3+4+5+1+5+5+2");
  EXPECT_EQ(bot.counts.moves, 1);
  EXPECT_EQ(bot.counts.points, 4);
}

}  // namespace

TEST(BotPlayer, FollowsHowManyTilesTheOpponentHolds) {
  // Seat 2 plays seats 3 and 1, who move in that order after it; Ann in seat 1 only ever holds
  // her deal here. Eve's moves are refilled while the bag lasts: three tiles laid with five in
  // the bag come back; four laid with two left leave it six; an exchange while the bag has tiles
  // fills every slot; once the bag is empty every tile laid is gone from its rack.
  const Lexicon lexicon = Lexicon::fromWords({"cat"});
  BotPlayer bot(lexicon);
  bot.handleLine("CMD_sendlogininfo+2");
  for (const std::string& line :
       {toclient::newplayerinfo(1, "Ann"), toclient::newplayerinfo(2, "Klot"),
        toclient::newplayerinfo(3, "Eve")}) {
    bot.handleLine(unframed(line));
  }
  // Before it sees a game start it knows nothing of their racks: full ones.
  EXPECT_EQ(bot.situation().opponentTiles, (std::vector<int>{8, 8}));
  for (const std::string& line :
       {toclient::startgame("Host", "30", 60, "0"), toclient::nextplayer(3, 70)}) {
    bot.handleLine(unframed(line));
  }
  const auto move = [&bot](int tiles) {
    std::vector<korvel::protocol::LaidTile> laid;
    for (int k = 0; k < tiles; ++k) laid.push_back({k, 0, k + 1, 1});
    bot.handleLine(unframed(toclient::goodword(3, 10, 10, laid, {"aaa"})));
  };
  struct Step {
    int laid, drawnAfter, held;  // laid 0: an exchange
  } steps[] = {{3, 73, 8}, {4, 74, 6}, {0, 74, 8}, {2, 76, 7}, {2, 76, 5}};
  for (const Step& step : steps) {
    if (step.laid > 0) {
      move(step.laid);
    } else {
      bot.handleLine(unframed(toclient::boughtnew(3, 0)));
    }
    bot.handleLine(unframed(toclient::nextplayer(3, step.drawnAfter)));
    EXPECT_EQ(bot.situation().opponentTiles, (std::vector<int>{step.held, 8}));
  }
  bot.handleLine(unframed(toclient::startgame("Host", "30", 60, "0")));
  EXPECT_EQ(bot.situation().opponentTiles, (std::vector<int>{8, 8}));
}

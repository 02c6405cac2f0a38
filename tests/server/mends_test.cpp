// Requests that are not the sender's to make, fields that do not parse, and what happens when
// nobody is left to play or the game is over.
#include <gtest/gtest.h>

#include "tests/server/core_harness.h"

using korvel::server::testing::Harness;
using Lines = std::vector<std::string>;

namespace {

// Ann (1), Bob (2) and Cy (3) in a game, Ann to move with c a t, "cat" not yet laid.
void threeInAGame(Harness& h) {
  h.join("Ann");
  h.join("Bob");
  h.join("Cy");
  h.line(1, "CMD_startgame+Ann+30+60+0+");
  h.setRack(1, "cat");
  h.core.players[1].score = 40;
  h.take();
}

}  // namespace

TEST(Mends, MessagesNotTheSendersToMakeChangeNothingAndGetNoReply) {
  struct Case {
    int from;
    std::string line;
  } cases[] = {
      // Seat fields bound to the connection.
      {2, "CMD_logininfo+3+1.0.2+Eve"},
      {2, "CMD_chat+1+hi|clBlack"},
      {2, "CMD_action+1+waves|clBlack"},
      {2, "CMD_playasound+1+wave1+"},
      {2, "CMD_submit+1+4+5+1+5+5+2+6+5+3"},
      {2, "CMD_pass+1+"},
      {2, "CMD_newtiles+1+"},
      {2, "CMD_kickhim+1+3+"},
      {2, "CMD_justwatch+3+1"},
      {2, "CMD_justwatch+1+1"},
      {3, "CMD_startgame+Cy+30+60+0+"},
      // A connection that has closed speaks for nobody.
      {4, "CMD_chat+4+hi|clBlack"},
      // Seats outside 1 to 9 and fields that do not parse.
      {1, "CMD_chat+0+hi|clBlack"},
      {1, "CMD_chat+x+hi|clBlack"},
      {2, "CMD_logininfo+12+1.0.2+Eve"},
      {2, "CMD_logininfo+2"},
      {1, "CMD_kickhim+1+10+"},
      {1, "CMD_kickhim+1+0+"},
      {1, "CMD_kickhim+1+abc+"},
      {1, "CMD_kickhim+1+3"},
      {1, "CMD_justwatch+-1+1"},
      {1, "CMD_justwatch+99+2"},
      {1, "CMD_pass+1"},
      {1, "CMD_newtiles+one+"},
      {1, "CMD_submit+1+4+5+1+5+5"},
      {1, "CMD_submit+1+4+5+1+5+5+x+6+5+3"},
      {1, "CMD_submit+1"},
      {1, "CMD_startgame+Ann+30+60"},
      // Unknown and empty commands.
      {1, "CMD_foo+1+"},
      {1, "cmd_pass+1+"},
      {1, "CMD_pass"},
      {1, ""},
  };
  for (const auto& c : cases) {
    Harness h;
    threeInAGame(h);
    h.core.departure(4);
    h.take();
    const std::string before = h.state();
    h.line(c.from, c.line);
    EXPECT_TRUE(h.take().empty()) << c.line;
    EXPECT_TRUE(h.out.closed.empty()) << c.line;
    EXPECT_EQ(h.state(), before) << c.line;
  }
}

TEST(Mends, MalformedMovesAreRefusedWithTheBoardAndRackAsBefore) {
  struct Case {
    std::string line;
    int code;
  } cases[] = {
      {"CMD_submit+1+4+5+1+4+5+2", 3},
      {"CMD_submit+1+5+5+1+5+5+1", 3},
      {"CMD_submit+1+11+5+1", 9},
      {"CMD_submit+1+5+-1+1", 9},
      {"CMD_submit+1+5+5+9", 9},
      {"CMD_submit+1+5+5+0", 9},
      {"CMD_submit+1+4+5+1+5+5+1", 9},
      {"CMD_submit+1+0+5+1+1+5+2+2+5+3+3+5+4+4+5+5+5+5+6+6+5+7+7+5+8+8+5+1", 9},
  };
  for (const auto& c : cases) {
    Harness h;
    threeInAGame(h);
    h.putWord(4, 3, "ab", false);
    const std::string before = h.state();
    h.line(1, c.line);
    EXPECT_EQ(h.take(), (Lines{"1 CMD_playerror+1+" + std::to_string(c.code) + "+"})) << c.line;
    EXPECT_EQ(h.state(), before) << c.line;
  }
}

TEST(Mends, NobodyLeftToPlayEndsTheGame) {
  struct Case {
    const char* what;
    int players;
    std::function<void(Harness&)> act;
    Lines expected;
  } cases[] = {
      {"the only player sits out on its turn",
       1,
       [](Harness& h) { h.line(1, "CMD_justwatch+1+1"); },
       {"1 CMD_justwatching+1+1", "1 CMD_winner+Ann+"}},
      {"the last player leaves while the host watches",
       2,
       [](Harness& h) {
         h.line(1, "CMD_justwatch+1+1");
         h.take();
         h.core.departure(2);
       },
       {"1 CMD_playerdisconnected+2+Bob", "1 CMD_winner+Ann+"}},
  };
  for (const auto& c : cases) {
    Harness h;
    h.core.keepseconds = 0;  // a kept seat would keep its turn
    h.join("Ann");
    if (c.players == 2) h.join("Bob");
    h.line(1, "CMD_startgame+Ann+30+60+0+");
    h.take();
    c.act(h);
    EXPECT_EQ(h.take(), c.expected) << c.what;
    EXPECT_FALSE(h.core.gameon) << c.what;
    EXPECT_FALSE(h.out.running) << c.what;
  }
}

TEST(Mends, MovesAfterTheGameEndedAreIgnored) {
  Harness h;
  h.join("Ann");
  h.join("Bob");
  h.line(1, "CMD_startgame+Ann+30+60+0+");
  h.line(1, "CMD_pass+1+");
  h.ticks(3);
  h.setRack(2, "cat");
  h.line(2, "CMD_pass+2+");
  ASSERT_FALSE(h.core.gameon);
  // The game ended on a pass, so the clock still shows the turn phase of seat 2.
  ASSERT_EQ(h.core.timer1.tag, 1);
  ASSERT_EQ(h.core.currentplayer, 2);
  h.take();
  const std::string before = h.state();
  for (const char* line : {"CMD_submit+2+4+5+1+5+5+2+6+5+3", "CMD_pass+2+", "CMD_newtiles+2+"}) {
    h.line(2, line);
    EXPECT_TRUE(h.take().empty()) << line;
    EXPECT_EQ(h.state(), before) << line;
  }
}

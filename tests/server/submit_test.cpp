// What a submitted move leads to: who may submit when, and the accepted move's messages.
#include <gtest/gtest.h>

#include "tests/server/core_harness.h"

using korvel::server::ServerCore;
using korvel::server::testing::Harness;
using Lines = std::vector<std::string>;

namespace {

// Ann and Bob in a game, Ann to move with c a t in slots 1 to 3; bag positions 1 to 16 dealt,
// 17 to 19 hold e, e, e.
void catGame(Harness& h) {
  h.join("Ann");
  h.join("Bob");
  h.line(1, "CMD_startgame+Ann+30+60+0+");
  h.setRack(1, "catdog");
  h.take();
}

}  // namespace

TEST(Submit, AcceptedMoveScoresRefillsAndPausesThreeSeconds) {
  Harness h;
  catGame(h);
  h.ticks(10);
  h.line(1, "CMD_submit+1+4+5+1+5+5+2+6+5+3");
  EXPECT_EQ(h.take(), (Lines{"1 CMD_goodword+1+5+5+l+4+5+1+3+l+5+5+2+1+l+6+5+3+20+w+cat",
                             "2 CMD_goodword+1+5+5+l+4+5+1+3+l+5+5+2+1+l+6+5+3+20+w+cat",
                             "1 CMD_mytiles+1+1+5+2+5+3+5"}));
  EXPECT_EQ(h.core.players[1].score, 5);
  EXPECT_FALSE(h.core.moves.firstmove);
  EXPECT_EQ(h.core.drawn, 19);
  EXPECT_EQ(h.core.timer1.tag, ServerCore::kPausePhase);
  EXPECT_EQ(h.core.countdown, 3);
  h.ticks(2);
  EXPECT_TRUE(h.take().empty());
  h.ticks(1);
  EXPECT_EQ(h.take(), (Lines{"1 CMD_nextplayer+2+19+", "2 CMD_nextplayer+2+19+"}));

  // The next word builds on the first: cats for 6, one tile back into the rack.
  h.setRack(2, "xs");
  h.line(2, "CMD_submit+2+7+5+2");
  EXPECT_EQ(h.take(), (Lines{"1 CMD_goodword+2+6+6+l+7+5+2+19+w+cats",
                             "2 CMD_goodword+2+6+6+l+7+5+2+19+w+cats", "2 CMD_mytiles+2+2+6"}));
}

TEST(Submit, RejectedMoveAnswersOnlyTheMoverAndTheTurnGoesOn) {
  Harness h;
  catGame(h);
  h.ticks(10);
  const std::string before = h.state();
  h.line(1, "CMD_submit+1+4+4+1+5+4+2+6+4+3");
  EXPECT_EQ(h.take(), (Lines{"1 CMD_playerror+1+8+"}));
  EXPECT_EQ(h.state(), before);
  // A second try in the same turn is checked afresh.
  h.line(1, "CMD_submit+1+4+5+1+5+5+2+6+5+3");
  EXPECT_EQ(h.take().size(), 3u);
}

TEST(Submit, IgnoredDuringThePauseAfterAPass) {
  Harness h;
  catGame(h);
  h.line(1, "CMD_pass+1+");
  h.take();
  const std::string before = h.state();
  h.line(1, "CMD_submit+1+4+5+1+5+5+2+6+5+3");
  EXPECT_TRUE(h.take().empty());
  EXPECT_EQ(h.state(), before);
}

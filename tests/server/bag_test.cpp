// The bag, dealing and the paid exchange.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "tests/server/core_harness.h"

using korvel::server::ServerCore;
using korvel::server::testing::Harness;
using Lines = std::vector<std::string>;

namespace {

// Tiles per letter code: those still in the bag plus those in the racks of seats 1 to 4.
std::array<int, 27> tileCounts(const ServerCore& core) {
  std::array<int, 27> counts{};
  for (int b = core.drawn + 1; b <= ServerCore::kBagSize; ++b) {
    if (core.bag[b] >= 1 && core.bag[b] <= 26) ++counts[core.bag[b]];
  }
  for (int s = 1; s <= ServerCore::maxplayers; ++s) {
    for (int k = 1; k <= 8; ++k) {
      const int code = core.players[s].tiles[k];
      if (code >= 1 && code <= 26) ++counts[code];
    }
  }
  return counts;
}

constexpr std::array<int, 27> kFullSet = {0, 10, 3, 2, 4, 5, 2, 3, 3, 4, 1, 2, 3, 3,
                                          3, 3,  2, 1, 3, 5, 4, 2, 1, 2, 1, 2, 1};

}  // namespace

TEST(Bag, ShuffleHoldsTheFullSetWhateverThePicks) {
  for (unsigned seed : {1u, 2u, 77u}) {
    auto engine = std::make_shared<std::mt19937>(seed);
    Harness h(
        [engine](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(*engine); });
    h.core.drawn = 33;
    h.core.shuffleletters();
    EXPECT_EQ(h.core.drawn, 0);
    EXPECT_EQ(tileCounts(h.core), kFullSet) << seed;
  }
}

TEST(Bag, DrawsRunOutAtTheSeventySixth) {
  Harness h;
  h.core.shuffleletters();
  for (int i = 1; i <= 74; ++i) h.core.gettile();
  EXPECT_EQ(h.core.gettile(), 1);  // the last of the second five a
  EXPECT_EQ(h.core.drawn, 75);
  EXPECT_EQ(h.core.gettile(), -1);
  EXPECT_EQ(h.core.drawn, 76);
  EXPECT_EQ(h.core.gettile(), -1);
  EXPECT_EQ(h.core.drawn, 76);
  for (int b = 1; b <= ServerCore::kBagSize; ++b) EXPECT_EQ(h.core.bag[b], -1);
}

TEST(Bag, DealsOneSlotAtATimeToTheSeatsInTheGame) {
  Harness h;
  h.join("Ann");
  h.join("Bob");
  h.join("Cy");
  h.core.departure(2);
  h.take();
  h.line(1, "CMD_startgame+Ann+30+60+0+");
  // In fixed order the bag starts a a a a a b b b c c d d d d e e: seat 1 takes the odd
  // positions, seat 3 the even ones.
  EXPECT_EQ(h.take(), (Lines{"1 CMD_startgame+Ann+30+60+0+", "3 CMD_startgame+Ann+30+60+0+",
                             "1 CMD_mytiles+1+1+1+2+1+3+1+4+2+5+3+6+4+7+4+8+5",
                             "3 CMD_mytiles+3+1+1+2+1+3+2+4+2+5+3+6+4+7+4+8+5",
                             "1 CMD_nextplayer+1+16+", "3 CMD_nextplayer+1+16+"}));
  EXPECT_EQ(h.core.drawn, 16);
  EXPECT_EQ(h.core.players[2].tiles, (std::array<int, 9>{}));
  EXPECT_EQ(tileCounts(h.core), kFullSet);
}

TEST(Bag, ExchangeCostsThirtyAndMayGoNegative) {
  Harness h;
  h.join("Ann");
  h.join("Bob");
  h.line(1, "CMD_startgame+Ann+30+60+0+");
  h.core.players[1].score = 10;
  h.take();
  h.line(1, "CMD_newtiles+1+");
  // The picks go on from 1; positions 1 to 16 are drawn, so slot k takes position 16 + k.
  EXPECT_EQ(h.take(), (Lines{"1 CMD_newtiles+1+-20+30+1+5+2+5+3+5+4+6+5+6+6+7+7+7+8+7",
                             "2 CMD_boughtnew+1+-20+30+"}));
  EXPECT_EQ(h.core.players[1].score, -20);
  EXPECT_EQ(h.core.drawn, 16);
  EXPECT_EQ(tileCounts(h.core), kFullSet);
  EXPECT_EQ(h.core.currentplayer, 1);
  EXPECT_TRUE(h.core.timer1.enabled);
}

TEST(Bag, ExchangeWithTheBagAtItsEnd) {
  struct Case {
    const char* what;
    int drawn;
    Lines expected;
    int score;
  } cases[] = {
      {"all drawn", 75, {"1 CMD_notiles+1+"}, 0},
      {"bag exhausted", 76, {"1 CMD_notiles+1+"}, 0},
      // Each slot in turn takes the single undrawn tile and leaves its own in its place.
      {"one tile left",
       74,
       {"1 CMD_newtiles+1+-30+30+1+26+2+1+3+2+4+3+5+4+6+5+7+6+8+7", "2 CMD_boughtnew+1+-30+30+"},
       -30},
  };
  for (const auto& c : cases) {
    Harness h;
    h.join("Ann");
    h.join("Bob");
    h.line(1, "CMD_startgame+Ann+30+60+0+");
    h.take();
    h.core.bag.fill(-1);
    h.core.drawn = c.drawn;
    if (c.drawn == 74) h.core.bag[75] = 26;
    for (int k = 1; k <= 8; ++k) h.core.players[1].tiles[k] = k;
    h.line(1, "CMD_newtiles+1+");
    EXPECT_EQ(h.take(), c.expected) << c.what;
    EXPECT_EQ(h.core.players[1].score, c.score) << c.what;
    EXPECT_EQ(h.core.drawn, c.drawn) << c.what;
    if (c.drawn == 74) {
      EXPECT_EQ(h.core.bag[75], 8);
    }
  }
}

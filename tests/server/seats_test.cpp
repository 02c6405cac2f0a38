// Seats, login, watching, removal, relays and departure.
#include <gtest/gtest.h>

#include <functional>

#include "tests/server/core_harness.h"

using korvel::server::ServerCore;
using korvel::server::testing::Harness;
using Lines = std::vector<std::string>;

TEST(Seats, ReusesTheLowestFreeSeatAndRefusesTheTenthConnection) {
  Harness h;
  EXPECT_EQ(h.join("Ann"), 1);
  EXPECT_EQ(h.join("Bob"), 2);
  EXPECT_EQ(h.join("Cy"), 3);
  h.core.departure(2);
  h.take();
  EXPECT_EQ(h.accept(), 2);
  EXPECT_EQ(h.accept(), 4);
  EXPECT_EQ(h.take(), (Lines{"2 CMD_sendlogininfo+2", "4 CMD_sendlogininfo+4"}));
  for (int seat = 5; seat <= 9; ++seat) EXPECT_EQ(h.accept(), seat);
  h.take();
  const std::string before = h.state();
  EXPECT_GE(h.core.chooseseat(), ServerCore::kRefusedSeat);
  EXPECT_EQ(h.state(), before);
  EXPECT_TRUE(h.take().empty());
  for (int seat = 1; seat <= 9; ++seat) EXPECT_TRUE(h.core.players[seat].inuse) << seat;
  EXPECT_EQ(h.core.seatsused, 9);
}

TEST(Seats, AReservedHostSeatGoesOnlyToTheHostsOwnClient) {
  Harness h;
  h.core.hostseatreserved = true;
  EXPECT_EQ(h.core.chooseseat(), 2) << "an outsider who connects first must not become the host";
  EXPECT_EQ(h.accept(), 2);
  EXPECT_EQ(h.core.chooseseat(), 3);
  EXPECT_EQ(h.core.chooseseat(true), 1);
  h.core.seataccepted(1, 1);
  EXPECT_EQ(h.core.chooseseat(), 3);
  for (int seat = 3; seat <= 9; ++seat) EXPECT_EQ(h.accept(), seat);
  // The host leaving does not hand its seat to the next comer.
  h.core.departure(1);
  EXPECT_GE(h.core.chooseseat(), ServerCore::kRefusedSeat);
  EXPECT_EQ(h.core.chooseseat(true), 1);
}

TEST(Seats, LoginSequencesWithoutAGame) {
  struct Case {
    const char* what;
    std::function<void(Harness&)> before;
    std::string login;
    Lines expected;
  } cases[] = {
      {"first seat, nobody else",
       [](Harness&) {},
       "CMD_logininfo+1+1.0.2+Ann",
       {"1 CMD_newplayerinfo+1+Ann+0"}},
      {"second seat sees the host watching",
       [](Harness& h) {
         h.join("Ann");
         h.core.players[1].watching = true;
       },
       "CMD_logininfo+2+1.0.2+Bob",
       {"1 CMD_newplayerinfo+2+Bob+0", "2 CMD_newplayerinfo+2+Bob+0",
        "2 CMD_existingplayers+1+Ann+1"}},
      {"older version is told to both after the lists",
       [](Harness& h) { h.join("Ann"); },
       "CMD_logininfo+2+1.0.1+Bob",
       {"1 CMD_newplayerinfo+2+Bob+0", "2 CMD_newplayerinfo+2+Bob+0",
        "2 CMD_existingplayers+1+Ann+0", "1 CMD_havewrongversion+Bob", "2 CMD_wrongversion+"}},
      // Connections still logging in have no name: the list leaves them out, or the newcomer's
      // window would announce " is Connected." for each.
      {"a spectator with a pending seat and a name containing a blank",
       [](Harness& h) {
         h.join("Ann");
         for (int i = 0; i < 4; ++i) h.accept();
       },
       "CMD_logininfo+6+1.0.2+Green Man",
       {"1 CMD_newplayerinfo+6+Green Man+0", "2 CMD_newplayerinfo+6+Green Man+0",
        "3 CMD_newplayerinfo+6+Green Man+0", "4 CMD_newplayerinfo+6+Green Man+0",
        "5 CMD_newplayerinfo+6+Green Man+0", "6 CMD_newplayerinfo+6+Green Man+0",
        "6 CMD_existingplayers+1+Ann+0"}},
  };
  for (const auto& c : cases) {
    Harness h;
    c.before(h);
    const int seat = h.accept();
    h.take();
    h.line(seat, c.login);
    EXPECT_EQ(h.take(), c.expected) << c.what;
  }
}

TEST(Seats, NewcomerDuringAGameGetsBoardScoresAndTheFormerOccupantsRack) {
  Harness h;
  // Without a grace time a dropped player's seat goes to the next comer at once.
  h.core.keepseconds = 0;
  h.join("Ann");
  h.join("Bob");
  h.join("Cy");
  h.line(1, "CMD_startgame+Ann+30+90+0+");
  // Seat 3 was dealt the tiles at bag positions 3, 6, ..., 24: a b c d e e f g.
  h.core.departure(3);
  h.core.players[3].tiles[8] = 0;
  h.core.players[3].score = 5;
  h.core.players[2].score = 7;
  h.putWord(4, 5, "cat", true);
  h.ticks(2);
  h.take();

  EXPECT_EQ(h.accept(), 3);
  h.take();
  h.line(3, "CMD_logininfo+3+1.0.2+Dee");
  EXPECT_EQ(h.take(),
            (Lines{"1 CMD_newplayerinfo+3+Dee+0", "2 CMD_newplayerinfo+3+Dee+0",
                   "3 CMD_newplayerinfo+3+Dee+0", "3 CMD_existingplayers+1+Ann+0+2+Bob+0",
                   "3 CMD_loadboard+3+4+5+3+5+5+1+6+5+20",
                   // The empty slot is filled from bag position 25, an h.
                   "3 CMD_gamestats+3+90+88+1+25+s+1+0+s+2+7+s+3+5+s+4+0+t+1+1+t+2+2+t+3+3+t+4+4"
                   "+t+5+5+t+6+5+t+7+6+t+8+8",
                   // The others' count of tiles left follows the draw at once.
                   "1 CMD_drawn+25", "2 CMD_drawn+25"}));
  EXPECT_EQ(h.core.drawn, 25);

  h.join("Fay");
  h.join("Gil");
  h.take();
  EXPECT_EQ(h.join("Hal", "1.0.1"), 6);
  const Lines got = h.take();
  ASSERT_EQ(got.size(), 12u);
  EXPECT_EQ(got[7], "6 CMD_existingplayers+1+Ann+0+2+Bob+0+3+Dee+0+4+Fay+0+5+Gil+0");
  EXPECT_EQ(got[8], "1 CMD_havewrongversion+Hal");
  EXPECT_EQ(got[9], "6 CMD_wrongversion+");
  EXPECT_EQ(got[10], "6 CMD_loadboard+6+4+5+3+5+5+1+6+5+20");
  // A spectator seat gets the scores and no rack; Fay's rack in seat 4 took eight more draws.
  EXPECT_EQ(got[11], "6 CMD_gamestats+6+90+88+1+33+s+1+0+s+2+7+s+3+5+s+4+0");
}

TEST(Seats, RelaysCarryTheSendersNameAndTheWholeRest) {
  struct Case {
    std::string line;
    std::string relayed;
  } cases[] = {
      {"CMD_chat+2+hi|clBlack", "CMD_chat+2+Bob chats: hi|clBlack"},
      {"CMD_chat+2+a+b = c|$00FF0000", "CMD_chat+2+Bob chats: a+b = c|$00FF0000"},
      {"CMD_action+2+waves|clBlue", "CMD_action+2+Bob waves|clBlue"},
      {"CMD_action+2+says: Hello!|clBlue", "CMD_action+2+Bob says: Hello!|clBlue"},
      {"CMD_playasound+2+wave3+", "CMD_playasound+2+wave3+"},
  };
  for (const auto& c : cases) {
    Harness h;
    h.join("Ann");
    h.join("Bob");
    h.take();
    h.line(2, c.line);
    EXPECT_EQ(h.take(), (Lines{"1 " + c.relayed, "2 " + c.relayed})) << c.line;
  }
}

TEST(Seats, WatchRequests) {
  struct Case {
    const char* what;
    bool game;
    int from;
    std::string line;
    Lines expected;
    bool watching2;
    int currentplayer;
  } cases[] = {
      {"sitting out needs a game", false, 2, "CMD_justwatch+2+1", {}, false, 0},
      {"playing again is echoed without a game",
       false,
       2,
       "CMD_justwatch+2+2",
       {"1 CMD_justwatching+2+2", "2 CMD_justwatching+2+2", "6 CMD_justwatching+2+2"},
       false,
       0},
      {"spectator seats cannot watch", true, 6, "CMD_justwatch+6+1", {}, false, 1},
      {"a player sits out",
       true,
       2,
       "CMD_justwatch+2+1",
       {"1 CMD_justwatching+2+1", "2 CMD_justwatching+2+1", "6 CMD_justwatching+2+1"},
       true,
       1},
      {"the host sits a player out",
       true,
       1,
       "CMD_justwatch+2+1",
       {"1 CMD_justwatching+2+1", "2 CMD_justwatching+2+1", "6 CMD_justwatching+2+1"},
       true,
       1},
      {"the player to move loses the turn at once",
       true,
       1,
       "CMD_justwatch+1+1",
       {"1 CMD_justwatching+1+1", "2 CMD_justwatching+1+1", "6 CMD_justwatching+1+1",
        "1 CMD_nextplayer+2+16+", "2 CMD_nextplayer+2+16+", "6 CMD_nextplayer+2+16+"},
       false,
       2},
  };
  for (const auto& c : cases) {
    Harness h;
    h.join("Ann");
    h.join("Bob");
    for (int i = 0; i < 3; ++i) h.accept();
    h.join("Spy");
    h.core.departure(3);
    h.core.departure(4);
    h.core.departure(5);
    if (c.game) h.line(1, "CMD_startgame+Ann+30+60+0+");
    h.ticks(5);
    h.take();
    h.line(c.from, c.line);
    EXPECT_EQ(h.take(), c.expected) << c.what;
    EXPECT_EQ(h.core.players[2].watching, c.watching2) << c.what;
    EXPECT_EQ(h.core.currentplayer, c.currentplayer) << c.what;
    if (c.currentplayer == 2) {
      EXPECT_EQ(h.core.countdown, 60) << c.what;
    }
  }
}

TEST(Seats, OnlyTheHostRemovesParticipants) {
  struct Case {
    int from;
    std::string line;
    bool removed;
  } cases[] = {
      {2, "CMD_kickhim+2+3+", false},
      {2, "CMD_kickhim+1+3+", false},
      {1, "CMD_kickhim+2+3+", false},
      {1, "CMD_kickhim+1+3+", true},
  };
  for (const auto& c : cases) {
    Harness h;
    h.join("Ann");
    h.join("Bob");
    h.join("Cy");
    h.take();
    h.line(c.from, c.line);
    if (c.removed) {
      EXPECT_EQ(h.out.closed, std::vector<int>{3});
      EXPECT_EQ(h.take(),
                (Lines{"1 CMD_playerdisconnected+3+Cy", "2 CMD_playerdisconnected+3+Cy"}));
      EXPECT_FALSE(h.core.players[3].inuse);
      EXPECT_EQ(h.core.players[3].name, "");
    } else {
      EXPECT_TRUE(h.out.closed.empty()) << c.line;
      EXPECT_TRUE(h.take().empty()) << c.line;
      EXPECT_TRUE(h.core.players[3].inuse) << c.line;
    }
  }
}

TEST(Seats, DepartureAnnouncesFreesAndPassesTheTurnOn) {
  Harness h;
  h.core.keepseconds = 0;  // a seat that is not kept (a kept one keeps its turn)
  h.join("Ann");
  h.join("Bob");
  h.join("Cy");
  h.line(1, "CMD_startgame+Ann+30+60+0+");
  h.line(1, "CMD_pass+1+");
  h.ticks(3);
  ASSERT_EQ(h.core.currentplayer, 2);
  h.core.players[2].score = 9;
  h.take();

  h.core.departure(2);
  EXPECT_EQ(h.take(), (Lines{"1 CMD_playerdisconnected+2+Bob", "3 CMD_playerdisconnected+2+Bob",
                             "1 CMD_nextplayer+3+24+", "3 CMD_nextplayer+3+24+"}));
  const auto& p = h.core.players[2];
  EXPECT_FALSE(p.inuse);
  EXPECT_EQ(p.name, "");
  EXPECT_EQ(p.score, 9);
  EXPECT_TRUE(p.ingame);
  EXPECT_NE(p.tiles[1], 0);

  // The connection reports its closing twice; the second finds the seat free and says nothing.
  const std::string before = h.state();
  h.core.departure(2);
  EXPECT_TRUE(h.take().empty());
  EXPECT_EQ(h.state(), before);

  // The host leaving on its own turn ends its program; the turn is not moved.
  h.ticks(60 + 4);
  ASSERT_EQ(h.core.currentplayer, 1);
  h.take();
  h.core.departure(1);
  EXPECT_EQ(h.take(), (Lines{"3 CMD_playerdisconnected+1+Ann"}));
  EXPECT_EQ(h.core.currentplayer, 1);
}

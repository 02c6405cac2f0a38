// A player seat kept for a player whose connection dropped in a running game.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "tests/server/core_harness.h"

using korvel::server::ServerCore;
using korvel::server::testing::Harness;
using Lines = std::vector<std::string>;
namespace toclient = korvel::protocol::toclient;

namespace {

// Ann hosts in seat 1, Bob and Cy play in seats 2 and 3; the game runs with 90-second turns and
// it is Ann's turn.
void threePlayerGame(Harness& h) {
  h.join("Ann");
  h.join("Bob");
  h.join("Cy");
  h.line(1, "CMD_startgame+Ann+30+90+0+");
  h.take();
}

// A message as the recorder keeps it: seat, blank, text without its terminator.
std::string recorded(int seat, const std::string& framed) {
  return std::to_string(seat) + " " + framed.substr(0, framed.size() - 1);
}

// The messages of `lines` that went to `seat`.
Lines to(int seat, const Lines& lines) {
  Lines out;
  const std::string prefix = std::to_string(seat) + " ";
  for (const auto& l : lines) {
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  }
  return out;
}

}  // namespace

TEST(KeptSeat, WhoGetsADroppedSeatAndWhereALoginEndsUp) {
  constexpr int kNoKey = 0, kMadeUp = -1;
  struct Case {
    const char* what;
    std::function<void(Harness&)> drop;  // after threePlayerGame
    std::string name;                    // the next comer's login name
    int keyOf;  // the seat whose last key it offers first, or kNoKey/kMadeUp
    int given;  // the seat its connection is given
    int ends;   // the seat it holds after logging in
  } cases[] = {
      {"the player comes back with its key", [](Harness& h) { h.core.departure(3); }, "Cy", 3, 4,
       3},
      {"the name without a key is a stranger's", [](Harness& h) { h.core.departure(3); }, "Cy",
       kNoKey, 4, 4},
      {"the name with a made-up key", [](Harness& h) { h.core.departure(3); }, "Cy", kMadeUp, 4, 4},
      {"the name with another seat's key", [](Harness& h) { h.core.departure(3); }, "Cy", 2, 4, 4},
      {"the key under a name that only looks the same", [](Harness& h) { h.core.departure(3); },
       "C+y", 3, 4, 4},
      {"the key under a name with a control character", [](Harness& h) { h.core.departure(3); },
       "C\x01y", 3, 4, 4},
      {"a stranger during the grace time", [](Harness& h) { h.core.departure(3); }, "Dee", kNoKey,
       4, 4},
      {"one second before the grace time ends",
       [](Harness& h) {
         h.core.departure(3);
         h.ticks(ServerCore::kDefaultKeepSeconds - 1);
       },
       "Cy", 3, 4, 3},
      {"the grace time has run out",
       [](Harness& h) {
         h.core.departure(3);
         h.ticks(ServerCore::kDefaultKeepSeconds);
       },
       "Dee", kNoKey, 3, 3},
      {"the player after the grace time takes the free seat as anyone",
       [](Harness& h) {
         h.core.departure(3);
         h.ticks(ServerCore::kDefaultKeepSeconds);
       },
       "Cy", 3, 3, 3},
      {"a grace time of one minute",
       [](Harness& h) {
         h.core.keepseconds = 60;
         h.core.departure(3);
         h.ticks(60);
       },
       "Cy", 3, 3, 3},
      {"a grace time beyond ten minutes ends after ten",
       [](Harness& h) {
         h.core.keepseconds = 100000;
         h.core.departure(3);
         h.ticks(ServerCore::kMaxKeepSeconds);
       },
       "Dee", kNoKey, 3, 3},
      {"no grace time",
       [](Harness& h) {
         h.core.keepseconds = 0;
         h.core.departure(3);
       },
       "Dee", kNoKey, 3, 3},
      {"the game ended during the grace time",
       [](Harness& h) {
         h.core.departure(3);
         h.core.checkforwin();
       },
       "Dee", kNoKey, 3, 3},
      {"a new game started during the grace time",
       [](Harness& h) {
         h.core.departure(3);
         h.line(1, "CMD_startgame+Ann+30+90+0+");
       },
       "Dee", kNoKey, 3, 3},
      {"the host removed the player", [](Harness& h) { h.line(1, "CMD_kickhim+1+3+"); }, "Cy", 3, 3,
       3},
      {"the player left on purpose",
       [](Harness& h) {
         h.line(3, "CMD_leaving+3+");
         h.core.departure(3);
       },
       "Dee", kNoKey, 3, 3},
      {"a leave in another seat's name keeps nothing from being kept",
       [](Harness& h) {
         h.line(2, "CMD_leaving+3+");
         h.core.departure(3);
       },
       "Cy", 3, 4, 3},
      {"the host's own seat is never kept", [](Harness& h) { h.core.departure(1); }, "Dee", kNoKey,
       1, 1},
      {"a spectator's seat is never kept",
       [](Harness& h) {
         h.join("Dee");
         h.join("Eve");
         h.core.departure(5);
       },
       "Fay", kNoKey, 5, 5},
      {"two players dropped: each key finds its own seat",
       [](Harness& h) {
         h.core.departure(2);
         h.core.departure(3);
       },
       "Bob", 2, 4, 2},
      {"two players dropped: one player's key under the other's name",
       [](Harness& h) {
         h.core.departure(2);
         h.core.departure(3);
       },
       "Cy", 2, 4, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Harness h;
    threePlayerGame(h);
    c.drop(h);
    h.take();
    EXPECT_EQ(h.accept(), c.given);
    h.take();
    if (c.keyOf != kNoKey) {
      h.line(c.given,
             "CMD_seatkey+" + (c.keyOf == kMadeUp ? std::string(32, 'a') : h.out.keys[c.keyOf]));
    }
    h.line(c.given, "CMD_logininfo+" + std::to_string(c.given) + "+1.0.2+" + c.name);
    const Lines told = h.take();
    if (c.ends != c.given) {
      EXPECT_EQ(told,
                Lines{std::to_string(c.ends) + " CMD_sendlogininfo+" + std::to_string(c.ends)});
      h.line(c.ends, "CMD_logininfo+" + std::to_string(c.ends) + "+1.0.2+" + c.name);
    }
    EXPECT_TRUE(h.core.players[c.ends].inuse);
    EXPECT_EQ(h.core.players[c.ends].name, c.name);
    if (c.ends != c.given) {
      EXPECT_FALSE(h.core.players[c.given].inuse);
    }
    // A newcomer under a kept seat's name is told whose seat it is, and only it.
    const bool stranger = c.ends == c.given && h.core.iskept(3) && c.name == "Cy";
    const std::string notice =
        std::to_string(c.given) + " CMD_chat+0+Cy's seat is kept for Cy.|clBlue";
    EXPECT_EQ(std::count(told.begin(), told.end(), notice), stranger ? 1 : 0);
  }
}

// Seat keys: 128 bits from the system, new for every seating, told to the seat alone; a
// connection that logged in cannot log in again into a kept seat, and one that keeps guessing
// keys is closed.
TEST(KeptSeat, SeatKeysBelongToOneSeatingAndCannotBeGuessed) {
  const std::string a = korvel::server::systemSeatKey(), b = korvel::server::systemSeatKey();
  EXPECT_TRUE(korvel::protocol::isSeatKey(a)) << a;
  EXPECT_NE(a, b);

  Harness h;
  threePlayerGame(h);
  EXPECT_EQ(h.out.keys.size(), 3u) << "every player seat, the host's included, has a key";
  std::set<std::string> given = {h.out.keys[1], h.out.keys[2], h.out.keys[3]};
  EXPECT_EQ(given.size(), 3u);
  const std::string cyKey = h.out.keys[3];
  h.core.departure(3);
  EXPECT_EQ(h.accept(), 4);
  h.comeBack(4, 3, "Cy");
  h.line(3, "CMD_logininfo+3+1.0.2+Cy");
  EXPECT_TRUE(h.core.players[3].inuse);
  EXPECT_NE(h.out.keys[3], cyKey) << "a new seating, a new key";

  // A spectator that offers the dropped player's key and logs in again under her name stays where
  // it is; the seat waits for her.
  h.join("Dee");
  EXPECT_EQ(h.join("Eve"), 5);
  const std::string deeKey = h.out.keys[4];
  h.core.departure(4);
  h.line(5, "CMD_seatkey+" + deeKey);
  h.line(5, "CMD_logininfo+5+1.0.2+Dee");
  EXPECT_EQ(h.core.players[5].name, "Eve");
  EXPECT_TRUE(h.core.iskept(4));
  EXPECT_TRUE(h.out.moved.size() == 1u) << "only Cy's return moved a connection";

  // Keys that fit no kept seat: four are let by, the fifth closes the connection.
  EXPECT_EQ(h.accept(), 6);
  for (int n = 1; n <= ServerCore::kMaxWrongKeys; ++n) {
    EXPECT_TRUE(h.out.closed.empty()) << n;
    h.line(6, "CMD_seatkey+" + std::string(31, 'f') + std::to_string(n));
  }
  EXPECT_EQ(h.out.closed, std::vector<int>{6});
  EXPECT_TRUE(h.core.iskept(4));
}

TEST(KeptSeat, APlayerBackInTheSeatGetsRackScorePassMarkAndClockAndPlaysInTurn) {
  Harness h;
  threePlayerGame(h);
  // Ann's turn runs out; Bob plays on; Cy passes when her turn comes.
  h.ticks(90 + 4);
  h.setRack(2, "catxxxxx");
  h.line(2, "CMD_submit+2+4+5+1+5+5+2+6+5+3");
  h.ticks(3);
  ASSERT_EQ(h.core.currentplayer, 3);
  h.line(3, "CMD_pass+3+");
  h.ticks(3);
  ASSERT_EQ(h.core.currentplayer, 1);
  h.ticks(10);
  const auto rack = h.core.players[3].tiles;
  const int bobScore = h.core.players[2].score;
  ASSERT_GT(bobScore, 0);
  h.core.players[3].score = 12;
  h.take();

  h.core.departure(3);
  EXPECT_EQ(h.take(), (Lines{"1 CMD_playerdisconnected+3+Cy", "2 CMD_playerdisconnected+3+Cy",
                             "1 CMD_seatkept+3+180", "2 CMD_seatkept+3+180"}));
  h.ticks(5);
  EXPECT_EQ(h.accept(), 4);
  EXPECT_EQ(h.take(), Lines{"4 CMD_sendlogininfo+4"});
  h.comeBack(4, 3, "Cy");
  // Nobody hears of seat 4; the connection is asked to log in again for its own seat.
  EXPECT_EQ(h.take(), Lines{"3 CMD_sendlogininfo+3"});
  EXPECT_EQ(h.out.moved, Lines{"4>3"});
  h.line(3, "CMD_logininfo+3+1.0.2+Cy");
  std::vector<korvel::protocol::SlotEntry> slots;
  for (int k = 1; k <= 8; ++k) slots.push_back({k, rack[k]});
  const auto cells = h.core.moves.board.occupiedCells();
  const Lines expected = {
      "1 CMD_newplayerinfo+3+Cy+0",
      "2 CMD_newplayerinfo+3+Cy+0",
      "3 CMD_newplayerinfo+3+Cy+0",
      "3 CMD_existingplayers+1+Ann+0+2+Bob+0",
      recorded(3, toclient::loadboard(3, cells)),
      // Ann's turn with 75 of its 90 seconds left, Bob's score and Cy's own 12 and rack.
      recorded(3, toclient::gamestats(3, 90, 75, 1, h.core.drawn, {0, bobScore, 12, 0}, slots)),
  };
  EXPECT_EQ(h.take(), expected);
  EXPECT_EQ(h.core.players[3].tiles, rack);
  EXPECT_TRUE(h.core.players[3].passed) << "the pass mark stays with the seat";
  EXPECT_FALSE(h.core.players[4].inuse);

  // The turn goes round as before the drop: Ann, Bob, Cy.
  h.ticks(75 + 4);
  EXPECT_EQ(h.core.currentplayer, 2);
  h.ticks(90 + 4);
  EXPECT_EQ(h.core.currentplayer, 3);
  h.ticks(90 + 4);
  EXPECT_EQ(h.core.currentplayer, 1);
}

TEST(KeptSeat, AKeptSeatIsSkippedAndItsRackNeverGoesToAStranger) {
  Harness h;
  threePlayerGame(h);
  h.join("Dee");
  h.take();
  const auto rack = h.core.players[3].tiles;
  h.core.departure(3);
  // A stranger on the spectator seat gets the scores and no rack.
  EXPECT_EQ(h.join("Eve"), 5);
  for (const auto& l : h.take()) EXPECT_EQ(l.find("+t+"), std::string::npos) << l;
  EXPECT_EQ(h.core.players[3].tiles, rack);
  // The kept seat's turn is skipped: Ann, Bob, Dee, Ann.
  EXPECT_TRUE(h.core.iskept(3));
  std::vector<int> turns;
  for (int i = 0; i < 4; ++i) {
    turns.push_back(h.core.currentplayer);
    h.ticks(90 + 4);
  }
  EXPECT_EQ(turns, (std::vector<int>{1, 2, 4, 1}));
  // Four turns took over three minutes: the seat is free again.
  EXPECT_FALSE(h.core.iskept(3));
}

// Nine connections in use and Dee's seat 4 kept: the next comer is given seat 4 for its login
// alone. Only Dee with her key takes it; anybody else hears the game is full and is closed, and
// the seat waits on.
TEST(KeptSeat, AFullHouseLetsAKeptSeatsPlayerBackAndNobodyElse) {
  enum class Ends { Back, Refused, Seated };
  struct Case {
    const char* what;
    std::string name;
    bool key;                             // offers Dee's key before logging in
    std::function<void(Harness&)> first;  // after seat 4 is given, before the login
    Ends ends;
  } cases[] = {
      {"Dee with her key", "Dee", true, [](Harness&) {}, Ends::Back},
      {"Dee's name without the key", "Dee", false, [](Harness&) {}, Ends::Refused},
      {"a stranger", "Eve", false, [](Harness&) {}, Ends::Refused},
      {"a stranger with Dee's key", "Eve", true, [](Harness&) {}, Ends::Refused},
      {"moves before the login speak for nobody", "Dee", true,
       [](Harness& h) {
         const std::string before = h.state();
         h.line(4, "CMD_pass+4+");
         h.line(4, "CMD_chat+4+hello");
         h.line(4, "CMD_justwatch+4+1");
         EXPECT_EQ(h.state(), before);
         EXPECT_TRUE(h.take().empty());
       },
       Ends::Back},
      {"the grace time ends meanwhile: the seat is anybody's", "Eve", false,
       [](Harness& h) { h.ticks(ServerCore::kDefaultKeepSeconds); }, Ends::Seated},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Harness h;
    threePlayerGame(h);
    h.join("Dee");
    for (const char* name : {"S5", "S6", "S7", "S8", "S9"}) h.join(name);
    const auto rack = h.core.players[4].tiles;
    const std::string deeKey = h.out.keys[4];
    h.core.departure(4);
    h.take();
    ASSERT_EQ(h.accept(), 4);
    EXPECT_EQ(h.take(), Lines{"4 CMD_sendlogininfo+4"});
    EXPECT_GE(h.core.chooseseat(), ServerCore::kRefusedSeat) << "one claim at a time";
    c.first(h);
    if (c.key) h.line(4, "CMD_seatkey+" + deeKey);
    h.line(4, "CMD_logininfo+4+1.0.2+" + c.name);
    const Lines told = h.take();
    switch (c.ends) {
      case Ends::Back:
        EXPECT_FALSE(h.core.iskept(4));
        EXPECT_EQ(h.core.players[4].name, "Dee");
        EXPECT_EQ(h.core.players[4].tiles, rack);
        EXPECT_TRUE(h.out.closed.empty());
        break;
      case Ends::Refused:
        EXPECT_EQ(to(4, told), Lines{"4 CMD_full+"});
        EXPECT_EQ(h.out.closed, std::vector<int>{4});
        EXPECT_TRUE(h.core.iskept(4));
        EXPECT_EQ(h.core.players[4].tiles, rack);
        EXPECT_EQ(h.accept(), 4) << "the seat can be claimed again";
        break;
      case Ends::Seated:
        EXPECT_EQ(h.core.players[4].name, "Eve");
        EXPECT_TRUE(h.out.closed.empty());
        break;
    }
  }
}

TEST(KeptSeat, PeersThatNeverDropSeeTheSameBytesAsWhenTheSeatIsTakenOverAtOnce) {
  // The same drop and return with and without a grace time: with it, the player comes back
  // through another seat; the others must not be able to tell, but for being told the seat is
  // kept (a word older peers pass over).
  auto run = [](int keepseconds) {
    Harness h;
    h.core.keepseconds = keepseconds;
    threePlayerGame(h);
    h.ticks(20);
    h.core.departure(3);
    h.ticks(7);
    const int seat = h.accept();
    h.comeBack(seat, 3, "Cy");
    if (seat != 3) h.line(3, "CMD_logininfo+3+1.0.2+Cy");
    h.ticks(200);
    h.line(1, "CMD_chat+1+hello");
    Lines told = h.take();
    std::erase_if(told, [](const std::string& l) { return l.find(" CMD_seatkept+3+") != l.npos; });
    return told;
  };
  const Lines kept = run(ServerCore::kDefaultKeepSeconds);
  const Lines atOnce = run(0);
  EXPECT_EQ(to(1, kept), to(1, atOnce));
  EXPECT_EQ(to(2, kept), to(2, atOnce));
  EXPECT_EQ(to(3, kept), to(3, atOnce));
  EXPECT_EQ(to(4, kept), Lines{"4 CMD_sendlogininfo+4"});
  EXPECT_FALSE(to(1, kept).empty());
}

// A player whose connection drops on their own turn keeps it: the clock runs on for the seat, a
// player back in time finds the turn still theirs with the time left, and a player who is not
// back loses the turn to time as anybody does.
TEST(KeptSeat, AKeptSeatKeepsItsTurn) {
  for (const bool back : {true, false}) {
    SCOPED_TRACE(back ? "back in time" : "not back");
    Harness h;
    threePlayerGame(h);
    h.line(1, "CMD_pass+1+");
    h.ticks(3);
    ASSERT_EQ(h.core.currentplayer, 2);
    h.take();
    h.core.departure(2);
    EXPECT_EQ(h.take(), (Lines{"1 CMD_playerdisconnected+2+Bob", "3 CMD_playerdisconnected+2+Bob",
                               "1 CMD_seatkept+2+180", "3 CMD_seatkept+2+180"}))
        << "the turn is not passed on";
    h.ticks(10);
    if (back) {
      ASSERT_EQ(h.accept(), 4);
      h.comeBack(4, 2, "Bob");
      h.take();
      h.line(2, "CMD_logininfo+2+1.0.2+Bob");
      std::vector<korvel::protocol::SlotEntry> rack;
      for (int k = 1; k <= 8; ++k) rack.push_back({k, h.core.players[2].tiles[k]});
      EXPECT_EQ(to(2, h.take()).back(),
                recorded(2, toclient::gamestats(2, 90, 80, 2, h.core.drawn, {0, 0, 0, 0}, rack)));
      h.line(2, "CMD_pass+2+");
      EXPECT_EQ(to(1, h.take()), Lines{"1 CMD_hepassed+2+"});
    } else {
      h.ticks(80);
      EXPECT_EQ(to(1, h.take()), Lines{"1 CMD_timeup+"});
    }
    h.ticks(4);
    EXPECT_EQ(h.core.currentplayer, 3);
  }
}

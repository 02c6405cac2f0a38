// The turn machine: turn order, the clock, passes and the winner.
#include <gtest/gtest.h>

#include "tests/server/core_harness.h"

using korvel::server::ServerCore;
using korvel::server::testing::Harness;
using Lines = std::vector<std::string>;

namespace {

// The seats named by "CMD_nextplayer" to seat 1 among the given messages.
std::vector<int> turnsSeenBySeat1(const Lines& lines) {
  std::vector<int> seats;
  const std::string prefix = "1 CMD_nextplayer+";
  for (const auto& l : lines) {
    if (l.rfind(prefix, 0) == 0) seats.push_back(std::stoi(l.substr(prefix.size())));
  }
  return seats;
}

}  // namespace

TEST(Turns, GoRoundTheSeatsInUseAndTakeInANewcomer) {
  Harness h;
  h.join("Ann");
  h.join("Bob");
  h.join("Cy");
  h.core.departure(2);
  h.line(1, "CMD_startgame+Ann+30+2+0+");
  // Each turn: 2 seconds, then 4 seconds after "CMD_timeup".
  h.ticks(6 * 3);
  EXPECT_EQ(turnsSeenBySeat1(h.take()), (std::vector<int>{1, 3, 1, 3}));
  h.ticks(6);
  ASSERT_EQ(h.core.currentplayer, 1);
  EXPECT_EQ(h.join("Dee"), 2);
  h.ticks(6 * 3);
  EXPECT_EQ(turnsSeenBySeat1(h.take()), (std::vector<int>{1, 2, 3, 1}));
}

TEST(Turns, TimeRunsOutAfterTheTurnsSecondsAndTheNextTurnFollowsFourLater) {
  Harness h;
  h.join("Ann");
  h.join("Bob");
  h.line(1, "CMD_startgame+Ann+30+60+0+");
  h.take();
  h.ticks(59);
  EXPECT_TRUE(h.take().empty());
  EXPECT_EQ(h.core.countdown, 1);
  h.ticks(1);
  EXPECT_EQ(h.take(), (Lines{"1 CMD_timeup+", "2 CMD_timeup+"}));
  EXPECT_EQ(h.core.timer1.tag, ServerCore::kPausePhase);
  h.ticks(3);
  EXPECT_TRUE(h.take().empty());
  h.ticks(1);
  EXPECT_EQ(h.take(), (Lines{"1 CMD_nextplayer+2+16+", "2 CMD_nextplayer+2+16+"}));
  EXPECT_EQ(h.core.timer1.tag, ServerCore::kTurnPhase);
  EXPECT_EQ(h.core.countdown, 60);
  EXPECT_FALSE(h.core.players[1].passed);
}

TEST(Turns, UnreadableSecondsGiveSixty) {
  Harness h;
  h.join("Ann");
  h.take();
  h.line(1, "CMD_startgame+Ann+30+abc+0+");
  const Lines got = h.take();
  ASSERT_FALSE(got.empty());
  EXPECT_EQ(got.front(), "1 CMD_startgame+Ann+30+60+0+");
  EXPECT_EQ(h.core.turnseconds, 60);
  EXPECT_EQ(h.core.countdown, 60);
}

// Seat 1 (Ann) holds a a a b c d d e, seat 2 (Bob) a a b b c d d e.
TEST(Turns, PassesEndTheGameOnceEveryActivePlayerPassedSinceTheirLastWord) {
  struct Case {
    const char* what;
    std::vector<std::pair<int, std::string>> script;  // seat 0 means clock ticks
    std::string winner;
  } cases[] = {
      {"pass, word, word, pass, pass",
       {{1, "CMD_pass+1+"},
        {0, "3"},
        {2, "CMD_submit+2+4+5+3+5+5+1+6+5+6"},
        {0, "3"},
        {1, "CMD_submit+1+7+5+8"},
        {0, "3"},
        {2, "CMD_pass+2+"},
        {0, "3"},
        {1, "CMD_pass+1+"}},
       "Ann"},
      {"an earlier pass still counts after a timeout",
       {{1, "CMD_pass+1+"},
        {0, "3"},
        {2, "CMD_submit+2+4+5+3+5+5+1+6+5+6"},
        {0, "3"},
        {0, "64"},
        {2, "CMD_pass+2+"}},
       "Bob"},
  };
  for (const auto& c : cases) {
    Harness h;
    h.join("Ann");
    h.join("Bob");
    h.line(1, "CMD_startgame+Ann+30+60+0+");
    for (std::size_t i = 0; i < c.script.size(); ++i) {
      const auto& [seat, text] = c.script[i];
      ASSERT_TRUE(h.core.gameon) << c.what << " step " << i;
      h.take();
      if (seat == 0) {
        h.ticks(std::stoi(text));
      } else {
        h.line(seat, text);
      }
    }
    const std::string last = std::to_string(c.script.back().first);
    EXPECT_EQ(h.take(), (Lines{"1 CMD_hepassed+" + last + "+", "2 CMD_hepassed+" + last + "+",
                               "1 CMD_winner+" + c.winner + "+", "2 CMD_winner+" + c.winner + "+"}))
        << c.what;
    EXPECT_FALSE(h.core.gameon);
    EXPECT_FALSE(h.out.running);
  }
}

TEST(Turns, WinnerTexts) {
  // Seats 1 to 4; "-" is a seat nobody holds (its score may be left over from a departed player).
  struct Case {
    const char* what;
    std::array<const char*, 5> names;
    std::array<int, 5> scores;
    std::string winner;
  } cases[] = {
      {"two share the top score, lower seat first",
       {"", "Ann", "Bob", "Cy", "-"},
       {0, 12, 12, 3, 0},
       "Ann and Bob"},
      {"the higher later seat wins", {"", "Ann", "Bob", "Cy", "-"}, {0, 4, 2, 9, 0}, "Cy"},
      {"solo game at 0: the empty seats do not tie", {"", "You", "-", "-", "-"}, {}, "You"},
      {"solo game below 0 still wins", {"", "You", "-", "-", "-"}, {0, -30, 0, 0, 0}, "You"},
      {"all seated below 0: the top one wins",
       {"", "Ann", "-", "Cy", "-"},
       {0, -60, 0, -30, 0},
       "Cy"},
      {"a tie below 0 is shared",
       {"", "-", "Bob", "Cy", "Di"},
       {0, 0, -30, -30, -60},
       "Bob and Cy"},
      {"a departed player's score does not count",
       {"", "Ann", "-", "Cy", "-"},
       {0, 5, 40, 5, 0},
       "Ann and Cy"},
      {"an occupied seat without a name yet shows its stand-by name",
       {"", "Ann", "", "", "Di"},
       {0, 1, 0, 7, 7},
       "Klick and Di"},
      {"a nameless seat 1 has no stand-by name",
       {"", "", "Bob", "-", "-"},
       {0, 5, 5, 0, 0},
       " and Bob"},
      {"no seat occupied: nobody won", {"", "-", "-", "-", "-"}, {0, 9, 9, 9, 9}, ""},
  };
  for (const auto& c : cases) {
    Harness h;
    h.join("Host");
    h.take();
    for (int s = 1; s <= 4; ++s) {
      const std::string name = c.names[s];
      h.core.players[s].inuse = name != "-";
      h.core.players[s].name = name == "-" ? "" : name;
      h.core.players[s].score = c.scores[s];
    }
    h.core.players[6].inuse = true;  // a spectator learns the end in every case
    h.core.seatsused = 6;
    h.core.gameon = true;
    h.core.checkforwin();
    const std::string winner = "CMD_winner+" + c.winner + "+";
    Lines expected;
    for (int s : {1, 2, 3, 4, 6}) {
      if (h.core.players[s].inuse) expected.push_back(std::to_string(s) + " " + winner);
    }
    EXPECT_EQ(h.take(), expected) << c.what;
    EXPECT_FALSE(h.core.gameon) << c.what;
    EXPECT_FALSE(h.out.running) << c.what;
  }
}

TEST(Turns, ThePlayerWithoutTilesEndsTheGameAfterThePause) {
  Harness h;
  h.join("Ann");
  h.join("Bob");
  h.line(1, "CMD_startgame+Ann+30+60+0+");
  h.setRack(1, "cat");
  h.line(1, "CMD_submit+1+4+5+1+5+5+2+6+5+3");
  h.core.players[1].tiles.fill(-1);
  h.take();
  h.ticks(3);
  EXPECT_EQ(h.take(), (Lines{"1 CMD_winner+Ann+", "2 CMD_winner+Ann+"}));
  EXPECT_FALSE(h.core.gameon);
}

#include "client/game_mirror.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "protocol/message.h"

namespace {

using korvel::client::Button;
using korvel::client::GameMirror;
using korvel::client::Outcome;
namespace toclient = korvel::protocol::toclient;
using Strings = std::vector<std::string>;

// Hands a framed server message (as the builders make it) to the mirror.
Outcome feed(GameMirror& m, std::string framed) {
  if (!framed.empty() && framed.back() == korvel::protocol::kTerminator) framed.pop_back();
  return m.handleLine(framed);
}

// The mirror of a connected client at `me`, with Ann at seat 1 and Bob at seat 2.
GameMirror table(int me = 1) {
  GameMirror m;
  m.myplayer = me;
  m.connected = true;
  feed(m, toclient::existingplayers({{1, "Ann", false}, {2, "Bob", false}}));
  return m;
}

// A running game at 60 seconds with the turn at `turn` and the own rack dealt.
GameMirror running(int me = 1, int turn = 1) {
  GameMirror m = table(me);
  feed(m, toclient::startgame("Ann", "30", 60, "1"));
  feed(m, toclient::mytiles(me, {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}}));
  feed(m, toclient::nextplayer(turn, 16));
  return m;
}

// Panel coordinates of the centre of board cell [c][r].
int cellX(int c) {
  return c * 39 + 20;
}

TEST(GameMirrorSeats, ArrivalsDeparturesAndWatching) {
  struct Case {
    const char* what;
    int me;
    Strings before;  // framed messages handled first
    std::string message;
    Strings chat;
    Strings cues;
    int loads;
  } cases[] = {
      {"three entries: three lines, one cue",
       1,
       {},
       toclient::existingplayers({{2, "Bob", false}, {3, "Cy", false}, {4, "Di", true}}),
       {"0+Bob is Connected.", "0+Cy is Connected.", "0+Di is Connected."},
       {"entered"},
       0},
      {"own entry loads the settings each time",
       2,
       {toclient::newplayerinfo(2, "Me")},
       toclient::newplayerinfo(2, "Me"),
       {"0+You are Connected."},
       {"entered"},
       1},
      {"a list naming the own seat again and again loads the settings once",
       2,
       {},
       toclient::existingplayers({{2, "Me", false}, {2, "Me", false}, {2, "Me", false}}),
       {"0+You are Connected.", "0+You are Connected.", "0+You are Connected."},
       {"entered"},
       1},
      {"a spectator connects and spies",
       1,
       {},
       toclient::newplayerinfo(6, "Zed"),
       {"0+Zed is Connected.", "0+Zed is spying."},
       {"entered"},
       0},
      {"the own spectator seat",
       7,
       {},
       toclient::newplayerinfo(7, "Me"),
       {"0+You are Connected.", "0+You are spying."},
       {"entered"},
       1},
      {"a seated player leaves",
       1,
       {toclient::newplayerinfo(3, "Cy")},
       toclient::playerdisconnected(3, "Cy"),
       {"0+Cy disconnected."},
       {},
       0},
      {"a free seat shown under its stand-by name leaves silently",
       1,
       {toclient::nextplayer(3, 0)},
       toclient::playerdisconnected(3, ""),
       {},
       {},
       0},
      {"a known spectator leaves",
       1,
       {toclient::newplayerinfo(6, "Zed")},
       toclient::playerdisconnected(6, "Zed"),
       {"0+Zed has left."},
       {},
       0},
      {"an unknown spectator leaves", 1, {}, toclient::playerdisconnected(6, "Zed"), {}, {}, 0},
      {"own seat watches", 2, {}, toclient::justwatching(2, 1), {"0+Bob is just watching"}, {}, 0},
      {"plays again", 1, {}, toclient::justwatching(2, 2), {"0+Bob is now playing again"}, {}, 0},
      {"version lines",
       1,
       {},
       toclient::havewrongversion("Bob"),
       {"0+Bob has a different version of the game then you."},
       {},
       0},
      {"",
       1,
       {},
       toclient::wrongversion(),
       {"0+You have a differnt version of the game then the host."},
       {},
       0},
      {"seat numbers outside 1 to 9 are skipped",
       1,
       {},
       toclient::existingplayers({{0, "X", false}, {12, "Y", false}, {-3, "Z", false}}),
       {},
       {"entered"},
       0},
  };
  for (const auto& c : cases) {
    GameMirror m = table(c.me);
    for (const auto& b : c.before) feed(m, b);
    const Outcome out = feed(m, c.message);
    EXPECT_EQ(out.chat, c.chat) << c.what;
    EXPECT_EQ(out.cues, c.cues) << c.what;
    EXPECT_EQ(out.loadSettings, c.loads) << c.what;
  }
}

TEST(GameMirrorSeats, ALoginSeatOutsideOneToNineIsRefused) {
  const struct {
    const char* number;
    int seat;  // 0: refused
  } cases[] = {{"1", 1},  {"4", 4},  {"5", 5},  {"9", 9}, {"0002", 2}, {"0", 0},
               {"10", 0}, {"77", 0}, {"-1", 0}, {"", 0},  {"x", 0},    {"99999999999", 0}};
  for (const auto& c : cases) {
    GameMirror m;
    m.myplayer = 3;  // an earlier, valid seat stays when a later one is refused
    Outcome out;
    const auto seat = m.takeLoginSeat(c.number, out);
    EXPECT_EQ(seat.value_or(0), c.seat) << c.number;
    EXPECT_EQ(m.myplayer, c.seat ? c.seat : 3) << c.number;
    EXPECT_EQ(m.connected, c.seat != 0) << c.number;
    EXPECT_EQ(out.chat.size(), c.seat ? 0u : 1u) << c.number;
  }
}

TEST(GameMirrorSeats, ControlCharactersInNamesWordsAndTheWinnerNeverReachTheRecord) {
  korvel::client::GameLog log;
  log.begin(1, 60, true);
  log.seat(1, std::string("nul\0byte", 8));
  korvel::client::TurnRecord turn;
  turn.seat = 2;
  turn.player = "Bo\x1B[31m";
  turn.words = {"WO\x7FRD", "\tCAT\r\n"};
  log.add(turn);
  log.finish(std::string("nul\0byte", 8) + " and Bo\x01");
  EXPECT_EQ(log.record.players[0].name, "nulbyte");
  EXPECT_EQ(log.record.players[1].name, "Bo[31m");
  EXPECT_EQ(log.record.turns[0].words, (Strings{"WORD", "CAT"}));
  EXPECT_EQ(log.record.winner, "nulbyte and Bo");
}

TEST(GameMirrorSeats, ViewFollowsTheMessages) {
  GameMirror m = table(2);
  feed(m, toclient::existingplayers({{3, "Cy", true}, {6, "Zed", false}}));
  EXPECT_EQ(m.seat[2].name, "Cy");
  EXPECT_TRUE(m.seat[2].eyes);
  EXPECT_EQ(m.spectators, Strings{"6: Zed"});
  feed(m, toclient::newplayerinfo(3, "Cy"));  // flag "0" does not hide the mark
  EXPECT_TRUE(m.seat[2].eyes);
  m.seat[2].score = "12";
  feed(m, toclient::playerdisconnected(3, "Cy"));
  EXPECT_EQ(m.seat[2].name, "<Waiting>");
  EXPECT_FALSE(m.seat[2].eyes);
  EXPECT_EQ(m.seat[2].score, "12");
  feed(m, toclient::playerdisconnected(6, "Zed"));
  EXPECT_TRUE(m.spectators.empty());
  // However often the spectator seats are announced, each holds one entry, the newest.
  for (int round = 0; round < 1000; ++round) {
    for (int n = 5; n <= 9; ++n) feed(m, toclient::newplayerinfo(n, "S" + std::to_string(n)));
  }
  feed(m, toclient::newplayerinfo(7, "Vi"));
  EXPECT_EQ(m.spectators, (Strings{"5: S5", "6: S6", "7: Vi", "8: S8", "9: S9"}));
  feed(m, toclient::playerdisconnected(7, "Vi"));
  EXPECT_EQ(m.spectators, (Strings{"5: S5", "6: S6", "8: S8", "9: S9"}));
  feed(m, toclient::justwatching(2, 1));
  EXPECT_TRUE(m.justWatchChecked);
  EXPECT_TRUE(m.seat[1].eyes);
  feed(m, toclient::justwatching(2, 2));
  EXPECT_FALSE(m.justWatchChecked);
  EXPECT_FALSE(m.seat[1].eyes);
  EXPECT_EQ(m.seat[0].standby, "");
  EXPECT_EQ(m.seat[3].standby, "Kling");
}

TEST(GameMirrorTurns, StartAndNextPlayer) {
  struct Case {
    const char* what;
    int me;
    std::string starter;
    bool turnNew;
    int next;
    std::string startLine, status;
    Strings cues;
    bool buttons;
  } cases[] = {
      {"own start, own turn",
       1,
       "Ann",
       false,
       1,
       "0+You have started a game.",
       "Your Turn.",
       {"turn"},
       true},
      {"the New turn sound",
       1,
       "Ann",
       true,
       1,
       "0+You have started a game.",
       "Your Turn.",
       {"turnnew"},
       true},
      {"another's start and turn",
       1,
       "Bob",
       false,
       2,
       "0+Bob has started a game.",
       "Bob's turn.",
       {},
       false},
      {"a spectator never started it",
       6,
       "Ann",
       false,
       1,
       "0+Ann has started a game.",
       "Ann's turn.",
       {},
       false},
      {"the turn reaches a free seat",
       2,
       "Ann",
       false,
       3,
       "0+Ann has started a game.",
       "<Waiting>'s turn.",
       {},
       false},
  };
  for (const auto& c : cases) {
    GameMirror m = table(c.me);
    m.turnSoundNew = c.turnNew;
    m.winnerVisible = m.startVisible = m.justWatchChecked = true;
    feed(m, toclient::justwatching(2, 1));  // a player sat out the last game
    m.words = {"OLD"};
    const Outcome start = feed(m, toclient::startgame(c.starter, "30", 60, "1"));
    EXPECT_EQ(start.chat, Strings{c.startLine}) << c.what;
    EXPECT_FALSE(m.winnerVisible || m.startVisible || m.justWatchChecked) << c.what;
    for (const auto& s : m.seat) EXPECT_FALSE(s.eyes) << c.what << ": the start ends watching";
    EXPECT_TRUE(m.words.empty()) << c.what;
    EXPECT_EQ(start.clock, Outcome::Clock::Unchanged) << c.what;
    EXPECT_EQ(m.tilesleft, "75") << c.what;
    const Outcome next = feed(m, toclient::nextplayer(c.next, 16));
    EXPECT_EQ(m.status, c.status) << c.what;
    EXPECT_EQ(next.cues, c.cues) << c.what;
    EXPECT_EQ(m.buttonsVisible, c.buttons) << c.what;
    const int markerTops[] = {62, 114, 165, 216};
    EXPECT_EQ(m.turnTop, markerTops[c.next - 1]) << c.what;
    EXPECT_EQ(next.clock, Outcome::Clock::Restart) << c.what;
    EXPECT_EQ(m.turnclock, 60) << c.what;
    EXPECT_EQ(m.tilesleft, "59") << c.what;
  }
  GameMirror m = table(2);
  feed(m, toclient::startgame("Ann", "30", 60, "1"));
  feed(m, toclient::nextplayer(3, 0));
  EXPECT_EQ(m.seat[2].name, "Klick");
  feed(m, toclient::nextplayer(1, 0));
  EXPECT_EQ(m.seat[0].name, "Ann");
}

TEST(GameMirrorTurns, AnyPositiveTurnLimitIsUsed) {
  struct Case {
    int limit;
    int used;  // 0: guarded, the mirror keeps no limit
    int barstep;
  } cases[] = {{1, 1, 428},   {44, 44, 9},   {45, 45, 9},     {121, 121, 3},
               {428, 428, 1}, {429, 429, 1}, {3600, 3600, 1}, {2147483647, 2147483647, 1},
               {0, 0, 0},     {-60, 0, 0}};
  for (const auto& c : cases) {
    for (bool arriving : {false, true}) {
      SCOPED_TRACE(std::to_string(c.limit) + (arriving ? " from gamestats" : " from startgame"));
      GameMirror m = table(1);
      const Outcome out =
          arriving ? feed(m, toclient::gamestats(1, c.limit, c.limit, 2, 0, {0, 0, 0, 0}, {}))
                   : feed(m, toclient::startgame("Ann", "30", c.limit, "1"));
      EXPECT_EQ(m.turnlimit, c.used);
      EXPECT_EQ(m.barstep, c.barstep);
      if (arriving) {
        EXPECT_EQ(out.clock, c.used > 0 ? Outcome::Clock::Restart : Outcome::Clock::Unchanged);
      }
      feed(m, toclient::nextplayer(2, 0));
      EXPECT_EQ(m.clockRunning, c.used > 0);
      if (c.used == 0) continue;
      EXPECT_EQ(m.turnclock, c.limit);
      m.tick();
      EXPECT_EQ(m.barWidth, std::min(428, c.barstep * (c.limit - 1)));
    }
  }
}

TEST(GameMirrorTurns, TilesLeftIsTheBagMinusTheDraws) {
  for (auto [drawn, shown] : std::vector<std::pair<int, const char*>>{
           {0, "75"},
           {32, "43"},
           {74, "1"},
           {75, "0"},
           {76, "0"},
           {-5, "75"},
           // Wire numbers at the ends of the range: no arithmetic on them may overflow.
           {-2147483647 - 1, "75"},
           {2147483647, "0"}}) {
    GameMirror m = running();
    feed(m, toclient::nextplayer(2, drawn));
    EXPECT_EQ(m.tilesleft, shown) << drawn;
  }
}

TEST(GameMirrorTurns, OutcomesOfATurn) {
  struct Case {
    const char* what;
    int me, turn;
    std::string message;
    std::string status;
    Strings cues;
    int whoseturn;
    Outcome::Clock clock;
  } cases[] = {
      {"refused move, code 4",
       1,
       1,
       toclient::playerror(1, 4),
       "Invalid Word(s)",
       {"invalid"},
       1,
       Outcome::Clock::Unchanged},
      {"code 12 keeps the status",
       1,
       1,
       toclient::playerror(1, 12),
       "Your Turn.",
       {"invalid"},
       1,
       Outcome::Clock::Unchanged},
      {"another's error is not ours",
       1,
       1,
       toclient::playerror(2, 4),
       "Your Turn.",
       {},
       0,
       Outcome::Clock::Unchanged},
      {"own pass", 1, 1, toclient::hepassed(1), "You Passed.", {"pass"}, 0, Outcome::Clock::Stop},
      {"another passes",
       1,
       2,
       toclient::hepassed(2),
       "Bob passed.",
       {"pass"},
       0,
       Outcome::Clock::Stop},
      {"time up", 1, 1, toclient::timeup(), "Time Up!", {"timeup"}, 0, Outcome::Clock::Stop},
      {"empty bag",
       1,
       1,
       toclient::notiles(1),
       "There are no more tiles.",
       {"invalid"},
       1,
       Outcome::Clock::Unchanged},
      {"own purchase",
       1,
       1,
       toclient::newtiles(1, 12, {{1, 26}}),
       "You bought new tiles.",
       {"newtiles"},
       1,
       Outcome::Clock::Unchanged},
      {"another's purchase",
       1,
       2,
       toclient::boughtnew(2, 4),
       "Bob bought new tiles.",
       {"newtiles"},
       2,
       Outcome::Clock::Unchanged},
  };
  for (const auto& c : cases) {
    GameMirror m = running(c.me, c.turn);
    if (c.turn == c.me) m.whoseturn = 0;  // suspended by the request that this answers
    const Outcome out = feed(m, c.message);
    EXPECT_EQ(m.status, c.status) << c.what;
    EXPECT_EQ(out.cues, c.cues) << c.what;
    if (c.whoseturn != 0 || out.clock == Outcome::Clock::Stop) {
      EXPECT_EQ(m.whoseturn, c.whoseturn) << c.what;
    }
    EXPECT_EQ(out.clock, c.clock) << c.what;
  }
  std::string codes;
  for (int code = 0; code <= 10; ++code)
    codes += korvel::client::playerrorText(code).value_or("-") + "|";
  EXPECT_EQ(codes,
            "-|Not enough Letters|Invalid Placement|Can only build one tile at a time.|Invalid "
            "Word(s)|Invalid|Invalid Word|One letter must be touching another letter|The first "
            "word must be on the starting square.|Invalid Tile|-|");
}

TEST(GameMirrorTurns, ScoresBonusesWordsAndBoard) {
  GameMirror m = running(2, 1);
  feed(m, toclient::boughtnew(2, 0));
  EXPECT_EQ(m.seat[1].bonus, "-30");
  const Outcome out = feed(
      m,
      toclient::goodword(1, 14, 14, {{5, 5, 3, 3}, {6, 5, 1, 1}, {11, 5, 2, 20}}, {"Cat", "at"}));
  EXPECT_EQ(m.seat[0].score, "14");
  EXPECT_EQ(m.seat[0].bonus, "+14");
  EXPECT_EQ(m.seat[1].bonus, "");
  EXPECT_EQ(m.words, (Strings{"**** Ann ****", "CAT", "AT"}));
  EXPECT_EQ(m.board[5][5].letter, 3);
  EXPECT_EQ(m.board[6][5].letter, 1);
  EXPECT_EQ(m.status, "Word Created!");
  EXPECT_EQ(out.cues, Strings{"goodword"});
  EXPECT_TRUE(out.boardChanged);
  EXPECT_FALSE(m.buttonsVisible);

  feed(m, toclient::newtiles(2, 0, {{1, 9}, {2, -1}}));
  EXPECT_EQ(m.seat[1].score, "0");
  EXPECT_EQ(m.rack[0].code, 9);
  EXPECT_EQ(m.rack[1].code, -1);
}

TEST(GameMirrorTurns, TheWinner) {
  struct Case {
    const char* what;
    int me;
    bool hosting;
    std::string names;
    std::string text;
    bool tallied, mine;
  } cases[] = {
      {"own win", 1, true, "Ann", "You have Won the Game!", true, true},
      {"another's win", 1, false, "Bob", "Bob has Won the Game!", true, false},
      {"a tie", 1, false, "Ann and Bob", "Ann and Bob has Won the Game!", true, false},
      {"a spectator", 6, false, "Ann", "Ann has Won the Game!", false, false},
      {"an opponent named addtomine", 1, false, "addtomine", "addtomine has Won the Game!", true,
       false},
      {"every player seat was empty", 6, false, "", "Nobody has Won the Game!", false, false},
  };
  for (const auto& c : cases) {
    GameMirror m = running(c.me, 1);
    m.hosting = c.hosting;
    const Outcome out = feed(m, toclient::winner(c.names));
    EXPECT_EQ(m.winnerText, c.text) << c.what;
    EXPECT_EQ(out.chat, Strings{"0+" + c.text}) << c.what;
    EXPECT_EQ(m.status, "Game Over!") << c.what;
    EXPECT_EQ(out.cues, Strings{"gameover"}) << c.what;
    EXPECT_TRUE(m.winnerVisible) << c.what;
    EXPECT_EQ(m.startVisible, c.hosting) << c.what;
    ASSERT_EQ(out.tally.has_value(), c.tallied) << c.what;
    if (!c.tallied) continue;
    EXPECT_EQ(out.tally->winner, c.names) << c.what;
    EXPECT_EQ(out.tally->mine, c.mine) << c.what;
    EXPECT_EQ(out.tally->others, Strings{"Bob"}) << c.what;
  }

  // The game ends inside the own turn (the server found nobody left to play): the clock stops
  // and the board closes, with the laid tile back on the rack.
  GameMirror m = running(1, 1);
  m.board[5][5].letter = 20;
  m.rackClick(1, 50, 490);
  m.boardClick(cellX(5), cellX(5), Button::Left, 0, 0);
  const Outcome out = feed(m, toclient::winner("Ann"));
  EXPECT_EQ(out.clock, Outcome::Clock::Stop);
  EXPECT_FALSE(m.clockRunning || m.buttonsVisible || m.myTurn());
  EXPECT_EQ(out.cues, (Strings{"clear", "gameover"}));
  EXPECT_EQ(m.board[5][5].letter, 20);
  EXPECT_TRUE(m.rack[0].visible);
  m.rackClick(2, 90, 490);
  EXPECT_FALSE(m.boardClick(cellX(7), cellX(7), Button::Left, 0, 0).boardChanged);
  EXPECT_TRUE(m.submitword().send.empty());
}

TEST(GameMirrorTurns, ArrivingInARunningGame) {
  GameMirror m = table(3);
  const Outcome out = feed(m, toclient::gamestats(3, 45, 30, 2, 40, {5, 7, 0, 0}, {{2, 11}}));
  EXPECT_EQ(m.turnlimit, 45);
  EXPECT_EQ(m.barstep, 9);
  EXPECT_EQ(m.turnclock, 30);
  EXPECT_EQ(m.whoseturn, 2);
  EXPECT_EQ(m.seat[1].score, "7");
  EXPECT_EQ(m.rack[1].code, 11);
  EXPECT_EQ(m.tilesleft, "35");
  EXPECT_EQ(out.clock, Outcome::Clock::Restart);
  // The turn shows at once: the marker at the seat to move, its name in the status line.
  EXPECT_EQ(m.turnTop, korvel::client::kSeatTop[1] - 3);
  EXPECT_EQ(m.status, m.seat[1].name + "'s turn.");
  EXPECT_FALSE(m.buttonsVisible);
  // Back in a kept seat whose turn it still is: the turn is this window's own.
  feed(m, toclient::gamestats(3, 45, 20, 3, 40, {5, 7, 0, 0}, {{2, 11}}));
  EXPECT_TRUE(m.myTurn() && m.buttonsVisible);
  EXPECT_EQ(m.status, "Your Turn.");
  EXPECT_EQ(m.turnclock, 20);
  feed(m, toclient::loadboard(3, {{0, 0, 26}, {10, 10, 1}}));
  EXPECT_EQ(m.board[0][0].letter, 26);
  EXPECT_EQ(m.board[10][10].letter, 1);
  feed(m, toclient::loadboard(2, {{1, 1, 5}}));
  EXPECT_EQ(m.board[1][1].letter, 0);
}

TEST(GameMirrorTurns, ALateJoinAsTheOthersAndTheNewcomerSeeIt) {
  // The others: a newcomer dealt a rack changes the bag at once; a connection still logging in
  // (no name yet) is nobody to announce.
  GameMirror m = running(1, 2);
  feed(m, toclient::drawn(24));
  EXPECT_EQ(m.tilesleft, "51");
  const Outcome pending = feed(m, toclient::existingplayers({{3, "", false}, {4, "Cy", false}}));
  EXPECT_EQ(pending.chat, Strings{"0+Cy is Connected."});
  EXPECT_EQ(m.seat[2].name, korvel::client::kWaiting);
  // The newcomer: the host does not say what the last move gained, so no gain shows.
  GameMirror late = table(3);
  feed(late, toclient::gamestats(3, 45, 30, 2, 40, {5, 7, 0, 0}, {}));
  for (int n = 0; n < 4; ++n) EXPECT_EQ(late.seat[n].bonus, "") << n;
}

// A broken or hostile host: items that would index outside the mirror are skipped, fields that
// do not parse end the message, and nothing else changes.
TEST(GameMirrorHostile, OutOfRangeItemsAreSkipped) {
  const Strings lines = {
      "CMD_mytiles+1+0+5+9+5+3+27+3+0+3+-2",
      "CMD_loadboard+1+11+0+5+-1+3+5+3+3+0+3+3+27",
      "CMD_goodword+1+5+5+l+11+2+1+3+l+2+-1+1+3+l+1+1+1+99+q+1",
      "CMD_gamestats+1+0+30+2+10+s+9+5+t+9+3",
      "CMD_gamestats+1+-500+30+2+10",
      "CMD_startgame+Ann+30+0+1+",
      "CMD_startgame+Ann+30+x+1+",
      "CMD_nextplayer+0+5+",
      "CMD_nextplayer+77+5+",
      "CMD_justwatching+9+1",
      "CMD_newtiles+1+0+30+12+5+1+40",
      "CMD_mytiles+1+1",
      "CMD_goodword+1+x",
      "CMD_existingplayers+2",
      "CMD_playerdisconnected+-1+x",
      "CMD_winner+Ann",
  };
  GameMirror m = table(1);
  const GameMirror before = m;
  for (const auto& line : lines) m.handleLine(line);
  EXPECT_EQ(m.turnlimit, 0);
  for (const auto& image : m.rack) EXPECT_EQ(image.code, 0);
  for (const auto& column : m.board)
    for (const auto& cell : column) EXPECT_EQ(cell.letter, 0);
  EXPECT_EQ(m.seat[0].name, before.seat[0].name);
  EXPECT_EQ(m.seat[1].name, before.seat[1].name);
}

TEST(GameMirrorRack, PickExchangeAndOutlines) {
  GameMirror m = running(1, 2);  // not the own turn: the rack works all the same
  Outcome out = m.rackClick(2, 100, 490);
  EXPECT_EQ(out.cues, Strings{"pickupletter"});
  EXPECT_TRUE(out.raiseCarried);
  EXPECT_EQ(m.heldtile, "2");
  EXPECT_EQ(m.heldleft, 85);
  EXPECT_EQ(m.rack[1].x, 104);
  m.pointerMoved(300, 200);
  EXPECT_EQ(m.rack[1].x, 304);
  EXPECT_EQ(m.rack[1].y, 204);

  out = m.rackClick(5, 230, 490);  // exchange slots 2 and 5
  EXPECT_EQ(out.cues, Strings{"swapletter"});
  EXPECT_EQ(m.rackleft[1], 219);
  EXPECT_EQ(m.rackleft[4], 85);
  EXPECT_EQ(m.rack[1].x, 219);
  EXPECT_EQ(m.rack[4].x, 85);
  EXPECT_EQ(m.rack[1].y, 483);
  EXPECT_FALSE(m.pointerMoved(1, 1));

  m.rackClick(3, 140, 490);
  out = m.rackClick(3, 144, 494);  // released over the carried tile itself: back home
  EXPECT_EQ(out.cues, Strings{"swapletter"});
  EXPECT_EQ(m.rack[2].x, 130);
  EXPECT_EQ(m.rackleft[2], 130);

  EXPECT_TRUE(m.outlineClick(41).cues.empty());  // nothing carried
  m.rackClick(1, 50, 490);
  out = m.outlineClick(41);  // its own outline: home
  EXPECT_EQ(out.cues, Strings{"clear"});
  EXPECT_EQ(m.rack[0].x, 41);
  EXPECT_EQ(m.heldtile, "");

  // A tile laid on the board leaves its outline free; putting another tile there swaps homes
  // and moves the hidden one too.
  m.whoseturn = 1;
  m.rackClick(1, 50, 490);
  m.boardClick(cellX(5), cellX(5), Button::Left, 0, 0);
  m.rackClick(8, 360, 490);
  m.outlineClick(41);
  EXPECT_EQ(m.rack[7].x, 41);
  EXPECT_EQ(m.rackleft[7], 41);
  EXPECT_EQ(m.rackleft[0], 352);
  EXPECT_EQ(m.rack[0].x, 352);
  EXPECT_FALSE(m.rack[0].visible);
  m.clearword();
  EXPECT_EQ(m.rack[0].x, 352);
  EXPECT_TRUE(m.rack[0].visible);
}

TEST(GameMirrorRack, LayLiftClearAndSubmit) {
  GameMirror m = running(1, 1);
  m.board[3][8].letter = 20;  // a letter already on the board
  m.rackClick(2, 90, 490);
  Outcome out = m.boardClick(cellX(3), cellX(7), Button::Left, 0, 0);
  EXPECT_EQ(out.cues, Strings{"placeletter"});
  EXPECT_EQ(m.board[3][7].letter, 2);
  EXPECT_EQ(m.board[3][7].placedslot, "2");
  EXPECT_EQ(m.board[3][7].placedfrom, 85);
  EXPECT_FALSE(m.rack[1].visible);
  EXPECT_EQ(m.rack[1].x, 85);

  m.rackClick(5, 220, 490);
  EXPECT_TRUE(m.boardClick(cellX(3), cellX(7), Button::Left, 0, 0).cues.empty());  // taken
  m.boardClick(cellX(3), cellX(8), Button::Left, 0, 0);
  EXPECT_EQ(m.board[3][8].underneath, 20);
  EXPECT_EQ(m.board[3][8].letter, 5);

  out = m.submitword();
  ASSERT_EQ(out.send.size(), 1u);
  EXPECT_EQ(out.send[0], korvel::protocol::toserver::submit(1, {{3, 7, 2}, {3, 8, 5}}));
  EXPECT_EQ(out.send[0], "CMD_submit+1+3+7+2+3+8+5\xFF");
  EXPECT_EQ(m.board[3][7].placedslot, "2");  // nothing changes until the answer

  // Lifting with the left button restores the covered letter and carries the tile.
  out = m.boardClick(cellX(3), cellX(8), Button::Left, 100, 300);
  EXPECT_EQ(out.cues, Strings{"pickupletter"});
  EXPECT_EQ(m.board[3][8].letter, 20);
  EXPECT_EQ(m.heldtile, "5");
  EXPECT_TRUE(m.rack[4].visible);
  EXPECT_EQ(m.rack[4].x, 104);
  // Exchanging it with a rack tile gives that tile the lifted tile's home.
  m.rackClick(7, 310, 490);
  EXPECT_EQ(m.rackleft[6], 219);
  EXPECT_EQ(m.rackleft[4], 308);

  // Right button: home with "clear"; another button: home in silence.
  m.rackClick(4, 180, 490);
  m.boardClick(cellX(0), cellX(0), Button::Left, 0, 0);
  EXPECT_EQ(m.boardClick(cellX(0), cellX(0), Button::Right, 0, 0).cues, Strings{"clear"});
  EXPECT_EQ(m.rack[3].x, 174);
  m.rackClick(4, 180, 490);
  m.boardClick(cellX(0), cellX(0), Button::Left, 0, 0);
  EXPECT_TRUE(m.boardClick(cellX(0), cellX(0), Button::Other, 0, 0).cues.empty());
  EXPECT_TRUE(m.rack[3].visible);
  EXPECT_EQ(m.board[0][0].letter, 0);

  // Right click on an empty cell submits; Clear takes every tile back once.
  m.rackClick(1, 50, 490);
  m.boardClick(cellX(3), cellX(8), Button::Left, 0, 0);
  out = m.boardClick(cellX(9), cellX(9), Button::Right, 0, 0);
  EXPECT_EQ(out.send, Strings{"CMD_submit+1+3+7+2+3+8+1\xFF"});
  out = m.clearword();
  EXPECT_EQ(out.cues, Strings{"clear"});
  EXPECT_EQ(m.board[3][8].letter, 20);
  EXPECT_EQ(m.board[3][7].letter, 0);
  EXPECT_TRUE(m.rack[0].visible && m.rack[1].visible);
  EXPECT_TRUE(m.clearword().cues.empty());
  EXPECT_TRUE(m.submitword().send.empty());
}

TEST(GameMirrorRack, WhoMayDoWhat) {
  GameMirror m = running(1, 2);
  m.rackClick(1, 50, 490);
  EXPECT_FALSE(m.boardClick(cellX(5), cellX(5), Button::Left, 0, 0).boardChanged);
  EXPECT_EQ(m.heldtile, "1");  // still carried
  EXPECT_TRUE(m.passClick().send.empty());
  EXPECT_TRUE(m.newtilesClick().send.empty());
  EXPECT_TRUE(m.boardClick(cellX(5), cellX(5), Button::Right, 0, 0).send.empty());

  m = running(1, 1);
  m.rackClick(1, 50, 490);
  EXPECT_TRUE(m.boardClick(429, 10, Button::Left, 0, 0).cues.empty());  // outside the cells
  m.boardClick(cellX(5), cellX(5), Button::Left, 0, 0);
  Outcome out = m.newtilesClick();
  EXPECT_EQ(out.send, Strings{"CMD_newtiles+1+\xFF"});
  EXPECT_EQ(out.cues, Strings{"clear"});
  EXPECT_EQ(m.whoseturn, 0);
  EXPECT_TRUE(m.buttonsVisible);  // shown while the board waits for the answer

  m = running(1, 1);
  m.rackClick(1, 50, 490);
  m.boardClick(cellX(5), cellX(5), Button::Left, 0, 0);
  out = m.passClick();
  EXPECT_EQ(out.send, Strings{"CMD_pass+1+\xFF"});
  EXPECT_EQ(out.cues, Strings{"clear"});
  EXPECT_FALSE(m.buttonsVisible);
  EXPECT_EQ(m.board[5][5].letter, 0);

  m = running(1, 1);
  m.connected = false;
  EXPECT_TRUE(m.passClick().send.empty());

  // Time up sends the laid tiles home before its own cue.
  m = running(1, 1);
  m.rackClick(1, 50, 490);
  m.boardClick(cellX(5), cellX(5), Button::Left, 0, 0);
  EXPECT_EQ(feed(m, toclient::timeup()).cues, (Strings{"clear", "timeup"}));
  EXPECT_TRUE(m.rack[0].visible);

  // The turn taken away with tiles laid (the own Just Watch, or the host's "Set to Just Watch":
  // the server moves the turn on at once): they were never accepted, so they go home and the
  // letter they covered comes back.
  m = running(1, 1);
  m.board[5][5].letter = 20;
  m.rackClick(1, 50, 490);
  m.boardClick(cellX(5), cellX(5), Button::Left, 0, 0);
  m.rackClick(2, 90, 490);
  m.boardClick(cellX(6), cellX(5), Button::Left, 0, 0);
  feed(m, toclient::justwatching(1, 1));
  const Outcome moved = feed(m, toclient::nextplayer(2, 20));
  EXPECT_TRUE(moved.boardChanged);
  EXPECT_EQ(m.board[5][5].placedslot, "");
  EXPECT_EQ(m.board[5][5].letter, 20);
  EXPECT_EQ(m.board[5][5].underneath, 0);
  EXPECT_EQ(m.board[6][5].letter, 0);
  for (int slot : {0, 1}) {
    EXPECT_TRUE(m.rack[slot].visible) << slot;
    EXPECT_EQ(m.rack[slot].x, m.rackleft[slot]) << slot;
  }
  // Tiles the server accepted are board letters by then and stay.
  m = running(1, 1);
  m.rackClick(1, 50, 490);
  m.boardClick(cellX(5), cellX(5), Button::Left, 0, 0);
  feed(m, toclient::goodword(1, 1, 1, {{5, 5, 1, 1}}, {"a"}));
  feed(m, toclient::nextplayer(2, 20));
  EXPECT_EQ(m.board[5][5].letter, 1);
  EXPECT_EQ(m.board[5][5].placedslot, "");
  EXPECT_FALSE(m.rack[0].visible);  // until the server deals the slot a new tile
}

TEST(GameMirrorClock, TicksWidthsColoursAndCues) {
  struct Case {
    int limit, barstep;
    std::string firstText;
    int firstWidth;
  } cases[] = {{45, 9, "Time: 0:44", 396}, {60, 7, "Time: 0:59", 413}, {120, 3, "Time: 1:59", 357}};
  for (const auto& c : cases) {
    GameMirror m = table(1);
    feed(m, toclient::startgame("Ann", "30", c.limit, "1"));
    feed(m, toclient::nextplayer(2, 16));
    EXPECT_EQ(m.barstep, c.barstep);
    m.tick();
    EXPECT_EQ(m.timerText, c.firstText);
    EXPECT_EQ(m.barWidth, c.firstWidth);
    EXPECT_FALSE(m.timerBlack);
    int ticks = 0;
    std::vector<int> blackAt;
    while (m.turnclock > 0) {
      ticks += static_cast<int>(m.tick().cues.size());
      if (m.timerBlack && blackAt.empty()) blackAt.push_back(m.turnclock);
    }
    EXPECT_EQ(ticks, 12) << c.limit;
    EXPECT_EQ(blackAt, std::vector<int>{19});
    EXPECT_EQ(m.timerText, "Time: 0:00");
    EXPECT_EQ(m.barWidth, 0);
    EXPECT_TRUE(m.tick().cues.empty());
  }
  EXPECT_EQ(korvel::client::clockText(65), "Time: 1:05");
  EXPECT_EQ(korvel::client::clockText(59), "Time: 0:59");
}

TEST(GameMirrorClock, ANewTurnShowsItsOwnTimeBeforeTheFirstTick) {
  struct Case {
    const char* what;
    std::string message;
    std::string shown, afterTick;
    bool black;
  } cases[] = {
      {"next player", toclient::nextplayer(1, 16), "Time: 1:00", "Time: 0:59", false},
      {"joined in a turn", toclient::gamestats(2, 60, 15, 1, 16, {0, 0, 0, 0}, {}), "Time: 0:15",
       "Time: 0:14", true},
  };
  for (const auto& c : cases) {
    GameMirror m = running(2, 2);
    // The previous turn's clock has almost run out.
    for (int i = 0; i < 55; ++i) m.tick();
    ASSERT_EQ(m.timerText, "Time: 0:05");
    feed(m, c.message);
    EXPECT_EQ(m.timerText, c.shown) << c.what;
    EXPECT_EQ(m.timerBlack, c.black) << c.what;
    EXPECT_GT(m.barWidth, 7 * 5) << c.what;
    m.tick();
    EXPECT_EQ(m.timerText, c.afterTick) << c.what;
  }
}

TEST(GameMirrorMenus, RequestsAndTheirRules) {
  GameMirror m = table(2);
  EXPECT_EQ(m.justWatchClick().send, Strings{"CMD_justwatch+2+1\xFF"});
  m.justWatchChecked = true;
  EXPECT_EQ(m.justWatchClick().send, Strings{"CMD_justwatch+2+2\xFF"});
  m.myplayer = 6;
  EXPECT_TRUE(m.justWatchClick().send.empty());
  m.connected = false;
  m.myplayer = 2;
  EXPECT_TRUE(m.justWatchClick().send.empty());

  m = table(1);
  auto menu = m.kickMenu(2);
  EXPECT_FALSE(menu.remove || menu.setWatch || menu.unsetWatch);
  EXPECT_TRUE(m.kicking(2).send.empty());
  m.hosting = true;
  menu = m.kickMenu(2);
  EXPECT_TRUE(menu.remove && menu.setWatch && menu.unsetWatch);
  menu = m.kickMenu(3);
  EXPECT_FALSE(menu.remove);
  EXPECT_TRUE(menu.setWatch);
  EXPECT_EQ(m.kicking(2).send, Strings{"CMD_kickhim+1+2+\xFF"});
  EXPECT_EQ(m.setJustWatch(3, true).send, Strings{"CMD_justwatch+3+1\xFF"});
  EXPECT_EQ(m.setJustWatch(3, false).send, Strings{"CMD_justwatch+3+2\xFF"});
  EXPECT_TRUE(m.setJustWatch(5, true).send.empty());
}

}  // namespace

namespace {

TEST(GameMirrorKeys, AWholeTurnByKeySendsWhatTheMouseWould) {
  GameMirror keys = running(1, 1);  // rack A to H in slots 1 to 8
  keys.cursorX = 3;
  keys.cursorY = 7;
  keys.keyLetter('b');
  keys.keyLetter('E');
  EXPECT_EQ(keys.cursorX, 5);  // across at first
  keys.keyLetter('z');         // no Z on the rack: nothing
  keys.cursorX = 4;
  keys.cursorY = 8;
  keys.keyLetter('c');  // the last two are in a column now: the cursor goes down
  EXPECT_TRUE(keys.cursorDown);
  const Outcome sent = keys.submitword();

  GameMirror mouse = running(1, 1);
  for (auto [slot, c, r] : std::vector<std::array<int, 3>>{{2, 3, 7}, {5, 4, 7}, {3, 4, 8}}) {
    mouse.rackClick(slot, 0, 0);
    mouse.boardClick(cellX(c), cellX(r), Button::Left, 0, 0);
  }
  EXPECT_EQ(sent.send, mouse.submitword().send);
  EXPECT_EQ(sent.send, Strings{"CMD_submit+1+3+7+2+4+7+5+4+8+3\xFF"});

  // Down after two tiles in a column; Backspace takes back the last laid, Escape all.
  GameMirror m = running(1, 1);
  m.keyLetter('a');
  m.cursorX = 5;
  m.cursorY = 6;
  m.keyLetter('b');
  EXPECT_TRUE(m.cursorDown);
  EXPECT_EQ(m.cursorY, 7);
  EXPECT_EQ(m.keyBackspace().cues, Strings{"clear"});
  EXPECT_EQ(m.board[5][6].letter, 0);
  EXPECT_EQ(m.cursorY, 6);
  EXPECT_TRUE(m.rack[1].visible);
  EXPECT_EQ(m.clearword().cues, Strings{"clear"});
  EXPECT_TRUE(m.keyBackspace().cues.empty());

  // Not the own turn, or a tile on the pointer: the keys lay nothing.
  GameMirror other = running(1, 2);
  EXPECT_FALSE(other.keyLetter('a').boardChanged);
  GameMirror carrying = running(1, 1);
  carrying.rackClick(1, 0, 0);
  EXPECT_FALSE(carrying.keyLetter('b').boardChanged);
  EXPECT_FALSE(carrying.moveCursor(-9, -9) && carrying.moveCursor(-1, 0));
  EXPECT_EQ(carrying.cursorX, 0);
}

TEST(GameMirrorKeys, TheCursorFollowsTheMouseAndShowsForKeysAndForAClickThatAims) {
  GameMirror m = running(1, 2);
  EXPECT_FALSE(m.cursorShown);
  m.boardClick(cellX(2), cellX(9), Button::Left, 0, 0);  // not the own turn: it moves all the same
  EXPECT_EQ(std::pair(m.cursorX, m.cursorY), std::pair(2, 9));
  EXPECT_TRUE(m.cursorShown) << "a left click on an empty cell aims the cursor and shows it";
  m.boardClick(429, 10, Button::Left, 0, 0);  // outside the cells: stays
  EXPECT_EQ(m.cursorX, 2);

  // Each key shows it; a click moves it and hides it again.
  struct Key {
    const char* what;
    std::function<void(GameMirror&)> press;
  } keys[] = {
      {"arrow", [](GameMirror& g) { g.moveCursor(1, 0); }},
      {"space", [](GameMirror& g) { g.turnDirection(); }},
      {"letter", [](GameMirror& g) { g.keyLetter('c'); }},
      {"backspace", [](GameMirror& g) { g.keyBackspace(); }},
  };
  m = running(1, 1);
  for (const Key& k : keys) {
    m.boardClick(cellX(4), cellX(4), Button::Right, 0, 0);
    ASSERT_FALSE(m.cursorShown) << k.what;
    k.press(m);
    EXPECT_TRUE(m.cursorShown) << k.what;
  }
  // A tile laid by click, then a letter typed: it lands where the click put the cursor.
  m.rackClick(1, 50, 490);
  m.boardClick(cellX(7), cellX(3), Button::Left, 0, 0);
  EXPECT_FALSE(m.cursorShown);
  EXPECT_EQ(std::pair(m.cursorX, m.cursorY), std::pair(7, 3));
  m.moveCursor(1, 0);
  m.keyLetter('b');
  EXPECT_EQ(m.board[8][3].letter, 2);
  EXPECT_EQ(m.board[7][3].letter, 1);
}

}  // namespace

namespace {

TEST(GameMirrorKeys, AClickAimsTheCursorByTheNeighbouringLetters) {
  // Letters on the board around the clicked cell (5, 5), as "x,y" pairs.
  struct Case {
    const char* what;
    std::vector<std::pair<int, int>> letters;
    bool down;
  } cases[] = {
      {"empty board", {}, false},
      {"letter to the left", {{4, 5}}, false},
      {"letter to the right", {{6, 5}}, false},
      {"letter above", {{5, 4}}, true},
      {"letter below", {{5, 6}}, true},
      {"above and below", {{5, 4}, {5, 6}}, true},
      {"above and to the left", {{5, 4}, {4, 5}}, false},
      {"only diagonal", {{4, 4}, {6, 6}}, false},
      {"two cells away", {{5, 3}, {5, 7}}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameMirror m = running(1, 1);
    for (auto [x, y] : c.letters) m.board[x][y].letter = 1;
    // The last word went the other way: the click decides afresh.
    m.cursorDown = !c.down;
    m.boardClick(cellX(5), cellX(5), Button::Left, 0, 0);
    EXPECT_EQ(m.cursorDown, c.down);
    EXPECT_TRUE(m.cursorShown);
    // The first letter typed goes on in that direction.
    m.keyLetter('a');
    EXPECT_EQ(m.board[5][5].letter, 1);
    EXPECT_EQ(std::pair(m.cursorX, m.cursorY), c.down ? std::pair(5, 6) : std::pair(6, 5));
  }

  // Only a click that neither lays nor lifts a tile aims; Space still turns the aimed direction.
  GameMirror m = running(1, 1);
  m.board[5][4].letter = 3;
  m.rackClick(1, 50, 490);
  m.boardClick(cellX(5), cellX(5), Button::Left, 0, 0);  // lays the carried tile
  EXPECT_FALSE(m.cursorShown);
  EXPECT_FALSE(m.cursorDown);
  m.boardClick(cellX(6), cellX(5), Button::Left, 0, 0);  // the laid tile is beside it: across
  EXPECT_TRUE(m.cursorShown);
  EXPECT_FALSE(m.cursorDown);
  m.boardClick(cellX(5), cellX(6), Button::Left, 0, 0);  // below the laid tile: down
  EXPECT_TRUE(m.cursorDown);
  m.turnDirection();
  EXPECT_FALSE(m.cursorDown);
  m.keyLetter('b');
  EXPECT_EQ(m.board[5][6].letter, 2);
  EXPECT_EQ(std::pair(m.cursorX, m.cursorY), std::pair(6, 6)) << "Space's choice holds";
}

}  // namespace

// A seat the host keeps for a dropped player shows the player's name, "(away)" and the time the
// seat waits, counted down by the clock, until the player is back, the time is over or the game
// ends.
TEST(GameMirrorSeats, AKeptSeatShowsItsPlayerAwayWithTheTimeLeft) {
  struct Case {
    const char* what;
    std::vector<std::string> after;  // messages after Bob's drop and the seat kept for 180 s
    int ticks;
    std::string shown;
  } cases[] = {
      {"kept", {}, 0, "Bob (away) 3:00"},
      {"counted down", {}, 61, "Bob (away) 1:59"},
      {"the time is over", {}, 180, korvel::client::kWaiting},
      {"back", {toclient::newplayerinfo(2, "Bob")}, 5, "Bob"},
      {"a newcomer takes it", {toclient::newplayerinfo(2, "Cy")}, 200, "Cy"},
      {"the game ended", {toclient::winner("Ann")}, 0, korvel::client::kWaiting},
      {"told twice", {toclient::seatkept(2, 30)}, 0, "Bob (away) 3:00"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameMirror m = running(1, 1);
    feed(m, toclient::playerdisconnected(2, "Bob"));
    feed(m, toclient::seatkept(2, 180));
    for (const auto& message : c.after) feed(m, message);
    for (int n = 0; n < c.ticks; ++n) m.tick();
    EXPECT_EQ(m.seat[1].name, c.shown);
  }
  // A seat nobody held, or a time out of range, is not shown as anybody's.
  GameMirror m = running(1, 1);
  feed(m, toclient::seatkept(3, 180));
  feed(m, toclient::playerdisconnected(2, "Bob"));
  feed(m, toclient::seatkept(2, 0));
  EXPECT_EQ(m.seat[2].name, korvel::client::kWaiting);
  EXPECT_EQ(m.seat[1].name, korvel::client::kWaiting);
}

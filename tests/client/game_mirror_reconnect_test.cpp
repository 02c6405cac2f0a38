// Reconnecting after the connection to the host dropped: who tries, when, and when it stops.
#include "client/game_mirror_reconnect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using korvel::client::GameMirror;
using korvel::client::Reconnect;
using Step = Reconnect::Step;
using namespace std::chrono_literals;

TEST(Reconnect, OnlyAPlayerInARunningGameOfAnotherHostTriesAgain) {
  struct Case {
    const char* what;
    int myplayer;
    bool running;
    bool hosting;
    bool expected;
  } cases[] = {
      {"a player in a running game", 2, true, false, true},
      {"seat 4", 4, true, false, true},
      {"a spectator", 5, true, false, false},
      {"no game running", 2, false, false, false},
      {"not seated yet", 0, true, false, false},
      {"the host itself", 1, true, true, false},
  };
  for (const Case& c : cases) {
    GameMirror game;
    game.myplayer = c.myplayer;
    game.gameRunning = c.running;
    game.hosting = c.hosting;
    EXPECT_EQ(korvel::client::worthReconnecting(game), c.expected) << c.what;
  }
}

TEST(Reconnect, AttemptsEveryTickUntilTheTimeIsOverOrTheHostRefusesThreeTimesInARow) {
  // Each event: a tick at a time since the loss, or a failed attempt (refused or not).
  struct Event {
    enum { Tick, Refused, Failed, Stop } kind;
    std::chrono::milliseconds at{};
  };
  struct Case {
    const char* what;
    std::vector<Event> events;
    std::vector<Step> expected;
  } cases[] = {
      {"tries on every tick",
       {{Event::Tick, 2s}, {Event::Failed}, {Event::Tick, 4s}},
       {Step::Try, Step::Wait, Step::Try}},
      {"three refusals in a row: the host ended",
       {{Event::Tick, 2s},
        {Event::Refused},
        {Event::Tick, 4s},
        {Event::Refused},
        {Event::Tick, 6s},
        {Event::Refused},
        {Event::Tick, 8s}},
       {Step::Try, Step::Wait, Step::Try, Step::Wait, Step::Try, Step::HostEnded, Step::Wait}},
      {"another failure between refusals starts the count again",
       {{Event::Refused},
        {Event::Refused},
        {Event::Failed},
        {Event::Refused},
        {Event::Refused},
        {Event::Refused}},
       {Step::Wait, Step::Wait, Step::Wait, Step::Wait, Step::Wait, Step::HostEnded}},
      {"the last attempt just before three minutes, then the end",
       {{Event::Tick, 179999ms}, {Event::Failed}, {Event::Tick, 180s}, {Event::Tick, 182s}},
       {Step::Try, Step::Wait, Step::GiveUp, Step::Wait}},
      {"stopped (connected, or the player left): nothing more",
       {{Event::Tick, 2s}, {Event::Stop}, {Event::Tick, 4s}, {Event::Refused}},
       {Step::Try, Step::Wait, Step::Wait, Step::Wait}},
  };
  const Reconnect::Clock::time_point lost{1000h};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reconnect r;
    r.start(lost);
    EXPECT_TRUE(r.active());
    std::vector<Step> got;
    for (const Event& e : c.events) {
      switch (e.kind) {
        case Event::Tick:
          got.push_back(r.tick(lost + e.at));
          break;
        case Event::Refused:
          got.push_back(r.failed(true));
          break;
        case Event::Failed:
          got.push_back(r.failed(false));
          break;
        case Event::Stop:
          r.stop();
          got.push_back(Step::Wait);
          break;
      }
    }
    EXPECT_EQ(got, c.expected);
  }
}

TEST(Reconnect, TheMirrorStartsOverAsANewcomerButKeepsTheGamesRecordAndOptions) {
  GameMirror game;
  game.turnSoundNew = true;
  game.isWord = [](std::string_view) { return true; };
  game.handleLine("CMD_sendlogininfo+2");
  game.myplayer = 2;
  game.handleLine("CMD_newplayerinfo+1+Ann+0");
  game.handleLine("CMD_newplayerinfo+2+Bob+0");
  game.handleLine("CMD_startgame+Ann+30+60+1");
  game.handleLine("CMD_mytiles+2+1+3+2+1+3+20");
  game.handleLine("CMD_nextplayer+1+16+");
  game.handleLine("CMD_goodword+1+5+5+l+4+5+1+3+l+5+5+2+1+l+6+5+3+20+w+cat");
  ASSERT_TRUE(game.gameRunning);
  ASSERT_TRUE(game.history.active);
  const std::size_t turns = game.history.record.turns.size();
  ASSERT_GT(turns, 0u);

  game.startOver();
  EXPECT_EQ(game.myplayer, 0);
  EXPECT_FALSE(game.gameRunning);
  EXPECT_EQ(game.board[5][5].letter, 0);
  EXPECT_EQ(game.seat[0].name, korvel::client::kWaiting);
  EXPECT_EQ(game.rack[0].code, 0);
  EXPECT_TRUE(game.turnSoundNew);
  EXPECT_TRUE(game.isWord);
  EXPECT_TRUE(game.history.active);
  EXPECT_EQ(game.history.record.turns.size(), turns);

  // Back in seat 2 as a newcomer: the board, the scores and the own rack come from the host,
  // and the record goes on with the next turn.
  game.myplayer = 2;
  game.handleLine("CMD_newplayerinfo+2+Bob+0");
  game.handleLine("CMD_existingplayers+1+Ann+0");
  game.handleLine("CMD_loadboard+2+4+5+3+5+5+1+6+5+20");
  game.handleLine("CMD_gamestats+2+60+41+1+19+s+1+5+s+2+0+s+3+0+s+4+0+t+1+3+t+2+1");
  EXPECT_TRUE(game.gameRunning);
  EXPECT_EQ(game.board[5][5].letter, 1);
  EXPECT_EQ(game.rack[0].code, 3);
  EXPECT_EQ(game.seat[0].score, "5");
  EXPECT_EQ(game.history.record.turns.size(), turns);
}

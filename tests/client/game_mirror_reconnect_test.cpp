// Reconnecting after the connection to the host dropped: who tries, when, and when it stops.
#include "client/game_mirror_reconnect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/game_file.h"
#include "client/game_summary.h"
#include "protocol/message.h"

using korvel::client::GameMirror;
using korvel::client::HeldGame;
using korvel::client::Landing;
using korvel::client::Reconnect;
using korvel::client::TryMet;
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
    r.start(lost, {});
    EXPECT_TRUE(r.active());
    std::vector<Step> got;
    for (const Event& e : c.events) {
      switch (e.kind) {
        case Event::Tick:
          got.push_back(r.tick(lost + e.at));
          break;
        case Event::Refused:
          got.push_back(r.socketError(TryMet::Refused));
          break;
        case Event::Failed:
          got.push_back(r.socketError(TryMet::Unreachable));
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

namespace {

using Lines = std::vector<std::string>;

// Bob in seat 2 of Ann's game with 60-second turns; Ann has laid CAT across row 5.
GameMirror bobsGame() {
  GameMirror game;
  game.myplayer = 2;
  for (const char* line :
       {"CMD_newplayerinfo+1+Ann+0", "CMD_newplayerinfo+2+Bob+0", "CMD_startgame+Ann+30+60+1",
        "CMD_mytiles+2+1+3+2+1+3+20", "CMD_nextplayer+1+16+",
        "CMD_goodword+1+5+5+l+4+5+1+3+l+5+5+2+1+l+6+5+3+20+w+cat"}) {
    game.handleLine(line);
  }
  return game;
}

// The host's answer to a returning Bob who is back in seat 2: his game has moved on by a word.
const Lines kBack = {"CMD_newplayerinfo+2+Bob+0", "CMD_existingplayers+1+Ann+0",
                     "CMD_loadboard+2+4+5+3+5+5+1+6+5+20+6+6+9",
                     "CMD_gamestats+2+60+41+1+21+s+1+9+s+2+0+t+1+3"};

}  // namespace

TEST(Reconnect, TheHostsAnswerToALoginSaysWhetherTheWindowIsBackInItsOwnSeatAndGame) {
  struct Case {
    const char* what;
    int seat;  // the seat the host gave
    Lines lines;
    bool startedAnew;
    Landing expected;
  } cases[] = {
      {"back in the own seat of the game, which went on meanwhile", 2, kBack, false, Landing::Back},
      {"the same game, but a seat of its own after the grace time",
       4,
       {"CMD_newplayerinfo+4+Bob+0", "CMD_existingplayers+1+Ann+0+2+Dee+0",
        "CMD_loadboard+4+4+5+3+5+5+1+6+5+20", "CMD_gamestats+4+60+41+1+21+s+1+5+t+1+3"},
       false,
       Landing::OtherSeat},
      {"the own seat number under another name",
       2,
       {"CMD_newplayerinfo+2+Mallory+0", "CMD_loadboard+2+4+5+3+5+5+1+6+5+20",
        "CMD_gamestats+2+60+41+1+21+s+1+5"},
       false,
       Landing::OtherSeat},
      {"the own seat, but no game running", 2,
       Lines{"CMD_newplayerinfo+2+Bob+0", "CMD_existingplayers+1+Mallory+0"}, false,
       Landing::OtherGame},
      {"the own seat in a game whose board lacks CAT",
       2,
       {"CMD_newplayerinfo+2+Bob+0", "CMD_loadboard+2+4+5+3+5+5+1",
        "CMD_gamestats+2+60+41+1+21+s+1+5"},
       false,
       Landing::OtherGame},
      {"the own seat in a game of another turn length",
       2,
       {"CMD_newplayerinfo+2+Bob+0", "CMD_loadboard+2+4+5+3+5+5+1+6+5+20",
        "CMD_gamestats+2+90+41+1+21+s+1+5"},
       false,
       Landing::OtherGame},
      {"the own seat in a game whose bag holds more than it did",
       2,
       {"CMD_newplayerinfo+2+Bob+0", "CMD_loadboard+2+4+5+3+5+5+1+6+5+20",
        "CMD_gamestats+2+60+41+1+10+s+1+5"},
       false,
       Landing::OtherGame},
      {"everything matches, but a game start came on the way", 2, kBack, true, Landing::OtherGame},
  };
  const HeldGame held = HeldGame::of(bobsGame(), "Bob");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GameMirror landed;
    landed.myplayer = c.seat;
    for (const auto& line : c.lines) landed.handleLine(line);
    EXPECT_EQ(korvel::client::judgeLanding(held, landed, c.startedAnew), c.expected);
  }

  // A tile Bob laid this turn and never submitted is not on the host's board.
  GameMirror laying = bobsGame();
  laying.handleLine("CMD_nextplayer+2+19+");
  ASSERT_TRUE(laying.myTurn());
  laying.rackClick(1, korvel::client::kRackHome[0] + 5, korvel::client::kRackTop + 5);
  laying.boardClick(0 * korvel::client::kCell + 5, 0 * korvel::client::kCell + 5,
                    korvel::client::Button::Left, 0, 0);
  ASSERT_EQ(laying.board[0][0].placedslot, "1");
  GameMirror landed;
  landed.myplayer = 2;
  for (const auto& line : kBack) landed.handleLine(line);
  EXPECT_EQ(korvel::client::judgeLanding(HeldGame::of(laying, "Bob"), landed, false),
            Landing::Back);
}

TEST(Reconnect, AnAttemptThatGetsThroughEndsOnlyWhenTheHostSeatsTheWindowOrTheTimeIsOver) {
  using namespace std::chrono_literals;
  struct Event {
    enum { Tick, Connect, Line, LeftOver, Error, Refused, Closed } kind;
    std::chrono::milliseconds at{};
    std::string line{};
  };
  struct Case {
    const char* what;
    std::vector<Event> events;
    std::vector<Step> expected;
    TryMet met;
    Lines sent{};
  };
  const auto login = [](int seat) {
    return korvel::protocol::toserver::logininfo(std::to_string(seat), "1.0.2",
                                                 std::string("Bob") + '\xFF');
  };
  const Event tick2{Event::Tick, 2s};
  const Event connect2{Event::Connect, 2s};
  std::vector<Event> backEvents = {tick2,
                                   connect2,
                                   {Event::Line, {}, "CMD_sendlogininfo+4"},
                                   {Event::Line, {}, "CMD_chat+3+Cy+hello"},
                                   {Event::Line, {}, "CMD_sendlogininfo+2"}};
  for (const auto& line : kBack) backEvents.push_back({Event::Line, {}, line});
  Case cases[] = {
      {"reset after the accept: tried again on the next tick",
       {tick2, connect2, {Event::Error}, {Event::Closed}, {Event::Tick, 4s}},
       {Step::Try, Step::Wait, Step::Wait, Step::Wait, Step::Try},
       TryMet::Reset},
      {"no word at all by the next tick: the host could not be reached",
       {tick2, {Event::Tick, 4s}, {Event::Tick, 6s}},
       {Step::Try, Step::Try, Step::Try},
       TryMet::Unreachable},
      {"reset before the connection was reported",
       {tick2, {Event::Error, {}, "Error #1 (RemoteHostClosedError)"}, {Event::Tick, 4s}},
       {Step::Try, Step::Wait, Step::Try},
       TryMet::Reset},
      {"a full house: the window drops the connection and tries again",
       {tick2,
        connect2,
        {Event::Line, {}, "CMD_sendlogininfo+4"},
        {Event::Line, {}, "CMD_full+"},
        {Event::Closed},
        {Event::Tick, 4s}},
       {Step::Try, Step::Wait, Step::Wait, Step::Drop, Step::Wait, Step::Try},
       TryMet::Full,
       {login(4)}},
      {"garbage that never ends a message, then the close",
       {tick2, connect2, {Event::LeftOver, {}, "HTTP/1.1 400 Bad Request\r\n"}, {Event::Closed}},
       {Step::Try, Step::Wait, Step::Wait, Step::Wait},
       TryMet::NotUnderstood},
      {"no login asked for within 10 s: that attempt is given up for a new one",
       {tick2, connect2, {Event::Tick, 4s}, {Event::Tick, 11999ms}, {Event::Tick, 12s}},
       {Step::Try, Step::Wait, Step::Wait, Step::Wait, Step::Try},
       TryMet::Silent},
      {"a host that answers between refusals is still there",
       {{Event::Refused},
        {Event::Refused},
        tick2,
        connect2,
        {Event::Line, {}, "CMD_full+"},
        {Event::Refused},
        {Event::Refused},
        {Event::Refused}},
       {Step::Wait, Step::Wait, Step::Try, Step::Wait, Step::Drop, Step::Wait, Step::Wait,
        Step::HostEnded},
       TryMet::Refused},
      {"the three minutes end while an attempt talks",
       {{Event::Tick, 178s}, {Event::Connect, 178s}, {Event::Tick, 180s}, {Event::Closed}},
       {Step::Try, Step::Wait, Step::GiveUp, Step::Wait},
       TryMet::Nothing},
      {"seated with no game within 10 s: the host plays another game",
       {tick2,
        connect2,
        {Event::Line, {}, "CMD_sendlogininfo+2"},
        {Event::Line, {}, "CMD_newplayerinfo+2+Bob+0"},
        {Event::Tick, 12s},
        {Event::Tick, 14s}},
       {Step::Try, Step::Wait, Step::Wait, Step::Wait, Step::Elsewhere, Step::Wait},
       TryMet::Nothing,
       {login(2)}},
      {"moved from the seat given first to the kept seat, and back in the game",
       backEvents,
       {Step::Try, Step::Wait, Step::Wait, Step::Wait, Step::Wait, Step::Wait, Step::Wait,
        Step::Wait, Step::Back},
       TryMet::Nothing,
       {login(4), login(2)}},
  };
  const Reconnect::Clock::time_point lost{1000h};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reconnect r;
    r.start(lost, HeldGame::of(bobsGame(), "Bob"));
    std::vector<Step> got;
    Lines sent;
    for (const Event& e : c.events) {
      korvel::client::Outcome out;
      switch (e.kind) {
        case Event::Tick:
          got.push_back(r.tick(lost + e.at));
          break;
        case Event::Connect:
          r.connected(lost + e.at);
          got.push_back(Step::Wait);
          break;
        case Event::Line:
          got.push_back(r.take(e.line, out));
          break;
        case Event::LeftOver:
          r.leftOver(e.line);
          got.push_back(Step::Wait);
          break;
        case Event::Error:
          got.push_back(r.socketError(korvel::client::errorMet(e.line)));
          break;
        case Event::Refused:
          got.push_back(
              r.socketError(korvel::client::errorMet("Error #0 (ConnectionRefusedError)")));
          break;
        case Event::Closed:
          got.push_back(r.socketClosed());
          break;
      }
      sent.insert(sent.end(), out.send.begin(), out.send.end());
    }
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(r.lastMet(), c.met);
    EXPECT_EQ(sent, c.sent);
    if (got.back() == Step::Elsewhere) {
      EXPECT_EQ(r.landing(), Landing::OtherGame);
    }
    if (got.back() == Step::Back) {
      EXPECT_EQ(r.seat(), 2);
      Lines expected = {"CMD_chat+3+Cy+hello"};
      expected.insert(expected.end(), kBack.begin(), kBack.end());
      EXPECT_EQ(r.takeLines(), expected) << "the seat assignments are the window's own";
    }
    EXPECT_FALSE(r.talking() && !r.active());
  }

  // A host that floods lines without seating the window loses the attempt, not the memory.
  Reconnect r;
  r.start(lost, HeldGame::of(bobsGame(), "Bob"));
  ASSERT_EQ(r.tick(lost + 2s), Step::Try);
  r.connected(lost + 2s);
  korvel::client::Outcome out;
  Step last = Step::Wait;
  std::size_t taken = 0;
  while (last == Step::Wait && taken < 10 * Reconnect::kMaxLines) {
    last = r.take("CMD_chat+3+Cy+spam", out);
    ++taken;
  }
  EXPECT_EQ(last, Step::Drop);
  EXPECT_EQ(taken, Reconnect::kMaxLines + 1);
  EXPECT_TRUE(r.active());
}

TEST(Reconnect, ALostConnectionStopsPlayAtOnceAndAHostThatEndedLeavesTheScoresAsTheyStood) {
  GameMirror game = bobsGame();
  game.connected = true;
  game.history.steadyMs = [] { return std::int64_t{100'000}; };
  // Bob's turn with a tile laid and another carried.
  game.handleLine("CMD_nextplayer+2+19+");
  ASSERT_TRUE(game.myTurn() && game.buttonsVisible);
  game.rackClick(1, 50, 500);
  game.boardClick(5 * 39 + 20, 6 * 39 + 20, korvel::client::Button::Left, 0, 0);
  game.rackClick(2, 95, 500);
  ASSERT_NE(game.carriedSlot(), 0);

  korvel::client::Outcome lost;
  game.connectionLost(lost);
  EXPECT_FALSE(game.myTurn());
  EXPECT_FALSE(game.buttonsVisible);
  EXPECT_EQ(lost.clock, korvel::client::Outcome::Clock::Stop);
  EXPECT_EQ(game.carriedSlot(), 0);
  EXPECT_EQ(game.board[5][6].letter, 0) << "the laid tile went home";
  EXPECT_TRUE(game.rack[0].visible && game.rack[1].visible);
  EXPECT_TRUE(game.gameRunning) << "the game may still go on when the window gets back";
  EXPECT_TRUE(
      game.boardClick(5 * 39 + 20, 6 * 39 + 20, korvel::client::Button::Left, 0, 0).send.empty());

  korvel::client::Outcome ended;
  game.hostEnded(ended);
  EXPECT_FALSE(game.gameRunning);
  EXPECT_EQ(game.status, "The host ended the game.");
  EXPECT_EQ(ended.chat, Lines{"0+The host ended the game."});
  EXPECT_TRUE(ended.gameEnded);
  EXPECT_TRUE(ended.saveGame) << "Ann's word is a turn somebody played";
  const auto& record = game.history.record;
  EXPECT_TRUE(record.finished && record.hostEnded);
  EXPECT_FALSE(record.played) << "Bob never had a move accepted";
  EXPECT_EQ(record.winner, "");
  EXPECT_EQ(record.finalScores, (std::array<int, 4>{5, 0, 0, 0}));
  const auto summary = korvel::client::summarise(record);
  EXPECT_EQ(summary.winners, 0);
  EXPECT_EQ(korvel::client::summaryHeading(summary), "The host ended the game.");
  const auto back = korvel::client::gameFromJson(korvel::client::gameToJson(record));
  ASSERT_TRUE(back.has_value());
  EXPECT_EQ(*back, record);
}

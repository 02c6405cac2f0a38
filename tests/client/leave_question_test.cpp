#include "client/leave_question.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "client/game_mirror.h"
#include "protocol/message.h"

namespace {

using korvel::client::GameMirror;
namespace toclient = korvel::protocol::toclient;

void feed(GameMirror& m, std::string framed) {
  framed.pop_back();  // the terminator
  m.handleLine(framed);
}

void start(GameMirror& m) {
  feed(m, toclient::startgame("Ann", "30", 60, "1"));
  feed(m, toclient::nextplayer(1, 16));
}

}  // namespace

TEST(LeaveQuestion, AsksOnlyAPlayerOfARunningGameAndWarnsTheHost) {
  enum Expect { Closes, Asks, AsksHost };
  struct Case {
    const char* what;
    int seat;
    bool hosting;
    std::function<void(GameMirror&)> events;
    Expect expect;
  } cases[] = {
      {"no game yet", 2, false, [](GameMirror&) {}, Closes},
      {"host with no game yet", 1, true, [](GameMirror&) {}, Closes},
      {"player in a running game", 2, false, start, Asks},
      {"player while another moves", 3, false,
       [](GameMirror& m) {
         start(m);
         feed(m, toclient::goodword(1, 8, 8, {{5, 5, 1, 1}, {6, 5, 2, 20}}, {"at"}));
       },
       Asks},
      {"host in a running game", 1, true, start, AsksHost},
      {"spectator of a running game", 6, false, start, Closes},
      {"player after the winner", 2, false,
       [](GameMirror& m) {
         start(m);
         feed(m, toclient::winner("Ann"));
       },
       Closes},
      {"host after the winner", 1, true,
       [](GameMirror& m) {
         start(m);
         feed(m, toclient::winner("Bob"));
       },
       Closes},
      {"player who joined a running game", 3, false,
       [](GameMirror& m) {
         feed(m, toclient::gamestats(3, 60, 41, 1, 24, {12, 0, 0}, {{1, 5}}));
       },
       Asks},
      {"connection already gone", 2, false,
       [](GameMirror& m) {
         start(m);
         m.connected = false;
       },
       Closes},
      {"a second game after a finished one", 2, false,
       [](GameMirror& m) {
         start(m);
         feed(m, toclient::winner("Ann"));
         start(m);
       },
       Asks},
  };
  for (const auto& c : cases) {
    GameMirror m;
    m.myplayer = c.seat;
    m.hosting = c.hosting;
    m.connected = true;
    feed(m, toclient::existingplayers({{1, "Ann", false}, {2, "Bob", false}, {3, "Cleo", false}}));
    c.events(m);
    const auto question = korvel::client::leaveQuestion(m);
    switch (c.expect) {
      case Closes:
        EXPECT_FALSE(question) << c.what;
        break;
      case Asks:
        ASSERT_TRUE(question) << c.what;
        EXPECT_EQ(*question, "Leave the running game?") << c.what;
        break;
      case AsksHost:
        ASSERT_TRUE(question) << c.what;
        EXPECT_EQ(question->rfind("Leave the running game?", 0), 0u) << c.what;
        EXPECT_NE(question->find("ends for everybody"), std::string::npos) << c.what;
        break;
    }
  }
}

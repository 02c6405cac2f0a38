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

TEST(LeaveQuestion, AsksOnlyAPlayerOfARunningGameInTheWordsOfItsCase) {
  using korvel::client::LeaveReason;
  enum Expect { Closes, Solo, Host, Joined };
  struct Case {
    const char* what;
    int seat;
    bool hosting, solo;
    std::function<void(GameMirror&)> events;
    Expect expect;
  } cases[] = {
      {"no game yet", 2, false, false, [](GameMirror&) {}, Closes},
      {"host with no game yet", 1, true, false, [](GameMirror&) {}, Closes},
      {"solo with no game yet", 1, true, true, [](GameMirror&) {}, Closes},
      {"player in a running game", 2, false, false, start, Joined},
      {"player while another moves", 3, false, false,
       [](GameMirror& m) {
         start(m);
         feed(m, toclient::goodword(1, 8, 8, {{5, 5, 1, 1}, {6, 5, 2, 20}}, {"at"}));
       },
       Joined},
      {"host in a running game", 1, true, false, start, Host},
      {"solo game running", 1, true, true, start, Solo},
      {"spectator of a running game", 6, false, false, start, Closes},
      {"spectator of a solo game", 6, true, true, start, Closes},
      {"player after the winner", 2, false, false,
       [](GameMirror& m) {
         start(m);
         feed(m, toclient::winner("Ann"));
       },
       Closes},
      {"host after the winner", 1, true, false,
       [](GameMirror& m) {
         start(m);
         feed(m, toclient::winner("Bob"));
       },
       Closes},
      {"player who joined a running game", 3, false, false,
       [](GameMirror& m) {
         feed(m, toclient::gamestats(3, 60, 41, 1, 24, {12, 0, 0}, {{1, 5}}));
       },
       Joined},
      {"connection already gone", 2, false, false,
       [](GameMirror& m) {
         start(m);
         m.connected = false;
       },
       Closes},
      {"a second game after a finished one", 2, false, false,
       [](GameMirror& m) {
         start(m);
         feed(m, toclient::winner("Ann"));
         start(m);
       },
       Joined},
  };
  // The exact words of each case, on closing and on a new zoom.
  const std::string closing[] = {"", "Leave this game? It is not saved.",
                                 "Leave this game? You are hosting it: if you leave, the game "
                                 "ends for everybody in it.",
                                 "Leave this game? You give up your seat, and the others play on "
                                 "without you."};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    GameMirror m;
    m.myplayer = c.seat;
    m.hosting = c.hosting;
    m.connected = true;
    feed(m, toclient::existingplayers({{1, "Ann", false}, {2, "Bob", false}, {3, "Cleo", false}}));
    c.events(m);
    const auto question = korvel::client::leaveQuestion(m, c.solo);
    const auto zoom = korvel::client::leaveQuestion(m, c.solo, LeaveReason::Zoom);
    if (c.expect == Closes) {
      EXPECT_FALSE(question);
      EXPECT_FALSE(zoom);
      continue;
    }
    ASSERT_TRUE(question);
    ASSERT_TRUE(zoom);
    EXPECT_EQ(*question, closing[c.expect]);
    // The zoom's question names the restart first, then what it means for this game.
    EXPECT_EQ(zoom->rfind("Korvel restarts to change the zoom; ", 0), 0u) << *zoom;
    const char* consequence = c.expect == Solo   ? "is not saved"
                              : c.expect == Host ? "ends for everybody"
                                                 : "you leave this game";
    EXPECT_NE(zoom->find(consequence), std::string::npos) << *zoom;
  }
}

#pragma once
// What the client does when its connection to the host closes under it: whether to try again at
// all, when to try, what one attempt met, whether the host seated this window in its own seat
// again, and when to stop. Time comes in as a steady clock reading from the caller's tick, so the
// whole schedule is tested without waiting.

#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/game_mirror.h"

namespace korvel::client {

// True when losing the connection should not end the window: the client holds a player seat in
// a running game of a host in another program (a spectator, a client between games and the host
// itself end as they always did).
bool worthReconnecting(const GameMirror& game);

// What the last reconnect attempt met, for the reconnecting bar.
enum class TryMet {
  Nothing,        // no attempt has ended yet
  Refused,        // nobody listens at the host's address
  Unreachable,    // no answer, no route, or the name did not resolve
  Reset,          // connected, then reset
  Closed,         // connected, then closed by the host
  Full,           // the host answered that its game is full
  Silent,         // connected, but the host did not seat this window in time
  NotUnderstood,  // connected, but what the host sent is not this game's protocol
};
// "Last try: ..." in a few plain words; "" for Nothing.
std::string lastTryText(TryMet met);
// What a socket error ("Error #0 (ConnectionRefusedError)") says of an attempt: the name in
// brackets is the socket library's.
TryMet errorMet(std::string_view message);

// The game this window played when its connection dropped, as much of it as tells that game from
// another one.
struct HeldGame {
  int seat = 0;
  std::string name;  // the login name, as the host shows it on the seat
  int seats = kSeats;
  int turnSeconds = 0;
  int tilesLeft = kBagSize;
  std::string seatKey;  // offered before the login: what gets the seat back from a keyed host
  // Cells holding a letter of the host's board (not the player's own tiles laid this turn).
  std::array<std::array<bool, kBoardCells>, kBoardCells> occupied{};
  static HeldGame of(const GameMirror& game, std::string name);
};

// Where the host's answer to a new login puts this window.
enum class Landing {
  Back,       // its own seat in its own game
  OtherSeat,  // the same game, but another seat (the host gave its seat to someone else)
  OtherGame,  // no game, a new game, or a game that cannot be the one held
};
// The rule, on a mirror that learnt the host's answer as a newcomer's (`landed`): back only in
// the held seat under the held name, in a running game that can be the held one. A game keeps
// its turn length, its bag only empties and its board only fills, and a game start ends it.
Landing judgeLanding(const HeldGame& held, const GameMirror& landed, bool startedAnew);
// What the window says when it does not get its seat back.
std::string landingText(Landing landing);

// One reconnect attempt that got through: the host's lines as a newcomer's mirror learns them.
struct ReconnectAttempt {
  GameMirror landed;
  std::chrono::steady_clock::time_point deadline{};
  std::vector<std::string> lines;
  bool loggedIn = false;  // the host announced the window on the seat it gave
  bool stats = false;     // ... and sent that seat the running game
  bool startedAnew = false;
  bool strange = false;  // a line that is not a message of the game
  bool reset = false;    // the connection failed with an error
};

class Reconnect {
 public:
  using Clock = std::chrono::steady_clock;
  // One attempt every 2 s for as long as the host keeps a dropped seat by default (the wire does
  // not say how long this host keeps it).
  static constexpr std::chrono::milliseconds kEvery{2000};
  static constexpr std::chrono::milliseconds kFor{180000};
  // A host that refuses this many connections in a row has stopped listening: its game is over.
  static constexpr int kRefusals = 3;
  // A connection that got through has this long for the host to seat the window; a real host
  // answers at once.
  static constexpr std::chrono::milliseconds kAnswerWithin{10000};
  // Lines one attempt keeps until the host has seated the window (a real host sends a handful).
  static constexpr std::size_t kMaxLines = 256;

  enum class Step {
    Wait,       // nothing to do now
    Try,        // start a connection attempt (abandoning one still under way)
    GiveUp,     // the time is over: end as a lost connection always ended
    HostEnded,  // the host refuses connections: tell the player, then end
    Drop,       // the connected attempt failed: close it; the next tick tries again
    Back,       // the host gave the window its seat again: the game goes on (seat(), takeLines())
    Elsewhere,  // the host plays on without the window's seat: say landing(), and stop
  };

  // The connection was lost at `now` while the window played `held`; attempts follow on the
  // ticks.
  void start(Clock::time_point now, HeldGame held);
  bool active() const { return active_; }
  // An attempt is connected and the host's lines are the attempt's (take()).
  bool talking() const { return attempt_.has_value(); }
  // A tick of the attempt timer (every kEvery).
  Step tick(Clock::time_point now);
  // An attempt got through at `now`.
  void connected(Clock::time_point now);
  // The socket reported an error (errorMet). Before a connection it ends the attempt; after one,
  // the close follows.
  Step socketError(TryMet met);
  // The socket closed: a connected attempt ended by the host (or the network) under it.
  Step socketClosed();
  // One line of the host while talking. The login answer goes into out.send.
  Step take(std::string_view line, Outcome& out);
  // Text the host left without a terminator when its connection ended: a peer that speaks no
  // game at all never sends one.
  void leftOver(std::string_view tail);
  // An attempt connected, or the player left: no more attempts.
  void stop();

  TryMet lastMet() const { return met_; }
  Landing landing() const { return landing_; }
  // After Back: the seat, and the host's lines since the connection (the seat assignments left
  // out) for the mirror to learn the game from as a newcomer does.
  int seat() const { return seat_; }
  std::vector<std::string> takeLines() { return std::move(lines_); }

 private:
  using Attempt = ReconnectAttempt;
  Step ended(TryMet met);
  Step dropped(TryMet met);
  Step land(Landing landing);
  // What a failed attempt met when nothing more specific is known.
  TryMet failedAs(const Attempt& a, TryMet otherwise) const;

  bool active_ = false;
  Clock::time_point deadline_{};
  int refusals_ = 0;
  // A connection was asked for and has reported nothing yet.
  bool opening_ = false;
  HeldGame held_;
  std::optional<Attempt> attempt_;
  TryMet met_ = TryMet::Nothing;
  Landing landing_ = Landing::Back;
  int seat_ = 0;
  std::vector<std::string> lines_;
};

}  // namespace korvel::client

#pragma once
// What the client does when its connection to the host closes under it: whether to try again at
// all, when to try, and when to stop. Time comes in as a steady clock reading from the caller's
// tick, so the whole schedule is tested without waiting.

#include <chrono>

#include "client/game_mirror.h"

namespace korvel::client {

// True when losing the connection should not end the window: the client holds a player seat in
// a running game of a host in another program (a spectator, a client between games and the host
// itself end as they always did).
bool worthReconnecting(const GameMirror& game);

class Reconnect {
 public:
  using Clock = std::chrono::steady_clock;
  // One attempt every 2 s for as long as the host keeps a dropped seat by default (the wire does
  // not say how long this host keeps it).
  static constexpr std::chrono::milliseconds kEvery{2000};
  static constexpr std::chrono::milliseconds kFor{180000};
  // A host that refuses this many connections in a row has stopped listening: its game is over.
  static constexpr int kRefusals = 3;

  enum class Step {
    Wait,       // nothing to do now
    Try,        // start a connection attempt (abandoning one still under way)
    GiveUp,     // the time is over: end as a lost connection always ended
    HostEnded,  // the host refuses connections: tell the player, then end
  };

  // The connection was lost at `now`; attempts follow on the ticks.
  void start(Clock::time_point now);
  bool active() const { return active_; }
  // A tick of the attempt timer (every kEvery).
  Step tick(Clock::time_point now);
  // The attempt failed; `refused` when the host's machine answered that nobody listens.
  Step failed(bool refused);
  // An attempt connected, or the player left: no more attempts.
  void stop();

 private:
  bool active_ = false;
  Clock::time_point deadline_{};
  int refusals_ = 0;
};

}  // namespace korvel::client

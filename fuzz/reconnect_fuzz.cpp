// Arbitrary host lines and socket events into a reconnect attempt, as a hostile or broken host
// could answer a returning player. Each input line starts with a control byte: mostly a host line
// follows, else a tick some seconds on, a connection made, a socket error, a close, or text left
// unterminated. Whatever comes, the attempt keeps a bounded number of lines, a window is only
// ever given back the seat it held, and the lines it is given back feed a fresh mirror safely.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "client/game_mirror_reconnect.h"

namespace {

using korvel::client::GameMirror;
using korvel::client::Reconnect;

GameMirror heldGame() {
  GameMirror game;
  game.myplayer = 2;
  for (const char* line :
       {"CMD_newplayerinfo+1+Ann+0", "CMD_newplayerinfo+2+Bob+0", "CMD_startgame+Ann+30+60+1",
        "CMD_nextplayer+1+16+", "CMD_goodword+1+5+5+l+4+5+1+3+l+5+5+2+1+w+ca"}) {
    game.handleLine(line);
  }
  return game;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const GameMirror held = heldGame();
  Reconnect::Clock::time_point now{std::chrono::hours(1000)};
  Reconnect r;
  r.start(now, korvel::client::HeldGame::of(held, "Bob"));
  std::string_view input(reinterpret_cast<const char*>(data), size);
  while (!input.empty()) {
    const auto end = input.find('\n');
    std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    if (line.empty()) continue;
    const auto control = static_cast<unsigned char>(line[0]);
    line.remove_prefix(1);
    Reconnect::Step step = Reconnect::Step::Wait;
    korvel::client::Outcome out;
    switch (control % 12) {
      case 0:
        now += std::chrono::seconds(control / 12);
        step = r.tick(now);
        break;
      case 1:
        r.connected(now);
        break;
      case 2:
        step = r.socketError(korvel::client::errorMet(line));
        break;
      case 3:
        step = r.socketClosed();
        break;
      case 4:
        r.leftOver(line);
        break;
      default:
        step = r.take(line, out);
        break;
    }
    if (r.talking() && !r.active()) __builtin_trap();
    if (out.send.size() > 1) __builtin_trap();
    if (step == Reconnect::Step::Back) {
      if (r.seat() != 2) __builtin_trap();
      const auto lines = r.takeLines();
      if (lines.size() > Reconnect::kMaxLines) __builtin_trap();
      GameMirror back = held;
      back.startOver();
      back.myplayer = r.seat();
      for (const auto& l : lines) {
        if (l.rfind("CMD_sendlogininfo", 0) == 0) __builtin_trap();
        back.handleLine(l);
      }
      if (!back.gameRunning) __builtin_trap();
    }
    if (!r.active()) break;
  }
  return 0;
}

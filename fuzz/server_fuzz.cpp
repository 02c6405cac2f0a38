// Arbitrary lines from arbitrary seats into a server core with three seats logged in and a game
// running. Each input line starts with a control byte: mostly the seat it comes from, otherwise a
// clock tick, a connection arriving or a seat's connection closing. After every step the board
// may hold only letter codes 1 to 26 or -1, racks only -1 to 26, and no accepted tile may lie on
// the same letter it covered.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "server/server_core.h"

namespace {

using korvel::server::ServerCore;

class ClosingOutbound : public korvel::server::Outbound {
 public:
  ServerCore* core = nullptr;
  void send(int seat, const std::string& message) override {
    if (seat < 1 || seat > ServerCore::kMaxSeat || message.empty() || message.back() != '\xFF') {
      __builtin_trap();
    }
  }
  void closeSeat(int seat) override { core->departure(seat); }
  void timer1Changed(bool) override {}
};

// Accepts about two words in three, so that moves get through as often as they fail.
bool someWords(std::string_view word) {
  unsigned h = 2166136261u;
  for (char c : word) h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
  return h % 3 != 0;
}

void checkInvariants(const ServerCore& core) {
  if (!core.moves.board.lettersValid()) __builtin_trap();
  // An accepted move never laid a tile on the same letter.
  for (const auto& t : core.moves.laidTiles()) {
    if (core.moves.board.at(t.x, t.y).under == t.code) __builtin_trap();
  }
  for (int s = 1; s <= ServerCore::maxplayers; ++s) {
    for (int k = 1; k <= ServerCore::kRackSize; ++k) {
      const int code = core.players[s].tiles[k];
      if (code < -1 || code > 26) __builtin_trap();
    }
  }
  if (core.drawn < 0 || core.drawn > ServerCore::kBagSize + 1) __builtin_trap();
  if (core.seatsused < 0 || core.seatsused > ServerCore::kMaxSeat) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ClosingOutbound out;
  unsigned picks = 7;
  ServerCore core(out, someWords, [&picks](int lo, int hi) {
    picks = picks * 1103515245u + 12345u;
    return lo + static_cast<int>((picks >> 8) % static_cast<unsigned>(hi - lo + 1));
  });
  out.core = &core;
  for (int seat = 1; seat <= 3; ++seat) {
    core.seataccepted(core.chooseseat(), static_cast<std::uint64_t>(seat));
    core.dispatch("CMD_logininfo+" + std::to_string(seat) + "+1.0.2+P" + std::to_string(seat),
                  seat);
  }
  core.dispatch("CMD_startgame+P1+30+60+0+", 1);

  std::string_view input(reinterpret_cast<const char*>(data), size);
  while (!input.empty()) {
    const std::size_t end = input.find('\n');
    std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    if (line.empty()) continue;
    const unsigned char control = static_cast<unsigned char>(line[0]);
    line.remove_prefix(1);
    switch (control) {
      case 0xF0:
        for (std::size_t i = 0; i < 1 + line.size() % 8; ++i) core.timer1Timer();
        break;
      case 0xF1: {
        const int seat = core.chooseseat();
        if (seat < ServerCore::kRefusedSeat) core.seataccepted(seat, 99);
        break;
      }
      case 0xF2:
        core.departure(line.empty() ? 0 : static_cast<unsigned char>(line[0]) % 12);
        break;
      default:
        // Seats 0 to 11, so that out-of-range senders are tried too.
        core.dispatch(line, control % 12);
    }
    checkInvariants(core);
  }
  return 0;
}

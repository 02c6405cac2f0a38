// Arbitrary server lines, clicks and keys into the client mirror, as a hostile or broken host could
// send them. Each input line starts with a control byte: mostly a server message follows, else a
// click on the rack, an outline or the board, a clock tick, or one of the action buttons. After
// every step the mirror may hold only what it can draw: letters 0 to 26 (or -1 laid from an
// empty slot), rack codes -1 to 26, a carried slot 1 to 8 and a bar no wider than its picture.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "client/game_mirror.h"

namespace {

using korvel::client::GameMirror;

void checkInvariants(const GameMirror& m) {
  for (const auto& column : m.board) {
    for (const auto& cell : column) {
      if (cell.letter < -1 || cell.letter > 26 || cell.underneath < -1 || cell.underneath > 26)
        __builtin_trap();
      if (!cell.placedslot.empty() &&
          (cell.placedslot.size() != 1 || cell.placedslot[0] < '1' || cell.placedslot[0] > '8'))
        __builtin_trap();
    }
  }
  for (const auto& image : m.rack) {
    if (image.code < -1 || image.code > 26) __builtin_trap();
  }
  if (!m.heldtile.empty() && m.carriedSlot() == 0) __builtin_trap();
  if (m.barWidth < 0 || m.barWidth > korvel::client::kBarWidth) __builtin_trap();
  if (m.whoseturn < 0 || m.whoseturn > 9) __builtin_trap();
  if (m.cursorX < 0 || m.cursorX > 10 || m.cursorY < 0 || m.cursorY > 10) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  GameMirror m;
  m.myplayer = 1;
  m.connected = true;
  m.hosting = true;
  // Some word list, so that a refused move's words are looked for too.
  m.isWord = [](std::string_view word) { return word.size() % 2 == 0; };
  std::string_view input(reinterpret_cast<const char*>(data), size);
  while (!input.empty()) {
    const auto end = input.find('\n');
    std::string_view line = input.substr(0, end);
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
    if (line.empty()) continue;
    const auto control = static_cast<unsigned char>(line[0]);
    line.remove_prefix(1);
    const int a = line.size() > 0 ? static_cast<unsigned char>(line[0]) * 2 : 0;
    const int b = line.size() > 1 ? static_cast<unsigned char>(line[1]) * 2 : 0;
    switch (control % 16) {
      case 0:
        m.rackClick(a % 10, a, b);
        break;
      case 1:
        m.outlineClick(a);
        break;
      case 2:
        m.boardClick(a - 20, b - 20, static_cast<korvel::client::Button>(control / 16 % 3), a, b);
        break;
      case 3:
        m.pointerMoved(a, b);
        break;
      case 4:
        m.tick();
        break;
      case 5:
        m.clearword();
        m.submitword();
        break;
      case 6:
        m.passClick();
        m.newtilesClick();
        break;
      case 7:
        m.kicking(a);
        m.setJustWatch(a, b % 2);
        m.justWatchClick();
        break;
      case 8:
        m.moveCursor(a % 3 - 1, b % 3 - 1);
        m.keyLetter(static_cast<char>(a / 2));
        break;
      case 9:
        m.keyBackspace();
        m.turnDirection();
        break;
      default:
        m.handleLine(line);
        break;
    }
    checkInvariants(m);
  }
  return 0;
}

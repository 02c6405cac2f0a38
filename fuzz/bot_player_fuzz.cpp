// Arbitrary server lines into a computer player, as a hostile or broken host could send them:
// the first byte picks the level, the rest is lines split at 0xFF. Whenever its turn comes it
// answers at once, so the move search, the Strong player's equity and end-game search and the
// purchase rule all run on whatever board, rack, scores and counts the lines made. An answer is
// empty or one framed message to the server.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "bot/bot_player.h"
#include "bot/lexicon.h"

namespace {

using namespace korvel::bot;

const Lexicon& words() {
  static const Lexicon lexicon =
      Lexicon::fromWords({"cat", "cats", "at", "ta", "sat", "act", "as", "zas", "qat", "tax"});
  return lexicon;
}

void checkAnswer(const std::string& answer) {
  if (answer.empty()) return;
  // One message: a command and its fields, then the terminator (the login's name field carries
  // one of its own), and no terminator before.
  if (answer.size() < 6 || answer.compare(0, 4, "CMD_") != 0) __builtin_trap();
  const std::size_t first = answer.find('\xFF');
  if (first == std::string::npos || first + 2 < answer.size()) __builtin_trap();
  if (answer.find_first_not_of('\xFF', first) != std::string::npos) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  LevelSetup setup;
  setup.level = data[0] % 3 == 0 ? Level::Easy : data[0] % 3 == 1 ? Level::Normal : Level::Strong;
  setup.common = &words();
  BotPlayer bot(words(), setup);
  const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
  for (std::size_t from = 0; from <= input.size();) {
    const std::size_t end = std::min(input.find('\xFF', from), input.size());
    const Reaction r = bot.handleLine(input.substr(from, end - from));
    for (const std::string& message : r.send) checkAnswer(message);
    if (r.play != Reaction::Play::No) checkAnswer(bot.play());
    from = end + 1;
  }
  return 0;
}

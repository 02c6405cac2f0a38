// The saved-game reader on hostile bytes: it never crashes, and whatever it accepts writes back
// to a file that reads as the same game; the summary, record text and replay of an accepted game
// stay within the board.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "client/game_analysis.h"
#include "client/game_file.h"
#include "client/game_record_text.h"
#include "client/game_summary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto game = korvel::client::gameFromJson(text);
  const auto head = korvel::client::gameHeadFromJson(text);
  if (!game) return 0;
  // What reads whole also reads for the list, with the same heading.
  if (!head || head->started != game->started || head->players != game->players ||
      head->finalScores != game->finalScores || head->winner != game->winner)
    std::abort();
  const auto again = korvel::client::gameFromJson(korvel::client::gameToJson(*game));
  if (!again || !(*again == *game)) std::abort();
  korvel::client::gameRecordText(*game);
  korvel::client::summarise(*game);
  korvel::client::replayBoards(*game);
  return 0;
}

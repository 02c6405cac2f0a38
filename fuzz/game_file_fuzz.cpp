// The saved-game reader on hostile bytes: it never crashes, and whatever it accepts writes back
// to a file that reads as the same game; the summary, record text and replay of an accepted game
// stay within the board. The same bytes, taken as what a host sent (names, words, the winner),
// make a record whose file reads back as that record, within the size the reader allows.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "client/game_analysis.h"
#include "client/game_file.h"
#include "client/game_log.h"
#include "client/game_record_text.h"
#include "client/game_summary.h"

namespace {

void readHostileFile(std::string_view text) {
  const auto game = korvel::client::gameFromJson(text);
  const auto head = korvel::client::gameHeadFromJson(text);
  if (!game) return;
  // What reads whole also reads for the list, with the same heading.
  if (!head || head->started != game->started || head->players != game->players ||
      head->finalScores != game->finalScores || head->winner != game->winner ||
      head->computerLevel != game->computerLevel || head->played != game->played)
    std::abort();
  // The start pruning reads alone is read too. It may disagree with a file that names the member
  // twice; pruning removes a file only when the whole file says watched as well.
  korvel::client::playedFromFileStart(text);
  const auto again = korvel::client::gameFromJson(korvel::client::gameToJson(*game));
  if (!again || !(*again == *game)) std::abort();
  korvel::client::gameRecordText(*game);
  korvel::client::summarise(*game);
  korvel::client::replayBoards(*game);
}

// The bytes cut at every 0xFF (the wire's terminator never reaches a field) into the texts of
// a game: seat names, the words of turns, the winner.
void recordHostileTexts(std::string_view bytes) {
  using namespace korvel::client;
  GameLog log;
  log.now = [] { return std::int64_t{1'800'000'000}; };
  log.begin(1, 60, true);
  const std::string all(bytes);
  std::size_t piece = 0;
  TurnRecord turn;
  turn.kind = TurnKind::Word;
  turn.tiles = {{5, 5, 1, 1}};
  while (!bytes.empty()) {
    const auto cut = bytes.find('\xFF');
    const std::string text(bytes.substr(0, cut));
    bytes = cut == std::string_view::npos ? std::string_view{} : bytes.substr(cut + 1);
    const int seat = 1 + static_cast<int>(piece % 4);
    if (piece % 3 == 0) log.seat(seat, text);
    turn.seat = seat;
    turn.player = text;
    turn.words = {text, text + text};
    log.add(turn);
    ++piece;
  }
  log.finish(all);
  const std::string json = gameToJson(log.record);
  const auto back = gameFromJson(json);
  if (json.size() > kMaxWrittenGameBytes || !back || !(*back == log.record)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  readHostileFile(text);
  recordHostileTexts(text);
  return 0;
}

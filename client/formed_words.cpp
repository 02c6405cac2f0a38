#include "client/formed_words.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "protocol/message.h"
#include "server/move_check.h"

namespace korvel::client {

std::vector<FormedWord> formedWords(const bot::BoardLetters& before,
                                    const std::vector<bot::Tile>& tiles, bool firstmove,
                                    const std::function<bool(std::string_view)>& isWord) {
  if (tiles.empty() || tiles.size() > static_cast<std::size_t>(bot::kRackSize)) return {};
  // Every word is let through, so the check goes on past a missing one and lists them all.
  std::vector<FormedWord> formed;
  server::MoveChecker checker(
      [&](std::string_view word) {
        std::string upper(word);
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        formed.push_back({upper, isWord && isWord(word)});
        return true;
      },
      [](int, int) {});
  for (int x = 0; x < bot::kSide; ++x) {
    for (int y = 0; y < bot::kSide; ++y) {
      const int code = before[x][y];
      checker.board.at(x, y).letter = code >= 1 && code <= 26 ? code : -1;
    }
  }
  checker.firstmove = firstmove;
  // The tiles take rack slots 1, 2, ... in order, and the message is the very one the client
  // sends, read as the server reads it.
  std::array<int, 9> rack{};
  std::vector<protocol::Placement> placements;
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    rack[i + 1] = tiles[i].code;
    placements.push_back({tiles[i].x, tiles[i].y, static_cast<int>(i) + 1});
  }
  std::string message = protocol::toserver::submit(1, placements);
  message.pop_back();
  const auto split = protocol::splitLine(message);
  protocol::FieldReader reader(split.argument);
  int turnscore = 0;
  try {
    const int seat = reader.intField();
    if (!checker.checkMove(seat, rack, turnscore, reader)) return {};
  } catch (const protocol::ParseError&) {
    return {};
  }
  return formed;
}

std::vector<std::string> missingWords(const std::vector<FormedWord>& formed) {
  std::vector<std::string> missing;
  for (const auto& f : formed) {
    if (!f.known && std::find(missing.begin(), missing.end(), f.word) == missing.end())
      missing.push_back(f.word);
  }
  return missing;
}

std::string missingWordsLine(const std::vector<std::string>& missing) {
  if (missing.empty()) return {};
  // The chat puts one space after a line's head ("...:"), as after a name.
  std::string line = "0+Not in the word list:";
  for (std::size_t i = 0; i < missing.size(); ++i) line += (i ? ", " : "") + missing[i];
  return line;
}

}  // namespace korvel::client

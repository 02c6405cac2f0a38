#pragma once
// The words a move forms, found by the server's own move check so that the client and the host
// can never disagree about them: used to name the words of a refused move that the word list
// lacks, and the words of the computer player's best move in a game review. No Qt here.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "bot/move_generator.h"

namespace korvel::client {

struct FormedWord {
  std::string word;  // upper case
  bool known = true;
};

// The words (main word first, then the cross words along it) that laying `tiles` (x, y and
// letter code; the slot is ignored) on `before` forms, each with whether `isWord` knows it in
// lower case. Empty when the tiles do not form a move at all (not in one line, a gap, not
// touching, off the board).
std::vector<FormedWord> formedWords(const bot::BoardLetters& before,
                                    const std::vector<bot::Tile>& tiles, bool firstmove,
                                    const std::function<bool(std::string_view)>& isWord);

// The words of `formed` the list lacks, each once, in the order formed.
std::vector<std::string> missingWords(const std::vector<FormedWord>& formed);
// The chat line naming them: "0+Not in the word list: QAT, ZEEX"; "" when there are none.
std::string missingWordsLine(const std::vector<std::string>& missing);

}  // namespace korvel::client

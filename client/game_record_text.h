#pragma once
// A saved game as a plain-text record a person can read: a heading, one line per turn (number,
// player, position, word(s), score, the player's total) and the result. No Qt here.

#include <string>

#include "client/game_log.h"

namespace korvel::client {

// "F6 across", "C3 down", "E5" for a lone tile; "" for a turn that laid nothing. Columns are
// the letters A to K from the left, rows 1 to 11 from the top.
std::string turnPosition(const TurnRecord& turn);

std::string gameRecordText(const GameRecord& record);

}  // namespace korvel::client

#pragma once
// A saved game as a plain-text record a person can read: a heading, one line per turn (number,
// player, position, word(s), score, the player's total) and the result. No Qt here.

#include <string>

#include "bot/move_generator.h"
#include "client/game_log.h"

namespace korvel::client {

// Where the turn's main word starts and which way it runs, on `after`, the board after the turn:
// "F6 across", "C3 down" (the start may be a letter that lay there before); a cell alone when
// the tiles form no line; "" for a turn that laid nothing. Columns are the letters A to K from
// the left, rows 1 to 11 from the top.
std::string turnPosition(const bot::BoardLetters& after, const TurnRecord& turn);

std::string gameRecordText(const GameRecord& record);

}  // namespace korvel::client

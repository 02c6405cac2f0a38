#pragma once
// The words of the desktop notification that tells a player in another window that their turn
// has come: the summary, a body naming the move before it, and that body made safe for
// notification servers that read body markup.

#include <string>
#include <string_view>

#include "client/game_log.h"

namespace korvel::client {

inline constexpr std::string_view kTurnAlertSummary = "Your turn in Korvel";

// "Ann laid QUIZ for 34", "Ann passed", "Ann bought new tiles", ... for the last turn of the
// record; without one, "The game has started: you play first."
std::string turnAlertBody(const GameRecord& record);

// Plain text as the freedesktop notification body's markup reads it: '&', '<' and '>' become
// entities, so a name such as "<b>Eve</b>" shows as typed.
std::string escapeNotificationMarkup(std::string_view plain);

}  // namespace korvel::client

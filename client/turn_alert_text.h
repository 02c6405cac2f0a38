#pragma once
// The words of the desktop notification that tells a player in another window that their turn
// has come: the summary, a body naming the move before it, and that body made safe for
// notification servers that read body markup.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/game_log.h"

namespace korvel::client {

inline constexpr std::string_view kTurnAlertSummary = "Your turn in Korvel";

// "Ann laid QUIZ for 34", "Ann passed", "Ann bought new tiles", ... for the last turn of the
// record; without one, "The game has started: you play first." The name is cleaned by the one
// text rule (no line break, control or direction mark of a peer's making reaches the desktop) and
// a word keeps only its letters, so a peer cannot write a second line or a move of its own into
// the body.
std::string turnAlertBody(const GameRecord& record);

// The least time between two notifications: a host that changes the turn many times a second
// must not flood the desktop with them.
inline constexpr std::int64_t kTurnAlertSpacingMs = 5000;

// Paces the notifications: one is shown at once when the last was shown at least
// kTurnAlertSpacingMs ago; one that comes sooner waits, a later one taking its place, and the one
// waiting is shown when the spacing has passed. Time is given in milliseconds of a steady clock.
class TurnAlertPacer {
 public:
  // The body to show now, or nothing when it has to wait.
  std::optional<std::string> offer(std::int64_t nowMs, std::string body);
  // The waiting body when its time has come (called when the time dueAt gives has passed).
  std::optional<std::string> due(std::int64_t nowMs);
  // When the waiting body may be shown; nothing while none waits.
  std::optional<std::int64_t> dueAt() const;

 private:
  std::optional<std::int64_t> lastShown_;
  std::optional<std::string> waiting_;
};

// Plain text as the freedesktop notification body's markup reads it: '&', '<' and '>' become
// entities, so a name such as "<b>Eve</b>" shows as typed.
std::string escapeNotificationMarkup(std::string_view plain);

}  // namespace korvel::client

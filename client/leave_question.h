#pragma once
// Whether closing the window must first ask: leaving a running game from a player seat loses
// that game, and the host's leaving ends it for everybody.

#include <optional>
#include <string>

namespace korvel::client {

class GameMirror;

inline constexpr const char* kLeaveQuestion = "Leave the running game?";

// The Yes/No question File, Exit and the window's close button ask, or nothing when the window
// closes at once (no game running, a spectator seat, no connection any more).
std::optional<std::string> leaveQuestion(const GameMirror& game);

}  // namespace korvel::client

#pragma once
// Whether closing the window or changing the zoom must first ask, and in what words: leaving a
// running game from a player seat loses that game. The words say what leaving means here: a
// solo game is simply gone, the host's leaving ends the game for everybody, and a player who
// joined leaves the others playing on.

#include <optional>
#include <string>

namespace korvel::client {

class GameMirror;

// Why the window would leave the game.
enum class LeaveReason {
  Close,  // File, Exit or the window's close button
  Zoom,   // Options, "Zoom": the program restarts with the new zoom
};

inline constexpr const char* kLeaveSoloQuestion = "Leave this game? It is not saved.";
inline constexpr const char* kLeaveHostQuestion =
    "Leave this game? You are hosting it: if you leave, the game ends for everybody in it.";
inline constexpr const char* kLeaveJoinedQuestion =
    "Leave this game? You give up your seat, and the others play on without you.";
inline constexpr const char* kZoomSoloQuestion =
    "Korvel restarts to change the zoom; the game in progress ends and is not saved. Restart now?";
inline constexpr const char* kZoomHostQuestion =
    "Korvel restarts to change the zoom; you are hosting this game, so it ends for everybody in "
    "it. Restart now?";
inline constexpr const char* kZoomJoinedQuestion =
    "Korvel restarts to change the zoom; you leave this game and give up your seat. Restart now?";

// The Yes/No question to ask (No is the answer that keeps playing), or nothing when the window
// may go at once (no game running, a spectator seat, no connection any more). `solo`: this
// copy hosts a game for nobody but itself and its computer players.
std::optional<std::string> leaveQuestion(const GameMirror& game, bool solo,
                                         LeaveReason reason = LeaveReason::Close);

}  // namespace korvel::client

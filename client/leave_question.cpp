#include "client/leave_question.h"

#include "client/game_mirror.h"

namespace korvel::client {

std::optional<std::string> leaveQuestion(const GameMirror& game, bool solo, LeaveReason reason) {
  const bool seated = game.myplayer >= 1 && game.myplayer <= game.seats;
  if (!game.connected || !game.gameRunning || !seated) return std::nullopt;
  const bool zoom = reason == LeaveReason::Zoom;
  if (game.hosting && solo) return zoom ? kZoomSoloQuestion : kLeaveSoloQuestion;
  if (game.hosting) return zoom ? kZoomHostQuestion : kLeaveHostQuestion;
  return zoom ? kZoomJoinedQuestion : kLeaveJoinedQuestion;
}

}  // namespace korvel::client

#include "client/leave_question.h"

#include "client/game_mirror.h"

namespace korvel::client {

std::optional<std::string> leaveQuestion(const GameMirror& game) {
  const bool seated = game.myplayer >= 1 && game.myplayer <= game.seats;
  if (!game.connected || !game.gameRunning || !seated) return std::nullopt;
  std::string question = kLeaveQuestion;
  if (game.hosting) {
    question += "\n\nYou are hosting this game: if you leave, the game ends for everybody in it.";
  }
  return question;
}

}  // namespace korvel::client

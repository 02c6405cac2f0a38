#pragma once
// What the end-of-game summary shows, worked out from the game's record. No Qt here.

#include <cstdint>
#include <string>
#include <vector>

#include "client/game_log.h"

namespace korvel::client {

struct PlayerSummary {
  int seat = 0;
  std::string name;
  int score = 0;
  int moves = 0;  // accepted words
  std::string bestWord;
  int bestScore = 0;
  bool won = false;  // holds the highest final score among the players
};

struct GameSummary {
  std::vector<PlayerSummary> players;  // highest final score first, seat order among equals
  std::string winner;                  // the host's winner text
  int turns = 0;
  std::int64_t seconds = 0;
};

GameSummary summarise(const GameRecord& record);
// "1 h 2 min", "12 min 5 s", "40 s".
std::string durationText(std::int64_t seconds);

}  // namespace korvel::client

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
  bool won = false;   // one of the winners the server named
  bool left = false;  // nobody held the seat at the end: listed apart, never a winner
};

inline constexpr const char* kHostEndedText = "The host ended the game.";

struct GameSummary {
  // The winners first, then the other players who were seated at the end by final score (seat
  // order among equals), then the players who left, by seat.
  std::vector<PlayerSummary> players;
  std::string winner;  // the host's winner text
  bool hostEnded = false;
  int winners = 0;  // players starred
  int turns = 0;
  std::int64_t seconds = 0;
};

GameSummary summarise(const GameRecord& record);
// The summary's heading: "Ann has won the game!", "Ann and Bob have won the game!", or "Nobody
// won this game." when the server named nobody (every player seat was empty at the end), "The
// host ended the game." when it ended without a winner because the host stopped.
std::string summaryHeading(const GameSummary& summary);
// "1 h 2 min", "12 min 5 s", "40 s".
std::string durationText(std::int64_t seconds);

}  // namespace korvel::client

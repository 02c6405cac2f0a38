#pragma once
// Games between computer players inside one process, without sockets or clocks: a server core
// whose messages go straight to BotPlayers, a host in seat 1 that starts the game and then only
// watches, and the turn clock advanced a second at a time whenever nobody has anything to do.
// Used to measure strength and to collect mid-game boards for the move search's benchmark.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bot/bot_player.h"
#include "bot/lexicon.h"
#include "bot/move_generator.h"
#include "server/move_check.h"

namespace korvel::bot {

// One computer player's turn, for learning what kept tiles are worth.
struct TurnRecord {
  int seat = 0;
  std::optional<LetterCounts> kept;  // its rack less its move; nothing without a move
  int points = 0;                    // what the turn brought, less 30 a purchase
  int bagAfter = 0;                  // tiles left in the bag once it ended
};

struct SelfPlayOptions {
  int players = 2;  // computer players, 1 to 3, in seats 2 to 4
  std::uint32_t seed = 1;
  int maxSeconds = 20000;  // turn clock seconds before the game counts as stuck
  // The level of each computer player in seat order; those beyond the list play Normal.
  std::vector<LevelSetup> levels;
  // Told of every computer player's turn as it ends, in order.
  std::function<void(const TurnRecord&)> onTurn;
};

// One computer player's part of a game, as the server saw it.
struct SelfPlaySeat {
  int score = 0;
  int moves = 0;  // accepted moves
  int points = 0;
  int buys = 0;
  int refused = 0;
  std::vector<std::string> words;  // every word its accepted moves formed
};

struct SelfPlayGame {
  bool ended = false;  // "CMD_winner" came
  std::string winner;
  int turns = 0;  // turns given to computer players
  int moves = 0;  // accepted moves
  int points = 0;
  int buys = 0;
  int passes = 0;
  int refused = 0;                   // moves the server refused: never expected
  int timeups = 0;                   // "CMD_timeup": never expected
  std::vector<int> scores;           // seats 2 onwards
  std::vector<SelfPlaySeat> seats;   // seats 2 onwards
  std::vector<BoardLetters> boards;  // the board at the start of every turn
};

// `serverWords` is the word test of the game's server.
SelfPlayGame playSelfGame(const Lexicon& lexicon, server::MoveChecker::WordTest serverWords,
                          const SelfPlayOptions& options);

}  // namespace korvel::bot

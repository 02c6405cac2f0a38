#pragma once
// A computer player's mind, without sockets or clocks: it reads the server's messages into the
// same client mirror that the main window uses, answers the login with the stand-by name of its
// seat, and when its turn has come and the wait is over, plays the best move that the server's
// own move check accepts, else buys new tiles or passes. The Qt layer owns the connection and the
// wait; everything that decides is here.

#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "bot/equity.h"
#include "bot/leave_values.h"
#include "bot/level.h"
#include "bot/lexicon.h"
#include "bot/move_generator.h"
#include "client/game_mirror.h"

namespace korvel::bot {

// The price of a new rack and the tiles the bag must still hold for a purchase to be worth it.
inline constexpr int kNewTilesPrice = 30;
inline constexpr int kFullRack = 8;

// What the connection does after a message.
struct Reaction {
  enum class Play {
    No,          // nothing to do
    AfterDelay,  // its turn began: play once the bot speed has passed from now
    Now,         // its turn goes on after an answer (new rack, refusal): play at once
  };
  std::vector<std::string> send;  // framed messages for the server
  Play play = Play::No;
  bool seated = false;  // the server announced this player at its seat
  bool leave = false;   // close the connection: no player seat for it, or the game is full
};

// What a level needs beyond the full word list. Easy without common words and Normal without
// well-known words form any word of the list; Strong without learnt values weighs every kept
// rack alike.
struct LevelSetup {
  Level level = Level::Normal;
  const Lexicon* common = nullptr;      // Easy: the common words
  const Lexicon* known = nullptr;       // Normal: the well-known words
  const LeaveValues* leaves = nullptr;  // Strong: what kept tiles are worth
  std::uint32_t seed = 1;               // Strong: the racks it imagines before buying
};

class BotPlayer {
 public:
  explicit BotPlayer(const Lexicon& lexicon, const LevelSetup& setup = {});
  ~BotPlayer();

  Level level() const { return setup_.level; }
  // Plays at another level from its next answer on.
  void setLevel(const LevelSetup& setup);

  client::GameMirror game;

  // One server message without its terminator.
  Reaction handleLine(std::string_view line);

  // The answer of its turn once the wait is over: a framed "CMD_submit", "CMD_newtiles" or
  // "CMD_pass"; empty when it is not its turn or it has already answered and waits for the
  // server. A move is sent only when the server's move check accepts it on the mirrored board.
  std::string play();

  int seat() const { return game.myplayer; }
  bool isSeated() const { return seated_; }

  // What it did, for the self-play figures and the tests.
  struct Counts {
    int moves = 0;
    int points = 0;  // the scores its moves were expected to make
    int buys = 0;
    int passes = 0;
    int refused = 0;  // moves the server refused: never expected
  } counts;
  // What it kept of its rack after the move it sent last this turn; nothing before one.
  std::optional<LetterCounts> kept;

  // The stand-by name of a player seat (2 "Klot", 3 "Klick", 4 "Kling"); empty for others.
  static std::string standbyName(int seat);

  // The move of its level for the mirrored position that the server's move check accepts, or
  // nothing. Strong also gives the move's score plus the value of what it keeps.
  std::optional<Move> chooseMove(double* equity = nullptr) const;

  // The mirrored position as the Strong player weighs it.
  Situation situation() const;

 private:
  int ownScore() const;
  int tilesLeft() const;
  BoardLetters boardLetters(bool* empty = nullptr) const;
  RackCodes rackCodes() const;
  // Letters covered by later tiles since the game began: gone from the game, seen by nobody.
  void noteCoveredLetters();

  const Lexicon& lexicon_;
  LevelSetup setup_;
  MoveGenerator generator_;
  // Easy's common words or Normal's well-known words: the only words its moves may form.
  std::unique_ptr<MoveGenerator> limitedGenerator_;
  std::unique_ptr<EquityChooser> equity_;
  mutable std::mt19937 rng_;  // Strong's imagined racks
  BoardLetters lastBoard_{};
  LetterCounts covered_{};
  bool seated_ = false;
  bool answered_ = true;  // its answer for this turn went out; waits for the server
  bool bought_ = false;   // bought (or tried to) in this turn
  bool refused_ = false;  // a move was refused in this turn
};

// Every rack's worth alike: Strong's table when none is given.
const LeaveValues& noLeaveValues();

// The server's move check on a board and rack: true when `move` is accepted, with its score.
bool confirmMove(const Lexicon& lexicon, const BoardLetters& board, const RackCodes& rack,
                 bool firstmove, const Move& move, int* score = nullptr);

}  // namespace korvel::bot

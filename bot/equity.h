#pragma once
// The Strong player's choice: every move is worth its score plus the learnt value of the tiles
// it keeps (LeaveValues), less as the bag runs low. While the bag still holds tiles, the best few
// moves are looked at one move further: each loses half the average of the opponent's best
// replies on a few racks it might hold. Once the bag is empty, the end of the game is searched
// (EndgameSearch) on a few deals of the unseen tiles to the opponents, and each promising move is
// worth what the game comes to. Buying a new rack for 30 points pays when the best move of the
// present rack is worth clearly less than an average new rack's less the price.

#include <optional>
#include <random>
#include <vector>

#include "bot/endgame.h"
#include "bot/leave_values.h"
#include "bot/lexicon.h"
#include "bot/move_generator.h"

namespace korvel::bot {

// What a player knows at its turn.
struct Situation {
  BoardLetters board{};
  RackCodes rack{};
  bool firstmove = false;
  int bagTiles = 0;  // tiles still in the bag
  int myScore = 0;
  std::vector<int> opponentScores;  // in the order they move after this player
  // Tiles on each opponent's rack, in the same order (a full rack where unknown).
  std::vector<int> opponentTiles;
  // Tiles on no board cell and not on its own rack: the bag's and the opponents' racks'.
  LetterCounts unseen{};
};

struct RatedMove {
  Move move;
  double equity = 0;
  double staticEquity = 0;  // its score and what it keeps: the equity before looking ahead
};

// The 75 tiles of a game per letter.
const LetterCounts& tileSet();
// The tiles of a rack per letter.
LetterCounts rackCounts(const RackCodes& rack);

class EquityChooser {
 public:
  // What a decided game adds to a move's worth: far more than any score difference.
  static constexpr double kDecided = EndgameSearch::kDecided;
  // The price of a new rack.
  static constexpr int kPrice = 30;

  EquityChooser(const Lexicon& lexicon, const LeaveValues& leaves)
      : lexicon_(lexicon), leaves_(leaves), generator_(lexicon) {}

  // The value of keeping `kept` with `bagTiles` left in the bag.
  double leaveValue(const LetterCounts& kept, int bagTiles) const;

  // Moves by equity, best first; at most `most` of them. With `rng`, and tiles still in the
  // bag, the best few are also weighed by the opponent's best reply to each on racks drawn
  // from the unseen tiles (the same racks for every move): what a move opens costs half of what
  // the opponent can make of it. With the bag empty, moves are worth what the end-game search
  // makes of them (deals drawn with `rng`, or a fixed generator without it).
  std::vector<RatedMove> rate(const Situation& s, std::size_t most = 24,
                              std::mt19937* rng = nullptr) const;

  // True when buying a new rack is worth more than the best move (worth `bestEquity`, or no
  // move at all). Draws `samples` racks from the unseen tiles with `rng`.
  bool buyPays(const Situation& s, std::optional<double> bestEquity, std::mt19937& rng,
               int samples = 4) const;

 private:
  // Moves once the bag is empty, by what the game comes to on a few deals of the unseen tiles to
  // the opponents (the one deal there is when a single opponent holds them all).
  std::vector<RatedMove> rateEndgame(const Situation& s, std::mt19937* rng) const;
  // Takes the opponent's average best reply off the best few of `moves`.
  void lookAhead(const Situation& s, std::vector<RatedMove>& moves, std::mt19937& rng) const;

  const Lexicon& lexicon_;
  const LeaveValues& leaves_;
  MoveGenerator generator_;
};

}  // namespace korvel::bot

#pragma once
// A saved game replayed and analysed: the board after every turn, and for each of the local
// player's turns the best move the computer player's search finds from the same rack and
// board, against what was played. No Qt here; the review window runs it off the GUI thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "bot/lexicon.h"
#include "bot/move_generator.h"
#include "client/game_log.h"

namespace korvel::client {

// The board before the first turn ([0]) and after each turn ([i + 1] after turns[i]).
std::vector<bot::BoardLetters> replayBoards(const GameRecord& record);

struct TurnAnalysis {
  std::size_t turn = 0;    // index into the record's turns
  int played = 0;          // points the turn gained (0 for anything but a word)
  std::string playedWord;  // its main word, "" when it laid none
  int best = 0;            // the best move's score, 0 when there is none
  std::string bestWord;    // its main word, "" when there is none
  std::vector<bot::Tile> bestTiles;
};

struct GameAnalysis {
  std::vector<TurnAnalysis> turns;  // the local player's turns with a rack, in order
  std::int64_t leftOnTable = 0;     // sum over them of what the best move would have gained more
};

// The most one move can score: every letter of the main word and of a cross word at each of its
// tiles, at the highest letter value. A turn's score read from a file is held within this, so a
// forged score cannot turn the sum around.
int maxMoveScore();

// Analyses the local player's turns in order. `stop`, when given, is read before every turn: once
// it is true the analysis ends with what it has. `each`, when given, hears every turn's result as
// soon as it is known (on the thread that analyses).
GameAnalysis analyseGame(const GameRecord& record, const bot::Lexicon& lexicon,
                         const std::atomic<bool>* stop = nullptr,
                         const std::function<void(const TurnAnalysis&)>& each = {});

// "You: QAT 14 · Best: QATS 23" (or "You: passed · Best: ..."; "Best: none" without a move).
std::string analysisLine(const GameRecord& record, const TurnAnalysis& turn);
// The best move alone, as the review's column shows it: "QATS 23", or "none".
std::string bestMoveText(const TurnAnalysis& turn);

}  // namespace korvel::client

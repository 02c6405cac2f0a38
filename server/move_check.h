#pragma once
// The check of a submitted move: lays the tiles on the board, checks placement, gaps and words
// in a fixed order, scores the letters, and on the first failed check takes the tiles back and
// reports exactly one error code to the mover. The dictionary and the error report are injected
// so the rules run without a word list file or a socket.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "protocol/message.h"
#include "server/board.h"

namespace korvel::server {

// Error codes of a refused move, as the client maps them to status texts.
namespace moveerror {
inline constexpr int kPlacement = 2;    // not in one line, a lone tile with no neighbour, or a
                                        // tile on the same letter
inline constexpr int kSameCell = 3;     // a second tile on a cell this move already covered
inline constexpr int kGap = 5;          // a tile outside the run of letters of the main word
inline constexpr int kWord = 6;         // main word or a cross word not in the word list
inline constexpr int kNotTouching = 7;  // no tile touches a letter that was there before
inline constexpr int kNotOnStart = 8;   // first move of the game misses the starting square
inline constexpr int kTile = 9;         // bad slot, empty slot, bad position or too many tiles
}  // namespace moveerror

// One tile of the move being checked, in message order; all -1 in an entry not in use.
struct PlacedTile {
  int row = -1;
  int slot = -1;
  int column = -1;
  int letter = -1;

  bool operator==(const PlacedTile&) const = default;
};

class MoveChecker {
 public:
  using WordTest = std::function<bool(std::string_view word)>;
  using ErrorReport = std::function<void(int seat, int code)>;

  static constexpr int kMaxTiles = 8;
  static constexpr int kStartColumn = 5;
  static constexpr int kStartRow = 5;

  // isWord gets a lower-case word of 2 to 11 letters. reportError is called once per refused
  // move; the caller sends "CMD_playerror" only when that seat is in use.
  MoveChecker(WordTest isWord, ErrorReport reportError);

  // Game state that outlives a move: the core clears `board` and sets `firstmove` at a game
  // start and reads `board` for a newcomer. checkMove clears `firstmove` when it accepts a move,
  // so the starting-square rule ends with the first word even if the caller does not clear it.
  Board board;
  bool firstmove = false;

  // Reads the tile triples (column, row, slot) from `reader`, positioned just after the seat
  // field with its list not yet begun (this call begins it). `tiles` is the mover's rack, index
  // 1 to 8, never modified. On acceptance the tiles stay on the board, words() holds the words
  // (main word first, then the cross words along it), `turnscore` the points and `firstmove` is
  // clear; returns true.
  // On refusal the board's letters are exactly as before, turnscore is partial and meaningless,
  // reportError(seat, code) was called once; returns false.
  // Throws protocol::ParseError when a field does not parse: then nothing at all has changed
  // (board, turnscore, words) and nothing was reported.
  bool checkMove(int seat, const std::array<int, 9>& tiles, int& turnscore,
                 protocol::FieldReader& reader);

  // After acceptance: one item per laid tile in message order (column, row, slot, letter), the
  // "+l+" items of "CMD_goodword" and the slots to refill. Empty after a refusal.
  std::vector<protocol::LaidTile> laidTiles() const;

  const std::vector<std::string>& words() const { return words_; }
  int wordcount() const { return wordcount_; }
  const std::array<PlacedTile, kMaxTiles>& placed() const { return placed_; }
  int wordcolumn() const { return wordcolumn_; }
  int wordrow() const { return wordrow_; }

  // Letter value of a code 1 to 26; any other code is worth 0.
  static int scoreletter(int code);

 private:
  struct Triple {
    int x, y, slot;
  };

  void resetMove(int& turnscore);
  bool layTiles(int seat, const std::array<int, 9>& tiles, const std::vector<Triple>& triples);
  bool checkforonstart() const;
  bool coverssameletter() const;
  bool checkfortouching() const;
  int checkforvert() const;
  int checkforhorz() const;
  bool checkvertword(int seat, int column, int row, int& turnscore);
  bool checkhorzword(int seat, int row, int column, int& turnscore);
  bool checkvertline(int seat, int column, int row, int& turnscore);
  bool checkhorzline(int seat, int column, int row, int& turnscore);
  // The cells of one column (vertical) or one row, indexed by their position along it.
  struct Line {
    bool vertical;
    int fixed;  // the column of a vertical line, the row of a horizontal one
  };
  const BoardCell& cellAt(Line line, int k) const {
    return line.vertical ? board.at(line.fixed, k) : board.at(k, line.fixed);
  }
  // First and last position of the run of letters through `from` (just `from` when it is empty).
  std::pair<int, int> letterRun(Line line, int from) const;
  // The word of positions start to end; adds their letter values to turnscore.
  std::string spellRun(Line line, int start, int end, int& turnscore) const;
  bool checkmainword(int seat, Line line, int from, int& turnscore);
  bool checkcrossword(int seat, Line line, int from, int& turnscore);
  bool acceptWord(int seat, const std::string& word);
  void senderror(int seat, int code);
  bool hasLetter(int x, int y) const { return board.at(x, y).letter != -1; }

  WordTest isWord_;
  ErrorReport reportError_;
  std::array<PlacedTile, kMaxTiles> placed_{};
  int wordcolumn_ = -1;
  int wordrow_ = -1;
  std::vector<std::string> words_;
  int wordcount_ = 0;
};

}  // namespace korvel::server

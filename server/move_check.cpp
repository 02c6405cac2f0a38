#include "server/move_check.h"

#include <utility>

namespace korvel::server {

namespace {

// Letter code 1 to 26 to 'a' to 'z'. The board only ever holds such codes (the rack check lets
// nothing else on), so no other value reaches here.
char codeToLetter(int code) {
  return static_cast<char>('a' + code - 1);
}

}  // namespace

MoveChecker::MoveChecker(WordTest isWord, ErrorReport reportError)
    : isWord_(std::move(isWord)), reportError_(std::move(reportError)) {}

int MoveChecker::scoreletter(int code) {
  // clang-format off
  static constexpr int kValues[27] = {0,
  //  a  b  c  d  e  f  g  h  i  j  k  l  m  n  o  p  q   r  s  t  u  v  w  x  y  z
      1, 3, 3, 3, 1, 5, 3, 5, 1, 7, 7, 1, 3, 1, 1, 3, 10, 1, 1, 1, 1, 5, 5, 7, 5, 10};
  // clang-format on
  return code >= 1 && code <= 26 ? kValues[code] : 0;
}

bool MoveChecker::checkMove(int seat, const std::array<int, 9>& tiles, int& turnscore,
                            protocol::FieldReader& reader) {
  // Every field is read before anything changes, so a message that breaks off half way leaves
  // the board, the score and the last words untouched.
  std::vector<Triple> triples;
  reader.beginList();
  while (!reader.atListEnd()) {
    const int x = reader.intField();
    const int y = reader.intField();
    const int slot = reader.intField();
    triples.push_back({x, y, slot});
  }

  resetMove(turnscore);

  // More tiles than a rack holds can only come from a broken or hostile client.
  if (triples.size() > static_cast<std::size_t>(kMaxTiles)) {
    senderror(seat, moveerror::kTile);
    return false;
  }
  if (!layTiles(seat, tiles, triples)) return false;

  // A tile on the same letter leaves the board as it was, yet would score every word through it
  // again and refill the rack: points for nothing.
  if (coverssameletter()) {
    senderror(seat, moveerror::kPlacement);
    return false;
  }
  if (!firstmove && !checkfortouching()) {
    senderror(seat, moveerror::kNotTouching);
    return false;
  }
  if (firstmove && !checkforonstart()) {
    senderror(seat, moveerror::kNotOnStart);
    return false;
  }

  // At least one tile lies on the board here: with none, the touching or starting-square check
  // has already refused the move.
  const Triple& last = triples.back();
  wordcolumn_ = -1;
  wordrow_ = -1;
  if (triples.size() >= 2) {
    wordcolumn_ = checkforvert();
    wordrow_ = checkforhorz();
  } else {
    // A lone tile takes its direction from its neighbours; with neighbours both ways the
    // column wins and the row becomes its cross word.
    const int x = last.x;
    const int y = last.y;
    if ((x + 1 <= Board::kLast && hasLetter(x + 1, y)) || (x >= 1 && hasLetter(x - 1, y))) {
      wordrow_ = y;
    }
    if ((y + 1 <= Board::kLast && hasLetter(x, y + 1)) || (y >= 1 && hasLetter(x, y - 1))) {
      wordcolumn_ = x;
    }
  }
  if (wordcolumn_ == -1 && wordrow_ == -1) {
    senderror(seat, moveerror::kPlacement);
    return false;
  }

  const bool accepted = wordcolumn_ != -1 ? checkvertword(seat, wordcolumn_, last.y, turnscore)
                                          : checkhorzword(seat, wordrow_, last.x, turnscore);
  if (accepted) firstmove = false;
  return accepted;
}

void MoveChecker::resetMove(int& turnscore) {
  turnscore = 0;
  for (int x = Board::kRingLow; x <= Board::kRingHigh; ++x) {
    for (int y = Board::kRingLow; y <= Board::kRingHigh; ++y) {
      BoardCell& cell = board.at(x, y);
      cell.under = -1;
      cell.slot = -1;
      cell.owner = -1;
    }
  }
  placed_.fill(PlacedTile{});
  words_.clear();
  wordcount_ = 0;
}

bool MoveChecker::layTiles(int seat, const std::array<int, 9>& tiles,
                           const std::vector<Triple>& triples) {
  for (std::size_t i = 0; i < triples.size(); ++i) {
    const auto [x, y, slot] = triples[i];
    if (!Board::onBoard(x, y)) {
      senderror(seat, moveerror::kTile);
      return false;
    }
    BoardCell& cell = board.at(x, y);
    // A tile of this move already lies here. Covering it would make the first tile's letter
    // look like an old letter, which a refusal would then leave behind on the board.
    if (cell.under != -1 || cell.slot != -1) {
      senderror(seat, moveerror::kSameCell);
      return false;
    }
    if (slot < 1 || slot > kMaxTiles) {
      senderror(seat, moveerror::kTile);
      return false;
    }
    for (std::size_t j = 0; j < i; ++j) {
      // One rack tile cannot lie in two cells.
      if (placed_[j].slot == slot) {
        senderror(seat, moveerror::kTile);
        return false;
      }
    }
    const int letter = tiles[static_cast<std::size_t>(slot)];
    if (letter < 1 || letter > 26) {
      senderror(seat, moveerror::kTile);
      return false;
    }
    if (cell.letter != -1) cell.under = cell.letter;
    placed_[i] = PlacedTile{y, slot, x, letter};
    cell.slot = slot;
    cell.letter = letter;
    cell.owner = seat;
  }
  return true;
}

bool MoveChecker::checkforonstart() const {
  for (const PlacedTile& p : placed_) {
    if (p.column == kStartColumn && p.row == kStartRow) return true;
  }
  return false;
}

bool MoveChecker::coverssameletter() const {
  for (const PlacedTile& p : placed_) {
    if (p.column != -1 && board.at(p.column, p.row).under == p.letter) return true;
  }
  return false;
}

bool MoveChecker::checkfortouching() const {
  for (const PlacedTile& p : placed_) {
    if (p.column == -1) continue;
    if (board.at(p.column, p.row).under != -1) return true;
    const int neighbours[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& d : neighbours) {
      const BoardCell& n = board.at(p.column + d[0], p.row + d[1]);
      if (n.letter != -1 && n.slot == -1) return true;
    }
  }
  return false;
}

int MoveChecker::checkforvert() const {
  const int column = placed_[0].column;
  for (std::size_t i = 1; i < placed_.size(); ++i) {
    if (placed_[i].column != -1 && placed_[i].column != column) return -1;
  }
  return column;
}

int MoveChecker::checkforhorz() const {
  const int row = placed_[0].row;
  for (std::size_t i = 1; i < placed_.size(); ++i) {
    if (placed_[i].row != -1 && placed_[i].row != row) return -1;
  }
  return row;
}

std::pair<int, int> MoveChecker::letterRun(Line line, int from) const {
  int start = from;
  for (int k = from; k >= Board::kFirst && cellAt(line, k).letter != -1; --k) start = k;
  int end = from;
  for (int k = from; k <= Board::kLast && cellAt(line, k).letter != -1; ++k) end = k;
  return {start, end};
}

std::string MoveChecker::spellRun(Line line, int start, int end, int& turnscore) const {
  std::string word;
  for (int k = start; k <= end; ++k) {
    const int code = cellAt(line, k).letter;
    word += codeToLetter(code);
    turnscore += scoreletter(code);
  }
  return word;
}

bool MoveChecker::checkmainword(int seat, Line line, int from, int& turnscore) {
  const auto [start, end] = letterRun(line, from);
  // Every tile of the move must lie inside the run, or the move has a gap.
  for (const PlacedTile& p : placed_) {
    const int along = line.vertical ? p.row : p.column;
    if (along != -1 && (along < start || along > end)) {
      senderror(seat, moveerror::kGap);
      return false;
    }
  }
  if (!acceptWord(seat, spellRun(line, start, end, turnscore))) return false;

  // Cross words through the tiles of this move, in order along the main word.
  for (int k = start; k <= end; ++k) {
    if (cellAt(line, k).owner != seat) continue;
    const bool crossed = line.vertical ? checkhorzline(seat, line.fixed, k, turnscore)
                                       : checkvertline(seat, k, line.fixed, turnscore);
    if (!crossed) return false;
  }
  return true;
}

bool MoveChecker::checkcrossword(int seat, Line line, int from, int& turnscore) {
  const auto [start, end] = letterRun(line, from);
  // A single letter is no word and scores nothing.
  if (end == start) return true;
  return acceptWord(seat, spellRun(line, start, end, turnscore));
}

bool MoveChecker::checkvertword(int seat, int column, int row, int& turnscore) {
  return checkmainword(seat, {true, column}, row, turnscore);
}

bool MoveChecker::checkhorzword(int seat, int row, int column, int& turnscore) {
  return checkmainword(seat, {false, row}, column, turnscore);
}

bool MoveChecker::checkvertline(int seat, int column, int row, int& turnscore) {
  return checkcrossword(seat, {true, column}, row, turnscore);
}

bool MoveChecker::checkhorzline(int seat, int column, int row, int& turnscore) {
  return checkcrossword(seat, {false, row}, column, turnscore);
}

bool MoveChecker::acceptWord(int seat, const std::string& word) {
  if (!isWord_(word)) {
    senderror(seat, moveerror::kWord);
    return false;
  }
  words_.push_back(word);
  wordcount_ = static_cast<int>(words_.size());
  return true;
}

void MoveChecker::senderror(int seat, int code) {
  for (PlacedTile& p : placed_) {
    if (p.column == -1) continue;
    BoardCell& cell = board.at(p.column, p.row);
    cell.letter = cell.under;
    cell.under = -1;
    cell.slot = -1;
    cell.owner = -1;
    p.column = -1;
    p.row = -1;
  }
  reportError_(seat, code);
}

std::vector<protocol::LaidTile> MoveChecker::laidTiles() const {
  std::vector<protocol::LaidTile> laid;
  for (const PlacedTile& p : placed_) {
    if (p.slot != -1 && p.column != -1) laid.push_back({p.column, p.row, p.slot, p.letter});
  }
  return laid;
}

}  // namespace korvel::server

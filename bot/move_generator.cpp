#include "bot/move_generator.h"

#include <bit>
#include <cstdint>

#include "server/move_check.h"

namespace korvel::bot {

namespace {

constexpr int kUnreachable = 1 << 20;

std::uint32_t bit(int code) {
  return 1u << (code - 1);
}

bool isLetter(int code) {
  return code >= 1 && code <= 26;
}

// One row (horizontal) or column, seen as positions 0 to 10 along it, with what the search
// needs to know about each cell.
struct LineView {
  bool vertical = false;
  int fixed = 0;                    // the row of a horizontal line, the column of a vertical one
  int occ[kSide] = {};              // board letter, 0 when empty
  std::uint32_t cross[kSide] = {};  // letters a tile here may have for its cross word
  int crossSum[kSide] = {};         // value of the cross word's other letters
  bool hasCross[kSide] = {};        // a tile here forms a cross word
  bool start[kSide] = {};           // the starting square
  int need[kSide] = {};  // tiles needed from here to reach a cell that makes the move legal

  int x(int pos) const { return vertical ? fixed : pos; }
  int y(int pos) const { return vertical ? pos : fixed; }
};

// The cross word through (x, y) across a line: the letters before and after it on the board.
void crossFor(const Lexicon& lex, const BoardLetters& board, int x, int y, bool acrossIsVertical,
              std::uint32_t& mask, int& sum, bool& has) {
  const int dx = acrossIsVertical ? 0 : 1;
  const int dy = acrossIsVertical ? 1 : 0;
  int before[kSide], after[kSide];
  int nb = 0, na = 0;
  sum = 0;
  for (int cx = x - dx, cy = y - dy; cx >= 0 && cy >= 0 && board[cx][cy] != 0; cx -= dx, cy -= dy)
    before[nb++] = board[cx][cy];
  for (int cx = x + dx, cy = y + dy; cx < kSide && cy < kSide && board[cx][cy] != 0;
       cx += dx, cy += dy)
    after[na++] = board[cx][cy];
  has = nb + na > 0;
  if (!has) {
    mask = Lexicon::kAllLetters;
    return;
  }
  for (int i = 0; i < nb; ++i) sum += letterValue(before[i]);
  for (int i = 0; i < na; ++i) sum += letterValue(after[i]);
  // The run before was collected walking away from the cell; the word reads the other way.
  int prefix[kSide];
  for (int i = 0; i < nb; ++i) prefix[i] = before[nb - 1 - i];
  mask = 0;
  const Lexicon::NodeId node = lex.walk(Lexicon::kRoot, prefix, nb);
  if (node == Lexicon::kNone) return;
  for (std::uint32_t options = lex.letters(node); options; options &= options - 1) {
    const int code = std::countr_zero(options) + 1;
    const Lexicon::NodeId end = lex.walk(lex.child(node, code), after, na);
    if (end != Lexicon::kNone && lex.terminal(end)) mask |= bit(code);
  }
}

// Walks one line from one starting cell through the lexicon, laying rack tiles on empty cells
// and keeping or covering board letters, and hands every legal move to the sink.
template <class Sink>
class LineWalker {
 public:
  LineWalker(const Lexicon& lex, const LineView& line, bool first, const int (&counts)[27],
             int tiles, Sink& sink)
      : lex_(lex), line_(line), first_(first), left_(tiles), sink_(sink) {
    for (int c = 1; c <= 26; ++c) {
      counts_[c] = counts[c];
      if (counts_[c] > 0) rackMask_ |= bit(c);
    }
  }

  void walk(int pos) { extend(pos, Lexicon::kRoot, 0, 0, 0, false); }

 private:
  void extend(int pos, Lexicon::NodeId node, int len, int mainSum, int crossTotal, bool anchored) {
    const std::uint32_t next = lex_.letters(node);
    const int board = line_.occ[pos];
    if (board != 0) {
      if (next & bit(board)) step(pos, node, board, false, len, mainSum, crossTotal, anchored);
    } else if (!anchored && line_.need[pos] > left_) {
      return;
    }
    std::uint32_t allowed = next & line_.cross[pos] & rackMask_;
    // A tile on a board letter must change it: the server refuses one that covers the same
    // letter.
    if (board != 0) allowed &= ~bit(board);
    for (std::uint32_t options = allowed; options; options &= options - 1) {
      step(pos, node, std::countr_zero(options) + 1, true, len, mainSum, crossTotal, anchored);
    }
  }

  void step(int pos, Lexicon::NodeId node, int code, bool tile, int len, int mainSum,
            int crossTotal, bool anchored) {
    const Lexicon::NodeId child = lex_.child(node, code);
    const int value = letterValue(code);
    mainSum += value;
    ++len;
    if (tile) {
      if (line_.hasCross[pos]) crossTotal += line_.crossSum[pos] + value;
      anchored = anchored || (first_ ? line_.start[pos] : line_.occ[pos] || line_.hasCross[pos]);
      take(pos, code);
    } else if (!first_) {
      anchored = true;  // a letter that was there before lies inside the main word
    }
    const int nextPos = pos + 1;
    const bool open = nextPos >= kSide || line_.occ[nextPos] == 0;
    if (laid_ > 0 && anchored && open && len >= 2 && lex_.terminal(child)) {
      sink_.found(line_, pos_, code_, laid_, mainSum + crossTotal);
    }
    if (nextPos < kSide && (!open || left_ > 0)) {
      extend(nextPos, child, len, mainSum, crossTotal, anchored);
    }
    if (tile) giveBack(code);
  }

  void take(int pos, int code) {
    pos_[laid_] = pos;
    code_[laid_] = code;
    ++laid_;
    --left_;
    if (--counts_[code] == 0) rackMask_ &= ~bit(code);
  }
  void giveBack(int code) {
    --laid_;
    ++left_;
    if (counts_[code]++ == 0) rackMask_ |= bit(code);
  }

  const Lexicon& lex_;
  const LineView& line_;
  const bool first_;
  int counts_[27] = {};
  std::uint32_t rackMask_ = 0;
  int left_;
  int pos_[kRackSize] = {};
  int code_[kRackSize] = {};
  int laid_ = 0;
  Sink& sink_;
};

// The rack slots for the letters laid: the lowest unused slot holding each letter.
Move makeMove(const LineView& line, const int* pos, const int* code, int laid, int score,
              const RackCodes& rack) {
  Move move;
  move.score = score;
  bool used[kRackSize] = {};
  for (int i = 0; i < laid; ++i) {
    int slot = 0;
    for (int k = 0; k < kRackSize; ++k) {
      if (!used[k] && rack[k] == code[i]) {
        used[k] = true;
        slot = k + 1;
        break;
      }
    }
    move.tiles.push_back({line.x(pos[i]), line.y(pos[i]), slot, code[i]});
  }
  return move;
}

struct BestSink {
  int score = -1;
  LineView line;
  int pos[kRackSize] = {};
  int code[kRackSize] = {};
  int laid = 0;

  void found(const LineView& l, const int* p, const int* c, int n, int s) {
    if (s <= score) return;
    score = s;
    line = l;
    laid = n;
    for (int i = 0; i < n; ++i) {
      pos[i] = p[i];
      code[i] = c[i];
    }
  }
};

struct VisitSink {
  const RackCodes& rack;
  const std::function<void(const Move&)>& visit;
  void found(const LineView& l, const int* p, const int* c, int n, int s) {
    visit(makeMove(l, p, c, n, s, rack));
  }
};

}  // namespace

int letterValue(int code) {
  return server::MoveChecker::scoreletter(code);
}

template <class Sink>
void MoveGenerator::search(const BoardLetters& board, const RackCodes& rack, bool firstmove,
                           Sink& sink) const {
  int counts[27] = {};
  int tiles = 0;
  for (int code : rack) {
    if (isLetter(code)) {
      ++counts[code];
      ++tiles;
    }
  }
  if (tiles == 0) return;
  BoardLetters letters{};
  for (int x = 0; x < kSide; ++x)
    for (int y = 0; y < kSide; ++y) letters[x][y] = isLetter(board[x][y]) ? board[x][y] : 0;

  for (int vertical = 0; vertical <= 1; ++vertical) {
    for (int fixed = 0; fixed < kSide; ++fixed) {
      LineView line;
      line.vertical = vertical != 0;
      line.fixed = fixed;
      for (int p = 0; p < kSide; ++p) {
        const int x = line.x(p), y = line.y(p);
        line.occ[p] = letters[x][y];
        line.start[p] = x == kStartColumn && y == kStartRow;
        crossFor(lexicon_, letters, x, y, !line.vertical, line.cross[p], line.crossSum[p],
                 line.hasCross[p]);
      }
      // Tiles needed from each cell on to reach the first cell that makes the move legal: the
      // starting square (covered by a tile) on the first move, else a board letter or a cell
      // whose tile would form a cross word.
      int need = kUnreachable;
      for (int p = kSide - 1; p >= 0; --p) {
        const bool empty = line.occ[p] == 0;
        if (firstmove ? line.start[p] : (!empty || line.hasCross[p])) {
          need = (firstmove || empty) ? 1 : 0;
        } else if (need != kUnreachable) {
          need += empty ? 1 : 0;
        }
        line.need[p] = need;
      }
      LineWalker<Sink> walker(lexicon_, line, firstmove, counts, tiles, sink);
      for (int s = 0; s < kSide; ++s) {
        // A word starts after an empty cell or the edge, and must reach a legal cell.
        if (s > 0 && line.occ[s - 1] != 0) continue;
        if (line.need[s] > tiles) continue;
        walker.walk(s);
      }
    }
  }
}

std::optional<Move> MoveGenerator::best(const BoardLetters& board, const RackCodes& rack,
                                        bool firstmove) const {
  BestSink sink;
  search(board, rack, firstmove, sink);
  if (sink.score < 0) return std::nullopt;
  return makeMove(sink.line, sink.pos, sink.code, sink.laid, sink.score, rack);
}

void MoveGenerator::forEach(const BoardLetters& board, const RackCodes& rack, bool firstmove,
                            const std::function<void(const Move&)>& visit) const {
  VisitSink sink{rack, visit};
  search(board, rack, firstmove, sink);
}

}  // namespace korvel::bot

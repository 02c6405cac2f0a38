#pragma once
// The tally's grid of text cells and its text format: the column count, the row count, then every
// cell column by column (all rows of column 0, then column 1, ...), one per line, lines ending
// CR LF.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::records {

// A count or a counter cell that is not a decimal integer.
class TallyConversionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads a decimal integer (optional sign, digits, 32-bit range); throws TallyConversionError
// with the text "'<text>' is not a valid integer value" otherwise.
int tallyToInt(std::string_view text);

class TallyGrid {
 public:
  TallyGrid(int colCount = 9, int rowCount = 1) { resize(colCount, rowCount); }

  int colCount() const { return cols_; }
  int rowCount() const { return rows_; }
  // Changes the counts; cells inside both the old and the new size keep their text, new cells
  // are empty.
  void resize(int colCount, int rowCount);

  const std::string& cell(int col, int row) const { return cells_.at(index(col, row)); }
  void setCell(int col, int row, std::string text) { cells_.at(index(col, row)) = std::move(text); }

  // The text format. A line break inside a cell would split it into two lines and shift every
  // later cell, so it is written as a space.
  std::string toText() const;

  // Reads the text format onto this grid: the first two lines set the counts, then cells are
  // filled in order until the lines run out (cells not reached keep their text). Throws
  // TallyConversionError for a count that is not a number, std::out_of_range for an impossible
  // count (the grid is left as it was then).
  void loadText(std::string_view text);

  static constexpr int kMaxCols = 256;
  static constexpr int kMaxRows = 100000;

 private:
  std::size_t index(int col, int row) const {
    if (col < 0 || col >= cols_ || row < 0 || row >= rows_) throw std::out_of_range("tally cell");
    return static_cast<std::size_t>(row) * cols_ + col;
  }
  int cols_ = 0;
  int rows_ = 0;
  std::vector<std::string> cells_;
};

}  // namespace korvel::records

#include "records/tally_grid.h"

#include <charconv>
#include <limits>

namespace korvel::records {

int tallyToInt(std::string_view text) {
  const auto error = [text] {
    std::string message = "'";
    message.append(text).append("' is not a valid integer value");
    return TallyConversionError(message);
  };
  std::string_view digits = text;
  const bool negative = !digits.empty() && digits.front() == '-';
  if (!digits.empty() && (digits.front() == '-' || digits.front() == '+')) digits.remove_prefix(1);
  if (digits.empty() || digits.front() < '0' || digits.front() > '9') throw error();
  long long value = 0;
  const char* last = digits.data() + digits.size();
  const auto [end, ec] = std::from_chars(digits.data(), last, value);
  if (ec != std::errc() || end != last) throw error();
  if (negative) value = -value;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    throw error();
  }
  return static_cast<int>(value);
}

void TallyGrid::resize(int colCount, int rowCount) {
  if (colCount < 1 || colCount > kMaxCols || rowCount < 1 || rowCount > kMaxRows) {
    throw std::out_of_range("The tally has an impossible size: " + std::to_string(colCount) +
                            " columns, " + std::to_string(rowCount) + " rows");
  }
  std::vector<std::string> cells(static_cast<std::size_t>(colCount) * rowCount);
  for (int row = 0; row < std::min(rows_, rowCount); ++row) {
    for (int col = 0; col < std::min(cols_, colCount); ++col) {
      cells[static_cast<std::size_t>(row) * colCount + col] = std::move(cells_[index(col, row)]);
    }
  }
  cells_ = std::move(cells);
  cols_ = colCount;
  rows_ = rowCount;
}

std::string TallyGrid::toText() const {
  std::string text = std::to_string(cols_) + "\r\n" + std::to_string(rows_) + "\r\n";
  for (int col = 0; col < cols_; ++col) {
    for (int row = 0; row < rows_; ++row) {
      for (char c : cell(col, row)) text += (c == '\r' || c == '\n') ? ' ' : c;
      text += "\r\n";
    }
  }
  return text;
}

namespace {

// Splits off the next line (ended by CR LF or LF); false when no text is left.
bool nextLine(std::string_view& rest, std::string_view& line) {
  if (rest.empty()) return false;
  const std::size_t lf = rest.find('\n');
  line = rest.substr(0, lf);
  rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return true;
}

}  // namespace

void TallyGrid::loadText(std::string_view text) {
  std::string_view line;
  const int cols = nextLine(text, line) ? tallyToInt(line) : tallyToInt("");
  const int rows = nextLine(text, line) ? tallyToInt(line) : tallyToInt("");
  resize(cols, rows);
  for (int col = 0; col < cols_; ++col) {
    for (int row = 0; row < rows_; ++row) {
      if (!nextLine(text, line)) return;
      setCell(col, row, std::string(line));
    }
  }
}

}  // namespace korvel::records

#include "records/tally_record.h"

#include <limits>

namespace korvel::records {

TallyRecord::TallyRecord() : grid_(kColumns, 1) {
  for (int col = 0; col < kColumns; ++col) grid_.setCell(col, 0, "0");
}

void TallyRecord::loadtally() {
  if (grid_.colCount() < kColumns) grid_.resize(kColumns, grid_.rowCount());
  for (int row = 1; row < grid_.rowCount(); ++row) {
    for (int col = 5; col <= 8; ++col) grid_.setCell(col, row, "0");
  }
}

std::vector<std::string> TallyRecord::followed() const {
  std::vector<std::string> names;
  for (int row = 1; row < grid_.rowCount(); ++row) names.push_back(grid_.cell(0, row));
  return names;
}

int TallyRecord::indexOfFollowed(std::string_view name) const {
  for (int row = 1; row < grid_.rowCount(); ++row) {
    if (grid_.cell(0, row) == name) return row - 1;
  }
  return -1;
}

int TallyRecord::addit(int col, int row) {
  const int value = tallyToInt(grid_.cell(col, row));
  // A count at the largest integer stays there instead of wrapping to a negative count.
  const int next = value == std::numeric_limits<int>::max() ? value : value + 1;
  grid_.setCell(col, row, std::to_string(next));
  return next;
}

void TallyRecord::addgame(std::string_view winner, bool mine,
                          const std::vector<std::string>& playersInGame) {
  addtomineincrease(1);
  if (mine) addtomineincrease(2);
  for (const std::string& name : playersInGame) {
    const int index = indexOfFollowed(name);
    if (index < 0) continue;
    const int row = index + 1;
    for (int col = 1; col <= 8; ++col) {
      if (grid_.cell(col, row).empty()) grid_.setCell(col, row, "0");
    }
    addit(1, row);
    addit(5, row);
    if (mine) {
      addit(3, row);
      addit(7, row);
    } else if (grid_.cell(0, row) == winner) {
      addit(2, row);
      addit(6, row);
    } else {
      addit(4, row);
      addit(8, row);
    }
  }
}

bool TallyRecord::follow(const std::string& name) {
  if (indexOfFollowed(name) >= 0) return false;
  const int row = grid_.rowCount();
  grid_.resize(grid_.colCount(), row + 1);
  grid_.setCell(0, row, name);
  for (int col = 1; col < kColumns; ++col) grid_.setCell(col, row, "0");
  return true;
}

void TallyRecord::moverow(int row) {
  if (row < 1 || row >= grid_.rowCount()) return;
  for (int r = row; r + 1 < grid_.rowCount(); ++r) {
    for (int col = 0; col < grid_.colCount(); ++col) grid_.setCell(col, r, grid_.cell(col, r + 1));
  }
  grid_.resize(grid_.colCount(), grid_.rowCount() - 1);
}

void TallyRecord::reset() {
  for (int col = 1; col <= 4; ++col) grid_.setCell(col, 0, "0");
  grid_.resize(grid_.colCount(), 1);
}

}  // namespace korvel::records

#pragma once
// The tally of won games: row 0 holds the local player's own totals (column 1 games played,
// column 2 games won), each further row one followed opponent in the order they were followed
// (column 0 the name; 1 games played together, 2 the opponent's wins, 3 the local player's wins,
// 4 games neither won; 5 to 8 the same four counts for the current run). The followed names are
// column 0 of rows 1 and on, so list position i is row i + 1.

#include <string>
#include <string_view>
#include <vector>

#include "records/tally_grid.h"

namespace korvel::records {

class TallyRecord {
 public:
  static constexpr int kColumns = 9;
  // Own totals at "0", nobody followed.
  TallyRecord();

  const TallyGrid& grid() const { return grid_; }
  const std::string& cell(int col, int row) const { return grid_.cell(col, row); }

  // Replaces the grid with the text format (loadgrid); on a failure part of it may have been
  // read. loadtally() should follow.
  void loadgrid(std::string_view text) { grid_.loadText(text); }
  // Prepares a loaded grid for this run: current-run columns 5 to 8 of every opponent start at
  // "0". A grid narrower than 9 columns is widened.
  void loadtally();

  // The followed opponents' names, in row order.
  std::vector<std::string> followed() const;
  // Position of name among the followed, or -1.
  int indexOfFollowed(std::string_view name) const;

  // Counts a finished game. mine says whether the local player won; it is never inferred from
  // the winner's name, so an opponent who calls himself anything at all is counted by his name.
  // winner is the winner text (a tie names several players and matches nobody). playersInGame are
  // the other players of the game in seat order. Throws TallyConversionError when a counter cell is
  // not a number; what was counted before stays.
  void addgame(std::string_view winner, bool mine, const std::vector<std::string>& playersInGame);
  // Adds 1 to a cell and returns the new value.
  int addit(int col, int row);
  // Adds 1 to a cell of row 0 and returns the new value.
  int addtomineincrease(int col) { return addit(col, 0); }

  // Follows an opponent: appends a row with "0" counts unless the name is followed already.
  // Returns whether a row was added.
  bool follow(const std::string& name);
  // Removes a row, moving the rows below it up; rows start at 1 (row 0 is never removed).
  void moverow(int row);
  // Own totals back to "0", every opponent dropped.
  void reset();

 private:
  TallyGrid grid_;
};

}  // namespace korvel::records

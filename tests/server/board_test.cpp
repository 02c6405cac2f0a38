#include "server/board.h"

#include <gtest/gtest.h>

using korvel::server::Board;
using korvel::server::BoardCell;

namespace {

TEST(Board, HoldsEveryCellOfTheRingSeparatelyAndClearsAllToMinusOne) {
  Board board;
  int n = 0;
  for (int x = -1; x <= 11; ++x) {
    for (int y = -1; y <= 11; ++y) {
      ASSERT_EQ(board.at(x, y), (BoardCell{-1, -1, -1, -1})) << x << "," << y;
      board.at(x, y) = {n, n, n, n};
      ++n;
    }
  }
  n = 0;  // no two coordinates share storage
  for (int x = -1; x <= 11; ++x) {
    for (int y = -1; y <= 11; ++y, ++n) ASSERT_EQ(board.at(x, y).under, n) << x << "," << y;
  }
  board.clear();
  EXPECT_EQ(board, Board{});
}

TEST(Board, ListsOccupiedCellsColumnByColumnThenRowByRow) {
  Board board;
  EXPECT_TRUE(board.occupiedCells().empty());
  board.at(3, 7).letter = 1;
  board.at(10, 0).letter = 26;
  board.at(3, 2).letter = 5;
  board.at(0, 10).letter = 19;
  board.at(4, 4).slot = 1;  // the marks of a move are no letters
  std::string listed;
  for (const auto& c : board.occupiedCells()) {
    listed += std::to_string(c.x) + "," + std::to_string(c.y) + "=" + std::to_string(c.code) + " ";
  }
  EXPECT_EQ(listed, "0,10=19 3,2=5 3,7=1 10,0=26 ");
}

TEST(Board, AcceptsOnlyLetterCodesOnThePlayingArea) {
  struct Case {
    int x, y, letter;
    bool valid;
  } cases[] = {
      {0, 0, 1, true},   {10, 10, 26, true}, {5, 5, -1, true},   {5, 5, 0, false},
      {5, 5, 27, false}, {5, 5, -2, false},  {-1, 5, 1, false},  {11, 5, 1, false},
      {5, -1, 1, false}, {5, 11, 1, false},  {-1, -1, 3, false}, {11, 11, 26, false},
  };
  for (const Case& c : cases) {
    Board board;
    board.at(4, 4) = {0, 8, 3, 9};  // only the letter counts
    board.at(c.x, c.y).letter = c.letter;
    EXPECT_EQ(board.lettersValid(), c.valid) << c.x << "," << c.y << " = " << c.letter;
  }
}

}  // namespace

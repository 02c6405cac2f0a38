#include "server/board.h"

#include <gtest/gtest.h>

using korvel::server::Board;
using korvel::server::BoardCell;

namespace {

TEST(Board, StartsAndClearsToMinusOneInEveryFieldOfEveryCell) {
  Board board;
  for (int x = -1; x <= 11; ++x) {
    for (int y = -1; y <= 11; ++y) {
      EXPECT_EQ(board.at(x, y), (BoardCell{-1, -1, -1, -1})) << x << "," << y;
    }
  }
  board.at(0, 0) = {1, 2, 3, 4};
  board.at(10, 10).letter = 26;
  board.at(-1, 11).owner = 2;
  EXPECT_NE(board, Board{});
  board.clear();
  EXPECT_EQ(board, Board{});
}

TEST(Board, KeepsCellsApart) {
  // Every cell, the ring included, is its own storage: no two coordinates share one.
  Board board;
  int n = 0;
  for (int x = -1; x <= 11; ++x) {
    for (int y = -1; y <= 11; ++y) board.at(x, y).under = n++;
  }
  n = 0;
  for (int x = -1; x <= 11; ++x) {
    for (int y = -1; y <= 11; ++y) EXPECT_EQ(board.at(x, y).under, n++) << x << "," << y;
  }
}

TEST(Board, ListsOccupiedCellsColumnByColumnThenRowByRow) {
  Board board;
  EXPECT_TRUE(board.occupiedCells().empty());
  board.at(3, 7).letter = 1;
  board.at(10, 0).letter = 26;
  board.at(3, 2).letter = 5;
  board.at(0, 10).letter = 19;
  board.at(4, 4).slot = 1;  // marks of a move are no letters
  const auto cells = board.occupiedCells();
  ASSERT_EQ(cells.size(), 4u);
  const int expected[4][3] = {{0, 10, 19}, {3, 2, 5}, {3, 7, 1}, {10, 0, 26}};
  for (std::size_t i = 0; i < cells.size(); ++i) {
    EXPECT_EQ(cells[i].x, expected[i][0]) << i;
    EXPECT_EQ(cells[i].y, expected[i][1]) << i;
    EXPECT_EQ(cells[i].code, expected[i][2]) << i;
  }
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
    board.at(4, 4).letter = 3;
    board.at(c.x, c.y).letter = c.letter;
    EXPECT_EQ(board.lettersValid(), c.valid) << c.x << "," << c.y << " = " << c.letter;
  }
  // Only the letter matters: marks of a move carry other numbers.
  Board board;
  board.at(2, 2) = {0, 8, 7, 9};
  EXPECT_TRUE(board.lettersValid());
}

TEST(Board, TellsPlayablePositions) {
  EXPECT_TRUE(Board::onBoard(0, 0));
  EXPECT_TRUE(Board::onBoard(10, 10));
  EXPECT_TRUE(Board::onBoard(5, 0));
  EXPECT_FALSE(Board::onBoard(-1, 5));
  EXPECT_FALSE(Board::onBoard(11, 5));
  EXPECT_FALSE(Board::onBoard(5, -1));
  EXPECT_FALSE(Board::onBoard(5, 11));
}

}  // namespace

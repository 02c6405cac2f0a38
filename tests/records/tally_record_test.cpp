#include "records/tally_record.h"

#include <gtest/gtest.h>

#include "records/tally_grid.h"

using namespace korvel::records;

namespace {

std::string lines(std::initializer_list<const char*> items) {
  std::string text;
  for (const char* item : items) text += std::string(item) + "\r\n";
  return text;
}

// Columns 1 to 8 of a row, joined by spaces.
std::string counts(const TallyRecord& r, int row) {
  std::string out;
  for (int col = 1; col <= 8; ++col) out += (col > 1 ? " " : "") + r.cell(col, row);
  return out;
}

}  // namespace

TEST(TallyGrid, OneFollowedOpponentIsTwentyLinesColumnByColumn) {
  TallyRecord r;
  r.follow("Bob");
  r.addgame("Bob", false, {"Bob"});
  EXPECT_EQ(r.grid().toText(), lines({"9", "2", "0", "Bob", "1", "1", "0", "1", "0", "0",
                                      "0", "0", "0", "1",   "0", "1", "0", "0", "0", "0"}));
}

TEST(TallyGrid, LoadingTakesTheCountsFromTheFirstTwoLines) {
  struct Case {
    const char* what;
    std::string text;
    int cols, rows;
    std::string lastCell;  // cell (cols - 1, rows - 1) after loading
  } cases[] = {
      {"two rows", lines({"9", "2", "0", "Bob", "3", "2", "1", "1", "0", "1",
                          "1", "0", "0", "0",   "0", "0", "0", "0", "0", "7"}),
       9, 2, "7"},
      {"bare LF line ends", "2\n2\na\nb\nc\nd\n", 2, 2, "d"},
      {"no line end after the last cell", "1\r\n1\r\nonly", 1, 1, "only"},
      {"cells cut short stay empty", lines({"3", "2", "a", "b", "c"}), 3, 2, ""},
  };
  for (const auto& c : cases) {
    TallyGrid g;
    g.loadText(c.text);
    EXPECT_EQ(g.colCount(), c.cols) << c.what;
    EXPECT_EQ(g.rowCount(), c.rows) << c.what;
    EXPECT_EQ(g.cell(c.cols - 1, c.rows - 1), c.lastCell) << c.what;
  }
}

TEST(TallyGrid, RejectsCountsThatAreNotUsable) {
  for (const std::string& text :
       {std::string(""), lines({"nine", "1"}), lines({"9"}), lines({"9", "1.5"})}) {
    TallyGrid g;
    EXPECT_THROW(g.loadText(text), TallyConversionError) << text;
  }
  for (const std::string& text :
       {lines({"9", "0"}), lines({"0", "1"}), lines({"9", "-3"}), lines({"9", "2000000000"})}) {
    TallyGrid g;
    EXPECT_THROW(g.loadText(text), std::out_of_range) << text;
  }
}

TEST(TallyGrid, ALineBreakInANameCannotShiftTheCells) {
  TallyRecord r;
  r.follow("Evil\r\n5");
  TallyGrid back;
  back.loadText(r.grid().toText());
  EXPECT_EQ(back.rowCount(), 2);
  EXPECT_EQ(back.cell(0, 1), "Evil  5");
  EXPECT_EQ(back.cell(8, 1), "0");
}

TEST(TallyGrid, ConvertsOnlyDecimalIntegers) {
  EXPECT_EQ(tallyToInt("0"), 0);
  EXPECT_EQ(tallyToInt("42"), 42);
  EXPECT_EQ(tallyToInt("-7"), -7);
  EXPECT_EQ(tallyToInt("+7"), 7);
  EXPECT_EQ(tallyToInt("2147483647"), 2147483647);
  for (const char* bad : {"", "-", "x1", "1x", " 1", "2147483648", "0x10"}) {
    try {
      tallyToInt(bad);
      ADD_FAILURE() << bad;
    } catch (const TallyConversionError& e) {
      EXPECT_EQ(e.what(), "'" + std::string(bad) + "' is not a valid integer value");
    }
  }
}

TEST(TallyRecord, AddgameCountsOwnTotalsAndFollowedOpponentsInTheGame) {
  struct Case {
    const char* what;
    std::string winner;
    bool mine;
    std::vector<std::string> inGame;
    std::string own;  // own games and wins
    std::string ann, bob;
  } cases[] = {
      {"local player wins",
       "Me",
       true,
       {"Ann", "Bob"},
       "1 1",
       "1 0 1 0 1 0 1 0",
       "1 0 1 0 1 0 1 0"},
      {"followed opponent wins",
       "Ann",
       false,
       {"Ann", "Bob"},
       "1 0",
       "1 1 0 0 1 1 0 0",
       "1 0 0 1 1 0 0 1"},
      {"a tie matches no single name",
       "Ann Bob",
       false,
       {"Ann", "Bob"},
       "1 0",
       "1 0 0 1 1 0 0 1",
       "1 0 0 1 1 0 0 1"},
      {"someone not followed wins",
       "Cid",
       false,
       {"Bob", "Cid"},
       "1 0",
       "0 0 0 0 0 0 0 0",
       "1 0 0 1 1 0 0 1"},
      {"followed opponents outside the game are not counted",
       "Me",
       true,
       {"Dan"},
       "1 1",
       "0 0 0 0 0 0 0 0",
       "0 0 0 0 0 0 0 0"},
      {"names compare exactly",
       "ann",
       false,
       {"ann", "BOB"},
       "1 0",
       "0 0 0 0 0 0 0 0",
       "0 0 0 0 0 0 0 0"},
  };
  for (const auto& c : cases) {
    TallyRecord r;
    r.follow("Ann");
    r.follow("Bob");
    r.addgame(c.winner, c.mine, c.inGame);
    EXPECT_EQ(r.cell(1, 0) + " " + r.cell(2, 0), c.own) << c.what;
    EXPECT_EQ(counts(r, 1), c.ann) << c.what;
    EXPECT_EQ(counts(r, 2), c.bob) << c.what;
  }
}

TEST(TallyRecord, AnOpponentNamedAddtomineWhoWinsCountsAsHisWin) {
  TallyRecord r;
  r.follow("addtomine");
  r.addgame("addtomine", false, {"addtomine"});
  EXPECT_EQ(r.cell(2, 0), "0");
  EXPECT_EQ(counts(r, 1), "1 1 0 0 1 1 0 0");
}

TEST(TallyRecord, EmptyCountersStartAtZeroAndBadOnesStopTheUpdate) {
  TallyRecord r;
  r.loadgrid(lines({"9", "3", "0", "Ann", "Bob", "4", "", "2", "1", "", "x"}));
  r.addgame("Ann", false, {"Ann"});
  EXPECT_EQ(counts(r, 1), "1 1 0 0 1 1 0 0");

  EXPECT_THROW(r.addgame("Bob", false, {"Bob"}), TallyConversionError);
  EXPECT_EQ(r.cell(1, 0), "6") << "the own totals counted before the bad cell stay";
  EXPECT_EQ(r.cell(2, 2), "x");
}

TEST(TallyRecord, LoadtallyStartsTheCurrentRunAtZero) {
  TallyRecord r;
  r.loadgrid(lines({"9", "2", "0", "Ann", "5", "9", "1", "4", "0", "2",
                    "0", "3", "0", "9",   "0", "4", "0", "2", "0", "3"}));
  r.loadtally();
  EXPECT_EQ(counts(r, 1), "9 4 2 3 0 0 0 0");
  EXPECT_EQ(r.cell(1, 0), "5");
  EXPECT_EQ(r.followed(), std::vector<std::string>{"Ann"});
}

TEST(TallyRecord, FollowsANameOnlyOnce) {
  TallyRecord r;
  EXPECT_TRUE(r.follow("Ann"));
  EXPECT_TRUE(r.follow("Bob"));
  EXPECT_FALSE(r.follow("Ann"));
  EXPECT_EQ(r.followed(), (std::vector<std::string>{"Ann", "Bob"}));
  EXPECT_EQ(counts(r, 2), "0 0 0 0 0 0 0 0");
}

TEST(TallyRecord, MoverowDropsOneOpponentAndMovesTheRestUp) {
  struct Case {
    int row;
    std::vector<std::string> left;
  } cases[] = {
      {1, {"Bob", "Cid"}},        {2, {"Ann", "Cid"}}, {3, {"Ann", "Bob"}},
      {0, {"Ann", "Bob", "Cid"}},  // row 0 holds the own totals and is never removed
      {4, {"Ann", "Bob", "Cid"}},
  };
  for (const auto& c : cases) {
    TallyRecord r;
    for (const char* name : {"Ann", "Bob", "Cid"}) r.follow(name);
    r.addgame("Cid", false, {"Cid"});
    r.moverow(c.row);
    EXPECT_EQ(r.followed(), c.left) << c.row;
    const int cid = r.indexOfFollowed("Cid");
    if (cid >= 0) {
      EXPECT_EQ(r.cell(2, cid + 1), "1") << "Cid's counts move with his name";
    }
  }
  TallyRecord last;
  last.follow("Ann");
  last.moverow(1);
  EXPECT_EQ(last.grid().rowCount(), 1) << "dropping the last opponent leaves only row 0";
  last.moverow(1);
  EXPECT_EQ(last.grid().rowCount(), 1);
}

TEST(TallyRecord, ResetDropsEveryoneAndTheNextGameIsGameOne) {
  TallyRecord r;
  r.follow("Ann");
  r.addgame("Me", true, {"Ann"});
  r.addgame("Me", true, {"Ann"});
  r.reset();
  EXPECT_TRUE(r.followed().empty());
  EXPECT_EQ(counts(r, 0), "0 0 0 0 0 0 0 0");
  r.addgame("Ann", false, {"Ann"});
  EXPECT_EQ(r.cell(1, 0), "1");
  EXPECT_EQ(r.cell(2, 0), "0");
}

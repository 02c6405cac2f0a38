#include "server/move_check.h"

#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

using korvel::protocol::FieldReader;
using korvel::protocol::LaidTile;
using korvel::protocol::ParseError;
using korvel::protocol::toclient::goodword;
using korvel::server::Board;
using korvel::server::MoveChecker;

namespace korvel::protocol {
bool operator==(const LaidTile& a, const LaidTile& b) {
  return a.x == b.x && a.y == b.y && a.slot == b.slot && a.code == b.code;
}
void PrintTo(const LaidTile& t, std::ostream* os) {
  *os << "{" << t.x << "," << t.y << "," << t.slot << "," << t.code << "}";
}
}  // namespace korvel::protocol

namespace {

int code(char letter) {
  return letter - 'a' + 1;
}

using Report = std::pair<int, int>;
using Words = std::vector<std::string>;
using Laid = std::vector<LaidTile>;

class MoveCheckTest : public ::testing::Test {
 protected:
  // A few made-up entries are enough: the checker only asks yes or no.
  std::set<std::string, std::less<>> dictionary{"cat", "cats", "bat", "at",         "ash",
                                                "os",  "ate",  "ca",  "te",         "as",
                                                "hat", "hats", "sat", "catcatcatat"};
  std::vector<std::string> asked;
  std::vector<Report> reports;
  MoveChecker checker{[this](std::string_view word) {
                        asked.emplace_back(word);
                        return dictionary.find(word) != dictionary.end();
                      },
                      [this](int seat, int code) {
                        reports.push_back({seat, code});
                      }};
  std::array<int, 9> rack{};
  int turnscore = -99;

  // Slot k holds letters[k-1]: a letter, '.' for never dealt (0), '-' for the bag ran out (-1).
  // Slots beyond the text hold 0.
  void setRack(std::string_view letters) {
    rack.fill(0);
    for (std::size_t i = 0; i < letters.size(); ++i) {
      const char c = letters[i];
      rack[i + 1] = c == '.' ? 0 : c == '-' ? -1 : code(c);
    }
  }

  // Letters already on the board before the move.
  void put(std::string_view word, int x, int y, bool across = true) {
    for (char c : word) {
      checker.board.at(x, y).letter = code(c);
      across ? ++x : ++y;
    }
  }

  // Starts a fresh game state: empty board, not the first move, given rack.
  void fresh(std::string_view letters = "") {
    checker.board.clear();
    checker.firstmove = false;
    setRack(letters);
  }

  // Mimics the server core: the argument starts with the seat field, the rest is the tiles.
  bool submit(std::string_view argument) {
    asked.clear();
    reports.clear();
    FieldReader reader{std::string(argument)};
    const int seat = reader.intField();
    return checker.checkMove(seat, rack, turnscore, reader);
  }

  std::string rowText(int y) const {
    std::string text;
    for (int x = 0; x <= 10; ++x) {
      const int c = checker.board.at(x, y).letter;
      text += c == -1 ? '.' : static_cast<char>('a' + c - 1);
    }
    return text;
  }

  // After a refusal the letters are those of `before` and nothing of the move is left behind.
  void expectRestored(const Board& before, const std::string& what) {
    expectRestoredOn(checker, before, what);
  }
  static void expectRestoredOn(const MoveChecker& m, const Board& before, const std::string& what) {
    for (int x = -1; x <= 11; ++x) {
      for (int y = -1; y <= 11; ++y) {
        const auto& cell = m.board.at(x, y);
        ASSERT_EQ(cell.letter, before.at(x, y).letter) << what << " at " << x << "," << y;
        ASSERT_EQ(cell.under, -1) << what << " at " << x << "," << y;
        ASSERT_EQ(cell.slot, -1) << what << " at " << x << "," << y;
        ASSERT_EQ(cell.owner, -1) << what << " at " << x << "," << y;
      }
    }
    for (const auto& p : m.placed()) {
      EXPECT_EQ(p.column, -1) << what;
      EXPECT_EQ(p.row, -1) << what;
    }
    EXPECT_TRUE(m.laidTiles().empty()) << what;
  }
};

TEST_F(MoveCheckTest, AcceptsCatThroughTheStartingSquareAsFirstMove) {
  fresh("cat");
  checker.firstmove = true;
  ASSERT_TRUE(submit("1+4+5+1+5+5+2+6+5+3"));
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(turnscore, 5);
  EXPECT_EQ(checker.words(), Words{"cat"});
  EXPECT_EQ(checker.wordcount(), 1);
  EXPECT_EQ(checker.wordrow(), 5);
  EXPECT_EQ(checker.wordcolumn(), -1);
  EXPECT_FALSE(checker.firstmove);
  EXPECT_EQ(rowText(5), "....cat....");
  EXPECT_EQ(checker.laidTiles(), (Laid{{4, 5, 1, 3}, {5, 5, 2, 1}, {6, 5, 3, 20}}));
  EXPECT_EQ(goodword(1, 5, turnscore, checker.laidTiles(), checker.words()),
            "CMD_goodword+1+5+5+l+4+5+1+3+l+5+5+2+1+l+6+5+3+20+w+cat\xFF");
  // The tiles of the accepted move stay marked as this seat's until the next check.
  EXPECT_EQ(checker.board.at(5, 5).owner, 1);
  EXPECT_EQ(checker.board.at(5, 5).slot, 2);
  EXPECT_EQ(checker.board.at(5, 5).under, -1);
  EXPECT_EQ(rack, (std::array<int, 9>{0, 3, 1, 20, 0, 0, 0, 0, 0})) << "the rack is the core's";
}

TEST_F(MoveCheckTest, RefusesFirstMoveOffTheStartingSquareUntilOneIsAccepted) {
  fresh("cat");
  checker.firstmove = true;
  EXPECT_FALSE(submit("1+4+4+1+5+4+2+6+4+3"));
  EXPECT_EQ(reports, (std::vector<Report>{{1, 8}}));
  expectRestored(Board{}, "row 4");
  EXPECT_TRUE(checker.firstmove);
  // The next attempt in the same turn is judged from scratch and still as the first move.
  EXPECT_FALSE(submit("1+0+0+1+1+0+2+2+0+3"));
  EXPECT_EQ(reports, (std::vector<Report>{{1, 8}}));
  EXPECT_FALSE(submit("1+5+5+1"));  // on the start, but a lone tile makes no word
  EXPECT_EQ(reports, (std::vector<Report>{{1, 2}}));
  expectRestored(Board{}, "lone tile");
  ASSERT_TRUE(submit("1+4+5+1+5+5+2+6+5+3"));
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(turnscore, 5);
}

TEST_F(MoveCheckTest, ScoresCatsAndListsTheLaidTile) {
  fresh("..s");
  put("cat", 4, 5);
  ASSERT_TRUE(submit("2+7+5+3"));
  EXPECT_EQ(turnscore, 6);
  EXPECT_EQ(checker.words(), Words{"cats"});
  EXPECT_EQ(checker.laidTiles(), (Laid{{7, 5, 3, 19}}));
  EXPECT_EQ(goodword(2, 6, turnscore, checker.laidTiles(), checker.words()),
            "CMD_goodword+2+6+6+l+7+5+3+19+w+cats\xFF");
}

TEST_F(MoveCheckTest, TileOnTopOfALetterReplacesItAndCountsAsTouching) {
  fresh("b");
  put("cat", 4, 5);
  ASSERT_TRUE(submit("1+4+5+1"));
  EXPECT_EQ(turnscore, 5);
  EXPECT_EQ(checker.words(), Words{"bat"});
  EXPECT_EQ(rowText(5), "....bat....");
  EXPECT_EQ(checker.board.at(4, 5).under, code('c'));
  EXPECT_EQ(checker.laidTiles(), (Laid{{4, 5, 1, 2}})) << "one slot to refill";
}

TEST_F(MoveCheckTest, BuildsMainWordThenCrossWordsInOrderAndScoresThemAll) {
  struct Put {
    const char* word;
    int x, y;
    bool across;
  };
  struct Case {
    const char* what;
    std::vector<Put> board;
    std::string rack, argument;
    Words words;
    int score;
    int wordcolumn, wordrow;
  };
  const Put cat{"cat", 4, 5, true};
  const Case cases[] = {
      // Row 6 under cat: a t e, crossing c-a, a-t, t-e.
      {"across with three cross words",
       {cat},
       "ate",
       "1+4+6+1+5+6+2+6+6+3",
       Words{"ate", "ca", "at", "te"},
       3 + 4 + 2 + 2,
       -1,
       6},
      {"tiles sent in another order find the same words",
       {cat},
       "ate",
       "1+6+6+3+4+6+1+5+6+2",
       Words{"ate", "ca", "at", "te"},
       11,
       -1,
       6},
      {"down through the end of cat",
       {cat},
       "ash",
       "3+7+4+1+7+5+2+7+6+3",
       Words{"ash", "cats"},
       7 + 6,
       7,
       -1},
      {"down through an old letter, whose own word is no cross word",
       {cat},
       "ae",
       "1+6+4+1+6+6+2",
       Words{"ate"},
       3,
       6,
       -1},
      {"across past an old letter with a neighbour below",
       {cat, {"o", 5, 6, true}},
       "s",
       "1+7+5+1",
       Words{"cats"},
       6,
       -1,
       5},
      {"lone tile with neighbours both ways takes the column",
       {cat, {"o", 7, 4, true}},
       "s",
       "1+7+5+1",
       Words{"os", "cats"},
       2 + 6,
       7,
       5},
      {"tiles filling between old letters",
       {cat, {"c", 4, 8, true}, {"s", 7, 8, true}},
       "at",
       "1+5+8+1+6+8+2",
       Words{"cats"},
       6,
       -1,
       8},
      {"old letter closes the gap",
       {cat, {"a", 4, 2, true}, {"a", 5, 1, true}},
       "ct",
       "1+3+2+1+5+2+2",
       Words{"cat", "at"},
       5 + 2,
       -1,
       2},
      // The edges of the board end words without looking beyond them.
      {"down to row 10", {{"ca", 10, 8, false}}, "t", "1+10+10+1", Words{"cat"}, 5, 10, -1},
      {"down from row 0", {{"ca", 2, 0, false}}, "t", "1+2+2+1", Words{"cat"}, 5, 2, -1},
      {"across from column 0", {{"at", 1, 0, true}}, "c", "1+0+0+1", Words{"cat"}, 5, -1, 0},
      {"cross word to column 10",
       {{"at", 9, 3, true}},
       "as",
       "1+8+2+1+8+3+2",
       Words{"as", "sat"},
       2 + 3,
       8,
       -1},
      {"cross word to row 10",
       {{"at", 3, 9, false}},
       "as",
       "1+2+8+1+3+8+2",
       Words{"as", "sat"},
       2 + 3,
       -1,
       8},
      {"cross word from column 0",
       {{"c", 0, 3, true}},
       "at",
       "1+1+3+1+1+4+2",
       Words{"at", "ca"},
       2 + 4,
       1,
       -1},
      {"cross word from row 0",
       {{"c", 3, 0, true}},
       "at",
       "1+3+1+1+4+1+2",
       Words{"at", "ca"},
       2 + 4,
       -1,
       1},
      {"eleven letters edge to edge",
       {{"ca", 0, 7, true}, {"atat", 7, 7, true}},
       "tcatc",
       "1+2+7+1+3+7+2+4+7+3+5+7+4+6+7+5",
       Words{"catcatcatat"},
       17,
       -1,
       7},
  };
  for (const Case& c : cases) {
    fresh(c.rack);
    for (const Put& p : c.board) put(p.word, p.x, p.y, p.across);
    ASSERT_TRUE(submit(c.argument))
        << c.what << " code " << (reports.empty() ? 0 : reports[0].second);
    EXPECT_TRUE(reports.empty()) << c.what;
    EXPECT_EQ(checker.words(), c.words) << c.what;
    EXPECT_EQ(asked, c.words) << c.what << ": each word asked once, in order";
    EXPECT_EQ(checker.wordcount(), static_cast<int>(c.words.size())) << c.what;
    EXPECT_EQ(turnscore, c.score) << c.what;
    EXPECT_EQ(checker.wordcolumn(), c.wordcolumn) << c.what;
    EXPECT_EQ(checker.wordrow(), c.wordrow) << c.what;
    EXPECT_TRUE(checker.board.lettersValid()) << c.what;
  }
}

// Each case fails exactly one check, or several where the order decides the code.
TEST_F(MoveCheckTest, RefusesWithTheCodeOfTheFirstFailedCheck) {
  struct Case {
    const char* what;
    bool firstmove;
    std::string rack, argument;
    int code;
  };
  // Unless said otherwise the board holds cat on row 5, columns 4 to 6, and c alone at 1,1.
  const Case cases[] = {
      // Per tile: position, then 3, then slot and letter.
      {"two tiles on a cell that held a letter", false, "bh", "1+4+5+1+4+5+2", 3},
      {"two tiles on a cell that was empty", false, "sa", "1+7+5+1+7+5+2", 3},
      {"same cell before the second tile's empty slot", false, "s", "1+7+5+1+7+5+2", 3},
      {"three tiles, third on the second's cell", false, "sah", "1+7+5+1+8+5+2+8+5+3", 3},
      {"slot never dealt", false, "c", "1+7+5+2", 9},
      {"slot emptied by the bag", false, "c-", "1+7+5+2", 9},
      {"slot 0", false, "s", "1+7+5+0", 9},
      {"slot 9", false, "ssssssss", "1+7+5+9", 9},
      {"negative slot", false, "s", "1+7+5+-1", 9},
      {"same slot twice", false, "s", "1+7+5+1+8+5+1", 9},
      {"same slot twice, far apart", false, "sa", "1+7+5+1+7+6+2+7+7+1", 9},
      {"column 11", false, "s", "1+11+5+1", 9},
      {"column -1", false, "s", "1+-1+5+1", 9},
      {"row 11", false, "s", "1+5+11+1", 9},
      {"row -1", false, "s", "1+4+-1+1", 9},
      {"far outside", false, "s", "1+100000+0+1", 9},
      {"nine tiles, refused before any is laid", false, "abcdefgh",
       "1+0+0+1+0+0+2+0+2+3+0+3+4+0+4+5+0+5+6+0+6+7+0+7+8+0+8+1", 9},
      {"an earlier tile's 9 before a later tile's 3", false, "c", "1+7+5+2+7+5+1", 9},
      {"a bad tile before not touching", false, "a", "1+0+9+2", 9},
      {"a bad tile before off the start", true, "cat", "1+5+5+1+6+5+4", 9},
      // Then touching (or the starting square on the first move).
      {"not touching", false, "at", "1+0+9+1+1+9+2", 7},
      {"not touching before not in line", false, "at", "1+0+9+1+1+10+2", 7},
      {"diagonal to a letter is not touching", false, "a", "1+7+6+1", 7},
      {"off the start", true, "cat", "1+4+4+1+5+4+2+6+4+3", 8},
      {"off the start before not in line", true, "at", "1+0+9+1+1+10+2", 8},
      // Then one line.
      {"two tiles in no common line", false, "at", "1+7+5+1+8+6+2", 2},
      {"first move on the start in no common line", true, "at", "1+5+5+1+6+6+2", 2},
      {"lone tile with no neighbour on top of a letter", false, "a", "1+1+1+1", 2},
      // Then gaps.
      {"gap in a row", false, "ts", "1+7+5+1+9+5+2", 5},
      {"gap in a column", false, "as", "1+4+6+1+4+8+2", 5},
      {"gap in a column, last tile above it", false, "as", "1+4+8+2+4+6+1", 5},
      {"gap before a word not in the list", false, "zz", "1+7+5+1+9+5+2", 5},
      {"tile beyond the end of the last tile's word", false, "ta", "1+9+5+1+7+5+2", 5},
      // Then words.
      {"main word not in the list", false, "x", "1+7+5+1", 6},
      {"lone tile forming no word down", false, "o", "1+4+4+1", 6},
      {"cross word not in the list", false, "as", "1+3+4+1+3+5+2", 6},
  };
  for (const Case& c : cases) {
    fresh(c.rack);
    put("cat", 4, 5);
    put("c", 1, 1);
    checker.firstmove = c.firstmove;
    const Board before = checker.board;
    EXPECT_FALSE(submit(c.argument)) << c.what;
    EXPECT_EQ(reports, (std::vector<Report>{{1, c.code}})) << c.what;
    expectRestored(before, c.what);
    EXPECT_EQ(checker.board, before) << c.what << ": the whole board, every field";
    EXPECT_EQ(checker.firstmove, c.firstmove) << c.what;
  }
}

TEST_F(MoveCheckTest, AsksNoFurtherWordAfterTheFirstRefusedOne) {
  struct Case {
    const char* what;
    const char* missing;  // taken out of the word list
    Words asked;
  };
  const Case cases[] = {
      {"main word", "ate", Words{"ate"}},
      {"first cross word", "ca", Words{"ate", "ca"}},
      {"middle cross word", "at", Words{"ate", "ca", "at"}},
      {"last cross word", "te", Words{"ate", "ca", "at", "te"}},
  };
  for (const Case& c : cases) {
    fresh("ate");
    put("cat", 4, 5);
    const auto saved = dictionary;
    dictionary.erase(c.missing);
    EXPECT_FALSE(submit("1+4+6+1+5+6+2+6+6+3")) << c.what;
    dictionary = saved;
    EXPECT_EQ(reports, (std::vector<Report>{{1, 6}})) << c.what;
    EXPECT_EQ(asked, c.asked) << c.what;
    EXPECT_EQ(rowText(5), "....cat....") << c.what;
    EXPECT_EQ(rowText(6), "...........") << c.what;
  }
}

TEST_F(MoveCheckTest, SecondTileOnTheSameOldLetterPutsTheOldLetterBack) {
  fresh("bh");
  put("cat", 4, 5);
  EXPECT_FALSE(submit("1+4+5+1+4+5+2"));
  EXPECT_EQ(reports, (std::vector<Report>{{1, 3}}));
  EXPECT_EQ(rowText(5), "....cat....");
  EXPECT_EQ(checker.board.at(4, 5).under, -1);
}

TEST_F(MoveCheckTest, ChecksEachSubmitFromScratch) {
  fresh("xs");
  put("cat", 4, 5);
  EXPECT_FALSE(submit("1+7+5+1"));  // catx, partly scored before the word check
  EXPECT_EQ(reports, (std::vector<Report>{{1, 6}}));
  ASSERT_TRUE(submit("1+7+5+2"));
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(turnscore, 6);
  EXPECT_EQ(checker.words(), Words{"cats"});
  EXPECT_EQ(checker.laidTiles(), (Laid{{7, 5, 2, 19}}));

  // The next move: the marks of the accepted one are cleared by the check, so its tiles are
  // old letters now (touching, and not this move's cross words).
  setRack("h");
  ASSERT_TRUE(submit("2+4+5+1"));
  EXPECT_EQ(checker.words(), Words{"hats"});
  EXPECT_EQ(turnscore, 5 + 1 + 1 + 1);
  EXPECT_EQ(checker.board.at(7, 5).owner, -1);
  EXPECT_EQ(checker.board.at(4, 5).owner, 2);
}

TEST_F(MoveCheckTest, RefusalAfterAnAcceptedMoveLeavesItsLetters) {
  fresh("sz");
  put("cat", 4, 5);
  ASSERT_TRUE(submit("1+7+5+1"));
  Board settled = checker.board;
  EXPECT_FALSE(submit("1+8+5+2"));  // catsz
  EXPECT_EQ(reports, (std::vector<Report>{{1, 6}}));
  expectRestored(settled, "catsz");
  EXPECT_EQ(rowText(5), "....cats...");
  EXPECT_TRUE(checker.words().empty());
  EXPECT_EQ(checker.wordcount(), 0);
}

TEST_F(MoveCheckTest, FieldThatDoesNotParseChangesNothingAndReportsNothing) {
  const char* arguments[] = {
      "1+",                 // no triple at all, an empty field
      "1+7+5",              // slot missing
      "1+7+5+",             // empty slot field
      "1+7+x+1",            // not a number
      "1+7+5+1+",           // trailing separator
      "1+7+5+1+8",          // second triple cut short
      "1+7+5+1+8+5",        // second triple cut short
      "1+7+5+1+ 8+5+2",     // space
      "1+7+5+1+8+5+2+@",    // a list end marker of its own
      "1+99999999999+5+1",  // out of range
      "1+4+5+1+4+5+2+q",    // a refusable move (3) whose last field is broken
      "1+0+0+1+0+0+2+0+0+3+0+0+4+0+0+5+0+0+6+0+0+7+0+0+8+0+0+1+x",  // nine, then garbage
  };
  fresh("sa");
  put("cat", 4, 5);
  ASSERT_TRUE(submit("1+7+5+1"));  // leaves this move's marks, words and score in place
  const Board before = checker.board;
  const Words words = checker.words();
  const Laid laid = checker.laidTiles();
  for (const char* argument : arguments) {
    turnscore = 6;
    EXPECT_THROW(submit(argument), ParseError) << argument;
    EXPECT_TRUE(reports.empty()) << argument;
    EXPECT_TRUE(asked.empty()) << argument;
    EXPECT_EQ(checker.board, before) << argument;
    EXPECT_EQ(turnscore, 6) << argument;
    EXPECT_EQ(checker.words(), words) << argument;
    EXPECT_EQ(checker.laidTiles(), laid) << argument;
  }
}

TEST_F(MoveCheckTest, ValuesEveryLetter) {
  const std::string values =
      "a1 b3 c3 d3 e1 f5 g3 h5 i1 j7 k7 l1 m3 n1 o1 p3 q10 r1 s1 t1 u1 v5 "
      "w5 x7 y5 z10";
  int checked = 0;
  for (std::size_t i = 0; i < values.size();) {
    const char letter = values[i];
    std::size_t end = values.find(' ', i);
    if (end == std::string::npos) end = values.size();
    EXPECT_EQ(MoveChecker::scoreletter(code(letter)), std::stoi(values.substr(i + 1, end - i - 1)))
        << letter;
    ++checked;
    i = end + 1;
  }
  EXPECT_EQ(checked, 26);
  for (int other : {0, -1, 27, 100}) EXPECT_EQ(MoveChecker::scoreletter(other), 0) << other;
}

// Many random moves on a growing board: whatever the outcome, the board stays consistent, a
// refusal leaves it as it was, and an acceptance scores exactly the letters of its words.
TEST_F(MoveCheckTest, RandomMovesKeepTheBoardConsistent) {
  std::mt19937 random(7772);
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<>(low, high)(random); };
  // Three in four letter strings count as words, so both outcomes are common.
  MoveChecker loose([](std::string_view word) { return (word.front() + word.back()) % 4 != 0; },
                    [this](int seat, int code) {
                      reports.push_back({seat, code});
                    });
  loose.firstmove = true;
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    std::array<int, 9> tiles{};
    for (int k = 1; k <= 8; ++k) tiles[k] = pick(0, 9) == 0 ? pick(-1, 0) : pick(1, 26);
    const int count = pick(1, 4);
    const bool across = pick(0, 1) == 1;
    // Mostly next to a letter already there, where words grow; sometimes anywhere, the ring
    // included.
    int x = pick(-1, 11);
    int y = pick(-1, 11);
    const auto occupied = loose.board.occupiedCells();
    if (!occupied.empty() && pick(0, 3) != 0) {
      const auto& cell = occupied[static_cast<std::size_t>(pick(0, int(occupied.size()) - 1))];
      x = cell.x + pick(-2, 1);
      y = cell.y + pick(-2, 1);
    } else if (loose.firstmove && pick(0, 1) == 0) {
      x = pick(3, 5);
      y = 5;
    }
    std::string argument = "3";
    for (int i = 0; i < count; ++i) {
      argument +=
          "+" + std::to_string(x) + "+" + std::to_string(y) + "+" + std::to_string(pick(0, 9));
      across ? x += pick(0, 2) : y += pick(0, 2);
    }
    const Board before = loose.board;
    const bool wasFirst = loose.firstmove;
    reports.clear();
    int score = -1;
    FieldReader reader(argument);
    reader.intField();
    const bool ok = loose.checkMove(3, tiles, score, reader);
    ASSERT_TRUE(loose.board.lettersValid()) << argument;
    if (!ok) {
      ASSERT_EQ(reports.size(), 1u) << argument;
      expectRestoredOn(loose, before, argument);
      ASSERT_EQ(loose.firstmove, wasFirst);
      continue;
    }
    ++accepted;
    ASSERT_TRUE(reports.empty()) << argument;
    ASSERT_FALSE(loose.firstmove);
    int letters = 0;
    for (const std::string& word : loose.words()) {
      ASSERT_GE(word.size(), 2u) << argument;
      for (char c : word) letters += MoveChecker::scoreletter(code(c));
    }
    ASSERT_EQ(score, letters) << argument;
    const Laid laid = loose.laidTiles();
    ASSERT_EQ(static_cast<int>(laid.size()), count) << argument;
    for (const LaidTile& t : laid) {
      ASSERT_EQ(loose.board.at(t.x, t.y).letter, t.code) << argument;
      ASSERT_EQ(tiles[t.slot], t.code) << argument;
    }
  }
  EXPECT_GT(accepted, 200) << accepted;
}

}  // namespace

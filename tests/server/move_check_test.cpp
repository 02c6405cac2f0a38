#include "server/move_check.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

using korvel::protocol::FieldReader;
using korvel::protocol::ParseError;
using korvel::protocol::toclient::goodword;
using korvel::server::Board;
using korvel::server::MoveChecker;

namespace {

int code(char letter) {
  return letter - 'a' + 1;
}

using Reports = std::vector<std::pair<int, int>>;
using Words = std::vector<std::string>;

// Letters already on the board: word, column, row, across (else down).
struct Put {
  const char* word;
  int x, y;
  bool across = true;
};
const Put kCat{"cat", 4, 5};

class MoveCheckTest : public ::testing::Test {
 protected:
  // Made-up entries are enough: the checker only asks yes or no.
  std::set<std::string, std::less<>> dictionary{"cat",  "cats", "bat",        "at", "ash",
                                                "os",   "ate",  "ca",         "te", "as",
                                                "hats", "sat",  "catcatcatat"};
  Words asked;
  Reports reports;
  MoveChecker checker{[this](std::string_view word) {
                        asked.emplace_back(word);
                        return dictionary.find(word) != dictionary.end();
                      },
                      [this](int seat, int code) {
                        reports.push_back({seat, code});
                      }};
  std::array<int, 9> rack{};
  int turnscore = -99;

  // Slot k holds letters[k-1]: a letter, '.' never dealt (0), '-' the bag ran out (-1).
  void setup(std::vector<Put> puts, std::string_view letters, bool firstmove = false) {
    checker.board.clear();
    checker.firstmove = firstmove;
    for (const Put& p : puts) {
      int x = p.x, y = p.y;
      for (char c : std::string_view(p.word)) {
        checker.board.at(x, y).letter = code(c);
        p.across ? ++x : ++y;
      }
    }
    rack.fill(0);
    for (std::size_t i = 0; i < letters.size(); ++i) {
      rack[i + 1] = letters[i] == '.' ? 0 : letters[i] == '-' ? -1 : code(letters[i]);
    }
  }

  // As the server core does: the argument starts with the seat field, the tiles follow.
  bool submit(std::string_view argument, MoveChecker* m = nullptr) {
    asked.clear();
    reports.clear();
    FieldReader reader{std::string(argument)};
    const int seat = reader.intField();
    return (m ? *m : checker).checkMove(seat, rack, turnscore, reader);
  }

  // The "CMD_goodword" text without its command word, seat as total: all the move's outcome.
  std::string outcome(int seat) const {
    std::string text = goodword(seat, turnscore, turnscore, checker.laidTiles(), checker.words());
    return text.substr(13, text.size() - 14);
  }

  // A refusal leaves the letters of `before` and no mark of the move anywhere.
  static void expectRestored(const MoveChecker& m, const Board& before, const std::string& what) {
    for (int x = -1; x <= 11; ++x) {
      for (int y = -1; y <= 11; ++y) {
        const auto& cell = m.board.at(x, y);
        ASSERT_EQ(cell, (korvel::server::BoardCell{-1, -1, before.at(x, y).letter, -1}))
            << what << " at " << x << "," << y;
      }
    }
    for (const auto& p : m.placed()) ASSERT_EQ(p.column + p.row, -2) << what;
    EXPECT_TRUE(m.laidTiles().empty()) << what;
  }
};

TEST_F(MoveCheckTest, AcceptsAndScoresMainWordThenCrossWordsInOrder) {
  struct Case {
    const char* what;
    std::vector<Put> board;
    bool firstmove;
    std::string rack, argument, outcome;  // outcome: seat+score+score, laid tiles, words
  };
  const Case cases[] = {
      {"first move on the start",
       {},
       true,
       "cat",
       "1+4+5+1+5+5+2+6+5+3",
       "1+5+5+l+4+5+1+3+l+5+5+2+1+l+6+5+3+20+w+cat"},
      {"cats", {kCat}, false, "..s", "2+7+5+3", "2+6+6+l+7+5+3+19+w+cats"},
      {"b on top of the c", {kCat}, false, "b", "1+4+5+1", "1+5+5+l+4+5+1+2+w+bat"},
      {"across, three cross words",
       {kCat},
       false,
       "ate",
       "1+4+6+1+5+6+2+6+6+3",
       "1+11+11+l+4+6+1+1+l+5+6+2+20+l+6+6+3+5+w+ate+w+ca+w+at+w+te"},
      {"same tiles in another order",
       {kCat},
       false,
       "ate",
       "1+6+6+3+4+6+1+5+6+2",
       "1+11+11+l+6+6+3+5+l+4+6+1+1+l+5+6+2+20+w+ate+w+ca+w+at+w+te"},
      {"down, cross word through one tile",
       {kCat},
       false,
       "ash",
       "3+7+4+1+7+5+2+7+6+3",
       "3+13+13+l+7+4+1+1+l+7+5+2+19+l+7+6+3+8+w+ash+w+cats"},
      {"down through an old letter: its word is no cross word",
       {kCat},
       false,
       "ae",
       "1+6+4+1+6+6+2",
       "1+3+3+l+6+4+1+1+l+6+6+2+5+w+ate"},
      {"across past an old letter with a neighbour",
       {kCat, {"o", 5, 6}},
       false,
       "s",
       "1+7+5+1",
       "1+6+6+l+7+5+1+19+w+cats"},
      {"lone tile, neighbours both ways: down wins",
       {kCat, {"o", 7, 4}},
       false,
       "s",
       "1+7+5+1",
       "1+8+8+l+7+5+1+19+w+os+w+cats"},
      {"between old letters",
       {kCat, {"c", 4, 8}, {"s", 7, 8}},
       false,
       "at",
       "1+5+8+1+6+8+2",
       "1+6+6+l+5+8+1+1+l+6+8+2+20+w+cats"},
      {"old letter closes the gap",
       {{"a", 4, 2}, {"a", 5, 1}},
       false,
       "ct",
       "1+3+2+1+5+2+2",
       "1+7+7+l+3+2+1+3+l+5+2+2+20+w+cat+w+at"},
      // Words end at the edges of the board.
      {"down to row 10",
       {{"ca", 10, 8, false}},
       false,
       "t",
       "1+10+10+1",
       "1+5+5+l+10+10+1+20+w+cat"},
      {"down from row 0", {{"ca", 2, 0, false}}, false, "t", "1+2+2+1", "1+5+5+l+2+2+1+20+w+cat"},
      {"across from column 0", {{"at", 1, 0}}, false, "c", "1+0+0+1", "1+5+5+l+0+0+1+3+w+cat"},
      {"cross word to column 10",
       {{"at", 9, 3}},
       false,
       "as",
       "1+8+2+1+8+3+2",
       "1+5+5+l+8+2+1+1+l+8+3+2+19+w+as+w+sat"},
      {"cross word to row 10",
       {{"at", 3, 9, false}},
       false,
       "as",
       "1+2+8+1+3+8+2",
       "1+5+5+l+2+8+1+1+l+3+8+2+19+w+as+w+sat"},
      {"cross word from column 0",
       {{"c", 0, 3}},
       false,
       "at",
       "1+1+3+1+1+4+2",
       "1+6+6+l+1+3+1+1+l+1+4+2+20+w+at+w+ca"},
      {"cross word from row 0",
       {{"c", 3, 0}},
       false,
       "at",
       "1+3+1+1+4+1+2",
       "1+6+6+l+3+1+1+1+l+4+1+2+20+w+at+w+ca"},
      {"eleven letters edge to edge",
       {{"ca", 0, 7}, {"atat", 7, 7}},
       false,
       "tcatc",
       "1+2+7+1+3+7+2+4+7+3+5+7+4+6+7+5",
       "1+17+17+l+2+7+1+20+l+3+7+2+3+l+4+7+3+1+l+5+7+4+20+l+6+7+5+3+w+catcatcatat"},
  };
  for (const Case& c : cases) {
    setup(c.board, c.rack, c.firstmove);
    ASSERT_TRUE(submit(c.argument))
        << c.what << " code " << (reports.empty() ? 0 : reports[0].second);
    EXPECT_TRUE(reports.empty()) << c.what;
    EXPECT_EQ(outcome(c.argument[0] - '0'), c.outcome) << c.what;
    EXPECT_EQ(asked, checker.words()) << c.what << ": each word asked once, in order";
    EXPECT_EQ(checker.wordcount(), static_cast<int>(checker.words().size())) << c.what;
    EXPECT_FALSE(checker.firstmove) << c.what;
    for (const auto& t : checker.laidTiles()) {
      EXPECT_EQ(checker.board.at(t.x, t.y).owner, c.argument[0] - '0') << c.what;
    }
  }
}

TEST_F(MoveCheckTest, RefusesWithTheCodeOfTheFirstFailedCheckAndRestoresTheBoard) {
  struct Case {
    const char* what;
    bool firstmove;
    std::string rack, argument;
    int code;
  };
  // The board holds cat on row 5, columns 4 to 6, and a c alone at 1,1.
  const Case cases[] = {
      // Per tile: position, then the cell (3), then slot and letter (9).
      {"two tiles on a cell that held a letter", false, "bh", "1+4+5+1+4+5+2", 3},
      {"two tiles on a cell that was empty", false, "sa", "1+7+5+1+7+5+2", 3},
      {"same cell before the second tile's empty slot", false, "s", "1+7+5+1+7+5+2", 3},
      {"third tile on the second's cell", false, "sah", "1+7+5+1+8+5+2+8+5+3", 3},
      {"slot never dealt", false, "c", "1+7+5+2", 9},
      {"slot emptied by the bag", false, "c-", "1+7+5+2", 9},
      {"slot 0", false, "s", "1+7+5+0", 9},
      {"slot 9", false, "ssssssss", "1+7+5+9", 9},
      {"negative slot", false, "s", "1+7+5+-1", 9},
      {"same slot twice", false, "sa", "1+7+5+1+7+6+2+7+7+1", 9},
      {"column 11", false, "s", "1+11+5+1", 9},
      {"column -1", false, "s", "1+-1+5+1", 9},
      {"row 11", false, "s", "1+5+11+1", 9},
      {"row -1", false, "s", "1+4+-1+1", 9},
      {"far outside", false, "s", "1+100000+0+1", 9},
      {"nine tiles, before any is laid", false, "abcdefgh",
       "1+0+0+1+0+0+2+0+2+3+0+3+4+0+4+5+0+5+6+0+6+7+0+7+8+0+8+1", 9},
      {"an earlier tile's 9 before a later tile's 3", false, "c", "1+7+5+2+7+5+1", 9},
      {"a bad tile before not touching", false, "a", "1+0+9+2", 9},
      {"a bad tile before off the start", true, "cat", "1+5+5+1+6+5+4", 9},
      // Then a tile on the same letter: the board would not change, the words would score again.
      {"a tile on the same letter", false, "a", "1+5+5+1", 2},
      {"the same letter beside a tile that changes one", false, "ab", "1+5+5+1+4+5+2", 2},
      {"the same letter before a gap", false, "as", "1+5+5+1+8+5+2", 2},
      {"the same letter before off the start", true, "c", "1+1+1+1", 2},
      {"a bad tile before the same letter", false, "a", "1+5+5+1+7+5+2", 9},
      {"a second tile on its cell before the same letter", false, "ab", "1+5+5+1+5+5+2", 3},
      // Then touching, or the starting square on the first move.
      {"not touching", false, "at", "1+0+9+1+1+9+2", 7},
      {"not touching before not in line", false, "at", "1+0+9+1+1+10+2", 7},
      {"diagonal to a letter", false, "a", "1+7+6+1", 7},
      {"off the start", true, "cat", "1+4+4+1+5+4+2+6+4+3", 8},
      {"off the start before not in line", true, "at", "1+0+9+1+1+10+2", 8},
      // Then one line.
      {"two tiles in no common line", false, "at", "1+7+5+1+8+6+2", 2},
      {"on the start in no common line", true, "at", "1+5+5+1+6+6+2", 2},
      {"lone tile without neighbour on top of a letter", false, "a", "1+1+1+1", 2},
      // Then gaps.
      {"gap in a row", false, "ts", "1+7+5+1+9+5+2", 5},
      {"gap in a column", false, "as", "1+4+6+1+4+8+2", 5},
      {"gap in a column, last tile above it", false, "as", "1+4+8+2+4+6+1", 5},
      {"gap before words not in the list", false, "zz", "1+7+5+1+9+5+2", 5},
      {"tile beyond the last tile's word", false, "ta", "1+9+5+1+7+5+2", 5},
      // Then words.
      {"main word not in the list", false, "x", "1+7+5+1", 6},
      {"lone tile making no word down", false, "o", "1+4+4+1", 6},
      {"cross word not in the list", false, "as", "1+3+4+1+3+5+2", 6},
  };
  for (const Case& c : cases) {
    setup({kCat, {"c", 1, 1}}, c.rack, c.firstmove);
    const Board before = checker.board;
    EXPECT_FALSE(submit(c.argument)) << c.what;
    EXPECT_EQ(reports, (Reports{{1, c.code}})) << c.what;
    expectRestored(checker, before, c.what);
    EXPECT_EQ(checker.firstmove, c.firstmove) << c.what;
  }
}

TEST_F(MoveCheckTest, AsksNoFurtherWordAfterTheFirstRefusedOne) {
  const std::pair<const char*, Words> cases[] = {{"ate", {"ate"}},
                                                 {"ca", {"ate", "ca"}},
                                                 {"at", {"ate", "ca", "at"}},
                                                 {"te", {"ate", "ca", "at", "te"}}};
  for (const auto& [missing, expected] : cases) {
    setup({kCat}, "ate");
    dictionary.erase(missing);
    EXPECT_FALSE(submit("1+4+6+1+5+6+2+6+6+3")) << missing;
    dictionary.insert(missing);
    EXPECT_EQ(reports, (Reports{{1, 6}})) << missing;
    EXPECT_EQ(asked, expected) << missing;
  }
}

TEST_F(MoveCheckTest, ChecksEverySubmitFromScratch) {
  setup({}, "cat", true);
  EXPECT_FALSE(submit("1+4+4+1+5+4+2+6+4+3"));  // still the first move after a refusal
  EXPECT_FALSE(submit("1+5+5+1"));              // on the start, but a lone tile makes no word
  EXPECT_EQ(reports, (Reports{{1, 2}}));
  ASSERT_TRUE(submit("1+4+5+1+5+5+2+6+5+3"));

  setup({kCat}, "xsz");
  EXPECT_FALSE(submit("1+7+5+1"));  // catx, partly scored before the word check
  ASSERT_TRUE(submit("1+7+5+2"));
  EXPECT_EQ(outcome(1), "1+6+6+l+7+5+2+19+w+cats");
  const Board accepted = checker.board;
  EXPECT_FALSE(submit("1+8+5+3"));  // catsz
  expectRestored(checker, accepted, "after an accepted move");
  EXPECT_TRUE(checker.words().empty());

  // The accepted tiles are old letters now: touching, and no cross words of this move.
  rack[1] = code('h');
  ASSERT_TRUE(submit("2+4+5+1"));
  EXPECT_EQ(outcome(2), "2+8+8+l+4+5+1+8+w+hats");
  EXPECT_EQ(checker.board.at(7, 5).owner, -1);
  EXPECT_EQ(checker.board.at(4, 5).under, code('c'));
}

TEST_F(MoveCheckTest, FieldThatDoesNotParseChangesNothingAndReportsNothing) {
  setup({kCat}, "sa");
  ASSERT_TRUE(submit("1+7+5+1"));  // leaves this move's marks, words and score in place
  const Board board = checker.board;
  const std::string last = outcome(1);
  for (const char* argument :
       {"1+", "1+7+5", "1+7+5+", "1+7+x+1", "1+7+5+1+", "1+7+5+1+8", "1+7+5+1+8+5",
        "1+7+5+1+ 8+5+2", "1+7+5+1+8+5+2+@", "1+99999999999+5+1", "1+4+5+1+4+5+2+q",
        "1+0+0+1+0+0+2+0+0+3+0+0+4+0+0+5+0+0+6+0+0+7+0+0+8+0+0+1+x"}) {
    turnscore = 6;
    EXPECT_THROW(submit(argument), ParseError) << argument;
    EXPECT_TRUE(reports.empty() && asked.empty()) << argument;
    EXPECT_EQ(checker.board, board) << argument;
    EXPECT_EQ(outcome(1), last) << argument;
  }
}

TEST_F(MoveCheckTest, ValuesEveryLetter) {
  const int values[] = {1, 3, 3, 3,  1, 5, 3, 5, 1, 7, 7, 1, 3,
                        1, 1, 3, 10, 1, 1, 1, 1, 5, 5, 7, 5, 10};
  for (int c = 1; c <= 26; ++c) EXPECT_EQ(MoveChecker::scoreletter(c), values[c - 1]) << c;
  for (int other : {0, -1, 27}) EXPECT_EQ(MoveChecker::scoreletter(other), 0) << other;
}

// Many random moves on a growing board: a refusal leaves the board as it was, an acceptance
// scores exactly the letters of its words, and only letter codes ever reach the board.
TEST_F(MoveCheckTest, RandomMovesKeepTheBoardConsistent) {
  std::mt19937 random(7772);
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<>(low, high)(random); };
  // Three in four letter strings count as words, so both outcomes are common.
  MoveChecker loose([](std::string_view w) { return (w.front() + w.back()) % 4 != 0; },
                    [this](int seat, int code) {
                      reports.push_back({seat, code});
                    });
  loose.firstmove = true;
  int accepted = 0;
  for (int round = 0; round < 3000; ++round) {
    for (int k = 1; k <= 8; ++k) rack[k] = pick(0, 9) == 0 ? pick(-1, 0) : pick(1, 26);
    // Mostly next to a letter, where words grow; sometimes anywhere, the ring included.
    int x = pick(-1, 11), y = pick(-1, 11);
    const auto cells = loose.board.occupiedCells();
    if (!cells.empty() && pick(0, 3) != 0) {
      const auto& cell = cells[static_cast<std::size_t>(pick(0, int(cells.size()) - 1))];
      x = cell.x + pick(-2, 1);
      y = cell.y + pick(-2, 1);
    } else if (loose.firstmove) {
      x = pick(3, 5);
      y = 5;
    }
    const int count = pick(1, 4);
    const bool across = pick(0, 1) == 1;
    std::string argument = "3";
    for (int i = 0; i < count; ++i) {
      argument +=
          "+" + std::to_string(x) + "+" + std::to_string(y) + "+" + std::to_string(pick(0, 9));
      across ? x += pick(0, 2) : y += pick(0, 2);
    }
    const Board before = loose.board;
    const bool first = loose.firstmove;
    const bool ok = submit(argument, &loose);
    ASSERT_TRUE(loose.board.lettersValid()) << argument;
    if (!ok) {
      ASSERT_EQ(reports.size(), 1u) << argument;
      expectRestored(loose, before, argument);
      ASSERT_EQ(loose.firstmove, first) << argument;
      continue;
    }
    ++accepted;
    ASSERT_TRUE(reports.empty()) << argument;
    int letters = 0;
    for (const std::string& word : loose.words()) {
      ASSERT_GE(word.size(), 2u) << argument;
      for (char c : word) letters += MoveChecker::scoreletter(code(c));
    }
    ASSERT_EQ(turnscore, letters) << argument;
    ASSERT_EQ(static_cast<int>(loose.laidTiles().size()), count) << argument;
    for (const auto& t : loose.laidTiles()) {
      ASSERT_EQ(loose.board.at(t.x, t.y).letter, t.code) << argument;
      ASSERT_EQ(rack[t.slot], t.code) << argument;
      ASSERT_NE(loose.board.at(t.x, t.y).under, t.code) << argument;
    }
  }
  EXPECT_GT(accepted, 200);
}

}  // namespace

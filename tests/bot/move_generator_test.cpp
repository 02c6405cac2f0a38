// The move search against the server's own move check: hand-made positions for each rule, and
// self-played positions on the real word list compared with a search that tries every
// placement of up to three rack tiles through the move check.
#include "bot/move_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bot/bot_player.h"
#include "bot/lexicon.h"
#include "bot/self_play.h"
#include "dictionary/record_blob.h"
#include "dictionary/tdictn.h"
#include "tests/bot/word_list.h"

using namespace korvel::bot;

namespace {

int code(char c) {
  return c - 'a' + 1;
}

struct Put {
  const char* word;
  int x, y;
  bool across = true;
};

BoardLetters boardWith(std::initializer_list<Put> puts) {
  BoardLetters board{};
  for (const Put& p : puts) {
    for (int i = 0; p.word[i]; ++i) {
      board[p.across ? p.x + i : p.x][p.across ? p.y : p.y + i] = code(p.word[i]);
    }
  }
  return board;
}

// Rack from a text: a letter per slot, '.' for a slot that was never dealt, '-' for one the
// empty bag left empty.
RackCodes rackOf(const std::string& text) {
  RackCodes rack{};
  for (std::size_t k = 0; k < text.size() && k < rack.size(); ++k) {
    rack[k] = text[k] == '.' ? 0 : text[k] == '-' ? -1 : code(text[k]);
  }
  return rack;
}

TEST(MoveGenerator, FindsTheBestMoveForEachRule) {
  const Lexicon lexicon =
      Lexicon::fromWords({"cat", "cats", "bat", "as", "at", "ta", "tab", "qi", "zebra"});
  const MoveGenerator generator(lexicon);
  struct Case {
    const char* name;
    BoardLetters board;
    const char* rack;
    bool firstmove;
    int score;                // -1: no move at all
    std::vector<Tile> tiles;  // empty: any placement of that score
  };
  const BoardLetters cat = boardWith({{"cat", 4, 5}});
  const Case cases[] = {
      // "cat", "tab" or "bat" somewhere over the starting square; the first move needs no
      // touching, only the square.
      {"first move", {}, "cbat", true, 5, {}},
      {"first move misses nothing smaller", {}, "at", true, 2, {}},
      {"lone tile on the first move is no word", {}, "a", true, -1, {}},
      // b laid on top of c makes "bat".
      {"covers a letter", cat, "b", false, 5, {{4, 5, 1, code('b')}}},
      // Covering a with a would score "cat" again (5), but the server refuses a tile on the
      // same letter: "at" down column 6 is what is left.
      {"never covers a letter with the same letter", cat, "a", false, 2, {}},
      // "as" down column 7 makes "cats" across: 2 + 6.
      {"scores the cross word", cat, "sa", false, 8, {{7, 4, 2, code('a')}, {7, 5, 1, code('s')}}},
      {"skips empty slots", cat, ".-b-....", false, 5, {{4, 5, 3, code('b')}}},
      {"no move at all", cat, "qqqq", false, -1, {}},
      {"an empty rack", cat, "--------", false, -1, {}},
      // "zebr" down column 5 ends on the board's a: 10 + 1 + 3 + 1 + 1.
      {"runs through a board letter",
       cat,
       "zebr",
       false,
       16,
       {{5, 1, 1, code('z')}, {5, 2, 2, code('e')}, {5, 3, 3, code('b')}, {5, 4, 4, code('r')}}},
      // "qi" is a word, but nowhere next to "cat" does it make words both ways.
      {"must touch", cat, "qi", false, -1, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RackCodes rack = rackOf(c.rack);
    const auto move = generator.best(c.board, rack, c.firstmove);
    if (c.score < 0) {
      EXPECT_FALSE(move.has_value());
      continue;
    }
    ASSERT_TRUE(move.has_value());
    EXPECT_EQ(move->score, c.score);
    if (!c.tiles.empty()) {
      EXPECT_EQ(move->tiles, c.tiles);
    }
    int checked = -1;
    EXPECT_TRUE(confirmMove(lexicon, c.board, rack, c.firstmove, *move, &checked));
    EXPECT_EQ(checked, c.score);
  }
}

// The best score over every placement of 1 to `most` rack tiles (distinct slots) in one line,
// each put through the server's move check.
int bruteForceBest(const Lexicon& lexicon, const BoardLetters& board, const RackCodes& rack,
                   bool firstmove, int most) {
  std::vector<int> slots;
  for (int k = 0; k < kRackSize; ++k) {
    if (rack[k] >= 1) slots.push_back(k + 1);
  }
  int best = -1;
  Move move;
  // Lays tiles on the cells `cells` from slot choices, in every order of distinct slots.
  const auto tryCells = [&](const std::vector<std::pair<int, int>>& cells) {
    std::vector<int> pick(cells.size(), 0);
    const auto recurse = [&](auto&& self, std::size_t i, unsigned used) -> void {
      if (i == cells.size()) {
        move.tiles.clear();
        bool sameLetter = false;
        for (std::size_t j = 0; j < cells.size(); ++j) {
          move.tiles.push_back({cells[j].first, cells[j].second, pick[j], rack[pick[j] - 1]});
          sameLetter = sameLetter || board[cells[j].first][cells[j].second] == rack[pick[j] - 1];
        }
        // The server refuses a tile laid on the same letter.
        if (sameLetter) return;
        int score = 0;
        if (confirmMove(lexicon, board, rack, firstmove, move, &score))
          best = std::max(best, score);
        return;
      }
      for (int s : slots) {
        // Two slots holding the same letter make the same move: try the first only.
        bool same = false;
        for (int t : slots)
          same = same || (t < s && !(used & (1u << t)) && rack[t - 1] == rack[s - 1]);
        if ((used & (1u << s)) || same) continue;
        pick[i] = s;
        self(self, i + 1, used | (1u << s));
      }
    };
    recurse(recurse, 0, 0);
  };
  for (int x = 0; x < kSide; ++x)
    for (int y = 0; y < kSide; ++y) tryCells({{x, y}});
  for (int vertical = 0; vertical <= 1; ++vertical) {
    for (int line = 0; line < kSide; ++line) {
      const auto cell = [&](int p) { return vertical ? std::pair{line, p} : std::pair{p, line}; };
      for (int a = 0; a < kSide; ++a) {
        for (int b = a + 1; b < kSide; ++b) {
          if (most >= 2) tryCells({cell(a), cell(b)});
          for (int c = b + 1; most >= 3 && c < kSide; ++c) tryCells({cell(a), cell(b), cell(c)});
        }
      }
    }
  }
  return best;
}

class SelfPlayedPositions : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    lexicon_ = std::make_unique<Lexicon>(Lexicon::fromRecords(testdata::textDemoBlob()));
    for (std::uint32_t seed = 1; seed <= 2; ++seed) {
      SelfPlayOptions options;
      options.seed = seed;
      const auto game = playSelfGame(
          *lexicon_, [](std::string_view w) { return lexicon_->contains(w); }, options);
      boards_.insert(boards_.end(), game.boards.begin(), game.boards.end());
    }
  }
  static void TearDownTestSuite() { lexicon_.reset(); }
  static inline std::unique_ptr<Lexicon> lexicon_;
  static inline std::vector<BoardLetters> boards_;
};

RackCodes randomRack(std::mt19937& rng, int tiles) {
  // The letters in the proportions of the bag.
  static const std::string bag =
      "aaaaaaaaaabbbccddddeeeeeffggghhhiiiijkklllmmmnnnooopprrrssssstttuuvwwxyyz";
  RackCodes rack{};
  for (int k = 0; k < tiles; ++k) rack[k] = code(bag[rng() % bag.size()]);
  return rack;
}

TEST_F(SelfPlayedPositions, NoPlacementOfThreeTilesBeatsTheChosenMove) {
  ASSERT_GE(boards_.size(), 20u);
  std::mt19937 rng(11);
  int compared = 0;
  for (std::size_t i = 0; i < boards_.size(); i += 2) {
    SCOPED_TRACE("board " + std::to_string(i));
    // Three tiles: the slow search then sees every legal move.
    const RackCodes rack = randomRack(rng, 3);
    const bool firstmove = i == 0;
    const auto move = MoveGenerator(*lexicon_).best(boards_[i], rack, firstmove);
    const int expected = bruteForceBest(*lexicon_, boards_[i], rack, firstmove, 3);
    EXPECT_EQ(move ? move->score : -1, expected);
    ++compared;
  }
  EXPECT_GE(compared, 10);
}

TEST_F(SelfPlayedPositions, EveryMoveFoundIsAcceptedWithItsScore) {
  std::mt19937 rng(5);
  const MoveGenerator generator(*lexicon_);
  int moves = 0;
  for (std::size_t i = 1; i < boards_.size(); i += 3) {
    SCOPED_TRACE("board " + std::to_string(i));
    const RackCodes rack = randomRack(rng, 8);
    int best = -1;
    generator.forEach(boards_[i], rack, false, [&](const Move& m) {
      int score = -1;
      EXPECT_TRUE(confirmMove(*lexicon_, boards_[i], rack, false, m, &score));
      EXPECT_EQ(score, m.score);
      // A tile on a board letter always changes it.
      for (const Tile& t : m.tiles) EXPECT_NE(boards_[i][t.x][t.y], t.code);
      best = std::max(best, m.score);
      ++moves;
    });
    const auto chosen = generator.best(boards_[i], rack, false);
    EXPECT_EQ(chosen ? chosen->score : -1, best);
    // A full rack: no placement of up to two tiles may score more either.
    EXPECT_GE(best, bruteForceBest(*lexicon_, boards_[i], rack, false, 2));
  }
  EXPECT_GT(moves, 1000);
}

TEST(Lexicon, AgreesWithTheWordList) {
  const std::string& blob = testdata::textDemoBlob();
  const Lexicon lexicon = Lexicon::fromRecords(blob);
  std::string dir = (std::filesystem::temp_directory_path() / "korvel-lexicon-XXXXXX").string();
  ASSERT_NE(mkdtemp(dir.data()), nullptr);
  {
    korvel::TDictn dict(blob, dir, nullptr);
    ASSERT_TRUE(dict.isOpen());
    std::mt19937 rng(3);
    for (int i = 0; i < 20000; ++i) {
      // Every length the board holds, real words and near misses alike.
      std::string word;
      if (i % 2 == 0) {
        const std::size_t at = (rng() % (blob.size() / 15)) * 15;
        word = blob.substr(at + 1, 14);
        word = word.substr(0, word.find(' '));
        for (char& c : word) c = static_cast<char>(c - 'A' + 'a');
        if (i % 4 == 0 && !word.empty()) word.back() = static_cast<char>('a' + rng() % 26);
      } else {
        word.resize(2 + rng() % 4);
        for (char& c : word) c = static_cast<char>('a' + rng() % 26);
      }
      if (word.size() < 2 || word.size() > 11) continue;
      ASSERT_EQ(lexicon.contains(word), dict.IsWord(word)) << word;
    }
  }
  std::filesystem::remove_all(dir);
  EXPECT_FALSE(lexicon.contains("a"));
  EXPECT_FALSE(lexicon.contains("aahing" + std::string(6, 's')));  // twelve letters
  EXPECT_FALSE(Lexicon().contains("at"));
}

}  // namespace

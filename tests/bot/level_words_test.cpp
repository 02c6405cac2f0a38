// The levels' word lists as committed, and what the levels form with them in whole games: Easy's
// everyday words are all well known, the well-known words are all in the game's list, and a
// Normal player never forms a word outside the well-known ones, cross words included.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bot/lexicon.h"
#include "bot/self_play.h"
#include "word_list.h"

namespace {

using namespace korvel::bot;

std::string readText(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t from = 0;
  while (from < text.size()) {
    const std::size_t end = text.find('\n', from);
    lines.push_back(text.substr(from, end == std::string::npos ? std::string::npos : end - from));
    from = end == std::string::npos ? text.size() : end + 1;
  }
  return lines;
}

TEST(LevelWords, EverydayWordsAreWellKnownAndWellKnownWordsAreInTheGamesList) {
  const Lexicon full = Lexicon::fromRecords(testdata::textDemoBlob());
  const std::vector<std::string> common = linesOf(readText(KORVEL_COMMON_WORDS));
  const std::vector<std::string> known = linesOf(readText(KORVEL_KNOWN_WORDS));
  const Lexicon knownWords = Lexicon::fromLines(readText(KORVEL_KNOWN_WORDS));
  ASSERT_GT(common.size(), 30000u);
  ASSERT_GT(known.size(), common.size());
  // Sorted by bytes without repeats, as the script writes them; every one a playable word.
  EXPECT_TRUE(std::is_sorted(known.begin(), known.end()));
  EXPECT_EQ(std::adjacent_find(known.begin(), known.end()), known.end());
  EXPECT_EQ(knownWords.wordCount(), known.size());
  for (const std::string& w : known) ASSERT_TRUE(full.contains(w)) << w;
  for (const std::string& w : common) ASSERT_TRUE(knownWords.contains(w)) << w;
  // Rare words of the full list that a new player met from the old Normal are not known.
  for (const char* rare : {"inpour", "nish", "yae", "randem", "jatakas"}) {
    EXPECT_TRUE(full.contains(rare)) << rare;
    EXPECT_FALSE(knownWords.contains(rare)) << rare;
  }
}

TEST(LevelWords, NormalFormsOnlyWellKnownWordsInWholeGames) {
  const Lexicon full = Lexicon::fromRecords(testdata::textDemoBlob());
  const Lexicon known = Lexicon::fromLines(readText(KORVEL_KNOWN_WORDS));
  int words = 0;
  for (std::uint32_t seed : {1u, 2u}) {
    SelfPlayOptions options;
    options.seed = seed;
    options.levels = {{Level::Normal, nullptr, &known}, {Level::Normal, nullptr, &known}};
    const SelfPlayGame game = playSelfGame(
        full, [&full](std::string_view w) { return full.contains(w); }, options);
    EXPECT_TRUE(game.ended);
    EXPECT_EQ(game.refused, 0);
    for (const SelfPlaySeat& seat : game.seats) {
      for (const std::string& w : seat.words) {
        ++words;
        EXPECT_TRUE(known.contains(w)) << w;
      }
    }
  }
  EXPECT_GT(words, 40);
}

}  // namespace

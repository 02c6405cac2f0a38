#include "dictionary/tdictn.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "dictionary/record_blob.h"
#include "dictionary/temp_dir.h"

using korvel::TDictn;

namespace {

using namespace std::string_literals;

// Collects what the component shows to the user.
struct Shown {
  std::vector<std::string> texts;
  TDictn::Notifier notifier() {
    return [this](const std::string& t) { texts.push_back(t); };
  }
};

const std::string& realBlob() {
  static const std::string blob = readWholeFile(KORVEL_TEXT_DEMO_BLOB);
  return blob;
}

// The word of record i of a blob, without its padding.
std::string wordAt(const std::string& blob, std::size_t i) {
  std::string field = blob.substr(i * TDictn::kRecordSize + 1, TDictn::kRecordSize - 1);
  return field.substr(0, field.find(' '));
}

class RealList : public ::testing::Test {
 protected:
  TempDir dir;
  Shown shown;
  TDictn dict{realBlob(), dir.path(), shown.notifier()};
};

TEST_F(RealList, OpensWithoutMessageAndCountsEveryRecord) {
  EXPECT_TRUE(dict.isOpen());
  EXPECT_TRUE(shown.texts.empty());
  EXPECT_EQ(dict.recordCount(), 274137);
  EXPECT_EQ(dict.filePath(), dir.path() / "English");
  EXPECT_EQ(readWholeFile(dict.filePath()), realBlob());
}

TEST_F(RealList, CaseAndSurroundingSpacesDoNotMatter) {
  struct Case {
    std::string word;
    bool found;
  } cases[] = {
      {"cat", true},    {"CAT", true},       {"cAt", true},   {"  cat", true},
      {"cat   ", true}, {" CaT ", true},     {"qi", true},    {"QI ", true},
      {"catz", false},  {" CATZ ", false},   {"zzzt", false}, {"aaa", false},
      {"a", false},     {"zzzzzzzz", false}, {"c@t", false},  {"caT\xE9", false},
  };
  for (const auto& c : cases) EXPECT_EQ(dict.IsWord(c.word), c.found) << '"' << c.word << '"';
}

TEST_F(RealList, BlankWordsAnswerFalseWithoutReading) {
  for (const std::string& w : {""s, " "s, "          "s, "\0"s, " \0 \0"s, std::string(300, ' ')}) {
    const auto before = dict.probeCount();
    EXPECT_FALSE(dict.IsWord(w)) << w.size() << " bytes";
    EXPECT_EQ(dict.probeCount(), before) << w.size() << " bytes";
  }
}

TEST_F(RealList, LengthDecidesAtFourteenLetters) {
  struct Case {
    std::string word;
    bool found;
  } cases[] = {
      // Words of the list longer than 14 letters are stored cut: the cut form is found, the word
      // itself and any 15-letter text are not.
      {"absentmindedne", true},
      {"ABSENTMINDEDNE", true},
      {"absentmindedness", false},
      {"absentmindednesses", false},
      {"abiogenetically", false},
      {"abiogeneticall", true},
      {"internationali", true},
      {"absentmindedly", true},
      {"absentmindedl", false},
      // A query is cut to 255 bytes before trimming: trailing padding past that point is harmless,
      // a word that only starts after it is never seen.
      {"cat" + std::string(400, ' '), true},
      {std::string(255, ' ') + "cat", false},
      {std::string(300, 'a'), false},
  };
  for (const auto& c : cases) EXPECT_EQ(dict.IsWord(c.word), c.found) << c.word.substr(0, 20);
}

TEST_F(RealList, ZeroBytesCountAsSpaces) {
  struct Case {
    std::string word;
    bool found;
  } cases[] = {
      {"cat\0"s, true},  {"\0cat"s, true}, {"\0\0cat\0 "s, true},
      {"ca\0t"s, false}, {"ca t"s, false}, {"cat dog"s, false},
  };
  for (const auto& c : cases) EXPECT_EQ(dict.IsWord(c.word), c.found) << c.word;
}

TEST_F(RealList, FindsTheEdgesOfTheList) {
  const std::string& blob = realBlob();
  const std::size_t last = blob.size() / TDictn::kRecordSize - 1;
  EXPECT_EQ(wordAt(blob, 0), "AA");
  EXPECT_EQ(wordAt(blob, last), "ZZZS");
  for (const std::string& w :
       {"aa"s, "aah"s, "zzz"s, "zzzs"s, wordAt(blob, 1), wordAt(blob, last - 1)})
    EXPECT_TRUE(dict.IsWord(w)) << w;
  // Just outside the edges.
  for (const std::string& w : {"a"s, "aaa"s, "zzzz"s, "zzzss"s, "zzzt"s})
    EXPECT_FALSE(dict.IsWord(w)) << w;
}

// Records across the whole list (every fourth, and the last) are found in at most 19 probes
// (ceil(log2(274137 + 1))); texts next to them that are not in the list are not found.
TEST_F(RealList, FindsRecordsAcrossTheListAndNothingBetween) {
  const std::string& blob = realBlob();
  const std::size_t count = blob.size() / TDictn::kRecordSize;
  std::set<std::string> words;
  for (std::size_t i = 0; i < count; ++i) words.insert(wordAt(blob, i));

  std::uint64_t maxProbes = 0;
  int wrong = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (i % 4 != 0 && i != count - 1) continue;
    const std::string w = wordAt(blob, i);
    const auto before = dict.probeCount();
    if (!dict.IsWord(w) && ++wrong <= 5) ADD_FAILURE() << "not found: " << w;
    maxProbes = std::max(maxProbes, dict.probeCount() - before);
    if (i % 20 != 0) continue;
    // Neighbours: the word with a letter added, and with its last letter dropped.
    for (const std::string& n : {w + "Q", w.substr(0, w.size() - 1)}) {
      if (n.size() > 14 || words.count(n)) continue;
      if (dict.IsWord(n) && ++wrong <= 5) ADD_FAILURE() << "found: " << n;
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_LE(maxProbes, 19u);
  EXPECT_GE(maxProbes, 18u);
}

class SmallList : public ::testing::Test {
 protected:
  TempDir dir;
  Shown shown;
  std::filesystem::path english() const { return dir.path() / "English"; }
};

TEST_F(SmallList, ListThatCannotBeOpenedShowsMessageOnceAndAnswersFalse) {
  struct Case {
    const char* what;
    bool englishIsDirectory;
    bool noWorkDir;
  } cases[] = {
      {"blob and file absent", false, false},
      {"English is a directory", true, false},
      {"no working directory", false, true},
  };
  for (const auto& c : cases) {
    TempDir d;
    Shown s;
    if (c.englishIsDirectory) std::filesystem::create_directory(d.path() / "English");
    {
      TDictn dict("", c.noWorkDir ? std::filesystem::path() : d.path(), s.notifier());
      EXPECT_FALSE(dict.isOpen()) << c.what;
      for (const char* w : {"aa", "cat", "zzzs", ""}) EXPECT_FALSE(dict.IsWord(w)) << c.what;
      EXPECT_EQ(dict.probeCount(), 0u) << c.what;
    }
    EXPECT_EQ(s.texts, std::vector<std::string>{"English.dic dictionary not found!"}) << c.what;
    // Only a file named "English" is ever deleted.
    EXPECT_EQ(std::filesystem::exists(d.path() / "English"), c.englishIsDirectory) << c.what;
  }
}

// Without a working directory nothing in the current directory is read, written or deleted.
TEST_F(SmallList, NoWorkingDirectoryLeavesCurrentDirectoryAlone) {
  const std::string planted = korvel::recordBlob({"cat"});
  writeWholeFile(english(), planted);
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(dir.path());
  {
    TDictn dict(korvel::recordBlob({"dog"}), {}, shown.notifier());
    EXPECT_FALSE(dict.IsWord("cat"));
    EXPECT_FALSE(dict.IsWord("dog"));
  }
  std::filesystem::current_path(cwd);
  EXPECT_EQ(shown.texts.size(), 1u);
  ASSERT_TRUE(std::filesystem::exists(english()));
  EXPECT_EQ(readWholeFile(english()), planted);
}

TEST_F(SmallList, PresentFileIsUsedUnchangedAndDeletedAtTheEnd) {
  const std::string present = korvel::recordBlob({"zebra", "ant"});
  writeWholeFile(english(), present);
  {
    TDictn dict(korvel::recordBlob({"cat"}), dir.path(), shown.notifier());
    EXPECT_TRUE(dict.IsWord("zebra"));
    EXPECT_TRUE(dict.IsWord("ant"));
    EXPECT_FALSE(dict.IsWord("cat"));
    EXPECT_EQ(readWholeFile(english()), present);
  }
  EXPECT_TRUE(shown.texts.empty());
  EXPECT_FALSE(std::filesystem::exists(english()));
  EXPECT_TRUE(std::filesystem::is_directory(dir.path()));
}

TEST_F(SmallList, BlobIsWrittenPrivatelyAndDeletedAtTheEnd) {
  const std::string blob = korvel::recordBlob({"cat", "dog"});
  {
    TDictn dict(blob, dir.path(), shown.notifier());
    EXPECT_EQ(readWholeFile(english()), blob);
    const auto perms = std::filesystem::status(english()).permissions();
    EXPECT_EQ(perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
              std::filesystem::perms::none);
  }
  EXPECT_FALSE(std::filesystem::exists(english()));
}

TEST_F(SmallList, WorkingFileThatCannotBeCreatedThrows) {
  EXPECT_THROW(TDictn(korvel::recordBlob({"cat"}), dir.path() / "missing", shown.notifier()),
               std::system_error);
  EXPECT_TRUE(shown.texts.empty());
}

// Records as another writer of "English" may have left them: the compared form of a record is its
// field trimmed, upper-cased and padded, and a trailing partial record is not counted.
TEST_F(SmallList, RecordsAreComparedInNormalisedForm) {
  writeWholeFile(english(),
                 "\x1E"
                 "ant           "
                 "\x1E"
                 "  bee         "
                 "\x1E"
                 "COW\0          "s
                 "\x1E"
                 "DOG");
  TDictn dict("", dir.path(), shown.notifier());
  EXPECT_EQ(dict.recordCount(), 3);
  struct Case {
    const char* word;
    bool found;
  } cases[] = {{"ant", true}, {"BEE", true}, {"cow", true}, {"dog", false}, {"  bee", true}};
  for (const auto& c : cases) EXPECT_EQ(dict.IsWord(c.word), c.found) << c.word;
}

// A read that does not deliver a whole record ends that search with false; the component stays
// open and the next search starts afresh.
TEST_F(SmallList, ShortReadEndsOnlyThatSearch) {
  const std::vector<std::string> words = {"ant", "bee", "cow", "dog", "eel", "fox", "gnu"};
  TDictn dict(korvel::recordBlob(words), dir.path(), shown.notifier());
  ASSERT_EQ(dict.recordCount(), 7);
  // Cut the open file inside record 5: probes 3, 5 for "gnu" (record 6) end at the short read.
  std::filesystem::resize_file(english(), 5 * TDictn::kRecordSize + 4);
  struct Case {
    const char* word;
    bool found;
  } cases[] = {{"gnu", false}, {"bee", true}, {"fox", false}, {"cow", true}, {"ant", true}};
  for (const auto& c : cases) EXPECT_EQ(dict.IsWord(c.word), c.found) << c.word;
  EXPECT_TRUE(dict.isOpen());
}

TEST(Numbertoletter, SetsLetterOnlyForCodesOneToTwentySix) {
  struct Case {
    int code;
    std::string expected;
  } cases[] = {{1, "a"},    {2, "b"},     {13, "m"},    {26, "z"},
               {0, "keep"}, {27, "keep"}, {-1, "keep"}, {'a', "keep"}};
  for (const auto& c : cases) {
    std::string target = "keep";
    korvel::numbertoletter(c.code, target);
    EXPECT_EQ(target, c.expected) << c.code;
  }
}

}  // namespace

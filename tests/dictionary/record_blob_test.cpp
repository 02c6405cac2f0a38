#include "dictionary/record_blob.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dictionary/tdictn.h"
#include "dictionary/temp_dir.h"

namespace {

constexpr std::size_t kSize = korvel::TDictn::kRecordSize;

std::vector<std::string> splitRecords(const std::string& blob) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i + kSize <= blob.size(); i += kSize)
    out.push_back(blob.substr(i, kSize));
  return out;
}

TEST(RecordBlob, RecordIsMarkerThenUpperCaseWordPaddedOrCutToFourteen) {
  struct Case {
    std::string word, record;
  } cases[] = {
      {"cat",
       "\x1E"
       "CAT           "},
      {"CaT",
       "\x1E"
       "CAT           "},
      {"qi",
       "\x1E"
       "QI            "},
      {"absentmindedly",
       "\x1E"
       "ABSENTMINDEDLY"},
      {"absentmindedness",
       "\x1E"
       "ABSENTMINDEDNE"},
      {"abcdefghijklmnopqrstuvwxyz",
       "\x1E"
       "ABCDEFGHIJKLMN"},
  };
  for (const auto& c : cases) EXPECT_EQ(korvel::wordRecord(c.word), c.record) << c.word;
}

TEST(RecordBlob, SortsByPaddedFormAndKeepsRepeats) {
  const std::string blob = korvel::recordBlob(
      {"cats", "absentmindednesses", "cat", "absentmindedness", "ca", "absentmindedly", "b"});
  const std::vector<std::string> expected = {
      "\x1E"
      "ABSENTMINDEDLY",
      "\x1E"
      "ABSENTMINDEDNE",
      "\x1E"
      "ABSENTMINDEDNE",
      "\x1E"
      "B             ",
      "\x1E"
      "CA            ",
      "\x1E"
      "CAT           ",
      "\x1E"
      "CATS          ",
  };
  EXPECT_EQ(splitRecords(blob), expected);
  EXPECT_EQ(korvel::recordBlob({}), "");
}

// The blob the build embeds: one well-formed record per word of resources/wordlist/words.txt, in
// ascending order, with no zero byte.
TEST(RecordBlob, BuiltBlobHoldsTheWholeListInOrder) {
  const std::string blob = readWholeFile(KORVEL_TEXT_DEMO_BLOB);
  const std::string words = readWholeFile(KORVEL_WORDS_TXT);
  ASSERT_EQ(blob.size() % kSize, 0u);
  const auto records = splitRecords(blob);
  EXPECT_EQ(records.size(), static_cast<std::size_t>(std::count(words.begin(), words.end(), '\n')));
  EXPECT_EQ(records.size(), 274137u);
  EXPECT_EQ(blob.find('\0'), std::string::npos);

  int bad = 0;
  for (std::size_t i = 0; i < records.size(); ++i) {
    const std::string& r = records[i];
    const std::string field = r.substr(1);
    const std::size_t end = field.find(' ');
    const bool wellFormed =
        r[0] == '\x1E' && end != 0 && end >= 2 &&
        std::all_of(field.begin(), field.begin() + std::min(end, field.size()),
                    [](char c) { return c >= 'A' && c <= 'Z'; }) &&
        (end == std::string::npos || field.find_first_not_of(' ', end) == std::string::npos);
    const bool ordered = i == 0 || std::memcmp(records[i - 1].data(), r.data(), kSize) <= 0;
    if ((!wellFormed || !ordered) && ++bad <= 5) ADD_FAILURE() << "record " << i << ": " << r;
  }
  EXPECT_EQ(bad, 0);
}

}  // namespace

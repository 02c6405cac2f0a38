#include "dictionary/record_blob.h"

#include <algorithm>
#include <cstring>

#include "dictionary/tdictn.h"

namespace korvel {

namespace {

constexpr std::size_t kWordField = TDictn::kRecordSize - 1;

char upperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

std::string wordRecord(std::string_view word) {
  std::string record(TDictn::kRecordSize, ' ');
  record[0] = TDictn::kMarker;
  const std::size_t n = std::min(word.size(), kWordField);
  for (std::size_t i = 0; i < n; ++i) record[1 + i] = upperAscii(word[i]);
  return record;
}

std::string recordBlob(const std::vector<std::string>& words) {
  // Every record carries the same marker and a space-padded field, so comparing whole records
  // by bytes is comparing the words padded to 15 characters: a word sorts before its extensions.
  std::vector<std::string> records;
  records.reserve(words.size());
  for (const std::string& w : words) records.push_back(wordRecord(w));
  std::stable_sort(records.begin(), records.end(), [](const std::string& a, const std::string& b) {
    return std::memcmp(a.data(), b.data(), TDictn::kRecordSize) < 0;
  });
  std::string blob;
  blob.reserve(records.size() * TDictn::kRecordSize);
  for (const std::string& r : records) blob += r;
  return blob;
}

}  // namespace korvel

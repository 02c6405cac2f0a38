// Feeds arbitrary words to TDictn::IsWord over the built word list and checks every answer
// against a plain model: the word, cut to 255 bytes, with zero bytes as spaces, trimmed and
// upper-cased, is in the set of the list's words. Each lookup makes at most 19 record reads.
//
// Input: a first byte with bit 0 clear gives the rest as the raw word. With bit 0 set, the next
// three bytes pick a word of the list and each further byte edits it (case, spaces, zero bytes,
// letters, cuts), so the search is driven near real entries as well as far from them.

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unordered_set>
#include <vector>

#include "dictionary/tdictn.h"

namespace {

struct Fixture {
  std::filesystem::path dir;
  korvel::TDictn* dict = nullptr;
  std::vector<std::string> words;
  std::unordered_set<std::string> known;

  Fixture() {
    std::ifstream in(KORVEL_TEXT_DEMO_BLOB, std::ios::binary);
    const std::string blob(std::istreambuf_iterator<char>(in), {});
    if (blob.empty()) abort();
    std::string pattern = (std::filesystem::temp_directory_path() / "korvel-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) abort();
    dir = pattern;
    dict = new korvel::TDictn(blob, dir, [](const std::string&) { abort(); });
    for (std::size_t i = 0; i < blob.size(); i += korvel::TDictn::kRecordSize) {
      const std::string field = blob.substr(i + 1, korvel::TDictn::kRecordSize - 1);
      words.push_back(field.substr(0, field.find(' ')));
    }
    known.insert(words.begin(), words.end());
  }
  ~Fixture() {
    delete dict;
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

bool modelIsWord(std::string w) {
  if (w.size() > 255) w.resize(255);
  for (char& c : w) {
    if (c == '\0') c = ' ';
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  const std::size_t first = w.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  w = w.substr(first, w.find_last_not_of(' ') - first + 1);
  return fixture().known.count(w) > 0;
}

std::string editedWord(const std::uint8_t* data, std::size_t size) {
  const auto& words = fixture().words;
  const std::size_t pick = (std::size_t{data[0]} << 16 | std::size_t{data[1]} << 8 | data[2]);
  std::string w = words[pick % words.size()];
  for (std::size_t i = 3; i < size; ++i) {
    const std::uint8_t b = data[i];
    const std::size_t pos = w.empty() ? 0 : (b >> 3) % (w.size() + 1);
    switch (b & 7) {
      case 0:
        if (pos < w.size() && w[pos] >= 'A' && w[pos] <= 'Z') w[pos] += 'a' - 'A';
        break;
      case 1:
        w.insert(pos, 1, ' ');
        break;
      case 2:
        w.insert(pos, 1, '\0');
        break;
      case 3:
        w.insert(pos, 1, static_cast<char>('A' + (b >> 3) % 26));
        break;
      case 4:
        if (pos < w.size()) w.erase(pos, 1);
        break;
      case 5:
        w.resize(pos);
        break;
      case 6:
        w.append(b >> 3, ' ');
        break;
      default:
        w.push_back(static_cast<char>(b));
        break;
    }
  }
  return w;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string word;
  if ((data[0] & 1) && size >= 4) {
    word = editedWord(data + 1, size - 1);
  } else {
    word.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  }
  korvel::TDictn& dict = *fixture().dict;
  const std::uint64_t before = dict.probeCount();
  if (dict.IsWord(word) != modelIsWord(word)) abort();
  if (dict.probeCount() - before > 19) abort();
  return 0;
}

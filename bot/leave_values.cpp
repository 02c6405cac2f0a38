#include "bot/leave_values.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace korvel::bot {

namespace {

constexpr double kMostPoints = 1000.0;

std::vector<std::string_view> splitWords(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t' || line[at] == '\r')) ++at;
    const std::size_t from = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t' && line[at] != '\r') ++at;
    if (at > from) words.push_back(line.substr(from, at - from));
  }
  return words;
}

std::optional<int> letterCode(std::string_view word) {
  if (word.size() != 1 || word[0] < 'a' || word[0] > 'z') return std::nullopt;
  return word[0] - 'a' + 1;
}

std::optional<int> smallCount(std::string_view word) {
  if (word.size() != 1 || word[0] < '0' || word[0] > '8') return std::nullopt;
  return word[0] - '0';
}

std::optional<double> weight(std::string_view word) {
  double value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  if (!std::isfinite(value) || std::fabs(value) > kMostPoints) return std::nullopt;
  return value;
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", value);
  return text;
}

}  // namespace

bool isVowel(int code) {
  return code == 1 || code == 5 || code == 9 || code == 15 || code == 21;
}

int LeaveValues::balanceIndex(int vowels, int consonants) {
  // Cells (0,0..8), (1,0..7), ... (8,0) one after another.
  int index = 2 * kLetters;
  for (int v = 0; v < vowels; ++v) index += kMaxKept + 1 - v;
  return index + consonants;
}

std::optional<LeaveValues> LeaveValues::fromText(std::string_view text) {
  LeaveValues table;
  std::size_t from = 0;
  while (from <= text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(from, end - from);
    from = end + 1;
    if (const auto hash = line.find('#'); hash != std::string_view::npos) {
      line = line.substr(0, hash);
    }
    const auto words = splitWords(line);
    if (words.empty()) continue;
    if ((words[0] == "first" || words[0] == "extra") && words.size() == 3) {
      const auto code = letterCode(words[1]);
      const auto w = weight(words[2]);
      if (!code || !w) return std::nullopt;
      table.weights[words[0] == "first" ? firstIndex(*code) : extraIndex(*code)] = *w;
    } else if (words[0] == "balance" && words.size() == 4) {
      const auto vowels = smallCount(words[1]);
      const auto consonants = smallCount(words[2]);
      const auto w = weight(words[3]);
      if (!vowels || !consonants || !w || *vowels + *consonants > kMaxKept) return std::nullopt;
      table.weights[balanceIndex(*vowels, *consonants)] = *w;
    } else {
      return std::nullopt;
    }
  }
  return table;
}

std::string LeaveValues::toText() const {
  std::string out;
  for (int code = 1; code <= kLetters; ++code) {
    const std::string letter(1, static_cast<char>('a' + code - 1));
    out += "first " + letter + " " + number(weights[firstIndex(code)]) + "\n";
    out += "extra " + letter + " " + number(weights[extraIndex(code)]) + "\n";
  }
  for (int v = 0; v <= kMaxKept; ++v) {
    for (int c = 0; v + c <= kMaxKept; ++c) {
      out += "balance " + std::to_string(v) + " " + std::to_string(c) + " " +
             number(weights[balanceIndex(v, c)]) + "\n";
    }
  }
  return out;
}

namespace {

// Walks the features of a kept rack, calling add(index, amount) for each: one for every kept
// letter, one for its extra copies, and one for the vowel and consonant balance. The learner and
// the evaluation share this walk, so they always describe a rack the same way.
template <typename Add>
void forEachFeature(const LetterCounts& kept, Add add) {
  using L = LeaveValues;
  int vowels = 0, consonants = 0;
  for (int code = 1; code <= L::kLetters; ++code) {
    const int n = kept[code];
    if (n <= 0) continue;
    if (vowels + consonants >= L::kMaxKept) break;
    const int counted = std::min(n, L::kMaxKept - vowels - consonants);
    add(L::firstIndex(code), 1.0);
    if (counted > 1) add(L::extraIndex(code), counted - 1.0);
    (isVowel(code) ? vowels : consonants) += counted;
  }
  add(L::balanceIndex(vowels, consonants), 1.0);
}

}  // namespace

void LeaveValues::features(const LetterCounts& kept, std::vector<std::pair<int, double>>& out) {
  out.clear();
  forEachFeature(kept, [&out](int index, double amount) { out.emplace_back(index, amount); });
}

double LeaveValues::value(const LetterCounts& kept) const {
  double sum = 0;
  forEachFeature(kept, [&](int index, double amount) { sum += amount * weights[index]; });
  return sum;
}

}  // namespace korvel::bot

#include "bot/lexicon.h"

#include <algorithm>

namespace korvel::bot {

namespace {

constexpr std::size_t kRecordSize = 15;

// Lower-case a-z word of an accepted length, or empty.
std::string boardWord(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  text = text.substr(first, last - first + 1);
  if (text.size() < static_cast<std::size_t>(Lexicon::kMinLength) ||
      text.size() > static_cast<std::size_t>(Lexicon::kMaxLength))
    return {};
  std::string word(text);
  for (char& c : word) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c < 'a' || c > 'z') return {};
  }
  return word;
}

void sortUnique(std::vector<std::string>& words) {
  if (!std::is_sorted(words.begin(), words.end())) std::sort(words.begin(), words.end());
  words.erase(std::unique(words.begin(), words.end()), words.end());
}

}  // namespace

Lexicon::Lexicon() : nodes_(1) {}

Lexicon::Lexicon(const std::vector<std::string>& sorted) : nodes_(1), words_(sorted.size()) {
  nodes_.reserve(sorted.size() * 3);
  build(sorted, 0, sorted.size(), 0, kRoot);
  nodes_.shrink_to_fit();
}

Lexicon Lexicon::fromRecords(std::string_view blob) {
  std::vector<std::string> words;
  words.reserve(blob.size() / kRecordSize);
  for (std::size_t at = 0; at + kRecordSize <= blob.size(); at += kRecordSize) {
    std::string field(blob.substr(at + 1, kRecordSize - 1));
    std::replace(field.begin(), field.end(), '\0', ' ');
    std::string word = boardWord(field);
    if (!word.empty()) words.push_back(std::move(word));
  }
  sortUnique(words);
  return Lexicon(words);
}

Lexicon Lexicon::fromLines(std::string_view text) {
  std::vector<std::string> words;
  std::size_t from = 0;
  while (from < text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(from, end - from);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    words.emplace_back(line);
    from = end + 1;
  }
  return fromWords(std::move(words));
}

Lexicon Lexicon::fromWords(std::vector<std::string> words) {
  std::vector<std::string> kept;
  kept.reserve(words.size());
  for (const std::string& w : words) {
    // Only whole words count here: no trimming of surrounding spaces.
    if (w.find(' ') != std::string::npos) continue;
    std::string word = boardWord(w);
    if (!word.empty()) kept.push_back(std::move(word));
  }
  sortUnique(kept);
  return Lexicon(kept);
}

void Lexicon::build(const std::vector<std::string>& words, std::size_t lo, std::size_t hi,
                    std::size_t depth, NodeId node) {
  // words[lo, hi) share their first `depth` letters; sorted, so a word equal to that prefix
  // comes first and the rest group by their next letter.
  if (lo < hi && words[lo].size() == depth) {
    nodes_[node].bits |= kTerminal;
    ++lo;
  }
  std::uint32_t bits = 0;
  for (std::size_t i = lo; i < hi; ++i) bits |= 1u << (words[i][depth] - 'a');
  const auto first = static_cast<NodeId>(nodes_.size());
  nodes_[node].bits |= bits;
  nodes_[node].first = first;
  nodes_.resize(nodes_.size() + static_cast<std::size_t>(std::popcount(bits)));
  NodeId next = first;
  for (std::size_t i = lo; i < hi;) {
    const char c = words[i][depth];
    std::size_t j = i + 1;
    while (j < hi && words[j][depth] == c) ++j;
    build(words, i, j, depth + 1, next++);
    i = j;
  }
}

Lexicon::NodeId Lexicon::walk(NodeId node, const int* codes, int count) const {
  for (int i = 0; i < count; ++i) {
    const int code = codes[i];
    if (code < 1 || code > 26 || !(letters(node) & (1u << (code - 1)))) return kNone;
    node = child(node, code);
  }
  return node;
}

bool Lexicon::contains(std::string_view word) const {
  if (word.size() < static_cast<std::size_t>(kMinLength) ||
      word.size() > static_cast<std::size_t>(kMaxLength))
    return false;
  NodeId node = kRoot;
  for (char c : word) {
    if (c < 'a' || c > 'z') return false;
    const int code = c - 'a' + 1;
    if (!(letters(node) & (1u << (code - 1)))) return false;
    node = child(node, code);
  }
  return terminal(node);
}

}  // namespace korvel::bot

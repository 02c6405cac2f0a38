#pragma once
// The word structure of the computer players: every word of 2 to 11 letters of the word list (the
// longest a board line holds) in a letter tree whose nodes carry their children as a 26-bit set,
// so the move search intersects "letters that continue a word" with "letters on the rack" and
// "letters the cross word allows" in one AND. Children of a node lie side by side; a child's
// index is the first child's plus the number of smaller letters in the set.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::bot {

class Lexicon {
 public:
  using NodeId = std::uint32_t;
  static constexpr NodeId kRoot = 0;
  static constexpr int kMinLength = 2;
  static constexpr int kMaxLength = 11;
  static constexpr std::uint32_t kAllLetters = (1u << 26) - 1;

  // An empty lexicon: no word at all.
  Lexicon();

  // From the word list blob: 15-byte records of a marker byte and the word in upper case padded
  // with spaces. A record is read the way the word list reads it (zero bytes as spaces,
  // surrounding spaces trimmed, a-z upper-cased); records that do not give 2 to 11 letters A-Z
  // can never match a word of the board and are left out, as is a trailing partial record.
  static Lexicon fromRecords(std::string_view blob);
  // From plain words in any order; case is ignored, words that are not 2 to 11 letters a-z are
  // left out.
  static Lexicon fromWords(std::vector<std::string> words);
  // From a text of one word per line, as fromWords.
  static Lexicon fromLines(std::string_view text);

  // True for a word of the list, given in lower case.
  bool contains(std::string_view word) const;

  // Letter codes 1 to 26 that continue the node's prefix, as bits 0 to 25.
  std::uint32_t letters(NodeId node) const { return nodes_[node].bits & kAllLetters; }
  // True when the node's prefix is itself a word.
  bool terminal(NodeId node) const { return (nodes_[node].bits & kTerminal) != 0; }
  // The node after letter `code`; the letter must be in letters(node).
  NodeId child(NodeId node, int code) const {
    const std::uint32_t below = nodes_[node].bits & ((1u << (code - 1)) - 1);
    return nodes_[node].first + static_cast<NodeId>(std::popcount(below));
  }
  // The node reached by a run of letter codes from `node`, or nullopt-like kNone.
  static constexpr NodeId kNone = 0xFFFFFFFFu;
  NodeId walk(NodeId node, const int* codes, int count) const;

  std::size_t wordCount() const { return words_; }
  std::size_t nodeCount() const { return nodes_.size(); }
  // Bytes held by the structure.
  std::size_t bytes() const { return nodes_.capacity() * sizeof(Node); }

 private:
  static constexpr std::uint32_t kTerminal = 1u << 31;
  struct Node {
    std::uint32_t bits = 0;   // child letters, and kTerminal
    std::uint32_t first = 0;  // index of the first child
  };
  // Builds from lower-case words, sorted and without repeats.
  explicit Lexicon(const std::vector<std::string>& sorted);
  void build(const std::vector<std::string>& words, std::size_t lo, std::size_t hi,
             std::size_t depth, NodeId node);

  std::vector<Node> nodes_;
  std::size_t words_ = 0;
};

}  // namespace korvel::bot

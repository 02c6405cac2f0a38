#pragma once
// What the tiles a player keeps after a move are worth for its next moves, in points: the
// learnt part of the Strong player's equity. A kept rack is described by a few features, each
// with a weight learnt from self-play (korvel-train-leaves): the first tile of each letter, every
// further tile of the same letter, and the mix of vowels and consonants. The value of a rack is
// the sum of the weights of its features.
//
// The table is text, one weight a line, '#' starting a comment:
//   first LETTER WEIGHT           a kept tile of LETTER (the first of its kind)
//   extra LETTER WEIGHT           each further kept tile of LETTER
//   balance VOWELS CONSONANTS WEIGHT   a kept rack of that many vowels (a e i o u) and others
// Features not named weigh 0.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace korvel::bot {

// Tiles per letter code 1 to 26 at index 1 to 26 (index 0 unused).
using LetterCounts = std::array<int, 27>;

class LeaveValues {
 public:
  static constexpr int kLetters = 26;
  static constexpr int kMaxKept = 8;
  // Vowel and consonant counts with v + c <= 8: 45 cells.
  static constexpr int kBalanceCells = (kMaxKept + 1) * (kMaxKept + 2) / 2;
  static constexpr int kFeatures = 2 * kLetters + kBalanceCells;

  // Every weight 0: every kept rack is worth the same.
  LeaveValues() = default;

  // Nothing when a line is neither empty, a comment nor a well-formed weight, or a number is
  // not finite or beyond +-1000 points.
  static std::optional<LeaveValues> fromText(std::string_view text);
  std::string toText() const;

  // The value of the kept tiles; letters beyond eight tiles in all count as the first eight.
  double value(const LetterCounts& kept) const;

  // The features of a kept rack and their amounts (for learning the weights).
  static void features(const LetterCounts& kept, std::vector<std::pair<int, double>>& out);

  std::array<double, kFeatures> weights{};

  static int firstIndex(int code) { return code - 1; }
  static int extraIndex(int code) { return kLetters + code - 1; }
  static int balanceIndex(int vowels, int consonants);
};

bool isVowel(int code);

}  // namespace korvel::bot

#pragma once
// How well a computer player plays. All three search the same moves; they differ in which one
// they pick: Easy forms only everyday words and aims at about half of its best score, Normal
// plays the highest score it can make with well-known words, Strong uses every word of the list
// and weighs the score against the tiles it keeps and the end of the game.

#include <array>
#include <optional>
#include <string_view>

namespace korvel::bot {

enum class Level { Easy, Normal, Strong };

inline constexpr std::array<Level, 3> kLevels{Level::Easy, Level::Normal, Level::Strong};

// "Easy", "Normal", "Strong": what the game start dialog and the settings file show.
std::string_view levelName(Level level);
// "easy", "normal", "strong": what the match tool takes and prints.
std::string_view levelWord(Level level);
// What the level knows, for the game start dialog and the help: "Easy: everyday words, gentle",
// "Normal: well-known words", "Strong: every word in the list".
std::string_view levelSummary(Level level);
// Either spelling, in any letter case; nothing for any other text.
std::optional<Level> parseLevel(std::string_view text);

}  // namespace korvel::bot

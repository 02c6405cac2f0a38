#pragma once
// How well a computer player plays. All three search the same moves; they differ in which one
// they pick: Easy forms only common words and aims at about half of its best score, Normal plays
// the highest score, Strong weighs the score against the tiles it keeps and the end of the game.

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
// Either spelling, in any letter case; nothing for any other text.
std::optional<Level> parseLevel(std::string_view text);

}  // namespace korvel::bot

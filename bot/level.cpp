#include "bot/level.h"

#include <cctype>

namespace korvel::bot {

std::string_view levelName(Level level) {
  switch (level) {
    case Level::Easy:
      return "Easy";
    case Level::Strong:
      return "Strong";
    case Level::Normal:
      break;
  }
  return "Normal";
}

std::string_view levelWord(Level level) {
  switch (level) {
    case Level::Easy:
      return "easy";
    case Level::Strong:
      return "strong";
    case Level::Normal:
      break;
  }
  return "normal";
}

std::string_view levelSummary(Level level) {
  switch (level) {
    case Level::Easy:
      return "Easy: everyday words, gentle";
    case Level::Strong:
      return "Strong: every word in the list";
    case Level::Normal:
      break;
  }
  return "Normal: well-known words";
}

std::optional<Level> parseLevel(std::string_view text) {
  for (Level level : kLevels) {
    const std::string_view word = levelWord(level);
    if (text.size() != word.size()) continue;
    bool same = true;
    for (std::size_t i = 0; i < text.size() && same; ++i) {
      same = std::tolower(static_cast<unsigned char>(text[i])) == word[i];
    }
    if (same) return level;
  }
  return std::nullopt;
}

}  // namespace korvel::bot

#include "app/computer_player_count.h"

namespace korvel::app {

int openingComputerPlayers(bool solo) {
  return solo ? 1 : 0;
}

std::optional<int> loadedComputerPlayers(bool solo, std::optional<int> saved) {
  if (!solo) return std::nullopt;
  return saved;
}

std::optional<int> computerPlayersToSave(bool solo, int count) {
  if (!solo) return std::nullopt;
  return count;
}

}  // namespace korvel::app

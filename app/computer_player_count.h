#pragma once
// How many computer players the game start dialog offers. Only a solo game remembers its count:
// a game hosted for others opens with none every time and never saves its count, so people who
// join are not pushed to spectator seats by computer players left over from a solo session.

#include <optional>

namespace korvel::app {

// The counter when the program starts, before the settings are read: one opponent in a solo game.
int openingComputerPlayers(bool solo);

// The value the loaded settings give the counter; nothing leaves it as it is.
std::optional<int> loadedComputerPlayers(bool solo, std::optional<int> saved);

// What the settings keep of the counter; nothing leaves the saved count as it is.
std::optional<int> computerPlayersToSave(bool solo, int count);

}  // namespace korvel::app

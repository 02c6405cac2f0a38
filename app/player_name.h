#pragma once
// The player's name as the Play with Others window takes it: cleaned exactly like every name
// that goes out on the wire, with a message for a name nobody could use, and the first default
// from the account.

#include <string>
#include <string_view>

namespace korvel::app {

struct NameCheck {
  std::string name;   // the cleaned name, as the login will carry it
  std::string error;  // why it cannot be used; empty when it can
};

// Cleans typed (the wire's cleaning, then surrounding spaces dropped) and says whether the
// result can be a player's name: not empty, no control characters.
NameCheck checkPlayerName(std::string_view typed);

// The account's full name: the password database's comment field up to its first comma; the
// login name when that is empty.
std::string defaultPlayerName(std::string_view gecos, std::string_view login);

}  // namespace korvel::app

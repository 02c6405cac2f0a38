#include "app/player_name.h"

#include "protocol/message.h"

namespace korvel::app {

namespace {

std::string trimmedSpaces(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return std::string(text);
}

}  // namespace

NameCheck checkPlayerName(std::string_view typed) {
  NameCheck check;
  check.name = trimmedSpaces(protocol::cleanName(typed));
  if (check.name.empty()) {
    check.error = trimmedSpaces(typed).empty()
                      ? "Type the name the other players will see."
                      : "A name cannot be made of \"+\" signs alone; type letters or digits.";
    return check;
  }
  for (unsigned char c : check.name) {
    if (c < 0x20 || c == 0x7F) {
      check.error = "A name cannot hold tabs, line breaks or other control characters.";
      return check;
    }
  }
  return check;
}

std::string defaultPlayerName(std::string_view gecos, std::string_view login) {
  std::string full = trimmedSpaces(gecos.substr(0, gecos.find(',')));
  if (!checkPlayerName(full).error.empty()) return std::string(login);
  return checkPlayerName(full).name;
}

}  // namespace korvel::app

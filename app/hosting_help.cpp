#include "app/hosting_help.h"

namespace korvel::app {

std::string hostingLine(const std::vector<std::string>& addresses, int port) {
  if (addresses.empty()) {
    return "0+Hosting on port " + std::to_string(port) +
           ": this computer shows no network address; friends need its address to join.";
  }
  std::string line = "0+Friends can join at: ";
  for (std::size_t n = 0; n < addresses.size(); ++n) {
    if (n > 0) line += ", ";
    line += addresses[n];
  }
  return line + " (port " + std::to_string(port) + ")";
}

std::string invitationLine(const std::vector<std::string>& links) {
  std::string line = "0+Invitation links to send them: ";
  for (std::size_t n = 0; n < links.size(); ++n) {
    if (n > 0) line += ", ";
    line += links[n];
  }
  return line + " (click one to copy it; File, Copy Invitation copies the first)";
}

std::string invitationCopiedLine(std::string_view link) {
  return "0+Invitation link copied: " + std::string(link);
}

}  // namespace korvel::app

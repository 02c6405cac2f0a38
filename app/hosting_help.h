#pragma once
// The line a host sees in its chat: where friends can join it.

#include <string>
#include <string_view>
#include <vector>

namespace korvel::app {

// "0+Friends can join at: ADDRESS, ADDRESS (port PORT)"; without an address the line says how
// to find one instead.
std::string hostingLine(const std::vector<std::string>& addresses, int port);

// "0+Invitation links to send them: LINK, LINK (click one to copy it; File, Copy Invitation
// copies the first)".
std::string invitationLine(const std::vector<std::string>& links);

// "0+Invitation link copied: LINK", the sign that a click or File, Copy Invitation copied it.
std::string invitationCopiedLine(std::string_view link);

}  // namespace korvel::app

#pragma once
// The line a host sees in its chat: where friends can join it.

#include <string>
#include <vector>

namespace korvel::app {

// "0+Friends can join at: ADDRESS, ADDRESS (port PORT)"; without an address the line says how
// to find one instead.
std::string hostingLine(const std::vector<std::string>& addresses, int port);

}  // namespace korvel::app

#pragma once
// What the command line asks for: a solo game, hosting, joining, or (with one or two parameters)
// nothing but the loading line. Comparisons are exact and case-sensitive: only "true" hosts.

#include <string>
#include <vector>

namespace korvel::app {

enum class StartMode { Solo, Idle, Host, Join };

struct StartPlan {
  StartMode mode = StartMode::Idle;
  std::string loadingLine;  // the chat line written first
  std::string playername;
  std::string hostaddress;
  bool openLobby = false;  // the idle lobby connection to 127.0.0.1:9001
};

// params are the arguments after the program name.
StartPlan planStart(const std::vector<std::string>& params);

}  // namespace korvel::app

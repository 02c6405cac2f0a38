#pragma once
// What the command line asks for: a solo game, hosting, joining, the Play with Others window
// for an invitation link (`korvel korvel://HOST:PORT`), or (with one or two other parameters)
// nothing but the loading line. Comparisons are exact and case-sensitive: only "true" hosts.

#include <string>
#include <vector>

namespace korvel::app {

// PlayWithOthers: the one argument is an invitation link (well formed or not); the Play with
// Others window opens with it, and hostaddress holds it as given.
enum class StartMode { Solo, Idle, Host, Join, PlayWithOthers };

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

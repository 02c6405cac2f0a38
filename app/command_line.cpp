#include "app/command_line.h"

#include "app/host_address.h"

namespace korvel::app {

StartPlan planStart(const std::vector<std::string>& params) {
  StartPlan plan;
  if (params.empty()) {
    plan.mode = StartMode::Solo;
    plan.loadingLine = "0+Loading Solo Game..Please wait.";
    plan.hostaddress = "127.0.0.1";
    plan.playername = "You";
    return plan;
  }
  if (params.size() == 1 && looksLikeInvitationLink(params[0])) {
    // A click on an invitation link in a browser or a messenger.
    plan.mode = StartMode::PlayWithOthers;
    plan.loadingLine = "0+Invitation to a game: join it from the Play with Others window.";
    plan.hostaddress = params[0];
    return plan;
  }
  plan.loadingLine = "0+Loading Multi-player Game.. Please Wait.";
  if (params.size() < 3) return plan;
  plan.playername = params[0];
  plan.hostaddress = params[1];
  plan.mode = params[2] == "true" ? StartMode::Host : StartMode::Join;
  plan.openLobby = true;
  return plan;
}

}  // namespace korvel::app

#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/hosting_help.h"

using korvel::app::planStart;
using korvel::app::StartMode;

TEST(CommandLine, ChoosesSoloHostJoinOrNothing) {
  const std::string multi = "0+Loading Multi-player Game.. Please Wait.";
  struct Case {
    std::vector<std::string> params;
    StartMode mode;
    std::string line, name, host;
    bool lobby;
  } cases[] = {
      {{}, StartMode::Solo, "0+Loading Solo Game..Please wait.", "You", "127.0.0.1", false},
      {{"Ann"}, StartMode::Idle, multi, "", "", false},
      {{"Ann", "10.0.0.2"}, StartMode::Idle, multi, "", "", false},
      {{"Ann", "10.0.0.2", "true"}, StartMode::Host, multi, "Ann", "10.0.0.2", true},
      {{"Ann", "10.0.0.2", "TRUE"}, StartMode::Join, multi, "Ann", "10.0.0.2", true},
      {{"Ann", "10.0.0.2", "yes"}, StartMode::Join, multi, "Ann", "10.0.0.2", true},
      {{"Ann", "10.0.0.2", "false"}, StartMode::Join, multi, "Ann", "10.0.0.2", true},
      {{"Ann", "host", "true", "extra", "more"}, StartMode::Host, multi, "Ann", "host", true},
  };
  for (const auto& c : cases) {
    const auto plan = planStart(c.params);
    const auto what = ::testing::PrintToString(c.params);
    EXPECT_EQ(plan.mode, c.mode) << what;
    EXPECT_EQ(plan.loadingLine, c.line) << what;
    EXPECT_EQ(plan.playername, c.name) << what;
    EXPECT_EQ(plan.hostaddress, c.host) << what;
    EXPECT_EQ(plan.openLobby, c.lobby) << what;
  }
}

TEST(HostingHelp, TellsTheHostWhereFriendsJoin) {
  EXPECT_EQ(korvel::app::hostingLine({"192.168.1.5", "2001:db8::7"}, 7772),
            "0+Friends can join at: 192.168.1.5, 2001:db8::7 (port 7772)");
  EXPECT_EQ(korvel::app::hostingLine({}, 7772).rfind("0+Hosting on port 7772:", 0), 0u);
}

// The rules behind the Play with Others window: reading addresses and invitation links, the
// words for a failed connection, the recent-hosts list and the player's name.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "app/host_address.h"
#include "app/hosting_help.h"
#include "app/player_name.h"
#include "app/recent_hosts.h"

using namespace korvel::app;

namespace {

struct Accepted {
  std::string text;
  std::string host;
  int port;
};

}  // namespace

TEST(HostAddress, FieldAcceptsNamesAddressesPortsBracketedIpv6AndLinks) {
  const Accepted cases[] = {
      {"192.168.1.20", "192.168.1.20", 7772},
      {"  192.168.1.20  ", "192.168.1.20", 7772},
      {"192.168.1.20:8000", "192.168.1.20", 8000},
      {"10.0.0.1:1", "10.0.0.1", 1},
      {"10.0.0.1:65535", "10.0.0.1", 65535},
      {"box", "box", 7772},
      {"ann-pc.local:7773", "ann-pc.local", 7773},
      {"my_box.lan", "my_box.lan", 7772},
      {"[2001:db8::1]:8000", "2001:db8::1", 8000},
      {"[::1]", "::1", 7772},
      {"2001:db8::1", "2001:db8::1", 7772},
      {"::ffff:192.168.1.20", "::ffff:192.168.1.20", 7772},
      {"1:2:3:4:5:6:7:8", "1:2:3:4:5:6:7:8", 7772},
      {"korvel://192.168.1.20:7772", "192.168.1.20", 7772},
      {"KORVEL://box", "box", 7772},
      {"korvel://box:9000/", "box", 9000},
      {"korvel://[2001:db8::1]:7772/", "2001:db8::1", 7772},
      // A link-local address as the games found on the network list it, with its interface.
      {"[fe80::1%eth0]:7772", "fe80::1%eth0", 7772},
      {"fe80::1%wlp2s0", "fe80::1%wlp2s0", 7772},
  };
  for (const auto& c : cases) {
    const auto reading = readHostAddress(c.text, 7772);
    ASSERT_TRUE(reading.address) << c.text << ": " << reading.error;
    EXPECT_EQ(reading.address->host, c.host) << c.text;
    EXPECT_EQ(reading.address->port, c.port) << c.text;
    EXPECT_TRUE(reading.error.empty()) << c.text;
  }
  // An address without a port joins on the port this copy was given.
  EXPECT_EQ(readHostAddress("box", 9100).address->port, 9100);
}

TEST(HostAddress, FieldAndLinksRefuseEverythingElseWithAReason) {
  struct Refused {
    std::string text;
    std::string reasonPart;
  } cases[] = {
      {"", "Type the address"},
      {"   ", "Type the address"},
      {"192.168.1.20:0", "from 1 to 65535"},
      {"192.168.1.20:65536", "from 1 to 65535"},
      {"192.168.1.20:", "port is missing"},
      {"192.168.1.20:80a", "not a port"},
      {"192.168.1.20:+80", "not a port"},
      {"192.168.1.256", "four parts from 0 to 255"},
      {"192.168.1", "four parts"},
      {"192.168.01.2", "four parts"},
      {"3com-box", "four parts"},
      {"-box", "not a valid computer name"},
      {"box..lan", "not a valid computer name"},
      {"b<o>x", "only letters, digits"},
      {"two words", "is not an address"},
      {"box/path", "is not an address"},
      {":7772", "missing the host"},
      {"[2001:db8::1", "not closed"},
      {"[2001:db8::g]:7772", "not a valid IPv6"},
      {"[2001:db8::1]x", "Only \":port\""},
      {"[1:2:3:4:5:6:7:8:9]", "not a valid IPv6"},
      {"[fe80::1%]:7772", "not a valid IPv6"},
      {"[fe80::1%e+0]", "not a valid IPv6"},
      {"korvel://[fe80::1%eth0]:7772", "more than an address"},
      {"1::2::3", "not a valid address"},
      {"2001:db8::1:7772x", "not a valid address"},
      {"korvel:", "starts with korvel://"},
      {"korvel:box", "starts with korvel://"},
      {"korvel://", "no host address"},
      {"korvel:///", "no host address"},
      {"korvel://box:0", "from 1 to 65535"},
      {"korvel://box:99999/", "from 1 to 65535"},
      {"korvel://box/game", "more than an address"},
      {"korvel://box//", "more than an address"},
      {"korvel://box?x=1", "more than an address"},
      {"korvel://box#top", "more than an address"},
      {"korvel://ann@box", "more than an address"},
      {"korvel://b%6Fx", "more than an address"},
      {"korvel://2001:db8::1", "in brackets"},
      {"korvel://box:7772 now", "more than an address"},
      {"http://box:7772", "is not an address"},
  };
  for (const auto& c : cases) {
    const auto reading = readHostAddress(c.text, 7772);
    EXPECT_FALSE(reading.address) << c.text;
    EXPECT_NE(reading.error.find(c.reasonPart), std::string::npos)
        << c.text << " gave: " << reading.error;
  }
  // A link is read strictly as a link: no spaces trimmed, no other scheme.
  EXPECT_FALSE(readInvitationLink(" korvel://box", 7772).address);
  EXPECT_FALSE(readInvitationLink("box:7772", 7772).address);
}

TEST(HostAddress, Ipv4PartsAreReadInTheOrderWrittenAndNothingAfterThemIsIgnored) {
  using Parts = std::array<std::uint8_t, 4>;
  EXPECT_EQ(readIpv4("192.168.1.20"), (Parts{192, 168, 1, 20}));
  EXPECT_EQ(readIpv4("0.0.0.0"), (Parts{0, 0, 0, 0}));
  EXPECT_EQ(readIpv4("255.255.255.255"), (Parts{255, 255, 255, 255}));
  for (std::string_view bad : std::initializer_list<std::string_view>{
           "1.2.3.4 ", " 1.2.3.4", "1.2.3.4.", "1..2.3", "1.2.3.0x1", "0127.0.0.1", "1.2.3", "",
           std::string_view("1.2.3.4\0.5", 9)}) {
    EXPECT_FALSE(readIpv4(bad)) << bad;
  }
}

TEST(HostAddress, ALinkFromOutsideIsJudgedAsTheFieldHoldsItAndJoinReadsTheSame) {
  const struct {
    std::string link;
    std::string field;  // what the field holds
    std::string host;   // empty: refused
  } cases[] = {
      {"korvel://box:9000", "korvel://box:9000", "box"},
      // Controls and direction marks are gone before anything is judged or shown.
      {"korvel://eve\r\n", "korvel://eve", "eve"},
      {"\xE2\x81\xA7korvel://evil\xE2\x80\xAEgnp.exe", "korvel://evilgnp.exe", "evilgnp.exe"},
      {"korvel://box   ", "korvel://box   ", "box"},
      // Refused links stay in the field to be mended, and Join refuses them the same way.
      {"korvel://box:7772 now", "korvel://box:7772 now", ""},
      // Longer than the field, or no link: nothing is kept, since a cut one reads otherwise.
      {"korvel://eve" + std::string(400, ' ') + "x", "", ""},
      {"eve", "", ""},
  };
  for (const auto& c : cases) {
    const AddressEntry entry = invitationEntry(c.link, 7772);
    EXPECT_EQ(entry.text, c.field) << c.link;
    EXPECT_EQ(entry.reading.address ? entry.reading.address->host : "", c.host) << c.link;
    EXPECT_EQ(entry.reading.address.has_value(), entry.reading.error.empty()) << c.link;
    // What was judged is what Join reads.
    if (!c.field.empty()) {
      EXPECT_EQ(readHostAddress(entry.text, 7772).error, entry.reading.error) << c.link;
    }
  }
  // The field's own reading: too long is refused, not read by its start; a quoted text in a
  // message holds no direction mark.
  EXPECT_FALSE(readHostAddress("box" + std::string(kMaxAddressText, ' '), 7772).address);
  EXPECT_EQ(readHostAddress("evil\xE2\x80\xAEgnp.exe", 7772).error,
            "\"evilgnp.exe\" is not a valid computer name: it may hold only letters, digits, '-' "
            "and '.'.");
}

TEST(HostAddress, LinksAndShownAddressesBracketIpv6AndOnlyIpv4IsReachable) {
  EXPECT_EQ(invitationLink("192.168.1.20", 7772), "korvel://192.168.1.20:7772");
  EXPECT_EQ(invitationLink("2001:db8::1", 8000), "korvel://[2001:db8::1]:8000");
  // What a link gives reads back as the same address.
  for (const auto& [host, port] : {std::pair{"10.1.2.3", 1}, std::pair{"fe80::1", 65535}}) {
    const auto back = readInvitationLink(invitationLink(host, port), 7772);
    ASSERT_TRUE(back.address) << host;
    EXPECT_EQ(*back.address, (HostAddress{host, port}));
  }
  EXPECT_EQ(addressText({"box", 7772}, 7772), "box");
  EXPECT_EQ(addressText({"box", 8000}, 7772), "box:8000");
  EXPECT_EQ(addressText({"::1", 8000}, 7772), "[::1]:8000");
  EXPECT_EQ(unreachableReason({"192.168.1.20", 7772}), "");
  EXPECT_NE(unreachableReason({"2001:db8::1", 7772}).find("IPv4 only"), std::string::npos);
  EXPECT_NE(unreachableReason({"fe80::1%eth0", 7772}).find("IPv4 only"), std::string::npos);
  EXPECT_EQ(invitationLine({"korvel://10.0.0.2:7772", "korvel://192.168.1.5:7772"}),
            "0+Invitation links to send them: korvel://10.0.0.2:7772, korvel://192.168.1.5:7772 "
            "(click one to copy it; File, Copy Invitation copies the first)");
  EXPECT_EQ(invitationCopiedLine("korvel://10.0.0.2:7772"),
            "0+Invitation link copied: korvel://10.0.0.2:7772");
}

TEST(HostAddress, ConnectionFailuresAreToldInWords) {
  struct Case {
    std::string errorName;
    std::string text;
  } cases[] = {
      {"ConnectionRefusedError", "Nobody is hosting at 192.168.1.20 port 7772"},
      {"NetworkError",
       "There is no way to reach 192.168.1.20 from this computer. Check the address and that "
       "this computer is on the network."},
      {"HostNotFoundError", "No computer named \"192.168.1.20\" was found"},
      {"SocketTimeoutError",
       "Nobody answered at 192.168.1.20 port 7772 within 10 seconds. The address may be wrong, "
       "or a firewall may block the port."},
      {"SocketAccessError", "Could not connect to 192.168.1.20 port 7772"},
      {"", "Could not connect to 192.168.1.20 port 7772"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(connectFailureText(connectFailureFromErrorName(c.errorName), "192.168.1.20", 7772),
              c.text)
        << c.errorName;
  }
}

TEST(CommandLine, OneInvitationLinkOpensThePlayWithOthersWindowAndNothingElseChanges) {
  struct Case {
    std::vector<std::string> params;
    StartMode mode;
  } cases[] = {
      {{"korvel://127.0.0.1:7772"}, StartMode::PlayWithOthers},
      {{"Korvel://box"}, StartMode::PlayWithOthers},
      // A malformed link still opens the window, which says what is wrong with it.
      {{"korvel:/box:x"}, StartMode::PlayWithOthers},
      {{"korvelbox"}, StartMode::Idle},
      {{"http://box"}, StartMode::Idle},
      {{"korvel://box", "x"}, StartMode::Idle},
      {{"korvel://box", "10.0.0.2", "true"}, StartMode::Host},
      {{"Ann", "korvel://box", "false"}, StartMode::Join},
  };
  for (const auto& c : cases) {
    const auto plan = planStart(c.params);
    EXPECT_EQ(plan.mode, c.mode) << ::testing::PrintToString(c.params);
    EXPECT_EQ(plan.openLobby, c.mode == StartMode::Host || c.mode == StartMode::Join);
  }
  EXPECT_EQ(planStart({"korvel://box:9"}).hostaddress, "korvel://box:9");
}

TEST(RecentHosts, NewestFirstNoRepeatsAtMostTenAndHostileEntriesDropped) {
  std::vector<std::string> hosts;
  for (int n = 1; n <= 12; ++n) addRecentHost(hosts, "10.0.0." + std::to_string(n));
  ASSERT_EQ(hosts.size(), kMaxRecentHosts);
  EXPECT_EQ(hosts.front(), "10.0.0.12");
  EXPECT_EQ(hosts.back(), "10.0.0.3");
  addRecentHost(hosts, "10.0.0.7");
  EXPECT_EQ(hosts.size(), kMaxRecentHosts);
  EXPECT_EQ(hosts[0], "10.0.0.7");
  EXPECT_EQ(hosts[1], "10.0.0.12");
  EXPECT_EQ(std::count(hosts.begin(), hosts.end(), "10.0.0.7"), 1);
  addRecentHost(hosts, "Box.LAN");
  addRecentHost(hosts, "box.lan");
  EXPECT_EQ(hosts[0], "box.lan");
  EXPECT_NE(hosts[1], "Box.LAN");

  // Stored as text: what reads back is the list; anything that is not an address is dropped.
  EXPECT_EQ(readRecentHosts(recentHostsText(hosts), 7772), hosts);
  EXPECT_EQ(readRecentHosts("box  <b>x</b> [::1]:8000 korvel://evil box:7772 BOX 1.2.3 a:0", 7772),
            (std::vector<std::string>{"box", "[::1]:8000", "box:7772"}));
  std::string many;
  for (int n = 1; n <= 30; ++n) many += "h" + std::to_string(n) + " ";
  EXPECT_EQ(readRecentHosts(many, 7772).size(), kMaxRecentHosts);

  const auto ini = korvel::app::IniFile::parse(
      "[Korvel]\nPlayername=J\xfcrgen\nRecenthosts=box 10.0.0.2:8000\nNotifyonmyturn=false\n");
  const auto saved = loadPlaySettings(ini, "Korvel", 7772);
  EXPECT_EQ(saved.playername, "J\xc3\xbcrgen");
  EXPECT_EQ(saved.recentHosts, (std::vector<std::string>{"box", "10.0.0.2:8000"}));
  EXPECT_FALSE(saved.notifyOnMyTurn);
  const auto none = loadPlaySettings(korvel::app::IniFile::parse(""), "Korvel", 7772);
  EXPECT_TRUE(none.playername.empty());
  EXPECT_TRUE(none.notifyOnMyTurn);
}

TEST(RecentHosts, AJoinedHostGoesFirstWrittenAsTheFieldReadsIt) {
  struct Case {
    std::string stored, host;
    int port;
    std::string after;
  } cases[] = {
      {"", "10.55.0.1", 7772, "10.55.0.1"},
      {"", "10.55.0.1", 7773, "10.55.0.1:7773"},
      {"box 10.0.0.2", "10.0.0.2", 7772, "10.0.0.2 box"},
      {"box", "BOX", 7772, "BOX"},
      {"", "2001:db8::1", 8000, "[2001:db8::1]:8000"},
      // A host given on a command line that the field would refuse is not listed.
      {"box", "<b>x</b>", 7772, "box"},
      {"box korvel://evil", "10.0.0.3", 7772, "10.0.0.3 box"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(recentHostsAfterJoin(c.stored, c.host, c.port, 7772), c.after) << c.host;
  }
}

TEST(PlayerName, CleanedLikeTheWireWithAMessageForUnusableNames) {
  struct Case {
    std::string typed, name;
    bool usable;
  } cases[] = {
      {"Ann", "Ann", true},
      {"  Ann Lee  ", "Ann Lee", true},
      {"A+n+n", "Ann", true},
      {std::string("An\xff") + "n", "Ann", true},
      {"J\xfcrgen", "J\xc3\xbcrgen", true},  // an 8-bit name becomes UTF-8, as on the wire
      {"<b>Eve</b>", "<b>Eve</b>", true},
      {"", "", false},
      {"   ", "", false},
      {"+++", "", false},
      {"Ann\tLee", "AnnLee", true},  // control characters are dropped, as on the wire
      {"Ann\nLee", "AnnLee", true},
      {"\t\n", "", false},
  };
  for (const auto& c : cases) {
    const auto check = checkPlayerName(c.typed);
    EXPECT_EQ(check.name, c.name) << c.typed;
    EXPECT_EQ(check.error.empty(), c.usable) << c.typed << ": " << check.error;
  }
  EXPECT_NE(checkPlayerName("+").error.find("\"+\" signs"), std::string::npos);

  EXPECT_EQ(defaultPlayerName("Ann Lee,Room 4,555-1234,,", "ann"), "Ann Lee");
  EXPECT_EQ(defaultPlayerName("Ann Lee", "ann"), "Ann Lee");
  EXPECT_EQ(defaultPlayerName("", "ann"), "ann");
  EXPECT_EQ(defaultPlayerName(",,,", "ann"), "ann");
  EXPECT_EQ(defaultPlayerName("+,x", "ann"), "ann");
}

// What the host asks the router and what it makes of the answers, against scripted routers.
#include "net/port_mapping.h"

#include <gtest/gtest.h>

#include <deque>

namespace {

using korvel::net::MappingOutcome;
using korvel::net::PortMapping;
using korvel::net::RouterAnswer;
using Kind = MappingOutcome::Kind;

RouterAnswer ok(std::string address = {}, int port = 0, int lease = 0) {
  RouterAnswer a;
  a.status = RouterAnswer::Status::Ok;
  a.address = std::move(address);
  a.port = port;
  a.leaseSeconds = lease;
  return a;
}

// A router that answers from a script and notes what it was asked.
struct Scripted : korvel::net::MappingProtocol {
  std::string label;
  RouterAnswer where;
  std::deque<RouterAnswer> adds;  // one per add(); granted as asked when empty
  std::vector<std::string>* log;
  Scripted(std::string l, RouterAnswer w, std::vector<std::string>* journal)
      : label(std::move(l)), where(std::move(w)), log(journal) {}
  std::string name() const override { return label; }
  RouterAnswer outsideAddress() override {
    log->push_back(label + " address");
    return where;
  }
  RouterAnswer add(int inside, int outside, int lease) override {
    log->push_back(label + " add " + std::to_string(inside) + ">" + std::to_string(outside) + " " +
                   std::to_string(lease));
    if (adds.empty()) return ok({}, outside, lease);
    RouterAnswer a = adds.front();
    adds.pop_front();
    return a;
  }
  RouterAnswer remove(int inside, int outside) override {
    log->push_back(label + " remove " + std::to_string(inside) + ">" + std::to_string(outside));
    return ok();
  }
};

TEST(PortMapping, AddressesOutsidePlayersCannotReachAreKnown) {
  const struct {
    const char* address;
    bool privateOrShared;
  } cases[] = {
      {"203.0.113.7", false},    {"8.8.8.8", false},    {"10.0.0.1", true},
      {"172.15.255.255", false}, {"172.16.0.1", true},  {"172.31.9.9", true},
      {"172.32.0.1", false},     {"192.168.1.1", true}, {"192.169.0.1", false},
      {"100.63.255.255", false}, {"100.64.0.1", true},  {"100.127.255.254", true},
      {"100.128.0.1", false},    {"0.0.0.0", true},     {"127.0.0.1", true},
      {"169.254.3.4", true},     {"224.0.0.1", true},   {"", true},
      {"1.2.3", true},           {"1.2.3.4.5", true},   {"256.1.1.1", true},
      {"01.2.3.4", true},        {"1.2.3.4 ", true},    {"<b>1.2.3.4</b>", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(korvel::net::isPrivateOrShared(c.address), c.privateOrShared) << c.address;
  EXPECT_EQ(korvel::net::cleanIpv4("203.0.113.7"), "203.0.113.7");
  EXPECT_EQ(korvel::net::cleanIpv4("203.0.113.7\n"), std::nullopt);
}

TEST(PortMapping, AsksTheRoutersInTurnAndMakesSenseOfTheirAnswers) {
  const RouterAnswer silent = RouterAnswer::noAnswer();
  const RouterAnswer conflict = RouterAnswer::refused(718, "ConflictInMappingEntry (718)");
  const RouterAnswer permanentOnly = RouterAnswer::refused(725, "OnlyPermanentLeasesSupported");
  const struct {
    const char* name;
    RouterAnswer natWhere;
    std::vector<RouterAnswer> natAdds;
    RouterAnswer upnpWhere;
    std::vector<RouterAnswer> upnpAdds;
    MappingOutcome expected;
    std::vector<std::string> asked;
  } cases[] = {
      {"NAT-PMP grants another port and a shorter lease",
       ok("203.0.113.7"),
       {ok({}, 40000, 1800)},
       silent,
       {},
       {Kind::Mapped, "NAT-PMP", "203.0.113.7", 7772, 40000, 1800, ""},
       {"NAT-PMP address", "NAT-PMP add 7772>7772 3600"}},
      {"no NAT-PMP: UPnP maps",
       silent,
       {},
       ok("198.51.100.4"),
       {},
       {Kind::Mapped, "UPnP", "198.51.100.4", 7772, 7772, 3600, ""},
       {"NAT-PMP address", "UPnP address", "UPnP add 7772>7772 3600"}},
      {"a shared outside address is told and not mapped",
       ok("100.64.12.1"),
       {},
       ok("100.64.12.1"),
       {},
       {Kind::Unreachable, "NAT-PMP", "100.64.12.1", 7772, 0, 0, ""},
       {"NAT-PMP address"}},
      {"a router with no outside address",
       silent,
       {},
       ok(""),
       {},
       {Kind::Unreachable, "UPnP", "", 7772, 0, 0, ""},
       {"NAT-PMP address", "UPnP address"}},
      {"an outside address that is not one",
       silent,
       {},
       ok("203.0.113.7<script>"),
       {},
       {Kind::Unreachable, "UPnP", "", 7772, 0, 0, ""},
       {"NAT-PMP address", "UPnP address"}},
      {"only permanent leases: a permanent mapping",
       silent,
       {},
       ok("198.51.100.4"),
       {permanentOnly},
       {Kind::Mapped, "UPnP", "198.51.100.4", 7772, 7772, 0, ""},
       {"NAT-PMP address", "UPnP address", "UPnP add 7772>7772 3600", "UPnP add 7772>7772 0"}},
      {"the port is another computer's: the next one",
       silent,
       {},
       ok("198.51.100.4"),
       {conflict, permanentOnly},
       {Kind::Mapped, "UPnP", "198.51.100.4", 7772, 7773, 0, ""},
       {"NAT-PMP address", "UPnP address", "UPnP add 7772>7772 3600", "UPnP add 7772>7773 3600",
        "UPnP add 7772>7773 0"}},
      {"every port tried is taken",
       silent,
       {},
       ok("198.51.100.4"),
       {conflict, conflict, conflict, conflict},
       {Kind::Refused, "UPnP", "198.51.100.4", 7772, 0, 0, "ConflictInMappingEntry (718)"},
       {"NAT-PMP address", "UPnP address", "UPnP add 7772>7772 3600", "UPnP add 7772>7773 3600",
        "UPnP add 7772>7774 3600", "UPnP add 7772>7775 3600"}},
      {"NAT-PMP refuses, UPnP grants",
       ok("203.0.113.7"),
       {RouterAnswer::refused(2, "not authorized")},
       ok("203.0.113.7"),
       {},
       {Kind::Mapped, "UPnP", "203.0.113.7", 7772, 7772, 3600, ""},
       {"NAT-PMP address", "NAT-PMP add 7772>7772 3600", "UPnP address",
        "UPnP add 7772>7772 3600"}},
      {"both refuse: the first refusal is told",
       ok("203.0.113.7"),
       {RouterAnswer::refused(2, "not authorized")},
       RouterAnswer::refused(501, "ActionFailed (501)"),
       {},
       {Kind::Refused, "NAT-PMP", "203.0.113.7", 7772, 0, 0, "not authorized"},
       {"NAT-PMP address", "NAT-PMP add 7772>7772 3600", "UPnP address"}},
      {"nobody answers",
       silent,
       {},
       silent,
       {},
       {Kind::NoRouter, "", "", 7772, 0, 0, ""},
       {"NAT-PMP address", "UPnP address"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> asked;
    auto nat = std::make_unique<Scripted>("NAT-PMP", c.natWhere, &asked);
    nat->adds.assign(c.natAdds.begin(), c.natAdds.end());
    auto upnp = std::make_unique<Scripted>("UPnP", c.upnpWhere, &asked);
    upnp->adds.assign(c.upnpAdds.begin(), c.upnpAdds.end());
    std::vector<std::unique_ptr<korvel::net::MappingProtocol>> protocols;
    protocols.push_back(std::move(nat));
    protocols.push_back(std::move(upnp));
    PortMapping mapping(std::move(protocols));
    EXPECT_EQ(mapping.open(7772), c.expected) << c.name;
    EXPECT_EQ(asked, c.asked) << c.name;
    EXPECT_EQ(mapping.mapped(), c.expected.kind == Kind::Mapped) << c.name;
    // What was made is removed once, from the router that made it.
    asked.clear();
    mapping.close();
    mapping.close();
    if (c.expected.kind == Kind::Mapped) {
      EXPECT_EQ(asked, std::vector<std::string>{c.expected.method + " remove 7772>" +
                                                std::to_string(c.expected.port)})
          << c.name;
    } else {
      EXPECT_TRUE(asked.empty()) << c.name;
    }
  }
}

TEST(PortMapping, RenewsHalfwayAndRetriesAFailedRenewalWithinAMinute) {
  std::vector<std::string> asked;
  auto upnp = std::make_unique<Scripted>("UPnP", ok("198.51.100.4"), &asked);
  Scripted& router = *upnp;
  std::vector<std::unique_ptr<korvel::net::MappingProtocol>> protocols;
  protocols.push_back(std::move(upnp));
  PortMapping mapping(std::move(protocols));
  EXPECT_EQ(mapping.renewAfter(), std::nullopt);
  ASSERT_EQ(mapping.open(7772).kind, Kind::Mapped);
  EXPECT_EQ(mapping.renewAfter(), std::chrono::seconds(1800));

  asked.clear();
  router.adds.push_back(RouterAnswer::noAnswer());
  const MappingOutcome lost = mapping.renew();
  EXPECT_EQ(lost.kind, Kind::NoRouter);
  EXPECT_EQ(asked, std::vector<std::string>{"UPnP add 7772>7772 3600"});
  EXPECT_EQ(mapping.renewAfter(), korvel::net::kRenewRetry);
  EXPECT_NE(korvel::net::renewalFailureText(lost).find("did not renew the forwarding of port 7772"),
            std::string::npos);

  router.adds.push_back(ok({}, 7772, 600));
  EXPECT_EQ(mapping.renew().kind, Kind::Mapped);
  EXPECT_EQ(mapping.renewAfter(), std::chrono::seconds(300));
  // Still held after the failure: removed at the end.
  asked.clear();
  mapping.close();
  EXPECT_EQ(asked, std::vector<std::string>{"UPnP remove 7772>7772"});
  EXPECT_EQ(mapping.renewAfter(), std::nullopt);
}

TEST(PortMapping, TellsEachOutcomeInWordsWithALinkOnlyForAMappedPublicAddress) {
  const MappingOutcome mapped{Kind::Mapped, "UPnP", "198.51.100.4", 7772, 7773, 3600, ""};
  EXPECT_EQ(korvel::net::mappingText(mapped),
            "Your router (UPnP) forwards port 7773 of its outside address 198.51.100.4 to this "
            "game, renewed while you host. Invitation link for players outside your network: "
            "korvel://198.51.100.4:7773 (File, Copy Invitation copies it)");
  EXPECT_EQ(korvel::net::outsideInvitationLink(mapped), "korvel://198.51.100.4:7773");

  const MappingOutcome shared{Kind::Unreachable, "NAT-PMP", "100.64.12.1", 7772, 0, 0, ""};
  EXPECT_EQ(korvel::net::mappingText(shared),
            "Your router's outside address is 100.64.12.1, a private or shared address. Players "
            "outside your network cannot reach this address; play on the same network or over a "
            "VPN");
  EXPECT_EQ(korvel::net::outsideInvitationLink(shared), std::nullopt);
  const MappingOutcome none{Kind::Unreachable, "UPnP", "", 7772, 0, 0, ""};
  EXPECT_EQ(korvel::net::mappingText(none),
            "Your router reports no outside address. Players outside your network cannot reach "
            "this address; play on the same network or over a VPN");

  const MappingOutcome refused{Kind::Refused, "UPnP", "", 7772, 0, 0, "ActionFailed (501)"};
  EXPECT_EQ(korvel::net::mappingText(refused),
            "Your router (UPnP) refused to open port 7772: ActionFailed (501). Players outside "
            "your network can join only if port 7772 is forwarded to this computer on the router "
            "by hand.");
  EXPECT_EQ(korvel::net::outsideInvitationLink(refused), std::nullopt);
  EXPECT_EQ(korvel::net::mappingText({Kind::NoRouter, "", "", 8000, 0, 0, ""}),
            "No router answered the request to open port 8000 (NAT-PMP and UPnP). Players "
            "outside your network can join only if port 8000 is forwarded to this computer on "
            "the router by hand.");
  // A permanent mapping says how long it lasts.
  EXPECT_NE(korvel::net::mappingText({Kind::Mapped, "UPnP", "198.51.100.4", 7772, 7772, 0, ""})
                .find(", until Korvel ends."),
            std::string::npos);
}

}  // namespace

// What the host asks the router and what it makes of the answers, against scripted routers.
#include "net/port_mapping.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>

#include "net/router_discovery.h"

namespace {

using korvel::net::MappingOutcome;
using korvel::net::PortMapping;
using korvel::net::RouterAnswer;
using Kind = MappingOutcome::Kind;

RouterAnswer ok(std::string address = {}, int port = 0, std::int64_t lease = 0) {
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
  using Use = korvel::net::AddressUse;
  constexpr Use P = Use::Public, S = Use::PrivateOrShared, U = Use::Unusable;
  const struct {
    const char* address;
    Use use;
  } cases[] = {
      {"203.0.113.7", P}, {"8.8.8.8", P},         {"10.0.0.1", S},        {"172.15.255.255", P},
      {"172.16.0.1", S},  {"172.31.9.9", S},      {"172.32.0.1", P},      {"192.168.1.1", S},
      {"192.169.0.1", P}, {"100.63.255.255", P},  {"100.64.0.1", S},      {"100.127.255.254", S},
      {"100.128.0.1", P}, {"0.0.0.0", U},         {"0.1.2.3", U},         {"127.0.0.1", U},
      {"169.254.3.4", U}, {"169.253.3.4", P},     {"224.0.0.1", U},       {"239.255.255.250", U},
      {"240.0.0.1", U},   {"255.255.255.255", U}, {"223.255.255.255", P}, {"", U},
      {"1.2.3", U},       {"1.2.3.4.5", U},       {"256.1.1.1", U},       {"01.2.3.4", U},
      {"1.2.3.4 ", U},    {"<b>1.2.3.4</b>", U},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(korvel::net::outsideAddressUse(c.address), c.use) << c.address;
    EXPECT_EQ(korvel::net::isPrivateOrShared(c.address), c.use != P) << c.address;
  }
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

// A router's lifetime reaches the renewal timer (milliseconds in an int) only within bounds:
// 2^30 s made a timer of 0 ms, 2^32-1 s a negative one.
TEST(PortMapping, HoldsEveryGrantedLeaseInRangeAndAsksForAnHourAtEachRenewal) {
  const struct {
    std::int64_t granted;
    int held;  // the lease counted with; renewed after half of it
  } cases[] = {
      {1LL << 30, 3600}, {0xffffffffLL, 3600}, {0x7fffffffLL, 3600}, {7200, 3600}, {3600, 3600},
      {600, 600},        {121, 121},           {120, 120},           {119, 120},   {1, 120},
      {-1, 120},         {INT64_MIN, 120},     {INT64_MAX, 3600},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(korvel::net::saneLease(c.granted), c.held) << c.granted;
    std::vector<std::string> asked;
    auto nat = std::make_unique<Scripted>("NAT-PMP", ok("198.51.100.4"), &asked);
    Scripted& router = *nat;
    router.adds = {ok({}, 7772, c.granted), ok({}, 7772, c.granted)};
    std::vector<std::unique_ptr<korvel::net::MappingProtocol>> protocols;
    protocols.push_back(std::move(nat));
    PortMapping mapping(std::move(protocols));
    const MappingOutcome opened = mapping.open(7772);
    EXPECT_EQ(opened.leaseSeconds, c.held) << c.granted;
    EXPECT_NE(korvel::net::mappingText(opened).find("renewed while you host"), std::string::npos);
    EXPECT_EQ(mapping.renewAfter(), std::chrono::seconds(c.held / 2)) << c.granted;
    EXPECT_EQ(mapping.renew().leaseSeconds, c.held) << c.granted;
    EXPECT_EQ(mapping.renewAfter(), std::chrono::seconds(c.held / 2)) << c.granted;
    EXPECT_EQ(asked, (std::vector<std::string>{"NAT-PMP address", "NAT-PMP add 7772>7772 3600",
                                               "NAT-PMP add 7772>7772 3600"}))
        << c.granted;
  }
  // Permanent stays permanent: nothing to renew.
  EXPECT_EQ(korvel::net::saneLease(0), 0);
}

TEST(PortMapping, TellsNatPmpResultCodesAsTheyAre) {
  const struct {
    int code;
    const char* text;
  } cases[] = {
      {1, "it does not speak this version of NAT-PMP"},
      {5, "it does not support port mapping"},
      {6, "result code 6"},
      {49, "result code 49"},
      {99, "result code 99"},
  };
  for (const auto& c : cases) EXPECT_EQ(korvel::net::natPmpResultText(c.code), c.text) << c.code;
}

// /proc/net/route as the kernel writes it on a little-endian machine.
TEST(RouterDiscovery, FindsTheDefaultGatewaysInTheRoutingTable) {
  if (const std::uint32_t one = 1; *reinterpret_cast<const unsigned char*>(&one) != 1)
    GTEST_SKIP() << "the table below is in little-endian order";
  const std::string header =
      "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";
  const struct {
    const char* name;
    std::string routes;
    std::vector<std::string> gateways;
  } cases[] = {
      {"a home network",
       "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
       "eth0\t0001A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n",
       {"192.168.1.1"}},
      {"two default routes, one twice",
       "wlan0\t00000000\t FE00000A\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
       "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
       "eth1\t00000000\t0101A8C0\t0003\t0\t0\t200\t00000000\t0\t0\t0\n",
       {"10.0.0.254", "192.168.1.1"}},
      {"a default route without a gateway (a tunnel), one that is down, one with a mask",
       "tun0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n"
       "eth0\t00000000\t0101A8C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"
       "eth0\t00000000\t0201A8C0\t0003\t0\t0\t0\t000000FF\t0\t0\t0\n"
       "eth0\t0000000A\t0301A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n",
       {}},
      {"lines that do not read, and one with spaces that does",
       "eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\n"
       "eth0\t00000000\t-101A8C0\t0003\t0\t0\t100\t00000000\n"
       "eth0 00000000 1230101A8C0 0003 0 0 100 00000000\n"
       "eth0 00000000 0101A8C0 0003 0 0 100 00000000",
       {"192.168.1.1"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(korvel::net::defaultGateways(header + c.routes), c.gateways) << c.name;
  // The header line is never a route.
  EXPECT_TRUE(
      korvel::net::defaultGateways("eth0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000").empty());
}

// Only a device at a default gateway is the router: the answer to the search names where its
// description is, and the description where its control is; both must be on the gateway.
TEST(RouterDiscovery, TakesOnlyTheDefaultGatewayForTheRouter) {
  const std::vector<std::string> gateways{"192.168.1.1", "10.0.0.254"};
  const struct {
    const char* datagram;
    std::optional<std::string> location;
    bool gateway;
  } cases[] = {
      {"HTTP/1.1 200 OK\r\nST: urn:x\r\nLOCATION: http://192.168.1.1:5000/rootDesc.xml\r\n\r\n",
       "http://192.168.1.1:5000/rootDesc.xml", true},
      {"HTTP/1.1 200 OK\nlocation:http://10.0.0.254/d.xml  \n\n", "http://10.0.0.254/d.xml", true},
      {"HTTP/1.1 200 OK\r\nLocation: HTTP://192.168.1.1:80\r\n\r\n", "HTTP://192.168.1.1:80", true},
      // A stranger on the network.
      {"HTTP/1.1 200 OK\r\nLOCATION: http://192.168.1.77:49152/desc.xml\r\n\r\n",
       "http://192.168.1.77:49152/desc.xml", false},
      {"HTTP/1.1 200 OK\r\nLOCATION: http://192.168.1.1@198.51.100.9/\r\n\r\n",
       "http://192.168.1.1@198.51.100.9/", false},
      {"HTTP/1.1 200 OK\r\nLOCATION: https://192.168.1.1/\r\n\r\n", "https://192.168.1.1/", false},
      {"HTTP/1.1 200 OK\r\nLOCATION: http://router.lan:5000/\r\n\r\n", "http://router.lan:5000/",
       false},
      {"HTTP/1.1 200 OK\r\nLOCATION: http://192.168.1.1:0/\r\n\r\n", "http://192.168.1.1:0/",
       false},
      // Not an answer, or one without a usable place.
      {"NOTIFY * HTTP/1.1\r\nLOCATION: http://192.168.1.1/\r\n\r\n", std::nullopt, false},
      {"HTTP/1.1 404 Not Found\r\nLOCATION: http://192.168.1.1/\r\n\r\n", std::nullopt, false},
      {"HTTP/1.1 200 OK\r\n\r\nLOCATION: http://192.168.1.1/\r\n", std::nullopt, false},
      {"HTTP/1.1 200 OK\r\nLOCATION: http://192.168.1.1/a b\r\n\r\n", std::nullopt, false},
      {"HTTP/1.1 200 OK\r\nX-LOCATION: http://192.168.1.1/\r\n\r\n", std::nullopt, false},
      {"", std::nullopt, false},
  };
  for (const auto& c : cases) {
    const auto location = korvel::net::ssdpLocation(c.datagram);
    EXPECT_EQ(location, c.location) << c.datagram;
    EXPECT_EQ(location && korvel::net::isGatewayUrl(*location, gateways), c.gateway) << c.datagram;
  }
  EXPECT_FALSE(korvel::net::isGatewayUrl("http://192.168.1.1/", {}));
  EXPECT_EQ(korvel::net::ssdpSearch("239.255.255.250", 1900, 1),
            "M-SEARCH * HTTP/1.1\r\nHOST: 239.255.255.250:1900\r\nST: "
            "urn:schemas-upnp-org:device:InternetGatewayDevice:1\r\nMAN: \"ssdp:discover\"\r\nMX: "
            "1\r\n\r\n");
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
  // An address that is no address on the internet is not called private.
  for (const char* unusable : {"255.255.255.255", "127.0.0.1", "0.0.0.0", "224.0.0.9"}) {
    const MappingOutcome o{Kind::Unreachable, "NAT-PMP", unusable, 7772, 0, 0, ""};
    EXPECT_EQ(korvel::net::mappingText(o),
              "Your router reports " + std::string(unusable) +
                  " as its outside address, which is no address on the internet (loopback, "
                  "broadcast, link-local or reserved). Players outside your network cannot reach "
                  "this address; play on the same network or over a VPN");
    EXPECT_EQ(korvel::net::outsideInvitationLink(o), std::nullopt);
  }
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

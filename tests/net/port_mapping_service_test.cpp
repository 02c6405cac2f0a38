// NAT-PMP and UPnP requests against stand-in routers on loopback, and the worker that runs them
// for the window.
#include "net/port_mapping_service.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "fake_router.h"
#include "net/nat_pmp_router.h"
#include "net/upnp_router.h"

namespace {

using korvel::net::MappingOutcome;
using korvel::net::PortMapping;
using korvel::net::RouterAnswer;
using Kind = MappingOutcome::Kind;
using Protocols = std::vector<std::unique_ptr<korvel::net::MappingProtocol>>;

std::unique_ptr<NatPmpRouter> natPmp(const FakeNatPmp& router, int waitMs = 2000) {
  return std::make_unique<NatPmpRouter>(
      NatPmpRouter::Options{router.gateway(), std::chrono::milliseconds(waitMs), {}});
}

// The stand-ins are on loopback; the tests declare 127.0.0.1 the default gateway.
std::vector<std::string> loopbackGateway() {
  return {"127.0.0.1"};
}

UpnpRouter::Options upnpOptions(std::string rootUrl = {},
                                std::shared_ptr<const korvel::net::ExchangeLimit> limit = {}) {
  UpnpRouter::Options options;
  options.rootDescriptionUrl = std::move(rootUrl);
  options.gateways = loopbackGateway;
  options.limit = std::move(limit);
  return options;
}

std::unique_ptr<UpnpRouter> upnp(const FakeGateway& gateway) {
  return std::make_unique<UpnpRouter>(upnpOptions(gateway.rootUrl()));
}

TEST(NatPmpRouter, AsksTheAddressMapsRenewsAndRemovesAndReadsRefusals) {
  FakeNatPmp router;
  ASSERT_TRUE(router.listening());
  router.portOffset = 100;  // the router picks the outside port
  auto nat = natPmp(router);
  const RouterAnswer where = nat->outsideAddress();
  EXPECT_EQ(where.status, RouterAnswer::Status::Ok);
  EXPECT_EQ(where.address, "203.0.113.7");
  const RouterAnswer granted = nat->add(7772, 7772, 3600);
  EXPECT_EQ(granted.status, RouterAnswer::Status::Ok);
  EXPECT_EQ(granted.port, 7872);
  EXPECT_EQ(granted.leaseSeconds, 3600);
  EXPECT_EQ(nat->remove(7772, 7872).status, RouterAnswer::Status::Ok);
  EXPECT_EQ(router.requests(), (std::vector<MappingRequest>{{7772, 7772, 3600}, {7772, 0, 0}}));

  router.mapResult = 2;
  const RouterAnswer refused = nat->add(7772, 7772, 3600);
  EXPECT_EQ(refused.status, RouterAnswer::Status::Refused);
  EXPECT_EQ(refused.reason, "not authorized");
  router.mapResult = 4;
  EXPECT_EQ(nat->add(7772, 7772, 3600).reason, "it has no room for another mapping");
  // A code NAT-PMP gives no meaning is told as the number it is.
  router.mapResult = 99;
  const RouterAnswer odd = nat->add(7772, 7772, 3600);
  EXPECT_EQ(odd.code, 99);
  EXPECT_EQ(odd.reason, "result code 99");

  // A lifetime near 2^32 s comes through as granted; the mapping's rules bound it.
  router.mapResult = 0;
  router.lifetime = 0xffffffffu;
  EXPECT_EQ(nat->add(7772, 7772, 3600).leaseSeconds, 0xffffffffLL);
  router.lifetime = 0;

  // A router without an outside network says so with result 3: an address nobody can reach.
  router.addressResult = 3;
  std::vector<std::unique_ptr<korvel::net::MappingProtocol>> protocols;
  protocols.push_back(natPmp(router));
  PortMapping mapping(std::move(protocols));
  const MappingOutcome outcome = mapping.open(7772);
  EXPECT_EQ(outcome.kind, Kind::Unreachable);
  EXPECT_EQ(outcome.address, "");
}

TEST(NatPmpRouter, ARouterThatSaysNothingIsNoAnswerWithinTheWait) {
  FakeNatPmp router;
  ASSERT_TRUE(router.listening());
  router.silent = true;
  auto nat = natPmp(router, 300);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(nat->outsideAddress().status, RouterAnswer::Status::NoAnswer);
  EXPECT_EQ(nat->add(7772, 7772, 3600).status, RouterAnswer::Status::NoAnswer);
  // Bounded by the wait (two requests of 300 ms), not libnatpmp's own minute of resends.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_GE(router.addressRequests(), 1);
}

TEST(UpnpRouter, MapsThroughTheGatewaysControlAndHandlesItsErrors) {
  FakeGateway gateway;
  // 718 for the game port (another computer holds it), and only permanent leases.
  gateway.addResult = [](const MappingRequest& r) {
    if (r.outsidePort == 7772) return 718;
    return r.lease != 0 ? 725 : 0;
  };
  FakeNatPmp silentRouter;
  ASSERT_TRUE(silentRouter.listening());
  silentRouter.silent = true;
  Protocols protocols;
  protocols.push_back(natPmp(silentRouter, 200));
  protocols.push_back(upnp(gateway));
  PortMapping mapping(std::move(protocols));
  const MappingOutcome outcome = mapping.open(7772);
  EXPECT_EQ(outcome, (MappingOutcome{Kind::Mapped, "UPnP", "203.0.113.7", 7772, 7773, 0, ""}));
  EXPECT_EQ(gateway.adds(), (std::vector<MappingRequest>{{7772, 7773, 0}}));
  // Permanent: nothing to renew, removed at the end.
  EXPECT_EQ(mapping.renewAfter(), std::nullopt);
  mapping.close();
  EXPECT_EQ(gateway.deletes(), std::vector<int>{7773});

  gateway.addResult = [](const MappingRequest&) { return 718; };
  Protocols taken;
  taken.push_back(upnp(gateway));
  const MappingOutcome refused = PortMapping(std::move(taken)).open(7772);
  EXPECT_EQ(refused.kind, Kind::Refused);
  EXPECT_EQ(refused.reason, "ConflictInMappingEntry (718)");
}

TEST(UpnpRouter, APrivateOutsideAddressIsToldAndNothingIsMapped) {
  for (const char* address : {"10.0.0.1", "100.64.0.1", "0.0.0.0", ""}) {
    FakeGateway gateway;
    gateway.outsideAddress = address;
    Protocols protocols;
    protocols.push_back(upnp(gateway));
    const MappingOutcome outcome = PortMapping(std::move(protocols)).open(7772);
    EXPECT_EQ(outcome.kind, Kind::Unreachable) << address;
    EXPECT_EQ(outcome.address, std::string(address) == "0.0.0.0" ? "" : address);
    EXPECT_TRUE(gateway.adds().empty()) << address;
  }
  // A gateway that is not there.
  std::string url;
  {
    FakeGateway gone;
    url = gone.rootUrl();
  }
  UpnpRouter missing(upnpOptions(url));
  EXPECT_EQ(missing.outsideAddress().status, RouterAnswer::Status::NoAnswer);
}

// A gateway device whose description trickles in, or never ends, is given up at the HTTP wait or
// at kMaxRouterReply.
TEST(UpnpRouter, GivesUpADescriptionThatTricklesOrNeverEnds) {
  FakeGateway trickling;
  trickling.description = FakeGateway::Description::Trickled;
  trickling.trickleMs = 100;
  UpnpRouter::Options options = upnpOptions(trickling.rootUrl());
  options.httpWait = std::chrono::milliseconds(300);
  EXPECT_EQ(UpnpRouter(options).outsideAddress().status, RouterAnswer::Status::NoAnswer);
  EXPECT_EQ(trickling.requests(), 1);

  FakeGateway endless;
  endless.description = FakeGateway::Description::Endless;
  options = upnpOptions(endless.rootUrl());
  options.httpWait = std::chrono::seconds(60);
  EXPECT_EQ(UpnpRouter(options).outsideAddress().status, RouterAnswer::Status::NoAnswer);
  // Given up at the cap: what the stand-in got out is that and what the sockets hold, far from
  // its gibibyte.
  EXPECT_LT(endless.endlessSent(), 64LL << 20);
  EXPECT_GT(endless.endlessSent(), static_cast<long long>(korvel::net::kMaxRouterReply / 2));
}

// Any device on the network may answer the gateway search; only the one at the default gateway
// (127.0.0.1 here) is asked anything.
TEST(UpnpRouter, AsksOnlyTheDefaultGatewayNotAStrangerThatAnswersTheSearch) {
  FakeGateway stranger("127.0.0.3");
  stranger.outsideAddress = "198.51.100.9";
  FakeGateway gateway;
  FakeSsdp ssdp;
  const auto searching = [&ssdp] {
    UpnpRouter::Options options = upnpOptions();
    options.searchHost = "127.0.0.1";
    options.searchPort = ssdp.port();
    options.searchMilliseconds = 1000;
    return options;
  };
  ssdp.locations = {stranger.rootUrl(), gateway.rootUrl()};
  {
    Protocols protocols;
    protocols.push_back(std::make_unique<UpnpRouter>(searching()));
    const MappingOutcome outcome = PortMapping(std::move(protocols)).open(7772);
    EXPECT_EQ(outcome.kind, Kind::Mapped);
    EXPECT_EQ(outcome.address, "203.0.113.7");
  }
  EXPECT_EQ(gateway.adds().size(), 1u);
  EXPECT_EQ(stranger.requests(), 0);

  ssdp.locations = {stranger.rootUrl()};
  EXPECT_EQ(UpnpRouter(searching()).outsideAddress().status, RouterAnswer::Status::NoAnswer);
  EXPECT_GE(ssdp.searches(), 2);
  EXPECT_EQ(UpnpRouter(upnpOptions(stranger.rootUrl())).outsideAddress().status,
            RouterAnswer::Status::NoAnswer);
  EXPECT_EQ(stranger.requests(), 0);
}

// The window closing while a gateway device trickles its description (a byte every 4 s): the
// service goes within its bound, and nothing is told afterwards.
TEST(PortMappingService, EndsWithinItsBoundWhileTheGatewayTrickles) {
  FakeGateway gateway;
  gateway.description = FakeGateway::Description::Trickled;
  FakeSsdp ssdp;
  ssdp.locations = {gateway.rootUrl()};
  std::vector<QString> lines;
  std::chrono::steady_clock::duration ending{};
  {
    auto service = std::make_unique<PortMappingService>(
        [&](std::shared_ptr<const korvel::net::ExchangeLimit> limit) {
          UpnpRouter::Options options = upnpOptions({}, limit);
          options.searchHost = "127.0.0.1";
          options.searchPort = ssdp.port();
          options.httpWait = std::chrono::seconds(60);
          Protocols protocols;
          protocols.push_back(std::make_unique<UpnpRouter>(options));
          return protocols;
        });
    QObject::connect(service.get(), &PortMappingService::told,
                     [&](const QString& line) { lines.push_back(line); });
    service->open(7790);
    ASSERT_TRUE(QTest::qWaitFor([&] { return gateway.requests() > 0; }, 10000));
    const auto started = std::chrono::steady_clock::now();
    service.reset();
    ending = std::chrono::steady_clock::now() - started;
  }
  EXPECT_LT(ending, PortMappingService::kEndWait + std::chrono::milliseconds(500));
  QCoreApplication::processEvents();
  EXPECT_TRUE(lines.empty());
}

// Ending while a renewal waits on a router that stopped answering: the renewal is given up and
// the mapping still removed, within the bound.
TEST(PortMappingService, StopsAWaitingRenewalAndStillRemovesTheMappingAtTheEnd) {
  FakeNatPmp router;
  ASSERT_TRUE(router.listening());
  std::vector<QString> lines;
  std::chrono::steady_clock::duration ending{};
  {
    auto service = std::make_unique<PortMappingService>(
        [&router](std::shared_ptr<const korvel::net::ExchangeLimit> limit) {
          Protocols protocols;
          protocols.push_back(std::make_unique<NatPmpRouter>(
              NatPmpRouter::Options{router.gateway(), std::chrono::seconds(60), limit}));
          return protocols;
        });
    QObject::connect(service.get(), &PortMappingService::told,
                     [&](const QString& line) { lines.push_back(line); });
    service->open(7790);
    QTRY_COMPARE_WITH_TIMEOUT(lines.size(), std::size_t(1), 10000);
    EXPECT_TRUE(lines[0].startsWith("Your router (NAT-PMP) forwards port 7790"));
    router.silent = true;
    service->renewTick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return router.mapRequests() >= 2; }, 10000));
    router.silent = false;
    const auto started = std::chrono::steady_clock::now();
    service.reset();
    ending = std::chrono::steady_clock::now() - started;
  }
  EXPECT_LT(ending, PortMappingService::kEndWait + std::chrono::milliseconds(500));
  // (A resend of the renewal may have been answered before the end began.)
  const std::vector<MappingRequest> asked = router.requests();
  ASSERT_GE(asked.size(), 2u);
  EXPECT_EQ(asked.front(), (MappingRequest{7790, 7790, 3600}));
  EXPECT_EQ(asked.back(), (MappingRequest{7790, 0, 0}));
  EXPECT_EQ(lines.size(), 1u);
}

TEST(PortMappingService, TellsTheMappingRenewsItOnTheTimerAndRemovesItAtTheEnd) {
  FakeGateway gateway;
  std::vector<QString> lines;
  QString link;
  {
    PortMappingService service([&gateway](auto) {
      Protocols protocols;
      protocols.push_back(upnp(gateway));
      return protocols;
    });
    QObject::connect(&service, &PortMappingService::told,
                     [&](const QString& line) { lines.push_back(line); });
    QObject::connect(&service, &PortMappingService::invitationChanged,
                     [&](const QString& l) { link = l; });
    service.open(7790);
    QTRY_COMPARE_WITH_TIMEOUT(lines.size(), std::size_t(1), 10000);
    EXPECT_TRUE(
        lines[0].startsWith("Your router (UPnP) forwards port 7790 of its outside address "
                            "203.0.113.7"));
    EXPECT_EQ(link, "korvel://203.0.113.7:7790");
    EXPECT_TRUE(service.renewTimer.isActive());
    EXPECT_EQ(service.renewTimer.interval(), 1800 * 1000);

    // A renewal the router refuses is told once; the one that works again is told too.
    gateway.addResult = [](const MappingRequest&) { return 501; };
    service.renewTick();
    QTRY_COMPARE_WITH_TIMEOUT(lines.size(), std::size_t(2), 10000);
    EXPECT_TRUE(lines[1].contains("did not renew the forwarding of port 7790: Action Failed (501)"))
        << lines[1].toStdString();
    EXPECT_EQ(service.renewTimer.interval(), 60 * 1000);
    gateway.addResult = [](const MappingRequest&) { return 0; };
    service.renewTick();
    QTRY_COMPARE_WITH_TIMEOUT(lines.size(), std::size_t(3), 10000);
    EXPECT_TRUE(lines[2].startsWith("Your router (UPnP) forwards port 7790"));
    EXPECT_EQ(gateway.adds().size(), 2u);
    EXPECT_TRUE(gateway.deletes().empty());
  }
  EXPECT_EQ(gateway.deletes(), std::vector<int>{7790});
}

}  // namespace

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

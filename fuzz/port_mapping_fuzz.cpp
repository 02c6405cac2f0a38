// Arbitrary router answers fed to the port mapping, as two routers (NAT-PMP and UPnP) would give
// them. Whatever they say: a mapping is only reported for a public outside address and a port in
// range, a link is offered only then and names that address and port, every sentence is
// printable ASCII, a renewal is due within half an hour, and what was mapped is removed exactly
// once, from the router that mapped it. The same bytes, read as a routing table, an SSDP answer
// and a device's address, give only dotted gateways and a device on a gateway only when its host
// is one.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/port_mapping.h"
#include "net/router_discovery.h"

namespace {

using namespace korvel::net;

void check(bool ok) {
  if (!ok) std::abort();
}

struct Input {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
  int byte() { return at < size ? data[at++] : 0; }
  int number() { return byte() << 8 | byte(); }
  std::string text() {
    std::string t;
    for (int n = byte() % 24; n > 0 && at < size; --n) t += static_cast<char>(byte());
    return t;
  }
  RouterAnswer answer() {
    RouterAnswer a;
    a.status = static_cast<RouterAnswer::Status>(byte() % 3);
    // Mostly dotted addresses, sometimes anything.
    if (byte() & 1) {
      a.address = std::to_string(byte()) + "." + std::to_string(byte()) + "." +
                  std::to_string(byte()) + "." + std::to_string(byte());
    } else {
      a.address = text();
    }
    a.port = number() - 100;
    // Up to about 2^32 s, as NAT-PMP may grant, and below 0.
    a.leaseSeconds = static_cast<std::int64_t>(number()) * 65537 - 1000;
    const int c = byte();
    a.code = c < 16 ? kUpnpConflictInMappingEntry : c < 32 ? kUpnpOnlyPermanentLeases : c;
    a.reason = "reason";
    return a;
  }
};

// Counts outlive the routers, which the mapping owns.
struct Counts {
  int added = 0, removed = 0;
};

struct Router : MappingProtocol {
  std::string label;
  Input* in;
  Counts& counts;
  int& added = counts.added;
  int& removed = counts.removed;
  Router(std::string l, Input* input, Counts& c) : label(std::move(l)), in(input), counts(c) {}
  std::string name() const override { return label; }
  RouterAnswer outsideAddress() override { return in->answer(); }
  RouterAnswer add(int, int, int) override {
    RouterAnswer a = in->answer();
    if (a.status == RouterAnswer::Status::Ok) ++added;
    return a;
  }
  RouterAnswer remove(int, int) override {
    ++removed;
    return in->answer();
  }
};

bool printable(const std::string& s) {
  for (unsigned char c : s) {
    if (c < 0x20 || c > 0x7e) return false;
  }
  return true;
}

void checkOutcome(const MappingOutcome& o) {
  const auto link = outsideInvitationLink(o);
  if (o.kind == MappingOutcome::Kind::Mapped) {
    check(!isPrivateOrShared(o.address) && cleanIpv4(o.address).has_value());
    check(o.port >= 1 && o.port <= 65535);
    check(link && *link == "korvel://" + o.address + ":" + std::to_string(o.port));
  } else {
    check(!link);
  }
  if (o.kind == MappingOutcome::Kind::Unreachable) check(o.address.empty() || cleanIpv4(o.address));
  check(printable(mappingText(o)));
  check(printable(renewalFailureText(o)));
}

void checkDiscovery(std::string_view text) {
  const std::vector<std::string> gateways = defaultGateways(text);
  for (const std::string& g : gateways) check(cleanIpv4(g).has_value());
  if (const auto location = ssdpLocation(text)) {
    check(!location->empty() && location->size() <= 512);
    for (unsigned char c : *location) check(c > 0x20 && c < 0x7f);
    if (isGatewayUrl(*location, gateways)) check(httpUrlHost(*location).has_value());
  }
  const auto host = httpUrlHost(text);
  if (host) check(cleanIpv4(*host).has_value() && isGatewayUrl(text, {*host}));
  check(!isGatewayUrl(text, {}));
  check(host.has_value() || !isGatewayUrl(text, gateways));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  checkDiscovery(std::string_view(reinterpret_cast<const char*>(data), size));
  Input in{data, size};
  Counts routers[2];
  auto nat = std::make_unique<Router>("NAT-PMP", &in, routers[0]);
  auto upnp = std::make_unique<Router>("UPnP", &in, routers[1]);
  std::vector<std::unique_ptr<MappingProtocol>> protocols;
  protocols.push_back(std::move(nat));
  protocols.push_back(std::move(upnp));
  {
    PortMapping mapping(std::move(protocols));
    const int port = 1 + in.number() % 65535;
    const MappingOutcome opened = mapping.open(port);
    checkOutcome(opened);
    check(mapping.mapped() == (opened.kind == MappingOutcome::Kind::Mapped));
    for (int n = in.byte() % 4; n > 0; --n) {
      const MappingOutcome renewed = mapping.renew();
      if (renewed.kind == MappingOutcome::Kind::Mapped) checkOutcome(renewed);
      const auto after = mapping.renewAfter();
      check(!after || (after->count() >= 30 && after->count() <= kMappingLeaseSeconds / 2));
    }
    // The destructor removes what is left.
    if (!mapping.mapped()) check(routers[0].removed + routers[1].removed == 0);
  }
  check(routers[0].removed + routers[1].removed <= 1);
  check(routers[0].removed <= (routers[0].added > 0 ? 1 : 0));
  check(routers[1].removed <= (routers[1].added > 0 ? 1 : 0));
  return 0;
}

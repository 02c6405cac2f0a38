#pragma once
// Which device on the network is the router: only this computer's default gateway may answer
// for it. A stranger on the network answering the gateway search is not asked anything. The
// routing table, the search's answers and the device's addresses are read here; nothing here
// touches the network.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::net {

// The IPv4 default gateways in the text of /proc/net/route (the kernel's table: a header line,
// then one route a line, addresses as the hex of the address's bytes in this machine's order):
// each route that is up, goes through a gateway and leads everywhere, as dotted IPv4, first seen
// first, each once.
std::vector<std::string> defaultGateways(std::string_view procNetRoute);

// The LOCATION of an SSDP search answer ("HTTP/1.1 200 OK" and its header lines): the device's
// description address, when there is one.
std::optional<std::string> ssdpLocation(std::string_view datagram);

// The host of an http:// address when it is a dotted IPv4 address ("http://192.168.1.1:5000/x"
// gives "192.168.1.1").
std::optional<std::string> httpUrlHost(std::string_view url);

// True when url is an http:// address on one of the gateways.
bool isGatewayUrl(std::string_view url, const std::vector<std::string>& gateways);

// The search for gateway devices, sent to `host`:`port` (the SSDP group 239.255.255.250:1900).
std::string ssdpSearch(std::string_view host, int port, int waitSeconds);

}  // namespace korvel::net

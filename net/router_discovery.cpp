#include "net/router_discovery.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <utility>

#include "net/port_mapping.h"

namespace korvel::net {

namespace {

// The whitespace-separated fields of one line.
std::vector<std::string_view> fields(std::string_view line) {
  std::vector<std::string_view> out;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
    if (at > start) out.push_back(line.substr(start, at - start));
  }
  return out;
}

std::optional<std::uint32_t> hex32(std::string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool sameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
    text.remove_suffix(1);
  return text;
}

}  // namespace

std::vector<std::string> defaultGateways(std::string_view table) {
  constexpr std::uint32_t kUp = 0x1, kGateway = 0x2;
  std::vector<std::string> gateways;
  bool header = true;
  while (!table.empty()) {
    const std::size_t end = std::min(table.find('\n'), table.size());
    const std::string_view line = table.substr(0, end);
    table.remove_prefix(std::min(end + 1, table.size()));
    if (std::exchange(header, false)) continue;
    // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
    const auto f = fields(line);
    if (f.size() < 8) continue;
    const auto destination = hex32(f[1]), gateway = hex32(f[2]), flags = hex32(f[3]),
               mask = hex32(f[7]);
    if (!destination || !gateway || !flags || !mask) continue;
    if (*destination != 0 || *mask != 0 || (*flags & (kUp | kGateway)) != (kUp | kGateway) ||
        *gateway == 0)
      continue;
    // The kernel prints the address's bytes as one number of this machine's byte order.
    unsigned char bytes[4];
    std::memcpy(bytes, &*gateway, 4);
    const std::string dotted = std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." +
                               std::to_string(bytes[2]) + "." + std::to_string(bytes[3]);
    if (std::find(gateways.begin(), gateways.end(), dotted) == gateways.end())
      gateways.push_back(dotted);
  }
  return gateways;
}

std::optional<std::string> ssdpLocation(std::string_view datagram) {
  const std::size_t firstEnd = std::min(datagram.find('\n'), datagram.size());
  const auto status = fields(datagram.substr(0, firstEnd));
  if (status.size() < 2 || !status[0].starts_with("HTTP/1.") || status[1] != "200")
    return std::nullopt;
  datagram.remove_prefix(std::min(firstEnd + 1, datagram.size()));
  while (!datagram.empty()) {
    const std::size_t end = std::min(datagram.find('\n'), datagram.size());
    const std::string_view line = datagram.substr(0, end);
    datagram.remove_prefix(std::min(end + 1, datagram.size()));
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      if (trimmed(line).empty()) break;  // the end of the headers
      continue;
    }
    if (!sameWord(trimmed(line.substr(0, colon)), "LOCATION")) continue;
    const std::string_view value = trimmed(line.substr(colon + 1));
    if (value.empty() || value.size() > 512) return std::nullopt;
    for (const char c : value) {
      if (static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7f)
        return std::nullopt;
    }
    return std::string(value);
  }
  return std::nullopt;
}

std::optional<std::string> httpUrlHost(std::string_view url) {
  constexpr std::string_view kScheme = "http://";
  if (url.size() < kScheme.size() || !sameWord(url.substr(0, kScheme.size()), kScheme))
    return std::nullopt;
  url.remove_prefix(kScheme.size());
  const std::string_view authority = url.substr(0, std::min(url.find_first_of("/?#"), url.size()));
  // No user part: "http://192.168.1.1@198.51.100.9/" is the second address.
  if (authority.find('@') != std::string_view::npos) return std::nullopt;
  const std::size_t colon = authority.find(':');
  const std::string_view host = authority.substr(0, colon);
  if (colon != std::string_view::npos) {
    const std::string_view port = authority.substr(colon + 1);
    int number = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), number);
    if (port.empty() || error != std::errc() || end != port.data() + port.size() || number < 1 ||
        number > 65535)
      return std::nullopt;
  }
  return cleanIpv4(host);
}

bool isGatewayUrl(std::string_view url, const std::vector<std::string>& gateways) {
  const auto host = httpUrlHost(url);
  return host && std::find(gateways.begin(), gateways.end(), *host) != gateways.end();
}

std::string ssdpSearch(std::string_view host, int port, int waitSeconds) {
  return "M-SEARCH * HTTP/1.1\r\nHOST: " + std::string(host) + ":" + std::to_string(port) +
         "\r\nST: urn:schemas-upnp-org:device:InternetGatewayDevice:1\r\nMAN: "
         "\"ssdp:discover\"\r\nMX: " +
         std::to_string(waitSeconds) + "\r\n\r\n";
}

}  // namespace korvel::net

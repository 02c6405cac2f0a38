#include "app/host_address.h"

#include <arpa/inet.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <vector>

#include "protocol/text_encoding.h"

namespace korvel::app {

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

bool isHex(char c) {
  return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
  }
  return true;
}

std::string_view trimmed(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

// Typed text quoted in a message, without the controls that would break the message's line or
// turn it around on screen.
std::string quoted(std::string_view text) {
  return "\"" + protocol::cleanTextFromBytes(text) + "\"";
}

bool isIpv4(std::string_view text) {
  return readIpv4(text).has_value();
}

// Counts the ':'-separated groups of one side of "::" (empty text has none); a dotted IPv4
// address may stand for the last two groups when last is set. -1 when a group is malformed.
int ipv6Groups(std::string_view text, bool last) {
  if (text.empty()) return 0;
  int groups = 0;
  std::size_t at = 0;
  while (true) {
    const std::size_t end = std::min(text.find(':', at), text.size());
    const std::string_view group = text.substr(at, end - at);
    if (last && end == text.size() && group.find('.') != std::string_view::npos) {
      if (!isIpv4(group)) return -1;
      groups += 2;
    } else if (group.empty() || group.size() > 4 ||
               !std::all_of(group.begin(), group.end(), isHex)) {
      return -1;
    } else {
      ++groups;
    }
    if (end == text.size()) return groups;
    at = end + 1;
  }
}

// Groups of up to four hex digits separated by ':', eight in all, or fewer with one "::"; a
// link-local address may name its interface after '%' ("fe80::1%eth0"), as the games found on
// the network list it.
bool isIpv6(std::string_view text) {
  if (const auto zone = text.find('%'); zone != std::string_view::npos) {
    const std::string_view name = text.substr(zone + 1);
    const bool nameOk =
        !name.empty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), [](char c) {
          return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_' ||
                 c == '.';
        });
    if (!nameOk) return false;
    text = text.substr(0, zone);
  }
  const auto gap = text.find("::");
  if (gap == std::string_view::npos) return ipv6Groups(text, true) == 8;
  if (text.find("::", gap + 1) != std::string_view::npos) return false;
  const int head = ipv6Groups(text.substr(0, gap), false);
  const int tail = ipv6Groups(text.substr(gap + 2), true);
  return head >= 0 && tail >= 0 && head + tail < 8;
}

// A host name: labels of letters, digits, '-' and '_' (up to 63 each, none starting or ending
// with '-'), separated by single dots, 253 characters at most. One starting with a digit must be
// a dotted address: the connection reads any such text as one.
std::string hostNameError(std::string_view host) {
  if (host.empty()) return "The address is missing the host's name or number.";
  if (isDigit(host.front())) {
    if (isIpv4(host)) return {};
    return quoted(host) +
           " is not a valid address: a number address has four parts from 0 to "
           "255, like 192.168.1.20.";
  }
  if (host.size() > 253) return "The host's name is too long.";
  std::size_t at = 0;
  while (at <= host.size()) {
    std::size_t end = host.find('.', at);
    if (end == std::string_view::npos) end = host.size();
    const std::string_view label = host.substr(at, end - at);
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') {
      return quoted(host) + " is not a valid computer name.";
    }
    for (char c : label) {
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') {
        return quoted(host) +
               " is not a valid computer name: it may hold only letters, digits, "
               "'-' and '.'.";
      }
    }
    at = end + 1;
  }
  return {};
}

// PORT: 1 to 65535 in digits only.
std::optional<int> readPort(std::string_view text) {
  if (text.empty() || text.size() > 5 || !std::all_of(text.begin(), text.end(), isDigit)) {
    return std::nullopt;
  }
  int value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  if (value < 1 || value > 65535) return std::nullopt;
  return value;
}

std::string portError(std::string_view port) {
  if (port.empty()) return "The port is missing after the ':'.";
  return quoted(port) + " is not a port: a port is a number from 1 to 65535.";
}

AddressReading refused(std::string error) {
  return {std::nullopt, std::move(error)};
}

// HOST[:PORT] with HOST a name, a dotted address or a bracketed IPv6 address; bareIpv6 also
// takes an unbracketed IPv6 address (then without a port).
AddressReading readHostPort(std::string_view text, int defaultPort, bool bareIpv6) {
  HostAddress address;
  address.port = defaultPort;
  std::string_view rest;
  if (!text.empty() && text.front() == '[') {
    const auto close = text.find(']');
    if (close == std::string_view::npos)
      return refused("The '[' before the IPv6 address is not closed by ']'.");
    const std::string_view inside = text.substr(1, close - 1);
    if (!isIpv6(inside)) return refused(quoted(inside) + " is not a valid IPv6 address.");
    address.host = std::string(inside);
    rest = text.substr(close + 1);
    if (!rest.empty() && rest.front() != ':') {
      return refused("Only \":port\" may follow the bracketed address.");
    }
  } else if (std::count(text.begin(), text.end(), ':') > 1) {
    if (!bareIpv6 || !isIpv6(text)) {
      return refused(quoted(text) +
                     " is not a valid address. Write an IPv6 address with a port "
                     "in brackets: [2001:db8::1]:7772.");
    }
    address.host = std::string(text);
    return {address, {}};
  } else {
    const auto colon = text.find(':');
    address.host = std::string(text.substr(0, colon));
    if (colon != std::string_view::npos) rest = text.substr(colon);
    if (auto error = hostNameError(address.host); !error.empty()) return refused(error);
  }
  if (!rest.empty()) {
    const auto port = readPort(rest.substr(1));
    if (!port) return refused(portError(rest.substr(1)));
    address.port = *port;
  }
  return {address, {}};
}

}  // namespace

std::optional<std::array<std::uint8_t, 4>> readIpv4(std::string_view text) {
  const std::string terminated(text);
  in_addr address{};
  if (terminated.find('\0') != std::string::npos ||
      ::inet_pton(AF_INET, terminated.c_str(), &address) != 1)
    return std::nullopt;
  std::array<std::uint8_t, 4> parts{};
  std::memcpy(parts.data(), &address.s_addr, parts.size());  // network order: as written
  return parts;
}

bool looksLikeInvitationLink(std::string_view text) {
  return startsWithNoCase(text, "korvel:");
}

AddressReading readInvitationLink(std::string_view text, int defaultPort) {
  constexpr std::string_view start = "korvel://";
  if (!startsWithNoCase(text, start)) {
    return refused("An invitation link starts with korvel:// followed by the host's address.");
  }
  std::string_view rest = text.substr(start.size());
  if (!rest.empty() && rest.back() == '/') rest.remove_suffix(1);
  if (rest.empty()) return refused("The invitation link has no host address after korvel://.");
  for (char c : rest) {
    if (c == '/' || c == '?' || c == '#' || c == '@' || c == '%' ||
        std::isspace(static_cast<unsigned char>(c)) || static_cast<unsigned char>(c) < 0x20) {
      return refused(
          "The invitation link holds more than an address and a port; it should look like "
          "korvel://192.168.1.20:7772.");
    }
  }
  return readHostPort(rest, defaultPort, false);
}

AddressReading readHostAddress(std::string_view text, int defaultPort) {
  if (text.size() > kMaxAddressText) {
    return refused("The address is too long: it has more than " + std::to_string(kMaxAddressText) +
                   " characters.");
  }
  text = trimmed(text);
  if (text.empty()) return refused("Type the address of the computer that hosts the game.");
  if (looksLikeInvitationLink(text)) return readInvitationLink(text, defaultPort);
  if (text.find_first_of(" \t/") != std::string_view::npos) {
    return refused(quoted(text) +
                   " is not an address. Type a name or number such as "
                   "192.168.1.20, with \":port\" if the host gave one.");
  }
  return readHostPort(text, defaultPort, true);
}

AddressEntry invitationEntry(std::string_view link, int defaultPort) {
  std::string text = protocol::cleanTextFromBytes(link);
  if (text.size() > kMaxAddressText) {
    return {{},
            refused("The invitation link is too long to be one: it has more than " +
                    std::to_string(kMaxAddressText) + " characters.")};
  }
  if (!looksLikeInvitationLink(trimmed(text))) {
    return {{},
            refused("An invitation link starts with korvel:// followed by the host's address.")};
  }
  AddressReading reading = readHostAddress(text, defaultPort);
  return {std::move(text), std::move(reading)};
}

std::string unreachableReason(const HostAddress& address) {
  if (address.host.find(':') == std::string::npos) return {};
  return "Korvel games are reached over IPv4 only; ask the host for an address like "
         "192.168.1.20.";
}

std::string invitationLink(std::string_view address, int port) {
  const bool v6 = address.find(':') != std::string_view::npos;
  std::string link = "korvel://";
  link += v6 ? "[" + std::string(address) + "]" : std::string(address);
  return link + ":" + std::to_string(port);
}

std::string addressText(const HostAddress& address, int defaultPort) {
  if (address.port == defaultPort) return address.host;
  const bool v6 = address.host.find(':') != std::string::npos;
  return (v6 ? "[" + address.host + "]" : address.host) + ":" + std::to_string(address.port);
}

ConnectFailure connectFailureFromErrorName(std::string_view name) {
  if (name == "ConnectionRefusedError") return ConnectFailure::Refused;
  if (name == "HostNotFoundError") return ConnectFailure::NameNotFound;
  if (name == "NetworkError") return ConnectFailure::NoRoute;
  if (name == "SocketTimeoutError") return ConnectFailure::TimedOut;
  return ConnectFailure::Other;
}

std::string connectFailureText(ConnectFailure failure, std::string_view host, int port) {
  const std::string where = std::string(host) + " port " + std::to_string(port);
  switch (failure) {
    case ConnectFailure::Refused:
      return "Nobody is hosting at " + where;
    case ConnectFailure::NoRoute:
      return "There is no way to reach " + std::string(host) +
             " from this computer. Check the address and that this computer is on the network.";
    case ConnectFailure::NameNotFound:
      return "No computer named " + quoted(host) + " was found";
    case ConnectFailure::TimedOut:
      return "Nobody answered at " + where + " within " + std::to_string(kConnectTimeoutSeconds) +
             " seconds. The address may be wrong, or a firewall may block the port.";
    case ConnectFailure::Other:
      break;
  }
  return "Could not connect to " + where;
}

}  // namespace korvel::app

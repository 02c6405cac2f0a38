#pragma once
// Where to join a game: the "Host Address" field's text and `korvel://` invitation links read
// into a host and a port, links written for this computer's addresses, and a failed connection
// told in words a player understands.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvel::app {

// The game's port when nothing else is given.
inline constexpr int kDefaultGamePort = 7772;
inline constexpr std::string_view kLinkScheme = "korvel";

struct HostAddress {
  std::string host;  // a name, a dotted IPv4 address or an IPv6 address (without brackets)
  int port = kDefaultGamePort;
  bool operator==(const HostAddress&) const = default;
};

// Either an address or the reason the text is not one.
struct AddressReading {
  std::optional<HostAddress> address;
  std::string error;
};

// The four parts of a dotted IPv4 address as inet_pton reads one: four decimal numbers 0 to 255
// without leading zeros ("010" would mean octal to some readers), nothing else.
std::optional<std::array<std::uint8_t, 4>> readIpv4(std::string_view text);

// True when text starts with the link scheme ("korvel:", any letter case): such text is read as
// a link and nothing else.
bool looksLikeInvitationLink(std::string_view text);

// The strict link form: "korvel://" HOST [":" PORT] ["/"], nothing else. HOST is a name, a
// dotted IPv4 address or a bracketed IPv6 address; PORT is 1 to 65535, defaultPort when left out.
AddressReading readInvitationLink(std::string_view text, int defaultPort);

// The most the "Host Address" field holds, in bytes of UTF-8 (never more characters than that,
// so the field, limited to this many characters, never cuts a text that fits).
inline constexpr std::size_t kMaxAddressText = 300;

// The "Host Address" field: surrounding spaces are ignored; a name or address, "address:port",
// a bare or bracketed IPv6 address ("[2001:db8::1]:8000"), or an invitation link. Longer than
// kMaxAddressText is refused.
AddressReading readHostAddress(std::string_view text, int defaultPort);

// An invitation link that arrived from outside (the command line, another copy, a click in the
// chat) as the field takes it: its text is the link cleaned by the one text rule (no control or
// direction mark, so what the field shows is what it holds), and reading is the field's reading
// of exactly that text, the one Join makes. Text that is not a link, or too long for the field
// (a cut link could read as another address), leaves the field empty and says why.
struct AddressEntry {
  std::string text;
  AddressReading reading;
};
AddressEntry invitationEntry(std::string_view link, int defaultPort);

// Whether the program can reach the address: its connections are IPv4 only, so an IPv6 address
// gets the reason it cannot be joined; empty when it can.
std::string unreachableReason(const HostAddress& address);

// "korvel://192.168.1.20:7772", "korvel://[2001:db8::1]:7772".
std::string invitationLink(std::string_view address, int port);

// The address as the field and the recent-hosts list show it: the port only when it is not
// defaultPort, an IPv6 address in brackets when a port follows.
std::string addressText(const HostAddress& address, int defaultPort);

// Why a connection could not be made, independent of the socket library.
enum class ConnectFailure { Refused, NoRoute, NameNotFound, TimedOut, Other };

// The kind for a Qt socket error's enum name ("ConnectionRefusedError", "NetworkError", ...).
ConnectFailure connectFailureFromErrorName(std::string_view name);

// A sentence for the player: "Nobody is hosting at 192.168.1.20 port 7772." and so on.
std::string connectFailureText(ConnectFailure failure, std::string_view host, int port);

// How long a join waits for the host to answer before it is told as ConnectFailure::TimedOut.
inline constexpr int kConnectTimeoutSeconds = 10;

}  // namespace korvel::app

#pragma once
// Asking the home router to forward the game port, so that players outside the local network can
// reach a hosted game. The router is asked in one or more ways (NAT-PMP first, then UPnP IGD),
// each behind MappingProtocol; PortMapping decides what to ask and what the answers mean, and
// mappingText puts the outcome into words for the chat. Nothing here touches the network itself:
// the protocols do, and they may block, within bounds of their own, so all of this runs off the
// GUI thread.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::net {

// The lease asked for, at the start and at each renewal; a mapping is renewed halfway through
// its lease.
inline constexpr int kMappingLeaseSeconds = 3600;
// A lease a router grants is taken as at least this and at most what was asked: a router that
// grants a second would have it renewed twice a second, one that grants 2^32 s never.
inline constexpr int kShortestLeaseSeconds = 120;
// The most read from a router in one answer (a description or a SOAP reply); more is not
// a router's answer.
inline constexpr std::size_t kMaxRouterReply = 256 * 1024;
// When the router refuses the outside port because another computer holds it (UPnP error 718),
// the next few ports are tried.
inline constexpr int kConflictRetries = 3;
// A renewal that failed is tried again this much later.
inline constexpr std::chrono::seconds kRenewRetry{60};

// UPnP error codes with a meaning for the mapping.
inline constexpr int kUpnpConflictInMappingEntry = 718;
inline constexpr int kUpnpOnlyPermanentLeases = 725;

// What one router protocol answered.
struct RouterAnswer {
  enum class Status {
    Ok,        // the request was granted; see the fields
    NoAnswer,  // no router of this kind answered within the protocol's wait
    Refused,   // a router answered and refused; code and reason say why
  };
  Status status = Status::NoAnswer;
  std::string address;  // outsideAddress(): as the router reported it, empty when it has none
  int port = 0;         // add(): the outside port granted
  std::int64_t leaseSeconds = 0;  // add(): the lease granted as the router said, 0 for permanent
  int code = 0;                   // Refused: the protocol's error code
  std::string reason;             // Refused or NoAnswer: the router's or the library's words

  static RouterAnswer noAnswer(std::string why = {});
  static RouterAnswer refused(int code, std::string why);
};

// When a router exchange must end. Each exchange has a wait of its own; the program ending
// stops the one under way at once and bounds the last ones (removing the mapping). Shared
// between the thread that asks the routers and the one that ends it.
class ExchangeLimit {
 public:
  using Clock = std::chrono::steady_clock;
  // The end of an exchange that starts now and may take `wait`.
  Clock::time_point deadline(std::chrono::milliseconds wait) const {
    return std::min(Clock::now() + wait, Clock::time_point(Clock::duration(until_.load())));
  }
  // True when the exchange under way is to give up now.
  bool expired(Clock::time_point deadline) const {
    return stopped_.load() || Clock::now() >= deadline;
  }
  // Stops the exchange under way, and every later one until resumeUntil().
  void stop() { stopped_ = true; }
  // Lets exchanges run again, none of them past `until`.
  void resumeUntil(Clock::time_point until) {
    until_ = until.time_since_epoch().count();
    stopped_ = false;
  }

 private:
  std::atomic<bool> stopped_{false};
  std::atomic<Clock::rep> until_{Clock::time_point::max().time_since_epoch().count()};
};

// One way of asking a router. Every call returns within the protocol's own bound.
class MappingProtocol {
 public:
  virtual ~MappingProtocol() = default;
  // "NAT-PMP", "UPnP": named in the chat.
  virtual std::string name() const = 0;
  // Finds the router and asks for its outside address.
  virtual RouterAnswer outsideAddress() = 0;
  // Forwards outsidePort on the router to insidePort on this computer (TCP) for leaseSeconds
  // (0 = permanent). Asking again for the same mapping renews it.
  virtual RouterAnswer add(int insidePort, int outsidePort, int leaseSeconds) = 0;
  // Removes what add() made.
  virtual RouterAnswer remove(int insidePort, int outsidePort) = 0;
};

// What came of asking.
struct MappingOutcome {
  enum class Kind {
    Mapped,       // the router forwards `port` of `address` to the game
    Unreachable,  // the router's outside address is private or shared, or it has none
    Refused,      // a router refused; `reason`
    NoRouter,     // no router answered
  };
  Kind kind = Kind::NoRouter;
  std::string method;   // the protocol that answered ("NAT-PMP", "UPnP"); empty for NoRouter
  std::string address;  // the router's outside address (Mapped, Unreachable; may be empty)
  int insidePort = 0;
  int port = 0;          // Mapped: the outside port
  int leaseSeconds = 0;  // Mapped: 0 when permanent
  std::string reason;    // Refused
  bool operator==(const MappingOutcome&) const = default;
};

// What an address a router reports as its outside one is good for.
enum class AddressUse {
  Public,           // players outside can reach it
  PrivateOrShared,  // 10/8, 172.16/12, 192.168/16 (private), 100.64/10 (shared, carrier-grade NAT)
  Unusable,  // not an outside address at all: 0/8, loopback, link-local, multicast, reserved and
             // broadcast (224/3), or not a dotted IPv4 address
};
AddressUse outsideAddressUse(std::string_view ipv4);
// True unless the address is Public: players outside cannot reach it.
bool isPrivateOrShared(std::string_view ipv4);
// The address when it reads as a dotted IPv4 address (four decimal parts 0-255, nothing else).
std::optional<std::string> cleanIpv4(std::string_view text);

class PortMapping {
 public:
  explicit PortMapping(std::vector<std::unique_ptr<MappingProtocol>> protocols);
  ~PortMapping();
  PortMapping(const PortMapping&) = delete;
  PortMapping& operator=(const PortMapping&) = delete;

  // Asks the routers in turn to forward insidePort. A router whose outside address is private,
  // shared or missing is not asked for a mapping: players outside could not use it.
  MappingOutcome open(int insidePort);
  // Asks again for the mapping open() made, before its lease ends. Mapped when the router
  // renewed it, Refused or NoRouter when it did not (the mapping is still held for close()).
  MappingOutcome renew();
  // Removes the mapping, if one was made. Safe to call more than once.
  void close();

  bool mapped() const { return active_ != nullptr; }
  // When to renew: half the lease granted, kRenewRetry after a failed renewal; none while no
  // mapping is held or it is permanent.
  std::optional<std::chrono::seconds> renewAfter() const;

 private:
  std::vector<std::unique_ptr<MappingProtocol>> protocols_;
  MappingProtocol* active_ = nullptr;
  MappingOutcome held_;
  bool renewFailed_ = false;
};

// The lease to count with for a lease the router granted: 0 (permanent) stays, anything else is
// held between kShortestLeaseSeconds and kMappingLeaseSeconds.
int saneLease(std::int64_t grantedSeconds);
// A NAT-PMP result code in words; a code without a meaning is told as the number it is.
std::string natPmpResultText(int resultCode);

// The chat's sentence for an outcome of open().
std::string mappingText(const MappingOutcome& outcome);
// The sentence for a renewal that failed (renew() not Mapped).
std::string renewalFailureText(const MappingOutcome& outcome);
// The invitation link for players outside: only for a Mapped outcome.
std::optional<std::string> outsideInvitationLink(const MappingOutcome& outcome);

}  // namespace korvel::net

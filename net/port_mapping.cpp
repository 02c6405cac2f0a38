#include "net/port_mapping.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "app/host_address.h"

namespace korvel::net {

RouterAnswer RouterAnswer::noAnswer(std::string why) {
  RouterAnswer a;
  a.status = Status::NoAnswer;
  a.reason = std::move(why);
  return a;
}

RouterAnswer RouterAnswer::refused(int code, std::string why) {
  RouterAnswer a;
  a.status = Status::Refused;
  a.code = code;
  a.reason = std::move(why);
  return a;
}

namespace {

bool refusedWith(const RouterAnswer& answer, int code) {
  return answer.status == RouterAnswer::Status::Refused && answer.code == code;
}

}  // namespace

std::optional<std::string> cleanIpv4(std::string_view text) {
  if (!app::readIpv4(text)) return std::nullopt;
  return std::string(text);
}

AddressUse outsideAddressUse(std::string_view ipv4) {
  const auto p = app::readIpv4(ipv4);
  if (!p) return AddressUse::Unusable;
  const int a = (*p)[0], b = (*p)[1];
  if (a == 0 || a == 127 || a >= 224 || (a == 169 && b == 254)) return AddressUse::Unusable;
  if (a == 10 || (a == 172 && b >= 16 && b <= 31) || (a == 192 && b == 168) ||
      (a == 100 && b >= 64 && b <= 127))
    return AddressUse::PrivateOrShared;
  return AddressUse::Public;
}

bool isPrivateOrShared(std::string_view ipv4) {
  return outsideAddressUse(ipv4) != AddressUse::Public;
}

int saneLease(std::int64_t grantedSeconds) {
  if (grantedSeconds == 0) return 0;
  return static_cast<int>(
      std::clamp<std::int64_t>(grantedSeconds, kShortestLeaseSeconds, kMappingLeaseSeconds));
}

std::string natPmpResultText(int resultCode) {
  switch (resultCode) {
    case 1:
      return "it does not speak this version of NAT-PMP";
    case 2:
      return "not authorized";
    case 3:
      return "its outside network is down";
    case 4:
      return "it has no room for another mapping";
    case 5:
      return "it does not support port mapping";
    default:
      return "result code " + std::to_string(resultCode);
  }
}

PortMapping::PortMapping(std::vector<std::unique_ptr<MappingProtocol>> protocols)
    : protocols_(std::move(protocols)) {}

PortMapping::~PortMapping() {
  close();
}

MappingOutcome PortMapping::open(int insidePort) {
  close();
  std::optional<MappingOutcome> refusal;
  for (const auto& protocol : protocols_) {
    MappingOutcome outcome;
    outcome.method = protocol->name();
    outcome.insidePort = insidePort;
    const RouterAnswer where = protocol->outsideAddress();
    if (where.status == RouterAnswer::Status::NoAnswer) continue;
    if (where.status == RouterAnswer::Status::Refused) {
      outcome.kind = MappingOutcome::Kind::Refused;
      outcome.reason = where.reason;
      if (!refusal) refusal = outcome;
      continue;
    }
    // The same router answers every protocol: its outside address is the answer for all.
    const auto address = cleanIpv4(where.address);
    outcome.address = address.value_or("");
    if (!address || isPrivateOrShared(*address)) {
      outcome.kind = MappingOutcome::Kind::Unreachable;
      return outcome;
    }
    // A router that grants only permanent mappings gets asked for one.
    const auto ask = [&](int outsidePort) {
      RouterAnswer a = protocol->add(insidePort, outsidePort, kMappingLeaseSeconds);
      if (refusedWith(a, kUpnpOnlyPermanentLeases)) a = protocol->add(insidePort, outsidePort, 0);
      return a;
    };
    RouterAnswer granted = ask(insidePort);
    for (int k = 1; k <= kConflictRetries && insidePort + k <= 65535 &&
                    refusedWith(granted, kUpnpConflictInMappingEntry);
         ++k) {
      granted = ask(insidePort + k);
    }
    if (granted.status == RouterAnswer::Status::Ok && granted.port > 0 && granted.port <= 65535) {
      outcome.kind = MappingOutcome::Kind::Mapped;
      outcome.port = granted.port;
      outcome.leaseSeconds = saneLease(granted.leaseSeconds);
      active_ = protocol.get();
      held_ = outcome;
      renewFailed_ = false;
      return outcome;
    }
    outcome.kind = MappingOutcome::Kind::Refused;
    outcome.reason = granted.status == RouterAnswer::Status::Ok ? "it granted no usable port"
                     : granted.reason.empty()                   ? "no reason given"
                                                                : granted.reason;
    if (!refusal) refusal = outcome;
  }
  if (refusal) return *refusal;
  MappingOutcome none;
  none.insidePort = insidePort;
  return none;
}

MappingOutcome PortMapping::renew() {
  if (!active_) return {};
  const RouterAnswer granted =
      active_->add(held_.insidePort, held_.port, held_.leaseSeconds > 0 ? kMappingLeaseSeconds : 0);
  MappingOutcome outcome = held_;
  if (granted.status == RouterAnswer::Status::Ok && granted.port == held_.port) {
    // A renewed lease stays a lease, however the router words it.
    outcome.leaseSeconds =
        granted.leaseSeconds == 0 ? kShortestLeaseSeconds : saneLease(granted.leaseSeconds);
    held_ = outcome;
    renewFailed_ = false;
    return outcome;
  }
  renewFailed_ = true;
  if (granted.status == RouterAnswer::Status::NoAnswer) {
    outcome.kind = MappingOutcome::Kind::NoRouter;
  } else {
    outcome.kind = MappingOutcome::Kind::Refused;
    outcome.reason = granted.status == RouterAnswer::Status::Ok
                         ? "it moved the mapping to port " + std::to_string(granted.port)
                         : granted.reason;
  }
  return outcome;
}

void PortMapping::close() {
  if (!active_) return;
  active_->remove(held_.insidePort, held_.port);
  active_ = nullptr;
  held_ = {};
  renewFailed_ = false;
}

std::optional<std::chrono::seconds> PortMapping::renewAfter() const {
  if (!active_) return std::nullopt;
  if (renewFailed_) return kRenewRetry;
  if (held_.leaseSeconds <= 0) return std::nullopt;
  return std::chrono::seconds(saneLease(held_.leaseSeconds) / 2);
}

namespace {

const char* const kOutsideCannotReach =
    "Players outside your network cannot reach this address; play on the same network or over a "
    "VPN";

std::string byHand(int port) {
  return "Players outside your network can join only if port " + std::to_string(port) +
         " is forwarded to this computer on the router by hand.";
}

}  // namespace

std::string mappingText(const MappingOutcome& o) {
  const std::string port = std::to_string(o.insidePort);
  switch (o.kind) {
    case MappingOutcome::Kind::Mapped: {
      std::string text = "Your router (" + o.method + ") forwards port " + std::to_string(o.port) +
                         " of its outside address " + o.address + " to this game";
      text += o.leaseSeconds > 0 ? ", renewed while you host" : ", until Korvel ends";
      return text +
             ". Invitation link for players outside your network: " + *outsideInvitationLink(o) +
             " (File, Copy Invitation copies it)";
    }
    case MappingOutcome::Kind::Unreachable:
      if (o.address.empty())
        return std::string("Your router reports no outside address. ") + kOutsideCannotReach;
      if (outsideAddressUse(o.address) == AddressUse::PrivateOrShared) {
        return "Your router's outside address is " + o.address + ", a private or shared address. " +
               kOutsideCannotReach;
      }
      return "Your router reports " + o.address +
             " as its outside address, which is no address on the internet (loopback, broadcast, "
             "link-local or reserved). " +
             kOutsideCannotReach;
    case MappingOutcome::Kind::Refused:
      return "Your router (" + o.method + ") refused to open port " + port + ": " + o.reason +
             ". " + byHand(o.insidePort);
    case MappingOutcome::Kind::NoRouter:
      break;
  }
  return "No router answered the request to open port " + port + " (NAT-PMP and UPnP). " +
         byHand(o.insidePort);
}

std::string renewalFailureText(const MappingOutcome& o) {
  std::string text = "Your router (" + o.method + ") did not renew the forwarding of port " +
                     std::to_string(o.port);
  text += o.kind == MappingOutcome::Kind::Refused ? ": " + o.reason : ": it did not answer";
  return text +
         ". Players outside your network may not reach this game until it does; Korvel "
         "asks again in a minute.";
}

std::optional<std::string> outsideInvitationLink(const MappingOutcome& o) {
  if (o.kind != MappingOutcome::Kind::Mapped || isPrivateOrShared(o.address)) return std::nullopt;
  return app::invitationLink(o.address, o.port);
}

}  // namespace korvel::net

#include "app/handoff_limits.h"

#include <algorithm>

namespace korvel::app {

std::optional<int> HandoffLimits::admit(std::int64_t nowMs) {
  if (peers_.size() >= kMaxHandoffPeers) return std::nullopt;
  const int peer = next_++;
  peers_.emplace_back(peer, nowMs);
  return peer;
}

void HandoffLimits::finished(int peer) {
  std::erase_if(peers_, [peer](const auto& p) { return p.first == peer; });
}

std::vector<int> HandoffLimits::overdue(std::int64_t nowMs) {
  std::vector<int> late;
  std::erase_if(peers_, [&](const auto& p) {
    if (nowMs - p.second < kHandoffQuietMs) return false;
    late.push_back(p.first);
    return true;
  });
  return late;
}

bool mayTakeOverSocket(HandoffConnectFailure failure) {
  return failure == HandoffConnectFailure::NoSocket || failure == HandoffConnectFailure::Refused;
}

}  // namespace korvel::app

#pragma once
// The bounds of the hand-off socket: the single-instance guard listens for a second copy that
// asks it to come to the front and may bring an invitation link. A second copy writes its few
// bytes and goes at once; a connection that stays without finishing holds a file descriptor for
// nothing, and enough of them would leave the first copy none to accept with. So at most
// kMaxHandoffPeers connections are kept at once (one more is closed as it comes), and each has
// kHandoffQuietMs to finish before it is closed.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace korvel::app {

inline constexpr std::size_t kMaxHandoffPeers = 16;
inline constexpr std::int64_t kHandoffQuietMs = 2000;

class HandoffLimits {
 public:
  // A new connection at nowMs: its number, or nothing when kMaxHandoffPeers are open already.
  std::optional<int> admit(std::int64_t nowMs);
  // A connection ended or was closed.
  void finished(int peer);
  // The connections that had kHandoffQuietMs without finishing, in the order they came; they are
  // forgotten here and are to be closed.
  std::vector<int> overdue(std::int64_t nowMs);
  std::size_t open() const { return peers_.size(); }

 private:
  std::vector<std::pair<int, std::int64_t>> peers_;  // number, time admitted
  int next_ = 1;
};

// How an attempt to reach the first copy's socket failed.
enum class HandoffConnectFailure {
  NoSocket,     // no file by that name
  Refused,      // the file is there and nobody listens: left by a copy that crashed
  NoAnswer,     // the first copy did not accept in time (busy, its queue full)
  NoResources,  // this process had no descriptor or memory for the attempt
  Other,
};

// Whether a new copy may remove the socket file and listen in its place: only when nobody
// listens there. A first copy that is alive but slow, or a failure of this process's own, never
// loses its socket; the new copy then runs without the guard.
bool mayTakeOverSocket(HandoffConnectFailure failure);

}  // namespace korvel::app

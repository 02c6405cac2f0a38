#pragma once
// The receive queue `receivedlist` and the framing that fills it: arrivals on a connection are
// split at every 0xFF, each piece becomes one entry, and text after the last 0xFF waits as that
// connection's pending tail.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace korvel::protocol {

// One queued message and the seat of the connection it arrived on (0 on the client).
struct QueuedLine {
  std::string text;
  int seat = 0;
};

class ReceiveQueue {
 public:
  // An entry taken from the queue is at most this long; the rest of a longer one is lost.
  static constexpr std::size_t kMaxEntry = 4096;

  // Appends one message. A CR LF pair inside it splits it into separate entries.
  void append(std::string_view text, int seat = 0);
  // Removes and returns the first entry; an empty line when the queue is empty.
  QueuedLine take();
  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }
  void clear() { entries_.clear(); }

 private:
  std::deque<QueuedLine> entries_;
};

// Per-connection framing state.
class Deframer {
 public:
  // A peer may leave at most this much unterminated text waiting; beyond it the tail is cut, which
  // only loses what could never come out of the queue whole anyway.
  static constexpr std::size_t kMaxPendingTail = 64 * 1024;

  // Queues every complete message of pendingTail + data; keeps the rest as the new tail.
  // Returns the number of entries appended.
  std::size_t arrive(std::string_view data, ReceiveQueue& queue, int seat = 0);
  const std::string& pendingTail() const { return tail_; }
  void reset() { tail_.clear(); }

 private:
  std::string tail_;
};

}  // namespace korvel::protocol

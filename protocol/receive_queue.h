#pragma once
// The receive queue `receivedlist` and the framing that fills it: arrivals on a connection are
// split at every 0xFF, each piece becomes one entry, and text after the last 0xFF waits as that
// connection's pending tail.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::protocol {

// One queued message, the seat of the connection it arrived on (0 on the client) and a token of
// that connection, so that a line is never taken as spoken by a later occupant of the seat.
struct QueuedLine {
  std::string text;
  int seat = 0;
  std::uint64_t origin = 0;
};

class ReceiveQueue {
 public:
  // An entry taken from the queue is at most this long; the rest of a longer one is lost.
  static constexpr std::size_t kMaxEntry = 4096;

  // The queue drains one entry per timer tick, far slower than a peer can send. What one seat
  // may have waiting is therefore bounded (each entry counted with its bookkeeping); entries past
  // the bound are dropped, so a flooding peer loses its own messages and nobody else's. An honest
  // peer never has more than a few entries waiting.
  static constexpr std::size_t kEntryCost = 64;
  static constexpr std::size_t kMaxQueuedPerSeat = 1024 * 1024;

  // Appends one message at the end of its seat's waiting lines. A CR LF pair inside it splits it
  // into separate entries.
  void append(std::string_view text, int seat = 0, std::uint64_t origin = 0);
  // Removes and returns one entry; an empty line when the queue is empty. The seats that have
  // lines waiting take turns (round robin), one line each, and each seat's lines come out in
  // the order they arrived. So a seat that floods delays only itself: another seat's line waits
  // at most one line of every other waiting seat. With a single seat (the client's queue, seat
  // 0) this is first in, first out.
  QueuedLine take();
  // Removes at once every waiting line that came from the connection `origin` on `seat` (it has
  // left), so that those lines cost no tick. Returns how many were removed; `removedLines`, when
  // given, receives them in their order.
  std::size_t discard(int seat, std::uint64_t origin,
                      std::vector<std::string>* removedLines = nullptr);
  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  void clear() {
    seats_.clear();
    turns_.clear();
    size_ = 0;
  }

 private:
  struct SeatLines {
    std::deque<QueuedLine> lines;
    std::size_t cost = 0;  // what the seat has waiting, against kMaxQueuedPerSeat
  };
  std::map<int, SeatLines> seats_;  // only seats that have lines waiting
  std::deque<int> turns_;           // those seats, in the order they take their next turn
  std::size_t size_ = 0;
};

// Per-connection framing state.
class Deframer {
 public:
  // A peer may leave at most this much unterminated text waiting; beyond it the tail is cut, which
  // only loses what could never come out of the queue whole anyway.
  static constexpr std::size_t kMaxPendingTail = 64 * 1024;

  // Queues every complete message of pendingTail + data; keeps the rest as the new tail.
  // Returns the number of entries appended.
  std::size_t arrive(std::string_view data, ReceiveQueue& queue, int seat = 0,
                     std::uint64_t origin = 0);
  const std::string& pendingTail() const { return tail_; }
  void reset() { tail_.clear(); }

 private:
  std::string tail_;
};

}  // namespace korvel::protocol

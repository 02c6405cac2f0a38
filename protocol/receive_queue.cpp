#include "protocol/receive_queue.h"

#include <algorithm>

#include "protocol/message.h"

namespace korvel::protocol {

void ReceiveQueue::append(std::string_view text, int seat, std::uint64_t origin) {
  for (;;) {
    const auto crlf = text.find("\r\n");
    const auto piece = text.substr(0, crlf).substr(0, kMaxEntry);
    std::size_t& queued = queued_[seat];
    if (queued + kEntryCost + piece.size() <= kMaxQueuedPerSeat) {
      queued += kEntryCost + piece.size();
      entries_.push_back({std::string(piece), seat, origin});
    }
    if (crlf == std::string_view::npos) break;
    text.remove_prefix(crlf + 2);
  }
}

QueuedLine ReceiveQueue::take() {
  if (entries_.empty()) return {};
  QueuedLine line = std::move(entries_.front());
  entries_.pop_front();
  auto it = queued_.find(line.seat);
  it->second -= kEntryCost + line.text.size();
  if (it->second == 0) queued_.erase(it);
  return line;
}

std::size_t Deframer::arrive(std::string_view data, ReceiveQueue& queue, int seat,
                             std::uint64_t origin) {
  std::size_t count = 0;
  for (;;) {
    const auto end = data.find(kTerminator);
    if (end == std::string_view::npos) break;
    if (tail_.empty()) {
      queue.append(data.substr(0, end), seat, origin);
    } else {
      tail_.append(data.substr(0, end));
      queue.append(tail_, seat, origin);
      tail_.clear();
    }
    ++count;
    data.remove_prefix(end + 1);
  }
  const std::size_t room = kMaxPendingTail - std::min(tail_.size(), kMaxPendingTail);
  tail_.append(data.substr(0, room));
  return count;
}

}  // namespace korvel::protocol

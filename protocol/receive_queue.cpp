#include "protocol/receive_queue.h"

#include <algorithm>

#include "protocol/message.h"

namespace korvel::protocol {

void ReceiveQueue::append(std::string_view text, int seat, std::uint64_t origin) {
  for (;;) {
    const auto crlf = text.find("\r\n");
    const auto piece = text.substr(0, crlf).substr(0, kMaxEntry);
    const std::size_t cost = kEntryCost + piece.size();
    auto [it, fresh] = seats_.try_emplace(seat);
    SeatLines& waiting = it->second;
    if (waiting.cost + cost <= kMaxQueuedPerSeat) {
      waiting.cost += cost;
      waiting.lines.push_back({std::string(piece), seat, origin});
      ++size_;
      // A seat that had nothing waiting takes its turn after every seat that has.
      if (fresh) turns_.push_back(seat);
    } else if (fresh) {
      seats_.erase(it);
    }
    if (crlf == std::string_view::npos) break;
    text.remove_prefix(crlf + 2);
  }
}

QueuedLine ReceiveQueue::take() {
  if (turns_.empty()) return {};
  const int seat = turns_.front();
  turns_.pop_front();
  const auto it = seats_.find(seat);
  SeatLines& waiting = it->second;
  QueuedLine line = std::move(waiting.lines.front());
  waiting.lines.pop_front();
  waiting.cost -= kEntryCost + line.text.size();
  --size_;
  if (waiting.lines.empty()) {
    seats_.erase(it);
  } else {
    turns_.push_back(seat);
  }
  return line;
}

std::size_t ReceiveQueue::discard(int seat, std::uint64_t origin,
                                  std::vector<std::string>* removedLines) {
  const auto it = seats_.find(seat);
  if (it == seats_.end()) return 0;
  SeatLines& waiting = it->second;
  std::size_t removed = 0;
  std::erase_if(waiting.lines, [&](const QueuedLine& line) {
    if (line.origin != origin) return false;
    if (removedLines) removedLines->push_back(line.text);
    waiting.cost -= kEntryCost + line.text.size();
    ++removed;
    return true;
  });
  size_ -= removed;
  if (waiting.lines.empty()) {
    seats_.erase(it);
    std::erase(turns_, seat);
  }
  return removed;
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

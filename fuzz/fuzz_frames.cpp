// Feeds arbitrary bytes, in arbitrary arrival splits, through the framing, the queue, the command
// split and the field reader, the way both sides read what peers send. Arrivals are spread over
// three seats' connections; connections leave (their waiting lines are discarded) and lines are
// taken between arrivals, so the queue's turns between seats are exercised as they fill and empty.
#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

#include "protocol/message.h"
#include "protocol/receive_queue.h"

using namespace korvel::protocol;

namespace {

void readLine(const QueuedLine& line, const std::set<std::uint64_t>& departed) {
  if (line.text.size() > ReceiveQueue::kMaxEntry) __builtin_trap();
  if (line.seat < 1 || line.seat > 3 || departed.count(line.origin) != 0) __builtin_trap();
  const auto split = splitLine(line.text);
  FieldReader reader(split.argument);
  try {
    reader.intField();
    reader.beginList();
    // Every field read consumes a "+", so a list always ends or throws.
    while (!reader.atListEnd()) reader.field();
  } catch (const ParseError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte decides where the input is split into arrivals; the first byte of each
  // arrival picks its seat, and whether a line is taken or the seat's connection leaves first.
  const size_t step = 1 + data[0] % 64;
  std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  ReceiveQueue queue;
  std::array<Deframer, 4> deframers;
  std::array<std::uint64_t, 4> origin = {0, 1, 2, 3};
  std::uint64_t nextOrigin = 4;
  std::set<std::uint64_t> departed;
  for (size_t at = 0; at < bytes.size(); at += step) {
    const std::string_view arrival = bytes.substr(at, step);
    const auto control = static_cast<unsigned char>(arrival.front());
    const int seat = 1 + control % 3;
    if ((control & 0x70) == 0x70) {
      const std::size_t before = queue.size();
      const std::size_t removed = queue.discard(seat, origin[seat]);
      if (queue.size() != before - removed) __builtin_trap();
      departed.insert(origin[seat]);
      origin[seat] = nextOrigin++;
      deframers[seat].reset();
    }
    if (control & 0x08) {
      const std::size_t before = queue.size();
      const auto line = queue.take();
      if (before > 0) {
        if (queue.size() != before - 1) __builtin_trap();
        readLine(line, departed);
      }
    }
    deframers[seat].arrive(arrival, queue, seat, origin[seat]);
    if (deframers[seat].pendingTail().size() > Deframer::kMaxPendingTail) __builtin_trap();
  }
  std::size_t waiting = queue.size();
  while (!queue.empty()) {
    readLine(queue.take(), departed);
    --waiting;
  }
  if (waiting != 0 || !queue.take().text.empty()) __builtin_trap();
  return 0;
}

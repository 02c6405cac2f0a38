// Feeds arbitrary bytes, in arbitrary arrival splits, through the framing, the queue, the command
// split and the field reader, the way both sides read what peers send.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "protocol/message.h"
#include "protocol/receive_queue.h"

using namespace korvel::protocol;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // The first byte decides where the input is split into arrivals.
  const size_t step = 1 + data[0] % 64;
  std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  ReceiveQueue queue;
  Deframer deframer;
  for (size_t at = 0; at < bytes.size(); at += step) {
    deframer.arrive(bytes.substr(at, step), queue, 1);
  }
  if (deframer.pendingTail().size() > Deframer::kMaxPendingTail) __builtin_trap();
  while (!queue.empty()) {
    const auto line = queue.take();
    if (line.text.size() > ReceiveQueue::kMaxEntry) __builtin_trap();
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
  return 0;
}

// Arbitrary input compressed by either engine (chosen by the first byte) must come back
// unchanged.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "records/lzrw1.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using korvel::records::TCompressMode;
  if (size == 0) return 0;
  const TCompressMode mode = (data[0] & 1) ? TCompressMode::Good : TCompressMode::Fast;
  // Repeating the input lets short fuzz inputs reach the 32,768-byte block boundary.
  const std::size_t copies = (data[0] & 2) != 0 && size <= 1024 ? 40 : 1;
  std::vector<std::uint8_t> input;
  for (std::size_t i = 0; i < copies; ++i) input.insert(input.end(), data + 1, data + size);
  const auto container = korvel::records::compressToContainer(input, mode);
  const auto restored = korvel::records::decompressContainer(container);
  if (restored != input) __builtin_trap();
  return 0;
}

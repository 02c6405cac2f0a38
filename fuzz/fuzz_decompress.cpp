// Arbitrary bytes as a compressed container: decompressing must either restore something or raise
// ELzrw1Exception, never touch memory outside its buffers.

#include <cstddef>
#include <cstdint>

#include "records/lzrw1.h"
#include "records/lzrw1_errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint32_t stored = 0;
  if (size >= 8) {
    stored =
        data[4] | (data[5] << 8) | (data[6] << 16) | (static_cast<std::uint32_t>(data[7]) << 24);
    // Claimed sizes beyond 1 MB only make a damaged stream run longer before it is rejected; the
    // decoder's bounds do not depend on the claim.
    if (stored > (1u << 20)) return 0;
  }
  try {
    const auto restored = korvel::records::decompressContainer({data, size}, "fuzz");
    // A container that decodes at all must hold exactly the size in its header.
    if (size < 8 || restored.size() != stored) __builtin_trap();
  } catch (const korvel::records::ELzrw1Exception&) {
  }
  return 0;
}

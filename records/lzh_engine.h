#pragma once
// TLZH: the LZH engine, the LZHUF coder of Okumura and Yoshizaki. LZSS over a 4,096-byte ring
// with matches of 3 to 60 bytes, found with one binary search tree per first byte; literals and
// match lengths are 314 symbols coded with an adaptive Huffman tree, match positions with a fixed
// prefix code for their upper 6 bits and the lower 6 bits as they are. Bits go out most
// significant first; the last byte is padded with zero bits.

#include <cstdint>

#include "records/engine_io.h"

namespace korvel::records {

class TLZH {
 public:
  // Codes the whole input. An empty input still yields the code of one literal space.
  // Throws ElzhException when the tables cannot be allocated.
  void encode(EngineInput& in, EngineOutput& out);

  // Decodes until at least size bytes have been produced and returns how many were written:
  // more than size when the last match runs past it, fewer when the stream ends first (a stream
  // from the encoder never needs bits past its last byte, so reading past the end means damage).
  std::int64_t decode(EngineInput& in, EngineOutput& out, std::int64_t size);
};

}  // namespace korvel::records

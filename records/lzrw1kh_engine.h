#pragma once
// TLZR: the LZRW1/KH block engine. A block stands for at most 32,768 input bytes and never refers
// to another block. Byte 0 of a block is a flag (0x80 stored, 0x40 compressed); a compressed block
// is groups of a control word (high byte first, one bit per item from the top) and up to 16 items:
// a literal byte, a copy (12-bit distance, 4-bit length - 3) or a run (0x00, 16-bit length - 16,
// the byte).

#include <cstddef>
#include <cstdint>
#include <memory>

namespace korvel::records {

class TLZR {
 public:
  static constexpr std::size_t kBlockSize = 32768;
  // Buffers handed to the engine hold a block plus this much room: a compressed block may run a
  // few bytes past the input size before it is abandoned for a stored one, and the decoder copies
  // in 16-byte strides.
  static constexpr std::size_t kSpare = 16;
  static constexpr std::size_t kBufferSize = kBlockSize + kSpare;
  // What decompressBlock returns for a block that cannot come from the compressor.
  static constexpr std::size_t kMalformed = static_cast<std::size_t>(-1);

  static constexpr std::uint8_t kStoredFlag = 0x80;
  static constexpr std::uint8_t kCompressedFlag = 0x40;

  // Throws ELzrw1KHCompressor when the hash table cannot be allocated.
  TLZR();

  // Compresses n <= kBlockSize bytes of src into dst (kBufferSize bytes) and returns the block
  // length, at most n + 1.
  std::size_t compressBlock(const std::uint8_t* src, std::size_t n, std::uint8_t* dst);

  // Restores one block of length len into dst (kBufferSize bytes). Returns the number of bytes it
  // yields, or kMalformed for a copy reaching before the start of the output, an item cut off by
  // the end of the block, or more than kBlockSize bytes of output.
  static std::size_t decompressBlock(const std::uint8_t* src, std::size_t len, std::uint8_t* dst);

 private:
  static constexpr std::size_t kHashSize = 4096;
  static constexpr std::uint16_t kEmpty = 0xFFFF;
  std::unique_ptr<std::uint16_t[]> hash_;
};

}  // namespace korvel::records

#pragma once
// Tlzrw1: compresses one file into a container and restores it. A container is a 4-byte
// identifier ("WRZL" for the LZRW1/KH engine, "!HZL" for the LZH engine), the uncompressed size as
// a signed 32-bit little-endian number, then the engine's payload. Decompress reads both kinds.
// Every failure raises ELzrw1Exception; a failed run deletes the output it created and never
// changes the input.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korvel::records {

enum class TCompressMode { Good, Fast, Auto };

class Tlzrw1 {
 public:
  std::string InputFile;
  std::string OutputFile;
  TCompressMode CompressMode = TCompressMode::Good;
  int Threshold = 40;  // percent, used by Advise

  // Compresses InputFile into OutputFile; returns the container's size in bytes.
  std::int64_t Compress();
  // Restores the container InputFile into OutputFile; returns the number of bytes written.
  std::int64_t Decompress();
  // Good for files under three blocks (and CompressMode becomes Good); otherwise compresses two
  // sample blocks and answers Fast when they shrink below Threshold percent.
  TCompressMode Advise();
};

// The same containers built and read in memory. name stands for the file in error messages.
// mode must be Good or Fast.
std::vector<std::uint8_t> compressToContainer(std::span<const std::uint8_t> data,
                                              TCompressMode mode, const std::string& name = {});
std::vector<std::uint8_t> decompressContainer(std::span<const std::uint8_t> container,
                                              const std::string& name = {});

}  // namespace korvel::records

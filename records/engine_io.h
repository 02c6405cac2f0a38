#pragma once
// The byte streams the engines read and write. The compressor wraps its files (or memory) in
// these; a failure raises ELzrw1Exception with the message for that run, so the engines need not
// know file names.

#include <cstddef>
#include <cstdint>

namespace korvel::records {

class EngineInput {
 public:
  virtual ~EngineInput() = default;
  // Reads up to n bytes; fewer only at the end of the input.
  virtual std::size_t read(std::uint8_t* dst, std::size_t n) = 0;
};

class EngineOutput {
 public:
  virtual ~EngineOutput() = default;
  // Writes all n bytes or throws.
  virtual void write(const std::uint8_t* src, std::size_t n) = 0;
};

}  // namespace korvel::records

#pragma once
// Errors of the compressor. Every failure of a run carries one of the fixed messages below; the
// engines' own allocation failures have their own classes, which are still ELzrw1Exception.

#include <stdexcept>
#include <string>

namespace korvel::records {

class ELzrw1Exception : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ELzrw1KHCompressor : public ELzrw1Exception {
 public:
  using ELzrw1Exception::ELzrw1Exception;
};

class ElzhException : public ELzrw1Exception {
 public:
  using ELzrw1Exception::ELzrw1Exception;
};

namespace lzrw1_messages {

inline std::string noBuffers() {
  return "Lzrw1 (de)compression : Failed to get memory for I/O buffers !";
}
inline std::string noSize(const std::string& input) {
  return "Lzrw1 compression : Failed to obtain the size of : " + input;
}
inline std::string openInput(const std::string& input) {
  return "Lzrw1 (de)compression : Failed to open input file : " + input;
}
inline std::string openOutput(const std::string& output) {
  return "Lzrw1 (de)compression : Failed to open output file : " + output;
}
inline std::string writeError(const std::string& output) {
  return "Lzrw1 : Error writing to output file : " + output;
}
inline std::string readError(const std::string& input) {
  return "Lzrw1 : Error reading from input file : " + input;
}
inline std::string badHeader(const std::string& input) {
  return input + " : Lzrw1 decompression : this file has no valid header !";
}
inline std::string lzrwSizeMismatch() {
  return "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
}
inline std::string lzhSizeMismatch() {
  return "Lzrw1 (LZH decompression) : Original and compressed sizes do not match !";
}
inline std::string noHashTable() {
  return "LZRW1KH : no memory for HASH table";
}
inline std::string noLzhTables() {
  return "LZH : Cannot get memory for dictionary tables";
}
inline std::string adviseNoBuffers() {
  return "Lzrw1 advise : Error getting I/O buffers";
}
inline std::string adviseNoSize(const std::string& input) {
  return "Lzrw1 advise : can not get the size of : " + input;
}
inline std::string adviseOpen(const std::string& input) {
  return "Lzrw1 advise : can open input file : " + input;
}
inline std::string adviseRead(const std::string& input) {
  return "Lzrw1 advise : read error on input file : " + input;
}

}  // namespace lzrw1_messages
}  // namespace korvel::records

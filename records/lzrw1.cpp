#include "records/lzrw1.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>

#include "records/engine_io.h"
#include "records/lzh_engine.h"
#include "records/lzrw1_errors.h"
#include "records/lzrw1kh_engine.h"

namespace korvel::records {

namespace msg = lzrw1_messages;

namespace {

constexpr std::uint8_t kFastId[4] = {'W', 'R', 'Z', 'L'};
constexpr std::uint8_t kGoodId[4] = {'!', 'H', 'Z', 'L'};
constexpr std::size_t kHeaderSize = 8;
constexpr std::int64_t kLargestSize = std::numeric_limits<std::int32_t>::max();

// An input whose system read errors raise the message the current step calls for.
class Input : public EngineInput {
 public:
  void setErrorMessage(std::string message) { errorMessage_ = std::move(message); }

 protected:
  std::string errorMessage_;
};

class FileInput : public Input {
 public:
  explicit FileInput(std::FILE* file) : file_(file) {}
  std::size_t read(std::uint8_t* dst, std::size_t n) override {
    const std::size_t got = std::fread(dst, 1, n, file_);
    if (got < n && std::ferror(file_)) throw ELzrw1Exception(errorMessage_);
    return got;
  }

 private:
  std::FILE* file_;
};

class MemoryInput : public Input {
 public:
  explicit MemoryInput(std::span<const std::uint8_t> data) : data_(data) {}
  std::size_t read(std::uint8_t* dst, std::size_t n) override {
    const std::size_t got = std::min(n, data_.size() - pos_);
    if (got > 0) std::memcpy(dst, data_.data() + pos_, got);
    pos_ += got;
    return got;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

// Counts what it writes.
class Output : public EngineOutput {
 public:
  std::int64_t written() const { return written_; }

 protected:
  std::int64_t written_ = 0;
};

class FileOutput : public Output {
 public:
  FileOutput(std::FILE* file, const std::string& name) : file_(file), name_(name) {}
  void write(const std::uint8_t* src, std::size_t n) override {
    if (std::fwrite(src, 1, n, file_) != n) throw ELzrw1Exception(msg::writeError(name_));
    written_ += static_cast<std::int64_t>(n);
  }

 private:
  std::FILE* file_;
  const std::string& name_;
};

class MemoryOutput : public Output {
 public:
  void write(const std::uint8_t* src, std::size_t n) override {
    bytes.insert(bytes.end(), src, src + n);
    written_ += static_cast<std::int64_t>(n);
  }
  std::vector<std::uint8_t> bytes;
};

// The two I/O buffers of a run.
struct Buffers {
  Buffers() {
    try {
      in.resize(TLZR::kBufferSize);
      out.resize(TLZR::kBufferSize);
    } catch (const std::bad_alloc&) {
      throw ELzrw1Exception(msg::noBuffers());
    }
  }
  std::vector<std::uint8_t> in;
  std::vector<std::uint8_t> out;
};

// Reads until n bytes arrived or the input ended.
std::size_t readFully(EngineInput& in, std::uint8_t* dst, std::size_t n) {
  std::size_t total = 0;
  while (total < n) {
    const std::size_t got = in.read(dst + total, n - total);
    if (got == 0) break;
    total += got;
  }
  return total;
}

void putLe32(std::uint8_t* dst, std::int32_t value) {
  const auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) dst[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::int32_t getLe32(const std::uint8_t* src) {
  std::uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(src[i]) << (8 * i);
  return static_cast<std::int32_t>(v);
}

void compressRun(Input& in, std::int64_t size, Output& out, TCompressMode mode,
                 const std::string& inputName) {
  Buffers buffers;
  std::uint8_t header[kHeaderSize];
  std::memcpy(header, mode == TCompressMode::Fast ? kFastId : kGoodId, 4);
  putLe32(header + 4, static_cast<std::int32_t>(size));
  out.write(header, kHeaderSize);

  if (mode == TCompressMode::Fast) {
    in.setErrorMessage(msg::readError(inputName) + " (LZRW1/KH)");
    TLZR engine;
    std::size_t got;
    do {
      got = readFully(in, buffers.in.data(), TLZR::kBlockSize);
      const std::size_t length = engine.compressBlock(buffers.in.data(), got, buffers.out.data());
      const std::uint8_t lengthBytes[2] = {static_cast<std::uint8_t>(length),
                                           static_cast<std::uint8_t>(length >> 8)};
      out.write(lengthBytes, 2);
      out.write(buffers.out.data(), length);
    } while (got == TLZR::kBlockSize);
  } else {
    in.setErrorMessage(msg::readError(inputName) + " (LZH)");
    TLZH().encode(in, out);
  }
}

void decompressRun(Input& in, Output& out, const std::string& inputName) {
  Buffers buffers;
  std::uint8_t header[kHeaderSize];
  in.setErrorMessage(msg::readError(inputName));
  if (readFully(in, header, 4) < 4 ||
      (std::memcmp(header, kFastId, 4) != 0 && std::memcmp(header, kGoodId, 4) != 0)) {
    throw ELzrw1Exception(msg::badHeader(inputName));
  }
  if (readFully(in, header + 4, 4) < 4) throw ELzrw1Exception(msg::readError(inputName));
  const std::int64_t size = getLe32(header + 4);

  if (std::memcmp(header, kGoodId, 4) == 0) {
    in.setErrorMessage(msg::readError(inputName) + " (LZH)");
    if (TLZH().decode(in, out, size) != size) throw ELzrw1Exception(msg::lzhSizeMismatch());
    return;
  }

  // A valid block is at most 32,769 bytes; a longer length is read whole and then rejected.
  std::vector<std::uint8_t> block(0x10000);
  std::size_t yielded;
  do {
    std::uint8_t lengthBytes[2];
    if (readFully(in, lengthBytes, 2) < 2) throw ELzrw1Exception(msg::readError(inputName));
    const std::size_t length = lengthBytes[0] | (static_cast<std::size_t>(lengthBytes[1]) << 8);
    if (readFully(in, block.data(), length) < length) {
      throw ELzrw1Exception(msg::readError(inputName));
    }
    yielded = TLZR::decompressBlock(block.data(), length, buffers.out.data());
    if (yielded == TLZR::kMalformed) throw ELzrw1Exception(msg::lzrwSizeMismatch());
    out.write(buffers.out.data(), yielded);
    // A damaged container cannot make a run write far more than it claims.
    if (out.written() > size) break;
  } while (yielded == TLZR::kBlockSize);
  if (out.written() != size) throw ELzrw1Exception(msg::lzrwSizeMismatch());
}

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Creates the output file and deletes it again unless the run is committed.
class CreatedOutput {
 public:
  CreatedOutput(const std::string& inputName, const std::string& name) : name_(name) {
    // Opening the input itself for writing would truncate it before it is read.
    std::error_code ec;
    if (std::filesystem::exists(name, ec) && std::filesystem::equivalent(inputName, name, ec)) {
      throw ELzrw1Exception(msg::openOutput(name));
    }
    file_ = std::fopen(name.c_str(), "wb");
    if (!file_) throw ELzrw1Exception(msg::openOutput(name));
  }
  ~CreatedOutput() {
    if (file_) {
      std::fclose(file_);
      discard();
    }
  }
  std::FILE* get() const { return file_; }
  // Closes the file; a failure to flush what is buffered is a write error.
  void commit() {
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) {
      discard();
      throw ELzrw1Exception(msg::writeError(name_));
    }
  }

 private:
  // Only a regular file is partial output; a device named as output (/dev/null) stays.
  void discard() {
    std::error_code ec;
    if (std::filesystem::is_regular_file(name_, ec)) std::filesystem::remove(name_, ec);
  }

  const std::string& name_;
  std::FILE* file_ = nullptr;
};

// Size of a file measured by opening it; -1 when that fails.
std::int64_t measureSize(const std::string& name) {
  FilePtr f(std::fopen(name.c_str(), "rb"));
  if (!f) return -1;
  if (std::fseek(f.get(), 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(f.get());
  return size < 0 ? -1 : static_cast<std::int64_t>(size);
}

}  // namespace

std::int64_t Tlzrw1::Compress() {
  const TCompressMode mode = CompressMode == TCompressMode::Auto ? Advise() : CompressMode;
  const std::int64_t size = measureSize(InputFile);
  // The container records the size in 32 bits; a larger file could not be restored.
  if (size < 0 || size > kLargestSize) throw ELzrw1Exception(msg::noSize(InputFile));
  FilePtr inFile(std::fopen(InputFile.c_str(), "rb"));
  if (!inFile) throw ELzrw1Exception(msg::openInput(InputFile));
  CreatedOutput outFile(InputFile, OutputFile);
  FileInput in(inFile.get());
  FileOutput out(outFile.get(), OutputFile);
  compressRun(in, size, out, mode, InputFile);
  outFile.commit();
  return out.written();
}

std::int64_t Tlzrw1::Decompress() {
  FilePtr inFile(std::fopen(InputFile.c_str(), "rb"));
  if (!inFile) throw ELzrw1Exception(msg::openInput(InputFile));
  CreatedOutput outFile(InputFile, OutputFile);
  FileInput in(inFile.get());
  FileOutput out(outFile.get(), OutputFile);
  decompressRun(in, out, InputFile);
  outFile.commit();
  return out.written();
}

TCompressMode Tlzrw1::Advise() {
  std::vector<std::uint8_t> sample, block;
  try {
    sample.resize(TLZR::kBufferSize);
    block.resize(TLZR::kBufferSize);
  } catch (const std::bad_alloc&) {
    throw ELzrw1Exception(msg::adviseNoBuffers());
  }
  const std::int64_t size = measureSize(InputFile);
  if (size < 0) throw ELzrw1Exception(msg::adviseNoSize(InputFile));
  if (size < 3 * static_cast<std::int64_t>(TLZR::kBlockSize)) {
    CompressMode = TCompressMode::Good;
    return TCompressMode::Good;
  }
  FilePtr f(std::fopen(InputFile.c_str(), "rb"));
  if (!f) throw ELzrw1Exception(msg::adviseOpen(InputFile));
  TLZR engine;
  std::int64_t sampled = 0, packed = 0;
  for (const std::int64_t start : {size / 3, size * 2 / 3}) {
    const std::int64_t at = start / TLZR::kBlockSize * TLZR::kBlockSize;
    if (std::fseek(f.get(), static_cast<long>(at), SEEK_SET) != 0) {
      throw ELzrw1Exception(msg::adviseRead(InputFile));
    }
    const std::size_t got = std::fread(sample.data(), 1, TLZR::kBlockSize, f.get());
    if (std::ferror(f.get())) throw ELzrw1Exception(msg::adviseRead(InputFile));
    sampled += static_cast<std::int64_t>(got);
    packed += static_cast<std::int64_t>(engine.compressBlock(sample.data(), got, block.data()));
  }
  return packed < sampled * Threshold / 100 ? TCompressMode::Fast : TCompressMode::Good;
}

std::vector<std::uint8_t> compressToContainer(std::span<const std::uint8_t> data,
                                              TCompressMode mode, const std::string& name) {
  if (data.size() > static_cast<std::size_t>(kLargestSize)) {
    throw ELzrw1Exception(msg::noSize(name));
  }
  MemoryInput in(data);
  MemoryOutput out;
  out.bytes.reserve(kHeaderSize + data.size() + data.size() / 256 + 16);
  compressRun(in, static_cast<std::int64_t>(data.size()), out,
              mode == TCompressMode::Fast ? TCompressMode::Fast : TCompressMode::Good, name);
  return std::move(out.bytes);
}

std::vector<std::uint8_t> decompressContainer(std::span<const std::uint8_t> container,
                                              const std::string& name) {
  MemoryInput in(container);
  MemoryOutput out;
  // Room for the claimed size, but never more than the container could expand to (a 4-byte
  // run item stands for at most 4,111 bytes).
  if (container.size() >= kHeaderSize) {
    const std::int64_t claimed = getLe32(container.data() + 4);
    const std::int64_t most = static_cast<std::int64_t>(container.size()) * 1028 + 32768;
    if (claimed > 0) out.bytes.reserve(static_cast<std::size_t>(std::min(claimed, most)));
  }
  decompressRun(in, out, name);
  return std::move(out.bytes);
}

}  // namespace korvel::records

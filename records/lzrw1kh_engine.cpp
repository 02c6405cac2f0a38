#include "records/lzrw1kh_engine.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "records/lzrw1_errors.h"

namespace korvel::records {

namespace {

constexpr std::size_t kMaxRun = 4095;
constexpr std::size_t kMinRun = 16;
constexpr std::size_t kMaxCopy = 18;
constexpr std::size_t kMinCopy = 3;
constexpr std::size_t kMaxDistance = 4095;
constexpr unsigned kItemsPerGroup = 16;

std::uint64_t load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// Number of equal bytes at a and b, at most limit (<= 18). Whole words are compared when all 18
// bytes lie inside the block.
std::size_t matchLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t limit) {
  if (limit == kMaxCopy) {
    std::uint64_t x = load64(a) ^ load64(b);
    if (x != 0) return static_cast<std::size_t>(__builtin_ctzll(x)) / 8;
    x = load64(a + 8) ^ load64(b + 8);
    if (x != 0) return 8 + static_cast<std::size_t>(__builtin_ctzll(x)) / 8;
    if (a[16] != b[16]) return 16;
    return a[17] == b[17] ? 18 : 17;
  }
  std::size_t len = 0;
  while (len < limit && a[len] == b[len]) ++len;
  return len;
}

// Number of bytes from p on equal to p[0], counting p[0], at most limit.
std::size_t runLength(const std::uint8_t* p, std::size_t limit) {
  const std::uint64_t pattern = 0x0101010101010101ull * p[0];
  std::size_t run = 1;
  while (run + 8 <= limit) {
    const std::uint64_t x = load64(p + run) ^ pattern;
    if (x != 0) return run + static_cast<std::size_t>(__builtin_ctzll(x)) / 8;
    run += 8;
  }
  while (run < limit && p[run] == p[0]) ++run;
  return run;
}

unsigned hashOf(const std::uint8_t* p) {
  std::uint32_t h = (static_cast<std::uint32_t>(p[0]) << 4) ^ p[1];
  h = (h << 4) ^ p[2];
  return ((h * 40543u) >> 4) & 0xFFFu;
}

void putWord(std::uint8_t* dst, unsigned value) {
  dst[0] = static_cast<std::uint8_t>(value >> 8);
  dst[1] = static_cast<std::uint8_t>(value);
}

}  // namespace

TLZR::TLZR() : hash_(new (std::nothrow) std::uint16_t[kHashSize]) {
  if (!hash_) throw ELzrw1KHCompressor(lzrw1_messages::noHashTable());
}

std::size_t TLZR::compressBlock(const std::uint8_t* src, std::size_t n, std::uint8_t* dst) {
  std::fill_n(hash_.get(), kHashSize, kEmpty);
  dst[0] = kCompressedFlag;
  std::size_t controlAt = 1;
  std::size_t out = 3;
  unsigned control = 0;
  unsigned items = 0;
  std::size_t p = 0;

  while (p < n && out <= n) {
    if (items == kItemsPerGroup) {
      putWord(dst + controlAt, control);
      controlAt = out;
      out += 2;
      control = 0;
      items = 0;
    }
    ++items;
    const std::uint8_t byte = src[p];
    const std::size_t run = runLength(src + p, std::min(n - p, kMaxRun));

    if (run >= kMinRun) {
      const unsigned stored = static_cast<unsigned>(run - kMinRun);
      dst[out] = 0;
      putWord(dst + out + 1, stored);
      dst[out + 3] = byte;
      out += 4;
      p += run;
      control = (control << 1) | 1;
      continue;
    }

    // Fewer than three bytes left can never make a copy, so such positions skip the table.
    std::size_t length = 0;
    std::size_t distance = 0;
    if (n - p >= kMinCopy) {
      std::uint16_t& slot = hash_[hashOf(src + p)];
      const std::uint16_t q = slot;
      slot = static_cast<std::uint16_t>(p);
      if (q != kEmpty && p - q <= kMaxDistance) {
        distance = p - q;
        length = matchLength(src + q, src + p, std::min(n - p, kMaxCopy));
      }
    }
    if (length >= kMinCopy) {
      putWord(dst + out, static_cast<unsigned>((distance << 4) | (length - kMinCopy)));
      out += 2;
      p += length;
      control = (control << 1) | 1;
    } else {
      dst[out++] = byte;
      ++p;
      control <<= 1;
    }
  }
  putWord(dst + controlAt, control << (kItemsPerGroup - items));

  if (out <= n) return out;
  dst[0] = kStoredFlag;
  std::memcpy(dst + 1, src, n);
  return n + 1;
}

std::size_t TLZR::decompressBlock(const std::uint8_t* src, std::size_t len, std::uint8_t* dst) {
  if (len <= 1) return 0;
  if (src[0] == kStoredFlag) {
    if (len - 1 > kBlockSize) return kMalformed;
    std::memcpy(dst, src + 1, len - 1);
    return len - 1;
  }
  std::size_t in = 3;
  std::size_t out = 0;
  unsigned control = len >= 3 ? (static_cast<unsigned>(src[1]) << 8) | src[2] : 0;
  unsigned left = kItemsPerGroup;

  while (in < len) {
    if (left == 0) {
      if (len - in < 2) return kMalformed;
      control = (static_cast<unsigned>(src[in]) << 8) | src[in + 1];
      in += 2;
      left = kItemsPerGroup;
      if (in >= len) break;
    }
    --left;
    const bool literal = (control & 0x8000) == 0;
    control <<= 1;
    if (literal) {
      if (out >= kBlockSize) return kMalformed;
      dst[out++] = src[in++];
      continue;
    }
    if (len - in < 2) return kMalformed;
    const std::size_t distance = (static_cast<std::size_t>(src[in]) << 4) | (src[in + 1] >> 4);
    if (distance != 0) {
      const std::size_t count = (src[in + 1] & 0x0F) + kMinCopy;
      in += 2;
      if (distance > out || count > kBlockSize - out) return kMalformed;
      std::uint8_t* to = dst + out;
      const std::uint8_t* from = to - distance;
      if (distance >= 16) {
        // Whole 16-byte strides cannot overlap here; the spare room takes what runs past count.
        std::memcpy(to, from, 16);
        if (count > 16) std::memcpy(to + 16, from + 16, 2);
      } else {
        for (std::size_t i = 0; i < count; ++i) to[i] = from[i];
      }
      out += count;
    } else {
      if (len - in < 4) return kMalformed;
      const std::size_t count =
          ((static_cast<std::size_t>(src[in + 1] & 0x0F) << 8) | src[in + 2]) + kMinRun;
      if (count > kBlockSize - out) return kMalformed;
      std::memset(dst + out, src[in + 3], count);
      in += 4;
      out += count;
    }
  }
  return out;
}

}  // namespace korvel::records

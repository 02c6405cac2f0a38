#include "records/lzh_engine.h"

#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "records/lzrw1_errors.h"

namespace korvel::records {

namespace {

constexpr int kRing = 4096;                              // N: ring buffer size
constexpr int kLookAhead = 60;                           // F: longest match
constexpr int kThreshold = 2;                            // matches this short go out as literals
constexpr int kNil = kRing;                              // no node
constexpr int kSymbols = 256 - kThreshold + kLookAhead;  // 314: bytes, then lengths 3..60
constexpr int kTable = kSymbols * 2 - 1;                 // 627 tree nodes
constexpr int kRoot = kTable - 1;
constexpr unsigned kMaxFreq = 0x8000;
constexpr std::size_t kIoChunk = 32768;

// The fixed prefix code for the upper 6 position bits: 1 code of 3 bits, 3 of 4, 8 of 5, 12 of
// 6, 24 of 7 and 16 of 8, handed out in increasing order, left-aligned in a byte.
struct PositionCode {
  std::array<std::uint8_t, 64> code{};
  std::array<std::uint8_t, 64> length{};
  std::array<std::uint8_t, 256> upperOf{};   // decoding: leading byte -> upper 6 bits
  std::array<std::uint8_t, 256> lengthOf{};  // decoding: leading byte -> code length
};

constexpr PositionCode makePositionCode() {
  PositionCode pc;
  constexpr int counts[] = {1, 3, 8, 12, 24, 16};
  unsigned next = 0;
  int index = 0;
  for (int bits = 3; bits <= 8; ++bits) {
    for (int i = 0; i < counts[bits - 3]; ++i, ++index, ++next) {
      pc.code[index] = static_cast<std::uint8_t>(next << (8 - bits));
      pc.length[index] = static_cast<std::uint8_t>(bits);
      for (unsigned tail = 0; tail < (1u << (8 - bits)); ++tail) {
        pc.upperOf[pc.code[index] | tail] = static_cast<std::uint8_t>(index);
        pc.lengthOf[pc.code[index] | tail] = static_cast<std::uint8_t>(bits);
      }
    }
    next <<= 1;
  }
  return pc;
}

constexpr PositionCode kPosition = makePositionCode();
static_assert(kPosition.code[63] == 0xFF && kPosition.code[24] == 0xC0);

// The adaptive Huffman tree. Nodes are kept in order of frequency; son[n] names the smaller of
// node n's two children (the other is son[n] + 1), or a leaf as symbol + kTable.
struct HuffmanTree {
  unsigned freq[kTable + 1];
  int prnt[kTable + kSymbols];  // parents; entries kTable... locate each symbol's leaf
  int son[kTable];

  void start() {
    for (int i = 0; i < kSymbols; ++i) {
      freq[i] = 1;
      son[i] = i + kTable;
      prnt[i + kTable] = i;
    }
    for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
      freq[j] = freq[i] + freq[i + 1];
      son[j] = i;
      prnt[i] = prnt[i + 1] = j;
    }
    freq[kTable] = 0xFFFF;  // sentinel that stops the search in update()
    prnt[kRoot] = 0;
  }

  // Halves every leaf frequency (rounding up) and builds the tree again.
  void rebuild() {
    int j = 0;
    for (int i = 0; i < kTable; ++i) {
      if (son[i] >= kTable) {
        freq[j] = (freq[i] + 1) / 2;
        son[j] = son[i];
        ++j;
      }
    }
    for (int i = 0, node = kSymbols; node < kTable; i += 2, ++node) {
      const unsigned f = freq[i] + freq[i + 1];
      freq[node] = f;
      int k = node - 1;
      while (f < freq[k]) --k;
      ++k;
      // Every entry from k on moves up by one (the 16-bit original moved bytes, not entries).
      std::memmove(&freq[k + 1], &freq[k], sizeof(freq[0]) * (node - k));
      freq[k] = f;
      std::memmove(&son[k + 1], &son[k], sizeof(son[0]) * (node - k));
      son[k] = i;
    }
    for (int i = 0; i < kTable; ++i) {
      const int k = son[i];
      if (k >= kTable) {
        prnt[k] = i;
      } else {
        prnt[k] = prnt[k + 1] = i;
      }
    }
  }

  // Counts one more occurrence of symbol c. The rebuild is checked first, so the symbol coded
  // right after the root reaches kMaxFreq still used the old tree.
  void update(int c) {
    if (freq[kRoot] == kMaxFreq) rebuild();
    c = prnt[c + kTable];
    do {
      const unsigned k = ++freq[c];
      int l = c + 1;
      if (k > freq[l]) {
        while (k > freq[++l]) {
        }
        --l;
        freq[c] = freq[l];
        freq[l] = k;

        const int i = son[c];
        prnt[i] = l;
        if (i < kTable) prnt[i + 1] = l;
        const int j = son[l];
        son[l] = i;
        prnt[j] = c;
        if (j < kTable) prnt[j + 1] = c;
        son[c] = j;
        c = l;
      }
      c = prnt[c];
    } while (c != 0);
  }
};

// The encoder's ring with its match finder: one binary search tree per first byte over the
// kLookAhead-byte strings starting at ring positions. text has kLookAhead - 1 extra bytes that
// mirror the ring's start, so a string never wraps.
struct MatchFinder {
  std::uint8_t text[kRing + kLookAhead - 1];
  int lson[kRing + 1];
  int rson[kRing + 257];
  int dad[kRing + 1];
  int matchPosition;
  int matchLength;

  void init() {
    for (int i = kRing + 1; i <= kRing + 256; ++i) rson[i] = kNil;
    for (int i = 0; i < kRing; ++i) dad[i] = kNil;
  }

  // Inserts the string at r and finds the longest match on the search path (the nearest among
  // equally long ones). An identical string replaces the older node.
  void insert(int r) {
    int cmp = 1;
    const std::uint8_t* key = &text[r];
    int p = kRing + 1 + key[0];
    rson[r] = lson[r] = kNil;
    matchLength = 0;
    for (;;) {
      if (cmp >= 0) {
        if (rson[p] != kNil) {
          p = rson[p];
        } else {
          rson[p] = r;
          dad[r] = p;
          return;
        }
      } else {
        if (lson[p] != kNil) {
          p = lson[p];
        } else {
          lson[p] = r;
          dad[r] = p;
          return;
        }
      }
      int i = 1;
      for (; i < kLookAhead; ++i) {
        cmp = key[i] - text[p + i];
        if (cmp != 0) break;
      }
      if (i > kThreshold) {
        const int distance = ((r - p) & (kRing - 1)) - 1;
        if (i > matchLength) {
          matchPosition = distance;
          matchLength = i;
          if (matchLength >= kLookAhead) break;
        }
        if (i == matchLength && distance < matchPosition) matchPosition = distance;
      }
    }
    dad[r] = dad[p];
    lson[r] = lson[p];
    rson[r] = rson[p];
    dad[lson[p]] = r;
    dad[rson[p]] = r;
    if (rson[dad[p]] == p) {
      rson[dad[p]] = r;
    } else {
      lson[dad[p]] = r;
    }
    dad[p] = kNil;
  }

  void remove(int p) {
    if (dad[p] == kNil) return;
    int q;
    if (rson[p] == kNil) {
      q = lson[p];
    } else if (lson[p] == kNil) {
      q = rson[p];
    } else {
      q = lson[p];
      if (rson[q] != kNil) {
        do {
          q = rson[q];
        } while (rson[q] != kNil);
        rson[dad[q]] = lson[q];
        dad[lson[q]] = dad[q];
        lson[q] = lson[p];
        dad[lson[p]] = q;
      }
      rson[q] = rson[p];
      dad[rson[p]] = q;
    }
    dad[q] = dad[p];
    if (rson[dad[p]] == p) {
      rson[dad[p]] = q;
    } else {
      lson[dad[p]] = q;
    }
    dad[p] = kNil;
  }
};

template <typename T>
std::unique_ptr<T> allocateTables() {
  std::unique_ptr<T> tables(new (std::nothrow) T());
  if (!tables) throw ElzhException(lzrw1_messages::noLzhTables());
  return tables;
}

class ByteReader {
 public:
  explicit ByteReader(EngineInput& in) : in_(in), buffer_(kIoChunk) {}
  // The next byte, or -1 at the end of the input.
  int get() {
    if (pos_ == end_) {
      if (ended_) return -1;
      end_ = in_.read(buffer_.data(), buffer_.size());
      pos_ = 0;
      if (end_ < buffer_.size()) ended_ = true;
      if (end_ == 0) return -1;
    }
    return buffer_[pos_++];
  }

 private:
  EngineInput& in_;
  std::vector<std::uint8_t> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool ended_ = false;
};

class ByteWriter {
 public:
  explicit ByteWriter(EngineOutput& out) : out_(out) { buffer_.reserve(kIoChunk); }
  void put(std::uint8_t byte) {
    buffer_.push_back(byte);
    if (buffer_.size() == kIoChunk) flush();
  }
  void flush() {
    if (!buffer_.empty()) out_.write(buffer_.data(), buffer_.size());
    buffer_.clear();
  }

 private:
  EngineOutput& out_;
  std::vector<std::uint8_t> buffer_;
};

class BitWriter {
 public:
  explicit BitWriter(EngineOutput& out) : bytes_(out) {}
  // Appends the low count bits of value (count <= 32), most significant first.
  void put(std::uint64_t value, int count) {
    acc_ = (acc_ << count) | (value & ((std::uint64_t{1} << count) - 1));
    bits_ += count;
    while (bits_ >= 8) {
      bits_ -= 8;
      bytes_.put(static_cast<std::uint8_t>(acc_ >> bits_));
    }
  }
  // Pads the last byte with zero bits and writes everything out.
  void finish() {
    if (bits_ > 0) bytes_.put(static_cast<std::uint8_t>(acc_ << (8 - bits_)));
    bits_ = 0;
    bytes_.flush();
  }

 private:
  ByteWriter bytes_;
  std::uint64_t acc_ = 0;
  int bits_ = 0;
};

class BitReader {
 public:
  explicit BitReader(EngineInput& in) : bytes_(in) {}
  unsigned bit() {
    if (bits_ == 0) refill();
    const unsigned v = static_cast<unsigned>(acc_ >> 63);
    acc_ <<= 1;
    --bits_;
    return v;
  }
  unsigned byte() {
    if (bits_ < 8) refill();
    const unsigned v = static_cast<unsigned>(acc_ >> 56);
    acc_ <<= 8;
    bits_ -= 8;
    return v;
  }
  // True once a bit from beyond the end of the input has been taken. The end reads as zero bits,
  // which are queued behind every real bit, so this holds exactly when fewer bits are waiting
  // than zero bits were queued.
  bool overrun() const { return static_cast<std::uint64_t>(bits_) < padBits_; }

 private:
  void refill() {
    while (bits_ <= 56) {
      int b = bytes_.get();
      if (b < 0) {
        b = 0;
        padBits_ += 8;
      }
      acc_ |= static_cast<std::uint64_t>(b) << (56 - bits_);
      bits_ += 8;
    }
  }

  ByteReader bytes_;
  std::uint64_t acc_ = 0;
  int bits_ = 0;
  std::uint64_t padBits_ = 0;
};

struct EncoderTables {
  HuffmanTree huff;
  MatchFinder finder;
};

struct DecoderTables {
  HuffmanTree huff;
  std::uint8_t ring[kRing];
};

void encodeSymbol(HuffmanTree& huff, BitWriter& bits, unsigned c) {
  // Walk from the leaf to the root; the leaf's own bit is the last one sent. The tree keeps the
  // sibling property with frequencies below 2^16, so a path stays far below 64 bits.
  std::uint64_t code = 0;
  int length = 0;
  int k = huff.prnt[c + kTable];
  do {
    if (k & 1) code |= std::uint64_t{1} << length;
    ++length;
    k = huff.prnt[k];
  } while (k != kRoot);
  bits.put(code, length);
  huff.update(static_cast<int>(c));
}

void encodePosition(BitWriter& bits, unsigned position) {
  const unsigned upper = position >> 6;
  const int length = kPosition.length[upper];
  bits.put(kPosition.code[upper] >> (8 - length), length);
  bits.put(position & 0x3F, 6);
}

}  // namespace

void TLZH::encode(EngineInput& input, EngineOutput& output) {
  auto tables = allocateTables<EncoderTables>();
  HuffmanTree& huff = tables->huff;
  MatchFinder& tree = tables->finder;
  ByteReader in(input);
  BitWriter bits(output);

  huff.start();
  tree.init();
  std::uint8_t* text = tree.text;
  int s = 0;
  int r = kRing - kLookAhead;
  std::memset(text, ' ', r);  // the rest of the ring and its mirror start as zero bytes
  int len = 0;
  int c = 0;
  while (len < kLookAhead && (c = in.get()) >= 0) text[r + len++] = static_cast<std::uint8_t>(c);
  if (len == 0) {
    encodeSymbol(huff, bits, ' ');
    bits.finish();
    return;
  }
  for (int i = 1; i <= kLookAhead; ++i) tree.insert(r - i);
  tree.insert(r);
  do {
    if (tree.matchLength > len) tree.matchLength = len;
    if (tree.matchLength <= kThreshold) {
      tree.matchLength = 1;
      encodeSymbol(huff, bits, text[r]);
    } else {
      encodeSymbol(huff, bits, static_cast<unsigned>(255 - kThreshold + tree.matchLength));
      encodePosition(bits, static_cast<unsigned>(tree.matchPosition));
    }
    const int last = tree.matchLength;
    int i = 0;
    for (; i < last && (c = in.get()) >= 0; ++i) {
      tree.remove(s);
      text[s] = static_cast<std::uint8_t>(c);
      if (s < kLookAhead - 1) text[s + kRing] = static_cast<std::uint8_t>(c);
      s = (s + 1) & (kRing - 1);
      r = (r + 1) & (kRing - 1);
      tree.insert(r);
    }
    for (; i < last; ++i) {
      tree.remove(s);
      s = (s + 1) & (kRing - 1);
      r = (r + 1) & (kRing - 1);
      if (--len) tree.insert(r);
    }
  } while (len > 0);
  bits.finish();
}

std::int64_t TLZH::decode(EngineInput& input, EngineOutput& output, std::int64_t size) {
  auto tables = allocateTables<DecoderTables>();
  HuffmanTree& huff = tables->huff;
  std::uint8_t* ring = tables->ring;
  BitReader bits(input);
  ByteWriter out(output);

  huff.start();
  std::memset(ring, ' ', kRing - kLookAhead);
  int r = kRing - kLookAhead;
  std::int64_t count = 0;
  while (count < size) {
    unsigned c = static_cast<unsigned>(huff.son[kRoot]);
    while (c < static_cast<unsigned>(kTable)) c = static_cast<unsigned>(huff.son[c + bits.bit()]);
    c -= kTable;
    huff.update(static_cast<int>(c));
    if (c < 256) {
      if (bits.overrun()) break;
      out.put(static_cast<std::uint8_t>(c));
      ring[r] = static_cast<std::uint8_t>(c);
      r = (r + 1) & (kRing - 1);
      ++count;
      continue;
    }
    unsigned lead = bits.byte();
    const unsigned upper = kPosition.upperOf[lead];
    for (int extra = kPosition.lengthOf[lead] - 2; extra > 0; --extra)
      lead = (lead << 1) | bits.bit();
    const unsigned position = (upper << 6) | (lead & 0x3F);
    if (bits.overrun()) break;
    const int from = (r - static_cast<int>(position) - 1) & (kRing - 1);
    const int length = static_cast<int>(c) - 255 + kThreshold;
    for (int k = 0; k < length; ++k) {
      const std::uint8_t b = ring[(from + k) & (kRing - 1)];
      out.put(b);
      ring[r] = b;
      r = (r + 1) & (kRing - 1);
      ++count;
    }
  }
  out.flush();
  return count;
}

}  // namespace korvel::records

// Throughput and ratio of the tally compressor's two engines beside LZ4 (default level) and zlib
// (levels 1 and 6), all on the same inputs in one run. Ratio = input size / compressed size.

#include <benchmark/benchmark.h>
#include <lz4.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "records/lzrw1.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using korvel::records::TCompressMode;

// English text: the game's word list when it is there, else generated words.
Bytes englishText() {
  std::ifstream file(KORVEL_WORDLIST_PATH, std::ios::binary);
  Bytes data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!data.empty()) return data;
  std::mt19937 rng(7);
  const char* letters =
      "eeeeeeeeeeeetttttttttaaaaaaaaoooooooiiiiiiinnnnnnnsssssshhhhhhrrrrrrdddd"
      "llllcccuuummwwffggyyppbbvkjxqz";
  const std::size_t count = std::char_traits<char>::length(letters);
  while (data.size() < 2'000'000) {
    const int length = 2 + static_cast<int>(rng() % 9);
    for (int i = 0; i < length; ++i) data.push_back(letters[rng() % count]);
    data.push_back('\n');
  }
  return data;
}

// A tally text with 150 followed opponents: 9 columns written column by column, CR LF lines.
Bytes tallyText() {
  std::mt19937 rng(11);
  const int rows = 151;
  std::string text = "9\r\n" + std::to_string(rows) + "\r\n";
  for (int col = 0; col < 9; ++col) {
    for (int row = 0; row < rows; ++row) {
      if (col == 0) {
        text += row == 0 ? "0" : "Player" + std::to_string(rng() % 100000);
      } else {
        text += (row == 0 && col >= 5) ? "0" : std::to_string(rng() % (col < 5 ? 400 : 20));
      }
      text += "\r\n";
    }
  }
  return Bytes(text.begin(), text.end());
}

Bytes randomBytes() {
  std::mt19937 rng(3);
  Bytes data(1 << 20);
  for (auto& b : data) b = static_cast<std::uint8_t>(rng());
  return data;
}

// Runs of one byte, 16 to 8,000 long, with a few literal bytes between them.
Bytes longRuns() {
  std::mt19937 rng(5);
  Bytes data;
  while (data.size() < (1u << 20)) {
    data.insert(data.end(), 16 + rng() % 7985, static_cast<std::uint8_t>(rng()));
    for (int i = rng() % 4; i > 0; --i) data.push_back(static_cast<std::uint8_t>(rng()));
  }
  return data;
}

const Bytes& input(int which) {
  static const Bytes inputs[] = {englishText(), tallyText(), randomBytes(), longRuns()};
  return inputs[which];
}

const char* const kInputNames[] = {"words", "tally", "random", "runs"};

struct Codec {
  const char* name;
  Bytes (*compress)(const Bytes&);
  Bytes (*decompress)(const Bytes& packed, std::size_t size);
};

Bytes fastCompress(const Bytes& in) {
  return korvel::records::compressToContainer(in, TCompressMode::Fast);
}
Bytes goodCompress(const Bytes& in) {
  return korvel::records::compressToContainer(in, TCompressMode::Good);
}
Bytes containerDecompress(const Bytes& packed, std::size_t) {
  return korvel::records::decompressContainer(packed);
}

Bytes lz4Compress(const Bytes& in) {
  Bytes out(LZ4_compressBound(static_cast<int>(in.size())));
  const int n = LZ4_compress_default(reinterpret_cast<const char*>(in.data()),
                                     reinterpret_cast<char*>(out.data()),
                                     static_cast<int>(in.size()), static_cast<int>(out.size()));
  out.resize(n);
  return out;
}
Bytes lz4Decompress(const Bytes& packed, std::size_t size) {
  Bytes out(size);
  LZ4_decompress_safe(reinterpret_cast<const char*>(packed.data()),
                      reinterpret_cast<char*>(out.data()), static_cast<int>(packed.size()),
                      static_cast<int>(size));
  return out;
}

template <int Level>
Bytes zlibCompress(const Bytes& in) {
  uLongf n = compressBound(in.size());
  Bytes out(n);
  compress2(out.data(), &n, in.data(), in.size(), Level);
  out.resize(n);
  return out;
}
Bytes zlibDecompress(const Bytes& packed, std::size_t size) {
  uLongf n = size;
  Bytes out(size);
  uncompress(out.data(), &n, packed.data(), packed.size());
  return out;
}

const Codec kCodecs[] = {
    {"Fast", fastCompress, containerDecompress}, {"Good", goodCompress, containerDecompress},
    {"LZ4", lz4Compress, lz4Decompress},         {"zlib1", zlibCompress<1>, zlibDecompress},
    {"zlib6", zlibCompress<6>, zlibDecompress},
};

void setCounters(benchmark::State& state, const Bytes& in, const Bytes& packed) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
  state.counters["ratio"] = static_cast<double>(in.size()) / static_cast<double>(packed.size());
}

void compressBench(benchmark::State& state, const Codec& codec, int which) {
  const Bytes& in = input(which);
  Bytes packed;
  for (auto _ : state) {
    packed = codec.compress(in);
    benchmark::DoNotOptimize(packed.data());
  }
  setCounters(state, in, packed);
}

void decompressBench(benchmark::State& state, const Codec& codec, int which) {
  const Bytes& in = input(which);
  const Bytes packed = codec.compress(in);
  Bytes restored;
  for (auto _ : state) {
    restored = codec.decompress(packed, in.size());
    benchmark::DoNotOptimize(restored.data());
  }
  if (restored != in) state.SkipWithError("restored bytes differ from the input");
  setCounters(state, in, packed);
}

const int kRegistered = [] {
  for (int which = 0; which < 4; ++which) {
    for (const Codec& codec : kCodecs) {
      const std::string suffix = std::string(codec.name) + "/" + kInputNames[which];
      benchmark::RegisterBenchmark(("compress/" + suffix).c_str(), compressBench, codec, which)
          ->Unit(benchmark::kMicrosecond);
      benchmark::RegisterBenchmark(("decompress/" + suffix).c_str(), decompressBench, codec, which)
          ->Unit(benchmark::kMicrosecond);
    }
  }
  return 0;
}();

}  // namespace

BENCHMARK_MAIN();

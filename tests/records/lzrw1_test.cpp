#include "records/lzrw1.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "records/lzrw1_errors.h"
#include "records/lzrw1kh_engine.h"
#include "test_files.h"

using namespace korvel::records;
using namespace korvel::records::testing;
namespace fs = std::filesystem;

namespace {

Bytes container(const std::string& id, std::int32_t size, const Bytes& payload) {
  Bytes out(id.begin(), id.end());
  const auto v = static_cast<std::uint32_t>(size);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  out.insert(out.end(), payload.begin(), payload.end());
  return out;
}

Bytes repeated(std::size_t n, std::uint8_t byte) {
  return Bytes(n, byte);
}

Bytes randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(rng());
  return out;
}

// Words from a small vocabulary with spaces and line ends: compressible like real text.
Bytes textBytes(std::size_t n, unsigned seed) {
  static const char* const words[] = {"the",  "tile", "board", "score",  "word", "player", "rack",
                                      "turn", "pass", "bag",   "letter", "win",  "game",   "and"};
  std::mt19937 rng(seed);
  Bytes out;
  while (out.size() < n) {
    for (const char* c = words[rng() % 14]; *c; ++c) out.push_back(static_cast<std::uint8_t>(*c));
    out.push_back(rng() % 9 == 0 ? '\n' : ' ');
  }
  out.resize(n);
  return out;
}

Bytes fast(const Bytes& data) {
  return compressToContainer(data, TCompressMode::Fast);
}

}  // namespace

TEST(Lzrw1Container, FastModeGivesTheExactContainersForSmallEdgeInputs) {
  struct Case {
    const char* what;
    Bytes input;
    Bytes expected;
  } cases[] = {
      {"empty input is one empty stored block", {}, container("WRZL", 0, {0x01, 0x00, 0x80})},
      {"abc does not shrink and is stored", bytesOf("abc"),
       container("WRZL", 3, {0x04, 0x00, 0x80, 'a', 'b', 'c'})},
      {"twenty a are one run item", repeated(20, 'a'),
       container("WRZL", 20, {0x07, 0x00, 0x40, 0x80, 0x00, 0x00, 0x00, 0x04, 'a'})},
      {"fifteen a are a literal and a copy at distance 1", repeated(15, 'a'),
       container("WRZL", 15, {0x06, 0x00, 0x40, 0x40, 0x00, 'a', 0x00, 0x1B})},
      {"sixteen a are the shortest run item", repeated(16, 'a'),
       container("WRZL", 16, {0x07, 0x00, 0x40, 0x80, 0x00, 0x00, 0x00, 0x00, 'a'})},
      {"a run over 4,095 is split; the run leaves the hash table empty, so the rest is a literal "
       "and a copy",
       repeated(4100, 'z'),
       container("WRZL", 4100,
                 {0x0A, 0x00, 0x40, 0xA0, 0x00, 0x00, 0x0F, 0xEF, 'z', 'z', 0x00, 0x11})},
      {"two full runs and the shortest one", repeated(8206, 'r'),
       container("WRZL", 8206,
                 {0x0F, 0x00, 0x40, 0xE0, 0x00, 0x00, 0x0F, 0xEF, 'r', 0x00, 0x0F, 0xEF, 'r', 0x00,
                  0x00, 0x00, 'r'})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fast(c.input), c.expected) << c.what;
    EXPECT_EQ(decompressContainer(c.expected), c.input) << c.what;
  }
}

TEST(Lzrw1Container, InputOfExactlyOneBlockEndsWithAnEmptyBlock) {
  const Bytes data = textBytes(TLZR::kBlockSize, 1);
  const Bytes packed = fast(data);
  ASSERT_GT(packed.size(), 11u);
  EXPECT_EQ(Bytes(packed.end() - 3, packed.end()), (Bytes{0x01, 0x00, 0x80}));
  const std::size_t first = packed[8] | (packed[9] << 8);
  EXPECT_EQ(first + 10 + 3, packed.size()) << "one full block, then the empty one";
  EXPECT_EQ(decompressContainer(packed), data);
}

TEST(Lzrw1Container, ABlockThatDoesNotShrinkIsStoredWithOneExtraByte) {
  TLZR engine;
  Bytes out(TLZR::kBufferSize);
  for (std::size_t n : {std::size_t{1}, std::size_t{100}, TLZR::kBlockSize}) {
    const Bytes data = randomBytes(n, 5);
    ASSERT_EQ(engine.compressBlock(data.data(), n, out.data()), n + 1) << n;
    EXPECT_EQ(out[0], TLZR::kStoredFlag);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin() + 1)) << n;
  }
}

TEST(Lzrw1Container, BothEnginesRestoreVariedDataAroundTheBlockBoundary) {
  const std::size_t sizes[] = {0,    1,     2,     3,     17,    4095,  4096,
                               4097, 32767, 32768, 32769, 65536, 100003};
  struct Kind {
    const char* name;
    Bytes (*make)(std::size_t, unsigned);
  } kinds[] = {
      {"text", textBytes},
      {"random", randomBytes},
      {"zeros", [](std::size_t n, unsigned) { return Bytes(n, 0); }},
      {"mostly one byte",
       [](std::size_t n, unsigned seed) {
         // Skewed symbol counts give adaptive Huffman codes longer than 16 bits.
         Bytes b = randomBytes(n, seed);
         for (auto& x : b) x = x < 3 ? x : 'e';
         return b;
       }},
  };
  for (const auto& kind : kinds) {
    for (std::size_t n : sizes) {
      const Bytes data = kind.make(n, static_cast<unsigned>(n));
      for (TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
        const Bytes packed = compressToContainer(data, mode);
        ASSERT_EQ(decompressContainer(packed), data)
            << kind.name << " size " << n << (mode == TCompressMode::Fast ? " fast" : " good");
      }
    }
  }
}

TEST(Lzrw1Container, LzhCodesAnEmptyInputAsOneLiteralSpace) {
  EXPECT_EQ(compressToContainer({}, TCompressMode::Good), container("!HZL", 0, {0xD6, 0x00}));
  EXPECT_EQ(decompressContainer(container("!HZL", 0, {0xD6, 0x00})), Bytes{});
}

TEST(Lzrw1Container, BytesAfterTheLastBlockAreIgnored) {
  for (TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
    const Bytes data = textBytes(5000, 9);
    Bytes packed = compressToContainer(data, mode);
    packed.insert(packed.end(), {'t', 'r', 'a', 'i', 'l'});
    EXPECT_EQ(decompressContainer(packed), data);
  }
}

TEST(Lzrw1Container, MalformedContainersFailWithTheirMessage) {
  const std::string lzrwSize = lzrw1_messages::lzrwSizeMismatch();
  const std::string lzhSize = lzrw1_messages::lzhSizeMismatch();
  const std::string header = lzrw1_messages::badHeader("in.lz");
  const std::string shortRead = lzrw1_messages::readError("in.lz");
  Bytes tooLongStored = {0x02, 0x80, 0x80};  // length 32,770: 32,769 stored bytes
  tooLongStored.resize(3 + 32769, 'x');
  Bytes nineLongRuns = {0x26, 0x00, 0x40, 0xFF, 0x80};  // 9 runs of 4,095 bytes: 36,855 > 32,768
  for (int i = 0; i < 9; ++i) nineLongRuns.insert(nineLongRuns.end(), {0x00, 0x0F, 0xEF, 'r'});
  Bytes lzhAbc = compressToContainer(bytesOf("abc"), TCompressMode::Good);
  lzhAbc[4] = 100;  // claims 100 bytes; the stream runs out after 3

  struct Case {
    const char* what;
    Bytes bytes;
    std::string message;
  } cases[] = {
      {"unknown identifier", container("WRZX", 0, {0x01, 0x00, 0x80}), header},
      {"lower-case identifier", container("wrzl", 0, {0x01, 0x00, 0x80}), header},
      {"file shorter than the identifier", bytesOf("WRZ"), header},
      {"size field cut off", bytesOf("WRZL\x01"), shortRead},
      {"no block at all", container("WRZL", 0, {}), shortRead},
      {"block cut off", container("WRZL", 3, {0x04, 0x00, 0x80, 'a'}), shortRead},
      {"size larger than the blocks", container("WRZL", 5, {0x04, 0x00, 0x80, 'a', 'b', 'c'}),
       lzrwSize},
      {"size smaller than the blocks", container("WRZL", 2, {0x04, 0x00, 0x80, 'a', 'b', 'c'}),
       lzrwSize},
      {"negative size", container("WRZL", -1, {0x01, 0x00, 0x80}), lzrwSize},
      {"copy before the start of the output",
       container("WRZL", 5, {0x06, 0x00, 0x40, 0x40, 0x00, 'a', 0x00, 0x21}), lzrwSize},
      {"copy item cut off by the block end",
       container("WRZL", 5, {0x05, 0x00, 0x40, 0x40, 0x00, 'a', 0x00}), lzrwSize},
      {"stored block over 32,768 bytes", container("WRZL", 32769, tooLongStored), lzrwSize},
      {"runs yielding over 32,768 bytes", container("WRZL", 36855, nineLongRuns), lzrwSize},
      {"lzh stream shorter than its size", lzhAbc, lzhSize},
  };
  for (const auto& c : cases) {
    try {
      decompressContainer(c.bytes, "in.lz");
      ADD_FAILURE() << c.what << ": no error";
    } catch (const ELzrw1Exception& e) {
      EXPECT_EQ(e.what(), c.message) << c.what;
    }
  }
}

// Vectors made by an independent implementation: both engines must reproduce each container
// byte for byte and restore each input.
TEST(Lzrw1Vectors, EveryVectorIsReproducedAndRestored) {
  const fs::path dir = KORVEL_COMPRESS_VECTORS;
  if (!fs::is_directory(dir)) GTEST_SKIP() << "no vectors at " << dir;
  int inputs = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".bin") continue;
    ++inputs;
    const std::string name = entry.path().stem().string();
    const Bytes input = readFile(entry.path());
    const Bytes wrzl = readFile(dir / (name + ".wrzl"));
    const Bytes hzl = readFile(dir / (name + ".hzl"));
    EXPECT_EQ(compressToContainer(input, TCompressMode::Fast), wrzl) << name;
    EXPECT_EQ(compressToContainer(input, TCompressMode::Good), hzl) << name;
    EXPECT_EQ(decompressContainer(wrzl), input) << name;
    EXPECT_EQ(decompressContainer(hzl), input) << name;
  }
  EXPECT_EQ(inputs, 23);
}

class Lzrw1Files : public ::testing::Test {
 protected:
  ScratchDir dir;
  std::string path(const std::string& name) const { return (dir / name).string(); }

  // Runs f, which must throw ELzrw1Exception with message.
  template <typename F>
  void expectFailure(F f, const std::string& message, const std::string& what) {
    try {
      f();
      ADD_FAILURE() << what << ": no error";
    } catch (const ELzrw1Exception& e) {
      EXPECT_EQ(e.what(), message) << what;
    }
  }
};

TEST_F(Lzrw1Files, CompressAndDecompressFileToFile) {
  const Bytes data = textBytes(70000, 3);
  writeFile(path("plain"), data);
  for (TCompressMode mode : {TCompressMode::Fast, TCompressMode::Good}) {
    Tlzrw1 lz;
    lz.CompressMode = mode;
    lz.InputFile = path("plain");
    lz.OutputFile = path("packed");
    const std::int64_t written = lz.Compress();
    EXPECT_EQ(written, static_cast<std::int64_t>(fs::file_size(path("packed"))));
    EXPECT_EQ(readFile(path("packed")), compressToContainer(data, mode));
    lz.InputFile = path("packed");
    lz.OutputFile = path("restored");
    EXPECT_EQ(lz.Decompress(), 70000);
    EXPECT_EQ(readFile(path("restored")), data);
  }
}

TEST_F(Lzrw1Files, AFailedDecompressLeavesNoOutputAndTheInputUnchanged) {
  const struct {
    const char* what;
    Bytes bytes;
    std::string message;
  } cases[] = {
      {"bad header", bytesOf("ABCDxxxxxxxx"), lzrw1_messages::badHeader(path("in"))},
      {"size mismatch", container("WRZL", 4, {0x01, 0x00, 0x80}),
       lzrw1_messages::lzrwSizeMismatch()},
      {"lzh size mismatch", container("!HZL", 9, {0xD6, 0x00}), lzrw1_messages::lzhSizeMismatch()},
  };
  for (const auto& c : cases) {
    writeFile(path("in"), c.bytes);
    writeFile(path("out"), bytesOf("an older file of that name"));
    Tlzrw1 lz;
    lz.InputFile = path("in");
    lz.OutputFile = path("out");
    expectFailure([&] { lz.Decompress(); }, c.message, c.what);
    EXPECT_FALSE(fs::exists(path("out"))) << c.what;
    EXPECT_EQ(readFile(path("in")), c.bytes) << c.what;
  }
}

TEST_F(Lzrw1Files, FileErrorsNameTheFile) {
  writeFile(path("plain"), bytesOf("some text"));
  Tlzrw1 lz;
  lz.CompressMode = TCompressMode::Fast;

  lz.InputFile = path("missing");
  lz.OutputFile = path("out");
  expectFailure([&] { lz.Compress(); }, lzrw1_messages::noSize(path("missing")), "compress");
  expectFailure([&] { lz.Decompress(); }, lzrw1_messages::openInput(path("missing")), "decompress");

  lz.InputFile = path("plain");
  lz.OutputFile = path("no-such-folder/out");
  expectFailure([&] { lz.Compress(); }, lzrw1_messages::openOutput(lz.OutputFile), "no folder");

  // Naming the input as output must not truncate the input.
  lz.OutputFile = path("plain");
  expectFailure([&] { lz.Compress(); }, lzrw1_messages::openOutput(lz.OutputFile), "same file");
  EXPECT_EQ(readFile(path("plain")), bytesOf("some text"));
  EXPECT_FALSE(fs::exists(path("out")));
}

TEST_F(Lzrw1Files, AdviseChoosesByFileSizeAndSampleRatio) {
  struct Case {
    const char* what;
    Bytes data;
    TCompressMode expected;
  } cases[] = {
      {"small file", textBytes(98303, 1), TCompressMode::Good},
      {"large compressible file", Bytes(200000, 'q'), TCompressMode::Fast},
      {"large random file", randomBytes(200000, 2), TCompressMode::Good},
  };
  for (const auto& c : cases) {
    writeFile(path("in"), c.data);
    Tlzrw1 lz;
    lz.CompressMode = TCompressMode::Fast;
    lz.InputFile = path("in");
    EXPECT_EQ(lz.Advise(), c.expected) << c.what;
  }
  Tlzrw1 small;
  small.CompressMode = TCompressMode::Auto;
  small.InputFile = path("in");
  writeFile(path("in"), bytesOf("tiny"));
  small.OutputFile = path("out");
  small.Compress();
  EXPECT_EQ(small.CompressMode, TCompressMode::Good) << "a small file switches the mode to Good";
  EXPECT_EQ(readFile(path("out"))[0], '!');
}

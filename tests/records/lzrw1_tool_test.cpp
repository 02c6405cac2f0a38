// Runs the built korvel-lzrw1 tool as a separate process.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "records/lzrw1_errors.h"
#include "test_files.h"

using namespace korvel::records;
using namespace korvel::records::testing;
namespace fs = std::filesystem;

namespace {

struct RunResult {
  int status;
  std::string output;  // stdout and stderr together
};

std::string quoted(const std::string& s) {
  return "'" + s + "'";
}

RunResult runTool(const std::string& args) {
  const std::string command = quoted(KORVEL_LZRW1_TOOL) + " " + args + " 2>&1";
  RunResult result{-1, {}};
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) result.output += buffer;
  const int raw = pclose(pipe);
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return result;
}

}  // namespace

TEST(Lzrw1Tool, ReproducesAndRestoresEveryVector) {
  const fs::path vectors = KORVEL_COMPRESS_VECTORS;
  if (!fs::is_directory(vectors)) GTEST_SKIP() << "no vectors at " << vectors;
  ScratchDir dir;
  const struct {
    const char* command;
    const char* from;
    const char* to;
  } steps[] = {
      {"compress-fast", ".bin", ".wrzl"},
      {"compress-good", ".bin", ".hzl"},
      {"decompress", ".wrzl", ".bin"},
      {"decompress", ".hzl", ".bin"},
  };
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(vectors)) {
    if (entry.path().extension() != ".bin") continue;
    const std::string name = entry.path().stem().string();
    for (const auto& step : steps) {
      const fs::path out = dir / "out";
      const RunResult r =
          runTool(std::string(step.command) + " " +
                  quoted((vectors / (name + step.from)).string()) + " " + quoted(out.string()));
      ASSERT_EQ(r.status, 0) << name << " " << step.command << ": " << r.output;
      EXPECT_EQ(readFile(out), readFile(vectors / (name + step.to))) << name << " " << step.command;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 23 * 4);
}

TEST(Lzrw1Tool, FailsWithTheMessageAndLeavesNoOutput) {
  ScratchDir dir;
  const std::string in = (dir / "bad.lz").string();
  const std::string out = (dir / "out").string();
  writeFile(in, bytesOf("NOPE\x03\x00\x00\x00"));
  const RunResult r = runTool("decompress " + quoted(in) + " " + quoted(out));
  EXPECT_NE(r.status, 0);
  EXPECT_EQ(r.output, lzrw1_messages::badHeader(in) + "\n");
  EXPECT_FALSE(fs::exists(out));
}

TEST(Lzrw1Tool, RejectsUnknownCommandsAndMissingArguments) {
  for (const char* args : {"", "compress in", "squash a b", "decompress a b c"}) {
    const RunResult r = runTool(args);
    EXPECT_NE(r.status, 0) << args;
    EXPECT_FALSE(r.output.empty()) << args;
  }
}

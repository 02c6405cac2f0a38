#include "app/program_log.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

#include "dictionary/temp_dir.h"

using namespace korvel::app;
namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A process id that ran and has ended: a child that exited at once.
pid_t endedPid() {
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(0);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return pid;
}

}  // namespace

TEST(ProgramLog, FolderLineRotationAndTheAbnormalEndDecision) {
  const struct {
    const char* xdg;
    const char* home;
    const char* folder;
  } folders[] = {
      {"/x/state", "/home/ann", "/x/state/Korvel"},
      {nullptr, "/home/ann", "/home/ann/.local/state/Korvel"},
      {"", "/home/ann", "/home/ann/.local/state/Korvel"},
      {"relative/state", "/home/ann", "/home/ann/.local/state/Korvel"},  // only absolute counts
      {nullptr, nullptr, ""},
      {nullptr, "relative", ""},
  };
  for (const auto& f : folders) EXPECT_EQ(stateFolder(f.xdg, f.home), fs::path(f.folder));

  EXPECT_EQ(logLine(0, 7, "started"), "1970-01-01T00:00:00Z pid 7: started\n");
  EXPECT_EQ(logLine(1796700000, 12345, "ended:\nthe\x00window"),
            "2026-12-08T03:20:00Z pid 12345: ended: the\n");
  EXPECT_EQ(logLine(1796700000, 1, std::string("a\0b\tc\x7F", 6)),
            "2026-12-08T03:20:00Z pid 1: a b c \n");
  EXPECT_EQ(logLine(951825600, 1, "leap day"), "2000-02-29T12:00:00Z pid 1: leap day\n");

  EXPECT_FALSE(logNeedsRotation(0));
  EXPECT_FALSE(logNeedsRotation(256 * 1024));
  EXPECT_TRUE(logNeedsRotation(256 * 1024 + 1));

  const struct {
    const char* name;
    std::optional<pid_t> pid;
  } markers[] = {{"running-42", 42},           {"running-0", std::nullopt},
                 {"running-", std::nullopt},   {"running-4x", std::nullopt},
                 {"korvel.log", std::nullopt}, {"running--3", std::nullopt}};
  for (const auto& m : markers) EXPECT_EQ(markerPid(m.name), m.pid) << m.name;

  // 10 and 30 still run (another copy with its own runtime folder); 20 and 40 ended.
  const auto alive = [](pid_t pid) { return pid == 10 || pid == 30; };
  EXPECT_EQ(
      abnormalRuns({"running-10", "running-20", "korvel.log", "running-30", "running-40"}, alive),
      (std::vector<pid_t>{20, 40}));
  EXPECT_TRUE(abnormalRuns({"running-10", "korvel.log.1"}, alive).empty());

  EXPECT_EQ(abnormalEndLine(0, "/s/korvel.log"), std::nullopt);
  EXPECT_EQ(abnormalEndLine(1, "/s/korvel.log"),
            "The last run of Korvel ended abnormally; the log /s/korvel.log has what is known "
            "about it.");
  EXPECT_EQ(abnormalEndLine(2, "/s/korvel.log"),
            "Earlier runs of Korvel ended abnormally; the log /s/korvel.log has what is known "
            "about it, for each.");
}

TEST(ProgramLog, WritesLinesRotatesAndFindsRunsThatDidNotEnd) {
  TempDir tmp;
  const fs::path folder = tmp.path() / "state" / "Korvel";
  const pid_t stale = endedPid();
  {
    ProgramLog log;
    ASSERT_TRUE(log.open(folder));
    EXPECT_EQ(log.file(), folder / "korvel.log");
    std::ofstream(folder / runningMarkerName(stale)).put('x');
    EXPECT_EQ(log.markRunning(), 1u);
    EXPECT_FALSE(fs::exists(folder / runningMarkerName(stale))) << "reported once";
    EXPECT_TRUE(fs::exists(folder / runningMarkerName(::getpid())));
    log.write("started");
    log.clearRunning();
    EXPECT_FALSE(fs::exists(folder / runningMarkerName(::getpid())));
    EXPECT_EQ(log.markRunning(), 0u);
    log.clearRunning();
    const std::string line(1000, 'x');
    for (int n = 0; n < 270; ++n) log.write(line);  // over 256 KiB: moved aside once
    log.write("after");
  }
  ASSERT_TRUE(fs::exists(folder / "korvel.log.1"));
  EXPECT_LE(fs::file_size(folder / "korvel.log.1"), 256 * 1024 + 1100u);
  EXPECT_NE(readText(folder / "korvel.log.1").find(": started\n"), std::string::npos);
  EXPECT_LT(fs::file_size(folder / "korvel.log"), 20000u);
  EXPECT_NE(readText(folder / "korvel.log").find(": after\n"), std::string::npos);
}

TEST(ProgramLog, AFatalSignalWritesABacktraceAndKeepsTheMarkerARequestedEndClearsIt) {
  TempDir tmp;
  const struct {
    int sig;
    const char* line;
    bool markerKept;
  } cases[] = {
      {SIGSEGV, "ended by fatal signal SIGSEGV", true},
      {SIGABRT, "ended by fatal signal SIGABRT", true},
      {SIGFPE, "ended by fatal signal SIGFPE", true},
      {SIGTERM, "ended on request by SIGTERM", false},
  };
  for (const auto& c : cases) {
    const fs::path folder = tmp.path() / std::to_string(c.sig);
    const pid_t child = ::fork();
    if (child == 0) {
      ProgramLog& log = programLog();
      if (!log.open(folder)) ::_exit(3);
      log.installFatalHandlers();
      log.markRunning();
      ::raise(c.sig);
      ::_exit(4);  // not reached: the signal ends the child
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status)) << c.line;
    if (WIFSIGNALED(status)) {
      EXPECT_EQ(WTERMSIG(status), c.sig) << "ends as the signal would";
    }
    const std::string text = readText(folder / "korvel.log");
    EXPECT_NE(text.find("pid " + std::to_string(child) + ": " + c.line + "\n"), std::string::npos)
        << text;
    // backtrace_symbols_fd writes one line per frame, each with its address in brackets.
    if (c.markerKept) {
      EXPECT_NE(text.find("[0x"), std::string::npos) << text;
    }
    EXPECT_EQ(fs::exists(folder / runningMarkerName(child)), c.markerKept) << c.line;
  }
}

#include "app/start_environment.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
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

int waitFor(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

}  // namespace

TEST(StartEnvironment, ChildrenGetTheGivenEnvironmentNotTheProgramsOwn) {
  ::unsetenv("QT_SCALE_FACTOR");
  ::setenv("KORVEL_TEST_GIVEN", "given", 1);
  captureStartEnvironment();
  // What the program then sets for itself.
  ::setenv("QT_SCALE_FACTOR", "1.5", 1);
  ::setenv("KORVEL_TEST_GIVEN", "changed", 1);
  const auto given = startEnvironment();
  EXPECT_EQ(std::count(given.begin(), given.end(), "KORVEL_TEST_GIVEN=given"), 1);
  EXPECT_TRUE(std::none_of(given.begin(), given.end(),
                           [](const std::string& e) { return e.starts_with("QT_SCALE_FACTOR="); }));
  {
    const StartEnvironmentScope scope;
    EXPECT_EQ(std::getenv("QT_SCALE_FACTOR"), nullptr);
    EXPECT_STREQ(std::getenv("KORVEL_TEST_GIVEN"), "given");
  }
  EXPECT_STREQ(std::getenv("QT_SCALE_FACTOR"), "1.5");
  EXPECT_STREQ(std::getenv("KORVEL_TEST_GIVEN"), "changed");
  ::unsetenv("QT_SCALE_FACTOR");
  ::setenv("KORVEL_TEST_GIVEN", "given", 1);
}

TEST(StartEnvironment, SpawnsWithArgumentsAndEnvironmentAsBytes) {
  TempDir tmp;
  const std::string out = (tmp.path() / "out").string();
  // A Latin-1 name, not valid UTF-8, and an empty argument.
  const std::string name = "J\xFCrgen";
  const auto pid = spawnProgram(
      "/bin/sh",
      {"sh", "-c", "printf '%s|%s|%s' \"$1\" \"$2\" \"$KORVEL_X\" > \"$0\"", out, name, ""},
      {"KORVEL_X=\xE9t\xE9", "PATH=/usr/bin:/bin"});
  ASSERT_TRUE(pid);
  EXPECT_EQ(waitFor(*pid), 0);
  EXPECT_EQ(readText(out), name + "||\xE9t\xE9");
  EXPECT_FALSE(spawnProgram((tmp.path() / "missing").string(), {"missing"}, {}));
}

TEST(StartEnvironment, ARunningProgramFileThatWasDeletedOrReplacedIsNamed) {
  TempDir tmp;
  const fs::path copy = tmp.path() / "korvel-copy";
  fs::copy_file("/bin/sleep", copy);
  fs::permissions(copy, fs::perms::owner_all);
  const auto pid = spawnProgram(copy.string(), {"sleep", "30"}, {});
  ASSERT_TRUE(pid);
  const fs::path exe = "/proc/" + std::to_string(*pid) + "/exe";
  // The exec may still be under way for a moment: wait until the link names the copy.
  for (int n = 0; n < 1000 && fs::read_symlink(exe) != copy; ++n) ::usleep(1000);
  EXPECT_EQ(programFileProblem(exe), std::nullopt);
  fs::remove(copy);
  EXPECT_EQ(programFileProblem(exe), "the program file " + copy.string() + " was deleted");
  std::ofstream(copy) << "a newer version";
  EXPECT_EQ(programFileProblem(exe), "the program file " + copy.string() + " was replaced");
  ::kill(*pid, SIGKILL);
  waitFor(*pid);
  EXPECT_EQ(programFileProblem("/proc/self/exe"), std::nullopt);
}

#include "app/start_environment.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

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
  // A child's environment is the current one with these changes; the program's stays as it is.
  const auto changes = environmentChanges(currentEnvironment(), given);
  EXPECT_EQ(changes, (std::vector<EnvironmentChange>{{"QT_SCALE_FACTOR", std::nullopt},
                                                     {"KORVEL_TEST_GIVEN", "given"}}));
  EXPECT_STREQ(std::getenv("QT_SCALE_FACTOR"), "1.5");
  ::unsetenv("QT_SCALE_FACTOR");
  ::setenv("KORVEL_TEST_GIVEN", "given", 1);
}

TEST(StartEnvironment, ChangesTurnOneEnvironmentIntoAnother) {
  using C = std::vector<EnvironmentChange>;
  EXPECT_EQ(environmentChanges({"A=1", "B=2"}, {"A=1", "B=2"}), C{});
  EXPECT_EQ(environmentChanges({"A=1", "B=2"}, {"B=x=1", "C="}),
            (C{{"A", std::nullopt}, {"B", "x=1"}, {"C", ""}}));
  // The first entry of a name counts; an entry without a name is nothing.
  EXPECT_EQ(environmentChanges({"A=1", "A=2", "=x", "junk"}, {"A=1"}), C{});
}

TEST(StartEnvironment, TheBrowserAndProgramsAreFoundInTheChildsPath) {
  const std::set<std::string> files{"/usr/bin/xdg-open", "/opt/b/firefox", "/home/u/xdg-open"};
  const auto exists = [&](const std::string& f) { return files.count(f) > 0; };
  using Command = std::optional<std::vector<std::string>>;
  const struct {
    std::vector<std::string> environment;
    Command command;
  } cases[] = {
      {{"PATH=/usr/local/bin:/usr/bin"}, Command({"/usr/bin/xdg-open", "u"})},
      {{"PATH=/home/u/:/usr/bin"}, Command({"/home/u/xdg-open", "u"})},
      {{}, Command({"/usr/bin/xdg-open", "u"})},  // no PATH: the system's folders
      {{"PATH=/opt/b", "BROWSER=firefox:lynx"}, Command({"/opt/b/firefox", "u"})},
      {{"PATH=/usr", "BROWSER=/opt/b/firefox"}, Command({"/opt/b/firefox", "u"})},
      {{"PATH=/opt/b", "BROWSER=firefox %s"}, std::nullopt},
      {{"PATH=/opt/b"}, std::nullopt},
      // Relative and empty parts would be the current folder, which is never searched.
      {{"PATH=::opt/b:.", "BROWSER=firefox"}, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(browserCommand("u", c.environment, exists), c.command)
        << ::testing::PrintToString(c.environment);
  }
  EXPECT_TRUE(isExecutableFile("/bin/sh"));
  EXPECT_FALSE(isExecutableFile("/bin"));
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

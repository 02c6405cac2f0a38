#include "shell/program_restart.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "app/start_environment.h"
#include "shell/desktop_services.h"

namespace fs = std::filesystem;

namespace {

// Records each program start as the bytes the new copy would get.
class StartRecorder : public DesktopServices {
 public:
  struct Start {
    std::string file;
    std::vector<std::string> argv;
    std::vector<std::string> environment;
  };
  std::vector<Start> starts;
  bool startProgram(const QString&, const QStringList&) override { return false; }
  bool startProgramAsGiven(const std::string& file, const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment) override {
    starts.push_back({file, argv, environment});
    return true;
  }

 protected:
  bool launchUrl(const QString&) override { return true; }
};

bool hasEntry(const std::vector<std::string>& environment, const std::string& prefix) {
  return std::any_of(environment.begin(), environment.end(),
                     [&](const std::string& e) { return e.starts_with(prefix); });
}

}  // namespace

TEST(ProgramRestart, StartsTheSameBytesWithTheGivenEnvironmentOnlyWhenAsked) {
  StartRecorder desktop;
  setDesktopServices(&desktop);
  qunsetenv("QT_SCALE_FACTOR");
  korvel::app::captureStartEnvironment();
  qputenv("QT_SCALE_FACTOR", "3");  // as this copy set it for its zoom
  // A name in Latin-1, which is not valid UTF-8, survives as it was given.
  const std::vector<std::string> hosting{"korvel", "J\xFCrgen", "127.0.0.1", "true"};
  { ProgramRestart untouched(hosting); }
  EXPECT_TRUE(desktop.starts.empty()) << "nothing starts unless a restart was asked for";
  {
    ProgramRestart restart(hosting);
    EXPECT_EQ(restart.request(), std::nullopt);
    EXPECT_TRUE(restart.requested());
  }
  setDesktopServices(nullptr);
  qunsetenv("QT_SCALE_FACTOR");
  ASSERT_EQ(desktop.starts.size(), 1u);
  EXPECT_EQ(fs::path(desktop.starts[0].file),
            fs::canonical(QCoreApplication::applicationFilePath().toStdString()));
  EXPECT_EQ(desktop.starts[0].argv, hosting);
  EXPECT_FALSE(hasEntry(desktop.starts[0].environment, "QT_SCALE_FACTOR="))
      << "the zoom is applied once, by the new copy";
  EXPECT_TRUE(hasEntry(desktop.starts[0].environment, "PATH="));
}

TEST(ProgramRestart, AProgramFileDeletedSinceItStartedIsSaidAndNothingStarts) {
  StartRecorder desktop;
  setDesktopServices(&desktop);
  QTemporaryDir dir;
  const fs::path copy = fs::path(dir.path().toStdString()) / "korvel";
  fs::copy_file("/bin/sleep", copy);
  fs::permissions(copy, fs::perms::owner_all);
  const auto pid = korvel::app::spawnProgram(copy.string(), {"korvel", "30"}, {});
  ASSERT_TRUE(pid);
  const fs::path exe = "/proc/" + std::to_string(*pid) + "/exe";
  for (int n = 0; n < 1000 && fs::read_symlink(exe) != copy; ++n) QThread::msleep(1);
  fs::remove(copy);
  {
    ProgramRestart restart({"korvel"}, exe);
    EXPECT_EQ(restart.request(), "the program file " + copy.string() + " was deleted");
    EXPECT_FALSE(restart.requested());
  }
  ::kill(*pid, SIGKILL);
  ::waitpid(*pid, nullptr, 0);
  setDesktopServices(nullptr);
  EXPECT_TRUE(desktop.starts.empty());
}

TEST(ProgramRestart, ANewCommandLineGoesWithTheGamePortAndTheUsersOwnPort) {
  StartRecorder desktop;
  setDesktopServices(&desktop);
  qputenv("KORVEL_PORT", "9000");
  korvel::app::captureStartEnvironment();
  {
    ProgramRestart restart({"korvel", "Ann"});
    EXPECT_EQ(restart.request({"Bob", "10.0.0.2", "false"}, 8000, 7772), std::nullopt);
  }
  setDesktopServices(nullptr);
  qunsetenv("KORVEL_PORT");
  korvel::app::captureStartEnvironment();
  ASSERT_EQ(desktop.starts.size(), 1u);
  EXPECT_EQ(desktop.starts[0].argv,
            (std::vector<std::string>{"korvel", "Bob", "10.0.0.2", "false"}));
  const auto& environment = desktop.starts[0].environment;
  EXPECT_EQ(std::count(environment.begin(), environment.end(), "KORVEL_PORT=8000"), 1);
  EXPECT_FALSE(hasEntry(environment, "KORVEL_PORT=9000"));
  EXPECT_EQ(std::count(environment.begin(), environment.end(), "KORVEL_OWN_PORT=7772"), 1);
}

TEST(ProgramRestart, AHostThatOpensTheRouterPortSaysSoAndOneThatDoesNotDropsAnInheritedAsk) {
  StartRecorder desktop;
  setDesktopServices(&desktop);
  qputenv("KORVEL_PORT_MAPPING", "1");
  korvel::app::captureStartEnvironment();
  for (const bool mapping : {true, false}) {
    ProgramRestart restart({"korvel", "Ann"});
    EXPECT_EQ(restart.request({"Ann", "127.0.0.1", "true"}, 7772, 7772, mapping), std::nullopt);
  }
  setDesktopServices(nullptr);
  qunsetenv("KORVEL_PORT_MAPPING");
  korvel::app::captureStartEnvironment();
  ASSERT_EQ(desktop.starts.size(), 2u);
  const auto& mapped = desktop.starts[0].environment;
  EXPECT_EQ(std::count(mapped.begin(), mapped.end(), "KORVEL_PORT_MAPPING=1"), 1);
  EXPECT_FALSE(
      std::any_of(desktop.starts[1].environment.begin(), desktop.starts[1].environment.end(),
                  [](const std::string& e) { return e.starts_with("KORVEL_PORT_MAPPING="); }));
}

#pragma once
// The environment the program was given, and starting other programs with it. The program sets
// variables of its own for itself (QT_SCALE_FACTOR for Options, "Zoom"); a child it starts (the
// lobby, an installer, a browser, a restarted copy) must not inherit them, or the lobby and the
// browser would open zoomed and a restarted copy would apply the zoom twice.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace korvel::app {

// Copies the environment now in effect ("NAME=value" entries) as the one the program was given.
// Called at the top of main, before the program sets anything; later calls change nothing.
void captureStartEnvironment();
// The captured entries; the current environment when nothing was captured.
std::vector<std::string> startEnvironment();

// While alive, every variable that differs from the captured environment has its captured value
// (or is unset), so that a library starting a child (QProcess, the desktop's URL handler) hands
// on the given environment; the program's own values are put back on destruction.
class StartEnvironmentScope {
 public:
  StartEnvironmentScope();
  ~StartEnvironmentScope();
  StartEnvironmentScope(const StartEnvironmentScope&) = delete;
  StartEnvironmentScope& operator=(const StartEnvironmentScope&) = delete;

 private:
  std::vector<std::pair<std::string, std::optional<std::string>>> restore_;
};

// Starts the program file with these arguments (argv[0] first) and environment, all as bytes, in
// a session of its own; its process id, or nothing when it could not be started (no such file,
// not executable).
std::optional<pid_t> spawnProgram(const std::string& file, const std::vector<std::string>& argv,
                                  const std::vector<std::string>& environment);

// Why the program file of the process behind procExe (/proc/self/exe, or /proc/PID/exe) cannot
// be started again as the same program: it was deleted, or another file now has its name (an
// update installed while it ran). Nothing when it is still there and the same file.
std::optional<std::string> programFileProblem(const std::filesystem::path& procExe);

}  // namespace korvel::app

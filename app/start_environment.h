#pragma once
// The environment the program was given, and starting other programs with it. The program sets
// variables of its own for itself (QT_SCALE_FACTOR for Options, "Zoom"); a child it starts (the
// lobby, an installer, a browser, a restarted copy) must not inherit them, or the lobby and the
// browser would open zoomed and a restarted copy would apply the zoom twice.

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::app {

// Copies the environment now in effect ("NAME=value" entries) as the one the program was given.
// Called at the top of main, before the program sets anything; later calls change nothing.
void captureStartEnvironment();
// The captured entries; the current environment when nothing was captured.
std::vector<std::string> startEnvironment();

// The environment now in effect ("NAME=value" entries).
std::vector<std::string> currentEnvironment();

// One variable to change: set to value, or removed when there is none.
struct EnvironmentChange {
  std::string name;
  std::optional<std::string> value;
  bool operator==(const EnvironmentChange&) const = default;
};
// What turns the environment `from` into `to`, by name in order; the first entry of a name
// counts. A child is given its environment this way (the current one with these changes), and
// the program's own never changes: setenv while other threads read the environment is unsafe.
std::vector<EnvironmentChange> environmentChanges(const std::vector<std::string>& from,
                                                  const std::vector<std::string>& to);

// The value of a variable in environment entries; nothing when it is not there.
std::optional<std::string> environmentValue(const std::vector<std::string>& environment,
                                            std::string_view name);

// The program file a name stands for with this environment: a name holding '/' is itself; any
// other is looked up in the environment's PATH, the first file that isExecutable accepts.
std::optional<std::string> findProgram(const std::string& name,
                                       const std::vector<std::string>& environment,
                                       const std::function<bool(const std::string&)>& isExecutable);

// True for a regular file this process may execute.
bool isExecutableFile(const std::string& path);

// The command (program file first) that opens a web address in the user's browser with this
// environment: xdg-open, the desktop's own opener, found in its PATH; else the program $BROWSER
// names (its first choice, when that is a single program); nothing when there is neither.
std::optional<std::vector<std::string>> browserCommand(
    const std::string& address, const std::vector<std::string>& environment,
    const std::function<bool(const std::string&)>& isExecutable);

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

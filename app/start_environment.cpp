#include "app/start_environment.h"

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <map>

extern char** environ;

namespace korvel::app {

namespace {

std::vector<std::string> currentEnvironment() {
  std::vector<std::string> entries;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) entries.emplace_back(*e);
  return entries;
}

std::map<std::string, std::string> byName(const std::vector<std::string>& entries) {
  std::map<std::string, std::string> vars;
  for (const std::string& entry : entries) {
    const auto eq = entry.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    vars.emplace(entry.substr(0, eq), entry.substr(eq + 1));  // the first of a name counts
  }
  return vars;
}

std::optional<std::vector<std::string>>& captured() {
  static std::optional<std::vector<std::string>> entries;
  return entries;
}

std::vector<char*> pointers(const std::vector<std::string>& strings) {
  std::vector<char*> list;
  list.reserve(strings.size() + 1);
  for (const std::string& s : strings) list.push_back(const_cast<char*>(s.c_str()));
  list.push_back(nullptr);
  return list;
}

}  // namespace

void captureStartEnvironment() {
  if (!captured()) captured() = currentEnvironment();
}

std::vector<std::string> startEnvironment() {
  return captured() ? *captured() : currentEnvironment();
}

StartEnvironmentScope::StartEnvironmentScope() {
  if (!captured()) return;
  const auto given = byName(*captured());
  const auto now = byName(currentEnvironment());
  for (const auto& [name, value] : now) {
    const auto it = given.find(name);
    if (it != given.end() && it->second == value) continue;
    restore_.emplace_back(name, value);
    if (it == given.end()) {
      ::unsetenv(name.c_str());
    } else {
      ::setenv(name.c_str(), it->second.c_str(), 1);
    }
  }
  for (const auto& [name, value] : given) {
    if (now.count(name)) continue;
    restore_.emplace_back(name, std::nullopt);
    ::setenv(name.c_str(), value.c_str(), 1);
  }
}

StartEnvironmentScope::~StartEnvironmentScope() {
  for (const auto& [name, value] : restore_) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
}

std::optional<pid_t> spawnProgram(const std::string& file, const std::vector<std::string>& argv,
                                  const std::vector<std::string>& environment) {
  posix_spawnattr_t attributes;
  if (posix_spawnattr_init(&attributes) != 0) return std::nullopt;
  // A session of its own: the new program outlives this one and is not tied to its terminal.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  const std::vector<std::string> onlyFile{file};
  auto args = pointers(argv.empty() ? onlyFile : argv);
  auto env = pointers(environment);
  pid_t pid = 0;
  const int error =
      ::posix_spawn(&pid, file.c_str(), nullptr, &attributes, args.data(), env.data());
  posix_spawnattr_destroy(&attributes);
  if (error != 0) return std::nullopt;
  return pid;
}

std::optional<std::string> programFileProblem(const std::filesystem::path& procExe) {
  std::string target(4096, '\0');
  const ssize_t n = ::readlink(procExe.c_str(), target.data(), target.size());
  if (n <= 0 || static_cast<std::size_t>(n) >= target.size())
    return "the program file cannot be found";
  target.resize(static_cast<std::size_t>(n));
  // A running file that lost its name reads "NAME (deleted)"; a file may since have taken NAME.
  constexpr std::string_view kDeleted = " (deleted)";
  struct stat named {};
  const bool lostName = target.ends_with(kDeleted) && ::stat(target.c_str(), &named) != 0;
  if (lostName) target.resize(target.size() - kDeleted.size());
  if (::stat(target.c_str(), &named) != 0) return "the program file " + target + " was deleted";
  // The link itself leads to the file that runs, even when it has no name any more.
  struct stat running {};
  if (lostName || ::stat(procExe.c_str(), &running) != 0 || running.st_dev != named.st_dev ||
      running.st_ino != named.st_ino)
    return "the program file " + target + " was replaced";
  return std::nullopt;
}

}  // namespace korvel::app

#include "app/start_environment.h"

#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <map>

extern char** environ;

namespace korvel::app {

namespace {

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

std::vector<std::string> currentEnvironment() {
  std::vector<std::string> entries;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) entries.emplace_back(*e);
  return entries;
}

void captureStartEnvironment() {
  if (!captured()) captured() = currentEnvironment();
}

std::vector<std::string> startEnvironment() {
  return captured() ? *captured() : currentEnvironment();
}

std::vector<EnvironmentChange> environmentChanges(const std::vector<std::string>& from,
                                                  const std::vector<std::string>& to) {
  const auto now = byName(from);
  const auto wanted = byName(to);
  std::vector<EnvironmentChange> changes;
  for (const auto& [name, value] : now) {
    if (!wanted.count(name)) changes.push_back({name, std::nullopt});
  }
  for (const auto& [name, value] : wanted) {
    const auto it = now.find(name);
    if (it == now.end() || it->second != value) changes.push_back({name, value});
  }
  return changes;
}

std::optional<std::string> environmentValue(const std::vector<std::string>& environment,
                                            std::string_view name) {
  for (const std::string& entry : environment) {
    if (entry.size() > name.size() && entry[name.size()] == '=' && entry.starts_with(name))
      return entry.substr(name.size() + 1);
  }
  return std::nullopt;
}

std::optional<std::string> findProgram(
    const std::string& name, const std::vector<std::string>& environment,
    const std::function<bool(const std::string&)>& isExecutable) {
  if (name.empty()) return std::nullopt;
  if (name.find('/') != std::string::npos) {
    if (isExecutable(name)) return name;
    return std::nullopt;
  }
  const std::string path = environmentValue(environment, "PATH").value_or("/usr/bin:/bin");
  std::size_t at = 0;
  while (at <= path.size()) {
    const std::size_t end = std::min(path.find(':', at), path.size());
    // An empty part means the current folder, which a program started from anywhere must not
    // search: a file planted there would run instead of the browser.
    const std::string folder = path.substr(at, end - at);
    if (!folder.empty() && folder.front() == '/') {
      const std::string file = folder + (folder.back() == '/' ? "" : "/") + name;
      if (isExecutable(file)) return file;
    }
    at = end + 1;
  }
  return std::nullopt;
}

bool isExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::optional<std::vector<std::string>> browserCommand(
    const std::string& address, const std::vector<std::string>& environment,
    const std::function<bool(const std::string&)>& isExecutable) {
  if (auto opener = findProgram("xdg-open", environment, isExecutable))
    return std::vector<std::string>{*opener, address};
  // $BROWSER lists commands separated by ':', the first one preferred.
  const std::string browsers = environmentValue(environment, "BROWSER").value_or("");
  const std::string first = browsers.substr(0, browsers.find(':'));
  if (first.find_first_of(" \t%") != std::string::npos) return std::nullopt;
  if (auto browser = findProgram(first, environment, isExecutable))
    return std::vector<std::string>{*browser, address};
  return std::nullopt;
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

#include "app/program_log.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <exception>

namespace korvel::app {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMarkerPrefix = "running-";

// What the signal handlers use: set before they are installed, read-only in them.
std::atomic<int> logFd{-1};
char markerPath[4096] = {};
// Where a request to end (SIGTERM, SIGINT, SIGHUP) is passed on to the event loop; -1: the
// program ends at once.
std::atomic<int> endRequestFd{-1};
char altStack[1 << 16];

// "2026-12-08T01:40:00Z pid 1234: " into out (at least 64 bytes), by arithmetic alone so that a
// signal handler may call it; the length written.
std::size_t formatPrefix(char* out, std::time_t when, pid_t pid) {
  long long days = static_cast<long long>(when) / 86400;
  long long secs = static_cast<long long>(when) % 86400;
  if (secs < 0) {
    secs += 86400;
    --days;
  }
  // Civil date from days since 1970-01-01 (Howard Hinnant's algorithm).
  days += 719468;
  const long long era = (days >= 0 ? days : days - 146096) / 146097;
  const long long doe = days - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long day = doy - (153 * mp + 2) / 5 + 1;
  const long long month = mp < 10 ? mp + 3 : mp - 9;
  const long long year = yoe + era * 400 + (month <= 2);
  std::size_t n = 0;
  const auto number = [&](long long v, int width) {
    char digits[24];
    int k = 0;
    do {
      digits[k++] = static_cast<char>('0' + v % 10);
      v /= 10;
    } while (v > 0 && k < 20);
    while (k < width) digits[k++] = '0';
    while (k > 0) out[n++] = digits[--k];
  };
  const auto text = [&](const char* s) {
    while (*s) out[n++] = *s++;
  };
  number(year, 4), text("-"), number(month, 2), text("-"), number(day, 2), text("T");
  number(secs / 3600, 2), text(":"), number(secs / 60 % 60, 2), text(":"), number(secs % 60, 2);
  text("Z pid "), number(pid, 1), text(": ");
  return n;
}

void writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
}

const char* signalName(int sig) {
  switch (sig) {
    case SIGSEGV:
      return "SIGSEGV";
    case SIGABRT:
      return "SIGABRT";
    case SIGBUS:
      return "SIGBUS";
    case SIGFPE:
      return "SIGFPE";
    case SIGILL:
      return "SIGILL";
    case SIGTERM:
      return "SIGTERM";
    case SIGINT:
      return "SIGINT";
    case SIGHUP:
      return "SIGHUP";
  }
  return "a signal";
}

// Async-signal-safe: write, backtrace_symbols_fd (backtrace was called once before, so its
// library is loaded), unlink, signal, raise.
void signalLine(int sig, const char* what) {
  char line[256];
  std::size_t n = formatPrefix(line, std::time(nullptr), ::getpid());
  const auto text = [&](const char* s) {
    while (*s && n < sizeof line - 1) line[n++] = *s++;
  };
  text(what), text(signalName(sig)), text("\n");
  writeAll(logFd.load(), line, n);
}

void onFatalSignal(int sig) {
  const int saved = errno;
  const int fd = logFd.load();
  if (fd >= 0) {
    signalLine(sig, "ended by fatal signal ");
    void* frames[64];
    const int count = ::backtrace(frames, 64);
    ::backtrace_symbols_fd(frames, count, fd);
  }
  // The marker stays: the next start says that this run ended abnormally.
  errno = saved;
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

void onEndRequest(int sig) {
  if (const int fd = endRequestFd.load(); fd >= 0) {
    // The event loop ends the program, tidying up first. The handler was reset, so a second
    // request ends it at once; the alarm ends a program whose loop no longer runs.
    const auto byte = static_cast<unsigned char>(sig);
    const int saved = errno;
    if (::write(fd, &byte, 1) == 1) {
      ::alarm(kEndRequestSeconds);
      errno = saved;
      return;
    }
    errno = saved;
  }
  if (logFd.load() >= 0) signalLine(sig, "ended on request by ");
  if (markerPath[0] != '\0') ::unlink(markerPath);
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

void onTerminate() {
  std::string why = "ended by an uncaught exception";
  if (const auto current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const std::exception& e) {
      why += ": ";
      why += e.what();
    } catch (...) {
    }
  }
  programLog().write(why + " (abort follows)");
  std::abort();
}

bool isRunning(pid_t pid) {
  return pid != ::getpid() && (::kill(pid, 0) == 0 || errno == EPERM);
}

}  // namespace

fs::path stateFolder(const char* xdgStateHome, const char* home) {
  if (xdgStateHome != nullptr && xdgStateHome[0] == '/') return fs::path(xdgStateHome) / "Korvel";
  if (home != nullptr && home[0] == '/') return fs::path(home) / ".local" / "state" / "Korvel";
  return {};
}

std::string logLine(std::time_t when, pid_t pid, std::string_view text) {
  char prefix[96];
  std::string line(prefix, formatPrefix(prefix, when, pid));
  for (char c : text) {
    const auto b = static_cast<unsigned char>(c);
    line += b < 0x20 || b == 0x7F ? ' ' : c;
  }
  line += '\n';
  return line;
}

std::string runningMarkerName(pid_t pid) {
  return std::string(kMarkerPrefix) + std::to_string(pid);
}

std::optional<pid_t> markerPid(std::string_view fileName) {
  if (!fileName.starts_with(kMarkerPrefix)) return std::nullopt;
  fileName.remove_prefix(kMarkerPrefix.size());
  pid_t pid = 0;
  const auto [end, error] =
      std::from_chars(fileName.data(), fileName.data() + fileName.size(), pid);
  if (error != std::errc() || end != fileName.data() + fileName.size() || pid <= 0)
    return std::nullopt;
  return pid;
}

std::vector<pid_t> abnormalRuns(const std::vector<std::string>& fileNames, bool (*alive)(pid_t)) {
  std::vector<pid_t> ended;
  for (const std::string& name : fileNames) {
    if (const auto pid = markerPid(name); pid && !alive(*pid)) ended.push_back(*pid);
  }
  return ended;
}

std::optional<std::string> abnormalEndLine(std::size_t runs, const fs::path& log) {
  if (runs == 0) return std::nullopt;
  return std::string(runs == 1 ? "The last run of Korvel" : "Earlier runs of Korvel") +
         " ended abnormally; the log " + log.string() + " has what is known about it" +
         (runs == 1 ? "." : ", for each.");
}

ProgramLog::~ProgramLog() {
  if (fd_ >= 0) {
    if (logFd.load() == fd_) logFd.store(-1);
    ::close(fd_);
  }
}

bool ProgramLog::open(const fs::path& folder) {
  if (folder.empty()) return false;
  std::error_code ec;
  fs::create_directories(folder, ec);
  folder_ = folder;
  file_ = folder / kLogFileName;
  struct stat st {};
  if (::stat(file_.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
      logNeedsRotation(static_cast<std::uintmax_t>(st.st_size))) {
    fs::rename(file_, fs::path(file_) += ".1", ec);
  }
  fd_ = ::open(file_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW,
               0600);
  if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(fd_);
    fd_ = -1;
  }
  return fd_ >= 0;
}

void ProgramLog::rotateIfLarge() {
  struct stat st {};
  if (::fstat(fd_, &st) != 0 || !logNeedsRotation(static_cast<std::uintmax_t>(st.st_size))) return;
  std::error_code ec;
  fs::rename(file_, fs::path(file_) += ".1", ec);
  const int fresh = ::open(
      file_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0600);
  if (fresh < 0) return;  // goes on appending to the moved file
  if (logFd.load() == fd_) logFd.store(fresh);
  ::close(fd_);
  fd_ = fresh;
}

void ProgramLog::write(std::string_view text) {
  if (fd_ < 0) return;
  rotateIfLarge();
  const std::string line = logLine(std::time(nullptr), ::getpid(), text);
  writeAll(fd_, line.data(), line.size());
}

std::size_t ProgramLog::markRunning() {
  if (folder_.empty()) return 0;
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder_, ec)) {
    names.push_back(entry.path().filename().string());
  }
  const auto ended = abnormalRuns(names, isRunning);
  for (pid_t pid : ended) fs::remove(folder_ / runningMarkerName(pid), ec);
  marker_ = folder_ / runningMarkerName(::getpid());
  const int fd =
      ::open(marker_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd >= 0) ::close(fd);
  const std::string path = marker_.string();
  if (path.size() < sizeof markerPath) std::memcpy(markerPath, path.c_str(), path.size() + 1);
  return ended.size();
}

void ProgramLog::clearRunning() {
  markerPath[0] = '\0';
  if (marker_.empty()) return;
  std::error_code ec;
  fs::remove(marker_, ec);
  marker_.clear();
}

void ProgramLog::installFatalHandlers() {
  logFd.store(fd_);
  // Loads the unwinder now: its first use may allocate, which a signal handler must not.
  void* warmUp[2];
  ::backtrace(warmUp, 2);
  stack_t stack{};
  stack.ss_sp = altStack;
  stack.ss_size = sizeof altStack;
  ::sigaltstack(&stack, nullptr);  // a stack overflow still gets its line
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_ONSTACK | SA_RESETHAND;
  action.sa_handler = onFatalSignal;
  for (int sig : {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL}) ::sigaction(sig, &action, nullptr);
  action.sa_handler = onEndRequest;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &action, nullptr);
  std::set_terminate(onTerminate);
}

void ProgramLog::passEndRequestsTo(int fd) {
  endRequestFd.store(fd);
}

std::string endRequestName(int sig) {
  return signalName(sig);
}

ProgramLog& programLog() {
  static ProgramLog log;
  return log;
}

}  // namespace korvel::app

#pragma once
// The program's own log, korvel.log in the per-user state folder ($XDG_STATE_HOME/Korvel, by
// default ~/.local/state/Korvel). Every way the program ends writes one line with the reason; a
// fatal signal writes a backtrace, from the signal handler, to the file descriptor opened at
// start. A "running" marker written at start and removed at a clean end lets the next start tell
// that the last run ended abnormally. Kept small: a log over kLogRotateBytes is moved to
// korvel.log.1 (replacing the one before) and begun again.

#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::app {

inline constexpr const char* kLogFileName = "korvel.log";
inline constexpr std::uintmax_t kLogRotateBytes = 256 * 1024;
// How long a program asked to end by a signal has to end by itself.
inline constexpr unsigned kEndRequestSeconds = 10;
// "SIGTERM" and so on, for the log.
std::string endRequestName(int sig);

// $XDG_STATE_HOME/Korvel when that is an absolute path, else HOME/.local/state/Korvel; empty when
// neither is known. Either argument may be null.
std::filesystem::path stateFolder(const char* xdgStateHome, const char* home);

// One line of the log: UTC time, process id, the text without control characters, a line break.
std::string logLine(std::time_t when, pid_t pid, std::string_view text);

// True when a log of this size is moved aside before the next line is written.
constexpr bool logNeedsRotation(std::uintmax_t size) {
  return size > kLogRotateBytes;
}

// The markers a start finds in the state folder: one per running copy, "running-PID".
std::string runningMarkerName(pid_t pid);
std::optional<pid_t> markerPid(std::string_view fileName);

// The earlier runs that ended abnormally: those whose marker is there but whose process is no
// longer running (alive says whether a process id runs now). Markers of copies that still run
// (another XDG_RUNTIME_DIR) are not theirs to judge.
std::vector<pid_t> abnormalRuns(const std::vector<std::string>& fileNames, bool (*alive)(pid_t));

// The chat's program line for those runs; nothing when there are none.
std::optional<std::string> abnormalEndLine(std::size_t runs, const std::filesystem::path& log);

class ProgramLog {
 public:
  ProgramLog() = default;
  ~ProgramLog();
  ProgramLog(const ProgramLog&) = delete;
  ProgramLog& operator=(const ProgramLog&) = delete;

  // Creates the folder when missing and opens the log for appending (rotating it first when
  // large). False when it cannot be opened; writes then go nowhere.
  bool open(const std::filesystem::path& folder);
  bool isOpen() const { return fd_ >= 0; }
  const std::filesystem::path& file() const { return file_; }
  const std::filesystem::path& folder() const { return folder_; }

  // Appends one line (see logLine), rotating first when the log has grown too large.
  void write(std::string_view text);

  // Writes this run's marker and returns how many earlier runs ended abnormally (their markers
  // are removed, so each is reported once).
  std::size_t markRunning();
  // Removes this run's marker: the run ends cleanly.
  void clearRunning();

  // Installs handlers: SIGSEGV, SIGABRT, SIGBUS, SIGFPE and SIGILL write a line and a backtrace
  // and end the program as the signal would have; SIGTERM, SIGINT and SIGHUP write a line and
  // remove the marker (the end was asked for), then end as the signal would; an uncaught
  // exception writes its text before the abort. Only one log installs them.
  void installFatalHandlers();
  // From now on SIGTERM, SIGINT and SIGHUP write their number (one byte) to fd instead of ending
  // the program, so that the event loop can end it cleanly; a second one, or the loop not ending
  // within kEndRequestSeconds, ends it at once. -1 goes back to ending at once.
  void passEndRequestsTo(int fd);

 private:
  void rotateIfLarge();

  int fd_ = -1;
  std::filesystem::path folder_;
  std::filesystem::path file_;
  std::filesystem::path marker_;
};

// The process-wide log (not open until main opens it, so tests write nowhere unless they open
// one in a folder of their own).
ProgramLog& programLog();

}  // namespace korvel::app

#include "app/program_restart.h"

#include <unistd.h>

#include "app/desktop_services.h"
#include "app/program_log.h"
#include "app/start_environment.h"

ProgramRestart::ProgramRestart(std::vector<std::string> arguments, std::filesystem::path procExe)
    : arguments_(std::move(arguments)), procExe_(std::move(procExe)) {}

std::optional<std::string> ProgramRestart::request() {
  if (auto problem = korvel::app::programFileProblem(procExe_)) return problem;
  std::error_code ec;
  file_ = std::filesystem::read_symlink(procExe_, ec).string();
  if (ec) return "the program file cannot be found";
  if (::access(file_.c_str(), X_OK) != 0) return "the program file " + file_ + " cannot be run";
  requested_ = true;
  return std::nullopt;
}

ProgramRestart::~ProgramRestart() {
  if (!requested_) return;
  if (!desktopServices().startProgramAsGiven(file_, arguments_, korvel::app::startEnvironment())) {
    korvel::app::programLog().write("restart failed: " + file_ + " could not be started");
  }
}

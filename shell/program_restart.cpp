#include "shell/program_restart.h"

#include <unistd.h>

#include <algorithm>

#include "app/program_log.h"
#include "app/start_environment.h"
#include "shell/desktop_services.h"

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

std::optional<std::string> ProgramRestart::request(const QStringList& arguments, int gamePort,
                                                   int ownPort, bool portMapping) {
  if (auto problem = request()) return problem;
  std::vector<std::string> line{arguments_.empty() ? file_ : arguments_.front()};
  for (const QString& a : arguments) line.push_back(a.toStdString());
  arguments_ = std::move(line);
  gamePort_ = gamePort;
  ownPort_ = ownPort;
  portMapping_ = portMapping;
  return std::nullopt;
}

namespace {

void setVariable(std::vector<std::string>& environment, const std::string& name, int value) {
  const std::string prefix = name + "=";
  std::erase_if(environment, [&](const std::string& e) { return e.starts_with(prefix); });
  environment.push_back(prefix + std::to_string(value));
}

}  // namespace

ProgramRestart::~ProgramRestart() {
  if (!requested_) return;
  std::vector<std::string> environment = korvel::app::startEnvironment();
  if (gamePort_ > 0) setVariable(environment, "KORVEL_PORT", gamePort_);
  if (ownPort_ > 0) setVariable(environment, "KORVEL_OWN_PORT", ownPort_);
  if (portMapping_) {
    std::erase_if(environment,
                  [](const std::string& e) { return e.starts_with("KORVEL_PORT_MAPPING="); });
    if (*portMapping_) environment.push_back("KORVEL_PORT_MAPPING=1");
  }
  if (!desktopServices().startProgramAsGiven(file_, arguments_, environment)) {
    korvel::app::programLog().write("restart failed: " + file_ + " could not be started");
  }
}

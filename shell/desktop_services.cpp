#include "shell/desktop_services.h"

#include <QProcess>
#include <QUrl>

#include "app/start_environment.h"
#include "app/web_address.h"

namespace {

QString localText(const std::string& bytes) {
  return QString::fromLocal8Bit(bytes.data(), qsizetype(bytes.size()));
}

}  // namespace

std::vector<std::string> SystemDesktopServices::environment() const {
  return childEnvironment.value_or(korvel::app::startEnvironment());
}

bool SystemDesktopServices::startProgram(const QString& path, const QStringList& arguments) {
  // A bare name is looked up in the child's PATH, not in whatever this program's PATH became.
  const auto file =
      korvel::app::findProgram(path.toStdString(), environment(), korvel::app::isExecutableFile);
  return file && startDetached(*file, arguments);
}

bool SystemDesktopServices::launchUrl(const QString& address) {
  // The opener gets the address as the desktop's URL handler would: parsed strictly, then with
  // every character a URL may not hold percent-encoded.
  const QUrl url(address, QUrl::StrictMode);
  if (!url.isValid()) return false;
  const auto command = korvel::app::browserCommand(url.toEncoded().toStdString(), environment(),
                                                   korvel::app::isExecutableFile);
  if (!command) return false;
  QStringList arguments;
  for (auto it = command->begin() + 1; it != command->end(); ++it) arguments << localText(*it);
  return startDetached(command->front(), arguments);
}

bool SystemDesktopServices::startDetached(const std::string& file, const QStringList& arguments) {
  // The current environment as bytes, with only the variables that differ changed: those are
  // the few the program set for itself, so every other value reaches the child unchanged.
  QProcessEnvironment given = QProcessEnvironment::systemEnvironment();
  for (const auto& change :
       korvel::app::environmentChanges(korvel::app::currentEnvironment(), environment())) {
    if (change.value) {
      given.insert(localText(change.name), localText(*change.value));
    } else {
      given.remove(localText(change.name));
    }
  }
  QProcess process;
  process.setProgram(localText(file));
  process.setArguments(arguments);
  process.setProcessEnvironment(given);
  return process.startDetached();
}

namespace {

DesktopServices* installed = nullptr;

}  // namespace

bool DesktopServices::openUrl(const QString& address) {
  if (!korvel::app::isWebAddress(address.toStdString())) return false;
  return launchUrl(address);
}

bool DesktopServices::startProgramAsGiven(const std::string& file,
                                          const std::vector<std::string>& argv,
                                          const std::vector<std::string>& environment) {
  return korvel::app::spawnProgram(file, argv, environment).has_value();
}

DesktopServices& desktopServices() {
  static SystemDesktopServices system;
  return installed ? *installed : system;
}

void setDesktopServices(DesktopServices* services) {
  installed = services;
}

#include "shell/desktop_services.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include "app/start_environment.h"
#include "app/web_address.h"

namespace {

class SystemDesktopServices : public DesktopServices {
 public:
  bool startProgram(const QString& path, const QStringList& arguments) override {
    const korvel::app::StartEnvironmentScope given;
    return QProcess::startDetached(path, arguments);
  }

 protected:
  bool launchUrl(const QString& address) override {
    // The desktop's URL handler starts the browser with this process's environment.
    const korvel::app::StartEnvironmentScope given;
    return QDesktopServices::openUrl(QUrl(address, QUrl::StrictMode));
  }
};

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

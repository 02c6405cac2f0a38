#include "shell/settings_location.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include "app/settings_file.h"

namespace korvel::app {

std::filesystem::path programFolder() {
  // KORVEL_INSTALLED_DESKTOP_ENTRY comes from the install rules (packaging/packaging.cmake).
  return portableProgramFolder(QCoreApplication::applicationDirPath().toStdString(),
                               KORVEL_INSTALLED_DESKTOP_ENTRY);
}

std::filesystem::path settingsFilePath() {
  const QString configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  return chooseSettingsFolder(programFolder(), configDir.toStdString()) / kSettingsFileName;
}

}  // namespace korvel::app

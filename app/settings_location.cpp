#include "app/settings_location.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include "app/settings_file.h"

namespace korvel::app {

std::filesystem::path settingsFilePath() {
  const QString programDir = QCoreApplication::applicationDirPath();
  const QString configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
  return chooseSettingsFolder(programDir.toStdString(), configDir.toStdString()) /
         kSettingsFileName;
}

}  // namespace korvel::app

#include "app/desktop_services.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

#include "app/web_address.h"

namespace {

class SystemDesktopServices : public DesktopServices {
 public:
  bool startProgram(const QString& path, const QStringList& arguments) override {
    return QProcess::startDetached(path, arguments);
  }

 protected:
  bool launchUrl(const QString& address) override {
    return QDesktopServices::openUrl(QUrl(address, QUrl::StrictMode));
  }
};

DesktopServices* installed = nullptr;

}  // namespace

bool DesktopServices::openUrl(const QString& address) {
  if (!korvel::app::isWebAddress(address.toStdString())) return false;
  return launchUrl(address);
}

DesktopServices& desktopServices() {
  static SystemDesktopServices system;
  return installed ? *installed : system;
}

void setDesktopServices(DesktopServices* services) {
  installed = services;
}

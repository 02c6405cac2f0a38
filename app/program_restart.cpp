#include "app/program_restart.h"

#include <QCoreApplication>

#include "app/desktop_services.h"
#include "app/window_zoom.h"

ProgramRestart::ProgramRestart(QStringList arguments, QByteArray userScaleFactor,
                               bool userSetScaleFactor)
    : arguments_(std::move(arguments)),
      userScaleFactor_(std::move(userScaleFactor)),
      userSetScaleFactor_(userSetScaleFactor) {}

ProgramRestart::~ProgramRestart() {
  if (!requested_) return;
  // The new copy inherits the environment: give it back the user's own scale factor, so that
  // the zoom is applied once, not on top of this copy's.
  if (userSetScaleFactor_) {
    qputenv(korvel::app::kScaleFactorVariable, userScaleFactor_);
  } else {
    qunsetenv(korvel::app::kScaleFactorVariable);
  }
  if (gamePort_ > 0) qputenv("KORVEL_PORT", QByteArray::number(gamePort_));
  if (ownPort_ > 0) qputenv("KORVEL_OWN_PORT", QByteArray::number(ownPort_));
  desktopServices().startProgram(QCoreApplication::applicationFilePath(), arguments_);
}

// Options of the window that apply at start-up or to the start-up: the zoom and the lobby
// download offer.

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QScreen>

#include "app/settings.h"
#include "app/settings_file.h"
#include "app/zoom_fit.h"
#include "client/leave_question.h"
#include "shell/message_boxes.h"
#include "window/tchat.h"

void Tchat::buildZoomMenu(QMenu* options) {
  QMenu* menu = options->addMenu("Zoom");
  auto* group = new QActionGroup(this);
  for (std::size_t n = 0; n < Zoom.size(); ++n) {
    const int percent = korvel::app::kZoomSteps[n];
    Zoom[n] = menu->addAction(QString("%1%").arg(percent));
    Zoom[n]->setCheckable(true);
    Zoom[n]->setData(percent);
    group->addAction(Zoom[n]);
    connect(Zoom[n], &QAction::triggered, this, [this, percent] { Zoom1Click(percent); });
  }
  menu->addSeparator();
  // Qt sets its scale factor once, when the program starts.
  menu->addAction("A new zoom restarts the game")->setEnabled(false);
  menu->setToolTipsVisible(true);
  connect(menu, &QMenu::aboutToShow, this, &Tchat::updateZoomFit);
  setZoom(zoom);
  updateZoomFit();
}

void Tchat::updateZoomFit() {
  QSize seen;
  if (availableArea) {
    seen = availableArea();
  } else if (QScreen* s = screen()) {
    seen = s->availableGeometry().size();
  } else {
    return;
  }
  const korvel::app::ZoomSize area = korvel::app::unzoomedArea({seen.width(), seen.height()}, zoom);
  const auto fit = korvel::app::fittingZoomSteps(korvel::app::kZoomWindow, area);
  for (std::size_t n = 0; n < Zoom.size(); ++n) {
    // The step this copy runs at stays checked and enabled, whatever the screen.
    const bool offered = fit[n] || Zoom[n]->data().toInt() == zoom;
    Zoom[n]->setEnabled(offered);
    Zoom[n]->setToolTip(offered ? QString()
                                : QString("At %1% the window would not fit on this screen (%2 by "
                                          "%3 available)")
                                      .arg(korvel::app::kZoomSteps[n])
                                      .arg(area.width)
                                      .arg(area.height));
  }
}

void Tchat::setZoom(int percent) {
  zoom = percent;
  for (QAction* action : Zoom) action->setChecked(action->data().toInt() == zoom);
}

void Tchat::Zoom1Click(int percent) {
  if (percent == zoom) return setZoom(zoom);
  updateZoomFit();
  for (QAction* action : Zoom) {
    if (action->data().toInt() == percent && !action->isEnabled()) return setZoom(zoom);
  }
  if (const auto question =
          korvel::client::leaveQuestion(game, solo, korvel::client::LeaveReason::Zoom)) {
    if (!messageBoxes().askYesNo(QString::fromStdString(*question))) return setZoom(zoom);
  }
  setZoom(percent);
  saveinifile({korvel::app::kZoomKey});
  if (!restartProgram) return;
  if (solo && settingsStore) {
    korvel::app::saveKey(settingsStore->file(), korvel::app::kSettingsSection,
                         korvel::app::kZoomrestartKey, "true");
  }
  // false: the program cannot start again (it said why) and goes on at the old zoom.
  if (!restartProgram()) {
    if (solo && settingsStore) {
      korvel::app::saveKey(settingsStore->file(), korvel::app::kSettingsSection,
                           korvel::app::kZoomrestartKey, "false");
    }
    return;
  }
  leaving_ = true;
  close();
}

void Tchat::setDownloadOffer(bool show) {
  if (show == showDownloadOffer) return;
  showDownloadOffer = show;
  saveinifile({korvel::app::kShowdownloadKey});
}

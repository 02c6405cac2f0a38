// Options of the window that apply at start-up or to the start-up: the zoom and the lobby
// download offer.

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "app/message_boxes.h"
#include "app/settings.h"
#include "client/leave_question.h"
#include "client/tchat.h"

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
  setZoom(zoom);
}

void Tchat::setZoom(int percent) {
  zoom = percent;
  for (QAction* action : Zoom) action->setChecked(action->data().toInt() == zoom);
}

void Tchat::Zoom1Click(int percent) {
  if (percent == zoom) return setZoom(zoom);
  if (const auto question = korvel::client::leaveQuestion(game)) {
    if (!messageBoxes().askYesNo(QString::fromStdString(*question))) return setZoom(zoom);
  }
  setZoom(percent);
  saveinifile({korvel::app::kZoomKey});
  // false: the program cannot start again (it said why) and goes on at the old zoom.
  if (!restartProgram || !restartProgram()) return;
  leaving_ = true;
  close();
}

void Tchat::setDownloadOffer(bool show) {
  if (show == showDownloadOffer) return;
  showDownloadOffer = show;
  saveinifile({korvel::app::kShowdownloadKey});
}

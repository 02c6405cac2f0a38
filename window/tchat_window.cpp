// Size, position and closing of the main window.

#include <QCloseEvent>
#include <QScreen>

#include "app/program_log.h"
#include "app/settings_file.h"
#include "client/leave_question.h"
#include "protocol/message.h"
#include "protocol/tsock.h"
#include "shell/message_boxes.h"
#include "window/tchat.h"

void Tchat::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  guarded([this] { processparams(); });
}

void Tchat::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

void Tchat::FormResize() {
  QWidget* client = centralWidget();
  if (!client) return;
  const auto snapped = korvel::app::snapClientSize({client->width(), client->height()});
  if (snapped.width != client->width() || snapped.height != client->height()) {
    resize(width() + snapped.width - client->width(), height() + snapped.height - client->height());
  }
}

void Tchat::ResetScreenLocation1Click() {
  const auto r = korvel::app::kResetLocation;
  move(r.left, r.top);
  resize(r.width, r.height);
}

void Tchat::Exit1Click() {
  korvel::app::programLog().write(
      "the program was told to exit (File, \"Exit\" or the download dialog)");
  close();
}

void Tchat::bringToFront() {
  // Only the minimised flag goes: a window that was maximised before it was minimised comes back
  // maximised (showNormal() would also drop that).
  if (isMinimized()) setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  show();
  raise();
  activateWindow();
}

void Tchat::tellHostLeaving() {
  // Leaving on purpose: the host frees the seat at once instead of keeping it (hosts that do not
  // know the word keep it as for a drop).
  if (!game.hosting && sock->connected()) {
    sock->send(korvel::protocol::toserver::leaving(game.myplayer));
  }
}

void Tchat::endOnRequest() {
  leaving_ = true;
  close();
}

void Tchat::closeEvent(QCloseEvent* event) {
  // File, Exit and the window's close button both arrive here.
  if (!leaving_) {
    if (const auto question = korvel::client::leaveQuestion(game, solo)) {
      const bool yes = messageBoxes().askYesNo(QString::fromStdString(*question));
      // The connection may have closed the window while the question was open.
      if (!yes || !isVisible()) {
        event->ignore();
        return;
      }
      leaving_ = true;
      tellHostLeaving();
    }
  }
  FormClose();
  QMainWindow::closeEvent(event);
  if (event->isAccepted()) emit formClosed();
}

void Tchat::FormClose() {
  const korvel::app::WindowRect window{x(), y(), width(), height()};
  korvel::app::WindowRect work{0, 0, 1 << 20, 1 << 20};
  if (QScreen* s = screen()) {
    const QRect a = s->availableGeometry();
    work = {a.x(), a.y(), a.width(), a.height()};
  }
  const auto save = korvel::app::geometryToSave(window, savedgeometry, work);
  if (!save) return;
  if (save->width != window.width || save->height != window.height)
    resize(save->width, save->height);
  savedgeometry = *save;
  if (savesettings) savesettings();
  // Before the settings were loaded in this run the window holds built-in values: nothing is
  // written then, so they never replace the user's.
  if (settingsStore) settingsStore->saveAtClose(currentSettings());
}

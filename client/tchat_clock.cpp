// The turn clock, the sound cues and the menu commands that only ask the server for something.

#include <QAction>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QMenu>

#include "app/message_boxes.h"
#include "client/sound_player.h"
#include "client/tchat.h"

void Tchat::turntimeTimer() {
  render(game.tick());
}

void Tchat::syncClock() {
  const QString shown = QString::fromStdString(game.timerText);
  if (label_timer->text() != shown) label_timer->setText(shown);
  label_timer->setAccessibleName(shown);
  // Pale yellow while there is time, black for the last 19 seconds.
  const char* colour = game.timerBlack ? "color: black" : "color: rgb(224, 227, 157)";
  if (label_timer->styleSheet() != colour) {
    label_timer->setStyleSheet(colour);
    if (auto* halo = qobject_cast<QGraphicsDropShadowEffect*>(label_timer->graphicsEffect()))
      halo->setColor(game.timerBlack ? QColor(255, 255, 255, 230) : QColor(0, 0, 0, 230));
  }
  if (image_timer->width() != game.barWidth) image_timer->resize(game.barWidth, 22);
  image_timer->setVisible(game.barWidth > 0);
}

void Tchat::playsounds(const std::string& name) {
  if (PlaySounds1->isChecked() && cues_) cues_->play(name);
}

void Tchat::PlaySounds1Click() {
  // The action has already turned its check mark over.
  saveinifile({korvel::app::kPlaysoundsKey});
}

void Tchat::Classic1Click(QAction* sender) {
  game.turnSoundNew = sender->data().toInt() == 1;
  sender->setChecked(true);
  saveinifile({korvel::app::kTurnsoundKey});
}

void Tchat::Fast1Click(QAction* sender) {
  setBotSpeed(sender->data().toInt());
  saveinifile({korvel::app::kBotspeedKey});
}

void Tchat::setBotSpeed(int milliseconds) {
  botspeed = milliseconds == 2000 || milliseconds == 500 ? milliseconds : 1000;
  (botspeed == 2000 ? Slow1 : botspeed == 500 ? Fast1 : Normal1)->setChecked(true);
  if (botSpeedChanged) botSpeedChanged(botspeed);
}

void Tchat::JustWatch1Click() {
  JustWatch1->setChecked(game.justWatchChecked);
  render(game.justWatchClick());
}

void Tchat::label_playername1ContextPopup(int seat, const QPoint& globalPos) {
  const auto menu = game.kickMenu(seat);
  RemoveFromGame1->setEnabled(menu.remove);
  SettoJustWatch1->setEnabled(menu.setWatch);
  UnsetJustWatch1->setEnabled(menu.unsetWatch);
  popup_kick->setProperty("tag", seat);
  popup_kick->popup(globalPos);
}

void Tchat::RemoveFromGame1Click() {
  render(game.kicking(popup_kick->property("tag").toInt()));
}

void Tchat::SettoJustWatch1Click() {
  render(game.setJustWatch(popup_kick->property("tag").toInt(), true));
}

void Tchat::UnsetJustWatch1Click() {
  render(game.setJustWatch(popup_kick->property("tag").toInt(), false));
}

void Tchat::button_startClick() {
  if (!game.connected) {
    messageBoxes().showMessage("You are not connected");
    return;
  }
  if (showGameStart) showGameStart();
}

// The turn clock, the sound cues and the menu commands that only ask the server for something.

#include <QAction>
#include <QLabel>
#include <QMenu>

#include "shell/message_boxes.h"
#include "window/clock_label.h"
#include "window/sound_player.h"
#include "window/tchat.h"

void Tchat::turntimeTimer() {
  render(game.tick());
}

void Tchat::syncClock() {
  const QString shown = QString::fromStdString(game.timerText);
  if (label_timer->text() != shown) label_timer->setText(shown);
  if (label_timer->accessibleName() != shown) label_timer->setAccessibleName(shown);
  if (image_timer->width() != game.barWidth) image_timer->resize(game.barWidth, 22);
  image_timer->setVisible(game.barWidth > 0);
  // Over the light bar the time is dark green, black for the last 19 seconds; beyond the bar's
  // end, on the dark track, pale yellow, white for the last 19 seconds. Each keeps a contrast of
  // at least 4.5 to 1 with what lies under it.
  static const QColor kDarkGreen(0x14, 0x33, 0x0a), kPaleYellow(224, 227, 157);
  const int barEnd = image_timer->x() + game.barWidth - label_timer->x();
  if (auto* clock = qobject_cast<ClockLabel*>(label_timer)) {
    clock->setBar(barEnd, game.timerBlack ? QColor(Qt::black) : kDarkGreen,
                  game.timerBlack ? QColor(Qt::white) : kPaleYellow);
  }
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

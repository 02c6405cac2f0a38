// What the server's messages and the player's clicks change on screen: the Outcome's side
// effects, then every widget redrawn from the mirror.

#include <QAccessible>
#include <QListWidget>
#include <QPointer>
#include <QStringListModel>

#include "app/settings_file.h"
#include "client/tips.h"
#include "protocol/tsock.h"
#include "shell/message_boxes.h"
#include "window/artwork.h"
#include "window/panel_widgets.h"
#include "window/peer_text.h"
#include "window/picture_button.h"
#include "window/tchat.h"

void Tchat::render(const korvel::client::Outcome& out) {
  using Clock = korvel::client::Outcome::Clock;
  for (const auto& line : out.chat) addlinetochat(line, systemcolor);
  if (solo && game.gameRunning && !coveringTipShown_) {
    coveringTipShown_ = true;
    addlinetochat(korvel::client::kCoveringTipLine, systemcolor);
    if (settingsStore) {
      korvel::app::saveKey(settingsStore->file(), korvel::app::kSettingsSection,
                           korvel::app::kCoveringtipKey, "true");
    }
  }
  for (const auto& message : out.send) guarded([&] { sock->send(message); });
  if (out.loadSettings > 0) loadinifile();
  if (out.clock == Clock::Restart) turntime.start();
  if (out.clock == Clock::Stop) turntime.stop();
  if (out.boardChanged) paintbox_board->update();
  if (out.tally && addgame) addgame(out.tally->winner, out.tally->mine, out.tally->others);
  syncView();
  syncHistory(out);
  if (out.raiseCarried) {
    if (const int slot = game.carriedSlot()) letter[slot - 1]->raise();
  }
  for (const auto& cue : out.cues) playsounds(cue);
  if (out.seatKeyGiven) keepSeatKey();
  if (out.full) {
    // The server closes the connection right after; the window stays until the box is read.
    gameFull_ = true;
    messageBoxes().showMessage("Game is full", [window = QPointer<Tchat>(this)] {
      if (window) window->close();
    });
  }
}

void Tchat::syncView() {
  for (int n = 0; n < korvel::client::kSeats; ++n) {
    const auto& s = game.seat[n];
    setPeerText(label_playername[n], s.name);
    setPeerToolTip(label_playername[n], peerText(s.standby));
    label_playername[n]->setAccessibleName(
        QString("Seat %1: %2")
            .arg(n + 1)
            .arg(s.name == korvel::client::kWaiting ? "empty" : peerText(s.name)));
    setPeerText(label_score[n], s.score);
    label_score[n]->adjustSize();
    setPeerText(label_bonus[n], s.bonus);
    label_bonus[n]->adjustSize();
    image_eyes[n]->setVisible(s.eyes);
  }
  if (label_status->text() != peerText(game.status)) {
    setPeerText(label_status, game.status);
    // Assistive tools hear every new status ("Your Turn.") without the player looking.
    label_status->setAccessibleName(label_status->text());
    QAccessibleEvent changed(label_status, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&changed);
    QAccessibleEvent alert(label_status, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
  }
  setPeerText(label_tilesleft, game.tilesleft);
  // The count is a picture of a number to an assistive tool unless its name carries it.
  if (const QString name = "Tiles left: " + label_tilesleft->text();
      label_tilesleft->accessibleName() != name) {
    label_tilesleft->setAccessibleName(name);
  }
  image_Turn->move(image_Turn->x(), game.turnTop);

  QStringList words;
  for (const auto& w : game.words) words << peerText(w);
  bool sameWords = listbox_words->count() == words.size();
  for (int i = 0; sameWords && i < words.size(); ++i)
    sameWords = listbox_words->item(i)->text() == words[i];
  if (!sameWords) {
    listbox_words->clear();
    listbox_words->addItems(words);
  }

  for (PictureButton* b : {button_pass, button_newtiles, button_clear, button_submit})
    b->setVisible(game.buttonsVisible);
  button_start->setVisible(game.startVisible);
  StartGame1->setEnabled(game.hosting);
  setPeerText(label_winner1, game.winnerText);
  setPeerText(label_winner2, game.winnerText);
  panel_winner->setVisible(game.winnerVisible);
  if (game.winnerVisible) panel_winner->raise();
  JustWatch1->setChecked(game.justWatchChecked);

  QStringList spies;
  for (const auto& s : game.spectators) spies << peerText(s);
  if (spylist->stringList() != spies) spylist->setStringList(spies);

  syncRack();
  syncClock();
}

void Tchat::syncRack() {
  const qreal dpr = devicePixelRatioF();
  for (int n = 0; n < korvel::client::kRackSlots; ++n) {
    const auto& image = game.rack[n];
    MouseLabel* label = letter[n];
    if (shownCode_[n] != image.code) {
      shownCode_[n] = image.code;
      // A slot without a tile shows nothing, so its outline shows through.
      if (image.code >= 1 && image.code <= 26) {
        label->setPixmap(artwork::tile(image.code, dpr));
        label->setAccessibleName(
            QString("Tile %1: %2").arg(n + 1).arg(QChar('A' + image.code - 1)));
      } else {
        label->clear();
        label->setAccessibleName(QString("Tile %1: empty").arg(n + 1));
      }
    }
    if (label->pos() != QPoint(image.x, image.y)) label->move(image.x, image.y);
    label->setVisible(image.visible);
  }
}

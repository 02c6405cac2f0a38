// The window's options in the settings file: loading applies every key, and every change of a
// stored option saves at once.

#include <QAction>

#include "app/settings_file.h"
#include "dialogs/tgamestart.h"
#include "window/tchat.h"

korvel::app::Settings Tchat::currentSettings() const {
  korvel::app::Settings s;
  s.textsize = textsize;
  s.left = x();
  s.top = y();
  s.width = width();
  s.height = height();
  s.textcolor = textcolor;
  if (gamestartDialog) {
    s.playtoscore = gamestartDialog->playToScore();
    s.timeperturn = gamestartDialog->creationTime();
    s.computerplayers = gamestartDialog->computerPlayersToSave();
    s.computerlevel = gamestartDialog->computerLevel();
    s.keepseat = gamestartDialog->keepDroppedSeat();
  }
  s.botspeed = botspeed;
  s.turnsound = game.turnSoundNew ? 1 : 0;
  s.playsounds = PlaySounds1->isChecked();
  s.playerphrasesounds = PlayerPhraseSounds1->isChecked();
  s.zoom = zoom;
  s.showdownload = showDownloadOffer;
  s.recordfolder = recordFolder;
  return s;
}

void Tchat::loadinifile() {
  if (loadsettings) loadsettings();
  if (!settingsStore) return;
  const korvel::app::Settings s = settingsStore->load();
  setTextSize(s.textsize);
  savedgeometry = {s.left, s.top, s.width, s.height};
  move(s.left, s.top);
  resize(s.width, s.height);
  setTextColour(s.textcolor);
  if (gamestartDialog) {
    if (s.playtoscore) gamestartDialog->setPlayToScore(*s.playtoscore);
    if (s.timeperturn) gamestartDialog->setCreationTime(*s.timeperturn);
    gamestartDialog->applySavedComputerPlayers(s.computerplayers);
    if (s.computerlevel) gamestartDialog->setComputerLevel(*s.computerlevel);
    if (s.keepseat) gamestartDialog->setKeepDroppedSeat(*s.keepseat);
  }
  setBotSpeed(s.botspeed);
  game.turnSoundNew = s.turnsound == 1;
  (game.turnSoundNew ? New1 : Classic1)->setChecked(true);
  for (int n = 0; n < korvel::client::kPhrases; ++n) {
    if (s.phrases[n] && !s.phrases[n]->empty()) setPhrase(n + 1, *s.phrases[n]);
  }
  PlaySounds1->setChecked(s.playsounds);
  PlayerPhraseSounds1->setChecked(s.playerphrasesounds);
  // The zoom stays the one this copy started with: it only applies at start-up.
  showDownloadOffer = s.showdownload;
  recordFolder = s.recordfolder;
}

void Tchat::saveinifile(std::initializer_list<std::string_view> keys) {
  if (savesettings) savesettings();
  if (settingsStore) settingsStore->saveAfterChange(currentSettings(), keys);
}

void Tchat::savePhraseEdits(const std::array<std::string, korvel::client::kPhrases>& edited) {
  const auto shownAtOpen = phrases;
  for (int n = 0; n < korvel::client::kPhrases; ++n) setPhrase(n + 1, edited[n]);
  if (settingsStore) settingsStore->savePhrases(edited, shownAtOpen);
}

#pragma once
// The game start dialog: the host picks the turn time and starts the game. The score to play to
// and the team flag are hidden but still sent.

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

#include "bot/level.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class PictureButton;

class Tgamestart : public QDialog {
  Q_OBJECT
 public:
  explicit Tgamestart(QWidget* parent = nullptr);

  // Hooks the program sets: sends a finished message on the client's connection; saves the
  // settings after a start; gives the player's name. Any may be left empty.
  std::function<void(const std::string&)> send;
  std::function<void()> savesettings;
  std::function<std::string()> playername;
  // Told the grace time in seconds, just before the start goes out: the host's server keeps the
  // seat of a player whose connection drops that long.
  std::function<void(int seconds)> keepseat;
  // Window to centre over when shown; the parent when not set.
  QWidget* centreOver = nullptr;

  // Counters: a value from outside their range goes to the nearest bound. A value between two
  // steps is kept as it is (the arrows then step on from it and stop at the bounds).
  void setCreationTime(int seconds);
  int creationTime() const;
  void setPlayToScore(int score);
  int playToScore() const;
  // Computer players seated before the start: 0 to 3.
  void setComputerPlayers(int count);
  int computerPlayers() const;
  // Level of the computer players: Easy until chosen (a new player's first games are gentle);
  // a level saved in the settings replaces it. The line under the choice says what it knows.
  void setComputerLevel(korvel::bot::Level level);
  korvel::bot::Level computerLevel() const;
  // A solo game opens with one computer player and then follows (and feeds) the saved count; a
  // game hosted for others opens with 0 every time and saves nothing.
  void setSolo(bool solo);
  bool solo() const { return solo_; }
  void applySavedComputerPlayers(std::optional<int> saved);
  std::optional<int> computerPlayersToSave() const;
  // Minutes a dropped player's seat is kept: 0 to 10, 3 until chosen; 0 frees it at once.
  void setKeepDroppedSeat(int minutes);
  int keepDroppedSeat() const;
  // Team flag: 0 or 1; anything else counts as the nearest of the two.
  void setTeam(int flag);
  int team() const { return team_; }

  void button_startClick();
  void image_teamClick();

  QLabel* label_title = nullptr;
  QLabel* label_creationtime = nullptr;
  QSpinBox* UpDown2 = nullptr;             // turn time counter, 45 to 120 step 5
  QLineEdit* edit_creationtime = nullptr;  // its read-only number box
  QLabel* label_computerplayers = nullptr;
  QSpinBox* UpDown3 = nullptr;                // computer players, 0 to 3
  QLineEdit* edit_computerplayers = nullptr;  // its read-only number box
  QLabel* label_computerlevel = nullptr;
  QComboBox* combo_computerlevel = nullptr;  // Easy, Normal, Strong
  QLabel* label_levelsummary = nullptr;      // "Easy: everyday words, gentle", ...
  QLabel* label_keepseat = nullptr;
  QSpinBox* UpDown4 = nullptr;         // minutes a dropped seat is kept, 0 to 10
  QLineEdit* edit_keepseat = nullptr;  // its read-only number box
  QLabel* label_playtoscore = nullptr;
  QSpinBox* UpDown1 = nullptr;  // score counter, 30 to 100 (hidden)
  QLineEdit* edit_playtoscore = nullptr;
  QLabel* label_team = nullptr;
  QLabel* image_team = nullptr;  // check box picture (hidden)
  PictureButton* button_start = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showLevelSummary();

  int team_ = 1;
  bool solo_ = false;
};

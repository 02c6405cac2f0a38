#pragma once
// The tally list: the local player's games and wins, and for each followed opponent the games
// played together and who won them, in total and in this run ("Session"). It owns the tally on
// disk (every change is saved at once); the counting rules are the record's.

#include <QDialog>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "records/tally_store.h"

class QLabel;
class QListWidget;
class QPushButton;

class Ttallylist : public QDialog {
  Q_OBJECT
 public:
  explicit Ttallylist(QWidget* parent = nullptr);
  ~Ttallylist() override;

  // Loads the tally file and shows it; a file that cannot be read is reported once and kept
  // aside.
  void loadFrom(const std::filesystem::path& file);
  // Counts a finished game: the winner text, whether the local player won, and the other seated
  // players' names in seat order. The shown figures follow.
  void addgame(const std::string& winner, bool mine, const std::vector<std::string>& others);

  // Fills "Players In Current Game" with the other seated players, ticking the followed ones.
  void loadchecklist(const std::vector<std::string>& others);
  // The user toggled the tick of checklist item `index`: follows that player (once).
  void checklistClickCheck(int index);
  // The user toggled the tick of listbox_tally item `index`: an unticked opponent is dropped
  // after the user confirms; otherwise the tick comes back.
  void listbox_tallyClickCheck(int index);
  // Shows the selected opponent's figures.
  void listbox_tallyClick();
  void button_resetClick();
  void button_doneClick();

  const korvel::records::TallyStore* store() const { return store_.get(); }

  std::array<QLabel*, 4> mylabel{};  // `mylabel_1` to `mylabel_4`: row 0, columns 1 to 4
  std::array<QLabel*, 8> label{};    // `label_1` to `label_8`: the selected opponent's columns
  QLabel* label_hisnametop = nullptr;
  QLabel* label_hisname = nullptr;
  QListWidget* listbox_tally = nullptr;  // "Players Being Tallied"
  QListWidget* checklist = nullptr;      // "Players In Current Game"
  QPushButton* button_reset = nullptr;
  QPushButton* button_done = nullptr;

 private:
  // Shows the record: own totals, the followed list (keeping the selection) and the selected
  // opponent's figures; ticks the current-game names that are followed.
  void loadtally();
  void showOpponent(int index);
  std::vector<std::string> followed() const;

  std::unique_ptr<korvel::records::TallyStore> store_;
  bool filling_ = false;  // list items are being set up by the program, not ticked by the user
};

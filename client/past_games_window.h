#pragma once
// View, "Past Games": the saved games of the games folder, newest first (date, players, scores,
// winner); a file that cannot be read is listed as damaged and left alone. Opening a game shows
// it in a review window.

#include <QWidget>
#include <filesystem>
#include <functional>
#include <vector>

#include "bot/lexicon.h"
#include "client/game_file.h"

class QPushButton;
class QTableWidget;
class GameReviewWindow;

class PastGamesWindow : public QWidget {
  Q_OBJECT
 public:
  explicit PastGamesWindow(QWidget* parent = nullptr);

  std::filesystem::path folder;
  // The computer player's word structure for the analysis (built on first use).
  std::function<const korvel::bot::Lexicon&()> lexicon;
  // Called with each review window opened (tests take hold of it; the program shows it).
  std::function<void(GameReviewWindow*)> opened;

  // Reads the folder again.
  void refresh();
  // Opens row `row`'s game; nullptr for a damaged one.
  GameReviewWindow* open(int row);

  QTableWidget* table = nullptr;
  QPushButton* openButton = nullptr;
  const std::vector<korvel::client::SavedGame>& games() const { return games_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  std::vector<korvel::client::SavedGame> games_;
};

#pragma once
// The end-of-game summary: final scores in order, the winner or winners, each player's number of
// moves and best word, and the game's length. A window of its own beside the main window, so
// the board stays in view; on the host it offers "Play Again".

#include <QDialog>
#include <functional>

#include "client/game_log.h"

class QLabel;
class QPushButton;
class QTableWidget;

class GameSummaryWindow : public QDialog {
  Q_OBJECT
 public:
  explicit GameSummaryWindow(QWidget* parent = nullptr);

  // Fills the window from a finished game's record; `host` shows "Play Again".
  void showSummary(const korvel::client::GameRecord& record, bool host);
  // What "Play Again" does: the same as Start Game.
  std::function<void()> playAgain;

  QLabel* winner = nullptr;
  QLabel* length = nullptr;
  QTableWidget* table = nullptr;
  QPushButton* playAgainButton = nullptr;
};

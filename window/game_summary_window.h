#pragma once
// The end-of-game summary: final scores in order, the winner or winners the server named, each
// player's number of moves and best word, the players who left listed apart, and the game's
// length. A window of its own beside the main window, so the board stays in view; on the host it
// offers "Play Again".

#include <QAbstractTableModel>
#include <QDialog>
#include <functional>

#include "client/game_log.h"
#include "client/game_summary.h"

class QLabel;
class QPushButton;
class QTableView;

// One row per player of a summary: "Player" (a star for each winner, "(left the game)" for a
// player who left), "Score", "Moves", "Best Word", "Best Score".
class SummaryModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void setSummary(korvel::client::GameSummary summary);
  const korvel::client::GameSummary& summary() const { return summary_; }
  // The cell's text as shown.
  QString text(int row, int column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  korvel::client::GameSummary summary_;
};

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
  SummaryModel* model = nullptr;
  QTableView* table = nullptr;
  QPushButton* playAgainButton = nullptr;
};

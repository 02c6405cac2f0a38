#pragma once
// A saved game under review: a board that steps through the game move by move (buttons, and the
// arrow keys, Home and End), the move list beside it, and for each of the local player's turns
// the best move the computer player's search finds ("QATS 23"; what was played beside it in the
// tooltip and the detail line) with the points left on the table; "Show Best Move" lays that
// move on the board the turn was played on. The analysis runs on a worker thread that posts each
// turn's result back as it is found and stops between turns when the window closes; "Save Game
// Record..." writes the plain-text record.

#include <QAbstractTableModel>
#include <QFuture>
#include <QWidget>
#include <atomic>
#include <functional>
#include <optional>
#include <vector>

#include "bot/lexicon.h"
#include "bot/move_generator.h"
#include "client/game_analysis.h"
#include "client/game_log.h"

class QLabel;
class QPushButton;
class QTableView;

// The board at one step of a game, drawn with the game's own pictures.
class ReviewBoard : public QWidget {
 public:
  explicit ReviewBoard(QWidget* parent = nullptr);
  korvel::bot::BoardLetters letters{};
  std::vector<std::pair<int, int>> lastMove;  // cells of the move that led here
  std::vector<std::pair<int, int>> stacked;   // cells whose letter covers another
  // A move not played, drawn over the board: opaque tiles in a dashed blue and white frame, each
  // with the letter it would cover small in its corner.
  std::vector<korvel::bot::Tile> suggested;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The turns of a saved game as rows: "Turn", "Player", "Move" (the main word and its score; all
// words in the tooltip), "Total", "Best Move" (filled in as the analysis finds it).
class ReviewModel : public QAbstractTableModel {
 public:
  ReviewModel(const korvel::client::GameRecord& record, QObject* parent);

  // One turn's best move has been found: its row's last cell changes.
  void setAnalysis(const korvel::client::TurnAnalysis& analysis);
  const std::optional<korvel::client::TurnAnalysis>& analysis(int turn) const;
  // The cell's text as shown.
  QString text(int row, int column) const;
  QString toolTip(int row, int column) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const korvel::client::GameRecord& record_;
  std::vector<std::optional<korvel::client::TurnAnalysis>> analysis_;  // per turn, once found
};

class GameReviewWindow : public QWidget {
  Q_OBJECT
 public:
  // `lexicon` is the word list of the search; it must outlive the window.
  GameReviewWindow(korvel::client::GameRecord record, const korvel::bot::Lexicon& lexicon,
                   QWidget* parent = nullptr);
  ~GameReviewWindow() override;

  // Shows the board after `turns` turns (0: before the first).
  void showStep(int turns);
  int step() const { return step_; }
  int steps() const { return static_cast<int>(record_.turns.size()); }
  // Writes the plain-text record to the file the chooser names; false when cancelled or failed.
  bool saveRecord();
  // The file chooser of "Save Game Record...": a path, or "" when cancelled. Tests replace it.
  std::function<QString(const QString& suggested)> chooseFile;
  // The folder the chooser opens in: the one the last record went to (the main window keeps it),
  // else the user's documents folder; told the folder of each record written.
  std::function<QString()> recordFolder;
  std::function<void(const QString& folder)> recordSaved;
  // The whole analysis has arrived (tests wait on it).
  bool analysed() const { return analysed_; }
  void waitForAnalysis();
  // Asks the analysis to stop after the turn it is on (closing the window does it too).
  void stopAnalysis() { stop_ = true; }
  // The analysis has ended, whole or stopped, and the worker holds nothing of the window.
  bool analysisEnded() const { return analysis_.isFinished(); }

  const korvel::client::GameRecord& record() const { return record_; }
  ReviewBoard* board = nullptr;
  ReviewModel* model = nullptr;
  QTableView* moves = nullptr;
  QLabel* position = nullptr;
  QLabel* detail = nullptr;  // the turn in full: who played, every word and the score
  QLabel* leftOnTable = nullptr;
  QPushButton* first = nullptr;
  QPushButton* previous = nullptr;
  QPushButton* next = nullptr;
  QPushButton* last = nullptr;
  QPushButton* saveButton = nullptr;
  QPushButton* bestButton = nullptr;  // checkable: the best move instead of the turn played

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void turnAnalysed(const korvel::client::TurnAnalysis& analysis);
  void analysisDone(std::int64_t leftOnTable);

  korvel::client::GameRecord record_;
  std::vector<korvel::bot::BoardLetters> boards_;
  QFuture<void> analysis_;
  std::atomic<bool> stop_{false};
  int analysedTurns_ = 0;
  bool analysed_ = false;
  int step_ = -1;
};

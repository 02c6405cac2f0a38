#pragma once
// A saved game under review: a board that steps through the game move by move (buttons, and the
// arrow keys, Home and End), the move list beside it, and for each of the local player's turns
// the best move the computer player's search finds ("You: QAT 14 · Best: QATS 23") with the
// points left on the table; "Show Best Move" lays that move on the board the turn was played
// on. The analysis runs on a worker thread; "Save Game Record..." writes the plain-text record.

#include <QFutureWatcher>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "bot/lexicon.h"
#include "bot/move_generator.h"
#include "client/game_analysis.h"
#include "client/game_log.h"

class QLabel;
class QPushButton;
class QTableWidget;

// The board at one step of a game, drawn with the game's own pictures.
class ReviewBoard : public QWidget {
 public:
  explicit ReviewBoard(QWidget* parent = nullptr);
  korvel::bot::BoardLetters letters{};
  std::vector<std::pair<int, int>> lastMove;  // cells of the move that led here
  std::vector<std::pair<int, int>> stacked;   // cells whose letter covers another
  std::vector<korvel::bot::Tile> suggested;   // a move not played, drawn pale over the board

 protected:
  void paintEvent(QPaintEvent* event) override;
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
  // The analysis has arrived (tests wait on it).
  bool analysed() const { return analysed_; }
  void waitForAnalysis();

  const korvel::client::GameRecord& record() const { return record_; }
  ReviewBoard* board = nullptr;
  QTableWidget* moves = nullptr;
  QLabel* position = nullptr;
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
  void showAnalysis();

  korvel::client::GameRecord record_;
  std::vector<korvel::bot::BoardLetters> boards_;
  std::vector<std::optional<korvel::client::TurnAnalysis>> analysis_;  // per turn, once analysed
  QFutureWatcher<korvel::client::GameAnalysis> watcher_;
  bool analysed_ = false;
  int step_ = -1;
};

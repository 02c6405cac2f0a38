#pragma once
// View, "Past Games": the saved games of the games folder, newest first (date, players, scores,
// winner, the computer players' level); a file that cannot be read is listed as damaged and
// left alone. The folder is read off the GUI thread, so the window opens at once however many
// games (or hostile files) it holds. Opening a game shows it in a review window. While the games
// the user played take more than the folder keeps (they are never removed), a line says so.

#include <QFutureWatcher>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <stop_token>
#include <string>
#include <vector>

#include "bot/lexicon.h"
#include "client/game_file.h"

class QLabel;
class QPushButton;
class QTableWidget;
class GameReviewWindow;

class PastGamesWindow : public QWidget {
  Q_OBJECT
 public:
  explicit PastGamesWindow(QWidget* parent = nullptr);
  ~PastGamesWindow() override;

  std::filesystem::path folder;
  // The computer player's word structure for the analysis (built on first use).
  std::function<const korvel::bot::Lexicon&()> lexicon;
  // Called with each review window opened (tests take hold of it; the program shows it).
  std::function<void(GameReviewWindow*)> opened;

  // Reads the folder again, on a worker thread; the table shows the list once it is read. A
  // refresh asked for while one runs follows it.
  void refresh();
  // Whether the table shows the folder as last read (no reading under way); tests wait for it.
  bool listed() const { return !pending_; }
  void waitForList();
  // Opens row `row`'s game; nullptr for a damaged one.
  GameReviewWindow* open(int row);

  QTableWidget* table = nullptr;
  QLabel* status = nullptr;
  QLabel* note = nullptr;  // overKeptNote's line, hidden while the folder is within its bounds
  QPushButton* openButton = nullptr;
  const std::vector<korvel::client::SavedGame>& games() const { return games_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void showList();

  struct Listing {
    std::vector<korvel::client::SavedGame> games;
    std::string note;
  };
  std::vector<korvel::client::SavedGame> games_;
  QFutureWatcher<Listing> watcher_;
  std::stop_source stop_;
  bool pending_ = false;  // a reading runs whose list is not shown yet
  bool again_ = false;    // a refresh was asked for while it ran
};

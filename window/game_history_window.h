#pragma once
// View, "Game History": every turn of the current game as it happens, in a table with named
// columns (turn, player, what happened, then each player's running total). Not modal; the
// window keeps it up to date from the mirror's record.

#include <QAbstractTableModel>
#include <QTimer>
#include <QWidget>

#include "client/game_log.h"

class QLabel;
class QTableView;

// The turns of a record as table rows. The model reads the record it was last given (which must
// stay alive while shown, as the mirror's does); sync() tells the view what changed since: new
// turns are appended rows, a player's new name changes that player's column title, and only a
// new game or a new player seat resets the table.
class HistoryModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void sync(const korvel::client::GameRecord& record);
  const korvel::client::GameRecord* record() const { return record_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  const korvel::client::GameRecord* record_ = nullptr;
  std::int64_t started_ = -1;
  std::vector<int> seats_;  // the player seats shown as total columns, in order
  std::vector<QString> names_;
  int rows_ = 0;
};

class GameHistoryWindow : public QWidget {
  Q_OBJECT
 public:
  explicit GameHistoryWindow(QWidget* parent = nullptr);

  // Shows the record; rows already shown are kept, so a turn costs one new row. While the window
  // is on screen it takes a running game's changes at most every kRepaintMs: a host that sends
  // turns as fast as it can costs the window a repaint per interval rather than per message. A
  // finished game, and any record while the window is hidden, is taken at once.
  void showRecord(const korvel::client::GameRecord& record);
  // Takes a change held back by the interval now.
  void flush();
  static constexpr int kRepaintMs = 100;

  HistoryModel* model = nullptr;
  QTableView* table = nullptr;
  QLabel* capped = nullptr;  // shown once the game has as many turns as a game keeps

 private:
  void fitColumns();
  void apply(const korvel::client::GameRecord& record);

  QTimer interval_;
  const korvel::client::GameRecord* held_ = nullptr;  // a change not yet shown
};

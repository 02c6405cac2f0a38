#pragma once
// View, "Game History": every turn of the current game as it happens, in a table with named
// columns (turn, player, what happened, then each player's running total). Not modal; the
// window keeps it up to date from the mirror's record.

#include <QWidget>

#include "client/game_log.h"

class QTableWidget;

class GameHistoryWindow : public QWidget {
  Q_OBJECT
 public:
  explicit GameHistoryWindow(QWidget* parent = nullptr);

  // Shows the record; rows already shown are kept, so a turn costs one new row.
  void showRecord(const korvel::client::GameRecord& record);

  QTableWidget* table = nullptr;

 private:
  std::vector<korvel::client::SeatRecord> shownPlayers_;
  std::int64_t shownStart_ = -1;
};

// The columns' titles for a game's players: "Turn", "Player", "Move", then "<name> total".
QStringList historyColumns(const std::vector<korvel::client::SeatRecord>& players);
// One turn's row under those columns.
QStringList historyRow(const korvel::client::GameRecord& record, std::size_t turn);

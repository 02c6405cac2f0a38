#include "client/game_history_window.h"

#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "client/peer_text.h"
#include "client/record_table.h"
#include "dialogs/dialog_look.h"

QStringList historyColumns(const std::vector<korvel::client::SeatRecord>& players) {
  QStringList columns{"Turn", "Player", "Move"};
  for (const auto& p : players) columns << peerText(p.name) + " total";
  return columns;
}

QStringList historyRow(const korvel::client::GameRecord& record, std::size_t turn) {
  const auto& t = record.turns[turn];
  QStringList row{QString::number(turn + 1), peerText(t.player),
                  peerText(korvel::client::describeTurn(t))};
  for (const auto& p : record.players)
    row << QString::number(t.totals[static_cast<std::size_t>(p.seat - 1)]);
  return row;
}

GameHistoryWindow::GameHistoryWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle("Game History");
  setAccessibleName("Game History");
  setFont(dialoglook::arial(13));
  table = recordTable(this, "Turns of the current game");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table);
  resize(640, 360);
}

void GameHistoryWindow::showRecord(const korvel::client::GameRecord& record) {
  const bool sameGame = record.started == shownStart_ && record.players == shownPlayers_;
  if (!sameGame) {
    table->clear();
    table->setRowCount(0);
    const QStringList columns = historyColumns(record.players);
    table->setColumnCount(static_cast<int>(columns.size()));
    table->setHorizontalHeaderLabels(columns);
    // The move's words take what room there is; the numbers keep their own widths.
    table->horizontalHeader()->setStretchLastSection(false);
    table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    shownPlayers_ = record.players;
    shownStart_ = record.started;
  }
  const int shown = table->rowCount();
  const int rows = static_cast<int>(record.turns.size());
  if (rows < shown) table->setRowCount(rows);
  for (int r = shown; r < rows; ++r) {
    table->insertRow(r);
    const QStringList cells = historyRow(record, static_cast<std::size_t>(r));
    for (int c = 0; c < cells.size(); ++c) table->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  if (rows > shown) table->scrollToBottom();
}

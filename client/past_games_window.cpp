#include "client/past_games_window.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "client/game_review_window.h"
#include "client/peer_text.h"
#include "client/record_table.h"
#include "dialogs/dialog_look.h"

PastGamesWindow::PastGamesWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle("Past Games");
  setFont(dialoglook::arial(13));
  table = recordTable(this, "Saved games", {"Date", "Players", "Scores", "Winner"});
  openButton = new QPushButton("Open", this);
  auto* reload = new QPushButton("Refresh", this);
  connect(table, &QTableWidget::cellActivated, this, [this](int row) { open(row); });
  connect(openButton, &QPushButton::clicked, this, [this] { open(table->currentRow()); });
  connect(reload, &QPushButton::clicked, this, [this] { refresh(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(reload);
  buttons->addWidget(openButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table);
  layout->addLayout(buttons);
  resize(620, 380);
}

void PastGamesWindow::showEvent(QShowEvent* event) {
  refresh();
  QWidget::showEvent(event);
}

void PastGamesWindow::refresh() {
  games_ =
      folder.empty() ? std::vector<korvel::client::SavedGame>{} : korvel::client::listGames(folder);
  table->setRowCount(static_cast<int>(games_.size()));
  for (int r = 0; r < static_cast<int>(games_.size()); ++r) {
    const auto& g = games_[static_cast<std::size_t>(r)];
    QStringList cells;
    if (g.damaged) {
      cells = {peerText(g.file.filename().string()), "damaged", "", ""};
    } else {
      QStringList players, scores;
      for (const auto& p : g.players) {
        players << peerText(p.name);
        scores << QString::number(g.finalScores[static_cast<std::size_t>(p.seat - 1)]);
      }
      cells = {QDateTime::fromSecsSinceEpoch(g.started).toString("yyyy-MM-dd hh:mm"),
               players.join(", "), scores.join(", "), peerText(g.winner)};
    }
    for (int c = 0; c < cells.size(); ++c) table->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  if (!games_.empty()) table->setCurrentCell(0, 0);
}

GameReviewWindow* PastGamesWindow::open(int row) {
  if (row < 0 || row >= static_cast<int>(games_.size()) || !lexicon) return nullptr;
  const auto& saved = games_[static_cast<std::size_t>(row)];
  if (saved.damaged) return nullptr;
  auto record = korvel::client::loadGame(saved.file);
  if (!record) {
    // Its turns do not read (or it changed since it was listed): damaged, and left alone.
    games_[static_cast<std::size_t>(row)].damaged = true;
    table->item(row, 1)->setText("damaged");
    for (int c : {2, 3}) table->item(row, c)->setText("");
    return nullptr;
  }
  auto* review = new GameReviewWindow(std::move(*record), lexicon(), this);
  if (opened) opened(review);
  return review;
}

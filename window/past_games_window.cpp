#include "window/past_games_window.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include "dialogs/dialog_look.h"
#include "window/game_review_window.h"
#include "window/peer_text.h"
#include "window/record_table.h"

PastGamesWindow::PastGamesWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle("Past Games");
  setFont(dialoglook::arial(13));
  table =
      recordTable(this, "Saved games", {"Date", "Players", "Scores", "Winner", "Computer Level"});
  status = new QLabel(this);
  note = new QLabel(this);
  note->setTextFormat(Qt::PlainText);
  note->setWordWrap(true);
  note->hide();
  openButton = new QPushButton("Open", this);
  auto* reload = new QPushButton("Refresh", this);
  connect(table, &QTableWidget::cellActivated, this, [this](int row) { open(row); });
  connect(openButton, &QPushButton::clicked, this, [this] { open(table->currentRow()); });
  connect(reload, &QPushButton::clicked, this, [this] { refresh(); });
  connect(&watcher_, &QFutureWatcher<Listing>::finished, this, [this] { showList(); });
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(status, 1);
  buttons->addWidget(reload);
  buttons->addWidget(openButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table);
  layout->addWidget(note);
  layout->addLayout(buttons);
  resize(680, 380);
}

PastGamesWindow::~PastGamesWindow() {
  // The worker stops between two files; the window waits only for the one being read.
  stop_.request_stop();
  watcher_.disconnect(this);
  watcher_.waitForFinished();
}

void PastGamesWindow::showEvent(QShowEvent* event) {
  refresh();
  QWidget::showEvent(event);
}

void PastGamesWindow::refresh() {
  if (pending_) {
    again_ = true;
    return;
  }
  if (folder.empty()) {
    games_.clear();
    table->setRowCount(0);
    status->setText("");
    note->hide();
    return;
  }
  status->setText("Reading the saved games...");
  pending_ = true;
  watcher_.setFuture(QtConcurrent::run([dir = folder, stop = stop_.get_token()] {
    Listing listing{korvel::client::listGames(dir, stop), {}};
    listing.note = korvel::client::overKeptNote(korvel::client::gamesFolderUse(dir));
    return listing;
  }));
}

void PastGamesWindow::waitForList() {
  while (pending_) {
    watcher_.waitForFinished();
    showList();
  }
}

void PastGamesWindow::showList() {
  if (!pending_) return;  // already shown by waitForList
  pending_ = false;
  if (again_) {
    again_ = false;
    refresh();
    return;
  }
  Listing listing = watcher_.result();
  games_ = std::move(listing.games);
  note->setText(QString::fromStdString(listing.note));
  note->setVisible(!listing.note.empty());
  table->setRowCount(static_cast<int>(games_.size()));
  for (int r = 0; r < static_cast<int>(games_.size()); ++r) {
    const auto& g = games_[static_cast<std::size_t>(r)];
    QStringList cells;
    if (g.damaged) {
      cells = {peerText(g.file.filename().string()), "damaged", "", "", ""};
    } else {
      QStringList players, scores;
      for (const auto& p : g.players) {
        players << peerText(p.name);
        scores << QString::number(g.finalScores[static_cast<std::size_t>(p.seat - 1)]);
      }
      cells = {QDateTime::fromSecsSinceEpoch(g.started).toString("yyyy-MM-dd hh:mm"),
               players.join(", "), scores.join(", "), peerText(g.winner),
               peerText(g.computerLevel)};
    }
    for (int c = 0; c < cells.size(); ++c) table->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  if (!games_.empty()) table->setCurrentCell(0, 0);
  status->setText(games_.empty()       ? QString("No saved games yet.")
                  : games_.size() == 1 ? QString("1 saved game")
                                       : QString("%1 saved games").arg(games_.size()));
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
    for (int c : {2, 3, 4}) table->item(row, c)->setText("");
    return nullptr;
  }
  auto* review = new GameReviewWindow(std::move(*record), lexicon(), this);
  if (opened) opened(review);
  return review;
}

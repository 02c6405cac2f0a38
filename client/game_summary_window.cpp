#include "client/game_summary_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "client/game_summary.h"
#include "client/peer_text.h"
#include "client/record_table.h"
#include "dialogs/dialog_look.h"

GameSummaryWindow::GameSummaryWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Game Over");
  setModal(false);
  setFont(dialoglook::arial(13));
  winner = new QLabel(this);
  winner->setTextFormat(Qt::PlainText);
  winner->setFont(dialoglook::arial(16, true));
  length = new QLabel(this);
  length->setTextFormat(Qt::PlainText);
  table =
      recordTable(this, "Final scores", {"Player", "Score", "Moves", "Best Word", "Best Score"});
  // The table is as large as its contents and the window follows it: a stretched last column
  // would widen the contents with the window.
  table->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
  table->horizontalHeader()->setStretchLastSection(false);
  playAgainButton = new QPushButton("Play Again", this);
  auto* close = new QPushButton("Close", this);
  connect(playAgainButton, &QPushButton::clicked, this, [this] {
    if (playAgain) playAgain();
    hide();
  });
  connect(close, &QPushButton::clicked, this, &QDialog::hide);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(playAgainButton);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(winner);
  layout->addWidget(table);
  layout->addWidget(length);
  layout->addLayout(buttons);
  resize(460, 260);
}

void GameSummaryWindow::showSummary(const korvel::client::GameRecord& record, bool host) {
  const auto s = korvel::client::summarise(record);
  winner->setText(peerText(s.winner) + (s.winner.find(" and ") != std::string::npos
                                            ? " have won the game!"
                                            : " has won the game!"));
  table->setRowCount(static_cast<int>(s.players.size()));
  for (int r = 0; r < static_cast<int>(s.players.size()); ++r) {
    const auto& p = s.players[static_cast<std::size_t>(r)];
    const QStringList cells{peerText(p.name) + (p.won ? " \u2605" : ""), QString::number(p.score),
                            QString::number(p.moves), peerText(p.bestWord),
                            p.bestWord.empty() ? QString() : QString::number(p.bestScore)};
    for (int c = 0; c < cells.size(); ++c) table->setItem(r, c, new QTableWidgetItem(cells[c]));
  }
  // Wide and tall enough to show every column and row whole: the table asks for the size of its
  // contents and the window, sized to its contents when it opens, follows.
  table->resizeColumnsToContents();
  table->updateGeometry();
  length->setText(QString("Game length: %1, %2 turns")
                      .arg(peerText(korvel::client::durationText(s.seconds)))
                      .arg(s.turns));
  playAgainButton->setVisible(host);
}

#include "window/game_summary_window.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "dialogs/dialog_look.h"
#include "window/peer_text.h"
#include "window/record_table.h"

namespace {

constexpr int kColumns = 5;

}  // namespace

void SummaryModel::setSummary(korvel::client::GameSummary summary) {
  beginResetModel();
  summary_ = std::move(summary);
  endResetModel();
}

QString SummaryModel::text(int row, int column) const {
  if (row < 0 || row >= rowCount()) return {};
  const auto& p = summary_.players[static_cast<std::size_t>(row)];
  switch (column) {
    case 0:
      return peerText(p.name) + (p.won ? " \u2605" : "") + (p.left ? " (left the game)" : "");
    case 1:
      return QString::number(p.score);
    case 2:
      return QString::number(p.moves);
    case 3:
      return peerText(p.bestWord);
    case 4:
      return p.bestWord.empty() ? QString() : QString::number(p.bestScore);
    default:
      return {};
  }
}

int SummaryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(summary_.players.size());
}

int SummaryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant SummaryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const auto& p = summary_.players[static_cast<std::size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return text(index.row(), index.column());
    case Qt::ToolTipRole:
      return index.column() == 0 || index.column() == 3
                 ? QVariant(plainToolTip(text(index.row(), index.column())))
                 : QVariant();
    case Qt::TextAlignmentRole:
      return index.column() == 0 || index.column() == 3
                 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                 : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::ForegroundRole:
      // The players who left stand apart: their rows in the palette's placeholder grey.
      return p.left ? QVariant(QPalette().color(QPalette::PlaceholderText)) : QVariant();
    default:
      return {};
  }
}

QVariant SummaryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  static const char* const kTitles[kColumns] = {"Player", "Score", "Moves", "Best Word",
                                                "Best Score"};
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= kColumns)
    return {};
  return QString(kTitles[section]);
}

GameSummaryWindow::GameSummaryWindow(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Game Over");
  setModal(false);
  setFont(dialoglook::arial(13));
  winner = new QLabel(this);
  winner->setTextFormat(Qt::PlainText);
  winner->setFont(dialoglook::arial(16, true));
  length = new QLabel(this);
  length->setTextFormat(Qt::PlainText);
  model = new SummaryModel(this);
  table = recordView(this, "Final scores", model);
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
  auto s = korvel::client::summarise(record);
  winner->setText(peerText(korvel::client::summaryHeading(s)));
  length->setText(QString("Game length: %1, %2 turns")
                      .arg(peerText(korvel::client::durationText(s.seconds)))
                      .arg(s.turns));
  model->setSummary(std::move(s));
  // Every column wide enough for its texts (a name or word past 240 pixels is elided and shown
  // whole in its tooltip) and every row in view: the table asks for the size of its contents
  // and the window, sized to its contents when it opens, follows.
  for (int c = 0; c < kColumns; ++c) {
    QStringList texts;
    for (int r = 0; r < model->rowCount(); ++r) texts << model->text(r, c);
    fitColumn(table, c, texts, 240);
  }
  table->updateGeometry();
  playAgainButton->setVisible(host);
}

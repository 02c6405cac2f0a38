#include "window/game_history_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

#include "dialogs/dialog_look.h"
#include "window/peer_text.h"
#include "window/record_table.h"

namespace {

constexpr int kFixedColumns = 3;  // Turn, Player, Move; then one total per player
constexpr int kMoveColumn = 2;

}  // namespace

void HistoryModel::sync(const korvel::client::GameRecord& record) {
  std::vector<int> seats;
  for (const auto& p : record.players) seats.push_back(p.seat);
  const int rows = static_cast<int>(record.turns.size());
  if (record.started != started_ || seats != seats_ || rows < rows_) {
    beginResetModel();
    record_ = &record;
    started_ = record.started;
    seats_ = std::move(seats);
    names_.clear();
    for (const auto& p : record.players) names_.push_back(peerText(p.name));
    rows_ = rows;
    endResetModel();
    return;
  }
  record_ = &record;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    const QString name = peerText(record.players[i].name);
    if (name == names_[i]) continue;
    names_[i] = name;
    const int column = kFixedColumns + static_cast<int>(i);
    emit headerDataChanged(Qt::Horizontal, column, column);
  }
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  }
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_;
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kFixedColumns + static_cast<int>(seats_.size());
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
  if (!record_ || !index.isValid() || index.row() >= rows_ ||
      static_cast<std::size_t>(index.row()) >= record_->turns.size())
    return {};
  const auto& t = record_->turns[static_cast<std::size_t>(index.row())];
  const int c = index.column();
  if (role == Qt::TextAlignmentRole) {
    return c == 0 || c >= kFixedColumns ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                        : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  QString text;
  if (c == 0) {
    text = QString::number(index.row() + 1);
  } else if (c == 1) {
    text = peerText(t.player);
  } else if (c == kMoveColumn) {
    text = peerText(korvel::client::describeTurn(t));
  } else if (c - kFixedColumns < static_cast<int>(seats_.size())) {
    const int seat = seats_[static_cast<std::size_t>(c - kFixedColumns)];
    if (seat >= 1 && seat <= 4)
      text = QString::number(t.totals[static_cast<std::size_t>(seat - 1)]);
  }
  if (role == Qt::ToolTipRole) return c == 1 || c == kMoveColumn ? plainToolTip(text) : QVariant();
  return text;
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  static const char* const kTitles[kFixedColumns] = {"Turn", "Player", "Move"};
  QString text;
  if (section >= 0 && section < kFixedColumns) {
    text = kTitles[section];
  } else if (section - kFixedColumns < static_cast<int>(names_.size())) {
    text = names_[static_cast<std::size_t>(section - kFixedColumns)] + " total";
  }
  if (role == Qt::ToolTipRole) return section >= kFixedColumns ? plainToolTip(text) : QVariant();
  return text;
}

GameHistoryWindow::GameHistoryWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle("Game History");
  setAccessibleName("Game History");
  setFont(dialoglook::arial(13));
  model = new HistoryModel(this);
  table = recordView(this, "Turns of the current game", model);
  // The move's words take what room there is; the numbers keep their own widths.
  table->horizontalHeader()->setStretchLastSection(false);
  capped = new QLabel(this);
  capped->setTextFormat(Qt::PlainText);
  capped->setWordWrap(true);
  capped->setText(QString("A game keeps its first %L1 turns; the turns after them are not listed.")
                      .arg(static_cast<qulonglong>(korvel::client::kGameTurns)));
  capped->hide();
  // A new table (a new game or a new player seat): the columns take their widths once.
  connect(model, &QAbstractItemModel::modelReset, this, &GameHistoryWindow::fitColumns);
  interval_.setSingleShot(true);
  interval_.setInterval(kRepaintMs);
  connect(&interval_, &QTimer::timeout, this, &GameHistoryWindow::flush);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(table);
  layout->addWidget(capped);
  resize(640, 360);
}

void GameHistoryWindow::fitColumns() {
  QStringList names;
  if (const auto* record = model->record()) {
    for (const auto& p : record->players) names << peerText(p.name);
  }
  fitColumn(table, 0, {"9999"});
  fitColumn(table, 1, names, 160);
  for (int c = kFixedColumns; c < model->columnCount(); ++c) fitColumn(table, c, {"-9999"}, 140);
  table->horizontalHeader()->setSectionResizeMode(kMoveColumn, QHeaderView::Stretch);
}

void GameHistoryWindow::showRecord(const korvel::client::GameRecord& record) {
  if (isVisible() && !record.finished && interval_.isActive()) {
    held_ = &record;
    return;
  }
  held_ = nullptr;
  apply(record);
  // The next change within the interval waits for its end.
  if (isVisible() && !record.finished) interval_.start();
}

void GameHistoryWindow::flush() {
  if (!held_) return;
  const auto* record = held_;
  held_ = nullptr;
  apply(*record);
  interval_.start();
}

void GameHistoryWindow::apply(const korvel::client::GameRecord& record) {
  const int before = model->rowCount();
  model->sync(record);
  capped->setVisible(korvel::client::turnsCapped(record));
  if (model->rowCount() > before) table->scrollToBottom();
}

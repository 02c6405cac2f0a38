// The found games as a table, changed row by row so the selection and the scrolled place hold.
#include "dialogs/network_games_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <string>
#include <utility>

#include "net/game_browser.h"
#include "window/peer_text.h"

using korvel::net::FoundGame;
using korvel::net::GameState;

namespace {

bool sameGame(const FoundGame& a, const FoundGame& b) {
  return a.name == b.name && a.domain == b.domain;
}

}  // namespace

void NetworkGamesModel::setGames(const std::vector<FoundGame>& games) {
  if (games == games_) return;
  // Rows whose game is gone, from the bottom up.
  for (int row = rowCount() - 1; row >= 0; --row) {
    const FoundGame& old = games_[static_cast<std::size_t>(row)];
    if (std::any_of(games.begin(), games.end(),
                    [&](const FoundGame& g) { return sameGame(g, old); }))
      continue;
    beginRemoveRows({}, row, row);
    games_.erase(games_.begin() + row);
    endRemoveRows();
  }
  // Then each place in the new order: the game already there is updated; one further down moves
  // up into it; a new one is inserted. The rows above `row` are final.
  for (std::size_t i = 0; i < games.size(); ++i) {
    const int row = static_cast<int>(i);
    const auto at = std::find_if(games_.begin() + row, games_.end(),
                                 [&](const FoundGame& g) { return sameGame(g, games[i]); });
    if (at == games_.end()) {
      beginInsertRows({}, row, row);
      games_.insert(games_.begin() + row, games[i]);
      endInsertRows();
      continue;
    }
    const int from = static_cast<int>(at - games_.begin());
    if (from != row) {
      beginMoveRows({}, from, from, {}, row);
      FoundGame moved = std::move(*at);
      games_.erase(at);
      games_.insert(games_.begin() + row, std::move(moved));
      endMoveRows();
    }
    if (games_[i] != games[i]) {
      games_[i] = games[i];
      emit dataChanged(index(row, 0), index(row, kColumns - 1));
    }
  }
  // Left over only when a game was listed twice before.
  if (games_.size() > games.size()) {
    beginRemoveRows({}, static_cast<int>(games.size()), rowCount() - 1);
    games_.resize(games.size());
    endRemoveRows();
  }
}

int NetworkGamesModel::rowOf(const std::string& name, const std::string& domain) const {
  for (std::size_t i = 0; i < games_.size(); ++i) {
    if (games_[i].name == name && games_[i].domain == domain) return static_cast<int>(i);
  }
  return -1;
}

int NetworkGamesModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(games_.size());
}

int NetworkGamesModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumns;
}

QVariant NetworkGamesModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const FoundGame& g = games_[static_cast<std::size_t>(index.row())];
  if (role == Qt::TextAlignmentRole && index.column() >= PlayersColumn &&
      index.column() <= WatchersColumn)
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
  switch (index.column()) {
    case HostColumn:
      return peerText(g.game.host);
    case AddressColumn: {
      const QString address = QString::fromStdString(g.address);
      return (address.contains(':') ? "[" + address + "]" : address) + ":" +
             QString::number(g.port);
    }
    case PlayersColumn:
      return g.game.players;
    case WatchersColumn:
      return g.game.watchers;
    case StateColumn:
      return QString::fromStdString(korvel::net::gameStateText(g.game));
  }
  return {};
}

QVariant NetworkGamesModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case HostColumn:
      return tr("Host");
    case AddressColumn:
      return tr("Address");
    case PlayersColumn:
      return tr("Players");
    case WatchersColumn:
      return tr("Watchers");
    case StateColumn:
      return tr("State");
  }
  return {};
}

NetworkGamesView::NetworkGamesView(QWidget* parent, Source source)
    : QWidget(parent),
      model_(new NetworkGamesModel(this)),
      table_(new QTableView(this)),
      unavailable_(new QLabel(this)),
      empty_(new QLabel(this)),
      source_(source) {
  auto* heading = new QLabel(tr("&Games on this network:"), this);
  heading->setBuddy(table_);
  table_->setModel(model_);
  table_->setAccessibleName(tr("Games on this network"));
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setTabKeyNavigation(false);
  table_->verticalHeader()->hide();
  // The host's name takes what the other columns leave, so the State column is never pushed
  // out of sight behind a scroll bar at the window's own size.
  QHeaderView* header = table_->horizontalHeader();
  header->setSectionResizeMode(QHeaderView::ResizeToContents);
  header->setSectionResizeMode(NetworkGamesModel::HostColumn, QHeaderView::Stretch);
  table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  table_->installEventFilter(this);
  connect(table_, &QTableView::doubleClicked, this,
          [this](const QModelIndex& index) { joinRow(index.row()); });

  unavailable_->setTextFormat(Qt::PlainText);
  unavailable_->setWordWrap(true);
  unavailable_->setText(unavailableText());
  unavailable_->setAccessibleName(tr("Games on this network"));
  unavailable_->hide();
  // Until a game shows, a sentence instead of a blank table.
  empty_->setTextFormat(Qt::PlainText);
  empty_->setWordWrap(true);
  empty_->setText(QString::fromUtf8(korvel::net::kNoGamesText.data(),
                                    qsizetype(korvel::net::kNoGamesText.size())));
  empty_->setAccessibleName(tr("Games on this network"));
  table_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(heading);
  layout->addWidget(table_);
  layout->addWidget(empty_);
  layout->addWidget(unavailable_);
  setFocusProxy(table_);
}

void NetworkGamesView::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (source_ != Source::Live || browser_) return;
  browser_ = new GameBrowser(this);
  connect(browser_, &GameBrowser::changed, this, [this] {
    if (browser_->available()) showGames(browser_->games());
  });
  connect(browser_, &GameBrowser::availabilityChanged, this, [this](bool available) {
    if (available) {
      showGames(browser_->games());
    } else {
      showUnavailable();
    }
  });
}

QString NetworkGamesView::unavailableText() {
  return tr("Finding games on this network needs the Avahi service (avahi-daemon)");
}

void NetworkGamesView::showGames(const std::vector<FoundGame>& games) {
  // The selection follows its game by itself (the model moves rows, never resets). A scrolled
  // table keeps the game at its top there, so rows coming and going above do not shift the row
  // under the mouse; a table at its top stays at the top, where new games show.
  QScrollBar* scroll = table_->verticalScrollBar();
  const int topRow = scroll->value() > 0 ? table_->rowAt(0) : -1;
  std::optional<std::pair<std::string, std::string>> top;
  if (topRow >= 0 && topRow < model_->rowCount()) {
    const FoundGame& g = model_->games()[static_cast<std::size_t>(topRow)];
    top.emplace(g.name, g.domain);
  }
  model_->setGames(games);
  if (top) {
    const int row = model_->rowOf(top->first, top->second);
    if (row >= 0) {
      // The scroll range follows the new row count first, so that the place is not clamped.
      table_->doItemsLayout();
      table_->scrollTo(model_->index(row, 0), QAbstractItemView::PositionAtTop);
    }
  }
  unavailable_->hide();
  table_->setVisible(!games.empty());
  empty_->setVisible(games.empty());
}

void NetworkGamesView::showUnavailable() {
  model_->setGames({});
  table_->hide();
  empty_->hide();
  unavailable_->show();
}

bool NetworkGamesView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == table_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && table_->currentIndex().isValid()) {
      joinRow(table_->currentIndex().row());
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void NetworkGamesView::joinRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  const FoundGame& g = model_->games()[static_cast<std::size_t>(row)];
  emit joinRequested(QString::fromStdString(g.address), g.port);
}

// The found games as a table; the selection follows its game when rows come and go.
#include "net/network_games_view.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>
#include <optional>
#include <string>
#include <utility>

#include "net/game_browser.h"
#include "window/peer_text.h"

using korvel::net::FoundGame;
using korvel::net::GameState;

void NetworkGamesModel::setGames(const std::vector<FoundGame>& games) {
  if (games == games_) return;
  beginResetModel();
  games_ = games;
  endResetModel();
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
      return g.game.state == GameState::Running ? tr("Playing") : tr("Waiting for players");
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
      unavailable_(new QLabel(this)) {
  table_->setModel(model_);
  table_->setAccessibleName(tr("Games on this network"));
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setTabKeyNavigation(false);
  table_->verticalHeader()->hide();
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->horizontalHeader()->setSectionResizeMode(NetworkGamesModel::HostColumn,
                                                   QHeaderView::Stretch);
  table_->installEventFilter(this);
  connect(table_, &QTableView::doubleClicked, this,
          [this](const QModelIndex& index) { joinRow(index.row()); });

  unavailable_->setTextFormat(Qt::PlainText);
  unavailable_->setWordWrap(true);
  unavailable_->setText(unavailableText());
  unavailable_->setAccessibleName(tr("Games on this network"));
  unavailable_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(table_);
  layout->addWidget(unavailable_);
  setFocusProxy(table_);

  if (source == Source::Live) {
    browser_ = new GameBrowser(this);
    connect(browser_, &GameBrowser::changed, this, [this] { showGames(browser_->list().games()); });
    connect(browser_, &GameBrowser::availabilityChanged, this, [this](bool available) {
      if (available) {
        showGames(browser_->list().games());
      } else {
        showUnavailable();
      }
    });
  }
}

QString NetworkGamesView::unavailableText() {
  return tr("Finding games on this network needs the Avahi service (avahi-daemon)");
}

void NetworkGamesView::showGames(const std::vector<FoundGame>& games) {
  // The selected game stays selected wherever its row goes.
  const QModelIndex current = table_->currentIndex();
  std::optional<std::pair<std::string, std::string>> selected;
  if (current.isValid() && current.row() < model_->rowCount()) {
    const FoundGame& g = model_->games()[static_cast<std::size_t>(current.row())];
    selected.emplace(g.name, g.domain);
  }
  model_->setGames(games);
  if (selected) {
    for (int row = 0; row < model_->rowCount(); ++row) {
      const FoundGame& g = model_->games()[static_cast<std::size_t>(row)];
      if (std::make_pair(g.name, g.domain) == *selected) {
        table_->setCurrentIndex(model_->index(row, 0));
        break;
      }
    }
  }
  unavailable_->hide();
  table_->show();
}

void NetworkGamesView::showUnavailable() {
  model_->setGames({});
  table_->hide();
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

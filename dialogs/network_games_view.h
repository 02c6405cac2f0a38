#pragma once
// "Games on this network", under a heading of its own: a table of the games found by DNS-SD (host
// name, address, players, watchers, state), kept up to date as they come, change and go: only the
// rows that changed are inserted, updated, moved or removed, so the selection and the game at the
// top of a scrolled table stay where they are; while no game is found, one sentence says so
// instead. Double-click or Enter on a row asks to join that game. Without avahi-daemon the table
// gives way to one line saying what is missing. Every cell is plain text: host names come from the
// network.

#include <QAbstractTableModel>
#include <QWidget>
#include <vector>

#include "net/game_list.h"

class QLabel;
class QTableView;
class GameBrowser;

class NetworkGamesModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { HostColumn, AddressColumn, PlayersColumn, WatchersColumn, StateColumn, kColumns };

  using QAbstractTableModel::QAbstractTableModel;
  // Makes the rows `games`, changing only the rows that differ (a game is its service name and
  // domain): never a reset.
  void setGames(const std::vector<korvel::net::FoundGame>& games);
  // The row of the game with this service name and domain, or -1.
  int rowOf(const std::string& name, const std::string& domain) const;
  const std::vector<korvel::net::FoundGame>& games() const { return games_; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<korvel::net::FoundGame> games_;
};

class NetworkGamesView : public QWidget {
  Q_OBJECT
 public:
  // Live: the view browses the network itself, from the first time it is shown (a program that
  // never shows it never talks to Avahi). Fed: it shows what showGames() and showUnavailable()
  // give it (tests, or an owner with its own browser).
  enum class Source { Live, Fed };

  explicit NetworkGamesView(QWidget* parent = nullptr, Source source = Source::Live);

  void showGames(const std::vector<korvel::net::FoundGame>& games);
  // The one line in place of the table.
  void showUnavailable();

  // The line shown without avahi-daemon.
  static QString unavailableText();

  QTableView* table() const { return table_; }
  QLabel* unavailableLabel() const { return unavailable_; }
  // "No games found on this network yet.", in the table's place while it is empty.
  QLabel* emptyLabel() const { return empty_; }
  NetworkGamesModel* model() const { return model_; }

 signals:
  // Double-click or Enter on a game: its address (numeric, IPv6 without brackets) and port.
  void joinRequested(const QString& host, int port);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void joinRow(int row);

  NetworkGamesModel* model_;
  QTableView* table_;
  QLabel* unavailable_;
  QLabel* empty_;
  Source source_;
  GameBrowser* browser_ = nullptr;
};

#pragma once
// Finds the games published on the network: a service browser for `_korvel._tcp` in the default
// domain and resolvers for its sightings, whose answers (also later changes of the TXT record)
// feed a korvel::net::GameList. All of it runs on an AvahiThread; this object, on the GUI thread,
// only holds the latest rows and says when they change. How many sightings are resolved, and how
// fast, follows korvel::net::ResolvePlan. Without a daemon (or while the bus does not answer
// within kAnswerDeadlineMs) available() is false, and games are found once the daemon appears.

#include <QObject>
#include <QTimer>
#include <memory>
#include <vector>

#include "net/game_list.h"

class AvahiThread;
class BrowseWorker;

class GameBrowser : public QObject {
  Q_OBJECT
 public:
  explicit GameBrowser(QObject* parent = nullptr);
  ~GameBrowser() override;

  const std::vector<korvel::net::FoundGame>& games() const { return games_; }
  // False while avahi-daemon cannot be reached or has not answered yet in kAnswerDeadlineMs.
  bool available() const { return available_; }

  static constexpr int kAnswerDeadlineMs = 5000;

 signals:
  // games() changed.
  void changed();
  // available() changed.
  void availabilityChanged(bool available);

 private:
  void setAvailable(bool available);

  std::vector<korvel::net::FoundGame> games_;
  bool available_ = true;
  QTimer deadline_;
  std::unique_ptr<AvahiThread> thread_;
};

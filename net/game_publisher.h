#pragma once
// Publishes the game this program hosts for others as a DNS-SD service (`_korvel._tcp` on the
// game port, with the TXT record of net/game_record.h), through avahi-daemon. The owner says
// what to announce with publish() whenever it may have changed; only a change reaches the
// network. The service is withdrawn by withdraw() or when the publisher is destroyed. Without a
// daemon nothing is published and nothing fails; when the daemon appears later the game is
// published then. A name taken by another service is replaced by Avahi's alternative
// ("... #2"). The Avahi work runs on an AvahiThread: no call here waits for the daemon or the bus.

#include <QObject>
#include <memory>
#include <optional>
#include <string>

#include "net/game_record.h"

class AvahiThread;
class PublishWorker;

class GamePublisher : public QObject {
  Q_OBJECT
 public:
  explicit GamePublisher(QObject* parent = nullptr);
  ~GamePublisher() override;

  // Announces the game on `port` (1 to 65535) as `game` says; a repeat of what is published
  // does nothing. The service name follows the host name of the first call.
  void publish(int port, const korvel::net::GameAnnouncement& game);
  // Takes the service off the network.
  void withdraw();

  // The name the service is registered under now (after any collision), empty when none is.
  std::string serviceName() const { return serviceName_; }

 signals:
  // The service is registered on the network (again), under serviceName().
  void published();

 private:
  PublishWorker* worker_;
  std::unique_ptr<AvahiThread> thread_;
  std::optional<std::pair<int, korvel::net::GameAnnouncement>> sent_;
  std::string serviceName_;
};

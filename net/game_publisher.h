#pragma once
// Publishes the game this program hosts for others as a DNS-SD service (`_korvel._tcp` on the
// game port, with the TXT record of net/game_record.h), through avahi-daemon. The owner says
// what to announce with publish() whenever it may have changed; only a change reaches the
// network. The service is withdrawn by withdraw() or when the publisher is destroyed. Without a
// daemon nothing is published and nothing fails; when the daemon appears later the game is
// published then. A name taken by another service is replaced by Avahi's alternative
// ("... #2").

#include <QObject>
#include <optional>
#include <string>

#include "net/game_record.h"

class AvahiConnection;
struct AvahiEntryGroup;

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
  std::string serviceName() const { return established_ ? name_ : std::string(); }

 signals:
  // The service is registered on the network (again), under serviceName().
  void published();

 private:
  friend struct GamePublisherCallbacks;
  void groupState(AvahiEntryGroup* group, int state);
  void daemonReady();
  void daemonLost(bool clientGone);
  // Makes the entry group hold the current announcement: adds the service, or updates its TXT
  // record when only that changed.
  void apply();
  void resetGroup();
  void rename();

  AvahiConnection* connection_;
  AvahiEntryGroup* group_ = nullptr;
  std::string name_;
  int port_ = 0;
  std::optional<korvel::net::GameAnnouncement> wanted_;
  // What the group holds, when it holds anything.
  int groupPort_ = 0;
  std::optional<korvel::net::GameAnnouncement> inGroup_;
  bool established_ = false;
};

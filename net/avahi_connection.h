#pragma once
// One connection to avahi-daemon through Avahi's client library, on the event loop of the thread
// it is made on (an AvahiThread: making a client waits for the bus). Without a daemon (or without
// a system bus) nothing fails: the connection reports itself unavailable and tries again now and
// then, and becomes ready when the daemon appears. Only this adapter and its two users
// (GamePublisher, GameBrowser) include Avahi's headers.

#include <QObject>
#include <QTimer>
#include <memory>

#include "net/avahi_poll.h"

struct AvahiClient;

class AvahiConnection : public QObject {
  Q_OBJECT
 public:
  explicit AvahiConnection(QObject* parent = nullptr);
  ~AvahiConnection() override;

  // The client while the daemon runs and answers, else nullptr.
  AvahiClient* client() const { return running_ ? client_ : nullptr; }
  bool running() const { return running_; }

  // How long to wait before trying again when there is no system bus at all.
  static constexpr int kRetryMs = 10000;

 signals:
  // The daemon is there (again): users create their browsers and entry groups now.
  void ready();
  // The daemon is not running: it went away or cannot be reached (`clientGone`: whatever users
  // made with the client is freed with it, so they forget it), or it is renaming its host
  // (`clientGone` false: browsers go on, entry groups are reset and added again on ready()).
  void lost(bool clientGone);

 private:
  friend struct AvahiConnectionCallbacks;
  void clientState(AvahiClient* client, int state);
  void connectClient();
  void dropClient();
  void setRunning(bool running, bool clientGone = true);

  AvahiQtPoll poll_;
  AvahiClient* client_ = nullptr;
  bool running_ = false;
  bool constructing_ = false;
  QTimer retry_;
};

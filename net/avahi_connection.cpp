// The Avahi client's life: created with AVAHI_CLIENT_NO_FAIL, so that a missing daemon is a state
// to wait in rather than an error; made anew when the daemon goes away or the bus is missing.
#include "net/avahi_connection.h"

#include <avahi-client/client.h>
#include <avahi-common/error.h>

AvahiConnection::AvahiConnection(QObject* parent) : QObject(parent) {
  retry_.setSingleShot(true);
  retry_.setInterval(kRetryMs);
  connect(&retry_, &QTimer::timeout, this, &AvahiConnection::connectClient);
  // The first attempt runs from the event loop, once whoever made this has connected to it.
  QTimer::singleShot(0, this, &AvahiConnection::connectClient);
}

AvahiConnection::~AvahiConnection() {
  if (client_) avahi_client_free(client_);
}

struct AvahiConnectionCallbacks {
  static void state(AvahiClient* client, AvahiClientState state, void* userdata) {
    static_cast<AvahiConnection*>(userdata)->clientState(client, state);
  }
};

void AvahiConnection::clientState(AvahiClient* client, int state) {
  // The first call comes from inside avahi_client_new, before client_ is set.
  if (!client_) client_ = client;
  switch (static_cast<AvahiClientState>(state)) {
    case AVAHI_CLIENT_S_RUNNING:
      setRunning(true);
      break;
    case AVAHI_CLIENT_S_REGISTERING:
    case AVAHI_CLIENT_S_COLLISION:
      setRunning(false, false);
      break;
    case AVAHI_CLIENT_CONNECTING:
      setRunning(false);
      break;
    case AVAHI_CLIENT_FAILURE:
      // The daemon went away (or the bus did). A fresh client with NO_FAIL waits for it; made
      // from the event loop, since this client is freed first and we are inside its callback.
      setRunning(false);
      // A client that fails while being made is never returned; connectClient sees that.
      if (constructing_) break;
      QTimer::singleShot(0, this, [this] {
        dropClient();
        connectClient();
      });
      break;
  }
}

void AvahiConnection::connectClient() {
  if (client_) return;
  int error = 0;
  constructing_ = true;
  AvahiClient* made = avahi_client_new(poll_.poll(), AVAHI_CLIENT_NO_FAIL,
                                       AvahiConnectionCallbacks::state, this, &error);
  constructing_ = false;
  if (!made) {
    // No system bus: nothing to wait on but time.
    client_ = nullptr;
    setRunning(false);
    retry_.start();
    return;
  }
  client_ = made;
}

void AvahiConnection::dropClient() {
  if (!client_) return;
  avahi_client_free(client_);
  client_ = nullptr;
}

void AvahiConnection::setRunning(bool running, bool clientGone) {
  // Every failed attempt is told, the first one included (running_ starts false).
  if (running == running_ && running) return;
  running_ = running;
  if (running) {
    emit ready();
  } else {
    emit lost(clientGone);
  }
}

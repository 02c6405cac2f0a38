// Watches and timeouts for Avahi, made of QSocketNotifier and QTimer.
#include "net/avahi_poll.h"

#include <sys/time.h>

#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <climits>
#include <memory>

// Avahi declares these types opaque; their contents are the adapter's.
struct AvahiWatch {
  int fd = -1;
  AvahiWatchCallback callback = nullptr;
  void* userdata = nullptr;
  std::unique_ptr<QSocketNotifier> read;
  std::unique_ptr<QSocketNotifier> write;
  // What the running callback was called for (avahi asks while inside it).
  AvahiWatchEvent happened = static_cast<AvahiWatchEvent>(0);
  // Avahi often frees a watch from inside its callback; it is then deleted once that returns.
  bool firing = false;
  bool freed = false;
};

struct AvahiTimeout {
  QTimer timer;
  AvahiTimeoutCallback callback = nullptr;
  void* userdata = nullptr;
  bool firing = false;
  bool freed = false;
};

namespace {

void fire(AvahiWatch* w, AvahiWatchEvent event) {
  w->happened = event;
  w->firing = true;
  w->callback(w, w->fd, event, w->userdata);
  w->firing = false;
  if (w->freed) delete w;  // Qt allows a notifier to be deleted while it signals
}

void watchUpdate(AvahiWatch* w, AvahiWatchEvent events) {
  const bool wantRead = events & (AVAHI_WATCH_IN | AVAHI_WATCH_ERR | AVAHI_WATCH_HUP);
  const bool wantWrite = events & AVAHI_WATCH_OUT;
  if (wantRead && !w->read) {
    w->read = std::make_unique<QSocketNotifier>(w->fd, QSocketNotifier::Read);
    QObject::connect(w->read.get(), &QSocketNotifier::activated, [w] { fire(w, AVAHI_WATCH_IN); });
  }
  if (wantWrite && !w->write) {
    w->write = std::make_unique<QSocketNotifier>(w->fd, QSocketNotifier::Write);
    QObject::connect(w->write.get(), &QSocketNotifier::activated,
                     [w] { fire(w, AVAHI_WATCH_OUT); });
  }
  if (w->read) w->read->setEnabled(wantRead);
  if (w->write) w->write->setEnabled(wantWrite);
}

AvahiWatch* watchNew(const AvahiPoll*, int fd, AvahiWatchEvent events, AvahiWatchCallback callback,
                     void* userdata) {
  auto* w = new AvahiWatch;
  w->fd = fd;
  w->callback = callback;
  w->userdata = userdata;
  watchUpdate(w, events);
  return w;
}

AvahiWatchEvent watchGetEvents(AvahiWatch* w) {
  return w->happened;
}

void watchFree(AvahiWatch* w) {
  if (w->read) w->read->setEnabled(false);
  if (w->write) w->write->setEnabled(false);
  if (w->firing) {
    w->freed = true;
  } else {
    delete w;
  }
}

// Milliseconds from now until the wall-clock moment Avahi gives (0 when it has passed).
int msUntil(const struct timeval* tv) {
  struct timeval now;
  gettimeofday(&now, nullptr);
  const long long ms = (static_cast<long long>(tv->tv_sec) - now.tv_sec) * 1000 +
                       (static_cast<long long>(tv->tv_usec) - now.tv_usec) / 1000;
  if (ms <= 0) return 0;
  return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

void timeoutUpdate(AvahiTimeout* t, const struct timeval* tv) {
  if (!tv) {
    t->timer.stop();
    return;
  }
  t->timer.start(msUntil(tv));
}

AvahiTimeout* timeoutNew(const AvahiPoll*, const struct timeval* tv, AvahiTimeoutCallback callback,
                         void* userdata) {
  auto* t = new AvahiTimeout;
  t->callback = callback;
  t->userdata = userdata;
  t->timer.setSingleShot(true);
  QObject::connect(&t->timer, &QTimer::timeout, [t] {
    t->firing = true;
    t->callback(t, t->userdata);
    t->firing = false;
    if (t->freed) delete t;  // Qt allows a timer to be deleted while it signals
  });
  timeoutUpdate(t, tv);
  return t;
}

void timeoutFree(AvahiTimeout* t) {
  // Freed from its own callback as often as not: deleted once that returns.
  t->timer.stop();
  if (t->firing) {
    t->freed = true;
  } else {
    delete t;
  }
}

}  // namespace

AvahiQtPoll::AvahiQtPoll() {
  poll_.userdata = this;
  poll_.watch_new = watchNew;
  poll_.watch_update = watchUpdate;
  poll_.watch_get_events = watchGetEvents;
  poll_.watch_free = watchFree;
  poll_.timeout_new = timeoutNew;
  poll_.timeout_update = timeoutUpdate;
  poll_.timeout_free = timeoutFree;
}

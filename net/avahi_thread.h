#pragma once
// A thread of its own for one Avahi client. Avahi's client library talks to avahi-daemon over the
// system bus with calls that block until the bus answers (25 s when it hangs), so nothing of it
// runs on the GUI thread: a worker object lives on this thread with the client, the AvahiQtPoll
// (whose notifiers and timers then belong to this thread's event loop) and whatever it made.
// The owner sends it work with post() and hears from it through queued signals. Ending is
// bounded: the worker is deleted on its thread and the thread stops; when it does not stop within
// kStopWaitMs (a bus call hangs), it is left to finish on its own and the program goes on. While
// one is left so, the bus is taken to hang for all: others get kStopWaitStuckMs, so that ending
// with both a browser and a publisher waits about a second, not one each.

#include <QObject>
#include <QString>
#include <functional>

class QThread;

class AvahiThread {
 public:
  static constexpr int kStopWaitMs = 1000;
  static constexpr int kStopWaitStuckMs = 100;

  // Starts the thread and moves `worker` (without a parent) onto it; the thread owns it now.
  AvahiThread(const QString& name, QObject* worker);
  ~AvahiThread();
  AvahiThread(const AvahiThread&) = delete;
  AvahiThread& operator=(const AvahiThread&) = delete;

  // Runs `work` on the thread, after what was posted before; never waits.
  void post(std::function<void()> work);

 private:
  QThread* thread_;
  QObject* worker_;
};

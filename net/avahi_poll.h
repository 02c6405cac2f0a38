#pragma once
// Avahi's main-loop interface (AvahiPoll) on Qt's event loop: a file descriptor watch is a pair
// of QSocketNotifiers, a timeout a single-shot QTimer. Avahi's callbacks therefore run on the
// thread whose loop made them (an AvahiThread, never the GUI thread), between its other events.

#include <avahi-common/watch.h>

class AvahiQtPoll {
 public:
  AvahiQtPoll();
  ~AvahiQtPoll() = default;
  AvahiQtPoll(const AvahiQtPoll&) = delete;
  AvahiQtPoll& operator=(const AvahiQtPoll&) = delete;

  const AvahiPoll* poll() const { return &poll_; }

 private:
  AvahiPoll poll_;
};

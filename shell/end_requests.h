#pragma once
// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C in the terminal, `kill`) end the program through
// its event loop, so that it tidies up as when the window closes: the router's port mapping is
// removed, the game's connections are closed. The signal handler only writes to a pipe; the
// loop reads it here.

#include <QObject>
#include <QSocketNotifier>
#include <memory>

class EndRequests : public QObject {
  Q_OBJECT
 public:
  EndRequests();
  ~EndRequests() override;

 signals:
  // The signal's number.
  void requested(int sig);

 private:
  int fds_[2] = {-1, -1};
  std::unique_ptr<QSocketNotifier> notifier_;
};

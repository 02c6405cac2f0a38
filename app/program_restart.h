#pragma once
// Starting the program again with the same command line, for a change that only takes effect at
// start-up (Options, "Zoom"). The new copy starts when this object is destroyed: declared right
// after the application object, that is after the windows, the server's port, the lobby link
// and the single-instance guard are gone, so the new copy can take them all.

#include <QByteArray>
#include <QStringList>

class ProgramRestart {
 public:
  // arguments: the game's own command line; userScaleFactor: QT_SCALE_FACTOR as the user's
  // environment had it before the program set its zoom (the new copy sets its own).
  ProgramRestart(QStringList arguments, QByteArray userScaleFactor, bool userSetScaleFactor);
  ~ProgramRestart();
  ProgramRestart(const ProgramRestart&) = delete;
  ProgramRestart& operator=(const ProgramRestart&) = delete;

  void request() { requested_ = true; }
  // Starts the new copy with another command line (the Play with Others window's host and
  // join), reaching the game on gamePort (KORVEL_PORT for the new copy). ownPort, the port this
  // user's own games use, goes along as KORVEL_OWN_PORT, so that a copy started to join a game
  // on another port still hosts, and reads addresses without a port, on the user's own.
  void request(QStringList arguments, int gamePort, int ownPort) {
    arguments_ = std::move(arguments);
    gamePort_ = gamePort;
    ownPort_ = ownPort;
    requested_ = true;
  }
  bool requested() const { return requested_; }
  const QStringList& arguments() const { return arguments_; }

 private:
  QStringList arguments_;
  QByteArray userScaleFactor_;
  bool userSetScaleFactor_;
  bool requested_ = false;
  int gamePort_ = 0;  // 0: the port this copy was given
  int ownPort_ = 0;
};

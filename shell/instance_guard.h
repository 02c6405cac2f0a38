#pragma once
// Keeps a second copy of the game from running in the same runtime directory. The first copy
// listens on a local socket named "77nouq" there; a later copy connects, asks it to come to the
// front ("activate") and ends. A socket file left behind by a copy that crashed answers nobody
// and is removed, so it never stops the next start; a socket whose copy is alive but did not
// answer in time is never taken over. Another $XDG_RUNTIME_DIR is another scope.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

#include "app/handoff_limits.h"
#include "app/runtime_folder.h"

class QLocalSocket;

class InstanceGuard : public QObject {
  Q_OBJECT
 public:
  explicit InstanceGuard(const QString& runtimeDir, QObject* parent = nullptr);
  ~InstanceGuard() override;

  // True when this copy runs: it holds the guard now, or nobody could be asked and the guard
  // could not be taken (problem() says why). False when another copy runs; it has been asked to
  // come to the front, and given the invitation link when there is one (a `korvel://` link
  // clicked while the game runs).
  bool acquire(const QString& invitation = {});
  // Why this copy runs without holding the guard; empty when it holds it.
  QString problem() const { return problem_; }
  bool listening() const { return server_.isListening(); }

  // The runtime folder of this process, decided once (korvel::app::runtimeFolder): the path, and
  // why the usual folder was refused when it was.
  static const korvel::app::RuntimeFolder& runtimeFolder();
  static QString runtimeDirectory();

  // Milliseconds of a steady clock (tests give their own).
  std::function<qint64()> clock;
  // The timer's handler: closes the hand-off connections that had their time without finishing.
  void closeQuietPeers();
  // The hand-off connections open now.
  std::size_t openPeers() const { return limits_.open(); }

 signals:
  // Another copy asked this one to show its main window.
  void activateRequested();
  // Another copy was started for an invitation link.
  void invitationRequested(const QString& link);

 private:
  struct Peer;
  void takeRequest();

  QString path_;
  QLocalServer server_;
  QString problem_;
  korvel::app::HandoffLimits limits_;
  std::map<int, std::shared_ptr<Peer>> peers_;
  QTimer quietTimer_;
};

// The "korvel" marker that tells other programs the game is running: a lock file in the runtime
// directory, held until the process ends. Nothing in the program reads it.
class RunningMarker {
 public:
  explicit RunningMarker(const QString& runtimeDir);
  bool held() const { return held_; }

 private:
  std::unique_ptr<QLockFile> lock_;
  bool held_ = false;
};

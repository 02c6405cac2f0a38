#pragma once
// Keeps a second copy of the game from running in the same runtime directory. The first copy
// listens on a local socket named "77nouq" there; a later copy connects, asks it to come to the
// front ("activate") and ends. A socket file left behind by a copy that crashed answers nobody
// and is removed, so it never stops the next start. Another $XDG_RUNTIME_DIR is another scope.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class InstanceGuard : public QObject {
  Q_OBJECT
 public:
  explicit InstanceGuard(const QString& runtimeDir, QObject* parent = nullptr);

  // True when this is the first copy, which now holds the guard. False when another copy runs; it
  // has been asked to come to the front, and given the invitation link when there is one (a
  // `korvel://` link clicked while the game runs).
  bool acquire(const QString& invitation = {});

  // $XDG_RUNTIME_DIR, or the temporary directory when it is not set.
  static QString runtimeDirectory();

 signals:
  // Another copy asked this one to show its main window.
  void activateRequested();
  // Another copy was started for an invitation link.
  void invitationRequested(const QString& link);

 private:
  void takeRequest();

  QString path_;
  QLocalServer server_;
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

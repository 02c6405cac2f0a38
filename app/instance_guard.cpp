#include "app/instance_guard.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
constexpr int kHandshakeMs = 1000;
const QByteArray kActivate = "activate";
}  // namespace

InstanceGuard::InstanceGuard(const QString& runtimeDir, QObject* parent)
    : QObject(parent), path_(QDir(runtimeDir).filePath("77nouq")) {
  connect(&server_, &QLocalServer::newConnection, this, &InstanceGuard::takeRequest);
}

QString InstanceGuard::runtimeDirectory() {
  const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
  return xdg.isEmpty() ? QDir::tempPath() : xdg;
}

bool InstanceGuard::acquire() {
  for (int attempt = 0; attempt < 2; ++attempt) {
    QLocalSocket other;
    other.connectToServer(path_);
    if (other.waitForConnected(kHandshakeMs)) {
      other.write(kActivate);
      other.waitForBytesWritten(kHandshakeMs);
      other.disconnectFromServer();
      return false;
    }
    // Nobody answers: the name is free or left behind by a copy that crashed.
    QLocalServer::removeServer(path_);
    if (server_.listen(path_)) return true;
    // Another copy may have started listening at the same moment; ask again once.
  }
  // The guard cannot be set up: run as the first copy.
  return true;
}

void InstanceGuard::takeRequest() {
  while (QLocalSocket* peer = server_.nextPendingConnection()) {
    connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
    connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
      if (peer->readAll().contains(kActivate)) emit activateRequested();
    });
  }
}

RunningMarker::RunningMarker(const QString& runtimeDir)
    : lock_(std::make_unique<QLockFile>(QDir(runtimeDir).filePath("korvel"))) {
  // A marker left by a crashed copy is taken over (QLockFile recognises a dead owner's lock).
  held_ = lock_->tryLock(0);
}

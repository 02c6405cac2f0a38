#include "shell/instance_guard.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <memory>

namespace {
constexpr int kHandshakeMs = 1000;
const QByteArray kActivate = "activate";
// An invitation link follows "activate" on a line of its own; a longer request is not one.
constexpr qsizetype kMaxRequest = 4096;
}  // namespace

InstanceGuard::InstanceGuard(const QString& runtimeDir, QObject* parent)
    : QObject(parent), path_(QDir(runtimeDir).filePath("77nouq")) {
  connect(&server_, &QLocalServer::newConnection, this, &InstanceGuard::takeRequest);
}

QString InstanceGuard::runtimeDirectory() {
  const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
  return xdg.isEmpty() ? QDir::tempPath() : xdg;
}

bool InstanceGuard::acquire(const QString& invitation) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    QLocalSocket other;
    other.connectToServer(path_);
    if (other.waitForConnected(kHandshakeMs)) {
      other.write(invitation.isEmpty() ? kActivate : kActivate + '\n' + invitation.toUtf8());
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
    auto request = std::make_shared<QByteArray>();
    connect(peer, &QLocalSocket::readyRead, this, [this, peer, request] {
      const QByteArray chunk = peer->readAll();
      if (request->size() < kMaxRequest) *request += chunk.left(kMaxRequest);
      if (chunk.contains(kActivate)) emit activateRequested();
    });
    // The whole request is there once the other copy has gone.
    connect(peer, &QLocalSocket::disconnected, this, [this, request] {
      const QByteArray start = kActivate + '\n';
      if (!request->startsWith(start) || request->size() >= kMaxRequest) return;
      const QString link = QString::fromUtf8(request->mid(start.size()));
      if (!link.isEmpty()) emit invitationRequested(link);
    });
  }
}

RunningMarker::RunningMarker(const QString& runtimeDir)
    : lock_(std::make_unique<QLockFile>(QDir(runtimeDir).filePath("korvel"))) {
  // A marker left by a crashed copy is taken over (QLockFile recognises a dead owner's lock).
  held_ = lock_->tryLock(0);
}

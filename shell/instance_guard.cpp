#include "shell/instance_guard.h"

#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalSocket>
#include <QPointer>
#include <cstdlib>

namespace {
constexpr int kHandshakeMs = 1000;
const QByteArray kActivate = "activate";
// An invitation link follows "activate" on a line of its own; a longer request is not one.
constexpr qsizetype kMaxRequest = 4096;
// How often connections that stay too long are looked for.
constexpr int kQuietCheckMs = 250;

korvel::app::HandoffConnectFailure failureOf(const QLocalSocket& socket) {
  using korvel::app::HandoffConnectFailure;
  // Still connecting: the first copy has not accepted within the handshake time.
  if (socket.state() == QLocalSocket::ConnectingState) return HandoffConnectFailure::NoAnswer;
  switch (socket.error()) {
    case QLocalSocket::ServerNotFoundError:
      return HandoffConnectFailure::NoSocket;
    case QLocalSocket::ConnectionRefusedError:
      return HandoffConnectFailure::Refused;
    case QLocalSocket::SocketTimeoutError:
      return HandoffConnectFailure::NoAnswer;
    case QLocalSocket::SocketResourceError:
      return HandoffConnectFailure::NoResources;
    default:
      return HandoffConnectFailure::Other;
  }
}

}  // namespace

// One hand-off connection: what it has said so far, and whether it was closed for staying.
struct InstanceGuard::Peer {
  QPointer<QLocalSocket> socket;
  QByteArray request;
  bool dropped = false;
};

InstanceGuard::~InstanceGuard() {
  // The server's connections from other copies go with it, after this object's own members:
  // their last signals must not reach the limits and peers that are gone by then.
  for (QLocalSocket* socket : server_.findChildren<QLocalSocket*>()) socket->disconnect(this);
  for (QLocalSocket* socket : findChildren<QLocalSocket*>()) socket->disconnect(this);
}

InstanceGuard::InstanceGuard(const QString& runtimeDir, QObject* parent)
    : QObject(parent),
      path_(runtimeDir.isEmpty() ? QString() : QDir(runtimeDir).filePath("77nouq")) {
  clock = [] {
    static QElapsedTimer started;
    if (!started.isValid()) started.start();
    return started.elapsed();
  };
  connect(&server_, &QLocalServer::newConnection, this, &InstanceGuard::takeRequest);
  quietTimer_.setInterval(kQuietCheckMs);
  connect(&quietTimer_, &QTimer::timeout, this, &InstanceGuard::closeQuietPeers);
}

const korvel::app::RuntimeFolder& InstanceGuard::runtimeFolder() {
  // A folder made for this process alone (the usual one was refused) goes with it: by the time
  // statics end, the guard's socket and the marker in it are gone, and rmdir takes only an empty
  // folder.
  struct Decided {
    korvel::app::RuntimeFolder folder;
    ~Decided() {
      if (!folder.problem.empty() && !folder.path.empty()) ::rmdir(folder.path.c_str());
    }
  };
  static const Decided decided{
      korvel::app::runtimeFolder(std::getenv("XDG_RUNTIME_DIR"),
                                 QFile::encodeName(QDir::tempPath()).toStdString(), ::getuid())};
  return decided.folder;
}

QString InstanceGuard::runtimeDirectory() {
  return QFile::decodeName(QByteArray::fromStdString(runtimeFolder().path));
}

bool InstanceGuard::acquire(const QString& invitation) {
  // Without a folder of this user's own there is no name that others cannot take first.
  if (path_.isEmpty()) {
    problem_ = "there is no private folder for the guard; this copy runs on its own";
    return true;
  }
  for (int attempt = 0; attempt < 2; ++attempt) {
    QLocalSocket other;
    other.connectToServer(path_);
    if (other.waitForConnected(kHandshakeMs)) {
      other.write(invitation.isEmpty() ? kActivate : kActivate + '\n' + invitation.toUtf8());
      other.waitForBytesWritten(kHandshakeMs);
      other.disconnectFromServer();
      return false;
    }
    // Only a name that nobody listens on is taken: the file is missing or left by a copy that
    // crashed. A live copy that is slow to answer keeps its socket.
    if (!korvel::app::mayTakeOverSocket(failureOf(other))) {
      problem_ = "the copy listening at " + path_ + " did not answer (" + other.errorString() +
                 "); this copy runs on its own";
      return true;
    }
    QLocalServer::removeServer(path_);
    if (server_.listen(path_)) return true;
    // Another copy may have started listening at the same moment; ask again once.
  }
  problem_ = "the guard " + path_ + " could not be set up (" + server_.errorString() +
             "); this copy runs on its own";
  return true;
}

void InstanceGuard::takeRequest() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    const auto admitted = limits_.admit(clock());
    if (!admitted) {
      // Enough copies are talking already: this one is closed before it holds anything.
      socket->abort();
      socket->deleteLater();
      continue;
    }
    const int id = *admitted;
    auto peer = std::make_shared<Peer>();
    peer->socket = socket;
    peers_[id] = peer;
    quietTimer_.start();
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, peer] {
      const QByteArray chunk = socket->readAll();
      if (peer->dropped) return;
      if (peer->request.size() < kMaxRequest) peer->request += chunk.left(kMaxRequest);
      if (chunk.contains(kActivate)) emit activateRequested();
    });
    // The whole request is there once the other copy has gone.
    connect(socket, &QLocalSocket::disconnected, this, [this, id, peer] {
      limits_.finished(id);
      peers_.erase(id);
      if (peers_.empty()) quietTimer_.stop();
      if (peer->dropped) return;
      const QByteArray start = kActivate + '\n';
      if (!peer->request.startsWith(start) || peer->request.size() >= kMaxRequest) return;
      const QString link = QString::fromUtf8(peer->request.mid(start.size()));
      if (!link.isEmpty()) emit invitationRequested(link);
    });
  }
}

void InstanceGuard::closeQuietPeers() {
  for (const int id : limits_.overdue(clock())) {
    const auto it = peers_.find(id);
    if (it == peers_.end()) continue;
    const std::shared_ptr<Peer> peer = it->second;
    peers_.erase(it);
    peer->dropped = true;
    if (peer->socket) {
      peer->socket->abort();
      peer->socket->deleteLater();
    }
  }
  if (peers_.empty()) quietTimer_.stop();
}

RunningMarker::RunningMarker(const QString& runtimeDir) {
  if (runtimeDir.isEmpty()) return;  // no private folder: no marker, rather than a shared one
  lock_ = std::make_unique<QLockFile>(QDir(runtimeDir).filePath("korvel"));
  // A marker left by a crashed copy is taken over (QLockFile recognises a dead owner's lock).
  held_ = lock_->tryLock(0);
}

#include "protocol/tsock.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QAbstractSocket>
#include <QCoreApplication>
#include <QHostInfo>
#include <QMetaEnum>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>
#include <utility>
#include <vector>

#include "app/failure_text.h"

namespace {

// One read event takes at most this much from the network; Qt's read buffer is capped to it.
constexpr qint64 kReadChunk = 32768;
// Qt's write buffer is given at most this much of the outgoing text at a time, so a backlog is
// held once, in the outgoing text, and not a second time in Qt.
constexpr std::size_t kHandChunk = 65536;
// How long a closed connection may keep trying to deliver what the system took.
constexpr int kLingerMs = 60000;

const std::string kIncomingData = "Non-Blocking Incoming Data";
const std::string kOutgoingData = "Non-Blocking Outgoing Data";
const std::string kHostLookupFailed = "Host Lookup - Could Not Find Host Entry";
const std::string kPortLookupFailed = "Port Lookup - Could Not Find Service Entry";

// Qt objects that TSock lets go of may still be inside one of their own signals (a handler closed
// or destroyed its TSock from OnRead, say). They are deleted only once no TSock event is running,
// and then through deleteLater, so the emitting frames have unwound first. Counting the depth also
// covers a modal message box shown inside an event, whose nested loop would otherwise run the
// deferred deletion underneath the frame.
int eventDepth = 0;

std::vector<QPointer<QObject>>& graveyard() {
  static std::vector<QPointer<QObject>> dead;
  return dead;
}

void bury(QObject* object) {
  if (eventDepth > 0) {
    graveyard().emplace_back(object);
  } else {
    object->deleteLater();
  }
}

class EventScope {
 public:
  EventScope() { ++eventDepth; }
  ~EventScope() {
    if (--eventDepth == 0) {
      auto dead = std::exchange(graveyard(), {});
      for (const QPointer<QObject>& object : dead) {
        if (object) object->deleteLater();
      }
    }
  }
  EventScope(const EventScope&) = delete;
  EventScope& operator=(const EventScope&) = delete;
};

ErrorReporter& errorReporter() {
  static ErrorReporter reporter;
  return reporter;
}

void showError(const std::string& text) {
  reportError(text);
}

std::string errorText(int code) {
  const char* name = QMetaEnum::fromType<QAbstractSocket::SocketError>().valueToKey(code);
  return "Error #" + std::to_string(code) + " (" + (name ? name : "UNKNOWN ERROR") + ")";
}

// Reads and drops what the peer sent and nobody will read: closing a socket with unread input
// makes the kernel reset the connection, which throws away the bytes still on their way out.
void discardInput(int fd) {
  if (fd < 0) return;
  std::array<char, 4096> scratch;
  for (int round = 0; round < 1024; ++round) {
    if (::recv(fd, scratch.data(), scratch.size(), MSG_DONTWAIT) <= 0) break;
  }
}

void finishSocket(QTcpSocket* socket, int watchFd) {
  discardInput(watchFd >= 0 ? watchFd : int(socket->socketDescriptor()));
  socket->abort();
  if (watchFd >= 0) ::close(watchFd);
  bury(socket);
}

// Ends a connection TSock no longer uses. Bytes already in the kernel go out on their own after
// the close; bytes Qt still holds are first given time to leave.
void retireSocket(QTcpSocket* socket, QObject* owner, int watchFd) {
  socket->disconnect(owner);
  socket->setParent(QCoreApplication::instance());
  if (socket->state() != QAbstractSocket::ConnectedState || socket->bytesToWrite() == 0) {
    finishSocket(socket, watchFd);
    return;
  }
  // Qt's descriptor keeps the connection open while it drains.
  if (watchFd >= 0) ::close(watchFd);
  auto finishLater = [socket] {
    QMetaObject::invokeMethod(
        socket, [socket] { finishSocket(socket, -1); }, Qt::QueuedConnection);
  };
  QObject::connect(socket, &QAbstractSocket::bytesWritten, socket, [socket, finishLater] {
    if (socket->bytesToWrite() == 0) finishLater();
  });
  QObject::connect(socket, &QAbstractSocket::errorOccurred, socket, finishLater);
  QTimer::singleShot(kLingerMs, socket, finishLater);
}

// Messages are small and each one matters at once: a message is not held back until the peer
// has acknowledged the one before (which, with the peer's delayed acknowledgement, kept a line
// waiting some 40 ms behind a steady stream of others).
void sendPromptly(QTcpSocket* socket) {
  socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
}

// A peer that vanished without closing (a laptop lid, a dropped Wi-Fi) would otherwise leave the
// connection open for hours: probes after 15 idle seconds, every 5 seconds, and three unanswered
// ones end it as closed, some 30 seconds after the peer went quiet. The game sends nothing new
// for it; the probes are TCP's own.
void keepAlive(QTcpSocket* socket) {
  const int fd = int(socket->socketDescriptor());
  if (fd < 0) return;
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &TSock::kKeepIdleSeconds,
               sizeof TSock::kKeepIdleSeconds);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &TSock::kKeepIntervalSeconds,
               sizeof TSock::kKeepIntervalSeconds);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &TSock::kKeepCount, sizeof TSock::kKeepCount);
}

TSock::HostResolver& hostResolver() {
  static TSock::HostResolver resolver;
  return resolver;
}

std::map<std::string, QHostAddress>& hostCache() {
  static std::map<std::string, QHostAddress> cache;
  return cache;
}

bool startsWithDigit(const std::string& text) {
  return !text.empty() && std::isdigit(static_cast<unsigned char>(text.front()));
}

quint16 lookupPort(const std::string& name) {
  if (startsWithDigit(name)) {
    unsigned value = 0;
    const char* end = name.data() + name.size();
    const auto [stop, error] = std::from_chars(name.data(), end, value);
    if (error == std::errc() && stop == end && value <= 65535) return quint16(value);
    throw ESockError(kPortLookupFailed);
  }
  servent entry{};
  servent* found = nullptr;
  std::array<char, 1024> scratch{};
  if (::getservbyname_r(name.c_str(), "tcp", &entry, scratch.data(), scratch.size(), &found) != 0 ||
      found == nullptr) {
    throw ESockError(kPortLookupFailed);
  }
  return ntohs(quint16(found->s_port));
}

QHostAddress lookupHost(const std::string& name) {
  if (startsWithDigit(name)) {
    // Read as a dotted address, never looked up. Like the classic inet_addr(), text that is not
    // one ("127.0.0.1.5", "300.1.2.3") gives INADDR_NONE, 255.255.255.255, whose connect then
    // fails like any other unreachable host (kind 7) instead of failing the open.
    QHostAddress address;
    if (!address.setAddress(QString::fromStdString(name)) ||
        address.protocol() != QAbstractSocket::IPv4Protocol) {
      return QHostAddress(quint32(INADDR_NONE));
    }
    return address;
  }
  auto& cache = hostCache();
  if (auto hit = cache.find(name); hit != cache.end()) return hit->second;
  const QString qname = QString::fromStdString(name);
  const QList<QHostAddress> found =
      hostResolver() ? hostResolver()(qname) : QHostInfo::fromName(qname).addresses();
  // The protocol is IPv4 throughout: the listener binds 0.0.0.0 and peers are shown dotted.
  for (const QHostAddress& address : found) {
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
      cache.emplace(name, address);
      return address;
    }
  }
  throw ESockError(kHostLookupFailed);
}

}  // namespace

// Qt accepts every waiting connection at once; the descriptors wait here until the program's
// OnAccept handler takes them with accept().
class TSock::Server : public QTcpServer {
 public:
  using QTcpServer::QTcpServer;
  std::function<void(qintptr)> incoming;

 protected:
  void incomingConnection(qintptr descriptor) override {
    if (incoming) {
      incoming(descriptor);
    } else {
      ::close(int(descriptor));
    }
  }
};

TSock::TSock(QObject* parent) : QObject(parent) {}

TSock::~TSock() {
  handRest();
  // Detaching the Qt objects first means none of their signals reaches a handler from here on.
  releaseSocket();
  releaseServer();
}

void TSock::setHostResolver(HostResolver resolver) {
  hostResolver() = std::move(resolver);
}

void TSock::clearHostCache() {
  hostCache().clear();
}

template <typename F>
void TSock::guarded(F&& f) {
  try {
    f();
  } catch (const ESockError& error) {
    showError(error.what());
  } catch (const std::exception& error) {
    // Not the socket's own error: say what failed in words, not the library's type name.
    showError(korvel::app::failureText("A network event could not be handled", error));
  } catch (...) {
    showError(korvel::app::failureText("A network event could not be handled"));
  }
}

void TSock::raiseInfo(int kind, const std::string& msg) {
  // A copy, so that a handler may reassign OnInfo or destroy this socket while it runs.
  const TNotifyInfoEvent handler = OnInfo;
  if (!handler) return;
  try {
    handler(this, kind, msg);
  } catch (...) {
    throw ESockError("Error here");
  }
}

bool TSock::current(const QPointer<QTcpSocket>& socket) const {
  return socket && socket.data() == socket_.data();
}

bool TSock::open() {
  if (state_ != State::NoHandle) return connected();
  QPointer<TSock> self(this);
  raiseInfo(0, "Lookup Of Port " + PortName);
  if (!self || state_ != State::NoHandle) return self && connected();
  const quint16 port = lookupPort(PortName);
  QHostAddress address(QHostAddress::AnyIPv4);
  if (!HostName.empty()) {
    raiseInfo(0, "Lookup Of Host " + HostName);
    if (!self || state_ != State::NoHandle) return self && connected();
    address = lookupHost(HostName);
  }
  auto* socket = new QTcpSocket(this);
  socket->setReadBufferSize(kReadChunk);
  wire(socket);
  socket_ = socket;
  state_ = State::Connecting;
  // Bound before connecting, so that the local port is known from the start: a server in this
  // same process tells its own client's connection by it.
  socket->bind(address.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress::AnyIPv6
                                                                   : QHostAddress::AnyIPv4);
  opening_ = true;
  socket->connectToHost(address, port);
  opening_ = false;
  return connected();
}

void TSock::wire(QTcpSocket* socket) {
  const QPointer<QTcpSocket> guard(socket);
  connect(socket, &QAbstractSocket::connected, this, [this, guard] {
    if (!current(guard)) return;
    if (opening_) {
      // Connected before open() returned: the event still comes from the event loop.
      QMetaObject::invokeMethod(
          this,
          [this, guard] {
            if (current(guard)) onConnected();
          },
          Qt::QueuedConnection);
      return;
    }
    onConnected();
  });
  connect(socket, &QAbstractSocket::errorOccurred, this,
          [this, guard](QAbstractSocket::SocketError error) {
            if (current(guard)) noteEnded(int(error));
          });
  connect(socket, &QAbstractSocket::disconnected, this, [this, guard] {
    if (current(guard) && state_ == State::Connected) {
      noteEnded(QAbstractSocket::RemoteHostClosedError);
    }
  });
  connect(socket, &QIODevice::readyRead, this, [this, guard] {
    if (current(guard)) onReadyRead();
  });
  connect(socket, &QIODevice::bytesWritten, this, [this, guard] {
    if (current(guard)) onBytesWritten();
  });
}

void TSock::adoptConnected(QTcpSocket* socket) {
  socket->setParent(this);
  socket->setReadBufferSize(kReadChunk);
  sendPromptly(socket);
  keepAlive(socket);
  wire(socket);
  socket_ = socket;
  state_ = State::Connected;
  watchFd_ = ::fcntl(int(socket->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
  postWriteEvent();
}

void TSock::onConnected() {
  if (state_ != State::Connecting) return;
  state_ = State::Connected;
  watchFd_ = ::fcntl(int(socket_->socketDescriptor()), F_DUPFD_CLOEXEC, 0);
  sendPromptly(socket_);
  keepAlive(socket_);
  EventScope scope;
  QPointer<TSock> self(this);
  guarded([&] {
    raiseInfo(1, "Non-Blocking Socket Connected");
    if (!self) return;
    if (const TNotifyEvent handler = OnConnect) handler(this);
  });
  if (!self || state_ != State::Connected) return;
  postWriteEvent();
  // Anything that arrived before the connection was reported is read now.
  if (socket_ && socket_->bytesAvailable() > 0) postRead();
}

void TSock::onConnectFailed(int error) {
  if (state_ != State::Connecting) return;
  EventScope scope;
  guarded([&] { raiseInfo(7, errorText(error)); });
}

void TSock::onReadyRead() {
  if (state_ != State::Connected || !socket_) return;
  EventScope scope;
  QPointer<TSock> self(this);
  const QPointer<QTcpSocket> socket = socket_;
  const std::size_t before = incoming_.size();
  incoming_.resize(before + std::size_t(kReadChunk));
  const qint64 got = socket->read(incoming_.data() + before, kReadChunk);
  incoming_.resize(before + std::size_t(got > 0 ? got : 0));
  guarded([&] {
    raiseInfo(4, kIncomingData);
    if (!self) return;
    if (const TNotifyReadEvent handler = OnRead) handler(this, int(incoming_.size()));
  });
  // Qt does not repeat readyRead for bytes that came in while a handler ran a nested event loop
  // (a modal box): fetch them with another read event.
  if (self && current(socket) && state_ == State::Connected && socket->bytesAvailable() > 0) {
    postRead();
  }
}

void TSock::postRead() {
  const QPointer<QTcpSocket> guard = socket_;
  QMetaObject::invokeMethod(
      this,
      [this, guard] {
        if (current(guard)) onReadyRead();
      },
      Qt::QueuedConnection);
}

void TSock::onBytesWritten() {
  syncWritten();
  // Qt has room again: the next part of the backlog follows without waiting for a write event.
  if (!handing_ && handed_ < outgoing_.size() && state_ == State::Connected) handOver();
  if (writeBlocked_ && handed_ == 0 && state_ == State::Connected) {
    writeBlocked_ = false;
    postWriteEvent();
  }
}

void TSock::noteEnded(int error) {
  if (ending_) return;
  const QPointer<QTcpSocket> guard = socket_;
  if (state_ == State::Connecting) {
    ending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this, guard, error] {
          if (current(guard)) onConnectFailed(error);
        },
        Qt::QueuedConnection);
    return;
  }
  if (state_ != State::Connected) return;
  ending_ = true;
  endError_ = error;
  // Told apart now, while the second descriptor still holds the connection in its end state.
  endReset_ = error == QAbstractSocket::RemoteHostClosedError && peerReset();
  QMetaObject::invokeMethod(
      this,
      [this, guard] {
        if (current(guard)) finishEnded();
      },
      Qt::QueuedConnection);
}

bool TSock::peerReset() const {
  if (watchFd_ < 0) return false;
  tcp_info info{};
  socklen_t length = sizeof info;
  if (::getsockopt(watchFd_, IPPROTO_TCP, TCP_INFO, &info, &length) != 0) return false;
  // An orderly end leaves our side in CLOSE_WAIT (we have not closed yet); a reset in CLOSE.
  return info.tcpi_state == TCP_CLOSE;
}

void TSock::finishEnded() {
  if (!ending_ || state_ != State::Connected) return;
  EventScope scope;
  QPointer<TSock> self(this);
  const bool failed = endError_ != QAbstractSocket::RemoteHostClosedError || endReset_;
  guarded([&] {
    if (failed) {
      raiseInfo(7, errorText(endError_));
      if (!self) return;
    }
    if (const TNotifyEvent handler = OnDisconnect) handler(this);
  });
  // A connection the peer ended is closed even when a handler failed, so no seat stays taken by a
  // dead connection.
  if (self) close();
}

void TSock::postWriteEvent() {
  const QPointer<QTcpSocket> guard = socket_;
  QMetaObject::invokeMethod(
      this,
      [this, guard] {
        if (current(guard)) writeEvent();
      },
      Qt::QueuedConnection);
}

void TSock::writeEvent() {
  if (state_ != State::Connected) return;
  EventScope scope;
  QPointer<TSock> self(this);
  guarded([&] {
    if (handed_ < outgoing_.size()) {
      raiseInfo(5, kOutgoingData);
      if (!self) return;
      handOver();
    }
    raiseInfo(5, kOutgoingData);
    if (!self) return;
    if (const TNotifyEvent handler = OnWrite) handler(this);
  });
}

void TSock::handOver() {
  if (!socket_ || state_ != State::Connected ||
      socket_->state() != QAbstractSocket::ConnectedState) {
    return;
  }
  handing_ = true;
  // Each round hands Qt what fits in one chunk and pushes it into the kernel; what the kernel
  // refuses stays in Qt's buffer and counts as not yet taken until bytesWritten reports it gone.
  // The rounds end when the kernel refuses or nothing is left.
  while (socket_ && handed_ < outgoing_.size() && handed_ < kHandChunk) {
    const std::size_t part = std::min(kHandChunk - handed_, outgoing_.size() - handed_);
    const qint64 taken = socket_->write(outgoing_.data() + handed_, qint64(part));
    if (taken <= 0) break;
    handed_ += std::size_t(taken);
    const std::size_t before = outgoing_.size();
    socket_->flush();
    syncWritten();
    if (outgoing_.size() == before) break;
  }
  if (socket_) socket_->flush();
  syncWritten();
  handing_ = false;
  if (handed_ > 0) writeBlocked_ = true;
}

void TSock::handRest() {
  // A connection that ends gives Qt everything still waiting, which it goes on delivering after
  // the close.
  if (!socket_ || state_ != State::Connected ||
      socket_->state() != QAbstractSocket::ConnectedState || handed_ >= outgoing_.size()) {
    return;
  }
  const qint64 taken =
      socket_->write(outgoing_.data() + handed_, qint64(outgoing_.size() - handed_));
  if (taken > 0) handed_ += std::size_t(taken);
}

void TSock::syncWritten() {
  if (!socket_ || handed_ == 0) return;
  if (socket_->state() != QAbstractSocket::ConnectedState) {
    // Qt dropped its buffer with the connection; the text stays in the outgoing text.
    handed_ = 0;
    return;
  }
  const auto inQt = std::size_t(socket_->bytesToWrite());
  if (inQt < handed_) {
    outgoing_.erase(0, handed_ - inQt);
    handed_ = inQt;
  }
}

bool TSock::send(std::string_view text) {
  if (state_ == State::NoHandle) throw ESockError("Send - Socket Not Connected");
  if (state_ == State::Listening) throw ESockError("Send - Cannot Send On A Listener Socket");
  outgoing_.append(text);
  if (outgoing_.empty()) return true;
  QPointer<TSock> self(this);
  raiseInfo(5, kOutgoingData);
  if (self) handOver();
  if (self && maxOutgoing > 0 && outgoing_.size() > maxOutgoing && !closeQueued_) {
    // Closed from the event loop, so the handler that sent finishes first.
    closeQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          closeQueued_ = false;
          if (state_ == State::NoHandle || outgoing_.size() <= maxOutgoing) return;
          // Nobody reads it: what Qt does not hold yet is dropped rather than delivered.
          outgoing_.resize(handed_);
          close();
        },
        Qt::QueuedConnection);
  }
  return true;
}

bool TSock::flush() {
  handOver();
  return outgoing_.empty();
}

std::string TSock::receive() {
  if (state_ == State::Listening) {
    throw ESockError("Receive - Cannot Receive On A Listener Socket");
  }
  if (state_ == State::NoHandle && incoming_.empty()) {
    throw ESockError("Receive - Socket Not Connected");
  }
  return std::exchange(incoming_, {});
}

void TSock::close() {
  try {
    const bool wasListening = state_ == State::Listening;
    if (state_ == State::Connected) {
      handOver();
      handRest();
    }
    releaseSocket();
    releaseServer();
    state_ = State::NoHandle;
    outgoing_.clear();
    if (!wasListening) {
      if (const TNotifyInfoEvent handler = OnInfo) handler(this, 2, "Socket Closed");
    }
  } catch (...) {
    // Closing never fails, whatever a handler does.
  }
}

void TSock::releaseSocket() {
  QTcpSocket* socket = socket_;
  const int watchFd = std::exchange(watchFd_, -1);
  socket_ = nullptr;
  handed_ = 0;
  writeBlocked_ = false;
  ending_ = false;
  if (socket) {
    retireSocket(socket, this, watchFd);
  } else if (watchFd >= 0) {
    ::close(watchFd);
  }
}

void TSock::releaseServer() {
  for (qintptr descriptor : std::exchange(waiting_, {})) ::close(int(descriptor));
  auto* server = static_cast<Server*>(server_.data());
  server_ = nullptr;
  if (!server) return;
  server->incoming = nullptr;
  server->disconnect(this);
  server->close();
  server->setParent(QCoreApplication::instance());
  bury(server);
}

void TSock::setListen(bool on) {
  if (!on) {
    if (state_ != State::Listening) return;
    // The flag goes first, so the close below reports "Socket Closed".
    state_ = State::NoHandle;
    QPointer<TSock> self(this);
    close();
    if (self) raiseInfo(3, "Listening Stopped");
    return;
  }
  if (state_ == State::Listening) {
    raiseInfo(3, "Listening Already Running");
    return;
  }
  if (state_ != State::NoHandle) throw ESockError("Listen - Socket Already In Use");
  const quint16 port = lookupPort(PortName);

  // Bound by hand so that binding and listening fail separately, with a backlog of 5.
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) throw ESockError("Listen - Error Binding Socket");
  // Lets a host restarted within a minute listen again while old connections sit in TIME_WAIT;
  // on Linux it never allows two listeners on one port.
  const int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    throw ESockError("Listen - Error Binding Socket");
  }
  if (::listen(fd, 5) != 0) {
    ::close(fd);
    throw ESockError("Listen - Error Starting Listen");
  }
  auto* server = new Server(this);
  if (!server->setSocketDescriptor(fd)) {
    delete server;
    ::close(fd);
    throw ESockError("Listen - Error Starting Listen");
  }
  server->incoming = [this](qintptr descriptor) { waiting_.push_back(descriptor); };
  connect(server, &QTcpServer::newConnection, this, [this] { onAcceptReady(); });
  connect(server, &QTcpServer::acceptError, this, [this](QAbstractSocket::SocketError error) {
    EventScope scope;
    guarded([&] { raiseInfo(7, errorText(int(error))); });
  });
  server_ = server;
  state_ = State::Listening;
  raiseInfo(3, "Listening Started");
}

bool TSock::listening() const {
  return state_ == State::Listening;
}

void TSock::onAcceptReady() {
  if (state_ != State::Listening) return;
  EventScope scope;
  guarded([&] {
    if (const TNotifyEvent handler = OnAccept) handler(this);
  });
}

bool TSock::accept(TSock*& newSock) {
  if (state_ != State::Listening) throw ESockError("Accept - Socket Not In Listening Mode");
  newSock = nullptr;
  qintptr descriptor = -1;
  if (!waiting_.empty()) {
    descriptor = waiting_.front();
    waiting_.pop_front();
  }
  auto* socket = new QTcpSocket;
  if (descriptor < 0 || !socket->setSocketDescriptor(descriptor)) {
    delete socket;
    if (descriptor >= 0) ::close(int(descriptor));
    raiseInfo(6, "Could Not Accept Connection");
    return false;
  }
  auto* sock = new TSock(this);
  sock->OnRead = OnRead;
  sock->OnWrite = OnWrite;
  sock->OnDisconnect = OnDisconnect;
  sock->OnInfo = OnInfo;
  sock->PortName = PortName;
  sock->HostName = socket->peerAddress().toString().toStdString();
  sock->adoptConnected(socket);
  newSock = sock;
  raiseInfo(6, "Created New TSock Structure");
  return true;
}

int TSock::descriptor() const {
  return socket_ ? int(socket_->socketDescriptor()) : -1;
}

quint16 TSock::localPort() const {
  if (server_) return server_->serverPort();
  if (socket_) return socket_->localPort();
  return 0;
}

QHostAddress TSock::peerAddress() const {
  return socket_ ? socket_->peerAddress() : QHostAddress();
}

quint16 TSock::peerPort() const {
  return socket_ ? socket_->peerPort() : 0;
}

void setErrorReporter(ErrorReporter reporter) {
  errorReporter() = std::move(reporter);
}

void reportError(const std::string& text) {
  try {
    if (const ErrorReporter& reporter = errorReporter()) {
      reporter(text);
    } else {
      std::fprintf(stderr, "%s\n", text.c_str());
    }
  } catch (...) {
    // Nothing sensible is left to report a failing report with.
  }
}

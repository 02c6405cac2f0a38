#pragma once
// TSock: a non-blocking, event-driven TCP socket on the GUI thread, a thin layer over
// QTcpSocket/QTcpServer that raises the program's events and notification texts.
//
// Notification kinds given to OnInfo:
//   0 lookup ("Lookup Of Host " + host, "Lookup Of Port " + port)
//   1 "Non-Blocking Socket Connected"      2 "Socket Closed"
//   3 "Listening Started" / "Listening Stopped" / "Listening Already Running"
//   4 "Non-Blocking Incoming Data"         5 "Non-Blocking Outgoing Data"
//   6 "Created New TSock Structure" / "Could Not Accept Connection"
//   7 "Error #" + code + " (" + name + ")"
//
// The code and name of kind 7 are Qt's: the numeric value of QAbstractSocket::SocketError and
// its enum key, for example "Error #0 (ConnectionRefusedError)". Qt reports a connection reset
// by the peer as RemoteHostClosedError, so a reset reads "Error #1 (RemoteHostClosedError)"; a
// normal end of stream raises no kind 7 at all.
//
// Orders of events:
//   read:    kind 4, then OnRead(Count = length of the incoming text); at most 32768 bytes are
//            read per read event.
//   send:    kind 5, then the text goes to the system; what it does not take stays in the
//            outgoing text and follows on a write event.
//   write:   raised once when a connection becomes usable (after connect, after accept) and
//            whenever the system has taken a backlog it refused before: kind 5 (and the waiting
//            text goes out) if text is waiting, then kind 5 and OnWrite.
//   open:    kind 0 port notice, kind 0 host notice (none for an empty host, which means
//            0.0.0.0), later kind 1 and OnConnect, then the first write event.
//   listen:  "Listening Started", or "Listening Already Running" when already on; turning off
//            clears the listening flag first, so "Socket Closed" comes before "Listening
//            Stopped". close() on a listener raises nothing.
//   accept:  "Created New TSock Structure" or "Could Not Accept Connection", on the listener.
//   peer end without error: OnDisconnect, then close ("Socket Closed").
//   error on a connection that was connected (reset, aborted): kind 7, OnDisconnect, close.
//   error while connecting: kind 7 only; the socket keeps its handle but is not connected, so
//            open() does nothing and sent text stays in the outgoing text until close().
//
// Failing operations throw ESockError with the exact texts ("Send - Socket Not Connected",
// "Listen - Error Binding Socket", ...). When such an error escapes a handler that TSock called
// (OnRead, OnAccept, ...), TSock abandons that handler and hands the text to the error reporter;
// a failing OnInfo handler is reported as "Error here". A failing handler never stops TSock's own
// bookkeeping: a connection the peer ended is closed all the same.
//
// Destroying a TSock (even from inside one of its own handlers) calls no handler afterwards.
// Closing or destroying a connection still delivers what the system already took, so
// send(...) followed by close() or delete really sends the bytes.

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

class QTcpServer;
class QTcpSocket;

class ESockError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Where an error that escaped a socket's or the game server's handler goes: the program with a
// window shows it in a message box, a program without one logs it. Set once at start; until then,
// and with none, the text goes to standard error.
using ErrorReporter = std::function<void(const std::string& text)>;
void setErrorReporter(ErrorReporter reporter);
void reportError(const std::string& text);

class TSock : public QObject {
  Q_OBJECT
 public:
  using TNotifyEvent = std::function<void(TSock* Sender)>;
  using TNotifyReadEvent = std::function<void(TSock* Sender, int Count)>;
  using TNotifyInfoEvent =
      std::function<void(TSock* sender, int SocketInfo, const std::string& Msg)>;

  // Connecting: a handle exists but is not connected (a connect under way, or one that failed).
  enum class State { NoHandle, Connecting, Connected, Listening };

  explicit TSock(QObject* parent = nullptr);
  ~TSock() override;

  // Settings.
  std::string HostName;
  std::string PortName;
  int tag = 0;

  // Events, assignable at run time.
  TNotifyEvent OnAccept;
  TNotifyReadEvent OnRead;
  TNotifyEvent OnDisconnect;
  TNotifyInfoEvent OnInfo;
  TNotifyEvent OnConnect;
  TNotifyEvent OnWrite;

  // Connects to HostName:PortName without waiting; returns the connected flag (false until the
  // connection completes). With a handle already present, only returns the flag. A failed port or
  // host lookup throws and leaves no handle, so open() may be tried again. A host name that
  // starts with a digit is read as a dotted address and never fails the open: one that is not a
  // dotted address (say "127.0.0.1.5") becomes 255.255.255.255 and its connect fails (kind 7).
  bool open();
  // Starts or stops listening on PortName (any local address, backlog 5). Turning off a socket
  // that is not listening does nothing.
  void setListen(bool on);
  bool listening() const;
  // Takes one waiting connection from a listening socket. The new TSock is owned by this one and
  // inherits its OnRead, OnWrite, OnDisconnect and OnInfo handlers. On false newSock is null.
  bool accept(TSock*& newSock);
  // Queues text for sending; never waits.
  bool send(std::string_view text);
  // Hands as much of the outgoing text to the system as it takes now, without waiting; true when
  // nothing is left waiting.
  bool flush();
  // Returns the whole incoming text and empties it.
  std::string receive();
  // Closes the handle; raises "Socket Closed" unless listening; never fails. Text the system has
  // taken is still delivered; the outgoing text is emptied.
  void close();

  bool connected() const { return state_ == State::Connected; }
  // The connection's socket descriptor, -1 without one.
  int descriptor() const;
  // TCP keep-alive of every connection, in seconds and probes: a peer gone without a word is
  // noticed as a closed connection about 30 seconds after it went quiet.
  static constexpr int kKeepIdleSeconds = 15;
  static constexpr int kKeepIntervalSeconds = 5;
  static constexpr int kKeepCount = 3;
  State state() const { return state_; }
  // The local port actually bound: of the listening socket (after setListen(true) with PortName
  // "0"), or of the connection (known from open() on, while still connecting too).
  quint16 localPort() const;
  // The address and port of the other end of the connection; empty and 0 without one.
  QHostAddress peerAddress() const;
  quint16 peerPort() const;
  // Bytes given to send and not yet accepted by the system.
  const std::string& outgoingText() const { return outgoing_; }
  // A peer that lets more than this many bytes wait to go out has stopped reading: the
  // connection is closed once the running handler has finished. 0 sets no bound.
  std::size_t maxOutgoing = 0;

  // Host names that do not start with a digit are resolved once per process through this
  // resolver (the system's by default) and cached. Tests install a counting one; an empty
  // function restores the system resolver.
  using HostResolver = std::function<QList<QHostAddress>(const QString& name)>;
  static void setHostResolver(HostResolver resolver);
  static void clearHostCache();

 private:
  class Server;

  void raiseInfo(int kind, const std::string& msg);
  template <typename F>
  static void guarded(F&& f);
  bool current(const QPointer<QTcpSocket>& socket) const;

  void wire(QTcpSocket* socket);
  void adoptConnected(QTcpSocket* socket);
  void onConnected();
  void onConnectFailed(int error);
  void onReadyRead();
  void postRead();
  void onBytesWritten();
  void noteEnded(int error);
  bool peerReset() const;
  void finishEnded();
  void postWriteEvent();
  void writeEvent();
  void onAcceptReady();
  void handOver();
  void handRest();
  void syncWritten();
  void releaseSocket();
  void releaseServer();

  State state_ = State::NoHandle;
  std::string incoming_;
  std::string outgoing_;
  // The first handed_ bytes of outgoing_ sit in Qt's write buffer, not yet taken by the kernel.
  std::size_t handed_ = 0;
  // Qt held back part of a hand-over; the next complete drain is a write event.
  bool writeBlocked_ = false;
  // Inside handOver(): Qt reports written bytes from within its own flush.
  bool handing_ = false;
  // A close for a stalled peer is queued.
  bool closeQueued_ = false;
  // The peer ended the connection; finishEnded() is queued.
  bool ending_ = false;
  int endError_ = -1;
  bool endReset_ = false;
  // Inside connectToHost(): a connection reported this early is passed on from the event loop.
  bool opening_ = false;
  // A second descriptor of the connection: Qt closes its own at the end of stream, this one
  // keeps the socket so that the end can be told apart (orderly close or reset).
  int watchFd_ = -1;
  QPointer<QTcpSocket> socket_;
  QPointer<QTcpServer> server_;
  std::deque<qintptr> waiting_;
};

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
// Failing operations throw ESockError with the exact texts ("Send - Socket Not Connected",
// "Listen - Error Binding Socket", ...). When such an error escapes a handler that TSock called
// (OnRead, OnAccept, ...), TSock abandons that handler and shows the text through messageBoxes();
// a failing OnInfo handler is reported as "Error here".

#include <QObject>
#include <QPointer>
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

class TSock : public QObject {
  Q_OBJECT
 public:
  using TNotifyEvent = std::function<void(TSock* Sender)>;
  using TNotifyReadEvent = std::function<void(TSock* Sender, int Count)>;
  using TNotifyInfoEvent = std::function<void(TSock* sender, int SocketInfo, const std::string& Msg)>;

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
  // connection completes). With a handle already present, only returns the flag.
  bool open();
  // Starts or stops listening on PortName (any local address, backlog 5).
  void setListen(bool on);
  bool listening() const;
  // Takes one waiting connection from a listening socket. The new TSock is owned by this one and
  // inherits its OnRead, OnWrite, OnDisconnect and OnInfo handlers.
  bool accept(TSock*& newSock);
  // Queues text for sending; never waits.
  bool send(std::string_view text);
  // Returns the whole incoming text and empties it.
  std::string receive();
  // Closes the handle; raises "Socket Closed" unless listening; never fails.
  void close();

  bool connected() const { return state_ == State::Connected; }
  State state() const { return state_; }
  // The local port actually bound (after setListen(true) with PortName "0").
  quint16 localPort() const;
  // Bytes given to send and not yet accepted by the system.
  const std::string& outgoingText() const { return outgoing_; }

 private:
  void raiseInfo(int kind, const std::string& msg);
  template <typename F>
  void guarded(F&& f);

  State state_ = State::NoHandle;
  std::string incoming_;
  std::string outgoing_;
  QPointer<QTcpSocket> socket_;
  QPointer<QTcpServer> server_;
};

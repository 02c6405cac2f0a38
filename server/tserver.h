#pragma once
// `TServer`: the hidden server window of a hosting process. It owns the listening socket `Sock1`,
// the seat connections, the receive queue `receivedlist` drained by `socktimer` one message per
// 10 ms tick, the turn clock `timer1` and the word list `spellit`; the rules are ServerCore's.

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "dictionary/tdictn.h"
#include "protocol/receive_queue.h"
#include "server/server_core.h"

class TSock;

class TServer : public QObject, private korvel::server::Outbound {
  Q_OBJECT
 public:
  struct Options {
    // The word list blob for `spellit`; the embedded list when absent.
    std::optional<std::string> wordList;
    // The shuffle's pick; seeded from the clock when empty.
    korvel::server::Pick pick;
    // When false, timer1 is never started on its own and the owner calls timer1Timer() for each
    // second, which lets tests run a game without waiting.
    bool runTimer1 = true;
    // When false, socktimer never runs and the owner calls dispatchOne() for each entry.
    bool runSocktimer = true;
    // A seat whose connection has more than this many bytes waiting to go out has stopped
    // reading; it is disconnected rather than let the server's memory grow without bound.
    std::size_t maxBacklog = 16 * 1024 * 1024;
  };

  explicit TServer(QObject* parent = nullptr);
  explicit TServer(Options options, QObject* parent = nullptr);
  ~TServer() override;

  // Hosting: `Sock1` listens on the port (7772 in the program; 0 picks a free one). Throws
  // ESockError "Listen - Error Binding Socket" when the port is taken. `hostClient` is the host's
  // own client connection in this process: seat 1 is kept for it, whoever else connects first.
  void startListening(int port, const TSock* hostClient = nullptr);
  // The port `Sock1` listens on.
  int listeningPort() const;

  // Takes one entry of `receivedlist` and hands it to its handler (what each socktimer tick does).
  // The seats with messages waiting take turns, so one seat's flood delays only that seat.
  void dispatchOne();
  // One second of the turn clock.
  void timer1Timer();

  korvel::server::ServerCore& core() { return *core_; }

  // Components.
  TSock* Sock1 = nullptr;
  TSock* tempsock = nullptr;
  korvel::protocol::ReceiveQueue receivedlist;
  QTimer socktimer;
  QTimer timer1;
  std::unique_ptr<korvel::TDictn> spellit;

  // Socket handlers.
  void Sock1Accept(TSock* Sender);
  void Sock1Read(TSock* Sender, int Count);
  void tempsockDisconnect(TSock* Sender);
  void tempsockInfo(TSock* sender, int SocketInfo, const std::string& Msg);
  void socktimerTimer();

 private:
  void send(int seat, const std::string& message) override;
  void closeSeat(int seat) override;
  void timer1Changed(bool running) override;
  void moveSeat(int from, int to) override;
  // The connection that holds the seat now, or nullptr.
  TSock* seatSock(int seat) const;
  void wakeQueue();

  // The connection of this process's own client, which alone may take seat 1.
  QPointer<const TSock> hostClient_;
  bool runTimer1_;
  bool runSocktimer_;
  std::size_t maxBacklog_;
  std::unique_ptr<korvel::server::ServerCore> core_;
  // Seat connections by seat number; a reused seat's old connection stays owned by Sock1.
  std::array<TSock*, korvel::server::ServerCore::kMaxSeat + 1> socks_{};
  std::unordered_map<TSock*, korvel::protocol::Deframer> tails_;
  std::uint64_t nextHandle_ = 1;
  // A token per accepted connection; queued lines carry it as their origin.
  std::unordered_map<TSock*, std::uint64_t> handles_;
};

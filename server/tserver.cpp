#include "server/tserver.h"

#include <QPointer>
#include <QString>
#include <exception>
#include <utility>

#include "dictionary/word_list_blob.h"
#include "protocol/tsock.h"

namespace protocol = korvel::protocol;
using korvel::server::ServerCore;

namespace {

void notify(const std::string& text) {
  reportError(text);
}

// Errors of a socket operation abandon the handler that met them and are shown; the program goes
// on.
template <typename F>
void showingErrors(F&& f) {
  try {
    f();
  } catch (const ESockError& e) {
    notify(e.what());
  }
}

}  // namespace

TServer::TServer(QObject* parent) : TServer(Options{}, parent) {}

TServer::TServer(Options options, QObject* parent)
    : QObject(parent),
      runTimer1_(options.runTimer1),
      runSocktimer_(options.runSocktimer),
      maxBacklog_(options.maxBacklog) {
  spellit = options.wordList ? korvel::makeSpellit(*options.wordList, notify)
                             : korvel::makeSpellit(notify);
  korvel::server::Pick pick =
      options.pick ? std::move(options.pick) : korvel::server::clockSeededPick();
  core_ = std::make_unique<ServerCore>(
      static_cast<korvel::server::Outbound&>(*this),
      [this](std::string_view word) { return spellit->IsWord(word); }, std::move(pick));

  Sock1 = new TSock(this);
  Sock1->PortName = "7772";
  Sock1->OnAccept = [this](TSock* s) { Sock1Accept(s); };
  Sock1->OnRead = [this](TSock* s, int count) { Sock1Read(s, count); };

  tempsock = new TSock(this);
  tempsock->OnDisconnect = [this](TSock* s) { tempsockDisconnect(s); };
  tempsock->OnInfo = [this](TSock* s, int kind, const std::string& msg) {
    tempsockInfo(s, kind, msg);
  };

  // The queue timer sleeps while receivedlist is empty and wakes with the next arrival, so an
  // idle server costs nothing; it still takes only one entry per tick.
  socktimer.setInterval(10);
  connect(&socktimer, &QTimer::timeout, this, [this] { socktimerTimer(); });
  timer1.setInterval(1000);
  connect(&timer1, &QTimer::timeout, this, [this] { timer1Timer(); });
}

TServer::~TServer() {
  // Connections closing during destruction must not reach a half-destroyed server.
  for (TSock* s : socks_) {
    if (s != nullptr) {
      s->OnInfo = nullptr;
      s->OnDisconnect = nullptr;
      s->OnRead = nullptr;
    }
  }
}

void TServer::startListening(int port, const TSock* hostClient) {
  hostClient_ = hostClient;
  core_->hostseatreserved = hostClient != nullptr;
  Sock1->PortName = std::to_string(port);
  Sock1->setListen(true);
}

int TServer::listeningPort() const {
  return Sock1->localPort();
}

void TServer::Sock1Accept(TSock* Sender) {
  TSock* s = nullptr;
  if (!Sender->accept(s) || s == nullptr) return;
  // The host's own client is the connection whose far end is that client's socket in this process.
  const bool fromHost = hostClient_ && s->peerAddress().isLoopback() && s->peerPort() != 0 &&
                        s->peerPort() == hostClient_->localPort();
  const int seat = core_->chooseseat(fromHost);
  if (seat >= ServerCore::kRefusedSeat) {
    s->OnRead = nullptr;
    s->OnInfo = nullptr;
    s->OnDisconnect = nullptr;
    s->tag = seat;
    // Handed to the system before the close, so the refused peer really reads why.
    showingErrors([s] {
      s->send(protocol::toclient::full());
      s->flush();
    });
    s->close();
    s->deleteLater();
    return;
  }
  s->tag = seat;
  s->OnDisconnect = tempsock->OnDisconnect;
  s->OnRead = [this](TSock* c, int count) { Sock1Read(c, count); };
  s->OnInfo = tempsock->OnInfo;
  socks_[seat] = s;
  tails_[s].reset();
  handles_[s] = nextHandle_++;
  core_->seataccepted(seat, handles_[s]);
}

void TServer::Sock1Read(TSock* Sender, int) {
  tails_[Sender].arrive(Sender->receive(), receivedlist, Sender->tag, handles_[Sender]);
  wakeQueue();
}

void TServer::wakeQueue() {
  if (runSocktimer_ && !socktimer.isActive() && !receivedlist.empty()) socktimer.start();
}

void TServer::tempsockDisconnect(TSock* Sender) {
  const int seat = Sender->tag;
  if (seatSock(seat) == Sender && (core_->players[seat].inuse || core_->claiming(seat))) {
    Sender->close();
  }
}

void TServer::tempsockInfo(TSock* sender, int, const std::string& Msg) {
  if (Msg != "Socket Closed") return;
  const int seat = sender->tag;
  // What the connection left waiting speaks for nobody any more: gone at once, not a tick each.
  std::vector<std::string> unread;
  if (auto handle = handles_.find(sender); handle != handles_.end()) {
    receivedlist.discard(seat, handle->second, &unread);
  }
  // Only the seat's present connection speaks for it: an old connection of a reused seat does
  // not free its new occupant.
  if (seatSock(seat) != sender) return;
  // A player who left on purpose says so just before closing; when the close comes before the
  // queue has reached that line, the line still decides whether the seat is kept.
  for (const std::string& line : unread) {
    if (line.starts_with("CMD_leaving+")) showingErrors([&] { core_->dispatch(line, seat); });
  }
  tails_[sender].reset();
  core_->departure(seat);
}

void TServer::socktimerTimer() {
  dispatchOne();
  if (receivedlist.empty()) socktimer.stop();
}

void TServer::dispatchOne() {
  const protocol::QueuedLine line = receivedlist.take();
  // A line from a connection that has since left, whose seat a newcomer may already hold, does
  // not speak for that newcomer.
  TSock* holder = seatSock(line.seat);
  if (holder == nullptr || line.origin == 0 || handles_[holder] != line.origin) return;
  showingErrors([&] { core_->dispatch(line.text, line.seat); });
}

void TServer::timer1Timer() {
  showingErrors([&] { core_->timer1Timer(); });
}

TSock* TServer::seatSock(int seat) const {
  return korvel::server::validseat(seat) ? socks_[seat] : nullptr;
}

void TServer::send(int seat, const std::string& message) {
  TSock* s = seatSock(seat);
  if (s == nullptr) return;
  s->send(message);
  if (s->outgoingText().size() > maxBacklog_) {
    // Closed once the current handler has finished, so that the departure it causes never runs
    // in the middle of another handler's sends.
    QPointer<TSock> stalled(s);
    QMetaObject::invokeMethod(
        this,
        [this, stalled] {
          if (stalled && stalled == seatSock(stalled->tag) &&
              stalled->state() != TSock::State::NoHandle) {
            stalled->close();
          }
        },
        Qt::QueuedConnection);
  }
}

void TServer::closeSeat(int seat) {
  if (TSock* s = seatSock(seat)) s->close();
}

void TServer::moveSeat(int from, int to) {
  TSock* s = seatSock(from);
  if (s == nullptr || !korvel::server::validseat(to)) return;
  socks_[from] = nullptr;
  socks_[to] = s;
  // What it sends from now on is queued, dispatched and departs under its new seat.
  s->tag = to;
}

void TServer::timer1Changed(bool running) {
  if (!runTimer1_) return;
  if (running) {
    timer1.start();
  } else {
    timer1.stop();
  }
}

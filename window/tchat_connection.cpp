// Start-up choice, the game and lobby connections, the receive queue and the login.

#include <QFrame>
#include <QHBoxLayout>
#include <QHostAddress>
#include <QLabel>
#include <QNetworkInterface>
#include <QPushButton>
#include <algorithm>
#include <exception>
#include <utility>

#include "app/failure_text.h"
#include "app/host_address.h"
#include "app/hosting_help.h"
#include "app/program_log.h"
#include "app/settings_file.h"
#include "protocol/message.h"
#include "protocol/tsock.h"
#include "shell/message_boxes.h"
#include "window/panel_widgets.h"
#include "window/peer_text.h"
#include "window/tchat.h"

using korvel::protocol::kTerminator;

void Tchat::guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const korvel::protocol::ParseError&) {
    // A field that does not parse ends the handling of that one message.
  } catch (const ESockError& e) {
    messageBoxes().showMessage(peerText(e.what()));
  } catch (const std::exception& e) {
    // Running out of memory or the like: words, never the library's "std::bad_alloc".
    messageBoxes().showMessage(
        peerText(korvel::app::failureText("The last message or action could not be handled", e)));
  }
}

void Tchat::processparams() {
  game.startVisible = false;
  game.hosting = false;
  syncView();
  loginname.clear();
  const auto plan = korvel::app::planStart(params_);
  addlinetochat(plan.loadingLine, systemcolor);
  if (plan.mode == korvel::app::StartMode::PlayWithOthers) {
    if (openInvitation) openInvitation(QString::fromStdString(plan.hostaddress));
    return;
  }
  if (plan.mode == korvel::app::StartMode::Idle) return;
  hostaddress = plan.hostaddress;
  playername = plan.playername;
  solo = plan.mode == korvel::app::StartMode::Solo;
  if (solo) {
    // Read now: the settings are loaded only once the server has announced this client.
    bool restartedForZoom = false;
    if (settingsStore) {
      const auto s =
          korvel::app::loadSettingsFile(settingsStore->file(), korvel::app::kSettingsSection);
      showDownloadOffer = s.showdownload;
      coveringTipShown_ = s.coveringtip;
      // A copy restarted for a new zoom takes over a session that already had its offer.
      restartedForZoom = s.zoomrestart;
      if (restartedForZoom) {
        korvel::app::saveKey(settingsStore->file(), korvel::app::kSettingsSection,
                             korvel::app::kZoomrestartKey, "false");
      }
    }
    if (showDownload && showDownloadOffer && !restartedForZoom) showDownload();
    hostpress();
    return;
  }
  if (plan.mode == korvel::app::StartMode::Host) {
    hostpress();
    showHostingHelp();
  } else {
    joinpress();
  }
  // The lobby learns that the game ended when this connection drops; it is never written to or
  // read.
  Sock11->open();
}

void Tchat::hostpress() {
  if (startListening) startListening(ports_.game);
  loginname = korvel::protocol::cleanName(playername) + kTerminator;
  game.hosting = true;
  game.startVisible = true;
  syncView();
  sock->HostName = "127.0.0.1";
  sock->open();
}

void Tchat::showHostingHelp() {
  // Only this window is told; nothing goes over the network. The server listens on IPv4 only,
  // so an IPv6 address would send friends where nobody answers.
  std::vector<std::string> addresses;
  for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
    if (a.isLoopback() || a.isLinkLocal() || a.protocol() != QAbstractSocket::IPv4Protocol) {
      continue;
    }
    addresses.push_back(a.toString().toStdString());
  }
  addlinetochat(korvel::app::hostingLine(addresses, ports_.game), systemcolor);
  invitationLinks.clear();
  for (const std::string& a : addresses) {
    invitationLinks.push_back(korvel::app::invitationLink(a, ports_.game));
  }
  if (!invitationLinks.empty()) {
    addlinetochat(korvel::app::invitationLine(invitationLinks), systemcolor);
  }
  CopyInvitation1->setEnabled(!invitationLinks.empty());
}

void Tchat::joinpress() {
  loginname = korvel::protocol::cleanName(playername) + kTerminator;
  // The peer's end without an error first is the host closing this connection itself.
  sock->OnDisconnect = [this](TSock*) {
    if (!connectionFailed_) closedByHost_ = true;
  };
  sock->HostName = hostaddress;
  game.startVisible = false;
  syncView();
  joinAbandoned_ = false;
  try {
    sock->open();
  } catch (const ESockError&) {
    // The only failure of an open with a numeric port: the host's name was not found.
    reportJoinFailure("HostNotFoundError");
    return;
  }
  if (!sock->connected()) connectTimer_.start();
}

void Tchat::sendloginfo(const std::string& number) {
  korvel::client::Outcome out;
  const auto seatNumber = game.takeLoginSeat(number, out);
  render(out);
  if (!seatNumber) return;
  rememberJoinedHost();
  for (const std::string& message :
       korvel::client::GameMirror::loginAnswer(*seatNumber, loginname, seatKeyToOffer())) {
    sock->send(message);
  }
}

void Tchat::sockRead(TSock* sender) {
  if (!reconnect.talking()) {
    if (sockTail_.arrive(sender->receive(), receivedlist) > 0 && !Timer1.isActive()) {
      Timer1.start();
    }
    return;
  }
  // A reconnect attempt's lines are judged as they arrive, so that what the host said is known
  // before the end of its connection is.
  korvel::protocol::ReceiveQueue arrived;
  sockTail_.arrive(sender->receive(), arrived);
  while (!arrived.empty()) {
    const auto line = arrived.take();
    if (reconnect.talking()) {
      guarded([&] { reconnectLine(line.text); });
    } else if (sock->connected() && !leftBehind_) {
      receivedlist.append(line.text);  // back in the seat: the game's own lines
    }
  }
  if (!receivedlist.empty() && !Timer1.isActive()) Timer1.start();
}

void Tchat::processsocktimer() {
  if (receivedlist.empty()) {
    Timer1.stop();
    return;
  }
  const auto line = receivedlist.take();
  if (receivedlist.empty()) Timer1.stop();
  if (reconnect.talking()) {
    reconnectLine(line.text);
    return;
  }
  dispatch(line.text);
}

void Tchat::dispatch(const std::string& text) {
  const auto split = korvel::protocol::splitLine(text);
  if (split.command.empty()) return;
  if (auto it = commands_.find(split.command); it != commands_.end()) {
    it->second(split.argument);
    return;
  }
  korvel::client::Outcome out;
  if (!game.handle(split.command, split.argument, out)) return;
  // The mirror cues the turn sound exactly when a turn of this client's seat starts.
  const bool myTurn = split.command == "CMD_nextplayer" &&
                      std::any_of(out.cues.begin(), out.cues.end(), [](const std::string& cue) {
                        return cue == "turn" || cue == "turnnew";
                      });
  render(out);
  if (myTurn) myTurnStarted();
}

void Tchat::sockInfo(TSock*, int kind, const std::string& msg) {
  if (leftBehind_) return;  // the window stays with its last game, whatever the socket says
  if (kind == 1) connectTimer_.stop();
  if (msg == "Socket Closed" && joinAbandoned_) {
    // The join given up after its time: the window stays, with the reason in the chat.
    joinAbandoned_ = false;
    return;
  }
  if (kind == 7 && sock->connected()) connectionFailed_ = true;
  if (reconnect.active()) {
    reconnectInfo(kind, msg);
    return;
  }
  if (msg == "Socket Closed") {
    // A player whose connection dropped in a running game tries to get back into its seat; the
    // host keeps it a while.
    const bool byHost = std::exchange(closedByHost_, false);
    connectionFailed_ = false;
    if (!leaving_ && !gameFull_ && korvel::client::worthReconnecting(game)) {
      reconnectAfterHostClosed_ = byHost;
      startReconnecting();
      return;
    }
    // The one way the window closes with no word on screen: the log keeps why.
    korvel::app::programLog().write(
        std::string("the game connection was closed") +
        (gameFull_ ? " after \"Game is full\"" : "; the window closes") +
        (game.gameRunning ? " during a game" : ""));
    game.connected = false;  // nothing left to leave: the window closes without asking
    if (!gameFull_) close();
    return;
  }
  // A connection attempt that fails reports only an error; tell the user instead of leaving the
  // loading line standing forever.
  if (kind == 7 && !sock->connected() && !game.connected && !reportedConnectFailure_) {
    // "Error #0 (ConnectionRefusedError)": the name in brackets says what went wrong.
    const auto open = msg.find('(');
    const auto close = msg.rfind(')');
    reportJoinFailure(open != std::string::npos && close != std::string::npos && close > open
                          ? msg.substr(open + 1, close - open - 1)
                          : std::string());
  }
}

namespace {

korvel::client::Reconnect::Clock::time_point clockNow(
    const std::function<korvel::client::PhraseCooldown::Clock::time_point()>& now) {
  return now ? now() : korvel::client::Reconnect::Clock::now();
}

}  // namespace

void Tchat::startReconnecting() {
  reconnect.start(clockNow(now),
                  korvel::client::HeldGame::of(game, korvel::protocol::cleanName(playername)));
  // The board and the buttons stop at once: nothing is sent, and closing the window asks nothing.
  korvel::client::Outcome lost;
  game.connectionLost(lost);
  render(lost);
  if (!reconnectBanner) {
    auto* banner = new QFrame(this);
    banner->setObjectName("reconnectBanner");
    banner->setFrameShape(QFrame::Box);
    banner->setAutoFillBackground(true);
    QPalette pale = banner->palette();
    pale.setColor(QPalette::Window, QColor(255, 248, 200));
    pale.setColor(QPalette::WindowText, Qt::black);
    banner->setPalette(pale);
    auto* row = new QHBoxLayout(banner);
    row->setContentsMargins(12, 8, 12, 8);
    row->setSpacing(12);
    reconnectText = new QLabel(banner);
    reconnectText->setTextFormat(Qt::PlainText);
    button_leave = new QPushButton("Leave", banner);
    button_leave->setAccessibleName("Leave");
    row->addWidget(reconnectText);
    row->addWidget(button_leave);
    connect(button_leave, &QPushButton::clicked, this, &Tchat::leaveReconnecting);
    reconnectBanner = banner;
    reconnectTimer.setInterval(int(korvel::client::Reconnect::kEvery.count()));
    connect(&reconnectTimer, &QTimer::timeout, this, &Tchat::reconnectTick);
  }
  showLastTry();
  reconnectBanner->show();
  reconnectBanner->raise();
  reconnectTimer.start();
}

void Tchat::showLastTry() {
  if (!reconnectBanner) return;
  std::string text = "Connection to the host lost. Reconnecting...";
  const std::string last = korvel::client::lastTryText(reconnect.lastMet());
  if (!last.empty()) text += "\n" + last;
  reconnectText->setText(QString::fromStdString(text));
  reconnectText->setAccessibleName(reconnectText->text());
  reconnectBanner->adjustSize();
  reconnectBanner->move((width() - reconnectBanner->width()) / 2, height() / 3);
}

void Tchat::reconnectTick() {
  reconnectStep(reconnect.tick(clockNow(now)));
}

void Tchat::reconnectInfo(int kind, const std::string& msg) {
  if (kind == 1 && reconnectAfterHostClosed_) {
    // The host is still there, so it closed the connection itself: this player was removed, and
    // the window ends as it always did.
    stopReconnecting();
    leaving_ = true;
    sock->close();
    return;
  }
  if (kind == 1) {
    // Connected again: the host asks for a login as of any newcomer, and a host that kept the
    // seat puts this client back into it. What it says is judged before the mirror learns it.
    receivedlist.clear();
    sockTail_.reset();
    reconnect.connected(clockNow(now));
    return;
  }
  if (kind == 7) {
    reconnectStep(reconnect.socketError(korvel::client::errorMet(msg)));
  } else if (kind == 2) {
    // How this attempt ended says nothing about the next connection.
    closedByHost_ = false;
    connectionFailed_ = false;
    reconnect.leftOver(sockTail_.pendingTail());
    sockTail_.reset();
    reconnectStep(reconnect.socketClosed());
  }
}

void Tchat::reconnectLine(const std::string& line) {
  korvel::client::Outcome out;
  const auto step = reconnect.take(line, out);
  for (const auto& message : out.send) sock->send(message);
  reconnectStep(step);
}

void Tchat::reconnectStep(korvel::client::Reconnect::Step step) {
  using Step = korvel::client::Reconnect::Step;
  switch (step) {
    case Step::Wait:
      break;
    case Step::Try:
      // An attempt still under way is abandoned for a fresh one; its close is not a new loss.
      if (sock->state() != TSock::State::NoHandle) sock->close();
      try {
        sock->open();
      } catch (const ESockError&) {
        // The host's name did not resolve (the network is still down): the next tick tries again.
        reconnectInfo(7, "");
      }
      break;
    case Step::Drop:
      // The host answered but did not seat this window: this connection is over, the next tick
      // tries again.
      if (sock->state() != TSock::State::NoHandle) sock->close();
      receivedlist.clear();
      sockTail_.reset();
      break;
    case Step::GiveUp:
      korvel::app::programLog().write("reconnecting gave up after its time " +
                                      korvel::client::lastTryText(reconnect.lastMet()));
      stopReconnecting();
      close();
      return;
    case Step::HostEnded: {
      // The game ends in the window as it stood: the summary with the scores, and the record in
      // Past Games. The window stays with its last game.
      stopReconnecting();
      leftBehind_ = true;
      korvel::app::programLog().write("reconnecting ended: the host has ended the game");
      korvel::client::Outcome out;
      game.hostEnded(out);
      render(out);
      return;
    }
    case Step::Back: {
      // The host gave this window its seat: the mirror learns the game as a newcomer does, and
      // the record goes on.
      stopReconnecting();
      game.startOver();
      game.myplayer = reconnect.seat();
      game.connected = true;
      syncView();
      paintbox_board->update();
      for (const std::string& line : reconnect.takeLines()) {
        guarded([&] { dispatch(line); });
      }
      return;
    }
    case Step::Elsewhere: {
      // The host plays on without this window's seat: nothing more of it is shown, and the last
      // game stays on view with its chat and record.
      stopReconnecting();
      leftBehind_ = true;
      sock->close();
      const std::string why = korvel::client::landingText(reconnect.landing());
      korvel::app::programLog().write("reconnecting ended: " + why);
      korvel::client::Outcome out;
      game.leftBehind(why, out);
      render(out);
      return;
    }
  }
  showLastTry();
}

void Tchat::stopReconnecting() {
  reconnect.stop();
  reconnectTimer.stop();
  if (reconnectBanner) reconnectBanner->hide();
}

void Tchat::leaveReconnecting() {
  leaving_ = true;
  stopReconnecting();
  // An attempt under way is closed; its "Socket Closed" ends the window as a lost connection
  // always did.
  if (sock->state() != TSock::State::NoHandle) {
    sock->close();
    return;
  }
  close();
}

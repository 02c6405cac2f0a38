// Start-up choice, the game and lobby connections, the receive queue and the login.

#include <QHostAddress>
#include <QNetworkInterface>
#include <exception>

#include "app/failure_text.h"
#include "app/hosting_help.h"
#include "app/message_boxes.h"
#include "app/program_log.h"
#include "app/settings_file.h"
#include "client/panel_widgets.h"
#include "client/peer_text.h"
#include "client/tchat.h"
#include "protocol/message.h"
#include "protocol/tsock.h"

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
  // Only this window is told; nothing goes over the network.
  std::vector<std::string> addresses;
  for (const QHostAddress& a : QNetworkInterface::allAddresses()) {
    if (a.isLoopback() || a.isLinkLocal()) continue;
    addresses.push_back(a.toString().toStdString());
  }
  addlinetochat(korvel::app::hostingLine(addresses, ports_.game), systemcolor);
}

void Tchat::joinpress() {
  loginname = korvel::protocol::cleanName(playername) + kTerminator;
  sock->HostName = hostaddress;
  game.startVisible = false;
  syncView();
  sock->open();
}

void Tchat::sendloginfo(const std::string& number) {
  korvel::client::Outcome out;
  const auto seatNumber = game.takeLoginSeat(number, out);
  render(out);
  if (!seatNumber) return;
  // The seat goes back as read ("0002" answers "2"): a host cannot make the answer any longer.
  sock->send(korvel::protocol::toserver::logininfo(std::to_string(*seatNumber),
                                                   korvel::protocol::kVersion, loginname));
}

void Tchat::sockRead(TSock* sender) {
  if (sockTail_.arrive(sender->receive(), receivedlist) > 0 && !Timer1.isActive()) Timer1.start();
}

void Tchat::processsocktimer() {
  if (receivedlist.empty()) {
    Timer1.stop();
    return;
  }
  const auto line = receivedlist.take();
  if (receivedlist.empty()) Timer1.stop();
  const auto split = korvel::protocol::splitLine(line.text);
  if (split.command.empty()) return;
  if (auto it = commands_.find(split.command); it != commands_.end()) {
    it->second(split.argument);
    return;
  }
  korvel::client::Outcome out;
  if (game.handle(split.command, split.argument, out)) render(out);
}

void Tchat::sockInfo(TSock*, int kind, const std::string& msg) {
  if (msg == "Socket Closed") {
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
    reportedConnectFailure_ = true;
    addlinetochat("0+Could not connect to " + sock->HostName + ".", systemcolor);
  }
}

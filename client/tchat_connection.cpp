// Start-up choice, the game and lobby connections, the receive queue and the login.

#include <QHostAddress>
#include <QNetworkInterface>
#include <algorithm>
#include <exception>

#include "app/host_address.h"
#include "app/hosting_help.h"
#include "app/message_boxes.h"
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
  } catch (const std::exception& e) {
    messageBoxes().showMessage(peerText(e.what()));
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
  if (plan.mode == korvel::app::StartMode::Solo) {
    // Read now: the settings are loaded only once the server has announced this client.
    if (settingsStore) {
      showDownloadOffer =
          korvel::app::loadSettingsFile(settingsStore->file(), korvel::app::kSettingsSection)
              .showdownload;
    }
    if (showDownload && showDownloadOffer) showDownload();
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
  game.myplayer = korvel::protocol::parseInt(number);
  game.connected = true;
  // The seat goes back as read ("0002" answers "2"): a host cannot make the answer any longer.
  sock->send(korvel::protocol::toserver::logininfo(std::to_string(game.myplayer),
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
  if (kind == 1) connectTimer_.stop();
  if (msg == "Socket Closed" && joinAbandoned_) {
    // The join given up after its time: the window stays, with the reason in the chat.
    joinAbandoned_ = false;
    return;
  }
  if (msg == "Socket Closed") {
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

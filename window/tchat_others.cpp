// Playing with others: leaving this copy for a new command line, invitation links, a join that
// fails, and the alert when a turn starts while the window is in the background.

#include <QApplication>
#include <QClipboard>

#include "app/host_address.h"
#include "app/hosting_help.h"
#include "app/recent_hosts.h"
#include "app/settings_file.h"
#include "client/leave_question.h"
#include "client/turn_alert_text.h"
#include "protocol/tsock.h"
#include "shell/message_boxes.h"
#include "shell/turn_notifier.h"
#include "window/tchat.h"

bool Tchat::startAs(const QStringList& arguments, int port, bool portMapping) {
  const auto question = korvel::client::leaveQuestion(game, solo);
  if (question && !messageBoxes().askYesNo(QString::fromStdString(*question))) return false;
  if (!restartAs || !restartAs(arguments, port, portMapping)) return false;
  if (question) tellHostLeaving();
  leaving_ = true;
  close();
  return true;
}

void Tchat::CopyInvitation1Click() {
  if (invitationLinks.empty()) return;
  copyInvitation(invitationLinks.front());
}

void Tchat::copyInvitation(const std::string& link) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(link));
  addlinetochat(korvel::app::invitationCopiedLine(link), systemcolor);
}

void Tchat::rememberJoinedHost() {
  // Only a host that answered the login is kept: an address nobody hosts at never gets here.
  if (joinRemembered_ || game.hosting || solo || !settingsStore) return;
  joinRemembered_ = true;
  korvel::app::updateIniFile(settingsStore->file(), [this](korvel::app::IniFile& ini) {
    const auto section = korvel::app::kSettingsSection;
    const auto stored = ini.get(section, korvel::app::kRecenthostsKey).value_or("");
    ini.set(section, korvel::app::kRecenthostsKey,
            korvel::app::recentHostsAfterJoin(stored, hostaddress, ports_.game,
                                              korvel::app::kDefaultGamePort));
  });
}

void Tchat::showOutsideInvitation(const std::string& link) {
  if (!outsideInvitation.empty()) std::erase(invitationLinks, outsideInvitation);
  outsideInvitation = link;
  if (!link.empty()) invitationLinks.insert(invitationLinks.begin(), link);
  CopyInvitation1->setEnabled(!invitationLinks.empty());
}

void Tchat::reportJoinFailure(const std::string& socketError) {
  connectTimer_.stop();
  if (reportedConnectFailure_) return;
  reportedConnectFailure_ = true;
  const auto failure = korvel::app::connectFailureFromErrorName(socketError);
  const std::string reason = korvel::app::connectFailureText(failure, hostaddress, ports_.game);
  addlinetochat("0+" + reason, systemcolor);
  if (joinFailed) joinFailed(hostaddress, ports_.game, QString::fromStdString(reason));
}

void Tchat::joinTimedOut() {
  if (sock->connected() || game.connected) return;
  // Closing a connection that never came up reports "Socket Closed", which would otherwise
  // close the window.
  joinAbandoned_ = true;
  sock->close();
  reportJoinFailure("SocketTimeoutError");
}

void Tchat::setNotifyOnMyTurn(bool on) {
  notifyOnMyTurn = on;
  NotifyOnMyTurn1->setChecked(on);
}

void Tchat::NotifyOnMyTurn1Click(bool checked) {
  setNotifyOnMyTurn(checked);
  if (!settingsStore) return;
  korvel::app::saveKey(settingsStore->file(), korvel::app::kSettingsSection,
                       korvel::app::kNotifyonmyturnKey, checked ? "true" : "false");
}

void Tchat::myTurnStarted() {
  if (!notifyOnMyTurn || (windowActive && windowActive())) return;
  QApplication::alert(this);
  if (!turnNotifier) return;
  turnNotifier->notify(QString::fromUtf8(korvel::client::kTurnAlertSummary.data(),
                                         qsizetype(korvel::client::kTurnAlertSummary.size())),
                       QString::fromStdString(korvel::client::turnAlertBody(game.history.record)));
}

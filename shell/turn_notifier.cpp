#include "shell/turn_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QElapsedTimer>
#include <QStringList>
#include <QVariantMap>
#include <algorithm>

#include "client/turn_alert_text.h"

namespace {

const QString kService = "org.freedesktop.Notifications";
const QString kPath = "/org/freedesktop/Notifications";
const QString kInterface = "org.freedesktop.Notifications";

}  // namespace

DbusTurnNotifier::DbusTurnNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
  clock = [] {
    static QElapsedTimer started;
    if (!started.isValid()) started.start();
    return started.elapsed();
  };
  paceTimer_.setSingleShot(true);
  connect(&paceTimer_, &QTimer::timeout, this, &DbusTurnNotifier::showWaiting);
  if (!bus_.isConnected()) return;
  bus_.connect(kService, kPath, kInterface, "ActionInvoked", this,
               SLOT(onActionInvoked(uint, QString)));
  bus_.connect(kService, kPath, kInterface, "NotificationClosed", this, SLOT(onClosed(uint, uint)));
}

void DbusTurnNotifier::notify(const QString& summary, const QString& body) {
  if (!bus_.isConnected()) return;
  waitingSummary_ = summary;
  if (const auto now = pacer_.offer(clock(), body.toStdString())) {
    send(summary, QString::fromStdString(*now));
  }
  armPaceTimer();
}

void DbusTurnNotifier::showWaiting() {
  if (const auto now = pacer_.due(clock())) send(waitingSummary_, QString::fromStdString(*now));
  armPaceTimer();
}

void DbusTurnNotifier::armPaceTimer() {
  const auto at = pacer_.dueAt();
  if (!at) {
    paceTimer_.stop();
    return;
  }
  paceTimer_.start(int(std::max<qint64>(0, *at - clock())));
}

void DbusTurnNotifier::send(const QString& summary, const QString& body) {
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
  // Servers that read markup in the body would take a player's name like "<b>Eve</b>" as
  // formatting.
  const QString plainBody =
      QString::fromStdString(korvel::client::escapeNotificationMarkup(body.toStdString()));
  QVariantMap hints;
  hints.insert("desktop-entry", QString("korvel"));
  hints.insert("category", QString("im.received"));
  call << QString("Korvel") << shownId_ << QString("korvel") << summary << plainBody
       << QStringList{"default", "Show Korvel"} << hints << qint32(-1);
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    const QDBusPendingReply<uint> reply = *w;
    // No service: the error is the whole answer; the game goes on without notifications.
    if (!reply.isError()) shownId_ = reply.value();
    w->deleteLater();
  });
}

void DbusTurnNotifier::onActionInvoked(uint id, const QString& action) {
  if (id == 0 || id != shownId_) return;
  if (action == "default" && activated) activated();
}

void DbusTurnNotifier::onClosed(uint id, uint) {
  if (id == shownId_) shownId_ = 0;
}

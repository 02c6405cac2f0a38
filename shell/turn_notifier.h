#pragma once
// Desktop notifications behind an interface that tests replace. The program's sender calls the
// freedesktop notification service (org.freedesktop.Notifications) over the session bus with
// Qt D-Bus. Every call is asynchronous: without a bus or a notification service nothing fails
// and nothing waits, the notification is simply not shown.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <optional>

#include "client/turn_alert_text.h"

class TurnNotifier {
 public:
  TurnNotifier() = default;
  virtual ~TurnNotifier() = default;
  TurnNotifier(const TurnNotifier&) = delete;
  TurnNotifier& operator=(const TurnNotifier&) = delete;

  // Shows a notification; body is plain text. A new one replaces the one shown before.
  // DbusTurnNotifier shows at most one every kTurnAlertSpacingMs; one that comes sooner waits
  // and shows when that time has passed, unless a newer one takes its place.
  virtual void notify(const QString& summary, const QString& body) = 0;
  // Runs when the user activates the notification (clicks it).
  std::function<void()> activated;
};

class DbusTurnNotifier : public QObject, public TurnNotifier {
  Q_OBJECT
 public:
  // bus: the session bus by default; tests give a private one.
  explicit DbusTurnNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                            QObject* parent = nullptr);
  void notify(const QString& summary, const QString& body) override;

  // The id of the notification on screen, 0 while none has been confirmed.
  uint shownId() const { return shownId_; }

  // Milliseconds of a steady clock (tests give their own).
  std::function<qint64()> clock;
  // The pacing timer's handler: shows the notification that waits, once its time has come.
  void showWaiting();
  // When the one waiting is due on clock's scale; nothing while none waits.
  std::optional<qint64> waitingDueAt() const { return pacer_.dueAt(); }

 private slots:
  void onActionInvoked(uint id, const QString& action);
  void onClosed(uint id, uint reason);

 private:
  void send(const QString& summary, const QString& body);
  void armPaceTimer();

  QDBusConnection bus_;
  uint shownId_ = 0;
  korvel::client::TurnAlertPacer pacer_;
  // The pacer holds the body; the summary of the latest notify goes with it.
  QString waitingSummary_;
  QTimer paceTimer_;
};

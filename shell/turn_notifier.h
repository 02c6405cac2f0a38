#pragma once
// Desktop notifications behind an interface that tests replace. The program's sender calls the
// freedesktop notification service (org.freedesktop.Notifications) over the session bus with
// Qt D-Bus. Every call is asynchronous: without a bus or a notification service nothing fails
// and nothing waits, the notification is simply not shown.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>

class TurnNotifier {
 public:
  TurnNotifier() = default;
  virtual ~TurnNotifier() = default;
  TurnNotifier(const TurnNotifier&) = delete;
  TurnNotifier& operator=(const TurnNotifier&) = delete;

  // Shows a notification; body is plain text. A new one replaces the one shown before.
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

 private slots:
  void onActionInvoked(uint id, const QString& action);
  void onClosed(uint id, uint reason);

 private:
  QDBusConnection bus_;
  uint shownId_ = 0;
};

// The desktop notification sender against a private session bus: one with a stand-in
// notification service, one without any.
#include "shell/turn_notifier.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

namespace {

// The freedesktop notification service as far as the game uses it.
class FakeNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public:
  struct Call {
    QString app, summary, body;
    uint replaces;
    QStringList actions;
  };
  std::vector<Call> calls;

 public slots:
  uint Notify(const QString& app, uint replaces, const QString&, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap&, int) {
    calls.push_back({app, summary, body, replaces, actions});
    return uint(calls.size()) + 40;
  }
};

// A session bus of the test's own, gone with it.
struct PrivateBus {
  QProcess daemon;
  QString address;
  PrivateBus() {
    daemon.start("dbus-daemon", {"--session", "--nofork", "--nopidfile", "--print-address=1"});
    if (!daemon.waitForStarted(5000)) return;
    if (!QTest::qWaitFor([&] { return daemon.canReadLine(); }, 5000)) return;
    address = QString::fromUtf8(daemon.readLine()).trimmed();
  }
  ~PrivateBus() {
    daemon.kill();
    daemon.waitForFinished(5000);
  }
};

}  // namespace

TEST(TurnNotifier, SendsToTheSessionsNotificationServiceAndActivationRaises) {
  PrivateBus bus;
  ASSERT_FALSE(bus.address.isEmpty()) << "dbus-daemon did not start";
  QDBusConnection service = QDBusConnection::connectToBus(bus.address, "service");
  ASSERT_TRUE(service.isConnected());
  FakeNotifications fake;
  ASSERT_TRUE(service.registerObject("/org/freedesktop/Notifications", &fake,
                                     QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(service.registerService("org.freedesktop.Notifications"));

  DbusTurnNotifier notifier(QDBusConnection::connectToBus(bus.address, "game"));
  qint64 now = 100000;
  notifier.clock = [&] { return now; };
  int activations = 0;
  notifier.activated = [&] { ++activations; };
  notifier.notify("Your turn in Korvel", "<b>Eve</b> laid QUIZ for 34");
  ASSERT_TRUE(QTest::qWaitFor([&] { return notifier.shownId() != 0; }, 5000));
  ASSERT_EQ(fake.calls.size(), 1u);
  EXPECT_EQ(fake.calls[0].app, "Korvel");
  EXPECT_EQ(fake.calls[0].summary, "Your turn in Korvel");
  EXPECT_EQ(fake.calls[0].body, "&lt;b&gt;Eve&lt;/b&gt; laid QUIZ for 34");
  EXPECT_EQ(fake.calls[0].replaces, 0u);
  EXPECT_EQ(fake.calls[0].actions, (QStringList{"default", "Show Korvel"}));
  EXPECT_EQ(notifier.shownId(), 41u);

  // Another notification's action, or another action, does nothing; "default" on ours raises.
  const auto invoke = [&](uint id, const QString& action) {
    QDBusMessage signal = QDBusMessage::createSignal(
        "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked");
    signal << id << action;
    service.send(signal);
  };
  invoke(7, "default");
  invoke(41, "other");
  invoke(41, "default");
  EXPECT_TRUE(QTest::qWaitFor([&] { return activations == 1; }, 5000));
  QTest::qWait(50);
  EXPECT_EQ(activations, 1);

  // A host changing the turn many times a second: nothing more until five seconds after the
  // first, then the latest, replacing the one on screen.
  for (int i = 0; i < 200; ++i) {
    now += 20;
    notifier.notify("Your turn in Korvel", QString("Bob passed %1").arg(i));
  }
  EXPECT_EQ(notifier.waitingDueAt(), 105000);
  notifier.showWaiting();  // the pacing timer, early
  QTest::qWait(50);
  EXPECT_EQ(fake.calls.size(), 1u);
  now = 105000;
  notifier.showWaiting();
  ASSERT_TRUE(QTest::qWaitFor([&] { return fake.calls.size() == 2; }, 5000));
  EXPECT_EQ(fake.calls[1].body, "Bob passed 199");
  EXPECT_EQ(fake.calls[1].replaces, 41u);
  EXPECT_EQ(notifier.waitingDueAt(), std::nullopt);
  notifier.showWaiting();
  QTest::qWait(50);
  EXPECT_EQ(fake.calls.size(), 2u);
  QDBusConnection::disconnectFromBus("service");
}

TEST(TurnNotifier, WithoutANotificationServiceNothingFailsOrWaits) {
  PrivateBus bus;
  ASSERT_FALSE(bus.address.isEmpty()) << "dbus-daemon did not start";
  DbusTurnNotifier notifier(QDBusConnection::connectToBus(bus.address, "lonely"));
  QElapsedTimer clock;
  clock.start();
  notifier.notify("Your turn in Korvel", "Bob passed");
  EXPECT_LT(clock.elapsed(), 1000) << "the call is asynchronous";
  QTest::qWait(100);
  EXPECT_EQ(notifier.shownId(), 0u);

  // No bus at all.
  DbusTurnNotifier none(QDBusConnection::connectToBus("unix:path=/nonexistent/bus", "none"));
  none.notify("Your turn in Korvel", "Bob passed");
  EXPECT_EQ(none.shownId(), 0u);
}

#include "turn_notifier_test.moc"

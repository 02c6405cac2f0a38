#include "shell/instance_guard.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Leaves a socket file that nobody listens on, as a copy that crashed would.
void leaveStaleSocket(const QString& path) {
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const QByteArray p = QFile::encodeName(path);
  ASSERT_LT(static_cast<size_t>(p.size()), sizeof(addr.sun_path));
  memcpy(addr.sun_path, p.constData(), p.size());
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
  ::close(fd);
  ASSERT_TRUE(QFile::exists(path));
}

QProcess* startKorvel(const QString& runtimeDir, const QStringList& args) {
  auto* p = new QProcess;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("XDG_RUNTIME_DIR", runtimeDir);
  env.insert("XDG_STATE_HOME", runtimeDir);  // the log goes there, not to the user's
  env.insert("QT_QPA_PLATFORM", "offscreen");
  p->setProcessEnvironment(env);
  p->start(KORVEL_EXE, args);
  return p;
}

}  // namespace

TEST(InstanceGuard, SecondCopyInSameDirectoryAsksTheFirstToActivate) {
  QTemporaryDir dir;
  InstanceGuard first(dir.path());
  ASSERT_TRUE(first.acquire());
  QSignalSpy activated(&first, &InstanceGuard::activateRequested);

  InstanceGuard second(dir.path());
  EXPECT_FALSE(second.acquire());
  EXPECT_TRUE(QTest::qWaitFor([&] { return activated.count() == 1; }, 5000));

  QTemporaryDir other;
  InstanceGuard elsewhere(other.path());
  EXPECT_TRUE(elsewhere.acquire()) << "another runtime directory is a separate scope";
}

TEST(InstanceGuard, ACopyStartedForAnInvitationLinkHandsItToTheFirst) {
  QTemporaryDir dir;
  InstanceGuard first(dir.path());
  ASSERT_TRUE(first.acquire());
  QSignalSpy activated(&first, &InstanceGuard::activateRequested);
  QSignalSpy invited(&first, &InstanceGuard::invitationRequested);

  InstanceGuard plain(dir.path());
  EXPECT_FALSE(plain.acquire());
  ASSERT_TRUE(QTest::qWaitFor([&] { return activated.count() == 1; }, 5000));
  InstanceGuard linked(dir.path());
  EXPECT_FALSE(linked.acquire("korvel://192.168.1.20:7772"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return invited.count() == 1; }, 5000));
  EXPECT_EQ(invited[0][0].toString(), "korvel://192.168.1.20:7772");
  EXPECT_EQ(activated.count(), 2);
}

TEST(InstanceGuard, GuardLeftByACrashedCopyDoesNotStopTheNextStart) {
  QTemporaryDir dir;
  leaveStaleSocket(QDir(dir.path()).filePath("77nouq"));
  InstanceGuard guard(dir.path());
  EXPECT_TRUE(guard.acquire());
  QSignalSpy activated(&guard, &InstanceGuard::activateRequested);
  InstanceGuard later(dir.path());
  EXPECT_FALSE(later.acquire());
  EXPECT_TRUE(QTest::qWaitFor([&] { return activated.count() == 1; }, 5000));
}

TEST(InstanceGuard, RunningMarkerIsHeldInTheRuntimeDirectory) {
  QTemporaryDir dir;
  RunningMarker marker(dir.path());
  EXPECT_TRUE(marker.held());
  EXPECT_TRUE(QFile::exists(QDir(dir.path()).filePath("korvel")));
}

TEST(InstanceGuardProcess, SecondProgramEndsQuicklyAndAnotherDirectoryRunsItsOwn) {
  QTemporaryDir dir, other;
  // Two parameters: the program waits with its loading line and opens no connection.
  std::unique_ptr<QProcess> first(startKorvel(dir.path(), {"Ann", "nowhere"}));
  ASSERT_TRUE(first->waitForStarted(10000));
  const QString guardPath = QDir(dir.path()).filePath("77nouq");
  ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(guardPath); }, 20000));

  std::unique_ptr<QProcess> second(startKorvel(dir.path(), {}));
  ASSERT_TRUE(second->waitForFinished(10000));
  EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second->exitCode(), 0);
  EXPECT_EQ(first->state(), QProcess::Running);

  std::unique_ptr<QProcess> third(startKorvel(other.path(), {"Bo", "nowhere"}));
  ASSERT_TRUE(third->waitForStarted(10000));
  const QString otherGuard = QDir(other.path()).filePath("77nouq");
  EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(otherGuard); }, 20000));
  EXPECT_EQ(third->state(), QProcess::Running);

  for (auto* p : {first.get(), third.get()}) {
    p->kill();
    p->waitForFinished(5000);
  }
}

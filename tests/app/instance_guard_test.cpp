#include "shell/instance_guard.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
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

// A socket that listens but never accepts, with its queue full: a copy that is alive but cannot
// answer. Closed with the object.
struct BusySocket {
  int listener = -1;
  std::vector<int> waiting;
  explicit BusySocket(const QString& path) {
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const QByteArray p = QFile::encodeName(path);
    memcpy(addr.sun_path, p.constData(), std::min<size_t>(p.size(), sizeof(addr.sun_path) - 1));
    listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) return;
    if (::listen(listener, 0) != 0) return;
    for (int n = 0; n < 16; ++n) {
      const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0);
      waiting.push_back(fd);
      if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) != 0) break;
    }
  }
  ~BusySocket() {
    for (int fd : waiting) ::close(fd);
    ::close(listener);
  }
};

ino_t inodeOf(const QString& path) {
  struct stat info {};
  ::lstat(QFile::encodeName(path).constData(), &info);
  return info.st_ino;
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

TEST(InstanceGuard, ALiveCopysSocketIsNeverTakenOverWhenItCannotAnswer) {
  QTemporaryDir dir;
  const QString path = QDir(dir.path()).filePath("77nouq");
  {
    BusySocket busy(path);
    ASSERT_GT(busy.waiting.size(), 1u) << "the queue did not fill";
    const ino_t before = inodeOf(path);
    InstanceGuard late(dir.path());
    EXPECT_TRUE(late.acquire("korvel://box")) << "it runs, on its own";
    EXPECT_FALSE(late.listening());
    EXPECT_FALSE(late.problem().isEmpty());
    EXPECT_EQ(inodeOf(path), before) << "the live copy's socket was replaced";
  }
  // Once nobody listens there, the name is free to take.
  InstanceGuard next(dir.path());
  EXPECT_TRUE(next.acquire());
  EXPECT_TRUE(next.listening());
  EXPECT_TRUE(next.problem().isEmpty());
}

TEST(InstanceGuard, IdleHandOffConnectionsAreCappedAndClosedAfterTwoSeconds) {
  QTemporaryDir dir;
  InstanceGuard first(dir.path());
  qint64 now = 0;
  first.clock = [&] { return now; };
  ASSERT_TRUE(first.acquire());
  QSignalSpy invited(&first, &InstanceGuard::invitationRequested);
  // Twenty connections that say nothing: sixteen are kept, the others closed as they come.
  std::vector<std::unique_ptr<QLocalSocket>> idle(20);
  for (auto& socket : idle) {
    socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(QDir(dir.path()).filePath("77nouq"));
    ASSERT_TRUE(socket->waitForConnected(5000));
  }
  const auto closed = [&] {
    return std::count_if(idle.begin(), idle.end(), [](const auto& s) {
      return s->state() == QLocalSocket::UnconnectedState;
    });
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return closed() == 4; }, 5000));
  EXPECT_EQ(first.openPeers(), 16u);
  now = 1999;
  first.closeQuietPeers();
  EXPECT_EQ(first.openPeers(), 16u);
  now = 2000;
  first.closeQuietPeers();
  EXPECT_EQ(first.openPeers(), 0u);
  EXPECT_TRUE(QTest::qWaitFor([&] { return closed() == 20; }, 5000));
  // The guard still answers a real second copy.
  InstanceGuard linked(dir.path());
  EXPECT_FALSE(linked.acquire("korvel://box:7772"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return invited.count() == 1; }, 5000));
  EXPECT_EQ(invited[0][0].toString(), "korvel://box:7772");
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

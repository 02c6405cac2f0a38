// Whole-program tests: the built korvel, started with its own runtime directory and ports.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "dialogs/tplaywithothers.h"

namespace {

const QByteArray FF(1, '\xFF');

int freePort() {
  QTcpServer probe;
  EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
  return probe.serverPort();
}

struct Program {
  QTemporaryDir runtime;
  QProcess process;
  Program(const QStringList& args, int gamePort, int lobbyPort) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("XDG_STATE_HOME", runtime.path());  // the log goes there, not to the user's
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KORVEL_PORT", QString::number(gamePort));
    env.insert("KORVEL_LOBBY_PORT", QString::number(lobbyPort));
    process.setProcessEnvironment(env);
    process.start(KORVEL_EXE, args);
    EXPECT_TRUE(process.waitForStarted(10000));
  }
  ~Program() {
    process.kill();
    process.waitForFinished(5000);
  }
};

// A raw protocol client.
struct RawClient {
  QTcpSocket socket;
  QByteArray received;
  bool connectTo(int port) {
    return QTest::qWaitFor(
        [&] {
          if (socket.state() == QAbstractSocket::ConnectedState) return true;
          if (socket.state() == QAbstractSocket::UnconnectedState) {
            socket.connectToHost(QHostAddress::LocalHost, port);
          }
          return false;
        },
        20000);
  }
  bool waitFor(const QByteArray& text) {
    return QTest::qWaitFor(
        [&] {
          received += socket.readAll();
          return received.contains(text);
        },
        10000);
  }
};

}  // namespace

TEST(Program, SoloGameHostsWithItsOwnClientOnSeatOneAndAJoinerLogsIn) {
  const int port = freePort();
  QTcpServer lobby;
  ASSERT_TRUE(lobby.listen(QHostAddress::LocalHost, 0));
  Program host({}, port, lobby.serverPort());

  RawClient observer;
  ASSERT_TRUE(observer.connectTo(port));
  ASSERT_TRUE(observer.waitFor("CMD_sendlogininfo+2" + FF)) << observer.received.toStdString();
  // The first thing a new connection hears is its seat (the host's own login may follow, since
  // messages to all reach a seat whose login is pending).
  EXPECT_TRUE(observer.received.startsWith("CMD_sendlogininfo+2" + FF));
  observer.socket.write("CMD_logininfo+2+1.0.2+Obs" + FF);
  // The host's client is on seat 1 as "You": in the list of those present, or announced when its
  // own login comes after the observer's ("CMD_existingplayers+1+You+0" or
  // "CMD_newplayerinfo+1+You+0").
  ASSERT_TRUE(observer.waitFor("+1+You+0" + FF)) << observer.received.toStdString();
  EXPECT_FALSE(lobby.hasPendingConnections()) << "a solo game never opens the lobby connection";

  Program joiner({"Ann", "127.0.0.1", "false"}, port, lobby.serverPort());
  EXPECT_TRUE(observer.waitFor("CMD_newplayerinfo+3+Ann+0" + FF));
  EXPECT_TRUE(QTest::qWaitFor([&] { return lobby.hasPendingConnections(); }, 10000));

  // The joiner's program ending frees its seat on the host.
  joiner.process.kill();
  EXPECT_TRUE(observer.waitFor("CMD_playerdisconnected+3+Ann" + FF));
}

// Qt knows options such as -reverse, -platform X, -style X and -session X; the game's command
// line is read as given all the same, and Qt does not act on it.
TEST(Program, ArgumentsThatLookLikeQtOptionsAreTheGamesOwn) {
  const QList<QStringList> starts = {
      {"-reverse", "127.0.0.1", "false"},
      {"-platform", "127.0.0.1", "false"},
      {"-session", "127.0.0.1", "false", "-style", "-reverse"},
  };
  for (const QStringList& args : starts) {
    SCOPED_TRACE(args.join(' ').toStdString());
    QTcpServer game, lobby;
    ASSERT_TRUE(game.listen(QHostAddress::LocalHost, 0));
    ASSERT_TRUE(lobby.listen(QHostAddress::LocalHost, 0));
    Program joiner(args, game.serverPort(), lobby.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return game.hasPendingConnections(); }, 20000))
        << joiner.process.readAllStandardError().toStdString();
    std::unique_ptr<QTcpSocket> conn(game.nextPendingConnection());
    conn->write("CMD_sendlogininfo+2" + FF);
    QByteArray received;
    const QByteArray login = "CMD_logininfo+2+1.0.2+" + args[0].toUtf8() + FF + FF;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
          received += conn->readAll();
          return received == login;
        },
        10000))
        << received.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return lobby.hasPendingConnections(); }, 10000));
  }
}

// The Play with Others window hosts and joins by starting the program with the command line and
// port it decides: one copy hosts from it, another joins it by the typed address and port.
TEST(Program, PlayWithOthersHostsInOneCopyAndJoinsFromAnother) {
  const int port = freePort();
  QTcpServer lobby;
  ASSERT_TRUE(lobby.listen(QHostAddress::LocalHost, 0));
  QTemporaryDir settings;

  TPlayWithOthers hostWindow;
  hostWindow.gamePort = port;
  hostWindow.settingsFile = settings.filePath("host.ini").toStdString();
  std::vector<TPlayWithOthers::StartRequest> hostStarts;
  hostWindow.start = [&](const TPlayWithOthers::StartRequest& r) { hostStarts.push_back(r); };
  hostWindow.open();
  hostWindow.nameEdit->setText("Ann");
  hostWindow.HostClick();
  ASSERT_EQ(hostStarts.size(), 1u);
  Program host(hostStarts[0].arguments, hostStarts[0].port, lobby.serverPort());

  RawClient observer;
  ASSERT_TRUE(observer.connectTo(port));
  ASSERT_TRUE(observer.waitFor("CMD_sendlogininfo+2" + FF)) << observer.received.toStdString();
  observer.socket.write("CMD_logininfo+2+1.0.2+Obs" + FF);
  ASSERT_TRUE(observer.waitFor("+1+Ann+0" + FF)) << observer.received.toStdString();

  // The joining copy runs with the default port: the typed address carries the host's.
  TPlayWithOthers joinWindow;
  joinWindow.gamePort = 7772;
  joinWindow.settingsFile = settings.filePath("join.ini").toStdString();
  std::vector<TPlayWithOthers::StartRequest> joinStarts;
  joinWindow.start = [&](const TPlayWithOthers::StartRequest& r) { joinStarts.push_back(r); };
  joinWindow.open();
  joinWindow.nameEdit->setText("Bob");
  joinWindow.addressEdit->setText(QString("127.0.0.1:%1").arg(port));
  joinWindow.JoinClick();
  ASSERT_EQ(joinStarts.size(), 1u);
  EXPECT_EQ(joinStarts[0].arguments, (QStringList{"Bob", "127.0.0.1", "false"}));
  Program joiner(joinStarts[0].arguments, joinStarts[0].port, lobby.serverPort());
  EXPECT_TRUE(observer.waitFor("CMD_newplayerinfo+3+Bob+0" + FF))
      << observer.received.toStdString();
}

// A logout or `kill` ends the program through its event loop: it exits with 0, takes its server
// down (a joined peer sees the connection close) and says so in its log.
TEST(Program, SigtermEndsThroughTheEventLoopAndIsLogged) {
  const int port = freePort();
  QTcpServer lobby;
  ASSERT_TRUE(lobby.listen(QHostAddress::LocalHost, 0));
  Program host({"Ann", "127.0.0.1", "true"}, port, lobby.serverPort());
  RawClient peer;
  ASSERT_TRUE(peer.connectTo(port));
  ASSERT_TRUE(peer.waitFor("CMD_sendlogininfo+")) << peer.received.toStdString();
  host.process.terminate();
  ASSERT_TRUE(host.process.waitForFinished(10000));
  EXPECT_EQ(host.process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(host.process.exitCode(), 0);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return peer.socket.state() == QAbstractSocket::UnconnectedState; }, 10000));
  QFile log(host.runtime.filePath("Korvel/korvel.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_TRUE(log.readAll().contains("ended on request by SIGTERM (exit code 0)"));
}

// A signal in the middle of a game, on the player's own turn: nothing asks "Leave this game?"
// (nobody may be there to answer), the program ends with 0 through its loop, says so in the log
// and leaves no running marker behind (the next start would call this run abnormal).
TEST(Program, SigtermOnOwnTurnInARunningGameEndsWithoutAsking) {
  QTcpServer game, lobby;
  ASSERT_TRUE(game.listen(QHostAddress::LocalHost, 0));
  ASSERT_TRUE(lobby.listen(QHostAddress::LocalHost, 0));
  Program joiner({"Bob", "127.0.0.1", "false"}, game.serverPort(), lobby.serverPort());
  ASSERT_TRUE(QTest::qWaitFor([&] { return game.hasPendingConnections(); }, 20000));
  std::unique_ptr<QTcpSocket> host(game.nextPendingConnection());
  QByteArray received;
  const auto receivedLogins = [&](int count) {
    return QTest::qWaitFor(
        [&] {
          received += host->readAll();
          return received.count("CMD_logininfo+2+") >= count;
        },
        10000);
  };
  host->write("CMD_sendlogininfo+2" + FF);
  ASSERT_TRUE(receivedLogins(1)) << received.toStdString();
  host->write("CMD_existingplayers+1+Ann+0" + FF + "CMD_newplayerinfo+2+Bob+0" + FF +
              "CMD_startgame+Ann+30+60+0+" + FF + "CMD_mytiles+2+1+1+2+2+3+3+4+4+5+5+6+6+7+7+8+8" +
              FF + "CMD_nextplayer+2+16+" + FF);
  // The window handles messages in order: its answer to a second request for its login shows
  // that the game has started and the turn is its own.
  host->write("CMD_sendlogininfo+2" + FF);
  ASSERT_TRUE(receivedLogins(2)) << received.toStdString();

  joiner.process.terminate();
  ASSERT_TRUE(joiner.process.waitForFinished(10000));
  EXPECT_EQ(joiner.process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(joiner.process.exitCode(), 0);
  EXPECT_TRUE(
      QTest::qWaitFor([&] { return host->state() == QAbstractSocket::UnconnectedState; }, 10000));
  QFile log(joiner.runtime.filePath("Korvel/korvel.log"));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_TRUE(log.readAll().contains("ended on request by SIGTERM (exit code 0)"));
  const QDir state(joiner.runtime.filePath("Korvel"));
  EXPECT_TRUE(state.entryList({"running-*"}, QDir::Files | QDir::Hidden).isEmpty());
}

namespace {

// A copy of the program in a folder of its own (where it keeps its settings), asked for a zoom
// that the offscreen screen (800 x 600) cannot hold, with the log and markers in state/.
struct ZoomedCopy {
  QTemporaryDir dir;
  QProcess process;
  explicit ZoomedCopy(bool deleteProgramFile) {
    const QString exe = dir.filePath("korvel");
    EXPECT_TRUE(QFile::copy(KORVEL_EXE, exe));
    // A program file without a name has no folder: its settings are in XDG_CONFIG_HOME's.
    QDir(dir.path()).mkpath("Korvel");
    QFile settings(dir.filePath(deleteProgramFile ? "Korvel/quonlobby.ini" : "quonlobby.ini"));
    EXPECT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[Korvel]\nZoom=150\n");
    settings.close();
    QDir(dir.path()).mkpath("state");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", dir.path());
    env.insert("XDG_STATE_HOME", dir.filePath("state"));
    env.insert("XDG_CONFIG_HOME", dir.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("KORVEL_PORT", QString::number(freePort()));
    env.insert("KORVEL_LOBBY_PORT", QString::number(freePort()));
    process.setProcessEnvironment(env);
    QString program = exe;
    int fd = -1;
    if (deleteProgramFile) {
      // Started through a descriptor of a file without a name, so no restart can find it.
      fd = ::open(QFile::encodeName(exe).constData(), O_RDONLY);  // inherited by the child
      EXPECT_GE(fd, 0);
      QFile::remove(exe);
      program = "/proc/self/fd/" + QString::number(fd);
    }
    process.start(program, {"Ann", "127.0.0.1", "true"});
    EXPECT_TRUE(process.waitForStarted(10000));
    if (fd >= 0) ::close(fd);
  }
  ~ZoomedCopy() {
    process.kill();
    process.waitForFinished(5000);
  }
  QByteArray log() const {
    QFile file(dir.filePath("state/Korvel/korvel.log"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  QStringList markers() const {
    return QDir(dir.filePath("state/Korvel")).entryList({"running-*"}, QDir::Files);
  }
};

}  // namespace

// A zoom chosen on a larger screen: the program saves the largest that fits and starts again
// before any window shows, ending this copy cleanly (no marker left, so the new copy does not
// report an abnormal end); when it cannot start again, it goes on at the zoom it has and says so.
TEST(Program, AZoomTooLargeForTheScreenStartsAgainAtOneThatFitsOrGoesOnWhenItCannot) {
  {
    ZoomedCopy copy(false);
    const QString first = "running-" + QString::number(copy.process.processId());
    ASSERT_TRUE(copy.process.waitForFinished(20000));
    EXPECT_EQ(copy.process.exitCode(), 0);
    EXPECT_TRUE(
        copy.log().contains("zoom 150% does not fit the screen, 100% fits: ended to "
                            "start again (exit code 0)"))
        << copy.log().toStdString();
    // The new copy, at 100%, runs and leaves the first one's end alone.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return copy.markers().size() == 1 && copy.markers()[0] != first; }, 20000))
        << copy.log().toStdString();
    EXPECT_EQ(copy.log().count("ended to start again"), 1);
    EXPECT_FALSE(copy.log().contains("outside the main loop"));
    const QStringList markers = copy.markers();
    EXPECT_NE(markers[0], first);
    ::kill(markers[0].mid(8).toInt(), SIGTERM);
    EXPECT_TRUE(QTest::qWaitFor([&] { return copy.markers().isEmpty(); }, 20000));
  }
  ZoomedCopy deleted(true);
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        return deleted.log().contains(
            "zoom 150% does not fit the screen, 100% is saved for the next start; going on at "
            "150%: cannot start again: the program file ");
      },
      20000))
      << deleted.log().toStdString();
  EXPECT_EQ(deleted.process.state(), QProcess::Running);
}

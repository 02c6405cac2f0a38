// The games table (churn included), the Avahi thread's end, the adapter without avahi-daemon, and
// two network namespaces with their own daemons: two host korvels and a hostile stranger publish
// in one, the table in the other finds both games, never the stranger's, and joins one.
#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/error.h>
#include <avahi-common/simple-watch.h>
#include <gtest/gtest.h>
#include <sys/time.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QScrollBar>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTableView>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <future>
#include <iostream>
#include <memory>
#include <set>
#include <string>

#include "dialogs/network_games_view.h"
#include "dialogs/tplaywithothers.h"
#include "net/avahi_poll.h"
#include "net/avahi_thread.h"
#include "net/game_publisher.h"
#include "net/game_record.h"

namespace {

using korvel::net::FoundGame;
using korvel::net::GameState;

const QByteArray FF(1, '\xFF');

FoundGame game(const std::string& name, const std::string& host, const std::string& address,
               int players, GameState state = GameState::Waiting) {
  return {name, "local", address, 7772, {"1.0.2", host, players, 0, state}};
}

QString cell(const NetworkGamesView& view, int row, int column) {
  return view.model()->index(row, column).data().toString();
}

// A double-click as the view sees it: Qt's item views take a double-click only on the item the
// press before it was on.
void doubleClick(QTableView* table, const QModelIndex& index) {
  const QPoint at = table->visualRect(index).center();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
}

TEST(NetworkGamesView, ShowsPlainCellsKeepsTheSelectionAndJoinsOnEnterOrDoubleClick) {
  NetworkGamesView view(nullptr, NetworkGamesView::Source::Fed);
  view.resize(600, 300);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  QSignalSpy joins(&view, &NetworkGamesView::joinRequested);

  view.showGames({game("s1", "<b>Eve</b>", "10.0.0.1", 1),
                  game("s2", "Zed", "fe80::1%eth0", 3, GameState::Running)});
  EXPECT_EQ(cell(view, 0, NetworkGamesModel::HostColumn), "<b>Eve</b>");
  EXPECT_EQ(cell(view, 0, NetworkGamesModel::AddressColumn), "10.0.0.1:7772");
  EXPECT_EQ(cell(view, 1, NetworkGamesModel::AddressColumn), "[fe80::1%eth0]:7772");
  EXPECT_EQ(cell(view, 1, NetworkGamesModel::PlayersColumn), "3");
  EXPECT_EQ(cell(view, 1, NetworkGamesModel::StateColumn), "Playing");
  EXPECT_EQ(cell(view, 0, NetworkGamesModel::StateColumn), "Waiting for players");

  // Zed's game stays selected when a game sorting before it appears.
  view.table()->setCurrentIndex(view.model()->index(1, 0));
  view.showGames({game("s0", "Ann", "10.0.0.9", 2), game("s1", "<b>Eve</b>", "10.0.0.1", 1),
                  game("s2", "Zed", "fe80::1%eth0", 3, GameState::Running)});
  EXPECT_EQ(view.table()->currentIndex().row(), 2);
  QTest::keyClick(view.table(), Qt::Key_Return);
  ASSERT_EQ(joins.size(), 1);
  EXPECT_EQ(joins[0][0].toString(), "fe80::1%eth0");
  EXPECT_EQ(joins[0][1].toInt(), 7772);

  doubleClick(view.table(), view.model()->index(0, 1));
  ASSERT_EQ(joins.size(), 2);
  EXPECT_EQ(joins[1][0].toString(), "10.0.0.9");

  view.showGames({});
  EXPECT_TRUE(view.table()->isHidden());
  EXPECT_FALSE(view.emptyLabel()->isHidden());
  EXPECT_EQ(view.emptyLabel()->text(), "No games found on this network yet.");

  view.showUnavailable();
  EXPECT_TRUE(view.table()->isHidden());
  EXPECT_TRUE(view.emptyLabel()->isHidden());
  EXPECT_FALSE(view.unavailableLabel()->isHidden());
  EXPECT_EQ(view.unavailableLabel()->text(),
            "Finding games on this network needs the Avahi service (avahi-daemon)");
  EXPECT_EQ(view.model()->rowCount(), 0);
}

// In the Play with Others window as the program lays it out, at the size it opens with: the
// list has its heading, says so while empty, and shows every column whole, State included.
TEST(NetworkGamesView, FitsThePlayWithOthersWindowUnderItsOwnHeading) {
  TPlayWithOthers window;
  auto* view = new NetworkGamesView(&window, NetworkGamesView::Source::Fed);
  window.networkGamesArea->addWidget(view);
  view->showGames({});
  window.open();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_FALSE(view->emptyLabel()->isHidden());
  const auto labels = view->findChildren<QLabel*>();
  const bool headed = std::any_of(labels.begin(), labels.end(), [&](QLabel* l) {
    return l->text() == "&Games on this network:" && l->buddy() == view->table();
  });
  EXPECT_TRUE(headed);

  view->showGames({game("s1", "Ann", "fe80::1%eth0", 4, GameState::Running),
                   game("s2", "Bo", "192.168.100.200", 1)});
  QApplication::processEvents();
  EXPECT_EQ(cell(*view, 0, NetworkGamesModel::StateColumn), "Full: you can watch");
  QHeaderView* header = view->table()->horizontalHeader();
  const int state = NetworkGamesModel::StateColumn;
  EXPECT_LE(header->sectionViewportPosition(state) + header->sectionSize(state),
            view->table()->viewport()->width());
  const QFontMetrics metrics(view->table()->font());
  for (int column = NetworkGamesModel::AddressColumn; column <= state; ++column) {
    for (int row = 0; row < 2; ++row) {
      EXPECT_GE(header->sectionSize(column), metrics.horizontalAdvance(cell(*view, row, column)))
          << column << " " << row;
    }
  }
}

// The service name of the game shown in a row.
std::string nameAt(const NetworkGamesView& view, int row) {
  if (row < 0 || row >= view.model()->rowCount()) return {};
  return view.model()->games()[static_cast<std::size_t>(row)].name;
}

// Other games coming, going and changing while one is selected and the table is scrolled: the
// rows change in place (never a reset), the selection stays on its game, and the game at the top
// stays at the top, so the row under the mouse is still the row the player aims at.
TEST(NetworkGamesView, ChurnOfOtherGamesKeepsTheSelectionAndTheScrolledPlace) {
  NetworkGamesView view(nullptr, NetworkGamesView::Source::Fed);
  view.resize(600, 200);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  const auto named = [](int i) {
    const std::string n = (i < 10 ? "0" : "") + std::to_string(i);
    return game("s" + n, "Host" + n, "10.0.0." + std::to_string(i + 1), 1);
  };
  std::vector<FoundGame> base;
  for (int i = 0; i < 40; ++i) base.push_back(named(i));
  view.showGames(base);
  QTableView* table = view.table();
  QCoreApplication::processEvents();  // the table lays out its new rows
  table->scrollTo(view.model()->index(20, 0), QAbstractItemView::PositionAtTop);
  ASSERT_GT(table->verticalScrollBar()->value(), 0);
  ASSERT_EQ(nameAt(view, table->rowAt(0)), "s20");
  table->selectRow(24);
  QSignalSpy resets(view.model(), &QAbstractItemModel::modelReset);

  for (int round = 0; round < 30; ++round) {
    std::vector<FoundGame> games;
    for (int i = 0; i < 40; ++i) {
      // A changing third of the other games is gone this round.
      if (i != 20 && i != 24 && (i + round) % 3 == 0) continue;
      FoundGame g = named(i);
      if (i == 24) g.game.players = 1 + round % 4;      // the selected game's record changes
      if (i == 30 && round % 2) g.game.host = "Aaron";  // another one renames its host
      games.push_back(g);
    }
    // Newcomers sort before and after the top game.
    games.push_back(game("new" + std::to_string(round), "Host" + std::to_string(round % 4) + "x",
                         "10.1.0.1", 2));
    games.push_back(game("late" + std::to_string(round), "Zed", "10.1.0.2", 2));
    std::stable_sort(games.begin(), games.end(), [](const FoundGame& a, const FoundGame& b) {
      return a.game.host < b.game.host;
    });
    view.showGames(games);
    ASSERT_EQ(view.model()->games(), games) << "round " << round;
    EXPECT_EQ(nameAt(view, table->currentIndex().row()), "s24") << "round " << round;
    const auto selected = table->selectionModel()->selectedRows();
    ASSERT_EQ(selected.size(), 1) << "round " << round;
    EXPECT_EQ(nameAt(view, selected[0].row()), "s24") << "round " << round;
    EXPECT_EQ(view.model()->index(selected[0].row(), NetworkGamesModel::PlayersColumn).data(),
              1 + round % 4);
    EXPECT_EQ(nameAt(view, table->rowAt(0)), "s20") << "round " << round;
  }
  EXPECT_EQ(resets.size(), 0);
}

// Ending never waits long for the Avahi thread: a worker inside a call that does not return (a
// bus that never answers) is left behind, and ends by itself once the call returns. A worker that
// is free ends on its own thread before the owner goes on.
TEST(AvahiThread, EndingLeavesAWorkerStuckInACallAndDeletesAFreeOneOnItsThread) {
  const auto watch = [](QObject* worker, std::shared_ptr<std::atomic<QThread*>> deletedOn) {
    QObject::connect(worker, &QObject::destroyed,
                     [deletedOn] { *deletedOn = QThread::currentThread(); });
  };
  auto freeDeletedOn = std::make_shared<std::atomic<QThread*>>(nullptr);
  {
    auto* worker = new QObject;
    watch(worker, freeDeletedOn);
    AvahiThread thread("free", worker);
    thread.post([] {});
  }
  ASSERT_NE(freeDeletedOn->load(), nullptr);
  EXPECT_NE(freeDeletedOn->load(), QThread::currentThread());

  auto stuckDeletedOn = std::make_shared<std::atomic<QThread*>>(nullptr);
  std::promise<void> answer;
  std::shared_future<void> answered = answer.get_future().share();
  QSemaphore inCall;
  {
    auto* worker = new QObject;
    watch(worker, stuckDeletedOn);
    AvahiThread thread("stuck", worker);
    thread.post([&inCall, answered] {
      inCall.release();
      answered.wait();
    });
    inCall.acquire();
  }
  // Past the owner's end while the call still hangs.
  EXPECT_EQ(stuckDeletedOn->load(), nullptr);
  answer.set_value();
  QTRY_VERIFY_WITH_TIMEOUT(stuckDeletedOn->load() != nullptr, 10000);
  EXPECT_NE(stuckDeletedOn->load(), QThread::currentThread());
}

TEST(NetworkGames, WithoutADaemonTheTableSaysSoAndPublishingDoesNothing) {
  QTemporaryDir dir;
  const QByteArray saved = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
  qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + dir.filePath("no-bus").toUtf8());
  {
    NetworkGamesView view;
    // Browsing starts when the view is first shown.
    view.show();
    GamePublisher publisher;
    publisher.publish(7772, {"1.0.2", "Ann", 1, 0, GameState::Waiting});
    QTRY_VERIFY_WITH_TIMEOUT(!view.unavailableLabel()->isHidden(), 5000);
    EXPECT_TRUE(view.table()->isHidden());
    EXPECT_EQ(publisher.serviceName(), "");
  }
  if (saved.isNull()) {
    qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
  } else {
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", saved);
  }
}

// Avahi's loop on Qt's: a watch reports a readable pipe and may free itself from its callback; a
// timeout fires once at its moment, may be moved, disabled, and freed from its own callback.
TEST(AvahiQtPoll, WatchesAndTimeoutsRunOnQtsLoopAndMayFreeThemselvesWhileCalled) {
  AvahiQtPoll loop;
  const AvahiPoll* api = loop.poll();
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);

  struct Seen {
    const AvahiPoll* api;
    int reads = 0;
    AvahiWatchEvent events{};
    int fired = 0;
  } seen{api};
  AvahiWatch* watch = api->watch_new(
      api, fds[0], AVAHI_WATCH_IN,
      [](AvahiWatch* w, int fd, AvahiWatchEvent event, void* userdata) {
        auto* s = static_cast<Seen*>(userdata);
        char c;
        EXPECT_EQ(read(fd, &c, 1), 1);
        s->events = s->api->watch_get_events(w);
        EXPECT_EQ(event, AVAHI_WATCH_IN);
        if (++s->reads == 2) s->api->watch_free(w);
      },
      &seen);
  ASSERT_NE(watch, nullptr);
  ASSERT_EQ(write(fds[1], "ab", 2), 2);
  QTRY_COMPARE_WITH_TIMEOUT(seen.reads, 2, 5000);
  EXPECT_EQ(seen.events, AVAHI_WATCH_IN);
  // Freed: a further byte is not read.
  ASSERT_EQ(write(fds[1], "c", 1), 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(seen.reads, 2);

  struct timeval now;
  gettimeofday(&now, nullptr);
  const auto fire = [](AvahiTimeout* t, void* userdata) {
    auto* s = static_cast<Seen*>(userdata);
    if (++s->fired == 2) s->api->timeout_free(t);
  };
  AvahiTimeout* timeout = api->timeout_new(api, &now, fire, &seen);
  QTRY_COMPARE_WITH_TIMEOUT(seen.fired, 1, 5000);
  // Disabled, it does not fire; moved to now again, it does once more and frees itself.
  api->timeout_update(timeout, nullptr);
  QCoreApplication::processEvents();
  EXPECT_EQ(seen.fired, 1);
  api->timeout_update(timeout, &now);
  QTRY_COMPARE_WITH_TIMEOUT(seen.fired, 2, 5000);
  // One far off is freed before it fires.
  struct timeval later = now;
  later.tv_sec += 3600;
  api->timeout_free(api->timeout_new(api, &later, fire, &seen));
  close(fds[0]);
  close(fds[1]);
}

// Runs a command and says whether it exited with 0.
bool run(const QString& program, const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  p.start(program, args);
  return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString tool(const QString& name) {
  return QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
}

// Two network namespaces joined by a veth pair, removed again at the end.
struct NamespacePair {
  QString host, guest;
  bool made = false;
  NamespacePair() {
    const QString id = QString::number(getpid());
    host = "korvel-h" + id;
    guest = "korvel-g" + id;
    const QString hostLink = "kvh" + id, guestLink = "kvg" + id;
    made = run("ip", {"netns", "add", host}) && run("ip", {"netns", "add", guest}) &&
           run("ip", {"link", "add", hostLink, "type", "veth", "peer", "name", guestLink}) &&
           run("ip", {"link", "set", hostLink, "netns", host}) &&
           run("ip", {"link", "set", guestLink, "netns", guest}) &&
           run("ip", {"-n", host, "addr", "add", "10.77.7.1/24", "dev", hostLink}) &&
           run("ip", {"-n", guest, "addr", "add", "10.77.7.2/24", "dev", guestLink}) &&
           run("ip", {"-n", host, "link", "set", hostLink, "up"}) &&
           run("ip", {"-n", guest, "link", "set", guestLink, "up"}) &&
           run("ip", {"-n", host, "link", "set", "lo", "up"}) &&
           run("ip", {"-n", guest, "link", "set", "lo", "up"});
  }
  ~NamespacePair() {
    // Deleting a namespace deletes the veth end in it, and with it the pair.
    run("ip", {"netns", "del", host});
    run("ip", {"netns", "del", guest});
  }
};

TEST(NetworkGames, GamesHostedInOneNetworkNamespaceAreFoundAndJoinedFromAnother) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root for network namespaces";
  for (const char* name : {"ip", "unshare", "dbus-daemon", "avahi-daemon"}) {
    if (tool(name).isEmpty())
      GTEST_SKIP() << name << " is missing (scripts/install-deps.sh installs it)";
  }
  NamespacePair namespaces;
  if (!namespaces.made) GTEST_SKIP() << "network namespaces cannot be made here";

  // Two hosts under the same name in one namespace: the second service is renamed, and both
  // are listed.
  QTemporaryDir work;
  for (const char* dir : {"korvel-host/first/runtime", "korvel-host/second/runtime"}) {
    ASSERT_TRUE(QDir(work.path()).mkpath(dir));
    QFile::setPermissions(work.filePath(dir),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
  // A stranger in the hosts' namespace announces first: 128 services that never resolve and one
  // pointing at 127.0.0.1. The real games still have to be found, the bogus one never listed.
  const QString hosts = R"(trap 'kill "$a" "$b" "$s" 2>/dev/null' TERM
KORVEL_NETNS_STRANGER=$2/flooded "$4" --gtest_filter=NetworkGamesStranger.* & s=$!
for _ in $(seq 200); do [ -e "$2/flooded" ] && break; sleep 0.05; done
[ -e "$2/flooded" ] || { echo "the stranger did not announce"; exit 1; }
XDG_RUNTIME_DIR=$2/runtime HOME=$2 KORVEL_PORT=7781 "$1" Ann 10.77.7.1 true & a=$!
XDG_RUNTIME_DIR=$3/runtime HOME=$3 KORVEL_PORT=7782 "$1" Ann 10.77.7.1 true & b=$!
wait)";
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  QProcess host;
  host.setProcessEnvironment(env);
  host.setProcessChannelMode(QProcess::MergedChannels);
  host.start("ip", {"netns", "exec", namespaces.host, AVAHI_SCOPE, work.filePath("korvel-host"),
                    "sh", "-c", hosts, "sh", KORVEL_EXE, work.filePath("korvel-host/first"),
                    work.filePath("korvel-host/second"), QCoreApplication::applicationFilePath()});
  ASSERT_TRUE(host.waitForStarted(10000));

  // The guest is this test program again, inside the other namespace, running only the test
  // below; it reports through its exit code and output.
  QProcessEnvironment guestEnv = QProcessEnvironment::systemEnvironment();
  guestEnv.insert("KORVEL_NETNS_GUEST", "1");
  QProcess guest;
  guest.setProcessEnvironment(guestEnv);
  guest.setProcessChannelMode(QProcess::MergedChannels);
  guest.start("ip",
              {"netns", "exec", namespaces.guest, AVAHI_SCOPE, work.filePath("korvel-guest"),
               QCoreApplication::applicationFilePath(), "--gtest_filter=NetworkGamesGuest.*"});
  ASSERT_TRUE(guest.waitForStarted(10000));
  const bool finished = guest.waitForFinished(150000);
  if (!finished) {
    // Ended through avahi_scope.sh, which takes its daemons down with it.
    guest.terminate();
    guest.waitForFinished(10000);
  }
  const QString report = QString::fromLocal8Bit(guest.readAll());
  std::cout << report.toStdString();
  host.terminate();
  host.waitForFinished(10000);
  const std::string hostReport = host.readAll().toStdString();
  ASSERT_TRUE(finished) << hostReport;
  EXPECT_EQ(guest.exitCode(), 0);
  EXPECT_TRUE(report.contains("[  PASSED  ] 1 test")) << hostReport;
}

// The guest side of the test above, which alone starts it (CTest leaves it out; a run of the
// whole program skips it).
// The row showing the game at this address, or -1.
int rowOf(const NetworkGamesView& view, const QString& address) {
  for (int row = 0; row < view.model()->rowCount(); ++row) {
    if (cell(view, row, NetworkGamesModel::AddressColumn) == address) return row;
  }
  return -1;
}

TEST(NetworkGamesGuest, FindsTheHostsGamesJoinsOneAndSeesItsPlayersChange) {
  if (qEnvironmentVariableIsEmpty("KORVEL_NETNS_GUEST"))
    GTEST_SKIP() << "runs inside the network namespace test";
  QElapsedTimer clock;
  clock.start();
  NetworkGamesView view;
  view.resize(600, 300);
  view.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
  const QString first = "10.77.7.1:7781";
  // The stranger's lookups come first and fail after 5 s each, in rounds of 64. (A QTRY that
  // fails waits twice as long again before it says so.)
  QTRY_VERIFY_WITH_TIMEOUT(rowOf(view, first) >= 0 && rowOf(view, "10.77.7.1:7782") >= 0 &&
                               cell(view, rowOf(view, first), NetworkGamesModel::PlayersColumn) ==
                                   "1",  // the host's own seat
                           45000);
  std::cout << "found both games after " << clock.elapsed() << " ms" << std::endl;
  // Only the two: the stranger's game at 127.0.0.1, looked up before them, is not listed.
  std::set<std::string> names;
  for (const FoundGame& g : view.model()->games()) names.insert(g.name);
  EXPECT_EQ(names.size(), 2u);
  const int row = rowOf(view, first);
  EXPECT_EQ(cell(view, row, NetworkGamesModel::HostColumn), "Ann");
  EXPECT_EQ(cell(view, row, NetworkGamesModel::StateColumn), "Waiting for players");

  QSignalSpy joins(&view, &NetworkGamesView::joinRequested);
  doubleClick(view.table(), view.model()->index(row, 0));
  ASSERT_EQ(joins.size(), 1);
  EXPECT_EQ(joins[0][1].toInt(), 7781);
  QTcpSocket socket;
  socket.connectToHost(joins[0][0].toString(), static_cast<quint16>(joins[0][1].toInt()));
  QByteArray received;
  QTRY_VERIFY_WITH_TIMEOUT((received += socket.readAll()).contains("CMD_sendlogininfo+2" + FF),
                           10000);
  socket.write("CMD_logininfo+2+1.0.2+Bob" + FF);
  // The host's record follows its seats: two players now.
  clock.restart();
  QTRY_COMPARE_WITH_TIMEOUT(cell(view, rowOf(view, first), NetworkGamesModel::PlayersColumn),
                            QString("2"), 10000);
  std::cout << "saw the second player after " << clock.elapsed() << " ms" << std::endl;
  // The stranger's game at 127.0.0.1 came from another machine: never listed.
  for (const FoundGame& g : view.model()->games()) {
    EXPECT_NE(g.game.host, "Mallory") << g.address;
    EXPECT_EQ(g.address.rfind("127.", 0), std::string::npos) << g.game.host;
  }
}

// The stranger of the test above, in the hosts' namespace: 128 services whose host has no address
// (every resolver of them fails) and one whose host is announced at 127.0.0.1, each with a good
// record. It writes the file KORVEL_NETNS_STRANGER names once all are on the network, then stays
// until it is ended.
TEST(NetworkGamesStranger, AnnouncesAFloodOfDeadServicesAndALoopbackGame) {
  const QByteArray marker = qgetenv("KORVEL_NETNS_STRANGER");
  if (marker.isEmpty()) GTEST_SKIP() << "runs inside the network namespace test";
  struct Stranger {
    AvahiSimplePoll* poll = avahi_simple_poll_new();
    AvahiClient* client = nullptr;
    int established = 0;
  } stranger;
  int error = 0;
  stranger.client = avahi_client_new(avahi_simple_poll_get(stranger.poll), AvahiClientFlags(0),
                                     nullptr, nullptr, &error);
  ASSERT_NE(stranger.client, nullptr) << avahi_strerror(error);
  const auto onGroup = [](AvahiEntryGroup*, AvahiEntryGroupState state, void* userdata) {
    if (state == AVAHI_ENTRY_GROUP_ESTABLISHED) ++static_cast<Stranger*>(userdata)->established;
  };
  // Avahi caps the entries of one group; sixteen services a group.
  const int kGroups = 8, kPerGroup = 16;
  for (int g = 0; g <= kGroups; ++g) {
    AvahiEntryGroup* group = avahi_entry_group_new(stranger.client, onGroup, &stranger);
    ASSERT_NE(group, nullptr);
    if (g == kGroups) {
      AvahiAddress loopback;
      ASSERT_NE(avahi_address_parse("127.0.0.1", AVAHI_PROTO_INET, &loopback), nullptr);
      // Without the reverse record, which this machine's own 127.0.0.1 already holds.
      ASSERT_EQ(avahi_entry_group_add_address(group, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET,
                                              AVAHI_PUBLISH_NO_REVERSE, "loopy.local", &loopback),
                0);
      ASSERT_EQ(avahi_entry_group_add_service(group, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET,
                                              AvahiPublishFlags(0), "Korvel game of Mallory",
                                              korvel::net::kServiceType, nullptr, "loopy.local",
                                              7772, "v=1.0.2", "host=Mallory", "players=1",
                                              "watchers=0", "state=waiting", nullptr),
                0);
    }
    for (int i = 0; g < kGroups && i < kPerGroup; ++i) {
      const std::string name = "Flood " + std::to_string(g * kPerGroup + i);
      ASSERT_EQ(avahi_entry_group_add_service(
                    group, AVAHI_IF_UNSPEC, AVAHI_PROTO_INET, AvahiPublishFlags(0), name.c_str(),
                    korvel::net::kServiceType, nullptr, "nowhere.local", 7772, "v=1.0.2",
                    "host=Flood", "players=1", "watchers=0", "state=waiting", nullptr),
                0)
          << name;
    }
    ASSERT_EQ(avahi_entry_group_commit(group), 0);
  }
  while (stranger.established <= kGroups)
    ASSERT_EQ(avahi_simple_poll_iterate(stranger.poll, -1), 0);
  QFile flooded(QString::fromLocal8Bit(marker));
  ASSERT_TRUE(flooded.open(QIODevice::WriteOnly));
  flooded.close();
  avahi_simple_poll_loop(stranger.poll);
}

}  // namespace

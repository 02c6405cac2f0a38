// Program entry: the single-instance guard, the nine windows in their order, the message loop.

#include <pwd.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QScreen>
#include <QStandardPaths>
#include <QStringListModel>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/host_address.h"
#include "app/program_log.h"
#include "app/recent_hosts.h"
#include "app/settings_file.h"
#include "app/start_environment.h"
#include "app/window_zoom.h"
#include "app/zoom_fit.h"
#include "bot/computer_player.h"
#include "client/seat_keys.h"
#include "dialogs/network_games_view.h"
#include "dialogs/tabout.h"
#include "dialogs/tdownload.h"
#include "dialogs/tgamestart.h"
#include "dialogs/thelp.h"
#include "dialogs/tphrases.h"
#include "dialogs/tplaywithothers.h"
#include "dialogs/tspylist.h"
#include "dialogs/ttallylist.h"
#include "net/game_publisher.h"
#include "net/game_record.h"
#include "net/port_mapping_service.h"
#include "protocol/message.h"
#include "protocol/tsock.h"
#include "server/tserver.h"
#include "shell/end_requests.h"
#include "shell/instance_guard.h"
#include "shell/message_boxes.h"
#include "shell/program_restart.h"
#include "shell/settings_location.h"
#include "shell/turn_notifier.h"
#include "window/peer_text.h"
#include "window/tchat.h"

namespace {

// The game port is 7772 and the lobby port 9001; KORVEL_PORT and KORVEL_LOBBY_PORT move them, so
// that tests (and anyone running two hosts on one machine) do not depend on those being free.
ClientPorts portsFromEnvironment() {
  ClientPorts ports;
  bool ok = false;
  if (int p = qEnvironmentVariableIntValue("KORVEL_PORT", &ok); ok && p > 0 && p < 65536)
    ports.game = p;
  if (int p = qEnvironmentVariableIntValue("KORVEL_LOBBY_PORT", &ok); ok && p > 0 && p < 65536) {
    ports.lobby = p;
  }
  return ports;
}

// Options, "Zoom" from the settings file. Qt takes its scale factor when the application object
// is made, so the file is read first, with a short-lived core application to find it.
int zoomFromSettings(char* program) {
  int argc = 1;
  char* argv[] = {program, nullptr};
  QCoreApplication probe(argc, argv);
  QCoreApplication::setApplicationName("Korvel");
  return korvel::app::loadSettingsFile(korvel::app::settingsFilePath(),
                                       korvel::app::kSettingsSection)
      .zoom;
}

// The last warning Qt printed, for the log line of an exit that did not come back through main
// (Qt's platform plugin ends the program with exit() when the display connection breaks).
std::string lastQtWarning;
bool endedThroughMain = false;
QtMessageHandler qtDefaultHandler = nullptr;

void logQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    korvel::app::programLog().write(std::string(type == QtFatalMsg ? "Qt fatal: " : "Qt error: ") +
                                    text.toStdString());
  } else if (type == QtWarningMsg) {
    lastQtWarning = text.toStdString();
  }
  if (qtDefaultHandler) qtDefaultHandler(type, context, text);
}

void logExitOutsideMain() {
  if (endedThroughMain) return;
  korvel::app::programLog().write(
      "ended through exit() outside the main loop" +
      (lastQtWarning.empty() ? std::string() : "; Qt's last warning: " + lastQtWarning));
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything sets a variable of its own: children start with this environment.
  korvel::app::captureStartEnvironment();
  korvel::app::ProgramLog& log = korvel::app::programLog();
  log.open(korvel::app::stateFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME")));
  log.installFatalHandlers();
  std::atexit(logExitOutsideMain);
  qtDefaultHandler = qInstallMessageHandler(logQtMessage);
  // The command line as bytes, for a restart that must give it back unchanged.
  const std::vector<std::string> given(argv, argv + argc);

  // The command line is the game's (name, host address, "true" to host), read exactly as given.
  // QApplication would take the options it knows out of argv (-reverse, -platform X, -style X,
  // -session X, ...) and act on them, so a player called "-reverse" would be lost and mirror the
  // window, and one called "-platform" would make Qt look for a platform plugin named after the
  // host address and abort. Qt therefore sees only the program name; its settings still come
  // from the environment (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE, ...).
  std::vector<std::string> params;
  for (int i = 1; i < argc; ++i) params.emplace_back(argv[i]);
  int qtArgc = argc > 0 ? 1 : 0;
  const QByteArray userScale = qgetenv(korvel::app::kScaleFactorVariable);
  const int zoom = argc > 0 ? zoomFromSettings(argv[0]) : 100;
  if (const auto factor = korvel::app::zoomedScaleFactor(userScale.toStdString(), zoom))
    qputenv(korvel::app::kScaleFactorVariable, QByteArray::fromStdString(*factor));
  QApplication app(qtArgc, argv);
  // What a socket or the game server meets in a handler is shown to the player.
  setErrorReporter(showReportedError);
  // Before everything else this program owns, so a new copy starts after all of it is gone.
  ProgramRestart restart(given);
  if (const auto& folder = InstanceGuard::runtimeFolder(); !folder.problem.empty()) {
    log.write("runtime folder: " + folder.problem + "; using " +
              (folder.path.empty() ? std::string("none") : folder.path) + " instead");
  }
  InstanceGuard guard(InstanceGuard::runtimeDirectory());
  // A link clicked while the game runs goes to the running copy's Play with Others window.
  const auto startPlan = korvel::app::planStart(params);
  const QString invitation = startPlan.mode == korvel::app::StartMode::PlayWithOthers
                                 ? QString::fromStdString(startPlan.hostaddress)
                                 : QString();
  if (!guard.acquire(invitation)) {
    endedThroughMain = true;
    log.write(
        "ended at once: another copy runs with this runtime folder and was brought to the "
        "front");
    return EXIT_SUCCESS;
  }
  if (!guard.problem().isEmpty())
    log.write("single-instance guard: " + guard.problem().toStdString());
  const std::size_t abnormalEnds = log.markRunning();
  log.write("started");
  QApplication::setApplicationName("Korvel");
  QGuiApplication::setDesktopFileName("korvel");  // ties the windows to korvel.desktop's icon
  QApplication::setQuitOnLastWindowClosed(false);
  // A zoom chosen on a larger screen: start again at the largest step the window fits at here,
  // before any window shows.
  if (QScreen* screen = QGuiApplication::primaryScreen(); screen && zoom != 100) {
    const QSize seen = screen->availableGeometry().size();
    const int fitting =
        korvel::app::fittingZoom(zoom, korvel::app::kZoomWindow,
                                 korvel::app::unzoomedArea({seen.width(), seen.height()}, zoom));
    if (fitting != zoom &&
        korvel::app::saveKey(korvel::app::settingsFilePath(), korvel::app::kSettingsSection,
                             korvel::app::kZoomKey, std::to_string(fitting))) {
      const std::string zooms =
          "zoom " + std::to_string(zoom) + "% does not fit the screen, " + std::to_string(fitting);
      if (const auto problem = restart.request()) {
        log.write(zooms + "% is saved for the next start; going on at " + std::to_string(zoom) +
                  "%: cannot start again: " + *problem);
      } else {
        // A clean end: the new copy must not take this one for a run that ended abnormally.
        log.write(zooms + "% fits: ended to start again (exit code 0)");
        log.clearRunning();
        endedThroughMain = true;
        return EXIT_SUCCESS;
      }
    }
  }

  // Outlives the windows that save into it.
  korvel::app::SettingsStore settings(korvel::app::settingsFilePath());
  const bool solo = startPlan.mode == korvel::app::StartMode::Solo;
  const bool hostingForOthers = startPlan.mode == korvel::app::StartMode::Host;
  const ClientPorts ports = portsFromEnvironment();
  Tchat chat(std::move(params), ports);
  chat.setZoom(zoom);
  chat.restartProgram = [&restart] {
    if (const auto problem = restart.request()) {
      messageBoxes().showMessage(peerText("Korvel cannot start again by itself: " + *problem +
                                          ". The new zoom is saved and applies the next time "
                                          "you start Korvel."));
      return false;
    }
    return true;
  };
  if (const auto line = korvel::app::abnormalEndLine(abnormalEnds, log.file()))
    chat.addlinetochat("0+" + *line, chat.systemcolor);
  Tabout about;
  Tspylist spylist;
  Thelp help;
  Tgamestart gamestart;
  Tphrases phrases;
  Tdownload download;
  Ttallylist tallylist;
  TPlayWithOthers playWithOthers;
  TServer server;  // created last, never shown

  tallylist.loadFrom(
      korvel::records::chooseTallyFolder(
          korvel::app::programFolder(),
          QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString()) /
      korvel::records::kTallyFileName);

  chat.showDownload = [&download, &chat] {
    download.dontshow->setChecked(!chat.showDownloadOffer);
    download.show();
  };
  download.dontShowChanged = [&chat](bool dontShow) { chat.setDownloadOffer(!dontShow); };
  download.exitGame = [&chat] { chat.Exit1Click(); };
  const auto showModeless = [](QWidget& dialog) {
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
  };
  chat.ViewTally1Click = [&] {
    tallylist.loadchecklist(chat.game.otherPlayers());
    showModeless(tallylist);
  };
  spylist.setModel(chat.spylist);
  spylist.hosting = [&chat] { return chat.game.hosting; };
  spylist.kicking = [&chat](int seat) { chat.render(chat.game.kicking(seat)); };
  chat.SpyList1Click = [&] { showModeless(spylist); };
  chat.Help2Click = [&] { showModeless(help); };
  chat.About1Click = [&] { showModeless(about); };
  chat.DownloadLobby1Click = [&] {
    download.dontshow->setChecked(!chat.showDownloadOffer);
    showModeless(download);
  };
  help.showAbout = [&] { showModeless(about); };
  chat.addgame = [&tallylist](const std::string& winner, bool mine,
                              const std::vector<std::string>& others) {
    tallylist.addgame(winner, mine, others);
  };
  gamestart.playername = [&chat] { return chat.playername; };
  // Computer players connect to this process's own server; the start goes out once they sit.
  ComputerPlayers computers(ports.game);
  computers.seatLabel = [&chat](int seat) { return chat.game.seatLabel(seat); };
  computers.setBotSpeed(chat.botspeed);
  // The window names the words a refused move lacks and analyses saved games with the computer
  // players' word structure: one copy, built when first needed.
  chat.lexicon = [&computers]() -> const korvel::bot::Lexicon& { return computers.lexicon(); };
  chat.gamesFolder =
      std::filesystem::path(
          QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString()) /
      "games";
  if (const auto state =
          korvel::app::stateFolder(std::getenv("XDG_STATE_HOME"), std::getenv("HOME"));
      !state.empty()) {
    chat.seatKeysFile = state / korvel::client::kSeatKeysFileName;
  }
  chat.botSpeedChanged = [&computers](int ms) { computers.setBotSpeed(ms); };
  gamestart.setSolo(solo);
  gamestart.send = [&chat, &gamestart, &computers](const std::string& message) {
    computers.setLevel(gamestart.computerLevel());
    computers.startGame(gamestart.computerPlayers(), [&chat, message] {
      try {
        chat.sock->send(message);
      } catch (const ESockError& e) {
        messageBoxes().showMessage(peerText(e.what()));
      }
    });
  };
  gamestart.centreOver = &chat;
  phrases.centreOver = &chat;
  chat.showPhrases = [&phrases, &chat] { phrases.open(chat.phrases); };
  phrases.done = [&chat](const Tphrases::Phrases& edited) { chat.savePhraseEdits(edited); };
  chat.settingsStore = &settings;
  chat.gamestartDialog = &gamestart;
  gamestart.savesettings = [&chat] {
    chat.saveinifile({korvel::app::kPlaytoscoreKey, korvel::app::kTimeperturnKey,
                      korvel::app::kComputerplayersKey, korvel::app::kComputerlevelKey,
                      korvel::app::kKeepseatKey});
  };
  gamestart.keepseat = [&server](int seconds) { server.core().keepseconds = seconds; };
  chat.showGameStart = [&gamestart] {
    gamestart.show();
    gamestart.raise();
    gamestart.activateWindow();
  };
  // A game hosted for others is published on the local network (DNS-SD) with its seats and
  // state, looked at twice a second and sent only when changed; withdrawn when the program ends.
  std::unique_ptr<GamePublisher> publisher;
  QTimer announceTimer;
  const auto announce = [&] {
    publisher->publish(
        server.listeningPort(),
        korvel::net::announcementOf(server.core(), chat.playername, korvel::protocol::kVersion));
  };
  QObject::connect(&announceTimer, &QTimer::timeout, announce);
  // With KORVEL_PORT_MAPPING=1 (the Play with Others window's "Open the port on my router"), a
  // game hosted for others asks the router to forward its port; the chat and the log tell what
  // came of it. The mapping is removed when this object goes, before the program ends.
  std::unique_ptr<PortMappingService> portMapping;
  const bool mapPort = hostingForOthers && qgetenv("KORVEL_PORT_MAPPING") == "1";
  chat.startListening = [&](int port) {
    server.startListening(port, chat.sock);
    if (!hostingForOthers || publisher) return;
    publisher = std::make_unique<GamePublisher>();
    announceTimer.start(500);
    announce();
    if (!mapPort || server.listeningPort() <= 0) return;
    portMapping = std::make_unique<PortMappingService>();
    QObject::connect(portMapping.get(), &PortMappingService::told, &chat,
                     [&chat, &log](const QString& line) {
                       log.write("port mapping: " + line.toStdString());
                       chat.addlinetochat("0+" + line.toStdString(), chat.systemcolor);
                     });
    QObject::connect(
        portMapping.get(), &PortMappingService::invitationChanged, &chat,
        [&chat](const QString& link) { chat.showOutsideInvitation(link.toStdString()); });
    portMapping->open(server.listeningPort());
  };
  // Playing with others: the window hosts and joins by starting this program again with the
  // command line a terminal would give, on the port the choice needs.
  // The port of the user's own games: KORVEL_OWN_PORT in a copy this program started to join a
  // game elsewhere (its KORVEL_PORT is then that game's), else the game port.
  bool ownSet = false;
  const int ownEnv = qEnvironmentVariableIntValue("KORVEL_OWN_PORT", &ownSet);
  const int ownPort = ownSet && ownEnv > 0 && ownEnv < 65536 ? ownEnv : ports.game;
  playWithOthers.gamePort = ownPort;
  playWithOthers.centreOver = &chat;
  playWithOthers.settingsFile = settings.file();
  if (const passwd* account = ::getpwuid(::getuid())) {
    playWithOthers.accountLogin = account->pw_name ? account->pw_name : "";
    playWithOthers.accountFullName = account->pw_gecos ? account->pw_gecos : "";
  }
  playWithOthers.start = [&chat](const TPlayWithOthers::StartRequest& request) {
    chat.startAs(request.arguments, request.port, request.portMapping);
  };
  chat.restartAs = [&restart, ownPort](const QStringList& arguments, int port, bool portMapping) {
    if (const auto problem = restart.request(arguments, port, ownPort, portMapping)) {
      messageBoxes().showMessage(
          peerText("Korvel cannot start again by itself: " + *problem + "."));
      return false;
    }
    return true;
  };
  chat.PlayWithOthers1Click = [&playWithOthers] { playWithOthers.open(); };
  // The games found on this network, under the recent hosts: a double-click or Enter joins one
  // as if its address had been typed.
  auto* networkGames = new NetworkGamesView(&playWithOthers);
  playWithOthers.networkGamesArea->addWidget(networkGames);
  QObject::connect(networkGames, &NetworkGamesView::joinRequested,
                   [&playWithOthers](const QString& host, int port) {
                     const QString address = host.contains(':') ? "[" + host + "]" : host;
                     playWithOthers.addressEdit->setText(QString("%1:%2").arg(address).arg(port));
                     playWithOthers.JoinClick();
                   });
  chat.openInvitation = [&playWithOthers](const QString& link) {
    playWithOthers.openWithLink(link);
  };
  chat.joinFailed = [&playWithOthers](const std::string& host, int port, const QString& reason) {
    playWithOthers.showJoinFailure(
        QString::fromStdString(korvel::app::addressText({host, port}, playWithOthers.gamePort)),
        reason);
  };
  download.playWithOthers = [&playWithOthers] { playWithOthers.open(); };
  DbusTurnNotifier notifier;
  notifier.activated = [&chat] { chat.bringToFront(); };
  chat.turnNotifier = &notifier;
  chat.setNotifyOnMyTurn(
      korvel::app::loadPlaySettings(
          korvel::app::IniFile::parse(korvel::app::readFileBytes(settings.file()).value_or("")),
          korvel::app::kSettingsSection, ports.game)
          .notifyOnMyTurn);
  QObject::connect(&guard, &InstanceGuard::invitationRequested, &playWithOthers,
                   [&playWithOthers](const QString& link) { playWithOthers.openWithLink(link); });
  QObject::connect(&guard, &InstanceGuard::activateRequested, &chat, &Tchat::bringToFront);
  QObject::connect(&chat, &Tchat::formClosed, &app, &QApplication::quit, Qt::QueuedConnection);
  // A signal to end: the loop ends, and everything above is taken down in order.
  std::string endedBy;
  EndRequests endRequests;
  QObject::connect(&endRequests, &EndRequests::requested, &app, [&endedBy, &chat](int sig) {
    if (!endedBy.empty()) return;
    endedBy = korvel::app::endRequestName(sig);
    chat.endOnRequest();
    // exit(), not quit(): quit() asks every window to close first, and one may refuse; exit()
    // also ends a nested loop, such as a question the user has open.
    QCoreApplication::exit(0);
  });

  chat.show();
  const int code = app.exec();
  log.write((!endedBy.empty()      ? "ended on request by " + endedBy
             : restart.requested() ? std::string("ended to start again")
                                   : std::string("ended: the main window closed")) +
            " (exit code " + std::to_string(code) + ")");
  log.clearRunning();
  endedThroughMain = true;
  return code;
}

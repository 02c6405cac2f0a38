// Program entry: the single-instance guard, the nine windows in their order, the message loop.

#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QStandardPaths>
#include <QStringListModel>
#include <QTimer>
#include <QUrl>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/command_line.h"
#include "app/instance_guard.h"
#include "app/message_boxes.h"
#include "app/program_restart.h"
#include "app/settings_file.h"
#include "app/settings_location.h"
#include "app/window_zoom.h"
#include "bot/computer_player.h"
#include "client/peer_text.h"
#include "client/tchat.h"
#include "dialogs/tabout.h"
#include "dialogs/tdownload.h"
#include "dialogs/tgamestart.h"
#include "dialogs/thelp.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "dialogs/ttallylist.h"
#include "net/game_publisher.h"
#include "net/game_record.h"
#include "protocol/message.h"
#include "protocol/tsock.h"
#include "server/tserver.h"

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

}  // namespace

int main(int argc, char** argv) {
  // The command line is the game's (name, host address, "true" to host), read exactly as given.
  // QApplication would take the options it knows out of argv (-reverse, -platform X, -style X,
  // -session X, ...) and act on them, so a player called "-reverse" would be lost and mirror the
  // window, and one called "-platform" would make Qt look for a platform plugin named after the
  // host address and abort. Qt therefore sees only the program name; its settings still come
  // from the environment (QT_QPA_PLATFORM, QT_STYLE_OVERRIDE, ...).
  std::vector<std::string> params;
  for (int i = 1; i < argc; ++i) params.emplace_back(argv[i]);
  int qtArgc = argc > 0 ? 1 : 0;
  const bool userSetScale = qEnvironmentVariableIsSet(korvel::app::kScaleFactorVariable);
  const QByteArray userScale = qgetenv(korvel::app::kScaleFactorVariable);
  const int zoom = argc > 0 ? zoomFromSettings(argv[0]) : 100;
  if (const auto factor = korvel::app::zoomedScaleFactor(userScale.toStdString(), zoom))
    qputenv(korvel::app::kScaleFactorVariable, QByteArray::fromStdString(*factor));
  QApplication app(qtArgc, argv);
  QStringList arguments;
  for (const std::string& p : params) arguments << QString::fromLocal8Bit(p.c_str());
  // Before everything else this program owns, so a new copy starts after all of it is gone.
  ProgramRestart restart(arguments, userScale, userSetScale);
  InstanceGuard guard(InstanceGuard::runtimeDirectory());
  if (!guard.acquire()) return EXIT_SUCCESS;
  QApplication::setApplicationName("Korvel");
  QGuiApplication::setDesktopFileName("korvel");  // ties the windows to korvel.desktop's icon
  QApplication::setQuitOnLastWindowClosed(false);

  // Outlives the windows that save into it.
  korvel::app::SettingsStore settings(korvel::app::settingsFilePath());
  const bool solo = korvel::app::planStart(params).mode == korvel::app::StartMode::Solo;
  const bool hostingForOthers = korvel::app::planStart(params).mode == korvel::app::StartMode::Host;
  const ClientPorts ports = portsFromEnvironment();
  Tchat chat(std::move(params), ports);
  chat.setZoom(zoom);
  chat.restartProgram = [&restart] { restart.request(); };
  Tabout about;
  Tspylist spylist;
  Thelp help;
  Tgamestart gamestart;
  Tphrases phrases;
  Tdownload download;
  Ttallylist tallylist;
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
                      korvel::app::kComputerplayersKey, korvel::app::kComputerlevelKey});
  };
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
  chat.startListening = [&](int port) {
    server.startListening(port, chat.sock);
    if (!hostingForOthers || publisher) return;
    publisher = std::make_unique<GamePublisher>();
    announceTimer.start(500);
    announce();
  };
  QObject::connect(&guard, &InstanceGuard::activateRequested, &chat, &Tchat::bringToFront);
  QObject::connect(&chat, &Tchat::formClosed, &app, &QApplication::quit, Qt::QueuedConnection);

  chat.show();
  return app.exec();
}

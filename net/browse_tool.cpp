// korvel-browse [SECONDS]: prints the Korvel games found on this network through avahi-daemon,
// one line per game each time the list changes, for SECONDS (5 by default). Exits with 0 when
// it found at least one game, 1 when it found none, 2 when avahi-daemon could not be reached.
// Host names print as they came: the record's rules have already refused control characters.

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "net/game_browser.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  double seconds = 5;
  if (argc > 1) {
    char* end = nullptr;
    seconds = std::strtod(argv[1], &end);
    if (argc > 2 || *end != '\0' || !(seconds > 0 && seconds <= 86400)) {
      std::fprintf(stderr, "usage: korvel-browse [SECONDS]\n");
      return 2;
    }
  }
  GameBrowser browser;
  bool found = false;
  const auto elapsed = [start = std::chrono::steady_clock::now()] {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
  QObject::connect(&browser, &GameBrowser::changed, [&] {
    std::printf("after %.2f s: %zu game(s)\n", elapsed(), browser.games().size());
    for (const auto& g : browser.games()) {
      found = true;
      const bool v6 = g.address.find(':') != std::string::npos;
      std::printf("  %s\t%s%s%s:%u\tplayers %d\twatchers %d\t%s\tversion %s\n", g.game.host.c_str(),
                  v6 ? "[" : "", g.address.c_str(), v6 ? "]" : "", g.port, g.game.players,
                  g.game.watchers,
                  g.game.state == korvel::net::GameState::Running ? "running" : "waiting",
                  g.game.version.c_str());
    }
    std::fflush(stdout);
  });
  QObject::connect(&browser, &GameBrowser::availabilityChanged, [&](bool available) {
    if (!available)
      std::printf("Finding games on this network needs the Avahi service (avahi-daemon)\n");
    std::fflush(stdout);
  });
  QTimer::singleShot(static_cast<int>(seconds * 1000), &app, &QCoreApplication::quit);
  app.exec();
  if (found) return 0;
  return browser.available() ? 1 : 2;
}

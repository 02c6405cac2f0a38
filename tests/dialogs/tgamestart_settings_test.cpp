// The computer-player counter of the game start dialog through the main window's settings: only a
// solo game takes its count from the settings file and writes it back.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/settings.h"
#include "app/settings_file.h"
#include "dialogs/tgamestart.h"
#include "window/tchat.h"

namespace {

std::string fileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(TgamestartSettings, OnlyASoloGameUsesAndKeepsTheSavedComputerPlayers) {
  QTemporaryDir dir;
  const std::filesystem::path file = dir.filePath("quonlobby.ini").toStdString();
  struct Case {
    const char* what;
    bool solo;
    int opening;  // before the settings are read
    int loaded;   // after
    int chosen;
    const char* kept;  // the file's count after the start
  } cases[] = {
      {"solo, nothing saved yet", true, 1, 1, 2, "Computerplayers=2"},
      {"hosting for others ignores the solo count", false, 0, 0, 1, "Computerplayers=2"},
      {"and ignores it each time", false, 0, 0, 3, "Computerplayers=2"},
      {"solo again finds its own count", true, 1, 2, 3, "Computerplayers=3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    korvel::app::SettingsStore store(file);
    Tgamestart gamestart;
    gamestart.setSolo(c.solo);
    EXPECT_EQ(gamestart.computerPlayers(), c.opening);
    Tchat chat({"Ann"}, {1, 1});
    chat.settingsStore = &store;
    chat.gamestartDialog = &gamestart;
    chat.loadinifile();
    EXPECT_EQ(gamestart.computerPlayers(), c.loaded);
    gamestart.setComputerPlayers(c.chosen);
    // What the dialog's start button saves.
    chat.saveinifile({korvel::app::kPlaytoscoreKey, korvel::app::kTimeperturnKey,
                      korvel::app::kComputerplayersKey});
    const std::string text = fileText(file);
    EXPECT_NE(text.find(c.kept), std::string::npos) << text;
    // A second own entry reloads the settings; the host's choice stays.
    chat.loadinifile();
    EXPECT_EQ(gamestart.computerPlayers(), c.chosen);
  }
}

TEST(TgamestartSettings, AFreshSettingsFileStartsAtEasyAndASavedLevelWinsAfterThat) {
  QTemporaryDir dir;
  const std::filesystem::path file = dir.filePath("quonlobby.ini").toStdString();
  const struct {
    const char* what;
    korvel::bot::Level loaded;  // after the settings are read
    korvel::bot::Level chosen;
  } cases[] = {
      {"first solo game on a fresh file", korvel::bot::Level::Easy, korvel::bot::Level::Easy},
      {"the first start saved Easy", korvel::bot::Level::Easy, korvel::bot::Level::Strong},
      {"the player's choice is read back", korvel::bot::Level::Strong, korvel::bot::Level::Normal},
      {"and so is the next one", korvel::bot::Level::Normal, korvel::bot::Level::Normal},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    korvel::app::SettingsStore store(file);
    Tgamestart gamestart;
    gamestart.setSolo(true);
    Tchat chat({"Ann"}, {1, 1});
    chat.settingsStore = &store;
    chat.gamestartDialog = &gamestart;
    chat.loadinifile();
    EXPECT_EQ(gamestart.computerLevel(), c.loaded);
    gamestart.setComputerLevel(c.chosen);
    chat.saveinifile({korvel::app::kComputerplayersKey, korvel::app::kComputerlevelKey});
  }
}

}  // namespace

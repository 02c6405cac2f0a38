// Leaving a running game asks first; the lobby offer can be turned off; a new zoom is saved and
// restarts the program.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <string>

#include "app/settings_file.h"
#include "client/leave_question.h"
#include "protocol/message.h"
#include "protocol/tsock.h"
#include "shell/message_boxes.h"
#include "window/tchat.h"

namespace {

namespace toclient = korvel::protocol::toclient;

// Answers every Yes/No question with `answer` and remembers the questions.
class AnsweringBoxes : public MessageBoxes {
 public:
  bool answer = true;
  QStringList asked;
  bool askYesNo(const QString& text) override {
    asked << text;
    return answer;
  }

 protected:
  void presentMessage(const QString&, std::function<void()> dismissed) override { dismissed(); }
};

void deliver(Tchat& chat, std::string framed) {
  framed.pop_back();
  chat.receivedlist.append(framed);
  chat.processsocktimer();
}

// A shown window at `seat`, connected, in a game that is running or not.
void seat(Tchat& chat, int me, bool hosting, bool running) {
  chat.show();
  chat.game.myplayer = me;
  chat.game.hosting = hosting;
  chat.game.connected = true;
  deliver(chat, toclient::existingplayers({{1, "Ann", false}, {2, "Bob", false}}));
  if (!running) return;
  deliver(chat, toclient::startgame("Ann", "30", 60, "1"));
  deliver(chat, toclient::nextplayer(1, 16));
}

QAction* menuAction(Tchat& chat, const QString& text) {
  for (QAction* action : chat.menuBar()->findChildren<QAction*>()) {
    if (action->text() == text) return action;
  }
  return nullptr;
}

class TchatOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    setMessageBoxes(&boxes);
    ASSERT_TRUE(dir.isValid());
  }
  void TearDown() override { setMessageBoxes(nullptr); }
  std::filesystem::path file() const { return dir.filePath("quonlobby.ini").toStdString(); }
  korvel::app::Settings saved() const { return korvel::app::loadSettingsFile(file(), "Korvel"); }
  AnsweringBoxes boxes;
  QTemporaryDir dir;
};

}  // namespace

TEST_F(TchatOptions, LeavingAsksOnlyWhenItLosesARunningGame) {
  const QString host = korvel::client::kLeaveHostQuestion;
  const QString joined = korvel::client::kLeaveJoinedQuestion;
  const struct {
    const char* what;
    int seat;
    bool hosting, running;
    bool viaExit;  // File, Exit; else the window's close button (a close request)
    bool answer;
    QStringList asked;
    bool closed;
  } cases[] = {
      {"no game", 2, false, false, true, false, {}, true},
      {"host, no game", 1, true, false, false, false, {}, true},
      {"spectator", 6, false, true, true, false, {}, true},
      {"player says No", 2, false, true, true, false, {joined}, false},
      {"player says Yes", 2, false, true, false, true, {joined}, true},
      {"host says No", 1, true, true, false, false, {host}, false},
      {"host says Yes", 1, true, true, true, true, {host}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Tchat chat({"Ann"}, {1, 1});
    int closed = 0;
    QObject::connect(&chat, &Tchat::formClosed, [&] { ++closed; });
    seat(chat, c.seat, c.hosting, c.running);
    boxes.asked.clear();
    boxes.answer = c.answer;
    if (c.viaExit) {
      chat.Exit1Click();
    } else {
      chat.close();
    }
    EXPECT_EQ(boxes.asked, c.asked);
    EXPECT_EQ(chat.isVisible(), !c.closed);
    EXPECT_EQ(closed, c.closed ? 1 : 0);
  }

  // The server going away never asks a question. A spectator's window closes at once; a
  // player's in a running game tries to get back in until the player leaves.
  Tchat spectator({"Ann"}, {1, 1});
  seat(spectator, 6, false, true);
  boxes.asked.clear();
  spectator.sock->OnInfo(spectator.sock, 0, "Socket Closed");
  EXPECT_TRUE(boxes.asked.isEmpty());
  EXPECT_FALSE(spectator.isVisible());

  Tchat chat({"Ann"}, {1, 1});
  seat(chat, 2, false, true);
  chat.sock->OnInfo(chat.sock, 0, "Socket Closed");
  EXPECT_TRUE(chat.isVisible());
  EXPECT_TRUE(chat.reconnect.active());
  chat.leaveReconnecting();
  EXPECT_TRUE(boxes.asked.isEmpty());
  EXPECT_FALSE(chat.isVisible());
}

TEST_F(TchatOptions, DontShowThisAgainStopsTheSoloOfferAndTheHelpMenuStillOpensIt) {
  korvel::app::SettingsStore store(file());
  int offers = 0;
  int fromHelp = 0;
  const auto soloStart = [&](Tchat& chat) {
    chat.settingsStore = &store;
    chat.showDownload = [&] { ++offers; };
    chat.DownloadLobby1Click = [&] { ++fromHelp; };
    chat.show();
  };
  {
    Tchat chat({}, {1, 1});
    soloStart(chat);
    EXPECT_EQ(offers, 1);
    chat.setDownloadOffer(false);  // the dialog's box ticked
    EXPECT_FALSE(saved().showdownload);
  }
  {
    Tchat chat({}, {1, 1});
    soloStart(chat);
    EXPECT_EQ(offers, 1) << "a solo start after the tick offers nothing";
    QAction* help = menuAction(chat, "Download the Lobby...");
    ASSERT_NE(help, nullptr);
    help->trigger();
    EXPECT_EQ(fromHelp, 1);
    chat.setDownloadOffer(true);
    EXPECT_TRUE(saved().showdownload);
  }
  Tchat chat({}, {1, 1});
  soloStart(chat);
  EXPECT_EQ(offers, 2) << "cleared again, the offer is back";
}

TEST_F(TchatOptions, ANewZoomIsSavedAndRestartsTheProgramUnlessTheGameIsKept) {
  korvel::app::SettingsStore store(file());
  struct Case {
    const char* what;
    bool running;
    bool answer;
    int chosen;
    int savedZoom;  // 0: nothing written
    bool restarted;
  } cases[] = {
      {"no game", false, true, 150, 150, true},
      {"the zoom it has", false, true, 100, 0, false},
      {"running game kept", true, false, 200, 0, false},
      {"running game left", true, true, 125, 125, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(file());
    Tchat chat({"Ann"}, {1, 1});
    chat.settingsStore = &store;
    int restarts = 0;
    chat.restartProgram = [&] {
      ++restarts;
      return true;
    };
    chat.availableArea = [] { return QSize(4000, 3000); };  // every step fits
    chat.updateZoomFit();
    seat(chat, 2, false, c.running);
    boxes.answer = c.answer;
    QAction* entry = menuAction(chat, QString("%1%").arg(c.chosen));
    ASSERT_NE(entry, nullptr);
    entry->trigger();
    EXPECT_EQ(restarts, c.restarted ? 1 : 0);
    EXPECT_EQ(chat.isVisible(), !c.restarted);
    EXPECT_EQ(std::filesystem::exists(file()), c.savedZoom != 0);
    if (c.savedZoom) {
      EXPECT_EQ(saved().zoom, c.savedZoom);
    }
    const int checked = c.restarted ? c.chosen : 100;
    for (QAction* zoom : chat.Zoom) EXPECT_EQ(zoom->isChecked(), zoom->data().toInt() == checked);
  }

  // A copy started at 175% shows that entry checked; choosing it again restarts nothing.
  Tchat chat({"Ann"}, {1, 1});
  int restarts = 0;
  chat.restartProgram = [&] {
    ++restarts;
    return true;
  };
  chat.setZoom(175);
  for (QAction* zoom : chat.Zoom) EXPECT_EQ(zoom->isChecked(), zoom->data().toInt() == 175);
  menuAction(chat, "175%")->trigger();
  EXPECT_EQ(restarts, 0);

  // A restart that cannot happen (the program file was replaced) leaves the window open.
  chat.show();
  chat.availableArea = [] { return QSize(4000, 3000); };  // every step fits
  chat.updateZoomFit();
  chat.restartProgram = [&] {
    ++restarts;
    return false;
  };
  menuAction(chat, "125%")->trigger();
  EXPECT_EQ(restarts, 1);
  EXPECT_TRUE(chat.isVisible());
}

TEST_F(TchatOptions, OnlyTheZoomStepsThatFitTheScreenAreOffered) {
  Tchat chat({"Ann"}, {1, 1});
  int restarts = 0;
  chat.restartProgram = [&] {
    ++restarts;
    return true;
  };
  // At 200% a 1280 by 900 screen shows as 640 by 450.
  chat.setZoom(200);
  chat.availableArea = [] { return QSize(640, 450); };
  chat.updateZoomFit();
  for (QAction* zoom : chat.Zoom) {
    const int percent = zoom->data().toInt();
    SCOPED_TRACE(percent);
    const bool offered = percent <= 125 || percent == 200;  // the running step stays
    EXPECT_EQ(zoom->isEnabled(), offered);
    EXPECT_EQ(zoom->toolTip().contains("would not fit on this screen"), !offered)
        << zoom->toolTip().toStdString();
  }
  // A greyed step cannot be chosen, not even by a direct call.
  chat.Zoom1Click(150);
  EXPECT_EQ(restarts, 0);
  EXPECT_TRUE(chat.Zoom[4]->isChecked());

  // The same window at 100% on a large screen offers every step.
  chat.setZoom(100);
  chat.availableArea = [] { return QSize(2560, 1400); };
  chat.updateZoomFit();
  for (QAction* zoom : chat.Zoom) EXPECT_TRUE(zoom->isEnabled()) << zoom->text().toStdString();
}

TEST_F(TchatOptions, ARestartForTheZoomDoesNotOfferTheLobbyAgain) {
  korvel::app::SettingsStore store(file());
  int offers = 0;
  const auto soloStart = [&](Tchat& chat) {
    chat.settingsStore = &store;
    chat.showDownload = [&] { ++offers; };
    chat.availableArea = [] { return QSize(4000, 3000); };
    chat.show();
  };
  {
    Tchat chat({}, {1, 1});
    int restarts = 0;
    chat.restartProgram = [&] {
      ++restarts;
      return true;
    };
    soloStart(chat);
    EXPECT_EQ(offers, 1);
    chat.Zoom1Click(150);
    EXPECT_EQ(restarts, 1);
    EXPECT_TRUE(saved().zoomrestart);
  }
  {
    Tchat chat({}, {1, 1});
    soloStart(chat);
    EXPECT_EQ(offers, 1) << "the restarted copy offers nothing";
    EXPECT_FALSE(saved().zoomrestart);
    EXPECT_EQ(saved().zoom, 150);
  }
  Tchat chat({}, {1, 1});
  soloStart(chat);
  EXPECT_EQ(offers, 2) << "the next start of its own offers it again";
}

TEST_F(TchatOptions, TheFirstSoloGameShowsTheCoveringTipOnce) {
  korvel::app::SettingsStore store(file());
  const auto tips = [](Tchat& chat) {
    // The chat shows "Tip:" as the line's head, apart from the rest.
    return chat.mainchat->toPlainText().count(
        "you may lay a tile on top of a different letter; every word your tiles touch scores "
        "again.");
  };
  const auto playGame = [](Tchat& chat) {
    deliver(chat, toclient::startgame("You", "30", 60, "1"));
    deliver(chat, toclient::nextplayer(1, 16));
    deliver(chat, toclient::winner("You"));
  };
  {
    Tchat chat({}, {1, 1});
    chat.settingsStore = &store;
    chat.show();
    chat.game.myplayer = 1;
    chat.game.connected = true;
    EXPECT_EQ(tips(chat), 0) << "not before the game starts";
    playGame(chat);
    EXPECT_EQ(tips(chat), 1);
    playGame(chat);
    EXPECT_EQ(tips(chat), 1) << "once";
    EXPECT_TRUE(saved().coveringtip);
  }
  {
    Tchat chat({}, {1, 1});
    chat.settingsStore = &store;
    chat.show();
    playGame(chat);
    EXPECT_EQ(tips(chat), 0) << "remembered in the settings";
  }
  std::filesystem::remove(file());
  Tchat host({"Ann"}, {1, 1});
  host.settingsStore = &store;
  seat(host, 1, true, true);
  EXPECT_EQ(tips(host), 0) << "only a solo game shows it";
}

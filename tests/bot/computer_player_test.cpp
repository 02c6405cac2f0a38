// Computer players over real loopback connections to the host's own server, with the server's
// turn clock driven by the test: a solo game started from the dialog and played to the winner,
// and a hosted table whose joined person sees the computer players as ordinary players.
#include "bot/computer_player.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/tgamestart.h"
#include "dictionary/record_blob.h"
#include "protocol/message.h"
#include "protocol/tsock.h"
#include "server/tserver.h"
#include "shell/message_boxes.h"
#include "tests/window/recorders.h"
#include "window/panel_widgets.h"
#include "window/tchat.h"

namespace {

using Strings = std::vector<std::string>;

// Runs the event loop until the condition holds; the bound only stops a broken run from hanging.
bool spinUntil(const std::function<bool()>& done) {
  QElapsedTimer bound;
  bound.start();
  while (!done()) {
    if (bound.elapsed() > 5000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// A joined person's connection that logs in and records every message it is sent.
class Person {
 public:
  Person(int port, const std::string& name) {
    socket_.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    QObject::connect(&socket_, &QTcpSocket::readyRead, [this, name] {
      const QByteArray bytes = socket_.readAll();
      pending_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
      for (std::size_t end; (end = pending_.find('\xFF')) != std::string::npos;) {
        std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        if (line.rfind("CMD_sendlogininfo+", 0) == 0) {
          seat = std::stoi(line.substr(18));
          send("CMD_logininfo+" + std::to_string(seat) + "+1.0.2+" + name + "\xFF\xFF");
        }
        lines.push_back(std::move(line));
      }
    });
  }
  void send(const std::string& text) {
    socket_.write(text.data(), static_cast<qint64>(text.size()));
    socket_.flush();
  }
  bool has(const std::string& line) const {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  }
  std::size_t indexOf(const std::string& prefix) const {
    for (std::size_t i = 0; i < lines.size(); ++i)
      if (lines[i].rfind(prefix, 0) == 0) return i;
    return lines.size();
  }
  int seat = 0;
  Strings lines;

 private:
  QTcpSocket socket_;
  std::string pending_;
};

class ComputerPlayers_ : public ::testing::Test {
 protected:
  void SetUp() override {
    setMessageBoxes(&boxes);
    // Every two-letter word: any two tiles side by side make a word, so play never stalls early.
    for (char a = 'a'; a <= 'z'; ++a)
      for (char b = 'a'; b <= 'z'; ++b) words.push_back(std::string{a, b});
    TServer::Options options;
    options.wordList = korvel::recordBlob(words);
    options.runTimer1 = false;
    options.pick = [n = 0](int lo, int hi) mutable { return lo + (n++ * 37) % (hi - lo + 1); };
    server = std::make_unique<TServer>(options);
    ASSERT_TRUE(lobby.listen(QHostAddress::LocalHost, 0));
  }
  void TearDown() override {
    computers.reset();
    host.reset();
    server.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(boxes.shown.isEmpty()) << boxes.shown.join("; ").toStdString();
    setMessageBoxes(nullptr);
  }

  // The host's window with its own server, the game start dialog and the computer players wired
  // as the program wires them.
  void hostGame(std::vector<std::string> params, int count) {
    host = std::make_unique<Tchat>(std::move(params), ClientPorts{0, lobby.serverPort()});
    host->startListening = [this](int) {
      server->startListening(0, host->sock);
      host->sock->PortName = std::to_string(server->listeningPort());
    };
    host->show();
    ASSERT_TRUE(spinUntil([&] { return host->game.myplayer == 1; }));
    computers = std::make_unique<ComputerPlayers>(server->listeningPort());
    const auto lexicon =
        std::make_shared<korvel::bot::Lexicon>(korvel::bot::Lexicon::fromWords(words));
    computers->setLexicon(lexicon);
    // Every word of the test's list counts as well known, so Normal may form any of them.
    computers->setLevelData(nullptr, lexicon, nullptr);
    computers->seatLabel = [this](int seat) { return host->game.seatLabel(seat); };
    gamestart.playername = [this] { return host->playername; };
    gamestart.setComputerPlayers(count);
    gamestart.send = [this](const std::string& message) {
      computers->setLevel(gamestart.computerLevel());
      computers->startGame(gamestart.computerPlayers(),
                           [this, message] { host->sock->send(message); });
    };
    host->showGameStart = [this] { gamestart.show(); };
  }

  // The computer player in the seat, or nullptr.
  ComputerPlayer* inSeat(int seat) const {
    for (ComputerPlayer* p : computers->players())
      if (p->seat() == seat) return p;
    return nullptr;
  }

  // Plays until the game ends: the host lays its first word and passes after that; a computer
  // player is asked for its answer when its wait runs; the server's clock ticks only between
  // turns, so a player that did not answer would hang the game instead of timing out.
  void playToTheEnd(const std::function<void()>& hostTurn, int& hostTurns,
                    const std::function<void()>& afterComputerTurn = {}) {
    korvel::server::ServerCore& core = server->core();
    for (int step = 0; step < 2000 && core.gameon; ++step) {
      if (core.timer1.tag == korvel::server::ServerCore::kPausePhase) {
        server->timer1Timer();
        continue;
      }
      const int mover = core.currentplayer;
      if (mover == 1) {
        ASSERT_TRUE(spinUntil([&] { return host->game.myTurn(); }));
        ++hostTurns;
        hostTurn();
      } else {
        ComputerPlayer* bot = inSeat(mover);
        ASSERT_NE(bot, nullptr) << mover;
        ASSERT_TRUE(spinUntil([&] { return bot->thinkTimer.isActive(); }));
        EXPECT_EQ(bot->thinkTimer.interval(), computers->botSpeed());
        bot->thinkTimer.stop();
        bot->think();
      }
      // The answer reached the server: the pause began, the game ended, or the turn goes on
      // after a purchase and the player waits to answer again.
      ASSERT_TRUE(spinUntil([&] {
        return core.timer1.tag == korvel::server::ServerCore::kPausePhase || !core.gameon ||
               (mover != 1 && inSeat(mover)->thinkTimer.isActive());
      }));
      if (mover != 1 && inSeat(mover)->thinkTimer.isActive()) {
        EXPECT_EQ(inSeat(mover)->thinkTimer.interval(), 0);
      }
      if (mover != 1 && afterComputerTurn) afterComputerTurn();
    }
    ASSERT_FALSE(core.gameon);
  }

  RecordingBoxes boxes;
  std::vector<std::string> words;
  std::unique_ptr<TServer> server;
  QTcpServer lobby;
  std::unique_ptr<Tchat> host;
  Tgamestart gamestart;
  std::unique_ptr<ComputerPlayers> computers;
};

TEST_F(ComputerPlayers_, ASoloGameAgainstKlotRunsToTheWinner) {
  hostGame({}, 1);
  // Start, then Enter in the dialog.
  host->button_startClick();
  ASSERT_TRUE(gamestart.isVisible());
  QTest::keyClick(gamestart.edit_creationtime, Qt::Key_Return);
  ASSERT_TRUE(spinUntil([&] { return host->game.myTurn(); }));
  EXPECT_EQ(host->label_playername[1]->text(), "Klot");
  ComputerPlayer* klot = inSeat(2);
  ASSERT_NE(klot, nullptr);

  int hostTurns = 0;
  playToTheEnd(
      [&] {
        if (hostTurns > 1) {
          host->button_passClick();
          return;
        }
        // The first word: two tiles across the starting square.
        host->game.rackClick(1, 0, 0);
        host->game.boardClick(5 * 39 + 19, 5 * 39 + 19, korvel::client::Button::Left, 0, 0);
        host->game.rackClick(2, 0, 0);
        host->game.boardClick(6 * 39 + 19, 5 * 39 + 19, korvel::client::Button::Left, 0, 0);
        host->button_submitClick();
      },
      hostTurns);

  ASSERT_TRUE(spinUntil([&] { return host->panel_winner->isVisible(); }));
  EXPECT_GT(klot->brain.counts.moves, 1);
  EXPECT_EQ(klot->brain.counts.refused, 0);
  EXPECT_NE(host->game.status, "Time Up!");
  EXPECT_EQ(host->label_score[1]->text().toStdString(),
            std::to_string(server->core().players[2].score));
}

TEST_F(ComputerPlayers_, AtEasyEveryWordOfTheComputerPlayerIsACommonWord) {
  // The common words: the two-letter words that begin with a to m.
  Strings common;
  for (const std::string& w : words)
    if (w[0] <= 'm') common.push_back(w);
  hostGame({}, 1);
  computers->setLevelData(
      std::make_shared<korvel::bot::Lexicon>(korvel::bot::Lexicon::fromWords(common)), nullptr,
      nullptr);
  gamestart.setComputerLevel(korvel::bot::Level::Easy);
  host->button_startClick();
  gamestart.button_startClick();
  ASSERT_TRUE(spinUntil([&] { return host->game.myTurn(); }));
  ComputerPlayer* klot = inSeat(2);
  ASSERT_NE(klot, nullptr);
  EXPECT_EQ(klot->brain.level(), korvel::bot::Level::Easy);

  int hostTurns = 0, words = 0;
  playToTheEnd([&] { host->button_passClick(); }, hostTurns,
               [&] {
                 if (host->game.words.empty() || host->game.words[0] != "**** Klot ****") return;
                 for (std::size_t i = 1; i < host->game.words.size(); ++i) {
                   std::string w = host->game.words[i];
                   for (char& c : w) c = static_cast<char>(std::tolower(c));
                   EXPECT_LE(w[0], 'm') << w;
                   ++words;
                 }
               });
  EXPECT_GT(klot->brain.counts.moves, 1);
  EXPECT_GE(words, klot->brain.counts.moves);
  EXPECT_EQ(klot->brain.counts.refused, 0);
}

TEST_F(ComputerPlayers_, AJoinedPersonSeesOrdinaryPlayersAndALeaverGoesBeforeTheStart) {
  hostGame({"Ann", "127.0.0.1", "true"}, 2);
  Person zed(server->listeningPort(), "Zed");
  ASSERT_TRUE(spinUntil([&] { return host->game.seatLabel(2) == "Zed"; }));
  EXPECT_EQ(zed.seat, 2);

  // Two computer players take the free seats 3 and 4 under their stand-by names.
  host->button_startClick();
  QTest::keyClick(gamestart.edit_creationtime, Qt::Key_Return);
  ASSERT_TRUE(spinUntil([&] { return zed.indexOf("CMD_nextplayer+1+") < zed.lines.size(); }));
  for (const char* line : {"CMD_newplayerinfo+3+Klick+0", "CMD_newplayerinfo+4+Kling+0"})
    EXPECT_TRUE(zed.has(line)) << line;
  EXPECT_LT(zed.indexOf("CMD_newplayerinfo+4+Kling"), zed.indexOf("CMD_startgame+"));

  // Zed passes; the computer players play; the host passes.
  korvel::server::ServerCore& core = server->core();
  for (int round = 0; round < 4 && core.gameon; ++round) {
    if (core.currentplayer == 1) {
      ASSERT_TRUE(spinUntil([&] { return host->game.myTurn(); }));
      host->button_passClick();
    } else if (core.currentplayer == 2) {
      zed.send("CMD_pass+2+\xFF");
    } else {
      ComputerPlayer* bot = inSeat(core.currentplayer);
      ASSERT_TRUE(spinUntil([&] { return bot->thinkTimer.isActive(); }));
      bot->think();
    }
    ASSERT_TRUE(
        spinUntil([&] { return core.timer1.tag == korvel::server::ServerCore::kPausePhase; }));
    for (int n = 0; n < 3; ++n) server->timer1Timer();
  }
  // What Zed was told of the computer players' moves is what the server says of anyone's.
  const auto words = [&] {
    return std::count_if(zed.lines.begin(), zed.lines.end(),
                         [](const std::string& l) { return l.rfind("CMD_goodword+", 0) == 0; });
  };
  EXPECT_TRUE(spinUntil([&] { return words() == 2; }));
  for (const std::string& line : zed.lines) {
    if (line.rfind("CMD_goodword+", 0) != 0) continue;
    EXPECT_TRUE(line.rfind("CMD_goodword+3+", 0) == 0 || line.rfind("CMD_goodword+4+", 0) == 0)
        << line;
  }

  // The host lowers the count: Kling leaves, and the new game starts only after that.
  const std::size_t before = zed.lines.size();
  gamestart.setComputerPlayers(1);
  gamestart.button_startClick();
  const auto after = [&](const std::string& prefix) {
    for (std::size_t i = before; i < zed.lines.size(); ++i)
      if (zed.lines[i].rfind(prefix, 0) == 0) return i;
    return std::string::npos;
  };
  ASSERT_TRUE(spinUntil([&] { return after("CMD_startgame+") != std::string::npos; }));
  EXPECT_LT(after("CMD_playerdisconnected+4+Kling"), after("CMD_startgame+"));
  EXPECT_EQ(computers->players().size(), 1u);
  EXPECT_FALSE(core.players[4].inuse);
  EXPECT_FALSE(core.players[4].ingame);

  // A person who comes now finds the free seat 4; the computer player keeps seat 3.
  Person late(server->listeningPort(), "Lou");
  ASSERT_TRUE(spinUntil([&] { return late.seat != 0; }));
  EXPECT_EQ(late.seat, 4);
  EXPECT_NE(inSeat(3), nullptr);
}

TEST_F(ComputerPlayers_, TheBotSpeedMenuSetsTheirWait) {
  Tchat chat({"Ann"}, {1, 1});
  ComputerPlayers players(1);
  chat.botSpeedChanged = [&](int ms) { players.setBotSpeed(ms); };
  int saved = 0;
  chat.savesettings = [&] { ++saved; };
  // The submenu shows under Options now that the speed means something.
  QMenu* speeds = nullptr;
  for (QMenu* m : chat.menuBar()->findChildren<QMenu*>())
    if (m->title() == "Bot Speed") speeds = m;
  ASSERT_NE(speeds, nullptr);
  EXPECT_TRUE(speeds->menuAction()->isVisible());
  EXPECT_EQ(speeds->actions(), (QList<QAction*>{chat.Slow1, chat.Normal1, chat.Fast1}));
  EXPECT_TRUE(chat.Normal1->isChecked());
  struct Case {
    QAction* clicked;  // nullptr: the value comes from the settings file
    int value;
    int expected;
    QAction* checked;
  };
  const Case cases[] = {
      {chat.Slow1, 0, 2000, chat.Slow1},     {chat.Fast1, 0, 500, chat.Fast1},
      {chat.Normal1, 0, 1000, chat.Normal1}, {nullptr, 2000, 2000, chat.Slow1},
      {nullptr, 500, 500, chat.Fast1},       {nullptr, 0, 1000, chat.Normal1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    if (c.clicked) {
      c.clicked->trigger();
    } else {
      chat.setBotSpeed(c.value);
    }
    EXPECT_EQ(chat.botspeed, c.expected);
    EXPECT_TRUE(c.checked->isChecked());
    EXPECT_EQ(players.botSpeed(), c.expected);
  }
  EXPECT_EQ(saved, 3);  // each click saves; a value read from the file does not
}

}  // namespace

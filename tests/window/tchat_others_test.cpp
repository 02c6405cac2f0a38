// Playing with others in the main window: the turn alert, Notify on My Turn, invitation links and
// leaving for a new command line.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <algorithm>

#include "app/settings_file.h"
#include "protocol/message.h"
#include "protocol/tsock.h"
#include "recorders.h"
#include "shell/turn_notifier.h"
#include "window/tchat.h"

namespace {

namespace toclient = korvel::protocol::toclient;

void deliver(Tchat& chat, std::string framed) {
  framed.pop_back();
  chat.receivedlist.append(framed);
  chat.processsocktimer();
}

class RecordingNotifier : public TurnNotifier {
 public:
  void notify(const QString& summary, const QString& body) override {
    sent << summary + "|" + body;
  }
  QStringList sent;
};

// Seat 1 of a two-player game; Bob (seat 2) plays first.
struct TwoPlayers {
  Tchat chat{{"Ann"}, {1, 1}};
  RecordingSounds sounds;
  RecordingNotifier notifier;
  bool active = false;
  TwoPlayers() {
    chat.setCuePlayer(&sounds);
    chat.turnNotifier = &notifier;
    chat.windowActive = [this] { return active; };
    chat.game.myplayer = 1;
    deliver(chat, toclient::existingplayers({{1, "Ann", false}, {2, "Bob", false}}));
    deliver(chat, toclient::startgame("Ann", "30", 60, "1"));
    deliver(chat, toclient::nextplayer(2, 16));
  }
};

}  // namespace

TEST(TchatOthers, ATurnThatStartsInTheBackgroundNotifiesOnceAndNeverWhileActiveOrSwitchedOff) {
  RecordingBoxes boxes;
  setMessageBoxes(&boxes);
  TwoPlayers t;
  EXPECT_TRUE(t.notifier.sent.isEmpty()) << "another seat's turn is not announced";
  deliver(t.chat,
          toclient::goodword(2, 34, 34, {{5, 5, 1, 17}, {6, 5, 2, 21}, {7, 5, 3, 9}, {8, 5, 4, 26}},
                             {"QUIZ"}));
  deliver(t.chat, toclient::nextplayer(1, 12));
  EXPECT_EQ(t.notifier.sent, QStringList{"Your turn in Korvel|Bob laid QUIZ for 34"});

  // The window is active: nothing.
  t.active = true;
  deliver(t.chat, toclient::hepassed(1));
  deliver(t.chat, toclient::nextplayer(2, 12));
  deliver(t.chat, toclient::hepassed(2));
  deliver(t.chat, toclient::nextplayer(1, 12));
  EXPECT_EQ(t.notifier.sent.size(), 1);

  // Switched off (and kept in the settings file): nothing either.
  QTemporaryDir dir;
  korvel::app::SettingsStore store(dir.filePath("quonlobby.ini").toStdString());
  t.chat.settingsStore = &store;
  t.active = false;
  t.chat.NotifyOnMyTurn1->trigger();
  EXPECT_FALSE(t.chat.NotifyOnMyTurn1->isChecked());
  EXPECT_NE(korvel::app::readFileBytes(store.file())->find("Notifyonmyturn=false"),
            std::string::npos);
  deliver(t.chat, toclient::hepassed(1));
  deliver(t.chat, toclient::nextplayer(2, 12));
  deliver(t.chat, toclient::hepassed(2));
  deliver(t.chat, toclient::nextplayer(1, 12));
  EXPECT_EQ(t.notifier.sent.size(), 1);

  // On again: the next background turn is announced, naming the pass before it.
  t.chat.NotifyOnMyTurn1->trigger();
  deliver(t.chat, toclient::hepassed(1));
  deliver(t.chat, toclient::nextplayer(2, 12));
  deliver(t.chat, toclient::hepassed(2));
  deliver(t.chat, toclient::nextplayer(1, 12));
  ASSERT_EQ(t.notifier.sent.size(), 2);
  EXPECT_EQ(t.notifier.sent[1], "Your turn in Korvel|Bob passed");
  setMessageBoxes(nullptr);
}

TEST(TchatOthers, StartingAsANewCommandLineAsksFirstInARunningGame) {
  struct Boxes : RecordingBoxes {
    bool answer = false;
    QStringList asked;
    bool askYesNo(const QString& text) override {
      asked << text;
      return answer;
    }
  } boxes;
  setMessageBoxes(&boxes);
  TwoPlayers t;
  QStringList restartedWith;
  int restartPort = 0;
  t.chat.restartAs = [&](const QStringList& arguments, int port, bool) {
    restartedWith = arguments;
    restartPort = port;
    return true;
  };
  t.chat.show();
  t.chat.game.connected = true;  // seated in a running game
  EXPECT_FALSE(t.chat.startAs({"Ann", "10.0.0.2", "false"}, 8000));
  EXPECT_EQ(boxes.asked.size(), 1);
  EXPECT_TRUE(restartedWith.isEmpty());
  EXPECT_TRUE(t.chat.isVisible());
  boxes.answer = true;
  EXPECT_TRUE(t.chat.startAs({"Ann", "10.0.0.2", "false"}, 8000));
  EXPECT_EQ(restartedWith, (QStringList{"Ann", "10.0.0.2", "false"}));
  EXPECT_EQ(restartPort, 8000);
  EXPECT_FALSE(t.chat.isVisible());
  setMessageBoxes(nullptr);
}

TEST(TchatOthers, HostingShowsInvitationLinksAndCopyInvitationTakesTheFirst) {
  Tchat chat{{"Ann"}, {8123, 1}};
  EXPECT_FALSE(chat.CopyInvitation1->isEnabled());
  chat.showHostingHelp();
  for (const std::string& link : chat.invitationLinks) {
    EXPECT_EQ(link.rfind("korvel://", 0), 0u) << link;
    EXPECT_NE(link.find(":8123"), std::string::npos) << link;
    EXPECT_EQ(std::count(link.begin(), link.end(), ':'), 2) << "IPv4 only: " << link;
    EXPECT_TRUE(
        chat.mainchat->toPlainText().remove(QChar(0x2060)).contains(QString::fromStdString(link)));
  }
  EXPECT_EQ(chat.CopyInvitation1->isEnabled(), !chat.invitationLinks.empty());
  // The machine may have no network address; the copy is checked with one given.
  chat.invitationLinks = {"korvel://192.168.1.5:8123", "korvel://10.0.0.2:8123"};
  chat.CopyInvitation1Click();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "korvel://192.168.1.5:8123");
  EXPECT_TRUE(chat.mainchat->toPlainText()
                  .remove(QChar(0x2060))
                  .simplified()
                  .contains("Invitation link copied: korvel://192.168.1.5:8123"))
      << chat.mainchat->toPlainText().toStdString();
  // A link in the chat is one piece on one line, and a click copies it.
  QGuiApplication::clipboard()->clear();
  chat.show();
  chat.addlinetochat("0+Invitation links to send them: korvel://10.0.0.2:8123, ...", {});
  QTextDocument* doc = chat.mainchat->document();
  const QTextBlock block = doc->lastBlock();
  QTextFragment link;
  for (auto it = block.begin(); !it.atEnd(); ++it) {
    if (it.fragment().charFormat().isAnchor()) link = it.fragment();
  }
  ASSERT_TRUE(link.isValid());
  EXPECT_EQ(link.charFormat().anchorHref(), "korvel://10.0.0.2:8123");
  EXPECT_EQ(link.text().remove(QChar(0x2060)), "korvel://10.0.0.2:8123");
  const int start = link.position() - block.position();
  doc->documentLayout()->blockBoundingRect(block);  // lays the line out
  const QTextLayout* layout = block.layout();
  ASSERT_GT(layout->lineCount(), 1) << "the line wraps in the chat";
  EXPECT_EQ(layout->lineForTextPosition(start).lineNumber(),
            layout->lineForTextPosition(start + link.length() - 1).lineNumber());
  QTextCursor at(block);
  at.setPosition(link.position() + 1);
  chat.mainchatJump(at.charFormat().anchorHref());
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "korvel://10.0.0.2:8123");
  EXPECT_TRUE(chat.mainchat->toPlainText()
                  .remove(QChar(0x2060))
                  .simplified()
                  .contains("Invitation link copied: korvel://10.0.0.2:8123"));
  // The router's outside address goes first once the port is forwarded, replacing an earlier
  // one, and leaves with it.
  chat.showOutsideInvitation("korvel://203.0.113.7:8123");
  chat.showOutsideInvitation("korvel://203.0.113.9:8124");
  EXPECT_EQ(chat.invitationLinks,
            (std::vector<std::string>{"korvel://203.0.113.9:8124", "korvel://192.168.1.5:8123",
                                      "korvel://10.0.0.2:8123"}));
  chat.CopyInvitation1Click();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "korvel://203.0.113.9:8124");
  chat.showOutsideInvitation("");
  EXPECT_EQ(chat.invitationLinks.size(), 2u);
}

TEST(TchatOthers, AJoinedHostBecomesARecentHostOnlyOnceItsLoginAnswers) {
  QTemporaryDir dir;
  korvel::app::SettingsStore store(dir.filePath("quonlobby.ini").toStdString());
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  Tchat chat({"Ann", "127.0.0.1", "false"}, {server.serverPort(), 1});
  chat.settingsStore = &store;
  const auto recent = [&] {
    return korvel::app::IniFile::parse(korvel::app::readFileBytes(store.file()).value_or(""))
        .get("Korvel", "Recenthosts")
        .value_or("");
  };
  chat.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 5000));
  QTcpSocket* peer = server.nextPendingConnection();
  ASSERT_TRUE(QTest::qWaitFor([&] { return chat.sock->connected(); }, 5000));
  EXPECT_EQ(recent(), "") << "a connection that has not logged in is not a host joined";
  peer->write(QByteArray("CMD_sendlogininfo+2") + '\xFF');
  ASSERT_TRUE(QTest::qWaitFor([&] { return chat.game.connected; }, 5000));
  EXPECT_EQ(recent(), "127.0.0.1:" + std::to_string(server.serverPort()));
}

TEST(TchatOthers, AnInvitationLinkOnTheCommandLineOpensThePlayWithOthersWindow) {
  Tchat chat{{"korvel://127.0.0.1:9000"}, {1, 1}};
  QStringList opened;
  chat.openInvitation = [&](const QString& link) { opened << link; };
  chat.processparams();
  EXPECT_EQ(opened, QStringList{"korvel://127.0.0.1:9000"});
  EXPECT_EQ(chat.sock->state(), TSock::State::NoHandle) << "a link connects nowhere by itself";
  EXPECT_EQ(chat.Sock11->state(), TSock::State::NoHandle);
}

// The chat panel, the phrase buttons and clips, and the main window's layout and menus, on a real
// window offscreen.
#include <gtest/gtest.h>

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QToolButton>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/settings_file.h"
#include "dialogs/tabout.h"
#include "dialogs/tdownload.h"
#include "dialogs/tgamestart.h"
#include "dialogs/thelp.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "dialogs/ttallylist.h"
#include "protocol/tsock.h"
#include "recorders.h"
#include "shell/desktop_services.h"
#include "shell/message_boxes.h"
#include "window/peer_text.h"
#include "window/picture_button.h"
#include "window/sound_player.h"
#include "window/tchat.h"

namespace {

const QByteArray FF(1, '\xFF');

// A window logged in at seat 2 of a raw peer that records what the window sends.
struct Connected {
  QTcpServer server;
  QTcpSocket* peer = nullptr;
  std::unique_ptr<Tchat> chat;
  Connected() {
    EXPECT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    chat = std::make_unique<Tchat>(std::vector<std::string>{"Ann", "127.0.0.1", "false"},
                                   ClientPorts{server.serverPort(), 1});
    chat->show();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 5000));
    peer = server.nextPendingConnection();
    peer->write("CMD_sendlogininfo+2" + FF);
    EXPECT_TRUE(QTest::qWaitFor([&] { return chat->game.connected; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return peer->bytesAvailable() > 0; }, 5000));
    peer->readAll();  // the login
  }
  // What the window sent since the last call, once `expected` bytes are there or after a while.
  QByteArray sent(const QByteArray& expected) {
    QByteArray got;
    (void)QTest::qWaitFor(
        [&] {
          got += peer->readAll();
          return got.size() >= expected.size();
        },
        expected.isEmpty() ? 50 : 5000);
    return got;
  }
  void type(const QString& text) {
    chat->mychat->setFocus();
    QTest::keyClicks(chat->mychat, text);
    QTest::keyClick(chat->mychat, Qt::Key_Return);
  }
};

class TchatChat : public ::testing::Test {
 protected:
  void SetUp() override { setMessageBoxes(&boxes); }
  void TearDown() override { setMessageBoxes(nullptr); }
  RecordingBoxes boxes;
};

QColor colourAt(Tchat& chat, int block, int offset) {
  QTextCursor c(chat.mainchat->document()->findBlockByNumber(block));
  c.setPosition(c.position() + offset + 1);
  return c.charFormat().foreground().color();
}

}  // namespace

TEST_F(TchatChat, LinesStylesAndTheirColours) {
  Tchat chat({"Ann"}, {1, 1});
  chat.chatrecieved("3+Cy chats: hello|clRed");
  chat.chatrecieved("4+Di chats: hi|$0000FF00");
  chat.chatrecieved("3+Cy chats: again|clBlue");  // kind 3 again: its earlier line turns blue
  chat.chatrecieved("3+Cy chats: no colour");     // red, and every kind-3 line with it
  chat.chatrecieved("12+nobody");                 // no style for kind 12: not shown
  EXPECT_EQ(chat.mainchat->document()->blockCount(), 4);
  EXPECT_EQ(colourAt(chat, 0, 3), QColor(255, 0, 0));
  EXPECT_EQ(colourAt(chat, 2, 3), QColor(255, 0, 0));
  EXPECT_EQ(colourAt(chat, 1, 3), QColor(0, 255, 0));
  QTextCursor c(chat.mainchat->document()->firstBlock());
  c.setPosition(2);
  EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);

  // Peers' text is text: markup shows as typed and loads nothing.
  chat.chatrecieved("3+<b>Cy</b> chats: &amp; <img src=\"file:///etc/x.png\">|clRed");
  const QString shown = chat.mainchat->document()->lastBlock().text();
  EXPECT_TRUE(shown.contains("<b>Cy</b>")) << shown.toStdString();
  EXPECT_TRUE(shown.contains("&amp;"));
  EXPECT_TRUE(shown.contains("<img"));

  // A smiley is a picture in the line.
  chat.chatrecieved("3+Cy chats: :)#12|clRed");
  EXPECT_TRUE(chat.mainchat->document()->toHtml().contains("smiley:2"));

  chat.ClearMainChat1Click();
  EXPECT_TRUE(chat.mainchat->document()->isEmpty());
}

TEST_F(TchatChat, TheViewKeepsItsNewestLinesInTheirStylesNewestColour) {
  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  chat.chatLineLimit = 60;
  QTextDocument* doc = chat.mainchat->document();
  QScrollBar* bar = chat.mainchat->verticalScrollBar();
  const auto say = [&](int n, const char* colour) {
    chat.chatrecieved("3+Cy chats: line " + std::to_string(n) + "|" + colour);
  };
  for (int n = 0; n < 60; ++n) say(n, "clRed");  // after the program's own first line
  EXPECT_EQ(doc->blockCount(), 61);              // a little over the limit before a batch goes
  say(60, "clBlue");
  EXPECT_EQ(doc->blockCount(), 60);
  EXPECT_TRUE(doc->firstBlock().text().endsWith(" line 1 "))
      << doc->firstBlock().text().toStdString();
  // Lines scrolled back into view show the style's newest colour.
  bar->setValue(0);
  EXPECT_EQ(colourAt(chat, 0, 3), QColor(0, 0, 255));

  // A reader who stopped the scrolling keeps looking at the same line while old ones go.
  chat.ScrollChatOff1Click(true);
  bar->setValue(bar->maximum() / 2);
  const auto lineInView = [&] {
    return chat.mainchat->cursorForPosition(QPoint(10, 10)).block().text();
  };
  const QString read = lineInView();
  for (int n = 61; n < 71; ++n) say(n, "clRed");
  EXPECT_LE(doc->blockCount(), 61);
  EXPECT_EQ(lineInView(), read);

  // The same text size lays nothing out again; another one does.
  int layouts = 0;
  QObject::connect(doc->documentLayout(), &QAbstractTextDocumentLayout::update, [&] { ++layouts; });
  chat.setTextSize(chat.textsize);
  EXPECT_EQ(layouts, 0);
  chat.setTextSize(14);
  EXPECT_GT(layouts, 0);

  // Clearing empties the view, and smilies still show in the lines after it.
  chat.ClearMainChat1Click();
  EXPECT_TRUE(doc->isEmpty());
  chat.chatrecieved("3+Cy chats: :)#12|clRed");
  EXPECT_FALSE(doc->resource(QTextDocument::ImageResource, QUrl("smiley:2")).isNull());
}

TEST_F(TchatChat, TheLoginAnswersWithTheSeatAsRead) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
  Tchat chat({"Ann", "127.0.0.1", "false"}, ClientPorts{server.serverPort(), 1});
  chat.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 5000));
  QTcpSocket* peer = server.nextPendingConnection();
  peer->write("CMD_sendlogininfo+" + QByteArray(4000, '0') + "2" + FF);
  QByteArray got;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        got += peer->readAll();
        return got.endsWith(FF + FF);
      },
      5000));
  EXPECT_EQ(got, "CMD_logininfo+2+1.0.2+Ann" + FF + FF);
}

TEST_F(TchatChat, LinksOpenOnlyWebAddresses) {
  Tchat chat({"Ann"}, {1, 1});
  struct RecordingDesktop : DesktopServices {
    QStringList opened;
    bool startProgram(const QString&, const QStringList&) override { return false; }
    bool launchUrl(const QString& url) override {
      opened << url;
      return true;
    }
  } desktop;
  setDesktopServices(&desktop);
  QStringList& opened = desktop.opened;
  for (const char* address : {"www.example.org", "HTTPS://example.org/a", "file:///home/www.x",
                              "javascript:alert(1)//http://x"}) {
    chat.mainchatJump(address);
    QCoreApplication::processEvents();
  }
  // An address with %-escapes goes on as it was written.
  emit chat.mainchat->anchorClicked(QUrl("http://x.org/a%20b"));
  EXPECT_EQ(opened,
            (QStringList{"http://www.example.org", "HTTPS://example.org/a", "http://x.org/a%20b"}));
  EXPECT_EQ(boxes.shown, (QStringList{"Cannot open Webpage", "Cannot open Webpage"}));
  setDesktopServices(nullptr);
}

TEST_F(TchatChat, TheInputBoxSendsChatAndActions) {
  Connected c;
  Tchat& chat = *c.chat;
  EXPECT_EQ(chat.mychat->text(), "<Enter Chat Here>");
  c.type("hi there");
  EXPECT_EQ(c.sent("CMD_chat+2+hi there|clBlack" + FF), "CMD_chat+2+hi there|clBlack" + FF);
  c.type("/me waves");
  EXPECT_EQ(c.sent("CMD_action+2+waves|clBlack" + FF), "CMD_action+2+waves|clBlack" + FF);
  c.type("/meow");
  EXPECT_EQ(c.sent("CMD_action+2+w|clBlack" + FF), "CMD_action+2+w|clBlack" + FF);
  c.type("/help");
  c.type("");
  EXPECT_EQ(c.sent(""), "");
  EXPECT_EQ(chat.mychat->text(), "");

  chat.mychat->setText("<Enter Chat Here>");
  QGuiApplication::clipboard()->setText("pasted");
  chat.Paste1Click();
  EXPECT_EQ(chat.mychat->text(), "<Enter Chat Here>pasted");
  chat.mychat->setText("<Enter Chat Here>");
  chat.N271Click(12);
  EXPECT_EQ(chat.mychat->text(), ":)#12");
}

TEST_F(TchatChat, PhraseButtonsCoolDownAndClips) {
  Connected c;
  Tchat& chat = *c.chat;
  auto t = korvel::client::PhraseCooldown::Clock::time_point{} + std::chrono::hours(1);
  chat.now = [&] { return t; };
  chat.setPhrase(2, "/me cheers");
  QTest::mouseClick(chat.b_phrase[0], Qt::LeftButton);
  QTest::mouseClick(chat.b_phrase[1], Qt::LeftButton);  // too soon
  t += std::chrono::milliseconds(2000);
  QTest::mouseClick(chat.b_phrase[1], Qt::LeftButton);
  const QByteArray both =
      "CMD_action+2+says: Way To Go!|clBlack" + FF + "CMD_action+2+cheers|clBlack" + FF;
  EXPECT_EQ(c.sent(both), both);
  EXPECT_EQ(chat.b_phrase[1]->toolTip(), plainToolTip("/me cheers"));

  chat.wave4Click(0);
  chat.wave4Click(3);
  EXPECT_EQ(c.sent("CMD_playasound+2+wave3+" + FF), "CMD_playasound+2+wave3+" + FF);

  RecordingSounds clips;
  chat.setClipPlayer(&clips);
  chat.game.seat[1].name = "Bob";
  chat.playasound("2+wave15+");
  chat.playasound("2+gameover+");  // a game cue is not a peer's to play
  EXPECT_EQ(clips.played, std::vector<std::string>{"wave15"});
  chat.PlayerPhraseSounds1->setChecked(false);
  chat.playasound("2+wave3+");
  chat.playasound("6+wave3+");
  chat.playasound("2+wave15+");
  EXPECT_EQ(chat.mainchat->document()->lastBlock().text(), "Bob:  <Chatter Sound> Hello ");
  EXPECT_EQ(clips.played.size(), 1u);
}

TEST(TchatLayout, EveryElementAtItsPlace) {
  Tchat chat({"Ann"}, {1, 1});
  const struct {
    const char* name;
    QRect place;
  } table[] = {
      {"buttongray_pass", {1, 0, 90, 26}},
      {"buttongray_newtiles", {114, 0, 90, 26}},
      {"buttongray_clear", {228, 0, 90, 26}},
      {"buttongray_submit", {341, 0, 90, 26}},
      {"button_pass", {1, 0, 90, 26}},
      {"button_newtiles", {114, 0, 90, 26}},
      {"button_clear", {228, 0, 90, 26}},
      {"button_submit", {341, 0, 90, 26}},
      {"image_board", {1, 27, 430, 430}},
      {"paintbox_board", {1, 27, 429, 429}},
      {"Image1", {1, 457, 430, 24}},
      {"image_timer", {2, 458, 428, 22}},
      {"label_timer", {2, 461, 87, 19}},
      {"shape_1", {41, 483, 39, 39}},
      {"shape_8", {352, 483, 39, 39}},
      {"letter_1", {41, 483, 39, 39}},
      {"letter_5", {219, 483, 39, 39}},
      {"label_status", {3, 522, 430, 16}},
      {"button_start", {156, 228, 120, 26}},
      {"panel_winner", {4, 168, 423, 41}},
      {"label_winner2", {2, 11, 417, 19}},
      {"label_winner1", {1, 12, 417, 19}},
      {"Label1", {433, 0, 73, 16}},
      {"label_tilesleft", {433, 18, 73, 22}},
      {"Image2", {433, 59, 57, 357}},
      {"image_logo", {512, 8, 226, 28}},
      {"Image3", {492, 39, 149, 226}},
      {"Image4", {494, 62, 10, 47}},
      {"Image7", {494, 216, 10, 47}},
      {"image_Turn", {495, 63, 8, 45}},
      {"image_eyes1", {504, 66, 17, 14}},
      {"image_eyes4", {504, 220, 17, 14}},
      {"label_playername1", {517, 65, 121, 20}},
      {"label_playername2", {517, 117, 121, 20}},
      {"label_playername3", {517, 168, 121, 20}},
      {"label_playername4", {517, 219, 121, 20}},
      {"listbox_words", {646, 43, 113, 221}},
      {"b_phrase1", {493, 268, 25, 19}},
      {"b_phrase9", {707, 268, 25, 19}},
      {"b_phrase10", {734, 268, 25, 19}},
      {"FlatPanel1", {493, 289, 265, 221}},
      {"mainchat", {2, 2, 261, 217}},
      {"mychat", {493, 513, 238, 22}},
      {"button_smilies", {733, 514, 25, 19}},
  };
  for (const auto& e : table) {
    auto* w = chat.findChild<QWidget*>(e.name);
    ASSERT_NE(w, nullptr) << e.name;
    EXPECT_EQ(w->geometry(), e.place) << e.name;
  }
  const int scoreTops[] = {89, 140, 191, 242};
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(chat.findChild<QWidget*>(QString("label_score%1").arg(n))->pos(),
              QPoint(531, scoreTops[n - 1]));
    EXPECT_EQ(chat.findChild<QWidget*>(QString("label_bonus%1").arg(n))->pos(),
              QPoint(579, scoreTops[n - 1]));
  }
}

TEST(TchatLayout, MenusTheirShortcutsAndInitialStates) {
  Tchat chat({"Ann"}, {1, 1});
  QStringList menus;
  for (QAction* a : chat.menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus.mid(0, 2), QStringList({"File", "Options"}));
  EXPECT_FALSE(chat.StartGame1->isEnabled());
  EXPECT_TRUE(chat.PlaySounds1->isChecked());
  EXPECT_TRUE(chat.PlayerPhraseSounds1->isChecked());
  EXPECT_TRUE(chat.Classic1->isChecked());
  EXPECT_FALSE(chat.New1->isChecked());
  EXPECT_EQ(chat.ScrollChatOff1->shortcut(), QKeySequence("Ctrl+S"));
  EXPECT_FALSE(chat.JustWatch1->isChecked());
  EXPECT_FALSE(chat.button_pass->isVisibleTo(&chat));
  EXPECT_TRUE(chat.buttongray[0]->isVisibleTo(&chat));
  chat.ScrollChatOff1Click(true);
  EXPECT_TRUE(chat.ScrollChatOff2->isChecked());
  int saves = 0;
  chat.savesettings = [&] { ++saves; };
  chat.N14Click(12);
  EXPECT_TRUE(chat.TextSize[2]->isChecked());
  EXPECT_FALSE(chat.TextSize[1]->isChecked());
  EXPECT_EQ(chat.mainchat->document()->defaultFont().pointSize(), 12);
  chat.setTextSize(11);
  for (QAction* size : chat.TextSize) EXPECT_FALSE(size->isChecked());
  chat.chooseColour = [](const QColor&, const QString&) { return std::optional<QColor>(); };
  chat.TextColor1Click();    // cancelled: nothing saved
  chat.ActionColor1Click();  // saved either way
  EXPECT_EQ(saves, 2);
}

TEST(TchatSettings, OptionsSurviveARestart) {
  QTemporaryDir dir;
  const std::filesystem::path file = dir.filePath("quonlobby.ini").toStdString();
  { std::ofstream(file, std::ios::binary) << "[Lobby]\r\nName=Ann\r\n"; }
  {
    korvel::app::SettingsStore store(file);
    Tgamestart gamestart;
    Tchat chat({"Ann"}, {1, 1});
    chat.settingsStore = &store;
    chat.gamestartDialog = &gamestart;
    chat.loadinifile();
    EXPECT_EQ(gamestart.creationTime(), 45);  // the stored default "1" is brought to 45
    chat.N14Click(12);
    chat.chooseColour = [](const QColor&, const QString&) { return QColor(255, 0, 0); };
    chat.TextColor1Click();
    chat.PlaySounds1->trigger();
    chat.New1->trigger();
    gamestart.setCreationTime(90);
    gamestart.setComputerLevel(korvel::bot::Level::Easy);
    chat.saveinifile({korvel::app::kTimeperturnKey});
    chat.savePhraseEdits({"Hi all", "", "Nice Try!", "Excellent!", "Brilliant!", "Wow, WTG!",
                          "Thanks!", "Way To Go Teamie!", "Good Game Everyone!"});
  }
  korvel::app::SettingsStore store(file);
  Tgamestart gamestart;
  Tchat chat({"Ann"}, {1, 1});
  chat.settingsStore = &store;
  chat.gamestartDialog = &gamestart;
  chat.loadinifile();
  EXPECT_EQ(chat.textsize, 12);
  EXPECT_TRUE(chat.TextSize[2]->isChecked());
  EXPECT_EQ(chat.textcolor, korvel::client::kRed);
  EXPECT_FALSE(chat.PlaySounds1->isChecked());
  EXPECT_TRUE(chat.New1->isChecked());
  EXPECT_TRUE(chat.game.turnSoundNew);
  EXPECT_EQ(gamestart.creationTime(), 90);
  EXPECT_EQ(gamestart.computerLevel(), korvel::bot::Level::Easy);
  EXPECT_EQ(chat.phrases[0], "Hi all");
  EXPECT_EQ(chat.phrases[1], "Good One!");  // an empty stored phrase keeps the built-in one
  std::ifstream in(file, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text.rfind("[Lobby]\r\nName=Ann\r\n", 0), 0u) << text;
}

namespace {

// Every control a person can operate, reached through the accessibility tree, has a name.
QStringList unnamedControls(QWidget* window) {
  QStringList unnamed;
  std::function<void(QAccessibleInterface*, const QString&)> walk = [&](QAccessibleInterface* a,
                                                                        const QString& path) {
    if (!a) return;
    switch (a->role()) {
      case QAccessible::Button:
      case QAccessible::CheckBox:
      case QAccessible::RadioButton:
      case QAccessible::ComboBox:
      case QAccessible::EditableText:
      case QAccessible::SpinBox:
      case QAccessible::ButtonMenu:
      case QAccessible::ButtonDropDown:
      case QAccessible::List:
        if (a->text(QAccessible::Name).trimmed().isEmpty()) unnamed << path;
        break;
      default:
        break;
    }
    for (int i = 0; i < a->childCount(); ++i) {
      QAccessibleInterface* child = a->child(i);
      QString name = child && child->object() ? child->object()->objectName() : QString();
      walk(child, path + "/" + (name.isEmpty() ? QString::number(i) : name));
    }
  };
  walk(QAccessible::queryAccessibleInterface(window), window->objectName());
  return unnamed;
}

}  // namespace

TEST(TchatAccessibility, NoUnnamedControlAndTheStatusIsHeard) {
  QWidget probe;
  probe.setObjectName("probe");
  auto* bare = new QToolButton(&probe);
  bare->setObjectName("bare");
  probe.show();
  EXPECT_EQ(unnamedControls(&probe), QStringList{"probe/bare"});  // the walk finds one

  Tchat chat({"Ann"}, {1, 1});
  chat.show();
  EXPECT_EQ(unnamedControls(&chat), QStringList());
  Tgamestart gamestart;
  Tabout about;
  Tspylist spylist;
  Thelp help;
  Tphrases phrases;
  Tdownload download;
  Ttallylist tallylist;
  for (QWidget* dialog : std::initializer_list<QWidget*>{&gamestart, &about, &spylist, &help,
                                                         &phrases, &download, &tallylist}) {
    dialog->show();
    EXPECT_EQ(unnamedControls(dialog), QStringList()) << dialog->windowTitle().toStdString();
    dialog->hide();
  }
  chat.game.status = "Your Turn.";
  chat.render({});
  EXPECT_EQ(QAccessible::queryAccessibleInterface(chat.label_status)->text(QAccessible::Name),
            "Your Turn.");
}

// Text from peers reaches the screen as text in one encoding: names that look like markup are
// drawn as their characters (and never make this computer read a file), UTF-8 crosses between
// clients unchanged, and an 8-bit peer's Windows-1252 shows as the letters it meant.
#include "window/peer_text.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QStringListModel>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>
#include <QToolTip>
#include <string>
#include <vector>

#include "dialogs/tgamestart.h"
#include "dialogs/tphrases.h"
#include "dialogs/tspylist.h"
#include "dialogs/ttallylist.h"
#include "protocol/message.h"
#include "protocol/tsock.h"
#include "recorders.h"
#include "server/tserver.h"
#include "shell/message_boxes.h"
#include "window/panel_widgets.h"
#include "window/tchat.h"

namespace {

namespace toclient = korvel::protocol::toclient;
const std::string FF(1, '\xFF');

void deliver(Tchat& chat, std::string framed) {
  framed.pop_back();
  chat.receivedlist.append(framed);
  chat.processsocktimer();
}

QString utf8(const std::string& s) {
  return QString::fromStdString(s);
}

// The colour of the picture a markup name points at; nothing the game draws uses it.
const QRgb kSecret = qRgb(0x12, 0xFE, 0x34);

bool drawsSecret(QWidget* w) {
  if (!w) return false;
  const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((line[x] & 0xFFFFFF) == (kSecret & 0xFFFFFF)) return true;
    }
  }
  return false;
}

// What a label shows, and that it is plain text that draws no picture.
void expectLabel(QLabel* label, const std::string& shown) {
  SCOPED_TRACE(label->objectName().toStdString());
  EXPECT_EQ(label->text(), utf8(shown));
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  EXPECT_FALSE(drawsSecret(label));
}

QMessageBox* visibleBox() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) return box;
  }
  return nullptr;
}

// A raw connection to the game server, speaking bytes.
struct RawPeer {
  QTcpSocket socket;
  QByteArray received;
  explicit RawPeer(int port) { socket.connectToHost(QHostAddress::LocalHost, port); }
  bool waitFor(const QByteArray& part) {
    return QTest::qWaitFor(
        [&] {
          received += socket.readAll();
          return received.contains(part);
        },
        5000);
  }
  void send(const std::string& bytes) {
    socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
  }
};

// The tooltip window Qt shows for the text.
QWidget* shownToolTip(const QString& text) {
  QToolTip::hideText();
  QToolTip::showText(QPoint(200, 200), text);
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->inherits("QTipLabel") && w->isVisible()) return w;
  }
  ADD_FAILURE() << "no tooltip shown";
  return nullptr;
}

class PeerText : public ::testing::Test {
 protected:
  void SetUp() override { setMessageBoxes(&boxes); }
  void TearDown() override {
    setMessageBoxes(nullptr);
    QLocale::setDefault(systemLocale);
  }
  RecordingBoxes boxes;
  const QLocale systemLocale;
};

}  // namespace

TEST_F(PeerText, NamesThatLookLikeMarkupShowAsTextAndLoadNothing) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString picture = dir.filePath("secret.png");
  QImage secret(48, 48, QImage::Format_RGB32);
  secret.fill(kSecret);
  ASSERT_TRUE(secret.save(picture));
  const std::string bold = "<b>Eve</b>";
  const std::string img = "<img src=\"" + picture.toStdString() + "\">";

  Tchat chat{{"Ann"}, {1, 1}};
  chat.show();
  ASSERT_FALSE(drawsSecret(&chat));
  chat.game.myplayer = 3;
  deliver(chat, toclient::newplayerinfo(3, "Ann"));
  deliver(chat, toclient::existingplayers({{1, bold, false}, {2, img, false}, {5, img, false}}));
  deliver(chat, toclient::startgame(bold, "30", 60, "1"));
  expectLabel(chat.label_playername[0], bold);
  expectLabel(chat.label_playername[1], img);

  deliver(chat, toclient::chat(2, img, bold + "|clBlack"));
  EXPECT_TRUE(chat.mainchat->toPlainText().contains(utf8(img + " chats:")));
  EXPECT_TRUE(chat.mainchat->toPlainText().contains(utf8(bold)));
  deliver(chat, toclient::nextplayer(2, 16));
  expectLabel(chat.label_status, img + "'s turn.");
  EXPECT_FALSE(drawsSecret(&chat));
  deliver(chat, toclient::hepassed(1));
  expectLabel(chat.label_status, bold + " passed.");
  deliver(chat, toclient::winner(img + " and " + bold));
  ASSERT_TRUE(chat.panel_winner->isVisible());
  expectLabel(chat.label_winner1, img + " and " + bold + " has Won the Game!");
  expectLabel(chat.label_winner2, img + " and " + bold + " has Won the Game!");
  EXPECT_FALSE(drawsSecret(&chat));

  Tspylist spies;
  spies.setModel(chat.spylist);
  spies.show();
  EXPECT_EQ(chat.spylist->stringList(), QStringList{utf8("5: " + img)});
  EXPECT_FALSE(drawsSecret(&spies));

  Ttallylist tally;
  tally.loadFrom(dir.filePath("tally.tld").toStdString());
  tally.show();
  tally.loadchecklist(chat.game.otherPlayers());
  ASSERT_EQ(tally.checklist->count(), 2);
  tally.checklistClickCheck(1);
  tally.listbox_tally->setCurrentRow(0);
  expectLabel(tally.label_hisnametop, img + "'s Tally");
  expectLabel(tally.label_hisname, img + " Wins:");
  EXPECT_FALSE(drawsSecret(&tally));

  // A phrase in the settings file naming the picture: its button's tooltip shows the text.
  chat.setPhrase(1, img);
  const QString tip = chat.b_phrase[0]->toolTip();
  QTextDocument shownText;
  shownText.setHtml(tip);
  EXPECT_EQ(shownText.toPlainText(), utf8(img));
  EXPECT_FALSE(drawsSecret(shownToolTip(tip)));
  EXPECT_TRUE(drawsSecret(shownToolTip(utf8(img)))) << "the raw text would draw the picture";
  EXPECT_EQ(plainToolTip(""), "") << "an empty phrase has no tooltip";
  QToolTip::hideText();

  // The real box, as the program shows it.
  setMessageBoxes(nullptr);
  messageBoxes().showMessage(peerText(img + " left."));
  ASSERT_TRUE(QTest::qWaitFor([] { return visibleBox() != nullptr; }, 5000));
  QMessageBox* box = visibleBox();
  EXPECT_EQ(box->text(), utf8(img + " left."));
  EXPECT_EQ(box->textFormat(), Qt::PlainText);
  EXPECT_FALSE(drawsSecret(box));
  box->button(QMessageBox::Ok)->click();
  ASSERT_TRUE(QTest::qWaitFor([] { return visibleBox() == nullptr; }, 5000));
}

TEST_F(PeerText, Utf8CrossesBetweenClientsAndAn8BitPeerShowsWhatItMeant) {
  // Under Arabic the counters show Arabic-Indic digits; the start message must not.
  QLocale::setDefault(QLocale(QLocale::Arabic, QLocale::Egypt));
  TServer::Options options;
  options.wordList = std::string("\x1E") + "CAT           ";
  options.runTimer1 = false;
  TServer server(options);
  QTcpServer lobby;
  ASSERT_TRUE(lobby.listen(QHostAddress::LocalHost, 0));

  const std::string zoe = "Zo\xC3\xAB",
                    dmitry = "\xD0\x94\xD0\xBC\xD0\xB8\xD1\x82\xD1\x80\xD0\xB8\xD0\xB9";
  Tchat host({"a+" + zoe, "127.0.0.1", "true"}, {0, lobby.serverPort()});
  host.startListening = [&](int) {
    server.startListening(0, host.sock);
    host.sock->PortName = std::to_string(server.listeningPort());
  };
  host.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return host.game.myplayer == 1; }, 5000));
  Tchat joiner({dmitry, "127.0.0.1", "false"}, {server.listeningPort(), lobby.serverPort()});
  joiner.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return joiner.game.myplayer == 2; }, 5000));

  // An 8-bit program logs in as "Jürgen" in Windows-1252.
  RawPeer raw(server.listeningPort());
  ASSERT_TRUE(raw.waitFor(QByteArray("CMD_sendlogininfo+3") + '\xFF'));
  raw.send("CMD_logininfo+3+1.0.2+J\xFCrgen" + FF + FF);
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        return host.label_playername[2]->text() == QString::fromUtf8("Jürgen") &&
               joiner.label_playername[2]->text() == QString::fromUtf8("Jürgen");
      },
      5000));
  for (Tchat* chat : {&host, &joiner}) {
    expectLabel(chat->label_playername[0], "a" + zoe);
    expectLabel(chat->label_playername[1], dmitry);
    expectLabel(chat->label_playername[2], "J\xC3\xBCrgen");
  }

  const std::string typed = "\xE2\x82\xAC " + zoe + " " + dmitry;
  joiner.mychat->setText(utf8(typed));
  QTest::keyClick(joiner.mychat, Qt::Key_Return);
  raw.send("CMD_chat+3+caf\xE9 \x80 \x93ok\x94|clBlack" + FF);
  for (Tchat* chat : {&host, &joiner}) {
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          const QString shown = chat->mainchat->toPlainText();
          return shown.contains(utf8(dmitry + " chats: ")) && shown.contains(utf8(typed)) &&
                 shown.contains(QString::fromUtf8("Jürgen chats: ")) &&
                 shown.contains(QString::fromUtf8("café € “ok”"));
        },
        5000))
        << chat->mainchat->toPlainText().toStdString();
  }
  // The peer reads the UTF-8 bytes as they were typed.
  EXPECT_TRUE(raw.waitFor(QByteArray::fromStdString("CMD_chat+2+" + dmitry + " chats: " + typed)));

  // The tally shows the 8-bit name decoded and keeps the bytes it received.
  QTemporaryDir dir;
  Ttallylist tally;
  tally.loadFrom(dir.filePath("tally.tld").toStdString());
  tally.loadchecklist(host.game.otherPlayers());
  ASSERT_EQ(tally.checklist->count(), 2);
  EXPECT_EQ(tally.checklist->item(0)->text(), utf8(dmitry));
  tally.checklistClickCheck(1);
  EXPECT_EQ(tally.store()->record().followed(), std::vector<std::string>{"J\xFCrgen"});
  EXPECT_EQ(tally.listbox_tally->item(0)->text(), QString::fromUtf8("Jürgen"));

  // A phrase typed into the editor goes out on its button as typed.
  Tphrases editor;
  editor.done = [&](const Tphrases::Phrases& edited) { joiner.savePhraseEdits(edited); };
  editor.open(joiner.phrases);
  editor.phrase[0]->setText(utf8(typed));
  editor.button_doneClick();
  joiner.b_phrase1Click(1);
  EXPECT_TRUE(
      raw.waitFor(QByteArray::fromStdString("CMD_action+2+" + dmitry + " says: " + typed + "|")));

  // The host starts the game from the dialog: the name as its login sent it, ASCII digits.
  Tgamestart start;
  start.playername = [&] { return host.playername; };
  start.send = [&](const std::string& m) { host.sock->send(m); };
  start.setCreationTime(90);
  ASSERT_NE(start.edit_creationtime->text(), "90");  // the counter really shows other digits
  start.button_startClick();
  EXPECT_TRUE(raw.waitFor(QByteArray::fromStdString("CMD_startgame+a" + zoe + "+30+90+1+" + FF)));
  ASSERT_TRUE(QTest::qWaitFor([&] { return joiner.game.turnlimit == 90; }, 5000));
  expectLabel(host.label_playername[0], "a" + zoe);
  EXPECT_TRUE(host.mainchat->toPlainText().contains("You have started a game."));
}

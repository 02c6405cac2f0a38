// The lobby download dialog against a local HTTP server: the saved installer, the status texts,
// what is started, and what a failed or stopped download leaves behind.
#include "dialogs/tdownload.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "dialog_fakes.h"
#include "dialogs/http_cli.h"
#include "dialogs/jpeg_image.h"
#include "local_http_server.h"

namespace {

using Mode = LocalHttpServer::Mode;
constexpr const char* kOld = "the earlier installer";

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A dialog saving into a fresh folder that already holds an earlier installer.
struct Fixture {
  ScriptedBoxes boxes;
  RecordingDesktop desktop;
  QTemporaryDir dir;
  Tdownload dialog;
  int exits = 0;
  explicit Fixture(const QString& url) {
    dialog.installerUrl = url.toStdString();
    dialog.folder = dir.path().toStdString();
    dialog.exitGame = [this] { ++exits; };
    QFile old(installer());
    old.open(QIODevice::WriteOnly);
    old.write(kOld);
  }
  QString installer() const { return dir.filePath("Quon77LobbySetup.exe"); }
  QStringList files() const {
    return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
  }
  bool finish() {
    return QTest::qWaitFor([this] { return !dialog.HttpCli1->running(); }, 10000);
  }
};

TEST(Tdownload, DownloadsReplaceTheInstallerOnlyWhenCompleteAndStartIt) {
  QByteArray body(70000, '\0');
  for (int i = 0; i < body.size(); ++i) body[i] = static_cast<char>(i * 7);
  struct Case {
    const char* what;
    Mode mode;
    const char* path;
    bool startSucceeds;
    QString infolabel, infolabel3;
    QByteArray saved;  // the installer afterwards
    bool started;
    QStringList shown;
    bool asksServer = true;
  };
  const Case cases[] = {
      {"complete",
       Mode::Complete,
       "/dl/Quon77LobbySetup.exe?v=2#top",
       true,
       "Received 70000 bytes",
       "Installing",
       body,
       true,
       {}},
      {"installer does not start",
       Mode::Complete,
       "/dl/Quon77LobbySetup.exe",
       false,
       "Received 70000 bytes",
       "Installing",
       body,
       true,
       {"An Error has Occurred."}},
      {"404",
       Mode::NotFound,
       "/dl/Quon77LobbySetup.exe",
       true,
       "Download Aborted",
       "",
       kOld,
       false,
       {}},
      {"server closes early",
       Mode::CloseEarly,
       "/dl/Quon77LobbySetup.exe",
       true,
       "Download Aborted",
       "Downloading: Quon77LobbySetup.exe",
       kOld,
       false,
       {}},
      {"no file name",
       Mode::Complete,
       "/dl/",
       true,
       "Download Aborted",
       "",
       kOld,
       false,
       {},
       false},
      {"dot dot", Mode::Complete, "/dl/..", true, "Download Aborted", "", kOld, false, {}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LocalHttpServer server(c.mode, body);
    Fixture f(server.url(c.path));
    f.desktop.startSucceeds = c.startSucceeds;

    QTest::mouseClick(f.dialog.getbutton, Qt::LeftButton);
    ASSERT_TRUE(f.finish());
    QCoreApplication::processEvents();

    EXPECT_EQ(f.dialog.infolabel->text(), c.infolabel);
    EXPECT_EQ(f.dialog.infolabel3->text(), c.infolabel3);
    EXPECT_EQ(readAll(f.installer()), c.saved);
    EXPECT_EQ(f.files(), QStringList{"Quon77LobbySetup.exe"}) << "no temporary file is left";
    EXPECT_TRUE(f.dialog.getbutton->isEnabled());
    EXPECT_FALSE(f.dialog.abortbutton->isEnabled());
    EXPECT_EQ(f.boxes.shown, c.shown);
    ASSERT_EQ(f.desktop.started.size(), c.started ? 1u : 0u);
    if (c.started) {
      EXPECT_EQ(f.desktop.started[0].first, f.installer());
      EXPECT_EQ(f.desktop.started[0].second.join(' '), "/SP- /silent /noicons");
      EXPECT_TRUE(QFileInfo(f.installer()).isExecutable());
    }
    EXPECT_EQ(f.exits, c.started && c.startSucceeds ? 1 : 0);
    EXPECT_EQ(server.requests, c.asksServer ? 1 : 0);
    if (server.requests > 0) {
      EXPECT_TRUE(server.request.startsWith("GET /dl/")) << server.request.toStdString();
      EXPECT_TRUE(server.request.contains(" HTTP/1.0\r\n"));
      EXPECT_TRUE(server.request.contains("\r\nUser-Agent: Mozilla/3.0 (compatible)\r\n"));
      EXPECT_TRUE(server.request.contains(
          "\r\nAccept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"));
    }
  }
}

TEST(Tdownload, StopEndsARunningDownloadAndTheAbortedTextsStay) {
  LocalHttpServer server(Mode::Stall);
  Fixture f(server.url("/dl/Quon77LobbySetup.exe"));
  QTest::mouseClick(f.dialog.getbutton, Qt::LeftButton);
  EXPECT_FALSE(f.dialog.getbutton->isEnabled());
  EXPECT_TRUE(f.dialog.abortbutton->isEnabled());
  // Live byte count while the body comes in.
  ASSERT_TRUE(
      QTest::qWaitFor([&] { return f.dialog.infolabel->text() == QString("4096 bytes"); }, 10000))
      << f.dialog.infolabel->text().toStdString();
  EXPECT_EQ(f.dialog.infolabel3->text(), "Downloading: Quon77LobbySetup.exe");

  QTest::mouseClick(f.dialog.abortbutton, Qt::LeftButton);
  // What the transfer still reports on its way down changes nothing.
  emit f.dialog.HttpCli1->headerReceived("Server: late");
  emit f.dialog.HttpCli1->documentBegin();
  emit f.dialog.HttpCli1->documentData();
  EXPECT_EQ(f.dialog.infolabel->text(), "Download has been aborted.");
  EXPECT_EQ(f.dialog.infolabel3->text(), "Download Aborted");
  ASSERT_TRUE(f.finish());
  QCoreApplication::processEvents();
  EXPECT_EQ(f.dialog.infolabel->text(), "Download Aborted");
  EXPECT_EQ(f.dialog.infolabel3->text(), "Download Aborted");
  EXPECT_EQ(f.dialog.outcome(), 2);
  EXPECT_TRUE(f.desktop.started.empty());
  EXPECT_EQ(readAll(f.installer()), kOld);
  EXPECT_EQ(f.files(), QStringList{"Quon77LobbySetup.exe"});

  // Stopped at once, before anything arrived: late notifications change no text either.
  QTest::mouseClick(f.dialog.getbutton, Qt::LeftButton);
  QTest::mouseClick(f.dialog.abortbutton, Qt::LeftButton);
  ASSERT_TRUE(f.finish());
  QCoreApplication::processEvents();
  EXPECT_EQ(f.dialog.infolabel->text(), "Download Aborted");
  EXPECT_EQ(f.dialog.infolabel3->text(), "Download Aborted");
  EXPECT_TRUE(f.desktop.started.empty());
}

TEST(Tdownload, PlayWithOthersOpensAnInstalledLobbyOrSaysWhereToFindIt) {
  for (bool installed : {true, false}) {
    SCOPED_TRACE(installed);
    Fixture f("https://127.0.0.1/unused.exe");
    f.dialog.lobbyPath = f.dir.filePath("Quon77Lobby");
    if (installed) {
      QFile lobby(f.dialog.lobbyPath);
      lobby.open(QIODevice::WriteOnly);
    }
    QTest::mouseClick(f.dialog.Button2, Qt::LeftButton);
    QCoreApplication::processEvents();
    if (installed) {
      ASSERT_EQ(f.desktop.started.size(), 1u);
      EXPECT_EQ(f.desktop.started[0].first, f.dialog.lobbyPath);
      EXPECT_TRUE(f.desktop.started[0].second.isEmpty());
      EXPECT_EQ(f.exits, 1);
    } else {
      EXPECT_TRUE(f.desktop.started.empty());
      EXPECT_EQ(f.boxes.shown,
                QStringList{"Please close the game and open the Quon77 Lobby using the icon on "
                            "your desktop or using the your Window's start-up menu."});
      EXPECT_EQ(f.exits, 0);
    }
  }
}

TEST(Tdownload, ShowsItsTextsOnTopWithoutBlockingAndCentred) {
  Fixture f("https://127.0.0.1/unused.exe");
  f.dialog.show();
  EXPECT_EQ(f.dialog.windowTitle(), "Download The Quon77 Lobby");
  EXPECT_FALSE(f.dialog.isModal());
  EXPECT_TRUE(f.dialog.windowFlags() & Qt::WindowStaysOnTopHint);
  const QPoint centre = f.dialog.screen()->availableGeometry().center();
  EXPECT_LE((f.dialog.frameGeometry().center() - centre).manhattanLength(), 2);
  QStringList texts;
  for (QLabel* l : f.dialog.findChildren<QLabel*>()) {
    if (!l->text().isEmpty()) texts << l->text();
  }
  for (QPushButton* b : f.dialog.findChildren<QPushButton*>()) texts << b->text();
  texts.sort();
  QStringList expected = {
      "Download The Quon77 Lobby Now to play this  and other exciting games online with other "
      "players! ",
      "Download And Install The Quon77 Lobby Now",
      "Stop Download",
      "To proceed to the game without the ability to play against others click the button below.",
      "Note: Even if you are playing offline, you will need to configure your FIREWALL to allow "
      "the game to access the internet components.",
      "Play Solo Game",
      "If you already have The Quon77 Lobby and you wish to play with others then click the "
      "button below to close this game and open The Quon77 Lobby.",
      "Play with Others",
  };
  expected.sort();
  EXPECT_EQ(texts, expected);
  EXPECT_TRUE(f.dialog.Button1->isDefault());
  EXPECT_FALSE(f.dialog.abortbutton->isEnabled()) << "nothing to stop before a download";
  EXPECT_EQ(f.dialog.image_banner->pixmap().size(), QSize(420, 96));

  // "Don't show this again" tells each click; setting it from the settings tells nothing.
  std::vector<bool> ticks;
  f.dialog.dontShowChanged = [&](bool on) { ticks.push_back(on); };
  EXPECT_EQ(f.dialog.dontshow->text(), "Don't show this again");
  f.dialog.dontshow->setChecked(true);
  f.dialog.dontshow->click();
  f.dialog.dontshow->click();
  EXPECT_EQ(ticks, (std::vector<bool>{false, true}));

  // Stop with nothing running (a click that reached it anyway) changes nothing.
  f.dialog.abortbuttonClick();
  EXPECT_EQ(f.dialog.infolabel->text(), "");
  EXPECT_EQ(f.dialog.infolabel3->text(), "");
  EXPECT_NE(f.dialog.outcome(), 2);
  QTest::mouseClick(f.dialog.Button1, Qt::LeftButton);
  EXPECT_TRUE(f.dialog.isHidden());
}

TEST(DecodeJpeg, DecodesTheBannerAndRefusesDamagedData) {
  QFile banner(":/pictures/download.jpg");
  ASSERT_TRUE(banner.open(QIODevice::ReadOnly));
  const QByteArray jpeg = banner.readAll();
  const QImage image = decodeJpeg(jpeg);
  ASSERT_EQ(image.size(), QSize(420, 96));
  // Qt's own reader, where present, agrees within JPEG rounding.
  const QImage reference = QImage::fromData(jpeg, "JPG");
  if (!reference.isNull()) {
    for (QPoint p : {QPoint(0, 0), QPoint(200, 50), QPoint(419, 95)}) {
      const QColor a = image.pixelColor(p), b = reference.pixelColor(p);
      EXPECT_LE(std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                    std::abs(a.blue() - b.blue()),
                6);
    }
  }
  // Damaged frame headers: a 12-bit sample precision, and a width of 0.
  const qsizetype frame = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
  ASSERT_GT(frame, 0);
  QByteArray precision = jpeg, noWidth = jpeg;
  precision[frame + 4] = 12;
  noWidth[frame + 7] = 0;
  noWidth[frame + 8] = 0;
  for (const QByteArray& bad : {QByteArray(), QByteArray("not a picture"), jpeg.left(2),
                                QByteArray("\xFF\xD8\xFF\xC0\x00\x02", 6), precision, noWidth}) {
    EXPECT_TRUE(decodeJpeg(bad).isNull()) << bad.toHex().left(40).toStdString();
  }
}

}  // namespace

TEST(Tdownload, PlayWithOthersWithoutALobbyOpensTheGamesOwnWindow) {
  Fixture f("https://127.0.0.1/unused.exe");
  f.dialog.lobbyPath = f.dir.filePath("Quon77Lobby");
  int opened = 0;
  f.dialog.playWithOthers = [&] { ++opened; };
  f.dialog.show();
  QTest::mouseClick(f.dialog.Button2, Qt::LeftButton);
  QCoreApplication::processEvents();
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(f.boxes.shown.isEmpty());
  EXPECT_TRUE(f.desktop.started.empty());
  EXPECT_FALSE(f.dialog.isVisible());
  EXPECT_EQ(f.exits, 0);
}

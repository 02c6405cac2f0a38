#include "dialogs/tdownload.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <cstdlib>

#include "dialogs/dialog_look.h"
#include "dialogs/http_cli.h"
#include "dialogs/jpeg_image.h"
#include "dialogs/lobby_installer.h"
#include "records/tally_store.h"
#include "shell/desktop_services.h"
#include "shell/message_boxes.h"
#include "shell/settings_location.h"

using dialoglook::arial;
namespace installer = korvel::dialogs;

namespace {

constexpr int kPanelWidth = 420;

QFrame* panel(QWidget* parent) {
  auto* frame = new QFrame(parent);
  frame->setFrameShape(QFrame::StyledPanel);
  frame->setFixedWidth(kPanelWidth + 24);
  auto* layout = new QVBoxLayout(frame);
  layout->setContentsMargins(12, 10, 12, 10);
  layout->setSpacing(8);
  return frame;
}

QLabel* text(QWidget* parent, const QString& words, bool bold = false) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setText(words);
  label->setWordWrap(true);
  label->setFont(arial(13, bold));
  label->setFixedWidth(kPanelWidth);
  parent->layout()->addWidget(label);
  return label;
}

QPushButton* button(QWidget* parent, const QString& caption) {
  auto* b = new QPushButton(caption, parent);
  b->setFont(arial(13, true));
  parent->layout()->addWidget(b);
  parent->layout()->setAlignment(b, Qt::AlignHCenter);
  return b;
}

// The picture at the top, 420 by 96 in window units. On a zoomed or high-density screen it comes
// from the picture of twice the pixels, brought down to the screen's ratio, so that its text
// stays sharp instead of being enlarged.
QPixmap bannerPicture(qreal ratio) {
  const bool dense = ratio > 1;
  QFile jpeg(dense ? ":/pictures/download@2x.jpg" : ":/pictures/download.jpg");
  if (!jpeg.open(QIODevice::ReadOnly)) return {};
  QImage image = decodeJpeg(jpeg.readAll());
  if (dense && !image.isNull()) {
    image = image.scaled(qRound(420 * ratio), qRound(96 * ratio), Qt::IgnoreAspectRatio,
                         Qt::SmoothTransformation);
    image.setDevicePixelRatio(ratio);
  }
  return QPixmap::fromImage(image);
}

}  // namespace

Tdownload::Tdownload(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint) {
  setWindowTitle("Download The Quon77 Lobby");
  setAccessibleName("Download The Quon77 Lobby");
  installerUrl = installer::installerUrl(std::getenv(installer::kInstallerUrlVariable));
  lobbyPath = installer::kLobbyPath;
  HttpCli1 = new HttpCli(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 10);

  QFrame* download = panel(this);
  image_banner = new QLabel(download);
  image_banner->setPixmap(bannerPicture(devicePixelRatioF()));
  image_banner->setAccessibleName("Quon77 Lobby");
  download->layout()->addWidget(image_banner);
  download->layout()->setAlignment(image_banner, Qt::AlignHCenter);
  text(download,
       "Download The Quon77 Lobby Now to play this  and other exciting games online with other "
       "players! ",
       true);
  getbutton = button(download, "Download And Install The Quon77 Lobby Now");
  abortbutton = button(download, "Stop Download");
  // Nothing to stop until a download runs.
  abortbutton->setEnabled(false);
  infolabel = text(download, "");
  infolabel->setProperty("tag", 0);
  infolabel2 = text(download, "");
  infolabel2->hide();
  infolabel3 = text(download, "");
  layout->addWidget(download);

  QFrame* solo = panel(this);
  text(solo,
       "To proceed to the game without the ability to play against others click the button "
       "below.");
  text(solo,
       "Note: Even if you are playing offline, you will need to configure your FIREWALL to allow "
       "the game to access the internet components.");
  Button1 = button(solo, "Play Solo Game");
  Button1->setDefault(true);
  dontshow = new QCheckBox("Don't show this again", solo);
  dontshow->setFont(arial(13));
  solo->layout()->addWidget(dontshow);
  solo->layout()->setAlignment(dontshow, Qt::AlignHCenter);
  layout->addWidget(solo);

  QFrame* lobby = panel(this);
  text(lobby,
       "If you already have The Quon77 Lobby and you wish to play with others then click the "
       "button below to close this game and open The Quon77 Lobby.");
  Button2 = button(lobby, "Play with Others");
  layout->addWidget(lobby);

  connect(getbutton, &QPushButton::clicked, this, [this] { getbuttonClick(); });
  connect(abortbutton, &QPushButton::clicked, this, [this] { abortbuttonClick(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(dontshow, &QCheckBox::clicked, this, [this](bool on) {
    if (dontShowChanged) dontShowChanged(on);
  });

  // Once "Stop Download" is pressed the aborted texts stay: what the transfer still reports
  // on its way down changes nothing.
  connect(HttpCli1, &HttpCli::headerReceived, this, [this] {
    if (outcome() != 2) infolabel->setText(infolabel->text() + ".");
  });
  connect(HttpCli1, &HttpCli::documentBegin, this, [this] {
    if (outcome() != 2) infolabel3->setText("Downloading: " + infolabel2->text());
  });
  connect(HttpCli1, &HttpCli::documentData, this, [this] {
    if (outcome() != 2) infolabel->setText(QString("%1 bytes").arg(HttpCli1->rcvdCount()));
  });
  connect(HttpCli1, &HttpCli::requestDone, this,
          [this](bool ok, quint64 size) { requestDone(ok, size); });

  dialoglook::useWindowBackground(this);
}

Tdownload::~Tdownload() = default;

int Tdownload::outcome() const {
  return infolabel->property("tag").toInt();
}

void Tdownload::setOutcome(int flag) {
  infolabel->setProperty("tag", flag);
}

void Tdownload::getbuttonClick() {
  if (HttpCli1->running()) return;
  setOutcome(1);
  const auto name = installer::installerFileName(installerUrl);
  installerName_ = name.value_or(std::string());
  infolabel2->setText(QString::fromStdString(installerName_));
  if (!name || !installer::installerUrlAllowed(installerUrl)) {
    infolabel->setText("Download Aborted");
    setOutcome(2);
    getbutton->setEnabled(true);
    abortbutton->setEnabled(false);
    return;
  }
  if (folder.empty()) {
    folder = korvel::records::chooseTallyFolder(
        korvel::app::programFolder(),
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString());
  }
  getbutton->setEnabled(false);
  abortbutton->setEnabled(true);
  infolabel->setText("Loading");
  HttpCli1->get(installerUrl, folder, *name);
}

void Tdownload::requestDone(bool ok, quint64 size) {
  if (ok) {
    infolabel->setText(QString("Received %1 bytes").arg(size));
  } else {
    infolabel->setText("Download Aborted");
    setOutcome(2);
  }
  getbutton->setEnabled(true);
  abortbutton->setEnabled(false);
  if (outcome() != 2) install();
}

void Tdownload::install() {
  infolabel3->setText("Installing");
  const QString path = QString::fromStdString((folder / installerName_).string());
  if (!desktopServices().startProgram(
          path, QProcess::splitCommand(QString(installer::kInstallerParameters)))) {
    messageBoxes().showMessage("An Error has Occurred.");
    return;
  }
  if (exitGame) exitGame();
}

void Tdownload::abortbuttonClick() {
  if (!HttpCli1->running()) return;
  HttpCli1->abort();
  infolabel->setText("Download has been aborted.");
  setOutcome(2);
  infolabel3->setText("Download Aborted");
}

void Tdownload::Button2Click() {
  if (!QFileInfo::exists(lobbyPath) && playWithOthers) {
    hide();
    playWithOthers();
    return;
  }
  if (!QFileInfo::exists(lobbyPath)) {
    messageBoxes().showMessage(
        "Please close the game and open the Quon77 Lobby using the icon on your desktop or using "
        "the your Window's start-up menu.");
    return;
  }
  if (!desktopServices().startProgram(lobbyPath, {})) {
    messageBoxes().showMessage("An Error has Occurred.");
    return;
  }
  if (exitGame) exitGame();
}

void Tdownload::Button1Click() {
  hide();
}

void Tdownload::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (QScreen* desktop = screen()) {
    const QRect frame = frameGeometry();
    move(desktop->availableGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
  }
}

#include "dialogs/tplaywithothers.h"

#include <QCheckBox>
#include <QHideEvent>
#include <QHostInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

#include "app/host_address.h"
#include "app/player_name.h"
#include "app/recent_hosts.h"
#include "app/settings.h"
#include "app/settings_file.h"
#include "window/peer_text.h"

using korvel::app::HostAddress;

namespace {

QLabel* messageLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setTextFormat(Qt::PlainText);
  label->setWordWrap(true);
  label->setStyleSheet("color: #a00000;");
  label->hide();
  return label;
}

// The system's resolver, without blocking the window; a name that takes longer than the join's
// own bound counts as not found.
void lookUpWithSystem(QObject* context, const QString& name, std::function<void(bool)> done) {
  auto answered = std::make_shared<bool>(false);
  auto finish = [answered, done](bool found) {
    if (*answered) return;
    *answered = true;
    done(found);
  };
  const int id = QHostInfo::lookupHost(name, context, [finish](const QHostInfo& info) {
    bool found = false;
    for (const QHostAddress& a : info.addresses()) {
      if (a.protocol() == QAbstractSocket::IPv4Protocol) found = true;
    }
    finish(found);
  });
  QTimer::singleShot(korvel::app::kConnectTimeoutSeconds * 1000, context, [finish, id] {
    QHostInfo::abortHostLookup(id);
    finish(false);
  });
}

}  // namespace

TPlayWithOthers::TPlayWithOthers(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Play with Others");
  setAccessibleName("Play with Others");
  auto* layout = new QVBoxLayout(this);

  auto* nameLabel = new QLabel("Your &Name:", this);
  nameEdit = new QLineEdit(this);
  nameEdit->setAccessibleName("Your Name");
  nameEdit->setMaxLength(100);
  nameLabel->setBuddy(nameEdit);
  nameMessage = messageLabel(this);
  layout->addWidget(nameLabel);
  layout->addWidget(nameEdit);
  layout->addWidget(nameMessage);

  hostButton = new QPushButton("&Host a Game", this);
  hostButton->setAccessibleName("Host a Game");
  hostButton->setAutoDefault(false);
  hostNote = new QLabel(this);
  hostNote->setWordWrap(true);
  layout->addSpacing(8);
  layout->addWidget(hostButton);
  layout->addWidget(hostNote);
  // Off by default: it changes the router's settings, which the player should choose to do.
  routerPortBox = new QCheckBox("Open the port on my &router", this);
  routerPortBox->setAccessibleName("Open the port on my router");
  routerPortBox->setToolTip(
      "When you host, ask your home router (NAT-PMP or UPnP) to forward the game port to this "
      "computer, so that players outside your network can join. The chat tells what the router "
      "answered.");
  layout->addWidget(routerPortBox);

  auto* addressLabel = new QLabel("Host &Address:", this);
  addressEdit = new QLineEdit(this);
  addressEdit->setAccessibleName("Host Address");
  addressEdit->setPlaceholderText("192.168.1.20, name:port or korvel://...");
  // The rule refuses a longer text, so the field never cuts a link that the rule would judge.
  addressEdit->setMaxLength(int(korvel::app::kMaxAddressText));
  addressLabel->setBuddy(addressEdit);
  joinButton = new QPushButton("&Join", this);
  joinButton->setAccessibleName("Join");
  joinButton->setDefault(true);
  auto* joinRow = new QHBoxLayout;
  joinRow->addWidget(addressEdit, 1);
  joinRow->addWidget(joinButton);
  addressMessage = messageLabel(this);
  layout->addSpacing(8);
  layout->addWidget(addressLabel);
  layout->addLayout(joinRow);
  layout->addWidget(addressMessage);

  auto* recentLabel = new QLabel("&Recent Hosts:", this);
  recentList = new QListWidget(this);
  recentList->setAccessibleName("Recent Hosts");
  recentList->setMaximumHeight(120);
  recentLabel->setBuddy(recentList);
  layout->addWidget(recentLabel);
  layout->addWidget(recentList);

  networkGamesArea = new QVBoxLayout;
  networkGamesArea->setObjectName("networkGamesArea");
  layout->addLayout(networkGamesArea);

  setTabOrder(nameEdit, hostButton);
  setTabOrder(hostButton, routerPortBox);
  setTabOrder(routerPortBox, addressEdit);
  setTabOrder(addressEdit, joinButton);
  setTabOrder(joinButton, recentList);

  lookUpName = [this](const QString& name, std::function<void(bool)> done) {
    lookUpWithSystem(this, name, std::move(done));
  };
  connect(hostButton, &QPushButton::clicked, this, [this] { HostClick(); });
  connect(joinButton, &QPushButton::clicked, this, [this] { JoinClick(); });
  // Double-click or Enter joins. Enter is taken here: the list passes it on after activating
  // an item, and the dialog's default button would join a second time.
  connect(recentList, &QListWidget::itemDoubleClicked, this,
          [this](QListWidgetItem* item) { recentActivated(item); });
  recentList->installEventFilter(this);
  connect(routerPortBox, &QCheckBox::toggled, this, [this](bool on) {
    if (settingsFile.empty()) return;
    korvel::app::saveKey(settingsFile, korvel::app::kSettingsSection,
                         korvel::app::kOpenrouterportKey, on ? "true" : "false");
  });
  connect(nameEdit, &QLineEdit::textEdited, this, [this] { setMessage(nameMessage, {}); });
  connect(addressEdit, &QLineEdit::textEdited, this, [this] { setMessage(addressMessage, {}); });
  // Wide enough for every column of the games list, State included, beside a host name.
  setMinimumWidth(520);
}

TPlayWithOthers::~TPlayWithOthers() = default;

void TPlayWithOthers::loadSaved() {
  korvel::app::PlaySettings saved;
  if (!settingsFile.empty()) {
    if (const auto bytes = korvel::app::readFileBytes(settingsFile)) {
      saved = korvel::app::loadPlaySettings(korvel::app::IniFile::parse(*bytes),
                                            korvel::app::kSettingsSection, gamePort);
    }
  }
  if (nameEdit->text().isEmpty()) {
    const std::string name = saved.playername.empty()
                                 ? korvel::app::defaultPlayerName(accountFullName, accountLogin)
                                 : saved.playername;
    nameEdit->setText(QString::fromStdString(name));
  }
  {
    const QSignalBlocker quiet(routerPortBox);
    routerPortBox->setChecked(saved.openRouterPort);
  }
  recent_ = saved.recentHosts;
  recentList->clear();
  for (const std::string& host : recent_) recentList->addItem(QString::fromStdString(host));
  hostNote->setText(QString("Others join this computer at its address, port %1; the chat shows "
                            "the address and an invitation link to send them.")
                        .arg(gamePort));
}

void TPlayWithOthers::open() {
  loadSaved();
  if (!placed_ && centreOver) {
    placed_ = true;
    adjustSize();
    move(centreOver->window()->frameGeometry().center() - rect().center());
  }
  show();
  raise();
  activateWindow();
  if (nameEdit->text().isEmpty()) {
    nameEdit->setFocus();
  } else {
    addressEdit->setFocus();
  }
}

void TPlayWithOthers::openWithLink(const QString& link) {
  // The field holds exactly the text judged here, which is what Join reads again.
  const auto entry = korvel::app::invitationEntry(link.toStdString(), gamePort);
  addressEdit->setText(QString::fromStdString(entry.text));
  setMessage(addressMessage, QString::fromStdString(entry.reading.error));
  open();
  joinButton->setFocus();
}

void TPlayWithOthers::showJoinFailure(const QString& address, const QString& reason) {
  addressEdit->setText(address);
  open();
  setMessage(addressMessage, reason);
}

void TPlayWithOthers::setMessage(QLabel* label, const QString& text) {
  setPeerText(label, text);
  label->setVisible(!text.isEmpty());
}

std::string TPlayWithOthers::checkedName() {
  const auto check = korvel::app::checkPlayerName(nameEdit->text().toStdString());
  setMessage(nameMessage, QString::fromStdString(check.error));
  if (!check.error.empty()) {
    nameEdit->setFocus();
    return {};
  }
  if (!settingsFile.empty()) {
    korvel::app::saveKey(settingsFile, korvel::app::kSettingsSection, korvel::app::kPlayernameKey,
                         check.name);
  }
  return check.name;
}

void TPlayWithOthers::HostClick() {
  const std::string name = checkedName();
  if (name.empty() || !start) return;
  // Hosting listens on every address of this computer; the host's own client joins locally.
  start(
      {{QString::fromStdString(name), "127.0.0.1", "true"}, gamePort, routerPortBox->isChecked()});
}

void TPlayWithOthers::JoinClick() {
  if (lookingUp_) return;
  const std::string name = checkedName();
  const auto reading = korvel::app::readHostAddress(addressEdit->text().toStdString(), gamePort);
  std::string error = reading.error;
  if (reading.address && error.empty()) error = korvel::app::unreachableReason(*reading.address);
  setMessage(addressMessage, QString::fromStdString(error));
  if (!error.empty()) {
    if (!name.empty()) addressEdit->setFocus();
    return;
  }
  if (name.empty()) return;
  const HostAddress address = *reading.address;
  const bool number =
      !address.host.empty() && address.host.front() >= '0' && address.host.front() <= '9';
  if (number || !lookUpName) return finishJoin(name, address.host, address.port);
  // A name that does not resolve would only fail later, in the new copy: say so here.
  lookingUp_ = true;
  const int lookup = ++lookup_;
  joinButton->setEnabled(false);
  setMessage(addressMessage,
             QString("Looking for %1...").arg(QString::fromStdString(address.host)));
  QPointer<TPlayWithOthers> self(this);
  lookUpName(QString::fromStdString(address.host), [self, name, address, lookup](bool found) {
    // Gone, or closed since: the player no longer asked for this join.
    if (!self || self->lookup_ != lookup) return;
    self->lookingUp_ = false;
    self->joinButton->setEnabled(true);
    if (!found) {
      self->setMessage(self->addressMessage,
                       QString::fromStdString(korvel::app::connectFailureText(
                           korvel::app::ConnectFailure::NameNotFound, address.host, address.port)));
      return;
    }
    self->setMessage(self->addressMessage, {});
    self->finishJoin(name, address.host, address.port);
  });
}

void TPlayWithOthers::finishJoin(const std::string& name, const std::string& host, int port) {
  // Recent Hosts gains the address only once its host answers the login (the joining window
  // keeps it then), so an address that fails is never listed.
  if (start)
    start({{QString::fromStdString(name), QString::fromStdString(host), "false"}, port, false});
}

void TPlayWithOthers::cancelLookUp() {
  if (!lookingUp_) return;
  ++lookup_;
  lookingUp_ = false;
  joinButton->setEnabled(true);
  setMessage(addressMessage, {});
}

void TPlayWithOthers::hideEvent(QHideEvent* event) {
  // Closing the window (Escape, its close button) drops a join still waiting for its name;
  // only minimising, which the window system does, leaves it going.
  if (!event->spontaneous()) cancelLookUp();
  QDialog::hideEvent(event);
}

bool TPlayWithOthers::eventFilter(QObject* watched, QEvent* event) {
  if (watched == recentList && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      recentActivated(recentList->currentItem());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

void TPlayWithOthers::recentActivated(QListWidgetItem* item) {
  if (!item) return;
  addressEdit->setText(item->text());
  JoinClick();
}

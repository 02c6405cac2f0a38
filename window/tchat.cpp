#include "window/tchat.h"

#include <QActionGroup>
#include <QApplication>
#include <QColorDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTextBrowser>

#include "app/host_address.h"
#include "protocol/tsock.h"
#include "shell/instance_guard.h"
#include "window/sound_player.h"

Tchat::Tchat(std::vector<std::string> params, ClientPorts ports, QWidget* parent)
    : QMainWindow(parent), params_(std::move(params)), ports_(ports) {
  setWindowTitle("Korvel");
  buildLayout();
  buildMenus();

  sock = new TSock(this);
  sock->PortName = std::to_string(ports_.game);
  // A host that stops reading is let go, as the server lets go of a seat, before the window's
  // memory grows without bound.
  sock->maxOutgoing = 16 * 1024 * 1024;
  sock->OnRead = [this](TSock* sender, int) { sockRead(sender); };
  sock->OnInfo = [this](TSock* sender, int kind, const std::string& msg) {
    sockInfo(sender, kind, msg);
  };
  Sock11 = new TSock(this);
  Sock11->HostName = "127.0.0.1";
  Sock11->PortName = std::to_string(ports_.lobby);

  commands_["CMD_sendlogininfo"] = [this](const std::string& arg) { sendloginfo(arg); };
  commands_["CMD_chat"] = [this](const std::string& arg) { chatrecieved(arg); };
  commands_["CMD_action"] = [this](const std::string& arg) { chatrecieved(arg); };
  commands_["CMD_playasound"] = [this](const std::string& arg) { playasound(arg); };

  // One queued message per 1 ms tick. The timer sleeps while the queue is empty and wakes when a
  // message arrives, so an idle game costs no processor time.
  Timer1.setInterval(1);
  Timer1.setTimerType(Qt::PreciseTimer);
  connect(&Timer1, &QTimer::timeout, this, [this] { guarded([this] { processsocktimer(); }); });
  turntime.setInterval(1000);
  connect(&turntime, &QTimer::timeout, this, [this] { turntimeTimer(); });
  connectTimer_.setSingleShot(true);
  connectTimer_.setInterval(korvel::app::kConnectTimeoutSeconds * 1000);
  connect(&connectTimer_, &QTimer::timeout, this, [this] { joinTimedOut(); });
  // Any of the program's windows counts: a player in the game start dialog is looking at Korvel.
  windowActive = [] { return QApplication::activeWindow() != nullptr; };

  ownCues_ = std::make_unique<EffectSoundPlayer>(false);
  cues_ = ownCues_.get();
  // A clip name without a sound plays the default sound.
  ownClips_ = std::make_unique<EffectSoundPlayer>(true);
  clips_ = ownClips_.get();
  chooseColour = [this](const QColor& initial, const QString& title) -> std::optional<QColor> {
    const QColor chosen = QColorDialog::getColor(initial, this, title);
    if (!chosen.isValid()) return std::nullopt;
    return chosen;
  };

  FormCreate();
}

Tchat::~Tchat() = default;

void Tchat::FormCreate() {
  gamename = "Korvel";
  mainchat->setProperty("tag", -1);
  marker_ = std::make_unique<RunningMarker>(InstanceGuard::runtimeDirectory());
  systemcolor = QColor(0, 0, 255);
  // The server's shuffle is seeded from the clock where the server is created.
  game = korvel::client::GameMirror();
  wireHistory();
  setTextSize(10);
  setTextColour(korvel::client::kBlack);
  turntime.stop();
  syncView();
}

void Tchat::setCuePlayer(SoundPlayer* player) {
  cues_ = player ? player : ownCues_.get();
}

void Tchat::buildMenus() {
  QMenu* file = menuBar()->addMenu("File");
  StartGame1 = file->addAction("Start Game", this, [this] { button_startClick(); });
  StartGame1->setEnabled(false);
  file->addSeparator();
  PlayWithOthers1 = file->addAction("Play with Others...", this, [this] {
    if (PlayWithOthers1Click) PlayWithOthers1Click();
  });
  CopyInvitation1 = file->addAction("Copy Invitation", this, [this] { CopyInvitation1Click(); });
  CopyInvitation1->setEnabled(false);
  file->addSeparator();
  file->addAction("Exit", this, [this] { Exit1Click(); });

  QMenu* options = menuBar()->addMenu("Options");
  PlaySounds1 = options->addAction("Play Sounds", this, [this] { PlaySounds1Click(); });
  PlaySounds1->setCheckable(true);
  PlaySounds1->setChecked(true);
  PlayerPhraseSounds1 =
      options->addAction("Player Phrase Sounds", this, [this] { PlayerPhraseSounds1Click(); });
  PlayerPhraseSounds1->setCheckable(true);
  PlayerPhraseSounds1->setChecked(true);
  QMenu* turnSound = options->addMenu("Turn Sound");
  auto* turnGroup = new QActionGroup(this);
  Classic1 = turnSound->addAction("Classic");
  New1 = turnSound->addAction("New");
  for (auto [action, tag] : {std::pair{Classic1, 0}, std::pair{New1, 1}}) {
    action->setCheckable(true);
    action->setData(tag);
    turnGroup->addAction(action);
    connect(action, &QAction::triggered, this, [this, action = action] { Classic1Click(action); });
  }
  Classic1->setChecked(true);
  QMenu* botSpeed = options->addMenu("Bot Speed");
  auto* speedGroup = new QActionGroup(this);
  Slow1 = botSpeed->addAction("Slow");
  Normal1 = botSpeed->addAction("Normal");
  Fast1 = botSpeed->addAction("Fast");
  for (auto [action, tag] :
       {std::pair{Slow1, 2000}, std::pair{Normal1, 1000}, std::pair{Fast1, 500}}) {
    action->setCheckable(true);
    action->setData(tag);
    speedGroup->addAction(action);
    connect(action, &QAction::triggered, this, [this, action = action] { Fast1Click(action); });
  }
  Normal1->setChecked(true);
  options->addSeparator();
  options->addAction("Text Color", this, [this] { TextColor1Click(); });
  options->addAction("Action Color", this, [this] { ActionColor1Click(); });
  QMenu* textSize = options->addMenu("Text Size");
  auto* sizeGroup = new QActionGroup(this);
  for (std::size_t n = 0; n < TextSize.size(); ++n) {
    const int size = 8 + 2 * static_cast<int>(n);
    TextSize[n] =
        textSize->addAction(QString::number(size), this, [this, size] { N14Click(size); });
    TextSize[n]->setCheckable(true);
    TextSize[n]->setData(size);
    sizeGroup->addAction(TextSize[n]);
  }
  // A size loaded from the settings without an entry checks none.
  sizeGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  ScrollChatOff1 = options->addAction("Scroll Chat Off");
  ScrollChatOff1->setShortcut(QKeySequence("Ctrl+S"));
  ScrollChatOff1->setCheckable(true);
  connect(ScrollChatOff1, &QAction::triggered, this,
          [this](bool checked) { ScrollChatOff1Click(checked); });
  options->addAction("Clear Main Chat", this, [this] { ClearMainChat1Click(); });
  options->addAction("Reset Screen Location", this, [this] { ResetScreenLocation1Click(); });
  buildZoomMenu(options);
  NotifyOnMyTurn1 = options->addAction("Notify on My Turn");
  NotifyOnMyTurn1->setCheckable(true);
  NotifyOnMyTurn1->setChecked(true);
  connect(NotifyOnMyTurn1, &QAction::triggered, this,
          [this](bool checked) { NotifyOnMyTurn1Click(checked); });
  options->addSeparator();
  JustWatch1 = options->addAction("Just Watch");
  JustWatch1->setCheckable(true);
  // The check mark follows the server's answer; the click only asks.
  connect(JustWatch1, &QAction::triggered, this, [this] { JustWatch1Click(); });

  // The dialogs behind these are the program's to wire.
  const auto hook = [this](std::function<void()> Tchat::*handler) {
    return [this, handler] {
      if (this->*handler) (this->*handler)();
    };
  };
  QMenu* view = menuBar()->addMenu("View");
  view->addAction("View Tally", this, hook(&Tchat::ViewTally1Click));
  view->addAction("Spy List", this, hook(&Tchat::SpyList1Click));
  view->addAction("Phrase List", this, [this] { PrhaseList1Click(); });
  view->addAction("Game History", this, [this] { GameHistory1Click(); });
  view->addAction("Past Games", this, [this] { PastGames1Click(); });
  QMenu* help = menuBar()->addMenu("Help");
  help->addAction("Content", this, hook(&Tchat::Help2Click))->setShortcut(Qt::Key_F1);
  help->addAction("Download the Lobby...", this, hook(&Tchat::DownloadLobby1Click));
  help->addSeparator();
  help->addAction("About", this, hook(&Tchat::About1Click));

  popup_kick = new QMenu(this);
  RemoveFromGame1 =
      popup_kick->addAction("Remove From Game", this, [this] { RemoveFromGame1Click(); });
  SettoJustWatch1 =
      popup_kick->addAction("Set to Just Watch", this, [this] { SettoJustWatch1Click(); });
  UnsetJustWatch1 =
      popup_kick->addAction("Unset Just Watch", this, [this] { UnsetJustWatch1Click(); });
  buildChatMenus();
}

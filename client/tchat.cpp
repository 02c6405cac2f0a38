#include "client/tchat.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTextBrowser>

#include "app/instance_guard.h"
#include "protocol/tsock.h"

Tchat::Tchat(std::vector<std::string> params, ClientPorts ports, QWidget* parent)
    : QMainWindow(parent), params_(std::move(params)), ports_(ports) {
  setWindowTitle("Korvel");
  buildLayout();
  buildMenus();

  sock = new TSock(this);
  sock->PortName = std::to_string(ports_.game);
  sock->OnRead = [this](TSock* sender, int) { sockRead(sender); };
  sock->OnInfo = [this](TSock* sender, int kind, const std::string& msg) {
    sockInfo(sender, kind, msg);
  };
  Sock11 = new TSock(this);
  Sock11->HostName = "127.0.0.1";
  Sock11->PortName = std::to_string(ports_.lobby);

  commands_["CMD_sendlogininfo"] = [this](const std::string& arg) { sendloginfo(arg); };

  // One queued message per 1 ms tick. The timer sleeps while the queue is empty and wakes when a
  // message arrives, so an idle game costs no processor time.
  Timer1.setInterval(1);
  Timer1.setTimerType(Qt::PreciseTimer);
  connect(&Timer1, &QTimer::timeout, this, [this] { guarded([this] { processsocktimer(); }); });

  FormCreate();
}

Tchat::~Tchat() = default;

void Tchat::FormCreate() {
  gamename = "Korvel";
  mainchat->setProperty("tag", -1);
  marker_ = std::make_unique<RunningMarker>(InstanceGuard::runtimeDirectory());
  systemcolor = QColor(0, 0, 255);
  seats = 4;
  // The server's shuffle is seeded from the clock where the server is created.
  hosting = false;
  whoseturn = 0;
  rackleft = {41, 85, 130, 174, 219, 263, 308, 352};
}

void Tchat::buildLayout() {
  auto* client = new QWidget(this);
  client->setMinimumSize(korvel::app::kMinClientWidth, korvel::app::kMinClientHeight);
  setCentralWidget(client);
  QPalette pal = client->palette();
  pal.setColor(QPalette::Window, QColor(248, 244, 177));
  client->setPalette(pal);
  client->setAutoFillBackground(true);

  panel_board = new QWidget(client);
  panel_board->setGeometry(1, 1, korvel::app::kBoardPanelWidth, korvel::app::kBoardPanelHeight);

  label_status = new QLabel("Welcome to Korvel", panel_board);
  label_status->setGeometry(3, 522, 430, 16);
  QFont bold("Arial");
  bold.setPixelSize(13);
  bold.setBold(true);
  label_status->setFont(bold);

  button_start = new QPushButton("Start Game", panel_board);
  button_start->setGeometry(156, 228, 120, 26);
  button_start->setCursor(Qt::PointingHandCursor);
  button_start->hide();

  auto* frame = new QWidget(panel_board);
  frame->setGeometry(493, 289, 265, 221);
  mainchat = new QTextBrowser(frame);
  mainchat->setGeometry(2, 2, 261, 217);
  mainchat->setOpenLinks(false);

  resize(767, 539 + menuBar()->sizeHint().height());
}

void Tchat::buildMenus() {
  QMenu* file = menuBar()->addMenu("File");
  StartGame1 = file->addAction("Start Game");
  StartGame1->setEnabled(false);
  file->addSeparator();
  file->addAction("Exit", this, [this] { Exit1Click(); });
  QMenu* options = menuBar()->addMenu("Options");
  options->addAction("Reset Screen Location", this, [this] { ResetScreenLocation1Click(); });
}

void Tchat::addlinetochat(const std::string& line, const QColor& colour) {
  // A chat line is its kind, "+", then the text; the kind decides the styling.
  const auto plus = line.find('+');
  const std::string text = plus == std::string::npos ? line : line.substr(plus + 1);
  QTextCharFormat format;
  format.setForeground(colour);
  QTextCursor cursor(mainchat->document());
  cursor.movePosition(QTextCursor::End);
  if (!mainchat->document()->isEmpty()) cursor.insertBlock();
  cursor.insertText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())), format);
  mainchat->ensureCursorVisible();
}

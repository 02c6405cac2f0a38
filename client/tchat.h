#pragma once
// `Tchat`: the main window and the game client. Its handlers are split by concern:
// tchat.cpp (creation and layout), tchat_connection.cpp (start-up choice, sockets, dispatch,
// login), tchat_window.cpp (size, position, closing).

#include <QColor>
#include <QMainWindow>
#include <QTimer>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/window_geometry.h"
#include "protocol/receive_queue.h"

class QAction;
class QLabel;
class QPushButton;
class QTextBrowser;
class TSock;
class RunningMarker;

// Where the client connects; the program uses the fixed ports, tests inject their own.
struct ClientPorts {
  int game = 7772;
  int lobby = 9001;
};

class Tchat : public QMainWindow {
  Q_OBJECT
 public:
  explicit Tchat(std::vector<std::string> params, ClientPorts ports = {},
                 QWidget* parent = nullptr);
  ~Tchat() override;

  // Hooks set by the program after the other windows exist.
  std::function<void(int port)> startListening;  // turns the server's `Sock1` listening on
  std::function<void()> showDownload;            // the lobby download dialog
  std::function<void()> savesettings;            // writes the settings file

  // Client state.
  std::string playername;
  std::string hostaddress;
  std::string loginname;
  bool hosting = false;
  bool connected = false;
  int myplayer = 0;
  int whoseturn = 0;
  int seats = 4;
  std::string gamename;
  QColor systemcolor;
  korvel::app::WindowRect savedgeometry;
  std::array<int, 8> rackleft{};

  TSock* sock = nullptr;
  TSock* Sock11 = nullptr;
  korvel::protocol::ReceiveQueue receivedlist;
  QTimer Timer1;

  // Handlers.
  void processparams();
  void hostpress();
  void joinpress();
  void sendloginfo(const std::string& number);
  void processsocktimer();
  void addlinetochat(const std::string& line, const QColor& colour);
  void FormResize();
  void ResetScreenLocation1Click();
  void Exit1Click();
  // Brings the window to the front for a second copy of the program: restores it when minimised.
  void bringToFront();

  // Widgets.
  QWidget* panel_board = nullptr;
  QTextBrowser* mainchat = nullptr;
  QLabel* label_status = nullptr;
  QPushButton* button_start = nullptr;
  QAction* StartGame1 = nullptr;

 signals:
  // The main window has closed; the program ends.
  void formClosed();

 protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormCreate();
  void FormClose();
  void buildLayout();
  void buildMenus();
  void sockRead(TSock* sender);
  void sockInfo(TSock* sender, int kind, const std::string& msg);
  // Runs a handler; an error it raises abandons it and is shown in a message box.
  void guarded(const std::function<void()>& handler);

  std::vector<std::string> params_;
  ClientPorts ports_;
  std::unique_ptr<RunningMarker> marker_;
  korvel::protocol::Deframer sockTail_;
  std::map<std::string, std::function<void(const std::string&)>> commands_;
  bool shownOnce_ = false;
  bool reportedConnectFailure_ = false;
};

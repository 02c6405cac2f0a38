#pragma once
// `Tchat`: the main window and the game client. The game's state and rules are the GameMirror's;
// the window renders it and forwards clicks. Its handlers are split by concern: tchat.cpp
// (creation and menus), tchat_layout.cpp (the game panel's widgets), tchat_connection.cpp
// (start-up choice, sockets, dispatch, login), tchat_messages.cpp (rendering the mirror after a
// message), tchat_board.cpp (board and rack), tchat_clock.cpp (turn clock, sound cues, options),
// tchat_window.cpp (size, position, closing), tchat_links.cpp (the logo's link).

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
#include "client/game_mirror.h"
#include "protocol/receive_queue.h"

class QAction;
class QActionGroup;
class QLabel;
class QListWidget;
class QMenu;
class QMouseEvent;
class QPainter;
class QStringListModel;
class QTextBrowser;
class TSock;
class RunningMarker;
class SoundPlayer;
class PictureButton;
class MouseLabel;
class BoardSurface;

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
  std::function<void()> loadsettings;            // reads the settings file
  std::function<void()> showGameStart;           // the game start dialog
  // Counts a finished game in the tally: the winner text, whether the local player won, the
  // other seated players' names.
  std::function<void(const std::string&, bool, const std::vector<std::string>&)> addgame;
  // The View and Help menus' dialogs.
  std::function<void()> ViewTally1Click;
  std::function<void()> SpyList1Click;
  std::function<void()> PrhaseList1Click;
  std::function<void()> Help2Click;
  std::function<void()> About1Click;

  // Client state: the game's mirror (seat, turn, board, rack, clock) and the connection's.
  korvel::client::GameMirror game;
  std::string playername;
  std::string hostaddress;
  std::string loginname;
  std::string gamename;
  QColor systemcolor;
  korvel::app::WindowRect savedgeometry;

  TSock* sock = nullptr;
  TSock* Sock11 = nullptr;
  korvel::protocol::ReceiveQueue receivedlist;
  QTimer Timer1;
  QTimer turntime;  // the turn clock, once a second

  // Sound cues go through this player; tests install a recorder.
  void setCuePlayer(SoundPlayer* player);

  // Handlers.
  void processparams();
  void hostpress();
  void joinpress();
  void sendloginfo(const std::string& number);
  void processsocktimer();
  void addlinetochat(const std::string& line, const QColor& colour);
  // Applies what a message or a click did: chat lines, cues, messages to send, the clock, the
  // tally, and the view redrawn from the mirror.
  void render(const korvel::client::Outcome& out);
  void playsounds(const std::string& name);
  void turntimeTimer();
  void button_startClick();
  void button_submitClick();
  void button_clearClick();
  void button_passClick();
  void button_newtilesClick();
  void letter_2MouseUp(int slot, QMouseEvent* event);
  void shape_1MouseUp(int slot, QMouseEvent* event);
  void paintbox_boardMouseUp(QMouseEvent* event);
  void pointerMoved(QWidget* over, QMouseEvent* event);
  void paintbox_boardPaint(QPainter& painter);
  void PlaySounds1Click();
  void Classic1Click(QAction* sender);
  void JustWatch1Click();
  void label_playername1ContextPopup(int seat, const QPoint& globalPos);
  void RemoveFromGame1Click();
  void SettoJustWatch1Click();
  void UnsetJustWatch1Click();
  void FormResize();
  void ResetScreenLocation1Click();
  void Exit1Click();
  // Opens the maker's web site.
  void image_logoClick();
  // Brings the window to the front for a second copy of the program: restores it when minimised.
  void bringToFront();

  // Widgets.
  QWidget* panel_board = nullptr;
  QTextBrowser* mainchat = nullptr;
  QLabel* label_status = nullptr;
  PictureButton* button_start = nullptr;
  PictureButton* button_pass = nullptr;
  PictureButton* button_newtiles = nullptr;
  PictureButton* button_clear = nullptr;
  PictureButton* button_submit = nullptr;
  std::array<QLabel*, 4> buttongray{};  // pass, new tiles, clear, submit
  QLabel* image_board = nullptr;
  BoardSurface* paintbox_board = nullptr;
  QLabel* Image1 = nullptr;
  QLabel* image_timer = nullptr;
  QLabel* label_timer = nullptr;
  std::array<MouseLabel*, 8> shape{};   // `shape_1` to `shape_8`
  std::array<MouseLabel*, 8> letter{};  // `letter_1` to `letter_8`
  QWidget* panel_winner = nullptr;
  QLabel* label_winner1 = nullptr;
  QLabel* label_winner2 = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* label_tilesleft = nullptr;
  QLabel* image_Turn = nullptr;
  MouseLabel* image_logo = nullptr;
  std::array<QLabel*, 4> image_eyes{};
  std::array<MouseLabel*, 4> label_playername{};
  std::array<QLabel*, 4> label_score{};
  std::array<QLabel*, 4> label_bonus{};
  QListWidget* listbox_words = nullptr;
  // The spectators, "n: name", for the spy list.
  QStringListModel* spylist = nullptr;
  QMenu* popup_kick = nullptr;
  QAction* StartGame1 = nullptr;
  QAction* PlaySounds1 = nullptr;
  QAction* Classic1 = nullptr;
  QAction* New1 = nullptr;
  QAction* JustWatch1 = nullptr;
  QAction* RemoveFromGame1 = nullptr;
  QAction* SettoJustWatch1 = nullptr;
  QAction* UnsetJustWatch1 = nullptr;

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
  void buildGamePanel();
  void buildSeats();
  void buildMenus();
  void buildLogo();
  // Redraws the widgets from the mirror's state.
  void syncView();
  void syncRack();
  void syncClock();
  void sockRead(TSock* sender);
  void sockInfo(TSock* sender, int kind, const std::string& msg);
  // Runs a handler; an error it raises abandons it and is shown in a message box.
  void guarded(const std::function<void()>& handler);

  std::vector<std::string> params_;
  ClientPorts ports_;
  std::unique_ptr<RunningMarker> marker_;
  korvel::protocol::Deframer sockTail_;
  std::map<std::string, std::function<void(const std::string&)>> commands_;
  std::unique_ptr<SoundPlayer> ownCues_;
  SoundPlayer* cues_ = nullptr;
  std::array<int, 8> shownCode_{};  // letter code each rack image shows
  bool shownOnce_ = false;
  bool gameFull_ = false;  // "Game is full" is on screen; the window closes when it is read
  bool reportedConnectFailure_ = false;
};

#pragma once
// `Tchat`: the main window and the game client. The game's state and rules are the GameMirror's;
// the window renders it and forwards clicks. Its handlers are split by concern: tchat.cpp
// (creation and menus), tchat_layout.cpp (the game panel's widgets), tchat_connection.cpp
// (start-up choice, sockets, dispatch, login), tchat_messages.cpp (rendering the mirror after a
// message), tchat_board.cpp (board and rack), tchat_clock.cpp (turn clock, sound cues, options),
// tchat_window.cpp (size, position, closing), tchat_links.cpp (the logo's link).

#include <QColor>
#include <QMainWindow>
#include <QPixmap>
#include <QTextCharFormat>
#include <QTimer>
#include <array>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/settings.h"
#include "app/window_geometry.h"
#include "client/chat_line.h"
#include "client/colour_text.h"
#include "client/game_mirror.h"
#include "client/game_mirror_reconnect.h"
#include "client/phrases.h"
#include "protocol/receive_queue.h"

class QAction;
class QActionGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QListWidget;
class QToolButton;
class QMenu;
class QKeyEvent;
class QMouseEvent;
class QPainter;
class QStringListModel;
class QTextBrowser;
class TSock;
class TurnNotifier;
class RunningMarker;
class SoundPlayer;
class Tgamestart;
namespace korvel::app {
class SettingsStore;
}
class PictureButton;
class MouseLabel;
class BoardSurface;
class GameHistoryWindow;
class GameSummaryWindow;
class PastGamesWindow;
namespace korvel::bot {
class Lexicon;
}

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
  // Called whenever the settings are written or read (tests count them).
  std::function<void()> savesettings;
  std::function<void()> loadsettings;
  // The settings file, when this window keeps one (the program's; tests may give a temporary
  // one), and the game start dialog whose counters it stores.
  korvel::app::SettingsStore* settingsStore = nullptr;
  Tgamestart* gamestartDialog = nullptr;
  std::function<void()> showGameStart;       // the game start dialog
  std::function<void(int)> botSpeedChanged;  // the computer players' new bot speed
  // Counts a finished game in the tally: the winner text, whether the local player won, the
  // other seated players' names.
  std::function<void(const std::string&, bool, const std::vector<std::string>&)> addgame;
  // A colour chooser (`ColorDialog`, `ColorDialog2`): the chosen colour, or nullopt when
  // cancelled.
  std::function<std::optional<QColor>(const QColor& initial, const QString& title)> chooseColour;
  std::function<void()> showPhrases;  // the phrase editor
  // Real time for the phrase cool-down; tests move it by hand.
  std::function<korvel::client::PhraseCooldown::Clock::time_point()> now;
  // The View and Help menus' dialogs.
  std::function<void()> ViewTally1Click;
  std::function<void()> SpyList1Click;
  std::function<void()> Help2Click;
  std::function<void()> About1Click;
  std::function<void()> DownloadLobby1Click;  // Help, "Download the Lobby..."
  // Starts the program again once this window has closed (a new zoom applies at start-up); false
  // when it cannot (it has said why), and the window stays.
  std::function<bool()> restartProgram;

  // Playing with others (tchat_others.cpp). File, "Play with Others..." opens the window;
  // an invitation link on the command line opens it with the link.
  std::function<void()> PlayWithOthers1Click;
  std::function<void(const QString& link)> openInvitation;
  // A join failed (refused, no route, unknown name, no answer): the host and port it tried and
  // the reason in words, for the Play with Others window.
  std::function<void(const std::string& host, int port, const QString& reason)> joinFailed;
  // Starts the program again with another command line and game port once this window has
  // closed; false when it cannot (it has said why), and the window stays.
  std::function<bool(const QStringList& arguments, int port, bool portMapping)> restartAs;
  // Leaves this copy for a new command line (asking first when that leaves a running game);
  // false when the user stays. portMapping: the new copy hosts and asks the router to forward
  // its port.
  bool startAs(const QStringList& arguments, int port, bool portMapping = false);
  // While hosting for others: `korvel://ADDRESS:PORT` for each address the chat shows.
  std::vector<std::string> invitationLinks;
  void CopyInvitation1Click();
  // Puts an invitation link on the clipboard and says so in the chat.
  void copyInvitation(const std::string& link);
  // The link for players outside the network once the router forwards the port: it goes first,
  // so Copy Invitation copies it; empty takes it away again.
  void showOutsideInvitation(const std::string& link);
  std::string outsideInvitation;
  // Options, "Notify on My Turn": a turn of this client's seat that starts while the window is
  // not active asks for attention and shows a desktop notification through turnNotifier.
  bool notifyOnMyTurn = true;
  TurnNotifier* turnNotifier = nullptr;
  // Whether one of the program's windows is the active window; tests replace it.
  std::function<bool()> windowActive;
  void NotifyOnMyTurn1Click(bool checked);
  void setNotifyOnMyTurn(bool on);
  void myTurnStarted();
  // The join's time is up (its timer's handler): a connection not made yet is given up.
  void joinTimedOut();
  const QTimer& connectTimer() const { return connectTimer_; }

  // Game history, end-of-game summary and saved games (tchat_history.cpp). Finished games are
  // saved in `gamesFolder`; empty saves nothing (tests give a temporary folder).
  std::filesystem::path gamesFolder;
  // Seat keys (tchat_seat_key.cpp): kept in `seatKeysFile` for the host, port and name they came
  // with, so that a window started again still gets its kept seat back; empty keeps them in
  // memory only.
  std::filesystem::path seatKeysFile;
  void keepSeatKey();
  // The key to offer before logging in to this window's host: the one given on this connection's
  // seat, else the one kept from an earlier run; "" for none.
  std::string seatKeyToOffer() const;
  // The folder the last game record was saved in (settings key "Recordfolder"); "" for none.
  std::string recordFolder;
  // The word list the host uses, as the computer player's word structure (built on first use).
  std::function<const korvel::bot::Lexicon&()> lexicon;
  GameHistoryWindow* historyWindow = nullptr;
  GameSummaryWindow* summaryWindow = nullptr;
  PastGamesWindow* pastGamesWindow = nullptr;
  void GameHistory1Click();
  void PastGames1Click();
  // The game just ended: save it when the mirror says so (a failure is told in the chat) and
  // show the summary beside the window.
  void gameEnded(bool save);
  void syncHistory(const korvel::client::Outcome& out);
  void wireHistory();

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
  // Milliseconds a computer player waits from the start of its turn ("Bot Speed").
  int botspeed = 1000;

  // Sound cues go through this player; tests install a recorder.
  void setCuePlayer(SoundPlayer* player);
  void setClipPlayer(SoundPlayer* player);

  // Chat options: the own text colour, the action colour, the text size of every style.
  korvel::client::Colour textcolor = korvel::client::kBlack;
  korvel::client::Colour actioncolor = korvel::client::kBlack;
  int textsize = 10;
  // How many of the newest lines the chat view keeps at least (tests lower it).
  int chatLineLimit = korvel::client::kChatLineLimit;
  std::array<std::string, korvel::client::kPhrases> phrases{};
  // Options, "Zoom" in percent as the program started with it, and whether a solo start offers
  // the lobby download ("Don't show this again" clears it).
  int zoom = 100;
  bool showDownloadOffer = true;
  // This copy hosts a game for nobody but itself and its computer players (no command line).
  bool solo = false;

  // Handlers.
  void processparams();
  void hostpress();
  void joinpress();
  // Tells the host where friends can join: this computer's addresses and the port.
  void showHostingHelp();
  void sendloginfo(const std::string& number);
  // Reconnecting when the connection to the host drops while this client plays in a running
  // game (tchat_connection.cpp): a banner with "Leave" and what the last attempt met, an attempt
  // on each tick of `reconnectTimer` (tests call reconnectTick), the game going on in this window
  // once the host gives it its seat again. A host that plays on without that seat leaves the
  // window disconnected, its last game still on view, saying so.
  korvel::client::Reconnect reconnect;
  QTimer reconnectTimer;
  QWidget* reconnectBanner = nullptr;
  QLabel* reconnectText = nullptr;
  QPushButton* button_leave = nullptr;
  void reconnectTick();
  void leaveReconnecting();
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
  // A key on the board; false for keys that are not the board's.
  bool paintbox_boardKeyDown(QKeyEvent* event);
  void announceCursor();
  void PlaySounds1Click();
  void Classic1Click(QAction* sender);
  void Fast1Click(QAction* sender);
  // The stored bot speed: 2000 checks "Slow", 500 "Fast", anything else "Normal" (1000).
  void setBotSpeed(int milliseconds);
  void JustWatch1Click();
  void label_playername1ContextPopup(int seat, const QPoint& globalPos);
  void RemoveFromGame1Click();
  void SettoJustWatch1Click();
  void UnsetJustWatch1Click();
  void chatrecieved(const std::string& argument);
  void sendit();
  void Paste1Click();
  void N271Click(int number);
  void button_smiliesClick();
  void mainchatJump(const QString& address);
  void ClearMainChat1Click();
  void ScrollChatOff1Click(bool checked);
  void TextColor1Click();
  void ActionColor1Click();
  void N14Click(int size);
  void b_phrase1Click(int button);
  void wave4Click(int clip);
  void playasound(const std::string& argument);
  void PlayerPhraseSounds1Click();
  void PrhaseList1Click();
  // Sets the text size of all chat styles and checks its menu entry.
  void setTextSize(int size);
  void setTextColour(korvel::client::Colour colour);
  void setPhrase(int button, const std::string& phrase);
  // `loadinifile`: reads the settings file and applies every option.
  void loadinifile();
  // `saveinifile` after a change of the options stored under keys.
  void saveinifile(std::initializer_list<std::string_view> keys);
  // The phrase editor's "Done": the buttons take the texts, and the file stores them.
  void savePhraseEdits(const std::array<std::string, korvel::client::kPhrases>& edited);
  korvel::app::Settings currentSettings() const;
  void FormResize();
  void ResetScreenLocation1Click();
  void Exit1Click();
  // Options, "Zoom": saves the new zoom and restarts the program with it, after asking when
  // that leaves a running game.
  void Zoom1Click(int percent);
  // The zoom this copy runs at (the program's, from the settings): its entry gets the check.
  void setZoom(int percent);
  // Offers only the zoom steps at which the window fits the screen's available area; the others
  // are greyed with a tooltip saying why. Runs whenever the Zoom menu opens.
  void updateZoomFit();
  // The screen's available area as this copy sees it (zoomed units); the window's screen when
  // not set (tests set it).
  std::function<QSize()> availableArea;
  // The download dialog's "Don't show this again".
  void setDownloadOffer(bool show);
  // Opens the maker's web site.
  void image_logoClick();
  // Brings the window to the front for a second copy of the program: restores it when minimised.
  void bringToFront();
  // A logout, `kill` or Ctrl+C: the window closes now without asking (nobody may be there to
  // answer), saving what closing it saves.
  void endOnRequest();
  // The player leaves the running game on purpose (CMD_leaving), so the host need not keep the
  // seat.
  void tellHostLeaving();

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
  QWidget* FlatPanel1 = nullptr;
  QLineEdit* mychat = nullptr;
  QToolButton* button_smilies = nullptr;
  std::array<QToolButton*, korvel::client::kPhrases> b_phrase{};  // `b_phrase1` to `b_phrase9`
  QToolButton* b_phrase10 = nullptr;
  QMenu* popup_smilies = nullptr;
  QMenu* popup_mainchat = nullptr;
  QMenu* popup_mychat = nullptr;
  QMenu* popup_sounds = nullptr;
  QAction* ScrollChatOff1 = nullptr;  // in the Options menu
  QAction* ScrollChatOff2 = nullptr;  // in the chat view's menu
  QAction* PlayerPhraseSounds1 = nullptr;
  std::array<QAction*, 4> TextSize{};  // "8", "10", "12", "14"
  // The spectators, "n: name", for the spy list.
  QStringListModel* spylist = nullptr;
  QMenu* popup_kick = nullptr;
  QAction* StartGame1 = nullptr;
  QAction* PlaySounds1 = nullptr;
  QAction* Classic1 = nullptr;
  QAction* New1 = nullptr;
  QAction* Slow1 = nullptr;
  QAction* Normal1 = nullptr;
  QAction* Fast1 = nullptr;
  QAction* JustWatch1 = nullptr;
  QAction* RemoveFromGame1 = nullptr;
  QAction* SettoJustWatch1 = nullptr;
  QAction* UnsetJustWatch1 = nullptr;
  std::array<QAction*, 5> Zoom{};  // "100%" to "200%"
  QAction* PlayWithOthers1 = nullptr;
  QAction* CopyInvitation1 = nullptr;
  QAction* NotifyOnMyTurn1 = nullptr;

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
  // Redraws the widgets from the mirror's state.
  void syncView();
  void syncRack();
  void syncClock();
  void buildChat();
  void buildPhraseButtons();
  void buildChatMenus();
  void buildDecorations();
  void buildZoomMenu(QMenu* options);
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Sets a chat style's colour and makes it bold, recolouring its runs already shown only when
  // something changed.
  void setStyle(int style, const QColor& colour);
  QTextCharFormat styleFormat(int style) const;
  void sockRead(TSock* sender);
  void sockInfo(TSock* sender, int kind, const std::string& msg);
  void startReconnecting();
  void reconnectInfo(int kind, const std::string& msg);
  // One line of the host while a reconnect attempt talks to it.
  void reconnectLine(const std::string& line);
  void reconnectStep(korvel::client::Reconnect::Step step);
  void showLastTry();
  void stopReconnecting();
  // One line of the host for the game: the window's own commands, else the mirror.
  void dispatch(const std::string& line);
  // Runs a handler; an error it raises abandons it and is shown in a message box.
  void guarded(const std::function<void()>& handler);

  std::vector<std::string> params_;
  ClientPorts ports_;
  std::unique_ptr<RunningMarker> marker_;
  korvel::protocol::Deframer sockTail_;
  std::map<std::string, std::function<void(const std::string&)>> commands_;
  std::unique_ptr<SoundPlayer> ownCues_;
  SoundPlayer* cues_ = nullptr;
  std::unique_ptr<SoundPlayer> ownClips_;
  SoundPlayer* clips_ = nullptr;
  korvel::client::PhraseCooldown cooldown_;
  // Each chat style's look. A line's runs take the style's colour when they are shown: a colour
  // change costs nothing at once, and only the lines on screen are brought up to date.
  struct ChatStyle {
    QColor colour;
    bool bold = false;
  };
  std::array<ChatStyle, 15> styles_{};
  // Gives the lines on screen their style's current colour.
  void recolourVisibleLines();
  // Drops the oldest lines beyond the chat's limit; returns how far the rest moved up.
  int dropOldestLines();
  void registerSmilies();
  bool recolouring_ = false;
  std::array<int, 8> shownCode_{};           // letter code each rack image shows
  std::array<QPixmap, 28> boardPictures_{};  // tiles 1 to 26 and the placed marker
  qreal boardPicturesRatio_ = 0;
  bool shownOnce_ = false;
  bool gameFull_ = false;  // "Game is full" is on screen; the window closes when it is read
  bool reportedConnectFailure_ = false;
  // The joined host went into Recent Hosts once its login answered (once per copy).
  bool joinRemembered_ = false;
  void rememberJoinedHost();
  bool coveringTipShown_ = false;  // the first solo game's tip is in the chat (or was once)
  // A join gets kConnectTimeoutSeconds to connect; then it is given up and told as such.
  QTimer connectTimer_;
  bool joinAbandoned_ = false;
  void reportJoinFailure(const std::string& socketError);
  bool leaving_ = false;  // the user has agreed to leave; the window closes without asking
  // How the game connection ended: with an error (reset, timeout), or by the host closing it in
  // order; a host still there after closing in order removed this player.
  bool connectionFailed_ = false;
  bool closedByHost_ = false;
  bool reconnectAfterHostClosed_ = false;
  // The host plays on without this window's seat: the window stays, disconnected.
  bool leftBehind_ = false;
};

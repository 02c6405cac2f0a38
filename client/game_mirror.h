#pragma once
// The client's mirror of the game: seats, scores, board, rack, turn clock and what the player may
// do with the mouse. It learns everything from the server's messages and judges nothing about the
// rules; the window renders its state after every call and acts on the returned Outcome (chat
// lines, sound cues, messages to send, clock changes). No Qt here, so every rule is tested
// directly.

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/game_log.h"

namespace korvel::client {

inline constexpr int kSeats = 4;
inline constexpr int kBoardCells = 11;
inline constexpr int kCell = 39;
// The board surface lies at this offset in the game panel.
inline constexpr int kBoardLeft = 1;
inline constexpr int kBoardTop = 27;
inline constexpr int kRackTop = 483;
inline constexpr int kRackSlots = 8;
inline constexpr std::array<int, kRackSlots> kRackHome = {41, 85, 130, 174, 219, 263, 308, 352};
// Tops of the four seats' name labels; the turn marker sits 3 pixels above.
inline constexpr std::array<int, kSeats> kSeatTop = {65, 117, 168, 219};
inline constexpr int kBarWidth = 428;
inline constexpr const char* kWaiting = "<Waiting>";
// The bag holds 75 tiles; the server counts its draws, and 76 once a draw found it empty.
inline constexpr int kBagSize = 75;

// One board cell of the mirror.
struct tboard {
  int letter = 0;          // letter code shown, 0 = empty
  std::string placedslot;  // slot of the own tile laid here this turn, "" if none
  int placedfrom = 0;      // home x of that tile when it was picked up
  int underneath = 0;      // letter the own tile covers, 0 if the cell was empty
  bool lastMove = false;   // laid by the last accepted move, until the next one or the end
  bool stacked = false;    // its letter covers another letter, for the rest of the game
};

struct SeatView {
  std::string name = kWaiting;  // `label_playername`n
  std::string standby;          // its hint: the stand-by name
  std::string score = "0";
  std::string bonus = "0";
  bool eyes = false;  // `image_eyes`n: only watching
  // A seat the host keeps for its player who dropped: the player's name and the seconds left.
  std::string away;
  int awaySeconds = 0;
};
// What a kept seat's label says: "Bob (away) 2:45".
std::string awayLabel(const std::string& name, int seconds);

// One rack image `letter_`n: its letter code (-1 no tile, 0 never dealt), where it is, whether it
// shows (a tile laid this turn is hidden and parked at home).
struct RackImage {
  int code = 0;
  int x = 0;
  int y = kRackTop;
  bool visible = true;
};

enum class Button { Left, Right, Other };

// What the window does besides rendering the state.
struct Outcome {
  enum class Clock { Unchanged, Stop, Restart };
  std::vector<std::string> chat;  // program lines "0+..."
  std::vector<std::string> cues;  // sound cue names, in order
  std::vector<std::string> send;  // framed messages for the server
  Clock clock = Clock::Unchanged;
  int loadSettings = 0;       // times the settings file is read
  bool boardChanged = false;  // repaint the board surface
  bool raiseCarried = false;  // bring the carried image in front of everything
  bool full = false;          // "Game is full": the program ends
  bool seatKeyGiven = false;  // seatKey is new: keep it
  bool gameEnded = false;     // the game's record in `history` is complete
  bool saveGame = false;      // ... and is to be saved (GameLog::claimSave)
  struct Tally {
    std::string winner;
    bool mine;  // the local player won (never inferred from the winner's name)
    std::vector<std::string> others;  // the other seated names, in seat order
  };
  std::optional<Tally> tally;
};

class GameMirror {
 public:
  GameMirror();

  // Client state.
  int myplayer = 0;
  bool connected = false;
  bool hosting = false;
  int seats = kSeats;
  int whoseturn = 0;
  int turnlimit = 0;
  int barstep = 0;
  int turnclock = 0;
  bool clockRunning = false;
  std::array<std::array<tboard, kBoardCells>, kBoardCells> board{};  // [column][row]
  std::array<RackImage, kRackSlots> rack{};                          // slot n at n - 1
  std::array<int, kRackSlots> rackleft = kRackHome;
  std::string heldtile;  // slot number of the carried image, "" when none
  int heldleft = 0;
  bool turnSoundNew = false;  // Options, "Turn Sound": "New" plays "turnnew"
  bool gameRunning = false;   // from the game's start (or joining it) to its winner
  // The key the host gave this window's seat (CMD_seatkey): offered before a login to this host
  // again, it gives a kept seat back to its own player only.
  std::string seatKey;
  // The running game's record: every turn as it came over the wire.
  GameLog history;
  // The word list the host also uses, in lower case; when set, a move refused as "Invalid
  // Word" gets a chat line naming the words the list lacks.
  std::function<bool(std::string_view)> isWord;
  // Tiles on each player seat's rack as the messages tell it: eight from the deal, less the tiles
  // of each move plus what the bag could still refill, every slot again after an exchange while
  // the bag has tiles. A full rack until a game start is seen.
  std::array<int, kSeats> held{kRackSlots, kRackSlots, kRackSlots, kRackSlots};

  // View state.
  std::array<SeatView, kSeats> seat{};
  std::string status = "Welcome to Korvel";
  int turnTop = 63;  // top of `image_Turn`
  std::string tilesleft = std::to_string(kBagSize);
  std::vector<std::string> words;  // `listbox_words`
  bool buttonsVisible = false;     // the four action buttons over their grey twins
  bool startVisible = false;       // `button_start`
  bool winnerVisible = false;
  std::string winnerText = "Winner!";
  bool justWatchChecked = false;
  std::vector<std::string> spectators;  // "n: name"
  std::string timerText = "Time: 0:00";
  int barWidth = kBarWidth;
  bool timerBlack = false;  // pale yellow while 20 s or more are left

  // CMD_sendlogininfo: the seat the host gives this window, 1 to 4 a player's, 5 to 9 a
  // spectator's. Any other number (or none) is refused at once: myplayer stays as it was, the
  // returned seat is empty so no login answer goes out, and a program line says why.
  std::optional<int> takeLoginSeat(std::string_view number, Outcome& out);
  // The answer to a login request for `seat`: the seat key first when there is one to offer, then
  // the login under `loginname` (which ends in its terminator). The seat goes back as read
  // ("0002" answers "2"), so a host cannot make the answer any longer.
  static std::vector<std::string> loginAnswer(int seat, std::string_view loginname,
                                              std::string_view key);

  // One message from the server: the command word and the text after its first "+". Commands
  // that are not the mirror's (login, chat, sounds) return false and change nothing.
  bool handle(std::string_view command, std::string_view body, Outcome& out);
  // Convenience for tests and tools: a whole line without its terminator.
  Outcome handleLine(std::string_view line);

  // The mouse on the rack, the outlines and the board (panel coordinates).
  Outcome rackClick(int slot, int panelX, int panelY);                 // `letter_2MouseUp`
  Outcome outlineClick(int outlineX);                                  // `shape_1MouseUp`
  Outcome boardClick(int x, int y, Button b, int panelX, int panelY);  // surface coordinates
  // The pointer moved over the rack, an outline or the board: the carried image follows.
  bool pointerMoved(int panelX, int panelY);
  Outcome clearword();
  Outcome submitword();
  Outcome passClick();
  Outcome newtilesClick();

  // The keyboard on the board: a cursor cell, a letter lays the first tile of that letter still
  // at home there and moves on across or down, Backspace takes back the last tile laid, Escape
  // all of them, Enter submits, Space turns the direction. The same placement rules as the
  // mouse: only on the own turn, and a tile laid by key is the same thing as one laid by click.
  // A click on a board cell puts the cursor there too. A left click that neither lays nor lifts
  // a tile (an empty cell, nothing on the pointer) aims the cursor: it starts across, or down
  // when the cell has letters above or below it and none beside it, and shows at once with its
  // arrow, so the direction is seen before the first key. Any other click hides it (a mouse
  // player laying tiles never sees it) until a key is used on the board (`cursorShown`).
  int cursorX = 5, cursorY = 5;
  bool cursorDown = false;
  bool cursorShown = false;
  bool moveCursor(int dx, int dy);
  // The direction a word typed from (x, y) most likely goes: down when letters lie above or
  // below the cell and none to its left or right, else across.
  bool guessDown(int x, int y) const;
  void aimCursor(int x, int y);
  Outcome keyLetter(char letter);
  Outcome keyBackspace();
  void turnDirection() {
    cursorDown = !cursorDown;
    cursorShown = true;
  }

  // Requests from the menus.
  Outcome justWatchClick();
  struct KickMenu {
    bool remove = false, setWatch = false, unsetWatch = false;
  };
  KickMenu kickMenu(int seatNumber) const;
  Outcome kicking(int seatNumber);
  Outcome setJustWatch(int seatNumber, bool watch);

  // The connection to the host was made again: the mirror forgets the seats, board, rack and
  // clock and learns them anew as a newcomer does; the game's record and the options stay.
  void startOver();
  // The host plays on without this window: the game stops as it stands on screen (board, scores,
  // record), nothing more is sent, and the status and a chat line say why.
  void leftBehind(const std::string& why, Outcome& out);
  // The connection to the host is lost: the board and the buttons stop at once (laid tiles go
  // home, the clock stops) while the window tries to get back; the scores stay as they stand.
  void connectionLost(Outcome& out);
  // The host has ended the game (it stopped hosting): the game ends with the scores as they
  // stood and no winner, and its record is complete (and saved under the usual rules).
  void hostEnded(Outcome& out);

  // One second of the turn clock (`turntimeTimer`).
  Outcome tick();

  bool myTurn() const { return whoseturn != 0 && whoseturn == myplayer; }
  // The seat's name label text; "" for a number without a seat label.
  std::string seatLabel(int number) const;
  // The names of the other players' seats, in seat order, skipping the own seat and free seats.
  std::vector<std::string> otherPlayers() const;
  // Slot 1..8 of the carried image, or 0.
  int carriedSlot() const;

 private:
  void newplayerinfo(std::string_view body, Outcome& out);
  void playerdisconnected(std::string_view body, Outcome& out);
  void seatkept(std::string_view body, Outcome& out);
  // Kept seats count down with the clock; at the end of their time, or of the game, they are free.
  void tickAway();
  void clearAway();
  void justwatching(std::string_view body, Outcome& out);
  void startthegame(std::string_view body, Outcome& out);
  void getnextplayer(std::string_view body, Outcome& out);
  void mytiles(std::string_view body, Outcome& out);
  void goodword(std::string_view body, Outcome& out);
  void playerror(std::string_view body, Outcome& out);
  void hepassed(std::string_view body, Outcome& out);
  void timeup(Outcome& out);
  void loadboard(std::string_view body, Outcome& out);
  void gamestats(std::string_view body, Outcome& out);
  void notiles(std::string_view body, Outcome& out);
  void newtiles(std::string_view body, Outcome& out);
  void boughtnew(std::string_view body, Outcome& out);
  void winner(std::string_view body, Outcome& out);

  void clearall();
  // A seat's score and bonus labels; a number without a seat changes nothing.
  void setScore(int n, int total, const std::string& bonus);
  // A board letter from the server: no longer a tile of this turn.
  void setBoardLetter(int x, int y, int code, Outcome& out);
  void endTurn(Outcome& out);
  void setTilesLeft(int drawn);
  int tilesInBag() const;
  // The spectator list entry "n: name" of seat n, replacing the seat's earlier entry.
  void setSpectator(int n, const std::string& name);
  void setLimit(int limit);
  // The clock's text, bar and colour for `turnclock`, shown as soon as it is set (a new turn, a
  // joined game), not a tick later.
  void showClock();
  // Takes the own tile laid on a cell off it; the cell shows what it covered.
  int liftFrom(tboard& cell);
  void clearwordInto(Outcome& out);
  // Laid and carried tiles go home, the turn and the clock stop.
  void stopPlay(Outcome& out);
  void submitInto(Outcome& out);
  void sendIfConnected(Outcome& out, std::string message);
  // The game record and the last-move marks (game_mirror_log.cpp).
  void logStart(int limit);
  void logJoined();
  void logLaid(int x, int y, int slot, int code);
  void logTurn(int n, TurnKind kind, int score = 0);
  void clearLastMove();
  void logEnd(const std::string& names, Outcome& out);
  void reportMissingWords(Outcome& out) const;
  std::vector<int> rackCodes() const;
  std::vector<LaidRecord> laid_;
  std::vector<std::string> laidWords_;
  // A move the user sent that the host has not yet accepted or refused: only the host's word
  // of such a move makes the game one the user played (a host can claim any turn for any seat).
  bool moveSent_ = false;
  // Cells laid by key this turn, oldest first (a cell lifted since no longer counts).
  std::vector<std::pair<int, int>> keyLaid_;
};

// The status text of a refused move's code; nullopt leaves the status line as it is.
std::optional<std::string> playerrorText(int code);
// "Time: m:ss".
std::string clockText(int seconds);

}  // namespace korvel::client

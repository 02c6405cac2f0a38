#pragma once
// The record of one game as this client saw it: who sat where, every turn in order with the
// tiles, words and scores that came over the wire, the local player's rack at each of its own
// turns, and the end. The mirror fills it from the messages it already reads; the window lists
// it, the game file stores it and the review replays it. No Qt here.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::client {

// What one record holds at most: a saved game never holds more, so that it always reads back.
inline constexpr std::size_t kMaxTurns = 2000;
// A move lays at most a rack's eight tiles; more can only come from a broken or hostile host.
inline constexpr std::size_t kMaxTurnTiles = 8;
inline constexpr std::size_t kMaxTurnWords = 64;
// Text is measured as the game file writes it, escapes included (a control character takes six
// bytes there), so that what a host sends can never make a file too large to read back.
inline constexpr std::size_t kMaxNameBytes = 1024;
inline constexpr std::size_t kMaxTurnWordBytes = 1024;  // all words of one turn together
inline constexpr std::size_t kMaxWinnerBytes = 4 * kMaxNameBytes;
// A game is saved only when it ends this long after the last one saved.
inline constexpr std::int64_t kSaveIntervalMs = 10'000;

// The bytes `text` takes inside a JSON string as the game file writes it.
std::size_t jsonTextBytes(std::string_view text);
// The turns a game keeps: more than the bag and the clock let a real game last, and a host that
// sends turns without end costs the record (and every table that lists it) no more than this.
inline constexpr std::size_t kGameTurns = 1000;

enum class TurnKind { Word, Pass, Bought, TimeUp, Watching };

struct LaidRecord {
  int x = 0, y = 0, slot = 0, code = 0;
  bool operator==(const LaidRecord&) const = default;
};

struct TurnRecord {
  int seat = 0;
  std::string player;
  TurnKind kind = TurnKind::Pass;
  std::vector<LaidRecord> tiles;   // Word: the laid tiles in message order
  std::vector<std::string> words;  // Word: the words formed, main word first, upper case
  int score = 0;                   // Word: points gained; Bought: the price paid
  std::array<int, 4> totals{};     // every player seat's total after this turn
  std::vector<int> rack;  // the local player's 8 rack codes at its own turn (-1/0: no tile)
  bool operator==(const TurnRecord&) const = default;
};

struct SeatRecord {
  int seat = 0;
  std::string name;
  bool left = false;  // nobody held the seat when the game ended
  bool operator==(const SeatRecord&) const = default;
};

struct CellRecord {
  int x = 0, y = 0, code = 0;
  bool operator==(const CellRecord&) const = default;
};

struct GameRecord {
  std::int64_t started = 0;  // Unix seconds
  std::int64_t ended = 0;
  int turnSeconds = 0;
  int localSeat = 0;      // the local client's seat (5 to 9: a spectator)
  bool fromStart = true;  // false: joined while the game ran, `startBoard` is what it found
  std::vector<CellRecord> startBoard;
  std::vector<SeatRecord> players;  // player seats that took part, in seat order
  std::vector<TurnRecord> turns;
  std::array<int, 4> finalScores{};
  std::string winner;  // the server's winner text ("A and B" for a tie)
  // The level of the computer players ("Easy", "Normal", "Strong") when this client hosted the
  // game with some; "" when none played or it is not known (a joined client, an older file).
  std::string computerLevel;
  // The user made a move in this game that the host accepted (a word, a pass, new tiles); a
  // game without one was only watched, and may make room for newer games in the folder.
  bool played = false;
  bool finished = false;
  // The host ended the game before its winner (it stopped hosting): the scores are as they stood
  // and nobody won.
  bool hostEnded = false;
  bool operator==(const GameRecord&) const = default;
};

// The name a turn kind is stored and shown under.
const char* turnKindName(TurnKind kind);
// What happened in a turn, in words: "QAT, AT 14", "passed", "bought new tiles for 30", "ran
// out of time", "started watching".
std::string describeTurn(const TurnRecord& turn);
// The same, shorter: a word turn shows its main word and score only ("QAT 14"); the cross words
// are left to describeTurn.
std::string shortTurn(const TurnRecord& turn);
// True once the record holds as many turns as a game keeps; later turns were not recorded.
bool turnsCapped(const GameRecord& record);

// Builds the record of the running game; the mirror calls it as messages arrive.
class GameLog {
 public:
  // Unix seconds now, and a steady clock in milliseconds; tests replace them.
  std::function<std::int64_t()> now;
  std::function<std::int64_t()> steadyMs;
  // The computer players' level for a game starting now ("" for none); the host's window sets it.
  std::function<std::string()> computerLevel;

  GameRecord record;
  // True from a game start (or from joining a running game) until its end.
  bool active = false;

  GameLog();
  void begin(int localSeat, int turnSeconds, bool fromStart);
  // A player seat that takes part; a seat already listed keeps its entry but takes the name.
  void seat(int seatNumber, const std::string& name);
  void setTotal(int seatNumber, int total);
  // Past kGameTurns turns a game records no more; longer lists and names are cut to the limits.
  void add(TurnRecord turn);
  // The end: the server's winner text, and which player seats somebody held at that moment
  // (seatHeld[0] is seat 1); a listed player whose seat was empty is marked as having left.
  void finish(const std::string& winner,
              const std::array<bool, 4>& seatHeld = {true, true, true, true});
  // A letter found on the board on joining a running game; a cell found twice keeps the last.
  void startCell(int x, int y, int code);
  // The host accepted a move the user made: the game counts as played.
  void moveAccepted();
  // Whether the game that just finished is to be saved, counting it as saved when it is: it must
  // hold a turn somebody played, and end kSaveIntervalMs or more after the last game saved. A
  // host that starts and ends games in a loop so gets one file per interval at most, while a
  // real game after a quick empty one is still kept; the mirror serves one connection, so the
  // interval is per host.
  bool claimSave();

 private:
  std::array<int, 4> totals_{};
  std::optional<std::int64_t> lastSavedMs_;
};

}  // namespace korvel::client

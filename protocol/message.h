#pragma once
// The text message format shared by server and client: a command word, "+", the fields joined by
// "+", and the terminator byte 0xFF. Builders produce exact wire bytes (terminator included);
// FieldReader reads fields back and throws ParseError on a field that does not parse, which ends
// the handling of that one message.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::protocol {

inline constexpr char kTerminator = '\xFF';
inline constexpr const char* kVersion = "1.0.2";

struct ParseError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A queued line split at its first "+": the command word and the argument text after it.
// A line without "+" has an empty command and dispatches nothing.
struct SplitLine {
  std::string command;
  std::string argument;
};
SplitLine splitLine(std::string_view line);

// Parses a decimal integer: optional leading "-", then digits, within 32-bit range.
// Throws ParseError otherwise.
int parseInt(std::string_view text);

// Reads the fields of an argument text one at a time.
class FieldReader {
 public:
  explicit FieldReader(std::string_view argument) : rest_(argument) {}

  // The text up to the next "+", removed together with that "+". Throws when no "+" is left.
  std::string field();
  // field() read as a decimal integer.
  int intField();
  // The whole remaining argument text (a last free field: name, chat text, sound name).
  const std::string& rest() const { return rest_; }

  // Lists: start appends "+@" to what is left; items are read with field()/intField() until
  // atListEnd(), which holds when exactly "@" is left.
  void beginList() { rest_ += "+@"; }
  bool atListEnd() const { return rest_ == "@"; }

 private:
  std::string rest_;
};

// Items that the builders put into lists.
struct PlayerEntry {
  int seat;
  std::string name;
  bool watching;
};
struct CellEntry {
  int x, y, code;
};
struct SlotEntry {
  int slot, code;
};
struct LaidTile {
  int x, y, slot, code;
};
struct Placement {
  int x, y, slot;
};

// Messages the server sends to clients.
namespace toclient {
std::string sendlogininfo(int seat);
std::string full();
std::string newplayerinfo(int seat, std::string_view name);
std::string existingplayers(const std::vector<PlayerEntry>& others);
std::string havewrongversion(std::string_view name);
std::string wrongversion();
std::string loadboard(int seat, const std::vector<CellEntry>& cells);
std::string gamestats(int seat, int turnseconds, int countdown, int currentplayer, int drawn,
                      const std::vector<int>& scores, const std::vector<SlotEntry>& rack);
std::string playerdisconnected(int seat, std::string_view name);
std::string justwatching(int seat, int flag);
std::string chat(int seat, std::string_view name, std::string_view text);
std::string action(int seat, std::string_view name, std::string_view text);
std::string playasound(int seat, std::string_view sound);
std::string startgame(std::string_view name, std::string_view score, int seconds,
                      std::string_view team);
std::string mytiles(int seat, const std::vector<SlotEntry>& slots);
std::string nextplayer(int seat, int drawn);
std::string playerror(int seat, int code);
std::string goodword(int seat, int total, int gained, const std::vector<LaidTile>& laid,
                     const std::vector<std::string>& words);
std::string hepassed(int seat);
std::string timeup();
std::string winner(std::string_view names);
std::string notiles(int seat);
std::string newtiles(int seat, int score, const std::vector<SlotEntry>& slots);
std::string boughtnew(int seat, int score);
// Korvel's own: the key that gives this seat back to the player who holds it (see seatKeyText).
std::string seatkey(std::string_view key);
// Korvel's own: the seat is kept for its player who dropped, for `seconds` more.
std::string seatkept(int seat, int seconds);
// Korvel's own: a system line for one participant's chat, in the game's system colour.
std::string notice(std::string_view text);
// Korvel's own: the bag's draw count changed outside a turn change (a newcomer was dealt a rack
// in a running game), the same number CMD_nextplayer carries.
std::string drawn(int drawn);
}  // namespace toclient

// Messages clients send to the server.
namespace toserver {
// loginname already ends in 0xFF, so the line ends in two terminators.
std::string logininfo(std::string_view seat, std::string_view version, std::string_view loginname);
std::string chat(int seat, std::string_view textAndColour);
std::string action(int seat, std::string_view textAndColour);
std::string playasound(int seat, int wave);
std::string kickhim(int seat, int target);
std::string justwatch(int seat, int flag);
// The name goes out through cleanName, like the login's.
std::string startgame(std::string_view name, std::string_view score, std::string_view seconds,
                      std::string_view team);
std::string submit(int seat, const std::vector<Placement>& tiles);
std::string pass(int seat);
std::string newtiles(int seat);
// Korvel's own: the key the player was given for its seat, sent just before a login.
std::string seatkey(std::string_view key);
// Korvel's own: the player leaves on purpose; the host frees the seat at once.
std::string leaving(int seat);
}  // namespace toserver

// A seat key is 128 bits as 32 lower-case hexadecimal digits.
inline constexpr std::size_t kSeatKeyDigits = 32;
bool isSeatKey(std::string_view text);

// The name a player goes by on the wire: without "+" and 0xFF, either of which would corrupt
// every message carrying it, without control characters (cleanTextFromBytes), and in UTF-8 (a name
// given in another 8-bit encoding is read by textFromBytes). The login and the game start both send
// this one.
std::string cleanName(std::string_view name);
// Removes 0xFF from free text (chat, actions), which must never carry a terminator.
std::string cleanText(std::string_view text);

}  // namespace korvel::protocol

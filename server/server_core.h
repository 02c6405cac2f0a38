#pragma once
// The game server's rules: the seat table, the bag and racks, the turn machine and the game end.
// No sockets and no clocks: the transport hands every queued message in together with the seat
// of the connection it came on (dispatch), time enters as calls of timer1Timer, randomness comes
// from an injected pick, and everything the server says goes out through Outbound.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "protocol/message.h"
#include "server/move_check.h"

namespace korvel::server {

// One seat's record, fields in the order the game has always kept them.
struct tplayer {
  std::string name;
  bool inuse = false;
  // The transport's handle of the seat's connection; 0 while no connection was ever accepted.
  std::uint64_t sock = 0;
  std::int32_t score = 0;
  bool watching = false;
  bool ingame = false;
  std::string seatname;
  std::array<std::int32_t, 9> tiles{};  // rack slots 1 to 8; index 0 unused
  std::int32_t turnscore = 0;
  bool passed = false;
};

// Where the core's messages and requests go. Every message is the exact wire text, terminator
// included.
class Outbound {
 public:
  virtual ~Outbound() = default;
  virtual void send(int seat, const std::string& message) = 0;
  // Closes the seat's connection; the closing is expected to run departure(seat).
  virtual void closeSeat(int seat) = 0;
  // timer1 was started (true) or stopped (false). A start while running restarts its second.
  virtual void timer1Changed(bool running) = 0;
  // The connection of seat `from` now holds seat `to` (a player back in its kept seat): what it
  // sends from now on speaks for `to`, and messages to `to` go to it. Transports that find a
  // seat's connection by its number follow it; the core's own state never depends on this.
  virtual void moveSeat(int /*from*/, int /*to*/) {}
};

// A new seat key (protocol::isSeatKey): what only the seat's player is told.
using KeySource = std::function<std::string()>;
// 128 bits from the operating system's random source.
std::string systemSeatKey();

// A uniform pseudo-random integer from lo to hi inclusive.
using Pick = std::function<int(int lo, int hi)>;
// The program's pick: a Mersenne Twister seeded once from the clock.
Pick clockSeededPick();

class ServerCore {
 public:
  static constexpr int maxplayers = 4;
  static constexpr int kMaxSeat = 9;       // seats that may hold a connection
  static constexpr int kRefusedSeat = 10;  // a connection that is refused at once
  static constexpr int kBagSize = 75;
  static constexpr int kRackSize = 8;
  static constexpr int kTurnPhase = 1;
  static constexpr int kPausePhase = 2;
  static constexpr int kDefaultTurnSeconds = 60;
  // How long a player seat whose connection dropped in a running game stays kept for that
  // player by default, in seconds; the host's "Keep a Dropped Seat:" sets `keepseconds`.
  static constexpr int kDefaultKeepSeconds = 180;
  static constexpr int kMaxKeepSeconds = 600;

  ServerCore(Outbound& out, MoveChecker::WordTest isWord, Pick pick);

  // Seats 1 to 11; index 0 unused.
  std::array<tplayer, 12> players;
  int seatsused = 0;
  bool gameon = false;
  int currentplayer = 0;
  std::array<int, kBagSize + 1> bag{};  // positions 1 to 75; index 0 unused
  int drawn = 0;
  int turnseconds = 0;
  int countdown = 0;
  struct Timer1State {
    bool enabled = false;
    int tag = 0;  // the phase: 1 turn, 2 pause before the next turn
  } timer1;
  MoveChecker moves;

  // A player seat (2 to 4) whose connection closed in a running game without the host removing
  // it, kept for the player's name while `seconds` of the game's clock are left: nobody else is
  // given the seat, and a login under that name goes back into it with its rack and score.
  struct KeptSeat {
    std::string name;  // empty while the seat is not kept
    int seconds = 0;
    std::string key;  // the key its player was given; only a login that offers it gets the seat
  };
  std::array<KeptSeat, maxplayers + 1> kept{};  // index 0 unused
  // Grace time for the next drops; 0 frees a dropped seat at once, and more than kMaxKeepSeconds
  // keeps it that long.
  int keepseconds = kDefaultKeepSeconds;
  bool iskept(int seat) const {
    return seat >= 1 && seat <= maxplayers && !kept[seat].name.empty();
  }
  // Each player seat's key, sent to its connection alone once it is seated (index 0 unused).
  std::array<std::string, maxplayers + 1> seatkeys{};
  KeySource newkey = systemSeatKey;
  // Keys offered that fit no kept seat, from one connection, before it is closed.
  static constexpr int kMaxWrongKeys = 5;

  // Hands one queued line to the handler of its command word, on behalf of the connection of
  // `seat`. Unknown and empty commands do nothing; a field that does not parse ends the handling
  // of that one message.
  void dispatch(std::string_view line, int seat);

  // Accepting a connection: the seat it gets (the lowest free one up to seatsused, else the next
  // one); when all nine are in use or kept, a kept seat that nobody is claiming, for its own
  // player only (see claiming); else kRefusedSeat or more. While `hostseatreserved` is set, seat 1
  // goes only to the host's own client (`hostclient`), so that nobody who connects first can take
  // the host's seat and with it the right to start games and remove participants.
  int chooseseat(bool hostclient = false) const;
  bool hostseatreserved = false;
  // The connection `sock` now holds `seat` (from chooseseat, below kRefusedSeat): marks the seat
  // in use and asks the connection to log in.
  void seataccepted(int seat, std::uint64_t sock);
  // The seat's connection closed ("Socket Closed"). A player seat in a running game is kept for
  // its player unless the close was the host's removal (disconnectsock).
  void departure(int seat);
  // Closes the seat's connection if the seat is in use; its seat is not kept.
  void disconnectsock(int seat);
  // A connection given a kept seat of a full house: until its login shows the seat's name and key
  // it speaks for nobody; any other login is told the game is full and closed.
  bool claiming(int seat) const;

  // Handlers of the command table; `sender` is the seat of the connection the message came on.
  void receivedlogininfo(std::string_view argument, int sender);
  void seatkey(std::string_view argument, int sender);
  void leaving(std::string_view argument, int sender);
  void justwatch(std::string_view argument, int sender);
  void kickhim(std::string_view argument, int sender);
  void chat(std::string_view argument, int sender);
  void action(std::string_view argument, int sender);
  void playasound(std::string_view argument, int sender);
  void startgame(std::string_view argument, int sender);
  void submit(std::string_view argument, int sender);
  void pass(std::string_view argument, int sender);
  void newtiles(std::string_view argument, int sender);

  // The turn machine.
  void timer1Timer();
  void findplayer();
  void timesup();
  void checkforwin();

  // The bag.
  void shuffleletters();
  int gettile();
  void dealtiles();

 private:
  void sendto(int seat, const std::string& message);
  void sendtoall(const std::string& message);
  void stoptimer1();
  // Stops timer1, then runs it again with a fresh countdown in the given phase.
  void runtimer1(int seconds, int phase);
  // Reads a seat field and checks that it names the sender's own seat; false (after reading)
  // when it does not.
  static bool ownseat(protocol::FieldReader& reader, int sender);
  bool nooneleft() const;
  std::string displayname(int seat) const;
  // The kept seat waiting for this login name, or 0.
  int keptseatfor(const std::string& name) const;
  // The connection logged in on `from` under the name seat `to` is kept for: it goes back into
  // `to`, and `from` is free again without anybody having been told of it.
  void rejoin(int from, int to);
  // Ends every kept seat's grace time (the game ended or starts again).
  void forgetkept();
  // Counts one second off every kept seat; a seat whose time ran out is free as any other.
  void tickkept();
  // Gives the player seat a new key and tells it to its connection alone.
  void givekey(int seat);
  // Seats whose connection the host closed, or whose player left on purpose; their departure does
  // not keep them.
  std::array<bool, kMaxSeat + 1> removing_{};
  // Per connection: whether it has logged in (a second login is ignored), the key it offered for
  // its login, and how many offered keys fitted no kept seat.
  struct Connection {
    bool claiming = false;
    bool loggedin = false;
    std::string key;
    int wrongkeys = 0;
  };
  std::array<Connection, kMaxSeat + 1> connections_{};

  Outbound& out_;
  Pick pick_;
};

// True for a seat number that may hold a connection.
inline bool validseat(int seat) {
  return seat >= 1 && seat <= ServerCore::kMaxSeat;
}

inline bool ServerCore::claiming(int seat) const {
  return validseat(seat) && connections_[seat].claiming;
}

}  // namespace korvel::server

#pragma once
// A server core wired to a recording outbound side, a fixed pick and a small word list, with
// helpers that play the transport: connect a seat, send a line from a seat, tick the clock.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "server/server_core.h"

namespace korvel::server::testing {

// Records every message as "seat text" with the terminator checked and removed, and every close.
class Recorder : public Outbound {
 public:
  ServerCore* core = nullptr;
  std::vector<std::string> sent;
  std::vector<int> closed;
  bool running = false;

  void send(int seat, const std::string& message) override {
    EXPECT_FALSE(message.empty());
    EXPECT_EQ(message.back(), '\xFF') << message;
    const std::string text = message.substr(0, message.size() - 1);
    EXPECT_EQ(text.find('\xFF'), std::string::npos) << message;
    // Seat keys are kept apart, so that the other messages read as the wire has always had them.
    if (text.starts_with("CMD_seatkey+")) {
      keys[seat] = text.substr(12);
      return;
    }
    sent.push_back(std::to_string(seat) + " " + text);
  }
  // The last seat key each seat was sent.
  std::map<int, std::string> keys;
  // The transport raises "Socket Closed" while closing, which runs the departure.
  void closeSeat(int seat) override {
    closed.push_back(seat);
    if (core != nullptr) core->departure(seat);
  }
  void timer1Changed(bool on) override { running = on; }
  // Connections that moved to another seat, as "from>to".
  std::vector<std::string> moved;
  void moveSeat(int from, int to) override {
    moved.push_back(std::to_string(from) + ">" + std::to_string(to));
  }
};

// Picks 1, 2, 3, ... 75, 1, 2, ...: the shuffle then leaves the tiles in their fixed order, so
// racks and draws are known in advance.
inline Pick sequentialPick() {
  auto next = std::make_shared<int>(0);
  return [next](int lo, int hi) {
    const int span = hi - lo + 1;
    const int value = lo + (*next % span);
    ++*next;
    return value;
  };
}

// Letter codes of a word: "cat" -> 3, 1, 20.
inline std::vector<int> codes(std::string_view word) {
  std::vector<int> out;
  for (char c : word) out.push_back(c - 'a' + 1);
  return out;
}

class Harness {
 public:
  explicit Harness(Pick pick = sequentialPick(),
                   std::set<std::string> words = {"cat", "cats", "bat", "bad", "bade", "ab"})
      : words_(std::move(words)),
        core(
            out, [this](std::string_view w) { return words_.count(std::string(w)) > 0; },
            std::move(pick)) {
    out.core = &core;
    // Keys 1, 2, 3, ... as 32 hex digits: known in advance, new for every seating.
    core.newkey = [n = 0]() mutable {
      std::string key = std::to_string(++n);
      return std::string(32 - key.size(), '0') + key;
    };
  }

  // Accepts a connection and logs it in; returns its seat.
  int join(const std::string& name, const std::string& version = "1.0.2") {
    const int seat = accept();
    line(seat, "CMD_logininfo+" + std::to_string(seat) + "+" + version + "+" + name);
    return seat;
  }
  int accept() {
    const int seat = core.chooseseat();
    if (seat < ServerCore::kRefusedSeat) core.seataccepted(seat, static_cast<std::uint64_t>(seat));
    return seat;
  }
  void line(int seat, const std::string& text) { core.dispatch(text, seat); }
  // The connection on `seat` logs in as a player coming back with the key seat `keyOf` was given.
  void comeBack(int seat, int keyOf, const std::string& name) {
    line(seat, "CMD_seatkey+" + out.keys[keyOf]);
    line(seat, "CMD_logininfo+" + std::to_string(seat) + "+1.0.2+" + name);
  }
  void ticks(int n) {
    for (int i = 0; i < n; ++i) core.timer1Timer();
  }
  // The messages sent since the last call, and forgets them.
  std::vector<std::string> take() {
    std::vector<std::string> out_sent;
    out_sent.swap(out.sent);
    return out_sent;
  }
  void setRack(int seat, std::string_view word) {
    auto& tiles = core.players[seat].tiles;
    tiles.fill(0);
    int k = 1;
    for (int c : codes(word)) tiles[k++] = c;
  }
  void putWord(int x, int y, std::string_view word, bool across) {
    for (int c : codes(word)) {
      core.moves.board.at(x, y).letter = c;
      (across ? x : y)++;
    }
  }
  // Everything a refused or ignored message must leave alone, in one comparable text.
  std::string state() const {
    std::ostringstream s;
    for (int i = 1; i <= 10; ++i) {
      const tplayer& p = core.players[i];
      s << i << ':' << p.name << ',' << p.inuse << ',' << p.score << ',' << p.watching << ','
        << p.ingame << ',' << p.passed << ',';
      for (int k = 1; k <= 8; ++k) s << p.tiles[k] << ' ';
      s << ';';
    }
    s << core.seatsused << ',' << core.gameon << ',' << core.currentplayer << ',' << core.drawn
      << ',' << core.countdown << ',' << core.timer1.enabled << ',' << core.timer1.tag << ','
      << core.turnseconds << ',' << core.moves.firstmove << ';';
    for (int b = 1; b <= ServerCore::kBagSize; ++b) s << core.bag[b] << ' ';
    for (const auto& c : core.moves.board.occupiedCells()) s << c.x << '/' << c.y << '=' << c.code;
    return s.str();
  }

 private:
  std::set<std::string> words_;

 public:
  Recorder out;
  ServerCore core;
};

}  // namespace korvel::server::testing

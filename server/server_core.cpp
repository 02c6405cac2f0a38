#include "server/server_core.h"

#include <sys/random.h>

#include <cerrno>
#include <chrono>
#include <memory>
#include <random>
#include <stdexcept>
#include <utility>

namespace korvel::server {

using protocol::FieldReader;
using protocol::ParseError;

std::string systemSeatKey() {
  unsigned char bytes[protocol::kSeatKeyDigits / 2];
  std::size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
    if (n > 0) {
      got += static_cast<std::size_t>(n);
    } else if (n < 0 && errno != EINTR) {
      // Without the system's randomness no key can be trusted: nobody gets a kept seat back.
      throw std::runtime_error("no random source for seat keys");
    }
  }
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string key;
  for (unsigned char b : bytes) {
    key += kDigits[b >> 4];
    key += kDigits[b & 15];
  }
  return key;
}

Pick clockSeededPick() {
  auto engine = std::make_shared<std::mt19937>(static_cast<std::mt19937::result_type>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  return [engine](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(*engine); };
}

ServerCore::ServerCore(Outbound& out, MoveChecker::WordTest isWord, Pick pick)
    : moves(
          std::move(isWord),
          [this](int seat, int code) { sendto(seat, protocol::toclient::playerror(seat, code)); }),
      out_(out),
      pick_(std::move(pick)) {
  // The same stand-by names the clients show on free seats.
  players[2].seatname = "Klot";
  players[3].seatname = "Klick";
  players[4].seatname = "Kling";
  bag.fill(-1);
}

void ServerCore::dispatch(std::string_view line, int seat) {
  using Handler = void (ServerCore::*)(std::string_view, int);
  struct Entry {
    std::string_view command;
    Handler handler;
  };
  static constexpr Entry kTable[] = {
      {"CMD_logininfo", &ServerCore::receivedlogininfo},
      {"CMD_seatkey", &ServerCore::seatkey},
      {"CMD_leaving", &ServerCore::leaving},
      {"CMD_kickhim", &ServerCore::kickhim},
      {"CMD_chat", &ServerCore::chat},
      {"CMD_action", &ServerCore::action},
      {"CMD_playasound", &ServerCore::playasound},
      {"CMD_startgame", &ServerCore::startgame},
      {"CMD_justwatch", &ServerCore::justwatch},
      {"CMD_submit", &ServerCore::submit},
      {"CMD_pass", &ServerCore::pass},
      {"CMD_newtiles", &ServerCore::newtiles},
  };
  // A line still queued from a connection that has since closed speaks for nobody; one claiming
  // a kept seat may only offer its key and log in.
  if (!validseat(seat) || (!players[seat].inuse && !claiming(seat))) return;
  const protocol::SplitLine split = protocol::splitLine(line);
  if (split.command.empty()) return;
  if (claiming(seat) && split.command != "CMD_seatkey" && split.command != "CMD_logininfo") return;
  for (const Entry& e : kTable) {
    if (e.command != split.command) continue;
    try {
      (this->*e.handler)(split.argument, seat);
    } catch (const ParseError&) {
      // The message is dropped; the next one is handled as usual.
    }
    return;
  }
}

void ServerCore::sendto(int seat, const std::string& message) {
  if (validseat(seat) && players[seat].inuse) out_.send(seat, message);
}

void ServerCore::sendtoall(const std::string& message) {
  for (int s = 1; s <= seatsused; ++s) sendto(s, message);
}

void ServerCore::stoptimer1() {
  timer1.enabled = false;
  out_.timer1Changed(false);
}

void ServerCore::runtimer1(int seconds, int phase) {
  stoptimer1();
  countdown = seconds;
  timer1.tag = phase;
  timer1.enabled = true;
  out_.timer1Changed(true);
}

bool ServerCore::ownseat(FieldReader& reader, int sender) {
  const int seat = reader.intField();
  return validseat(seat) && seat == sender;
}

}  // namespace korvel::server

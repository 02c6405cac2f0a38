#include "protocol/message.h"

#include <charconv>
#include <limits>

#include "protocol/text_encoding.h"

namespace korvel::protocol {

SplitLine splitLine(std::string_view line) {
  const auto plus = line.find('+');
  if (plus == std::string_view::npos) return {};
  return {std::string(line.substr(0, plus)), std::string(line.substr(plus + 1))};
}

int parseInt(std::string_view text) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) ++first;
  if (first == last || *first < '0' || *first > '9') {
    throw ParseError("not a decimal integer: " + std::string(text));
  }
  long long value = 0;
  auto [end, ec] = std::from_chars(first, last, value);
  if (ec != std::errc() || end != last)
    throw ParseError("not a decimal integer: " + std::string(text));
  if (negative) value = -value;
  if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) {
    throw ParseError("integer out of range: " + std::string(text));
  }
  return static_cast<int>(value);
}

std::string FieldReader::field() {
  const auto plus = rest_.find('+');
  if (plus == std::string::npos) throw ParseError("missing field");
  std::string value = rest_.substr(0, plus);
  rest_.erase(0, plus + 1);
  return value;
}

int FieldReader::intField() {
  return parseInt(field());
}

namespace {

std::string num(int n) {
  return std::to_string(n);
}

// Appends "+a+b+..." for each value.
template <typename... T>
void addItems(std::string& out, const T&... values) {
  ((out += '+', out += values), ...);
}

std::string framed(std::string text) {
  text += kTerminator;
  return text;
}

}  // namespace

namespace toclient {

std::string sendlogininfo(int seat) {
  return framed("CMD_sendlogininfo+" + num(seat));
}

std::string full() {
  return framed("CMD_full+");
}

std::string newplayerinfo(int seat, std::string_view name) {
  return framed("CMD_newplayerinfo+" + num(seat) + "+" + std::string(name) + "+0");
}

std::string existingplayers(const std::vector<PlayerEntry>& others) {
  std::string out = "CMD_existingplayers";
  for (const auto& p : others)
    addItems(out, num(p.seat), p.name, std::string(p.watching ? "1" : "0"));
  return framed(std::move(out));
}

std::string havewrongversion(std::string_view name) {
  return framed("CMD_havewrongversion+" + std::string(name));
}

std::string wrongversion() {
  return framed("CMD_wrongversion+");
}

std::string loadboard(int seat, const std::vector<CellEntry>& cells) {
  std::string out = "CMD_loadboard+" + num(seat);
  for (const auto& c : cells) addItems(out, num(c.x), num(c.y), num(c.code));
  return framed(std::move(out));
}

std::string gamestats(int seat, int turnseconds, int countdown, int currentplayer, int drawn,
                      const std::vector<int>& scores, const std::vector<SlotEntry>& rack) {
  std::string out = "CMD_gamestats+" + num(seat) + "+" + num(turnseconds) + "+" + num(countdown) +
                    "+" + num(currentplayer) + "+" + num(drawn);
  for (std::size_t n = 0; n < scores.size(); ++n) {
    addItems(out, std::string("s"), num(static_cast<int>(n) + 1), num(scores[n]));
  }
  for (const auto& s : rack) addItems(out, std::string("t"), num(s.slot), num(s.code));
  return framed(std::move(out));
}

std::string playerdisconnected(int seat, std::string_view name) {
  return framed("CMD_playerdisconnected+" + num(seat) + "+" + std::string(name));
}

std::string justwatching(int seat, int flag) {
  return framed("CMD_justwatching+" + num(seat) + "+" + num(flag));
}

std::string chat(int seat, std::string_view name, std::string_view text) {
  return framed("CMD_chat+" + num(seat) + "+" + std::string(name) + " chats: " + std::string(text));
}

std::string action(int seat, std::string_view name, std::string_view text) {
  return framed("CMD_action+" + num(seat) + "+" + std::string(name) + " " + std::string(text));
}

std::string playasound(int seat, std::string_view sound) {
  return framed("CMD_playasound+" + num(seat) + "+" + std::string(sound));
}

std::string startgame(std::string_view name, std::string_view score, int seconds,
                      std::string_view team) {
  return framed("CMD_startgame+" + std::string(name) + "+" + std::string(score) + "+" +
                num(seconds) + "+" + std::string(team) + "+");
}

std::string mytiles(int seat, const std::vector<SlotEntry>& slots) {
  std::string out = "CMD_mytiles+" + num(seat);
  for (const auto& s : slots) addItems(out, num(s.slot), num(s.code));
  return framed(std::move(out));
}

std::string nextplayer(int seat, int drawn) {
  return framed("CMD_nextplayer+" + num(seat) + "+" + num(drawn) + "+");
}

std::string playerror(int seat, int code) {
  return framed("CMD_playerror+" + num(seat) + "+" + num(code) + "+");
}

std::string goodword(int seat, int total, int gained, const std::vector<LaidTile>& laid,
                     const std::vector<std::string>& words) {
  std::string out = "CMD_goodword+" + num(seat) + "+" + num(total) + "+" + num(gained);
  for (const auto& t : laid)
    addItems(out, std::string("l"), num(t.x), num(t.y), num(t.slot), num(t.code));
  for (const auto& w : words) addItems(out, std::string("w"), w);
  return framed(std::move(out));
}

std::string hepassed(int seat) {
  return framed("CMD_hepassed+" + num(seat) + "+");
}

std::string timeup() {
  return framed("CMD_timeup+");
}

std::string winner(std::string_view names) {
  return framed("CMD_winner+" + std::string(names) + "+");
}

std::string notiles(int seat) {
  return framed("CMD_notiles+" + num(seat) + "+");
}

std::string newtiles(int seat, int score, const std::vector<SlotEntry>& slots) {
  std::string out = "CMD_newtiles+" + num(seat) + "+" + num(score) + "+30";
  for (const auto& s : slots) addItems(out, num(s.slot), num(s.code));
  return framed(std::move(out));
}

std::string boughtnew(int seat, int score) {
  return framed("CMD_boughtnew+" + num(seat) + "+" + num(score) + "+30+");
}

std::string seatkey(std::string_view key) {
  return framed("CMD_seatkey+" + std::string(key));
}

std::string seatkept(int seat, int seconds) {
  return framed("CMD_seatkept+" + num(seat) + "+" + num(seconds));
}

std::string notice(std::string_view text) {
  return framed("CMD_chat+0+" + cleanText(text) + "|clBlue");
}

std::string drawn(int drawn) {
  return framed("CMD_drawn+" + num(drawn));
}

}  // namespace toclient

namespace toserver {

std::string logininfo(std::string_view seat, std::string_view version, std::string_view loginname) {
  return framed("CMD_logininfo+" + std::string(seat) + "+" + std::string(version) + "+" +
                std::string(loginname));
}

std::string chat(int seat, std::string_view textAndColour) {
  return framed("CMD_chat+" + num(seat) + "+" + cleanText(textAndColour));
}

std::string action(int seat, std::string_view textAndColour) {
  return framed("CMD_action+" + num(seat) + "+" + cleanText(textAndColour));
}

std::string playasound(int seat, int wave) {
  return framed("CMD_playasound+" + num(seat) + "+wave" + num(wave) + "+");
}

std::string kickhim(int seat, int target) {
  return framed("CMD_kickhim+" + num(seat) + "+" + num(target) + "+");
}

std::string justwatch(int seat, int flag) {
  return framed("CMD_justwatch+" + num(seat) + "+" + num(flag));
}

std::string startgame(std::string_view name, std::string_view score, std::string_view seconds,
                      std::string_view team) {
  return framed("CMD_startgame+" + cleanName(name) + "+" + std::string(score) + "+" +
                std::string(seconds) + "+" + std::string(team) + "+");
}

std::string submit(int seat, const std::vector<Placement>& tiles) {
  std::string out = "CMD_submit+" + num(seat);
  for (const auto& t : tiles) addItems(out, num(t.x), num(t.y), num(t.slot));
  return framed(std::move(out));
}

std::string pass(int seat) {
  return framed("CMD_pass+" + num(seat) + "+");
}

std::string newtiles(int seat) {
  return framed("CMD_newtiles+" + num(seat) + "+");
}

std::string seatkey(std::string_view key) {
  return framed("CMD_seatkey+" + std::string(key));
}

std::string leaving(int seat) {
  return framed("CMD_leaving+" + num(seat) + "+");
}

}  // namespace toserver

bool isSeatKey(std::string_view text) {
  if (text.size() != kSeatKeyDigits) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::string cleanName(std::string_view name) {
  std::string out;
  for (char c : name) {
    if (c != '+' && c != kTerminator) out += c;
  }
  return cleanTextFromBytes(out);
}

std::string cleanText(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c != kTerminator) out += c;
  }
  return out;
}

}  // namespace korvel::protocol

#include "client/chat_line.h"

#include <algorithm>
#include <cctype>

#include "protocol/message.h"

namespace korvel::client {

namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool isLinkWord(std::string_view word) {
  const std::string l = lower(word);
  return l.find("http://") != std::string::npos || l.find("www.") != std::string::npos;
}

// Appends one space, then cuts the text into words that each end just after a space.
void emitWords(std::string_view text, std::vector<ChatRun>& runs) {
  std::string rest(text);
  rest += ' ';
  std::size_t start = 0;
  while (start < rest.size()) {
    const std::size_t space = rest.find(' ', start);
    const std::string word = rest.substr(start, space + 1 - start);
    start = space + 1;
    if (isInvitationAddress(word)) {
      // Punctuation after the link (the comma of a list, a closing bracket) is not part of it.
      const auto end = word.find_last_not_of(" ,;.)");
      runs.push_back(
          {ChatRun::Kind::Invitation, word.substr(0, end + 1), word.substr(0, end + 1), 0});
      if (end + 1 < word.size()) runs.push_back({ChatRun::Kind::Text, word.substr(end + 1), {}, 0});
    } else if (isLinkWord(word)) {
      const auto end = word.find_last_not_of(' ');
      runs.push_back({ChatRun::Kind::Link, word, word.substr(0, end + 1), 0});
    } else {
      runs.push_back({ChatRun::Kind::Text, word, {}, 0});
    }
  }
}

}  // namespace

std::optional<ChatLine> parseChatLine(std::string_view text) {
  const auto plus = text.find('+');
  ChatLine line;
  try {
    line.kind = protocol::parseInt(text.substr(0, plus));
  } catch (const protocol::ParseError&) {
    return std::nullopt;
  }
  // Only the program's lines and the nine seats have a style.
  if (line.kind < 0 || line.kind > 9) return std::nullopt;
  line.style = line.kind == 0 ? 0 : line.kind + 5;
  std::string_view rest =
      plus == std::string_view::npos ? std::string_view() : text.substr(plus + 1);
  const auto colon = rest.find(':');
  std::string_view head;
  if (colon != std::string_view::npos) {
    head = rest.substr(0, colon + 1);
    rest.remove_prefix(colon + 1);
  }
  line.runs.push_back({ChatRun::Kind::Text, std::string(head) + " ", {}, 0});
  std::string_view body = rest;
  for (auto marker = body.find(":)#"); marker != std::string_view::npos;
       marker = body.find(":)#")) {
    const std::string_view before = body.substr(0, marker);
    const std::string_view code = body.substr(marker + 3, 2);
    body.remove_prefix(std::min(body.size(), marker + 5));
    emitWords(before, line.runs);
    int picture = 0;
    if (code.size() == 2 && std::isdigit(static_cast<unsigned char>(code[0])) &&
        std::isdigit(static_cast<unsigned char>(code[1]))) {
      const int n = (code[0] - '0') * 10 + (code[1] - '0');
      if (n >= 10 && n <= 27) picture = n - 10;
    }
    line.runs.push_back({ChatRun::Kind::Smiley, {}, {}, picture});
  }
  if (!body.empty()) emitWords(body, line.runs);
  return line;
}

ReceivedChat splitReceivedChat(std::string_view argument) {
  const auto bar = argument.rfind('|');
  if (bar == std::string_view::npos) return {std::string(argument), std::nullopt};
  return {std::string(argument.substr(0, bar)), std::string(argument.substr(bar + 1))};
}

int chatLinesToDrop(int lines, int limit) {
  limit = std::max(limit, 1);
  return lines > limit + limit / 40 ? lines - limit : 0;
}

std::optional<std::string> linkTarget(std::string_view address) {
  const std::string l = lower(address);
  if (l.rfind("http://", 0) == 0 || l.rfind("https://", 0) == 0) return std::string(address);
  if (l.rfind("www.", 0) == 0) return "http://" + std::string(address);
  return std::nullopt;
}

bool isInvitationAddress(std::string_view address) {
  return lower(address.substr(0, 9)) == "korvel://";
}

}  // namespace korvel::client

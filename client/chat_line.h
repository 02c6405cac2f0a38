#pragma once
// The chat's line convention: a line kind (0 for the program's own lines, 1 to 9 the writer's
// seat), "+", a head up to and including the first ":", and a body with smiley codes ":)#NN" and
// link words. parseChatLine cuts a line into the runs the chat view appends; linkTarget decides
// what a clicked link may open.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::client {

inline constexpr int kChatStyles = 15;
inline constexpr int kLinkStyle = 4;
inline constexpr int kSmilies = 18;
// The chat view keeps the newest lines up to this many; older ones are dropped.
inline constexpr int kChatLineLimit = 20000;
// How many of the oldest lines go when a view holds `lines` and keeps `limit`. Dropping lines at
// the top moves every line below, which costs as much for one line as for many, so they go in
// batches: nothing until the view is a fortieth over its limit, then back down to the limit.
int chatLinesToDrop(int lines, int limit);

struct ChatRun {
  // Invitation: a `korvel://` link, which a click copies instead of opening.
  enum class Kind { Text, Link, Smiley, Invitation };
  Kind kind = Kind::Text;
  std::string text;     // the run's text, a word with its trailing space
  std::string address;  // a link's address: the word without its trailing spaces
  int picture = 0;      // smiley picture 0 to 17
  bool operator==(const ChatRun&) const = default;
};

struct ChatLine {
  int kind = 0;
  int style = 0;  // 0 for the program's lines, else kind + 5
  std::vector<ChatRun> runs;
};

// nullopt when the kind is not a whole number from 0 to 9: such a line is not shown.
std::optional<ChatLine> parseChatLine(std::string_view text);

// A received chat or action argument: the line before the last "|" and its colour after it, so
// a "|" typed in the text stays in the line.
struct ReceivedChat {
  std::string line;
  std::optional<std::string> colourText;  // absent when there is no "|"
};
ReceivedChat splitReceivedChat(std::string_view argument);

// What opening a link word may start: only web addresses. "http://" and "https://" (any letter
// case) open as they stand, "www." opens as "http://" + the word; anything else, even a word
// that merely contains one of them, opens nothing, so another participant can never make this
// desktop open a local file or another handler.
std::optional<std::string> linkTarget(std::string_view address);

// Whether a clicked address is an invitation link ("korvel://", any letter case): the chat
// copies it for the player to send on rather than opening anything.
bool isInvitationAddress(std::string_view address);

}  // namespace korvel::client

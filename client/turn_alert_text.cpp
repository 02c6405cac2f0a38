#include "client/turn_alert_text.h"

namespace korvel::client {

std::string turnAlertBody(const GameRecord& record) {
  if (record.turns.empty()) return "The game has started: you play first.";
  const TurnRecord& last = record.turns.back();
  const std::string& who = last.player.empty() ? "The player before you" : last.player;
  switch (last.kind) {
    case TurnKind::Word:
      if (!last.words.empty()) {
        return who + " laid " + last.words.front() + " for " + std::to_string(last.score);
      }
      return who + " scored " + std::to_string(last.score);
    case TurnKind::Pass:
      return who + " passed";
    case TurnKind::Bought:
      return who + " bought new tiles";
    case TurnKind::TimeUp:
      return who + " ran out of time";
    case TurnKind::Watching:
      return who + " started watching";
  }
  return {};
}

std::string escapeNotificationMarkup(std::string_view plain) {
  std::string out;
  out.reserve(plain.size());
  for (char c : plain) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace korvel::client

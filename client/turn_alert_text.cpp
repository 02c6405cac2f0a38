#include "client/turn_alert_text.h"

#include "protocol/text_encoding.h"

namespace korvel::client {

namespace {

std::string lettersOnly(std::string_view word) {
  std::string out;
  for (char c : word) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) out += c;
  }
  return out;
}

// The name without controls and without the spaces around it.
std::string shownName(std::string_view player) {
  std::string name = protocol::cleanTextFromBytes(player);
  const auto first = name.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return name.substr(first, name.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::string turnAlertBody(const GameRecord& record) {
  if (record.turns.empty()) return "The game has started: you play first.";
  const TurnRecord& last = record.turns.back();
  std::string who = shownName(last.player);
  if (who.empty()) who = "The player before you";
  switch (last.kind) {
    case TurnKind::Word:
      if (const std::string word = last.words.empty() ? "" : lettersOnly(last.words.front());
          !word.empty()) {
        return who + " laid " + word + " for " + std::to_string(last.score);
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

std::optional<std::string> TurnAlertPacer::offer(std::int64_t nowMs, std::string body) {
  waiting_ = std::move(body);
  return due(nowMs);
}

std::optional<std::string> TurnAlertPacer::due(std::int64_t nowMs) {
  if (!waiting_ || (lastShown_ && nowMs - *lastShown_ < kTurnAlertSpacingMs)) return std::nullopt;
  lastShown_ = nowMs;
  auto body = std::move(waiting_);
  waiting_.reset();
  return body;
}

std::optional<std::int64_t> TurnAlertPacer::dueAt() const {
  if (!waiting_ || !lastShown_) return std::nullopt;
  return *lastShown_ + kTurnAlertSpacingMs;
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

#include "client/game_record_text.h"

#include <algorithm>
#include <cstdio>

#include "client/game_file.h"

namespace korvel::client {

namespace {

std::string padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string rightAligned(const std::string& text, std::size_t width) {
  return text.size() < width ? std::string(width - text.size(), ' ') + text : text;
}

}  // namespace

std::string turnPosition(const TurnRecord& turn) {
  if (turn.tiles.empty()) return {};
  const auto& first = *std::min_element(
      turn.tiles.begin(), turn.tiles.end(),
      [](const LaidRecord& a, const LaidRecord& b) { return a.x + a.y < b.x + b.y; });
  std::string cell = std::string(1, static_cast<char>('A' + first.x)) + std::to_string(first.y + 1);
  if (turn.tiles.size() == 1) return cell;
  const bool across = std::all_of(turn.tiles.begin(), turn.tiles.end(),
                                  [&](const LaidRecord& l) { return l.y == first.y; });
  return cell + (across ? " across" : " down");
}

std::string gameRecordText(const GameRecord& g) {
  std::string out = "Korvel game record\n";
  out += "Started: " + isoTime(g.started) + "  Ended: " + isoTime(g.ended) +
         "  Turn time: " + std::to_string(g.turnSeconds) + " s\n";
  out += "Players:";
  std::size_t nameWidth = 6;
  for (const auto& p : g.players) {
    out += " " + std::to_string(p.seat) + " " + p.name + (&p == &g.players.back() ? "" : ",");
    nameWidth = std::max(nameWidth, p.name.size());
  }
  for (const auto& t : g.turns) nameWidth = std::max(nameWidth, t.player.size());
  out += "\n\n";
  out += padded("Turn", 5) + "  " + padded("Player", nameWidth) + "  " + padded("Position", 10) +
         "  " + padded("Word(s)", 24) + "  " + rightAligned("Score", 5) + "  " +
         rightAligned("Total", 5) + "\n";
  for (std::size_t i = 0; i < g.turns.size(); ++i) {
    const TurnRecord& t = g.turns[i];
    std::string what;
    int score = 0;
    if (t.kind == TurnKind::Word) {
      for (const auto& w : t.words) what += (what.empty() ? "" : ", ") + w;
      score = t.score;
    } else {
      what = describeTurn(t);
      if (t.kind == TurnKind::Bought) score = -t.score;
    }
    const int total =
        t.seat >= 1 && t.seat <= 4 ? t.totals[static_cast<std::size_t>(t.seat - 1)] : 0;
    out += rightAligned(std::to_string(i + 1), 5) + "  " + padded(t.player, nameWidth) + "  " +
           padded(turnPosition(t), 10) + "  " + padded(what, 24) + "  " +
           rightAligned(std::to_string(score), 5) + "  " + rightAligned(std::to_string(total), 5) +
           "\n";
  }
  out += "\nFinal scores:";
  for (const auto& p : g.players) {
    out += " " + p.name + " " +
           std::to_string(g.finalScores[static_cast<std::size_t>(p.seat - 1)]) +
           (&p == &g.players.back() ? "" : ",");
  }
  out += "\nWinner: " + g.winner + "\n";
  return out;
}

}  // namespace korvel::client

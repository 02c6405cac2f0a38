#include "client/game_record_text.h"

#include <algorithm>
#include <cstdio>

#include "client/game_analysis.h"
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

std::string turnPosition(const bot::BoardLetters& after, const TurnRecord& turn) {
  std::vector<LaidRecord> tiles;
  for (const LaidRecord& l : turn.tiles) {
    if (l.x >= 0 && l.x < bot::kSide && l.y >= 0 && l.y < bot::kSide) tiles.push_back(l);
  }
  if (tiles.empty()) return {};
  const auto letter = [&after](int x, int y) {
    return x >= 0 && x < bot::kSide && y >= 0 && y < bot::kSide && after[x][y] != 0;
  };
  const LaidRecord& one = tiles.front();
  const bool row =
      std::all_of(tiles.begin(), tiles.end(), [&](const LaidRecord& l) { return l.y == one.y; });
  const bool column =
      std::all_of(tiles.begin(), tiles.end(), [&](const LaidRecord& l) { return l.x == one.x; });
  // The main word runs along the tiles; a lone tile's runs down when it has a letter above or
  // below (as the host decides it), else across.
  enum { None, Across, Down } way = None;
  if (tiles.size() >= 2) {
    way = row ? Across : column ? Down : None;
  } else if (letter(one.x, one.y - 1) || letter(one.x, one.y + 1)) {
    way = Down;
  } else if (letter(one.x - 1, one.y) || letter(one.x + 1, one.y)) {
    way = Across;
  }
  const auto& first = *std::min_element(
      tiles.begin(), tiles.end(),
      [](const LaidRecord& a, const LaidRecord& b) { return a.x + a.y < b.x + b.y; });
  int x = first.x, y = first.y;
  // The word starts at the first letter of its unbroken run, which may lie before the tiles.
  if (way == Across) {
    while (letter(x - 1, y)) --x;
  } else if (way == Down) {
    while (letter(x, y - 1)) --y;
  }
  const std::string cell = std::string(1, static_cast<char>('A' + x)) + std::to_string(y + 1);
  return way == Across ? cell + " across" : way == Down ? cell + " down" : cell;
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
  const auto boards = replayBoards(g);
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
           padded(turnPosition(boards[i + 1], t), 10) + "  " + padded(what, 24) + "  " +
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

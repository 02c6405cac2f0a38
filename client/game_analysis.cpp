#include "client/game_analysis.h"

#include <algorithm>

#include "client/formed_words.h"

namespace korvel::client {

std::vector<bot::BoardLetters> replayBoards(const GameRecord& record) {
  std::vector<bot::BoardLetters> boards;
  boards.reserve(record.turns.size() + 1);
  bot::BoardLetters board{};
  for (const CellRecord& c : record.startBoard) {
    if (c.x >= 0 && c.x < bot::kSide && c.y >= 0 && c.y < bot::kSide) board[c.x][c.y] = c.code;
  }
  boards.push_back(board);
  for (const TurnRecord& t : record.turns) {
    for (const LaidRecord& l : t.tiles) {
      if (l.x >= 0 && l.x < bot::kSide && l.y >= 0 && l.y < bot::kSide) board[l.x][l.y] = l.code;
    }
    boards.push_back(board);
  }
  return boards;
}

namespace {

bool emptyBoard(const bot::BoardLetters& board) {
  for (const auto& column : board) {
    for (int code : column) {
      if (code != 0) return false;
    }
  }
  return true;
}

}  // namespace

int maxMoveScore() {
  static const int most = [] {
    int top = 0;
    for (int code = 1; code <= 26; ++code) top = std::max(top, bot::letterValue(code));
    // The main word and one cross word per laid tile, each at most a full line.
    return (1 + bot::kRackSize) * bot::kSide * top;
  }();
  return most;
}

GameAnalysis analyseGame(const GameRecord& record, const bot::Lexicon& lexicon,
                         const std::atomic<bool>* stop,
                         const std::function<void(const TurnAnalysis&)>& each) {
  GameAnalysis analysis;
  const auto boards = replayBoards(record);
  const bot::MoveGenerator generator(lexicon);
  const auto known = [&lexicon](std::string_view w) { return lexicon.contains(w); };
  for (std::size_t i = 0; i < record.turns.size(); ++i) {
    const TurnRecord& t = record.turns[i];
    if (t.seat != record.localSeat || t.rack.size() != bot::kRackSize) continue;
    if (stop && stop->load(std::memory_order_relaxed)) break;
    TurnAnalysis a;
    a.turn = i;
    if (t.kind == TurnKind::Word) {
      a.played = std::clamp(t.score, 0, maxMoveScore());
      if (!t.words.empty()) a.playedWord = t.words.front();
    }
    bot::RackCodes rack{};
    std::copy(t.rack.begin(), t.rack.end(), rack.begin());
    const bool first = record.fromStart && emptyBoard(boards[i]);
    if (const auto best = generator.best(boards[i], rack, first)) {
      a.best = best->score;
      a.bestTiles = best->tiles;
      const auto words = formedWords(boards[i], best->tiles, first, known);
      if (!words.empty()) a.bestWord = words.front().word;
    }
    analysis.leftOnTable += std::max(0, a.best - a.played);
    if (each) each(a);
    analysis.turns.push_back(std::move(a));
  }
  return analysis;
}

std::string analysisLine(const GameRecord& record, const TurnAnalysis& a) {
  std::string line = "You: ";
  const TurnRecord& t = record.turns[a.turn];
  if (t.kind == TurnKind::Word)
    line += (a.playedWord.empty() ? "?" : a.playedWord) + " " + std::to_string(a.played);
  else
    line += describeTurn(t);
  line += " \u00b7 Best: ";
  line += a.bestWord.empty() ? "none" : a.bestWord + " " + std::to_string(a.best);
  return line;
}

std::string bestMoveText(const TurnAnalysis& a) {
  return a.bestWord.empty() ? std::string("none") : a.bestWord + " " + std::to_string(a.best);
}

}  // namespace korvel::client

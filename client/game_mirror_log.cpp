// The mirror's game record and last-move marks, fed by the handlers of game_mirror.cpp.

#include <algorithm>
#include <array>

#include "client/formed_words.h"
#include "client/game_mirror.h"

namespace korvel::client {

std::vector<int> GameMirror::rackCodes() const {
  std::vector<int> codes;
  for (const RackImage& image : rack)
    codes.push_back(image.code >= 1 && image.code <= 26 ? image.code : -1);
  return codes;
}

void GameMirror::logStart(int limit) {
  moveSent_ = false;
  history.begin(myplayer, limit, true);
  for (int n = 1; n <= std::min(seats, kSeats); ++n) {
    if (seatLabel(n) != kWaiting) history.seat(n, seatLabel(n));
  }
}

void GameMirror::logJoined() {
  if (history.active) return;
  history.begin(myplayer, turnlimit, false);
  for (int n = 1; n <= std::min(seats, kSeats); ++n) {
    if (seatLabel(n) != kWaiting) history.seat(n, seatLabel(n));
  }
}

void GameMirror::clearLastMove() {
  laid_.clear();
  for (auto& column : board) {
    for (auto& cell : column) cell.lastMove = false;
  }
}

void GameMirror::logLaid(int x, int y, int slot, int code) {
  if (x < 0 || x >= kBoardCells || y < 0 || y >= kBoardCells || code < 1 || code > 26) return;
  tboard& cell = board[x][y];
  // The mover's own tiles already lie on the board, with what they cover kept underneath.
  const int covered = cell.placedslot.empty() ? cell.letter : cell.underneath;
  if (covered != 0) cell.stacked = true;
  cell.lastMove = true;
  laid_.push_back({x, y, slot, code});
}

void GameMirror::logTurn(int n, TurnKind kind, int score) {
  if (n < 1 || n > std::min(seats, kSeats) || !history.active) return;
  TurnRecord turn;
  turn.seat = n;
  // A kept seat's turn (its time running out) is its player's, not its "(away)" label's.
  const SeatView& held = seat[static_cast<std::size_t>(n - 1)];
  turn.player = held.awaySeconds > 0 ? held.away : seatLabel(n);
  turn.kind = kind;
  turn.score = score;
  if (kind == TurnKind::Word) {
    turn.tiles = laid_;
    // words[0] is the "**** name ****" heading.
    if (!words.empty()) turn.words.assign(words.begin() + 1, words.end());
  }
  if (n == myplayer && kind != TurnKind::Watching) turn.rack = rackCodes();
  if (n == myplayer && moveSent_ && kind != TurnKind::Watching && kind != TurnKind::TimeUp) {
    history.moveAccepted();
    moveSent_ = false;
  }
  history.add(std::move(turn));
}

void GameMirror::logEnd(const std::string& names, Outcome& out) {
  clearLastMove();
  out.boardChanged = true;
  if (!history.active) return;
  // Who held a player seat at the end, under the name the server's winner text uses; the
  // players who left are listed apart in the summary.
  std::array<bool, 4> held{};
  for (int n = 1; n <= 4; ++n) {
    const std::string label = seatLabel(n);
    held[static_cast<std::size_t>(n - 1)] = !label.empty() && label != kWaiting;
    if (held[static_cast<std::size_t>(n - 1)]) history.seat(n, label);
  }
  history.finish(names, held);
  out.gameEnded = true;
  out.saveGame = history.claimSave();
}

void GameMirror::reportMissingWords(Outcome& out) const {
  if (!isWord) return;
  // The board as it was before this move, and the move as it was sent.
  bot::BoardLetters before{};
  std::vector<bot::Tile> tiles;
  bool empty = true;
  for (int c = 0; c < kBoardCells; ++c) {
    for (int r = 0; r < kBoardCells; ++r) {
      const tboard& cell = board[c][r];
      before[c][r] = cell.placedslot.empty() ? cell.letter : cell.underneath;
      if (before[c][r] != 0) empty = false;
      if (!cell.placedslot.empty()) tiles.push_back({c, r, 0, cell.letter});
    }
  }
  const std::string line =
      missingWordsLine(missingWords(formedWords(before, tiles, empty, isWord)));
  if (!line.empty()) out.chat.push_back(line);
}

}  // namespace korvel::client

#include "bot/bot_player.h"

#include <array>

#include "protocol/message.h"
#include "server/move_check.h"

namespace korvel::bot {

namespace toserver = protocol::toserver;

namespace {

int parseOr(const std::string& text, int fallback) {
  try {
    return protocol::parseInt(text);
  } catch (const protocol::ParseError&) {
    return fallback;
  }
}

std::vector<protocol::Placement> placements(const Move& move) {
  std::vector<protocol::Placement> tiles;
  for (const Tile& t : move.tiles) tiles.push_back({t.x, t.y, t.slot});
  return tiles;
}

}  // namespace

bool confirmMove(const Lexicon& lexicon, const BoardLetters& board, const RackCodes& rack,
                 bool firstmove, const Move& move, int* score) {
  server::MoveChecker checker([&lexicon](std::string_view w) { return lexicon.contains(w); },
                              [](int, int) {});
  for (int x = 0; x < kSide; ++x) {
    for (int y = 0; y < kSide; ++y) {
      const int code = board[x][y];
      checker.board.at(x, y).letter = code >= 1 && code <= 26 ? code : -1;
    }
  }
  checker.firstmove = firstmove;
  std::array<int, 9> tiles{};
  for (int k = 0; k < kRackSize; ++k) tiles[static_cast<std::size_t>(k) + 1] = rack[k];
  // The very message that would be sent, read as the server reads it.
  std::string message = toserver::submit(1, placements(move));
  message.pop_back();
  const auto split = protocol::splitLine(message);
  protocol::FieldReader reader(split.argument);
  const int seat = reader.intField();
  int turnscore = 0;
  try {
    if (!checker.checkMove(seat, tiles, turnscore, reader)) return false;
  } catch (const protocol::ParseError&) {
    return false;
  }
  if (score) *score = turnscore;
  return true;
}

BotPlayer::BotPlayer(const Lexicon& lexicon) : lexicon_(lexicon), generator_(lexicon) {}

std::string BotPlayer::standbyName(int seat) {
  switch (seat) {
    case 2:
      return "Klot";
    case 3:
      return "Klick";
    case 4:
      return "Kling";
    default:
      return {};
  }
}

Reaction BotPlayer::handleLine(std::string_view line) {
  Reaction r;
  const auto split = protocol::splitLine(line);
  const std::string& command = split.command;
  if (command.empty()) return r;
  if (command == "CMD_sendlogininfo") {
    const int seat = parseOr(split.argument, 0);
    const std::string name = standbyName(seat);
    // Only a player seat is worth having; a spectator seat is given back at once.
    if (name.empty() || game.connected) {
      r.leave = !game.connected;
      return r;
    }
    game.myplayer = seat;
    game.connected = true;
    r.send.push_back(
        toserver::logininfo(split.argument, protocol::kVersion, name + protocol::kTerminator));
    return r;
  }
  client::Outcome out;
  if (!game.handle(command, split.argument, out)) return r;
  if (out.full) {
    r.leave = true;
    return r;
  }
  const auto firstField = [&split] {
    return parseOr(split.argument.substr(0, split.argument.find('+')), 0);
  };
  const bool mine = game.myplayer != 0 && firstField() == game.myplayer;
  if (command == "CMD_newplayerinfo" && mine) {
    r.seated = !seated_;
    seated_ = true;
  } else if (command == "CMD_nextplayer" || (command == "CMD_gamestats" && mine)) {
    // A new turn: its own begins the wait.
    answered_ = !game.myTurn();
    bought_ = false;
    refused_ = false;
    if (game.myTurn()) r.play = Reaction::Play::AfterDelay;
  } else if (mine && game.myTurn() &&
             (command == "CMD_newtiles" || command == "CMD_notiles" ||
              command == "CMD_playerror")) {
    // The server answered within its turn and the turn goes on: a new rack, an empty bag, or
    // (never expected) a refused move.
    if (command == "CMD_playerror") {
      refused_ = true;
      ++counts.refused;
    }
    if (command == "CMD_notiles") bought_ = true;
    answered_ = false;
    r.play = Reaction::Play::Now;
  } else if (command == "CMD_winner") {
    answered_ = true;
  }
  return r;
}

int BotPlayer::ownScore() const {
  if (game.myplayer < 1 || game.myplayer > client::kSeats) return 0;
  return parseOr(game.seat[static_cast<std::size_t>(game.myplayer) - 1].score, 0);
}

int BotPlayer::tilesLeft() const {
  return parseOr(game.tilesleft, 0);
}

std::optional<Move> BotPlayer::chooseMove() const {
  BoardLetters board{};
  bool empty = true;
  for (int x = 0; x < kSide; ++x) {
    for (int y = 0; y < kSide; ++y) {
      board[x][y] = game.board[x][y].letter;
      empty = empty && board[x][y] == 0;
    }
  }
  RackCodes rack{};
  for (int k = 0; k < kRackSize; ++k) rack[k] = game.rack[k].code;
  // The first move of a game is the one laid on an empty board: every accepted move leaves
  // letters behind, and nothing takes them away.
  const bool firstmove = empty;
  std::optional<Move> move = generator_.best(board, rack, firstmove);
  if (move && !confirmMove(lexicon_, board, rack, firstmove, *move)) move.reset();
  return move;
}

std::string BotPlayer::play() {
  if (answered_ || !game.myTurn()) return {};
  answered_ = true;
  if (!refused_) {
    if (const auto move = chooseMove()) {
      ++counts.moves;
      counts.points += move->score;
      return toserver::submit(game.myplayer, placements(*move));
    }
  }
  if (!bought_ && ownScore() >= kNewTilesPrice && tilesLeft() >= kFullRack) {
    bought_ = true;
    ++counts.buys;
    return toserver::newtiles(game.myplayer);
  }
  ++counts.passes;
  return toserver::pass(game.myplayer);
}

}  // namespace korvel::bot

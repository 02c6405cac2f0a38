#include "bot/bot_player.h"

#include <algorithm>
#include <array>

#include "bot/easy_choice.h"
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

const LeaveValues& noLeaveValues() {
  static const LeaveValues none;
  return none;
}

BotPlayer::BotPlayer(const Lexicon& lexicon, const LevelSetup& setup)
    : lexicon_(lexicon), generator_(lexicon) {
  setLevel(setup);
}

void BotPlayer::setLevel(const LevelSetup& setup) {
  setup_ = setup;
  rng_.seed(setup.seed);
  limitedGenerator_.reset();
  equity_.reset();
  if (setup_.level == Level::Easy) {
    limitedGenerator_ = std::make_unique<MoveGenerator>(setup_.common ? *setup_.common : lexicon_);
  } else if (setup_.level == Level::Normal) {
    limitedGenerator_ = std::make_unique<MoveGenerator>(setup_.known ? *setup_.known : lexicon_);
  } else if (setup_.level == Level::Strong) {
    equity_ =
        std::make_unique<EquityChooser>(lexicon_, setup_.leaves ? *setup_.leaves : noLeaveValues());
  }
}

BotPlayer::~BotPlayer() = default;

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
    noteCoveredLetters();
    // A new turn: its own begins the wait.
    answered_ = !game.myTurn();
    kept.reset();
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

BoardLetters BotPlayer::boardLetters(bool* empty) const {
  BoardLetters board{};
  bool none = true;
  for (int x = 0; x < kSide; ++x) {
    for (int y = 0; y < kSide; ++y) {
      board[x][y] = game.board[x][y].letter;
      none = none && board[x][y] == 0;
    }
  }
  if (empty) *empty = none;
  return board;
}

RackCodes BotPlayer::rackCodes() const {
  RackCodes rack{};
  for (int k = 0; k < kRackSize; ++k) rack[k] = game.rack[k].code;
  return rack;
}

void BotPlayer::noteCoveredLetters() {
  bool empty = false;
  const BoardLetters board = boardLetters(&empty);
  // A cleared board is a new game.
  if (empty) covered_ = {};
  for (int x = 0; x < kSide; ++x) {
    for (int y = 0; y < kSide; ++y) {
      const int was = lastBoard_[x][y], now = board[x][y];
      if (was >= 1 && was <= 26 && now != 0 && now != was) ++covered_[was];
    }
  }
  lastBoard_ = board;
}

Situation BotPlayer::situation() const {
  Situation s;
  bool empty = false;
  s.board = boardLetters(&empty);
  s.firstmove = empty;
  s.rack = rackCodes();
  s.bagTiles = tilesLeft();
  s.myScore = ownScore();
  // The opponents in the order they move after this player.
  for (int step = 1; step <= client::kSeats; ++step) {
    const int seat = (game.myplayer - 1 + step) % client::kSeats + 1;
    const client::SeatView& view = game.seat[static_cast<std::size_t>(seat) - 1];
    if (seat == game.myplayer || view.eyes || view.name == client::kWaiting) continue;
    s.opponentScores.push_back(parseOr(view.score, 0));
    s.opponentTiles.push_back(game.held[static_cast<std::size_t>(seat) - 1]);
  }
  s.unseen = tileSet();
  const auto take = [&s](int code) {
    if (code >= 1 && code <= 26 && s.unseen[code] > 0) --s.unseen[code];
  };
  for (const auto& column : s.board)
    for (int code : column) take(code);
  for (int code : s.rack) take(code);
  for (int code = 1; code <= 26; ++code) {
    for (int k = 0; k < covered_[code]; ++k) take(code);
  }
  return s;
}

std::optional<Move> BotPlayer::chooseMove(double* equity) const {
  bool empty = false;
  const BoardLetters board = boardLetters(&empty);
  const RackCodes rack = rackCodes();
  // The first move of a game is the one laid on an empty board: every accepted move leaves
  // letters behind, and nothing takes them away.
  const bool firstmove = empty;
  const auto accepted = [&](const Move& m) {
    return confirmMove(lexicon_, board, rack, firstmove, m);
  };
  switch (setup_.level) {
    case Level::Easy:
      for (const Move& m : easyCandidates(generator_, *limitedGenerator_, board, rack, firstmove)) {
        if (accepted(m)) return m;
      }
      return std::nullopt;
    case Level::Strong:
      for (const RatedMove& r : equity_->rate(situation(), 24, &rng_)) {
        if (!accepted(r.move)) continue;
        // A purchase is weighed against what the move brings itself.
        if (equity) *equity = r.staticEquity;
        return r.move;
      }
      return std::nullopt;
    case Level::Normal:
      break;
  }
  // Normal: the best-scoring move whose every word, cross words included, is well known.
  std::optional<Move> move = limitedGenerator_->best(board, rack, firstmove);
  if (move && !accepted(*move)) move.reset();
  return move;
}

std::string BotPlayer::play() {
  if (answered_ || !game.myTurn()) return {};
  answered_ = true;
  if (!refused_) {
    double equity = 0;
    const auto move = chooseMove(&equity);
    if (setup_.level == Level::Strong && !bought_) {
      if (equity_->buyPays(situation(), move ? std::optional<double>(equity) : std::nullopt,
                           rng_)) {
        bought_ = true;
        ++counts.buys;
        return toserver::newtiles(game.myplayer);
      }
    }
    if (move) {
      ++counts.moves;
      counts.points += move->score;
      kept = rackCounts(rackCodes());
      for (const Tile& t : move->tiles) --(*kept)[t.code];
      return toserver::submit(game.myplayer, placements(*move));
    }
  }
  if (setup_.level == Level::Strong) {
    ++counts.passes;
    return toserver::pass(game.myplayer);
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

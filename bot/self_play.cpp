#include "bot/self_play.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <random>
#include <utility>

#include "bot/bot_player.h"
#include "protocol/message.h"
#include "server/server_core.h"

namespace korvel::bot {

namespace {

constexpr int kHost = 1;

class Wire : public server::Outbound {
 public:
  server::ServerCore* core = nullptr;
  std::deque<std::pair<int, std::string>> toClients;

  void send(int seat, const std::string& message) override {
    toClients.emplace_back(seat, message);
  }
  void closeSeat(int seat) override { core->departure(seat); }
  void timer1Changed(bool) override {}
};

// Each framed message of `text` without its terminator (a login carries two).
std::vector<std::string> frames(const std::string& text) {
  std::vector<std::string> out;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(protocol::kTerminator, from)) != std::string::npos;) {
    out.push_back(text.substr(from, at - from));
    from = at + 1;
  }
  return out;
}

// The words of a "CMD_goodword" argument: the field after each "w" item marker.
void addWords(const std::string& argument, std::vector<std::string>& words) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  for (std::size_t at; (at = argument.find('+', from)) != std::string::npos; from = at + 1)
    fields.push_back(argument.substr(from, at - from));
  fields.push_back(argument.substr(from));
  // Seat, total and gain come first; then "l" items of four fields and "w" items of one.
  for (std::size_t i = 3; i < fields.size(); ++i) {
    if (fields[i] == "l") {
      i += 4;
    } else if (fields[i] == "w" && i + 1 < fields.size()) {
      words.push_back(fields[++i]);
    }
  }
}

}  // namespace

SelfPlayGame playSelfGame(const Lexicon& lexicon, server::MoveChecker::WordTest serverWords,
                          const SelfPlayOptions& options) {
  auto engine = std::make_shared<std::mt19937>(options.seed);
  Wire wire;
  server::ServerCore core(wire, std::move(serverWords), [engine](int lo, int hi) {
    return std::uniform_int_distribution<int>(lo, hi)(*engine);
  });
  wire.core = &core;
  std::map<int, std::unique_ptr<BotPlayer>> bots;
  std::map<int, SelfPlaySeat> perSeat;
  SelfPlayGame game;

  const auto toServer = [&core](int seat, const std::string& text) {
    for (const std::string& line : frames(text)) {
      if (!line.empty()) core.dispatch(line, seat);
    }
  };
  int mover = 0;
  TurnRecord turn;  // the turn under way; seat 0 before the first
  const auto endTurn = [&] {
    if (turn.seat == 0) return;
    if (options.onTurn) {
      turn.kept = bots.at(turn.seat)->kept;
      turn.bagAfter =
          server::ServerCore::kBagSize - std::min(core.drawn, server::ServerCore::kBagSize);
      options.onTurn(turn);
    }
    turn = {};
  };
  const auto pump = [&] {
    while (!wire.toClients.empty()) {
      auto [seat, framed] = std::move(wire.toClients.front());
      wire.toClients.pop_front();
      const std::string line = framed.substr(0, framed.size() - 1);
      if (seat != kHost) {
        const Reaction r = bots.at(seat)->handleLine(line);
        for (const std::string& m : r.send) toServer(seat, m);
        if (r.play != Reaction::Play::No) mover = seat;
        continue;
      }
      // The host sees what everyone sees and keeps the score of the game.
      const auto split = protocol::splitLine(line);
      protocol::FieldReader reader(split.argument);
      const std::string& c = split.command;
      if (c == "CMD_sendlogininfo") {
        toServer(kHost, protocol::toserver::logininfo("1", protocol::kVersion, "Host\xFF"));
      } else if (c == "CMD_nextplayer") {
        const int seat = reader.intField();
        endTurn();
        if (bots.count(seat)) turn.seat = seat;
        if (seat == kHost) {
          toServer(kHost, protocol::toserver::justwatch(kHost, 1));
          continue;
        }
        ++game.turns;
        BoardLetters board{};
        for (int x = 0; x < kSide; ++x)
          for (int y = 0; y < kSide; ++y)
            board[x][y] = std::max(0, core.moves.board.at(x, y).letter);
        game.boards.push_back(board);
      } else if (c == "CMD_goodword") {
        const int scorer = reader.intField();
        reader.intField();
        const int gained = reader.intField();
        ++game.moves;
        game.points += gained;
        if (scorer == turn.seat) turn.points += gained;
        if (auto at = perSeat.find(scorer); at != perSeat.end()) {
          ++at->second.moves;
          at->second.points += gained;
          addWords(split.argument, at->second.words);
        }
      } else if (c == "CMD_hepassed") {
        ++game.passes;
      } else if (c == "CMD_boughtnew") {
        const int buyer = reader.intField();
        ++game.buys;
        if (buyer == turn.seat) turn.points -= kNewTilesPrice;
        if (auto at = perSeat.find(buyer); at != perSeat.end()) ++at->second.buys;
      } else if (c == "CMD_timeup") {
        ++game.timeups;
      } else if (c == "CMD_winner") {
        endTurn();
        game.ended = true;
        game.winner = reader.field();
      }
    }
  };

  core.seataccepted(kHost, kHost);
  pump();
  for (int i = 0; i < options.players; ++i) {
    const int seat = core.chooseseat();
    LevelSetup setup;
    if (static_cast<std::size_t>(i) < options.levels.size()) setup = options.levels[i];
    bots[seat] = std::make_unique<BotPlayer>(lexicon, setup);
    perSeat[seat] = {};
    core.seataccepted(seat, static_cast<std::uint64_t>(seat));
    pump();
  }
  toServer(kHost, protocol::toserver::startgame("Host", "30", "60", "1"));
  pump();
  for (int seconds = 0; !game.ended && seconds < options.maxSeconds;) {
    if (mover != 0) {
      const int seat = std::exchange(mover, 0);
      const std::string answer = bots.at(seat)->play();
      if (!answer.empty()) toServer(seat, answer);
    } else if (core.timer1.enabled) {
      core.timer1Timer();
      ++seconds;
    } else {
      break;  // nothing moves any more
    }
    pump();
  }
  for (const auto& [seat, bot] : bots) {
    game.refused += bot->counts.refused;
    game.scores.push_back(core.players[seat].score);
    SelfPlaySeat part = perSeat[seat];
    part.score = core.players[seat].score;
    part.refused = bot->counts.refused;
    game.seats.push_back(part);
  }
  return game;
}

}  // namespace korvel::bot

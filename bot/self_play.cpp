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
  SelfPlayGame game;

  const auto toServer = [&core](int seat, const std::string& text) {
    for (const std::string& line : frames(text)) {
      if (!line.empty()) core.dispatch(line, seat);
    }
  };
  int mover = 0;
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
        reader.intField();
        reader.intField();
        ++game.moves;
        game.points += reader.intField();
      } else if (c == "CMD_hepassed") {
        ++game.passes;
      } else if (c == "CMD_boughtnew") {
        ++game.buys;
      } else if (c == "CMD_timeup") {
        ++game.timeups;
      } else if (c == "CMD_winner") {
        game.ended = true;
        game.winner = reader.field();
      }
    }
  };

  core.seataccepted(kHost, kHost);
  pump();
  for (int i = 0; i < options.players; ++i) {
    const int seat = core.chooseseat();
    bots[seat] = std::make_unique<BotPlayer>(lexicon);
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
  }
  return game;
}

}  // namespace korvel::bot

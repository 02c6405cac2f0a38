// korvel-match: computer players of two levels against each other, through the server core in
// this process, two players a game. Games go in pairs on one random seed with the seats swapped,
// so neither side gains from the deal or from moving first. Prints one summary line:
//
//   korvel-match --games 2000 --seed 7 --a strong --b normal
//   strong vs normal: 2000 games, strong won 1203, normal won 780, drawn 17, win rate 60.2%
//   (95% 58.0%-62.3%), points per move 31.4 vs 29.0, refused 0        (all on one line)
//
// --players 3 plays one player of level A against two of level B, the three games of each deal
// with A in each seat; A wins a game when it scores above both, "B won" when either does, and
// "drawn" when A shares the top. --jobs N plays N games at once; --detail adds how games stood
// (A's lead over the best other) when the bag ran out; --words, --common, --known and --leaves
// name other data files.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bot/leave_values.h"
#include "bot/level.h"
#include "bot/lexicon.h"
#include "bot/self_play.h"
#include "bot/tool_files.h"

namespace {

using namespace korvel::bot;

std::string readFile(const std::string& path) {
  return readToolFile("korvel-match", path);
}

[[noreturn]] void usage() {
  std::fprintf(stderr,
               "usage: korvel-match [--games N] [--seed S] [--a LEVEL] [--b LEVEL] [--jobs N]\n"
               "                    [--players 2|3] [--detail] [--words BLOB] [--common WORDS]\n"
               "                    [--known WORDS] [--leaves TABLE]\n"
               "LEVEL is easy, normal or strong\n");
  std::exit(2);
}

struct Side {
  long wins = 0, moves = 0, points = 0, buys = 0, refused = 0, words = 0, uncommon = 0, unknown = 0;
};

struct Result {
  int aScore = 0, bScore = 0;  // bScore: the best of level B's
  // A's lead when the bag ran out (nothing when it never did), and turns played after that.
  std::optional<int> leadAtEmpty;
  int turnsAfterEmpty = 0;
  SelfPlaySeat a;
  std::vector<SelfPlaySeat> b;  // every seat of level B
  bool ended = false;
};

// Wilson score interval of a proportion at 95%.
void interval(double wins, double n, double& low, double& high) {
  const double z = 1.959963985, p = wins / n, z2n = z * z / n;
  const double centre = (p + z2n / 2) / (1 + z2n);
  const double half = z * std::sqrt(p * (1 - p) / n + z2n / (4 * n)) / (1 + z2n);
  low = centre - half;
  high = centre + half;
}

}  // namespace

int main(int argc, char** argv) {
  int games = 200, jobs = 1, players = 2;
  bool detail = false;
  unsigned long seed = 1;
  Level a = Level::Strong, b = Level::Normal;
  std::string words = KORVEL_TEXT_DEMO_BLOB, common = KORVEL_COMMON_WORDS,
              known = KORVEL_KNOWN_WORDS, leaves = KORVEL_LEAVE_TABLE;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--detail") {
      detail = true;
      continue;
    }
    if (i + 1 >= argc) usage();
    const std::string value = argv[++i];
    if (arg == "--games") {
      games = std::atoi(value.c_str());
    } else if (arg == "--seed") {
      seed = std::strtoul(value.c_str(), nullptr, 10);
    } else if (arg == "--players") {
      players = std::atoi(value.c_str());
    } else if (arg == "--jobs") {
      jobs = std::atoi(value.c_str());
    } else if (arg == "--a" || arg == "--b") {
      const auto level = parseLevel(value);
      if (!level) usage();
      (arg == "--a" ? a : b) = *level;
    } else if (arg == "--words") {
      words = value;
    } else if (arg == "--common") {
      common = value;
    } else if (arg == "--known") {
      known = value;
    } else if (arg == "--leaves") {
      leaves = value;
    } else {
      usage();
    }
  }
  if (games < 1 || jobs < 1 || players < 2 || players > 3) usage();

  const Lexicon lexicon = Lexicon::fromRecords(readFile(words));
  const Lexicon commonWords = Lexicon::fromLines(readFile(common));
  const Lexicon knownWords = Lexicon::fromLines(readFile(known));
  const auto table = LeaveValues::fromText(readFile(leaves));
  if (!table) {
    std::fprintf(stderr, "korvel-match: %s is not a leave table\n", leaves.c_str());
    return 2;
  }

  std::vector<Result> results(static_cast<std::size_t>(games));
  std::atomic<int> next{0};
  const auto start = std::chrono::steady_clock::now();
  const auto worker = [&] {
    for (int g; (g = next++) < games;) {
      // The games of a group share the deal; level A takes each seat in turn.
      const std::uint32_t gameSeed = static_cast<std::uint32_t>(seed * 1000003u + g / players);
      const int at = g % players;  // A's place among the computer players
      SelfPlayOptions options;
      options.players = players;
      options.seed = gameSeed;
      for (int k = 0, other = 0; k < players; ++k) {
        if (k == at) {
          options.levels.push_back({a, &commonWords, &knownWords, &*table, gameSeed});
        } else {
          options.levels.push_back(
              {b, &commonWords, &knownWords, &*table, gameSeed + 7 + 4u * other++});
        }
      }
      Result& r = results[static_cast<std::size_t>(g)];
      // Seat 2 is the first computer player.
      const int seatA = 2 + at;
      std::vector<int> scores(static_cast<std::size_t>(2 + players), 0);
      options.onTurn = [&r, &scores, seatA](const TurnRecord& t) {
        if (t.seat >= 0 && t.seat < static_cast<int>(scores.size())) scores[t.seat] += t.points;
        if (r.leadAtEmpty) {
          ++r.turnsAfterEmpty;
        } else if (t.bagAfter == 0) {
          int best = std::numeric_limits<int>::min();
          for (int seat = 2; seat < static_cast<int>(scores.size()); ++seat)
            if (seat != seatA) best = std::max(best, scores[seat]);
          r.leadAtEmpty = scores[seatA] - best;
        }
      };
      const SelfPlayGame game = playSelfGame(
          lexicon, [&lexicon](std::string_view w) { return lexicon.contains(w); }, options);
      r.ended = game.ended;
      r.a = game.seats[static_cast<std::size_t>(at)];
      r.aScore = r.a.score;
      r.bScore = std::numeric_limits<int>::min();
      for (int k = 0; k < players; ++k) {
        if (k == at) continue;
        r.b.push_back(game.seats[static_cast<std::size_t>(k)]);
        r.bScore = std::max(r.bScore, r.b.back().score);
      }
    }
  };
  std::vector<std::thread> threads;
  for (int j = 0; j < jobs; ++j) threads.emplace_back(worker);
  for (auto& t : threads) t.join();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  Side sa, sb;
  long drawn = 0, unended = 0;
  const auto add = [&commonWords, &knownWords](Side& side, const SelfPlaySeat& seat) {
    side.moves += seat.moves;
    side.points += seat.points;
    side.buys += seat.buys;
    side.refused += seat.refused;
    for (const std::string& w : seat.words) {
      ++side.words;
      side.uncommon += !commonWords.contains(w);
      side.unknown += !knownWords.contains(w);
    }
  };
  for (const Result& r : results) {
    add(sa, r.a);
    for (const SelfPlaySeat& seat : r.b) add(sb, seat);
    unended += !r.ended;
    if (r.aScore > r.bScore) {
      ++sa.wins;
    } else if (r.bScore > r.aScore) {
      ++sb.wins;
    } else {
      ++drawn;
    }
  }
  const std::string na(levelWord(a)), nb(levelWord(b));
  std::fprintf(stderr, "%d games in %.1f s (%.2f games/s, %d jobs), %ld not ended\n", games,
               seconds, games / seconds, jobs, unended);
  for (const auto& [name, side] : {std::pair{na, sa}, std::pair{nb, sb}}) {
    std::fprintf(stderr,
                 "%s: %ld moves, %ld points, %ld purchases, %ld of %ld words not common, %ld not "
                 "well known\n",
                 name.c_str(), side.moves, side.points, side.buys, side.uncommon, side.words,
                 side.unknown);
  }
  if (detail) {
    // Games by A's lead when the bag ran out, in bands of 20 points, with how A ended them.
    struct Band {
      long games = 0, wins = 0, draws = 0, turns = 0;
    };
    std::map<int, Band> bands;
    for (const Result& r : results) {
      if (!r.leadAtEmpty) continue;
      const int lead = std::clamp(*r.leadAtEmpty, -100, 100);
      Band& band = bands[lead >= 0 ? lead / 20 * 20 : -((-lead + 19) / 20 * 20)];
      ++band.games;
      band.wins += r.aScore > r.bScore;
      band.draws += r.aScore == r.bScore;
      band.turns += r.turnsAfterEmpty;
    }
    std::fprintf(stderr, "%s's lead when the bag ran out: games, %s's wins, draws, turns after\n",
                 levelWord(a).data(), levelWord(a).data());
    for (const auto& [low, band] : bands) {
      std::fprintf(stderr, "  %4d to %4d: %5ld games, won %5.1f%%, drawn %4.1f%%, %.1f turns\n",
                   low, low + 19, band.games, 100.0 * band.wins / band.games,
                   100.0 * band.draws / band.games, static_cast<double>(band.turns) / band.games);
    }
  }
  double low = 0, high = 0;
  interval(static_cast<double>(sa.wins), games, low, high);
  const auto perMove = [](const Side& s) {
    return s.moves ? static_cast<double>(s.points) / static_cast<double>(s.moves) : 0.0;
  };
  std::printf(
      "%s vs %s: %d games, %s won %ld, %s won %ld, drawn %ld, win rate %.1f%% (95%% "
      "%.1f%%-%.1f%%), "
      "points per move %.1f vs %.1f, refused %ld\n",
      na.c_str(), nb.c_str(), games, na.c_str(), sa.wins, nb.c_str(), sb.wins, drawn,
      100.0 * static_cast<double>(sa.wins) / games, 100.0 * low, 100.0 * high, perMove(sa),
      perMove(sb), sa.refused + sb.refused);
  return 0;
}

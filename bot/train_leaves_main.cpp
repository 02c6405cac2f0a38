// korvel-train-leaves: learns what kept tiles are worth (the Strong player's leave table) from
// self-play. Two computer players play whole games through the server core; after each move
// the tiles a player kept are noted with what its next turn brought (points, less 30 for a
// purchase). A least-squares fit of those points on the kept rack's features (LeaveValues),
// shrunk towards the average, gives each feature its weight in points above or below an
// average next turn. Only moves after which the bag still held a full rack count: later, what
// is kept is valued by the end-game reckoning instead.
//
//   korvel-train-leaves --minutes 20 --rounds 2 --out resources/leaves/leaves.txt
//
// Round 1 is played by Strong players weighing every kept rack alike (the score, the look-ahead,
// the end game, and purchases when they pay); each further round by Strong players using the
// previous round's table.
// --start TABLE begins from a table instead. --jobs N plays N games at once.
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
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

constexpr int kN = LeaveValues::kFeatures;
// Shrinks weights seen rarely towards the average.
constexpr double kRidge = 20.0;

std::string readFile(const std::string& path) {
  return readToolFile("korvel-train-leaves", path);
}

// The sums of the normal equations: X'X, X'y, and the plain sums of y.
struct Sums {
  std::vector<double> xx = std::vector<double>(kN * kN, 0.0);
  std::vector<double> xy = std::vector<double>(kN, 0.0);
  std::vector<double> count = std::vector<double>(kN, 0.0);
  double y = 0, yy = 0;
  long samples = 0;

  void add(const LetterCounts& kept, double target) {
    std::vector<std::pair<int, double>> f;
    LeaveValues::features(kept, f);
    for (const auto& [i, vi] : f) {
      xy[i] += vi * target;
      count[i] += 1;
      for (const auto& [j, vj] : f) xx[i * kN + j] += vi * vj;
    }
    y += target;
    yy += target * target;
    ++samples;
  }
  void merge(const Sums& o) {
    for (int i = 0; i < kN * kN; ++i) xx[i] += o.xx[i];
    for (int i = 0; i < kN; ++i) {
      xy[i] += o.xy[i];
      count[i] += o.count[i];
    }
    y += o.y;
    yy += o.yy;
    samples += o.samples;
  }
};

// Solves (X'X + ridge I) w = X'(y - mean) by Gaussian elimination with partial pivoting.
LeaveValues fit(const Sums& s) {
  const double mean = s.y / static_cast<double>(s.samples);
  std::vector<double> a(s.xx);
  std::vector<double> b(kN);
  for (int i = 0; i < kN; ++i) {
    a[i * kN + i] += kRidge;
    // X'(y - mean) = X'y - mean * (column sums of X); every column sum of these 0/1-and-count
    // features is read off X'X's row of the balance cells, which partition the samples.
    double column = 0;
    for (int j = 2 * LeaveValues::kLetters; j < kN; ++j) column += s.xx[i * kN + j];
    b[i] = s.xy[i] - mean * column;
  }
  for (int c = 0; c < kN; ++c) {
    int pivot = c;
    for (int r = c + 1; r < kN; ++r)
      if (std::fabs(a[r * kN + c]) > std::fabs(a[pivot * kN + c])) pivot = r;
    if (pivot != c) {
      for (int k = 0; k < kN; ++k) std::swap(a[c * kN + k], a[pivot * kN + k]);
      std::swap(b[c], b[pivot]);
    }
    for (int r = c + 1; r < kN; ++r) {
      const double m = a[r * kN + c] / a[c * kN + c];
      if (m == 0) continue;
      for (int k = c; k < kN; ++k) a[r * kN + k] -= m * a[c * kN + k];
      b[r] -= m * b[c];
    }
  }
  LeaveValues table;
  for (int r = kN - 1; r >= 0; --r) {
    double v = b[r];
    for (int k = r + 1; k < kN; ++k) v -= a[r * kN + k] * table.weights[k];
    table.weights[r] = v / a[r * kN + r];
  }
  return table;
}

}  // namespace

int main(int argc, char** argv) {
  double minutes = 10;
  int rounds = 2, jobs = 1;
  unsigned long seed = 1;
  std::string words = KORVEL_TEXT_DEMO_BLOB, out = KORVEL_LEAVE_TABLE, start;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string arg = argv[i], value = argv[i + 1];
    if (arg == "--minutes") {
      minutes = std::atof(value.c_str());
    } else if (arg == "--rounds") {
      rounds = std::atoi(value.c_str());
    } else if (arg == "--jobs") {
      jobs = std::atoi(value.c_str());
    } else if (arg == "--seed") {
      seed = std::strtoul(value.c_str(), nullptr, 10);
    } else if (arg == "--words") {
      words = value;
    } else if (arg == "--out") {
      out = value;
    } else if (arg == "--start") {
      start = value;
    } else {
      std::fprintf(stderr,
                   "usage: korvel-train-leaves [--minutes M] [--rounds R] [--jobs N] [--seed S]\n"
                   "       [--start TABLE] [--out TABLE] [--words BLOB]\n");
      return 2;
    }
  }
  if (rounds < 1 || jobs < 1 || minutes <= 0) return 2;
  const Lexicon lexicon = Lexicon::fromRecords(readFile(words));
  LeaveValues table;
  if (!start.empty()) {
    const auto loaded = LeaveValues::fromText(readFile(start));
    if (!loaded) {
      std::fprintf(stderr, "korvel-train-leaves: %s is not a leave table\n", start.c_str());
      return 2;
    }
    table = *loaded;
  }
  const auto began = std::chrono::steady_clock::now();
  long totalGames = 0, totalSamples = 0;
  for (int round = 1; round <= rounds; ++round) {
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::duration<double>(minutes * 60.0 / rounds);
    Sums sums;
    std::mutex lock;
    std::atomic<long> next{0};
    const auto worker = [&] {
      Sums mine;
      while (std::chrono::steady_clock::now() < until) {
        const long g = next++;
        SelfPlayOptions options;
        options.players = 2;
        options.seed = static_cast<std::uint32_t>(seed * 7919u + round * 1000003u + g);
        const LevelSetup strong{Level::Strong, nullptr, nullptr, &table, options.seed};
        options.levels = {strong, strong};
        // Turns per seat in order; a kept rack is scored by the same seat's next turn.
        std::map<int, std::vector<TurnRecord>> turns;
        options.onTurn = [&turns](const TurnRecord& t) { turns[t.seat].push_back(t); };
        playSelfGame(
            lexicon, [&lexicon](std::string_view w) { return lexicon.contains(w); }, options);
        for (const auto& [seat, list] : turns) {
          for (std::size_t t = 0; t + 1 < list.size(); ++t) {
            if (!list[t].kept || list[t].bagAfter < LeaveValues::kMaxKept) continue;
            mine.add(*list[t].kept, list[t + 1].points);
          }
        }
      }
      std::lock_guard<std::mutex> hold(lock);
      sums.merge(mine);
    };
    std::vector<std::thread> threads;
    for (int j = 0; j < jobs; ++j) threads.emplace_back(worker);
    for (auto& t : threads) t.join();
    if (sums.samples == 0) {
      std::fprintf(stderr, "korvel-train-leaves: no samples in round %d\n", round);
      return 1;
    }
    table = fit(sums);
    totalGames += next;
    totalSamples += sums.samples;
    const double mean = sums.y / static_cast<double>(sums.samples);
    std::fprintf(stderr, "round %d: %ld games, %ld kept racks, next turn %.2f points on average\n",
                 round, static_cast<long>(next), sums.samples, mean);
  }
  const double took =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  std::ofstream file(out, std::ios::binary | std::ios::trunc);
  file << "# What kept tiles are worth, in points of the next turn above or below the average.\n"
       << "# Made by korvel-train-leaves: " << rounds << " rounds, " << totalGames
       << " self-played games, " << totalSamples << " kept racks, " << static_cast<long>(took)
       << " s.\n"
       << table.toText();
  if (!file) {
    std::fprintf(stderr, "korvel-train-leaves: cannot write %s\n", out.c_str());
    return 1;
  }
  std::fprintf(stderr, "wrote %s after %.0f s\n", out.c_str(), took);
  return 0;
}

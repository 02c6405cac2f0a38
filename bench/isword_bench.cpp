// IsWord per lookup on the built word list blob: hits and misses, with the record reads (probes)
// each lookup makes. The working file sits in the page cache, as it does in the program after it
// was written at start-up. For scale, the same lookups against the list held in memory.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "dictionary/tdictn.h"

namespace {

struct Fixture {
  std::filesystem::path dir;
  std::unique_ptr<korvel::TDictn> dict;
  std::vector<std::string> words;  // every word of the list, upper case, in list order
  std::vector<std::string> hits;
  std::vector<std::string> misses;

  Fixture() {
    std::ifstream in(KORVEL_TEXT_DEMO_BLOB, std::ios::binary);
    const std::string blob(std::istreambuf_iterator<char>(in), {});
    if (blob.empty()) throw std::runtime_error("cannot read " KORVEL_TEXT_DEMO_BLOB);
    std::string pattern = (std::filesystem::temp_directory_path() / "korvel-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    dir = pattern;
    dict = std::make_unique<korvel::TDictn>(blob, dir, nullptr);

    for (std::size_t i = 0; i < blob.size(); i += korvel::TDictn::kRecordSize) {
      const std::string field = blob.substr(i + 1, korvel::TDictn::kRecordSize - 1);
      words.push_back(field.substr(0, field.find(' ')));
    }
    // Lower case, as the server spells the words it looks up.
    std::mt19937 rng(7);
    for (std::size_t i = 0; i < 4096; ++i) {
      std::string w = words[rng() % words.size()];
      std::transform(w.begin(), w.end(), w.begin(), [](char c) { return c - 'A' + 'a'; });
      hits.push_back(w);
    }
    const std::set<std::string> known(words.begin(), words.end());
    while (misses.size() < 4096) {
      std::string w(2 + rng() % 8, ' ');
      for (char& c : w) c = static_cast<char>('A' + rng() % 26);
      if (known.count(w)) continue;
      std::transform(w.begin(), w.end(), w.begin(), [](char c) { return c - 'A' + 'a'; });
      misses.push_back(w);
    }
  }
  ~Fixture() {
    dict.reset();
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

void lookups(benchmark::State& state, const std::vector<std::string>& queries, bool expected) {
  korvel::TDictn& dict = *fixture().dict;
  const std::uint64_t startProbes = dict.probeCount();
  std::uint64_t maxProbes = 0;
  std::size_t i = 0;
  for (auto _ : state) {
    const std::uint64_t before = dict.probeCount();
    const bool found = dict.IsWord(queries[i]);
    maxProbes = std::max(maxProbes, dict.probeCount() - before);
    if (found != expected) state.SkipWithError("wrong answer");
    benchmark::DoNotOptimize(found);
    i = (i + 1) % queries.size();
  }
  state.counters["probes"] = benchmark::Counter(
      static_cast<double>(dict.probeCount() - startProbes), benchmark::Counter::kAvgIterations);
  state.counters["max_probes"] = static_cast<double>(maxProbes);
  state.counters["records"] = static_cast<double>(dict.recordCount());
}

void BM_IsWordHit(benchmark::State& state) {
  lookups(state, fixture().hits, true);
}
void BM_IsWordMiss(benchmark::State& state) {
  lookups(state, fixture().misses, false);
}

// The alternative the component avoids: the whole list in memory, binary search over it.
void inMemory(benchmark::State& state, const std::vector<std::string>& queries, bool expected) {
  const std::vector<std::string>& words = fixture().words;
  std::size_t i = 0;
  for (auto _ : state) {
    std::string key = queries[i];
    std::transform(key.begin(), key.end(), key.begin(), [](char c) { return c - 'a' + 'A'; });
    const bool found = std::binary_search(words.begin(), words.end(), key);
    if (found != expected) state.SkipWithError("wrong answer");
    benchmark::DoNotOptimize(found);
    i = (i + 1) % queries.size();
  }
}

void BM_InMemoryHit(benchmark::State& state) {
  inMemory(state, fixture().hits, true);
}
void BM_InMemoryMiss(benchmark::State& state) {
  inMemory(state, fixture().misses, false);
}

BENCHMARK(BM_IsWordHit);
BENCHMARK(BM_IsWordMiss);
BENCHMARK(BM_InMemoryHit);
BENCHMARK(BM_InMemoryMiss);

}  // namespace

BENCHMARK_MAIN();

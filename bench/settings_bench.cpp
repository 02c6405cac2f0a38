// The settings file as the game meets it: a 20 KB lobby section before the game's own.
// In memory: parse and load; parse, load, save and serialise. On disk: one whole save
// (read, change, write a temporary file, fsync, rename).

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "app/settings_file.h"

namespace {

using namespace korvel::app;

std::string settingsText() {
  std::string text = "[Quon77]\r\n";
  for (int i = 0; text.size() < 20 * 1024; ++i) {
    text +=
        "Lobbykey" + std::to_string(i) + "=some lobby value number " + std::to_string(i) + "\r\n";
  }
  text +=
      "\r\n[Korvel]\r\nTextsize=10\r\nTop=40\r\nLeft=60\r\nWidth=800\r\nHeight=600\r\n"
      "Textcolor=clNavy\r\nPlaytoscore=30\r\nTimeperturn=60\r\nBotspeed=1000\r\nTurnsound=1\r\n"
      "Phrase1=Hello all\r\nPhrase5=/me waves\r\nPlayerphrasesounds=true\r\nPlaysounds=true\r\n";
  return text;
}

void BM_ParseAndLoad(benchmark::State& state) {
  const std::string text = settingsText();
  for (auto _ : state) {
    Settings s = loadSettings(IniFile::parse(text), kSettingsSection);
    benchmark::DoNotOptimize(s);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseAndLoad);

void BM_ParseLoadSaveSerialise(benchmark::State& state) {
  const std::string text = settingsText();
  for (auto _ : state) {
    IniFile ini = IniFile::parse(text);
    Settings s = loadSettings(ini, kSettingsSection);
    s.width += 1;
    saveSettings(ini, kSettingsSection, s);
    std::string out = ini.serialise();
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ParseLoadSaveSerialise);

void BM_SaveFileOnDisk(benchmark::State& state) {
  std::string dir = (std::filesystem::temp_directory_path() / "korvel-bench-XXXXXX").string();
  if (!mkdtemp(dir.data())) {
    state.SkipWithError("mkdtemp failed");
    return;
  }
  const std::filesystem::path file = std::filesystem::path(dir) / kSettingsFileName;
  replaceFileBytes(file, settingsText());
  Settings s = loadSettingsFile(file, kSettingsSection);
  for (auto _ : state) {
    s.width = s.width == 800 ? 801 : 800;  // a real change, so every save writes
    if (!saveSettingsFile(file, kSettingsSection, s)) state.SkipWithError("save failed");
  }
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SaveFileOnDisk)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

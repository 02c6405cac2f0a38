// Arbitrary bytes as a settings file. Parsing and writing back changes nothing; a save changes
// nothing outside the game's section; what is saved loads back; a phrase can never add lines.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/settings.h"

namespace {

using namespace korvel::app;

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view trim(std::string_view s) {
  const std::size_t b = s.find_first_not_of(kBlanks);
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(kBlanks) - b + 1);
}

bool isGameHeader(std::string_view line) {
  line = trim(line);
  if (line.empty() || line[0] != '[') return false;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return false;
  const std::string_view name = trim(line.substr(1, close - 1));
  if (name.size() != kSettingsSection.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = (name[i] >= 'A' && name[i] <= 'Z') ? char(name[i] + 32) : name[i];
    const char k = (kSettingsSection[i] >= 'A' && kSettingsSection[i] <= 'Z')
                       ? char(kSettingsSection[i] + 32)
                       : kSettingsSection[i];
    if (c != k) return false;
  }
  return true;
}

bool isHeader(std::string_view line) {
  line = trim(line);
  return !line.empty() && line[0] == '[' && line.find(']') != std::string_view::npos;
}

// Byte range of the game's first section in text, from its header to the next header.
bool gameSection(std::string_view text, std::size_t& begin, std::size_t& end) {
  std::size_t pos = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  bool found = false;
  while (pos < text.size()) {
    const std::size_t eol = text.find('\n', pos);
    const std::size_t next = eol == std::string_view::npos ? text.size() : eol + 1;
    const std::string_view line = text.substr(pos, next - pos);
    if (found && isHeader(line)) {
      end = pos;
      return true;
    }
    if (!found && isGameHeader(line)) {
      found = true;
      begin = pos;
    }
    pos = next;
  }
  end = text.size();
  return found;
}

bool sameExceptPhrases(Settings a, Settings b) {
  a.phrases = b.phrases = {};
  return a == b;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte may put the game's header (and a lobby section before it) in front of the
  // rest, which the fuzzer would hardly spell out by itself.
  std::string text;
  if (data[0] & 2) text += "[Lobby]\r\nName=Ann\r\n";
  if (data[0] & 1) text += (data[0] & 4) ? "[korvel]\r\n" : "[Korvel]\n";
  text.append(reinterpret_cast<const char*>(data) + 1, size - 1);
  IniFile ini = IniFile::parse(text);
  if (ini.serialise() != text) __builtin_trap();

  Settings s = loadSettings(ini, kSettingsSection);
  s.width = s.width == 800 ? 801 : 800;
  saveSettings(ini, kSettingsSection, s);
  const std::string phrase(reinterpret_cast<const char*>(data) + 1,
                           std::min<std::size_t>(size - 1, 32));
  Phrases phrases;
  phrases[0] = phrase;
  savePhrases(ini, kSettingsSection, phrases);
  const std::string out = ini.serialise();

  std::size_t begin = 0, end = 0;
  if (gameSection(text, begin, end)) {
    if (out.compare(0, begin, text, 0, begin) != 0) __builtin_trap();
    const std::size_t tail = text.size() - end;
    if (tail > out.size() || out.compare(out.size() - tail, tail, text, end, tail) != 0)
      __builtin_trap();
  } else if (out.compare(0, text.size(), text) != 0) {
    __builtin_trap();
  }

  const IniFile again = IniFile::parse(out);
  if (again.serialise() != out) __builtin_trap();
  const Settings loaded = loadSettings(again, kSettingsSection);
  if (!sameExceptPhrases(loaded, s)) __builtin_trap();
  std::string clean = phrase;
  for (char& c : clean) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  const std::string_view expected = trim(clean);
  if (expected.empty() ? loaded.phrases[0].has_value() : loaded.phrases[0] != expected)
    __builtin_trap();
  return 0;
}

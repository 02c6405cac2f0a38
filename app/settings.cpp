#include "app/settings.h"

#include <algorithm>

#include "protocol/text_encoding.h"

namespace korvel::app {

namespace {

using client::readIntegerText;

std::optional<int> integerValue(const IniFile& ini, std::string_view section,
                                std::string_view key) {
  const auto text = ini.get(section, key);
  if (!text) return std::nullopt;
  return readIntegerText(*text);
}

int integerIn(const IniFile& ini, std::string_view section, std::string_view key, int fallback,
              int min, int max) {
  const auto value = integerValue(ini, section, key);
  return value && *value >= min && *value <= max ? *value : fallback;
}

std::string_view boolText(bool on) {
  return on ? "true" : "false";
}

std::optional<std::string> countText(const std::optional<int>& value) {
  if (!value) return std::nullopt;
  return std::to_string(*value);
}

// The text saveSettings writes under key; nothing for an unset value or a key it does not write.
std::optional<std::string> textFor(const Settings& s, std::string_view key) {
  if (key == kTextsizeKey) return std::to_string(s.textsize);
  if (key == kTopKey) return std::to_string(s.top);
  if (key == kLeftKey) return std::to_string(s.left);
  if (key == kWidthKey) return std::to_string(s.width);
  if (key == kHeightKey) return std::to_string(s.height);
  if (key == kTextcolorKey) return client::colourToText(s.textcolor);
  if (key == kPlaytoscoreKey) return countText(s.playtoscore);
  if (key == kTimeperturnKey) return countText(s.timeperturn);
  if (key == kBotspeedKey) return std::to_string(s.botspeed);
  if (key == kTurnsoundKey) return std::to_string(s.turnsound);
  if (key == kPlayerphrasesoundsKey) return std::string(boolText(s.playerphrasesounds));
  if (key == kPlaysoundsKey) return std::string(boolText(s.playsounds));
  if (key == kComputerplayersKey) return countText(s.computerplayers);
  if (key == kComputerlevelKey && s.computerlevel) {
    return std::string(bot::levelName(*s.computerlevel));
  }
  if (key == kKeepseatKey) return countText(s.keepseat);
  if (key == kZoomKey) return std::to_string(s.zoom);
  if (key == kShowdownloadKey) return std::string(boolText(s.showdownload));
  // A folder whose name holds a line break would break the file's lines: not remembered.
  if (key == kRecordfolderKey && !s.recordfolder.empty() &&
      s.recordfolder.find_first_of("\r\n") == std::string::npos) {
    return s.recordfolder;
  }
  return std::nullopt;
}

}  // namespace

std::string phraseKey(int index) {
  return "Phrase" + std::to_string(index + 1);
}

Settings loadSettings(const IniFile& ini, std::string_view section) {
  const Settings builtIn;
  Settings s;
  s.textsize = integerIn(ini, section, kTextsizeKey, builtIn.textsize, kMinTextsize, kMaxTextsize);
  s.top = integerIn(ini, section, kTopKey, builtIn.top, INT32_MIN, INT32_MAX);
  s.left = integerIn(ini, section, kLeftKey, builtIn.left, INT32_MIN, INT32_MAX);
  s.width = integerIn(ini, section, kWidthKey, builtIn.width, 1, kMaxWindowSide);
  s.height = integerIn(ini, section, kHeightKey, builtIn.height, 1, kMaxWindowSide);

  const std::string colour = ini.get(section, kTextcolorKey).value_or("clblack");
  s.textcolor = client::readColourText(colour).value_or(client::kBlack);

  // Absent counters read their default text; a present value that is not an integer gives
  // nothing, so the dialog keeps what it shows.
  s.playtoscore = readIntegerText(ini.get(section, kPlaytoscoreKey).value_or("30"));
  s.timeperturn = readIntegerText(ini.get(section, kTimeperturnKey).value_or("1"));

  const std::string botspeed = ini.get(section, kBotspeedKey).value_or("");
  s.botspeed = botspeed == "2000" ? 2000 : botspeed == "500" ? 500 : 1000;
  s.turnsound = ini.get(section, kTurnsoundKey) == "1" ? 1 : 0;

  // A phrase written by an 8-bit program reads as Windows-1252; it is sent and saved as UTF-8,
  // without control characters.
  for (int n = 0; n < kPhraseCount; ++n) {
    auto phrase = ini.get(section, phraseKey(n));
    if (phrase && !phrase->empty()) s.phrases[n] = protocol::cleanTextFromBytes(*phrase);
  }

  // Only the exact lower-case "false" turns an option off.
  s.playsounds = ini.get(section, kPlaysoundsKey) != "false";
  s.playerphrasesounds = ini.get(section, kPlayerphrasesoundsKey) != "false";

  if (const auto count = integerValue(ini, section, kComputerplayersKey);
      count && *count >= 0 && *count <= kMaxComputerPlayers) {
    s.computerplayers = count;
  }
  if (const auto level = ini.get(section, kComputerlevelKey)) {
    s.computerlevel = bot::parseLevel(*level);
  }
  if (const auto minutes = integerValue(ini, section, kKeepseatKey);
      minutes && *minutes >= 0 && *minutes <= kMaxKeepseat) {
    s.keepseat = minutes;
  }
  const int zoom =
      integerIn(ini, section, kZoomKey, builtIn.zoom, kZoomSteps.front(), kZoomSteps.back());
  if (std::find(kZoomSteps.begin(), kZoomSteps.end(), zoom) != kZoomSteps.end()) s.zoom = zoom;
  s.showdownload = ini.get(section, kShowdownloadKey) != "false";
  s.recordfolder = ini.get(section, kRecordfolderKey).value_or("");
  s.coveringtip = ini.get(section, kCoveringtipKey) == "true";
  s.zoomrestart = ini.get(section, kZoomrestartKey) == "true";
  return s;
}

bool saveSetting(IniFile& ini, std::string_view section, const Settings& settings,
                 std::string_view key) {
  if (key != kComputerplayersKey && key != kComputerlevelKey && key != kKeepseatKey &&
      key != kZoomKey && key != kShowdownloadKey && key != kRecordfolderKey &&
      std::find(kSaveOrder.begin(), kSaveOrder.end(), key) == kSaveOrder.end()) {
    return false;
  }
  if (const auto text = textFor(settings, key)) ini.set(section, key, *text);
  return true;
}

void saveSettings(IniFile& ini, std::string_view section, const Settings& settings) {
  for (std::string_view key : kSaveOrder) saveSetting(ini, section, settings, key);
  saveSetting(ini, section, settings, kComputerplayersKey);
  saveSetting(ini, section, settings, kComputerlevelKey);
  saveSetting(ini, section, settings, kKeepseatKey);
  saveSetting(ini, section, settings, kZoomKey);
  saveSetting(ini, section, settings, kShowdownloadKey);
  saveSetting(ini, section, settings, kRecordfolderKey);
}

void savePhrases(IniFile& ini, std::string_view section, const Phrases& phrases) {
  for (int n = 0; n < kPhraseCount; ++n) {
    if (phrases[n]) ini.set(section, phraseKey(n), *phrases[n]);
  }
}

}  // namespace korvel::app

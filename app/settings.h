#pragma once
// The game's options as its section of the settings file holds them, with the default and
// reading rule of every key. The values are plain data; the window applies them.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/ini_file.h"
#include "bot/level.h"
#include "client/colour_text.h"

namespace korvel::app {

inline constexpr std::string_view kSettingsSection = "Korvel";

inline constexpr std::string_view kTextsizeKey = "Textsize";
inline constexpr std::string_view kTopKey = "Top";
inline constexpr std::string_view kLeftKey = "Left";
inline constexpr std::string_view kWidthKey = "Width";
inline constexpr std::string_view kHeightKey = "Height";
inline constexpr std::string_view kTextcolorKey = "Textcolor";
inline constexpr std::string_view kPlaytoscoreKey = "Playtoscore";
inline constexpr std::string_view kTimeperturnKey = "Timeperturn";
inline constexpr std::string_view kBotspeedKey = "Botspeed";
inline constexpr std::string_view kTurnsoundKey = "Turnsound";
inline constexpr std::string_view kPlayerphrasesoundsKey = "Playerphrasesounds";
inline constexpr std::string_view kPlaysoundsKey = "Playsounds";
inline constexpr std::string_view kComputerplayersKey = "Computerplayers";
inline constexpr std::string_view kComputerlevelKey = "Computerlevel";
// Minutes a hosted game keeps the seat of a player whose connection dropped.
inline constexpr std::string_view kKeepseatKey = "Keepseat";
// The window's zoom in percent, and whether a solo start offers the lobby download.
inline constexpr std::string_view kZoomKey = "Zoom";
inline constexpr std::string_view kShowdownloadKey = "Showdownload";
// The folder the last game record was saved in; written once one was.
inline constexpr std::string_view kRecordfolderKey = "Recordfolder";
// Written on their own (saveSettings leaves them): "Coveringtip" is "true" once the first solo
// game's tip about laying tiles on letters was shown; "Zoomrestart" is "true" from a restart for
// a new zoom until the new copy has started, so that copy does not offer the lobby download again.
inline constexpr std::string_view kCoveringtipKey = "Coveringtip";
inline constexpr std::string_view kZoomrestartKey = "Zoomrestart";

// The keys saveSettings writes, in the order it writes them ("Computerplayers" and
// "Computerlevel" follow when set, then "Zoom", "Showdownload" and, once set, "Recordfolder").
inline constexpr std::array<std::string_view, 12> kSaveOrder{
    kTextsizeKey,           kTopKey,         kLeftKey,        kWidthKey,    kHeightKey,
    kTextcolorKey,          kPlaytoscoreKey, kTimeperturnKey, kBotspeedKey, kTurnsoundKey,
    kPlayerphrasesoundsKey, kPlaysoundsKey};

inline constexpr int kPhraseCount = 9;
// Phrase n + 1 at index n; nothing keeps the button's own phrase.
using Phrases = std::array<std::optional<std::string>, kPhraseCount>;
// "Phrase1" ... "Phrase9" for index 0 ... 8.
std::string phraseKey(int index);

// Text sizes outside this range read as the default: a font of many thousand points would
// stall or exhaust the chat view. The same goes for window sizes outside theirs.
inline constexpr int kMinTextsize = 1;
inline constexpr int kMaxTextsize = 100;
inline constexpr int kMaxWindowSide = 16384;
// The host takes one of the four player seats.
inline constexpr int kMaxComputerPlayers = 3;
inline constexpr int kMaxKeepseat = 10;

// The zoom steps of Options, "Zoom", in percent; any other value reads as 100.
inline constexpr std::array<int, 5> kZoomSteps{100, 125, 150, 175, 200};

struct Settings {
  int textsize = 8;
  int top = 3;
  int left = 3;
  int width = 775;
  int height = 585;
  client::Colour textcolor = client::kBlack;
  // Counters of the game start dialog; nothing leaves the dialog's own value.
  std::optional<int> playtoscore = 30;
  std::optional<int> timeperturn = 1;
  int botspeed = 1000;  // 2000 Slow, 1000 Normal, 500 Fast
  int turnsound = 0;    // 0 Classic, 1 New
  Phrases phrases;
  bool playsounds = true;
  bool playerphrasesounds = true;
  // Number of computer opponents; nothing lets the caller choose its default.
  std::optional<int> computerplayers;
  // Their level ("Easy", "Normal" or "Strong" in any letter case); nothing keeps the dialog's.
  std::optional<bot::Level> computerlevel;
  // "Keep a Dropped Seat:" in minutes, 0 to kMaxKeepseat; nothing keeps the dialog's.
  std::optional<int> keepseat;
  int zoom = 100;  // one of kZoomSteps
  bool showdownload = true;
  std::string recordfolder;  // "" until a game record is saved
  bool coveringtip = false;  // only the exact "true" reads as shown
  bool zoomrestart = false;  // only the exact "true" reads as set

  bool operator==(const Settings&) const = default;
};

// Every key with its default; an absent section gives Settings{}.
Settings loadSettings(const IniFile& ini, std::string_view section);

// Writes the keys of kSaveOrder (and "Computerplayers", "Computerlevel" and "Keepseat" when set,
// "Zoom" and "Showdownload"); not the phrases. A counter without a value leaves its key as it is.
void saveSettings(IniFile& ini, std::string_view section, const Settings& settings);

// Writes one key of kSaveOrder, "Computerplayers", "Computerlevel", "Keepseat", "Zoom",
// "Showdownload" or "Recordfolder", with the text saveSettings gives it; false for any other key.
bool saveSetting(IniFile& ini, std::string_view section, const Settings& settings,
                 std::string_view key);

// Writes "Phrase" + n for each phrase that has a value (an empty one too); the others stay.
void savePhrases(IniFile& ini, std::string_view section, const Phrases& phrases);

}  // namespace korvel::app

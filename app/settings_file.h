#pragma once
// The settings file on disk. Every save reads the file, changes its keys in the game's section and
// writes the whole text to a temporary file beside it that is then renamed over it, so a crash or
// a full disk never leaves a cut-off file and the lobby's sections survive every save. A file
// that exists but cannot be read is never written. Failed saves return false; the game does not
// report them.

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/ini_file.h"
#include "app/settings.h"

namespace korvel::app {

inline constexpr const char* kSettingsFileName = "quonlobby.ini";

// The program's own folder when it is writable, else the per-user config folder (created when
// missing). The caller passes both, since finding them is the platform's business.
std::filesystem::path chooseSettingsFolder(const std::filesystem::path& programDir,
                                           const std::filesystem::path& userConfigDir);

// The folder to hand to chooseSettingsFolder and chooseTallyFolder as the program's: programDir
// for a copy run where it was built or unpacked; empty for an installed copy, one whose install
// tree holds the desktop entry at desktopEntry (relative to programDir). An installed copy keeps
// its files in the per-user folders even where its own folder is writable (run as root, or
// installed into a prefix the user owns), so nothing is ever written into a bin folder.
std::filesystem::path portableProgramFolder(const std::filesystem::path& programDir,
                                            const std::filesystem::path& desktopEntry);

// Far above any settings file (a few kilobytes, the lobby's sections included).
inline constexpr std::size_t kSettingsReadLimit = 4u << 20;

// The file's bytes: "" when there is no file; nothing when it exists but cannot be read or is
// not a regular file of at most kSettingsReadLimit bytes (a FIFO, a device, a link to one, a
// huge file), which is then never written either.
std::optional<std::string> readFileBytes(const std::filesystem::path& file);

// Replaces the file's bytes through a temporary file in the same folder renamed over it. On
// failure the old file is untouched and no temporary file is left.
bool replaceFileBytes(const std::filesystem::path& file, std::string_view bytes);
// The same, the file then having exactly `mode` whatever it had before (a file of secrets: 0600).
bool replaceFileBytes(const std::filesystem::path& file, std::string_view bytes, unsigned mode);

// Reads the file, lets change edit it, and writes it back; false when reading or writing failed.
bool updateIniFile(const std::filesystem::path& file, const std::function<void(IniFile&)>& change);

// All defaults when the file is absent or unreadable.
Settings loadSettingsFile(const std::filesystem::path& file, std::string_view section);
bool saveSettingsFile(const std::filesystem::path& file, std::string_view section,
                      const Settings& settings);
bool saveKey(const std::filesystem::path& file, std::string_view section, std::string_view key,
             std::string_view value);
bool savePhrasesFile(const std::filesystem::path& file, std::string_view section,
                     const Phrases& phrases);

// The game's section as the main window uses it. Until load() has run the window holds built-in
// values, not the user's: then a change writes only the keys of the option that changed and a
// close writes nothing, so built-in values never overwrite saved ones.
class SettingsStore {
 public:
  explicit SettingsStore(std::filesystem::path file,
                         std::string section = std::string(kSettingsSection))
      : file_(std::move(file)), section_(std::move(section)) {}

  const std::filesystem::path& file() const { return file_; }
  bool loaded() const { return loaded_; }

  Settings load();

  // After the user changed an option stored under keys (an option saved by no key, like the
  // action colour, passes none): every key once loaded, else only those keys.
  bool saveAfterChange(const Settings& current, std::initializer_list<std::string_view> keys);
  // At window close, when the geometry moved: every key once loaded, else nothing.
  // Each save returns false only when a write failed.
  bool saveAtClose(const Settings& current);
  // The phrase editor's "Done": all nine texts once loaded; before, only the boxes whose text
  // differs from what they showed when the editor opened.
  bool savePhrases(const std::array<std::string, kPhraseCount>& edited,
                   const std::array<std::string, kPhraseCount>& shownAtOpen);

 private:
  std::filesystem::path file_;
  std::string section_;
  bool loaded_ = false;
};

}  // namespace korvel::app

#include "app/settings_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <exception>
#include <utility>

#include "records/regular_file.h"

namespace korvel::app {

namespace fs = std::filesystem;

fs::path chooseSettingsFolder(const fs::path& programDir, const fs::path& userConfigDir) {
  if (!programDir.empty() && ::access(programDir.c_str(), W_OK) == 0) return programDir;
  std::error_code ec;
  fs::create_directories(userConfigDir, ec);
  return userConfigDir;
}

fs::path portableProgramFolder(const fs::path& programDir, const fs::path& desktopEntry) {
  std::error_code ec;
  if (programDir.empty() || fs::is_regular_file(programDir / desktopEntry, ec)) return {};
  return programDir;
}

std::optional<std::string> readFileBytes(const fs::path& file) {
  records::FileRead read = records::readRegularFile(file, kSettingsReadLimit);
  if (read.status == records::FileReadStatus::Missing) return std::string();
  if (read.status != records::FileReadStatus::Read) return std::nullopt;
  return std::move(read.bytes);
}

bool replaceFileBytes(const fs::path& file, std::string_view bytes) {
  return replaceFileBytes(file, bytes, ~0u);
}

bool replaceFileBytes(const fs::path& file, std::string_view bytes, unsigned forcedMode) {
  std::error_code ec;
  fs::path target = file;
  // Write through a symbolic link rather than replacing it with a plain file.
  if (fs::is_symlink(file, ec)) {
    target = fs::weakly_canonical(file, ec);
    if (ec) return false;
  }
  fs::path folder = target.parent_path();
  if (folder.empty()) folder = ".";
  std::string temp = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) return false;

  struct stat old {};
  const mode_t mode = forcedMode != ~0u ? static_cast<mode_t>(forcedMode & 07777)
                      : ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)
                          ? old.st_mode & 07777
                          : 0644;
  // The mode first, so that the flush covers it too: the rename must not land before either.
  bool ok = ::fchmod(fd, mode) == 0 && records::writeAndSync(fd, bytes);
  ok = ::close(fd) == 0 && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  records::syncFolder(folder);  // the file is in place either way; this makes it last
  return true;
}

bool updateIniFile(const fs::path& file, const std::function<void(IniFile&)>& change) {
  try {
    const auto bytes = readFileBytes(file);
    if (!bytes) return false;  // writing now would lose whatever the file holds
    IniFile ini = IniFile::parse(*bytes);
    change(ini);
    const std::string text = ini.serialise();
    return text == *bytes || replaceFileBytes(file, text);
  } catch (const std::exception&) {
    return false;
  }
}

Settings loadSettingsFile(const fs::path& file, std::string_view section) {
  const auto bytes = readFileBytes(file);
  return loadSettings(IniFile::parse(bytes.value_or("")), section);
}

bool saveSettingsFile(const fs::path& file, std::string_view section, const Settings& settings) {
  return updateIniFile(file, [&](IniFile& ini) { saveSettings(ini, section, settings); });
}

bool saveKey(const fs::path& file, std::string_view section, std::string_view key,
             std::string_view value) {
  return updateIniFile(file, [&](IniFile& ini) { ini.set(section, key, value); });
}

bool savePhrasesFile(const fs::path& file, std::string_view section, const Phrases& phrases) {
  return updateIniFile(file, [&](IniFile& ini) { app::savePhrases(ini, section, phrases); });
}

Settings SettingsStore::load() {
  loaded_ = true;
  return loadSettingsFile(file_, section_);
}

bool SettingsStore::saveAfterChange(const Settings& current,
                                    std::initializer_list<std::string_view> keys) {
  if (loaded_) return saveSettingsFile(file_, section_, current);
  if (keys.size() == 0) return true;
  return updateIniFile(file_, [&](IniFile& ini) {
    for (std::string_view key : keys) saveSetting(ini, section_, current, key);
  });
}

bool SettingsStore::saveAtClose(const Settings& current) {
  return !loaded_ || saveSettingsFile(file_, section_, current);
}

bool SettingsStore::savePhrases(const std::array<std::string, kPhraseCount>& edited,
                                const std::array<std::string, kPhraseCount>& shownAtOpen) {
  Phrases changed;
  bool any = false;
  for (int n = 0; n < kPhraseCount; ++n) {
    if (loaded_ || edited[n] != shownAtOpen[n]) {
      changed[n] = edited[n];
      any = true;
    }
  }
  return !any || savePhrasesFile(file_, section_, changed);
}

}  // namespace korvel::app

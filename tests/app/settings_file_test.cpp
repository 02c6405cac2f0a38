#include "app/settings_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <string_view>

#include "dictionary/temp_dir.h"

namespace fs = std::filesystem;
using namespace korvel::app;

namespace {

const std::string kLobbyText =
    "\xEF\xBB\xBF[Quon77]\r\nName=Ann\r\n; kept\r\n\r\n[Korvel]\r\nTextsize=12\r\n"
    "Botspeed=2000\r\nPhrase1=Mine\r\n";

std::vector<fs::path> filesIn(const fs::path& dir) {
  std::vector<fs::path> names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// Makes writes past a few bytes fail in this process, the way a full disk does.
class FileSizeLimit {
 public:
  FileSizeLimit() {
    getrlimit(RLIMIT_FSIZE, &saved_);
    oldHandler_ = signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved_;
    small.rlim_cur = 16;
    setrlimit(RLIMIT_FSIZE, &small);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit saved_{};
  sighandler_t oldHandler_;
};

}  // namespace

TEST(SettingsFile, FolderIsTheProgramsWhenWritableElseTheUsersMadeOnDemand) {
  TempDir tmp;
  const fs::path user = tmp.path() / "config" / "Korvel";
  EXPECT_EQ(chooseSettingsFolder(tmp.path(), user), tmp.path());
  EXPECT_FALSE(fs::exists(user));
  EXPECT_EQ(chooseSettingsFolder(tmp.path() / "missing", user), user);
  EXPECT_TRUE(fs::is_directory(user));
}

TEST(SettingsFile, InstalledCopyKeepsItsFilesInTheUsersFolderEvenWhenItsFolderIsWritable) {
  const fs::path entry = "../share/applications/korvel.desktop";
  struct Case {
    const char* layout;
    const char* made;  // what exists at bin/<entry>
    bool installed;
  };
  const Case cases[] = {
      {"installed tree", "file", true},
      {"build or unpacked folder", "", false},
      {"a folder named like the entry", "folder", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    TempDir tmp;
    const fs::path bin = tmp.path() / "usr" / "bin";
    const fs::path user = tmp.path() / "home" / ".config" / "Korvel";
    fs::create_directories(bin);
    if (std::string_view(c.made) == "file") {
      fs::create_directories((bin / entry).parent_path());
      std::ofstream(bin / entry) << "[Desktop Entry]\n";
    } else if (std::string_view(c.made) == "folder") {
      fs::create_directories(bin / entry);
    }
    const fs::path program = portableProgramFolder(bin, entry);
    EXPECT_EQ(program, c.installed ? fs::path() : bin);
    EXPECT_EQ(chooseSettingsFolder(program, user), c.installed ? user : bin);
  }
}

TEST(SettingsFile, ReadsAbsentOrUnreadableFilesAsDefaults) {
  TempDir tmp;
  const fs::path file = tmp.path() / kSettingsFileName;
  EXPECT_EQ(readFileBytes(file), "");
  EXPECT_TRUE(loadSettingsFile(file, "Korvel") == Settings{});
  fs::create_directory(file);
  EXPECT_EQ(readFileBytes(file), std::nullopt);
  EXPECT_TRUE(loadSettingsFile(file, "Korvel") == Settings{});
  fs::remove(file);
  writeWholeFile(file, kLobbyText);
  EXPECT_EQ(loadSettingsFile(file, "Korvel").textsize, 12);
}

TEST(SettingsFile, SomethingOtherThanARegularFileIsNeitherReadNorWritten) {
  TempDir tmp;
  const fs::path file = tmp.path() / kSettingsFileName;
  const fs::path fifo = tmp.path() / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  writeWholeFile(tmp.path() / "huge", std::string(kSettingsReadLimit + 1, '\n'));
  for (const fs::path& target : {fifo, fs::path("/dev/zero"), tmp.path() / "huge"}) {
    fs::create_symlink(target, file);
    // Returns at once: a FIFO is not waited on, /dev/zero is not read for ever.
    EXPECT_EQ(readFileBytes(file), std::nullopt) << target;
    EXPECT_TRUE(loadSettingsFile(file, "Korvel") == Settings{}) << target;
    EXPECT_FALSE(saveKey(file, "Korvel", "Zoom", "150")) << target;
    EXPECT_TRUE(fs::is_symlink(file)) << target << ": left as it was";
    fs::remove(file);
  }
  EXPECT_EQ(fs::file_size(tmp.path() / "huge"), kSettingsReadLimit + 1);
}

TEST(SettingsFile, SaveReplacesTheFileByRenameKeepingOtherLines) {
  TempDir tmp;
  const fs::path file = tmp.path() / kSettingsFileName;
  const fs::path link = tmp.path() / "old";
  writeWholeFile(file, kLobbyText);
  fs::create_hard_link(file, link);

  ASSERT_TRUE(saveKey(file, "KORVEL", "Botspeed", "500"));
  // The old file was not written in place: its other name still holds the old bytes.
  EXPECT_EQ(readWholeFile(link), kLobbyText);
  std::string expected = kLobbyText;
  expected.replace(expected.find("2000"), 4, "500");
  EXPECT_EQ(readWholeFile(file), expected);
  EXPECT_EQ(filesIn(tmp.path()), (std::vector<fs::path>{"old", kSettingsFileName}));

  ASSERT_TRUE(saveSettingsFile(file, "Korvel", Settings{}));
  const std::string saved = readWholeFile(file);
  const std::size_t ours = kLobbyText.find("[Korvel]");
  EXPECT_EQ(saved.substr(0, ours), kLobbyText.substr(0, ours));
  EXPECT_NE(saved.find("[Korvel]\r\nTextsize=8\r\nBotspeed=1000\r\nPhrase1=Mine\r\nTop=3\r\n"),
            std::string::npos);
}

TEST(SettingsFile, AFailedSaveLeavesTheOldFileAndNoTemporaryFile) {
  struct Case {
    const char* what;
    std::function<fs::path(const fs::path& dir)> prepare;  // gives the file to save to
  } cases[] = {
      {"missing folder", [](const fs::path& dir) { return dir / "missing" / kSettingsFileName; }},
      {"file is a folder",
       [](const fs::path& dir) {
         fs::create_directory(dir / kSettingsFileName);
         return dir / kSettingsFileName;
       }},
      {"disk full",
       [](const fs::path& dir) {
         writeWholeFile(dir / kSettingsFileName, kLobbyText);
         return dir / kSettingsFileName;
       }},
  };
  for (const auto& c : cases) {
    TempDir tmp;
    const fs::path file = c.prepare(tmp.path());
    const auto before = filesIn(tmp.path());
    const bool isFile = fs::is_regular_file(file);
    {
      FileSizeLimit limit;
      EXPECT_FALSE(saveSettingsFile(file, "Korvel", Settings{})) << c.what;
      EXPECT_FALSE(saveKey(file, "Korvel", "Textsize", "10")) << c.what;
    }
    EXPECT_EQ(filesIn(tmp.path()), before) << c.what;
    if (isFile) {
      EXPECT_EQ(readWholeFile(file), kLobbyText) << c.what;
    }
  }
}

TEST(SettingsFile, BeforeLoadingOnlyTheChangedOptionIsWritten) {
  TempDir tmp;
  const fs::path file = tmp.path() / kSettingsFileName;
  writeWholeFile(file, kLobbyText);
  SettingsStore store(file);
  Settings current;  // built-in values, as the window holds them before loading
  current.width = 900;

  EXPECT_TRUE(store.saveAtClose(current));
  EXPECT_TRUE(store.saveAfterChange(current, {}));
  EXPECT_EQ(readWholeFile(file), kLobbyText);

  current.turnsound = 1;
  EXPECT_TRUE(store.saveAfterChange(current, {kTurnsoundKey}));
  const std::string withTurnsound = kLobbyText + "Turnsound=1\r\n";
  EXPECT_EQ(readWholeFile(file), withTurnsound);

  std::array<std::string, kPhraseCount> shown{"Built in", "Way To Go!"}, edited = shown;
  edited[1] = "Nice";
  EXPECT_TRUE(store.savePhrases(edited, shown));
  EXPECT_EQ(readWholeFile(file), withTurnsound + "Phrase2=Nice\r\n");

  const Settings loaded = store.load();
  EXPECT_TRUE(store.loaded());
  EXPECT_EQ(loaded.botspeed, 2000);
  EXPECT_EQ(loaded.phrases[0], "Mine");
  EXPECT_TRUE(store.saveAtClose(loaded));
  EXPECT_NE(readWholeFile(file).find("Top=3\r\nLeft=3\r\nWidth=775\r\n"), std::string::npos);
  EXPECT_TRUE(store.savePhrases(edited, edited));
  EXPECT_NE(readWholeFile(file).find("Phrase1=Built in\r\n"), std::string::npos);
}

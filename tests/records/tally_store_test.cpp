#include "records/tally_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "records/lzrw1.h"
#include "records/lzrw1_errors.h"
#include "test_files.h"

using namespace korvel::records;
using namespace korvel::records::testing;
namespace fs = std::filesystem;

namespace {

Bytes containerOfText(const std::string& text) {
  return compressToContainer(bytesOf(text), TCompressMode::Fast);
}

// Runs the test body with the working directory set to a scratch folder, so a stray working file
// such as "temp.txt" would show up there.
class TallyStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previous_ = fs::current_path();
    fs::current_path(cwd.path());
  }
  void TearDown() override { fs::current_path(previous_); }

  ScratchDir dir;
  ScratchDir cwd;
  fs::path file() const { return dir / kTallyFileName; }

 private:
  fs::path previous_;
};

}  // namespace

TEST_F(TallyStoreTest, SavesAFastContainerOfTheTextAndLoadsItBack) {
  TallyStore store(file());
  EXPECT_FALSE(store.load()) << "no file means an empty record without an error";
  store.follow("Ann");
  store.addgame("Ann", false, {"Ann"});
  ASSERT_TRUE(store.save());

  const Bytes saved = readFile(file());
  EXPECT_EQ(std::string(saved.begin(), saved.begin() + 4), "WRZL");
  EXPECT_EQ(decompressContainer(saved), bytesOf(store.record().grid().toText()));

  TallyStore again(file());
  EXPECT_FALSE(again.load());
  EXPECT_EQ(again.record().followed(), std::vector<std::string>{"Ann"});
  EXPECT_EQ(again.record().cell(2, 1), "1");
  EXPECT_EQ(again.record().cell(6, 1), "0") << "the current run starts from 0";
  EXPECT_TRUE(fs::is_empty(cwd.path())) << "no working file in the current directory";
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
      << "only the tally file stays beside it";
}

TEST_F(TallyStoreTest, EveryChangeIsOnDiskAtOnce) {
  TallyStore store(file());
  store.load();
  const struct {
    const char* what;
    void (*change)(TallyStore&);
    std::vector<std::string> followed;
    const char* ownGames;
  } steps[] = {
      {"follow", [](TallyStore& s) { s.follow("Ann"); }, {"Ann"}, "0"},
      {"counted game", [](TallyStore& s) { s.addgame("Me", true, {"Ann"}); }, {"Ann"}, "1"},
      {"drop", [](TallyStore& s) { s.drop(0); }, {}, "1"},
      {"reset", [](TallyStore& s) { s.reset(); }, {}, "0"},
  };
  for (const auto& step : steps) {
    step.change(store);
    TallyStore reader(file());
    EXPECT_FALSE(reader.load()) << step.what;
    EXPECT_EQ(reader.record().followed(), step.followed) << step.what;
    EXPECT_EQ(reader.record().cell(1, 0), step.ownGames) << step.what;
  }
}

TEST_F(TallyStoreTest, AFailedSaveLeavesThePreviousTally) {
  TallyStore store(file());
  store.load();
  store.follow("Ann");
  const Bytes before = readFile(file());
  // The new file cannot be created while a folder has its name.
  fs::create_directory(dir / (std::string(kTallyFileName) + ".new"));
  store.addgame("Me", true, {"Ann"});
  EXPECT_FALSE(store.save());
  EXPECT_EQ(readFile(file()), before);
}

TEST_F(TallyStoreTest, AnUnreadableFileIsKeptAsideAndReported) {
  const struct {
    const char* what;
    Bytes content;
    std::string message;
  } cases[] = {
      {"damaged container", bytesOf("garbage!"), lzrw1_messages::badHeader(file().string())},
      {"size mismatch", compressToContainer(bytesOf("9\r\n1\r\n"), TCompressMode::Fast),
       lzrw1_messages::lzrwSizeMismatch()},
      {"text that is not a tally", containerOfText("nine\r\n1\r\n"),
       "'nine' is not a valid integer value"},
      {"impossible row count", containerOfText("9\r\n0\r\n"),
       "The tally has an impossible size: 9 columns, 0 rows"},
  };
  int n = 0;
  for (auto c : cases) {
    if (std::string(c.what) == "size mismatch") c.content[4] = 99;
    // Each case's file is set aside beside the earlier ones, never over them.
    const fs::path aside =
        dir / (std::string(kTallyFileName) + (++n == 1 ? ".bad" : ".bad-" + std::to_string(n)));
    writeFile(file(), c.content);
    TallyStore store(file());
    EXPECT_EQ(store.load(), "The tally file could not be read (" + c.message +
                                "); it was set aside as " + aside.string() +
                                " and a new tally was started.")
        << c.what;
    EXPECT_FALSE(fs::exists(file())) << c.what;
    EXPECT_EQ(readFile(aside), c.content) << c.what;
    EXPECT_TRUE(store.record().followed().empty()) << c.what;

    store.follow("Ann");
    EXPECT_TRUE(fs::exists(file())) << c.what << ": a fresh tally is written";
    EXPECT_EQ(readFile(aside), c.content) << c.what;
    fs::remove(file());
  }
  EXPECT_EQ(readFile(dir / (std::string(kTallyFileName) + ".bad")), bytesOf("garbage!"));
}

TEST_F(TallyStoreTest, SomethingOtherThanARegularFileIsLeftAloneAndNeverReplaced) {
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  writeFile(dir / "huge", Bytes(kTallyReadLimit + 1, 0));
  const struct {
    const char* what;
    fs::path target;
    const char* problem;
  } cases[] = {
      {"link to a FIFO", dir / "fifo", "is not a regular file"},
      {"link to /dev/zero", "/dev/zero", "is not a regular file"},
      {"link to a huge file", dir / "huge", "is far too large to be one of ours"},
      {"folder", "", "is not a regular file"},
  };
  for (const auto& c : cases) {
    if (c.target.empty()) {
      fs::create_directory(file());
    } else {
      fs::create_symlink(c.target, file());
    }
    TallyStore store(file());
    const auto message = store.load();
    ASSERT_TRUE(message) << c.what;
    EXPECT_NE(message->find(c.problem), std::string::npos) << *message;
    EXPECT_NE(message->find("left alone"), std::string::npos) << *message;
    EXPECT_TRUE(store.record().followed().empty()) << c.what;
    EXPECT_FALSE(store.follow("Ann") && store.save()) << c.what;
    EXPECT_EQ(fs::symlink_status(file()).type(),
              c.target.empty() ? fs::file_type::directory : fs::file_type::symlink)
        << c.what << ": still there, not replaced";
    EXPECT_FALSE(fs::exists(dir / (std::string(kTallyFileName) + ".bad"))) << c.what;
    fs::remove(file());
  }
}

TEST_F(TallyStoreTest, ATextCutShortKeepsWhatWasRead) {
  writeFile(file(), containerOfText("9\r\n2\r\n0\r\nAnn\r\n4\r\n"));
  TallyStore store(file());
  EXPECT_FALSE(store.load());
  EXPECT_EQ(store.record().followed(), std::vector<std::string>{"Ann"});
  EXPECT_EQ(store.record().cell(1, 0), "4");
}

TEST_F(TallyStoreTest, TheFolderIsTheProgramFolderWhenWritable) {
  EXPECT_EQ(chooseTallyFolder(dir.path(), cwd / "user"), dir.path());
  EXPECT_FALSE(fs::exists(cwd / "user"));
  EXPECT_EQ(chooseTallyFolder(dir / "missing", cwd / "user" / "data"), cwd / "user" / "data");
  EXPECT_TRUE(fs::is_directory(cwd / "user" / "data"));
}

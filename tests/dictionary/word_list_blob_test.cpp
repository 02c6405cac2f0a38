#include "dictionary/word_list_blob.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <optional>

#include "dictionary/record_blob.h"
#include "dictionary/temp_dir.h"

namespace {

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

struct Shown {
  std::vector<std::string> texts;
  std::function<void(const std::string&)> notifier() {
    return [this](const std::string& t) { texts.push_back(t); };
  }
};

TEST(WordListBlob, EmbeddedBlobIsTheBuiltBlob) {
  const QByteArray embedded = korvel::embeddedTextDemo();
  const std::string built = readWholeFile(KORVEL_TEXT_DEMO_BLOB);
  ASSERT_EQ(static_cast<std::size_t>(embedded.size()), built.size());
  EXPECT_TRUE(embedded.toStdString() == built);
}

// `spellit` works from a fresh private directory under the runtime directory; a file "English"
// in the current directory is neither used nor deleted.
TEST(WordListBlob, SpellitKeepsItsWorkingFileInAPrivateDirectory) {
  TempDir runtime, cwd;
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
  const std::string planted = korvel::recordBlob({"zebra"});
  writeWholeFile(cwd.path() / "English", planted);
  const auto oldCwd = std::filesystem::current_path();
  std::filesystem::current_path(cwd.path());

  Shown shown;
  auto spellit = korvel::makeSpellit(shown.notifier());
  const std::filesystem::path file = spellit->filePath();
  EXPECT_TRUE(shown.texts.empty());
  EXPECT_TRUE(spellit->IsWord("cat"));
  EXPECT_TRUE(spellit->IsWord("ZYMURGY"));
  EXPECT_FALSE(spellit->IsWord("zebrax"));
  EXPECT_EQ(file.filename(), "English");
  EXPECT_EQ(file.parent_path().parent_path(), runtime.path());
  EXPECT_EQ(std::filesystem::status(file.parent_path()).permissions() &
                (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
            std::filesystem::perms::none);
  spellit.reset();

  std::filesystem::current_path(oldCwd);
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_EQ(readWholeFile(cwd.path() / "English"), planted);
}

TEST(WordListBlob, MissingBlobShowsTheMessageOnce) {
  TempDir runtime;
  ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().c_str());
  Shown shown;
  auto spellit = korvel::makeSpellit("", shown.notifier());
  EXPECT_FALSE(spellit->IsWord("cat"));
  EXPECT_EQ(shown.texts, std::vector<std::string>{"English.dic dictionary not found!"});
}

TEST(WordListBlob, WorkingDirectoriesGoToRuntimeDirectoryElseTemp) {
  TempDir runtime;
  struct Case {
    const char* value;
    QString base;
  } cases[] = {
      {runtime.path().c_str(), QString::fromStdString(runtime.path().string())},
      {nullptr, QDir::tempPath()},
      {"", QDir::tempPath()},
      {"/nonexistent/korvel-runtime", QDir::tempPath()},
  };
  for (const auto& c : cases) {
    ScopedEnv env("XDG_RUNTIME_DIR", c.value);
    EXPECT_EQ(korvel::workingDirectoryBase(), c.base) << (c.value ? c.value : "(unset)");
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

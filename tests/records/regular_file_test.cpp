#include "records/regular_file.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_files.h"

using namespace korvel::records;
using namespace korvel::records::testing;
namespace fs = std::filesystem;

TEST(RegularFile, ReadsOnlyRegularFilesUpToTheBound) {
  ScratchDir dir;
  constexpr std::size_t kLimit = 64;
  writeFile(dir / "small", bytesOf("[Korvel]\nzoom=150\n"));
  writeFile(dir / "at-limit", Bytes(kLimit, 'x'));
  writeFile(dir / "over-limit", Bytes(kLimit + 1, 'x'));
  writeFile(dir / "empty", {});
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  fs::create_symlink(dir / "fifo", dir / "link-to-fifo");
  fs::create_symlink("/dev/zero", dir / "link-to-zero");
  fs::create_symlink(dir / "small", dir / "link-to-small");
  fs::create_symlink(dir / "nowhere", dir / "dangling");
  fs::create_directory(dir / "folder");

  const struct {
    const char* name;
    FileReadStatus status;
    std::size_t size;
  } cases[] = {
      {"small", FileReadStatus::Read, 18},
      {"at-limit", FileReadStatus::Read, kLimit},
      {"over-limit", FileReadStatus::TooLarge, 0},
      {"empty", FileReadStatus::Read, 0},
      {"fifo", FileReadStatus::NotRegular, 0},
      {"link-to-fifo", FileReadStatus::NotRegular, 0},
      {"link-to-zero", FileReadStatus::NotRegular, 0},
      {"link-to-small", FileReadStatus::Read, 18},
      {"dangling", FileReadStatus::Missing, 0},
      {"missing", FileReadStatus::Missing, 0},
      {"folder", FileReadStatus::NotRegular, 0},
  };
  for (const auto& c : cases) {
    // A FIFO without a writer would block a plain open for ever; this returns at once.
    const FileRead read = readRegularFile(dir / c.name, kLimit);
    EXPECT_EQ(read.status, c.status) << c.name;
    EXPECT_EQ(read.bytes.size(), c.size) << c.name;
  }
  EXPECT_EQ(readRegularFile(dir / "small", kLimit).bytes, "[Korvel]\nzoom=150\n");
  EXPECT_EQ(readRegularFile("/dev/zero", kLimit).status, FileReadStatus::NotRegular);
  EXPECT_TRUE(fs::exists(dir / "fifo")) << "left alone";
}

// Root reads every file, so as root the read is made by a child that has become nobody; it
// tells the status through its exit code.
TEST(RegularFile, AnUnreadableFileIsAFailureNotAMissingOne) {
  ScratchDir dir;
  fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::others_exec);
  writeFile(dir / "locked", bytesOf("x"));
  fs::permissions(dir / "locked", fs::perms::none);
  if (::geteuid() != 0) {
    EXPECT_EQ(readRegularFile(dir / "locked", 64).status, FileReadStatus::Failed);
    return;
  }
  const passwd* nobody = ::getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 ||
        ::setresgid(nobody->pw_gid, nobody->pw_gid, nobody->pw_gid) != 0 ||
        ::setresuid(nobody->pw_uid, nobody->pw_uid, nobody->pw_uid) != 0)
      ::_exit(100);
    ::_exit(static_cast<int>(readRegularFile(dir / "locked", 64).status));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(FileReadStatus::Failed));
}

TEST(RegularFile, SetsADamagedFileAsideUnderTheFirstFreeNameNeverOverAnEarlierOne) {
  ScratchDir dir;
  const fs::path file = dir / "Korveltally.tld";
  for (int n = 1; n <= 4; ++n) {
    writeFile(file, bytesOf("damaged " + std::to_string(n)));
    if (n == 3) writeFile(dir / "Korveltally.tld.bad-4", bytesOf("someone else's"));
    const auto aside = setFileAside(file);
    ASSERT_TRUE(aside) << n;
    EXPECT_FALSE(fs::exists(file)) << n;
    const std::string expected[] = {"", ".bad", ".bad-2", ".bad-3", ".bad-5"};
    EXPECT_EQ(*aside, dir / ("Korveltally.tld" + expected[n])) << n;
    EXPECT_EQ(readFile(*aside), bytesOf("damaged " + std::to_string(n))) << n;
  }
  EXPECT_EQ(readFile(dir / "Korveltally.tld.bad"), bytesOf("damaged 1"));
  EXPECT_EQ(readFile(dir / "Korveltally.tld.bad-4"), bytesOf("someone else's"));
  EXPECT_FALSE(setFileAside(dir / "missing"));
}

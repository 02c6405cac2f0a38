// The hand-off socket's rules: which folder may hold it, how many connections it keeps and how
// long.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/handoff_limits.h"
#include "app/runtime_folder.h"
#include "dictionary/temp_dir.h"

using namespace korvel::app;
namespace fs = std::filesystem;

TEST(RuntimeFolder, OnlyARealFolderOfThisUsersOwnWithMode0700IsUsed) {
  using V = FolderVerdict;
  const struct {
    std::optional<FolderStatus> status;
    V verdict;
  } cases[] = {
      {FolderStatus{S_IFDIR | 0700, 7}, V::Usable},
      {std::nullopt, V::Missing},
      {FolderStatus{S_IFLNK | 0777, 7}, V::SymbolicLink},
      {FolderStatus{S_IFREG | 0700, 7}, V::NotAFolder},
      {FolderStatus{S_IFDIR | 0700, 0}, V::OtherOwner},
      {FolderStatus{S_IFDIR | 0701, 7}, V::OpenToOthers},
      {FolderStatus{S_IFDIR | 01700, 7}, V::OpenToOthers},
      {FolderStatus{S_IFDIR | 0500, 7}, V::OpenToOthers},
  };
  for (const auto& c : cases) EXPECT_EQ(judgePrivateFolder(c.status, 7), c.verdict);
}

TEST(RuntimeFolder, MadePrivateWithoutXdgRuntimeDirAndAnUnsafeOneIsRefused) {
  TempDir tmp;
  const std::string temp = tmp.path().string();
  const uid_t me = ::getuid();
  const std::string mine = temp + "/korvel-" + std::to_string(me);
  EXPECT_EQ(runtimeFolder("/run/user/7", temp, me).path, "/run/user/7");
  EXPECT_FALSE(fs::exists(mine)) << "with XDG_RUNTIME_DIR nothing is made";

  const mode_t old = ::umask(0);
  EXPECT_EQ(runtimeFolder("", temp, me).path, mine);
  ::umask(old);
  EXPECT_EQ(fs::status(mine).permissions(), fs::perms::owner_all);
  EXPECT_EQ(runtimeFolder(nullptr, temp, me).problem, "");

  // Each unsafe kind is refused, and a new folder of this process's own is used instead.
  const auto refusedWith = [&](const std::string& problem) {
    const RuntimeFolder folder = runtimeFolder(nullptr, temp, me);
    EXPECT_EQ(folder.problem, mine + problem);
    EXPECT_TRUE(folder.path.starts_with(mine + "-")) << folder.path;
    EXPECT_EQ(fs::symlink_status(folder.path).permissions(), fs::perms::owner_all);
  };
  fs::permissions(mine, fs::perms::all);
  refusedWith(" is open to other users (its mode is not 0700)");
  fs::remove(mine);
  fs::create_directory_symlink(temp, mine);
  refusedWith(" is a symbolic link");
  fs::remove(mine);
  std::ofstream(mine) << "x";
  refusedWith(" is not a folder");
  // Nowhere to make anything: no folder at all, never a shared one.
  EXPECT_EQ(runtimeFolder(nullptr, temp + "/missing/deeper", me).path, "");
}

TEST(HandoffLimits, AtMostSixteenConnectionsEachClosedAfterTwoQuietSeconds) {
  HandoffLimits limits;
  std::vector<int> peers;
  for (int i = 0; i < 16; ++i) peers.push_back(limits.admit(1000 + i * 100).value_or(-1));
  EXPECT_EQ(limits.admit(2600), std::nullopt) << "the seventeenth is closed as it comes";
  limits.finished(peers[5]);  // one that finishes makes room for one more
  const int late = limits.admit(2700).value_or(-1);
  EXPECT_EQ(limits.admit(2700), std::nullopt);
  EXPECT_EQ(limits.overdue(2999), std::vector<int>{});
  EXPECT_EQ(limits.overdue(3000), std::vector<int>{peers[0]});
  EXPECT_EQ(limits.overdue(3250), (std::vector<int>{peers[1], peers[2]}));
  EXPECT_EQ(limits.overdue(4600).size(), 12u);
  EXPECT_EQ(limits.overdue(4700), std::vector<int>{late});
  EXPECT_EQ(limits.open(), 0u);
}

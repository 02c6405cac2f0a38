// The rules of the hand-off socket: which folder may hold it, how many connections it keeps and
// for how long, and when a new copy may take its name.
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
  const uid_t me = 1000;
  struct Case {
    std::optional<FolderStatus> status;
    FolderVerdict verdict;
  } cases[] = {
      {FolderStatus{S_IFDIR | 0700, me}, FolderVerdict::Usable},
      {std::nullopt, FolderVerdict::Missing},
      {FolderStatus{S_IFLNK | 0777, me}, FolderVerdict::SymbolicLink},
      {FolderStatus{S_IFREG | 0700, me}, FolderVerdict::NotAFolder},
      {FolderStatus{S_IFSOCK | 0700, me}, FolderVerdict::NotAFolder},
      {FolderStatus{S_IFDIR | 0700, 0}, FolderVerdict::OtherOwner},
      {FolderStatus{S_IFDIR | 0700, 1001}, FolderVerdict::OtherOwner},
      {FolderStatus{S_IFDIR | 0755, me}, FolderVerdict::OpenToOthers},
      {FolderStatus{S_IFDIR | 0701, me}, FolderVerdict::OpenToOthers},
      {FolderStatus{S_IFDIR | 0770, me}, FolderVerdict::OpenToOthers},
      {FolderStatus{S_IFDIR | 01700, me}, FolderVerdict::OpenToOthers},
      {FolderStatus{S_IFDIR | 02700, me}, FolderVerdict::OpenToOthers},
      {FolderStatus{S_IFDIR | 0500, me}, FolderVerdict::OpenToOthers},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(judgePrivateFolder(c.status, me), c.verdict)
        << std::oct << (c.status ? c.status->mode : 0);
  }
  EXPECT_EQ(folderProblemText(FolderVerdict::OtherOwner, "/tmp/korvel-1000"),
            "/tmp/korvel-1000 is owned by another user");
  EXPECT_EQ(folderProblemText(FolderVerdict::Usable, "/tmp/korvel-1000"), "");
  EXPECT_EQ(privateFolderPath("/tmp", 1000), "/tmp/korvel-1000");
  EXPECT_EQ(privateFolderPath("/var/tmp/", 7), "/var/tmp/korvel-7");
  EXPECT_EQ(privateFolderPath("", 7), "/tmp/korvel-7");
}

TEST(RuntimeFolder, MadePrivateWithoutXdgRuntimeDirAndAnUnsafeOneIsRefused) {
  TempDir tmp;
  const std::string temp = tmp.path().string();
  const uid_t me = ::getuid();
  const std::string mine = privateFolderPath(temp, me);

  EXPECT_EQ(runtimeFolder("/run/user/1000", temp, me).path, "/run/user/1000");
  EXPECT_FALSE(fs::exists(mine)) << "with XDG_RUNTIME_DIR nothing is made";

  // Made on first use, 0700 whatever the umask, and the same folder again later.
  const mode_t old = ::umask(0);
  const RuntimeFolder made = runtimeFolder(nullptr, temp, me);
  ::umask(old);
  EXPECT_EQ(made.path, mine);
  EXPECT_EQ(made.problem, "");
  struct stat info {};
  ASSERT_EQ(::lstat(mine.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0700u);
  EXPECT_EQ(runtimeFolder("", temp, me).path, mine);

  // Opened to others (as a folder another user made for us would be), a symbolic link to a
  // folder of our own, a file: each is refused and a new private folder is used instead.
  const auto refusedWith = [&](const std::string& problem) {
    const RuntimeFolder folder = runtimeFolder(nullptr, temp, me);
    EXPECT_EQ(folder.problem, problem);
    ASSERT_TRUE(folder.path.starts_with(mine + "-")) << folder.path;
    struct stat fallback {};
    ASSERT_EQ(::lstat(folder.path.c_str(), &fallback), 0);
    EXPECT_TRUE(S_ISDIR(fallback.st_mode));
    EXPECT_EQ(fallback.st_mode & 07777, 0700u);
    EXPECT_EQ(fallback.st_uid, me);
  };
  ::chmod(mine.c_str(), 0777);
  refusedWith(mine + " is open to other users (its mode is not 0700)");
  fs::remove(mine);
  fs::create_directory(temp + "/elsewhere");
  ::chmod((temp + "/elsewhere").c_str(), 0700);
  fs::create_directory_symlink(temp + "/elsewhere", mine);
  refusedWith(mine + " is a symbolic link");
  fs::remove(mine);
  { std::ofstream(mine) << "x"; }
  refusedWith(mine + " is not a folder");

  // Nowhere to make anything: no folder at all, never a shared one.
  const RuntimeFolder none = runtimeFolder(nullptr, temp + "/missing/deeper", me);
  EXPECT_EQ(none.path, "");
  EXPECT_NE(none.problem, "");
}

TEST(HandoffLimits, AtMostSixteenConnectionsEachClosedAfterTwoQuietSeconds) {
  HandoffLimits limits;
  std::vector<int> peers;
  for (std::size_t i = 0; i < kMaxHandoffPeers; ++i) {
    const auto peer = limits.admit(1000 + std::int64_t(i) * 100);
    ASSERT_TRUE(peer);
    peers.push_back(*peer);
  }
  EXPECT_EQ(limits.admit(2600), std::nullopt) << "the seventeenth is closed as it comes";
  EXPECT_EQ(limits.open(), kMaxHandoffPeers);
  // One that finishes makes room for one more.
  limits.finished(peers[5]);
  const auto late = limits.admit(2700);
  ASSERT_TRUE(late);
  EXPECT_EQ(limits.admit(2700), std::nullopt);

  struct Step {
    std::int64_t at;
    std::vector<int> overdue;
  } steps[] = {
      {2999, {}},
      {3000, {peers[0]}},  // two seconds after 1000
      {3000, {}},          // told once
      {3250, {peers[1], peers[2]}},
      {4600,
       {peers[3], peers[4], peers[6], peers[7], peers[8], peers[9], peers[10], peers[11], peers[12],
        peers[13], peers[14], peers[15]}},
      {4699, {}},
      {4700, {*late}},
  };
  for (const Step& s : steps) EXPECT_EQ(limits.overdue(s.at), s.overdue) << s.at;
  EXPECT_EQ(limits.open(), 0u);
  limits.finished(*late);  // already gone: nothing happens
  EXPECT_TRUE(limits.admit(5000));
}

TEST(HandoffLimits, OnlyASocketNobodyListensOnIsTakenOver) {
  const struct {
    HandoffConnectFailure failure;
    bool takeOver;
  } cases[] = {
      {HandoffConnectFailure::NoSocket, true},  {HandoffConnectFailure::Refused, true},
      {HandoffConnectFailure::NoAnswer, false}, {HandoffConnectFailure::NoResources, false},
      {HandoffConnectFailure::Other, false},
  };
  for (const auto& c : cases) EXPECT_EQ(mayTakeOverSocket(c.failure), c.takeOver);
}

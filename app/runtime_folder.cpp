#include "app/runtime_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace korvel::app {

namespace {

std::optional<FolderStatus> lstatus(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return std::nullopt;
  return FolderStatus{info.st_mode, info.st_uid};
}

}  // namespace

FolderVerdict judgePrivateFolder(const std::optional<FolderStatus>& status, uid_t uid) {
  if (!status) return FolderVerdict::Missing;
  if (S_ISLNK(status->mode)) return FolderVerdict::SymbolicLink;
  if (!S_ISDIR(status->mode)) return FolderVerdict::NotAFolder;
  if (status->owner != uid) return FolderVerdict::OtherOwner;
  // Set-group-id or sticky bits are as much a sign of another's making as read or write bits.
  if ((status->mode & 07777) != 0700) return FolderVerdict::OpenToOthers;
  return FolderVerdict::Usable;
}

std::string folderProblemText(FolderVerdict verdict, const std::string& path) {
  switch (verdict) {
    case FolderVerdict::Usable:
      return {};
    case FolderVerdict::Missing:
      return path + " could not be made";
    case FolderVerdict::NotAFolder:
      return path + " is not a folder";
    case FolderVerdict::SymbolicLink:
      return path + " is a symbolic link";
    case FolderVerdict::OtherOwner:
      return path + " is owned by another user";
    case FolderVerdict::OpenToOthers:
      return path + " is open to other users (its mode is not 0700)";
  }
  return {};
}

std::string privateFolderPath(const std::string& tempDir, uid_t uid) {
  std::string base = tempDir.empty() ? "/tmp" : tempDir;
  if (base.size() > 1 && base.back() == '/') base.pop_back();
  return base + "/korvel-" + std::to_string(uid);
}

RuntimeFolder runtimeFolder(const char* xdgRuntimeDir, const std::string& tempDir, uid_t uid) {
  if (xdgRuntimeDir != nullptr && *xdgRuntimeDir != '\0') return {xdgRuntimeDir, {}};
  const std::string path = privateFolderPath(tempDir, uid);
  // mkdir never follows a symbolic link at the name and fails on anything already there; what is
  // there is judged as it is, not as it would be after following a link.
  (void)::mkdir(path.c_str(), 0700);  // a failure (EEXIST or another) is judged below
  const FolderVerdict verdict = judgePrivateFolder(lstatus(path), uid);
  if (verdict == FolderVerdict::Usable) return {path, {}};
  RuntimeFolder fallback;
  fallback.problem = folderProblemText(verdict, path);
  std::string name = path + "-XXXXXX";
  std::vector<char> buffer(name.begin(), name.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) != nullptr) fallback.path = buffer.data();
  return fallback;
}

}  // namespace korvel::app

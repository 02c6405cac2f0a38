#pragma once
// The folder that holds the single-instance guard's socket (which also carries invitation links
// from a second copy) and the running marker. $XDG_RUNTIME_DIR is the user's own; without it the
// folder is one of the user's own in the temporary folder, "korvel-UID", made with mode 0700.
// The shared temporary folder itself would let another user bind the socket's name first: every
// start would then end at once, and that user would read the links. A folder by that name that
// is not plainly this user's (another owner, open to others, a symbolic link, not a folder) is
// refused, and the program falls back to a new private folder of this process's own.

#include <sys/types.h>

#include <optional>
#include <string>

namespace korvel::app {

// What lstat(2) tells of a path; nothing when there is no such path.
struct FolderStatus {
  mode_t mode = 0;  // st_mode: file type and permission bits
  uid_t owner = 0;
};

enum class FolderVerdict { Usable, Missing, NotAFolder, SymbolicLink, OtherOwner, OpenToOthers };

// Whether the folder that lstat described may hold this user's socket: a real folder (not a
// symbolic link to one), owned by uid, with mode 0700 exactly.
FolderVerdict judgePrivateFolder(const std::optional<FolderStatus>& status, uid_t uid);

// The log's words for a refused folder: "/tmp/korvel-1000 is owned by another user".
std::string folderProblemText(FolderVerdict verdict, const std::string& path);

// "TEMP/korvel-UID".
std::string privateFolderPath(const std::string& tempDir, uid_t uid);

struct RuntimeFolder {
  std::string path;
  // Why the usual folder was refused (for the log); empty when it is used.
  std::string problem;
};

// $XDG_RUNTIME_DIR when set (xdgRuntimeDir not null nor empty). Else TEMP/korvel-UID, made with
// mode 0700 when missing and then checked with lstat; when it is refused, a new folder
// TEMP/korvel-UID-XXXXXX of this process's own (mkdtemp, so also 0700 and this user's), which
// another copy does not find: the copies then run side by side rather than share a folder that
// is not safe. Empty path only when not even that can be made.
RuntimeFolder runtimeFolder(const char* xdgRuntimeDir, const std::string& tempDir, uid_t uid);

}  // namespace korvel::app

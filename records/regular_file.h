#pragma once
// Reading the program's own files (settings, tally) when something else may stand in their place:
// a FIFO or a link to one (whose open would block until a writer came), a device such as
// /dev/zero (which never ends), a directory, or a file far larger than the program ever writes.
// Only a regular file is read, opened without blocking and read up to a size bound; anything else
// is reported as such and left alone. A damaged file is set aside under a name not yet taken.
// Writing them: the bytes reach the disk before the file is renamed into place, and the rename
// before the writer reports success, so a power cut leaves the old file or the new, never an
// empty one.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvel::records {

enum class FileReadStatus {
  Read,        // bytes holds the whole file
  Missing,     // no file of that name (or a link pointing nowhere)
  NotRegular,  // a FIFO, device, socket or directory (directly or through links)
  TooLarge,    // a regular file of more than the bound
  Failed,      // it exists but could not be opened or read (permissions, I/O error)
};

struct FileRead {
  FileReadStatus status = FileReadStatus::Missing;
  std::string bytes;
};

// Reads the whole file when it is a regular file of at most maxBytes. Never blocks on a FIFO and
// never reads more than maxBytes + 1 bytes, whatever the file claims.
FileRead readRegularFile(const std::filesystem::path& file, std::size_t maxBytes);

// Words for a status other than Read, as they follow "The FILE file " in a message: "is not a
// regular file", ...
std::string fileReadProblem(FileReadStatus status);

// How a file takes a new name without replacing one already there: renameat2 with
// RENAME_NOREPLACE, or a hard link and the removal of the old name, which is also the fallback
// where the file system refuses the first (tests choose Link to run that way).
enum class NoReplace { Rename, Link };
enum class Renamed {
  Yes,     // `to` is the file now; `from` is gone
  Taken,   // `to` exists; nothing changed
  Failed,  // any other error; nothing changed
};
// Gives the file `from` the name `to` unless that name exists. `how` turns to Link where the file
// system cannot rename without replacing, so that later calls go straight to the link.
Renamed renameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to,
                        NoReplace& how);

// Moves the file to the first free name of file + ".bad", ".bad-2", ".bad-3", ... in the same
// folder, never over an existing file; the name it took, or nothing when it could not be moved.
std::optional<std::filesystem::path> setFileAside(const std::filesystem::path& file);

// Writes all of `bytes` to the open file (short writes and interruptions retried) and flushes
// them to the disk; false when a write or the flush failed. Call before renaming into place.
bool writeAndSync(int fd, std::string_view bytes);
// Flushes the folder's entries to the disk, so that a rename into it outlasts a power cut; false
// when the folder could not be opened or flushed.
bool syncFolder(const std::filesystem::path& folder);

}  // namespace korvel::records

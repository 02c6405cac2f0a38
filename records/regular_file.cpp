#include "records/regular_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

namespace korvel::records {

namespace fs = std::filesystem;

FileRead readRegularFile(const fs::path& file, std::size_t maxBytes) {
  FileRead result;
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
  const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    result.status = errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::Failed;
    // A FIFO without O_NONBLOCK support or a socket ends up here too.
    if (errno == ENXIO || errno == EOPNOTSUPP) result.status = FileReadStatus::NotRegular;
    return result;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    result.status = FileReadStatus::Failed;
    return result;
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    result.status = FileReadStatus::NotRegular;
    return result;
  }
  if (st.st_size < 0 || static_cast<std::uintmax_t>(st.st_size) > maxBytes) {
    ::close(fd);
    result.status = FileReadStatus::TooLarge;
    return result;
  }
  // The size can change while reading (another writer): read at most one byte over the bound,
  // which tells a grown file from one that is exactly at it.
  result.bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
  std::size_t have = 0;
  result.status = FileReadStatus::Read;
  for (;;) {
    if (have == result.bytes.size()) {
      if (have > maxBytes) {
        result.status = FileReadStatus::TooLarge;
        break;
      }
      result.bytes.resize(std::min(maxBytes + 1, have * 2 + 4096));
    }
    const ssize_t n = ::read(fd, result.bytes.data() + have, result.bytes.size() - have);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result.status = FileReadStatus::Failed;
      break;
    }
    if (n == 0) break;
    have += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (have > maxBytes) result.status = FileReadStatus::TooLarge;
  if (result.status == FileReadStatus::Read) {
    result.bytes.resize(have);
  } else {
    result.bytes.clear();
    result.bytes.shrink_to_fit();
  }
  return result;
}

std::string fileReadProblem(FileReadStatus status) {
  switch (status) {
    case FileReadStatus::Read:
      return "was read";
    case FileReadStatus::Missing:
      return "does not exist";
    case FileReadStatus::NotRegular:
      return "is not a regular file";
    case FileReadStatus::TooLarge:
      return "is far too large to be one of ours";
    case FileReadStatus::Failed:
      return "could not be opened or read";
  }
  return "could not be read";
}

Renamed renameNoReplace(const fs::path& from, const fs::path& to, NoReplace& how) {
  if (how == NoReplace::Rename) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
      return Renamed::Yes;
    if (errno == EEXIST) return Renamed::Taken;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP && errno != EOPNOTSUPP)
      return Renamed::Failed;
    how = NoReplace::Link;  // this file system cannot; a link never replaces either
  }
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return Renamed::Yes;
  }
  return errno == EEXIST ? Renamed::Taken : Renamed::Failed;
}

std::optional<fs::path> setFileAside(const fs::path& file) {
  NoReplace how = NoReplace::Rename;
  for (int n = 1; n <= 1000; ++n) {
    fs::path aside = file;
    aside += n == 1 ? std::string(".bad") : ".bad-" + std::to_string(n);
    const Renamed renamed = renameNoReplace(file, aside, how);
    if (renamed == Renamed::Yes) return aside;
    if (renamed == Renamed::Failed) return std::nullopt;
  }
  return std::nullopt;
}

bool writeAndSync(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return ::fsync(fd) == 0;
}

bool syncFolder(const fs::path& folder) {
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return false;
  const bool ok = ::fsync(dir) == 0;
  ::close(dir);
  return ok;
}

}  // namespace korvel::records

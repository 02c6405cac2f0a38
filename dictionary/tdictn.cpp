#include "dictionary/tdictn.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

namespace korvel {

namespace {

// A query is taken as a short text: longer input is cut to this many bytes.
constexpr std::size_t kMaxQuery = 255;

char upperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Zero bytes become spaces, then leading and trailing spaces are removed.
std::string trimmed(std::string_view text) {
  std::string s(text);
  std::replace(s.begin(), s.end(), '\0', ' ');
  const std::size_t first = s.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  const std::size_t last = s.find_last_not_of(' ');
  return s.substr(first, last - first + 1);
}

// Pads a trimmed text with spaces to the comparison width (a longer text is not cut) and
// upper-cases ASCII letters; every other byte stays as it is.
std::string padUpper(std::string s) {
  if (s.size() < TDictn::kCompareWidth) s.resize(TDictn::kCompareWidth, ' ');
  for (char& c : s) c = upperAscii(c);
  return s;
}

// A record's compared form: the word field and one more space, normalised and cut to the
// comparison width. For a well-formed record this is the word padded with spaces to 15.
std::string recordText(const char* record) {
  std::string field(record + 1, TDictn::kRecordSize - 1);
  field += ' ';
  std::string text = padUpper(trimmed(field));
  if (text.size() > TDictn::kCompareWidth) text.resize(TDictn::kCompareWidth);
  return text;
}

// Writes the blob as a new file, readable only by this user. A partly written file is removed
// so that it is never taken for the list.
void writeNewFile(const std::filesystem::path& path, std::string_view bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0)
    throw std::system_error(errno, std::generic_category(), "cannot create " + path.string());
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : EIO;
      ::close(fd);
      ::unlink(path.c_str());
      throw std::system_error(err, std::generic_category(), "cannot write " + path.string());
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(path.c_str());
    throw std::system_error(err, std::generic_category(), "cannot write " + path.string());
  }
}

}  // namespace

TDictn::TDictn(std::string_view blob, std::filesystem::path workDir, Notifier notify) {
  // With no working directory there is nowhere to put the file: never fall back to the current
  // directory, where a stranger's file "English" would be taken for the list and then deleted.
  if (!workDir.empty()) {
    filePath_ = std::move(workDir) / kFileName;
    std::error_code ec;
    if (!std::filesystem::exists(filePath_, ec) && !blob.empty()) writeNewFile(filePath_, blob);
    fd_ = ::open(filePath_.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd_ >= 0 && (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))) {
      ::close(fd_);
      fd_ = -1;
    }
    if (fd_ >= 0) lastIndex_ = static_cast<std::int64_t>(st.st_size) / kRecordSize - 1;
  }
  if (fd_ < 0 && notify) notify(kNotFoundMessage);
}

TDictn::~TDictn() {
  if (fd_ >= 0) ::close(fd_);
  // unlink, not remove: a directory that happens to be called "English" is left alone.
  if (!filePath_.empty()) ::unlink(filePath_.c_str());
}

bool TDictn::readRecord(std::int64_t index, char* record) {
  ++probes_;
  const off_t offset = static_cast<off_t>(index) * kRecordSize;
  std::size_t got = 0;
  while (got < static_cast<std::size_t>(kRecordSize)) {
    const ssize_t n = ::pread(fd_, record + got, kRecordSize - got, offset + got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got == static_cast<std::size_t>(kRecordSize);
}

bool TDictn::IsWord(std::string_view word) {
  if (word.size() > kMaxQuery) word = word.substr(0, kMaxQuery);
  if (fd_ < 0) return false;
  std::string key = trimmed(word);
  if (key.empty()) return false;
  // A key longer than 15 characters (16 or more letters) never equals a record's 15-character
  // form, and a 15-letter key lacks the trailing space every record carries; the search below
  // still runs and ends with false.
  key = padUpper(std::move(key));
  std::int64_t low = 0;
  std::int64_t high = lastIndex_;
  char record[kRecordSize];
  while (low <= high) {
    const std::int64_t middle = low + (high - low) / 2;
    if (!readRecord(middle, record)) return false;
    const std::string text = recordText(record);
    if (text == key) return true;
    if (text < key) {
      low = middle + 1;
    } else {
      high = middle - 1;
    }
  }
  return false;
}

void numbertoletter(int code, std::string& target) {
  if (code >= 1 && code <= 26) target = std::string(1, static_cast<char>('a' + code - 1));
}

}  // namespace korvel

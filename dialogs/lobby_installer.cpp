#include "dialogs/lobby_installer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "app/web_address.h"

namespace korvel::dialogs {

namespace fs = std::filesystem;

std::string installerUrl(const char* variable) {
  if (variable != nullptr && *variable != '\0') return variable;
  return kInstallerUrl;
}

namespace {

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// The part after "scheme://" up to the path, query or fragment.
std::string_view authority(std::string_view url) {
  const auto scheme = url.find("://");
  if (scheme == std::string_view::npos) return {};
  const std::string_view rest = url.substr(scheme + 3);
  return rest.substr(0, rest.find_first_of("/?#"));
}

}  // namespace

bool installerUrlAllowed(std::string_view url) {
  if (!app::isWebAddress(url)) return false;
  const std::string scheme = lower(url.substr(0, url.find("://")));
  if (scheme == "https") return true;
  // Plain HTTP only to this machine.
  std::string_view host = authority(url);
  if (host.find('@') != std::string_view::npos) return false;
  host = host.substr(0, host.find(':'));
  return host == "127.0.0.1";
}

std::optional<std::string> installerFileName(std::string_view url) {
  const auto scheme = url.find("://");
  if (scheme == std::string_view::npos) return std::nullopt;
  std::string_view path = url.substr(scheme + 3);
  path = path.substr(0, path.find_first_of("?#"));
  const auto slash = path.find('/');
  if (slash == std::string_view::npos) return std::nullopt;  // no path: the host is no file name
  const std::string_view name = path.substr(path.rfind('/') + 1);
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  if (std::any_of(name.begin(), name.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
    return std::nullopt;
  return std::string(name);
}

PartialFile::~PartialFile() {
  discard();
}

bool PartialFile::open(const fs::path& folder, const std::string& name) {
  discard();
  target_ = folder / name;
  std::string pattern = (folder / ("." + name + ".XXXXXX")).string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  fd_ = ::mkstemp(buffer.data());
  if (fd_ < 0) return false;
  temporary_ = buffer.data();
  size_ = 0;
  return true;
}

bool PartialFile::write(const char* data, std::size_t size) {
  if (fd_ < 0) return false;
  while (size > 0) {
    const ssize_t n = ::write(fd_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
    size_ += static_cast<std::uint64_t>(n);
  }
  return true;
}

bool PartialFile::commit() {
  if (fd_ < 0) return false;
  // The rename must not land before the data, and the installer is started right after.
  bool ok = ::fsync(fd_) == 0;
  ok = ::fchmod(fd_, 0755) == 0 && ok;
  ok = ::close(fd_) == 0 && ok;
  fd_ = -1;
  if (ok) ok = std::rename(temporary_.c_str(), target_.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary_.c_str());
  }
  temporary_.clear();
  return ok;
}

void PartialFile::discard() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    temporary_.clear();
  }
}

}  // namespace korvel::dialogs

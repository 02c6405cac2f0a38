#pragma once
// The lobby program and its installer: where the installer comes from, the name it is saved
// under, and the file it is written to while it downloads.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace korvel::dialogs {

// A program that is fetched and then run must not come over plain HTTP, where anyone on the path
// could replace it: the installer comes over HTTPS, with the certificate checked.
inline constexpr const char* kInstallerUrl = "https://www.quon77.com/download/Quon77LobbySetup.exe";
// Replaces kInstallerUrl when set (a local test server, or a packager's mirror).
inline constexpr const char* kInstallerUrlVariable = "KORVEL_LOBBY_INSTALLER_URL";
inline constexpr const char* kInstallerParameters = "/SP- /silent /noicons";
inline constexpr const char* kLobbyPath = "/opt/Quon77/Quon77Lobby";

// The installer's address: `variable` (the environment variable's value, or nullptr) when it is
// set and not empty, else kInstallerUrl.
std::string installerUrl(const char* variable);

// Whether the address may be fetched: "https://" with a host, or plain "http://" to 127.0.0.1 only
// (a server on this machine).
bool installerUrlAllowed(std::string_view url);

// The file name the installer is saved under: the last segment of the address's path, without
// query or fragment. nullopt when that is empty, "." or "..", or holds a control character, so
// that a crafted address cannot write outside the destination folder.
std::optional<std::string> installerFileName(std::string_view url);

// The installer being downloaded: a temporary file in the destination folder that replaces the
// installer's name only when commit() is called after a complete transfer. Anything else (a
// failure, a stop, destruction) deletes the temporary file and leaves an earlier installer as it
// was.
class PartialFile {
 public:
  PartialFile() = default;
  ~PartialFile();
  PartialFile(const PartialFile&) = delete;
  PartialFile& operator=(const PartialFile&) = delete;

  // Creates the temporary file beside folder/name; false when it cannot be created.
  bool open(const std::filesystem::path& folder, const std::string& name);
  bool write(const char* data, std::size_t size);
  std::uint64_t size() const { return size_; }
  // Writes the file to disk, makes it executable and renames it over folder/name; false (the
  // temporary file then deleted) when any step fails.
  bool commit();
  void discard();

  const std::filesystem::path& target() const { return target_; }
  const std::filesystem::path& temporary() const { return temporary_; }

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::filesystem::path target_;
  std::filesystem::path temporary_;
};

}  // namespace korvel::dialogs

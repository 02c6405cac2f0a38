// Which addresses are opened or fetched, and the name an installer is saved under.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/web_address.h"
#include "dialogs/lobby_installer.h"

namespace {

using korvel::dialogs::installerFileName;
using korvel::dialogs::installerUrlAllowed;

TEST(WebAddress, OnlyHttpAndHttpsAddressesWithAHostAreOpened) {
  const std::pair<const char*, bool> cases[] = {
      {"https://www.quon77.com/", true},
      {"http://example.org", true},
      {"HTTPS://Example.org/a?b#c", true},
      {"http://user@host/", true},
      {"", false},
      {"www.example.org", false},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"ftp://example.org/", false},
      {"mailto:a@example.org", false},
      {"http://", false},
      {"https:///path", false},
      {"http://:80/", false},
      {"http://user@/", false},
      {"http://exa mple.org/", false},
      {"http://example.org/\n", false},
      {" http://example.org/", false},
  };
  for (const auto& [address, expected] : cases) {
    EXPECT_EQ(korvel::app::isWebAddress(address), expected) << address;
  }
}

TEST(LobbyInstaller, InstallersComeOverHttpsOrFromThisMachine) {
  const std::pair<const char*, bool> cases[] = {
      {korvel::dialogs::kInstallerUrl, true},
      {"https://mirror.example.net/Setup.exe", true},
      {"http://127.0.0.1:8080/Setup.exe", true},
      {"http://127.0.0.1/Setup.exe", true},
      {"http://www.quon77.com/Setup.exe", false},
      {"http://localhost/Setup.exe", false},
      {"http://127.0.0.1.example.com/Setup.exe", false},
      {"http://127.0.0.1@evil.example/Setup.exe", false},
      {"ftp://127.0.0.1/Setup.exe", false},
      {"file:///tmp/Setup.exe", false},
  };
  for (const auto& [url, expected] : cases) EXPECT_EQ(installerUrlAllowed(url), expected) << url;
  EXPECT_EQ(korvel::dialogs::installerUrl(nullptr), korvel::dialogs::kInstallerUrl);
  EXPECT_EQ(korvel::dialogs::installerUrl(""), korvel::dialogs::kInstallerUrl);
  EXPECT_EQ(korvel::dialogs::installerUrl("http://127.0.0.1:1/x.exe"), "http://127.0.0.1:1/x.exe");
}

TEST(LobbyInstaller, TheFileNameIsTheLastPathSegmentAndNeverLeavesTheFolder) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"https://h/download/Quon77LobbySetup.exe", "Quon77LobbySetup.exe"},
      {"https://h/a/b/Setup.exe?version=2&x=/y", "Setup.exe"},
      {"https://h/Setup.exe#part/two", "Setup.exe"},
      {"https://h/Setup.exe?a#b", "Setup.exe"},
      {"https://h/%2e%2e", "%2e%2e"},  // not decoded, so only ever a name in the folder
      {"https://h/..", std::nullopt},
      {"https://h/a/.", std::nullopt},
      {"https://h/a/", std::nullopt},
      {"https://h/", std::nullopt},
      {"https://h", std::nullopt},
      {"https://h?x=/Setup.exe", std::nullopt},
      {"https://h/../?x=y", std::nullopt},
      {"https://h/a\tb", std::nullopt},
      {"Setup.exe", std::nullopt},
  };
  for (const auto& [url, expected] : cases) EXPECT_EQ(installerFileName(url), expected) << url;
}

}  // namespace

#include "app/recent_hosts.h"

#include <algorithm>
#include <cctype>

#include "app/host_address.h"
#include "protocol/text_encoding.h"

namespace korvel::app {

namespace {

bool sameNoCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

}  // namespace

std::vector<std::string> readRecentHosts(std::string_view stored, int defaultPort) {
  std::vector<std::string> hosts;
  std::size_t at = 0;
  while (at < stored.size() && hosts.size() < kMaxRecentHosts) {
    std::size_t end = stored.find(' ', at);
    if (end == std::string_view::npos) end = stored.size();
    const std::string entry(stored.substr(at, end - at));
    at = end + 1;
    if (entry.empty() || looksLikeInvitationLink(entry)) continue;
    if (!readHostAddress(entry, defaultPort).address) continue;
    const bool repeat = std::any_of(hosts.begin(), hosts.end(),
                                    [&](const std::string& h) { return sameNoCase(h, entry); });
    if (!repeat) hosts.push_back(entry);
  }
  return hosts;
}

std::string recentHostsText(const std::vector<std::string>& hosts) {
  std::string text;
  for (const std::string& host : hosts) {
    if (!text.empty()) text += ' ';
    text += host;
  }
  return text;
}

void addRecentHost(std::vector<std::string>& hosts, const std::string& entry) {
  std::erase_if(hosts, [&](const std::string& h) { return sameNoCase(h, entry); });
  hosts.insert(hosts.begin(), entry);
  if (hosts.size() > kMaxRecentHosts) hosts.resize(kMaxRecentHosts);
}

std::string recentHostsAfterJoin(std::string_view stored, std::string_view host, int port,
                                 int defaultPort) {
  std::vector<std::string> hosts = readRecentHosts(stored, defaultPort);
  const std::string entry = addressText({std::string(host), port}, defaultPort);
  // What the field could not read back is not offered (a host given on a command line).
  if (!readHostAddress(entry, defaultPort).address) return recentHostsText(hosts);
  addRecentHost(hosts, entry);
  return recentHostsText(hosts);
}

PlaySettings loadPlaySettings(const IniFile& ini, std::string_view section, int defaultPort) {
  PlaySettings s;
  // A name written by an 8-bit program reads as Windows-1252, like the phrases.
  if (const auto name = ini.get(section, kPlayernameKey))
    s.playername = protocol::textFromBytes(*name);
  s.recentHosts = readRecentHosts(ini.get(section, kRecenthostsKey).value_or(""), defaultPort);
  s.notifyOnMyTurn = ini.get(section, kNotifyonmyturnKey) != "false";
  s.openRouterPort = ini.get(section, kOpenrouterportKey) == "true";
  return s;
}

}  // namespace korvel::app

#pragma once
// What the Play with Others window keeps in the game's section of the settings file: the
// player's name, the hosts joined lately, whether a turn that starts in the background is
// announced, and whether hosting opens the port on the router.

#include <string>
#include <string_view>
#include <vector>

#include "app/ini_file.h"

namespace korvel::app {

inline constexpr std::string_view kPlayernameKey = "Playername";
// The addresses as the field shows them, newest first, separated by single spaces.
inline constexpr std::string_view kRecenthostsKey = "Recenthosts";
inline constexpr std::string_view kNotifyonmyturnKey = "Notifyonmyturn";
// Whether hosting asks the router to forward the game port ("true"; off unless set).
inline constexpr std::string_view kOpenrouterportKey = "Openrouterport";
inline constexpr std::size_t kMaxRecentHosts = 10;

// The list as stored: entries that do not read as an address (see readHostAddress) and repeats
// are dropped, at most kMaxRecentHosts are kept.
std::vector<std::string> readRecentHosts(std::string_view stored, int defaultPort);
std::string recentHostsText(const std::vector<std::string>& hosts);
// entry goes first; an equal one further down (names compared without letter case) goes, and
// the list is cut to kMaxRecentHosts.
void addRecentHost(std::vector<std::string>& hosts, const std::string& entry);

// The stored list (as readRecentHosts reads it) once a join reached a host that answered the
// login: the joined address goes first, as the field shows it (its port left out when it is
// defaultPort). Addresses nobody hosts at or that cannot be reached never get this far, so they
// are never kept.
std::string recentHostsAfterJoin(std::string_view stored, std::string_view host, int port,
                                 int defaultPort);

struct PlaySettings {
  std::string playername;  // empty: none saved yet
  std::vector<std::string> recentHosts;
  bool notifyOnMyTurn = true;
  bool openRouterPort = false;
};

PlaySettings loadPlaySettings(const IniFile& ini, std::string_view section, int defaultPort);

}  // namespace korvel::app

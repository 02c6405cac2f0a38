#pragma once
// Finds the games published on the network: a service browser for `_korvel._tcp` in the default
// domain and a resolver for each sighting, whose answers (also later changes of the TXT record)
// feed a korvel::net::GameList. Without a daemon the browser says so through available() and
// finds games once the daemon appears.

#include <QObject>
#include <vector>

#include "net/game_list.h"

class AvahiConnection;
struct AvahiServiceBrowser;
struct AvahiServiceResolver;

class GameBrowser : public QObject {
  Q_OBJECT
 public:
  explicit GameBrowser(QObject* parent = nullptr);
  ~GameBrowser() override;

  const korvel::net::GameList& list() const { return list_; }
  // False while avahi-daemon cannot be reached.
  bool available() const { return available_; }

  // Resolvers running at once; sightings beyond these are not resolved.
  static constexpr std::size_t kMaxResolvers = korvel::net::GameList::kMaxGames * 2;

 signals:
  // The list's rows changed.
  void changed();
  // available() changed.
  void availabilityChanged(bool available);

 private:
  friend struct GameBrowserCallbacks;
  struct Resolver {
    korvel::net::ServiceKey key;
    AvahiServiceResolver* resolver;
  };
  void daemonReady();
  void daemonLost(bool clientGone);
  void serviceEvent(int interfaceIndex, int protocol, int event, const char* name, const char* type,
                    const char* domain);
  void resolverEvent(AvahiServiceResolver* resolver, int interfaceIndex, int event,
                     const char* address, int port, const std::vector<std::string>& txt);
  void dropResolver(const korvel::net::ServiceKey& key);
  void setAvailable(bool available);

  AvahiConnection* connection_;
  AvahiServiceBrowser* browser_ = nullptr;
  std::vector<Resolver> resolvers_;
  korvel::net::GameList list_;
  bool available_ = true;
};

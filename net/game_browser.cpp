// Browsing and resolving `_korvel._tcp`; every answer goes through the core list's rules.
#include "net/game_browser.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <net/if.h>

#include <algorithm>
#include <string>

#include "net/avahi_connection.h"

struct GameBrowserCallbacks {
  static void browse(AvahiServiceBrowser*, AvahiIfIndex interfaceIndex, AvahiProtocol protocol,
                     AvahiBrowserEvent event, const char* name, const char* type,
                     const char* domain, AvahiLookupResultFlags, void* userdata) {
    static_cast<GameBrowser*>(userdata)->serviceEvent(interfaceIndex, protocol, event, name, type,
                                                      domain);
  }

  static void resolve(AvahiServiceResolver* resolver, AvahiIfIndex interfaceIndex, AvahiProtocol,
                      AvahiResolverEvent event, const char*, const char*, const char*, const char*,
                      const AvahiAddress* address, uint16_t port, AvahiStringList* txt,
                      AvahiLookupResultFlags, void* userdata) {
    std::string text;
    std::vector<std::string> items;
    if (event == AVAHI_RESOLVER_FOUND && address) {
      char buffer[AVAHI_ADDRESS_STR_MAX];
      avahi_address_snprint(buffer, sizeof buffer, address);
      text = buffer;
      // A link-local IPv6 address is only usable with its interface.
      if (address->proto == AVAHI_PROTO_INET6 && text.rfind("fe80:", 0) == 0) {
        char interfaceName[IF_NAMESIZE] = {};
        if (if_indextoname(static_cast<unsigned>(interfaceIndex), interfaceName))
          text += std::string("%") + interfaceName;
      }
      std::size_t count = 0;
      for (AvahiStringList* item = txt; item; item = avahi_string_list_get_next(item)) {
        // Far more items than a record of ours holds: the list's rules refuse it; the rest is
        // not copied.
        if (++count > korvel::net::kMaxTxtItems + 1) break;
        items.emplace_back(reinterpret_cast<const char*>(avahi_string_list_get_text(item)),
                           avahi_string_list_get_size(item));
      }
    }
    static_cast<GameBrowser*>(userdata)->resolverEvent(resolver, interfaceIndex, event,
                                                       text.c_str(), port, items);
  }
};

GameBrowser::GameBrowser(QObject* parent)
    : QObject(parent), connection_(new AvahiConnection(this)) {
  connect(connection_, &AvahiConnection::ready, this, &GameBrowser::daemonReady);
  connect(connection_, &AvahiConnection::lost, this, &GameBrowser::daemonLost);
}

GameBrowser::~GameBrowser() {
  for (const Resolver& r : resolvers_) avahi_service_resolver_free(r.resolver);
  if (browser_) avahi_service_browser_free(browser_);
}

void GameBrowser::daemonReady() {
  setAvailable(true);
  if (browser_) return;
  browser_ = avahi_service_browser_new(connection_->client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                       korvel::net::kServiceType, nullptr, AvahiLookupFlags(0),
                                       GameBrowserCallbacks::browse, this);
}

void GameBrowser::daemonLost(bool clientGone) {
  if (!clientGone) return;  // the daemon renames its host; browsing goes on
  // Browser and resolvers were freed with the client.
  browser_ = nullptr;
  resolvers_.clear();
  if (list_.clear()) emit changed();
  setAvailable(false);
}

void GameBrowser::serviceEvent(int interfaceIndex, int protocol, int event, const char* name,
                               const char* type, const char* domain) {
  switch (static_cast<AvahiBrowserEvent>(event)) {
    case AVAHI_BROWSER_NEW: {
      korvel::net::ServiceKey key{interfaceIndex, protocol, name, domain};
      const bool known = std::any_of(resolvers_.begin(), resolvers_.end(),
                                     [&](const Resolver& r) { return r.key == key; });
      if (known || resolvers_.size() >= kMaxResolvers) return;
      AvahiServiceResolver* resolver = avahi_service_resolver_new(
          connection_->client(), interfaceIndex, protocol, name, type, domain, AVAHI_PROTO_UNSPEC,
          AvahiLookupFlags(0), GameBrowserCallbacks::resolve, this);
      if (resolver) resolvers_.push_back({std::move(key), resolver});
      break;
    }
    case AVAHI_BROWSER_REMOVE: {
      korvel::net::ServiceKey key{interfaceIndex, protocol, name, domain};
      dropResolver(key);
      if (list_.removed(key)) emit changed();
      break;
    }
    case AVAHI_BROWSER_FAILURE:
    case AVAHI_BROWSER_CACHE_EXHAUSTED:
    case AVAHI_BROWSER_ALL_FOR_NOW:
      break;
  }
}

void GameBrowser::resolverEvent(AvahiServiceResolver* resolver, int, int event, const char* address,
                                int port, const std::vector<std::string>& txt) {
  const auto it = std::find_if(resolvers_.begin(), resolvers_.end(),
                               [&](const Resolver& r) { return r.resolver == resolver; });
  if (it == resolvers_.end()) return;
  const korvel::net::ServiceKey key = it->key;
  // The resolver stays: it reports the record again whenever the host updates it.
  const bool changedRows =
      event == AVAHI_RESOLVER_FOUND ? list_.resolved(key, address, port, txt) : list_.removed(key);
  if (changedRows) emit changed();
}

void GameBrowser::dropResolver(const korvel::net::ServiceKey& key) {
  const auto it = std::find_if(resolvers_.begin(), resolvers_.end(),
                               [&](const Resolver& r) { return r.key == key; });
  if (it == resolvers_.end()) return;
  avahi_service_resolver_free(it->resolver);
  resolvers_.erase(it);
}

void GameBrowser::setAvailable(bool available) {
  if (available == available_) return;
  available_ = available;
  emit availabilityChanged(available);
}

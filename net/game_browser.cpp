// Browsing and resolving `_korvel._tcp` on the Avahi thread; every answer goes through the core
// list's rules, every resolver through the core plan's budget.
#include "net/game_browser.h"

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-common/address.h>
#include <net/if.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>

#include "net/avahi_connection.h"
#include "net/avahi_thread.h"
#include "net/resolve_plan.h"

using korvel::net::FoundGame;
using korvel::net::ServiceKey;

// Lives on the Avahi thread from its first call on.
class BrowseWorker : public QObject {
  Q_OBJECT
 public:
  ~BrowseWorker() override;
  void start();

 signals:
  void rows(const std::vector<korvel::net::FoundGame>& games);
  void availability(bool available);

 private:
  friend struct GameBrowserCallbacks;
  struct Resolver {
    ServiceKey key;
    AvahiServiceResolver* resolver;
  };
  static std::int64_t nowMs();
  void daemonReady();
  void daemonLost(bool clientGone);
  void serviceEvent(int interfaceIndex, int protocol, int event, const char* name,
                    const char* domain, bool local);
  void resolverEvent(AvahiServiceResolver* resolver, int interfaceIndex, int event,
                     const char* address, int port, const std::vector<std::string>& txt,
                     bool local);
  // Starts and stops resolvers as the plan says, and sets the timer for its next turn.
  void schedule();
  void freeResolver(const ServiceKey& key);
  void rowsChanged();

  AvahiConnection* connection_ = nullptr;
  AvahiServiceBrowser* browser_ = nullptr;
  std::vector<Resolver> resolvers_;
  korvel::net::GameList list_;
  korvel::net::ResolvePlan plan_;
  QTimer* due_ = nullptr;
  bool rowsQueued_ = false;
};

namespace {

// Whether the interface is a loopback one: only this machine speaks there.
bool loopbackInterface(int index) {
  char name[IF_NAMESIZE] = {};
  if (index <= 0 || !if_indextoname(static_cast<unsigned>(index), name)) return false;
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  ifreq request{};
  std::memcpy(request.ifr_name, name, sizeof request.ifr_name - 1);
  const bool loopback =
      ioctl(fd, SIOCGIFFLAGS, &request) == 0 && (request.ifr_flags & IFF_LOOPBACK);
  close(fd);
  return loopback;
}

}  // namespace

struct GameBrowserCallbacks {
  static void browse(AvahiServiceBrowser*, AvahiIfIndex interfaceIndex, AvahiProtocol protocol,
                     AvahiBrowserEvent event, const char* name, const char*, const char* domain,
                     AvahiLookupResultFlags flags, void* userdata) {
    static_cast<BrowseWorker*>(userdata)->serviceEvent(interfaceIndex, protocol, event, name,
                                                       domain, flags & AVAHI_LOOKUP_RESULT_LOCAL);
  }

  static void resolve(AvahiServiceResolver* resolver, AvahiIfIndex interfaceIndex, AvahiProtocol,
                      AvahiResolverEvent event, const char*, const char*, const char*, const char*,
                      const AvahiAddress* address, uint16_t port, AvahiStringList* txt,
                      AvahiLookupResultFlags flags, void* userdata) {
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
    static_cast<BrowseWorker*>(userdata)->resolverEvent(
        resolver, interfaceIndex, event, text.c_str(), port, items,
        (flags & (AVAHI_LOOKUP_RESULT_LOCAL | AVAHI_LOOKUP_RESULT_OUR_OWN)) != 0);
  }
};

BrowseWorker::~BrowseWorker() {
  for (const Resolver& r : resolvers_) avahi_service_resolver_free(r.resolver);
  if (browser_) avahi_service_browser_free(browser_);
  // The connection, a child, frees the client after this.
}

std::int64_t BrowseWorker::nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void BrowseWorker::start() {
  due_ = new QTimer(this);
  due_->setSingleShot(true);
  connect(due_, &QTimer::timeout, this, &BrowseWorker::schedule);
  connection_ = new AvahiConnection(this);
  connect(connection_, &AvahiConnection::ready, this, &BrowseWorker::daemonReady);
  connect(connection_, &AvahiConnection::lost, this, &BrowseWorker::daemonLost);
}

void BrowseWorker::daemonReady() {
  emit availability(true);
  if (browser_) {
    // Back from renaming its host: the lookups that waited meanwhile go ahead.
    schedule();
    return;
  }
  browser_ = avahi_service_browser_new(connection_->client(), AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC,
                                       korvel::net::kServiceType, nullptr, AvahiLookupFlags(0),
                                       GameBrowserCallbacks::browse, this);
}

void BrowseWorker::daemonLost(bool clientGone) {
  if (!clientGone) return;  // the daemon renames its host; browsing goes on
  // Browser and resolvers were freed with the client.
  browser_ = nullptr;
  resolvers_.clear();
  plan_.clear();
  due_->stop();
  if (list_.clear()) rowsChanged();
  emit availability(false);
}

void BrowseWorker::serviceEvent(int interfaceIndex, int protocol, int event, const char* name,
                                const char* domain, bool local) {
  const auto what = static_cast<AvahiBrowserEvent>(event);
  // Only these two name a service (the others come without one).
  if (what != AVAHI_BROWSER_NEW && what != AVAHI_BROWSER_REMOVE) return;
  if (!name || !domain) return;
  const ServiceKey key{interfaceIndex, protocol, name, domain};
  if (what == AVAHI_BROWSER_NEW) {
    if (!plan_.seen(key, nowMs(), local)) return;
  } else {
    if (plan_.gone(key)) freeResolver(key);
    if (list_.removed(key)) rowsChanged();
  }
  schedule();
}

void BrowseWorker::resolverEvent(AvahiServiceResolver* resolver, int interfaceIndex, int event,
                                 const char* address, int port, const std::vector<std::string>& txt,
                                 bool local) {
  const auto it = std::find_if(resolvers_.begin(), resolvers_.end(),
                               [&](const Resolver& r) { return r.resolver == resolver; });
  if (it == resolvers_.end()) return;
  const ServiceKey key = it->key;
  bool changedRows;
  if (event == AVAHI_RESOLVER_FOUND) {
    const bool fromThisMachine = local || plan_.local(key) || loopbackInterface(interfaceIndex);
    changedRows = list_.resolved(key, address, port, txt, fromThisMachine);
    // A listed sighting keeps its resolver, which reports the host's record updates; any other
    // is freed and tried again later.
    if (plan_.answered(key, list_.holds(key), nowMs())) freeResolver(key);
  } else {
    changedRows = list_.removed(key);
    plan_.failed(key, nowMs());
    freeResolver(key);
  }
  if (changedRows) rowsChanged();
  schedule();
}

void BrowseWorker::schedule() {
  AvahiClient* client = connection_->client();
  if (!client) return;
  const std::int64_t now = nowMs();
  const auto work = plan_.due(now);
  for (const ServiceKey& key : work.stop) {
    freeResolver(key);
    if (list_.removed(key)) rowsChanged();
  }
  for (const ServiceKey& key : work.start) {
    AvahiServiceResolver* resolver = avahi_service_resolver_new(
        client, key.interfaceIndex, key.protocol, key.name.c_str(), korvel::net::kServiceType,
        key.domain.c_str(), AVAHI_PROTO_UNSPEC, AvahiLookupFlags(0), GameBrowserCallbacks::resolve,
        this);
    if (resolver) {
      resolvers_.push_back({key, resolver});
    } else {
      plan_.failed(key, now);
    }
  }
  if (const auto next = plan_.nextDueMs(now)) {
    due_->start(static_cast<int>(std::clamp<std::int64_t>(*next - now, 0, 3600000)));
  } else {
    due_->stop();
  }
}

void BrowseWorker::freeResolver(const ServiceKey& key) {
  const auto it = std::find_if(resolvers_.begin(), resolvers_.end(),
                               [&](const Resolver& r) { return r.key == key; });
  if (it == resolvers_.end()) return;
  avahi_service_resolver_free(it->resolver);
  resolvers_.erase(it);
}

void BrowseWorker::rowsChanged() {
  // A burst of changes within one turn of the loop reaches the window once.
  if (rowsQueued_) return;
  rowsQueued_ = true;
  QTimer::singleShot(0, this, [this] {
    rowsQueued_ = false;
    emit rows(list_.games());
  });
}

GameBrowser::GameBrowser(QObject* parent) : QObject(parent) {
  auto* worker = new BrowseWorker;
  connect(worker, &BrowseWorker::rows, this, [this](const std::vector<FoundGame>& games) {
    if (games == games_) return;
    games_ = games;
    emit changed();
  });
  connect(worker, &BrowseWorker::availability, this, [this](bool available) {
    deadline_.stop();
    setAvailable(available);
  });
  // A bus that does not answer is told like a missing daemon, and the answer shows when it comes.
  deadline_.setSingleShot(true);
  connect(&deadline_, &QTimer::timeout, this, [this] { setAvailable(false); });
  deadline_.start(kAnswerDeadlineMs);
  thread_ = std::make_unique<AvahiThread>("avahi browse", worker);
  thread_->post([worker] { worker->start(); });
}

GameBrowser::~GameBrowser() = default;

void GameBrowser::setAvailable(bool available) {
  if (available == available_) return;
  available_ = available;
  if (!available && !games_.empty()) {
    games_.clear();
    emit changed();
  }
  emit availabilityChanged(available);
}

#include "game_browser.moc"

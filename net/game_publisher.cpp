// The hosted game's entry group, on the Avahi thread: added when the daemon runs, its TXT record
// updated in place, renamed on collision, reset when withdrawn.
#include "net/game_publisher.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>

#include <QString>

#include "net/avahi_connection.h"
#include "net/avahi_thread.h"

// Lives on the Avahi thread from its first call on.
class PublishWorker : public QObject {
  Q_OBJECT
 public:
  ~PublishWorker() override;
  void start();
  void publish(int port, const korvel::net::GameAnnouncement& game);
  void withdraw();

 signals:
  // The service is registered under `name`, or (empty) no longer.
  void established(const QString& name);

 private:
  friend struct GamePublisherCallbacks;
  void groupState(AvahiEntryGroup* group, int state);
  void daemonReady();
  void daemonLost(bool clientGone);
  // Makes the entry group hold the current announcement: adds the service, or updates its TXT
  // record when only that changed.
  void apply();
  void resetGroup();
  void rename();
  void setEstablished(bool established);

  AvahiConnection* connection_ = nullptr;
  AvahiEntryGroup* group_ = nullptr;
  std::string name_;
  int port_ = 0;
  std::optional<korvel::net::GameAnnouncement> wanted_;
  // What the group holds, when it holds anything.
  int groupPort_ = 0;
  std::optional<korvel::net::GameAnnouncement> inGroup_;
  bool established_ = false;
};

namespace {

AvahiStringList* txtList(const korvel::net::GameAnnouncement& game) {
  AvahiStringList* list = nullptr;
  const auto items = korvel::net::encodeTxt(game);
  // avahi_string_list_add prepends; adding in reverse keeps the record's order.
  for (auto it = items.rbegin(); it != items.rend(); ++it)
    list = avahi_string_list_add(list, it->c_str());
  return list;
}

}  // namespace

struct GamePublisherCallbacks {
  static void group(AvahiEntryGroup* group, AvahiEntryGroupState state, void* userdata) {
    static_cast<PublishWorker*>(userdata)->groupState(group, state);
  }
};

PublishWorker::~PublishWorker() {
  // Freeing the group takes the service off the network before the client goes.
  if (group_) avahi_entry_group_free(group_);
}

void PublishWorker::start() {
  connection_ = new AvahiConnection(this);
  connect(connection_, &AvahiConnection::ready, this, &PublishWorker::daemonReady);
  connect(connection_, &AvahiConnection::lost, this, &PublishWorker::daemonLost);
}

void PublishWorker::publish(int port, const korvel::net::GameAnnouncement& game) {
  if (name_.empty()) name_ = korvel::net::serviceNameFor(game.host);
  port_ = port;
  wanted_ = game;
  apply();
}

void PublishWorker::withdraw() {
  wanted_.reset();
  resetGroup();
}

void PublishWorker::daemonReady() {
  apply();
}

void PublishWorker::daemonLost(bool clientGone) {
  if (clientGone) {
    group_ = nullptr;  // freed with its client
  } else if (group_) {
    avahi_entry_group_reset(group_);
  }
  inGroup_.reset();
  setEstablished(false);
}

void PublishWorker::resetGroup() {
  if (group_) avahi_entry_group_reset(group_);
  inGroup_.reset();
  setEstablished(false);
}

void PublishWorker::setEstablished(bool established) {
  if (established == established_ && !established) return;
  established_ = established;
  emit this->established(established ? QString::fromStdString(name_) : QString());
}

void PublishWorker::apply() {
  AvahiClient* client = connection_ ? connection_->client() : nullptr;
  if (!client || !wanted_) return;
  if (inGroup_ == wanted_ && groupPort_ == port_) return;
  if (!group_) {
    group_ = avahi_entry_group_new(client, GamePublisherCallbacks::group, this);
    if (!group_) return;
  }
  AvahiStringList* txt = txtList(*wanted_);
  int result;
  if (inGroup_ && groupPort_ == port_) {
    // Only the record changed: update it in place, the service stays registered.
    result = avahi_entry_group_update_service_txt_strlst(
        group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name_.c_str(),
        korvel::net::kServiceType, nullptr, txt);
  } else {
    avahi_entry_group_reset(group_);
    setEstablished(false);
    result = avahi_entry_group_add_service_strlst(
        group_, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name_.c_str(),
        korvel::net::kServiceType, nullptr, nullptr, static_cast<uint16_t>(port_), txt);
    if (result == AVAHI_ERR_COLLISION) {
      avahi_string_list_free(txt);
      rename();
      return;
    }
    if (result >= 0) result = avahi_entry_group_commit(group_);
  }
  avahi_string_list_free(txt);
  if (result < 0) {
    avahi_entry_group_reset(group_);
    inGroup_.reset();
    return;
  }
  inGroup_ = wanted_;
  groupPort_ = port_;
}

void PublishWorker::rename() {
  char* alternative = avahi_alternative_service_name(name_.c_str());
  name_ = alternative;
  avahi_free(alternative);
  inGroup_.reset();
  apply();
}

void PublishWorker::groupState(AvahiEntryGroup* group, int state) {
  if (!group_) group_ = group;
  switch (static_cast<AvahiEntryGroupState>(state)) {
    case AVAHI_ENTRY_GROUP_ESTABLISHED:
      setEstablished(true);
      break;
    case AVAHI_ENTRY_GROUP_COLLISION:
      // Somebody else on the link uses the name: take the next one.
      setEstablished(false);
      rename();
      break;
    case AVAHI_ENTRY_GROUP_FAILURE:
      setEstablished(false);
      inGroup_.reset();
      break;
    case AVAHI_ENTRY_GROUP_UNCOMMITED:
    case AVAHI_ENTRY_GROUP_REGISTERING:
      break;
  }
}

GamePublisher::GamePublisher(QObject* parent) : QObject(parent), worker_(new PublishWorker) {
  connect(worker_, &PublishWorker::established, this, [this](const QString& name) {
    serviceName_ = name.toStdString();
    if (!serviceName_.empty()) emit published();
  });
  thread_ = std::make_unique<AvahiThread>("avahi publish", worker_);
  PublishWorker* worker = worker_;
  thread_->post([worker] { worker->start(); });
}

GamePublisher::~GamePublisher() = default;

void GamePublisher::publish(int port, const korvel::net::GameAnnouncement& game) {
  if (port <= 0 || port > 65535) return;
  // Only a change is handed on; the owner asks twice a second.
  if (sent_ && sent_->first == port && sent_->second == game) return;
  sent_.emplace(port, game);
  PublishWorker* worker = worker_;
  thread_->post([worker, port, game] { worker->publish(port, game); });
}

void GamePublisher::withdraw() {
  sent_.reset();
  PublishWorker* worker = worker_;
  thread_->post([worker] { worker->withdraw(); });
}

#include "game_publisher.moc"

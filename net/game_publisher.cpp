// The hosted game's entry group: added when the daemon runs, its TXT record updated in place,
// renamed on collision, reset when withdrawn.
#include "net/game_publisher.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/strlst.h>

#include "net/avahi_connection.h"

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
    static_cast<GamePublisher*>(userdata)->groupState(group, state);
  }
};

GamePublisher::GamePublisher(QObject* parent)
    : QObject(parent), connection_(new AvahiConnection(this)) {
  connect(connection_, &AvahiConnection::ready, this, &GamePublisher::daemonReady);
  connect(connection_, &AvahiConnection::lost, this, &GamePublisher::daemonLost);
}

GamePublisher::~GamePublisher() {
  // Freeing the group takes the service off the network before the client goes.
  if (group_) avahi_entry_group_free(group_);
}

void GamePublisher::publish(int port, const korvel::net::GameAnnouncement& game) {
  if (port <= 0 || port > 65535) return;
  if (name_.empty()) name_ = korvel::net::serviceNameFor(game.host);
  port_ = port;
  wanted_ = game;
  apply();
}

void GamePublisher::withdraw() {
  wanted_.reset();
  resetGroup();
}

void GamePublisher::daemonReady() {
  apply();
}

void GamePublisher::daemonLost(bool clientGone) {
  if (clientGone) {
    group_ = nullptr;  // freed with its client
  } else if (group_) {
    avahi_entry_group_reset(group_);
  }
  inGroup_.reset();
  established_ = false;
}

void GamePublisher::resetGroup() {
  if (group_) avahi_entry_group_reset(group_);
  inGroup_.reset();
  established_ = false;
}

void GamePublisher::apply() {
  AvahiClient* client = connection_->client();
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
    established_ = false;
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

void GamePublisher::rename() {
  char* alternative = avahi_alternative_service_name(name_.c_str());
  name_ = alternative;
  avahi_free(alternative);
  inGroup_.reset();
  apply();
}

void GamePublisher::groupState(AvahiEntryGroup* group, int state) {
  if (!group_) group_ = group;
  switch (static_cast<AvahiEntryGroupState>(state)) {
    case AVAHI_ENTRY_GROUP_ESTABLISHED:
      established_ = true;
      emit published();
      break;
    case AVAHI_ENTRY_GROUP_COLLISION:
      // Somebody else on the link uses the name: take the next one.
      established_ = false;
      rename();
      break;
    case AVAHI_ENTRY_GROUP_FAILURE:
      established_ = false;
      inGroup_.reset();
      break;
    case AVAHI_ENTRY_GROUP_UNCOMMITED:
    case AVAHI_ENTRY_GROUP_REGISTERING:
      break;
  }
}

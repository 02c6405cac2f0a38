// The seat key: kept with the host's address, port and the name played under, and offered before
// a login to that host again.

#include "client/seat_keys.h"
#include "window/tchat.h"

namespace {

// The login name as the host knows it: without the terminator it is sent with.
std::string playedName(const std::string& loginname) {
  return loginname.empty() ? loginname : loginname.substr(0, loginname.size() - 1);
}

}  // namespace

void Tchat::keepSeatKey() {
  // The host's own seat is its program: never kept, so never asked back.
  if (seatKeysFile.empty() || game.hosting || game.seatKey.empty()) return;
  auto keys = korvel::client::loadSeatKeys(seatKeysFile);
  korvel::client::rememberSeatKey(keys,
                                  {hostaddress, ports_.game, playedName(loginname), game.seatKey});
  korvel::client::saveSeatKeys(seatKeysFile, keys);
}

std::string Tchat::seatKeyToOffer() const {
  if (game.hosting) return {};
  if (!game.seatKey.empty()) return game.seatKey;
  if (seatKeysFile.empty()) return {};
  return korvel::client::seatKeyFor(korvel::client::loadSeatKeys(seatKeysFile), hostaddress,
                                    ports_.game, playedName(loginname))
      .value_or("");
}

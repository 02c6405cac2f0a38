// A submitted move: whose move it may be, and what follows its acceptance. The check of the
// tiles themselves is MoveChecker's.
#include <vector>

#include "server/server_core.h"

namespace korvel::server {

namespace toclient = protocol::toclient;

void ServerCore::submit(std::string_view argument, int sender) {
  if (timer1.tag != kTurnPhase || !gameon) return;
  protocol::FieldReader reader(argument);
  if (!ownseat(reader, sender) || sender != currentplayer) return;
  const int seat = sender;
  tplayer& p = players[seat];
  if (!moves.checkMove(seat, p.tiles, p.turnscore, reader)) return;

  const std::vector<protocol::LaidTile> laid = moves.laidTiles();
  moves.firstmove = false;
  p.score += p.turnscore;
  p.passed = false;
  sendtoall(toclient::goodword(seat, p.score, p.turnscore, laid, moves.words()));

  std::vector<protocol::SlotEntry> refill;
  for (const protocol::LaidTile& t : laid) {
    p.tiles[t.slot] = gettile();
    refill.push_back({t.slot, p.tiles[t.slot]});
  }
  if (!refill.empty()) sendto(seat, toclient::mytiles(seat, refill));
  runtimer1(3, kPausePhase);
}

}  // namespace korvel::server

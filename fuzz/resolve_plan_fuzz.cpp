// Arbitrary browser and resolver events against the resolver budget, and arbitrary address text
// against the address rule. The plan never keeps more sightings, runs more resolvers at once or
// starts more within a second than its caps, never starts a sighting twice without an answer in
// between, never stops one it did not start, and announces due work through nextDueMs; an address
// accepted from elsewhere is accepted from this machine too.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <set>
#include <string>
#include <tuple>

#include "net/game_list.h"
#include "net/resolve_plan.h"

namespace {

using namespace korvel::net;

void check(bool ok) {
  if (!ok) std::abort();
}

using Id = std::tuple<int, int, std::string>;

Id idOf(const ServiceKey& k) {
  return {k.interfaceIndex, k.protocol, k.name};
}

}  // namespace

// Each step is an operation byte and an argument byte: the low three bits of the operation pick
// seen, gone, answered (listed or not), failed, due, a clock step of up to 25.5 s, or an address
// made of the next `argument` bytes; the argument picks the sighting (name and interface).
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ResolvePlan plan;
  std::int64_t now = 0;
  std::set<Id> running;
  std::deque<std::int64_t> starts;
  for (std::size_t at = 0; at + 1 < size; at += 2) {
    const int op = data[at] & 7;
    const int arg = data[at + 1];
    const ServiceKey key{arg >> 6, 0, "s" + std::to_string(arg & 63), "local"};
    switch (op) {
      case 0:
        plan.seen(key, now);
        break;
      case 1:
        check(plan.gone(key) == (running.erase(idOf(key)) == 1));
        break;
      case 2:
      case 3: {
        const bool freed = plan.answered(key, op == 3, now);
        if (freed) running.erase(idOf(key));
        check(freed || running.count(idOf(key)) == 1);
        break;
      }
      case 4:
        plan.failed(key, now);
        running.erase(idOf(key));
        break;
      case 5: {
        // Work that is due now was announced by nextDueMs, so a timer set from it is not late.
        const auto next = plan.nextDueMs(now);
        const auto work = plan.due(now);
        if (!work.start.empty() || !work.stop.empty()) check(next && *next <= now);
        for (const ServiceKey& k : work.stop) check(running.erase(idOf(k)) == 1);
        for (const ServiceKey& k : work.start) {
          check(running.insert(idOf(k)).second);
          starts.push_back(now);
        }
        break;
      }
      case 6:
        now += arg * 100;
        break;
      case 7: {
        const std::size_t length = std::min<std::size_t>(arg, size - at - 2);
        const std::string address(reinterpret_cast<const char*>(data + at + 2), length);
        check(!addressAcceptable(address, false) || addressAcceptable(address, true));
        at += length;
        break;
      }
    }
    while (!starts.empty() && starts.front() <= now - 1000) starts.pop_front();
    check(starts.size() <= ResolvePlan::kMaxStartsPerSecond);
    check(plan.known() <= ResolvePlan::kMaxKnown);
    check(plan.resolving() <= ResolvePlan::kMaxResolving);
    check(plan.resolving() + plan.watching() == running.size());
  }
  return 0;
}

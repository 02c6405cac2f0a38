#pragma once
// Which sightings of services get a resolver, and when. Anybody on the link can announce services,
// so the work they cause is bounded: at most kMaxKnown sightings are kept, at most kMaxResolving
// resolvers wait for an answer at once, at most kMaxStartsPerSecond are started in any second, and
// a resolver that fails, answers with a record the list refuses or does not answer within
// kResolveDeadlineMs is freed and its sighting rests for kRetryAfterMs. A resolver whose sighting
// the list holds stays (it reports the host's record updates); those are bounded by the list's own
// caps. Times are milliseconds on any steady clock, given by the caller.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "net/game_list.h"

namespace korvel::net {

class ResolvePlan {
 public:
  static constexpr std::size_t kMaxKnown = 256;
  static constexpr std::size_t kMaxResolving = 64;
  static constexpr std::size_t kMaxStartsPerSecond = 32;
  static constexpr std::int64_t kResolveDeadlineMs = 10000;
  static constexpr std::int64_t kRetryAfterMs = 60000;

  // The browser reports a sighting, `local` when Avahi marks it as this machine's own. False
  // when it is not kept: known already, or the table is full of sightings that are resolving or
  // listed (a resting one makes room instead).
  bool seen(const ServiceKey& key, std::int64_t nowMs, bool local = false);
  // Whether a kept sighting was reported as this machine's own.
  bool local(const ServiceKey& key) const;
  // The browser saw it go. True when it had a resolver, which the caller frees.
  bool gone(const ServiceKey& key);
  // Its resolver answered and the list `listed` the sighting or not. True when the resolver is
  // to be freed (not listed: it rests and is tried again later).
  bool answered(const ServiceKey& key, bool listed, std::int64_t nowMs);
  // Its resolver failed or could not be made; the caller frees it. Tried again later.
  void failed(const ServiceKey& key, std::int64_t nowMs);
  // Everything forgotten: the daemon went away, and its resolvers with it.
  void clear();

  struct Work {
    std::vector<ServiceKey> stop;   // resolvers past their deadline: free them
    std::vector<ServiceKey> start;  // sightings to resolve now, counted as resolving from now
  };
  Work due(std::int64_t nowMs);
  // When due() next has something to do, if ever.
  std::optional<std::int64_t> nextDueMs(std::int64_t nowMs) const;

  std::size_t known() const { return entries_.size(); }
  std::size_t resolving() const;
  std::size_t watching() const;

 private:
  enum class State { Waiting, Resolving, Watching };
  struct Entry {
    ServiceKey key;
    State state = State::Waiting;
    std::int64_t at = 0;  // Waiting: ready from; Resolving: started at
    std::uint64_t order = 0;
    bool local = false;
  };
  Entry* find(const ServiceKey& key);
  std::size_t startsWithin(std::int64_t nowMs);

  std::vector<Entry> entries_;
  std::deque<std::int64_t> starts_;  // start times within the last second
  std::uint64_t nextOrder_ = 0;
};

}  // namespace korvel::net

// The resolver budget: bounded resolvers, starts and sightings under a flood, and a real game
// found through it.
#include "net/resolve_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <map>
#include <string>

namespace korvel::net {
namespace {

ServiceKey key(const std::string& name, int interfaceIndex = 2) {
  return {interfaceIndex, 0, name, "local"};
}

// 128 services that never resolve (Avahi fails each after 5 s), seen before one real game. The
// plan is stepped every 100 ms like a timer would; the real game is resolved in bounded time, and
// at no moment do more resolvers wait than allowed or more start within a second than allowed.
TEST(ResolvePlan, AFloodOfFailingServicesIsBoundedAndARealGameStillResolves) {
  ResolvePlan plan;
  const std::int64_t kAvahiFailsAfterMs = 5000;
  for (int i = 0; i < 128; ++i) ASSERT_TRUE(plan.seen(key("flood" + std::to_string(i)), 0));
  const ServiceKey real = key("Korvel game of Ann");
  ASSERT_TRUE(plan.seen(real, 0));
  std::map<std::string, std::int64_t> running;  // started resolvers and when
  std::deque<std::int64_t> starts;
  std::map<std::string, std::int64_t> lastFailure;
  std::int64_t realFoundAt = -1;
  for (std::int64_t now = 0; now <= 120000; now += 100) {
    for (auto it = running.begin(); it != running.end();) {
      if (it->first == real.name) {
        EXPECT_FALSE(plan.answered(real, true, now)) << "a listed game keeps its resolver";
        realFoundAt = now;
        it = running.erase(it);
      } else if (now - it->second >= kAvahiFailsAfterMs) {
        plan.failed(key(it->first), now);
        lastFailure[it->first] = now;
        it = running.erase(it);
      } else {
        ++it;
      }
    }
    const auto work = plan.due(now);
    EXPECT_TRUE(work.stop.empty()) << "Avahi answers before the plan's deadline";
    for (const ServiceKey& k : work.start) {
      ASSERT_FALSE(running.count(k.name)) << k.name << " started twice";
      if (lastFailure.count(k.name)) {
        EXPECT_GE(now - lastFailure[k.name], ResolvePlan::kRetryAfterMs) << k.name;
      }
      running[k.name] = now;
      starts.push_back(now);
    }
    while (!starts.empty() && starts.front() <= now - 1000) starts.pop_front();
    EXPECT_LE(starts.size(), ResolvePlan::kMaxStartsPerSecond) << "at " << now;
    EXPECT_LE(plan.resolving(), ResolvePlan::kMaxResolving) << "at " << now;
    EXPECT_EQ(plan.resolving(), running.size());
  }
  // 128 ahead of it, each holding a slot for 5 s: its turn comes once they have had theirs, within
  // one more round for the starts a second allows.
  const std::int64_t rounds = 128 / ResolvePlan::kMaxResolving;
  EXPECT_GE(realFoundAt, 0);
  EXPECT_LE(realFoundAt, (rounds + 1) * kAvahiFailsAfterMs);
  EXPECT_EQ(plan.watching(), 1u);
  EXPECT_EQ(plan.known(), 129u);
}

TEST(ResolvePlan, SightingsAreCappedResolversFreedAndTimersSetAsTheRulesSay) {
  ResolvePlan plan;
  // Known once; a repeat is not a second sighting.
  EXPECT_TRUE(plan.seen(key("a"), 0));
  EXPECT_FALSE(plan.seen(key("a"), 0));
  EXPECT_TRUE(plan.seen(key("a", 3), 0, true));
  EXPECT_TRUE(plan.local(key("a", 3)));
  EXPECT_FALSE(plan.local(key("a")));
  EXPECT_EQ(plan.nextDueMs(0), 0);
  auto work = plan.due(0);
  EXPECT_EQ(work.start.size(), 2u);
  EXPECT_EQ(plan.nextDueMs(0), ResolvePlan::kResolveDeadlineMs);
  // Gone while resolving: the caller frees its resolver; a sighting never started has none.
  EXPECT_TRUE(plan.gone(key("a", 3)));
  EXPECT_FALSE(plan.gone(key("a", 3)));
  EXPECT_FALSE(plan.local(key("a", 3)));
  EXPECT_TRUE(plan.seen(key("b"), 10));
  EXPECT_FALSE(plan.gone(key("b")));
  // An answer the list refuses frees the resolver and rests the sighting.
  EXPECT_TRUE(plan.answered(key("a"), false, 100));
  EXPECT_EQ(plan.resolving(), 0u);
  EXPECT_EQ(plan.nextDueMs(100), 100 + ResolvePlan::kRetryAfterMs);
  EXPECT_TRUE(plan.due(101).start.empty());
  EXPECT_EQ(plan.due(100 + ResolvePlan::kRetryAfterMs).start.size(), 1u);
  // A resolver that never answers is stopped at the deadline, and rests.
  const std::int64_t late = 100 + ResolvePlan::kRetryAfterMs + ResolvePlan::kResolveDeadlineMs;
  work = plan.due(late);
  ASSERT_EQ(work.stop.size(), 1u);
  EXPECT_EQ(work.stop[0], key("a"));
  EXPECT_TRUE(work.start.empty());
  EXPECT_EQ(plan.nextDueMs(late), late + ResolvePlan::kRetryAfterMs);
  // An answer for a sighting without a resolver (stopped, or unknown) is dropped.
  EXPECT_TRUE(plan.answered(key("a"), true, late));
  EXPECT_TRUE(plan.answered(key("nobody"), true, late));
  EXPECT_EQ(plan.watching(), 0u);

  // The table is capped. When it is full, a new sighting takes the place of a resting one only.
  plan.clear();
  EXPECT_EQ(plan.known(), 0u);
  for (std::size_t i = 0; i < ResolvePlan::kMaxKnown; ++i)
    ASSERT_TRUE(plan.seen(key("s" + std::to_string(i)), 0));
  EXPECT_FALSE(plan.seen(key("late"), 0));
  // The starts of one second are capped; the next start waits for the second to pass.
  work = plan.due(0);
  EXPECT_EQ(work.start.size(), ResolvePlan::kMaxStartsPerSecond);
  EXPECT_EQ(plan.nextDueMs(0), 1000);
  EXPECT_TRUE(plan.due(999).start.empty());
  plan.failed(work.start[0], 999);
  EXPECT_TRUE(plan.seen(key("late"), 999));
  EXPECT_EQ(plan.known(), ResolvePlan::kMaxKnown);
  EXPECT_FALSE(plan.gone(work.start[0])) << "the resting sighting made room";
  // Resolvers waiting at once are capped.
  for (std::int64_t t = 1000; t < 5000; t += 1000) plan.due(t);
  EXPECT_EQ(plan.resolving(), ResolvePlan::kMaxResolving);
  EXPECT_TRUE(plan.due(5000).start.empty());
  // The next due moment is the first resolver's deadline.
  EXPECT_EQ(plan.nextDueMs(5000), ResolvePlan::kResolveDeadlineMs);
}

}  // namespace
}  // namespace korvel::net

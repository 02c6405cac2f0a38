// The resolver budget: a small table of sightings, scanned linearly (it never exceeds kMaxKnown).
#include "net/resolve_plan.h"

#include <algorithm>

namespace korvel::net {

ResolvePlan::Entry* ResolvePlan::find(const ServiceKey& key) {
  const auto it =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.key == key; });
  return it == entries_.end() ? nullptr : &*it;
}

bool ResolvePlan::local(const ServiceKey& key) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const Entry& e) { return e.key == key && e.local; });
}

bool ResolvePlan::seen(const ServiceKey& key, std::int64_t nowMs, bool local) {
  if (find(key)) return false;
  if (entries_.size() >= kMaxKnown) {
    // Room is made only by a sighting that rests after failing: the one resting longest ahead.
    auto resting = entries_.end();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
      if (it->state == State::Waiting && it->at > nowMs &&
          (resting == entries_.end() || it->at > resting->at))
        resting = it;
    }
    if (resting == entries_.end()) return false;
    entries_.erase(resting);
  }
  entries_.push_back({key, State::Waiting, nowMs, nextOrder_++, local});
  return true;
}

bool ResolvePlan::gone(const ServiceKey& key) {
  const auto it =
      std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.key == key; });
  if (it == entries_.end()) return false;
  const bool hadResolver = it->state != State::Waiting;
  entries_.erase(it);
  return hadResolver;
}

bool ResolvePlan::answered(const ServiceKey& key, bool listed, std::int64_t nowMs) {
  Entry* e = find(key);
  if (!e || e->state == State::Waiting) return true;
  if (listed) {
    e->state = State::Watching;
    return false;
  }
  e->state = State::Waiting;
  e->at = nowMs + kRetryAfterMs;
  return true;
}

void ResolvePlan::failed(const ServiceKey& key, std::int64_t nowMs) {
  if (Entry* e = find(key)) {
    e->state = State::Waiting;
    e->at = nowMs + kRetryAfterMs;
  }
}

void ResolvePlan::clear() {
  entries_.clear();
  starts_.clear();
}

std::size_t ResolvePlan::resolving() const {
  return static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(),
                    [](const Entry& e) { return e.state == State::Resolving; }));
}

std::size_t ResolvePlan::watching() const {
  return static_cast<std::size_t>(std::count_if(
      entries_.begin(), entries_.end(), [](const Entry& e) { return e.state == State::Watching; }));
}

std::size_t ResolvePlan::startsWithin(std::int64_t nowMs) {
  while (!starts_.empty() && starts_.front() <= nowMs - 1000) starts_.pop_front();
  return starts_.size();
}

ResolvePlan::Work ResolvePlan::due(std::int64_t nowMs) {
  Work work;
  for (Entry& e : entries_) {
    if (e.state == State::Resolving && nowMs - e.at >= kResolveDeadlineMs) {
      work.stop.push_back(e.key);
      e.state = State::Waiting;
      e.at = nowMs + kRetryAfterMs;
    }
  }
  std::size_t busy = resolving();
  while (busy < kMaxResolving && startsWithin(nowMs) < kMaxStartsPerSecond) {
    // The sighting ready longest, first seen first among equals.
    Entry* next = nullptr;
    for (Entry& e : entries_) {
      if (e.state != State::Waiting || e.at > nowMs) continue;
      if (!next || e.at < next->at || (e.at == next->at && e.order < next->order)) next = &e;
    }
    if (!next) break;
    next->state = State::Resolving;
    next->at = nowMs;
    starts_.push_back(nowMs);
    work.start.push_back(next->key);
    ++busy;
  }
  return work;
}

std::optional<std::int64_t> ResolvePlan::nextDueMs(std::int64_t nowMs) const {
  std::optional<std::int64_t> next;
  const auto consider = [&](std::int64_t t) {
    if (!next || t < *next) next = t;
  };
  std::size_t busy = 0;
  std::optional<std::int64_t> ready;
  for (const Entry& e : entries_) {
    if (e.state == State::Resolving) {
      ++busy;
      consider(e.at + kResolveDeadlineMs);
    } else if (e.state == State::Waiting && (!ready || e.at < *ready)) {
      ready = e.at;
    }
  }
  // A waiting sighting starts when it is ready, a slot is free and the second's starts allow.
  if (ready && busy < kMaxResolving) {
    std::int64_t when = std::max(*ready, nowMs);
    std::size_t recent = 0;
    for (std::int64_t t : starts_) recent += t > nowMs - 1000 ? 1 : 0;
    if (recent >= kMaxStartsPerSecond) {
      // The oldest start within the window that must leave it first.
      std::int64_t oldest = nowMs;
      std::size_t skip = recent - kMaxStartsPerSecond;
      for (std::int64_t t : starts_) {
        if (t <= nowMs - 1000) continue;
        if (skip-- == 0) {
          oldest = t;
          break;
        }
      }
      when = std::max(when, oldest + 1000);
    }
    consider(when);
  }
  return next;
}

}  // namespace korvel::net

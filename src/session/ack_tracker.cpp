#include "session/ack_tracker.hpp"

#include <vector>

namespace orvane {

AckTracker::~AckTracker() {
  for (auto& [id, entry] : entries_) entry.timeout.cancel();
}

void AckTracker::track(const std::string& id, std::int64_t gen, OnOutcome onOutcome) {
  std::weak_ptr<AckTracker> weak = weak_from_this();
  DelayedWork timeout = queue_->postAfter(timeout_, [weak, id, gen] {
    if (auto self = weak.lock()) self->timedOut(id, gen);
  });
  if (auto old = entries_.find(id); old != entries_.end()) old->second.timeout.cancel();
  entries_.insert_or_assign(id, Entry{gen, timeout, std::move(onOutcome)});
}

void AckTracker::timedOut(const std::string& id, std::int64_t gen) {
  auto it = entries_.find(id);
  if (it == entries_.end() || it->second.gen != gen) return;
  OnOutcome report = std::move(it->second.onOutcome);
  entries_.erase(it);
  report(id, AckOutcome::timedOut);
}

void AckTracker::acknowledge(const std::string& id, std::int64_t currentGen) {
  auto it = entries_.find(id);
  if (it == entries_.end() || it->second.gen != currentGen) return;
  it->second.timeout.cancel();
  OnOutcome report = std::move(it->second.onOutcome);
  entries_.erase(it);
  report(id, AckOutcome::acked);
}

void AckTracker::settle() {
  // Emptied before reporting, so that a report cannot find the entries still waiting.
  std::map<std::string, Entry> ended;
  ended.swap(entries_);
  for (auto& [id, entry] : ended) entry.timeout.cancel();
  for (auto& [id, entry] : ended) entry.onOutcome(id, AckOutcome::settled);
}

}  // namespace orvane

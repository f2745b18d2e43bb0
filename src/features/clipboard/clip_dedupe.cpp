#include "features/clipboard/clip_dedupe.hpp"

#include <algorithm>

#include "base/text.hpp"

namespace orvane {

namespace {
// Text is compared as people read it: canonically equivalent strings are the same.
bool sameText(const std::optional<std::string>& a, const std::string& b) {
  return a && text::canonicallyEqual(*a, b);
}
}  // namespace

ClipDedupe::ClipDedupe(ClipEpoch epoch, SaveEpoch saveEpoch, std::size_t maxSeenIDs)
    : epoch_(std::move(epoch)), maxSeenIDs_(maxSeenIDs), saveEpoch_(std::move(saveEpoch)) {}

bool ClipDedupe::shouldSend(const std::string& text) const {
  return !sameText(lastSent_, text) && !sameText(lastApplied_, text);
}

std::int64_t ClipDedupe::nextSeq() {
  const std::int64_t seq = std::max(epoch_.counter, epoch_.maxSeq) + 1;
  epoch_.counter = seq;
  save();
  return seq;
}

void ClipDedupe::noteSent(const std::string& text, std::int64_t seq, const std::string& origin) {
  lastSent_ = text;
  if (seq > epoch_.maxSeq || (seq == epoch_.maxSeq && text::canonicallyLess(epoch_.maxOrigin, origin))) {
    epoch_.maxSeq = seq;
    epoch_.maxOrigin = origin;
    save();
  }
}

bool ClipDedupe::accept(const std::string& clipID, std::int64_t seq, const std::string& origin, const std::string& text) {
  const std::string key = text::nfc(clipID);
  if (!seenSet_.insert(key).second) return false;
  seenIDs_.push_back(key);
  if (seenIDs_.size() > maxSeenIDs_) {
    seenSet_.erase(seenIDs_.front());
    seenIDs_.pop_front();
  }
  const bool newer = seq > epoch_.maxSeq || (seq == epoch_.maxSeq && text::canonicallyLess(epoch_.maxOrigin, origin));
  if (!newer) return false;
  lastApplied_ = text;
  epoch_.counter = std::max(epoch_.counter, seq);
  epoch_.maxSeq = seq;
  epoch_.maxOrigin = origin;
  save();
  return true;
}

void ClipDedupe::clearMemory() {
  seenIDs_.clear();
  seenSet_.clear();
  lastSent_.reset();
  lastApplied_.reset();
}

void ClipDedupe::resetForForget() {
  clearMemory();
  epoch_.maxSeq = -1;
  epoch_.maxOrigin.clear();
  save();
}

}  // namespace orvane

#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "features/clipboard/clip_epoch_store.hpp"

namespace orvane {

// Echo suppression and (seq, origin) ordering of clipboard updates. Lives on the
// server's queue.
class ClipDedupe {
 public:
  using SaveEpoch = std::function<void(std::int64_t counter, std::int64_t maxSeq, const std::string& maxOrigin)>;
  static constexpr std::size_t defaultMaxSeenIDs = 64;

  ClipDedupe(ClipEpoch epoch, SaveEpoch saveEpoch, std::size_t maxSeenIDs = defaultMaxSeenIDs);

  // Sending: whether `text` may go out (not the last sent, not the last applied).
  bool shouldSend(const std::string& text) const;
  // Takes the next sequence number, max(counter, maxSeq) + 1, and persists it.
  std::int64_t nextSeq();
  // After the update left: remembers the text and advances (maxSeq, maxOrigin).
  void noteSent(const std::string& text, std::int64_t seq, const std::string& origin);

  // Receiving: remembers `clipID` (at most maxSeenIDs) and decides by the ordering
  // rule; true when the update is accepted (the clock then adopts it).
  bool accept(const std::string& clipID, std::int64_t seq, const std::string& origin, const std::string& text);

  void noteApplied(const std::string& text) { lastApplied_ = text; }
  // Switching sync off: identifiers and texts are forgotten, the clock is kept.
  void clearMemory();
  // Forgetting the phone: as clearMemory, and the newest-known update is rewound.
  void resetForForget();

  const ClipEpoch& epoch() const { return epoch_; }
  const std::optional<std::string>& lastSent() const { return lastSent_; }
  const std::optional<std::string>& lastApplied() const { return lastApplied_; }
  std::size_t seenCount() const { return seenIDs_.size(); }

 private:
  void save() const { if (saveEpoch_) saveEpoch_(epoch_.counter, epoch_.maxSeq, epoch_.maxOrigin); }

  std::deque<std::string> seenIDs_;
  std::set<std::string> seenSet_;
  std::optional<std::string> lastSent_;
  std::optional<std::string> lastApplied_;
  ClipEpoch epoch_;
  std::size_t maxSeenIDs_;
  SaveEpoch saveEpoch_;
};

}  // namespace orvane

#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/user_defaults.hpp"

namespace orvane {

// The clipboard's logical clock: the last sequence number issued or adopted, and the
// newest update known as (maxSeq, maxOrigin).
struct ClipEpoch {
  std::int64_t counter = 0;
  std::int64_t maxSeq = -1;   // -1: none
  std::string maxOrigin;      // empty: none
  bool operator==(const ClipEpoch&) const = default;
};

// Keeps the clock in the user defaults ("zel.clipCounter", "zel.clipMaxSeq",
// "zel.clipMaxOrigin"); missing or mistyped values load as 0, -1 and "".
class ClipEpochStore {
 public:
  explicit ClipEpochStore(std::shared_ptr<UserDefaults> defaults) : defaults_(std::move(defaults)) {}
  ClipEpoch load() const;
  void save(std::int64_t counter, std::int64_t maxSeq, const std::string& maxOrigin) const;

 private:
  std::shared_ptr<UserDefaults> defaults_;
};

}  // namespace orvane

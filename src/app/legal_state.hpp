#pragma once

#include <memory>
#include <optional>

#include "base/clock.hpp"
#include "base/user_defaults.hpp"

namespace orvane {

// Whether the user accepted the terms of service; the server starts only after that.
class LegalState {
 public:
  static constexpr std::int64_t currentVersion = 1;
  static constexpr std::string_view acceptedVersionKey = "orvane.legal.acceptedVersion";
  static constexpr std::string_view acceptedAtKey = "orvane.legal.acceptedAt";

  LegalState(std::shared_ptr<UserDefaults> defaults, const Clock& clock = SystemClock::shared());

  std::int64_t acceptedVersion() const { return acceptedVersion_; }
  bool isAccepted() const { return acceptedVersion_ >= currentVersion; }
  std::optional<WallTime> acceptedAt() const { return defaults_->date(acceptedAtKey); }
  // Records the acceptance: version 1 and the current date.
  void accept();

 private:
  std::shared_ptr<UserDefaults> defaults_;
  const Clock& clock_;
  std::int64_t acceptedVersion_;
};

}  // namespace orvane

#include "features/notifications/notif_gate.hpp"

#include "base/text.hpp"

namespace orvane::NotifGate {

namespace {
// Notification times are milliseconds since 1970; anything from 10^13 on (the year
// 2286) is not a time the phone can mean.
constexpr std::int64_t timeLimit = 10'000'000'000'000;
}  // namespace

std::optional<std::int64_t> cleanTime(const std::optional<std::string>& s) {
  if (!s) return std::nullopt;
  const std::string trimmed = text::trim(*s);
  if (trimmed.empty()) return std::nullopt;
  const auto value = text::parseInt64(trimmed);
  if (!value || *value < 0 || *value >= timeLimit) return std::nullopt;
  return value;
}

}  // namespace orvane::NotifGate

#include "wire/body_gate.hpp"

#include "base/text.hpp"

namespace orvane::BodyGate {

std::optional<std::string> cleanID(const std::optional<std::string>& s) {
  if (!s) return std::nullopt;
  std::string trimmed = text::trim(*s);
  if (trimmed.empty() || text::longerThan(trimmed, maxIDLength)) return std::nullopt;
  return trimmed;
}

std::optional<std::string> cleanField(const std::optional<std::string>& s, std::size_t max) {
  if (!s) return std::nullopt;
  // The limit applies to what is shown, so white space runs are joined first; a field
  // that is still too long is dropped rather than cut.
  std::string collapsed = text::collapse(*s);
  if (collapsed.empty() || text::longerThan(collapsed, max)) return std::nullopt;
  return collapsed;
}

}  // namespace orvane::BodyGate

#include "session/link_state.hpp"

#include "base/overloaded.hpp"

namespace orvane {

std::string LinkState::title() const {
  return std::visit(Overloaded{
                        [](const Disconnected&) { return std::string("Not connected"); },
                        [](const Reconnecting& r) { return "Reconnecting\u2026 (attempt " + std::to_string(r.attempt) + ")"; },
                        [](const Error&) { return std::string("Error"); },
                        [](const Connecting&) { return std::string("Connecting\u2026"); },
                        [](const AwaitingApproval&) { return std::string("Awaiting approval\u2026"); },
                        [](const Connected&) { return std::string("Connected"); },
                    },
                    value);
}

std::string LinkState::caseName() const {
  static constexpr const char* names[] = {"disconnected", "reconnecting", "error", "connecting", "awaitingApproval", "connected"};
  return names[value.index()];
}

std::optional<std::string> LinkState::detail() const {
  if (const auto* d = std::get_if<Disconnected>(&value)) return d->detail;
  if (const auto* e = std::get_if<Error>(&value)) return e->text;
  return std::nullopt;
}

}  // namespace orvane

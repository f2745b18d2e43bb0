#include "app/store/bridge_connection.hpp"

#include "base/overloaded.hpp"

namespace orvane {

std::string BridgeConnection::title() const {
  return std::visit(Overloaded{
                        [](const Disconnected&) -> std::string { return "Not connected"; },
                        [](const AwaitingApproval&) -> std::string { return "Awaiting approval"; },
                        [](const Reconnecting& r) -> std::string {
                          return "Reconnecting\u2026 (" + std::to_string(r.attempt) + ")";
                        },
                        [](const Failed&) -> std::string { return "Error"; },
                        [](const Connecting&) -> std::string { return "Connecting\u2026"; },
                        [](const Connected&) -> std::string { return "Connected"; },
                    },
                    value);
}

std::string_view BridgeConnection::caseName() const {
  static constexpr std::string_view names[] = {"disconnected", "awaitingApproval", "reconnecting",
                                               "failed",       "connecting",       "connected"};
  return names[value.index()];
}

}  // namespace orvane

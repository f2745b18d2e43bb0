#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace orvane {

// The link as the views show it.
struct BridgeConnection {
  struct Disconnected {
    std::optional<std::string> detail;
    bool operator==(const Disconnected&) const = default;
  };
  struct AwaitingApproval {
    std::string deviceName;
    bool operator==(const AwaitingApproval&) const = default;
  };
  struct Reconnecting {
    std::int64_t attempt = 0;
    bool operator==(const Reconnecting&) const = default;
  };
  struct Failed {
    std::string reason;
    bool operator==(const Failed&) const = default;
  };
  struct Connecting {
    bool operator==(const Connecting&) const = default;
  };
  struct Connected {
    bool operator==(const Connected&) const = default;
  };
  using Value = std::variant<Disconnected, AwaitingApproval, Reconnecting, Failed, Connecting, Connected>;

  Value value = Disconnected{};

  static BridgeConnection disconnected(std::optional<std::string> detail = std::nullopt) {
    return {Disconnected{std::move(detail)}};
  }
  static BridgeConnection awaitingApproval(std::string deviceName) { return {AwaitingApproval{std::move(deviceName)}}; }
  static BridgeConnection reconnecting(std::int64_t attempt) { return {Reconnecting{attempt}}; }
  static BridgeConnection failed(std::string reason) { return {Failed{std::move(reason)}}; }
  static BridgeConnection connecting() { return {Connecting{}}; }
  static BridgeConnection connected() { return {Connected{}}; }

  bool isConnected() const { return std::holds_alternative<Connected>(value); }
  // "Not connected", "Awaiting approval", "Reconnecting… (2)", "Error", "Connecting…", "Connected".
  std::string title() const;
  // "disconnected", "awaitingApproval", "reconnecting", "failed", "connecting", "connected".
  std::string_view caseName() const;

  bool operator==(const BridgeConnection&) const = default;
};

}  // namespace orvane

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace orvane {

// The connection state that the server reports; only the server decides transitions.
struct LinkState {
  struct Disconnected {
    std::optional<std::string> detail;
    bool operator==(const Disconnected&) const = default;
  };
  struct Reconnecting {
    std::int64_t attempt = 0;
    bool operator==(const Reconnecting&) const = default;
  };
  struct Error {
    std::string text;
    bool operator==(const Error&) const = default;
  };
  struct Connecting {
    bool operator==(const Connecting&) const = default;
  };
  struct AwaitingApproval {
    bool operator==(const AwaitingApproval&) const = default;
  };
  struct Connected {
    bool operator==(const Connected&) const = default;
  };
  using Value = std::variant<Disconnected, Reconnecting, Error, Connecting, AwaitingApproval, Connected>;

  Value value = Disconnected{};

  static LinkState disconnected(std::optional<std::string> detail = std::nullopt) { return {Disconnected{std::move(detail)}}; }
  static LinkState reconnecting(std::int64_t attempt) { return {Reconnecting{attempt}}; }
  static LinkState error(std::string text) { return {Error{std::move(text)}}; }
  static LinkState connecting() { return {Connecting{}}; }
  static LinkState awaitingApproval() { return {AwaitingApproval{}}; }
  static LinkState connected() { return {Connected{}}; }

  // "Not connected", "Reconnecting… (attempt n)", "Error", "Connecting…",
  // "Awaiting approval…", "Connected".
  std::string title() const;
  // The case name: "disconnected", "reconnecting", "error", "connecting",
  // "awaitingApproval", "connected".
  std::string caseName() const;
  bool isConnected() const { return std::holds_alternative<Connected>(value); }
  // detail of `disconnected`, text of `error`; none otherwise.
  std::optional<std::string> detail() const;

  bool operator==(const LinkState&) const = default;
};

}  // namespace orvane

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "app/store/bridge_action.hpp"
#include "app/store/device_bridge_store.hpp"

namespace orvane {

// What the pairing sheet shows: the code for the phone to scan, or, once a phone asks
// to pair, the question whether to let it. The sheet never makes a code itself; it
// shows the one the server last published.
struct PairDeviceSheet {
  static constexpr const char* preparingCode = "Preparing code\u2026";

  struct CodeStep {
    // Without an image the sheet shows a progress indicator and `placeholder`.
    bool hasImage;
    std::optional<std::string> placeholder;  // "Preparing code…" while there is no image
    std::string countdown;                   // "Expires in 42s"
    bool operator==(const CodeStep&) const = default;
  };
  struct ApprovalStep {
    std::string deviceName;  // the phone that asks, as it named itself
    bool operator==(const ApprovalStep&) const = default;
  };

  // "Confirm on this Mac" while a phone asks; otherwise "Scan the code with your phone",
  // or "Preparing code…" before there is a code to scan.
  std::string subtitle;
  std::variant<CodeStep, ApprovalStep> step;
  // Where the phone will reach this computer ("192.0.2.5:17431"); none before the
  // listener has an address.
  std::optional<std::string> address;

  static PairDeviceSheet of(const DeviceBridgeStore& store);

  bool isApproval() const { return std::holds_alternative<ApprovalStep>(step); }
  // Return approves a phone that asks (Approve is the default button); on the code
  // step it does nothing.
  std::optional<BridgeAction> returnAction() const;

  bool operator==(const PairDeviceSheet&) const = default;
};

}  // namespace orvane

#include "ui/models/pair_device_sheet.hpp"

namespace orvane {

PairDeviceSheet PairDeviceSheet::of(const DeviceBridgeStore& store) {
  PairDeviceSheet sheet;
  const bool hasImage = store.qrImage->has_value();
  if (const auto& pending = *store.pendingDeviceName) {
    sheet.subtitle = "Confirm on this Mac";
    sheet.step = ApprovalStep{*pending};
  } else {
    sheet.subtitle = hasImage ? "Scan the code with your phone" : preparingCode;
    CodeStep code{};
    code.hasImage = hasImage;
    if (!hasImage) code.placeholder = preparingCode;
    code.countdown = "Expires in " + std::to_string(*store.qrSecondsRemaining) + "s";
    sheet.step = std::move(code);
  }
  if (!store.localAddress->empty()) sheet.address = *store.localAddress + ":" + std::to_string(*store.localPort);
  return sheet;
}

std::optional<BridgeAction> PairDeviceSheet::returnAction() const {
  if (isApproval()) return BridgeAction::approve();
  return std::nullopt;
}

}  // namespace orvane

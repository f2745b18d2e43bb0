#pragma once

#include <vector>

#include "app/store/device_bridge_store.hpp"
#include "base/observable.hpp"
#include "base/published.hpp"

namespace orvane {

// Whether the main window presents the pairing sheet: on the user's request, and by
// itself when a phone asks to pair, so the request can be approved; it goes away by
// itself once a phone is paired. Main thread only; the store must outlive it.
class PairingSheetPresenter {
 public:
  explicit PairingSheetPresenter(DeviceBridgeStore& store);
  PairingSheetPresenter(const PairingSheetPresenter&) = delete;
  PairingSheetPresenter& operator=(const PairingSheetPresenter&) = delete;

  Observable<bool> showPairing{false};

  // "Pair a device", "Pair a phone…" and the like.
  void request() { showPairing = true; }
  // The sheet's "Done" and close buttons.
  void dismiss() { showPairing = false; }

 private:
  std::vector<Subscription> subscriptions_;
};

}  // namespace orvane

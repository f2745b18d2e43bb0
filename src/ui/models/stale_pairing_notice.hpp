#pragma once

#include <optional>
#include <vector>

#include "app/app_state.hpp"
#include "app/store/device_bridge_store.hpp"
#include "base/observable.hpp"
#include "base/published.hpp"

namespace orvane {

// Whether the popover tells the user that a phone still holds a pairing this computer
// no longer knows (it was forgotten here, or this computer's state was lost), so that
// phone has to be paired again. Raised by a refusal the hub reports while the link is
// down; lowered once the link is up or a phone is paired. A refusal while the link is
// up is another phone than the one linked, and says nothing about it.
//
// Made once beside the store, before the server starts: a refusal reported before it
// was made is not seen. Main thread only; it must outlive neither the store nor the
// hub's value it watches.
class StalePairingNotice {
 public:
  StalePairingNotice(Published<std::optional<StaleAuthAttempt>>& refusals, DeviceBridgeStore& store);
  StalePairingNotice(const StalePairingNotice&) = delete;
  StalePairingNotice& operator=(const StalePairingNotice&) = delete;

  Observable<bool> raised{false};

 private:
  std::vector<Subscription> subscriptions_;
};

}  // namespace orvane

#pragma once

#include <memory>
#include <vector>

#include "app/app_state.hpp"
#include "app/store/bridge_action.hpp"
#include "app/store/device_bridge_store.hpp"
#include "base/clock.hpp"
#include "base/published.hpp"

namespace orvane {

// Joins the store to the hub: copies each of the hub's published values into the
// store as it changes (converted for display), feeds the phone's notifications into
// the chats, and carries out the actions the views send through the store's sink.
// Main thread only. The subscriptions and the sink hold the bridge weakly: once it is
// released nothing more reaches the store, and actions are dropped.
class StoreBridge final : public std::enable_shared_from_this<StoreBridge> {
 public:
  // Binds, primes the store with the hub's current values, then installs the sink.
  static std::shared_ptr<StoreBridge> create(std::shared_ptr<DeviceBridgeStore> store, std::shared_ptr<AppState> app,
                                             const Clock* clock = &SystemClock::shared());
  StoreBridge(const StoreBridge&) = delete;
  StoreBridge& operator=(const StoreBridge&) = delete;

  void perform(const BridgeAction& action);

 private:
  StoreBridge(std::shared_ptr<DeviceBridgeStore> store, std::shared_ptr<AppState> app, const Clock* clock);
  void bind();
  void prime();
  void apply(const LinkState& state);
  void showPairedDevice(const std::optional<std::string>& name, bool keepBattery);
  void showNotifications(const std::vector<PhoneNotif>& notifs);
  BridgeMedia mediaShown(const std::string& app, const std::optional<std::string>& title,
                         const std::optional<std::string>& artist, const std::optional<std::string>& album,
                         bool playing, const std::optional<Bytes>& artwork) const;
  template <class T, class F>
  void watch(Published<T>& value, F deliver);

  std::shared_ptr<DeviceBridgeStore> store_;
  std::shared_ptr<AppState> app_;
  const Clock* clock_;
  std::vector<Subscription> subscriptions_;
  // The chats' revision just after they were last offered the notifications; -1 before.
  std::int64_t offeredAtRevision_ = -1;
  std::vector<std::size_t> changedRows_;  // kept between changes, so that none allocates
  // One for each view that shows the invitation's countdown; they end with the bridge.
  std::vector<AppState::CountdownDemand> countdownDemands_;
};

}  // namespace orvane

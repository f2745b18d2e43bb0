#pragma once

#include <chrono>
#include <memory>
#include <optional>

#include "features/status/mac_health_source.hpp"
#include "features/status/status_observer.hpp"
#include "session/link_core.hpp"

namespace orvane {

// Each side's battery and network: the phone's `phone_status` in, this computer's
// `mac_health` out, at once after authentication and then at most every 20 s.
class StatusFeature final : public LinkModule {
 public:
  static constexpr auto macHealthInterval = std::chrono::seconds(20);

  // Without a health source no `mac_health` is sent.
  StatusFeature(LinkCore& link, std::shared_ptr<MacHealthSource> macHealth)
      : link_(link), macHealth_(std::move(macHealth)) {}

  void setObserver(std::weak_ptr<StatusObserver> observer) { observer_.set(std::move(observer)); }
  expected<void, std::string> registerRoutes(RouteRegistry& routes) override;
  void sessionStarted(Peer& peer) override { publishMacHealth(peer, true); }
  void sessionTick(Peer& peer, SteadyTime) override { publishMacHealth(peer, false); }

 private:
  void publishMacHealth(Peer& peer, bool force);

  LinkCore& link_;
  std::shared_ptr<MacHealthSource> macHealth_;
  ObserverSlot<StatusObserver> observer_;
  std::optional<SteadyTime> lastMacHealthSent_;  // none: never sent (the distant past)
};

}  // namespace orvane

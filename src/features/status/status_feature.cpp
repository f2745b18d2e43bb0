#include "features/status/status_feature.hpp"

namespace orvane {

expected<void, std::string> StatusFeature::registerRoutes(RouteRegistry& routes) {
  return routes.add("phone_status", true, [this](const Envelope& envelope, Peer&, PeerID) {
    const PhoneStatus status = PhoneStatus::from(envelope.body, link_.wallNow());
    observer_.notify([&](StatusObserver& o) { o.serverPhoneStatusChanged(status); });
  });
}

void StatusFeature::publishMacHealth(Peer& peer, bool force) {
  if (!macHealth_) return;
  const SteadyTime t = link_.now();
  if (!force && lastMacHealthSent_ && t - *lastMacHealthSent_ < macHealthInterval) return;
  lastMacHealthSent_ = t;
  const BatteryReading battery = macHealth_->batteryState();
  const NetworkReading network = macHealth_->networkState();
  link_.send(peer, "mac_health", MacHealthSnapshot::body(battery, network));
}

}  // namespace orvane

#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "base/log.hpp"
#include "platform/linux/net/service_advertiser.hpp"

namespace orvane {

// Publishes the listener's DNS-SD service through the system's avahi-daemon, as one
// Avahi entry group on every interface and protocol in the default domain, with the
// TXT record's strings passed on byte for byte.
//
// Avahi runs on a thread of its own; advertise() only records the wish and wakes that
// thread, so it never waits for the daemon. When the daemon is absent (or leaves) this
// is logged once and the latest wish is kept: it is published as soon as the daemon
// runs again. Without a system bus nothing announces the daemon, so it is looked for
// after 5 s, then at doubling intervals up to every 5 minutes. A taken name is
// replaced by Avahi's alternative ("Orvane-ab12 #2").
// Nothing here throws.
class AvahiAdvertiser final : public ServiceAdvertiser {
 public:
  explicit AvahiAdvertiser(Logger log);
  // Withdraws whatever is published.
  ~AvahiAdvertiser() override;
  AvahiAdvertiser(const AvahiAdvertiser&) = delete;
  AvahiAdvertiser& operator=(const AvahiAdvertiser&) = delete;

  // Safe from any thread.
  void advertise(std::optional<DiscoveryService> service, std::uint16_t port) override;

 private:
  struct Engine;
  std::unique_ptr<Engine> engine_;
};

}  // namespace orvane

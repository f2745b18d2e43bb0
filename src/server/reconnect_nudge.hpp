#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "base/user_defaults.hpp"
#include "pairing/nudge_client.hpp"
#include "pairing/paired_device.hpp"
#include "pairing/pairing_observer.hpp"
#include "session/link_core.hpp"

namespace orvane {

// Asks the paired phone to reconnect, and remembers the addresses it used: the phone's
// for the nudge, this computer's to send the nudge from the same network.
class ReconnectNudge {
 public:
  static constexpr auto timeout = std::chrono::seconds(3);
  static constexpr std::string_view lastPhoneAddressKey = "orvane.phone.lastAddress";
  static constexpr std::string_view lastLocalAddressKey = "orvane.link.lastLocalAddress";

  ReconnectNudge(LinkCore& link, std::shared_ptr<Transport> transport, std::shared_ptr<UserDefaults> defaults);

  void setObserver(std::weak_ptr<PairingObserver> observer) { observer_.set(std::move(observer)); }
  // Reads the stored addresses (absent keys give none).
  void loadAddresses();
  // Nudges `paired` unless a session is live; the state says how it went.
  void request(const std::optional<PairedDevice>& paired);
  // The session's connection tells where the phone is and which address reached it.
  void recordAddresses(Peer& peer);
  // Gives up every attempt in flight without a report.
  void cancelAll();

  const std::optional<std::string>& lastPhoneAddress() const { return lastPhoneAddress_; }
  const std::optional<std::string>& lastLocalAddress() const { return lastLocalAddress_; }
  std::size_t inFlight() const { return client_->inFlight(); }

 private:
  void attempt(const std::string& host, const std::string& line, std::optional<std::string> bindLocal, bool canRetry);

  LinkCore& link_;
  std::shared_ptr<Transport> transport_;
  std::shared_ptr<UserDefaults> defaults_;
  std::shared_ptr<NudgeClient> client_;
  ObserverSlot<PairingObserver> observer_;
  std::optional<std::string> lastPhoneAddress_;
  std::optional<std::string> lastLocalAddress_;
};

}  // namespace orvane

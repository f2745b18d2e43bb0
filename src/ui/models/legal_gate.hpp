#pragma once

#include <functional>

#include "app/legal_state.hpp"

namespace orvane {

// The terms gate in the main window: until the user ticks the box, "Agree and continue"
// is disabled; using it records the acceptance and starts the server, which stays
// stopped until then so that no phone can connect before. Main thread only.
class LegalGate {
 public:
  // `startServer` starts the hub's server (AppState::startServer in the program).
  LegalGate(LegalState& legal, std::function<void()> startServer)
      : legal_(legal), startServer_(std::move(startServer)) {}

  // Whether the window shows the gate rather than its normal content.
  bool isShown() const { return !legal_.isAccepted(); }

  // The box "I have read and agree to the Privacy Policy and Terms of Service.".
  bool agreed() const { return agreed_; }
  void setAgreed(bool agreed) { agreed_ = agreed; }

  // Whether "Agree and continue" is enabled.
  bool canContinue() const { return agreed_; }
  // "Agree and continue": records the acceptance (version and date), then starts the
  // server. Does nothing while the box is not ticked, or once the terms are accepted
  // (the server is already running then). True when it accepted.
  bool agreeAndContinue();

 private:
  LegalState& legal_;
  std::function<void()> startServer_;
  bool agreed_ = false;
};

}  // namespace orvane

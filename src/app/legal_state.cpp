#include "app/legal_state.hpp"

namespace orvane {

LegalState::LegalState(std::shared_ptr<UserDefaults> defaults, const Clock& clock)
    : defaults_(std::move(defaults)), clock_(clock), acceptedVersion_(defaults_->integer(acceptedVersionKey).value_or(0)) {}

void LegalState::accept() {
  acceptedVersion_ = currentVersion;
  defaults_->set(acceptedVersionKey, currentVersion);
  defaults_->set(acceptedAtKey, clock_.wallNow());
}

}  // namespace orvane

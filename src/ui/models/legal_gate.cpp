#include "ui/models/legal_gate.hpp"

namespace orvane {

bool LegalGate::agreeAndContinue() {
  if (!canContinue() || legal_.isAccepted()) return false;
  legal_.accept();
  if (startServer_) startServer_();
  return true;
}

}  // namespace orvane

#pragma once

#include "features/status/phone_status.hpp"

namespace orvane {

// Hears the phone's battery and radio reports. Called on the server's queue.
class StatusObserver {
 public:
  virtual ~StatusObserver() = default;
  virtual void serverPhoneStatusChanged(const PhoneStatus& status) = 0;
};

}  // namespace orvane

#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/wake_signal.hpp"
#include "base/expected.hpp"
#include "base/log.hpp"

namespace orvane {

// Hears the computer wake through logind: its PrepareForSleep(false) on the system
// bus, sent by the owner of org.freedesktop.login1 from /org/freedesktop/login1, runs
// the handler. PrepareForSleep(true), the computer going to sleep, is ignored, and so
// is the same signal from any other sender or object path.
//
// The wish is registered with the bus as a match rule on logind's name, not on the
// program that owns it now: logind that starts after us, or restarts, is heard as well,
// so logind being absent at construction is no reason to give up. A system bus that
// cannot be reached (a container, a build machine) is: this is logged once and
// listening() tells why, and the object stays usable, only silent. Nothing here throws.
//
// Made and used on the main thread, with the QCoreApplication (or QGuiApplication)
// already made; the handler runs there too.
class LogindWakeSignal final : public WakeSignal {
 public:
  explicit LogindWakeSignal(Logger log);
  ~LogindWakeSignal() override;
  LogindWakeSignal(const LogindWakeSignal&) = delete;
  LogindWakeSignal& operator=(const LogindWakeSignal&) = delete;

  void setHandler(std::function<void()> handler) override;
  // Nothing when wake-ups reach the handler; otherwise why they cannot.
  const expected<void, std::string>& listening() const;

 private:
  class Receiver;
  Logger log_;
  std::function<void()> handler_;
  std::unique_ptr<Receiver> receiver_;  // none when not listening
  expected<void, std::string> listening_;
};

}  // namespace orvane

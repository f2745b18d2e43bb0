#include "bus_probe.hpp"

#include <QDBusConnection>
#include <QString>

#include "logind_names.hpp"

namespace orvane::testing {

BusProbe::BusProbe() {
  QDBusConnection bus = QDBusConnection::systemBus();
  const bool sleeps = bus.connect(kLogindService, kLogindPath, kLogindManager, QStringLiteral("PrepareForSleep"), this,
                                  SLOT(prepareForSleep(bool)));
  const bool fences =
      bus.connect(kLogindService, kLogindPath, kFenceInterface, kFenceSignal, this, SLOT(fence(uint)));
  ready_ = sleeps && fences;
}

BusProbe::~BusProbe() {
  QDBusConnection bus = QDBusConnection::systemBus();
  bus.disconnect(kLogindService, kLogindPath, kLogindManager, QStringLiteral("PrepareForSleep"), this,
                 SLOT(prepareForSleep(bool)));
  bus.disconnect(kLogindService, kLogindPath, kFenceInterface, kFenceSignal, this, SLOT(fence(uint)));
}

void BusProbe::prepareForSleep(bool start) { sleepSignals_.push_back(start); }

void BusProbe::fence(uint number) { lastFence_ = number; }

}  // namespace orvane::testing

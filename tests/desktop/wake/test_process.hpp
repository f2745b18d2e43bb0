#pragma once

namespace orvane::testing {

// Qt opens the system bus once per process, at the first use, from the address in
// DBUS_SYSTEM_BUS_ADDRESS at that moment. A case that needs the bus unreachable must
// therefore come before any use of it: the cases that use it say so here, and that
// case refuses to run after them.
void noteSystemBusUsed();
bool systemBusUsed();

}  // namespace orvane::testing

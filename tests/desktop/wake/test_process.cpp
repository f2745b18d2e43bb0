// The application object of the test process, made on the thread that runs the tests,
// which so becomes Qt's main thread; and what the process has done to the system bus.
#include "test_process.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include "qt_application_environment.hpp"

namespace orvane::testing {
namespace {

bool busUsed = false;

[[maybe_unused]] const auto* const environment = addQtApplicationEnvironment<QCoreApplication>();

}  // namespace

void noteSystemBusUsed() { busUsed = true; }
bool systemBusUsed() { return busUsed; }

}  // namespace orvane::testing

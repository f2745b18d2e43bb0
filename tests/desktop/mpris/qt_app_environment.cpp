// The application object of the test process, made on the thread that runs the tests,
// which so becomes Qt's main thread, where the reader delivers its answers.
#include <QCoreApplication>

#include "qt_application_environment.hpp"

namespace {

[[maybe_unused]] const auto* const environment =
    orvane::testing::addQtApplicationEnvironment<QCoreApplication>();

}  // namespace

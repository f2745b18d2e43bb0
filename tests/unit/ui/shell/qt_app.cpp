// The test program's graphical application object, on the offscreen platform: the
// icon is painted and the model runs without a display.
#include <QGuiApplication>

#include "qt_application_environment.hpp"

namespace {
[[maybe_unused]] const auto* const app = [] {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  return orvane::testing::addQtApplicationEnvironment<QGuiApplication>();
}();
}  // namespace

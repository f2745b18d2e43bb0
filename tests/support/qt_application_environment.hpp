#pragma once

#include <gtest/gtest.h>

#include <memory>

namespace orvane::testing {

// The application object of a test process (QCoreApplication, or QGuiApplication for
// a display), made once on the thread that runs the tests, which so becomes Qt's main
// thread: where QtMainQueue posts and where the adapters deliver. Register it once per
// test program:
//   [[maybe_unused]] const auto* const app = addQtApplicationEnvironment<QCoreApplication>();
template <class Application>
class QtApplicationEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<Application>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  static inline int argc_ = 1;
  static inline char name_[] = "orvane-test";
  static inline char* argv_[] = {name_, nullptr};
  std::unique_ptr<Application> app_;
};

template <class Application>
const ::testing::Environment* addQtApplicationEnvironment() {
  return ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment<Application>);
}

}  // namespace orvane::testing

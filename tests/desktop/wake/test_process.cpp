// The application object of the test process, made on the thread that runs the tests,
// which so becomes Qt's main thread; and what the process has done to the system bus.
#include "test_process.hpp"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <memory>

namespace orvane::testing {
namespace {

bool busUsed = false;

class QtApplicationEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QCoreApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  static inline int argc_ = 1;
  static inline char name_[] = "test_logind_wake";
  static inline char* argv_[] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace

void noteSystemBusUsed() { busUsed = true; }
bool systemBusUsed() { return busUsed; }

}  // namespace orvane::testing

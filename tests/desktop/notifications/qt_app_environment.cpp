// The application object of the test process, made on the thread that runs the tests,
// which so becomes Qt's main thread, where the adapter delivers its responses.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include <memory>

namespace {

class QtApplicationEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override { app_ = std::make_unique<QCoreApplication>(argc_, argv_); }
  void TearDown() override { app_.reset(); }

 private:
  static inline int argc_ = 1;
  static inline char name_[] = "test_notifications";
  static inline char* argv_[] = {name_, nullptr};
  std::unique_ptr<QCoreApplication> app_;
};

[[maybe_unused]] const auto* const environment = ::testing::AddGlobalTestEnvironment(new QtApplicationEnvironment);

}  // namespace

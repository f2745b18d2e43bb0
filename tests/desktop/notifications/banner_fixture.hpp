#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "app/user_notifications.hpp"
#include "base/expected.hpp"
#include "base/log.hpp"
#include "integration/time_scale.hpp"
#include "platform/qt/freedesktop_notifications.hpp"

namespace orvane::testing {

// A call crosses the bus in milliseconds; only a fault takes this long.
inline const auto kPatience = scaledForBuild(std::chrono::milliseconds(std::chrono::seconds(10)));

// A step of a helper, failing with what it said.
template <class T>
::testing::AssertionResult done(const expected<T, std::string>& step) {
  if (step) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << step.error();
}

// An adapter with the hub's categories, logging into `sink` and keeping every response.
class BannerFixture : public ::testing::Test {
 protected:
  void makeAdapter();
  // Runs the event loop until the adapter has a server and nothing under way.
  ::testing::AssertionResult waitSettled(bool available = true);
  ::testing::AssertionResult waitForResponses(std::size_t count);
  // Entries of the log that mention `text`.
  std::size_t logged(const std::string& text) const;

  std::shared_ptr<RecordingLogSink> sink_ = std::make_shared<RecordingLogSink>();
  std::unique_ptr<FreedesktopNotifications> banners_;
  std::vector<NotificationResponse> responses_;
};

}  // namespace orvane::testing

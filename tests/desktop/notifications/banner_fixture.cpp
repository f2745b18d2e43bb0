#include "banner_fixture.hpp"

#include "hub_banners.hpp"
#include "wake/wait_until.hpp"

namespace orvane::testing {

void BannerFixture::makeAdapter() {
  banners_ = std::make_unique<FreedesktopNotifications>(Logger(sink_, "banners"));
  banners_->setCategories(hubCategories());
  banners_->setResponseHandler([this](const NotificationResponse& r) { responses_.push_back(r); });
}

::testing::AssertionResult BannerFixture::waitSettled(bool available) {
  if (waitUntil([&] { return banners_->settled() && banners_->available() == available; }, kPatience)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "not settled with available() " << available;
}

::testing::AssertionResult BannerFixture::waitForResponses(std::size_t count) {
  if (waitUntil([&] { return responses_.size() >= count; }, kPatience)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << responses_.size() << " responses, not " << count;
}

std::size_t BannerFixture::logged(const std::string& text) const {
  std::size_t count = 0;
  for (const auto& entry : sink_->entries()) count += entry.message.find(text) != std::string::npos ? 1 : 0;
  return count;
}

}  // namespace orvane::testing

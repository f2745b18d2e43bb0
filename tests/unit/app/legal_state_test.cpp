#include <gtest/gtest.h>

#include "app/legal_state.hpp"
#include "base/fake_clock.hpp"

namespace orvane {
namespace {

TEST(LegalState, AcceptanceIsRecordedWithItsDateAndReadBack) {
  auto defaults = std::make_shared<MemoryUserDefaults>();
  FakeClock clock;
  LegalState fresh(defaults, clock);
  EXPECT_EQ(fresh.acceptedVersion(), 0);
  EXPECT_FALSE(fresh.isAccepted());
  EXPECT_FALSE(fresh.acceptedAt());
  fresh.accept();
  EXPECT_EQ(defaults->integer("orvane.legal.acceptedVersion"), 1);
  EXPECT_EQ(defaults->date("orvane.legal.acceptedAt"), clock.wallNow());
  LegalState later(defaults, clock);
  EXPECT_TRUE(later.isAccepted());
}

TEST(LegalState, AValueOfAnotherTypeCountsAsNotAccepted) {
  auto defaults = std::make_shared<MemoryUserDefaults>();
  defaults->set("orvane.legal.acceptedVersion", std::string("1"));
  EXPECT_FALSE(LegalState(defaults).isAccepted());
}

}  // namespace
}  // namespace orvane

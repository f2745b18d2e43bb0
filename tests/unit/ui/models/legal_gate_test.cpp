// The terms gate: "Agree and continue" only with the box ticked, and what it does.
#include "ui/models/legal_gate.hpp"

#include <gtest/gtest.h>

#include "base/fake_clock.hpp"
#include "base/user_defaults.hpp"

namespace orvane {
namespace {

class LegalGateTest : public ::testing::Test {
 protected:
  LegalGateTest() {
    startServer = [this] {
      ++starts;
      acceptedWhenStarted = defaults->integer("orvane.legal.acceptedVersion") == 1;
    };
  }

  FakeClock clock;
  std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
  int starts = 0;
  bool acceptedWhenStarted = false;
  std::function<void()> startServer;
};

TEST_F(LegalGateTest, AgreeAndContinueIsEnabledOnlyWhileTheBoxIsTicked) {
  LegalState legal(defaults, clock);
  LegalGate gate(legal, startServer);
  const std::vector<std::pair<std::vector<bool>, bool>> rows{
      {{}, false}, {{true}, true}, {{true, false}, false}, {{false, true}, true}, {{true, true}, true},
  };
  for (const auto& [ticks, enabled] : rows) {
    gate.setAgreed(false);
    for (bool tick : ticks) gate.setAgreed(tick);
    EXPECT_EQ(gate.canContinue(), enabled) << ticks.size() << " changes";
    EXPECT_EQ(gate.agreed(), enabled);
  }
}

TEST_F(LegalGateTest, WithoutTheTickNothingIsAcceptedAndTheServerStaysStopped) {
  LegalState legal(defaults, clock);
  LegalGate gate(legal, startServer);
  EXPECT_FALSE(gate.agreeAndContinue());
  EXPECT_EQ(starts, 0);
  EXPECT_FALSE(legal.isAccepted());
  EXPECT_FALSE(defaults->integer("orvane.legal.acceptedVersion"));
  EXPECT_FALSE(defaults->date("orvane.legal.acceptedAt"));
  EXPECT_TRUE(gate.isShown());
}

TEST_F(LegalGateTest, AcceptingRecordsVersionAndDateThenStartsTheServerOnce) {
  LegalState legal(defaults, clock);
  LegalGate gate(legal, startServer);
  gate.setAgreed(true);
  EXPECT_TRUE(gate.agreeAndContinue());
  EXPECT_EQ(starts, 1);
  EXPECT_TRUE(acceptedWhenStarted) << "the acceptance is written before the server starts";
  EXPECT_EQ(legal.acceptedVersion(), 1);
  EXPECT_EQ(defaults->integer("orvane.legal.acceptedVersion"), 1);
  EXPECT_EQ(defaults->date("orvane.legal.acceptedAt"), clock.wallNow());
  EXPECT_FALSE(gate.isShown());

  clock.advance(std::chrono::hours(1));
  EXPECT_FALSE(gate.agreeAndContinue()) << "a second press neither starts the server again nor moves the date";
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(defaults->date("orvane.legal.acceptedAt"), clock.wallNow() - std::chrono::hours(1));
}

TEST_F(LegalGateTest, TermsAcceptedAtAnEarlierLaunchShowNoGate) {
  defaults->set("orvane.legal.acceptedVersion", std::int64_t{1});
  LegalState legal(defaults, clock);
  LegalGate gate(legal, startServer);
  EXPECT_FALSE(gate.isShown());
  gate.setAgreed(true);
  EXPECT_FALSE(gate.agreeAndContinue());
  EXPECT_EQ(starts, 0) << "the program started the server at launch already";
}

}  // namespace
}  // namespace orvane

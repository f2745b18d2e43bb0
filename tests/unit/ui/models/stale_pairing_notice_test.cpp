// When the popover says that a phone holds an old pairing: from a refusal until the
// link is up or a phone is paired again.
#include "ui/models/stale_pairing_notice.hpp"

#include <gtest/gtest.h>

#include "model_fixture.hpp"

namespace orvane::testing {
namespace {

enum class Step { refuse, connect, disconnect, reconnect, pairPhone, forgetPhone };

const char* nameOf(Step step) {
  static constexpr const char* names[] = {"refuse", "connect", "disconnect", "reconnect", "pairPhone", "forgetPhone"};
  return names[static_cast<int>(step)];
}

class StalePairingNoticeTest : public ModelTest {
 protected:
  void take(Step step) {
    switch (step) {
      case Step::refuse:
        refusals = StaleAuthAttempt{"old-phone", "unknown_device", clock.wallNow()};
        break;
      case Step::connect:
        store->connection = BridgeConnection::connected();
        break;
      case Step::disconnect:
        store->connection = BridgeConnection::disconnected();
        break;
      case Step::reconnect:
        store->connection = BridgeConnection::reconnecting(1);
        break;
      case Step::pairPhone:
        pair("Pixel 8");
        break;
      case Step::forgetPhone:
        store->device = std::nullopt;
        store->pairing = DeviceBridgeStore::PairingStatus::none;
        break;
    }
    clock.advance(std::chrono::seconds(1));
  }

  Published<std::optional<StaleAuthAttempt>> refusals;
};

TEST_F(StalePairingNoticeTest, RaisedByARefusalWhileTheLinkIsDownUntilTheLinkIsUpOrAPhoneIsPaired) {
  struct Row {
    std::vector<Step> steps;
    bool raised;
  };
  const std::vector<Row> rows{
      {{}, false},
      {{Step::refuse}, true},
      {{Step::pairPhone, Step::refuse}, true},
      {{Step::pairPhone, Step::reconnect, Step::refuse}, true},
      {{Step::refuse, Step::reconnect, Step::disconnect}, true},
      {{Step::pairPhone, Step::refuse, Step::forgetPhone}, true},
      {{Step::refuse, Step::connect}, false},
      {{Step::refuse, Step::connect, Step::disconnect}, false},
      {{Step::refuse, Step::pairPhone}, false},
      {{Step::pairPhone, Step::refuse, Step::pairPhone}, false},  // the same phone paired again
      {{Step::pairPhone, Step::connect, Step::refuse}, false},    // another phone, while this one is linked
      {{Step::pairPhone, Step::connect, Step::refuse, Step::disconnect}, false},
      {{Step::refuse, Step::connect, Step::disconnect, Step::refuse}, true},
  };
  for (const Row& row : rows) {
    store->connection = BridgeConnection::disconnected();
    store->device = std::nullopt;
    store->pairing = DeviceBridgeStore::PairingStatus::none;
    StalePairingNotice notice(refusals, *store);
    std::string story;
    for (Step step : row.steps) {
      take(step);
      story += std::string(nameOf(step)) + " ";
    }
    EXPECT_EQ(*notice.raised, row.raised) << story;
  }
}

TEST_F(StalePairingNoticeTest, ObserversHearWhenItIsRaisedAndLowered) {
  StalePairingNotice notice(refusals, *store);
  std::vector<bool> heard;
  auto watching = notice.raised.subscribe([&](bool raised) { heard.push_back(raised); });
  take(Step::refuse);
  take(Step::refuse);  // still raised: nothing new to tell
  take(Step::connect);
  EXPECT_EQ(heard, (std::vector<bool>{true, false}));
}

TEST_F(StalePairingNoticeTest, ARefusalHeldBeforeTheNoticeWasMadeIsNotSeen) {
  take(Step::refuse);
  StalePairingNotice notice(refusals, *store);
  EXPECT_FALSE(*notice.raised);
}

}  // namespace
}  // namespace orvane::testing

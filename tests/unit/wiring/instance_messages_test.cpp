// What the running program does with a message from a later start: a hand-off or a
// link goes to the phone through the store once the terms are accepted and only when
// it is a well-formed web link; "raise" brings the windows forward; anything else is
// dropped.
#include "wiring/instance_messages.hpp"

#include <gtest/gtest.h>

#include "../ui/models/model_fixture.hpp"

namespace orvane::testing {
namespace {

class InstanceMessagesTest : public ModelTest {
 protected:
  // The links the store was asked to send, in order.
  std::vector<std::string> linksSent() const {
    std::vector<std::string> links;
    for (const BridgeAction& action : sent) {
      if (const auto* link = std::get_if<BridgeAction::SendLink>(&action.value)) links.push_back(link->url);
    }
    return links;
  }
  Logger log{nullptr, "test"};
  int raised = 0;
  std::function<void()> raise = [this] { ++raised; };
};

TEST_F(InstanceMessagesTest, OnlyAWellFormedLinkAfterTheTermsReachesThePhone) {
  struct Row {
    std::string message;
    bool termsAccepted;
    std::vector<std::string> sends;
  };
  const std::vector<Row> rows{
      {"open orvane://send-url?u=https://example.org/a?b=1&c=2", true, {"https://example.org/a?b=1&c=2"}},
      {"open orvane://send-url?u=https://example.org/a?b=1&c=2", false, {}},  // before the terms
      {"open orvane://evil.example?u=https://example.org", true, {}},         // a forged host
      {"open orvane://send-url?u=file:///etc/passwd", true, {}},
      {"link example.com", true, {"https://example.com"}},
      {"link not a link", true, {}},
      {"link https://example.org", false, {}},
      {"launch something", true, {}},
      {"", true, {}},
  };
  for (const Row& row : rows) {
    sent.clear();
    handleInstanceMessage(row.message, *store, row.termsAccepted, raise, log);
    EXPECT_EQ(linksSent(), row.sends) << row.message;
  }
  EXPECT_EQ(raised, 0);
  handleInstanceMessage("raise", *store, false, raise, log);
  EXPECT_EQ(raised, 1) << "raising needs no terms";
}

TEST(InstanceMessageFor, TheMessageFollowsWhatTheStartWasGiven) {
  EXPECT_EQ(instanceMessageFor(std::nullopt, std::nullopt), "raise");
  EXPECT_EQ(instanceMessageFor(std::string("orvane://send-url?u=https://a.example"), std::nullopt),
            "open orvane://send-url?u=https://a.example");
  EXPECT_EQ(instanceMessageFor(std::nullopt, std::string("https://a.example")), "link https://a.example");
}

}  // namespace
}  // namespace orvane::testing

// The phone's player from the hub's side: commands for it go only while the link is up.
#include <gtest/gtest.h>

#include "hub_fixture.hpp"

namespace orvane::testing {
namespace {

TEST_F(HubTest, CommandsForThePhonesPlayerGoOnlyWhileConnected) {
  build();
  hub->sendMediaCommand("pause");
  EXPECT_TRUE(server->callsStartingWith("sendMediaCommand").empty()) << "not connected: dropped";
  connect();
  hub->sendMediaCommand("pause");
  hub->sendMediaCommand("next");
  EXPECT_EQ(server->callsStartingWith("sendMediaCommand"),
            (std::vector<std::string>{"sendMediaCommand pause", "sendMediaCommand next"}));
  hub->serverStateChanged(LinkState::disconnected("Connection lost \u2014 still listening"));
  main->runUntilIdle();
  hub->sendMediaCommand("play");
  EXPECT_EQ(server->callsStartingWith("sendMediaCommand").size(), 2u) << "dropped again once the link is down";
}

}  // namespace
}  // namespace orvane::testing

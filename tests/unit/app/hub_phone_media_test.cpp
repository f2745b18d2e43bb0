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

TEST_F(HubTest, ACommandCarriedOutReadsThisComputersPlayerAgainAndOthersDoNot) {
  build();
  const int before = macMedia->refreshes;
  hub->serverMediaCommandResult(MediaKeyPoster::Dispatch::posted);
  main->runUntilIdle();
  EXPECT_EQ(macMedia->refreshes, before + 1) << "so that the phone soon sees the new state";
  EXPECT_EQ(*hub->lastMediaDispatch, MediaKeyPoster::Dispatch::posted);
  for (auto other : {MediaKeyPoster::Dispatch::noChangeNeeded, MediaKeyPoster::Dispatch::unsupportedCommand,
                     MediaKeyPoster::Dispatch::permissionUnavailable}) {
    hub->serverMediaCommandResult(other);
    main->runUntilIdle();
    EXPECT_EQ(*hub->lastMediaDispatch, other);
  }
  EXPECT_EQ(macMedia->refreshes, before + 1);
}

}  // namespace
}  // namespace orvane::testing

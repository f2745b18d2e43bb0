#include <gtest/gtest.h>

#include "app/clip_history.hpp"
#include "hub_fixture.hpp"

namespace orvane::testing {
namespace {

using std::chrono::milliseconds;

// A connected hub with clipboard sync on, and the server's calls forgotten.
class HubClipboardTest : public HubTest {
 protected:
  void SetUp() override {
    defaults->set("zel.clipboard.sync.enabled", true);
    build();
    connect();
    server->calls.clear();
  }
  // One tick of the poll.
  void tick() { main->advance(milliseconds(750)); }
  std::vector<std::string> sends() const { return server->callsStartingWith("sendClipboardText"); }
};

TEST_F(HubClipboardTest, ACopyIsSentOnTheNextTickWithThisComputerAsOrigin) {
  pasteboard->setString("hello phone");
  EXPECT_TRUE(sends().empty()) << "nothing before the tick";
  tick();
  EXPECT_EQ(sends(), (std::vector<std::string>{"sendClipboardText hello phone"}));
  EXPECT_EQ(server->lastOrigin, hub->macDeviceID());
  EXPECT_EQ(server->lastClipID.size(), 36u);
  EXPECT_EQ(*hub->clipLastEvent, "Sent 14:30:00");
  ASSERT_EQ(hub->clipHistory->size(), 1u);
  EXPECT_TRUE(hub->clipHistory->front().outgoing);
  tick();
  EXPECT_EQ(sends().size(), 1u) << "an unchanged count sends nothing";
}

TEST_F(HubClipboardTest, CopyingTheSameTextTwiceMovesItToTheTopOnce) {
  pasteboard->setString("same");
  tick();
  pasteboard->setString("other");
  tick();
  pasteboard->setString("same");
  tick();
  // The hub hands each copy over; the server drops the repeat of what it sent last.
  EXPECT_EQ(sends().size(), 3u);
  ASSERT_EQ(hub->clipHistory->size(), 2u);
  EXPECT_EQ((*hub->clipHistory)[0].text, "same");
  EXPECT_EQ((*hub->clipHistory)[1].text, "other");
}

TEST_F(HubClipboardTest, WhatCannotBeSentConsumesTheChangeCount) {
  struct Row {
    const char* name;
    std::function<void(MemoryPasteboard&)> copy;
  };
  const Row rows[] = {
      {"an image", [](MemoryPasteboard& p) { p.setNonText(); }},
      {"empty text", [](MemoryPasteboard& p) { p.setString(""); }},
      {"4097 characters", [](MemoryPasteboard& p) { p.setString(std::string(4097, 'x')); }},
      {"over 60000 bytes in few characters",
       [](MemoryPasteboard& p) {
         // 1500 characters of a letter and twenty combining marks each: 61500 bytes.
         std::string s;
         for (int i = 0; i < 1500; ++i) {
           s += "e";
           for (int m = 0; m < 20; ++m) s += "\u0301";
         }
         p.setString(s);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    row.copy(*pasteboard);
    tick();
    EXPECT_TRUE(sends().empty());
    EXPECT_EQ(hub->lastChangeCount(), pasteboard->changeCount()) << "looked at once, not again";
    EXPECT_FALSE(*hub->clipLastEvent);
  }
}

TEST_F(HubClipboardTest, FourThousandNinetySixCharactersAreSent) {
  pasteboard->setString(std::string(4096, 'x'));
  tick();
  EXPECT_EQ(sends().size(), 1u);
}

TEST_F(HubClipboardTest, TextCopiedWhileDisconnectedIsNotSentWhenTheLinkComesUp) {
  hub->serverStateChanged(LinkState::reconnecting(1));
  main->runUntilIdle();
  pasteboard->setString("copied while away");
  tick();
  EXPECT_TRUE(sends().empty());
  // Reconnecting takes the pasteboard as seen: text copied while the link was down
  // is not sent the moment it comes up.
  connect();
  tick();
  EXPECT_TRUE(sends().empty());
  pasteboard->setString("after reconnecting");
  tick();
  EXPECT_EQ(sends(), (std::vector<std::string>{"sendClipboardText after reconnecting"}));
}

TEST_F(HubClipboardTest, TheSwitchStoresItselfTellsTheServerAndSendsNothingAlreadyThere) {
  hub->setClipboard(false);
  EXPECT_EQ(defaults->boolean("zel.clipboard.sync.enabled"), false);
  EXPECT_EQ(server->calls.back(), "setClipboardEnabled 0");
  pasteboard->setString("copied while off");
  tick();
  EXPECT_TRUE(sends().empty());
  hub->serverClipboardReceived("from the phone while off", "c1", "phone");
  main->runUntilIdle();
  EXPECT_EQ(pasteboard->string(), "copied while off") << "received text is not applied while off";

  hub->setClipboard(true);
  EXPECT_EQ(server->calls.back(), "setClipboardEnabled 1");
  tick();
  EXPECT_TRUE(sends().empty()) << "turning on does not send what is already there";
}

TEST_F(HubClipboardTest, SwitchingTheSyncOffStopsThePollAndOnStartsItAgain) {
  main->advance(std::chrono::seconds(2));  // past the media requests of the connection
  ASSERT_EQ(main->pending(), 1u) << "the poll";
  hub->setClipboard(false);
  EXPECT_EQ(main->pending(), 0u) << "the poll stopped";
  pasteboard->setString("copied while off");
  main->advance(std::chrono::seconds(5));
  EXPECT_TRUE(sends().empty());

  hub->setClipboard(true);
  pasteboard->setString("copied after switching on");
  main->advance(milliseconds(749));
  EXPECT_TRUE(sends().empty()) << "the first look is one interval after the switch";
  main->advance(milliseconds(1));
  EXPECT_EQ(sends(), (std::vector<std::string>{"sendClipboardText copied after switching on"}));
}

TEST_F(HubTest, ThePasteboardIsPolledOnlyWhileTheSyncIsOnAndTheLinkUp) {
  struct Row {
    const char* name;
    bool syncOn;
    LinkState state;
    bool polled;
  };
  const Row rows[] = {
      {"on and connected", true, LinkState::connected(), true},
      {"off and connected", false, LinkState::connected(), false},
      {"on and listening", true, LinkState::disconnected("Listening on port 17431"), false},
      {"on and reconnecting", true, LinkState::reconnecting(1), false},
      {"on and awaiting approval", true, LinkState::awaitingApproval(), false},
      {"off and listening", false, LinkState::disconnected("Listening on port 17431"), false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    server = std::make_shared<RecordingServer>();
    defaults->set("zel.clipboard.sync.enabled", row.syncOn);
    build();
    EXPECT_EQ(main->pending(), 0u) << "nothing waits before the link is up";
    hub->serverStateChanged(row.state);
    main->runUntilIdle();
    main->advance(std::chrono::seconds(2));  // past the media requests of a connection
    EXPECT_EQ(main->pending(), row.polled ? 1u : 0u) << "the poll alone waits, or nothing";
    pasteboard->setString(std::string("copied ") + row.name);
    main->advance(milliseconds(750));
    EXPECT_EQ(server->callsStartingWith("sendClipboardText").size(), row.polled ? 1u : 0u);
    hub.reset();
  }
}

TEST_F(HubTest, TheFirstLookAfterTheLinkComesUpIsOneIntervalLater) {
  defaults->set("zel.clipboard.sync.enabled", true);
  build();
  main->advance(milliseconds(300));  // the link comes up between two ticks of any earlier poll
  pasteboard->setString("copied while the link was down");
  connect();
  pasteboard->setString("copied once it was up");
  main->advance(milliseconds(749));
  EXPECT_TRUE(server->callsStartingWith("sendClipboardText").empty());
  main->advance(milliseconds(1));
  EXPECT_EQ(server->callsStartingWith("sendClipboardText"),
            (std::vector<std::string>{"sendClipboardText copied once it was up"}));

  // Down and up again: the poll stops with the link and starts afresh with it.
  hub->serverStateChanged(LinkState::reconnecting(1));
  main->runUntilIdle();
  main->advance(std::chrono::milliseconds(2100));
  EXPECT_EQ(main->pending(), 0u);
  connect();
  EXPECT_EQ(main->pending(), 3u) << "the poll and the two later media requests";
  pasteboard->setString("copied after the link came back");
  main->advance(milliseconds(749));
  EXPECT_EQ(server->callsStartingWith("sendClipboardText").size(), 1u);
  main->advance(milliseconds(1));
  EXPECT_EQ(server->callsStartingWith("sendClipboardText").back(), "sendClipboardText copied after the link came back");
}

TEST_F(HubClipboardTest, SendNowSendsWhatIsThereEvenUnchanged) {
  pasteboard->setString("already seen");
  tick();
  hub->sendClipboardNow();
  EXPECT_EQ(sends().size(), 2u);
  hub->setClipboard(false);
  hub->sendClipboardNow();
  EXPECT_EQ(sends().size(), 2u) << "not while switched off";
}

TEST_F(HubClipboardTest, ReceivedTextIsWrittenOnceAndNeverTakenForACopy) {
  hub->serverClipboardReceived("from the phone", "c1", "phone");
  main->runUntilIdle();
  EXPECT_EQ(pasteboard->string(), "from the phone");
  EXPECT_EQ(hub->lastChangeCount(), pasteboard->changeCount());
  EXPECT_EQ(server->calls, (std::vector<std::string>{"noteLocalClipboardApplied from the phone"}));
  EXPECT_EQ(*hub->clipLastEvent, "Received 14:30:00");
  ASSERT_EQ(hub->clipHistory->size(), 1u);
  EXPECT_FALSE(hub->clipHistory->front().outgoing);
  tick();
  EXPECT_TRUE(sends().empty()) << "no echo";
}

TEST_F(HubClipboardTest, ReceivedTextEqualToThePasteboardLeavesItAlone) {
  pasteboard->setString("Cafe\u0301");  // the same text, decomposed
  tick();
  const auto count = pasteboard->changeCount();
  hub->serverClipboardReceived("Caf\u00e9", "c1", "phone");
  main->runUntilIdle();
  EXPECT_EQ(pasteboard->changeCount(), count) << "no write";
  EXPECT_EQ(*hub->clipLastEvent, "Received 14:30:00");
  EXPECT_EQ(hub->clipHistory->size(), 1u) << "the equal entry is replaced, not doubled";
  EXPECT_FALSE(hub->clipHistory->front().outgoing);
}

TEST_F(HubClipboardTest, ClearingTheHistoryTouchesNothingElse) {
  pasteboard->setString("a");
  tick();
  hub->clearClipHistory();
  EXPECT_TRUE(hub->clipHistory->empty());
  EXPECT_EQ(*hub->clipLastEvent, "Sent 14:30:00");
}

TEST(ClipHistoryTest, NewestFirstDistinctAndAtMostForty) {
  std::vector<ClipHistoryItem> history;
  for (int i = 0; i < 45; ++i)
    history = ClipHistory::adding(std::move(history), {std::to_string(i), "t" + std::to_string(i), {}, true});
  ASSERT_EQ(history.size(), 40u);
  EXPECT_EQ(history.front().text, "t44");
  EXPECT_EQ(history.back().text, "t5");
  history = ClipHistory::adding(std::move(history), {"x", "t20", {}, false});
  EXPECT_EQ(history.size(), 40u) << "a repeat moves up, nothing is dropped";
  EXPECT_EQ(history.front().text, "t20");
  EXPECT_FALSE(history.front().outgoing);
  EXPECT_EQ(std::count_if(history.begin(), history.end(), [](auto& h) { return h.text == "t20"; }), 1);
  EXPECT_EQ(history[1].text, "t44") << "the others keep their order";
}

TEST(ClockTextTest, HoursMinutesSecondsInLocalTime) {
  ::setenv("TZ", "UTC", 1);
  ::tzset();
  EXPECT_EQ(clockText(WallTime{} + std::chrono::seconds(9 * 3600 + 5 * 60 + 7)), "09:05:07");
  ::setenv("TZ", "IST-5:30", 1);  // five and a half hours ahead of UTC
  ::tzset();
  EXPECT_EQ(clockText(WallTime{} + std::chrono::seconds(9 * 3600 + 5 * 60 + 7)), "14:35:07");
  ::setenv("TZ", "UTC", 1);
  ::tzset();
}

}  // namespace
}  // namespace orvane::testing

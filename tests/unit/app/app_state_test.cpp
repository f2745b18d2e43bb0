#include <gtest/gtest.h>

#include <future>
#include <regex>
#include <thread>

#include "base/thread_queue.hpp"
#include "hub_fixture.hpp"

namespace orvane::testing {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

TEST_F(HubTest, ConstructionTellsTheServerInOrderAndReadsThePasteboardAfterTheStart) {
  defaults->set("zel.clipboard.sync.enabled", true);
  pasteboard->setString("before launch");
  // Something lands on the pasteboard while the server starts: it is still not news.
  server->onStart = [&] { pasteboard->setString("while starting"); };
  build(true);
  EXPECT_EQ(server->calls, (std::vector<std::string>{"setDelegate", "start", "setClipboardEnabled 1"}));
  EXPECT_EQ(hub->lastChangeCount(), pasteboard->changeCount());
  EXPECT_TRUE(*hub->clipboardEnabled);
  EXPECT_EQ(macMedia->refreshes, 1) << "the computer's player is read once at construction";
  EXPECT_EQ(hub->linkState.get(), LinkState::disconnected("Starting\u2026"));
}

// A desktop clipboard that says when it misses copies made elsewhere.
struct LimitedPasteboard final : Pasteboard {
  std::int64_t changeCount() override { return 0; }
  std::optional<std::string> string() override { return std::nullopt; }
  void setString(const std::string&) override {}
  std::optional<std::string> limitation() const override { return why; }
  std::optional<std::string> why = "copies elsewhere are missed";
};

TEST_F(HubTest, APasteboardThatMissesCopiesIsReportedWhenItSaysSo) {
  auto limited = std::make_shared<LimitedPasteboard>();
  AppStateServices s = services();
  s.pasteboard = limited;
  defaults->set("zel.clipboard.sync.enabled", true);
  hub = AppState::create(std::move(s), false);
  EXPECT_EQ(*hub->clipboardLimited, "copies elsewhere are missed");
  connect();
  int assignments = 0;
  auto watch = hub->clipboardLimited.subscribe([&](const auto&) { ++assignments; });
  main->advance(std::chrono::seconds(3));
  EXPECT_EQ(assignments, 0) << "told once, not on every tick";
  limited->why = "the clipboard watcher stopped";  // it failed later
  main->advance(std::chrono::milliseconds(750));
  EXPECT_EQ(*hub->clipboardLimited, "the clipboard watcher stopped");
  limited->why.reset();
  main->advance(std::chrono::milliseconds(750));
  EXPECT_FALSE(*hub->clipboardLimited);
  EXPECT_EQ(assignments, 2);
  watch.reset();
  build();
  EXPECT_FALSE(*hub->clipboardLimited) << "a pasteboard that sees every copy reports nothing";
}

TEST_F(HubTest, AClipboardThatFailedWhileNotPolledIsReportedWhenThePollCouldStart) {
  struct Row {
    const char* name;
    bool syncOn;  // off: the sync is switched on, with the link still down; on: the link comes up
  };
  const Row rows[] = {
      {"the sync switched on, the link still down", false},
      {"the link comes up with the sync on", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    auto limited = std::make_shared<LimitedPasteboard>();
    limited->why.reset();
    AppStateServices s = services();
    s.pasteboard = limited;
    defaults->set("zel.clipboard.sync.enabled", row.syncOn);
    hub = AppState::create(std::move(s), false);
    limited->why = "the clipboard watcher stopped";
    main->advance(std::chrono::seconds(5));
    EXPECT_FALSE(*hub->clipboardLimited) << "nothing looks while nothing is polled";
    if (row.syncOn) {
      connect();
    } else {
      hub->setClipboard(true);
    }
    EXPECT_EQ(*hub->clipboardLimited, "the clipboard watcher stopped");
  }
}

TEST_F(HubTest, WithoutStartNowTheServerWaitsForTheCaller) {
  build(false);
  EXPECT_EQ(server->calls, (std::vector<std::string>{"setDelegate", "setClipboardEnabled 0"}));
  hub->startServer();
  EXPECT_EQ(server->calls.back(), "start");
}

TEST_F(HubTest, TheComputersDeviceIDIsMadeOnceAndKept) {
  build();
  const std::string first = hub->macDeviceID();
  EXPECT_TRUE(
      std::regex_match(first, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}")))
      << first;
  EXPECT_EQ(defaults->string("zel.macDeviceID"), first);
  hub.reset();
  build();
  EXPECT_EQ(hub->macDeviceID(), first) << "a later launch reuses the stored identifier";
}

TEST_F(HubTest, StoredSettingsAreLoadedWithTheirDefaults) {
  struct Row {
    const char* name;
    std::optional<DefaultsValue> autoOpen;
    bool expected;
  };
  const Row rows[] = {
      {"absent", std::nullopt, true},
      {"false", DefaultsValue(false), false},
      {"true", DefaultsValue(true), true},
      {"a string", DefaultsValue(std::string("false")), true},
      {"an integer", DefaultsValue(std::int64_t{0}), true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    defaults = std::make_shared<MemoryUserDefaults>();
    if (row.autoOpen) defaults->set("orvane.links.autoOpen", *row.autoOpen);
    defaults->set("orvane.device.alias", std::string("Desk"));
    build();
    EXPECT_EQ(*hub->autoOpenLinks, row.expected);
    EXPECT_EQ(*hub->deviceAlias, "Desk");
    EXPECT_FALSE(*hub->clipboardEnabled) << "clipboard sync is off unless stored on";
  }
}

// The value the countdown reaches from `start` after `ticks` ticks, subtracted one by one.
double afterTicks(double start, int ticks) {
  for (int i = 0; i < ticks && start > 0; ++i) start -= 1;
  return start;
}

TEST_F(HubTest, TheInvitationCountsDownByWholeSecondsAndStopsBelowZero) {
  build();
  auto shown = hub->showCountdown();
  std::vector<double> seen;
  auto watch = hub->inviteExpiresIn.subscribe([&](double v) { seen.push_back(v); });
  hub->serverInvitationChanged("ZEL1|x", 2.4, "192.0.2.1", 17431, {"192.0.2.1"}, std::nullopt);
  main->runUntilIdle();
  main->advance(seconds(6));
  ASSERT_EQ(seen.size(), 4u) << "2.4 from the server, then three ticks; nothing once below zero";
  EXPECT_DOUBLE_EQ(seen[0], 2.4);
  EXPECT_NEAR(seen[1], 1.4, 1e-9);
  EXPECT_NEAR(seen[2], 0.4, 1e-9);
  EXPECT_NEAR(seen[3], -0.6, 1e-9);
}

TEST_F(HubTest, NothingTicksWhileNobodyShowsTheCountdown) {
  build();
  hub->serverInvitationChanged("ZEL1|x", 300, "192.0.2.1", 17431, {"192.0.2.1"}, std::nullopt);
  main->runUntilIdle();
  int assignments = 0;
  auto watch = hub->inviteExpiresIn.subscribe([&](double) { ++assignments; });
  EXPECT_EQ(main->pending(), 0u) << "no timer waits";
  main->advance(seconds(30));
  EXPECT_EQ(assignments, 0);
  EXPECT_EQ(*hub->inviteExpiresIn, 300);
}

TEST_F(HubTest, ShowingTheCountdownFirstMakesUpTheTicksItMissed) {
  // The hub is built at 0 s; its ticks fall at 1 s, 2 s, 3 s and so on.
  struct Row {
    const char* name;
    double invitationAt;  // seconds after the hub was built
    double expiresIn;
    double shownAt;
    double expected;
  };
  const Row rows[] = {
      {"none due yet", 0, 300, 0.9, 300},
      {"a tick exactly at the demand", 0, 300, 1, 299},
      {"two ticks", 0, 2.4, 2.5, afterTicks(2.4, 2)},
      {"a fraction ends just below zero", 0, 2.4, 10, afterTicks(2.4, 3)},
      {"whole seconds stop at zero", 0, 3, 40.5, 0},
      {"already expired stays", 0, -0.5, 5, -0.5},
      {"only the ticks after the invitation", 5.5, 10, 7.2, 8},
      {"a tick at the invitation's moment came before it", 6, 10, 7.2, 9},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const SteadyTime built = clock.now();
    build();
    auto at = [&](double s) { main->advance(built + std::chrono::duration_cast<Duration>(Seconds(s)) - clock.now()); };
    at(row.invitationAt);
    hub->serverInvitationChanged("ZEL1|x", row.expiresIn, "192.0.2.1", 17431, {"192.0.2.1"}, std::nullopt);
    main->runUntilIdle();
    at(row.shownAt);
    std::vector<double> seen;
    auto watch = hub->inviteExpiresIn.subscribe([&](double v) { seen.push_back(v); });
    auto shown = hub->showCountdown();
    EXPECT_DOUBLE_EQ(*hub->inviteExpiresIn, row.expected);
    EXPECT_LE(seen.size(), 1u) << "brought up to date in one assignment";
    EXPECT_EQ(seen.empty(), row.expected == row.expiresIn) << "and none when nothing changed";
    shown.release();
    hub.reset();
  }
}

TEST_F(HubTest, TheCountdownKeepsItsPhaseAcrossDemands) {
  build();  // at 0 s: ticks at whole seconds
  hub->serverInvitationChanged("ZEL1|x", 100, "192.0.2.1", 17431, {"192.0.2.1"}, std::nullopt);
  main->runUntilIdle();
  main->advance(milliseconds(3200));
  std::optional<AppState::CountdownDemand> shown = hub->showCountdown();
  EXPECT_EQ(*hub->inviteExpiresIn, 97);
  main->advance(milliseconds(799));
  EXPECT_EQ(*hub->inviteExpiresIn, 97) << "not one second after the demand";
  main->advance(milliseconds(1));
  EXPECT_EQ(*hub->inviteExpiresIn, 96) << "but at 4 s, on the grid";
  main->advance(seconds(3));
  EXPECT_EQ(*hub->inviteExpiresIn, 93) << "then every second";

  shown.reset();
  EXPECT_EQ(main->pending(), 0u) << "the last demand gone, the timer is too";
  main->advance(milliseconds(2500));
  EXPECT_EQ(*hub->inviteExpiresIn, 93);
  shown = hub->showCountdown();  // at 9.5 s
  EXPECT_EQ(*hub->inviteExpiresIn, 91);
  main->advance(milliseconds(499));
  EXPECT_EQ(*hub->inviteExpiresIn, 91);
  main->advance(milliseconds(1));
  EXPECT_EQ(*hub->inviteExpiresIn, 90) << "at 10 s";
}

TEST_F(HubTest, DemandsForTheCountdownAddUp) {
  build();
  hub->serverInvitationChanged("ZEL1|x", 100, "192.0.2.1", 17431, {"192.0.2.1"}, std::nullopt);
  main->runUntilIdle();
  auto first = hub->showCountdown();
  auto second = hub->showCountdown();
  AppState::CountdownDemand moved = std::move(second);
  second.release();  // moved from: holds nothing
  main->advance(seconds(2));
  EXPECT_EQ(*hub->inviteExpiresIn, 98);
  first.release();
  first.release();  // a second release is no second ending
  main->advance(seconds(2));
  EXPECT_EQ(*hub->inviteExpiresIn, 96) << "one demand is left";
  moved = AppState::CountdownDemand();
  main->advance(seconds(2));
  EXPECT_EQ(*hub->inviteExpiresIn, 96) << "none left";
  EXPECT_EQ(main->pending(), 0u);
}

TEST_F(HubTest, TheCountdownStopsForGoodAtShutdownAndItsDemandsOutliveTheHub) {
  build();
  hub->serverInvitationChanged("ZEL1|x", 100, "192.0.2.1", 17431, {"192.0.2.1"}, std::nullopt);
  main->runUntilIdle();
  auto shown = hub->showCountdown();
  main->advance(seconds(1));
  EXPECT_EQ(*hub->inviteExpiresIn, 99);
  hub->shutdown({});
  main->advance(seconds(3));
  EXPECT_EQ(*hub->inviteExpiresIn, 99);
  auto later = hub->showCountdown();
  EXPECT_EQ(*hub->inviteExpiresIn, 99) << "not brought up to date once shut down";
  EXPECT_EQ(main->pending(), 0u);
  hub.reset();
  shown.release();  // the hub is gone: nothing to tell
}

TEST_F(HubTest, AnInvitationSetsItsFieldsInOrder) {
  build();
  std::vector<std::string> order;
  std::vector<Subscription> subs;
  subs.push_back(hub->lastQRText.subscribe([&](auto&) { order.push_back("lastQRText"); }));
  subs.push_back(hub->qrImage.subscribe([&](auto&) { order.push_back("qrImage"); }));
  subs.push_back(hub->inviteExpiresIn.subscribe([&](auto&) { order.push_back("inviteExpiresIn"); }));
  subs.push_back(hub->listenerIP.subscribe([&](auto&) { order.push_back("listenerIP"); }));
  subs.push_back(hub->listenerPort.subscribe([&](auto&) { order.push_back("listenerPort"); }));
  subs.push_back(hub->allIPs.subscribe([&](auto&) { order.push_back("allIPs"); }));
  hub->serverInvitationChanged("ZEL1|abc", 300, "192.0.2.7", 17431, {"192.0.2.7", "198.51.100.2"}, std::nullopt);
  EXPECT_TRUE(order.empty()) << "nothing changes on the server's queue";
  main->runUntilIdle();
  EXPECT_EQ(order, (std::vector<std::string>{"lastQRText", "qrImage", "inviteExpiresIn", "listenerIP", "listenerPort",
                                             "allIPs"}));
  EXPECT_EQ(*hub->listenerIP, "192.0.2.7");
  EXPECT_EQ(hub->allIPs->size(), 2u);
}

TEST_F(HubTest, ConnectedAsksForMediaNowAndTwiceMore) {
  build();
  macMedia->refreshes = 0;
  server->calls.clear();
  hub->serverStateChanged(LinkState::connected());
  main->runUntilIdle();
  EXPECT_EQ(server->callsStartingWith("requestMedia").size(), 1u);
  EXPECT_EQ(macMedia->refreshes, 1);
  main->advance(milliseconds(499));
  EXPECT_EQ(server->callsStartingWith("requestMedia").size(), 1u);
  main->advance(milliseconds(1));
  EXPECT_EQ(server->callsStartingWith("requestMedia").size(), 2u) << "0.5 s later";
  EXPECT_EQ(macMedia->refreshes, 2);
  main->advance(milliseconds(1000));
  EXPECT_EQ(server->callsStartingWith("requestMedia").size(), 3u) << "1.5 s later";
  EXPECT_EQ(macMedia->refreshes, 3);
  main->advance(seconds(10));
  EXPECT_EQ(server->callsStartingWith("requestMedia").size(), 3u) << "and no more";
}

TEST_F(HubTest, EveryStateButConnectedClearsThePhonesAddress) {
  build();
  const LinkState others[] = {LinkState::disconnected("Listening on port 17431"), LinkState::reconnecting(2),
                              LinkState::error("Listener failed"), LinkState::connecting(),
                              LinkState::awaitingApproval()};
  for (const LinkState& state : others) {
    SCOPED_TRACE(state.caseName());
    hub->serverPhoneAddressChanged("192.0.2.50");
    main->runUntilIdle();
    ASSERT_EQ(*hub->phoneAddress, "192.0.2.50");
    hub->serverStateChanged(state);
    main->runUntilIdle();
    EXPECT_EQ(hub->linkState.get(), state);
    EXPECT_FALSE(*hub->phoneAddress);
  }
  hub->serverPhoneAddressChanged("192.0.2.50");
  pasteboard->setString("copied while the link was down");
  connect();
  EXPECT_EQ(*hub->phoneAddress, "192.0.2.50") << "connected keeps the address";
  EXPECT_EQ(hub->lastChangeCount(), pasteboard->changeCount()) << "and takes the pasteboard's count as seen";
}

TEST_F(HubTest, WakeRestartsAndNudgesOnlyAPairedPhoneThatIsAway) {
  struct Row {
    const char* name;
    bool paired;
    bool connected;
    bool expectRestart;
  };
  const Row rows[] = {
      {"no paired phone", false, false, false},
      {"paired and away", true, false, true},
      {"paired and connected", true, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    server = std::make_shared<RecordingServer>();
    build();
    if (row.paired) hub->serverPairedDeviceChanged("Pixel", "pixel-8");
    hub->serverStateChanged(row.connected ? LinkState::connected()
                                          : LinkState::disconnected("Listening on port 17431"));
    main->runUntilIdle();
    main->advance(seconds(2));  // past the media requests of a connection
    server->calls.clear();
    ASSERT_TRUE(wake->handler);
    wake->handler();
    main->advance(milliseconds(1499));
    EXPECT_TRUE(server->calls.empty()) << "nothing before 1.5 s";
    main->advance(milliseconds(1));
    if (row.expectRestart) {
      EXPECT_EQ(server->calls, (std::vector<std::string>{"restart", "requestPhoneReconnect"}));
    } else {
      EXPECT_TRUE(server->calls.empty());
    }
    hub.reset();
  }
}

TEST_F(HubTest, NothingRestartsTheServerOnceItIsShuttingDown) {
  build();
  hub->serverPairedDeviceChanged("Pixel", "pixel-8");
  main->runUntilIdle();
  hub->shutdown({});
  server->calls.clear();
  wake->handler();
  main->advance(seconds(2));
  hub->reconnectNow();
  EXPECT_TRUE(server->calls.empty());
}

TEST_F(HubTest, WakeCountsAPhoneKnownOnlyByName) {
  build();
  hub->serverPairedDeviceChanged("Pixel", std::nullopt);
  main->runUntilIdle();
  wake->handler();
  main->advance(seconds(2));
  EXPECT_EQ(server->calls.back(), "requestPhoneReconnect");
}

TEST_F(HubTest, RenameTrimsAndKeepsFortyCharacters) {
  build();
  struct Row {
    const char* name;
    std::string input;
    std::optional<std::string> alias;
  };
  const std::string sixty(60, 'a');
  std::string flags;  // 45 flags: each is one character of two code points
  for (int i = 0; i < 45; ++i) flags += "\U0001F1EB\U0001F1F7";
  std::string fortyFlags;
  for (int i = 0; i < 40; ++i) fortyFlags += "\U0001F1EB\U0001F1F7";
  const Row rows[] = {
      {"spaces only", "   \n\t ", std::nullopt},
      {"sixty characters", sixty, std::string(40, 'a')},
      {"trimmed", "  Work laptop \n", std::string("Work laptop")},
      {"flags count as characters", flags, fortyFlags},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    defaults->set("orvane.device.alias", std::string("old"));
    hub->renameDevice(row.input);
    EXPECT_EQ(*hub->deviceAlias, row.alias);
    EXPECT_EQ(defaults->string("orvane.device.alias"), row.alias) << "absent from the store when there is no alias";
  }
}

TEST_F(HubTest, ForgetClearsTheAliasThenAsksTheServer) {
  build();
  hub->renameDevice("Desk");
  hub->forget();
  EXPECT_FALSE(*hub->deviceAlias);
  EXPECT_FALSE(defaults->object("orvane.device.alias"));
  EXPECT_EQ(server->calls.back(), "forgetPaired");
}

TEST_F(HubTest, TrustIsReadAgainAndStoredOnlyWhenItChanged) {
  build();
  EXPECT_FALSE(*hub->accessibilityTrusted);
  int assignments = 0;
  auto watch = hub->accessibilityTrusted.subscribe([&](bool) { ++assignments; });
  hub->openAccessibilitySettings();
  EXPECT_EQ(workspace->opened, 1);
  EXPECT_EQ(assignments, 0) << "unchanged: not assigned";
  workspace->trusted = true;
  hub->openAccessibilitySettings();
  EXPECT_TRUE(*hub->accessibilityTrusted);
  EXPECT_EQ(assignments, 1);
  workspace->trusted = false;
  hub->serverMediaCommandResult(MediaKeyPoster::Dispatch::permissionUnavailable);
  main->runUntilIdle();
  EXPECT_FALSE(*hub->accessibilityTrusted) << "a refused media key also re-reads it";
  EXPECT_EQ(*hub->lastMediaDispatch, MediaKeyPoster::Dispatch::permissionUnavailable);
}

TEST_F(HubTest, PairingCallbacksSetTheirFields) {
  build();
  hub->serverPendingRequest("Pixel 8", "pixel-8");
  main->runUntilIdle();
  EXPECT_EQ(*hub->pendingName, "Pixel 8");
  EXPECT_EQ(*hub->pendingID, "pixel-8");
  hub->serverPendingCleared();
  hub->serverPairedDeviceChanged("Pixel 8", "pixel-8");
  main->runUntilIdle();
  EXPECT_FALSE(*hub->pendingName);
  EXPECT_FALSE(*hub->pendingID);
  EXPECT_EQ(*hub->pairedID, "pixel-8");

  hub->serverAuthRefused("old-phone", "unknown_device");
  main->runUntilIdle();
  ASSERT_TRUE(*hub->staleAuthAttempt);
  EXPECT_EQ(**hub->staleAuthAttempt, (StaleAuthAttempt{"old-phone", "unknown_device", clock.wallNow()}));
}

TEST_F(HubTest, HistoryClearedDropsThePhonesMediaAndTheLastClipboardEvent) {
  defaults->set("zel.clipboard.sync.enabled", true);
  build();
  hub->serverMediaChanged("Spotify", "Song", std::nullopt, std::nullopt, true, std::nullopt);
  hub->serverClipboardReceived("x", "c1", "phone");  // ignored: not connected
  connect();
  hub->serverClipboardReceived("from the phone", "c2", "phone");
  main->runUntilIdle();
  EXPECT_EQ(hub->nowPlaying->value().app, "Spotify");
  EXPECT_TRUE(*hub->clipLastEvent);
  hub->serverHistoryCleared();
  main->runUntilIdle();
  EXPECT_FALSE(*hub->nowPlaying);
  EXPECT_FALSE(*hub->clipLastEvent);
  EXPECT_EQ(hub->clipHistory->size(), 1u) << "the clipboard history stays";
}

TEST_F(HubTest, PhoneMediaGoneClearsNowPlaying) {
  build();
  hub->serverMediaChanged("Spotify", "Song", "Artist", std::nullopt, false, Bytes{1, 2});
  main->runUntilIdle();
  EXPECT_EQ(*hub->nowPlaying, (PhoneMedia{"Spotify", "Song", "Artist", std::nullopt, false, Bytes{1, 2}}));
  hub->serverMediaChanged(std::nullopt, std::nullopt, std::nullopt, std::nullopt, false, std::nullopt);
  main->runUntilIdle();
  EXPECT_FALSE(*hub->nowPlaying);
}

TEST_F(HubTest, TheComputersPlayerGoesToTheServerAndItsAbsenceToo) {
  build();
  macMedia->onChange(MacMediaObserver::Track{"mpv", "Tone", std::nullopt, std::nullopt, true, std::nullopt});
  EXPECT_EQ(server->calls.back(), "sendMacMedia mpv Tone playing");
  EXPECT_EQ(*hub->macTrackUpdatedAt, clock.wallNow());
  macMedia->onChange(std::nullopt);
  EXPECT_EQ(server->calls.back(), "sendMacMedia - - paused") << "no track: an empty record";
  macMedia->onUnavailable();
  EXPECT_EQ(server->calls.back(), "sendMacMediaUnavailable");
  EXPECT_FALSE(*hub->macTrack);
  EXPECT_EQ(*hub->macTrackUpdatedAt, WallTime{});
}

TEST_F(HubTest, CallbacksAfterTheHubIsGoneAreDropped) {
  build();
  std::weak_ptr<AppState> weak = hub;
  hub->serverStateChanged(LinkState::connected());
  hub->serverInvitationChanged("ZEL1|x", 10, "ip", 1, {}, std::nullopt);
  wake->handler();
  hub.reset();
  EXPECT_TRUE(weak.expired()) << "nothing the hub handed out keeps it alive";
  main->advance(seconds(5));  // runs the posted work, the delayed checks and the timers
  EXPECT_EQ(main->pending(), 0u) << "the timers ended with the hub";
}

TEST_F(HubTest, AHubLetGoOnAnotherThreadIsDestroyedOnItsOwn) {
  build();
  const long serverOwners = server.use_count();  // the test and the hub
  std::shared_ptr<AppState> last = std::move(hub);
  std::thread other([held = std::move(last)]() mutable { held.reset(); });  // as the server's queue might
  other.join();
  EXPECT_EQ(server.use_count(), serverOwners) << "not destroyed on the other thread";
  main->runUntilIdle();
  EXPECT_EQ(server.use_count(), serverOwners - 1) << "destroyed on the main queue";
}

// The server's queue asks whether this computer plays; the main thread answers.
TEST(HubMacIsPlaying, AnsweredFromTheMainThreadWhileTheTrackIsFresh) {
  FakeClock clock;
  auto main = std::make_shared<ThreadQueue>("main");
  auto server = std::make_shared<RecordingServer>();
  auto macMedia = std::make_shared<FakeMacMedia>();
  AppStateServices s;
  s.main = main;
  s.clock = &clock;
  s.defaults = std::make_shared<MemoryUserDefaults>();
  s.server = server;
  s.pasteboard = std::make_shared<MemoryPasteboard>();
  s.macMedia = macMedia;
  std::shared_ptr<AppState> hub;
  auto onMain = [&](std::function<void()> work) {
    std::promise<void> done;
    main->post([&] {
      work();
      done.set_value();
    });
    done.get_future().wait();
  };
  onMain([&] { hub = AppState::create(s, false); });

  EXPECT_EQ(hub->serverMacIsPlaying(), std::nullopt) << "no track known";
  onMain([&] { macMedia->onChange(MacMediaObserver::Track{"mpv", "Tone", {}, {}, true, {}}); });
  EXPECT_EQ(hub->serverMacIsPlaying(), true);
  clock.advance(seconds(15));
  EXPECT_EQ(hub->serverMacIsPlaying(), true) << "15 s old is still fresh";
  clock.advance(seconds(1));
  EXPECT_EQ(hub->serverMacIsPlaying(), std::nullopt) << "older than 15 s: unknown";

  // A main thread that is busy does not hold the server's queue past the wait, even
  // with a fresh track it would answer true for.
  onMain([&] { macMedia->onChange(MacMediaObserver::Track{"mpv", "Tone", {}, {}, true, {}}); });
  ASSERT_EQ(hub->serverMacIsPlaying(), true);
  std::promise<void> release;
  auto released = release.get_future().share();
  main->post([released] { released.wait(); });
  const auto asked = std::chrono::steady_clock::now();
  EXPECT_EQ(hub->serverMacIsPlaying(), std::nullopt);
  const auto waited = std::chrono::steady_clock::now() - asked;
  EXPECT_GE(waited, milliseconds(450)) << "it waited for the main thread";
  EXPECT_LT(waited, seconds(5)) << "and gave up after about half a second";
  release.set_value();
  onMain([&] { hub.reset(); });
}

}  // namespace
}  // namespace orvane::testing

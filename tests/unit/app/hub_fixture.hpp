#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/app_state.hpp"
#include "app/memory_pasteboard.hpp"
#include "base/manual_queue.hpp"

namespace orvane::testing {

// Records every call the hub makes into the server, one readable line each.
class RecordingServer final : public PairingServerControl {
 public:
  std::vector<std::string> calls;
  std::weak_ptr<PairingServerDelegate> delegate;
  std::function<void()> onStart;  // runs inside start(), e.g. to change the pasteboard

  std::vector<std::string> callsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const auto& c : calls)
      if (c.rfind(prefix, 0) == 0) found.push_back(c);
    return found;
  }

  void setDelegate(std::weak_ptr<PairingServerDelegate> d) override {
    delegate = std::move(d);
    calls.push_back("setDelegate");
  }
  void start() override {
    calls.push_back("start");
    if (onStart) onStart();
  }
  void restart() override { calls.push_back("restart"); }
  void disconnectSession() override { calls.push_back("disconnectSession"); }
  void shutdown(std::function<void()> done) override {
    calls.push_back("shutdown");
    if (done) done();
  }
  void regenerateInvitation() override { calls.push_back("regenerateInvitation"); }
  void approvePending() override { calls.push_back("approvePending"); }
  void denyPending() override { calls.push_back("denyPending"); }
  void forgetPaired() override { calls.push_back("forgetPaired"); }
  void requestPhoneReconnect() override { calls.push_back("requestPhoneReconnect"); }
  void sendTestMessage(std::string text, std::optional<std::string>) override { calls.push_back("sendTestMessage " + text); }
  void sendTestUrl(std::string url, std::optional<std::string>) override { calls.push_back("sendTestUrl " + url); }
  void sendNotifDismiss(std::string id) override { calls.push_back("sendNotifDismiss " + id); }
  void sendNotifReply(std::string id, std::string text) override { calls.push_back("sendNotifReply " + id + " " + text); }
  void sendMediaCommand(std::string cmd) override { calls.push_back("sendMediaCommand " + cmd); }
  void requestMedia() override { calls.push_back("requestMedia"); }
  void sendMacMedia(std::optional<std::string> app, std::optional<std::string> title, std::optional<std::string>,
                    std::optional<std::string>, bool playing, std::optional<ArtworkRenditions>) override {
    calls.push_back("sendMacMedia " + app.value_or("-") + " " + title.value_or("-") + (playing ? " playing" : " paused"));
  }
  void sendMacMediaUnavailable() override { calls.push_back("sendMacMediaUnavailable"); }
  void sendClipboardText(std::string text, std::string clipID, std::string origin) override {
    calls.push_back("sendClipboardText " + text);
    lastClipID = clipID;
    lastOrigin = origin;
  }
  void noteLocalClipboardApplied(std::string text) override { calls.push_back("noteLocalClipboardApplied " + text); }
  void setClipboardEnabled(bool on) override { calls.push_back(on ? "setClipboardEnabled 1" : "setClipboardEnabled 0"); }

  std::string lastClipID;
  std::string lastOrigin;
};

// The computer's player as the hub sees it: counts refreshes; the test calls the handlers.
class FakeMacMedia final : public MacMediaObserver {
 public:
  void setHandlers(ChangeHandler c, UnavailableHandler u) override {
    onChange = std::move(c);
    onUnavailable = std::move(u);
  }
  void refresh() override { ++refreshes; }
  ChangeHandler onChange;
  UnavailableHandler onUnavailable;
  int refreshes = 0;
};

class FakeWake final : public WakeSignal {
 public:
  void setHandler(std::function<void()> h) override { handler = std::move(h); }
  std::function<void()> handler;
};

class FakeWorkspace final : public Workspace {
 public:
  bool openURL(const std::string& url) override {
    opened_urls.push_back(url);
    return opens;
  }
  std::vector<std::string> opened_urls;
  bool opens = true;
  void openAccessibilitySettings() override { ++opened; }
  bool isProcessTrusted() override { return trusted; }
  bool trusted = false;
  int opened = 0;
};

// The notification centre: keeps what was shown and withdrawn; the test answers banners.
class FakeNotifications final : public UserNotifications {
 public:
  void setResponseHandler(std::function<void(const NotificationResponse&)> h) override { respond = std::move(h); }
  void setCategories(std::vector<NotificationCategory> c) override { categories = std::move(c); }
  void requestAuthorization() override { ++authorizationRequests; }
  void add(const NotificationRequest& r) override { added.push_back(r); }
  void remove(const std::vector<std::string>& ids) override { removed.insert(removed.end(), ids.begin(), ids.end()); }

  std::function<void(const NotificationResponse&)> respond;
  std::vector<NotificationCategory> categories;
  int authorizationRequests = 0;
  std::vector<NotificationRequest> added;
  std::vector<std::string> removed;
};

// A hub on a manual main queue and a fake clock (local time is UTC, so the fake clock's
// 14:30:00 reads "14:30:00"), with every port recorded. `build()` constructs it, so a
// test may first prepare the defaults and the pasteboard.
class HubTest : public ::testing::Test {
 protected:
  HubTest() {
    ::setenv("TZ", "UTC", 1);
    ::tzset();
  }

  std::shared_ptr<AppState> build(bool startNow = true) {
    hub = AppState::create(services(), startNow);
    return hub;
  }

  // Every port of the fixture; a test may swap one before creating the hub itself.
  AppStateServices services() {
    AppStateServices s;
    s.main = main;
    s.clock = &clock;
    s.defaults = defaults;
    s.server = server;
    s.pasteboard = pasteboard;
    s.wake = wake;
    s.macMedia = macMedia;
    s.workspace = workspace;
    s.notifications = notifications;
    return s;
  }

  // The server's report that the link is up, as it reaches the hub.
  void connect() {
    hub->serverStateChanged(LinkState::connected());
    main->runUntilIdle();
  }

  FakeClock clock;
  std::shared_ptr<ManualQueue> main = std::make_shared<ManualQueue>("main", clock);
  std::shared_ptr<MemoryUserDefaults> defaults = std::make_shared<MemoryUserDefaults>();
  std::shared_ptr<RecordingServer> server = std::make_shared<RecordingServer>();
  std::shared_ptr<MemoryPasteboard> pasteboard = std::make_shared<MemoryPasteboard>();
  std::shared_ptr<FakeWake> wake = std::make_shared<FakeWake>();
  std::shared_ptr<FakeMacMedia> macMedia = std::make_shared<FakeMacMedia>();
  std::shared_ptr<FakeWorkspace> workspace = std::make_shared<FakeWorkspace>();
  std::shared_ptr<FakeNotifications> notifications = std::make_shared<FakeNotifications>();
  std::shared_ptr<AppState> hub;
};

}  // namespace orvane::testing

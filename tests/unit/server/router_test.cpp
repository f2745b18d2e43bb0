// The inbound catalogue at the dispatch level: for each (authenticated?, envelope),
// the reply, whether the connection stays, and what the delegate hears.
#include <gtest/gtest.h>

#include "server_harness.hpp"

namespace orvane::testing {
namespace {

struct RouteCase {
  const char* name;
  bool authed;
  std::string type;
  Body body;
  std::optional<std::string> replyType;  // none: no reply at all
  Body replyBody;                        // compared when a reply is expected (ack_for is checked separately)
  bool keptOpen;
  std::vector<std::string> delegateEvents;  // exact events after the envelope
};

std::string longText(std::size_t n, const std::string& unit = "a") {
  std::string s;
  for (std::size_t i = 0; i < n; ++i) s += unit;
  return s;
}

const RouteCase kCases[] = {
    {"ping unauthenticated", false, "ping", {}, "pong", {}, true, {}},
    {"pong", false, "pong", {}, std::nullopt, {}, true, {}},
    {"notif_post unauthenticated", false, "notif_post", {{"id", "n1"}, {"app", "Chat"}, {"title", "Hi"}}, "error",
     {{"reason", "unauthorised"}}, false, {}},
    {"message unauthenticated", false, "message", {{"text", "hi"}}, "error", {{"reason", "unauthorised"}}, false, {}},
    {"unknown unauthenticated", false, "teleport", {}, "error", {{"reason", "unknown_type"}}, false, {}},
    {"unknown authenticated", true, "teleport", {}, "error", {{"reason", "unknown_type"}}, true, {}},
    {"error from the phone", true, "error", {{"reason", "x"}}, "error", {{"reason", "unknown_type"}}, true, {}},
    {"type is case-sensitive", true, "Ping", {}, "error", {{"reason", "unknown_type"}}, true, {}},
    {"disconnect unauthenticated", false, "disconnect", {}, std::nullopt, {}, false, {}},
    {"ack unauthenticated, nothing pending", false, "ack", {{"ack_for", "nope"}}, std::nullopt, {}, true, {}},
    {"message", true, "message", {{"text", "hello"}}, "ack", {}, true, {"message hello"}},
    {"empty message", true, "message", {{"text", ""}}, "error", {{"reason", "empty_message"}}, true, {}},
    {"message without text", true, "message", {}, "error", {{"reason", "empty_message"}}, true, {}},
    {"url_share", true, "url_share", {{"url", "example.com/a"}, {"context", "  see   this "}, {"app", " Chrome "}}, "ack",
     {}, true, {"url https://example.com/a see this Chrome"}},
    {"url_share without url", true, "url_share", {}, "error", {{"reason", "bad_url"}}, true, {}},
    {"url_share other scheme", true, "url_share", {{"url", "ftp://example.com"}}, "error", {{"reason", "bad_url"}}, true, {}},
    {"notif_post", true, "notif_post",
     {{"id", " n1 "}, {"app", "Chat"}, {"title", "Hi  there"}, {"text", "body"}, {"time", "1700000000000"}, {"reply", "1"}},
     std::nullopt, {}, true, {"notif n1 Chat Hi there body 1700000000000 reply"}},
    {"notif_post without time", true, "notif_post", {{"id", "n1"}, {"app", "Chat"}, {"text", "x"}}, std::nullopt, {}, true,
     {"notif n1 Chat - x 0 noreply"}},
    {"notif_post with no usable title or text", true, "notif_post",
     {{"id", "n1"}, {"app", "Chat"}, {"title", " \t "}, {"text", longText(1025)}}, std::nullopt, {}, true, {}},
    {"notif_post without id", true, "notif_post", {{"app", "Chat"}, {"text", "x"}}, std::nullopt, {}, true, {}},
    {"notif_reply_result", true, "notif_reply_result", {{"id", "n1"}, {"ok", "0"}, {"reason", " raw reason "}}, std::nullopt,
     {}, true, {"notifReplyResult n1 failed  raw reason "}},
    {"notif_gone", true, "notif_gone", {{"id", "n1"}}, std::nullopt, {}, true, {"notifGone n1"}},
    {"media_post", true, "media_post", {{"app", "Spotify"}, {"title", "Song"}, {"state", "playing"}, {"art", "AAEC"}},
     std::nullopt, {}, true, {"media Spotify Song - - playing art=3"}},
    {"media_post invalid art", true, "media_post", {{"app", "Spotify"}, {"artist", "Band"}, {"state", "paused"}, {"art", "A"}},
     std::nullopt, {}, true, {"media Spotify - Band - paused art=-"}},
    {"media_post capital state", true, "media_post", {{"app", "Spotify"}, {"title", "Song"}, {"state", "Playing"}},
     std::nullopt, {}, true, {}},
    {"media_post without text fields", true, "media_post", {{"app", "Spotify"}, {"title", ""}, {"state", "playing"}},
     std::nullopt, {}, true, {}},
    {"media_gone", true, "media_gone", {}, std::nullopt, {}, true, {"media - - - - paused art=-"}},
    {"maccmd outside the five", true, "maccmd", {{"cmd", "stop"}}, std::nullopt, {}, true, {}},
    {"maccmd padded", true, "maccmd", {{"cmd", " toggle"}}, std::nullopt, {}, true, {}},
    {"maccmd toggle", true, "maccmd", {{"cmd", "toggle"}}, std::nullopt, {}, true, {"mediaResult permissionUnavailable"}},
    {"phone_status", true, "phone_status", {{"battery", "150"}}, std::nullopt, {}, true, {"phoneStatus"}},
    {"clipboard_update while sync is off", true, "clipboard_update",
     {{"clip_id", "c1"}, {"origin", "phone"}, {"seq", "1"}, {"text", "hi"}}, std::nullopt, {}, true, {}},
    {"authenticate on an authenticated connection", true, "authenticate", {}, std::nullopt, {}, true, {}},
    {"pair_request on an authenticated connection", true, "pair_request", {}, "error", {{"reason", "already_paired"}}, true,
     {}},
    {"forget_device for another device", true, "forget_device", {{"device_id", "someone-else"}}, "error",
     {{"reason", "unauthorised"}}, false, {}},
};

TEST(Router, EveryInboundRowRepliesAsTheCatalogueSays) {
  for (const RouteCase& c : kCases) {
    SCOPED_TRACE(c.name);
    ServerHarness h;
    h.storePairedDevice();
    h.start();
    auto conn = c.authed ? h.authenticatedConnection() : h.connect();
    ASSERT_EQ(h.inspect().authedPeerID.has_value(), c.authed);
    conn->clearSent();
    h.delegate->clear();

    conn->deliverEnvelope(c.type, c.body, "ENV-1");
    h.run();

    auto sent = conn->sentEnvelopes();
    if (c.replyType) {
      ASSERT_EQ(sent.size(), 1u);
      EXPECT_EQ(sent[0].type, *c.replyType);
      if (*c.replyType == "ack") {
        EXPECT_EQ(sent[0].body, (Body{{"ack_for", "ENV-1"}}));
      } else {
        EXPECT_EQ(sent[0].body, c.replyBody);
      }
    } else {
      EXPECT_TRUE(sent.empty()) << sent.size() << " replies, first " << (sent.empty() ? "" : sent[0].type);
    }
    EXPECT_EQ(!conn->cancelled, c.keptOpen);
    EXPECT_EQ(h.hasPeer(conn->id()), c.keptOpen);
    auto events = h.delegate->events();
    std::erase_if(events, [](const std::string& e) { return e.starts_with("state "); });
    EXPECT_EQ(events, c.delegateEvents);
  }
}

TEST(Router, DisconnectOnTheSessionEndsIt) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto conn = h.authenticatedConnection();
  const auto gen = h.inspect().socketGen;
  conn->deliverEnvelope("disconnect");
  h.run();
  EXPECT_TRUE(conn->cancelled);
  EXPECT_TRUE(conn->sentEnvelopes().back().type != "disconnect") << "no reply";
  EXPECT_EQ(h.inspect().socketGen, gen + 1);
  EXPECT_TRUE(h.delegate->has("state disconnected Phone disconnected \u2014 still listening"));
}

TEST(Router, LaterFramesOfAConnectionBeingClosedAreStillRouted) {
  ServerHarness h;
  h.start();
  auto conn = h.connect();
  conn->holdCompletions = true;
  Bytes chunk = *Framing::encode(Envelope{1, "A", "notif_post", {}}.encode());
  Bytes ping = *Framing::encode(Envelope{1, "B", "ping", {}}.encode());
  chunk.insert(chunk.end(), ping.begin(), ping.end());
  conn->deliver(chunk);
  h.run();
  auto sent = conn->sentEnvelopes();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].body, (Body{{"reason", "unauthorised"}}));
  EXPECT_EQ(sent[1].type, "pong");
  conn->releaseCompletions();
  h.run();
  EXPECT_TRUE(conn->cancelled);
}

TEST(Router, MacCmdAsksWhetherTheMacPlaysAndPostsThroughTheOutput) {
  struct Row {
    const char* cmd;
    std::optional<bool> playing;
    bool adapterWorks, trusted;
    std::string result;
    std::vector<int> keys;
  } rows[] = {
      {"play", true, true, true, "noChangeNeeded", {}},
      {"pause", false, true, true, "noChangeNeeded", {}},
      {"pause", std::nullopt, true, false, "posted", {}},
      {"next", std::nullopt, false, false, "permissionUnavailable", {}},
      {"next", std::nullopt, false, true, "posted", {17}},
      {"prev", true, false, true, "posted", {18}},
      {"toggle", false, false, true, "posted", {16}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.cmd) + " playing=" + (row.playing ? (*row.playing ? "yes" : "no") : "unknown"));
    ServerHarness h;
    h.storePairedDevice();
    h.start();
    auto conn = h.authenticatedConnection();
    h.delegate->macIsPlaying = row.playing;
    h.mediaKeys->adapterWorks = row.adapterWorks;
    h.mediaKeys->trusted = row.trusted;
    h.delegate->clear();
    conn->deliverEnvelope("maccmd", {{"cmd", row.cmd}});
    h.run();
    EXPECT_EQ(h.delegate->macIsPlayingCalls, 1);
    EXPECT_EQ(h.delegate->events(), std::vector<std::string>{"mediaResult " + row.result});
    EXPECT_EQ(h.mediaKeys->keys, row.keys);
  }
}

TEST(Router, PhoneStatusIsParsedAndClamped) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto conn = h.authenticatedConnection();
  conn->deliverEnvelope("phone_status", {{"battery", "-5"}, {"charging", "true"}, {"wifi", "1"}, {"wifi_level", "7"},
                                         {"signal", "50%"}, {"sim", "1"}, {"bluetooth", "1"}});
  h.run();
  auto status = h.delegate->lastPhoneStatus();
  ASSERT_TRUE(status);
  EXPECT_EQ(status->batteryPercent, 0);
  EXPECT_FALSE(status->charging);
  EXPECT_TRUE(status->wifi);
  EXPECT_EQ(status->wifiLevel, 4);
  EXPECT_EQ(status->signalLevel, std::nullopt);
  EXPECT_TRUE(status->simReady);
  EXPECT_TRUE(status->bluetooth);
  EXPECT_EQ(status->updatedAt, h.clock.wallNow());
  EXPECT_EQ(status->wifiLabel(), "Excellent");
}

}  // namespace
}  // namespace orvane::testing

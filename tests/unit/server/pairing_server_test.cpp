// The server's lifecycle, connections and receive loop, on fakes and a manual queue.
#include <gtest/gtest.h>

#include "server_harness.hpp"
#include "wire/framing.hpp"

namespace orvane::testing {
namespace {

Bytes header(std::uint32_t n) {
  return {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8),
          static_cast<std::uint8_t>(n)};
}

TEST(PairingServerStart, ListensOnTheFixedPortAndReportsListening) {
  ServerHarness h;
  h.start();
  ASSERT_EQ(h.transport->listenPorts, std::vector<std::uint16_t>{17431});
  EXPECT_TRUE(h.transport->listener->started);
  EXPECT_FALSE(h.transport->listener->service.has_value()) << "no DNS-SD service without a paired phone";
  EXPECT_TRUE(h.delegate->has("state disconnected Listening on port 17431"));
  EXPECT_TRUE(h.log->contains("state=Not connected"));
  auto lines = h.log->systemLines();
  ASSERT_EQ(lines.size(), 1u);
  auto identity = h.identities->loadOrCreate();
  ASSERT_TRUE(identity);
  EXPECT_EQ(lines[0], "ZEL: listener identity " + identity->fingerprintText());
  EXPECT_EQ(identity->fingerprintText().size(), 8u);
}

TEST(PairingServerStart, SecondStartDoesNothing) {
  ServerHarness h;
  h.start();
  h.start();
  EXPECT_EQ(h.transport->listenPorts.size(), 1u);
  EXPECT_EQ(h.delegate->eventsStartingWith("state").size(), 1u);
}

TEST(PairingServerStart, PairedPhoneIsNamedAndAdvertised) {
  ServerHarness h;
  h.storePairedDevice("123456");
  h.start();
  EXPECT_TRUE(h.delegate->has("paired Pixel 8 pixel-8"));
  EXPECT_TRUE(h.delegate->has("state disconnected Listening \u2014 Pixel 8 paired"));
  ASSERT_TRUE(h.transport->listener->service.has_value());
  const DiscoveryService& s = *h.transport->listener->service;
  EXPECT_EQ(s.type, "_orvane._tcp");
  EXPECT_EQ(s.name, "Orvane-" + h.identities->installID().substr(0, 4));
  ASSERT_EQ(s.txtRecord.size(), 47u);
  EXPECT_EQ(s.txtRecord[0], 46);
  // SHA-256("123456") in URL-safe base64 without padding.
  EXPECT_EQ(std::string(s.txtRecord.begin() + 1, s.txtRecord.end()), "th=jZae727K08KaOmKSgOaGzww_XVqGr_PKEgIMkjrcbJI");
}

TEST(PairingServerStart, FailuresBecomeErrorStatesAndRestartTriesAgain) {
  {
    ServerHarness h;
    h.transport->failCredentials = true;
    h.start();
    EXPECT_TRUE(h.delegate->has("state error TLS identity unavailable"));
    auto lines = h.log->systemLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("ZEL: sec_identity_create failed (cert ")) << lines[0];
    EXPECT_TRUE(h.transport->listenPorts.empty());
  }
  {
    ServerHarness h;
    h.transport->listenerError = "Address already in use";
    h.start();
    EXPECT_TRUE(h.delegate->has("state error Address already in use"));
    h.start();
    EXPECT_EQ(h.transport->listenPorts.size(), 1u) << "a failed start leaves the server running; start does nothing";
    h.transport->listenerError.reset();
    h.server->restart();
    h.run();
    EXPECT_EQ(h.transport->listenPorts.size(), 2u);
    EXPECT_TRUE(h.delegate->has("state disconnected Listening on port 17431"));
  }
  {
    ServerHarness h;
    h.keychain->failKeyCreation = true;
    h.start();
    auto state = h.delegate->lastState();
    ASSERT_TRUE(state);
    EXPECT_EQ(state->caseName(), "error");
    EXPECT_TRUE(state->detail()->starts_with("Crypto failed: ")) << *state->detail();
  }
}

TEST(PairingServerStart, ListenerFailureLaterIsReportedAndNothingRestarts) {
  ServerHarness h;
  h.start();
  auto* listener = h.transport->listener;
  // The transport reports listener states on the server's queue.
  h.queue.enter([&] { listener->stateHandler(ListenerState::failed, "Network is down"); });
  EXPECT_TRUE(h.delegate->has("state error Listener failed: Network is down"));
  h.queue.enter([&] { listener->stateHandler(ListenerState::cancelled, ""); });
  EXPECT_EQ(h.delegate->eventsStartingWith("state error").size(), 1u);
  EXPECT_EQ(h.transport->listenPorts.size(), 1u);
}

TEST(PairingServerReceive, PingIsAnsweredOnAFreshConnection) {
  ServerHarness h;
  h.start();
  auto conn = h.connect();
  EXPECT_EQ(conn->lastReceiveMaximum, 65536u);
  conn->deliverEnvelope("ping");
  h.run();
  auto reply = conn->lastSent();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->type, "pong");
  EXPECT_TRUE(reply->body.empty());
  EXPECT_EQ(reply->id.size(), 36u);
  EXPECT_FALSE(conn->cancelled);
  EXPECT_TRUE(h.hasPeer(conn->id()));
}

TEST(PairingServerReceive, TwoFramesInOneChunkAndAFrameByteByByte) {
  ServerHarness h;
  h.start();
  auto conn = h.connect();
  Bytes both = *Framing::encode(Envelope{1, "A", "ping", {}}.encode());
  Bytes second = *Framing::encode(Envelope{1, "B", "ping", {}}.encode());
  both.insert(both.end(), second.begin(), second.end());
  conn->deliver(both);
  h.run();
  EXPECT_EQ(conn->sentEnvelopes().size(), 2u);

  Bytes third = *Framing::encode(Envelope{1, "C", "ping", {}}.encode());
  for (std::size_t i = 0; i + 1 < third.size(); ++i) {
    conn->deliver(Bytes{third[i]});
    h.run();
  }
  EXPECT_EQ(conn->sentEnvelopes().size(), 2u) << "no reply before the frame's last byte";
  conn->deliver(Bytes{third.back()});
  h.run();
  EXPECT_EQ(conn->sentEnvelopes().size(), 3u);
}

TEST(PairingServerReceive, MalformedPayloadClosesAnUnauthenticatedConnectionAfterTheReply) {
  ServerHarness h;
  h.start();
  auto conn = h.connect();
  conn->holdCompletions = true;
  conn->deliverFrame("{not json");
  h.run();
  auto reply = conn->lastSent();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->type, "error");
  EXPECT_EQ(reply->body, (Body{{"reason", "malformed_envelope"}}));
  EXPECT_FALSE(conn->cancelled) << "closed only once the reply has been sent";
  conn->releaseCompletions();
  h.run();
  EXPECT_TRUE(conn->cancelled);
  EXPECT_FALSE(h.hasPeer(conn->id()));
}

TEST(PairingServerReceive, MalformedPayloadKeepsAnAuthenticatedConnection) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto conn = h.authenticatedConnection();
  conn->deliverFrame(R"({"v":2,"id":"","type":"ping","body":{}})");
  h.run();
  EXPECT_EQ(conn->lastSent()->body, (Body{{"reason", "unsupported_version"}}));
  EXPECT_FALSE(conn->cancelled);
}

TEST(PairingServerReceive, ImpossibleLengthClosesWithoutReply) {
  ServerHarness h;
  h.start();
  auto conn = h.connect();
  conn->deliver(header(70000));
  h.run();
  EXPECT_TRUE(conn->sentRaw().empty());
  EXPECT_TRUE(conn->cancelled);
  EXPECT_FALSE(h.hasPeer(conn->id()));
  EXPECT_EQ(h.delegate->eventsStartingWith("state").size(), 1u) << "an unauthenticated connection changes no state";
}

TEST(PairingServerReceive, ImpossibleLengthOnTheSessionEndsTheSession) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto conn = h.authenticatedConnection();
  h.server->sendTestMessage("hello", "pending-1");
  h.run();
  const auto gen = h.inspect().socketGen;
  conn->deliver(header(70000));
  h.run();
  EXPECT_TRUE(conn->cancelled);
  EXPECT_FALSE(h.inspect().authedPeerID.has_value());
  EXPECT_EQ(h.inspect().socketGen, gen + 1);
  EXPECT_EQ(h.inspect().waitingAckCount, 0u);
  EXPECT_TRUE(h.delegate->has("state disconnected Connection lost \u2014 still listening"));
}

TEST(PairingServerReceive, EndOfStreamAndFailureDropTheConnection) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto conn = h.authenticatedConnection();
  conn->endStream();
  h.run();
  EXPECT_FALSE(h.hasPeer(conn->id()));
  EXPECT_TRUE(h.log->contains("dropConn: authed session lost"));
  EXPECT_TRUE(h.delegate->has("state disconnected Connection lost \u2014 still listening"));

  auto other = h.connect();
  other->fail();
  h.run();
  EXPECT_FALSE(h.hasPeer(other->id()));
}

TEST(PairingServerSession, DisconnectSessionSendsDisconnectAndSettles) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto conn = h.authenticatedConnection();
  h.server->sendTestUrl("https://example.com", "pending-9");
  h.run();
  h.delegate->clear();
  h.server->disconnectSession();
  h.run();
  EXPECT_EQ(conn->lastSent()->type, "disconnect");
  EXPECT_TRUE(conn->cancelled);
  EXPECT_FALSE(h.inspect().authedPeerID.has_value());
  auto events = h.delegate->events();
  ASSERT_GE(events.size(), 3u);
  EXPECT_TRUE(events[0].starts_with("messageStatus ") && events[0].ends_with(" failed"));
  EXPECT_TRUE(events[1].starts_with("urlStatus ") && events[1].ends_with(" failed"));
  EXPECT_EQ(events.back(), "state disconnected Disconnected by you \u2014 still listening");
}

TEST(PairingServerSession, RestartClosesEverythingAndListensAgain) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto conn = h.authenticatedConnection();
  auto loose = h.connect();
  const auto gen = h.inspect().socketGen;
  h.server->restart();
  h.run();
  EXPECT_TRUE(conn->cancelled);
  EXPECT_TRUE(loose->cancelled);
  EXPECT_EQ(h.inspect().peerCount, 0u);
  EXPECT_EQ(h.inspect().socketGen, gen + 1);
  EXPECT_EQ(h.transport->listenPorts.size(), 2u);
  EXPECT_TRUE(h.inspect().running);
}

TEST(LinkStateTitles, EveryCaseHasItsTitle) {
  struct Row {
    LinkState state;
    std::string title;
    std::string name;
  } rows[] = {
      {LinkState::disconnected("x"), "Not connected", "disconnected"},
      {LinkState::reconnecting(3), "Reconnecting\u2026 (attempt 3)", "reconnecting"},
      {LinkState::error("boom"), "Error", "error"},
      {LinkState::connecting(), "Connecting\u2026", "connecting"},
      {LinkState::awaitingApproval(), "Awaiting approval\u2026", "awaitingApproval"},
      {LinkState::connected(), "Connected", "connected"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.state.title(), row.title);
    EXPECT_EQ(row.state.caseName(), row.name);
  }
}

}  // namespace
}  // namespace orvane::testing

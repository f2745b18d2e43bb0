// The pairing handshake, authentication and forgetting, at the server level.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/codec.hpp"
#include "base/crypto.hpp"
#include "server_harness.hpp"

namespace orvane::testing {
namespace {

Body pairBody(const std::string& token, const std::string& deviceID = kDeviceID) {
  return {{"invitation_token", token}, {"device_id", deviceID}, {"device_name", kDeviceName}, {"phone_token", kPhoneToken}};
}

std::string qrField(const std::string& qr, const std::string& key) {
  auto start = qr.find("|" + key + "=");
  if (start == std::string::npos) return "<missing>";
  start += key.size() + 2;
  return qr.substr(start, qr.find('|', start) - start);
}

class Pairing : public ::testing::Test {
 protected:
  void SetUp() override { h.start(); }
  std::string token() { return h.inspect().invitation->token; }
  // A connection whose pair request now waits for the user.
  std::shared_ptr<FakeConnection> requestPairing() {
    auto conn = h.connect();
    conn->deliverEnvelope("pair_request", pairBody(token()));
    h.run();
    return conn;
  }
  ServerHarness h;
};

TEST_F(Pairing, InvitationIsPublishedAsTheQRText) {
  auto qr = h.delegate->lastQRText();
  ASSERT_TRUE(qr);
  auto identity = h.identities->loadOrCreate();
  EXPECT_TRUE(qr->starts_with("ZEL1|ip=192.168.1.20|port=17431|pin=")) << *qr;
  EXPECT_EQ(qrField(*qr, "pin"), codec::base64Encode(identity->fingerprintSHA256));
  EXPECT_EQ(qrField(*qr, "tok"), token());
  EXPECT_EQ(qrField(*qr, "tok").size(), 22u);
  EXPECT_EQ(qrField(*qr, "exp"), std::to_string(unixSeconds(h.inspect().invitation->expiresAt)));
  EXPECT_TRUE(h.delegate->has("invitation ip=192.168.1.20 port=17431"));
  auto image = h.delegate->lastQRImage();
  ASSERT_TRUE(image);
  EXPECT_GE(image->pixelSize, 260);
}

TEST_F(Pairing, ApprovalPairsAuthenticatesAndAdvertises) {
  auto conn = requestPairing();
  EXPECT_TRUE(h.delegate->has("pending Pixel 8 pixel-8"));
  EXPECT_TRUE(h.delegate->has("state awaitingApproval"));
  EXPECT_TRUE(h.inspect().invitation->consumed);
  const std::string consumed = token();

  h.server->regenerateInvitation();
  h.run();
  EXPECT_EQ(token(), consumed) << "the code stays while a request is pending";

  h.delegate->clear();
  h.server->approvePending();
  h.run();
  auto reply = conn->lastSent();
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->type, "pair_approved");
  EXPECT_EQ(reply->body.at("device_id"), kDeviceID);
  EXPECT_EQ(reply->body.at("mac_name"), "studio");
  const std::string discovery = reply->body.at("discovery_token");
  ASSERT_EQ(discovery.size(), 6u);
  EXPECT_TRUE(std::all_of(discovery.begin(), discovery.end(), ::isdigit));

  EXPECT_EQ(h.inspect().authedPeerID, conn->id());
  ASSERT_TRUE(h.inspect().paired);
  EXPECT_EQ(h.inspect().paired->discoveryToken, discovery);
  auto stored = h.store->load();
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->tokenHashB64, codec::base64Encode(crypto::sha256(*codec::base64urlDecode(kPhoneToken))));
  ASSERT_TRUE(h.transport->listener->service);
  const std::string txt(h.transport->listener->service->txtRecord.begin() + 1, h.transport->listener->service->txtRecord.end());
  EXPECT_EQ(txt, "th=" + codec::base64urlEncode(crypto::sha256(discovery)));
  EXPECT_EQ(h.defaults->string("orvane.phone.lastAddress"), "192.168.1.50");
  EXPECT_EQ(h.defaults->string("orvane.link.lastLocalAddress"), "192.168.1.20");
  EXPECT_NE(token(), consumed) << "a fresh invitation follows the approval";

  const std::vector<std::string> expected = {"pendingCleared", "paired Pixel 8 pixel-8", "phoneAddress 192.168.1.50",
                                             "state connected"};
  auto events = h.delegate->events();
  std::erase_if(events, [](const std::string& e) { return e.starts_with("invitation"); });
  EXPECT_EQ(events, expected);
}

TEST_F(Pairing, ASecondRequestWhilePendingIsRefusedAndTheCodeStays) {
  auto requester = requestPairing();
  const std::string consumed = token();
  auto second = h.connect();
  second->deliverEnvelope("pair_request", pairBody(consumed, "other"));
  h.run();
  EXPECT_EQ(second->lastSent()->body, (Body{{"reason", "invalid_or_expired_invitation"}}));
  EXPECT_TRUE(second->cancelled);
  // The requester stays alive (past the invitation's 300 s) while the user decides.
  for (int i = 0; i < 14; ++i) {
    h.advance(std::chrono::seconds(30));
    requester->deliverEnvelope("ping");
    h.run();
  }
  EXPECT_TRUE(h.inspect().pending);
  EXPECT_EQ(token(), consumed) << "neither the timer nor a refusal renews the code while a request waits";
}

TEST_F(Pairing, DenyAndRequesterGone) {
  {
    auto conn = requestPairing();
    h.delegate->clear();
    h.server->denyPending();
    h.run();
    EXPECT_EQ(conn->lastSent()->body, (Body{{"reason", "denied_by_user"}}));
    EXPECT_TRUE(conn->cancelled);
    EXPECT_FALSE(h.inspect().pending);
    EXPECT_TRUE(h.delegate->has("pendingCleared"));
    EXPECT_EQ(h.delegate->eventsStartingWith("state"),
              std::vector<std::string>{"state disconnected Listening on port 17431"})
        << "nothing awaits approval any more: back to the state before the request";
    EXPECT_FALSE(h.inspect().invitation->consumed);
  }
  {
    auto conn = requestPairing();
    const std::string consumed = token();
    conn->endStream();
    h.run();
    EXPECT_FALSE(h.inspect().pending);
    EXPECT_NE(token(), consumed);
    EXPECT_TRUE(h.delegate->has("state disconnected Pairing request cancelled \u2014 still listening"));
    h.server->approvePending();
    h.run();
    EXPECT_FALSE(h.inspect().paired);
  }
}

class FailingStore final : public PairingStore {
 public:
  using PairingStore::PairingStore;
  expected<void, std::string> save(const PairedDevice&) override { return unexpected(std::string("disk full")); }
};

TEST(PairingStorage, ApprovalThatCannotBeSavedIsDenied) {
  ServerHarness h;
  auto failing = std::make_shared<FailingStore>(h.dir.path() / "Orvane", h.keychain, h.defaults);
  PairingServerServices services;
  services.queue = std::shared_ptr<SerialQueue>(std::shared_ptr<void>(), &h.queue);
  services.clock = &h.clock;
  services.transport = h.transport;
  services.defaults = h.defaults;
  services.identities = h.identities;
  services.pairingStore = failing;
  services.host = h.host;
  auto server = PairingServer::create(services).value();
  server->setDelegate(h.delegate);
  server->start();
  h.run();
  auto conn = h.transport->connect();
  conn->deliverEnvelope("pair_request", pairBody(h.inspect(*server).invitation->token));
  h.run();
  server->approvePending();
  h.run();
  EXPECT_EQ(conn->lastSent()->type, "pair_denied");
  EXPECT_EQ(conn->lastSent()->body, (Body{{"reason", "storage_unavailable"}}));
  EXPECT_TRUE(conn->cancelled);
  EXPECT_FALSE(h.inspect(*server).paired);
  EXPECT_FALSE(h.inspect(*server).pending);
  EXPECT_EQ(h.delegate->lastState(), LinkState::disconnected("Listening on port 17431"))
      << "nothing awaits approval any more: back to the state before the request";
}

struct AuthCase {
  const char* name;
  Body body;
  std::string reason;
  std::string reported;  // the hub's report of the refusal
};

TEST(Authentication, RefusalsCloseWithTheirReason) {
  const AuthCase cases[] = {
      {"unknown device", {{"device_id", "someone"}, {"phone_token", kPhoneToken}}, "unknown_device",
       "authRefused someone unknown_device"},
      {"no device id", {{"phone_token", kPhoneToken}}, "unknown_device", "authRefused  unknown_device"},
      {"wrong token", {{"device_id", kDeviceID}, {"phone_token", codec::base64urlEncode(Bytes(32, 7))}}, "credential_rejected",
       std::string("authRefused ") + kDeviceID + " credential_rejected"},
      {"token of 31 bytes", {{"device_id", kDeviceID}, {"phone_token", codec::base64urlEncode(Bytes(31, 0))}},
       "credential_rejected", std::string("authRefused ") + kDeviceID + " credential_rejected"},
      {"no token", {{"device_id", kDeviceID}}, "credential_rejected",
       std::string("authRefused ") + kDeviceID + " credential_rejected"},
  };
  for (const AuthCase& c : cases) {
    SCOPED_TRACE(c.name);
    ServerHarness h;
    h.storePairedDevice();
    h.start();
    auto conn = h.connect();
    conn->deliverEnvelope("authenticate", c.body);
    h.run();
    ASSERT_TRUE(conn->lastSent());
    EXPECT_EQ(conn->lastSent()->type, "auth_failed");
    EXPECT_EQ(conn->lastSent()->body, (Body{{"reason", c.reason}}));
    EXPECT_TRUE(conn->cancelled);
    EXPECT_EQ(h.delegate->eventsStartingWith("authRefused"), std::vector<std::string>{c.reported});
  }
}

TEST(Authentication, NothingPairedMeansUnknownDevice) {
  ServerHarness h;
  h.start();
  auto conn = h.connect();
  conn->deliverEnvelope("authenticate", {{"device_id", kDeviceID}, {"phone_token", kPhoneToken}});
  h.run();
  EXPECT_EQ(conn->lastSent()->body, (Body{{"reason", "unknown_device"}}));
}

TEST(Authentication, UndecodableStoredHashRejectsEveryCredential) {
  ServerHarness h;
  PairedDevice broken{kDeviceID, kDeviceName, "not base64!", h.clock.wallNow(), "123456"};
  ASSERT_TRUE(h.store->save(broken).has_value());
  h.start();
  auto conn = h.connect();
  conn->deliverEnvelope("authenticate", {{"device_id", kDeviceID}, {"phone_token", kPhoneToken}});
  h.run();
  EXPECT_EQ(conn->lastSent()->body, (Body{{"reason", "credential_rejected"}}));
}

TEST(Authentication, SuccessReplacesTheOlderSessionAndClosesStaleConnections) {
  ServerHarness h;
  h.storePairedDevice("654321");
  h.start();
  auto first = h.authenticatedConnection();
  auto sent = first->sentEnvelopes();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent[0].type, "auth_ok");
  EXPECT_EQ(sent[0].body, (Body{{"mac_name", "studio"}, {"discovery_token", "654321"}}));
  EXPECT_TRUE(h.delegate->has("state connected"));

  auto stale = h.connect();
  const auto gen = h.inspect().socketGen;
  auto second = h.authenticatedConnection();
  EXPECT_TRUE(first->cancelled);
  EXPECT_TRUE(stale->cancelled);
  EXPECT_FALSE(second->cancelled);
  EXPECT_EQ(h.inspect().authedPeerID, second->id());
  EXPECT_EQ(h.inspect().peerCount, 1u);
  EXPECT_EQ(h.inspect().socketGen, gen + 1);
}

TEST(Authentication, HostWithoutANameIsCalledMac) {
  ServerHarness h;
  h.host->hostName.reset();
  h.storePairedDevice(std::nullopt);
  h.start();
  auto conn = h.authenticatedConnection();
  EXPECT_EQ(conn->sentEnvelopes()[0].body, (Body{{"mac_name", "Mac"}, {"discovery_token", h.inspect().paired->discoveryToken.value()}}))
      << "a record without a discovery token gains one at load";
}

TEST(Forgetting, OnTheComputerRevokesTheSession) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto conn = h.authenticatedConnection();
  h.server->sendTestMessage("in flight");
  h.run();
  h.delegate->clear();
  h.server->forgetPaired();
  h.run();
  EXPECT_EQ(conn->lastSent()->type, "pairing_revoked");
  EXPECT_TRUE(conn->cancelled);
  EXPECT_FALSE(h.inspect().paired);
  EXPECT_FALSE(std::filesystem::exists(h.dir.path() / "Orvane" / "pairing.json"));
  EXPECT_FALSE(h.transport->listener->service);
  EXPECT_FALSE(h.inspect().authedPeerID);
  auto events = h.delegate->events();
  std::erase_if(events, [](const std::string& e) { return e.starts_with("invitation") || e.find("Status") != std::string::npos; });
  EXPECT_EQ(events, (std::vector<std::string>{"paired - -", "historyCleared",
                                              "state disconnected Device forgotten \u2014 still listening"}));
  EXPECT_EQ(h.delegate->eventsStartingWith("invitation").size(), 1u);
  EXPECT_EQ(h.delegate->eventsStartingWith("messageStatus").size(), 1u) << "the item in flight is settled";
}

TEST(Forgetting, OnTheComputerDeniesAPendingRequest) {
  ServerHarness h;
  h.start();
  auto conn = h.connect();
  conn->deliverEnvelope("pair_request", pairBody(h.inspect().invitation->token));
  h.run();
  h.server->forgetPaired();
  h.run();
  EXPECT_EQ(conn->lastSent()->body, (Body{{"reason", "pairing_reset"}}));
  EXPECT_FALSE(h.inspect().pending);
}

TEST(Forgetting, AtThePhonesRequest) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto conn = h.authenticatedConnection();
  h.delegate->clear();
  conn->deliverEnvelope("forget_device", {{"device_id", kDeviceID}});
  h.run();
  EXPECT_EQ(conn->lastSent()->type, "forget_done");
  EXPECT_TRUE(conn->cancelled);
  EXPECT_FALSE(h.store->load());
  EXPECT_FALSE(h.transport->listener->service);
  EXPECT_EQ(h.delegate->events(), (std::vector<std::string>{"paired - -", "historyCleared",
                                                            "state disconnected Phone forgot pairing \u2014 still listening"}))
      << "no new invitation at this point";
}

TEST(Forgetting, PhoneRequestWithoutDeviceIDMatchesOnlyWhenNothingIsPaired) {
  ServerHarness h;
  h.storePairedDevice();
  h.start();
  auto conn = h.authenticatedConnection();
  conn->deliverEnvelope("forget_device");
  h.run();
  EXPECT_EQ(conn->lastSent()->body, (Body{{"reason", "unauthorised"}}));
  EXPECT_TRUE(h.inspect().paired);
}

}  // namespace
}  // namespace orvane::testing

namespace orvane::testing {
namespace {

TEST(PairingStorage, AnUnreadableRecordIsNamedInTheStateAndTheLogAndThePhoneIsRefused) {
  ServerHarness h;
  std::filesystem::create_directories(h.dir.path() / "Orvane");
  std::ofstream(h.dir.path() / "Orvane" / "pairing.json") << "{\"deviceID\": \"pix";
  h.start();
  EXPECT_EQ(h.delegate->lastState(), LinkState::disconnected("Stored pairing could not be read \u2014 pair again"));
  bool logged = false;
  for (const auto& e : h.log->entries()) logged |= e.level == LogLevel::error && e.message.find("pairing.json") != std::string::npos;
  EXPECT_TRUE(logged);
  auto conn = h.connect();
  conn->deliverEnvelope("authenticate", {{"device_id", kDeviceID}, {"phone_token", kPhoneToken}});
  h.run();
  ASSERT_TRUE(conn->lastSent());
  EXPECT_EQ(conn->lastSent()->body, (Body{{"reason", "unknown_device"}})) << "the phone hears what it heard before";
}

}  // namespace
}  // namespace orvane::testing

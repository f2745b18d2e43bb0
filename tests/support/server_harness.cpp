#include "server_harness.hpp"

#include "base/codec.hpp"
#include "pairing/server_rules.hpp"

namespace orvane::testing {

ServerHarness::ServerHarness(bool withMacHealth)
    : transport(std::make_shared<FakeTransport>(queue)),
      defaults(std::make_shared<MemoryUserDefaults>()),
      keychain(std::make_shared<MemoryKeychain>()),
      identities(std::make_shared<TLSIdentityManager>(keychain, defaults, clock)),
      store(std::make_shared<PairingStore>(dir.path() / "Orvane", keychain, defaults)),
      host(std::make_shared<FakeHostInfo>()),
      mediaKeys(std::make_shared<FakeMediaKeys>()),
      macHealth(std::make_shared<FakeMacHealth>()),
      log(std::make_shared<RecordingLogSink>()),
      delegate(std::make_shared<RecordingDelegate>()),
      // The queue outlives the server: a non-owning handle is enough.
      queueRef_(std::shared_ptr<SerialQueue>(std::shared_ptr<void>(), &queue)) {
  PairingServerServices services;
  services.queue = queueRef_;
  services.clock = &clock;
  services.transport = transport;
  services.defaults = defaults;
  services.identities = identities;
  services.pairingStore = store;
  services.host = host;
  services.mediaKeys = mediaKeys;
  if (withMacHealth) services.macHealth = macHealth;
  services.log = log;
  server = PairingServer::create(std::move(services)).value();
  server->setDelegate(delegate);
  queue.runUntilIdle();
}

ServerHarness::~ServerHarness() {
  server.reset();
  queue.runUntilIdle();
}

void ServerHarness::storePairedDevice(std::optional<std::string> discoveryToken) {
  auto hash = ServerRules::tokenHash(kPhoneToken);
  PairedDevice device{kDeviceID, kDeviceName, codec::base64Encode(*hash), clock.wallNow(), std::move(discoveryToken)};
  (void)store->save(device);
}

void ServerHarness::start() {
  server->start();
  queue.runUntilIdle();
}

std::shared_ptr<FakeConnection> ServerHarness::authenticatedConnection() {
  auto conn = transport->connect();
  conn->deliverEnvelope("authenticate", {{"device_id", kDeviceID}, {"phone_token", kPhoneToken}}, "AUTH");
  queue.runUntilIdle();
  return conn;
}

}  // namespace orvane::testing

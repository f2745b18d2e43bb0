#pragma once

#include <memory>
#include <string>

#include "base/fake_clock.hpp"
#include "base/log.hpp"
#include "base/manual_queue.hpp"
#include "base/user_defaults.hpp"
#include "fake_transport.hpp"
#include "pairing/keychain.hpp"
#include "pairing/pairing_store.hpp"
#include "pairing/tls_identity_manager.hpp"
#include "recording_delegate.hpp"
#include "server/pairing_server.hpp"
#include "temp_dir.hpp"

namespace orvane::testing {

class FakeHostInfo final : public HostInfo {
 public:
  std::optional<std::string> localizedHostName() override { return hostName; }
  std::vector<std::string> localIPv4() override { return ips; }
  std::optional<std::string> hostName = "studio";
  std::vector<std::string> ips = {"10.0.0.2", "192.168.1.20"};
};

class FakeMediaKeys final : public MediaKeyOutput {
 public:
  bool isTrusted() override { return trusted; }
  bool sendToAdapter(int number) override {
    adapterCalls.push_back(number);
    return adapterWorks;
  }
  bool postMediaKey(MediaGate::Command, int keyCode) override {
    keys.push_back(keyCode);
    return keyTaken;
  }
  bool trusted = false;
  bool adapterWorks = false;
  bool keyTaken = true;  // whether a player takes the key
  std::vector<int> adapterCalls;
  std::vector<int> keys;
};

class FakeMacHealth final : public MacHealthSource {
 public:
  BatteryReading batteryState() override { return battery; }
  NetworkReading networkState() override { return network; }
  BatteryReading battery{57, true};
  NetworkReading network{"Wi-Fi", 3};
};

// The phone token every test phone uses, and its device id.
inline const std::string kPhoneToken = "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8";  // bytes 0..31, base64url
inline const std::string kDeviceID = "pixel-8";
inline const std::string kDeviceName = "Pixel 8";

// A server wired to fakes, on a manual queue with a fake clock.
class ServerHarness {
 public:
  // Without `withMacHealth` the server has no health source and sends no `mac_health`.
  explicit ServerHarness(bool withMacHealth = true);
  ~ServerHarness();

  // Stores a paired device whose token is kPhoneToken (before `start`).
  void storePairedDevice(std::optional<std::string> discoveryToken = "123456");
  void start();
  void run() { queue.runUntilIdle(); }
  void advance(Duration d) { queue.advance(d); }

  // A connection that has authenticated as the paired phone (store it first).
  std::shared_ptr<FakeConnection> authenticatedConnection();
  std::shared_ptr<FakeConnection> connect() { return transport->connect(); }

  // What the server holds, read on its queue without running anything that waits.
  PairingServer::Diagnostics inspect() { return inspect(*server); }
  PairingServer::Diagnostics inspect(const PairingServer& s) {
    return queue.enter([&] { return s.diagnostics(); });
  }
  bool hasPeer(PeerID id) {
    return queue.enter([&] { return server->hasPeer(id); });
  }

  FakeClock clock;
  ManualQueue queue{"zel.pairing-server", clock};
  TempDir dir;
  std::shared_ptr<FakeTransport> transport;
  std::shared_ptr<MemoryUserDefaults> defaults;
  std::shared_ptr<MemoryKeychain> keychain;
  std::shared_ptr<TLSIdentityManager> identities;
  std::shared_ptr<PairingStore> store;
  std::shared_ptr<FakeHostInfo> host;
  std::shared_ptr<FakeMediaKeys> mediaKeys;
  std::shared_ptr<FakeMacHealth> macHealth;
  std::shared_ptr<RecordingLogSink> log;
  std::shared_ptr<RecordingDelegate> delegate;
  std::shared_ptr<PairingServer> server;

 private:
  std::shared_ptr<SerialQueue> queueRef_;
};

}  // namespace orvane::testing

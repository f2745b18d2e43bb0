#pragma once

// The real pairing server on the fixed port with in-memory stores (and, when asked, a
// paired phone stored in a folder of the caller's), and what a benchmark client needs
// to talk to it: framed envelopes over a TlsClient and percentiles of timings.
// Header-only so that every benchmark program can share it.

#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "base/codec.hpp"
#include "pairing/keychain.hpp"
#include "pairing/paired_device.hpp"
#include "pairing/pairing_store.hpp"
#include "pairing/server_rules.hpp"
#include "pairing/tls_identity_manager.hpp"
#include "platform/linux/net/asio_serial_queue.hpp"
#include "platform/linux/net/asio_transport.hpp"
#include "server/pairing_server.hpp"
#include "tls_client.hpp"
#include "wire/envelope.hpp"
#include "wire/framing.hpp"

namespace orvane::bench {

// The phone benchmarks authenticate as: its token is the 32 bytes 0..31 (base64url).
inline const std::string kBenchDeviceID = "bench-phone";
inline const std::string kBenchPhoneToken = "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8";

// The record the server keeps for that phone: only the token's hash.
inline PairedDevice benchPairedDevice() {
  const auto hash = ServerRules::tokenHash(kBenchPhoneToken);
  return PairedDevice{kBenchDeviceID, "Bench Phone", codec::base64Encode(hash.value_or(Bytes{})),
                      std::chrono::system_clock::now(), "123456"};
}

// The value at fraction `p` (0..1) of timings sorted ascending; 0 when there are none.
inline double percentile(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) return 0;
  const auto index = static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1) + 0.5);
  return sorted[index];
}

class RealServer {
 public:
  // With `appSupport`, pairing.json lives there and `paired` (when given) is stored
  // before the server starts; without it nothing is paired.
  explicit RealServer(std::optional<std::filesystem::path> appSupport = std::nullopt,
                      std::optional<PairedDevice> paired = std::nullopt) {
    PairingServerServices services;
    services.queue = std::shared_ptr<SerialQueue>(std::shared_ptr<void>(), &queue_);
    services.transport = transport_;
    services.defaults = std::make_shared<MemoryUserDefaults>();
    auto keychain = std::make_shared<MemoryKeychain>();
    services.identities = std::make_shared<TLSIdentityManager>(keychain, services.defaults);
    services.pairingStore = std::make_shared<PairingStore>(std::move(appSupport), keychain, services.defaults);
    if (paired) stored_ = services.pairingStore->save(*paired);
    server_ = PairingServer::create(std::move(services)).value();
    server_->start();
  }
  ~RealServer() {
    onQueue([this] { server_.reset(); });
    transport_.reset();
    queue_.stop();
  }
  RealServer(const RealServer&) = delete;
  RealServer& operator=(const RealServer&) = delete;

  // Whether the paired phone asked for could be stored.
  const expected<void, std::string>& stored() const { return stored_; }

  // What the server holds now, read on its queue.
  PairingServer::Diagnostics diagnostics() {
    return onQueue([this] { return server_->diagnostics(); });
  }

 private:
  template <class F>
  auto onQueue(F work) -> decltype(work()) {
    std::packaged_task<decltype(work())()> task(std::move(work));
    auto result = task.get_future();
    queue_.post([&task] { task(); });
    return result.get();
  }

  AsioSerialQueue queue_{"zel.pairing-server"};
  std::shared_ptr<AsioTransport> transport_ = std::make_shared<AsioTransport>(queue_);
  std::shared_ptr<PairingServer> server_;
  expected<void, std::string> stored_;
};

// A client of the server on 127.0.0.1:17431. The listener starts on the server's
// queue, so the first attempts may race it.
inline expected<TlsClient, std::string> connectToServer(int attempts = 50) {
  expected<TlsClient, std::string> client = unexpected(std::string("not tried"));
  for (int attempt = 0; attempt < attempts && !client; ++attempt) {
    client = TlsClient::connect("127.0.0.1", PairingServer::port);
    if (!client) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return client;
}

inline bool sendEnvelope(TlsClient& client, const Envelope& envelope) {
  const auto frame = Framing::encode(envelope.encode());
  return frame && client.writeAll(*frame);
}

// The next frame's envelope; none when the stream ends, times out or carries
// something that is not an envelope.
inline std::optional<Envelope> readEnvelope(TlsClient& client) {
  const auto header = client.readExact(Framing::headerSize);
  if (!header) return std::nullopt;
  const std::size_t length = (std::size_t{(*header)[0]} << 24) | (std::size_t{(*header)[1]} << 16) |
                             (std::size_t{(*header)[2]} << 8) | std::size_t{(*header)[3]};
  if (length == 0 || length > Framing::maxPayload) return std::nullopt;
  const auto payload = client.readExact(length);
  if (!payload) return std::nullopt;
  auto envelope = Envelope::parse(*payload);
  if (!envelope) return std::nullopt;
  return std::move(*envelope);
}

// Reads envelopes until one of `type` arrives, answering the server's own pings on
// the way as a phone would; none when the stream fails first.
inline std::optional<Envelope> awaitEnvelope(TlsClient& client, std::string_view type) {
  for (;;) {
    auto envelope = readEnvelope(client);
    if (!envelope) return std::nullopt;
    if (envelope->type == type) return envelope;
    if (envelope->type == "ping" && !sendEnvelope(client, Envelope::make("pong"))) return std::nullopt;
  }
}

// The paired phone (benchPairedDevice): connects and authenticates with its token.
inline expected<TlsClient, std::string> authenticatedPhone() {
  auto phone = connectToServer();
  if (!phone) return unexpected("phone connect: " + phone.error());
  const auto hello = Envelope::make("authenticate", {{"device_id", kBenchDeviceID}, {"phone_token", kBenchPhoneToken}});
  if (!sendEnvelope(*phone, hello)) return unexpected(std::string("phone: authenticate not sent"));
  auto answer = readEnvelope(*phone);
  if (!answer || answer->type != "auth_ok") {
    return unexpected("phone: no auth_ok (got " + (answer ? answer->type + " " + answer->encode() : std::string("nothing")) + ")");
  }
  return std::move(*phone);
}

// A folder of its own under the system's temporary folder, removed with everything in
// it at the end; empty path when none could be made.
struct TempFolder {
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvane-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path.empty()) std::filesystem::remove_all(path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::filesystem::path path;
};

}  // namespace orvane::bench

// Feeds the router arbitrary envelopes on an unauthenticated and on an authenticated
// connection. Nothing may crash, and the server's invariants must hold afterwards:
// at most one authenticated session, and it names a peer that is authenticated.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdlib>

#include "server_harness.hpp"

using namespace orvane;
using namespace orvane::testing;

namespace {

constexpr std::array<const char*, 22> kTypes = {
    "ping", "pong", "pair_request", "authenticate", "message", "notif_post", "notif_reply_result", "notif_gone",
    "media_post", "media_gone", "maccmd", "url_share", "ack", "clipboard_update", "phone_status", "disconnect",
    "forget_device", "error", "teleport", "", "PING", "notif_dismiss"};
constexpr std::array<const char*, 24> kKeys = {
    "text", "id", "app", "title", "time", "reply", "ok", "reason", "artist", "album", "state", "art",
    "cmd", "url", "context", "ack_for", "clip_id", "origin", "seq", "battery", "wifi_level", "device_id",
    "phone_token", "invitation_token"};

ServerHarness& harness() {
  static ServerHarness* h = [] {
    auto* created = new ServerHarness();
    created->storePairedDevice();
    created->start();
    created->server->setClipboardEnabled(true);
    created->run();
    return created;
  }();
  return *h;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ServerHarness& h = harness();
  FuzzedDataProvider in(data, size);
  if (!h.inspect().paired) {
    // An earlier input made the phone forget the pairing: pair it again.
    h.storePairedDevice();
    h.server->restart();
    h.run();
  }
  auto loose = h.connect();
  auto session = h.authenticatedConnection();
  h.delegate->clear();

  while (in.remaining_bytes() > 0) {
    auto& target = in.ConsumeBool() ? loose : session;
    Body body;
    const int keys = in.ConsumeIntegralInRange(0, 6);
    for (int i = 0; i < keys; ++i) {
      std::string key = in.ConsumeBool() ? kKeys[in.ConsumeIntegralInRange<std::size_t>(0, kKeys.size() - 1)]
                                         : in.ConsumeRandomLengthString(16);
      body[key] = in.ConsumeRandomLengthString(300);
    }
    const std::string type = in.ConsumeBool() ? kTypes[in.ConsumeIntegralInRange<std::size_t>(0, kTypes.size() - 1)]
                                              : in.ConsumeRandomLengthString(40);
    const std::string id = in.ConsumeBool() ? "ID" : in.ConsumeRandomLengthString(70);
    target->deliverEnvelope(type, body, id);
    h.run();
    if (in.ConsumeIntegralInRange(0, 16) == 0) h.advance(std::chrono::seconds(in.ConsumeIntegralInRange(1, 70)));
  }

  // Invariant: the session, when there is one, is a live authenticated peer.
  if (auto authed = h.inspect().authedPeerID; authed && h.hasPeer(*authed)) {
    if (*authed != session->id() && *authed != loose->id()) std::abort();
  }
  // Everything of this input goes away before the next one.
  loose->cancel();
  session->cancel();
  h.run();
  h.delegate->clear();
  h.log->clear();
  return 0;
}

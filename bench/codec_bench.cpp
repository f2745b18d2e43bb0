// Cost of the wire codec and of routing one notification: cutting a frame, parsing
// and validating its envelope, encoding an envelope, and dispatching a `notif_post`
// through the gates to the delegate.
#include <benchmark/benchmark.h>

#include "base/codec.hpp"
#include "base/fake_clock.hpp"
#include "base/manual_queue.hpp"
#include "base/user_defaults.hpp"
#include "pairing/keychain.hpp"
#include "pairing/server_rules.hpp"
#include "wire/envelope.hpp"
#include "wire/framing.hpp"
#include "features/notifications/notifications_feature.hpp"
#include "session/link_core.hpp"

namespace orvane {
namespace {

Envelope typicalNotification() {
  return Envelope{1,
                  "6F9619FF-8B86-D011-B42D-00CF4FC964FF",
                  "notif_post",
                  {{"id", "0|com.whatsapp|1|null|10234"},
                   {"app", "WhatsApp"},
                   {"title", "Anna Berger"},
                   {"text", "Are we still on for tonight? I can bring the projector and some snacks \xF0\x9F\x8D\xBF Let me know by seven."},
                   {"time", "1765300000000"},
                   {"reply", "1"}}};
}

void BM_PopFrameAndParse(benchmark::State& state) {
  const Bytes frame = *Framing::encode(typicalNotification().encode());
  Framing::Buffer buffer;
  for (auto _ : state) {
    buffer.append(frame);
    auto payload = buffer.popFrame();
    auto envelope = Envelope::parse(**payload);
    benchmark::DoNotOptimize(envelope);
  }
  state.counters["frame_bytes"] = static_cast<double>(frame.size());
}
BENCHMARK(BM_PopFrameAndParse);

void BM_EncodeAndFrame(benchmark::State& state) {
  const Envelope envelope = typicalNotification();
  for (auto _ : state) {
    auto frame = Framing::encode(envelope.encode());
    benchmark::DoNotOptimize(frame);
  }
}
BENCHMARK(BM_EncodeAndFrame);

// A delegate that only counts, so the figure is the router's and the gates' cost.
class CountingDelegate final : public NotificationsObserver {
 public:
  void serverNotifPosted(const std::string&, const std::string&, const std::optional<std::string>&,
                         const std::optional<std::string>&, std::int64_t, bool) override {
    ++posted;
  }
  void serverNotifGone(const std::string&) override {}
  void serverNotifReplyResult(const std::string&, bool, const std::optional<std::string>&) override {}
  void serverMessageReceived(const std::string&) override {}
  void serverUrlReceived(const std::string&, const std::optional<std::string>&, const std::optional<std::string>&) override {}
  void serverMessageStatus(const std::string&, bool, const std::optional<std::string>&) override {}
  void serverUrlStatus(const std::string&, bool, const std::optional<std::string>&) override {}
  std::int64_t posted = 0;
};

class NullConnection final : public Connection {
 public:
  PeerID id() const override { return 1; }
  void setStateHandler(StateHandler) override {}
  void start() override {}
  void receive(std::size_t, ReceiveHandler) override {}
  void send(Bytes, SendCompletion) override {}
  void cancel() override {}
  std::optional<Endpoint> remoteEndpoint() const override { return std::nullopt; }
  std::optional<Endpoint> localEndpoint() const override { return std::nullopt; }
};

void BM_DispatchNotifPost(benchmark::State& state) {
  FakeClock clock;
  ManualQueue queue("zel.pairing-server", clock);
  auto link = LinkCore::create({std::shared_ptr<SerialQueue>(std::shared_ptr<void>(), &queue), &clock, nullptr});
  NotificationsFeature notifications(*link);
  if (!link->addModule(notifications)) state.SkipWithError("routes clash");
  auto delegate = std::make_shared<CountingDelegate>();
  notifications.setObserver(delegate);

  Peer peer(std::make_shared<NullConnection>(), clock.now(), 1);
  peer.authed = true;
  const Envelope envelope = typicalNotification();
  for (auto _ : state) {
    link->dispatch(envelope, peer, 1);
  }
  if (delegate->posted != static_cast<std::int64_t>(state.iterations())) state.SkipWithError("notification was dropped");
}
BENCHMARK(BM_DispatchNotifPost);

}  // namespace
}  // namespace orvane

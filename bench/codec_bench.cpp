// Cost of the wire codec and of routing one notification: cutting a frame, parsing
// and validating its envelope, encoding an envelope, and dispatching a `notif_post`
// through the gates to the delegate.
//
// The parser's figures stand beside their references, measured in the same run on the
// same bytes: the reference parser (nlohmann/json, which the wire used before), and
// each JSON library's own floor, a parse that validates and builds nothing of ours.
// Run with --benchmark_repetitions=N (scripts/bench.sh does) for medians and spread;
// the comparison is printed at the end.
#include <benchmark/benchmark.h>
#include <simdjson.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "base/codec.hpp"
#include "base/fake_clock.hpp"
#include "base/manual_queue.hpp"
#include "base/user_defaults.hpp"
#include "comparison_reporter.hpp"
#include "features/notifications/notifications_feature.hpp"
#include "pairing/keychain.hpp"
#include "pairing/server_rules.hpp"
#include "reference_codec.hpp"
#include "session/link_core.hpp"
#include "wire/envelope.hpp"
#include "wire/framing.hpp"

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

const Bytes& typicalFrame() {
  static const Bytes frame = *Framing::encode(typicalNotification().encode());
  return frame;
}

// The payload alone, as the JSON floors read it.
std::string_view typicalPayload() {
  const Bytes& frame = typicalFrame();
  return {reinterpret_cast<const char*>(frame.data()) + Framing::headerSize, frame.size() - Framing::headerSize};
}

// Each iteration hands the whole frame to a connection's buffer, cuts it and parses it.
template <class Parse>
void cutParseValidate(benchmark::State& state, Parse parse) {
  const Bytes& frame = typicalFrame();
  Framing::Buffer buffer;
  for (auto _ : state) {
    buffer.append(frame);
    auto payload = buffer.popFrame();
    auto envelope = parse(**payload);
    benchmark::DoNotOptimize(envelope);
  }
  const auto check = parse(toBytes(typicalPayload()));
  if (!check || *check != typicalNotification()) state.SkipWithError("the frame does not parse to the notification");
  state.counters["frame_bytes"] = static_cast<double>(frame.size());
}

void BM_CutParseValidate(benchmark::State& state) {
  cutParseValidate(state, [](const Bytes& payload) { return Envelope::parse(payload); });
}
BENCHMARK(BM_CutParseValidate);

void BM_CutParseValidateReference(benchmark::State& state) {
  cutParseValidate(state, [](const Bytes& payload) { return reference::parseEnvelope(payload); });
}
BENCHMARK(BM_CutParseValidateReference);

// The cutting alone: the share of the figures above that no parser can save.
void BM_Cut(benchmark::State& state) {
  const Bytes& frame = typicalFrame();
  Framing::Buffer buffer;
  for (auto _ : state) {
    buffer.append(frame);
    auto payload = buffer.popFrame();
    benchmark::DoNotOptimize(payload);
  }
}
BENCHMARK(BM_Cut);

// simdjson's floor: the DOM parse the codec runs (copy into the padded buffer, UTF-8
// and syntax validation, the tape), with nothing read from it.
void BM_FloorSimdjsonDom(benchmark::State& state) {
  const std::string_view payload = typicalPayload();
  simdjson::dom::parser parser;
  for (auto _ : state) {
    auto document = parser.parse(payload.data(), payload.size());
    benchmark::DoNotOptimize(document);
  }
  if (parser.parse(payload.data(), payload.size()).error() != simdjson::SUCCESS) state.SkipWithError("not JSON");
}
BENCHMARK(BM_FloorSimdjsonDom);

// nlohmann/json's floor: its SAX parser validating the text and building nothing.
void BM_FloorNlohmannAccept(benchmark::State& state) {
  const std::string_view payload = typicalPayload();
  for (auto _ : state) {
    bool valid = nlohmann::json::accept(payload.begin(), payload.end());
    benchmark::DoNotOptimize(valid);
  }
  if (!nlohmann::json::accept(payload.begin(), payload.end())) state.SkipWithError("not JSON");
}
BENCHMARK(BM_FloorNlohmannAccept);

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

// One line of the comparison: the figure's median and spread, and its goal if it has one.
void printFigure(const bench::ComparisonReporter& report, const char* label, const char* name, double goalNs = 0) {
  const auto f = report.figure(name);
  if (!f) {
    std::printf("  %-36s (not run)\n", label);
    return;
  }
  std::printf("  %-36s %6.0f ns  [%.0f–%.0f, %d runs]", label, f->median, f->fastest, f->slowest, f->runs);
  if (goalNs > 0) std::printf("  goal ≤ %.0f ns: %s", goalNs, f->median <= goalNs ? "holds" : "MISSED");
  std::printf("\n");
}

void printRatio(const bench::ComparisonReporter& report, const char* label, const char* name, const char* reference,
                double goal = 0) {
  const auto f = report.figure(name);
  const auto r = report.figure(reference);
  if (!f || !r || r->median <= 0) return;
  const double ratio = f->median / r->median;
  std::printf("  %-36s %6.2f", label, ratio);
  if (goal > 0) std::printf("  goal ≤ %.2f: %s", goal, ratio <= goal ? "holds" : "MISSED");
  std::printf("\n");
}

void printComparison(const bench::ComparisonReporter& report) {
  const auto codec = report.figure("BM_CutParseValidate");
  if (!codec) return;
  const auto bytes = codec->counters.find("frame_bytes");
  std::printf("\nEnvelope codec, one notif_post frame of %.0f bytes: median CPU time per frame [fastest–slowest]\n",
              bytes != codec->counters.end() ? bytes->second : 0.0);
  printFigure(report, "cut + parse + validate, simdjson", "BM_CutParseValidate", 800);
  printFigure(report, "cut + parse + validate, reference", "BM_CutParseValidateReference");
  printFigure(report, "cut alone", "BM_Cut");
  printFigure(report, "floor: simdjson DOM parse", "BM_FloorSimdjsonDom");
  printFigure(report, "floor: nlohmann accept (SAX)", "BM_FloorNlohmannAccept");
  printRatio(report, "simdjson codec / reference codec", "BM_CutParseValidate", "BM_CutParseValidateReference", 0.5);
  printRatio(report, "simdjson codec / its floor", "BM_CutParseValidate", "BM_FloorSimdjsonDom");
  printRatio(report, "reference codec / its floor", "BM_CutParseValidateReference", "BM_FloorNlohmannAccept");
}

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  orvane::bench::ComparisonReporter report;
  benchmark::RunSpecifiedBenchmarks(&report);
  orvane::printComparison(report);
  benchmark::Shutdown();
  return 0;
}

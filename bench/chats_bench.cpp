// Cost of the chats on the two paths that run most: taking in the phone's mirrored
// notification list, which arrives whole on every change and is mostly notifications
// already taken, and saving the archive after a change (encoding the bounded list and
// replacing the file atomically, fsync included).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/fake_clock.hpp"
#include "base/manual_queue.hpp"
#include "features/chats/chat_list.hpp"
#include "features/chats/message_archive.hpp"
#include "features/chats/message_archive_format.hpp"

namespace orvane {
namespace {

namespace fs = std::filesystem;

constexpr int conversationCount = 100;
constexpr int linesEach = 10;
constexpr int mirroredCount = 50;  // the phone mirrors its 50 newest notifications

const WallTime start = WallTime{} + std::chrono::seconds(1767623400);

std::string contactName(int i, bool accented) {
  return accented ? "\u00C9lodie Gr\u00FCn " + std::to_string(i) : "Anna Berger " + std::to_string(i);
}

// Notification `line` of contact `contact`; the lines of all contacts interleave in
// time, so the newest notifications come from many conversations.
ChatNotification messageFrom(int contact, int line, bool accented) {
  return ChatNotification{"0|com.google.android.apps.messaging|" + std::to_string(contact) + "|" + std::to_string(line),
                          "Messages",
                          contactName(contact, accented),
                          "Are we still on for tonight? I can bring the projector, message " + std::to_string(line),
                          start + std::chrono::seconds(line * conversationCount + contact),
                          true};
}

struct Chats {
  std::vector<ChatConversation> list;
  std::vector<ChatNotification> mirrored;  // newest first, all taken already
};

Chats chatsWithListTaken(bool accented) {
  Chats chats;
  std::vector<ChatNotification> all;
  for (int line = 0; line < linesEach; ++line) {
    for (int contact = 0; contact < conversationCount; ++contact) all.push_back(messageFrom(contact, line, accented));
  }
  for (const auto& notification : all) chats::ingest(chats.list, notification, distantPast);
  chats.mirrored.assign(all.rbegin(), all.rbegin() + mirroredCount);
  return chats;
}

void BM_IngestKnownList(benchmark::State& state) {
  Chats chats = chatsWithListTaken(state.range(0) != 0);
  for (auto _ : state) {
    bool changed = false;
    for (const auto& notification : chats.mirrored) changed = chats::ingest(chats.list, notification, distantPast) || changed;
    benchmark::DoNotOptimize(changed);
  }
  state.SetLabel(state.range(0) ? "accented contacts" : "ASCII contacts");
  state.counters["notifications"] = mirroredCount;
}
BENCHMARK(BM_IngestKnownList)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The same list with one new notification at its head, from the conversation that was
// oldest, which then moves to the front. The list is restored outside the timing.
void BM_IngestListWithOneNew(benchmark::State& state) {
  const Chats taken = chatsWithListTaken(false);
  auto mirrored = taken.mirrored;
  mirrored.insert(mirrored.begin(), messageFrom(0, linesEach, false));
  mirrored.pop_back();
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<ChatConversation> list = taken.list;
    state.ResumeTiming();
    bool changed = false;
    for (const auto& notification : mirrored) changed = chats::ingest(list, notification, distantPast) || changed;
    benchmark::DoNotOptimize(changed);
  }
  state.counters["notifications"] = mirroredCount;
}
BENCHMARK(BM_IngestListWithOneNew)->Unit(benchmark::kMicrosecond);

// A temporary folder for the archive, removed with the benchmark.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "orvane-chats-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// 100 conversations of 10 lines: the whole budget, nothing cut.
std::vector<ChatConversation> fullArchive() { return chatsWithListTaken(false).list; }

void BM_EncodeFullArchive(benchmark::State& state) {
  const auto list = fullArchive();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string json = archive_format::encode(MessageArchive::bounded(list));
    bytes = json.size();
    benchmark::DoNotOptimize(json.data());
  }
  state.counters["file_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodeFullArchive)->Unit(benchmark::kMicrosecond);

// What one save costs the worker: the caller's copy of the list, bounding, encoding
// and the atomic replacement of the file.
void BM_SaveFullArchive(benchmark::State& state) {
  ScratchFolder scratch;
  if (scratch.path().empty()) {
    state.SkipWithError("no temporary folder");
    return;
  }
  FakeClock clock;
  auto worker = std::make_shared<ManualQueue>("archive writer", clock);
  MessageArchive archive(worker, [folder = scratch.path()]() -> expected<fs::path, std::string> { return folder; }, &clock);
  const auto list = fullArchive();
  std::int64_t revision = 0;
  bool failed = false;
  for (auto _ : state) {
    archive.save(list, ++revision, [&](expected<void, std::string> result) { failed = failed || !result; });
    worker->runUntilIdle();
  }
  if (failed) state.SkipWithError("a save failed");
  state.counters["lines"] = conversationCount * linesEach;
}
BENCHMARK(BM_SaveFullArchive)->Unit(benchmark::kMicrosecond);

void BM_DecodeFullArchive(benchmark::State& state) {
  const std::string json = archive_format::encode(fullArchive());
  for (auto _ : state) {
    auto decoded = archive_format::decode(json);
    benchmark::DoNotOptimize(decoded);
  }
  state.counters["file_bytes"] = static_cast<double>(json.size());
}
BENCHMARK(BM_DecodeFullArchive)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace orvane

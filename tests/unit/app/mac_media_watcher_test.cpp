// The watcher of this computer's player, on a manual queue with a fake clock: when a
// report is handed to the hub, the heartbeat, the mode chosen at creation, refresh, and
// the two sources' data made into tracks.
#include "app/mac_media_watcher.hpp"

#include <gtest/gtest.h>

#include <map>

#include <chrono>
#include <string>
#include <vector>

#include "app/mac_track_source.hpp"
#include "base/manual_queue.hpp"

namespace orvane {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using Track = MacMediaObserver::Track;
using NowPlaying = MediaRemoteAdapter::NowPlaying;

class FakeAdapter final : public MediaRemoteAdapter {
 public:
  bool available = true;
  std::optional<std::string> getOutput;
  std::vector<std::vector<std::string>> runs;
  std::vector<Duration> timeouts;
  UpdateHandler onUpdate;
  int streamsStarted = 0;
  int streamsStopped = 0;

  bool isAvailable() const override { return available; }
  std::optional<std::string> run(const std::vector<std::string>& arguments, Duration timeout) override {
    runs.push_back(arguments);
    timeouts.push_back(timeout);
    return available ? getOutput : std::nullopt;
  }
  void startStream(UpdateHandler handler) override {
    ++streamsStarted;
    onUpdate = std::move(handler);
  }
  void stopStream() override { ++streamsStopped; }
};

class FakeReader final : public MacMediaReader {
 public:
  bool tellsChanges = false;
  std::function<void()> changed;
  std::vector<Completion> reads;  // waiting for their answers, oldest first

  void readNowPlaying(Completion completion) override { reads.push_back(std::move(completion)); }
  bool watchChanges(std::function<void()> handler) override {
    changed = std::move(handler);
    return tellsChanges;
  }
  bool answers = true;  // false: as a reader without its session bus
  bool canAnswer() const override { return answers; }
  std::map<std::string, Bytes> covers;  // what loadArtwork finds, by address
  std::vector<std::string> loadedOn;    // the queue each load ran on
  std::function<std::string()> currentQueue;
  std::optional<Bytes> loadArtwork(const std::string& url) override {
    if (currentQueue) loadedOn.push_back(currentQueue());
    auto it = covers.find(url);
    if (it == covers.end()) return std::nullopt;
    return it->second;
  }
};

// One handover to the hub: a track, or none for "unavailable", and when.
struct Handover {
  std::optional<Track> track;
  double at;  // seconds since the fixture began
};

class WatcherTest : public ::testing::Test {
 protected:
  FakeClock clock;
  SteadyTime start = clock.now();
  std::shared_ptr<ManualQueue> queue = std::make_shared<ManualQueue>("zel.mac-media", clock);
  std::shared_ptr<ManualQueue> main = std::make_shared<ManualQueue>("main", clock);
  std::shared_ptr<FakeAdapter> adapter = std::make_shared<FakeAdapter>();
  std::shared_ptr<FakeReader> reader = std::make_shared<FakeReader>();
  std::vector<Handover> handovers;
  std::vector<Bytes> prepared;
  std::unique_ptr<MacMediaWatcher> watcher;

  void create() {
    MacMediaWatcherServices s;
    s.queue = queue;
    s.main = main;
    s.clock = &clock;
    s.adapter = adapter;
    s.reader = reader;
    s.prepareArtwork = [this](const Bytes& art) {
      EXPECT_TRUE(queue->isCurrent()) << "artwork is prepared on the watcher's queue";
      prepared.push_back(art);
      return ArtworkRenditions{Bytes{art.front()}, art};  // a stand-in: first byte small, all large
    };
    watcher = std::make_unique<MacMediaWatcher>(std::move(s));
    watcher->setHandlers(
        [this](const std::optional<Track>& track) {
          EXPECT_TRUE(main->isCurrent());
          handovers.push_back({track, now()});
        },
        [this] {
          EXPECT_TRUE(main->isCurrent());
          handovers.push_back({std::nullopt, now()});
        });
    settle();
  }

  double now() const { return std::chrono::duration<double>(clock.now() - start).count(); }

  void settle() {
    while (queue->runUntilIdle() + main->runUntilIdle() > 0) {
    }
  }
  // Moves time forward in small steps, running both queues as their work falls due.
  void advance(Duration d) {
    const SteadyTime end = clock.now() + d;
    while (clock.now() < end) {
      queue->advance(std::min<Duration>(milliseconds(100), end - clock.now()));
      settle();
    }
  }
  void until(double secondsSinceStart) { advance(start + std::chrono::duration_cast<Duration>(Seconds(secondsSinceStart)) - clock.now()); }

  void streamUpdate(const std::optional<NowPlaying>& update) {
    ASSERT_TRUE(adapter->onUpdate) << "no stream was started";
    adapter->onUpdate(update);  // as delivered on the main thread
    settle();
  }

  std::vector<double> times() const {
    std::vector<double> at;
    for (const auto& h : handovers) at.push_back(h.at);
    return at;
  }
};

const NowPlaying song{"com.spotify.client", "Song", "Band", "LP", true, std::nullopt};

TEST_F(WatcherTest, TheAdapterAvailableAtCreationMeansTheStreamAndNoPoll) {
  create();
  EXPECT_EQ(watcher->mode(), MacMediaWatcher::Mode::stream);
  EXPECT_EQ(adapter->streamsStarted, 1);
  EXPECT_FALSE(reader->changed) << "the reader is not asked to watch";
  advance(seconds(20));
  EXPECT_TRUE(adapter->runs.empty()) << "nothing is polled";
  EXPECT_TRUE(reader->reads.empty());
  EXPECT_TRUE(handovers.empty()) << "and nothing reported before the stream says something";
}

TEST_F(WatcherTest, TheSameTrackEverySecondIsHandedOverOnlyByTheHeartbeat) {
  create();
  for (int i = 0; i < 20; ++i) {
    until(i + 0.5);
    streamUpdate(song);
  }
  until(20);
  EXPECT_EQ(times(), (std::vector<double>{0.5, 6, 12, 18}));
  for (const auto& h : handovers) {
    ASSERT_TRUE(h.track);
    EXPECT_EQ(*h.track, (Track{"Spotify", "Song", "Band", "LP", true, std::nullopt}));
  }
}

TEST_F(WatcherTest, TheHeartbeatResendsTheLastTrackWhenNothingArrives) {
  create();
  until(0.5);
  streamUpdate(song);
  until(25);
  EXPECT_EQ(times(), (std::vector<double>{0.5, 6, 12, 18, 24}));
}

TEST_F(WatcherTest, TheHeartbeatWaitsOnlyWhileATrackIsKnownAndKeepsItsGrid) {
  create();
  advance(seconds(20));
  EXPECT_EQ(queue->pending(), 0u) << "no track yet: no timer";
  until(20.5);
  streamUpdate(std::nullopt);
  EXPECT_EQ(queue->pending(), 0u) << "nor for an unknown";
  until(21.5);
  streamUpdate(song);
  EXPECT_EQ(queue->pending(), 1u) << "the heartbeat";
  until(31);  // beats at 24 and 30, on the grid from the start
  streamUpdate(std::nullopt);
  EXPECT_EQ(queue->pending(), 0u) << "stopped with the track";
  until(37.5);
  streamUpdate(song);
  until(50);
  EXPECT_EQ(times(), (std::vector<double>{20.5, 21.5, 24, 30, 31, 37.5, 42, 48}));
}

TEST_F(WatcherTest, AnUnchangedUnknownGoesAgainAtMostEverySixSecondsAndHasNoHeartbeat) {
  create();
  for (int i = 0; i < 14; ++i) {
    until(i + 0.5);
    streamUpdate(std::nullopt);
  }
  until(30);
  EXPECT_EQ(times(), (std::vector<double>{0.5, 6.5, 12.5}));
  for (const auto& h : handovers) EXPECT_FALSE(h.track);
}

TEST_F(WatcherTest, AChangeGoesOutAtOnce) {
  create();
  until(0.5);
  streamUpdate(song);
  NowPlaying paused = song;
  paused.playing = false;
  NowPlaying retitled = paused;
  retitled.title = "Other Song";
  NowPlaying withArt = retitled;
  withArt.artwork = Bytes{1, 2, 3};
  NowPlaying otherArt = withArt;
  otherArt.artwork = Bytes{1, 2, 4};
  until(1.5);
  streamUpdate(paused);
  until(2.5);
  streamUpdate(retitled);
  until(3.5);
  streamUpdate(withArt);
  until(4.5);
  streamUpdate(otherArt);
  until(5);
  streamUpdate(std::nullopt);
  until(5.5);
  streamUpdate(otherArt);
  EXPECT_EQ(times(), (std::vector<double>{0.5, 1.5, 2.5, 3.5, 4.5, 5, 5.5}));
  EXPECT_FALSE(handovers[1].track->playing);
  EXPECT_EQ(handovers[2].track->title, "Other Song");
  EXPECT_EQ(handovers[4].track->artwork, (Bytes{1, 2, 4}));
  EXPECT_FALSE(handovers[5].track) << "unknown after a track";
  EXPECT_EQ(prepared, (std::vector<Bytes>{{1, 2, 3}, {1, 2, 4}, {1, 2, 4}}));
}

TEST_F(WatcherTest, WithoutAnAdapterAReaderThatCannotTellIsPolledAfterThreeThenEveryFiveSeconds) {
  adapter->available = false;
  create();
  EXPECT_EQ(watcher->mode(), MacMediaWatcher::Mode::poll);
  EXPECT_TRUE(reader->changed) << "changes it does tell are still heard";
  std::vector<double> asked;
  for (int tenth = 1; tenth <= 190; ++tenth) {
    advance(milliseconds(100));
    while (asked.size() < reader->reads.size()) asked.push_back(now());
  }
  EXPECT_EQ(asked, (std::vector<double>{3, 8, 13, 18}));
  ASSERT_EQ(adapter->runs.size(), 4u) << "each poll tries the adapter's get first";
  EXPECT_EQ(adapter->runs[0], std::vector<std::string>{"get"});
  EXPECT_EQ(adapter->timeouts[0], seconds(4));
}

TEST_F(WatcherTest, AReaderThatTellsChangesIsReadOnEachAndNeverPolled) {
  adapter = nullptr;
  reader->tellsChanges = true;
  create();
  EXPECT_EQ(watcher->mode(), MacMediaWatcher::Mode::watch);
  advance(seconds(30));
  EXPECT_TRUE(reader->reads.empty());
  reader->changed();
  settle();
  ASSERT_EQ(reader->reads.size(), 1u);
  reader->reads[0](MacMediaReader::Response{"Tone", "Orvane Band", "Signals", true, "mpv", Bytes{9}});
  settle();
  ASSERT_EQ(handovers.size(), 1u);
  EXPECT_EQ(*handovers[0].track,
            (Track{"mpv", "Tone", "Orvane Band", "Signals", true, Bytes{9}, ArtworkRenditions{Bytes{9}, Bytes{9}}}));
}

TEST_F(WatcherTest, ACoverNamedByTheReaderIsReadAndRenderedOnTheWatchersQueue) {
  adapter = nullptr;
  reader->tellsChanges = true;
  reader->covers["file:///music/cover.png"] = Bytes{7, 8};
  reader->currentQueue = [this] { return std::string(queue->isCurrent() ? "watcher" : main->isCurrent() ? "main" : "?"); };
  create();
  reader->changed();
  settle();
  MacMediaReader::Response answer{"Tone", {}, {}, true, "mpv", {}};
  answer.artworkURL = "file:///music/cover.png";
  reader->reads.at(0)(answer);
  settle();
  ASSERT_EQ(handovers.size(), 1u);
  EXPECT_EQ(handovers[0].track->artwork, (Bytes{7, 8}));
  EXPECT_EQ(handovers[0].track->renditions, (ArtworkRenditions{Bytes{7}, Bytes{7, 8}}));
  EXPECT_EQ(reader->loadedOn, std::vector<std::string>{"watcher"});
}

TEST_F(WatcherTest, AStaleReaderAnswerIsDropped) {
  adapter = nullptr;
  reader->tellsChanges = true;
  create();
  reader->changed();
  settle();
  reader->changed();
  settle();
  ASSERT_EQ(reader->reads.size(), 2u);
  reader->reads[1](MacMediaReader::Response{"Tone", {}, {}, false, "mpv", {}});
  settle();
  reader->reads[0](MacMediaReader::Response{"Tone", {}, {}, true, "mpv", {}});
  settle();
  ASSERT_EQ(handovers.size(), 1u) << "the older answer came last and was dropped";
  EXPECT_FALSE(handovers[0].track->playing);
}

TEST_F(WatcherTest, AReaderWithNothingOrNoTextGivesUnavailable) {
  adapter = nullptr;
  reader->tellsChanges = true;
  create();
  watcher->refresh();
  settle();
  ASSERT_EQ(reader->reads.size(), 1u);
  reader->reads[0](MacMediaReader::Response{std::nullopt, " ", std::nullopt, true, "mpv", Bytes{1}});
  settle();
  ASSERT_EQ(handovers.size(), 1u);
  EXPECT_FALSE(handovers[0].track);
  watcher->refresh();
  settle();
  reader->reads[1](std::nullopt);
  settle();
  ASSERT_EQ(handovers.size(), 2u) << "after a refresh, the same outcome is news again";
  EXPECT_FALSE(handovers[1].track);
}

TEST_F(WatcherTest, WithNoSourceThatCouldAnswerNothingIsWatchedAndRefreshFindsNothing) {
  struct Row {
    const char* name;
    bool adapterThere;  // there, but not available
    bool readerThere;
    bool readerAnswers;
  };
  const Row rows[] = {
      {"neither adapter nor reader", false, false, false},
      {"an adapter that is not available and no reader", true, false, false},
      {"a reader without its bus", false, true, false},
      {"both, neither able to answer", true, true, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    handovers.clear();
    adapter = row.adapterThere ? std::make_shared<FakeAdapter>() : nullptr;
    if (adapter) adapter->available = false;
    reader = row.readerThere ? std::make_shared<FakeReader>() : nullptr;
    if (reader) reader->answers = row.readerAnswers;
    create();
    EXPECT_EQ(watcher->mode(), MacMediaWatcher::Mode::none);
    advance(seconds(30));
    EXPECT_EQ(queue->pending() + main->pending(), 0u) << "no timer";
    EXPECT_TRUE(handovers.empty());
    if (adapter) {
      EXPECT_TRUE(adapter->runs.empty()) << "nothing polled";
    }
    if (reader) {
      EXPECT_FALSE(reader->changed) << "not asked to watch";
      EXPECT_TRUE(reader->reads.empty());
    }

    watcher->refresh();
    settle();
    if (reader) {
      ASSERT_EQ(reader->reads.size(), 1u) << "refresh still asks";
      reader->reads[0](std::nullopt);
      settle();
    }
    ASSERT_EQ(handovers.size(), 1u);
    EXPECT_FALSE(handovers[0].track) << "unavailable";
    watcher.reset();
  }
}

TEST_F(WatcherTest, RefreshForgetsTheLastReportAndAsksTheAdapterOnce) {
  create();
  until(0.5);
  streamUpdate(song);
  adapter->getOutput = R"({"bundleIdentifier":"com.spotify.client","title":"Song","artist":"Band","album":"LP","playing":true})";
  until(1);
  watcher->refresh();
  settle();
  EXPECT_EQ(times(), (std::vector<double>{0.5, 1})) << "the same track, handed over again at once";
  ASSERT_EQ(adapter->runs.size(), 1u);
  EXPECT_EQ(adapter->runs[0], std::vector<std::string>{"get"});
  adapter->getOutput = "not json";
  until(2);
  watcher->refresh();
  settle();
  ASSERT_EQ(handovers.size(), 3u);
  EXPECT_FALSE(handovers[2].track) << "nothing usable from the adapter: unknown";
}

TEST_F(WatcherTest, AReportMadeBeforeTheHandlersAreSetReachesThem) {
  adapter = nullptr;
  reader->tellsChanges = true;
  MacMediaWatcherServices s;
  s.queue = queue;
  s.main = main;
  s.clock = &clock;
  s.reader = reader;
  watcher = std::make_unique<MacMediaWatcher>(std::move(s));
  watcher->refresh();
  queue->runUntilIdle();
  reader->reads.at(0)(MacMediaReader::Response{"Tone", {}, {}, true, {}, {}});
  queue->runUntilIdle();
  watcher->setHandlers([this](const std::optional<Track>& track) { handovers.push_back({track, now()}); }, [] {});
  main->runUntilIdle();
  ASSERT_EQ(handovers.size(), 1u);
  EXPECT_EQ(handovers[0].track->app, "Mac") << "a reader without an application name";
}

TEST_F(WatcherTest, DestructionStopsTheStreamAndEveryTimer) {
  create();
  until(0.5);
  streamUpdate(song);
  auto handler = adapter->onUpdate;
  watcher.reset();
  EXPECT_EQ(adapter->streamsStopped, 1);
  handler(song);  // an update already on its way
  advance(seconds(30));
  EXPECT_EQ(handovers.size(), 1u) << "no heartbeat and no late update after the watcher is gone";
}

TEST(MacTrackSourceFriendlyName, KnownNamesAndTheLastPartOfOthers) {
  const std::pair<std::string, std::string> rows[] = {
      {"com.brave.Browser", "Brave"},
      {"com.operasoftware.Opera", "Opera"},
      {"com.google.Chrome", "Chrome"},
      {"com.apple.Safari", "Safari"},
      {"com.apple.Music", "Music"},
      {"com.spotify.client", "Spotify"},
      {"com.microsoft.edgemac", "Edge"},
      {"com.vivaldi.Vivaldi", "Vivaldi"},
      {"org.mozilla.firefox", "Firefox"},
      {"org.videolan.vlc", "Vlc"},
      {"io.mpv.Mpv", "Mpv"},
      {"tv.plex.player", "Player"},
      {"com.spotify.Client", "Client"},
      {"mpv", "Mpv"},
      {"com.example.", "Mac"},
      {"", "Mac"},
      {"com.example. ", "Mac"},
      {"com.example." + std::string(64, 'a'), std::string("A") + std::string(63, 'a')},
      {"com.example." + std::string(65, 'a'), "Mac"},
  };
  for (const auto& [bundle, name] : rows) {
    SCOPED_TRACE(bundle);
    EXPECT_EQ(MacTrackSource::friendlyName(bundle), name);
  }
}

TEST(MacTrackSourceFromAdapter, CleansTheFieldsAndKeepsStateAndArtwork) {
  const NowPlaying playing{"org.videolan.vlc", "  Long   Title ", "   ", std::string(257, 'x'), false, Bytes{4, 2}};
  EXPECT_EQ(MacTrackSource::fromAdapter(playing),
            (Track{"Vlc", "Long Title", std::nullopt, std::nullopt, false, Bytes{4, 2}}));
}

TEST(MacTrackSourceFromReader, NeedsOneTextFieldAndNamesTheAppOrMac) {
  using R = MacMediaReader::Response;
  EXPECT_EQ(MacTrackSource::fromReader(R{{}, {}, {}, true, "mpv", {}}), std::nullopt);
  EXPECT_EQ(MacTrackSource::fromReader(R{{}, {}, "LP", std::nullopt, "  mpv ", {}}),
            (Track{"mpv", {}, {}, "LP", false, {}}))
      << "playing absent: paused";
  EXPECT_EQ(MacTrackSource::fromReader(R{"T", {}, {}, true, std::string(65, 'x'), Bytes{1}}),
            (Track{"Mac", "T", {}, {}, true, Bytes{1}}));
}

}  // namespace
}  // namespace orvane

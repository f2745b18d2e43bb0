#include "app/mac_media_watcher.hpp"

#include <utility>

#include "app/mac_track_source.hpp"

namespace orvane {

namespace {

// The handlers live on the main thread only: set there, called there.
struct Handlers {
  MacMediaObserver::ChangeHandler onChange;
  MacMediaObserver::UnavailableHandler onUnavailable;
};

}  // namespace

struct MacMediaWatcher::State {
  // All but the queue, which the watcher holds: the state may end on the queue's own
  // thread (after a task that still held it), and a queue's last reference must not.
  MacMediaWatcherServices services;
  SerialQueue* queue = nullptr;  // used only by the queue's own tasks, while it runs them
  std::weak_ptr<SerialQueue> queueRef;  // for posting from other threads
  std::weak_ptr<State> self;
  Mode mode = Mode::poll;
  std::shared_ptr<Handlers> handlers = std::make_shared<Handlers>();
  // Set when the watcher goes; every task then does nothing.
  std::atomic<bool> stopped{false};

  // On the queue only.
  std::optional<FetchOutcome> lastReported;
  std::optional<SteadyTime> lastReportedAt;  // none: the distant past
  bool didFetch = false;
  // The heartbeat keeps to a grid of its interval from the start of watching, and
  // waits only while a track is known.
  SteadyTime heartbeatOrigin{};
  DelayedWork heartbeat;  // invalid while none waits
  // Reader answers arrive out of the queue's order (through the main thread); one older
  // than an answer already reported is stale.
  std::uint64_t readsStarted = 0;
  std::uint64_t newestReadReported = 0;
};

namespace {

using State = MacMediaWatcher::State;
using FetchOutcome = MacMediaWatcher::FetchOutcome;

// Posts `work` to the watcher's queue from any thread, if the watcher and its queue are
// still there.
template <class F>
void onQueue(const std::weak_ptr<State>& weak, F work) {
  auto state = weak.lock();
  if (!state || state->stopped) return;
  auto queue = state->queueRef.lock();
  if (!queue) return;
  queue->post([weak, work = std::move(work)]() mutable {
    auto self = weak.lock();
    if (self && !self->stopped) work(*self);
  });
}

template <class F>
void onQueueAfter(State& state, Duration delay, std::weak_ptr<State> weak, F work) {
  state.queue->postAfter(delay, [weak = std::move(weak), work = std::move(work)]() mutable {
    auto self = weak.lock();
    if (self && !self->stopped) work(*self);
  });
}

void report(State& state, FetchOutcome outcome, bool force);

bool knowsTrack(const State& state) {
  return state.lastReported && std::holds_alternative<MacMediaObserver::Track>(*state.lastReported);
}

// The next beat on the heartbeat's grid, strictly after now.
void scheduleHeartbeat(State& state) {
  const SteadyTime now = state.services.clock->now();
  const auto beats = (now - state.heartbeatOrigin) / MacMediaWatcher::heartbeatInterval;
  const SteadyTime next = state.heartbeatOrigin + (beats + 1) * MacMediaWatcher::heartbeatInterval;
  state.heartbeat = state.queue->postAfter(next - now, [weak = state.self] {
    auto self = weak.lock();
    if (!self || self->stopped) return;
    if (!knowsTrack(*self)) {
      self->heartbeat = DelayedWork();
      return;
    }
    scheduleHeartbeat(*self);
    report(*self, *self->lastReported, true);
  });
}

void report(State& state, FetchOutcome outcome, bool force) {
  const SteadyTime now = state.services.clock->now();
  const bool recent = state.lastReportedAt && now - *state.lastReportedAt < MacMediaWatcher::repeatHoldOff;
  if (state.didFetch && !MacMediaWatcher::shouldAnnounce(state.lastReported, outcome) && !force && recent) return;
  state.didFetch = true;
  state.lastReported = outcome;
  state.lastReportedAt = now;
  if (!knowsTrack(state)) {
    state.heartbeat.cancel();
    state.heartbeat = DelayedWork();
  } else if (!state.heartbeat.valid()) {
    scheduleHeartbeat(state);
  }

  if (const auto* reported = std::get_if<MacMediaObserver::Track>(&outcome)) {
    MacMediaObserver::Track track = *reported;
    if (track.artwork && state.services.prepareArtwork) track.renditions = state.services.prepareArtwork(*track.artwork);
    state.services.main->post([handlers = state.handlers, track = std::move(track)] {
      if (handlers->onChange) handlers->onChange(track);
    });
  } else {
    state.services.main->post([handlers = state.handlers] {
      if (handlers->onUnavailable) handlers->onUnavailable();
    });
  }
}

FetchOutcome outcomeOf(const std::optional<MediaRemoteAdapter::NowPlaying>& playing) {
  if (!playing) return MacMediaWatcher::Unknown{};
  return MacTrackSource::fromAdapter(*playing);
}

FetchOutcome outcomeOf(const std::optional<MacMediaReader::Response>& response) {
  if (!response) return MacMediaWatcher::Unknown{};
  if (auto track = MacTrackSource::fromReader(*response)) return *track;
  return MacMediaWatcher::Unknown{};
}

// The adapter's one-shot answer, when it gives a now-playing object.
std::optional<MediaRemoteAdapter::NowPlaying> askAdapter(State& state) {
  if (!state.services.adapter) return std::nullopt;
  return MediaRemoteAdapter::parseNowPlaying(state.services.adapter->run({"get"}, MediaRemoteAdapter::runTimeout));
}

void fetch(State& state, const std::weak_ptr<State>& weak) {
  if (auto playing = askAdapter(state)) {
    report(state, MacTrackSource::fromAdapter(*playing), false);
    return;
  }
  if (!state.services.reader) {
    report(state, MacMediaWatcher::Unknown{}, false);
    return;
  }
  const std::uint64_t read = ++state.readsStarted;
  // The reader answers on the main thread; the answer comes back here to be used.
  state.services.reader->readNowPlaying([weak, read](const std::optional<MacMediaReader::Response>& response) {
    onQueue(weak, [read, response](State& s) {
      if (read < s.newestReadReported) return;
      s.newestReadReported = read;
      // A cover the reader only names is read here, off the main thread.
      std::optional<MacMediaReader::Response> answer = response;
      if (answer && !answer->artwork && answer->artworkURL) answer->artwork = s.services.reader->loadArtwork(*answer->artworkURL);
      report(s, outcomeOf(answer), false);
    });
  });
}

void schedulePoll(State& state, Duration delay, std::weak_ptr<State> weak) {
  onQueueAfter(state, delay, weak, [weak](State& s) {
    schedulePoll(s, MacMediaWatcher::pollInterval, weak);
    fetch(s, weak);
  });
}

// Where the first task of the queue begins watching.
void begin(State& state, const std::weak_ptr<State>& weak) {
  state.heartbeatOrigin = state.services.clock->now();
  switch (state.mode) {
    case MacMediaWatcher::Mode::stream:
      state.services.adapter->startStream([weak](const std::optional<MediaRemoteAdapter::NowPlaying>& update) {
        onQueue(weak, [update](State& s) { report(s, outcomeOf(update), false); });
      });
      break;
    case MacMediaWatcher::Mode::poll:
      schedulePoll(state, MacMediaWatcher::firstPollAfter, weak);
      break;
    case MacMediaWatcher::Mode::watch:
    case MacMediaWatcher::Mode::none:
      break;
  }
}

}  // namespace

MacMediaWatcher::MacMediaWatcher(MacMediaWatcherServices services)
    : queue_(std::move(services.queue)), state_(std::make_shared<State>()) {
  State& state = *state_;
  state.services = std::move(services);
  state.services.queue.reset();
  state.queue = queue_.get();
  state.queueRef = queue_;
  state.self = state_;
  std::weak_ptr<State> weak = state_;

  if (state.services.adapter && state.services.adapter->isAvailable()) {
    state.mode = Mode::stream;
  } else if (!state.services.reader || !state.services.reader->canAnswer()) {
    // Nothing here could ever find a track: looking again and again would only wake
    // the computer.
    state.mode = Mode::none;
  } else {
    // Told of changes, the reader is asked on each; the poll is for a reader that
    // cannot tell.
    const bool told =
        state.services.reader->watchChanges([weak] { onQueue(weak, [weak](State& s) { fetch(s, weak); }); });
    state.mode = told ? Mode::watch : Mode::poll;
  }
  onQueue(weak, [weak](State& s) { begin(s, weak); });
}

MacMediaWatcher::~MacMediaWatcher() {
  state_->stopped = true;
  if (state_->mode == Mode::stream) state_->services.adapter->stopStream();
}

void MacMediaWatcher::setHandlers(ChangeHandler onChange, UnavailableHandler onUnavailable) {
  state_->handlers->onChange = std::move(onChange);
  state_->handlers->onUnavailable = std::move(onUnavailable);
}

void MacMediaWatcher::refresh() {
  std::weak_ptr<State> weak = state_;
  onQueue(weak, [weak](State& s) {
    s.lastReported.reset();
    if (s.services.adapter && s.services.adapter->isAvailable()) {
      report(s, outcomeOf(askAdapter(s)), false);
    } else {
      fetch(s, weak);
    }
  });
}

MacMediaWatcher::Mode MacMediaWatcher::mode() const { return state_->mode; }

bool MacMediaWatcher::shouldAnnounce(const std::optional<FetchOutcome>& previous, const FetchOutcome& next) {
  if (!previous) return true;
  return *previous != next;
}

}  // namespace orvane

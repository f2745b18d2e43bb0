#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <variant>

#include "app/mac_media_observer.hpp"
#include "base/clock.hpp"
#include "base/serial_queue.hpp"
#include "features/now_playing/mac_media_reader.hpp"
#include "features/now_playing/media_remote_adapter.hpp"

namespace orvane {

// Everything the watcher uses from outside; `main()` wires the real sources, tests a
// manual queue, a fake clock and scripted sources.
struct MacMediaWatcherServices {
  // "zel.mac-media": all of the watcher's state lives there.
  std::shared_ptr<SerialQueue> queue;
  std::shared_ptr<SerialQueue> main;  // where the handlers run
  const Clock* clock = &SystemClock::shared();
  std::shared_ptr<MediaRemoteAdapter> adapter;  // none: no outside adapter
  std::shared_ptr<MacMediaReader> reader;       // none: no built-in reader
  // Runs on the queue with each track's artwork before the track is handed over, so
  // that slow work on the cover (its renditions for the phone) is done there, off the
  // main thread. Optional.
  std::function<std::optional<ArtworkRenditions>(const Bytes& artwork)> prepareArtwork;
};

// Watches what this computer plays and tells the hub when that is worth telling the
// phone: at once when something changed, at most every 6 seconds when the sources
// repeat themselves, and every 6 seconds in any case while a track is known (the
// phone's heartbeat of the computer's player, on a grid of 6 seconds from the start;
// no timer waits for it while no track is known).
//
// The source is chosen once, at creation. With the outside adapter, its stream reports
// every change. Without it, the built-in reader is asked whenever it says something
// changed; a reader that cannot say so is asked every 5 seconds as well. With neither
// the adapter nor a reader that can answer at all, nothing is watched: only refresh
// looks, and finds nothing.
class MacMediaWatcher final : public MacMediaObserver {
 public:
  static constexpr Duration heartbeatInterval = std::chrono::seconds(6);
  static constexpr Duration repeatHoldOff = std::chrono::seconds(6);
  static constexpr Duration firstPollAfter = std::chrono::seconds(3);
  static constexpr Duration pollInterval = std::chrono::seconds(5);

  enum class Mode {
    stream,  // the adapter's stream reports every change
    watch,   // the reader tells of every change
    poll,    // the reader is asked every 5 seconds as well as on the changes it tells of
    none,    // no source could ever answer: nothing is watched or polled
  };

  struct Unknown {
    bool operator==(const Unknown&) const = default;
  };
  // What one look at the sources gave.
  using FetchOutcome = std::variant<Track, Unknown>;

  // Made on the main thread; starts watching at once.
  explicit MacMediaWatcher(MacMediaWatcherServices services);
  ~MacMediaWatcher() override;
  MacMediaWatcher(const MacMediaWatcher&) = delete;
  MacMediaWatcher& operator=(const MacMediaWatcher&) = delete;

  // On the main thread; a report made before the handlers are set waits for them.
  void setHandlers(ChangeHandler onChange, UnavailableHandler onUnavailable) override;
  void refresh() override;
  Mode mode() const;

  // Whether `next` is news after `previous`: anything after nothing, a track after
  // unknown and the other way round, and a track that differs in any field.
  static bool shouldAnnounce(const std::optional<FetchOutcome>& previous, const FetchOutcome& next);

  struct State;

 private:
  std::shared_ptr<SerialQueue> queue_;
  std::shared_ptr<State> state_;
};

}  // namespace orvane

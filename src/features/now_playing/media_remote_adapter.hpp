#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/bytes.hpp"
#include "base/clock.hpp"

namespace orvane {

// The outside now-playing adapter: a perl script with a companion framework, shipped by
// others in a resources folder `MediaRemoteAdapter` beside the program. We only start
// it and read what it prints: `get` prints one now-playing object, `send N` carries out
// a playback command, and `stream --no-diff` prints one JSON envelope a line for as
// long as it runs. The platform runs the processes (PerlMediaRemoteAdapter); the text
// formats, the same everywhere, are read here.
class MediaRemoteAdapter {
 public:
  // What the adapter reports the system's player to be playing.
  struct NowPlaying {
    std::string bundleID;  // never empty
    std::string title;     // never empty
    std::optional<std::string> artist;
    std::optional<std::string> album;
    bool playing = false;
    std::optional<Bytes> artwork;
    bool operator==(const NowPlaying&) const = default;
  };

  // The numbers `send` takes; 3 is not one of ours.
  enum class Command : int { play = 0, pause = 1, toggle = 2, next = 4, prev = 5 };

  using UpdateHandler = std::function<void(const std::optional<NowPlaying>& update)>;

  static constexpr std::string_view folderName = "MediaRemoteAdapter";
  static constexpr std::string_view scriptName = "mediaremote-adapter.pl";
  static constexpr std::string_view frameworkName = "MediaRemoteAdapter.framework";
  // How long `get` and `send` may run before they are given up.
  static constexpr Duration runTimeout = std::chrono::seconds(4);
  // Base64 artwork longer than this is not even decoded.
  static constexpr std::size_t maxArtworkCharacters = 2000000;

  virtual ~MediaRemoteAdapter() = default;

  // Whether the interpreter and the script are there to run.
  virtual bool isAvailable() const = 0;
  // One run of the script with `arguments`, blocking the caller for at most `timeout`;
  // what it printed, trimmed, when it ended by itself with status 0 and printed UTF-8.
  virtual std::optional<std::string> run(const std::vector<std::string>& arguments, Duration timeout) = 0;
  // Keeps one streaming process; each envelope that carries a payload is handed to
  // `onUpdate` (none for a null payload or one that is no usable now-playing object).
  // Does nothing while a stream is kept or when the script is missing; nothing restarts
  // a stream that ends.
  virtual void startStream(UpdateHandler onUpdate) = 0;
  // Ends the streaming process, if any, and forgets what it printed but did not finish.
  virtual void stopStream() = 0;

  // Carries out a playback command; true when the script ran and succeeded.
  bool send(Command command);

  // The command for a word of the protocol ("play", "pause", "toggle", "next", "prev").
  static std::optional<Command> command(std::string_view word);
  // The command sent as `number`, when it is one.
  static std::optional<Command> commandNumbered(int number);
  // The now-playing object the script prints; none unless it is a JSON object with a
  // non-empty "bundleIdentifier" and "title".
  static std::optional<NowPlaying> parseNowPlaying(const std::optional<std::string>& text);
  // The payload of one stream line, as JSON text ("null" for a null payload); none for a
  // line that is not a JSON object, has no "payload", or whose payload is neither an
  // object nor null.
  static std::optional<std::string> envelopePayload(std::string_view line);
};

}  // namespace orvane

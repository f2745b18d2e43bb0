#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/serial_queue.hpp"
#include "features/now_playing/media_remote_adapter.hpp"

namespace orvane {

class ThreadQueue;

// Runs the outside now-playing adapter: `perl SCRIPT FRAMEWORK ARGUMENTS…`, with the
// script and its framework taken from one resources folder. On a stock Linux desktop
// the folder is absent and the adapter unavailable; the built-in reader (MPRIS) is used.
//
// A one-shot run blocks its caller, checking every 20 ms whether the script has ended
// and reading what it prints meanwhile (a child must never wait on a full pipe), until
// its time-out; then the script is ended and nothing is returned. The stream is read on
// a thread of its own and cut into lines on the serial queue "zel.mra.stream"; updates
// are handed over on `deliverOn` (the main queue in the program). Safe from any thread.
class PerlMediaRemoteAdapter final : public MediaRemoteAdapter {
 public:
  static constexpr const char* defaultPerl = "/usr/bin/perl";
  // More than any now-playing object with the largest artwork accepted; a script that
  // prints more is given up, not buffered without end.
  static constexpr std::size_t maxOutputBytes = 8 * 1024 * 1024;

  PerlMediaRemoteAdapter(std::filesystem::path resources, std::shared_ptr<SerialQueue> deliverOn,
                         std::filesystem::path perl = defaultPerl);
  ~PerlMediaRemoteAdapter() override;
  PerlMediaRemoteAdapter(const PerlMediaRemoteAdapter&) = delete;
  PerlMediaRemoteAdapter& operator=(const PerlMediaRemoteAdapter&) = delete;

  // The folder `MediaRemoteAdapter` beside the running program.
  static std::filesystem::path besideProgram();

  bool isAvailable() const override;
  std::optional<std::string> run(const std::vector<std::string>& arguments, Duration timeout) override;
  void startStream(UpdateHandler onUpdate) override;
  void stopStream() override;

  // The stream process's id while one is kept (for tests that watch it end).
  std::optional<int> streamProcessID() const;

 private:
  struct Stream;
  std::vector<std::string> commandLine(const std::vector<std::string>& arguments) const;
  std::optional<std::string> runOnce(const std::vector<std::string>& arguments, Duration timeout);
  void startStreamOnce(UpdateHandler onUpdate);

  std::filesystem::path resources_;
  std::filesystem::path perl_;
  std::shared_ptr<SerialQueue> deliverOn_;
  std::shared_ptr<ThreadQueue> streamQueue_;  // "zel.mra.stream", made with the first stream
  mutable std::mutex mutex_;
  std::unique_ptr<Stream> stream_;
};

}  // namespace orvane

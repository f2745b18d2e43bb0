#include "platform/linux/perl_media_remote_adapter.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>
#include <thread>
#include <utility>

#include "base/text.hpp"
#include "base/thread_queue.hpp"
#include "features/now_playing/stream_line_buffer.hpp"
#include "platform/linux/spawned_process.hpp"

namespace orvane {

namespace {

constexpr auto checkInterval = std::chrono::milliseconds(20);

bool isWellFormedUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const text::Scalar scalar = text::decodeAt(s, i);
    if (!scalar.wellFormed) return false;
    i += scalar.length;
  }
  return true;
}

// Appends what the pipe holds now to `out`; false at the end of the stream or an error.
bool drain(int fd, std::string& out) {
  std::array<char, 65536> chunk{};
  for (;;) {
    const ssize_t got = ::read(fd, chunk.data(), chunk.size());
    if (got > 0) {
      out.append(chunk.data(), static_cast<std::size_t>(got));
      continue;
    }
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    return false;
  }
}

int millisecondsUntil(std::chrono::steady_clock::time_point end) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
  return static_cast<int>(std::max<std::int64_t>(left.count(), 0));
}

}  // namespace

// One streaming process, the thread that reads its output and the line buffer that the
// stream queue's tasks share. A task may outlive the stream: `live` tells it to drop
// what it has.
struct PerlMediaRemoteAdapter::Stream {
  struct Lines {
    StreamLineBuffer buffer{maxOutputBytes};
    UpdateHandler onUpdate;
    std::shared_ptr<SerialQueue> deliverOn;
    std::atomic<bool> live{true};
  };

  SpawnedProcess process;
  std::shared_ptr<Lines> lines;
  int stopWrite = -1;  // written to when the reader must end
  int stopRead = -1;
  std::thread reader;

  Stream(SpawnedProcess p, std::shared_ptr<Lines> l) : process(std::move(p)), lines(std::move(l)) {}
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;
  ~Stream() {
    if (reader.joinable()) {
      const char byte = 1;
      [[maybe_unused]] auto n = ::write(stopWrite, &byte, 1);
      reader.join();
    }
    process.terminate();
    if (stopRead >= 0) ::close(stopRead);
    if (stopWrite >= 0) ::close(stopWrite);
  }
};

PerlMediaRemoteAdapter::PerlMediaRemoteAdapter(std::filesystem::path resources, std::shared_ptr<SerialQueue> deliverOn,
                                               std::filesystem::path perl)
    : resources_(std::move(resources)), perl_(std::move(perl)), deliverOn_(std::move(deliverOn)) {}

PerlMediaRemoteAdapter::~PerlMediaRemoteAdapter() { stopStream(); }

std::filesystem::path PerlMediaRemoteAdapter::besideProgram() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::filesystem::path(std::string(folderName));
  return program.parent_path() / std::string(folderName);
}

bool PerlMediaRemoteAdapter::isAvailable() const {
  std::error_code error;
  const bool perlRuns = std::filesystem::is_regular_file(perl_, error) && ::access(perl_.c_str(), X_OK) == 0;
  return perlRuns && std::filesystem::is_directory(resources_, error) &&
         std::filesystem::exists(resources_ / std::string(scriptName), error);
}

std::vector<std::string> PerlMediaRemoteAdapter::commandLine(const std::vector<std::string>& arguments) const {
  std::vector<std::string> line{perl_.string(), (resources_ / std::string(scriptName)).string(),
                                (resources_ / std::string(frameworkName)).string()};
  line.insert(line.end(), arguments.begin(), arguments.end());
  return line;
}

std::optional<std::string> PerlMediaRemoteAdapter::run(const std::vector<std::string>& arguments, Duration timeout) {
  // A failure of any kind (even running out of memory) is no result, never the caller's
  // problem: the caller falls through to the next source.
  try {
    return runOnce(arguments, timeout);
  } catch (...) {
    return std::nullopt;
  }
}

std::optional<std::string> PerlMediaRemoteAdapter::runOnce(const std::vector<std::string>& arguments,
                                                           Duration timeout) {
  std::error_code error;
  if (!std::filesystem::is_directory(resources_, error) ||
      !std::filesystem::exists(resources_ / std::string(scriptName), error)) {
    return std::nullopt;
  }
  const auto end = std::chrono::steady_clock::now() + timeout;
  auto started = SpawnedProcess::start(perl_.string(), commandLine(arguments));
  if (!started) return std::nullopt;
  SpawnedProcess& process = *started;

  std::string output;
  bool open = true;
  std::optional<int> status;
  for (;;) {
    if (open) {
      pollfd ready{process.output(), POLLIN, 0};
      const int wait = std::min<int>(static_cast<int>(checkInterval.count()), millisecondsUntil(end));
      if (::poll(&ready, 1, wait) > 0) open = drain(process.output(), output);
    } else {
      std::this_thread::sleep_for(std::min<std::chrono::milliseconds>(
          checkInterval, std::chrono::milliseconds(millisecondsUntil(end))));
    }
    if (output.size() > maxOutputBytes) {
      process.terminate();
      return std::nullopt;
    }
    status = process.poll();
    if (status) break;
    if (std::chrono::steady_clock::now() >= end) {
      process.terminate();
      return std::nullopt;
    }
  }
  // What it printed just before it ended is still in the pipe. Something it started may
  // hold the pipe open: we read no longer than the time-out.
  while (open && output.size() <= maxOutputBytes) {
    pollfd ready{process.output(), POLLIN, 0};
    const int wait = millisecondsUntil(end);
    if (wait <= 0 || ::poll(&ready, 1, wait) <= 0) break;
    open = drain(process.output(), output);
  }
  if (output.size() > maxOutputBytes) return std::nullopt;
  if (!WIFEXITED(*status) || WEXITSTATUS(*status) != 0) return std::nullopt;
  if (!isWellFormedUtf8(output)) return std::nullopt;
  return text::trim(output);
}

void PerlMediaRemoteAdapter::startStream(UpdateHandler onUpdate) {
  try {
    startStreamOnce(std::move(onUpdate));
  } catch (...) {
    // No thread or no memory for the stream: there is simply none, as when the script
    // cannot start; whatever was started ended with the objects that held it.
  }
}

void PerlMediaRemoteAdapter::startStreamOnce(UpdateHandler onUpdate) {
  std::lock_guard lock(mutex_);
  if (stream_ || !isAvailable()) return;
  auto started = SpawnedProcess::start(perl_.string(), commandLine({"stream", "--no-diff"}));
  if (!started) return;
  if (!streamQueue_) streamQueue_ = std::make_shared<ThreadQueue>("zel.mra.stream");
  auto lines = std::make_shared<Stream::Lines>();
  lines->onUpdate = std::move(onUpdate);
  lines->deliverOn = deliverOn_;
  auto stream = std::make_unique<Stream>(std::move(*started), lines);
  int stop[2] = {-1, -1};
  if (::pipe2(stop, O_CLOEXEC) != 0) return;  // the process ends with `stream`
  stream->stopRead = stop[0];
  stream->stopWrite = stop[1];

  // Blocking reads on a thread of its own, so that the stream queue stays free for the
  // cutting and for stopStream's clearing.
  stream->reader = std::thread([fd = stream->process.output(), stopFd = stop[0], lines,
                                queue = std::weak_ptr<ThreadQueue>(streamQueue_)] {
    for (;;) {
      std::array<pollfd, 2> ready{{{fd, POLLIN, 0}, {stopFd, POLLIN, 0}}};
      if (::poll(ready.data(), ready.size(), -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (ready[1].revents != 0) return;
      std::string chunk;
      const bool open = drain(fd, chunk);
      if (!chunk.empty()) {
        auto target = queue.lock();
        if (!target) return;
        target->post([lines, chunk = std::move(chunk)] {
          if (!lines->live) return;
          for (std::string& line : lines->buffer.append(chunk)) {
            if (!isWellFormedUtf8(line)) continue;
            auto payload = envelopePayload(line);
            if (!payload) continue;
            auto update = parseNowPlaying(payload);
            if (lines->deliverOn) {
              lines->deliverOn->post([lines, update = std::move(update)] {
                if (lines->live) lines->onUpdate(update);
              });
            } else {
              lines->onUpdate(update);
            }
          }
        });
      }
      // The end of the stream is no update; the process stays kept until stopStream.
      if (!open) return;
    }
  });
  stream_ = std::move(stream);
}

void PerlMediaRemoteAdapter::stopStream() {
  std::unique_ptr<Stream> stream;
  std::shared_ptr<ThreadQueue> queue;
  {
    std::lock_guard lock(mutex_);
    stream = std::move(stream_);
    queue = streamQueue_;
  }
  if (!stream) return;
  stream->lines->live = false;
  auto lines = stream->lines;
  stream.reset();  // the reader ends, then the process
  // The buffer belongs to the stream queue: it is emptied there, after any piece of
  // output still waiting (which `live` already turns away).
  queue->post([lines] { lines->buffer.clear(); });
}

std::optional<int> PerlMediaRemoteAdapter::streamProcessID() const {
  std::lock_guard lock(mutex_);
  if (!stream_) return std::nullopt;
  return static_cast<int>(stream_->process.pid());
}

}  // namespace orvane
